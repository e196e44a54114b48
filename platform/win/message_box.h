#pragma once
// The message box as a window of its own: the prompt's text and icon, its buttons (the
// MB_DEFBUTTON one pressed by Enter, Cancel by Esc and the close box, a button's
// underlined letter), the other windows disabled meanwhile. For MessageBox when a
// person is at the screen.
#include "platform/win/modal_answers.h"

namespace win {

// The button chosen; `fallback` when the loop ended without one (the screen closed, or
// no more input without a screen).
int RunMessageBoxOnScreen(const ModalPrompt& prompt, int fallback);

}  // namespace win
