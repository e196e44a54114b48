#include "platform/classlib/panels.h"

#include "platform/classlib/class_registry.h"
#include "platform/win/gdi.h"
#include "platform/win/text/text.h"

namespace {
// Form files name the class.
const bool kPanelRegistered = [] {
  RegisterClass(TPanel::StaticClass());
  return true;
}();
}  // namespace

const TEnumInfo& BevelCutInfo() {
  static const TEnumInfo info("TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"});
  return info;
}

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width) {
  Canvas->Pen()->SetWidth(1);
  // Lines leave out their last pixel: the corners go to the colour drawn last.
  --Rect.bottom;
  --Rect.right;
  for (; Width > 0; --Width) {
    Canvas->Pen()->SetColor(TopColor);
    Canvas->Polyline({TPoint{Rect.left, Rect.bottom}, TPoint{Rect.left, Rect.top}, TPoint{Rect.right, Rect.top}});
    Canvas->Pen()->SetColor(BottomColor);
    Canvas->Polyline(
        {TPoint{Rect.right, Rect.top}, TPoint{Rect.right, Rect.bottom}, TPoint{Rect.left - 1, Rect.bottom}});
    ++Rect.left;
    ++Rect.top;
    --Rect.right;
    --Rect.bottom;
  }
  ++Rect.bottom;
  ++Rect.right;
}

// ---- TCustomPanel ---------------------------------------------------------------------------------

namespace {

struct PanelRegistrar {
  const char* Name;
  void (*Register)(TPublished&);
};

const PanelRegistrar kPanelProperties[] = {
    {"Alignment",
     [](TPublished& p) {
       p.For<TCustomPanel>().Enum("Alignment", AlignmentInfo(), &TCustomPanel::Alignment, &TCustomPanel::SetAlignment).Default(taCenter);
     }},
    {"BevelInner",
     [](TPublished& p) {
       p.For<TCustomPanel>().Enum("BevelInner", BevelCutInfo(), &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner).Default(bvNone);
     }},
    {"BevelOuter",
     [](TPublished& p) {
       p.For<TCustomPanel>().Enum("BevelOuter", BevelCutInfo(), &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter).Default(bvRaised);
     }},
    {"BevelWidth",
     [](TPublished& p) {
       p.For<TCustomPanel>().Integer("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth).Default(1);
     }},
    {"BorderWidth",
     [](TPublished& p) {
       p.For<TCustomPanel>().Integer("BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth).Default(0);
     }},
    {"BorderStyle",
     [](TPublished& p) {
       p.For<TCustomPanel>().Enum("BorderStyle", BorderStyleInfo(), &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle).Default(bsNone);
     }},
    {"FullRepaint",
     [](TPublished& p) {
       p.For<TCustomPanel>().Boolean("FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint).Default(true);
     }},
    {"Locked",
     [](TPublished& p) { p.For<TCustomPanel>().Boolean("Locked", &TCustomPanel::Locked, &TCustomPanel::SetLocked).Default(false); }},
};

}  // namespace

void TCustomPanel::PublishProperties(TPublished& published, std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) {
    bool done = false;
    for (const auto& r : kPanelProperties)
      if (SameIdent(r.Name, name)) {
        r.Register(published);
        done = true;
        break;
      }
    if (!done) TWinControl::PublishProperties(published, {name});
  }
}

const TClass& TCustomPanel::StaticClass() {
  static const TClass cls = TClass::Of<TCustomPanel>("TCustomPanel", TCustomControl::StaticClass(), &TCustomPanel::Publish);
  return cls;
}

void TCustomPanel::Publish(TPublished&) {}

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                csOpaque,          csDoubleClicks, csReplicatable};
  SetBounds(Left(), Top(), 185, 41);
  SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (borderStyle_ == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= win::WS_EX_CLIENTEDGE;
    else
      Params.Style |= win::WS_BORDER;
  }
  Params.WindowClass.style &= ~(win::CS_HREDRAW | win::CS_VREDRAW);
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  Integer inset = borderWidth_;
  if (bevelOuter_ != bvNone) inset += bevelWidth_;
  if (bevelInner_ != bvNone) inset += bevelWidth_;
  Rect.left += inset;
  Rect.top += inset;
  Rect.right -= inset;
  Rect.bottom -= inset;
}

