#pragma once
// Windows: classes, creation, the window tree and z-order, bounds, visibility, enabled
// state, text, window procedures (with subclassing), window longs, window regions,
// destruction and the default window procedure.
//
// Headless and single-threaded. A window handle points at a WindowObject; every call
// checks it against the live window table, so a stale handle fails (IsWindow answers
// false, other calls return 0 or do nothing). Destroyed window objects are kept, emptied,
// so that their addresses are never handed out again for new windows.
//
// Coordinates: a window rectangle is kept in its parent's client coordinates (screen
// coordinates for top-level windows); the client rectangle in window coordinates (from
// the window's top-left corner). Every window has a backing pixel buffer of its window
// size (see paint.h); the compositor puts a window and its children together.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win/handles.h"
#include "platform/win/messages.h"
#include "platform/win/region.h"
#include "platform/win/types.h"

namespace win {

struct ModuleObject;
struct MenuObject;
struct CursorObject;
using HINSTANCE = ModuleObject*;
using HMODULE = HINSTANCE;
using HMENU = MenuObject*;  // for child windows: the child's id, cast
using HCURSOR = CursorObject*;
using HICON = HCURSOR;
using ATOM = WORD;

// ---- styles (the window system's own bit assignments) ------------------------------------
// The low 16 bits are left to the controls' own styles.
inline constexpr DWORD WS_OVERLAPPED = 0x00000000;
inline constexpr DWORD WS_CHILD = 0x00010000;
inline constexpr DWORD WS_POPUP = 0x00020000;
inline constexpr DWORD WS_VISIBLE = 0x00040000;
inline constexpr DWORD WS_DISABLED = 0x00080000;
inline constexpr DWORD WS_CLIPSIBLINGS = 0x00100000;
inline constexpr DWORD WS_CLIPCHILDREN = 0x00200000;
inline constexpr DWORD WS_MINIMIZE = 0x00400000;
inline constexpr DWORD WS_MAXIMIZE = 0x00800000;
inline constexpr DWORD WS_BORDER = 0x01000000;
inline constexpr DWORD WS_DLGFRAME = 0x02000000;
inline constexpr DWORD WS_CAPTION = WS_BORDER | WS_DLGFRAME;  // a caption needs both bits
inline constexpr DWORD WS_VSCROLL = 0x04000000;
inline constexpr DWORD WS_HSCROLL = 0x08000000;
inline constexpr DWORD WS_SYSMENU = 0x10000000;
inline constexpr DWORD WS_THICKFRAME = 0x20000000;
inline constexpr DWORD WS_SIZEBOX = WS_THICKFRAME;
// Child windows use the last two bits for dialog navigation, top-level windows for their
// caption buttons.
inline constexpr DWORD WS_GROUP = 0x40000000;
inline constexpr DWORD WS_TABSTOP = 0x80000000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x40000000;
inline constexpr DWORD WS_MAXIMIZEBOX = 0x80000000;
inline constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
inline constexpr DWORD WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;

inline constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001;
inline constexpr DWORD WS_EX_NOPARENTNOTIFY = 0x00000002;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000004;
inline constexpr DWORD WS_EX_ACCEPTFILES = 0x00000008;
inline constexpr DWORD WS_EX_TRANSPARENT = 0x00000010;
inline constexpr DWORD WS_EX_TOOLWINDOW = 0x00000020;
inline constexpr DWORD WS_EX_WINDOWEDGE = 0x00000040;
inline constexpr DWORD WS_EX_CLIENTEDGE = 0x00000080;
inline constexpr DWORD WS_EX_CONTROLPARENT = 0x00000100;
inline constexpr DWORD WS_EX_STATICEDGE = 0x00000200;
inline constexpr DWORD WS_EX_APPWINDOW = 0x00000400;
inline constexpr DWORD WS_EX_MDICHILD = 0x00000800;

// Class styles.
inline constexpr UINT CS_VREDRAW = 0x0001;  // repaint all on a height change
inline constexpr UINT CS_HREDRAW = 0x0002;  // repaint all on a width change
inline constexpr UINT CS_DBLCLKS = 0x0004;  // receive double clicks
inline constexpr UINT CS_SAVEBITS = 0x0008;  // accepted; every window keeps its pixels anyway
inline constexpr UINT CS_GLOBALCLASS = 0x0010;

// ---- records ---------------------------------------------------------------------------------
struct WNDCLASS {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  HBRUSH hbrBackground = nullptr;  // may also be a system colour index + 1
  const char* lpszMenuName = nullptr;
  const char* lpszClassName = nullptr;
};

struct CREATESTRUCT {
  void* lpCreateParams = nullptr;
  HINSTANCE hInstance = nullptr;
  HMENU hMenu = nullptr;
  HWND hwndParent = nullptr;
  int cy = 0;
  int cx = 0;
  int y = 0;
  int x = 0;
  LONG style = 0;
  const char* lpszName = nullptr;
  const char* lpszClass = nullptr;
  DWORD dwExStyle = 0;
};

// WM_WINDOWPOSCHANGING / WM_WINDOWPOSCHANGED.
struct WINDOWPOS {
  HWND hwnd = nullptr;
  HWND hwndInsertAfter = nullptr;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  UINT flags = 0;
};

// WM_GETMINMAXINFO: filled with the window system's defaults before it is sent; a window
// sized by its border stays between the two track sizes.
struct MINMAXINFO {
  POINT ptReserved{};
  POINT ptMaxSize{};
  POINT ptMaxPosition{};
  POINT ptMinTrackSize{};
  POINT ptMaxTrackSize{};
};

// WM_NCCALCSIZE with wParam 1: rgrc[0] holds the new window rectangle (parent client
// coordinates) and receives the new client rectangle; rgrc[1] and rgrc[2] hold the old
// window and client rectangles. With wParam 0, lParam is a RECT* used like rgrc[0].
struct NCCALCSIZE_PARAMS {
  RECT rgrc[3];
  WINDOWPOS* lppos = nullptr;
};

// WM_STYLECHANGING / WM_STYLECHANGED (wParam: GWL_STYLE or GWL_EXSTYLE).
struct STYLESTRUCT {
  DWORD styleOld = 0;
  DWORD styleNew = 0;
};

// ---- classes -----------------------------------------------------------------------------
// Class names are compared without regard to case. Registering a name twice fails (0).
ATOM RegisterClass(const WNDCLASS* wc);
// Fails while a window of the class exists.
BOOL UnregisterClass(const char* className, HINSTANCE instance);
BOOL GetClassInfo(HINSTANCE instance, const char* className, WNDCLASS* out);
int GetClassName(HWND hwnd, char* buffer, int size);

// Class longs (the window system's own indexes).
inline constexpr int GCL_STYLE = -1;
inline constexpr int GCL_WNDPROC = -2;
inline constexpr int GCL_HBRBACKGROUND = -3;
inline constexpr int GCL_HCURSOR = -4;
inline constexpr int GCL_HICON = -5;
inline constexpr int GCL_CBWNDEXTRA = -6;
LONG_PTR GetClassLong(HWND hwnd, int index);
LONG_PTR SetClassLong(HWND hwnd, int index, LONG_PTR value);  // the previous value

// ---- creation and destruction ----------------------------------------------------------------
inline constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// Sends WM_NCCREATE (0 fails the creation), WM_NCCALCSIZE, WM_CREATE (-1 fails it), then
// WM_SIZE and WM_MOVE, and shows the window when WS_VISIBLE is given. `parent` is the
// parent of a WS_CHILD window and the owner of any other (its top-level ancestor owns).
HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menuOrId, HINSTANCE instance, void* param);
HWND CreateWindow(const char* className, const char* windowName, DWORD style, int x, int y, int width, int height,
                  HWND parent, HMENU menuOrId, HINSTANCE instance, void* param);
