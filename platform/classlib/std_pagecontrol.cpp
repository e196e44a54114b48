#include "platform/classlib/std_pagecontrol.h"

#include <algorithm>

#include "platform/classlib/class_registry.h"
#include "platform/classlib/forms.h"
#include "platform/classlib/std_imagelist_link.h"
#include "platform/classlib/std_label.h"
#include "platform/win/gdi.h"
#include "platform/win/input.h"
#include "platform/win/rect.h"
#include "platform/win/text/text.h"

namespace {

const bool kTabsRegistered = [] {
  RegisterClasses({&TTabControl::StaticClass(), &TPageControl::StaticClass(), &TTabSheet::StaticClass()});
  return true;
}();

// The raised outline of a tab: light left and top, shadow and dark right; no bottom.
void TabOutline(TCanvas* c, const TRect& r) {
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(clBtnHighlight);
  c->MoveTo(r.left, r.bottom - 1);
  c->LineTo(r.left, r.top + 2);
  c->LineTo(r.left + 2, r.top);
  c->LineTo(r.right - 2, r.top);
  c->Pen()->SetColor(cl3DDkShadow);
  c->MoveTo(r.right - 2, r.top + 1);
  c->LineTo(r.right - 1, r.top + 2);
  c->LineTo(r.right - 1, r.bottom);
  c->Pen()->SetColor(clBtnShadow);
  c->MoveTo(r.right - 2, r.top + 2);
  c->LineTo(r.right - 2, r.bottom);
}

}  // namespace

// ---- TCustomTabControl ---------------------------------------------------------------------------

const TClass& TCustomTabControl::StaticClass() {
  static const TClass cls = TClass::Of<TCustomTabControl>("TCustomTabControl", TCustomControl::StaticClass());
  return cls;
}

TCustomTabControl::TCustomTabControl(TComponent* AOwner)
    : TCustomControl(AOwner), imageLink_(std::make_unique<TChangeLink>()) {
  controlStyle_ = TControlStyle{csAcceptsControls, csDoubleClicks, csOpaque};
  SetBounds(Left(), Top(), 289, 193);
  SetTabStop(true);
  imageLink_->OnChange = [this](TObject*) { TabsChanged(); };
}

TCustomTabControl::~TCustomTabControl() {
  if (images_) images_->UnRegisterChanges(imageLink_.get());
}

void TCustomTabControl::SetTabIndex(Integer value) {
  if (value < -1 || value >= TabCount()) value = -1;
  if (tabIndex_ == value) return;
  tabIndex_ = value;
  Invalidate();
}

void TCustomTabControl::SetTabHeight(Integer value) {
  if (value < 0) value = 0;
  if (tabHeight_ == value) return;
  tabHeight_ = value;
  TabsChanged();
}

void TCustomTabControl::SetTabWidth(Integer value) {
  if (value < 0) value = 0;
  if (tabWidth_ == value) return;
  tabWidth_ = value;
  TabsChanged();
}

void TCustomTabControl::SetImages(TCustomImageList* value) {
  if (ReplaceImageList(this, images_, value, imageLink_.get())) TabsChanged();
}

void TCustomTabControl::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) {
    images_ = nullptr;
    TabsChanged();
  }
}

void TCustomTabControl::TabsChanged() {
  if (tabIndex_ >= TabCount()) tabIndex_ = TabCount() - 1;
  Realign();
  Invalidate();
}

Integer TCustomTabControl::ItemHeight() {
  if (tabHeight_ > 0) return tabHeight_;
  Integer h = FontLineHeight(Font()) + 6;
  if (images_) h = std::max(h, images_->Height() + 6);
  return h;
}

TRect TCustomTabControl::TabRect(Integer index) {
  if (index < 0 || index >= TabCount()) return TRect{};
  Integer x = 2;
  Integer h = ItemHeight();
  for (Integer i = 0; i <= index; ++i) {
    Integer w = tabWidth_;
    if (w == 0) {
      w = MeasureText(Font(), StripAccel(TabText(i))).cx + 12;
      if (images_ && TabImage(i) >= 0) w += images_->Width() + 3;
    }
    if (i == index) return TRect{x, 2, x + w, h + 2};
    x += w;
  }
  return TRect{};
}

