#include "platform/win/text/face_table.h"

#include <array>
#include <cctype>

#include "platform/win/text/text.h"

namespace win::text {
namespace {

struct FaceEntry {
  const char* name;
  Family family;
  bool raster;
};

// Every face the system's forms and code name, plus the common ones a form file may
// carry. Bitmap faces are marked: they report no TrueType bit and do not rotate.
constexpr std::array<FaceEntry, 18> kFaces{{
    {"Arial", Family::Sans, false},
    {"Tahoma", Family::Sans, false},
    {"Verdana", Family::Sans, false},
    {"Microsoft Sans Serif", Family::Sans, false},
    {"MS Shell Dlg", Family::Sans, false},
    {"MS Shell Dlg 2", Family::Sans, false},
    {"Symbol", Family::Sans, false},
    {"Wingdings", Family::Sans, false},
    {"MS Sans Serif", Family::Sans, true},
    {"Small Fonts", Family::Sans, true},
    {"System", Family::Sans, true},
    {"Times New Roman", Family::Serif, false},
    {"Times", Family::Serif, false},
    {"MS Serif", Family::Serif, true},
    {"Courier New", Family::Mono, false},
    {"Courier", Family::Mono, true},
    {"Terminal", Family::Mono, true},
    {"Fixedsys", Family::Mono, true},
}};

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

const char* TrueTypeNameOf(Family f) {
  switch (f) {
    case Family::Serif: return "Times New Roman";
    case Family::Mono: return "Courier New";
    case Family::Sans: break;
  }
  return "Arial";
}

BYTE FamilyBitsOf(Family f) {
  switch (f) {
    case Family::Serif: return FF_ROMAN;
    case Family::Mono: return FF_MODERN;
    case Family::Sans: break;
  }
  return FF_SWISS;
}

FaceChoice Make(Family f, std::string name, bool raster) {
  FaceChoice c;
  c.family = f;
  c.faceName = std::move(name);
  c.raster = raster;
  c.fixedPitch = f == Family::Mono;
  c.familyBits = FamilyBitsOf(f);
  return c;
}

}  // namespace

FaceChoice ResolveFace(std::string_view name, BYTE pitchAndFamily, BYTE outPrecision) {
  for (const FaceEntry& e : kFaces) {
    if (!SameName(name, e.name)) continue;
    if (e.raster && outPrecision == OUT_TT_ONLY_PRECIS) return Make(e.family, TrueTypeNameOf(e.family), false);
    return Make(e.family, e.name, e.raster);
  }
  Family f = Family::Sans;
  if ((pitchAndFamily & 0x03) == FIXED_PITCH || (pitchAndFamily & 0xF0) == FF_MODERN)
    f = Family::Mono;
  else if ((pitchAndFamily & 0xF0) == FF_ROMAN)
    f = Family::Serif;
  return Make(f, TrueTypeNameOf(f), false);
}

const char* FamilyName(Family f) {
  switch (f) {
    case Family::Serif: return "Liberation Serif";
    case Family::Mono: return "Liberation Mono";
    case Family::Sans: break;
  }
  return "Liberation Sans";
}

}  // namespace win::text
