#include "apps/hostsim/window_shots.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <vector>

#include "apps/hostsim/desktop/host_controls.h"
#include "apps/hostsim/hostsim_error.h"
#include "platform/host/host.h"
#include "platform/win/compositor.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace {

// A caption as a file name part: letters and digits kept, runs of anything else one '_'.
std::string FileNamePart(const std::string& caption) {
  std::string out;
  for (unsigned char c : caption) {
    if (std::isalnum(c)) out += static_cast<char>(c);
    else if (!out.empty() && out.back() != '_') out += '_';
    if (out.size() >= 40) break;
  }
  while (!out.empty() && out.back() == '_') out.pop_back();
  return out.empty() ? "untitled" : out;
}

void Write(bool ok, const std::string& path, const std::string& error) {
  if (!ok) throw HostsimError("cannot write " + path + ": " + error);
}

}  // namespace

void WriteWindowShots(const std::string& folder, std::ostream& out) {
  const std::filesystem::path dir(folder);
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) throw HostsimError("cannot make the folder " + folder + ": " + ec.message());
  win::PumpPendingMessages();
  std::vector<win::HWND> shown;
  for (auto it = win::TopLevelWindows().rbegin(); it != win::TopLevelWindows().rend(); ++it) {
    const win::HWND h = *it;
    if (win::IsWindowVisible(h) && !win::IsIconic(h)) shown.push_back(h);
  }
  std::string error;
  int n = 0;
  for (win::HWND h : shown) {
    win::UpdateWindow(h);
    char caption[256] = {};
    win::GetWindowText(h, caption, sizeof caption);
    char prefix[24];
    std::snprintf(prefix, sizeof prefix, "window_%02d_", ++n);
    const std::string path = (dir / (prefix + FileNamePart(caption) + ".png")).string();
    Write(win::WriteWindowToPng(h, path, &error), path, error);
  }
  const std::string desktop = (dir / "desktop.png").string();
  Write(win::WriteDesktopToPng(desktop, &error), desktop, error);
  out << "wrote " << n << " window(s) and the desktop to "
      << std::filesystem::absolute(dir).lexically_normal().string() << "\n";
}

ShotMainView::ShotMainView() {
  const char* cls = hostui::RegisterHostClass("HostHiddenView", &win::DefWindowProc);
  view_ = win::CreateWindowEx(0, cls, "view", win::WS_POPUP, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
  host::SetMainViewWindow(view_);
  host::SetViewWindow(view_);
}

ShotMainView::~ShotMainView() {
  // The host keeps no handle to a window that is gone.
  host::SetViewWindow(nullptr);
  host::SetMainViewWindow(nullptr);
  win::DestroyWindow(view_);
}
