#include "controlkit/kit_combo_box.h"

#include <algorithm>
#include <cctype>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/control_messages.h"
#include "platform/classlib/forms.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/rect.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/system_tables.h"
#include "platform/win/window.h"

namespace {

bool IsNavigationKey(Word key) {
  return key == win::VK_PRIOR || key == win::VK_NEXT || key == win::VK_LEFT || key == win::VK_RIGHT ||
         key == win::VK_UP || key == win::VK_DOWN;
}

bool SameStart(const std::string& item, const std::string& text) {
  if (item.size() < text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(item[i])) != std::toupper(static_cast<unsigned char>(text[i])))
      return false;
  return true;
}

}  // namespace

const TClass& TKitCustomComboBox::StaticClass() {
  static const TClass cls = TClass::Of<TKitCustomComboBox>("TKitCustomComboBox", TCustomComboBox::StaticClass());
  return cls;
}

TKitCustomComboBox::TKitCustomComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {
  TControlStyle style = ControlStyle();
  style.Include(csReplicatable);
  SetControlStyle(style);
}

TKitCustomComboBox::~TKitCustomComboBox() { searchTimer_.Stop(); }

void TKitCustomComboBox::SetFlat(bool value) {
  if (flat_ == value) return;
  flat_ = value;
  DrawBorder();
}

void TKitCustomComboBox::SetDropDownWidth(Integer value) {
  dropDownWidth_ = value;
  if (HandleAllocated()) win::PostMessage(Handle(), CB_SETDROPPEDWIDTH, static_cast<win::WPARAM>(value), 0);
}

void TKitCustomComboBox::SetSearch(bool value) {
  search_ = value;
  // A form stores Sorted itself.
  if (value && !Sorted() && !ComponentState().Contains(csLoading)) SetSorted(true);
}

void TKitCustomComboBox::SetFocusControl(TWinControl* value) {
  if (focusControl_ == value) return;
  if (focusControl_) focusControl_->RemoveFreeNotification(this);
  focusControl_ = value;
  if (value) value->FreeNotification(this);
}

void TKitCustomComboBox::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomComboBox::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TKitCustomComboBox::SetMRUList(bool value) {
  if (mruList_ == value) return;
  mruList_ = value;
  if (!value) {
    for (; mruCount_ > 0; --mruCount_)
      if (Items()->Count() > 0) Items()->Delete(0);
  } else if (!ComponentState().Contains(csLoading)) {
    SetStyle(csOwnerDrawFixed);  // the separator needs owner drawing; a form stores the style itself
  }
}

void TKitCustomComboBox::SetMRUMax(Integer value) {
  mruMax_ = value;
  const Integer limit = std::max<Integer>(value, 0);
  while (mruCount_ > limit) {
    if (mruCount_ - 1 < Items()->Count()) Items()->Delete(mruCount_ - 1);
    --mruCount_;
  }
}

void TKitCustomComboBox::Loaded() {
  TCustomComboBox::Loaded();
  if (HandleAllocated()) win::PostMessage(Handle(), CB_SETDROPPEDWIDTH, static_cast<win::WPARAM>(dropDownWidth_), 0);
}

// ---- the border -------------------------------------------------------------------------------

bool TKitCustomComboBox::ShowsFlatLook() const {
  if (!flat_) return false;
  if (exitDrawing_) return true;
  auto* self = const_cast<TKitCustomComboBox*>(this);
  return !ComponentState().Contains(csDesigning) && !mouseInside_ && !self->Focused() && !editFocused_;
}

void TKitCustomComboBox::DrawBorder() {
  if (!HandleAllocated()) return;
  win::HWND hwnd = Handle();
  win::HDC dc = win::GetWindowDC(hwnd);
  if (!dc) return;
  win::RECT r{};
  win::GetWindowRect(hwnd, &r);
  win::OffsetRect(&r, -r.left, -r.top);
  if (ShowsFlatLook()) {
    win::FrameRect(dc, &r, win::GetSysColorBrush(win::COLOR_BTNFACE));
    win::InflateRect(&r, -1, -1);
    win::FrameRect(dc, &r, win::GetSysColorBrush(win::COLOR_BTNFACE));
    win::InflateRect(&r, -1, -1);
    win::FrameRect(dc, &r, win::GetSysColorBrush(win::COLOR_WINDOW));
  } else {
    win::RECT a{r.left + 1, r.top + 1, r.right, r.bottom};
    win::FrameRect(dc, &a, win::GetSysColorBrush(win::COLOR_WINDOWFRAME));
    win::RECT b{r.left, r.top, r.right - 1, r.bottom - 1};
    win::FrameRect(dc, &b, win::GetSysColorBrush(win::COLOR_BTNFACE));
    win::DrawEdge(dc, &r, win::BDR_SUNKENOUTER, win::BF_RECT | win::BF_ADJUST);
  }
  win::ReleaseDC(hwnd, dc);
}

