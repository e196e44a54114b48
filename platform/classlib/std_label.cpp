#include "platform/classlib/std_label.h"

#include <cctype>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/bitmap.h"
#include "platform/win/gdi.h"
#include "platform/win/rect.h"
#include "platform/win/region_api.h"
#include "platform/win/text/text.h"
#include "platform/classlib/module_life.h"

namespace {

const bool kLabelRegistered = [] {
  RegisterClass(TLabel::StaticClass());
  return true;
}();

// A canvas on a memory device context for measuring.
TCanvas* MeasureCanvas() {
  static TBitmap* bitmap = nullptr;
  return ModuleLazy(bitmap, [] {
           auto* b = new TBitmap();
           b->SetSize(1, 1);
           return b;
         })->Canvas();
}

}  // namespace

const TEnumInfo& TextLayoutInfo() {
  static const TEnumInfo info("TTextLayout", {"tlTop", "tlCenter", "tlBottom"});
  return info;
}

TSize MeasureText(TFont* font, const std::string& text) {
  TCanvas* canvas = MeasureCanvas();
  if (font) canvas->SetFont(font);
  return canvas->TextExtent(text);
}

Integer FontLineHeight(TFont* font) { return MeasureText(font, "Wg").cy; }

int DrawTextOn(TCanvas* canvas, const std::string& text, TRect& rect, win::UINT flags, TColor color) {
  canvas->TextExtent("");  // selects the font
  win::HDC dc = canvas->Handle();
  win::SetBkMode(dc, win::TRANSPARENT);
  win::SetTextColor(dc, static_cast<win::COLORREF>(ColorToRGB(color)));
  return win::DrawText(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags);
}

TClipRect::TClipRect(win::HDC dc, const TRect& r) : dc_(dc), saved_(win::CreateRectRgn(0, 0, 0, 0)) {
  hadClip_ = saved_ && win::GetClipRgn(dc, saved_) == 1;
  win::IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
}

TClipRect::~TClipRect() {
  win::SelectClipRgn(dc_, hadClip_ ? saved_ : nullptr);
  if (saved_) win::DeleteObject(saved_);
}

bool IsAccel(Word ch, const std::string& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;  // a literal ampersand
      continue;
    }
    return std::toupper(static_cast<unsigned char>(caption[i + 1])) == std::toupper(static_cast<int>(ch & 0xFF));
  }
  return false;
}

std::string StripAccel(const std::string& caption) {
  std::string out;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    out += caption[i];
  }
  return out;
}

// ---- TCustomLabel ------------------------------------------------------------------------------

const TClass& TCustomLabel::StaticClass() {
  static const TClass cls = TClass::Of<TCustomLabel>("TCustomLabel", TGraphicControl::StaticClass());
  return cls;
}

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_ = controlStyle_ + TControlStyle{csOpaque, csReplicatable};
  SetBounds(Left(), Top(), 65, 17);
  SetAutoSize(true);
}

TCustomLabel::~TCustomLabel() = default;

void TCustomLabel::DoDrawText(TRect& rect, Integer flags) {
  TCanvas* canvas = drawCanvas_ ? drawCanvas_ : MeasureCanvas();
  std::string text = GetLabelText();
  // An empty line still has a height to measure.
  if ((flags & static_cast<Integer>(win::DT_CALCRECT)) != 0 && (text.empty() || (showAccelChar_ && text == "&")))
    text += ' ';
  if (!showAccelChar_) flags |= static_cast<Integer>(win::DT_NOPREFIX);
  canvas->SetFont(Font());
  canvas->Brush()->SetStyle(bsClear);
  auto uflags = static_cast<win::UINT>(flags);
  if ((flags & static_cast<Integer>(win::DT_CALCRECT)) != 0 || Enabled()) {
    DrawTextOn(canvas, text, rect, uflags, Font()->Color());
    return;
  }
  // Disabled: the text embossed, light below right, shadow on top.
  TRect offset = rect;
  win::OffsetRect(&offset, 1, 1);
  DrawTextOn(canvas, text, offset, uflags, clBtnHighlight);
  DrawTextOn(canvas, text, rect, uflags, clBtnShadow);
}

