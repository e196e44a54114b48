#pragma once
// The paint stages of an image control: an ordered list of steps that fill its buffer,
// each run at design time, at run time or both.
#include <deque>

#include "platform/classlib/object.h"
#include "platform/classlib/types.h"

// What a stage does (TPaintStage::Stage).
inline constexpr Cardinal kStageCustom = 1;           // OnPaintStage
inline constexpr Cardinal kStageClearBuffer = 2;      // the whole buffer in the control's colour
inline constexpr Cardinal kStageClearBackground = 3;  // the control's colour around the bitmap
inline constexpr Cardinal kStageDrawBitmap = 4;
inline constexpr Cardinal kStageDrawLayers = 5;       // layers whose options share a bit with Parameter
inline constexpr Cardinal kStageControlFrame = 6;     // focus rectangle round the control
inline constexpr Cardinal kStageBitmapFrame = 7;      // focus rectangle round the bitmap

struct TPaintStage {
  bool DsgnTime = false;
  bool RunTime = true;
  Cardinal Stage = 0;
  Cardinal Parameter = 0;
};

class TPaintStages : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TPaintStages() = default;
  ~TPaintStages() override;

  // Appends a default record; the reference stays valid until the record is cleared.
  TPaintStage& Add();
  void Clear();
  Integer Count() const { return static_cast<Integer>(stages_.size()); }
  // Raises EListError "List index out of bounds (%d)".
  TPaintStage& Items(Integer index);
  const TPaintStage& Items(Integer index) const;

 private:
  // A deque: Add never moves the records handed out before.
  std::deque<TPaintStage> stages_;
};