// Hides the window, destroys the windows it owns, sends WM_DESTROY to the window and
// then to its children (parents first), and WM_NCDESTROY to the children and then to the
// window (children first). Calling it again for a window being destroyed does nothing.
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);

// ---- window procedures -----------------------------------------------------------------------
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Calls `proc` (a procedure taken from GWL_WNDPROC when subclassing); 0 when it is null.
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// A window procedure bound to a function object, for objects that own a window (the
// class library's controls, a component that subclasses a form). There are kMaxProcInstances
// of them; null when all are taken. A freed instance answers with DefWindowProc, and freed
// instances are reused oldest first, so a stale pointer is unlikely to reach a new owner.
using ProcFunction = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;
inline constexpr std::size_t kMaxProcInstances = 4096;
WNDPROC MakeProcInstance(ProcFunction f);
void FreeProcInstance(WNDPROC proc);

// Called with every message handed to a window procedure by SendMessage, DispatchMessage
// and the window system itself (before the procedure runs). For tests; null removes it.
using MessageObserver = std::function<void(HWND, UINT, WPARAM, LPARAM)>;
void SetMessageObserver(MessageObserver observer);

// ---- window longs (the window system's own indexes; extra bytes at index >= 0) ----------------
// Values are pointer-sized; GetWindowLong and GetWindowLongPtr are the same call.
inline constexpr int GWL_WNDPROC = -1;
inline constexpr int GWL_HINSTANCE = -2;
inline constexpr int GWL_HWNDPARENT = -3;  // the owner
inline constexpr int GWL_ID = -4;
inline constexpr int GWL_STYLE = -5;
inline constexpr int GWL_EXSTYLE = -6;
inline constexpr int GWL_USERDATA = -7;
LONG_PTR GetWindowLong(HWND hwnd, int index);
// Returns the previous value (0 on failure). Style changes send WM_STYLECHANGING and
// WM_STYLECHANGED; like the real call they do not move, show or repaint the window
// (SetWindowPos with SWP_FRAMECHANGED does).
LONG_PTR SetWindowLong(HWND hwnd, int index, LONG_PTR value);
inline LONG_PTR GetWindowLongPtr(HWND hwnd, int index) { return GetWindowLong(hwnd, index); }
inline LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) { return SetWindowLong(hwnd, index, value); }

