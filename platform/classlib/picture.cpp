#include "platform/classlib/picture.h"

#include <algorithm>
#include <vector>

#include "platform/classlib/bitmap.h"
#include "platform/classlib/exceptions.h"
#include "platform/classlib/file_paths.h"
#include "platform/classlib/icon_metafile.h"
#include "platform/classlib/jpeg_image.h"
#include "platform/classlib/properties.h"
#include "platform/classlib/streams.h"
#include "platform/classlib/sysutils.h"

namespace {

struct FileFormat {
  std::string Extension;
  std::string Description;
  TGraphicClass GraphicClass;
  TPicture::TContentCheck ContentCheck = nullptr;
};

// The registry, with the class library's own kinds in it from the start.
std::vector<FileFormat>& FileFormats() {
  static std::vector<FileFormat> formats = {
      {"bmp", "Bitmaps", &TBitmap::StaticClass()},
      {"ico", "Icons", &TIcon::StaticClass()},
      {"emf", "Enhanced Metafiles", &TMetafile::StaticClass()},
      {"wmf", "Metafiles", &TMetafile::StaticClass()},
      {"jpg", "JPEG Image File", &TJPEGImage::StaticClass()},
      {"jpeg", "JPEG Image File", &TJPEGImage::StaticClass()},
  };
  return formats;
}

std::string WithoutDot(const std::string& extension) {
  return !extension.empty() && extension[0] == '.' ? extension.substr(1) : extension;
}

std::unique_ptr<TGraphic> NewGraphic(TGraphicClass cls) {
  std::unique_ptr<TObject> obj(cls->Create());
  auto* g = dynamic_cast<TGraphic*>(obj.get());
  if (!g) throw CreateFmt<EInvalidGraphic>("%s is not a graphic class", cls->ClassName());
  obj.release();
  return std::unique_ptr<TGraphic>(g);
}

// The class of a name stored in form data: a registered kind, or TBitmap.
TGraphicClass GraphicClassByName(const std::string& name) {
  for (const FileFormat& f : FileFormats())
    if (SameIdent(f.GraphicClass->ClassName(), name)) return f.GraphicClass;
  if (SameIdent(name, "TBitmap")) return &TBitmap::StaticClass();
  return nullptr;
}

// The first registered class whose content check accepts the file; nullptr when none
// does or the file cannot be opened (the caller then reports the extension).
TGraphicClass GraphicClassOfContent(const std::string& fileName) {
  std::unique_ptr<TFileStream> stream;
  try {
    stream = std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareDenyWrite);
  } catch (const EFOpenError&) {
    return nullptr;
  }
  std::vector<TGraphicClass> asked;  // a class of several extensions is asked once
  for (const FileFormat& f : FileFormats()) {
    if (!f.ContentCheck || std::find(asked.begin(), asked.end(), f.GraphicClass) != asked.end()) continue;
    if (f.ContentCheck(f.GraphicClass, *stream)) return f.GraphicClass;
    asked.push_back(f.GraphicClass);
  }
  return nullptr;
}

}  // namespace

const TClass& TPicture::StaticClass() {
  static const TClass cls = TClass::Of<TPicture>("TPicture", TPersistent::StaticClass());
  return cls;
}

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

// ---- registry ----------------------------------------------------------------------------------

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  TGraphicClass graphicClass, TContentCheck contentCheck) {
  const std::string ext = WithoutDot(extension);
  if (ext.empty() || !graphicClass) return;
  for (FileFormat& f : FileFormats()) {
    if (SameText(f.Extension, ext)) {
      f.Description = description;
      f.GraphicClass = graphicClass;
      f.ContentCheck = contentCheck;
      return;
    }
  }
  FileFormats().push_back(FileFormat{ext, description, graphicClass, contentCheck});
}

void TPicture::UnregisterGraphicClass(TGraphicClass graphicClass) {
  auto& formats = FileFormats();
  formats.erase(std::remove_if(formats.begin(), formats.end(),
                               [graphicClass](const FileFormat& f) { return f.GraphicClass == graphicClass; }),
                formats.end());
}

TGraphicClass TPicture::FindFileFormat(const std::string& extension) {
  const std::string ext = WithoutDot(extension);
  for (const FileFormat& f : FileFormats())
    if (SameText(f.Extension, ext)) return f.GraphicClass;
  return nullptr;
}

std::string GraphicFilter(TGraphicClass graphicClass) {
  std::string all, entries;
  int count = 0;
  for (const FileFormat& f : FileFormats()) {
    if (graphicClass && !f.GraphicClass->InheritsFrom(*graphicClass)) continue;
    const std::string mask = "*." + f.Extension;
    all += (count ? ";" : "") + mask;
    entries += (count ? "|" : "") + f.Description + " (" + mask + ")|" + mask;
    ++count;
  }
  if (count > 1) return "All (" + all + ")|" + all + "|" + entries;
  return entries;
}

// ---- the graphic -----------------------------------------------------------------------------

