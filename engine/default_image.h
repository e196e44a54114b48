#pragma once
// The built-in particle image "Default": 128 x 128, 8 x 8 squares alternating white
// and light grey (204), the top-left one white, alpha equal to intensity.
#include <string_view>

class TBitmap32;

inline constexpr int kDefaultImageSize = 128;
inline constexpr int kDefaultImageSquare = 8;

// Made on first use and kept until unload; callers do not change it.
TBitmap32* DefaultParticleImage();
// True for the name that stands for the built-in image ("Default", any case).
bool IsDefaultImageName(std::string_view FileName);
