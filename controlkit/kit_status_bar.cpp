#include "controlkit/kit_status_bar.h"

#include "controlkit/kit_labels.h"
#include "controlkit/kit_text_effects.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/message_dialogs.h"
#include "platform/win/paint.h"
#include "platform/win/text/text.h"

namespace {

const bool kStatusBarRegistered = [] {
  RegisterClass(TKitStatusBar::StaticClass());
  return true;
}();

bool Loading(const TComponent* c) { return c && c->ComponentState().Contains(csLoading); }
bool Destroying(const TComponent* c) { return c && c->ComponentState().Contains(csDestroying); }

constexpr Integer kGripSize = 13;

}  // namespace

const TEnumInfo& KitStatusPanelStyleInfo() {
  static const TEnumInfo info("TKitStatusPanelStyle", {"spText", "spOwnerDraw", "spPanel"});
  return info;
}

// ---- TKitStatusCustomPanel ------------------------------------------------------------------

const TClass& TKitStatusCustomPanel::StaticClass() {
  static const TClass cls = TClass::Of<TKitStatusCustomPanel>("TKitStatusCustomPanel", TKitCustomPanel::StaticClass(),
                                                              &TKitStatusCustomPanel::Publish);
  return cls;
}

void TKitStatusCustomPanel::Publish(TPublished& published) {
  TWinControl::PublishProperties(published, {"Color", "Font", "ParentColor", "ParentFont", "OnClick"});
  published.Redefault("ParentColor", Int64{0});
}

TKitStatusCustomPanel::TKitStatusCustomPanel(TComponent* AOwner) : TKitCustomPanel(AOwner) {}

TKitStatusCustomPanel::~TKitStatusCustomPanel() {
  if (statusPanel_) {
    TKitStatusPanel* panel = statusPanel_;
    statusPanel_ = nullptr;
    panel->ControlGone();
  }
}

void TKitStatusCustomPanel::DefineProperties(TFiler* filer) {
  TKitCustomPanel::DefineProperties(filer);
  filer->DefineProperty(
      "BarPanelId", [this](TReader& r) { barPanelId_ = r.ReadInteger(); },
      [this](TWriter& w) { w.WriteInteger(barPanelId_); }, true);
}

void TKitStatusCustomPanel::Loaded() {
  TKitCustomPanel::Loaded();
  auto* bar = dynamic_cast<TKitStatusBar*>(Parent());
  if (!bar) return;
  // Only a panel still waiting for its control takes this one: a panel that already holds
  // one keeps it, so files that gave two panels one id lose no control.
  for (int i = 0; i < bar->Panels()->Count(); ++i) {
    TKitStatusPanel* panel = bar->Panels()->Items(i);
    if (panel->PanelId() == barPanelId_ && panel->Style() == spPanel && !panel->PanelControl()) {
      panel->AdoptControl(this);
      break;
    }
  }
}

void TKitStatusCustomPanel::Paint() { DrawBackground(); }

// ---- TKitStatusPanel ------------------------------------------------------------------------

const TClass& TKitStatusPanel::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitStatusPanel>("TKitStatusPanel", TCollectionItem::StaticClass(), &TKitStatusPanel::Publish);
  return cls;
}

void TKitStatusPanel::Publish(TPublished& published) {
  using P = TKitStatusPanel;
  auto p = published.For<P>();
  p.Enum("Alignment", KitAlignmentInfo(), &P::Alignment, &P::SetAlignment).Default(agTopLeft);
  p.Object("Bevel", &P::Bevel, &P::SetBevel);
  p.Enum("Style", KitStatusPanelStyleInfo(), &P::Style, &P::SetStyle).Default(spText);
  p.String("Text", &P::Text, &P::SetText).Default("");
  p.Integer("Left", &P::Left, &P::SetLeft).Default(3);
  p.Integer("Size", &P::Size, &P::SetSize).Default(50);
  p.Object("Font", &P::Font, &P::SetFont);
  p.Object("Font3D", &P::Font3D, &P::SetFont3D);
}

