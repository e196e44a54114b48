#pragma once
// TCustomComboBox and TComboBox: a list of strings (with objects) of which one is
// chosen, shown in a selection field with a button; the list drops down in a window
// of its own below the box.
//
// Styles: csDropDown and csSimple edit their text in an edit part (a child window whose
// messages pass ComboWndProc first); csDropDownList shows the chosen item; the owner-draw
// styles show it too, drawn by DrawItem (OnDrawItem), with rows measured by MeasureItem.
//
// A choice by the user (a click in the dropped list, the arrow keys, a typed first
// letter in a list style) sends CBN_SELCHANGE; typing in the edit part CBN_EDITCHANGE.
// Notifications come back to the box as CN_COMMAND (the reflected WM_COMMAND) and run
// CNCommand: CBN_SELCHANGE takes the item's text into the edit part, then Click, then
// Select (OnSelect, then Change: OnChange); CBN_EDITCHANGE runs Change; CBN_DROPDOWN
// DropDown (OnDropDown). Setting ItemIndex or Text from code sends nothing.
//
// Combo box messages (CB_) and notifications (CBN_) are numbered by the class library,
// in the block 0x0140 .. 0x016F that the window system leaves free.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/classlib/strings.h"
#include "platform/classlib/win_control.h"

class TCustomComboBox;
class TCustomEdit;
class TComboListWindow;
class TComboEditPart;

// The reflected form of the command a control sends its parent.
inline constexpr win::UINT CN_BASE = 0xBC00;
inline constexpr win::UINT CN_COMMAND = CN_BASE + win::WM_COMMAND;

inline constexpr win::UINT CB_GETEDITSEL = 0x0140;      // Result MAKELONG(start, end)
inline constexpr win::UINT CB_LIMITTEXT = 0x0141;       // WParam: the limit
inline constexpr win::UINT CB_SETEDITSEL = 0x0142;      // LParam MAKELONG(start, end)
inline constexpr win::UINT CB_GETCOUNT = 0x0146;
inline constexpr win::UINT CB_GETCURSEL = 0x0147;
inline constexpr win::UINT CB_SETCURSEL = 0x014E;       // WParam: the index (-1: none)
inline constexpr win::UINT CB_SHOWDROPDOWN = 0x014F;    // WParam: drop (1) or close (0)
inline constexpr win::UINT CB_SETITEMHEIGHT = 0x0153;   // LParam: the height
inline constexpr win::UINT CB_GETITEMHEIGHT = 0x0154;
inline constexpr win::UINT CB_GETDROPPEDSTATE = 0x0157;
inline constexpr win::UINT CB_GETDROPPEDWIDTH = 0x015F;
inline constexpr win::UINT CB_SETDROPPEDWIDTH = 0x0160;  // WParam: the width (0: the box's)

inline constexpr win::WORD CBN_SELCHANGE = 1;
inline constexpr win::WORD CBN_DBLCLK = 2;
inline constexpr win::WORD CBN_SETFOCUS = 3;
inline constexpr win::WORD CBN_KILLFOCUS = 4;
inline constexpr win::WORD CBN_EDITCHANGE = 5;
inline constexpr win::WORD CBN_EDITUPDATE = 6;
inline constexpr win::WORD CBN_DROPDOWN = 7;
inline constexpr win::WORD CBN_CLOSEUP = 8;
inline constexpr win::WORD CBN_SELENDOK = 9;
inline constexpr win::WORD CBN_SELENDCANCEL = 10;

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
const TEnumInfo& ComboBoxStyleInfo();

enum TOwnerDrawStateFlag { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odComboBoxEdit };
using TOwnerDrawState = TSet<TOwnerDrawStateFlag>;

using TDrawItemEvent = std::function<void(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, Integer Index, Integer& Height)>;

// The items of a combo box: a string list that keeps the box's selection on the same
// item while items come and go (a deleted selected item leaves nothing selected).
class TComboBoxStrings : public TStrings {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TComboBoxStrings(TCustomComboBox* combo) : combo_(combo) {}

  Integer Add(const std::string& s) override;
  Integer AddObject(const std::string& s, TObject* object) override;
  void Insert(Integer index, const std::string& s) override;
  void InsertObject(Integer index, const std::string& s, TObject* object) override;
  void Delete(Integer index) override;
  void Clear() override;
  Integer IndexOf(const std::string& s) const override;

  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  // The box is going: changes reach it no more.
  void Detach() { combo_ = nullptr; }