void TCustomLabel::Paint() {
  TCanvas* canvas = Canvas();
  TRect client = ClientRect();
  if (!Transparent()) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(client);
  }
  drawCanvas_ = canvas;
  try {
    Integer flags = static_cast<Integer>(win::DT_EXPANDTABS | AlignmentTextFlags(alignment_)) |
                    (wordWrap_ ? win::DT_WORDBREAK : 0);
    TRect r = client;
    if (layout_ != tlTop) {
      TRect calc = client;
      DoDrawText(calc, flags | static_cast<Integer>(win::DT_CALCRECT));
      Integer dy = layout_ == tlBottom ? client.bottom - calc.bottom : (client.bottom - calc.bottom) / 2;
      win::OffsetRect(&r, 0, dy);
    }
    DoDrawText(r, flags);
  } catch (...) {
    drawCanvas_ = nullptr;
    throw;
  }
  drawCanvas_ = nullptr;
}

void TCustomLabel::AdjustBounds() {
  if (ComponentState().Contains(csLoading) || !AutoSize()) return;
  TRect r = ClientRect();
  Integer flags = static_cast<Integer>(win::DT_EXPANDTABS | win::DT_CALCRECT) | (wordWrap_ ? win::DT_WORDBREAK : 0);
  TCanvas* saved = drawCanvas_;
  drawCanvas_ = nullptr;  // measure on the measuring canvas
  DoDrawText(r, flags);
  drawCanvas_ = saved;
  Integer x = Left();
  // The edge the alignment names stays where it is.
  if (alignment_ == taRightJustify) x += Width() - r.right;
  if (alignment_ == taCenter) x += (Width() - r.right) / 2;
  SetBounds(x, Top(), r.right, r.bottom);
}

void TCustomLabel::SetAutoSize(bool value) {
  TGraphicControl::SetAutoSize(value);
  if (value) AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment value) {
  if (alignment_ == value) return;
  alignment_ = value;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout value) {
  if (layout_ == value) return;
  layout_ = value;
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* value) {
  if (focusControl_ == value) return;
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = value;
  if (value) value->FreeNotification(this);
}

void TCustomLabel::SetShowAccelChar(bool value) {
  if (showAccelChar_ == value) return;
  showAccelChar_ = value;
  // The ampersands take room now (or no longer).
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool value) {
  if (Transparent() == value) return;
  if (value)
    controlStyle_.Exclude(csOpaque);
  else
    controlStyle_.Include(csOpaque);
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool value) {
  if (wordWrap_ == value) return;
  wordWrap_ = value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TCustomLabel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_DIALOGCHAR) {
    CMDialogChar(Message);
    return;
  }
  TGraphicControl::Dispatch(Message);
}

void TCustomLabel::CMTextChanged(TMessage& Message) {
  TGraphicControl::CMTextChanged(Message);
  Invalidate();
  AdjustBounds();
}

void TCustomLabel::CMFontChanged(TMessage& Message) {
  TGraphicControl::CMFontChanged(Message);
  AdjustBounds();
}

void TCustomLabel::CMDialogChar(TMessage& Message) {
  if (focusControl_ && Enabled() && showAccelChar_ && IsAccel(static_cast<Word>(Message.WParam), Caption()) &&
      focusControl_->CanFocus()) {
    focusControl_->SetFocus();
    Message.Result = 1;
  }
}

// ---- TLabel ------------------------------------------------------------------------------------

const TClass& TLabel::StaticClass() {
  static const TClass cls = TClass::Of<TLabel>("TLabel", TCustomLabel::StaticClass(), &TLabel::Publish);
  return cls;
}

void TLabel::Publish(TPublished& published) {
  TControl::PublishProperties(published, {"Align", "Anchors", "Caption", "Color", "Constraints", "DragCursor",
                                          "DragMode", "Enabled", "Font", "ParentColor", "ParentFont",
                                          "ParentShowHint", "PopupMenu", "ShowHint", "Visible", "OnClick",
                                          "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
  auto p = published.For<TCustomLabel>();
  p.Enum("Alignment", AlignmentInfo(), &TCustomLabel::Alignment, &TCustomLabel::SetAlignment).Default(taLeftJustify);
  p.Boolean("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize).Default(true);
  p.Component("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl);
  p.Enum("Layout", TextLayoutInfo(), &TCustomLabel::Layout, &TCustomLabel::SetLayout).Default(tlTop);
  p.Boolean("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar).Default(true);
  p.Boolean("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent).Default(false);
  p.Boolean("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap).Default(false);
}