namespace {

// A status panel's bevel starts in bmStandard, so a form file must record a move away from it.
class TKitStatusPanelBevel : public TKitBevel {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TKitStatusPanelBevel>(
        "TKitStatusPanelBevel", TKitBevel::StaticClass(),
        [](TPublished& published) { published.Redefault("Mode", Int64{bmStandard}); });
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }
};

}  // namespace

TKitStatusPanel::TKitStatusPanel(TCollection* ACollection)
    : TCollectionItem(ACollection),
      bevel_(std::make_unique<TKitStatusPanelBevel>()),
      font_(std::make_unique<TFont>()),
      font3D_(std::make_unique<TKit3DCaption>()) {
  bevel_->SetMode(bmStandard);
  bevel_->OnChange = [this](TObject*) { Changed(false); };
  font_->OnChange = [this](TObject*) { Changed(false); };
  font3D_->OnChange = [this](TObject*) { Changed(false); };
}

TKitStatusPanel::~TKitStatusPanel() {
  bevel_->OnChange = nullptr;
  font_->OnChange = nullptr;
  font3D_->OnChange = nullptr;
  if (control_) {
    TKitStatusCustomPanel* control = control_;
    control_ = nullptr;
    control->statusPanel_ = nullptr;
    if (!Destroying(control)) delete control;
  }
}

void TKitStatusPanel::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TKitStatusPanel*>(Source)) {
    bevel_->Assign(other->bevel_.get());
    size_ = other->size_;
    left_ = other->left_;
    SetStyle(other->style_);
    text_ = other->text_;
    alignment_ = other->alignment_;
    font_->Assign(other->font_.get());
    font3D_->Assign(other->font3D_.get());
    Changed(true);
    return;
  }
  TCollectionItem::Assign(Source);
}

void TKitStatusPanel::DefineProperties(TFiler* filer) {
  TCollectionItem::DefineProperties(filer);
  filer->DefineProperty(
      "BarPanelId", [this](TReader& r) { panelId_ = r.ReadInteger(); },
      [this](TWriter& w) { w.WriteInteger(panelId_); }, true);
}

TKitStatusBar* TKitStatusPanel::Bar() const {
  auto* panels = dynamic_cast<TKitStatusPanels*>(Collection());
  return panels ? panels->Bar() : nullptr;
}

void TKitStatusPanel::SetAlignment(TKitAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Changed(false);
}

void TKitStatusPanel::SetText(const std::string& Value) {
  if (text_ == Value) return;
  text_ = Value;
  Changed(false);
}

void TKitStatusPanel::SetLeft(Integer Value) {
  if (left_ == Value) return;
  left_ = Value;
  Changed(true);
}

void TKitStatusPanel::SetSize(Integer Value) {
  if (size_ == Value) return;
  size_ = Value;
  Changed(true);
}

void TKitStatusPanel::SetStyle(TKitStatusPanelStyle Value) {
  if (style_ == Value) return;
  if (style_ == spPanel) FreeControl();
  style_ = Value;
  TKitStatusBar* bar = Bar();
  if (Value == spPanel && bar && !Loading(bar)) MakeControl();
  Changed(false);
}

void TKitStatusPanel::FreeControl() {
  if (!control_) return;
  TKitStatusCustomPanel* control = control_;
  control_ = nullptr;
  control->statusPanel_ = nullptr;
  delete control;
}

void TKitStatusPanel::MakeControl() {
  TKitStatusBar* bar = Bar();
  if (!bar || control_) return;
  auto* control = new TKitStatusCustomPanel(bar->Owner());
  control->SetVisible(false);  // shown when the bar paints the panel
  // The bar's child count, unless another panel's control already has that id (a freed
  // control lowers the count): the id is what pairs panel and control again on reading.
  Integer id = bar->ControlCount();
  while (bar->PanelIdHeld(id, this)) ++id;
  control->SetParent(bar);
  control->barPanelId_ = id;
  panelId_ = id;
  control->statusPanel_ = this;
  control_ = control;
}

void TKitStatusPanel::ControlGone() {
  control_ = nullptr;
  style_ = spText;
  TKitStatusBar* bar = Bar();
  if (bar && !Destroying(bar)) Changed(false);
}

