#include "panels/num_spin_edit.h"

#include <algorithm>
#include <cmath>

#include "panels/num_format.h"
#include "panels/panel_glyphs.h"
#include "platform/classlib/class_registry.h"
#include "platform/classlib/math_utils.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/system_tables.h"
#include "platform/win/text/text.h"

namespace {

const bool kSpinEditRegistered = [] {
  RegisterClass(TNumSpinEdit::StaticClass());
  return true;
}();

constexpr Integer kUpDownWidth = 13;
constexpr Integer kDropButtonLeft = 15;
constexpr Integer kDropButtonWidth = 13;
// The drop-down button's group while the pop-up is open: the only button in its panel.
constexpr Integer kDropGroup = 1;

// The cell height (tmHeight) of a font.
Integer FontCellHeight(win::HFONT font) {
  win::HDC dc = win::CreateCompatibleDC(nullptr);
  if (!dc) return 0;
  win::HGDIOBJ old = win::SelectObject(dc, win::FontAsObject(font));
  win::TEXTMETRIC tm;
  win::GetTextMetrics(dc, &tm);
  win::SelectObject(dc, old);
  win::DeleteDC(dc);
  return tm.tmHeight;
}

}  // namespace

const TClass& TNumSpinEdit::StaticClass() {
  static const TClass cls = TClass::Of<TNumSpinEdit>("TNumSpinEdit", TCustomEdit::StaticClass(), &TNumSpinEdit::Publish);
  return cls;
}

