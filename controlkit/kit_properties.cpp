#include "controlkit/kit_properties.h"

// The identifier tables of the property objects' enumerations, in value order.

const TEnumInfo& KitTextArrangeInfo() {
  static const TEnumInfo info("TKitTextArrange", {"taLeft", "taLeftTop", "taRight", "taRightTop", "taTop",
                                                  "taTopLeft", "taBottom", "taBottomLeft"});
  return info;
}

const TEnumInfo& KitAlignmentInfo() {
  static const TEnumInfo info("TKitAlignment", {"agTopLeft", "agTopCenter", "agTopRight", "agCenterLeft", "agCenter",
                                                "agCenterRight", "agBottomLeft", "agBottomCenter", "agBottomRight"});
  return info;
}

const TEnumInfo& KitArrowPositionInfo() {
  static const TEnumInfo info("TKitArrowPosition", {"apRightText", "apLeftText", "apRightGlyph", "apLeftGlyph"});
  return info;
}

const TEnumInfo& KitThreeDStyleInfo() {
  static const TEnumInfo info("TKitThreeDStyle",
                              {"tdNone", "tdSunken", "tdRaised", "tdSunkenShadow", "tdRaisedShadow", "tdPColorSunken",
                               "tdPColorRaised", "tdShadow", "tdOutline", "tdExtrude", "tdExtrudeEnh"});
  return info;
}

const TEnumInfo& KitDisabledStyleInfo() {
  static const TEnumInfo info("TKitDisabledStyle", {"dsAuto", "dsStandard", "ds3d", "dsNone"});
  return info;
}

const TEnumInfo& KitThreeDOrientationInfo() {
  static const TEnumInfo info("TKitThreeDOrientation", {"toBottomLeft", "toBottomRight", "toTopLeft", "toTopRight"});
  return info;
}

const TEnumInfo& KitGradientStyleInfo() {
  static const TEnumInfo info("TKitGradientStyle",
                              {"gstHorizontal", "gstVertical", "gstSquare", "gstElliptic", "gstTopLeft", "gstTopRight",
                               "gstBottomLeft", "gstBottomRight", "gstTopLeftDiagonal", "gstTopRightDiagonal"});
  return info;
}

const TEnumInfo& KitFillStyleInfo() {
  static const TEnumInfo info("TKitFillStyle",
                              {"sfNone", "sfBrushBitmap", "sfBrush", "sfBitmap", "sfBitmapList", "sfGradient"});
  return info;
}

const TEnumInfo& KitTileModeInfo() {
  static const TEnumInfo info("TKitTileMode", {"tmNone", "tmCenter", "tmStretch", "tmTile"});
  return info;
}

const TEnumInfo& KitFillOptionInfo() {
  static const TEnumInfo info("TKitFillOption", {"foFillInner", "foQuickDraw", "foGrUseBitmap"});
  return info;
}
