#include "platform/classlib/graphics_tools.h"

#include <cstring>
#include <iterator>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/math_utils.h"
#include "platform/classlib/sysutils.h"
#include "platform/win/gdi.h"
#include "platform/win/text/text.h"

// ---- TGraphicsObject --------------------------------------------------------------------

const TClass& TGraphicsObject::StaticClass() {
  static const TClass cls = TClass::Of<TGraphicsObject>("TGraphicsObject", TPersistent::StaticClass());
  return cls;
}

TGraphicsObject::~TGraphicsObject() {
  if (handle_) win::DeleteObject(handle_);
}

void TGraphicsObject::Lock() {
  if (ownerLock_) ownerLock_->lock();
}

void TGraphicsObject::Unlock() {
  if (ownerLock_) ownerLock_->unlock();
}

namespace {
// Holds the owner lock for a scope; holds nothing without one.
std::unique_lock<std::recursive_mutex> OwnerLockScope(std::recursive_mutex* lock) {
  return lock ? std::unique_lock<std::recursive_mutex>(*lock) : std::unique_lock<std::recursive_mutex>();
}
}  // namespace

win::HGDIOBJ TGraphicsObject::HandleObject() {
  const auto scope = OwnerLockScope(ownerLock_);
  if (!handle_) handle_ = CreateHandleObject();
  return handle_;
}

void TGraphicsObject::ReplaceHandle(win::HGDIOBJ h) {
  const auto scope = OwnerLockScope(ownerLock_);
  win::HGDIOBJ old = handle_;
  handle_ = h;
  // The canvas deselects first and the change handler may deselect too (a bitmap that
  // selected the handle itself); only then can the old object go.
  if (canvas_) canvas_->ToolChanging(this);
  if (OnChange) OnChange(this);
  if (old && old != h) win::DeleteObject(old);
}

void TGraphicsObject::Changed(bool dropHandle) {
  if (dropHandle) {
    ReplaceHandle(nullptr);
    return;
  }
  const auto scope = OwnerLockScope(ownerLock_);
  if (canvas_) canvas_->ToolChanging(this);
  if (OnChange) OnChange(this);
}

// ---- TPen ---------------------------------------------------------------------------------

const TEnumInfo& PenStyleInfo() {
  static const TEnumInfo info("TPenStyle",
                              {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"});
  return info;
}

const TEnumInfo& PenModeInfo() {
  static const TEnumInfo info("TPenMode", {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
                                           "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge",
                                           "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor"});
  return info;
}

int PenModeToRop2(TPenMode mode) {
  static constexpr int kRop2[] = {win::R2_BLACK,       win::R2_WHITE,       win::R2_NOP,         win::R2_NOT,
                                  win::R2_COPYPEN,     win::R2_NOTCOPYPEN,  win::R2_MERGEPENNOT, win::R2_MASKPENNOT,
                                  win::R2_MERGENOTPEN, win::R2_MASKNOTPEN,  win::R2_MERGEPEN,    win::R2_NOTMERGEPEN,
                                  win::R2_MASKPEN,     win::R2_NOTMASKPEN,  win::R2_XORPEN,      win::R2_NOTXORPEN};
  const auto i = static_cast<std::size_t>(mode);
  return i < std::size(kRop2) ? kRop2[i] : win::R2_COPYPEN;
}

const TClass& TPen::StaticClass() {
  static const TClass cls = TClass::Of<TPen>("TPen", TGraphicsObject::StaticClass(), &TPen::Publish);
  return cls;
}

void TPen::Publish(TPublished& published) {
  auto p = published.For<TPen>();
  p.Integer("Color", &TPen::Color, &TPen::SetColor).Idents(ColorIdents()).Default(clBlack);
  p.Enum("Mode", PenModeInfo(), &TPen::Mode, &TPen::SetMode).Default(pmCopy);
  p.Enum("Style", PenStyleInfo(), &TPen::Style, &TPen::SetStyle).Default(psSolid);
  p.Integer("Width", &TPen::Width, &TPen::SetWidth).Default(1);
}

void TPen::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TPen*>(source)) {
    if (src == this) return;
    color_ = src->color_;
    mode_ = src->mode_;
    style_ = src->style_;
    width_ = src->width_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TPen::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  Changed();
}

void TPen::SetMode(TPenMode value) {
  if (value == mode_) return;
  mode_ = value;
  Changed(false);  // the mode is the canvas's raster operation, not part of the pen
}

void TPen::SetStyle(TPenStyle value) {
  if (value == style_) return;
  style_ = value;
  Changed();
}

void TPen::SetWidth(Integer value) {
  if (value < 0 || value == width_) return;
  width_ = value;
  Changed();
}

win::HPEN TPen::Handle() { return static_cast<win::HPEN>(HandleObject()); }

void TPen::SetHandle(win::HPEN value) {
  if (value && value == static_cast<win::HPEN>(CurrentHandle())) return;
  if (value) {
    static constexpr TPenStyle kStyles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame};
    const win::UINT type = win::GetObjectType(value);
    win::UINT dash = win::PS_SOLID;
    if (type == win::OBJ_EXTPEN) {
      win::EXTLOGPEN ep;
      if (win::GetObject(value, sizeof ep, &ep) > 0) {
        dash = ep.elpPenStyle & win::PS_STYLE_MASK;
        width_ = static_cast<Integer>(ep.elpWidth);
        color_ = static_cast<TColor>(ep.elpColor);
      }
    } else {
      win::LOGPEN lp;
      if (win::GetObject(value, sizeof lp, &lp) > 0) {
        dash = lp.lopnStyle & win::PS_STYLE_MASK;
        width_ = lp.lopnWidth.x;
        color_ = static_cast<TColor>(lp.lopnColor);
      }
    }
    style_ = dash < std::size(kStyles) ? kStyles[dash] : psSolid;
  }
  ReplaceHandle(value);
}

