#pragma once
// Face names the system's forms and code ask for, and the font family that stands in
// for each. The Liberation families are metric-compatible with the usual faces, so
// layouts measured here match the ones the forms were designed with.
#include <string>
#include <string_view>

#include "platform/win/types.h"

namespace win::text {

enum class Family { Sans, Serif, Mono };

struct FaceChoice {
  Family family = Family::Sans;
  // The name GetTextFace reports: the requested face when the table knows it, else the
  // face that replaced it.
  std::string faceName;
  // Bitmap faces of the window system: not TrueType, and they cannot turn. A request
  // for TrueType output only (OUT_TT_ONLY_PRECIS) replaces them by a TrueType face.
  bool raster = false;
  bool fixedPitch = false;
  BYTE familyBits = 0;  // FF_SWISS, FF_ROMAN, FF_MODERN ...
};

// Resolves a face name (case-insensitive). Unknown names fall back by the requested
// pitch and family: fixed pitch or FF_MODERN -> "Courier New", FF_ROMAN ->
// "Times New Roman", anything else -> "Arial" (Liberation Sans).
FaceChoice ResolveFace(std::string_view name, BYTE pitchAndFamily, BYTE outPrecision);

// fontconfig family name of a family: "Liberation Sans" ...
const char* FamilyName(Family f);

}  // namespace win::text
