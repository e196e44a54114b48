#pragma once
// The help viewer of the desktop: a help file shown as text in a window of its own, scrolled
// by its bar, the wheel and the keys, closed by its close box or Esc. One window serves
// every help call; a file that cannot be read shows why instead of its text.
#include <string>

#include "platform/win/handles.h"

namespace win {

// Shows the file from its top, bringing the window up; the window.
HWND ShowHelpWindow(const std::string& file);
// Closes the help window, if there is one.
void CloseHelpWindow();
// The help window, or null.
HWND HelpWindow();

}  // namespace win