Integer TCustomTabControl::IndexOfTabAt(Integer X, Integer Y) {
  // The selected tab stands out over its neighbours.
  if (tabIndex_ >= 0) {
    TRect r = TabRect(tabIndex_);
    win::InflateRect(&r, 2, 0);
    r.top -= 2;
    if (win::PtInRect(&r, TPoint{X, Y})) return tabIndex_;
  }
  for (Integer i = 0; i < TabCount(); ++i) {
    TRect r = TabRect(i);
    if (win::PtInRect(&r, TPoint{X, Y})) return i;
  }
  return -1;
}

TRect TCustomTabControl::DisplayRect() {
  TRect r = ClientRect();
  return TRect{4, ItemHeight() + 6, std::max<Integer>(r.right - 4, 4), std::max<Integer>(r.bottom - 4, ItemHeight() + 6)};
}

void TCustomTabControl::AdjustClientRect(TRect& Rect) { Rect = DisplayRect(); }

bool TCustomTabControl::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void TCustomTabControl::Change() {
  if (OnChange) OnChange(this);
}

void TCustomTabControl::SelectTab(Integer index) {
  tabIndex_ = index;
  Invalidate();
}

void TCustomTabControl::UserSelect(Integer index) {
  if (index < 0 || index >= TabCount() || index == tabIndex_) return;
  if (!CanChange()) return;
  SelectTab(index);
  Change();
}

void TCustomTabControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  if (Button == mbLeft) {
    Integer index = IndexOfTabAt(X, Y);
    if (index >= 0) {
      if (CanFocus() && !Focused()) SetFocus();
      UserSelect(index);
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

bool TCustomTabControl::WantsKey(Word Key) { return Key == win::VK_LEFT || Key == win::VK_RIGHT; }

void TCustomTabControl::KeyDown(Word& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == win::VK_LEFT && tabIndex_ > 0) UserSelect(tabIndex_ - 1);
  if (Key == win::VK_RIGHT && tabIndex_ + 1 < TabCount()) UserSelect(tabIndex_ + 1);
}

void TCustomTabControl::WMSetFocus(TMessage& Message) {
  focused_ = true;
  TCustomControl::WMSetFocus(Message);
  Invalidate();
}

void TCustomTabControl::WMKillFocus(TMessage& Message) {
  focused_ = false;
  TCustomControl::WMKillFocus(Message);
  Invalidate();
}

void TCustomTabControl::CMFontChanged(TMessage& Message) {
  TCustomControl::CMFontChanged(Message);
  TabsChanged();
}

void TCustomTabControl::Paint() {
  TCanvas* c = Canvas();
  TRect client = ClientRect();
  Integer h = ItemHeight();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(client);
  TRect frame{0, h + 2, client.right, client.bottom};
  win::DrawEdge(c->Handle(), &frame, win::EDGE_RAISED, win::BF_RECT);

  c->SetFont(Font());
  auto drawTab = [&](Integer i, TRect r) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    TabOutline(c, r);
    Integer x = r.left + 6;
    if (images_ && TabImage(i) >= 0) {
      images_->Draw(c, x, r.top + (r.bottom - r.top - images_->Height()) / 2, TabImage(i), Enabled());
      x += images_->Width() + 3;
    }
    std::string text = TabText(i);
    TRect tr{x, r.top, r.right - 6, r.bottom};
    c->Brush()->SetStyle(bsClear);
    DrawTextOn(c, text, tr, win::DT_SINGLELINE | win::DT_VCENTER | win::DT_LEFT, Enabled() ? Font()->Color() : clGrayText);
  };
  for (Integer i = 0; i < TabCount(); ++i)
    if (i != tabIndex_) drawTab(i, TabRect(i));
  if (tabIndex_ >= 0) {
    TRect r = TabRect(tabIndex_);
    TRect big{r.left - 2, 0, r.right + 2, r.bottom + 1};
    drawTab(tabIndex_, big);
    if (focused_) {
      TRect f{big.left + 3, big.top + 3, big.right - 3, big.bottom - 2};
      c->DrawFocusRect(f);
    }
  }
}

// ---- TTabControl -------------------------------------------------------------------------------------

const TClass& TTabControl::StaticClass() {
  static const TClass cls =
      TClass::Of<TTabControl>("TTabControl", TCustomTabControl::StaticClass(), &TTabControl::Publish);
  return cls;
}