 protected:
  std::string Get(Integer index) const override;
  Integer GetCount() const override { return static_cast<Integer>(items_.size()); }
  TObject* GetObject(Integer index) const override;
  void Put(Integer index, const std::string& s) override;
  void PutObject(Integer index, TObject* object) override;
  void SetUpdateState(bool updating) override;
  void RestoreItems(const std::vector<TStringItem>& items) override;

 private:
  void CheckIndex(Integer index) const;
  void Changed();

  TCustomComboBox* combo_;
  std::vector<TStringItem> items_;
  bool sorted_ = false;
};

class TCustomComboBox : public TWinControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  TStrings* Items() const { return items_.get(); }
  void SetItems(TStrings* value) { items_->Assign(value); }
  // The chosen item, -1 for none. Setting it sends nothing; the edit part shows the item.
  Integer ItemIndex() const { return itemIndex_; }
  void SetItemIndex(Integer value);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle value);
  bool Sorted() const;
  void SetSorted(bool value);
  // Row height of the list (and of the selection field of the owner-draw styles).
  Integer ItemHeight();
  void SetItemHeight(Integer value);
  Integer DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(Integer value) { dropDownCount_ = value < 1 ? 1 : value; }
  // Width of the dropped list; 0 (or less than the box) means the box's width.
  Integer DroppedWidth() const { return droppedWidth_; }
  void SetDroppedWidth(Integer value);
  Integer MaxLength() const { return maxLength_; }
  void SetMaxLength(Integer value);
  bool DroppedDown() const;
  void SetDroppedDown(bool value);

  // ---- the edit part's selection (the whole text in the list styles) ----
  Integer SelStart() const;
  void SetSelStart(Integer value);
  Integer SelLength() const;
  void SetSelLength(Integer value);
  std::string SelText() const;
  void SelectAll();

  // ---- parts ----
  // The edit part of csDropDown and csSimple (null otherwise).
  TCustomEdit* EditControl() const;
  win::HWND EditHandle() const;
  // The dropped list's window while it is shown (null otherwise).
  win::HWND ListHandle() const;
  // Owner drawing draws here; while a row is drawn it is the row's device context.
  TCanvas* Canvas() const { return canvas_.get(); }
  // The button's rectangle in client coordinates.
  TRect ButtonRect();
  // The dropped list's row under a point of the list window (client coordinates), -1 for none.
  Integer ListItemAt(Integer x, Integer y);
  // A row of the dropped list in its client coordinates.
  TRect ListItemRect(Integer index);

  // Sends a notification to the box as its parent would reflect it (CN_COMMAND).
  void Notify(win::WORD code);

  TNotifyEvent OnChange;
  TNotifyEvent OnSelect;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  friend class TComboBoxStrings;
  friend class TComboListWindow;
  friend class TComboEditPart;

  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  virtual void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State);
  virtual void MeasureItem(Integer Index, Integer& Height);
  virtual void CNCommand(TMessage& Message);
  // Messages of the edit part: the base raises the box's key events and takes the keys
  // that choose items or drop the list, then lets the edit have the rest.
  virtual void ComboWndProc(TMessage& Message, win::HWND ComboWnd);
  // The edit part's own handling, for ComboWndProc overrides.
  void DefaultComboWndProc(TMessage& Message);

  void CreateParams(TCreateParams& Params) override;
  void PaintWindow(win::HDC DC) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  bool WantsKey(Word Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  std::string GetText() const override;
  void Loaded() override;
  bool HasEditPart() const { return style_ == csDropDown || style_ == csSimple; }
  bool IsOwnerDraw() const { return style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable; }

 private:
  void ItemsChanged();
  void ItemInserted(Integer index);
  void ItemDeleted(Integer index);
  void ItemsCleared();
  void ShowItemText();
  void PlaceEdit();
  // Chooses an item as the user does: selects it and sends CBN_SELCHANGE when it differs.
  void UserSelect(Integer index);
  // Keys that choose items or drop the list; true when taken.
  bool HandleComboKey(Word key, TShiftState shift);
  void ListChoose(Integer index);
  void DrawRow(win::HDC dc, Integer index, TRect rect, TOwnerDrawState state);

  std::unique_ptr<TComboBoxStrings> items_;
  std::unique_ptr<TCanvas> canvas_;
  std::unique_ptr<TComboListWindow> list_;
  TComboEditPart* edit_ = nullptr;  // a child control; freed with the box
  TComboBoxStyle style_ = csDropDown;
  Integer itemIndex_ = -1;
  Integer itemHeight_ = 16;
  Integer dropDownCount_ = 8;
  Integer droppedWidth_ = 0;
  Integer maxLength_ = 0;
  bool focused_ = false;
  bool settingText_ = false;
};

class TComboBox : public TCustomComboBox {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};
