#pragma once
// Geometry helpers (fit a rectangle, bounds of a rotated rectangle, array minimum and
// maximum) and the directories the kit knows by a path prefix.
#include <span>
#include <string>

#include "platform/classlib/canvas.h"
#include "platform/classlib/properties.h"
#include "platform/classlib/types.h"

enum TKitPathPrefix { ppWindows, ppSystem, ppProgram, ppFixed };
// The names of TKitPathPrefix (form files).
const TEnumInfo& KitPathPrefixInfo();

// `Source`'s size scaled by the smaller of the width and height ratios of `Dest` to it,
// rounded (halves to even) and placed at Dest's top-left corner. An empty source (width
// or height 0) gives an empty rectangle at that corner.
void FitRect(const TRect& Source, const TRect& Dest, TRect& Result);
void RectSize(const TRect& R, Integer& Width, Integer& Height);
// The bounding box, moved to (0, 0), of `R` turned by `Angle` whole degrees about its
// centre. Angle 0 leaves `R` unchanged.
void RotatedBounds(TRect& R, Integer Angle);

// Largest / smallest of Values[0..High] (High is cut to the last index). An empty range
// (High < 0) gives the first element, and an empty array 0.
Integer MaxIntArray(std::span<const Integer> Values, Integer High);
Integer MinIntArray(std::span<const Integer> Values, Integer High);
double MinExtArray(std::span<const double> Values, Integer High);

// The system's directories, without a trailing separator: on this machine the Windows
// directory is the system's configuration directory and the system directory its library
// directory (see kit_sysinfo.h, which answers them).
std::string GetWindowsDir();
std::string GetSystemDir();
// The running program's file (parameter 0 of the command line).
std::string GetProgramPath();
// The directory of the running program, with its trailing separator.
std::string GetProgramDir();
// The directory of a prefix, with or without its trailing separator; ppFixed gives "".
std::string GetDirectory(TKitPathPrefix Prefix, bool WithBackslash);
