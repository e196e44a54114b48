#pragma once
// Input: keyboard focus, activation, mouse capture, hit testing, coordinate mapping, the
// cursor, key state, mouse-leave tracking and the injector that tests (and the
// command-line host) use in place of a mouse and a keyboard.
//
// Injected events go into the message queue as raw input. They become window messages
// when the queue reaches them, so the capture, the focus and the window under the cursor
// are the ones of that moment, as with a real mouse: a press whose handler captures the
// mouse has the following moves delivered to the capturing window.
//
// The asynchronous key state (GetAsyncKeyState) changes when a key event is injected; the
// message key state (GetKeyState) when its key message is taken from the queue.
#include <string>

#include "platform/win/messages.h"
#include "platform/win/types.h"
#include "platform/win/window.h"

namespace win {

// ---- virtual keys ------------------------------------------------------------------------------
// Letters and digits are their upper-case characters ('A' .. 'Z', '0' .. '9').
inline constexpr int VK_LBUTTON = 0x01;
inline constexpr int VK_RBUTTON = 0x02;
inline constexpr int VK_MBUTTON = 0x04;
inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;  // Alt
inline constexpr int VK_PAUSE = 0x13;
inline constexpr int VK_CAPITAL = 0x14;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_PRIOR = 0x21;
inline constexpr int VK_NEXT = 0x22;
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_NUMPAD0 = 0x60;
inline constexpr int VK_MULTIPLY = 0x6A;
inline constexpr int VK_ADD = 0x6B;
inline constexpr int VK_SUBTRACT = 0x6D;
inline constexpr int VK_DECIMAL = 0x6E;
inline constexpr int VK_DIVIDE = 0x6F;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F10 = 0x79;
inline constexpr int VK_F12 = 0x7B;
inline constexpr int VK_NUMLOCK = 0x90;
inline constexpr int VK_SCROLL = 0x91;
inline constexpr int VK_LSHIFT = 0xA0;
inline constexpr int VK_RSHIFT = 0xA1;
inline constexpr int VK_LCONTROL = 0xA2;
inline constexpr int VK_RCONTROL = 0xA3;
inline constexpr int VK_LMENU = 0xA4;
inline constexpr int VK_RMENU = 0xA5;
inline constexpr int VK_OEM_1 = 0xBA;  // ; :
inline constexpr int VK_OEM_PLUS = 0xBB;
inline constexpr int VK_OEM_COMMA = 0xBC;
inline constexpr int VK_OEM_MINUS = 0xBD;
inline constexpr int VK_OEM_PERIOD = 0xBE;
inline constexpr int VK_OEM_2 = 0xBF;  // / ?
inline constexpr int VK_OEM_3 = 0xC0;  // ` ~
inline constexpr int VK_OEM_4 = 0xDB;  // [ {
inline constexpr int VK_OEM_5 = 0xDC;  // \ |
inline constexpr int VK_OEM_6 = 0xDD;  // ] }
inline constexpr int VK_OEM_7 = 0xDE;  // ' "

// ---- focus, activation, capture ------------------------------------------------------------------
// Sends WM_KILLFOCUS to the old focus and WM_SETFOCUS to the new one, activating the new
// one's top-level window first. Fails (null, nothing changes) for a disabled or dead
// window. Returns the previous focus.
HWND SetFocus(HWND hwnd);
HWND GetFocus();
// Top-level windows only. The old active window gets WM_NCACTIVATE(0) and
// WM_ACTIVATE(WA_INACTIVE), the new one is brought to the top and gets WM_NCACTIVATE(1)
// and WM_ACTIVATE(WA_ACTIVE), whose default handling gives it the focus.
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
// The window losing the capture gets WM_CAPTURECHANGED (lParam: the new capture window).
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();

// ---- hit testing and coordinates -----------------------------------------------------------------
// The deepest visible window under a screen point, through window regions, skipping
// disabled child windows and windows answering HTTRANSPARENT to WM_NCHITTEST.
HWND WindowFromPoint(POINT screen);
// The child of `parent` (hidden and disabled ones too) under a point in its client
// coordinates, `parent` itself when no child is there, null when the point is outside it.
HWND ChildWindowFromPoint(HWND parent, POINT client);
BOOL ClientToScreen(HWND hwnd, POINT* p);
BOOL ScreenToClient(HWND hwnd, POINT* p);
// Client coordinates of `from` to those of `to` (null: the screen). Returns the move as
// MAKELONG(dx, dy); 0 on failure (a move of 0 is also 0: check the window first).
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);