void TNumSpinEdit::Publish(TPublished& published) {
  TWinControl::PublishProperties(
      published, {"Anchors",    "Color",      "Constraints", "Ctl3D",        "DragCursor",  "DragMode",
                  "Enabled",    "Font",       "ParentColor", "ParentCtl3D",  "ParentFont",  "ParentShowHint",
                  "PopupMenu",  "ShowHint",   "TabOrder",    "TabStop",      "Visible",     "OnClick",
                  "OnDblClick", "OnEnter",    "OnExit",      "OnKeyDown",    "OnKeyPress",  "OnKeyUp",
                  "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnStartDrag"});
  auto e = published.For<TCustomEdit>();
  e.Boolean("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
  e.Boolean("AutoSize", &TCustomEdit::AutoSize, &TCustomEdit::SetAutoSize).Default(true);
  e.Boolean("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false);
  e.Event("OnChange", &TCustomEdit::OnChange);
  auto p = published.For<TNumSpinEdit>();
  p.Boolean("EditorEnabled", &TNumSpinEdit::EditorEnabled, &TNumSpinEdit::SetEditorEnabled).Default(true);
  p.String("ValueUnit", &TNumSpinEdit::ValueUnit, &TNumSpinEdit::SetValueUnit).Default("");
  p.Float("Increment", &TNumSpinEdit::Increment, &TNumSpinEdit::SetIncrement).Default(1.0);
  p.Float("IncrementGauge", &TNumSpinEdit::IncrementGauge, &TNumSpinEdit::SetIncrementGauge).Default(0.0);
  p.Float("GaugeAroundCenter", &TNumSpinEdit::GaugeAroundCenter, &TNumSpinEdit::SetGaugeAroundCenter).Default(0.0);
  p.Float("MaxValue", &TNumSpinEdit::MaxValue, &TNumSpinEdit::SetMaxValue).Default(100.0);
  p.Float("MinValue", &TNumSpinEdit::MinValue, &TNumSpinEdit::SetMinValue).Default(0.0);
  p.Float("GaugeMaxValue", &TNumSpinEdit::GaugeMaxValue, &TNumSpinEdit::SetGaugeMaxValue).Default(0.0);
  p.Float("GaugeMinValue", &TNumSpinEdit::GaugeMinValue, &TNumSpinEdit::SetGaugeMinValue).Default(0.0);
  p.Float("Value", &TNumSpinEdit::Value, &TNumSpinEdit::SetValue).Default(0.0);
  p.Integer("GuageBeginColor", &TNumSpinEdit::GuageBeginColor, &TNumSpinEdit::SetGuageBeginColor)
      .Idents(ColorIdents())
      .Default(clHighlight);
  p.Integer("GuageEndColor", &TNumSpinEdit::GuageEndColor, &TNumSpinEdit::SetGuageEndColor)
      .Idents(ColorIdents())
      .Default(clRed);
  p.Integer("TrackBarWidth", &TNumSpinEdit::TrackBarWidth, &TNumSpinEdit::SetTrackBarWidth).Default(150);
  p.Integer("Precision", &TNumSpinEdit::Precision, &TNumSpinEdit::SetPrecision).Default(2);
  p.Enum("TrackBarOrientation", TrackBarOrientationInfo(), &TNumSpinEdit::TrackBarOrientation,
         &TNumSpinEdit::SetTrackBarOrientation)
      .Default(trHorizontal);
  p.Boolean("TrackBarEnabled", &TNumSpinEdit::TrackBarEnabled, &TNumSpinEdit::SetTrackBarEnabled).Default(true);
  p.Integer("GuageHeight", &TNumSpinEdit::GuageHeight, &TNumSpinEdit::SetGuageHeight).Default(5);
  published.Redefault("TabStop", Int64{1});
  published.Redefault("ParentColor", Int64{0});
  published.Redefault("Cursor", Int64{crArrow});
}

TNumSpinEdit::TNumSpinEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  // The text is the number, never the component's name.
  controlStyle_.Exclude(csSetCaption);
  SetCursor(crArrow);

  buttonPanel_ = new TPanel(this);
  buttonPanel_->SetBevelOuter(bvNone);
  buttonPanel_->SetBevelInner(bvNone);
  buttonPanel_->SetColor(clBtnFace);
  buttonPanel_->SetParent(this);

  upDown_ = new TUpDown(this);
  upDown_->SetParent(buttonPanel_);
  upDown_->SetBounds(1, 1, kUpDownWidth, 17);
  upDown_->SetMin(0);
  upDown_->SetMax(100);
  upDown_->SetPosition(1);
  upDown_->SetIncrement(1);
  upDown_->SetWrap(true);
  upDown_->OnClick = [this](TObject* Sender, TUDBtnType Button) { UpDownClick(Sender, Button); };

  dropButton_ = new TSpeedButton(this);
  dropButton_->SetParent(buttonPanel_);
  dropButton_->SetBounds(kDropButtonLeft, 1, kDropButtonWidth, 17);
  dropButton_->SetNumGlyphs(1);
  dropButton_->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, Integer x, Integer y) {
    DropButtonDown(s, b, sh, x, y);
  };
  dropButton_->OnMouseMove = [this](TObject* s, TShiftState sh, Integer x, Integer y) { DropButtonMove(s, sh, x, y); };
  dropButton_->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, Integer x, Integer y) {
    DropButtonUp(s, b, sh, x, y);
  };

  gauge_ = new TNumGauge(this);
  gauge_->SetParent(this);

  popup_ = new TPopupForm(this);
  popupPanel_ = new TPanel(popup_);
  popupPanel_->SetBorderWidth(4);
  popupPanel_->SetParent(popup_);
  popupPanel_->SetAlign(alClient);
  trackBar_ = new TTrackBar(popup_);
  trackBar_->SetRange(0, 1000);
  trackBar_->SetFrequency(50);
  trackBar_->SetThumbLength(15);
  trackBar_->SetTickMarks(tmBoth);
  trackBar_->SetTabStop(false);
  trackThickness_ = trackBar_->Height() - 10;
  trackBar_->SetParent(popupPanel_);
  trackBar_->SetAlign(alClient);
  popup_->OnShow = [this](TObject* Sender) { PopupShow(Sender); };
  ApplyTrackBarOrientation();

  SetIncrement(1);
  SetValue(0);
  SetBounds(Left(), Top(), Width(), Height());
}

TNumSpinEdit::~TNumSpinEdit() {
  upDown_->OnClick = nullptr;
  dropButton_->OnMouseDown = nullptr;
  dropButton_->OnMouseMove = nullptr;
  dropButton_->OnMouseUp = nullptr;
  // The pop-up goes while the edit it reports to is whole.
  popup_->OnShow = nullptr;
  FreeAndNil(popup_);
}

// ---- the value -------------------------------------------------------------------------------------------

std::string TNumSpinEdit::FormatValue(double value) const { return FormatNumValue(value, precision_, valueUnit_); }

