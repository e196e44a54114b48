#include "platform/classlib/graphic.h"

#include <cstring>

#include "platform/classlib/save_file.h"
#include "platform/classlib/streams.h"

const TClass& TGraphic::StaticClass() {
  static const TClass cls = TClass::Of<TGraphic>("TGraphic", TPersistent::StaticClass());
  return cls;
}

void TGraphic::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) {
  SaveFileWhole(fileName, [this](TStream& s) { SaveToStream(s); });
}

void TGraphic::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Changed(this);
}

void TGraphic::SetModified(bool value) {
  if (value) {
    Changed(this);
  } else {
    modified_ = false;
  }
}

void TGraphic::Changed(TObject* /*sender*/) {
  modified_ = true;
  if (OnChange) OnChange(this);
}

void TGraphic::Progress(TObject* sender, TProgressStage stage, Byte percentDone, bool redrawNow, const TRect& r,
                        const std::string& msg) {
  if (OnProgress) OnProgress(sender, stage, percentDone, redrawNow, r, msg);
}

bool TGraphic::Equals(TGraphic* other) {
  if (!other || &other->ClassType() != &ClassType()) return false;
  if (Empty() || other->Empty()) return Empty() && other->Empty();
  TMemoryStream mine, theirs;
  WriteData(mine);
  other->WriteData(theirs);
  return mine.Size() == theirs.Size() &&
         std::memcmp(mine.Memory(), theirs.Memory(), static_cast<std::size_t>(mine.Size())) == 0;
}

void TGraphic::DefineProperties(TFiler* filer) {
  bool store = !Empty();
  if (auto* ancestor = dynamic_cast<TGraphic*>(filer->Ancestor())) store = !Equals(ancestor);
  filer->DefineBinaryProperty(
      "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, store);
}