void TKitStatusPanel::AdoptControl(TKitStatusCustomPanel* Control) {
  if (control_ == Control) return;
  FreeControl();
  if (Control->statusPanel_) Control->statusPanel_->control_ = nullptr;
  Control->statusPanel_ = this;
  control_ = Control;
  Changed(false);
}

bool TKitStatusBar::PanelIdHeld(Integer Id, const TKitStatusPanel* Except) const {
  for (int i = 0; i < panels_->Count(); ++i) {
    const TKitStatusPanel* panel = panels_->Items(i);
    if (panel != Except && panel->Style() == spPanel && panel->PanelId() == Id) return true;
  }
  for (Integer i = 0; i < ControlCount(); ++i)
    if (auto* c = dynamic_cast<TKitStatusCustomPanel*>(Controls(i)))
      if (c->BarPanelId() == Id) return true;
  return false;
}

// ---- TKitStatusPanels -----------------------------------------------------------------------

const TClass& TKitStatusPanels::StaticClass() {
  static const TClass cls = TClass::Of<TKitStatusPanels>("TKitStatusPanels", TOwnedCollection::StaticClass());
  return cls;
}

TKitStatusPanels::TKitStatusPanels(TKitStatusBar* Bar)
    : TOwnedCollection(Bar, TKitStatusPanel::StaticClass()), bar_(Bar) {}

void TKitStatusPanels::Update(TCollectionItem* Item) {
  if (!bar_ || Destroying(bar_) || Loading(bar_)) return;
  if (Item)
    bar_->UpdatePanel(Item->Index());
  else
    bar_->Invalidate();
}

// ---- TKitStatusBar --------------------------------------------------------------------------

const TClass& TKitStatusBar::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitStatusBar>("TKitStatusBar", TKitCustomStatusBar::StaticClass(), &TKitStatusBar::Publish);
  return cls;
}

void TKitStatusBar::Publish(TPublished& published) {
  using B = TKitStatusBar;
  TWinControl::PublishProperties(published, {"Align", "Color", "Enabled", "Font", "ParentColor", "ParentFont",
                                             "Visible", "OnClick", "OnDblClick", "OnResize"});
  auto p = published.For<B>();
  p.Integer("Color", &B::Color, &B::SetColor).Idents(ColorIdents()).Default(clBtnFace);
  p.Enum("Align", AlignInfo(), &B::Align, &B::SetAlign).Default(alBottom);
  p.Enum("Alignment", KitAlignmentInfo(), &B::Alignment, &B::SetAlignment).Default(agTopLeft);
  p.String("SimpleText", &B::SimpleText, &B::SetSimpleText).Default("");
  p.Boolean("AutoSizeLastPanel", &B::AutoSizeLastPanel, &B::SetAutoSizeLastPanel).Default(true);
  p.Boolean("OldStyle", &B::OldStyle, &B::SetOldStyle).Default(true);
  p.Boolean("SimplePanel", &B::SimplePanel, &B::SetSimplePanel).Default(false);
  p.Boolean("SizeGrip", &B::SizeGrip, &B::SetSizeGrip).Default(true);
  p.Object("Font3D", &B::Font3D, &B::SetFont3D);
  p.Collection("Panels", &B::Panels, &B::SetPanels);
  p.Integer("ControlGap", &B::ControlGap, &B::SetControlGap).Default(3);
  p.Event("OnOwnerDrawPanel", &B::OnOwnerDrawPanel);
  p.Event("OnPanelClick", &B::OnPanelClick);
  published.Redefault("ParentColor", Int64{0});
}

TKitStatusBar::TKitStatusBar(TComponent* AOwner)
    : TKitCustomStatusBar(AOwner), font3D_(std::make_unique<TKit3DCaption>()) {
  static const bool panelClassRegistered = [] {
    RegisterClass(TKitStatusCustomPanel::StaticClass());
    return true;
  }();
  (void)panelClassRegistered;
  panels_ = std::make_unique<TKitStatusPanels>(this);
  font3D_->OnChange = [this](TObject*) { Invalidate(); };
  TControlStyle style = ControlStyle();
  style.Include(csCaptureMouse).Include(csClickEvents).Include(csOpaque).Include(csDoubleClicks);
  style.Exclude(csAcceptsControls);
  SetControlStyle(style);
  SetAlign(alBottom);
  SetHeight(19);
}

