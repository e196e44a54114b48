#include "platform/classlib/std_edit.h"

#include <algorithm>
#include <cctype>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/clipboard.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/std_label.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/rect.h"
#include "platform/win/services.h"
#include "platform/win/text/text.h"

namespace {

const bool kEditRegistered = [] {
  RegisterClass(TEdit::StaticClass());
  return true;
}();

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

}  // namespace

const TEnumInfo& EditCharCaseInfo() {
  static const TEnumInfo info("TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"});
  return info;
}

const TClass& TCustomEdit::StaticClass() {
  static const TClass cls = TClass::Of<TCustomEdit>("TCustomEdit", TWinControl::StaticClass(), &TCustomEdit::Publish);
  return cls;
}

void TCustomEdit::Publish(TPublished& published) { published.Redefault("Cursor", Int64{crIBeam}); }

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner), canvas_(std::make_unique<TCanvas>()) {
  controlStyle_ = TControlStyle{csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight, csCaptureMouse};
  SetBounds(Left(), Top(), 121, 25);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  SetCursor(crIBeam);
  TWinControl::SetAutoSize(true);
  AdjustHeight();
}

TCustomEdit::~TCustomEdit() = default;

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  if (borderStyle_ == bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= win::WS_EX_CLIENTEDGE;
    else
      Params.Style |= win::WS_BORDER;
  }
}

void TCustomEdit::Loaded() {
  TWinControl::Loaded();
  AdjustHeight();
}

void TCustomEdit::AdjustHeight() {
  if (!AutoSize() || ComponentState().Contains(csLoading)) return;
  // The font's line and room for the frame: 2 x 2 for the sunken edge plus 2 x 2 inside,
  // or 2 x 1 for a flat border plus 2 x 2.
  Integer frame = borderStyle_ == bsSingle ? (Ctl3D() ? 8 : 6) : 0;
  SetBounds(Left(), Top(), Width(), FontLineHeight(Font()) + frame);
}

void TCustomEdit::SetAutoSize(bool value) {
  TWinControl::SetAutoSize(value);
  AdjustHeight();
}

// ---- layout -------------------------------------------------------------------------------------

TRect TCustomEdit::EditRect() {
  if (rectSet_) return editRect_;
  TRect r = ClientRect();
  win::InflateRect(&r, -1, -1);
  return r;
}

std::string TCustomEdit::DisplayText() const {
  if (passwordChar_ == 0) return text_;
  return std::string(text_.size(), passwordChar_);
}

Integer TCustomEdit::CharPosX(Integer index) {
  std::string shown = DisplayText();
  index = std::clamp<Integer>(index, 0, static_cast<Integer>(shown.size()));
  return EditRect().left - scrollX_ + MeasureText(Font(), shown.substr(0, static_cast<std::size_t>(index))).cx;
}

Integer TCustomEdit::CharIndexAt(Integer x) {
  Integer n = static_cast<Integer>(text_.size());
  Integer prev = CharPosX(0);
  for (Integer i = 0; i < n; ++i) {
    Integer next = CharPosX(i + 1);
    // Left of the middle of character i lands before it.
    if (x < (prev + next) / 2) return i;
    prev = next;
  }
  return n;
}

void TCustomEdit::ScrollToCaret() {
  TRect r = EditRect();
  Integer width = r.right - r.left;
  Integer x = MeasureText(Font(), DisplayText().substr(0, static_cast<std::size_t>(caret_))).cx;
  if (x - scrollX_ > width - 1) scrollX_ = x - width + 1;
  if (x < scrollX_) scrollX_ = x;
  if (scrollX_ < 0) scrollX_ = 0;
}

// ---- selection ------------------------------------------------------------------------------------

void TCustomEdit::SetSelection(Integer anchor, Integer caret) {
  Integer n = static_cast<Integer>(text_.size());
  anchor = std::clamp<Integer>(anchor, 0, n);
  caret = std::clamp<Integer>(caret, 0, n);
  if (anchor == anchor_ && caret == caret_) return;
  anchor_ = anchor;
  caret_ = caret;
  ScrollToCaret();
  Invalidate();
}