TTabControl::TTabControl(TComponent* AOwner) : TCustomTabControl(AOwner), tabs_(std::make_unique<TStringList>()) {
  tabs_->OnChange = [this](TObject*) {
    // A new first tab is selected, as the window system's tab control does.
    if (tabIndex_ < 0 && tabs_->Count() > 0 && !ComponentState().Contains(csLoading)) tabIndex_ = 0;
    TabsChanged();
  };
}

TTabControl::~TTabControl() { tabs_->OnChange = nullptr; }

void TTabControl::Loaded() {
  TCustomTabControl::Loaded();
  // -1 as read is no tab selected: a form stores any other index.
  if (tabIndex_ >= tabs_->Count()) tabIndex_ = tabs_->Count() - 1;
}

void TCustomTabControl::PublishTabProperties(TPublished& published) {
  TWinControl::PublishProperties(
      published, {"Align",      "Anchors",     "Constraints", "DragCursor", "DragMode",    "Enabled",
                  "Font",       "ParentFont",  "ParentShowHint", "PopupMenu", "ShowHint",  "TabOrder",
                  "TabStop",    "Visible",     "OnEnter",     "OnExit",     "OnMouseDown", "OnMouseMove",
                  "OnMouseUp",  "OnResize"});
  auto p = published.For<TCustomTabControl>();
  p.Boolean("HotTrack", &TCustomTabControl::HotTrack, &TCustomTabControl::SetHotTrack).Default(false);
  p.Component("Images", &TCustomTabControl::Images, &TCustomTabControl::SetImages);
  p.Integer("TabHeight", &TCustomTabControl::TabHeight, &TCustomTabControl::SetTabHeight).Default(0);
  p.Integer("TabWidth", &TCustomTabControl::TabWidth, &TCustomTabControl::SetTabWidth).Default(0);
  p.Event("OnChange", &TCustomTabControl::OnChange);
  p.Event("OnChanging", &TCustomTabControl::OnChanging);
}

void TTabControl::Publish(TPublished& published) {
  PublishTabProperties(published);
  auto t = published.For<TTabControl>();
  t.Strings("Tabs", &TTabControl::Tabs, &TTabControl::SetTabs);
  // After Tabs: a form gives the tabs first.
  t.Integer("TabIndex", &TTabControl::TabIndex, [](TTabControl* self, Integer v) {
     if (self->ComponentState().Contains(csLoading))
       self->tabIndex_ = v;
     else
       self->SetTabIndex(v);
   }).Default(-1);
  published.Redefault("TabStop", Int64{1});
}

// ---- TTabSheet ----------------------------------------------------------------------------------------

const TClass& TTabSheet::StaticClass() {
  static const TClass cls = TClass::Of<TTabSheet>("TTabSheet", TWinControl::StaticClass(), &TTabSheet::Publish);
  return cls;
}

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_ = controlStyle_ + TControlStyle{csAcceptsControls, csNoDesignVisible};
  SetAlign(alClient);
  SetVisible(false);
}

TTabSheet::~TTabSheet() {
  Destroying();
  if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* value) {
  if (pageControl_ == value) {
    if (value && Parent() != value) {
      settingParent_ = true;
      TWinControl::SetParent(value);
      settingParent_ = false;
    }
    return;
  }
  if (pageControl_) pageControl_->RemovePage(this);
  settingParent_ = true;
  try {
    TWinControl::SetParent(value);
  } catch (...) {
    settingParent_ = false;
    throw;
  }
  settingParent_ = false;
  if (value) value->InsertPage(this);
}

void TTabSheet::SetParent(TWinControl* value) {
  if (settingParent_) {
    TWinControl::SetParent(value);
    return;
  }
  if (auto* pc = dynamic_cast<TPageControl*>(value)) {
    SetPageControl(pc);
    return;
  }
  if (pageControl_) pageControl_->RemovePage(this);
  TWinControl::SetParent(value);
}

Integer TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  auto& pages = pageControl_->pages_;
  auto it = std::find(pages.begin(), pages.end(), this);
  return it == pages.end() ? -1 : static_cast<Integer>(it - pages.begin());
}

void TTabSheet::SetPageIndex(Integer value) {
  if (!pageControl_) return;
  auto& pages = pageControl_->pages_;
  value = std::clamp<Integer>(value, 0, static_cast<Integer>(pages.size()) - 1);
  Integer cur = PageIndex();
  if (cur == value || cur < 0) return;
  pages.erase(pages.begin() + cur);
  pages.insert(pages.begin() + value, this);
  pageControl_->UpdateTabIndex();
  pageControl_->TabsChanged();
}

