#include "platform/classlib/std_combobox.h"

#include <algorithm>
#include <cctype>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/module_life.h"
#include "platform/classlib/std_edit.h"
#include "platform/classlib/std_label.h"
#include "platform/classlib/sysutils.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/message_queue.h"
#include "platform/win/paint.h"
#include "platform/win/rect.h"
#include "platform/win/scroll_bar.h"
#include "platform/win/system_tables.h"
#include "platform/win/window.h"

namespace {

const bool kComboRegistered = [] {
  RegisterClass(TComboBox::StaticClass());
  return true;
}();

constexpr const char* kListClassName = "QmComboList";

void EnsureListClass() {
  static const bool registered = [] {
    win::WNDCLASS wc;
    wc.style = win::CS_SAVEBITS;
    wc.lpfnWndProc = &win::DefWindowProc;
    wc.lpszClassName = kListClassName;
    return RegisterModuleWindowClass(wc);
  }();
  (void)registered;
}

void DownArrow(TCanvas* c, const TRect& r, TColor color) {
  Integer cx = (r.left + r.right) / 2;
  Integer cy = (r.top + r.bottom) / 2;
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(color);
  for (int i = 0; i < 4; ++i) {
    c->MoveTo(cx - 3 + i, cy - 2 + i);
    c->LineTo(cx + 4 - i, cy - 2 + i);
  }
}

}  // namespace

