#include "panels/fold_panel.h"

#include <algorithm>
#include <utility>

#include "panels/panel_glyphs.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/sysutils.h"
#include "platform/win/paint.h"
#include "platform/win/rect.h"

namespace {

const bool kFoldPanelRegistered = [] {
  RegisterClass(TFpFoldPanel::StaticClass());
  return true;
}();

constexpr Integer kMinCollapsed = 12;

}  // namespace

const TEnumInfo& FoldStatusInfo() {
  static const TEnumInfo info("TFoldStatus", {"fsExpanded", "fsCollapsed"});
  return info;
}

const TEnumInfo& FoldPositionInfo() {
  static const TEnumInfo info("TFoldPosition", {"fpLeftTop", "fpRightTop", "fpLeftBottom", "fpRightBottom"});
  return info;
}

const TEnumInfo& FoldOrientationInfo() {
  static const TEnumInfo info("TFoldOrientation", {"foHorizontal", "foVertical"});
  return info;
}

// ---- TFpFoldPanelClient -------------------------------------------------------------------------

const TClass& TFpFoldPanelClient::StaticClass() {
  static const TClass cls = TClass::Of<TFpFoldPanelClient>("TFpFoldPanelClient", TFpPaneles::StaticClass());
  return cls;
}

TFpFoldPanelClient::TFpFoldPanelClient(TComponent* AOwner)
    : TFpPaneles(AOwner), panel_(dynamic_cast<TFpFoldPanel*>(AOwner)) {}

void TFpFoldPanelClient::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  if (panel_ && panel_->Folding()) {
    const Integer bar = panel_->BarThickness();
    const TFoldPosition pos = panel_->FoldPosition();
    if (panel_->Orientation() == foHorizontal) {
      if (pos == fpLeftTop || pos == fpRightTop) {
        AHeight -= bar - ATop;
        ATop = bar;
      } else {
        AHeight -= bar;
      }
    } else {
      if (pos == fpLeftTop || pos == fpLeftBottom) {
        AWidth -= bar - ALeft;
        ALeft = bar;
      } else {
        AWidth -= bar;
      }
    }
  }
  TFpPaneles::SetBounds(ALeft, ATop, std::max<Integer>(AWidth, 0), std::max<Integer>(AHeight, 0));
}

// ---- TFpFoldPanel: creation and properties ----------------------------------------------------------

const TClass& TFpFoldPanel::StaticClass() {
  static const TClass cls =
      TClass::Of<TFpFoldPanel>("TFpFoldPanel", TCustomPanel::StaticClass(), &TFpFoldPanel::Publish);
  return cls;
}