TKitStatusBar::~TKitStatusBar() {
  font3D_->OnChange = nullptr;
  // The panels free their child panels while the bar is still whole.
  panels_.reset();
}

void TKitStatusBar::SetAlignment(TKitAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Invalidate();
}

void TKitStatusBar::SetSimpleText(const std::string& Value) {
  if (simpleText_ == Value) return;
  simpleText_ = Value;
  Invalidate();
}

void TKitStatusBar::SetAutoSizeLastPanel(bool Value) {
  if (autoSizeLastPanel_ == Value) return;
  autoSizeLastPanel_ = Value;
  Invalidate();
}

void TKitStatusBar::SetOldStyle(bool Value) {
  if (oldStyle_ == Value) return;
  if (Value && ComponentState().Contains(csDesigning) && !Loading(this))
    MessageDlg("Switching to OldStyle is not recommended. It's only implemented for being compatible to our old "
               "KitStatusBar!",
               mtInformation, TMsgDlgButtons{mbOK}, 0);
  oldStyle_ = Value;
  Invalidate();
}

void TKitStatusBar::SetSimplePanel(bool Value) {
  if (simplePanel_ == Value) return;
  simplePanel_ = Value;
  Invalidate();
}

void TKitStatusBar::SetSizeGrip(bool Value) {
  if (sizeGrip_ == Value) return;
  sizeGrip_ = Value;
  if (HandleAllocated()) RecreateWnd();
  Realign();
  Invalidate();
}

void TKitStatusBar::SetPanels(TKitStatusPanels* Value) {
  if (Value) panels_->Assign(Value);
  Invalidate();
}

void TKitStatusBar::SetControlGap(Integer Value) {
  controlGap_ = Value;
  for (Integer i = 0; i < ControlCount(); ++i)
    if (auto* label = dynamic_cast<TKitBaseLabel*>(Controls(i))) label->AdjustBounds();
  Invalidate();
}

void TKitStatusBar::CreateParams(TCreateParams& Params) {
  TKitCustomStatusBar::CreateParams(Params);
  if (sizeGrip_) Params.WindowClass.style &= ~win::CS_HREDRAW;
}

void TKitStatusBar::AlignControls(TControl* AControl, TRect& Rect) {
  // Aligned children keep clear of the size grip.
  if (sizeGrip_) Rect.right -= 12;
  TKitCustomStatusBar::AlignControls(AControl, Rect);
}