double TNumSpinEdit::ParseValue(const std::string& text) const { return ParseNumValue(text, valueUnit_); }

void TNumSpinEdit::SetTextQuietly(const std::string& text) {
  ++quiet_;
  try {
    SetText(text);
  } catch (...) {
    --quiet_;
    throw;
  }
  --quiet_;
}

// Reading never touches the text: a person may be half-way through typing it. A text that
// does not parse reads as the last one that did.
double TNumSpinEdit::Value() {
  if (loadedValue_) return *loadedValue_;
  try {
    return ParseValue(Text());
  } catch (const EConvertError&) {
    return typedValue_;
  }
}

void TNumSpinEdit::SetValue(double value) {
  if (Loading()) {
    loadedValue_ = value;
    return;
  }
  const double old = Value();
  // A NaN lands on MinValue.
  const double clamped = std::min(maxValue_, std::max(minValue_, value));
  SetTextQuietly(FormatValue(clamped));
  typedValue_ = clamped;
  // A value beyond the range differs from the old one even when it clamps to it.
  if (value == old || (std::isnan(value) && clamped == old)) return;
  if (gauge_) gauge_->Invalidate();
  if (popup_ && popup_->Visible()) trackBar_->SetPosition(TrackPosition(clamped));
  if (!Loading() && OnChange) OnChange(this);
}

void TNumSpinEdit::SetMinValue(double value) {
  if (minValue_ == value) return;
  minValue_ = value;
  SetValue(std::max(minValue_, Value()));
  gauge_->Invalidate();
}

void TNumSpinEdit::SetMaxValue(double value) {
  if (maxValue_ == value) return;
  maxValue_ = value;
  SetValue(std::min(maxValue_, Value()));
  gauge_->Invalidate();
}

void TNumSpinEdit::SetGaugeMinValue(double value) {
  gaugeMinValue_ = value;
  gauge_->Invalidate();
}

void TNumSpinEdit::SetGaugeMaxValue(double value) {
  gaugeMaxValue_ = value;
  gauge_->Invalidate();
}

void TNumSpinEdit::SetValueUnit(const std::string& value) {
  // Read with the unit the text carries now, written back with the new one.
  const double v = Value();
  if (Loading()) {
    loadedValue_ = v;
    valueUnit_ = value;
    return;
  }
  valueUnit_ = value;
  // The text carries the new unit before the value is written, so that it reads back.
  SetTextQuietly(FormatValue(v));
  SetValue(v);
}

void TNumSpinEdit::SetPrecision(Integer value) {
  value = std::clamp<Integer>(value, -1, 6);
  if (precision_ == value) return;
  const double v = Value();
  precision_ = value;
  if (Loading()) {
    loadedValue_ = v;
    return;
  }
  SetTextQuietly(FormatValue(v));
  SetValue(v);
}

void TNumSpinEdit::Step(TUDBtnType button) {
  const double v = Value();
  if (button == btNext)
    SetValue(v + increment_ < maxValue_ ? v + increment_ : maxValue_);
  else
    SetValue(v - increment_ > minValue_ ? v - increment_ : minValue_);
  if (HandleAllocated())
    win::PostMessage(WindowHandle(), NSM_STEPPED, 0, 0);
  else
    Perform(NSM_STEPPED);
}

void TNumSpinEdit::UpDownClick(TObject*, TUDBtnType Button) { Step(Button); }

// ---- messages and keys ------------------------------------------------------------------------------------

void TNumSpinEdit::Dispatch(TMessage& Message) {
  if (Message.Msg == NSM_STEPPED) {
    // The up-down only reports direction: back to the middle, so that it never runs
    // into either end of its range.
    upDown_->SetPosition(50);
    if (AutoSelect() && !Loading()) SelectAll();
    gauge_->Invalidate();
    return;
  }
  // Paste and cut arrive as messages too (menus, code), not only as keys.
  if (!editorEnabled_ && (Message.Msg == WM_PASTE || Message.Msg == WM_CUT || Message.Msg == WM_CLEAR)) {
    Message.Result = 0;
    return;
  }
  TCustomEdit::Dispatch(Message);
}