void TPicture::TakeGraphic(std::unique_ptr<TGraphic> graphic) {
  graphic_ = std::move(graphic);
  if (graphic_) {
    graphic_->OnChange = [this](TObject* sender) { Changed(sender); };
    graphic_->OnProgress = [this](TObject* sender, TProgressStage stage, Byte percent, bool redraw, const TRect& r,
                                  const std::string& m) {
      if (OnProgress) OnProgress(sender, stage, percent, redraw, r, m);
    };
  }
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* value) {
  if (value == graphic_.get() && value) return;
  std::unique_ptr<TGraphic> copy;
  if (value) {
    copy = NewGraphic(&value->ClassType());
    copy->Assign(value);
  }
  TakeGraphic(std::move(copy));
}

TGraphic* TPicture::ForceType(TGraphicClass graphicClass) {
  if (!graphic_ || !graphic_->InheritsFrom(*graphicClass)) TakeGraphic(NewGraphic(graphicClass));
  return graphic_.get();
}

TBitmap* TPicture::Bitmap() { return static_cast<TBitmap*>(ForceType(&TBitmap::StaticClass())); }
void TPicture::SetBitmap(TBitmap* value) { SetGraphic(value); }
TIcon* TPicture::Icon() { return static_cast<TIcon*>(ForceType(&TIcon::StaticClass())); }
void TPicture::SetIcon(TIcon* value) { SetGraphic(value); }
TMetafile* TPicture::Metafile() { return static_cast<TMetafile*>(ForceType(&TMetafile::StaticClass())); }
void TPicture::SetMetafile(TMetafile* value) { SetGraphic(value); }

Integer TPicture::Width() const { return graphic_ ? graphic_->Width() : 0; }
Integer TPicture::Height() const { return graphic_ ? graphic_->Height() : 0; }

void TPicture::Changed(TObject* /*sender*/) {
  if (OnChange) OnChange(this);
}

void TPicture::Assign(TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
  } else if (auto* pic = dynamic_cast<TPicture*>(source)) {
    if (pic != this) SetGraphic(pic->graphic_.get());
  } else if (auto* g = dynamic_cast<TGraphic*>(source)) {
    SetGraphic(g);
  } else {
    TPersistent::Assign(source);
  }
}

void TPicture::AssignTo(TPersistent* dest) {
  if (graphic_ && dynamic_cast<TGraphic*>(dest)) {
    dest->Assign(graphic_.get());
    return;
  }
  TPersistent::AssignTo(dest);
}

// ---- files and form data ---------------------------------------------------------------------

void TPicture::LoadFromFile(const std::string& fileName) {
  const std::string ext = WithoutDot(ExtractFileExt(fileName));
  TGraphicClass cls = ext.empty() ? nullptr : FindFileFormat(ext);
  if (!cls) cls = GraphicClassOfContent(fileName);
  if (!cls) throw CreateFmt<EInvalidGraphic>(msg::UnknownGraphicFormat, ext);
  std::unique_ptr<TGraphic> graphic = NewGraphic(cls);
  graphic->OnProgress = [this](TObject* sender, TProgressStage stage, Byte percent, bool redraw, const TRect& r,
                               const std::string& m) {
    if (OnProgress) OnProgress(sender, stage, percent, redraw, r, m);
  };
  graphic->LoadFromFile(fileName);
  TakeGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName) {
  if (graphic_) graphic_->SaveToFile(fileName);
}

void TPicture::DefineProperties(TFiler* filer) {
  bool store = graphic_ && !graphic_->Empty();
  if (auto* ancestor = dynamic_cast<TPicture*>(filer->Ancestor())) {
    if (!ancestor->graphic_ || !graphic_)
      store = ancestor->graphic_.get() != graphic_.get();
    else
      store = !graphic_->Equals(ancestor->graphic_.get());
  }
  filer->DefineBinaryProperty(
      "Data", [this](TStream& s) { ReadData(s); }, [this](TStream& s) { WriteData(s); }, store);
}

void TPicture::ReadData(TStream& stream) {
  Byte length = 0;
  stream.ReadBuffer(&length, 1);
  std::string name(length, '\0');
  if (length) stream.ReadBuffer(name.data(), length);
  if (name.empty()) {
    SetGraphic(nullptr);
    return;
  }
  TGraphicClass cls = GraphicClassByName(name);
  if (!cls) throw CreateFmt<EInvalidGraphic>("Unknown picture class %s", name);
  std::unique_ptr<TGraphic> graphic = NewGraphic(cls);
  graphic->ReadData(stream);
  TakeGraphic(std::move(graphic));
}

void TPicture::WriteData(TStream& stream) {
  std::string name = graphic_ ? graphic_->ClassName() : std::string();
  if (name.size() > 255) name.resize(255);
  const auto length = static_cast<Byte>(name.size());
  stream.WriteBuffer(&length, 1);
  if (length) stream.WriteBuffer(name.data(), length);
  if (graphic_) graphic_->WriteData(stream);
}