Integer TTabSheet::TabIndex() const {
  if (!pageControl_ || !tabVisible_) return -1;
  Integer i = 0;
  for (TTabSheet* p : pageControl_->pages_) {
    if (p == this) return i;
    if (p->tabVisible_) ++i;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool value) {
  if (tabVisible_ == value) return;
  tabVisible_ = value;
  if (pageControl_) pageControl_->TabShowingChanged(this);
}

void TTabSheet::SetImageIndex(Integer value) {
  if (imageIndex_ == value) return;
  imageIndex_ = value;
  if (pageControl_) pageControl_->TabsChanged();
}

void TTabSheet::DoShow() {
  if (OnShow) OnShow(this);
}

void TTabSheet::DoHide() {
  if (OnHide) OnHide(this);
}

void TTabSheet::CMShowingChanged(TMessage& Message) {
  TWinControl::CMShowingChanged(Message);
  if (ComponentState().Contains(csDestroying)) return;
  if (Showing())
    DoShow();
  else
    DoHide();
}

void TTabSheet::CMTextChanged(TMessage& Message) {
  TWinControl::CMTextChanged(Message);
  if (pageControl_) pageControl_->TabsChanged();
}

void TTabSheet::Publish(TPublished& published) {
  TWinControl::PublishProperties(published, {"Caption", "DragMode", "Enabled", "Font", "ParentFont",
                                             "ParentShowHint", "PopupMenu", "ShowHint", "OnEnter", "OnExit",
                                             "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnResize"});
  auto p = published.For<TTabSheet>();
  p.Integer("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex).Default(0);
  // The page control holds its sheets as children: the reference is not stored.
  p.Component("PageControl", &TTabSheet::PageControl, &TTabSheet::SetPageControl).Stored(false);
  p.Integer("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex).Stored(false);
  p.Boolean("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible).Default(true);
  p.Event("OnHide", &TTabSheet::OnHide);
  p.Event("OnShow", &TTabSheet::OnShow);
}

// ---- TPageControl -----------------------------------------------------------------------------------

const TClass& TPageControl::StaticClass() {
  static const TClass cls =
      TClass::Of<TPageControl>("TPageControl", TCustomTabControl::StaticClass(), &TPageControl::Publish);
  return cls;
}

TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {
  controlStyle_.Exclude(csAcceptsControls);
}

TPageControl::~TPageControl() {
  // The sheets go with the window control after this: they must not reach back.
  for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
  pages_.clear();
  activePage_ = nullptr;
}

TTabSheet* TPageControl::Pages(Integer index) const {
  if (index < 0 || index >= PageCount()) throw CreateFmt<EListError>(msg::ListIndexError, index);
  return pages_[static_cast<std::size_t>(index)];
}

std::vector<TTabSheet*> TPageControl::TabPages() const {
  std::vector<TTabSheet*> out;
  for (TTabSheet* p : pages_)
    if (p->tabVisible_) out.push_back(p);
  return out;
}

Integer TPageControl::TabCount() const { return static_cast<Integer>(TabPages().size()); }

std::string TPageControl::TabText(Integer index) const {
  std::vector<TTabSheet*> tabs = TabPages();
  return index >= 0 && index < static_cast<Integer>(tabs.size()) ? tabs[static_cast<std::size_t>(index)]->Caption()
                                                                   : std::string();
}

Integer TPageControl::TabImage(Integer index) const {
  std::vector<TTabSheet*> tabs = TabPages();
  return index >= 0 && index < static_cast<Integer>(tabs.size()) ? tabs[static_cast<std::size_t>(index)]->imageIndex_
                                                                   : -1;
}

void TPageControl::InsertPage(TTabSheet* page) {
  if (std::find(pages_.begin(), pages_.end(), page) != pages_.end()) return;
  pages_.push_back(page);
  page->pageControl_ = this;
  page->FreeNotification(this);
  UpdateTabIndex();
  TabsChanged();
}

void TPageControl::RemovePage(TTabSheet* page) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  TTabSheet* next = FindNextPage(page, true, !ComponentState().Contains(csDesigning));
  if (next == page) next = nullptr;
  pages_.erase(it);
  page->pageControl_ = nullptr;
  if (activePage_ == page) {
    activePage_ = nullptr;
    if (!ComponentState().Contains(csDestroying)) ChangeActivePage(next);
  }
  UpdateTabIndex();
  TabsChanged();
}

void TPageControl::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomTabControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == activePage_) activePage_ = nullptr;
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* curPage, bool goForward, bool checkTabVisible) {
  if (pages_.empty()) return nullptr;
  auto count = static_cast<Integer>(pages_.size());
  auto found = std::find(pages_.begin(), pages_.end(), curPage);
  Integer start = found == pages_.end() ? (goForward ? count - 1 : 0) : static_cast<Integer>(found - pages_.begin());
  Integer i = start;
  do {
    i = goForward ? (i + 1) % count : (i + count - 1) % count;
    TTabSheet* p = pages_[static_cast<std::size_t>(i)];
    if (!checkTabVisible || p->tabVisible_) return p;
  } while (i != start);
  return nullptr;
}

void TPageControl::SelectNextPage(bool goForward) {
  TTabSheet* page = FindNextPage(activePage_, goForward, true);
  if (!page || page == activePage_) return;
  if (!CanChange()) return;
  SetActivePage(page);
  Change();
}

void TPageControl::ChangeActivePage(TTabSheet* page) {
  if (activePage_ == page) return;
  TCustomForm* form = ::GetParentForm(this);
  if (form && activePage_ && activePage_->ContainsControl(form->ActiveControl())) {
    // The focus leaves the page going away; a control that refuses keeps the page.
    form->SetActiveControl(activePage_);
    if (form->ActiveControl() != activePage_) {
      UpdateTabIndex();
      return;
    }
  }
  TTabSheet* old = activePage_;
  // The new page shows before the old one hides, as the class library does it.
  if (page) {
    page->BringToFront();
    page->SetVisible(true);
    if (form && old && form->ActiveControl() == old) {
      if (page->CanFocus())
        form->SetActiveControl(page);
      else
        form->SetActiveControl(this);
    }
  }
  if (old) old->SetVisible(false);
  activePage_ = page;
  UpdateTabIndex();
  Invalidate();
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->pageControl_ != this) return;
  ChangeActivePage(page);
}

