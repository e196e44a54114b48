#pragma once
// TKitBevel: the border description every kit control shares, and its painter.
//
// The bevel styles are the scoped TKitBevelStyle of kit_draw.h (TKitBevelStyle::bvRaised),
// because the class library's panel bevels already own the plain names bvNone ... bvSpace.
#include <string>

#include "controlkit/kit_draw.h"
#include "controlkit/kit_object.h"
#include "platform/classlib/canvas.h"
#include "platform/classlib/graphics_colors.h"
#include "platform/classlib/types.h"

using TKitBevelWidth = Byte;
using TKitBorderWidth = Byte;

enum TKitFrameSide : Byte { fsBottom, fsLeft, fsRight, fsTop };
using TKitFrameSides = TSet<TKitFrameSide>;

enum TKitEdgeStyle : Byte { etRaisedInner, etRaisedOuter, etSunkenInner, etSunkenOuter, etBump, etEtched, etRaised, etSunken };

enum TKitBevelMode : Byte { bmCustom, bmStandard, bmEdge, bmWindows };

class TKitBevel : public TKitObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  TKitBevel() = default;

  // Copies the thirteen published values from another bevel and calls Change once.
  void Assign(TPersistent* Source) override;
  // "{Custom style}", "{Standard style}", "{Etged style}" or "{Windows style}".
  std::string SettingsText() override;
  // Recomputes the extents, then fires OnChange.
  void Change() override;

  TKitBevelStyle StyleInner() const { return styleInner_; }
  void SetStyleInner(TKitBevelStyle Value);
  TKitBevelStyle StyleOuter() const { return styleOuter_; }
  void SetStyleOuter(TKitBevelStyle Value);
  TKitBevelWidth WidthInner() const { return widthInner_; }
  void SetWidthInner(TKitBevelWidth Value);
  TKitBevelWidth WidthOuter() const { return widthOuter_; }
  void SetWidthOuter(TKitBevelWidth Value);
  TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(TColor Value);
  TKitBorderWidth BorderInnerWidth() const { return borderInnerWidth_; }
  void SetBorderInnerWidth(TKitBorderWidth Value);
  TKitBorderWidth BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(TKitBorderWidth Value);
  TKitFrameSides BorderSides() const { return borderSides_; }
  void SetBorderSides(TKitFrameSides Value);
  TKitEdgeStyle EdgeStyle() const { return edgeStyle_; }
  void SetEdgeStyle(TKitEdgeStyle Value);
  TColor LightColor() const { return lightColor_; }
  void SetLightColor(TColor Value);
  TKitBevelMode Mode() const { return mode_; }
  void SetMode(TKitBevelMode Value);
  TColor ShadowColor() const { return shadowColor_; }
  void SetShadowColor(TColor Value);
  TKitBorderStyle StandardStyle() const { return standardStyle_; }
  // Calls Change only while Mode is bmStandard.
  void SetStandardStyle(TKitBorderStyle Value);

  // Total border thickness (left and top; also right and bottom unless shadowed).
  Integer BevelExtent() const { return bevelExtent_; }
  // Right and bottom thickness; differs from BevelExtent only with a bvShadow bevel.
  Integer ShadowExtent() const { return shadowExtent_; }
  // Recomputes both extents from the settings (Change does this too).
  void UpdateExtent();

  // Set by bevel panels: the window's own border stands in for bmWindows.
  bool WindowedOwner() const { return windowedOwner_ != 0; }
  void SetWindowedOwner(bool Value);
  // Set when Mode moved to or from bmWindows on a windowed owner; reading it with
  // TakeNeedsNewWindow clears it.
  bool NeedsNewWindow() const { return needsNewWindow_ != 0; }
  bool TakeNeedsNewWindow();

  // The client area inside the bevel.
  TRect ClientRect(const TRect& R) const;
  // Paints the bevel into R and returns the area inside it. With `SeeThrough` the flat
  // border rings are left unpainted (only stepped over).
  TRect Paint(TCanvas* Canvas, const TRect& R, bool SeeThrough);

 private:
  // Stores the mode and notes when the window must be made again.
  void SetModeField(TKitBevelMode Value);
  bool IsShadow() const { return mode_ == bmCustom && styleInner_ == TKitBevelStyle::bvShadow; }

  TKitBevelStyle styleInner_ = TKitBevelStyle::bvNone;
  TKitBevelStyle styleOuter_ = TKitBevelStyle::bvNone;
  TKitBevelWidth widthInner_ = 1;
  TKitBevelWidth widthOuter_ = 1;
  TColor borderColor_ = clBtnFace;
  TKitBorderWidth borderInnerWidth_ = 0;
  TKitBorderWidth borderWidth_ = 0;
  TKitFrameSides borderSides_{fsBottom, fsLeft, fsRight, fsTop};
  TKitEdgeStyle edgeStyle_ = etEtched;
  TColor lightColor_ = clBtnHighlight;
  TKitBevelMode mode_ = bmCustom;
  TColor shadowColor_ = clBtnShadow;
  TKitBorderStyle standardStyle_ = lsSingleLowered;
  Integer bevelExtent_ = 0;
  Integer shadowExtent_ = 0;
  Byte windowedOwner_ = 0;
  Byte needsNewWindow_ = 0;
};

// The system edge kind and side flags of bmEdge.
win::UINT KitEdgeKind(TKitEdgeStyle Style);
win::UINT KitEdgeSides(TKitFrameSides Sides);
