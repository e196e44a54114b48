#pragma once
// The two class ladders of the kit's visual controls.
//
// Windowed: TKitCustomControl -> TKitCustomPanel -> TKitCustomBevelPanel -> TKitSimplePanel
// (and TKitCustomStatusBar). Windowless: TKitControl -> TKitBaseControl ->
// TKitBaseGraphicControl -> TKitGraphicControl (with a bevel).
//
// Both ladders give a bevel, mouse-enter / mouse-exit events and a see-through mode. A
// see-through control shows the background of the nearest ancestor that offers one: the
// chain runs through kit windows (TKitBackSource), kit scroll boxes, and ends at a form
// whose shape offers a bitmap (registered with SetKitFormBackLookup by the form shape).
#include <functional>
#include <memory>

#include "controlkit/kit_bevel.h"
#include "controlkit/kit_change_link.h"
#include "controlkit/kit_messages.h"
#include "controlkit/kit_properties.h"
#include "platform/classlib/bitmap.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/win_control.h"

class TKitCustomImageList;

// Anything that may offer a background bitmap to see-through children.
class TKitBackSource {
 public:
  virtual ~TKitBackSource() = default;
  // The ancestor's bitmap, or null.
  virtual TBitmap* GetBackBitmap() = 0;
  virtual bool BackBitmapAvailable() = 0;
  // A point of this control's client area in the coordinates of GetBackBitmap.
  virtual TPoint BackMapPoint(const TPoint& P) = 0;
  // Copies the background under `R` (this control's client coordinates) onto `Canvas`
  // with R's top-left at `P`. True when it drew.
  virtual bool BackDrawArea(TCanvas* Canvas, const TRect& R, const TPoint& P) = 0;
};

// How a form that is not a kit control offers a background (its form shape): answers the
// source for a form, or null. One lookup per process; null removes it.
using TKitFormBackLookup = std::function<TKitBackSource*(TWinControl* Form)>;
void SetKitFormBackLookup(TKitFormBackLookup Lookup);
// The background source a see-through child of `Parent` may use: the parent itself when
// it is a kit source that answers BackBitmapAvailable, or a form's shape; else null.
TKitBackSource* KitParentBackSource(TWinControl* Parent);
// Copies the background under `R` of `Control` (its client coordinates) onto `Canvas` at
// `P` from the source of its parent; `Effect` (may be null) is applied to the copy when
// active, or its cached rendering of the same area is copied when it has one (Buffered).
// True when it drew.
bool KitDrawParentBackground(TControl* Control, TCanvas* Canvas, const TRect& R, const TPoint& P,
                             TKitBitmapEffectObject* Effect);

// Bits of the bounds-changed hook.
inline constexpr Integer kKitBoundsSize = 1;
inline constexpr Integer kKitBoundsPosition = 2;
using TKitBoundsChangedEvent = std::function<void(TObject* Sender, Integer Kind)>;

// ---- windowed ladder ---------------------------------------------------------------------

class TKitCustomControl : public TCustomControl, public TKitBackSource {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitCustomControl(TComponent* AOwner);
  ~TKitCustomControl() override;

  bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool Value);
  // 0: copy the parent's background; 1: window transparency.
  Byte TransparencyKind() const { return transparencyKind_; }
  void SetTransparencyKind(Byte Value) { transparencyKind_ = Value; }
  bool Locked() const { return locked_; }
  void SetLocked(bool Value) { locked_ = Value; }
  bool MouseInside() const { return mouseInside_ != 0; }
  bool HasFocus() const { return focused_ != 0; }
  // The flat-border look: the bevel shows only while focused or under the mouse (the
  // hot frame). Not a form property.
  bool FlatBorder() const { return flatBorder_ != 0; }
  void SetFlatBorder(bool Value);

  TKitCustomImageList* ImageList() const { return imageList_; }
  void SetImageList(TKitCustomImageList* Value);
  Integer ImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer Value);
  Integer ListIndex() const { return listIndex_; }
  void SetListIndex(Integer Value);
  TKitBitmapEffectObject* BackgroundEffect() const { return backEffect_.get(); }

  virtual void UpdateHook() {}
  virtual bool IsTransparent();
  virtual void DrawBackground();
  virtual void GetChange(TObject* Sender);
  virtual bool ShowDesignFrame() { return true; }
  virtual void GetIMLChange(TObject* Sender) { GetChange(Sender); }
  virtual void MouseEnter();
  virtual void MouseExit();

  // The see-through chain (TKitBackSource): a panel offers its parent's background.
  TBitmap* GetBackBitmap() override;
  bool BackBitmapAvailable() override;
  TPoint BackMapPoint(const TPoint& P) override;
  bool BackDrawArea(TCanvas* Canvas, const TRect& R, const TPoint& P) override;
  // The effect settings of the nearest see-through kit ancestor (or this control's).
  virtual TKitBitmapEffectObject* GetParentBackFX();

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseExit;
  TNotifyEvent OnGotFocus;
  TNotifyEvent OnLostFocus;

  // "Internal": the image list by signature when it is one of the module-wide lists.
  void DefineProperties(TFiler* Filer) override;
  // Whether the image list is written as a component reference (not a shared list).
  bool ImageListStored() const;

 protected:
  // A list that is a connector refreshes once after loading.
  void Loaded() override;
  // Draws the hot frame (focus or mouse with the flat-border look); the base repaints.
  virtual void PaintHotFrame();
  void CreateParams(TCreateParams& Params) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Dispatch(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void WMMove(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  // Repaints the see-through children (after a move or size).
  void RepaintSeeThroughChildren();

  Byte mouseInside_ = 0;
  Byte focused_ = 0;
  Byte flatBorder_ = 0;
  bool transparent_ = false;
  Byte redrawOnChange_ = 1;

 private:
  TKitCustomImageList* imageList_ = nullptr;
  Integer imageIndex_ = 0;
  Integer listIndex_ = 0;
  std::unique_ptr<TKitChangeLink> changeLink_;
  std::unique_ptr<TKitBitmapEffectObject> backEffect_;
  Byte transparencyKind_ = 0;
  bool locked_ = false;
};

class TKitCustomPanel : public TKitCustomControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitCustomPanel(TComponent* AOwner);
  // Also recreates the window.
  void SetTransparent(bool Value) override;

  // A transparent panel offers the background of its parent's source.
  TBitmap* GetBackBitmap() override;
  bool BackBitmapAvailable() override;
  TPoint BackMapPoint(const TPoint& P) override;
  bool BackDrawArea(TCanvas* Canvas, const TRect& R, const TPoint& P) override;
};