Integer TCustomEdit::SelStart() const { return std::min(anchor_, caret_); }
Integer TCustomEdit::SelLength() const { return std::abs(caret_ - anchor_); }

void TCustomEdit::SetSelStart(Integer value) { SetSelection(value, value); }

void TCustomEdit::SetSelLength(Integer value) {
  Integer start = SelStart();
  SetSelection(start, start + std::max<Integer>(value, 0));
}

std::string TCustomEdit::SelText() const {
  return text_.substr(static_cast<std::size_t>(SelStart()), static_cast<std::size_t>(SelLength()));
}

void TCustomEdit::SelectAll() { SetSelection(0, static_cast<Integer>(text_.size())); }

void TCustomEdit::ReplaceSelection(const std::string& s) {
  Integer start = SelStart();
  text_.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(SelLength()), s);
  anchor_ = caret_ = start + static_cast<Integer>(s.size());
  TextEdited();
}

void TCustomEdit::SetSelText(const std::string& value) { ReplaceSelection(value); }

void TCustomEdit::ClearSelection() { Perform(WM_CLEAR); }
void TCustomEdit::CopyToClipboard() { Perform(WM_COPY); }
void TCustomEdit::CutToClipboard() { Perform(WM_CUT); }
void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE); }

void TCustomEdit::DoClear() {
  if (!readOnly_ && SelLength() > 0) ReplaceSelection("");
}

void TCustomEdit::DoCopy() {
  // A password is not handed out.
  if (passwordChar_ != 0 || SelLength() == 0) return;
  Clipboard()->SetAsText(SelText());
}

void TCustomEdit::DoCut() {
  if (readOnly_ || passwordChar_ != 0) return;
  DoCopy();
  DoClear();
}

void TCustomEdit::DoPaste() {
  if (!Clipboard()->HasFormat(CF_TEXT)) return;
  std::string s = Clipboard()->AsText();
  // One line: the text up to the first line break.
  std::size_t cut = s.find_first_of("\r\n");
  if (cut != std::string::npos) s.resize(cut);
  TypeText(s);
}