void TNumSpinEdit::Change() {
  // The text is left as typed; the value follows it whenever it parses.
  try {
    typedValue_ = ParseValue(Text());
  } catch (const EConvertError&) {
  }
  if (gauge_) gauge_->Invalidate();
  if (quiet_ == 0 && !Loading()) TCustomEdit::Change();
}

void TNumSpinEdit::KeyDown(Word& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (Key == win::VK_UP) {
    Step(btNext);
    Key = 0;
  } else if (Key == win::VK_DOWN) {
    Step(btPrev);
    Key = 0;
  } else if (!editorEnabled_ && (Key == win::VK_DELETE || (Key == win::VK_INSERT && Shift.Contains(ssShift)))) {
    // Delete, Shift+Delete (cut) and Shift+Insert (paste) change the text.
    Key = 0;
  }
}

void TNumSpinEdit::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  // Ctrl+C (3) only copies; every other character would edit.
  if (!editorEnabled_ && Key != 3) Key = 0;
}

// Leaving writes the value back formatted and clamped, unit included.
void TNumSpinEdit::DoExit() {
  SetValue(Value());
  TCustomEdit::DoExit();
}

// ---- layout --------------------------------------------------------------------------------------------------

Integer TNumSpinEdit::MinHeight() {
  const Integer system = FontCellHeight(win::GetStockFont(win::SYSTEM_FONT));
  const Integer own = FontCellHeight(Font()->Handle());
  return std::min(system, own) / 4 + own + 4 * win::GetSystemMetrics(win::SM_CYBORDER) + 2 + guageHeight_ + 1;
}

void TNumSpinEdit::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  // Before the parts exist (the base class sizes itself first) there is nothing to lay out.
  if (gauge_) AHeight = std::max(AHeight, MinHeight());
  TCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
  Layout();
}

void TNumSpinEdit::Layout() {
  if (!buttonPanel_ || !gauge_) return;
  const Integer w = Width(), h = Height();
  const Integer panelWidth = upDown_->Width() + (dropButton_->Visible() ? dropButton_->Width() : 0) + 3;
  const Integer panelHeight = h - 3 - guageHeight_ - 1;
  buttonPanel_->SetBounds(w - 4 - panelWidth, 0, panelWidth, panelHeight);
  upDown_->SetBounds(1, 1, kUpDownWidth, panelHeight - 2);
  dropButton_->SetBounds(kDropButtonLeft, 1, kDropButtonWidth, panelHeight - 2);
  gauge_->SetBounds(0, h - 4 - guageHeight_ - 1, w - 4, guageHeight_ + 2);
  SetEditRect();
}

void TNumSpinEdit::SetEditRect() {
  if (!HandleAllocated()) return;
  TRect r = ClientRect();
  r.bottom += 1;
  win::SendMessage(WindowHandle(), EM_SETRECTNP, 0, reinterpret_cast<win::LPARAM>(&r));
}

void TNumSpinEdit::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style |= win::WS_CLIPCHILDREN;
}

void TNumSpinEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  SetEditRect();
}

void TNumSpinEdit::WMSize(TMessage& Message) {
  TCustomEdit::WMSize(Message);
  // A resize brings the edit's default rectangle back: ours again.
  SetEditRect();
}

void TNumSpinEdit::Loaded() {
  TCustomEdit::Loaded();
  if (loadedValue_) {
    const double v = std::min(maxValue_, std::max(minValue_, *loadedValue_));
    loadedValue_.reset();
    SetTextQuietly(FormatValue(v));
  }
  SetBounds(Left(), Top(), Width(), Height());
  gauge_->Invalidate();
}

bool TNumSpinEdit::CanAutoSize(Integer&, Integer&) { return true; }

void TNumSpinEdit::SetGuageHeight(Integer value) {
  if (guageHeight_ == value) return;
  guageHeight_ = value;
  SetBounds(Left(), Top(), Width(), Height());
}

// ---- the drop-down track bar ----------------------------------------------------------------------------------

void TNumSpinEdit::SetTrackBarWidth(Integer value) { trackBarWidth_ = std::clamp<Integer>(value, 50, 300); }

void TNumSpinEdit::SetTrackBarOrientation(TTrackBarOrientation value) {
  trackBarOrientation_ = value;
  ApplyTrackBarOrientation();
}

