#include "platform/win/text/font_object.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <map>
#include <numbers>

#include "platform/win/dc.h"
#include "platform/win/gdi.h"
#include "platform/win/immortal.h"

namespace win {
namespace {

// Height 0 asks for the default size: a 16-pixel cell, the system font's.
constexpr int kDefaultCellHeight = 16;

std::string_view FaceNameOf(const LOGFONT& lf) {
  return std::string_view(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
}

}  // namespace

TEXTMETRIC FontObject::Metrics() const {
  const text::FontMetrics& m = sized->Metrics();
  TEXTMETRIC tm;
  tm.tmHeight = m.height;
  tm.tmAscent = m.ascent;
  tm.tmDescent = m.descent;
  tm.tmInternalLeading = m.internalLeading;
  tm.tmExternalLeading = m.externalLeading;
  tm.tmAveCharWidth = m.aveCharWidth;
  tm.tmMaxCharWidth = m.maxCharWidth;
  tm.tmWeight = bold ? FW_BOLD : FW_NORMAL;  // the weight of the face that was chosen
  tm.tmOverhang = 0;
  tm.tmDigitizedAspectX = 96;
  tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = 30;
  tm.tmLastChar = 255;
  tm.tmDefaultChar = 31;
  tm.tmBreakChar = 32;
  tm.tmItalic = italic ? 255 : 0;
  tm.tmUnderlined = logFont.lfUnderline ? 255 : 0;
  tm.tmStruckOut = logFont.lfStrikeOut ? 255 : 0;
  BYTE pf = face.familyBits;
  if (!face.fixedPitch) pf |= TMPF_FIXED_PITCH;  // set means variable pitch
  if (!face.raster) pf |= TMPF_TRUETYPE | TMPF_VECTOR;
  tm.tmPitchAndFamily = pf;
  tm.tmCharSet = logFont.lfCharSet;
  return tm;
}

HFONT CreateFontIndirect(const LOGFONT* lf) {
  if (!lf) return nullptr;
  try {
    auto f = std::make_unique<FontObject>();
    f->logFont = *lf;
    f->face = text::ResolveFace(FaceNameOf(*lf), lf->lfPitchAndFamily, lf->lfOutPrecision);
    f->bold = lf->lfWeight >= FW_SEMIBOLD;
    f->italic = lf->lfItalic != 0;
    const std::int64_t h = lf->lfHeight;
    int ppem;
    if (h < 0)
      ppem = static_cast<int>(std::min<std::int64_t>(-h, text::kMaxPpem));
    else
      ppem = text::PpemForCellHeight(f->face.family, f->bold, f->italic,
                                     static_cast<int>(std::min<std::int64_t>(h == 0 ? kDefaultCellHeight : h, 4 * text::kMaxPpem)));
    ppem = std::clamp(ppem, 1, text::kMaxPpem);
    f->sized = text::OpenSizedFace(f->face.family, f->bold, f->italic, ppem);
    if (!f->face.raster) {
      LONG tenths = lf->lfEscapement % 3600;
      f->angle = tenths * std::numbers::pi / 1800.0;
    }
    return f.release();  // owned by the caller through DeleteObject
  } catch (const std::exception&) {
    return nullptr;
  }
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, const char* faceName) {
  LOGFONT lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic);
  lf.lfUnderline = static_cast<BYTE>(underline);
  lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (faceName) {
    size_t n = strnlen(faceName, LF_FACESIZE - 1);
    std::memcpy(lf.lfFaceName, faceName, n);
  }
  return CreateFontIndirect(&lf);
}

bool GetFontLogFont(HFONT font, LOGFONT* out) {
  if (!IsLiveObject(font, GdiKind::Font) || !out) return false;
  *out = font->logFont;
  return true;
}

HFONT GetStockFont(int stockId) {
  struct StockDesc {
    int id;
    const char* face;
    LONG height;
    LONG weight;
    BYTE charSet;
    BYTE pitchAndFamily;
  };
  static constexpr StockDesc kStock[] = {
      {OEM_FIXED_FONT, "Terminal", 12, FW_NORMAL, OEM_CHARSET, FIXED_PITCH | FF_MODERN},
      {ANSI_FIXED_FONT, "Courier", 13, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN},
      {ANSI_VAR_FONT, "MS Sans Serif", 13, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS},
      {SYSTEM_FONT, "System", 16, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS},
      {DEVICE_DEFAULT_FONT, "System", 16, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS},
      {SYSTEM_FIXED_FONT, "Fixedsys", 15, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN},
      {DEFAULT_GUI_FONT, "MS Shell Dlg", -11, FW_NORMAL, DEFAULT_CHARSET, VARIABLE_PITCH | FF_SWISS},
  };
  // Never destroyed: stock objects live as long as the process.
  static auto* made = Immortal(new std::map<int, HFONT>());
  if (auto it = made->find(stockId); it != made->end()) return it->second;
  for (const StockDesc& d : kStock) {
    if (d.id != stockId) continue;
    LOGFONT lf;
    lf.lfHeight = d.height;
    lf.lfWeight = d.weight;
    lf.lfCharSet = d.charSet;
    lf.lfPitchAndFamily = d.pitchAndFamily;
    std::strncpy(lf.lfFaceName, d.face, LF_FACESIZE - 1);
    HFONT f = CreateFontIndirect(&lf);
    if (f) {
      f->stock = true;  // lives for the whole process
      made->emplace(stockId, f);
    }
    return f;
  }
  return nullptr;
}

namespace text {

FontObject* FontOfDC(HDC dc) {
  DeviceContext* d = CheckDC(dc);
  if (d && IsLiveObject(d->st.font, GdiKind::Font)) return d->st.font;
  return GetStockFont(SYSTEM_FONT);
}

namespace {
// Hands the stock fonts and the font record to the object layer when the library loads.
const bool kRegistered = [] {
  SetStockFontFactory([](int id) { return GetStockFont(id); });
  SetFontObjectInfo([](HFONT f, int size, void* out) -> int {
    LOGFONT lf;
    if (!GetFontLogFont(f, &lf)) return 0;
    if (!out) return static_cast<int>(sizeof(LOGFONT));
    int n = std::clamp(size, 0, static_cast<int>(sizeof(LOGFONT)));
    std::memcpy(out, &lf, static_cast<size_t>(n));
    return n;
  });
  return true;
}();
}  // namespace

}  // namespace text
}  // namespace win