const TEnumInfo& ComboBoxStyleInfo() {
  static const TEnumInfo info("TComboBoxStyle",
                              {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"});
  return info;
}

// ---- the dropped list ------------------------------------------------------------------------------

// A pop-up window below the box that shows the items; it holds the mouse while it is
// open, so that a click anywhere else closes it.
class TComboListWindow {
 public:
  explicit TComboListWindow(TCustomComboBox* combo) : combo_(combo) {}
  ~TComboListWindow() {
    // Losing the capture while going must not reach back into the box.
    visible_ = false;
    if (handle_ && win::IsWindow(handle_)) win::DestroyWindow(handle_);
    if (proc_) win::FreeProcInstance(proc_);
  }

  win::HWND Handle() const { return visible_ && win::IsWindow(handle_) ? handle_ : nullptr; }
  bool Visible() const { return visible_; }
  Integer Hot() const { return hot_; }

  void Open() {
    EnsureListClass();
    if (!handle_ || !win::IsWindow(handle_)) {
      win::HWND owner = combo_->HandleAllocated() ? win::GetAncestor(combo_->WindowHandle(), win::GA_ROOT) : nullptr;
      handle_ = win::CreateWindowEx(win::WS_EX_TOOLWINDOW | win::WS_EX_TOPMOST, kListClassName, "",
                                    win::WS_POPUP | win::WS_BORDER, 0, 0, 10, 10, owner, nullptr, nullptr, nullptr);
      if (!handle_) return;
      if (!proc_)
        proc_ = win::MakeProcInstance([this](win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l) {
          return Proc(h, m, w, l);
        });
      win::SetWindowLong(handle_, win::GWL_WNDPROC, reinterpret_cast<win::LONG_PTR>(proc_));
    }
    MeasureRows();
    hot_ = combo_->ItemIndex();
    top_ = 0;
    ScrollIntoView(hot_);
    // More rows than the list shows: a scroll bar beside them.
    auto style = win::GetWindowLong(handle_, win::GWL_STYLE) & ~static_cast<win::LONG_PTR>(win::WS_VSCROLL);
    if (static_cast<Integer>(rows_.size()) > combo_->DropDownCount()) style |= win::WS_VSCROLL;
    win::SetWindowLong(handle_, win::GWL_STYLE, style);
    TRect box;
    win::GetWindowRect(combo_->WindowHandle(), &box);
    Integer width = std::max<Integer>(combo_->DroppedWidth(), box.right - box.left);
    Integer height = VisibleHeight() + 2;  // the border
    win::SetWindowPos(handle_, win::HWND_TOPMOST, box.left, box.bottom, width, height,
                      win::SWP_NOACTIVATE | win::SWP_FRAMECHANGED);
    UpdateBar();
    visible_ = true;
    win::ShowWindow(handle_, win::SW_SHOWNA);
    win::InvalidateRect(handle_, nullptr, 1);
    win::SetCapture(handle_);
  }

  void Close() {
    if (!visible_) return;
    visible_ = false;
    if (win::IsWindow(handle_)) {
      if (win::GetCapture() == handle_) win::ReleaseCapture();
      win::ShowWindow(handle_, win::SW_HIDE);
    }
  }

  void SetHot(Integer index) {
    if (index == hot_) return;
    hot_ = index;
    ScrollIntoView(index);
    if (visible_) win::InvalidateRect(handle_, nullptr, 0);
  }

  Integer ItemAt(Integer x, Integer y) {
    TRect client;
    win::GetClientRect(handle_, &client);
    if (x < 0 || x >= client.right || y < 0) return -1;
    Integer rowTop = 0;
    for (Integer i = top_; i < static_cast<Integer>(rows_.size()); ++i) {
      if (y < rowTop + rows_[static_cast<std::size_t>(i)]) return i;
      rowTop += rows_[static_cast<std::size_t>(i)];
      if (rowTop >= client.bottom) break;
    }
    return -1;
  }

  TRect ItemRect(Integer index) {
    TRect client{};
    if (handle_) win::GetClientRect(handle_, &client);
    Integer y = 0;
    for (Integer i = top_; i < static_cast<Integer>(rows_.size()); ++i) {
      if (i == index) return TRect{0, y, client.right, y + rows_[static_cast<std::size_t>(i)]};
      y += rows_[static_cast<std::size_t>(i)];
    }
    return TRect{};
  }

 private:
  void MeasureRows() {
    rows_.clear();
    Integer count = combo_->Items()->Count();
    Integer fixed = combo_->ItemHeight();
    emptyRow_ = fixed;
    if (combo_->Style() == csOwnerDrawFixed && count > 0) combo_->MeasureItem(0, fixed);
    for (Integer i = 0; i < count; ++i) {
      Integer h = fixed;
      if (combo_->Style() == csOwnerDrawVariable) {
        h = combo_->ItemHeight();
        combo_->MeasureItem(i, h);
      }
      rows_.push_back(std::max<Integer>(h, 1));
    }
  }

  Integer VisibleHeight() const {
    // An empty list still shows one blank row.
    if (rows_.empty()) return emptyRow_;
    Integer h = 0;
    Integer n = std::min<Integer>(static_cast<Integer>(rows_.size()), combo_->DropDownCount());
    for (Integer i = 0; i < n; ++i) h += rows_[static_cast<std::size_t>(i)];
    return h;
  }

  Integer Shown() const { return std::min<Integer>(static_cast<Integer>(rows_.size()), combo_->DropDownCount()); }

  void ScrollIntoView(Integer index) {
    if (index < 0 || index >= static_cast<Integer>(rows_.size())) return;
    if (index < top_) SetTop(index);
    if (index >= top_ + Shown()) SetTop(index - Shown() + 1);
  }

  void SetTop(Integer top) {
    top = std::clamp<Integer>(top, 0, std::max<Integer>(0, static_cast<Integer>(rows_.size()) - Shown()));
    if (top == top_) return;
    top_ = top;
    UpdateBar();
    if (visible_) win::InvalidateRect(handle_, nullptr, 0);
  }

  void UpdateBar() {
    if (!handle_ || !win::IsWindow(handle_)) return;
    win::SCROLLINFO si;
    si.fMask = win::SIF_ALL;
    si.nMax = std::max<Integer>(static_cast<Integer>(rows_.size()), 1) - 1;
    si.nPage = static_cast<win::UINT>(Shown());
    si.nPos = top_;
    win::SetScrollInfo(handle_, win::SB_VERT, &si, 1);
  }

  // A press on the scroll bar (client coordinates): the window system follows the mouse,
  // the list keeps the capture afterwards. False when the point is elsewhere.
  bool BarPress(win::LPARAM l) {
    win::POINT p{win::GET_X_LPARAM(l), win::GET_Y_LPARAM(l)};
    win::ClientToScreen(handle_, &p);
    if (win::SendMessage(handle_, win::WM_NCHITTEST, 0, win::MAKELPARAM(p.x, p.y)) != win::HTVSCROLL) return false;
    const win::HWND h = handle_;
    barHeld_ = true;
    win::DefWindowProc(h, win::WM_NCLBUTTONDOWN, win::HTVSCROLL, win::MAKELPARAM(p.x, p.y));
    barHeld_ = false;
    if (visible_ && win::IsWindow(h)) win::SetCapture(h);
    return true;
  }

  void Paint(win::HDC dc) {
    TRect client;
    win::GetClientRect(handle_, &client);
    Integer y = 0;
    for (Integer i = top_; i < static_cast<Integer>(rows_.size()) && y < client.bottom; ++i) {
      Integer h = rows_[static_cast<std::size_t>(i)];
      TOwnerDrawState state;
      if (i == hot_) state = TOwnerDrawState{odSelected, odFocused};
      combo_->DrawRow(dc, i, TRect{0, y, client.right, y + h}, state);
      y += h;
    }
    if (y < client.bottom) {
      TRect rest{0, y, client.right, client.bottom};
      win::FillRect(dc, &rest, win::GetSysColorBrush(win::COLOR_WINDOW));
    }
  }

  win::LRESULT Proc(win::HWND h, win::UINT msg, win::WPARAM w, win::LPARAM l) {
    switch (msg) {
      case win::WM_PAINT: {
        win::PAINTSTRUCT ps;
        win::HDC dc = win::BeginPaint(h, &ps);
        if (dc) Paint(dc);
        win::EndPaint(h, &ps);
        return 0;
      }
      case win::WM_ERASEBKGND:
        return 1;
      case win::WM_MOUSEACTIVATE:
        return win::MA_NOACTIVATE;
      case win::WM_MOUSEMOVE: {
        Integer i = ItemAt(win::GET_X_LPARAM(l), win::GET_Y_LPARAM(l));
        if (i >= 0) SetHot(i);
        return 0;
      }
      case win::WM_LBUTTONDOWN:
      case win::WM_LBUTTONDBLCLK:
      case win::WM_RBUTTONDOWN: {
        Integer i = ItemAt(win::GET_X_LPARAM(l), win::GET_Y_LPARAM(l));
        if (i < 0 && msg != win::WM_RBUTTONDOWN && BarPress(l)) return 0;
        if (i < 0 && !InList(l)) {
          // A press anywhere else closes the list and chooses nothing.
          combo_->SetDroppedDown(false);
          return 0;
        }
        return 0;
      }
      case win::WM_LBUTTONUP: {
        Integer i = ItemAt(win::GET_X_LPARAM(l), win::GET_Y_LPARAM(l));
        if (i >= 0) {
          combo_->ListChoose(i);
          return 0;
        }
        // The release of the press that opened the list keeps it open.
        return 0;
      }
      case win::WM_MOUSEWHEEL:
        SetTop(top_ - win::GET_WHEEL_DELTA_WPARAM(w) / win::WHEEL_DELTA);
        return 0;
      case win::WM_VSCROLL:
        if (const auto top = win::RequestedScrollPos(w, top_, 1, Shown(), static_cast<Integer>(rows_.size())))
          SetTop(*top);
        return 0;
      case win::WM_CAPTURECHANGED:
        // Another window took the mouse: the list goes (the scroll bar held borrows it).
        if (visible_ && !barHeld_ && reinterpret_cast<win::HWND>(l) != h) combo_->SetDroppedDown(false);
        return 0;
      default:
        return win::DefWindowProc(h, msg, w, l);
    }
  }

  bool InList(win::LPARAM l) const {
    TRect client;
    win::GetClientRect(handle_, &client);
    return win::PtInRect(&client, TPoint{win::GET_X_LPARAM(l), win::GET_Y_LPARAM(l)});
  }

  TCustomComboBox* combo_;
  win::HWND handle_ = nullptr;
  win::WNDPROC proc_ = nullptr;
  std::vector<Integer> rows_;
  Integer hot_ = -1;
  Integer top_ = 0;
  Integer emptyRow_ = 16;
  bool visible_ = false;
  bool barHeld_ = false;
};

// ---- the edit part -----------------------------------------------------------------------------------

class TComboEditPart : public TCustomEdit {
 public:
  static const TClass& StaticClass() {
    static const TClass cls = TClass::Of<TComboEditPart>("TComboEditPart", TCustomEdit::StaticClass());
    return cls;
  }
  const TClass& ClassType() const override { return StaticClass(); }

  TComboEditPart(TCustomComboBox* combo) : TCustomEdit(nullptr), combo_(combo) {
    SetBorderStyle(bsNone);
    SetAutoSize(false);
    SetTabStop(false);
    SetParentColor(true);
  }

 protected:
  TWinControl* FocusOwner() override { return combo_; }
  void Change() override {
    // Typing is the box's edit change; text the box puts here is not.
    if (!combo_->settingText_) combo_->Notify(CBN_EDITCHANGE);
  }

 private:
  TCustomComboBox* combo_;
};

// ---- TComboBoxStrings --------------------------------------------------------------------------------

const TClass& TComboBoxStrings::StaticClass() {
  static const TClass cls = TClass::Of<TComboBoxStrings>("TComboBoxStrings", TStrings::StaticClass());
  return cls;
}

void TComboBoxStrings::CheckIndex(Integer index) const {
  if (index < 0 || index >= Count()) IndexError(index);
}

std::string TComboBoxStrings::Get(Integer index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)].String;
}

