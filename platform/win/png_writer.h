#pragma once
// Writes pixels to PNG files, for people: failing tests and looking at results.
#include <string>

#include "platform/win/dc.h"

namespace win {

// 8-bit RGB, top row first. False with a reason in `error` on failure.
bool WriteSurfaceToPng(const Surface& s, const std::string& path, std::string* error = nullptr);

}  // namespace win