bool TCustomEdit::TypeText(const std::string& s) {
  if (readOnly_) return false;
  std::string t = s;
  for (char& c : t) {
    if (charCase_ == ecUpperCase) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (charCase_ == ecLowerCase) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (maxLength_ > 0) {
    Integer room = maxLength_ - (static_cast<Integer>(text_.size()) - SelLength());
    if (room <= 0 && !t.empty()) {
      win::MessageBeep(0);
      return false;
    }
    if (static_cast<Integer>(t.size()) > room) t.resize(static_cast<std::size_t>(room));
  }
  ReplaceSelection(t);
  return true;
}

// The text changed by editing: the window keeps a copy, the caret stays in view.
void TCustomEdit::TextEdited() {
  if (HandleAllocated()) win::DefWindowProc(WindowHandle(), win::WM_SETTEXT, 0, reinterpret_cast<win::LPARAM>(text_.c_str()));
  modified_ = true;
  ScrollToCaret();
  Invalidate();
  Change();
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

// ---- properties --------------------------------------------------------------------------------------

void TCustomEdit::SetBorderStyle(TBorderStyle value) {
  if (value != bsNone) value = bsSingle;
  if (borderStyle_ == value) return;
  borderStyle_ = value;
  RecreateWnd();
  AdjustHeight();
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
  if (charCase_ == value) return;
  charCase_ = value;
  std::string t = text_;
  for (char& c : t) {
    if (value == ecUpperCase) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (value == ecLowerCase) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  SetText(t);
}

void TCustomEdit::SetHideSelection(bool value) {
  if (hideSelection_ == value) return;
  hideSelection_ = value;
  Invalidate();
}

void TCustomEdit::SetMaxLength(Integer value) { maxLength_ = std::max<Integer>(value, 0); }

void TCustomEdit::SetPasswordChar(char value) {
  if (passwordChar_ == value) return;
  passwordChar_ = value;
  scrollX_ = 0;
  ScrollToCaret();
  Invalidate();
}

void TCustomEdit::SetReadOnly(bool value) {
  if (readOnly_ == value) return;
  readOnly_ = value;
  Invalidate();
}

// ---- messages ---------------------------------------------------------------------------------------

void TCustomEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case EM_GETSEL: {
      Integer s = SelStart(), e = SelStart() + SelLength();
      if (Message.WParam) *reinterpret_cast<win::DWORD*>(Message.WParam) = static_cast<win::DWORD>(s);
      if (Message.LParam) *reinterpret_cast<win::DWORD*>(Message.LParam) = static_cast<win::DWORD>(e);
      Message.Result = win::MAKELRESULT(s, e);
      return;
    }
    case EM_SETSEL: {
      auto start = static_cast<Integer>(static_cast<std::intptr_t>(Message.WParam));
      auto end = static_cast<Integer>(Message.LParam);
      if (start < 0) {
        SetSelection(caret_, caret_);
      } else {
        if (end < 0) end = static_cast<Integer>(text_.size());
        SetSelection(start, end);
      }
      return;
    }
    case EM_GETRECT:
      if (auto* r = reinterpret_cast<TRect*>(Message.LParam)) *r = EditRect();
      return;
    case EM_SETRECT:
    case EM_SETRECTNP:
      if (auto* r = reinterpret_cast<const TRect*>(Message.LParam)) {
        editRect_ = *r;
        rectSet_ = true;
      } else {
        rectSet_ = false;
      }
      ScrollToCaret();
      if (Message.Msg == EM_SETRECT) Invalidate();
      return;
    case EM_GETMODIFY:
      Message.Result = modified_ ? 1 : 0;
      return;
    case EM_SETMODIFY:
      modified_ = Message.WParam != 0;
      return;
    case EM_REPLACESEL:
      if (const char* s = reinterpret_cast<const char*>(Message.LParam)) ReplaceSelection(s);
      return;
    case EM_LIMITTEXT:
      SetMaxLength(static_cast<Integer>(Message.WParam));
      return;
    case EM_SETPASSWORDCHAR:
      SetPasswordChar(static_cast<char>(Message.WParam));
      return;
    case EM_SETREADONLY:
      SetReadOnly(Message.WParam != 0);
      Message.Result = 1;
      return;
    default:
      TWinControl::Dispatch(Message);
  }
}

// What the window system's edit window does with keys, characters and double clicks.
void TCustomEdit::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case win::WM_KEYDOWN:
      HandleKeyDown(static_cast<Word>(Message.WParam), GetShiftState());
      return;
    case win::WM_CHAR:
      HandleChar(static_cast<char>(Message.WParam));
      return;
    case WM_CUT:
      DoCut();
      return;
    case WM_COPY:
      DoCopy();
      return;
    case WM_PASTE:
      DoPaste();
      return;
    case WM_CLEAR:
      DoClear();
      return;
    default:
      TWinControl::DefaultHandler(Message);
  }
}

bool TCustomEdit::WantsKey(Word Key) {
  // Every key but those that move between controls, close or confirm a dialog.
  return Key != win::VK_TAB && Key != win::VK_RETURN && Key != win::VK_ESCAPE;
}