// ---- cursor ----------------------------------------------------------------------------------------
BOOL GetCursorPos(POINT* p);
// Moves the cursor and injects the mouse move that follows.
BOOL SetCursorPos(int x, int y);

inline const char* MAKEINTRESOURCE(WORD id) { return reinterpret_cast<const char*>(static_cast<std::uintptr_t>(id)); }
inline bool IS_INTRESOURCE(const char* p) { return (reinterpret_cast<std::uintptr_t>(p) >> 16) == 0; }
// The system's cursors.
inline const char* const IDC_ARROW = MAKEINTRESOURCE(32512);
inline const char* const IDC_IBEAM = MAKEINTRESOURCE(32513);
inline const char* const IDC_WAIT = MAKEINTRESOURCE(32514);
inline const char* const IDC_CROSS = MAKEINTRESOURCE(32515);
inline const char* const IDC_UPARROW = MAKEINTRESOURCE(32516);
inline const char* const IDC_SIZENWSE = MAKEINTRESOURCE(32642);
inline const char* const IDC_SIZENESW = MAKEINTRESOURCE(32643);
inline const char* const IDC_SIZEWE = MAKEINTRESOURCE(32644);
inline const char* const IDC_SIZENS = MAKEINTRESOURCE(32645);
inline const char* const IDC_SIZEALL = MAKEINTRESOURCE(32646);
inline const char* const IDC_NO = MAKEINTRESOURCE(32648);
inline const char* const IDC_HAND = MAKEINTRESOURCE(32649);
inline const char* const IDC_APPSTARTING = MAKEINTRESOURCE(32650);
inline const char* const IDC_HELP = MAKEINTRESOURCE(32651);
// Cursors are known by (module, id or name): the same pair gives the same handle. With a
// null module only the system's ids above are known; a module's cursor of any id or
// name is made on first request (the modules have no resource files to check against).
HCURSOR LoadCursor(HINSTANCE module, const char* name);
HCURSOR SetCursor(HCURSOR cursor);  // the previous cursor
HCURSOR GetCursor();
// Forgets a module's cursor (a module that goes gives back what it loaded); the shown
// cursor falls back to none when it was this one. False for a system cursor or a stale handle.
BOOL DestroyCursor(HCURSOR cursor);
// What a cursor handle stands for (tests): its resource id (0 for a named cursor) and name.
struct CursorInfo {
  HINSTANCE module = nullptr;
  WORD id = 0;
  std::string name;
};
bool GetCursorIdentity(HCURSOR cursor, CursorInfo* out);

// ---- key state ----------------------------------------------------------------------------------------
// 0x8000 (as a negative SHORT) while the key is down; bit 0 of GetKeyState is the toggle.
SHORT GetAsyncKeyState(int vk);
SHORT GetKeyState(int vk);
BOOL GetKeyboardState(BYTE* state256);  // bit 7: down, bit 0: toggled

// ---- double clicks and mouse-leave tracking ----------------------------------------------------------
UINT GetDoubleClickTime();
BOOL SetDoubleClickTime(UINT ms);  // 0 restores the default 500