TObject* TComboBoxStrings::GetObject(Integer index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)].Object;
}

void TComboBoxStrings::Changed() {
  if (UpdateCount() == 0 && combo_) combo_->ItemsChanged();
}

void TComboBoxStrings::SetUpdateState(bool updating) {
  if (!updating && combo_) combo_->ItemsChanged();
}

Integer TComboBoxStrings::Add(const std::string& s) { return AddObject(s, nullptr); }

Integer TComboBoxStrings::AddObject(const std::string& s, TObject* object) {
  Integer at = Count();
  if (sorted_) {
    // After every item that sorts before or equal, as a sorted list box adds.
    at = 0;
    while (at < Count() && AnsiCompareText(items_[static_cast<std::size_t>(at)].String, s) <= 0) ++at;
  }
  items_.insert(items_.begin() + at, TStringItem{s, object});
  if (combo_) combo_->ItemInserted(at);
  Changed();
  return at;
}

void TComboBoxStrings::Insert(Integer index, const std::string& s) { InsertObject(index, s, nullptr); }

void TComboBoxStrings::InsertObject(Integer index, const std::string& s, TObject* object) {
  if (index < 0 || index > Count()) IndexError(index);
  items_.insert(items_.begin() + index, TStringItem{s, object});
  if (combo_) combo_->ItemInserted(index);
  Changed();
}

void TComboBoxStrings::Delete(Integer index) {
  CheckIndex(index);
  items_.erase(items_.begin() + index);
  if (combo_) combo_->ItemDeleted(index);
  Changed();
}