void TCustomEdit::HandleKeyDown(Word key, TShiftState shift) {
  Integer n = static_cast<Integer>(text_.size());
  bool extend = shift.Contains(ssShift);
  auto moveTo = [&](Integer pos) { SetSelection(extend ? anchor_ : pos, pos); };
  switch (key) {
    case win::VK_LEFT:
      if (!extend && SelLength() > 0)
        moveTo(SelStart());
      else if (shift.Contains(ssCtrl)) {
        Integer p = caret_;
        while (p > 0 && !IsWordChar(text_[static_cast<std::size_t>(p - 1)])) --p;
        while (p > 0 && IsWordChar(text_[static_cast<std::size_t>(p - 1)])) --p;
        moveTo(p);
      } else {
        moveTo(caret_ - 1);
      }
      break;
    case win::VK_RIGHT:
      if (!extend && SelLength() > 0)
        moveTo(SelStart() + SelLength());
      else if (shift.Contains(ssCtrl)) {
        Integer p = caret_;
        while (p < n && IsWordChar(text_[static_cast<std::size_t>(p)])) ++p;
        while (p < n && !IsWordChar(text_[static_cast<std::size_t>(p)])) ++p;
        moveTo(p);
      } else {
        moveTo(caret_ + 1);
      }
      break;
    case win::VK_HOME:
      moveTo(0);
      break;
    case win::VK_END:
      moveTo(n);
      break;
    case win::VK_DELETE:
      if (readOnly_) break;
      if (shift.Contains(ssShift)) {
        CutToClipboard();
      } else if (SelLength() > 0) {
        ClearSelection();
      } else if (caret_ < n) {
        anchor_ = caret_ + 1;
        ReplaceSelection("");
      }
      break;
    case win::VK_INSERT:
      if (shift.Contains(ssCtrl)) CopyToClipboard();
      if (shift.Contains(ssShift)) PasteFromClipboard();
      break;
    default:
      break;
  }
}

void TCustomEdit::HandleChar(char ch) {
  auto c = static_cast<unsigned char>(ch);
  switch (c) {
    case 3:  // Ctrl+C
      CopyToClipboard();
      return;
    case 22:  // Ctrl+V
      PasteFromClipboard();
      return;
    case 24:  // Ctrl+X
      CutToClipboard();
      return;
    case 8:  // Backspace
      if (readOnly_) return;
      if (SelLength() == 0) {
        if (caret_ == 0) return;
        anchor_ = caret_ - 1;
      }
      ReplaceSelection("");
      return;
    default:
      break;
  }
  if (c < 32) return;
  TypeText(std::string(1, ch));
}

void TCustomEdit::DoEnter() {
  // Tabbing in selects the text; a click places the caret instead.
  if (autoSelect_ && !controlState_.Contains(csLButtonDown)) SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) {
    if (!Focused() && CanFocus()) SetFocus();
    Integer at = CharIndexAt(X);
    if (Shift.Contains(ssDouble)) {
      // The word under the mouse.
      Integer s = at, e = at;
      Integer n = static_cast<Integer>(text_.size());
      while (s > 0 && IsWordChar(text_[static_cast<std::size_t>(s - 1)])) --s;
      while (e < n && IsWordChar(text_[static_cast<std::size_t>(e)])) ++e;
      SetSelection(s, e);
      selecting_ = false;
    } else {
      SetSelection(Shift.Contains(ssShift) ? anchor_ : at, at);
      selecting_ = true;
    }
  }
  TWinControl::MouseDown(Button, Shift, X, Y);
}

void TCustomEdit::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (selecting_ && Shift.Contains(ssLeft))
    SetSelection(anchor_, CharIndexAt(X));
  else if (!Shift.Contains(ssLeft))
    selecting_ = false;
  TWinControl::MouseMove(Shift, X, Y);
}

void TCustomEdit::WMLButtonDblClk(TMessage& Message) {
  selecting_ = false;
  TWinControl::WMLButtonDblClk(Message);
}

void TCustomEdit::CMTextChanged(TMessage& Message) {
  TWinControl::CMTextChanged(Message);
  // Text set by code: caret to the start, nothing modified.
  anchor_ = caret_ = 0;
  scrollX_ = 0;
  modified_ = false;
  Invalidate();
  Change();
}

void TCustomEdit::CMFontChanged(TMessage& Message) {
  TWinControl::CMFontChanged(Message);
  AdjustHeight();
  ScrollToCaret();
}

void TCustomEdit::CMEnabledChanged(TMessage& Message) {
  TWinControl::CMEnabledChanged(Message);
  Invalidate();
}

