#include "platform/classlib/graphics_colors.h"

#include <iterator>

#include "platform/classlib/properties.h"
#include "platform/classlib/sysutils.h"
#include "platform/win/system_tables.h"

namespace {

struct ColorName {
  TColor Value;
  const char* Name;
};

// Standard colours first, so that a value two names share (clSilver/clLtGray) prints as
// the first.
constexpr ColorName kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
    // Accepted when reading only.
    {clLtGray, "clLtGray"},
    {clDkGray, "clDkGray"},
};

}  // namespace

Integer ColorToRGB(TColor color) {
  if (color < 0) return static_cast<Integer>(win::GetSysColor(color & 0xFF));
  return color;
}

const TIdentMap& ColorIdents() {
  static const TIdentMap map = [] {
    std::vector<std::pair<Int64, std::string>> entries;
    for (const ColorName& c : kColorNames) entries.emplace_back(c.Value, c.Name);
    return TIdentMap("TColor", std::move(entries));
  }();
  return map;
}

bool ColorToIdent(TColor color, std::string& ident) { return ColorIdents().IntToIdent(color, ident); }

bool IdentToColor(std::string_view ident, TColor& color) {
  Int64 value = 0;
  if (!ColorIdents().IdentToInt(ident, value)) return false;
  color = static_cast<TColor>(value);
  return true;
}

std::string ColorToString(TColor color) {
  std::string ident;
  if (ColorToIdent(color, ident)) return ident;
  return "$" + IntToHex(color, 8);
}

TColor StringToColor(std::string_view text) {
  TColor color = 0;
  if (IdentToColor(text, color)) return color;
  return StrToInt(text);
}
