#pragma once
// TFpFoldPanel: a panel with a bar holding a fold glyph and, while collapsed, a caption.
// A click on the glyph collapses the panel to a strip as thick as its expand glyph and
// expands it back to the size it had. The content lives in Client, a TFpPaneles that
// fills the panel beside the bar (parent embedded pages to Client()).
//
// Orientation names the direction of folding: foVertical folds the height (the bar is a
// strip down the left or right side, the collapsed panel a row as high as the expand
// glyph); foHorizontal folds the width (the bar runs along the top or bottom). The
// expanded size is the height (foVertical) or width (foHorizontal) last given while
// expanded; while collapsed that dimension is locked.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "panels/fp_paneles.h"
#include "platform/classlib/std_bevel.h"

enum TFoldStatus { fsExpanded, fsCollapsed };
enum TFoldPosition { fpLeftTop, fpRightTop, fpLeftBottom, fpRightBottom };
enum TFoldOrientation { foHorizontal, foVertical };
const TEnumInfo& FoldStatusInfo();
const TEnumInfo& FoldPositionInfo();
const TEnumInfo& FoldOrientationInfo();

// DoFoldAction (in-out, true on entry): false keeps the panel as it is.
using TFoldClickEvent = std::function<void(TObject* Sender, TFoldStatus Status, bool& DoFoldAction)>;

class TFpFoldPanel;

// The fold panel's content area: aligned to the panel's client area, moved off the bar.
class TFpFoldPanelClient : public TFpPaneles {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TFpFoldPanelClient(TComponent* AOwner);

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

 private:
  TFpFoldPanel* panel_ = nullptr;
};

