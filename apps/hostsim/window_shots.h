#pragma once
// Pictures of what a person would see: every visible top-level window and the whole
// desktop, as PNG files in a folder.
#include <iosfwd>
#include <string>

#include "platform/win/window.h"

// Writes "desktop.png" and "window_NN_<caption>.png" per visible top-level window (NN
// counts from the bottom of the z-order) into `folder`, made when missing. Pending
// painting is done first. Throws HostsimError when a file cannot be written.
void WriteWindowShots(const std::string& folder, std::ostream& out);

// The plug-in's windows belong to the host's main view, and without a screen that view
// is no window: a hidden window stands for it while this lives, so that the plug-in's
// windows are made and can be pictured.
class ShotMainView {
 public:
  ShotMainView();
  ~ShotMainView();
  ShotMainView(const ShotMainView&) = delete;
  ShotMainView& operator=(const ShotMainView&) = delete;

 private:
  win::HWND view_ = nullptr;
};