void TComboBoxStrings::Clear() {
  if (items_.empty()) return;
  items_.clear();
  if (combo_) combo_->ItemsCleared();
  Changed();
}

Integer TComboBoxStrings::IndexOf(const std::string& s) const {
  for (Integer i = 0; i < Count(); ++i)
    if (AnsiCompareText(items_[static_cast<std::size_t>(i)].String, s) == 0) return i;
  return -1;
}

void TComboBoxStrings::Put(Integer index, const std::string& s) {
  CheckIndex(index);
  TObject* object = items_[static_cast<std::size_t>(index)].Object;
  bool selected = combo_ && combo_->itemIndex_ == index;
  Delete(index);
  Integer at = sorted_ ? AddObject(s, object) : (InsertObject(index, s, object), index);
  if (selected && combo_) combo_->SetItemIndex(at);
}

void TComboBoxStrings::PutObject(Integer index, TObject* object) {
  CheckIndex(index);
  items_[static_cast<std::size_t>(index)].Object = object;
}

void TComboBoxStrings::RestoreItems(const std::vector<TStringItem>& items) {
  items_ = items;
  if (combo_) combo_->ItemsCleared();
  Changed();
}

void TComboBoxStrings::SetSorted(bool value) {
  if (sorted_ == value) return;
  sorted_ = value;
  if (!value) return;
  // The chosen item stays chosen in its new place.
  std::vector<Integer> order(items_.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<Integer>(i);
  std::stable_sort(order.begin(), order.end(), [this](Integer a, Integer b) {
    return AnsiCompareText(items_[static_cast<std::size_t>(a)].String, items_[static_cast<std::size_t>(b)].String) < 0;
  });
  std::vector<TStringItem> sorted;
  Integer selected = -1;
  for (std::size_t k = 0; k < order.size(); ++k) {
    sorted.push_back(items_[static_cast<std::size_t>(order[k])]);
    if (combo_ && order[k] == combo_->itemIndex_) selected = static_cast<Integer>(k);
  }
  items_ = std::move(sorted);
  if (combo_) combo_->itemIndex_ = selected;
  Changed();
}

// ---- TCustomComboBox --------------------------------------------------------------------------------

const TClass& TCustomComboBox::StaticClass() {
  static const TClass cls = TClass::Of<TCustomComboBox>("TCustomComboBox", TWinControl::StaticClass());
  return cls;
}

TCustomComboBox::TCustomComboBox(TComponent* AOwner)
    : TWinControl(AOwner),
      items_(std::make_unique<TComboBoxStrings>(this)),
      canvas_(std::make_unique<TCanvas>()),
      list_(std::make_unique<TComboListWindow>(this)) {
  controlStyle_ = TControlStyle{csSetCaption, csDoubleClicks, csFixedHeight, csReflector};
  SetBounds(Left(), Top(), 145, FontLineHeight(Font()) + 8);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  edit_ = new TComboEditPart(this);
  edit_->SetParent(this);
  edit_->WindowProc = [this](TMessage& m) { ComboWndProc(m, HandleAllocated() ? WindowHandle() : nullptr); };
  PlaceEdit();
}

TCustomComboBox::~TCustomComboBox() {
  Destroying();
  list_.reset();
  // The edit part goes while the box is whole.
  if (edit_) {
    TComboEditPart* e = edit_;
    edit_ = nullptr;
    e->WindowProc = nullptr;
    delete e;
  }
  items_->Detach();
}

void TCustomComboBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  // The sunken frame lives in the non-client area, where a flat look may be painted over it.
  if (Ctl3D())
    Params.ExStyle |= win::WS_EX_CLIENTEDGE;
  else
    Params.Style |= win::WS_BORDER;
}

void TCustomComboBox::Loaded() {
  TWinControl::Loaded();
  if (itemIndex_ >= items_->Count()) itemIndex_ = -1;
  // Without a selection the edit part's text is the user's own, as read.
  if (itemIndex_ >= 0) ShowItemText();
}

// ---- items and selection ----

void TCustomComboBox::ItemsChanged() { Invalidate(); }

void TCustomComboBox::ItemInserted(Integer index) {
  if (itemIndex_ >= index && itemIndex_ >= 0) ++itemIndex_;
}

void TCustomComboBox::ItemDeleted(Integer index) {
  if (itemIndex_ == index)
    itemIndex_ = -1;
  else if (itemIndex_ > index)
    --itemIndex_;
}

void TCustomComboBox::ItemsCleared() { itemIndex_ = -1; }

void TCustomComboBox::SetItemIndex(Integer value) {
  // A form may give the index before the items: it is checked once loading ends.
  if (ComponentState().Contains(csLoading)) {
    itemIndex_ = value;
    return;
  }
  if (value < -1 || value >= items_->Count()) value = -1;
  if (value == itemIndex_) return;
  itemIndex_ = value;
  ShowItemText();
  if (list_->Visible()) list_->SetHot(value);
  Invalidate();
}

