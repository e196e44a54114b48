#pragma once
// Pictures of what a person would see: every visible top-level window and the whole
// desktop, as PNG files in a folder.
#include <iosfwd>
#include <string>

// Writes "desktop.png" and "window_NN_<caption>.png" per visible top-level window (NN
// counts from the bottom of the z-order) into `folder`, made when missing. Pending
// painting is done first. Throws HostsimError when a file cannot be written.
void WriteWindowShots(const std::string& folder, std::ostream& out);
