#include "platform/classlib/icon_metafile.h"

#include "platform/classlib/exceptions.h"

namespace {
constexpr const char* kInvalidIcon = "Icon image is not valid";
constexpr const char* kInvalidMetafile = "Metafile is not valid";
constexpr const char* kIconSize = "Cannot change the size of an icon";
constexpr const char* kMetafileSize = "Cannot change the size of a metafile";
}  // namespace

// ---- TIcon --------------------------------------------------------------------------------

const TClass& TIcon::StaticClass() {
  static const TClass cls = TClass::Of<TIcon>("TIcon", TGraphic::StaticClass());
  return cls;
}

void TIcon::Assign(TPersistent* source) {
  if (!source || dynamic_cast<TIcon*>(source)) return;
  TGraphic::Assign(source);
}

void TIcon::LoadFromStream(TStream& /*stream*/) { throw EInvalidGraphic(kInvalidIcon); }

void TIcon::SaveToStream(TStream& /*stream*/) {}

void TIcon::SetWidth(Integer /*value*/) { throw EInvalidGraphicOperation(kIconSize); }

void TIcon::SetHeight(Integer /*value*/) { throw EInvalidGraphicOperation(kIconSize); }

void TIcon::Draw(TCanvas* /*canvas*/, const TRect& /*r*/) {}

// ---- TMetafile ----------------------------------------------------------------------------

const TClass& TMetafile::StaticClass() {
  static const TClass cls = TClass::Of<TMetafile>("TMetafile", TGraphic::StaticClass());
  return cls;
}

void TMetafile::Assign(TPersistent* source) {
  if (!source || dynamic_cast<TMetafile*>(source)) return;
  TGraphic::Assign(source);
}

void TMetafile::LoadFromStream(TStream& /*stream*/) { throw EInvalidGraphic(kInvalidMetafile); }

void TMetafile::SaveToStream(TStream& /*stream*/) {}

void TMetafile::SetWidth(Integer /*value*/) { throw EInvalidGraphicOperation(kMetafileSize); }

void TMetafile::SetHeight(Integer /*value*/) { throw EInvalidGraphicOperation(kMetafileSize); }

void TMetafile::Draw(TCanvas* /*canvas*/, const TRect& /*r*/) {}
