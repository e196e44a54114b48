#pragma once
// The host's last rendered image as 8-bit RGB, and PNG output of it.
#include <cstdint>
#include <string>
#include <vector>

struct FrameImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // rows top to bottom, 3 bytes a pixel
};

// A float channel to a byte: clamped to 0..1, scaled by 255, rounded half to even.
std::uint8_t ChannelByte(float v);
// The host's kept render buffer of width x height.
FrameImage CaptureRender(int width, int height);
// Throws HostsimError when the file cannot be written.
void WritePng(const std::string& path, const FrameImage& image);
