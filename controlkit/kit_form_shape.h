#pragma once
// TKitFormShape: dropped on a form, gives it a non-rectangular window (a TKitBorderRegion),
// paints the background and the border inside it, lets the user drag the form by its body
// and offers its background to the kit's see-through controls.
#include <memory>

#include "controlkit/kit_change_link.h"
#include "controlkit/kit_control_base.h"
#include "controlkit/kit_image_list.h"
#include "controlkit/kit_properties.h"
#include "controlkit/kit_regions.h"
#include "controlkit/kit_wndproc_hook.h"

class TKitFormShape : public TKitWndProcComponent, public TKitBackSource {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }
  static void Publish(TPublished& published);

  // Raises KitEOneInstError when the owner form already has a form shape.
  explicit TKitFormShape(TComponent* AOwner);
  ~TKitFormShape() override;

  bool Enabled() const { return enabled_; }
  // Hooks or unhooks at once (not at design time).
  void SetEnabled(bool value);
  TKitBorderRegion* Region() const { return region_.get(); }
  bool ShowFormCaption() const { return showFormCaption_; }
  void SetShowFormCaption(bool value);
  bool FormDragable() const { return formDragable_; }
  void SetFormDragable(bool value) { formDragable_ = value; }
  bool UseRgnBitmap() const { return useRgnBitmap_; }
  void SetUseRgnBitmap(bool value);
  TKitFillObject* FillObject() const { return fill_.get(); }
  TKitCustomImageList* ImageList() const { return imageList_; }
  void SetImageList(TKitCustomImageList* value);
  bool ImageListStored() const;
  // "Internal": the image list by signature when it is one of the module-wide lists.
  void DefineProperties(TFiler* Filer) override;
  Integer ListIndex() const { return listIndex_; }
  void SetListIndex(Integer value) { listIndex_ = value; }
  Integer ImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer value) { imageIndex_ = value; }

  // Builds the region for the form's current size and installs it (none: the form keeps
  // its rectangular window).
  void ApplyRegion();
  TRect ShapeRect(TRect client) const;
  // Whether the fill object draws anything.
  bool FillActive() const;

  // The see-through chain: the mask's border bitmap or the fill's bitmap.
  TBitmap* GetBackBitmap() override;
  bool BackBitmapAvailable() override;
  TPoint BackMapPoint(const TPoint& P) override { return P; }
  bool BackDrawArea(TCanvas* Canvas, const TRect& R, const TPoint& P) override;

  void WndProc(TMessage& Message) override;

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void Changed();
  void PaintBackground(win::HDC dc);
  // Frame and caption offsets of the form's border style.
  TPoint ClientOffset() const;
  void RebuildFillBitmap();

  bool enabled_ = true;
  std::unique_ptr<TKitBorderRegion> region_;
  bool showFormCaption_ = true;
  bool formDragable_ = true;
  bool useRgnBitmap_ = true;
  std::unique_ptr<TKitFillObject> fill_;
  std::unique_ptr<TBitmap> fillBitmap_;
  TKitCustomImageList* imageList_ = nullptr;
  std::unique_ptr<TKitChangeLink> imageLink_;
  Integer listIndex_ = 0;
  Integer imageIndex_ = 0;
  bool ncButtonHeld_ = false;
};

// Registers TKitFormShape with the class registry (for form files).
void RegisterKitFormShapeClasses();