// ---- tree ------------------------------------------------------------------------------------
// The desktop: the parent of every top-level window, as large as the screen.
HWND GetDesktopWindow();
// The parent of a child window, the owner of any other (null for unowned top-level windows).
HWND GetParent(HWND hwnd);
// Makes `hwnd` a child of `parent` (null: of the desktop), at the top of its new
// siblings, keeping its rectangle's coordinates. Returns the old parent.
HWND SetParent(HWND hwnd, HWND parent);
inline constexpr UINT GA_PARENT = 1;
inline constexpr UINT GA_ROOT = 2;
inline constexpr UINT GA_ROOTOWNER = 3;
HWND GetAncestor(HWND hwnd, UINT flags);
BOOL IsChild(HWND parent, HWND hwnd);  // any depth

inline constexpr UINT GW_HWNDFIRST = 0;
inline constexpr UINT GW_HWNDLAST = 1;
inline constexpr UINT GW_HWNDNEXT = 2;  // the next lower sibling
inline constexpr UINT GW_HWNDPREV = 3;
inline constexpr UINT GW_OWNER = 4;
inline constexpr UINT GW_CHILD = 5;  // the top child
HWND GetWindow(HWND hwnd, UINT cmd);
HWND GetTopWindow(HWND hwnd);  // null: the top top-level window
// Enumerations run over a snapshot; windows destroyed meanwhile are skipped. A false
// answer of `f` stops.
using WindowVisitor = std::function<bool(HWND)>;
BOOL EnumChildWindows(HWND parent, const WindowVisitor& f);  // all depths, pre-order
BOOL EnumWindows(const WindowVisitor& f);                    // top-level, z-order
int GetDlgCtrlID(HWND hwnd);
HWND GetDlgItem(HWND parent, int id);

// ---- bounds ----------------------------------------------------------------------------------
BOOL GetWindowRect(HWND hwnd, RECT* rc);  // screen coordinates
BOOL GetClientRect(HWND hwnd, RECT* rc);  // (0, 0, width, height)
// Special insert-after values of SetWindowPos.
inline HWND const HWND_TOP = nullptr;
inline HWND const HWND_BOTTOM = reinterpret_cast<HWND>(std::intptr_t{1});
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(std::intptr_t{-1});
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(std::intptr_t{-2});
// SetWindowPos flags (the window system's own values).
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOREDRAW = 0x0008;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;
inline constexpr UINT SWP_FRAMECHANGED = 0x0020;
inline constexpr UINT SWP_SHOWWINDOW = 0x0040;
inline constexpr UINT SWP_HIDEWINDOW = 0x0080;
inline constexpr UINT SWP_NOCOPYBITS = 0x0100;
inline constexpr UINT SWP_NOOWNERZORDER = 0x0200;
inline constexpr UINT SWP_NOSENDCHANGING = 0x0400;
inline constexpr UINT SWP_DRAWFRAME = SWP_FRAMECHANGED;
// Sends WM_WINDOWPOSCHANGING (its WINDOWPOS may be changed), WM_NCCALCSIZE when the size
// or the frame changes, then WM_WINDOWPOSCHANGED, whose default handling sends WM_MOVE
// and WM_SIZE when the client rectangle moved or changed size.
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL BringWindowToTop(HWND hwnd);