win::HGDIOBJ TPen::CreateHandleObject() {
  static constexpr int kStyles[] = {win::PS_SOLID,      win::PS_DASH, win::PS_DOT,        win::PS_DASHDOT,
                                    win::PS_DASHDOTDOT, win::PS_NULL, win::PS_INSIDEFRAME};
  return win::CreatePen(kStyles[style_], width_, static_cast<win::COLORREF>(ColorToRGB(color_)));
}

// ---- TBrush -------------------------------------------------------------------------------

const TEnumInfo& BrushStyleInfo() {
  static const TEnumInfo info("TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                                              "bsBDiagonal", "bsCross", "bsDiagCross"});
  return info;
}

const TClass& TBrush::StaticClass() {
  static const TClass cls = TClass::Of<TBrush>("TBrush", TGraphicsObject::StaticClass(), &TBrush::Publish);
  return cls;
}

void TBrush::Publish(TPublished& published) {
  auto p = published.For<TBrush>();
  p.Integer("Color", &TBrush::Color, &TBrush::SetColor).Idents(ColorIdents()).Default(clWhite);
  p.Enum("Style", BrushStyleInfo(), &TBrush::Style, &TBrush::SetStyle).Default(bsSolid);
}

void TBrush::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TBrush*>(source)) {
    if (src == this) return;
    color_ = src->color_;
    style_ = src->style_;
    bitmap_ = src->bitmap_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TBrush::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  if (style_ == bsClear) style_ = bsSolid;  // a colour is meant to be seen
  Changed();
}

void TBrush::SetStyle(TBrushStyle value) {
  if (value == style_) return;
  style_ = value;
  Changed();
}

void TBrush::SetBitmap(TBitmap* value) {
  if (value == bitmap_) return;
  bitmap_ = value;
  Changed();
}

win::HBRUSH TBrush::Handle() { return static_cast<win::HBRUSH>(HandleObject()); }

void TBrush::SetHandle(win::HBRUSH value) {
  if (value && value == static_cast<win::HBRUSH>(CurrentHandle())) return;
  if (value) {
    win::LOGBRUSH lb;
    if (win::GetObject(value, sizeof lb, &lb) > 0) {
      color_ = static_cast<TColor>(lb.lbColor);
      bitmap_ = nullptr;
      switch (lb.lbStyle) {
        case win::BS_NULL:
          style_ = bsClear;
          break;
        case win::BS_HATCHED:
          style_ = lb.lbHatch <= win::HS_DIAGCROSS ? static_cast<TBrushStyle>(bsHorizontal + lb.lbHatch) : bsSolid;
          break;
        default:
          style_ = bsSolid;
      }
    }
  }
  ReplaceHandle(value);
}

