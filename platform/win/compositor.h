#pragma once
// Puts a window and its visible children together as they would show on a screen: each
// window's buffer, limited by its window region, children over their parent, clipped to
// the parent's client area and region. Pixels outside the window's region show the
// desktop colour. Paint pending updates first (UpdateWindow) for a fresh picture.
#include <string>
#include <vector>

#include "platform/win/dc.h"
#include "platform/win/types.h"
#include "platform/win/window.h"

namespace win {

struct WindowImage {
  int width = 0;
  int height = 0;
  std::vector<DWORD> pixels;  // 0x00RRGGBB, top row first

  COLORREF At(int x, int y) const;  // CLR_INVALID outside
  // A surface over the pixels (valid while the image lives and is not resized).
  Surface AsSurface();
};

// Window coordinates: (0, 0) is the window's top-left corner. False for a bad window.
bool CaptureWindow(HWND hwnd, WindowImage* out);
// As an 8-bit RGB PNG. False with a reason in `error` on failure.
bool WriteWindowToPng(HWND hwnd, const std::string& path, std::string* error = nullptr);

// The whole screen as a person sees it: every visible top-level window over the desktop
// colour, the bottom of the z-order first, each at its place on the screen.
void CaptureDesktop(WindowImage* out);
bool WriteDesktopToPng(const std::string& path, std::string* error = nullptr);

}  // namespace win