void TCustomComboBox::ShowItemText() {
  if (!edit_ || !HasEditPart()) return;
  settingText_ = true;
  try {
    edit_->SetText(itemIndex_ >= 0 && itemIndex_ < items_->Count() ? items_->Strings(itemIndex_) : std::string());
    edit_->SelectAll();
  } catch (...) {
    settingText_ = false;
    throw;
  }
  settingText_ = false;
}

void TCustomComboBox::UserSelect(Integer index) {
  if (index < 0 || index >= items_->Count() || index == itemIndex_) return;
  SetItemIndex(index);
  Notify(CBN_SELCHANGE);
}

void TCustomComboBox::ListChoose(Integer index) {
  // The list closes first: the choice is made with the box closed.
  SetDroppedDown(false);
  UserSelect(index);
}

std::string TCustomComboBox::GetText() const {
  if (HasEditPart() && edit_) return edit_->Text();
  if (itemIndex_ >= 0 && itemIndex_ < items_->Count()) return items_->Strings(itemIndex_);
  return std::string();
}

void TCustomComboBox::CMTextChanged(TMessage& Message) {
  TWinControl::CMTextChanged(Message);
  if (HasEditPart()) {
    settingText_ = true;
    try {
      edit_->SetText(text_);
    } catch (...) {
      settingText_ = false;
      throw;
    }
    settingText_ = false;
  } else if (!ComponentState().Contains(csLoading)) {
    itemIndex_ = items_->IndexOf(text_);
  }
  Invalidate();
}

bool TCustomComboBox::Sorted() const { return items_->Sorted(); }
void TCustomComboBox::SetSorted(bool value) { items_->SetSorted(value); }

Integer TCustomComboBox::ItemHeight() {
  if (IsOwnerDraw()) return itemHeight_;
  return FontLineHeight(Font());
}

void TCustomComboBox::SetItemHeight(Integer value) {
  if (value < 1) value = 1;
  if (itemHeight_ == value) return;
  itemHeight_ = value;
  Invalidate();
}

void TCustomComboBox::SetDroppedWidth(Integer value) { droppedWidth_ = value < 0 ? 0 : value; }

void TCustomComboBox::SetMaxLength(Integer value) {
  maxLength_ = value < 0 ? 0 : value;
  if (edit_) edit_->SetMaxLength(maxLength_);
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
  if (style_ == value) return;
  std::string text = GetText();
  style_ = value;
  if (edit_) edit_->SetVisible(HasEditPart());
  if (HasEditPart()) {
    settingText_ = true;
    edit_->SetText(text);
    settingText_ = false;
  }
  PlaceEdit();
  // The focus moves between the box and its edit part with the style.
  if (HandleAllocated() && edit_ && edit_->HandleAllocated()) {
    win::HWND focus = win::GetFocus();
    if (HasEditPart() && focus == WindowHandle()) win::SetFocus(edit_->WindowHandle());
    if (!HasEditPart() && focus == edit_->WindowHandle()) win::SetFocus(WindowHandle());
  }
  Invalidate();
}

// ---- the edit part's selection ----

Integer TCustomComboBox::SelStart() const { return HasEditPart() ? edit_->SelStart() : 0; }
Integer TCustomComboBox::SelLength() const {
  return HasEditPart() ? edit_->SelLength() : static_cast<Integer>(GetText().size());
}
std::string TCustomComboBox::SelText() const { return HasEditPart() ? edit_->SelText() : GetText(); }
void TCustomComboBox::SetSelStart(Integer value) {
  if (HasEditPart()) edit_->SetSelStart(value);
}
void TCustomComboBox::SetSelLength(Integer value) {
  if (HasEditPart()) edit_->SetSelLength(value);
}
void TCustomComboBox::SelectAll() {
  if (HasEditPart()) edit_->SelectAll();
}

TCustomEdit* TCustomComboBox::EditControl() const { return HasEditPart() ? edit_ : nullptr; }

win::HWND TCustomComboBox::EditHandle() const {
  return HasEditPart() && edit_ && edit_->HandleAllocated() ? edit_->WindowHandle() : nullptr;
}

win::HWND TCustomComboBox::ListHandle() const { return list_->Handle(); }

// ---- dropping ----

bool TCustomComboBox::DroppedDown() const { return list_->Visible(); }

void TCustomComboBox::SetDroppedDown(bool value) {
  if (value == DroppedDown()) return;
  if (value) {
    if (style_ == csSimple || !HandleAllocated() || !Enabled()) return;
    Notify(CBN_DROPDOWN);
    list_->Open();
  } else {
    list_->Close();
    // A box going away closes its list without telling anyone.
    if (!ComponentState().Contains(csDestroying)) Notify(CBN_CLOSEUP);
  }
  Invalidate();
}

Integer TCustomComboBox::ListItemAt(Integer x, Integer y) { return list_->Visible() ? list_->ItemAt(x, y) : -1; }
TRect TCustomComboBox::ListItemRect(Integer index) { return list_->Visible() ? list_->ItemRect(index) : TRect{}; }

// ---- notifications ----