void TCustomEdit::WMSetFocus(TMessage& Message) {
  focused_ = true;
  Invalidate();
  TWinControl* owner = FocusOwner();
  if (owner == this) {
    TWinControl::WMSetFocus(Message);
    return;
  }
  TCustomForm* form = ::GetParentForm(this);
  if (form && !form->SetFocusedControl(owner)) return;
  DefaultHandler(Message);
}

void TCustomEdit::WMKillFocus(TMessage& Message) {
  focused_ = false;
  selecting_ = false;
  TWinControl::WMKillFocus(Message);
  Invalidate();
}

void TCustomEdit::WMSize(TMessage& Message) {
  // A new size brings the default formatting rectangle back.
  rectSet_ = false;
  TWinControl::WMSize(Message);
  ScrollToCaret();
}

// ---- painting -----------------------------------------------------------------------------------------

void TCustomEdit::PaintWindow(win::HDC DC) {
  TCanvas* c = canvas_.get();
  c->SetHandle(DC);
  try {
    TRect client = ClientRect();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(client);
    TRect r = EditRect();
    TClipRect clip(DC, r);
    c->SetFont(Font());
    std::string shown = DisplayText();
    Integer x0 = r.left - scrollX_;
    Integer lineH = FontLineHeight(Font());
    Integer s = SelStart(), e = SelStart() + SelLength();
    bool showSel = SelLength() > 0 && (focused_ || !hideSelection_);
    c->Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(x0, r.top, shown);
    if (showSel) {
      Integer xs = CharPosX(s), xe = CharPosX(e);
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(clHighlight);
      c->Font()->SetColor(clHighlightText);
      c->TextRect(TRect{xs, r.top, xe, r.top + lineH}, xs, r.top,
                  shown.substr(static_cast<std::size_t>(s), static_cast<std::size_t>(e - s)));
    }
    if (focused_) {
      // The caret: a one-pixel bar at the moving end.
      Integer cx = CharPosX(caret_);
      c->Pen()->SetStyle(psSolid);
      c->Pen()->SetColor(clWindowText);
      c->Pen()->SetWidth(1);
      c->MoveTo(cx, r.top);
      c->LineTo(cx, r.top + lineH);
    }
  } catch (...) {
    c->SetHandle(nullptr);
    throw;
  }
  c->SetHandle(nullptr);
}

// ---- TEdit ------------------------------------------------------------------------------------------

const TClass& TEdit::StaticClass() {
  static const TClass cls = TClass::Of<TEdit>("TEdit", TCustomEdit::StaticClass(), &TEdit::Publish);
  return cls;
}

void TEdit::Publish(TPublished& published) {
  TWinControl::PublishProperties(
      published, {"Anchors",   "Color",     "Constraints", "Ctl3D",      "DragCursor", "DragMode",  "Enabled",
                  "Font",      "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu",
                  "ShowHint",  "TabOrder",  "TabStop",     "Text",       "Visible",    "OnClick",   "OnDblClick",
                  "OnEnter",   "OnExit",    "OnKeyDown",   "OnKeyPress", "OnKeyUp",    "OnMouseDown",
                  "OnMouseMove", "OnMouseUp"});
  auto p = published.For<TCustomEdit>();
  p.Boolean("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Default(true);
  p.Boolean("AutoSize", &TCustomEdit::AutoSize, &TCustomEdit::SetAutoSize).Default(true);
  p.Enum("BorderStyle", BorderStyleInfo(), &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Default(bsSingle);
  p.Enum("CharCase", EditCharCaseInfo(), &TCustomEdit::CharCase, &TCustomEdit::SetCharCase).Default(ecNormal);
  p.Boolean("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection).Default(true);
  p.Integer("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
  p.Boolean("OEMConvert", &TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert).Default(false);
  p.Char("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar).Default(0);
  p.Boolean("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Default(false);
  p.Event("OnChange", &TCustomEdit::OnChange);
  published.Redefault("TabStop", Int64{1});
  published.Redefault("ParentColor", Int64{0});
}
