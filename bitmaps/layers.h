#pragma once
// Layers drawn over an image control, top of the list on top: the collection that owns
// them and routes the mouse to them, the base layer, a layer at a location, and a
// layer that shows a bitmap there.
//
// Layer coordinates are those of the control. A positioned layer with Scaled set keeps
// its location in bitmap coordinates instead; the collection then maps it through the
// image's bitmap-to-control mapping (CoordXForm).
#include <functional>
#include <memory>
#include <vector>

#include "bitmaps/bitmap32.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/persistent.h"

class TCustomLayer;
class TCanvas;

// Bits of TCustomLayer::LayerOptions.
inline constexpr Cardinal kLayerVisible = 0x80000000u;
inline constexpr Cardinal kLayerGDIOverlay = 0x40000000u;   // has PaintGDI work
inline constexpr Cardinal kLayerMouseEvents = 0x20000000u;  // takes part in mouse routing
inline constexpr Cardinal kLayerNoUpdate = 0x10000000u;     // sends no change notifications
inline constexpr Cardinal kLayerNoCapture = 0x08000000u;    // never becomes the mouse listener

// Bitmap to control: x' = ScaleX * x / 65536 + ShiftX (likewise y); the reverse scales
// take control distances back to bitmap distances. Scales are 16.16 fixed point,
// shifts whole pixels.
struct TCoordXForm {
  Integer ScaleX = 0x10000;
  Integer ScaleY = 0x10000;
  Integer ShiftX = 0;
  Integer ShiftY = 0;
  Integer RevScaleX = 0x10000;
  Integer RevScaleY = 0x10000;
  friend bool operator==(const TCoordXForm&, const TCoordXForm&) = default;
};

using TLayerMouseButtons = TSet<TMouseButton>;
using TPaintLayerEvent = std::function<void(TObject* Sender, TBitmap32* Buffer)>;

class TLayerCollection : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // `AOwner` is the image control the layers are drawn on (or any owner, or none).
  explicit TLayerCollection(TPersistent* AOwner);
  // Frees every layer without change notifications.
  ~TLayerCollection() override;

  // A new layer of the class (a TCustomLayer descendant), on top. Raises
  // EInvalidOperation for another class.
  TCustomLayer* Add(const TClass& LayerClass);
  template <class L>
  L* Add() {
    return new L(this);
  }
  // Frees the top layer until none is left, inside one update.
  void Clear();
  // From another collection: new layers of the same classes, assigned from the source's.
  void Assign(TPersistent* Source) override;

  Integer Count() const { return static_cast<Integer>(items_.size()); }
  // Bottom first. Raises EListError "List index out of bounds (%d)".
  TCustomLayer* Items(Integer Index) const;

  // The first fires OnChanging.
  void BeginUpdate();
  // The last fires OnChange. Raises EAssertionFailed "Unpaired EndUpdate" (the count
  // unchanged) without a matching BeginUpdate.
  void EndUpdate();
  Integer UpdateCount() const { return updateCount_; }
  // OnChanging / OnChange, also inside an update; OnGDIUpdate only outside one.
  void Changing();
  void Changed();
  void GDIUpdate();

  // From the top down, the first layer whose options share a bit with the mask and
  // that reports a hit at (X, Y); nullptr when none does.
  TCustomLayer* FindLayerAtPos(Integer X, Integer Y, Cardinal OptionsMask);

  // Mouse routing among the layers with kLayerMouseEvents; each returns the layer the
  // event went to, or nullptr.
  TCustomLayer* MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  TCustomLayer* MouseMove(TShiftState Shift, Integer X, Integer Y);
  TCustomLayer* MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);

  bool MouseEvents() const { return mouseEvents_; }
  void SetMouseEvents(bool value) { mouseEvents_ = value; }
  // The layer that holds the mouse while buttons are pressed on it.
  TCustomLayer* MouseListener() const { return mouseListener_; }
  // The previous listener forgets its pressed buttons.
  void SetMouseListener(TCustomLayer* value);

  TPersistent* Owner() const { return owner_; }
  TPersistent* GetOwner() override { return owner_; }
  // The owner image's bitmap-to-control mapping, nullptr when there is none. The
  // collection reads it, the image keeps it current.
  const TCoordXForm* CoordXForm() const { return coordXForm_; }
  void SetCoordXForm(const TCoordXForm* value) { coordXForm_ = value; }

  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;
  TNotifyEvent OnGDIUpdate;

 private:
  friend class TCustomLayer;
  void InsertItem(TCustomLayer* Item);
  void RemoveItem(TCustomLayer* Item);
  void MoveItem(Integer CurIndex, Integer NewIndex);
  TCustomLayer* MouseTarget(Integer X, Integer Y);

  TPersistent* owner_;
  std::vector<TCustomLayer*> items_;  // bottom first
  const TCoordXForm* coordXForm_ = nullptr;
  TCustomLayer* mouseListener_ = nullptr;
  Integer updateCount_ = 0;
  bool mouseEvents_ = true;
};