Integer TPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(Integer value) {
  if (value >= 0 && value < PageCount())
    SetActivePage(pages_[static_cast<std::size_t>(value)]);
  else
    SetActivePage(nullptr);
}

void TPageControl::UpdateTabIndex() {
  tabIndex_ = activePage_ ? activePage_->TabIndex() : -1;
  Invalidate();
}

void TPageControl::TabShowingChanged(TTabSheet* page) {
  // A page that loses its tab hands the active place to the next page with one.
  if (!page->tabVisible_ && page == activePage_ && !ComponentState().Contains(csLoading))
    ChangeActivePage(FindNextPage(page, true, true));
  UpdateTabIndex();
  TabsChanged();
}

void TPageControl::SelectTab(Integer index) {
  std::vector<TTabSheet*> tabs = TabPages();
  if (index < 0 || index >= static_cast<Integer>(tabs.size())) return;
  ChangeActivePage(tabs[static_cast<std::size_t>(index)]);
}

void TPageControl::ShowControl(TControl* AControl) {
  auto* sheet = dynamic_cast<TTabSheet*>(AControl);
  if (sheet && sheet->pageControl_ == this) SetActivePage(sheet);
  TCustomTabControl::ShowControl(AControl);
}

void TPageControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  // The sheets in page order, so that a form keeps the order of the tabs.
  for (TTabSheet* p : pages_)
    if (p->Owner() == root) proc(p);
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Owner() == root && std::find(pages_.begin(), pages_.end(), c) == pages_.end()) proc(c);
  }
}

void TPageControl::Loaded() {
  TCustomTabControl::Loaded();
  // A sheet read as the active page was shown; the others stay hidden.
  for (TTabSheet* p : pages_)
    if (p != activePage_) p->SetVisible(false);
  UpdateTabIndex();
}

void TPageControl::AlignControls(TControl* AControl, TRect& Rect) {
  TCustomTabControl::AlignControls(AControl, Rect);
  const TRect room = DisplayRect();
  for (TTabSheet* p : pages_)
    if (!p->Visible()) p->SetBounds(room.left, room.top, room.right - room.left, room.bottom - room.top);
}

void TPageControl::Publish(TPublished& published) {
  PublishTabProperties(published);
  published.For<TPageControl>().Component("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
  published.Redefault("TabStop", Int64{1});
}