void TNumSpinEdit::ApplyTrackBarOrientation() {
  trackBar_->SetOrientation(trackBarOrientation_);
  if (trackBarOrientation_ == trHorizontal) {
    LoadPanelGlyph(dropButton_->Glyph(), "DropDown");
    popup_->SetBounds(popup_->Left(), popup_->Top(), trackBarWidth_, trackThickness_);
  } else {
    LoadPanelGlyph(dropButton_->Glyph(), "DropLeft");
    popup_->SetBounds(popup_->Left(), popup_->Top(), trackThickness_, trackBarWidth_);
  }
}

void TNumSpinEdit::SetTrackBarEnabled(bool value) {
  trackBarEnabled_ = value;
  dropButton_->SetVisible(value);
  Layout();
}

Integer TNumSpinEdit::TrackPosition(double value) const {
  double range = maxValue_ - minValue_;
  if (!(range > 0)) range = 100;
  const Int64 pos = std::clamp<Int64>(Round((value - minValue_) * 1000 / range), 0, 1000);
  const auto p = static_cast<Integer>(pos);
  return trackBarOrientation_ == trHorizontal ? p : 1000 - p;
}

void TNumSpinEdit::DropButtonDown(TObject*, TMouseButton Button, TShiftState, Integer X, Integer Y) {
  if (Button != mbLeft || !trackBarEnabled_) return;
  const bool horizontal = trackBarOrientation_ == trHorizontal;
  pressPoint_ = dropButton_->ClientToScreen(TPoint{X, Y});
  const TPoint corner = dropButton_->ClientToScreen(TPoint{0, 0});
  const Integer left = corner.x + (horizontal ? 0 : dropButton_->Width());
  const Integer top = corner.y + dropButton_->Height();
  trackBar_->SetPosition(TrackPosition(Value()));
  if (horizontal)
    popup_->SetBounds(left, top, trackBarWidth_, trackThickness_);
  else
    popup_->SetBounds(left, top, trackThickness_, trackBarWidth_);
  if (CanFocus()) SetFocus();
  dropping_ = true;
  popup_->Show();
  // Down while the pop-up is open: a group of its own keeps it down.
  dropButton_->SetGroupIndex(kDropGroup);
  dropButton_->SetAllowAllUp(true);
  dropButton_->SetDown(true);
}

void TNumSpinEdit::PopupShow(TObject*) {
  // The thumb goes under the point where the button was pressed (4: the panel's border).
  TRect thumb{};
  trackBar_->Perform(TBM_GETTHUMBRECT, 0, reinterpret_cast<win::LPARAM>(&thumb));
  if (trackBarOrientation_ == trHorizontal)
    popup_->SetLeft(pressPoint_.x - thumb.left - (thumb.right - thumb.left) / 2 - 4);
  else
    popup_->SetTop(pressPoint_.y - thumb.top - (thumb.bottom - thumb.top) / 2 - 4);
}

void TNumSpinEdit::DropButtonMove(TObject*, TShiftState, Integer X, Integer Y) {
  if (!dropping_ || !popup_->Visible()) return;
  const TPoint p = trackBar_->ScreenToClient(dropButton_->ClientToScreen(TPoint{X, Y}));
  TRect channel{};
  trackBar_->Perform(TBM_GETCHANNELRECT, 0, reinterpret_cast<win::LPARAM>(&channel));
  Integer length, along;
  if (trackBarOrientation_ == trHorizontal) {
    length = channel.right - channel.left;
    along = p.x - channel.left;
  } else {
    // Top is the maximum.
    length = channel.bottom - channel.top;
    along = channel.bottom - p.y;
  }
  if (length <= 0) return;
  along = std::clamp<Integer>(along, 0, length);
  double v = static_cast<double>(along) / length * (maxValue_ - minValue_) + minValue_;
  const double step = IncrementGauge();
  if (step > 0) v = static_cast<double>(Round(v / step)) * step;
  SetValue(v);
}

void TNumSpinEdit::DropButtonUp(TObject*, TMouseButton Button, TShiftState, Integer, Integer) {
  if (Button != mbLeft || !dropping_) return;
  dropping_ = false;
  popup_->Hide();
  dropButton_->SetDown(false);
  dropButton_->SetGroupIndex(0);
}
