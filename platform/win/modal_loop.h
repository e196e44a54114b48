#pragma once
// The nested loops of the window system and the class library (a modal form, a message
// box, a tracked menu, a window dragged by its caption) take their messages here. With a
// screen (display_hooks.h) an empty queue means waiting for the person; without one it
// means nothing more can come, so a loop never blocks a program run without a display.
#include <functional>
#include <optional>

#include "platform/win/messages.h"
#include "platform/win/types.h"

namespace win {

// Takes the next message off the queue (PM_REMOVE). When the queue is empty: with a
// screen, presents the desktop, waits up to `waitMs` for input and looks again; without
// one, false at once. False also once the person closed the screen.
bool NextModalMessage(MSG* m, unsigned waitMs = 15);
// One round of a loop that dispatches everything itself: presents, waits up to `waitMs`
// for input. False (and nothing done) without a screen or once it was closed.
bool WaitForDisplayInput(unsigned waitMs = 15);
// True when a modal of the window system or the class library runs for real: a screen
// is there and the answer queue holds nothing for it.
bool ModalRunsOnScreen();

// Holds the mouse for `hwnd` until the left button is let go, calling `move` with each
// screen point of the mouse (a window dragged or sized by its frame, a scroll bar held).
// Other messages are delivered, except those `take` answers true for. The last point
// seen; nothing when Esc ended it.
std::optional<POINT> FollowMouse(HWND hwnd, POINT start, const std::function<void(POINT)>& move,
                                 const std::function<bool(const MSG&)>& take = nullptr);

}  // namespace win