void TCustomComboBox::Notify(win::WORD code) {
  Perform(CN_COMMAND, win::MAKEWPARAM(0, code), reinterpret_cast<win::LPARAM>(HandleAllocated() ? WindowHandle() : nullptr));
}

void TCustomComboBox::CNCommand(TMessage& Message) {
  switch (win::HIWORD(Message.WParam)) {
    case CBN_SELCHANGE:
      ShowItemText();
      Click();
      Select();
      break;
    case CBN_EDITCHANGE:
      Change();
      break;
    case CBN_DROPDOWN:
      DropDown();
      break;
    case CBN_CLOSEUP:
      CloseUp();
      break;
    case CBN_DBLCLK:
      DblClick();
      break;
    default:
      break;
  }
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect) OnSelect(this);
  Change();
}

void TCustomComboBox::DropDown() {
  if (OnDropDown) OnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::MeasureItem(Integer Index, Integer& Height) {
  if (OnMeasureItem) OnMeasureItem(this, Index, Height);
}

void TCustomComboBox::DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) {
  (void)State;
  if (OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  canvas_->FillRect(Rect);
  if (Index >= 0 && Index < items_->Count()) canvas_->TextOut(Rect.left + 2, Rect.top, items_->Strings(Index));
}

void TCustomComboBox::DrawRow(win::HDC dc, Integer index, TRect rect, TOwnerDrawState state) {
  // A row draws inside its own rectangle, as an owner-drawn item's DC is clipped: a text
  // wider than the field stops at the drop-down button.
  const int saved = win::SaveDC(dc);
  win::IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
  canvas_->SetHandle(dc);
  try {
    canvas_->SetFont(Font());
    canvas_->Brush()->SetStyle(bsSolid);
    canvas_->Brush()->SetColor(Color());
    if (state.Contains(odSelected)) {
      canvas_->Brush()->SetColor(clHighlight);
      canvas_->Font()->SetColor(clHighlightText);
    }
    if (!Enabled()) state.Include(odDisabled);
    if (IsOwnerDraw()) {
      DrawItem(index, rect, state);
    } else {
      // Plain rows: the text centred in the row's height.
      canvas_->FillRect(rect);
      if (index >= 0 && index < items_->Count()) {
        canvas_->Brush()->SetStyle(bsClear);
        if (!Enabled()) canvas_->Font()->SetColor(clGrayText);
        Integer y = rect.top + (rect.bottom - rect.top - FontLineHeight(Font())) / 2;
        canvas_->TextOut(rect.left + 2, y, items_->Strings(index));
      }
    }
    if (state.Contains(odFocused)) canvas_->DrawFocusRect(rect);
  } catch (...) {
    canvas_->SetHandle(nullptr);
    if (saved) win::RestoreDC(dc, saved);
    throw;
  }
  canvas_->SetHandle(nullptr);
  if (saved) win::RestoreDC(dc, saved);
}

// ---- messages ----

void TCustomComboBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_COMMAND:
      CNCommand(Message);
      return;
    case CB_GETCOUNT:
      Message.Result = items_->Count();
      return;
    case CB_GETCURSEL:
      Message.Result = itemIndex_;
      return;
    case CB_SETCURSEL:
      SetItemIndex(static_cast<Integer>(static_cast<std::intptr_t>(Message.WParam)));
      Message.Result = itemIndex_;
      return;
    case CB_SHOWDROPDOWN:
      SetDroppedDown(Message.WParam != 0);
      Message.Result = 1;
      return;
    case CB_GETDROPPEDSTATE:
      Message.Result = DroppedDown() ? 1 : 0;
      return;
    case CB_SETITEMHEIGHT:
      SetItemHeight(static_cast<Integer>(Message.LParam));
      return;
    case CB_GETITEMHEIGHT:
      Message.Result = ItemHeight();
      return;
    case CB_GETDROPPEDWIDTH:
      Message.Result = std::max<Integer>(droppedWidth_, Width());
      return;
    case CB_SETDROPPEDWIDTH:
      SetDroppedWidth(static_cast<Integer>(Message.WParam));
      Message.Result = std::max<Integer>(droppedWidth_, Width());
      return;
    case CB_LIMITTEXT:
      SetMaxLength(static_cast<Integer>(Message.WParam));
      Message.Result = 1;
      return;
    case CB_GETEDITSEL:
      Message.Result = win::MAKELRESULT(SelStart(), SelStart() + SelLength());
      return;
    case CB_SETEDITSEL:
      if (HasEditPart()) {
        Integer s = static_cast<SmallInt>(win::LOWORD(static_cast<std::uintptr_t>(Message.LParam)));
        Integer e = static_cast<SmallInt>(win::HIWORD(static_cast<std::uintptr_t>(Message.LParam)));
        edit_->Perform(EM_SETSEL, static_cast<win::WPARAM>(s), e);
      }
      Message.Result = 1;
      return;
    default:
      TWinControl::Dispatch(Message);
  }
}

