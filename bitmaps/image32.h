#pragma once
// TCustomImage32: a control that shows a TBitmap32 (placed by BitmapAlign, sized by
// ScaleMode) with layers over it. Its buffer is filled by the paint stages in order;
// the default stages clear the background around the bitmap, draw the bitmap, then the
// visible layers, plus focus frames at design time. TImage32 publishes it.
//
// The bitmap's rectangle in the control and the mapping between bitmap and control
// coordinates are cached; anything that moves or resizes the bitmap invalidates the
// cache and the next paint (or mapping) computes it again.
#include <functional>
#include <memory>

#include "bitmaps/layers.h"
#include "bitmaps/paint_box32.h"
#include "bitmaps/paint_stages.h"

enum TBitmapAlign { baTopLeft, baCenter, baTile, baCustom };
enum TScaleMode { smNormal, smStretch, smScale, smResize };
const TEnumInfo& BitmapAlignInfo();
const TEnumInfo& ScaleModeInfo();

// Layer: the layer the event went to, or nullptr.
using TImgMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                          Integer Y, TCustomLayer* Layer)>;
using TImgMouseMoveEvent =
    std::function<void(TObject* Sender, TShiftState Shift, Integer X, Integer Y, TCustomLayer* Layer)>;
// StageNum: the index of the stage in PaintStages.
using TPaintStageEvent = std::function<void(TObject* Sender, TBitmap32* Buffer, Cardinal StageNum)>;

class TCustomImage32 : public TCustomPaintBox32 {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TCustomImage32(TComponent* AOwner);
  ~TCustomImage32() override;

  TBitmap32* Bitmap() const { return bitmap_.get(); }
  // Assigns.
  void SetBitmap(TBitmap32* value);
  TBitmapAlign BitmapAlign() const { return bitmapAlign_; }
  void SetBitmapAlign(TBitmapAlign value);
  TLayerCollection* Layers() const { return layers_.get(); }
  // Where baCustom puts the bitmap's top-left corner (rounded).
  Single OffsetHorz() const { return offsetHorz_; }
  void SetOffsetHorz(Single value);
  Single OffsetVert() const { return offsetVert_; }
  void SetOffsetVert(Single value);
  TPaintStages* PaintStages() const { return paintStages_.get(); }
  // Used by smScale; never below 0.001.
  Single Scale() const { return scale_; }
  void SetScale(Single value);
  TScaleMode ScaleMode() const { return scaleMode_; }
  void SetScaleMode(TScaleMode value);

  virtual void BeginUpdate();
  // Raises EAssertionFailed "Unpaired EndUpdate call" (the count unchanged) without a
  // matching BeginUpdate.
  virtual void EndUpdate();
  Integer UpdateCount() const { return updateCount_; }
  // Outside an update: Invalidate, then OnChange.
  void Changed() override;
  void Invalidate() override;

  // Where the bitmap is drawn (with baTile: its first tile); empty for an empty bitmap.
  virtual TRect GetBitmapRect();
  // The size the bitmap is drawn at; (0, 0) for an empty bitmap or control.
  virtual TSize GetBitmapSize();

  // The cache: the bitmap's rectangle and the bitmap-to-control mapping (the identity
  // while the bitmap is not shown).
  bool CacheValid() const { return cacheValid_; }
  void InvalidateCache() { cacheValid_ = false; }
  // Computes the cache when it is not valid.
  void UpdateCache();
  const TRect& CachedBitmapRect() const { return cachedBitmapRect_; }
  const TCoordXForm& CachedXForm() const { return cachedXForm_; }
  // Through the mapping (updated first); fixed-point results are floored.
  TPoint BitmapToControl(const TPoint& P);
  TPoint ControlToBitmap(const TPoint& P);

  TNotifyEvent OnBitmapResize;
  TNotifyEvent OnChange;
  TNotifyEvent OnInitStages;
  // These hide the control's mouse events: the image's carry the layer.
  TImgMouseEvent OnMouseDown;
  TImgMouseMoveEvent OnMouseMove;
  TImgMouseEvent OnMouseUp;
  TPaintStageEvent OnPaintStage;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 protected:
  void Loaded() override;
  bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;
  void DoPaintBuffer() override;
  void DoPaintGDIOverlay() override;
  void Resize() override;

  // The bitmap's OnResize.
  virtual void BitmapResized();
  // OnInitStages.
  virtual void DoInitStages();
  virtual void DoScaleChange() {}
  virtual void InitDefaultStages();
  // The stage kinds.
  virtual void PaintBitmapFrame(TBitmap32* Dest);
  virtual void ClearBuffer(TBitmap32* Dest);
  virtual void PaintBackground(TBitmap32* Dest);
  virtual void PaintControlFrame(TBitmap32* Dest);
  virtual void DoPaintStage(TBitmap32* Dest, Cardinal StageNum);
  virtual void PaintBitmap(TBitmap32* Dest);
  virtual void PaintLayers(TBitmap32* Dest, Cardinal OptionsMask);

  // Each captures or releases the mouse, routes the event through the layers and fires
  // the image's event with the layer that took it.
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;

 private:
  void LayersGDIUpdate();

  std::unique_ptr<TBitmap32> bitmap_;
  std::unique_ptr<TLayerCollection> layers_;
  std::unique_ptr<TPaintStages> paintStages_;
  TBitmapAlign bitmapAlign_ = baTopLeft;
  Single offsetHorz_ = 0;
  Single offsetVert_ = 0;
  Single scale_ = 1;
  TScaleMode scaleMode_ = smNormal;
  Integer updateCount_ = 0;
  TRect cachedBitmapRect_{0, 0, 0, 0};
  TCoordXForm cachedXForm_;
  bool cacheValid_ = false;
};

class TImage32 : public TCustomImage32 {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  explicit TImage32(TComponent* AOwner) : TCustomImage32(AOwner) {}
};
