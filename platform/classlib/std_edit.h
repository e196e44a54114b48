#pragma once
// TCustomEdit and TEdit: a one-line text editor with a caret, a selection, the
// clipboard keys, ReadOnly, MaxLength and OnChange.
//
// The text is laid out in the formatting rectangle: by default the client area less one
// pixel on each side; EM_SETRECT / EM_SETRECTNP set another one (until the next resize,
// which brings the default back), EM_GETRECT answers it. Text wider than the rectangle
// scrolls so that the caret stays in view.
//
// Edit messages. The numbers are the class library's own choice, in the block below
// WM_KEYFIRST that the window system leaves free (0x00B0 .. 0x00DF).
#include <memory>
#include <string>

#include "platform/classlib/win_control.h"

inline constexpr win::UINT EM_GETSEL = 0x00B0;      // WParam, LParam: DWORD* start and end; Result MAKELONG(start, end)
inline constexpr win::UINT EM_SETSEL = 0x00B1;      // WParam start, LParam end (-1: to the end); start -1 deselects
inline constexpr win::UINT EM_GETRECT = 0x00B2;     // LParam: RECT*
inline constexpr win::UINT EM_SETRECT = 0x00B3;     // LParam: RECT* (null: the default); repaints
inline constexpr win::UINT EM_SETRECTNP = 0x00B4;   // the same without repainting
inline constexpr win::UINT EM_GETMODIFY = 0x00B8;
inline constexpr win::UINT EM_SETMODIFY = 0x00B9;   // WParam: the flag
inline constexpr win::UINT EM_REPLACESEL = 0x00C2;  // LParam: const char*
inline constexpr win::UINT EM_LIMITTEXT = 0x00C5;   // WParam: the limit, 0 for none
inline constexpr win::UINT EM_SETPASSWORDCHAR = 0x00CC;  // WParam: the character, 0 for none
inline constexpr win::UINT EM_SETREADONLY = 0x00CF;      // WParam: the flag

// Clipboard messages: the edit keys and the clipboard methods go through them, so that a
// descendant can refuse them (0x0300 .. 0x0303, free in the window system's table).
inline constexpr win::UINT WM_CUT = 0x0300;
inline constexpr win::UINT WM_COPY = 0x0301;
inline constexpr win::UINT WM_PASTE = 0x0302;
inline constexpr win::UINT WM_CLEAR = 0x0303;

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
const TEnumInfo& EditCharCaseInfo();

class TCustomEdit : public TWinControl {
 public:
  static void Publish(TPublished& published);
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;

  // ---- text and selection (positions count characters from 0) ----
  Integer SelStart() const;
  void SetSelStart(Integer value);
  Integer SelLength() const;
  void SetSelLength(Integer value);
  std::string SelText() const;
  // Replaces the selection (typing rules: ReadOnly and MaxLength do not apply).
  void SetSelText(const std::string& value);
  void SelectAll();
  // WM_CLEAR, WM_COPY, WM_CUT and WM_PASTE to the edit.
  void ClearSelection();
  void Clear() { SetText(""); }
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  bool Modified() const { return modified_; }
  void SetModified(bool value) { modified_ = value; }
  // Caret position (the moving end of the selection).
  Integer CaretPos() const { return caret_; }

  // ---- behaviour ----
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool value) { autoSelect_ = value; }
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase value);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool value);
  // Most characters typing may put in (0: no limit). Text set by code is not cut.
  Integer MaxLength() const { return maxLength_; }
  void SetMaxLength(Integer value);
  bool OEMConvert() const { return oemConvert_; }
  void SetOEMConvert(bool value) { oemConvert_ = value; }
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  void SetAutoSize(bool value) override;

  // ---- layout ----
  // The formatting rectangle in client coordinates.
  TRect EditRect();
  // The client x of the boundary before character `index` (0 .. length).
  Integer CharPosX(Integer index);
  // The character boundary nearest to client x.
  Integer CharIndexAt(Integer x);

  TNotifyEvent OnChange;

 protected:
  // The text changed (typing, the clipboard, or code): fires OnChange.
  virtual void Change();
  void CreateParams(TCreateParams& Params) override;
  void PaintWindow(win::HDC DC) override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  bool WantsKey(Word Key) override;
  void DoEnter() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void WMLButtonDblClk(TMessage& Message) override;
  void Loaded() override;
  // Sets the height from the font when AutoSize is on.
  void AdjustHeight();
  // Edits the text as typing does; false when ReadOnly or MaxLength refused it.
  bool TypeText(const std::string& s);
  // The characters shown (the password character in place of each one).
  std::string DisplayText() const;
  // The control the form records as focused when this edit takes the focus: the edit
  // itself, or the control it is a part of (the edit part of a combo box).
  virtual TWinControl* FocusOwner() { return this; }

 private:
  void SetSelection(Integer anchor, Integer caret);
  void ReplaceSelection(const std::string& s);
  void TextEdited();
  void ScrollToCaret();
  void HandleKeyDown(Word key, TShiftState shift);
  void HandleChar(char ch);
  void DoCopy();
  void DoCut();
  void DoPaste();
  void DoClear();

  std::unique_ptr<TCanvas> canvas_;
  Integer anchor_ = 0;  // fixed end of the selection
  Integer caret_ = 0;   // moving end
  Integer scrollX_ = 0;
  bool rectSet_ = false;
  TRect editRect_{};
  bool autoSelect_ = true;
  TBorderStyle borderStyle_ = bsSingle;
  TEditCharCase charCase_ = ecNormal;
  bool hideSelection_ = true;
  Integer maxLength_ = 0;
  bool oemConvert_ = false;
  char passwordChar_ = 0;
  bool readOnly_ = false;
  bool modified_ = false;
  bool focused_ = false;
  bool selecting_ = false;  // the left button extends the selection
};

class TEdit : public TCustomEdit {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};
