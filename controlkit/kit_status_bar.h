#pragma once
// TKitStatusBar: a status line drawn by the kit. It shows either one text (SimplePanel) or
// a row of panels, each a text, an owner-drawn area or a child panel
// (TKitStatusCustomPanel) that the bar places on the panel's rectangle.
//
// The window is a plain child window: the size grip's effects (the grip drawn by the bar,
// the 12 pixels the grip keeps free of aligned children) are the bar's own.
#include <functional>
#include <memory>
#include <string>

#include "controlkit/kit_bevel.h"
#include "controlkit/kit_control_base.h"
#include "controlkit/kit_properties.h"
#include "platform/classlib/collection.h"

enum TKitStatusPanelStyle : Byte { spText, spOwnerDraw, spPanel };
const TEnumInfo& KitStatusPanelStyleInfo();

class TKitStatusBar;
class TKitStatusPanel;
class TKitStatusPanels;

// A child panel standing in an spPanel panel. Freeing it turns its panel back to spText.
class TKitStatusCustomPanel : public TKitCustomPanel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitStatusCustomPanel(TComponent* AOwner);
  ~TKitStatusCustomPanel() override;

  Integer BarPanelId() const { return barPanelId_; }
  void SetBarPanelId(Integer Value) { barPanelId_ = Value; }
  TKitStatusPanel* StatusPanel() const { return statusPanel_; }

  void DefineProperties(TFiler* filer) override;

 protected:
  friend class TKitStatusPanel;
  // Read from a form: takes the place of the control its status panel made.
  void Loaded() override;
  void Paint() override;

 private:
  Integer barPanelId_ = 0;
  TKitStatusPanel* statusPanel_ = nullptr;
};

class TKitStatusPanel : public TCollectionItem {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitStatusPanel(TCollection* ACollection);
  ~TKitStatusPanel() override;

  // Copies bevel, Size, Left, Style, Text, Alignment, Font and Font3D.
  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* filer) override;

  TKitAlignment Alignment() const { return alignment_; }
  void SetAlignment(TKitAlignment Value);
  TKitBevel* Bevel() const { return bevel_.get(); }
  void SetBevel(TKitBevel* Value) { bevel_->Assign(Value); }
  TKitStatusPanelStyle Style() const { return style_; }
  void SetStyle(TKitStatusPanelStyle Value);
  const std::string& Text() const { return text_; }
  void SetText(const std::string& Value);
  Integer PanelId() const { return panelId_; }
  void SetPanelId(Integer Value) { panelId_ = Value; }
  // The gap before the panel.
  Integer Left() const { return left_; }
  void SetLeft(Integer Value);
  // The panel's width.
  Integer Size() const { return size_; }
  void SetSize(Integer Value);
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* Value) { font_->Assign(Value); }
  TKit3DCaption* Font3D() const { return font3D_.get(); }
  void SetFont3D(TKit3DCaption* Value) { font3D_->Assign(Value); }
  TKitStatusCustomPanel* PanelControl() const { return control_; }

  // The bar the panel's collection belongs to, or null.
  TKitStatusBar* Bar() const;

 private:
  friend class TKitStatusCustomPanel;
  void FreeControl();
  void MakeControl();
  // The control went: the panel shows text again.
  void ControlGone();
  // Takes a control read from a form (frees the one the panel made).
  void AdoptControl(TKitStatusCustomPanel* Control);

  TKitAlignment alignment_ = agTopLeft;
  std::unique_ptr<TKitBevel> bevel_;
  TKitStatusPanelStyle style_ = spText;
  std::string text_;
  Integer panelId_ = 0;
  Integer left_ = 3;
  Integer size_ = 50;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TKit3DCaption> font3D_;
  TKitStatusCustomPanel* control_ = nullptr;
};

class TKitStatusPanels : public TOwnedCollection {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitStatusPanels(TKitStatusBar* Bar);

  TKitStatusPanel* Add() { return static_cast<TKitStatusPanel*>(TCollection::Add()); }
  TKitStatusPanel* Items(int Index) const { return static_cast<TKitStatusPanel*>(TCollection::Items(Index)); }
  TKitStatusBar* Bar() const { return bar_; }

 protected:
  // Repaints the panel that changed, or the whole bar.
  void Update(TCollectionItem* Item) override;

 private:
  TKitStatusBar* bar_;
};

using TKitOwnerDrawPanelEvent =
    std::function<void(TObject* Sender, Integer Index, TCanvas* Canvas, const TRect& Rect)>;
using TKitPanelClickEvent = std::function<void(TObject* Sender, Integer Index)>;

class TKitStatusBar : public TKitCustomStatusBar {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitStatusBar(TComponent* AOwner);
  ~TKitStatusBar() override;

  TKitAlignment Alignment() const { return alignment_; }
  void SetAlignment(TKitAlignment Value);
  const std::string& SimpleText() const { return simpleText_; }
  // Invalidates only when the text changes (in either mode).
  void SetSimpleText(const std::string& Value);
  bool AutoSizeLastPanel() const { return autoSizeLastPanel_; }
  void SetAutoSizeLastPanel(bool Value);
  bool OldStyle() const { return oldStyle_; }
  void SetOldStyle(bool Value);
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool Value);
  bool SizeGrip() const { return sizeGrip_; }
  void SetSizeGrip(bool Value);
  TKit3DCaption* Font3D() const { return font3D_.get(); }
  void SetFont3D(TKit3DCaption* Value) { font3D_->Assign(Value); }
  TKitStatusPanels* Panels() const { return panels_.get(); }
  void SetPanels(TKitStatusPanels* Value);
  Integer ControlGap() const { return controlGap_; }
  void SetControlGap(Integer Value);
  Integer GetControlGap() override { return controlGap_; }

  // The area the panels share (the client area, inside the grip and a 1-pixel margin in
  // the old layout); the last paint's, or computed now before the first.
  TRect PanelArea();
  // Where panel `Index` is painted: gaps before it included, the last panel stretched to
  // the area's right edge with AutoSizeLastPanel. Empty for a bad index.
  TRect PanelRect(Integer Index);
  // The panel painted under a client point, or -1 (gaps, the old layout, simple mode).
  Integer PanelAt(const TPoint& P);
  // Repaints one panel (the whole bar for the last one).
  void UpdatePanel(Integer Index);
  // Whether a panel other than `Except` in spPanel style, or a panel control on the bar,
  // holds the id.
  bool PanelIdHeld(Integer Id, const TKitStatusPanel* Except) const;

  TKitOwnerDrawPanelEvent OnOwnerDrawPanel;
  TKitPanelClickEvent OnPanelClick;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

 private:
  TRect ComputePanelArea();
  void DrawGrip(const TRect& R);
  void PaintPanel(Integer Index, const TRect& R);
  void DrawText(const std::string& Text, TKit3DCaption* Caption, const TRect& R, TKitAlignment Align);

  TKitAlignment alignment_ = agTopLeft;
  std::string simpleText_;
  bool autoSizeLastPanel_ = true;
  bool oldStyle_ = true;
  bool simplePanel_ = false;
  bool sizeGrip_ = true;
  std::unique_ptr<TKit3DCaption> font3D_;
  std::unique_ptr<TKitStatusPanels> panels_;
  Integer controlGap_ = 3;
  TRect panelArea_{0, 0, 0, 0};
};
