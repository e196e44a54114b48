#pragma once
// The host's question for a scene file name: a small window with the name to edit, OK and
// Cancel. It runs its own loop on the screen until the person answers.
#include <string>

#include "platform/win/window.h"

namespace display {
class SdlDisplay;
}

namespace hostui {

// The name typed, empty when the person cancelled or closed the screen. `owner` is
// disabled meanwhile.
std::string AskFileName(display::SdlDisplay& screen, win::HWND owner, const std::string& title,
                        const std::string& proposal);

}  // namespace hostui