void TFpFoldPanel::Publish(TPublished& published) {
  TCustomPanel::PublishProperties(
      published, {"Align",       "BevelInner",  "BevelOuter",  "BevelWidth",  "BorderWidth",  "BorderStyle",
                  "Ctl3D",       "DragCursor",  "DragMode",    "Enabled",     "Font",         "FullRepaint",
                  "Locked",      "ParentCtl3D", "ParentFont",  "ParentShowHint", "PopupMenu", "ShowHint",
                  "TabOrder",    "TabStop",     "Visible",     "OnClick",     "OnDblClick",   "OnEnter",
                  "OnExit",      "OnMouseDown", "OnMouseMove", "OnMouseUp",   "OnResize",     "OnDragDrop",
                  "OnDragOver",  "OnEndDrag",   "OnStartDrag"});
  auto p = published.For<TFpFoldPanel>();
  p.Integer("Color", &TFpFoldPanel::Color, &TFpFoldPanel::SetColor)
      .Idents(ColorIdents())
      .Default(clBtnFace)
      .StoredIf([](TFpFoldPanel* c) { return !c->ParentColor(); });
  p.Boolean("ParentColor", &TFpFoldPanel::ParentColor, &TFpFoldPanel::SetParentColor).Default(false);
  p.Enum("ClientBevelInner", BevelCutInfo(), &TFpFoldPanel::ClientBevelInner, &TFpFoldPanel::SetClientBevelInner)
      .Default(bvNone);
  p.Enum("ClientBevelOuter", BevelCutInfo(), &TFpFoldPanel::ClientBevelOuter, &TFpFoldPanel::SetClientBevelOuter)
      .Default(bvNone);
  p.Integer("ClientBevelWidth", &TFpFoldPanel::ClientBevelWidth, &TFpFoldPanel::SetClientBevelWidth).Default(1);
  p.Enum("FoldStatus", FoldStatusInfo(), &TFpFoldPanel::FoldStatus, &TFpFoldPanel::SetFoldStatus)
      .Default(fsExpanded);
  p.Boolean("Folding", &TFpFoldPanel::Folding, &TFpFoldPanel::SetFolding).Default(true);
  p.String("Caption", &TFpFoldPanel::Caption, &TFpFoldPanel::SetCaption).Default("");
  p.Object("CaptionFont", &TFpFoldPanel::CaptionFont, &TFpFoldPanel::SetCaptionFont);
  p.Object("GlyphExpand", &TFpFoldPanel::GlyphExpand, &TFpFoldPanel::SetGlyphExpand)
      .StoredIf([](TFpFoldPanel* c) { return c->expandSetByUser_; });
  p.Object("GlyphCollaps", &TFpFoldPanel::GlyphCollaps, &TFpFoldPanel::SetGlyphCollaps)
      .StoredIf([](TFpFoldPanel* c) { return c->collapsSetByUser_; });
  p.Boolean("Seperated", &TFpFoldPanel::Seperated, &TFpFoldPanel::SetSeperated).Default(true);
  p.Enum("SeperatorLineStyle", BevelStyleInfo(), &TFpFoldPanel::SeperatorLineStyle,
         &TFpFoldPanel::SetSeperatorLineStyle)
      .Default(bsLowered);
  p.Enum("FoldPosition", FoldPositionInfo(), &TFpFoldPanel::FoldPosition, &TFpFoldPanel::SetFoldPosition)
      .Default(fpLeftTop);
  p.Integer("FoldActiveColor", &TFpFoldPanel::FoldActiveColor, &TFpFoldPanel::SetFoldActiveColor)
      .Idents(ColorIdents())
      .Default(clAqua);
  p.Enum("Orientation", FoldOrientationInfo(), &TFpFoldPanel::Orientation, &TFpFoldPanel::SetOrientation)
      .Default(foVertical);
  p.Event("OnFoldClick", &TFpFoldPanel::OnFoldClick);
  p.Event("BeforeExpand", &TFpFoldPanel::BeforeExpand);
  p.Event("AfterExpand", &TFpFoldPanel::AfterExpand);
  p.Event("BeforeCollaps", &TFpFoldPanel::BeforeCollaps);
  p.Event("AfterCollaps", &TFpFoldPanel::AfterCollaps);
  p.Object("Bitmap", &TFpFoldPanel::Bitmap, &TFpFoldPanel::SetBitmap);
  p.Component("BitmapHolder", &TFpFoldPanel::BitmapHolder, &TFpFoldPanel::SetBitmapHolder);
  // A collapsed panel's size is the strip's, so the size to expand to is stored on its own.
  p.Integer("ExpandedSize", &TFpFoldPanel::ExpandedSize, &TFpFoldPanel::SetExpandedSize)
      .NoDefault()
      .StoredIf([](TFpFoldPanel* c) { return c->FoldStatus() == fsCollapsed; });
  p.Integer("CollapsedHeight", &TFpFoldPanel::CollapsedHeight).Stored(false);
  p.Integer("CollapsedWidth", &TFpFoldPanel::CollapsedWidth).Stored(false);
}

TFpFoldPanel::TFpFoldPanel(TComponent* AOwner)
    : TCustomPanel(AOwner),
      glyphExpand_(std::make_unique<TBitmap>()),
      glyphCollaps_(std::make_unique<TBitmap>()),
      glyphExpandActive_(std::make_unique<TBitmap>()),
      glyphCollapsActive_(std::make_unique<TBitmap>()),
      captionFont_(std::make_unique<TFont>()) {
  // The caption is the bar's own, not the panel text drawn in the middle.
  controlStyle_.Exclude(csSetCaption);
  expandedSize_ = Height();
  captionFont_->SetName("Small Fonts");
  captionFont_->SetSize(7);
  captionFont_->OnChange = [this](TObject*) { Invalidate(); };
  LoadDefaultGlyph(kExpand);
  LoadDefaultGlyph(kCollaps);
  glyphExpand_->OnChange = [this](TObject*) { GlyphChanged(kExpand); };
  glyphCollaps_->OnChange = [this](TObject*) { GlyphChanged(kCollaps); };
  TBitmap* glyph = CurrentGlyph();
  glyphRect_ = TRect{0, 0, glyph->Width(), glyph->Height()};

  client_ = new TFpFoldPanelClient(this);
  client_->SetBevelOuter(bvNone);
  client_->SetBevelInner(bvNone);
  client_->SetParent(this);
  client_->SetAlign(alClient);
  // The client's events are the panel's, with the mouse in panel coordinates.
  client_->OnClick = [this](TObject*) {
    if (OnClick) OnClick(this);
  };
  client_->OnDblClick = [this](TObject*) {
    if (OnDblClick) OnDblClick(this);
  };
  client_->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, Integer x, Integer y) {
    if (OnMouseDown) OnMouseDown(this, b, s, x + client_->Left(), y + client_->Top());
  };
  client_->OnMouseMove = [this](TObject*, TShiftState s, Integer x, Integer y) {
    if (OnMouseMove) OnMouseMove(this, s, x + client_->Left(), y + client_->Top());
  };
  client_->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, Integer x, Integer y) {
    if (OnMouseUp) OnMouseUp(this, b, s, x + client_->Left(), y + client_->Top());
  };
  // Drops on the client are drops on the panel, which alone decides.
  client_->OnDragOver = [this](TObject*, TObject* source, Integer x, Integer y, TDragState state, bool& accept) {
    accept = false;
    if (OnDragOver) {
      accept = true;
      OnDragOver(this, source, x + client_->Left(), y + client_->Top(), state, accept);
    }
  };
  client_->OnDragDrop = [this](TObject*, TObject* source, Integer x, Integer y) {
    if (OnDragDrop) OnDragDrop(this, source, x + client_->Left(), y + client_->Top());
  };
}

