#pragma once
// Tabs: TCustomTabControl draws a row of tabs over a raised frame and lays its children
// out in DisplayRect; TTabControl takes its tabs from a string list; TPageControl from
// its TTabSheet pages, showing the active one.
//
// Geometry: tabs are ItemHeight = TabHeight (or the font's line + 6) high and TabWidth
// (or text + 12, plus the image and 3) wide, side by side from x 2 at y 2; the selected
// tab stands 2 pixels taller and wider on each side. The frame starts at y ItemHeight + 2;
// DisplayRect is (4, ItemHeight + 6, width - 4, height - 4).
//
// A click on another tab asks OnChanging, then selects the tab and fires OnChange. A page
// control shows the new page (its OnShow) before it hides the old one (its OnHide), and
// both before OnChange. Setting TabIndex or ActivePage from code fires neither
// OnChanging nor OnChange. A page with TabVisible false has no tab; hiding the active
// page's tab activates the next page that has one.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/std_imagelist.h"
#include "platform/classlib/strings.h"
#include "platform/classlib/win_control.h"

class TPageControl;

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TCustomTabControl : public TCustomControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCustomTabControl(TComponent* AOwner);
  ~TCustomTabControl() override;

  // Index of the selected tab (-1: none). Setting it fires no event.
  Integer TabIndex() const { return tabIndex_; }
  void SetTabIndex(Integer value);
  Integer TabHeight() const { return tabHeight_; }
  void SetTabHeight(Integer value);
  Integer TabWidth() const { return tabWidth_; }
  void SetTabWidth(Integer value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* value);
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool value) { hotTrack_ = value; }

  // ---- geometry (client coordinates) ----
  Integer ItemHeight();
  TRect TabRect(Integer index);
  Integer IndexOfTabAt(Integer X, Integer Y);
  TRect DisplayRect();

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

 protected:
  // The tabs: how many, their texts and images.
  virtual Integer TabCount() const = 0;
  virtual std::string TabText(Integer index) const = 0;
  virtual Integer TabImage(Integer index) const { return index; }

  virtual bool CanChange();
  virtual void Change();
  // The user picked tab `index` (OnChanging said yes): selects it.
  virtual void SelectTab(Integer index);
  // The tabs changed: repaint and realign.
  void TabsChanged();

  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  bool WantsKey(Word Key) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;

  // The properties a tab control and a page control both publish.
  static void PublishTabProperties(TPublished& published);

  Integer tabIndex_ = -1;

 private:
  // The user steps to another tab, as a click does.
  void UserSelect(Integer index);

  Integer tabHeight_ = 0;
  Integer tabWidth_ = 0;
  TCustomImageList* images_ = nullptr;
  std::unique_ptr<TChangeLink> imageLink_;
  bool hotTrack_ = false;
  bool focused_ = false;
};

class TTabControl : public TCustomTabControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TTabControl(TComponent* AOwner);
  ~TTabControl() override;

  TStrings* Tabs() const { return tabs_.get(); }
  void SetTabs(TStrings* value) { tabs_->Assign(value); }

 protected:
  Integer TabCount() const override { return tabs_->Count(); }
  std::string TabText(Integer index) const override { return tabs_->Strings(index); }
  void Loaded() override;

 private:
  std::unique_ptr<TStringList> tabs_;
};

class TTabSheet : public TWinControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  TPageControl* PageControl() const { return pageControl_; }
  // Puts the sheet into a page control (its parent too); null takes it out.
  void SetPageControl(TPageControl* value);
  // Place among the page control's pages.
  Integer PageIndex() const;
  void SetPageIndex(Integer value);
  // Place among the visible tabs, -1 without a tab.
  Integer TabIndex() const;
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool value);
  Integer ImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer value);

  void SetParent(TWinControl* value) override;

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;

 protected:
  virtual void DoShow();
  virtual void DoHide();
  void CMShowingChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
  Integer imageIndex_ = 0;
  bool settingParent_ = false;
};

class TPageControl : public TCustomTabControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  Integer PageCount() const { return static_cast<Integer>(pages_.size()); }
  // Raises EListError for a bad index.
  TTabSheet* Pages(Integer index) const;
  TTabSheet* ActivePage() const { return activePage_; }
  // Shows the page (no OnChanging or OnChange); a page of another control is ignored.
  void SetActivePage(TTabSheet* page);
  Integer ActivePageIndex() const;
  void SetActivePageIndex(Integer value);
  // The next (or previous) page after `curPage`, wrapping; with checkTabVisible only
  // pages that have a tab. Null when there is none.
  TTabSheet* FindNextPage(TTabSheet* curPage, bool goForward, bool checkTabVisible);
  // Moves to the next page with a tab, as the user would (OnChanging, OnChange).
  void SelectNextPage(bool goForward);

  void ShowControl(TControl* AControl) override;
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;

 protected:
  Integer TabCount() const override;
  std::string TabText(Integer index) const override;
  Integer TabImage(Integer index) const override;
  void SelectTab(Integer index) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Hidden sheets take the pages' room too: their controls are laid out (and anchored) on
  // the size they will show in.
  void AlignControls(TControl* AControl, TRect& Rect) override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void ChangeActivePage(TTabSheet* page);
  // The sheet's tab came or went.
  void TabShowingChanged(TTabSheet* page);
  void UpdateTabIndex();
  std::vector<TTabSheet*> TabPages() const;

  std::vector<TTabSheet*> pages_;
  TTabSheet* activePage_ = nullptr;
};