bool TCustomComboBox::HandleComboKey(Word key, TShiftState shift) {
  Integer count = items_->Count();
  bool dropped = DroppedDown();
  bool list = !HasEditPart();
  switch (key) {
    case win::VK_F1 + 3:  // F4
      if (style_ == csSimple) return false;
      SetDroppedDown(!dropped);
      return true;
    case win::VK_UP:
    case win::VK_DOWN:
      if (shift.Contains(ssAlt)) {
        if (style_ != csSimple) SetDroppedDown(!dropped);
        return true;
      }
      [[fallthrough]];
    case win::VK_LEFT:
    case win::VK_RIGHT:
      if (!list && (key == win::VK_LEFT || key == win::VK_RIGHT)) return false;
      if (count == 0) return true;
      if (key == win::VK_UP || key == win::VK_LEFT)
        UserSelect(itemIndex_ <= 0 ? 0 : itemIndex_ - 1);
      else
        UserSelect(itemIndex_ < 0 ? 0 : std::min(itemIndex_ + 1, count - 1));
      return true;
    case win::VK_PRIOR:
      if (count) UserSelect(std::max<Integer>(0, itemIndex_ - (dropDownCount_ - 1)));
      return true;
    case win::VK_NEXT:
      if (count) UserSelect(std::min<Integer>(count - 1, std::max<Integer>(itemIndex_, 0) + (dropDownCount_ - 1)));
      return true;
    case win::VK_HOME:
      if (!list) return false;
      if (count) UserSelect(0);
      return true;
    case win::VK_END:
      if (!list) return false;
      if (count) UserSelect(count - 1);
      return true;
    case win::VK_RETURN:
    case win::VK_ESCAPE:
      if (!dropped) return false;
      SetDroppedDown(false);
      return true;
    default:
      return false;
  }
}

bool TCustomComboBox::WantsKey(Word Key) {
  if (IsArrowOrPageKey(Key)) return true;
  switch (Key) {
    case win::VK_RETURN:
    case win::VK_ESCAPE:
      return DroppedDown();
    default:
      // Characters pick items in the list styles.
      return Key >= ' ' && !HasEditPart();
  }
}

// What the window system's combo box does with keys and characters (list styles).
void TCustomComboBox::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case win::WM_KEYDOWN:
    case win::WM_SYSKEYDOWN:
      if (HandleComboKey(static_cast<Word>(Message.WParam), GetShiftState())) return;
      break;
    case win::WM_CHAR: {
      auto ch = static_cast<unsigned char>(Message.WParam);
      if (HasEditPart() || ch < ' ') break;
      // The next item after the chosen one that starts with the character.
      Integer count = items_->Count();
      for (Integer k = 1; k <= count; ++k) {
        Integer i = (std::max<Integer>(itemIndex_, -1) + k) % count;
        std::string s = items_->Strings(i);
        if (!s.empty() && std::toupper(static_cast<unsigned char>(s[0])) == std::toupper(ch)) {
          UserSelect(i);
          break;
        }
      }
      return;
    }
    default:
      break;
  }
  TWinControl::DefaultHandler(Message);
}

void TCustomComboBox::ComboWndProc(TMessage& Message, win::HWND ComboWnd) {
  (void)ComboWnd;
  switch (Message.Msg) {
    case win::WM_KEYDOWN:
    case win::WM_SYSKEYDOWN:
      // The box's own key events come first, then the keys that choose items.
      if (DoKeyDown(Message)) return;
      if (HandleComboKey(static_cast<Word>(Message.WParam), GetShiftState())) return;
      break;
    case win::WM_KEYUP:
      if (DoKeyUp(Message)) return;
      break;
    case win::WM_CHAR:
      if (DoKeyPress(Message)) return;
      if (DroppedDown() && (Message.WParam == '\r' || Message.WParam == 27)) return;
      break;
    case win::WM_KILLFOCUS:
      DefaultComboWndProc(Message);
      focused_ = false;
      SetDroppedDown(false);
      Invalidate();
      return;
    case win::WM_SETFOCUS:
      DefaultComboWndProc(Message);
      focused_ = true;
      if (!controlState_.Contains(csLButtonDown) && edit_) edit_->SelectAll();
      return;
    default:
      break;
  }
  DefaultComboWndProc(Message);
}

void TCustomComboBox::DefaultComboWndProc(TMessage& Message) {
  if (edit_) edit_->WndProc(Message);
}

void TCustomComboBox::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) {
    if (CanFocus() && !Focused() && !(edit_ && edit_->Focused())) SetFocus();
    TRect button = ButtonRect();
    if (style_ != csSimple && (!HasEditPart() || win::PtInRect(&button, TPoint{X, Y})))
      SetDroppedDown(!DroppedDown());
  }
  TWinControl::MouseDown(Button, Shift, X, Y);
}

void TCustomComboBox::WMSetFocus(TMessage& Message) {
  TWinControl::WMSetFocus(Message);
  // The edit part takes the keys of a box that has one.
  if (HasEditPart() && edit_ && edit_->HandleAllocated()) {
    win::SetFocus(edit_->WindowHandle());
    return;
  }
  focused_ = true;
  Invalidate();
}

