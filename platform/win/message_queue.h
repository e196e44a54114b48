#pragma once
// The thread's message queue: sent messages go straight to the window procedure; posted
// messages and injected input wait in one first-in first-out queue. When nothing there
// matches, the queue hands out WM_PAINT for a visible window that needs painting (parents
// before children), then WM_TIMER for a timer that is due on the window system's clock.
//
// Mouse and key messages taken from the queue pass the thread's hooks first (hooks.h):
// a hook answering non-zero swallows the message.
#include <cstdint>

#include "platform/win/messages.h"
#include "platform/win/types.h"
#include "platform/win/window.h"

namespace win {

// Calls the window procedure at once; 0 for a dead window.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Queues the message; a null window makes it a thread message (seen by GetMessage and
// PeekMessage only). Fails (0) for a dead window.
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// PeekMessage flags (the window system's own values).
inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;
inline constexpr UINT PM_NOYIELD = 0x0002;
// `hwnd` filters on a window and its children (null: everything, thread messages too;
// HWND_THREAD: thread messages only); `first`..`last` on the message number (0, 0: any).
inline HWND const HWND_THREAD = reinterpret_cast<HWND>(std::intptr_t{-1});
BOOL PeekMessage(MSG* msg, HWND hwnd, UINT first, UINT last, UINT flags);
// Like PeekMessage with PM_REMOVE, but waits: on the real clock it sleeps until a timer
// is due, on the manual clock it moves the clock to that moment. Returns 0 for WM_QUIT,
// -1 when nothing could ever arrive (no message, no window to paint, no timer).
int GetMessage(MSG* msg, HWND hwnd, UINT first, UINT last);
// WM_CHAR / WM_SYSCHAR for key downs, placed at the head of the queue.
BOOL TranslateMessage(const MSG* msg);
// Hands the message to its window's procedure (WM_TIMER with a timer procedure: to that
// procedure, when it is the timer's own).
LRESULT DispatchMessage(const MSG* msg);
DWORD GetMessageTime();
DWORD GetMessagePos();  // MAKELONG(x, y) of the last message taken

// Delivers everything waiting now: posted messages and input (translated), WM_PAINT for
// every window that needs it (once per window per call) and WM_TIMER for timers that are
// due. Returns false when WM_QUIT was taken (it is left for the caller: see QuitRequested).
// This is the pump the host calls while the plug-in runs a blocking loop.
bool PumpPendingMessages();
// Whether WM_QUIT has been taken by the pump, and its exit code.
bool QuitRequested(int* exitCode = nullptr);
// Number of entries waiting in the queue (posted messages and raw input).
std::size_t PendingMessageCount();

// ---- for the window system's own files ----------------------------------------------------------
// A mouse message of the client or the non-client area.
bool IsMouseMessage(UINT msg);
struct InputEvent;
void QueueInput(const InputEvent& e);
// Puts a message at the head of the queue.
void PushFront(const MSG& m);
// Drops queued messages of a window going away.
void ForgetWindowMessages(HWND hwnd);
void ResetMessageQueue();

}  // namespace win