TFpFoldPanel::~TFpFoldPanel() {
  glyphExpand_->OnChange = nullptr;
  glyphCollaps_->OnChange = nullptr;
  captionFont_->OnChange = nullptr;
}

void TFpFoldPanel::LoadDefaultGlyph(GlyphKind kind) {
  const bool horizontal = orientation_ == foHorizontal;
  loadingGlyph_ = true;
  if (kind == kExpand) {
    LoadPanelGlyph(glyphExpand_.get(), horizontal ? "EXPAND_H" : "EXPAND_V");
    expandSetByUser_ = false;
    BuildHighlightGlyph(glyphExpandActive_.get(), glyphExpand_.get(), foldActiveColor_);
  } else {
    LoadPanelGlyph(glyphCollaps_.get(), horizontal ? "COLLAPS_H" : "COLLAPS_V");
    collapsSetByUser_ = false;
    BuildHighlightGlyph(glyphCollapsActive_.get(), glyphCollaps_.get(), foldActiveColor_);
  }
  loadingGlyph_ = false;
}

void TFpFoldPanel::GlyphChanged(GlyphKind kind) {
  if (loadingGlyph_) return;
  TBitmap* glyph = kind == kExpand ? glyphExpand_.get() : glyphCollaps_.get();
  if (glyph->Empty()) {
    LoadDefaultGlyph(kind);
  } else {
    (kind == kExpand ? expandSetByUser_ : collapsSetByUser_) = true;
    BuildHighlightGlyph(kind == kExpand ? glyphExpandActive_.get() : glyphCollapsActive_.get(), glyph,
                        foldActiveColor_);
  }
  // The bar's thickness follows the glyph.
  Realign();
  Invalidate();
}

void TFpFoldPanel::RebuildHighlights() {
  BuildHighlightGlyph(glyphExpandActive_.get(), glyphExpand_.get(), foldActiveColor_);
  BuildHighlightGlyph(glyphCollapsActive_.get(), glyphCollaps_.get(), foldActiveColor_);
}

TBitmap* TFpFoldPanel::CurrentGlyph() const {
  return status_ == fsCollapsed ? glyphExpand_.get() : glyphCollaps_.get();
}

void TFpFoldPanel::SetFoldActiveColor(TColor value) {
  if (foldActiveColor_ == value) return;
  foldActiveColor_ = value;
  RebuildHighlights();
  Invalidate();
}

void TFpFoldPanel::SetSeperated(bool value) {
  if (seperated_ == value) return;
  seperated_ = value;
  // The two lines are part of the bar: the client moves with them.
  Realign();
  if (folding_) Invalidate();
}

void TFpFoldPanel::SetSeperatorLineStyle(TBevelStyle value) {
  if (seperatorLineStyle_ == value) return;
  seperatorLineStyle_ = value;
  if (folding_) Invalidate();
}

void TFpFoldPanel::SetFoldPosition(TFoldPosition value) {
  if (position_ == value) return;
  position_ = value;
  if (folding_) {
    Realign();
    Invalidate();
  }
}

void TFpFoldPanel::SetCaption(const std::string& value) {
  if (caption_ == value) return;
  caption_ = value;
  Invalidate();
}

void TFpFoldPanel::SetClientBevelInner(TPanelBevel value) {
  client_->SetBevelInner(value);
  Realign();
}