void TCustomComboBox::WMKillFocus(TMessage& Message) {
  TWinControl::WMKillFocus(Message);
  // Handing the focus to the edit part is no loss of it.
  if (HasEditPart() && edit_ && edit_->HandleAllocated() &&
      reinterpret_cast<win::HWND>(Message.WParam) == edit_->WindowHandle())
    return;
  focused_ = false;
  SetDroppedDown(false);
  Invalidate();
}

void TCustomComboBox::WMSize(TMessage& Message) {
  TWinControl::WMSize(Message);
  PlaceEdit();
}

void TCustomComboBox::CMFontChanged(TMessage& Message) {
  TWinControl::CMFontChanged(Message);
  if (edit_) edit_->SetFont(Font());
  PlaceEdit();
  Invalidate();
}

void TCustomComboBox::CMEnabledChanged(TMessage& Message) {
  TWinControl::CMEnabledChanged(Message);
  if (edit_) edit_->SetEnabled(Enabled());
  if (!Enabled()) SetDroppedDown(false);
}

// ---- layout and painting ----

TRect TCustomComboBox::ButtonRect() {
  TRect client = ClientRect();
  if (style_ == csSimple) return TRect{client.right, 0, client.right, 0};
  Integer w = win::GetSystemMetrics(win::SM_CXVSCROLL);
  return TRect{std::max<Integer>(client.right - w, 0), 0, client.right, client.bottom};
}

void TCustomComboBox::PlaceEdit() {
  if (!edit_) return;
  edit_->SetVisible(HasEditPart());
  if (!HasEditPart()) return;
  TRect client = ClientRect();
  TRect button = ButtonRect();
  edit_->SetBounds(1, 1, std::max<Integer>(button.left - 2, 0), std::max<Integer>(client.bottom - 2, 0));
}

void TCustomComboBox::PaintWindow(win::HDC DC) {
  TRect client = ClientRect();
  TRect button = ButtonRect();
  canvas_->SetHandle(DC);
  try {
    canvas_->Brush()->SetStyle(bsSolid);
    canvas_->Brush()->SetColor(Color());
    canvas_->FillRect(TRect{0, 0, button.left, client.bottom});
    if (style_ != csSimple) {
      canvas_->Brush()->SetColor(clBtnFace);
      canvas_->FillRect(button);
      TRect e = button;
      win::DrawEdge(DC, &e, DroppedDown() ? win::EDGE_SUNKEN : win::EDGE_RAISED, win::BF_RECT);
      TRect arrow = button;
      if (DroppedDown()) win::OffsetRect(&arrow, 1, 1);
      DownArrow(canvas_.get(), arrow, Enabled() ? clBtnText : clGrayText);
    }
  } catch (...) {
    canvas_->SetHandle(nullptr);
    throw;
  }
  canvas_->SetHandle(nullptr);
  if (!HasEditPart()) {
    // The selection field: the chosen item, highlighted while the box has the focus.
    TRect field{1, 1, button.left - 1, client.bottom - 1};
    TOwnerDrawState state{odComboBoxEdit};
    if (focused_ && !DroppedDown()) state = state + TOwnerDrawState{odSelected, odFocused};
    DrawRow(DC, itemIndex_, field, state);
  }
}

// ---- TComboBox -----------------------------------------------------------------------------------------

const TClass& TComboBox::StaticClass() {
  static const TClass cls = TClass::Of<TComboBox>("TComboBox", TCustomComboBox::StaticClass(), &TComboBox::Publish);
  return cls;
}

void TComboBox::Publish(TPublished& published) {
  TWinControl::PublishProperties(
      published, {"Anchors",     "Color",       "Constraints", "Ctl3D",      "DragCursor", "DragMode",
                  "Enabled",     "Font",        "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint",
                  "PopupMenu",   "ShowHint",    "TabOrder",    "TabStop",     "Text",       "Visible",
                  "OnClick",     "OnDblClick",  "OnEnter",     "OnExit",      "OnKeyDown",  "OnKeyPress",
                  "OnKeyUp"});
  auto p = published.For<TCustomComboBox>();
  p.Enum("Style", ComboBoxStyleInfo(), &TCustomComboBox::Style, &TCustomComboBox::SetStyle).Default(csDropDown);
  p.Integer("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount).Default(8);
  p.Integer("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight).NoDefault();
  p.Integer("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength).Default(0);
  p.Boolean("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted).Default(false);
  p.Strings("Items", &TCustomComboBox::Items, &TCustomComboBox::SetItems);
  // After Items: a form gives the items first.
  p.Integer("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex).Default(-1);
  p.Event("OnChange", &TCustomComboBox::OnChange);
  p.Event("OnCloseUp", &TCustomComboBox::OnCloseUp);
  p.Event("OnDrawItem", &TCustomComboBox::OnDrawItem);
  p.Event("OnDropDown", &TCustomComboBox::OnDropDown);
  p.Event("OnMeasureItem", &TCustomComboBox::OnMeasureItem);
  p.Event("OnSelect", &TCustomComboBox::OnSelect);
  published.Redefault("TabStop", Int64{1});
  published.Redefault("ParentColor", Int64{0});
}
