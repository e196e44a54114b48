#pragma once
// The message record of the controls and the class library's own control messages.
//
// Control messages (CM_) are sent by the controls to one another through Perform; they
// never reach the window system's queue except CM_RELEASE, which a form posts to itself.
// Their numbers are the class library's own choice:
//
//   0xB000 .. 0xB04F   CM_ messages (CM_BASE + n, table below)
//
// They stay clear of the window system's messages (below WM_USER, 0x0400), of the
// WM_USER + n messages the controls define, and of the control kit's own messages
// 45261 .. 45268 (0xB0CD .. 0xB0D4).
#include "platform/classlib/types.h"
#include "platform/win/types.h"

// One message as the controls see it: number, parameters and the answer.
struct TMessage {
  win::UINT Msg = 0;
  win::WPARAM WParam = 0;
  win::LPARAM LParam = 0;
  win::LRESULT Result = 0;
};

// Parameter halves, as the window system packs them.
inline Word LoWord(std::uintptr_t v) { return static_cast<Word>(v & 0xFFFF); }
inline Word HiWord(std::uintptr_t v) { return static_cast<Word>((v >> 16) & 0xFFFF); }
// Signed halves: mouse coordinates may be negative (a captured mouse left of a window).
inline SmallInt LoSmall(std::intptr_t v) { return static_cast<SmallInt>(v & 0xFFFF); }
inline SmallInt HiSmall(std::intptr_t v) { return static_cast<SmallInt>((v >> 16) & 0xFFFF); }
inline win::LPARAM PointToLParam(Integer x, Integer y) {
  return static_cast<win::LPARAM>((static_cast<std::uint32_t>(static_cast<Word>(y)) << 16) |
                                  static_cast<Word>(x));
}

inline constexpr win::UINT CM_BASE = 0xB000;

inline constexpr win::UINT CM_ACTIVATE = CM_BASE + 0;            // a form became the active one
inline constexpr win::UINT CM_DEACTIVATE = CM_BASE + 1;
inline constexpr win::UINT CM_GOTFOCUS = CM_BASE + 2;
inline constexpr win::UINT CM_LOSTFOCUS = CM_BASE + 3;
inline constexpr win::UINT CM_CANCELMODE = CM_BASE + 4;          // LParam: the control taking over
inline constexpr win::UINT CM_DIALOGKEY = CM_BASE + 5;           // WParam: key, LParam: key data
inline constexpr win::UINT CM_DIALOGCHAR = CM_BASE + 6;          // WParam: character; Result 1 = handled
inline constexpr win::UINT CM_FOCUSCHANGED = CM_BASE + 7;        // LParam: the new focused control
inline constexpr win::UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
inline constexpr win::UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
inline constexpr win::UINT CM_HITTEST = CM_BASE + 10;            // LParam: point; Result non-zero = hit
inline constexpr win::UINT CM_VISIBLECHANGED = CM_BASE + 11;     // WParam: new visibility
inline constexpr win::UINT CM_ENABLEDCHANGED = CM_BASE + 12;
inline constexpr win::UINT CM_COLORCHANGED = CM_BASE + 13;
inline constexpr win::UINT CM_FONTCHANGED = CM_BASE + 14;
inline constexpr win::UINT CM_CURSORCHANGED = CM_BASE + 15;
inline constexpr win::UINT CM_CTL3DCHANGED = CM_BASE + 16;
inline constexpr win::UINT CM_PARENTCTL3DCHANGED = CM_BASE + 17;
inline constexpr win::UINT CM_TEXTCHANGED = CM_BASE + 18;
inline constexpr win::UINT CM_MOUSEENTER = CM_BASE + 19;         // LParam: the control entered
inline constexpr win::UINT CM_MOUSELEAVE = CM_BASE + 20;         // LParam: the control left
inline constexpr win::UINT CM_MENUCHANGED = CM_BASE + 21;
inline constexpr win::UINT CM_BUTTONPRESSED = CM_BASE + 22;      // WParam: group index, LParam: sender
inline constexpr win::UINT CM_SHOWINGCHANGED = CM_BASE + 23;
inline constexpr win::UINT CM_ENTER = CM_BASE + 24;
inline constexpr win::UINT CM_EXIT = CM_BASE + 25;
inline constexpr win::UINT CM_DESIGNHITTEST = CM_BASE + 26;      // LParam: point; Result 1 = the designer's
inline constexpr win::UINT CM_RELEASE = CM_BASE + 27;            // posted: the form frees itself
inline constexpr win::UINT CM_SHOWHINTCHANGED = CM_BASE + 28;
inline constexpr win::UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 29;
inline constexpr win::UINT CM_SYSCOLORCHANGE = CM_BASE + 30;
inline constexpr win::UINT CM_FONTCHANGE = CM_BASE + 31;
inline constexpr win::UINT CM_TABSTOPCHANGED = CM_BASE + 32;
inline constexpr win::UINT CM_CONTROLLISTCHANGE = CM_BASE + 33;  // WParam: control, LParam: inserted
inline constexpr win::UINT CM_CHILDKEY = CM_BASE + 34;           // WParam: key, LParam: the control
inline constexpr win::UINT CM_HINTSHOW = CM_BASE + 35;           // LParam: THintInfo*; Result 1 = no hint
inline constexpr win::UINT CM_RECREATEWND = CM_BASE + 36;
inline constexpr win::UINT CM_INVALIDATE = CM_BASE + 37;         // WParam 1: the whole window
inline constexpr win::UINT CM_CONTROLCHANGE = CM_BASE + 38;      // WParam: control, LParam: inserted
inline constexpr win::UINT CM_CHANGED = CM_BASE + 39;
inline constexpr win::UINT CM_BORDERCHANGED = CM_BASE + 40;
inline constexpr win::UINT CM_MOUSEWHEEL = CM_BASE + 41;         // as WM_MOUSEWHEEL; Result 1 = handled
inline constexpr win::UINT CM_ACTIONUPDATE = CM_BASE + 42;       // LParam: the action
inline constexpr win::UINT CM_ACTIONEXECUTE = CM_BASE + 43;
inline constexpr win::UINT CM_HINTSHOWPAUSE = CM_BASE + 44;      // WParam: showing, LParam: Integer* pause
inline constexpr win::UINT CM_WANTSPECIALKEY = CM_BASE + 45;     // WParam: key; Result 1 = the control takes it

inline constexpr win::UINT CM_LAST = CM_BASE + 0x4F;
