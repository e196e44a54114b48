#include "bitmaps/paint_stages.h"

#include "platform/classlib/exceptions.h"

const TClass& TPaintStages::StaticClass() {
  static const TClass cls = TClass::Of<TPaintStages>("TPaintStages", TObject::StaticClass());
  return cls;
}

TPaintStages::~TPaintStages() { Clear(); }

TPaintStage& TPaintStages::Add() { return stages_.emplace_back(); }

void TPaintStages::Clear() { stages_.clear(); }

TPaintStage& TPaintStages::Items(Integer index) {
  if (index < 0 || index >= Count()) throw CreateFmt<EListError>(msg::ListIndexError, index);
  return stages_[static_cast<std::size_t>(index)];
}

const TPaintStage& TPaintStages::Items(Integer index) const {
  if (index < 0 || index >= Count()) throw CreateFmt<EListError>(msg::ListIndexError, index);
  return stages_[static_cast<std::size_t>(index)];
}
