#pragma once
// TCustomLabel and TLabel: a windowless caption. With AutoSize the label fits its bounds
// to the text (keeping the edge its Alignment names in place); with FocusControl its
// accelerator ('&' before a letter) focuses that control.
//
// Also the text helpers the standard controls share: measuring text outside painting,
// and accelerators.
#include <string>

#include "platform/classlib/controls.h"
#include "platform/classlib/win_control.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };
const TEnumInfo& TextLayoutInfo();

// Size of `text` in `font` (one line; tabs not expanded), measured on a memory device
// context, so that controls can lay out text before they have a window.
TSize MeasureText(TFont* font, const std::string& text);
// Height of a line of `font` (the height of "Wg").
Integer FontLineHeight(TFont* font);
// DrawText with the canvas's font in `color` on a transparent background (the canvas
// selects its font only when it draws, so this selects it first). Returns the height.
int DrawTextOn(TCanvas* canvas, const std::string& text, TRect& rect, win::UINT flags, TColor color);
// Narrows a device context's clip to a rectangle (logical coordinates) while it lives and
// gives the old clip back when it goes. Unlike SaveDC it leaves the selected objects
// alone, which a canvas keeps track of.
class TClipRect {
 public:
  TClipRect(win::HDC dc, const TRect& r);
  ~TClipRect();
  TClipRect(const TClipRect&) = delete;
  TClipRect& operator=(const TClipRect&) = delete;

 private:
  win::HDC dc_;
  win::HRGN saved_;
  bool hadClip_ = false;
};

// Whether `ch` is the accelerator of `caption` (the character after a single '&'),
// compared without regard to case.
bool IsAccel(Word ch, const std::string& caption);
// The caption without its accelerator marks ("&&" stays one '&').
std::string StripAccel(const std::string& caption);

class TCustomLabel : public TGraphicControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCustomLabel(TComponent* AOwner);
  ~TCustomLabel() override;

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout value);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* value);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);
  // A transparent label leaves its background to what lies beneath.
  bool Transparent() const { return !controlStyle_.Contains(csOpaque); }
  void SetTransparent(bool value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  void SetAutoSize(bool value) override;

 protected:
  virtual std::string GetLabelText() const { return Caption(); }
  // Draws (or, with DT_CALCRECT, measures) the text into `rect` on the canvas in use.
  virtual void DoDrawText(TRect& rect, Integer flags);
  // Fits the bounds to the text when AutoSize is on.
  virtual void AdjustBounds();
  void Paint() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
  virtual void CMDialogChar(TMessage& Message);

  // The canvas DoDrawText draws on: the label's while painting, a measuring one else.
  TCanvas* DrawCanvas() const { return drawCanvas_; }

 private:
  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  TWinControl* focusControl_ = nullptr;
  bool showAccelChar_ = true;
  bool wordWrap_ = false;
  TCanvas* drawCanvas_ = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};