inline constexpr DWORD TME_LEAVE = 0x0002;
inline constexpr DWORD TME_NONCLIENT = 0x0010;
inline constexpr DWORD TME_QUERY = 0x40000000;
inline constexpr DWORD TME_CANCEL = 0x80000000;
struct TRACKMOUSEEVENT {
  DWORD cbSize = sizeof(TRACKMOUSEEVENT);
  DWORD dwFlags = 0;
  HWND hwndTrack = nullptr;
  DWORD dwHoverTime = 0;
};
// TME_LEAVE: WM_MOUSELEAVE is posted once when the cursor leaves the window's client area
// (with TME_NONCLIENT: its whole window); then the tracking ends. While the tracked
// window holds the capture the leave waits for the release. Only one window is tracked.
// Hover tracking is not offered (fails).
BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme);

// ---- the injector --------------------------------------------------------------------------------------
enum class MouseButton { Left, Right, Middle };
// Modifier keys held around an injected click or key.
inline constexpr unsigned kShift = 1;
inline constexpr unsigned kCtrl = 2;
inline constexpr unsigned kAlt = 4;

// Screen coordinates. Each call queues raw input; PumpPendingMessages delivers it.
void InjectMouseMove(int x, int y);
void InjectMouseDown(MouseButton b, int x, int y);
void InjectMouseUp(MouseButton b, int x, int y);
// Key downs of the modifiers, move, down, up, key ups of the modifiers.
void InjectClick(MouseButton b, int x, int y, unsigned modifiers = 0);
// Two clicks at once: the second press becomes a double click for classes with
// CS_DBLCLKS (down, up, double click, up), a second press for the others.
void InjectDoubleClick(MouseButton b, int x, int y, unsigned modifiers = 0);
// `delta` in units of WHEEL_DELTA per notch; positive turns away from the user.
void InjectWheel(int delta, int x, int y);
void InjectKeyDown(int vk);
void InjectKeyUp(int vk);
void InjectKey(int vk, unsigned modifiers = 0);
// The keys that type each character (with Shift where needed); characters no key types
// are delivered as WM_CHAR alone.
void InjectText(const std::string& text);
// A client point of a window in screen coordinates (for the injector).
POINT ScreenPointOf(HWND hwnd, int clientX, int clientY);

// Tests: the state of a key at once (both key states), e.g. Esc held during a preview.
void SetTestKeyState(int vk, bool down, bool toggled = false);

// ---- for the window system's own files ---------------------------------------------------------------

enum class InputKind { MouseMove, MouseDown, MouseUp, Wheel, KeyDown, KeyUp, Char };
struct InputEvent {
  InputKind kind = InputKind::MouseMove;
  POINT pt;
  MouseButton button = MouseButton::Left;
  int vk = 0;  // keys; the character for Char; the delta for Wheel
  DWORD time = 0;
  WPARAM keyFlags = 0;  // MK_SHIFT / MK_CONTROL at injection
  bool alt = false;      // Alt down at injection
  bool wasDown = false;  // keys: down before this event
};
// Turns a raw event into window messages (none when nobody is there to receive it),
// sending WM_NCHITTEST as needed.
void ConvertInput(const InputEvent& e, std::vector<MSG>* out);
// A mouse or key message is about to be returned by the queue with PM_REMOVE: updates the
// message key state, sends WM_MOUSEACTIVATE / WM_SETCURSOR. Returns false when the
// message is to be dropped (a click eaten by activation).
bool OnInputMessageRemoved(const MSG& m);
// WM_CHAR (or WM_SYSCHAR) for a key message, 0 when the key types nothing.
int CharForKey(int vk, bool shift, bool ctrl, bool capsLock);
// The virtual key of the last key press taken from the queue (auto-repeats aside); 0
// after a left mouse press.
int LastKeyDown();
// Forget every reference to a window going away.
void ForgetWindowInput(WindowObject* w);
// Pick a new active window when `w` (active) is hidden, minimised or destroyed.
void ActivateAnotherThan(WindowObject* w);
void ResetInputState();

}  // namespace win
