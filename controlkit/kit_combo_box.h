#pragma once
// TKitComboBox: the class library's combo box with a flat border that turns 3D while the
// mouse is over it or it has the focus, incremental search after a typing pause, a block
// of recently used entries at the top of the list, a drop-down width and a focus hand-over
// after a choice.
#include "controlkit/kit_labels.h"
#include "platform/classlib/std_combobox.h"

class TKitCustomComboBox : public TCustomComboBox {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitCustomComboBox(TComponent* AOwner);
  ~TKitCustomComboBox() override;

  bool Flat() const { return flat_; }
  void SetFlat(bool value);
  Integer DropDownWidth() const { return dropDownWidth_; }
  void SetDropDownWidth(Integer value);
  // Milliseconds of typing pause before the search runs.
  Integer Interval() const { return interval_; }
  void SetInterval(Integer value) { interval_ = value; }
  bool Search() const { return search_; }
  // Switching it on sorts the list.
  void SetSearch(bool value);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* value);
  // The recently used block: MRUCount entries at the top of the list, at most MRUMax.
  bool MRUList() const { return mruList_; }
  void SetMRUList(bool value);
  Integer MRUMax() const { return mruMax_; }
  void SetMRUMax(Integer value);
  Integer MRUCount() const { return mruCount_; }

  bool MouseInside() const { return mouseInside_; }
  bool EditFocused() const { return editFocused_; }
  bool SearchPending() const { return searchTimer_.Running(); }
  // Whether the border shows the flat look now.
  bool ShowsFlatLook() const;
  // Draws the border into the window's frame.
  void DrawBorder();

  TNotifyEvent OnEditClick;

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void ComboWndProc(TMessage& Message, win::HWND ComboWnd) override;
  void CNCommand(TMessage& Message) override;
  void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State) override;
  void MeasureItem(Integer Index, Integer& Height) override;
  void KeyDown(Word& Key, TShiftState Shift) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void Dispatch(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMEnter(TMessage& Message) override;
  void CMExit(TMessage& Message) override;
  void WMPaint(TMessage& Message) override;

 private:
  void UpdateMRU();
  void HandOverFocus();
  void ExitHandling();
  void SearchTick();
  void StopSearch();

  bool editFocused_ = false;
  bool navigationKey_ = false;
  bool search_ = false;
  bool mouseInside_ = false;
  bool exitDrawing_ = false;
  bool flat_ = false;
  Integer dropDownWidth_ = 0;
  Integer interval_ = 1500;
  TWinControl* focusControl_ = nullptr;
  Integer mruCount_ = 0;
  Integer mruMax_ = 5;
  bool mruList_ = false;
  TKitCountdown searchTimer_;
};

class TKitComboBox : public TKitCustomComboBox {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitComboBox(TComponent* AOwner) : TKitCustomComboBox(AOwner) {}
};

// Registers TKitComboBox with the class registry (for form files).
void RegisterKitComboClasses();