TRect TKitStatusBar::ComputePanelArea() {
  TRect r = ClientRect();
  if (oldStyle_) {
    if (sizeGrip_) r.right -= kGripSize;
    r = Rect(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
  }
  return r;
}

TRect TKitStatusBar::PanelArea() { return ComputePanelArea(); }

TRect TKitStatusBar::PanelRect(Integer Index) {
  if (Index < 0 || Index >= panels_->Count()) return Rect(0, 0, 0, 0);
  const TRect area = PanelArea();
  Integer x = area.left;
  for (Integer i = 0;; ++i) {
    TKitStatusPanel* panel = panels_->Items(i);
    x += panel->Left();
    Integer right = x + panel->Size();
    if (i == panels_->Count() - 1 && autoSizeLastPanel_ && right < area.right) right = area.right;
    if (i == Index) return Rect(x, area.top, right, area.bottom);
    x += panel->Size();
  }
}

Integer TKitStatusBar::PanelAt(const TPoint& P) {
  if (oldStyle_ || simplePanel_) return -1;
  for (Integer i = 0; i < panels_->Count(); ++i) {
    const TRect r = PanelRect(i);
    if (P.x >= r.left && P.x < r.right && P.y >= r.top && P.y < r.bottom) return i;
  }
  return -1;
}

void TKitStatusBar::UpdatePanel(Integer Index) {
  if (oldStyle_ || simplePanel_ || Index < 0 || Index >= panels_->Count() - 1 || !HandleAllocated()) {
    Invalidate();
    return;
  }
  const TRect r = PanelRect(Index);
  const win::RECT rc{r.left, r.top, r.right, r.bottom};
  win::InvalidateRect(WindowHandle(), &rc, false);
}

void TKitStatusBar::DrawText(const std::string& Text, TKit3DCaption* Caption, const TRect& R, TKitAlignment Align) {
  const Cardinal flags = KitAlignmentTextFlags(Align) | win::DT_SINGLELINE | win::DT_EXPANDTABS | win::DT_NOPREFIX;
  DrawTextEffect(Canvas(), Text, Caption, R, flags, Enabled() ? kKitTextEnabled : 0, nullptr);
}

void TKitStatusBar::PaintPanel(Integer Index, const TRect& R) {
  TKitStatusPanel* panel = panels_->Items(Index);
  TCanvas* canvas = Canvas();
  const TRect inner = panel->Bevel()->Paint(canvas, R, false);
  canvas->SetFont(panel->Font());
  switch (panel->Style()) {
    case spText:
      canvas->Brush()->SetStyle(bsClear);
      DrawText(panel->Text(), panel->Font3D(), inner, panel->Alignment());
      break;
    case spOwnerDraw:
      if (OnOwnerDrawPanel) OnOwnerDrawPanel(this, Index, canvas, inner);
      break;
    case spPanel:
      if (TKitStatusCustomPanel* control = panel->PanelControl()) {
        const TRect b = control->BoundsRect();
        if (b.left != inner.left || b.top != inner.top || b.right != inner.right || b.bottom != inner.bottom)
          control->SetBoundsRect(inner);
        if (!control->Visible()) control->Show();
      }
      break;
  }
}

void TKitStatusBar::DrawGrip(const TRect& R) {
  TCanvas* canvas = Canvas();
  const Integer right = R.right, bottom = R.bottom;
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(Color());
  canvas->FillRect(Rect(right - kGripSize, bottom - kGripSize, right, bottom));
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetMode(pmCopy);
  canvas->Pen()->SetColor(clBtnShadow);
  canvas->Pen()->SetWidth(2);
  for (Integer k = 0; k < 3; ++k) {
    canvas->MoveTo(right - 2, bottom - 12 + 4 * k);
    canvas->LineTo(right - 12 + 4 * k, bottom - 2);
  }
  canvas->Pen()->SetWidth(1);
  canvas->Pen()->SetColor(clWhite);
  for (Integer k = 0; k < 3; ++k) {
    canvas->MoveTo(right - 2, bottom - 13 + 4 * k);
    canvas->LineTo(right - 14 + 4 * k, bottom - 1);
  }
  canvas->Pen()->SetColor(Color());
  for (Integer k = 0; k < 3; ++k) {
    canvas->MoveTo(right - 1, bottom - 11 + 4 * k);
    canvas->LineTo(right - 11 + 4 * k, bottom - 1);
  }
  if (Bevel()->BevelExtent() > 0) {
    canvas->Pen()->SetColor(clBtnFace);
    canvas->MoveTo(right - 1, bottom - kGripSize);
    canvas->LineTo(right - 1, bottom - 1);
    canvas->LineTo(right - kGripSize - 1, bottom - 1);
    canvas->SetPixels(right - 1, bottom - 1, clBtnFace);
  }
}

void TKitStatusBar::Paint() {
  DrawBackground();
  TCanvas* canvas = Canvas();
  Bevel()->Paint(canvas, ClientRect(), IsTransparent());
  TRect r = ClientRect();
  if (oldStyle_ && sizeGrip_) DrawGrip(r);
  r = ComputePanelArea();
  panelArea_ = r;
  if (simplePanel_) {
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsClear);
    DrawText(simpleText_, font3D_.get(), r, alignment_);
    return;
  }
  if (oldStyle_) return;
  for (Integer i = 0; i < panels_->Count(); ++i) PaintPanel(i, PanelRect(i));
  auto* form = dynamic_cast<TCustomForm*>(Owner());
  if (sizeGrip_ && form && form->WindowState() != wsMaximized) DrawGrip(r);
}

void TKitStatusBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft && !oldStyle_) {
    const Integer index = PanelAt(TPoint{X, Y});
    if (index >= 0 && OnPanelClick) OnPanelClick(this, index);
  }
  TKitCustomStatusBar::MouseDown(Button, Shift, X, Y);
}