// ---- visibility and state ---------------------------------------------------------------------
// ShowWindow commands (the window system's own values).
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_NORMAL = SW_SHOWNORMAL;
inline constexpr int SW_SHOWMINIMIZED = 2;
inline constexpr int SW_SHOWMAXIMIZED = 3;
inline constexpr int SW_MAXIMIZE = SW_SHOWMAXIMIZED;
inline constexpr int SW_SHOWNOACTIVATE = 4;
inline constexpr int SW_SHOW = 5;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOWMINNOACTIVE = 7;
inline constexpr int SW_SHOWNA = 8;
inline constexpr int SW_RESTORE = 9;
// Returns whether the window was visible before.
BOOL ShowWindow(HWND hwnd, int cmd);
BOOL IsWindowVisible(HWND hwnd);  // it and all its ancestors have WS_VISIBLE
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);
// Sends WM_ENABLE; disabling takes the focus and the capture away from the window and
// its children. Returns whether the window was disabled before.
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);

// ---- text ---------------------------------------------------------------------------------------
BOOL SetWindowText(HWND hwnd, const char* text);  // WM_SETTEXT
// WM_GETTEXT: copies at most size - 1 characters and a zero; returns the characters copied.
int GetWindowText(HWND hwnd, char* buffer, int size);
int GetWindowTextLength(HWND hwnd);  // WM_GETTEXTLENGTH
std::string GetWindowTextString(HWND hwnd);

// ---- window regions ---------------------------------------------------------------------------
// The window takes the region (window coordinates; the handle is deleted and must not be
// used again); null removes the window's region. The region limits hit testing, drawing
// and composition. Returns 0 (and leaves the handle alone) for a bad window.
BOOL SetWindowRgn(HWND hwnd, HRGN rgn, BOOL redraw);
// Copies the window's region into `rgn`; returns its kind, or ERROR when it has none.
int GetWindowRgn(HWND hwnd, HRGN rgn);

// ---- for the window system's own files --------------------------------------------------------

struct WindowClassRecord {
  std::string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int clsExtra = 0;
  int wndExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  std::string menuName;
  ATOM atom = 0;
  int windows = 0;  // live windows of the class
};

struct WindowObject {
  WindowObject() = default;
  WindowObject(const WindowObject&) = delete;
  WindowObject& operator=(const WindowObject&) = delete;

  std::shared_ptr<WindowClassRecord> cls;
  DWORD style = 0;
  DWORD exStyle = 0;
  WindowObject* parent = nullptr;  // the desktop for top-level windows; null for the desktop
  WindowObject* owner = nullptr;
  std::vector<WindowObject*> children;  // top of the z-order first
  RECT rect{};    // parent client coordinates
  RECT client{};  // window coordinates
  RECT restoreRect{};  // the normal rectangle while minimised or maximised
  std::string text;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  std::vector<BYTE> extra;
  std::optional<Region> windowRegion;  // window coordinates

  // The frame's scroll bars, [SB_HORZ] and [SB_VERT] (scroll_bar.cpp).
  struct ScrollBarState {
    int min = 0, max = 0, pos = 0, trackPos = 0;
    UINT page = 0;
    int pressed = 0;  // a ScrollPart while the mouse holds the bar
    bool tracking = false;  // the thumb is dragged: it shows at trackPos
  };
  ScrollBarState scrollBars[2];

  // Painting (paint.cpp).
  Region update;  // client coordinates
  bool erasePending = false;
  bool framePending = false;
  bool internalPaint = false;
  std::vector<DWORD> pixels;  // the backing buffer, made on first use
  int bufferWidth = 0;
  int bufferHeight = 0;
  std::vector<HDC> dcs;  // DCs handed out for this window

  bool destroying = false;
  bool dead = false;
  bool isDesktop = false;
};

// Registers a class of the window system's own windows (arrow cursor) unless it is there.
void RegisterSystemClass(const char* name, WNDPROC proc, UINT style = 0);

// Checked lookup: null unless `h` is a live window.
WindowObject* CheckWindow(HWND h);
// The window's top-left corner and its client area's in screen coordinates.
POINT WindowOriginOnScreen(const WindowObject& w);
POINT ClientOriginOnScreen(const WindowObject& w);
// Sends a message straight to the window's procedure (with the observer); 0 for a dead
// window.
LRESULT Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The top-level windows, top of the z-order first.
const std::vector<WindowObject*>& TopLevelWindows();
// Non-client sizes for a style (left, top, right, bottom thickness), and the width of
// the border alone.
RECT FrameThickness(DWORD style, DWORD exStyle);
int BorderThickness(DWORD style, DWORD exStyle);

// Back to a desktop without windows: destroys every window, empties the queue, removes
// timers and hooks, forgets input state, service records and modal answers. Window
// classes and the clock are kept. For tests.
void ResetWindowSystem();

}  // namespace win