void TCustomPanel::Paint() {
  TCanvas* canvas = Canvas();
  TRect r = ClientRect();
  auto bevel = [&](TPanelBevel cut) {
    if (cut == bvNone) return;
    TColor top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
    TColor bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
    // A spacing bevel takes its room in the panel's colour.
    if (cut == bvSpace) top = bottom = Color();
    Frame3D(canvas, r, top, bottom, bevelWidth_);
  };
  bevel(bevelOuter_);
  Frame3D(canvas, r, Color(), Color(), borderWidth_);
  bevel(bevelInner_);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(r);
  std::string caption = Caption();
  if (caption.empty()) return;
  canvas->Brush()->SetStyle(bsClear);
  canvas->SetFont(Font());
  Integer fontHeight = canvas->TextHeight("W");
  r.top = ((r.bottom + r.top) - fontHeight) / 2;
  r.bottom = r.top + fontHeight;
  win::UINT flags = win::DT_EXPANDTABS | win::DT_VCENTER;
  switch (alignment_) {
    case taLeftJustify: flags |= win::DT_LEFT; break;
    case taRightJustify: flags |= win::DT_RIGHT; break;
    case taCenter: flags |= win::DT_CENTER; break;
  }
  win::SetBkMode(canvas->Handle(), win::TRANSPARENT);
  win::DrawText(canvas->Handle(), caption.c_str(), static_cast<int>(caption.size()), &r, flags);
}

void TCustomPanel::BordersChanged() {
  Realign();
  Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment value) {
  if (alignment_ == value) return;
  alignment_ = value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TPanelBevel value) {
  if (bevelInner_ == value) return;
  bevelInner_ = value;
  BordersChanged();
}

void TCustomPanel::SetBevelOuter(TPanelBevel value) {
  if (bevelOuter_ == value) return;
  bevelOuter_ = value;
  BordersChanged();
}

void TCustomPanel::SetBevelWidth(TBevelWidth value) {
  if (value < 1) value = 1;
  if (bevelWidth_ == value) return;
  bevelWidth_ = value;
  BordersChanged();
}

void TCustomPanel::SetBorderWidth(TBorderWidth value) {
  if (value < 0) value = 0;
  if (borderWidth_ == value) return;
  borderWidth_ = value;
  BordersChanged();
}

void TCustomPanel::SetBorderStyle(TBorderStyle value) {
  if (value != bsNone) value = bsSingle;
  if (borderStyle_ == value) return;
  borderStyle_ = value;
  RecreateWnd();
  Realign();
}

void TCustomPanel::CMTextChanged(TMessage& Message) {
  TCustomControl::CMTextChanged(Message);
  Invalidate();
}

void TCustomPanel::CMCtl3DChanged(TMessage& Message) {
  if (borderStyle_ == bsSingle) RecreateWnd();
  TCustomControl::CMCtl3DChanged(Message);
}

void TCustomPanel::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  bool sized = AWidth != Width() || AHeight != Height();
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  // The bevels sit on the edges: a new size repaints the whole panel.
  if (sized && fullRepaint_) Invalidate();
}

// ---- TPanel ---------------------------------------------------------------------------------------

const TClass& TPanel::StaticClass() {
  static const TClass cls = TClass::Of<TPanel>("TPanel", TCustomPanel::StaticClass(), &TPanel::Publish);
  return cls;
}

void TPanel::Publish(TPublished& published) {
  TCustomPanel::PublishProperties(
      published, {"Align",       "Alignment",   "Anchors",     "AutoSize",    "BevelInner",  "BevelOuter",
                  "BevelWidth",  "BorderWidth", "BorderStyle", "Caption",     "Color",       "Constraints",
                  "Ctl3D",       "DragCursor",  "DragMode",    "Enabled",     "FullRepaint", "Font",
                  "Locked",      "ParentColor", "ParentCtl3D", "ParentFont",  "ParentShowHint", "PopupMenu",
                  "ShowHint",    "TabOrder",    "TabStop",     "Visible",     "OnCanResize", "OnClick",
                  "OnConstrainedResize", "OnDblClick", "OnEnter", "OnExit",   "OnMouseDown", "OnMouseMove",
                  "OnMouseUp",   "OnMouseWheel", "OnMouseWheelDown", "OnMouseWheelUp", "OnResize"});
  // A panel has its own colour, not its parent's.
  auto p = published.For<TPanel>();
  p.Integer("Color", &TPanel::Color, &TPanel::SetColor)
      .Idents(ColorIdents())
      .Default(clBtnFace)
      .StoredIf([](TPanel* c) { return !c->ParentColor(); });
  p.Boolean("ParentColor", &TPanel::ParentColor, &TPanel::SetParentColor).Default(false);
}
