#pragma once
// The keyboard and mouse thread hooks that a TTsx with HookKeys or HookMouse installs.
//
// The keyboard hook shows every key message of the thread to the trap-key handler (the
// OnTrapKey of the last TTsx made) and always passes it on: the key still reaches its
// window. The mouse hook asks the trap-mouse handler about every mouse message and
// swallows the message unless the handler answers true; without a handler every mouse
// message of the thread is swallowed. A handler that raises is taken as having seen the
// key, and as letting the mouse message through.
//
// Each hook is installed at most once and kept while the module is loaded; the module's
// unloading removes them, so that the window system, which outlives the module, never
// calls into unloaded code.
#include "platform/win/hooks.h"

void InstallPlugHooks(bool keys, bool mouse);

// The hook procedures.
win::LRESULT PlugKeyboardHook(int code, win::WPARAM wParam, win::LPARAM lParam);
win::LRESULT PlugMouseHook(int code, win::WPARAM wParam, win::LPARAM lParam);