class TFpFoldPanel : public TCustomPanel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TFpFoldPanel(TComponent* AOwner);
  ~TFpFoldPanel() override;

  TFpFoldPanelClient* Client() const { return client_; }

  // ---- folding ----
  TFoldStatus FoldStatus() const { return status_; }
  void SetFoldStatus(TFoldStatus value);
  bool IsCollapsed() const { return status_ == fsCollapsed; }
  bool IsExpanded() const { return status_ == fsExpanded; }
  void Collapse() { SetFoldStatus(fsCollapsed); }
  void Expand() { SetFoldStatus(fsExpanded); }
  // Off: the client covers the whole panel, no bar, and the panel stays expanded.
  bool Folding() const { return folding_; }
  void SetFolding(bool value);
  TFoldOrientation Orientation() const { return orientation_; }
  void SetOrientation(TFoldOrientation value);
  TFoldPosition FoldPosition() const { return position_; }
  void SetFoldPosition(TFoldPosition value);
  // The size the panel expands to.
  Integer ExpandedSize() const { return expandedSize_; }
  // The size an expand gives back; an expanded panel takes it at once.
  void SetExpandedSize(Integer value);
  Integer CollapsedWidth() const;
  Integer CollapsedHeight() const;

  // ---- the bar ----
  // Shown while collapsed / while expanded. None or an empty picture brings the default
  // glyph of the orientation back.
  TBitmap* GlyphExpand() const { return glyphExpand_.get(); }
  void SetGlyphExpand(TBitmap* value) { glyphExpand_->Assign(value); }
  TBitmap* GlyphCollaps() const { return glyphCollaps_.get(); }
  void SetGlyphCollaps(TBitmap* value) { glyphCollaps_->Assign(value); }
  // The copies shown while the mouse is over the glyph.
  TBitmap* GlyphExpandActive() const { return glyphExpandActive_.get(); }
  TBitmap* GlyphCollapsActive() const { return glyphCollapsActive_.get(); }
  TColor FoldActiveColor() const { return foldActiveColor_; }
  void SetFoldActiveColor(TColor value);
  bool Seperated() const { return seperated_; }
  void SetSeperated(bool value);
  TBevelStyle SeperatorLineStyle() const { return seperatorLineStyle_; }
  void SetSeperatorLineStyle(TBevelStyle value);
  // The glyph of the current status (GlyphCollaps while expanded).
  TBitmap* CurrentGlyph() const;
  // Across the bar: the glyph, the panel's bevels and, when separated, the two lines.
  Integer BarThickness() const;
  // Where the glyph was last drawn (panel coordinates); what presses are tested against.
  TRect GlyphRect() const { return glyphRect_; }

  // ---- the caption shown while collapsed ----
  std::string Caption() const { return caption_; }
  void SetCaption(const std::string& value);
  TFont* CaptionFont() const { return captionFont_.get(); }
  void SetCaptionFont(TFont* value) { captionFont_->Assign(value); }

  // ---- the client's background and bevels ----
  TBitmap* Bitmap() const { return client_->Bitmap(); }
  void SetBitmap(TBitmap* value) { client_->SetBitmap(value); }
  TFpBitmapHolder* BitmapHolder() const { return client_->BitmapHolder(); }
  void SetBitmapHolder(TFpBitmapHolder* value) { client_->SetBitmapHolder(value); }
  TPanelBevel ClientBevelInner() const { return client_->BevelInner(); }
  void SetClientBevelInner(TPanelBevel value);
  TPanelBevel ClientBevelOuter() const { return client_->BevelOuter(); }
  void SetClientBevelOuter(TPanelBevel value);
  TBevelWidth ClientBevelWidth() const { return client_->BevelWidth(); }
  void SetClientBevelWidth(TBevelWidth value);

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void Click() override;

  // A form holds the controls on Client() among the panel's own, and "ClientControls"
  // names them; Loaded puts them back on the client.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void DefineProperties(TFiler* filer) override;

  TFoldClickEvent OnFoldClick;
  TNotifyEvent BeforeExpand;
  TNotifyEvent AfterExpand;
  TNotifyEvent BeforeCollaps;
  TNotifyEvent AfterCollaps;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void WMLButtonUp(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  // Runs OnFoldClick and, unless it refuses, collapses or expands.
  virtual void FoldClick();
  // Folds as the form said, once it has given the orientation, the fold's corner, Folding
  // and the glyph the strip takes its size from.
  void Loaded() override;

 private:
  enum GlyphKind { kExpand, kCollaps };
  void LoadDefaultGlyph(GlyphKind kind);
  void GlyphChanged(GlyphKind kind);
  void RebuildHighlights();
  bool LeftPosition() const { return position_ == fpLeftTop || position_ == fpLeftBottom; }
  bool TopPosition() const { return position_ == fpLeftTop || position_ == fpRightTop; }
  // The panel's bevels on one side: the glyph's inset from the panel's edges.
  Integer BevelInset() const;
  // Twice the bevels and the border: what the panel's frame adds to a collapsed size.
  Integer FrameSize() const;
  void DrawBar(TCanvas* canvas);
  void DrawCaption(TCanvas* canvas);
  void InvalidateGlyph();
  // The folding, without the events around it.
  void Fold(TFoldStatus value);
  // Gives the folding dimension `size`, the edge away from the fold's corner staying put.
  void ResizeFromFoldEdge(Integer size);

  TFpFoldPanelClient* client_ = nullptr;
  TFoldStatus status_ = fsExpanded;
  // What a form gave while loading, applied by Loaded.
  TFoldStatus loadedStatus_ = fsExpanded;
  std::optional<Integer> loadedExpandedSize_;
  std::vector<std::string> loadedClientControls_;
  TFoldOrientation orientation_ = foVertical;
  TFoldPosition position_ = fpLeftTop;
  bool folding_ = true;
  bool seperated_ = true;
  TBevelStyle seperatorLineStyle_ = bsLowered;
  TColor foldActiveColor_ = clAqua;
  std::unique_ptr<TBitmap> glyphExpand_;
  std::unique_ptr<TBitmap> glyphCollaps_;
  std::unique_ptr<TBitmap> glyphExpandActive_;
  std::unique_ptr<TBitmap> glyphCollapsActive_;
  bool expandSetByUser_ = false;
  bool collapsSetByUser_ = false;
  bool loadingGlyph_ = false;
  std::string caption_;
  std::unique_ptr<TFont> captionFont_;
  TRect glyphRect_{0, 0, 0, 0};
  bool glyphPressed_ = false;  // a press went down inside the glyph
  bool foldClick_ = false;     // ... and came up inside it
  bool hover_ = false;         // the mouse is over the glyph
  Integer expandedSize_ = 0;
  bool sizeLock_ = false;
};