void TFpFoldPanel::SetClientBevelOuter(TPanelBevel value) {
  client_->SetBevelOuter(value);
  Realign();
}

void TFpFoldPanel::SetClientBevelWidth(TBevelWidth value) {
  client_->SetBevelWidth(value);
  Realign();
}

// ---- geometry ----------------------------------------------------------------------------------------

Integer TFpFoldPanel::BevelInset() const {
  Integer inset = 0;
  if (BevelInner() != bvNone) inset += BevelWidth();
  if (BevelOuter() != bvNone) inset += BevelWidth();
  return inset;
}

Integer TFpFoldPanel::FrameSize() const {
  return 2 * BevelInset() + (BorderStyle() == bsSingle ? 2 : 0);
}

Integer TFpFoldPanel::BarThickness() const {
  TBitmap* glyph = CurrentGlyph();
  Integer bar = orientation_ == foHorizontal ? glyph->Height() : glyph->Width();
  bar += BevelInset();
  if (seperated_ && folding_) bar += 2;
  return bar;
}

Integer TFpFoldPanel::CollapsedWidth() const {
  Integer w = kMinCollapsed;
  if (!glyphExpand_->Empty()) w = orientation_ == foHorizontal ? glyphExpand_->Width() : Width();
  return std::max(w, kMinCollapsed);
}

Integer TFpFoldPanel::CollapsedHeight() const {
  Integer h = kMinCollapsed;
  if (!glyphExpand_->Empty()) h = orientation_ == foHorizontal ? Height() : glyphExpand_->Height();
  return std::max(h, kMinCollapsed);
}

// ---- folding -------------------------------------------------------------------------------------------

void TFpFoldPanel::SetFoldStatus(TFoldStatus value) {
  if (ComponentState().Contains(csLoading)) {
    loadedStatus_ = value;
    return;
  }
  if (value == fsCollapsed && (!folding_ || ComponentState().Contains(csDesigning))) return;
  if (value == status_) return;
  if (value == fsExpanded) {
    if (BeforeExpand) BeforeExpand(this);
  } else {
    if (BeforeCollaps) BeforeCollaps(this);
  }
  Fold(value);
  if (status_ == fsExpanded) {
    if (AfterExpand) AfterExpand(this);
  } else {
    if (AfterCollaps) AfterCollaps(this);
  }
}

void TFpFoldPanel::Fold(TFoldStatus value) {
  status_ = value;
  if (value == fsExpanded) {
    sizeLock_ = false;
    ResizeFromFoldEdge(expandedSize_);
    Realign();
    client_->Show();
  } else {
    client_->Hide();
    ResizeFromFoldEdge((orientation_ == foHorizontal ? CollapsedWidth() : CollapsedHeight()) + FrameSize());
    sizeLock_ = true;
  }
  TBitmap* glyph = CurrentGlyph();
  glyphRect_ = TRect{0, 0, glyph->Width(), glyph->Height()};
  Invalidate();
}

void TFpFoldPanel::ResizeFromFoldEdge(Integer size) {
  if (orientation_ == foHorizontal) {
    const Integer left = LeftPosition() ? Left() : Left() + Width() - size;
    SetBounds(left, Top(), size, Height());
  } else {
    const Integer top = TopPosition() ? Top() : Top() + Height() - size;
    SetBounds(Left(), top, Width(), size);
  }
}

void TFpFoldPanel::GetChildren(const TGetChildProc& proc, TComponent* root) {
  TCustomPanel::GetChildren(proc, root);
  client_->GetChildren(proc, root);
}

void TFpFoldPanel::DefineProperties(TFiler* filer) {
  TCustomPanel::DefineProperties(filer);
  // What GetChildren lists of the client's controls: those of the panel's owner.
  std::vector<std::string> names;
  for (Integer i = 0; i < client_->ControlCount(); ++i)
    if (TControl* c = client_->Controls(i); c->Owner() == Owner()) names.push_back(c->Name());
  filer->DefineProperty(
      "ClientControls",
      [this](TReader& reader) { loadedClientControls_ = reader.ReadStrings(); },
      [names](TWriter& writer) { writer.WriteStrings(names); }, !names.empty());
}