void TKitCustomComboBox::WMPaint(TMessage& Message) {
  TCustomComboBox::WMPaint(Message);
  DrawBorder();
}

void TKitCustomComboBox::CMMouseEnter(TMessage& Message) {
  TCustomComboBox::CMMouseEnter(Message);
  mouseInside_ = true;
  if (flat_ && !Focused()) DrawBorder();
}

void TKitCustomComboBox::CMMouseLeave(TMessage& Message) {
  TCustomComboBox::CMMouseLeave(Message);
  mouseInside_ = false;
  if (flat_ && !Focused() && !DroppedDown() && !editFocused_) DrawBorder();
}

void TKitCustomComboBox::CMEnter(TMessage& Message) {
  TCustomComboBox::CMEnter(Message);
  DrawBorder();
}

void TKitCustomComboBox::CMExit(TMessage& Message) {
  TCustomComboBox::CMExit(Message);
  ExitHandling();
}

void TKitCustomComboBox::ExitHandling() {
  if (!mouseInside_ && !editFocused_) {
    exitDrawing_ = true;
    DrawBorder();
    exitDrawing_ = false;
  }
  if (search_) StopSearch();
}

void TKitCustomComboBox::Dispatch(TMessage& Message) { TCustomComboBox::Dispatch(Message); }

// ---- the edit part ---------------------------------------------------------------------------------

void TKitCustomComboBox::ComboWndProc(TMessage& Message, win::HWND ComboWnd) {
  switch (Message.Msg) {
    case win::WM_SETFOCUS:
      editFocused_ = true;
      break;
    case win::WM_KILLFOCUS:
      editFocused_ = false;
      break;
    case win::WM_LBUTTONDOWN:
      navigationKey_ = false;
      if (OnEditClick) OnEditClick(this);
      break;
    default:
      break;
  }
  TCustomComboBox::ComboWndProc(Message, ComboWnd);
}

void TKitCustomComboBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  navigationKey_ = false;
  TCustomComboBox::MouseDown(Button, Shift, X, Y);
}

// ---- choosing ------------------------------------------------------------------------------------------

void TKitCustomComboBox::CNCommand(TMessage& Message) {
  if (win::HIWORD(Message.WParam) != CBN_SELCHANGE) {
    TCustomComboBox::CNCommand(Message);
    return;
  }
  TCustomComboBox::CNCommand(Message);  // OnSelect
  if (mruList_) UpdateMRU();
  if (!DroppedDown() && !navigationKey_ && focusControl_) {
    HandOverFocus();
    ExitHandling();
  }
}

// Every entry of the block is searched, the oldest too, so that choosing it again selects
// it instead of adding a copy; a maximum of 0 or less keeps no block at all.
void TKitCustomComboBox::UpdateMRU() {
  const Integer index = ItemIndex();
  if (index < 0 || mruMax_ <= 0) return;
  const std::string text = Items()->Strings(index);
  TObject* object = Items()->Objects(index);
  for (Integer i = 0; i < mruCount_ && i < Items()->Count(); ++i) {
    if (Items()->Strings(i) == text) {
      SetItemIndex(i);
      return;
    }
  }
  if (mruCount_ >= mruMax_) {
    if (mruMax_ - 1 < Items()->Count()) Items()->Delete(mruMax_ - 1);
  } else {
    ++mruCount_;
  }
  Items()->InsertObject(0, text, object);
  SetItemIndex(0);
}