class TKitCustomBevelPanel : public TKitCustomPanel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitCustomBevelPanel(TComponent* AOwner);
  ~TKitCustomBevelPanel() override;

  TKitBevel* Bevel() const { return bevel_.get(); }
  // Assigns into the owned bevel, then sends KM_BEVELCHANGED to the control.
  void SetBevel(TKitBevel* Value);

  void GetChange(TObject* Sender) override;
  // True only when the bevel draws nothing and the mode is not bmWindows.
  bool ShowDesignFrame() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void Paint() override;
  void PaintHotFrame() override;
  void CMCtl3DChanged(TMessage& Message) override;

 private:
  // The window frame of the flat look in bmWindows: flat, or the 3D hot frame.
  void DrawWindowFrame(bool Hot);

  std::unique_ptr<TKitBevel> bevel_;
};

class TKitSimplePanel : public TKitCustomBevelPanel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TKitSimplePanel(TComponent* AOwner);
};

// Registers TKitSimplePanel with the class registry (for form files).
void RegisterKitPanelClasses();

// The status bar's base: adds the gap it hands to label children.
class TKitCustomStatusBar : public TKitCustomBevelPanel {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitCustomStatusBar(TComponent* AOwner) : TKitCustomBevelPanel(AOwner) {}
  virtual Integer GetControlGap() { return 0; }
};

// ---- windowless ladder -------------------------------------------------------------------

class TKitControl : public TGraphicControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitControl(TComponent* AOwner);

  // After the move, calls BoundsChanged with kKitBoundsSize | kKitBoundsPosition bits
  // (not while loading).
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  bool MouseInside() const { return mouseInside_; }

  virtual void BoundsChanged(Integer Kind);
  virtual void MouseEnter();
  virtual void MouseExit();
  // Invalidates unless loading.
  virtual void GetChange(TObject* Sender);
  virtual bool ShowDesignFrame() { return true; }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseExit;
  TKitBoundsChangedEvent OnBoundsChanged;

 protected:
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;

  bool mouseInside_ = false;
};

class TKitBaseControl : public TKitControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitBaseControl(TComponent* AOwner);
  ~TKitBaseControl() override;

  TKitCustomImageList* ImageList() const { return imageList_; }
  void SetImageList(TKitCustomImageList* Value);
  Integer ImageIndex() const { return imageIndex_; }
  virtual void SetImageIndex(Integer Value);
  Integer ListIndex() const { return listIndex_; }
  virtual void SetListIndex(Integer Value);
  TKitBitmapEffectObject* BackgroundEffect() const { return backEffect_.get(); }

  virtual bool IsTransparent() { return false; }
  virtual void GetIMLChange(TObject* Sender) { GetChange(Sender); }

  // "Internal": the image list by signature when it is one of the module-wide lists.
  void DefineProperties(TFiler* Filer) override;
  bool ImageListStored() const;

 protected:
  // A list that is a connector refreshes once after loading.
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TKitCustomImageList* imageList_ = nullptr;
  Integer imageIndex_ = 0;
  Integer listIndex_ = 0;
  std::unique_ptr<TKitChangeLink> changeLink_;
  std::unique_ptr<TKitBitmapEffectObject> backEffect_;
};

class TKitBaseGraphicControl : public TKitBaseControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitBaseGraphicControl(TComponent* AOwner);

  bool Transparent() const { return transparent_; }
  // Drops csOpaque when transparent (adds it otherwise), then sends
  // KM_TRANSPARENTCHANGED to the control itself.
  virtual void SetTransparent(bool Value);

  // Transparent and an ancestor that offers a background.
  bool IsTransparent() override;
  // The repaint rule: paint at once when opaque and not designed, else invalidate.
  void GetChange(TObject* Sender) override;
  // Copies the parent's see-through background under R onto the canvas; false when none.
  bool DrawParentBackground(const TRect& R);

  // Runs Paint now (the windowless repaint rule's "paint at once").
  void PaintNow();

 protected:
  void Dispatch(TMessage& Message) override;
  // At design time: a dashed frame when there is nothing else to show.
  void DrawDesignFrame();

  bool transparent_ = true;
};

// A windowless control with an owned bevel (meters, labels).
class TKitGraphicControl : public TKitBaseGraphicControl {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TKitGraphicControl(TComponent* AOwner);
  ~TKitGraphicControl() override;

  TKitBevel* Bevel() const { return bevel_.get(); }
  void SetBevel(TKitBevel* Value);

 private:
  std::unique_ptr<TKitBevel> bevel_;
};