win::HGDIOBJ TBrush::CreateHandleObject() {
  if (bitmap_ && !bitmap_->Empty()) return win::CreatePatternBrush(bitmap_->Handle());
  const auto color = static_cast<win::COLORREF>(ColorToRGB(color_));
  switch (style_) {
    case bsSolid:
      return win::CreateSolidBrush(color);
    case bsClear: {
      win::LOGBRUSH lb;
      lb.lbStyle = win::BS_NULL;
      return win::CreateBrushIndirect(&lb);
    }
    default:
      return win::CreateHatchBrush(static_cast<int>(style_ - bsHorizontal) + static_cast<int>(win::HS_HORIZONTAL), color);
  }
}

// ---- TFont --------------------------------------------------------------------------------

const TEnumInfo& FontStyleInfo() {
  static const TEnumInfo info("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
  return info;
}

const TEnumInfo& FontPitchInfo() {
  static const TEnumInfo info("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});
  return info;
}

namespace {

struct CharsetName {
  Integer Value;
  const char* Name;
};

constexpr CharsetName kCharsets[] = {
    {0, "ANSI_CHARSET"},     {1, "DEFAULT_CHARSET"},    {2, "SYMBOL_CHARSET"},      {77, "MAC_CHARSET"},
    {128, "SHIFTJIS_CHARSET"}, {129, "HANGEUL_CHARSET"}, {130, "JOHAB_CHARSET"},     {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"}, {162, "TURKISH_CHARSET"},  {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"}, {178, "ARABIC_CHARSET"},   {186, "BALTIC_CHARSET"},    {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"},   {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"},
};

Integer ScreenPixelsPerInch() {
  const int ppi = win::GetDeviceCaps(win::ScreenDC(), win::LOGPIXELSY);
  return ppi > 0 ? ppi : 96;
}

}  // namespace

const TIdentMap& CharsetIdents() {
  static const TIdentMap map = [] {
    std::vector<std::pair<Int64, std::string>> entries;
    for (const CharsetName& c : kCharsets) entries.emplace_back(c.Value, c.Name);
    return TIdentMap("TFontCharset", std::move(entries));
  }();
  return map;
}

bool CharsetToIdent(Integer charset, std::string& ident) { return CharsetIdents().IntToIdent(charset, ident); }

bool IdentToCharset(std::string_view ident, Integer& charset) {
  Int64 value = 0;
  if (!CharsetIdents().IdentToInt(ident, value)) return false;
  charset = static_cast<Integer>(value);
  return true;
}

const TClass& TFont::StaticClass() {
  static const TClass cls = TClass::Of<TFont>("TFont", TGraphicsObject::StaticClass(), &TFont::Publish);
  return cls;
}

void TFont::Publish(TPublished& published) {
  auto p = published.For<TFont>();
  p.Integer("Charset", &TFont::Charset, &TFont::SetCharset).Idents(CharsetIdents());
  p.Integer("Color", &TFont::Color, &TFont::SetColor).Idents(ColorIdents());
  p.Integer("Height", &TFont::Height, &TFont::SetHeight);
  p.String("Name", &TFont::Name, &TFont::SetName);
  p.Enum("Pitch", FontPitchInfo(), &TFont::Pitch, &TFont::SetPitch).Default(fpDefault);
  p.Integer("Size", &TFont::Size, &TFont::SetSize).Stored(false);
  p.Set("Style", FontStyleInfo(), &TFont::Style, &TFont::SetStyle);
}

TFont::TFont() : color_(clWindowText), pixelsPerInch_(ScreenPixelsPerInch()) {
  height_ = -MulDiv(8, pixelsPerInch_, 72);
}

void TFont::Assign(TPersistent* source) {
  const auto scope = OwnerLockScope(OwnerLock());
  if (auto* src = dynamic_cast<TFont*>(source)) {
    if (src == this) return;
    charset_ = src->charset_;
    color_ = src->color_;
    name_ = src->name_;
    pitch_ = src->pitch_;
    style_ = src->style_;
    orientation_ = src->orientation_;
    height_ = pixelsPerInch_ == src->pixelsPerInch_ ? src->height_ : -MulDiv(src->Size(), pixelsPerInch_, 72);
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TFont::SetCharset(TFontCharset value) {
  const auto scope = OwnerLockScope(OwnerLock());
  if (value == charset_) return;
  charset_ = value;
  Changed();
}

void TFont::SetColor(TColor value) {
  const auto scope = OwnerLockScope(OwnerLock());
  if (value == color_) return;
  color_ = value;
  Changed(false);  // the text colour is the canvas's, not part of the font
}

void TFont::SetHeight(Integer value) {
  const auto scope = OwnerLockScope(OwnerLock());
  if (value == height_) return;
  height_ = value;
  Changed();
}

void TFont::SetName(const TFontName& value) {
  const auto scope = OwnerLockScope(OwnerLock());
  if (value.empty() || value == name_) return;
  name_ = value;
  Changed();
}

void TFont::SetPitch(TFontPitch value) {
  const auto scope = OwnerLockScope(OwnerLock());
  if (value == pitch_) return;
  pitch_ = value;
  Changed();
}

Integer TFont::Size() const { return -MulDiv(height_, 72, pixelsPerInch_); }

void TFont::SetSize(Integer value) { SetHeight(-MulDiv(value, pixelsPerInch_, 72)); }

void TFont::SetStyle(TFontStyles value) {
  const auto scope = OwnerLockScope(OwnerLock());
  if (value == style_) return;
  style_ = value;
  Changed();
}

void TFont::SetOrientation(Integer value) {
  const auto scope = OwnerLockScope(OwnerLock());
  if (value == orientation_) return;
  orientation_ = value;
  Changed();
}

void TFont::SetPixelsPerInch(Integer value) {
  if (value > 0) pixelsPerInch_ = value;
}

win::HFONT TFont::Handle() { return win::ObjectAsFont(HandleObject()); }

void TFont::SetHandle(win::HFONT value) {
  const auto scope = OwnerLockScope(OwnerLock());
  if (value && win::FontAsObject(value) == CurrentHandle()) return;
  if (value) {
    win::LOGFONT lf;
    if (win::GetFontLogFont(value, &lf)) {
      height_ = lf.lfHeight;
      name_.assign(lf.lfFaceName, strnlen(lf.lfFaceName, sizeof lf.lfFaceName));
      TFontStyles s;
      if (lf.lfWeight >= win::FW_BOLD) s.Include(fsBold);
      if (lf.lfItalic) s.Include(fsItalic);
      if (lf.lfUnderline) s.Include(fsUnderline);
      if (lf.lfStrikeOut) s.Include(fsStrikeOut);
      style_ = s;
      charset_ = lf.lfCharSet;
      const win::BYTE pitch = lf.lfPitchAndFamily & 3;
      pitch_ = pitch == win::FIXED_PITCH ? fpFixed : pitch == win::VARIABLE_PITCH ? fpVariable : fpDefault;
      orientation_ = lf.lfEscapement;
    }
  }
  ReplaceHandle(value ? win::FontAsObject(value) : nullptr);
}

win::HGDIOBJ TFont::CreateHandleObject() {
  win::LOGFONT lf;
  lf.lfHeight = height_;
  lf.lfEscapement = orientation_;
  lf.lfOrientation = orientation_;
  lf.lfWeight = style_.Contains(fsBold) ? win::FW_BOLD : win::FW_NORMAL;
  lf.lfItalic = style_.Contains(fsItalic) ? 1 : 0;
  lf.lfUnderline = style_.Contains(fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = style_.Contains(fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = charset_;
  lf.lfOutPrecision = win::OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = win::CLIP_DEFAULT_PRECIS;
  lf.lfQuality = win::DEFAULT_QUALITY;
  lf.lfPitchAndFamily = pitch_ == fpFixed ? win::FIXED_PITCH : pitch_ == fpVariable ? win::VARIABLE_PITCH : win::DEFAULT_PITCH;
  const std::size_t n = std::min<std::size_t>(name_.size(), win::LF_FACESIZE - 1);
  std::memcpy(lf.lfFaceName, name_.data(), n);
  lf.lfFaceName[n] = '\0';
  return win::FontAsObject(win::CreateFontIndirect(&lf));
}
