#pragma once
// TColor: the class library's colour value. Plain colours are 0x00BBGGRR (red in the low
// byte); a system colour is 0x80000000 or-ed with the window system's colour index, so
// it follows the colour scheme until it is turned into RGB by ColorToRGB.
#include <string>
#include <string_view>

#include "platform/classlib/types.h"

using TColor = Integer;

namespace color_detail {
constexpr TColor Sys(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }
}  // namespace color_detail

inline constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);

inline constexpr TColor clScrollBar = color_detail::Sys(0);
inline constexpr TColor clBackground = color_detail::Sys(1);
inline constexpr TColor clActiveCaption = color_detail::Sys(2);
inline constexpr TColor clInactiveCaption = color_detail::Sys(3);
inline constexpr TColor clMenu = color_detail::Sys(4);
inline constexpr TColor clWindow = color_detail::Sys(5);
inline constexpr TColor clWindowFrame = color_detail::Sys(6);
inline constexpr TColor clMenuText = color_detail::Sys(7);
inline constexpr TColor clWindowText = color_detail::Sys(8);
inline constexpr TColor clCaptionText = color_detail::Sys(9);
inline constexpr TColor clActiveBorder = color_detail::Sys(10);
inline constexpr TColor clInactiveBorder = color_detail::Sys(11);
inline constexpr TColor clAppWorkSpace = color_detail::Sys(12);
inline constexpr TColor clHighlight = color_detail::Sys(13);
inline constexpr TColor clHighlightText = color_detail::Sys(14);
inline constexpr TColor clBtnFace = color_detail::Sys(15);
inline constexpr TColor clBtnShadow = color_detail::Sys(16);
inline constexpr TColor clGrayText = color_detail::Sys(17);
inline constexpr TColor clBtnText = color_detail::Sys(18);
inline constexpr TColor clInactiveCaptionText = color_detail::Sys(19);
inline constexpr TColor clBtnHighlight = color_detail::Sys(20);
inline constexpr TColor cl3DDkShadow = color_detail::Sys(21);
inline constexpr TColor cl3DLight = color_detail::Sys(22);
inline constexpr TColor clInfoText = color_detail::Sys(23);
inline constexpr TColor clInfoBk = color_detail::Sys(24);
inline constexpr TColor clHotLight = color_detail::Sys(26);
inline constexpr TColor clGradientActiveCaption = color_detail::Sys(27);
inline constexpr TColor clGradientInactiveCaption = color_detail::Sys(28);
inline constexpr TColor clMenuHighlight = color_detail::Sys(29);
inline constexpr TColor clMenuBar = color_detail::Sys(30);

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clLtGray = 0xC0C0C0;
inline constexpr TColor clDkGray = 0x808080;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;

// Marker values: no colour at all, and "the owner's default colour".
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

// The RGB value of a colour: system colours are looked up in the current scheme; every
// other value (plain, palette-relative, the markers) is returned as it is.
Integer ColorToRGB(TColor color);

// Names used by form files ("clBtnFace"). IdentToColor compares without regard to case.
bool ColorToIdent(TColor color, std::string& ident);
bool IdentToColor(std::string_view ident, TColor& color);
// The same names, for colour properties of form files.
class TIdentMap;
const TIdentMap& ColorIdents();
// A name when the colour has one, else "$" and eight hexadecimal digits.
std::string ColorToString(TColor color);
// A name, or a number in any form StrToInt takes; anything else raises EConvertError.
TColor StringToColor(std::string_view text);