void TFpFoldPanel::Loaded() {
  // Read as the panel's children, the client's controls go back to the client before the
  // panel lays it out and folds.
  for (const std::string& name : std::exchange(loadedClientControls_, {}))
    for (Integer i = 0; i < ControlCount(); ++i)
      if (TControl* c = Controls(i); c != client_ && SameText(c->Name(), name)) {
        c->SetParent(client_);
        break;
      }
  TCustomPanel::Loaded();
  const std::optional<Integer> expanded = std::exchange(loadedExpandedSize_, std::nullopt);
  if (std::exchange(loadedStatus_, fsExpanded) != fsCollapsed || !folding_ ||
      ComponentState().Contains(csDesigning)) {
    if (expanded) SetExpandedSize(*expanded);
    return;
  }
  // A form written collapsed holds the strip and the size to expand to: the strip opens
  // to that size first, then folds again, as the whole panel would.
  if (expanded) ResizeFromFoldEdge(*expanded);
  Fold(fsCollapsed);
}

void TFpFoldPanel::SetExpandedSize(Integer value) {
  if (ComponentState().Contains(csLoading)) {
    loadedExpandedSize_ = value;
    return;
  }
  if (status_ == fsCollapsed) {
    expandedSize_ = value;
    return;
  }
  if (orientation_ == foHorizontal)
    SetBounds(Left(), Top(), value, Height());
  else
    SetBounds(Left(), Top(), Width(), value);
}

void TFpFoldPanel::SetFolding(bool value) {
  if (folding_ == value) return;
  folding_ = value;
  if (!folding_ && status_ == fsCollapsed) SetFoldStatus(fsExpanded);
  Realign();
  Invalidate();
}

void TFpFoldPanel::SetOrientation(TFoldOrientation value) {
  if (orientation_ == value) return;
  // A collapsed panel expands first, so that the size recorded for the new orientation
  // is the real one and not the collapsed strip.
  const bool wasCollapsed = status_ == fsCollapsed;
  if (wasCollapsed) SetFoldStatus(fsExpanded);
  orientation_ = value;
  expandedSize_ = orientation_ == foHorizontal ? Width() : Height();
  if (!expandSetByUser_) LoadDefaultGlyph(kExpand);
  if (!collapsSetByUser_) LoadDefaultGlyph(kCollaps);
  if (wasCollapsed) SetFoldStatus(fsCollapsed);
  Realign();
  Invalidate();
}

void TFpFoldPanel::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  const bool horizontal = orientation_ == foHorizontal;
  if (sizeLock_) {
    // Collapsed: the folding dimension stays, also for changes nested in this one.
    if (horizontal)
      AWidth = Width();
    else
      AHeight = Height();
  } else if (status_ == fsExpanded) {
    expandedSize_ = horizontal ? AWidth : AHeight;
  }
  TCustomPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
}

// ---- mouse ---------------------------------------------------------------------------------------------

void TFpFoldPanel::InvalidateGlyph() {
  if (!HandleAllocated()) return;
  win::InvalidateRect(WindowHandle(), &glyphRect_, 0);
}

void TFpFoldPanel::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  const TPoint p{X, Y};
  if (Button == mbLeft && folding_ && win::PtInRect(&glyphRect_, p)) {
    glyphPressed_ = true;
    TRect r = glyphRect_;
    win::InflateRect(&r, -1, -1);
    Frame3D(Canvas(), r, clBtnShadow, clBtnHighlight, 1);
  }
  TCustomPanel::MouseDown(Button, Shift, X, Y);
}

void TFpFoldPanel::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomPanel::MouseMove(Shift, X, Y);
  if (!folding_) return;
  const TPoint p{X, Y};
  const bool over = win::PtInRect(&glyphRect_, p) != 0;
  if (over != hover_) {
    hover_ = over;
    InvalidateGlyph();
  }
}

void TFpFoldPanel::WMLButtonUp(TMessage& Message) {
  const TPoint p{LoSmall(Message.LParam), HiSmall(Message.LParam)};
  const bool wasPressed = glyphPressed_;
  glyphPressed_ = false;
  foldClick_ = wasPressed && folding_ && win::PtInRect(&glyphRect_, p);
  TCustomPanel::WMLButtonUp(Message);
  foldClick_ = false;
  // The sunk frame goes.
  if (wasPressed) InvalidateGlyph();
}

void TFpFoldPanel::CMMouseLeave(TMessage& Message) {
  TCustomPanel::CMMouseLeave(Message);
  if (hover_) {
    hover_ = false;
    InvalidateGlyph();
  }
}

void TFpFoldPanel::Click() {
  if (foldClick_) {
    foldClick_ = false;
    FoldClick();
    return;
  }
  TCustomPanel::Click();
}

void TFpFoldPanel::FoldClick() {
  bool doFoldAction = true;
  if (OnFoldClick) OnFoldClick(this, status_, doFoldAction);
  if (!doFoldAction) return;
  if (status_ == fsExpanded)
    Collapse();
  else
    Expand();
}