void TKitCustomComboBox::HandOverFocus() {
  if (!focusControl_) return;
  if (::GetParentForm(focusControl_) == ::GetParentForm(this)) {
    if (focusControl_->CanFocus()) focusControl_->SetFocus();
    return;
  }
  editFocused_ = false;
  if (focusControl_->HandleAllocated()) {
    win::HWND target = focusControl_->Handle();
    win::PostMessage(win::GetAncestor(target, win::GA_ROOT), win::WM_SETFOCUS, 0, 0);
    win::PostMessage(target, win::WM_SETFOCUS, 0, 0);
  }
}

void TKitCustomComboBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  TCustomComboBox::DrawItem(Index, Rect, State);
  if (!DroppedDown() || !mruList_ || Index != mruCount_ - 1 || State.Contains(odComboBoxEdit)) return;
  TCanvas* canvas = Canvas();
  canvas->Pen()->SetStyle(psSolid);
  canvas->Pen()->SetWidth(0);
  canvas->Pen()->SetColor(clBlack);
  canvas->MoveTo(Rect.left, Rect.bottom - 3);
  canvas->LineTo(Rect.right, Rect.bottom - 3);
  canvas->MoveTo(Rect.left, Rect.bottom - 1);
  canvas->LineTo(Rect.right, Rect.bottom - 1);
}

void TKitCustomComboBox::MeasureItem(Integer Index, Integer& Height) {
  TCustomComboBox::MeasureItem(Index, Height);
  if (mruList_) Height = ItemHeight() + 4;
}

// ---- incremental search ---------------------------------------------------------------------------------

void TKitCustomComboBox::KeyDown(Word& Key, TShiftState Shift) {
  searchTimer_.Stop();
  navigationKey_ = IsNavigationKey(Key);
  if (search_) {
    if (Key == win::VK_BACK || Key == win::VK_DELETE)
      searchTimer_.Start(interval_ + 1000, [this] { SearchTick(); });
    else if (Key >= 32 && !navigationKey_)
      searchTimer_.Start(interval_, [this] { SearchTick(); });
  }
  if (Key == win::VK_RETURN && focusControl_) {
    HandOverFocus();
    ExitHandling();
  }
  TCustomComboBox::KeyDown(Key, Shift);
}

void TKitCustomComboBox::SearchTick() {
  StopSearch();
  if (!Sorted()) return;
  const std::string text = Text();
  if (text.empty()) return;
  for (Integer i = 0; i < Items()->Count(); ++i) {
    if (!SameStart(Items()->Strings(i), text)) continue;
    const Integer caret = SelStart();
    SetItemIndex(i);
    const Integer length = static_cast<Integer>(Items()->Strings(i).size());
    SetSelStart(caret);
    SetSelLength(length - caret);
    return;
  }
}

void TKitCustomComboBox::StopSearch() { searchTimer_.Stop(); }

void RegisterKitComboClasses() { RegisterClass(TKitComboBox::StaticClass()); }

// ---- TKitComboBox ------------------------------------------------------------------------------------------

const TClass& TKitComboBox::StaticClass() {
  static const TClass cls =
      TClass::Of<TKitComboBox>("TKitComboBox", TKitCustomComboBox::StaticClass(), &TKitComboBox::Publish);
  return cls;
}

void TKitComboBox::Publish(TPublished& published) {
  TComboBox::Publish(published);
  auto p = published.For<TKitCustomComboBox>();
  p.Boolean("Flat", &TKitCustomComboBox::Flat, &TKitCustomComboBox::SetFlat).Default(false);
  p.Boolean("Search", &TKitCustomComboBox::Search, &TKitCustomComboBox::SetSearch).Default(false);
  p.Boolean("MRUList", &TKitCustomComboBox::MRUList, &TKitCustomComboBox::SetMRUList).Default(false);
  p.Integer("MRUMax", &TKitCustomComboBox::MRUMax, &TKitCustomComboBox::SetMRUMax).Default(5);
  p.Integer("Interval", &TKitCustomComboBox::Interval, &TKitCustomComboBox::SetInterval).Default(1500);
  p.Integer("DropDownWidth", &TKitCustomComboBox::DropDownWidth, &TKitCustomComboBox::SetDropDownWidth).Default(0);
  p.Component("FocusControl", &TKitCustomComboBox::FocusControl, &TKitCustomComboBox::SetFocusControl);
  p.Event("OnEditClick", &TKitCustomComboBox::OnEditClick);
}