class TCustomLayer : public TPersistent {
 public:
  using OwnerType = TLayerCollection;  // virtual construction passes the collection
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Joins the collection on top (inside one update of the collection); visible.
  explicit TCustomLayer(TLayerCollection* ALayerCollection);
  // BeforeDestruction (when the most derived class has not called it), then leaves its
  // collection and every notify list it is on.
  ~TCustomLayer() override;

  // The cursor, the options; descendants copy their own state too. Events stay.
  void Assign(TPersistent* Source) override;

  // Fires OnDestroy, then tells every layer on the notify list (last first); once.
  // Descendants call it first in their destructors, so that the handlers see the whole
  // layer.
  void BeforeDestruction();

  TLayerCollection* LayerCollection() const { return layerCollection_; }
  // Place in the collection, -1 without one.
  Integer Index() const;
  // Clamped to 0 .. Count - 1; a visible layer moves inside an update of the collection.
  void SetIndex(Integer Value);

  Cardinal LayerOptions() const { return layerOptions_; }
  void SetLayerOptions(Cardinal Value);
  bool Visible() const { return (layerOptions_ & kLayerVisible) != 0; }
  void SetVisible(bool Value);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor Value) { cursor_ = Value; }
  // Buttons pressed on the layer while it holds the mouse.
  TLayerMouseButtons Clicked() const { return clicked_; }

  // Layers on the notify list get Notification(this) when this layer is freed. A layer
  // freed first leaves every list it is on.
  void AddNotification(TCustomLayer* ALayer);
  void RemoveNotification(TCustomLayer* ALayer);

  // The collection's OnChanging when visible and notifying.
  void Changing();
  // When notifying: the collection's OnChange for a visible layer, else its
  // OnGDIUpdate for one with a GDI overlay.
  void Changed();

  // Whether (X, Y), in control coordinates, is on the layer (the base: always).
  virtual bool DoHitTest(Integer X, Integer Y);
  // Paint, then OnPaint.
  void DoPaint(TBitmap32* Buffer);
  // GDI drawing over the copied buffer (layers with kLayerGDIOverlay).
  virtual void PaintGDI(TCanvas* Canvas);

  virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  // Sets the screen cursor to the layer's, then OnMouseMove.
  virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
  // Sets the screen cursor to the default, then OnMouseUp.
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);

  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TPaintLayerEvent OnPaint;
  TNotifyEvent OnDestroy;

 protected:
  // A layer on whose notify list this one is has been freed.
  virtual void Notification(TCustomLayer* ALayer);
  virtual void Paint(TBitmap32* Buffer);

  // Set directly by constructors (no notifications).
  Cardinal layerOptions_ = kLayerVisible;

 private:
  friend class TLayerCollection;

  TLayerCollection* layerCollection_ = nullptr;
  std::vector<TCustomLayer*> notifyList_;
  // The layers whose notify lists hold this one.
  std::vector<TCustomLayer*> notifiers_;
  TLayerMouseButtons clicked_;
  TCursor cursor_ = crDefault;
  bool destroyFired_ = false;
};

class TPositionedLayer : public TCustomLayer {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Visible and taking mouse events, at (0, 0, 64, 64).
  explicit TPositionedLayer(TLayerCollection* ALayerCollection);

  void Assign(TPersistent* Source) override;

  const TFloatRect& Location() const { return location_; }
  // Changing, DoSetLocation, Changed.
  void SetLocation(const TFloatRect& Value);
  // Whether the location is in bitmap coordinates.
  bool Scaled() const { return scaled_; }
  void SetScaled(bool Value);
  // The location in control coordinates.
  TFloatRect GetAdjustedLocation() const;

  // Left <= X < Right and Top <= Y < Bottom of the adjusted location.
  bool DoHitTest(Integer X, Integer Y) override;

 protected:
  virtual void DoSetLocation(const TFloatRect& NewLocation);

 private:
  TFloatRect location_{0, 0, 64, 64};
  bool scaled_ = false;
};

class TBitmapLayer : public TPositionedLayer {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TBitmapLayer(TLayerCollection* ALayerCollection);
  ~TBitmapLayer() override;

  void Assign(TPersistent* Source) override;

  // A change of the bitmap is a change of the layer.
  TBitmap32* Bitmap() const { return bitmap_.get(); }
  void SetBitmap(TBitmap32* Value) { bitmap_->Assign(Value); }
  // Only pixels of non-zero alpha are hit.
  bool AlphaHit() const { return alphaHit_; }
  void SetAlphaHit(bool Value) { alphaHit_ = Value; }
  // Painted only inside the owner image's bitmap rectangle.
  bool Cropped() const { return cropped_; }
  void SetCropped(bool Value);

  // With AlphaHit, also the alpha of the bitmap pixel under (X, Y) must not be 0.
  bool DoHitTest(Integer X, Integer Y) override;

 protected:
  // The bitmap stretched over the adjusted location, with its own draw mode and filter.
  void Paint(TBitmap32* Buffer) override;

 private:
  std::unique_ptr<TBitmap32> bitmap_;
  bool alphaHit_ = false;
  bool cropped_ = false;
};
