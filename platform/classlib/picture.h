#pragma once
// TPicture: holds one graphic of any registered kind and picks the kind by a file's
// extension when loading. The registry of picture kinds lists each extension with its
// description and graphic class, in registration order; the class library registers its
// own kinds first: bmp "Bitmaps", ico "Icons", emf "Enhanced Metafiles", wmf "Metafiles",
// jpg and jpeg "JPEG Image File".
#include <memory>
#include <string>

#include "platform/classlib/graphic.h"

class TBitmap;
class TIcon;
class TMetafile;

class TPicture : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TPicture();
  ~TPicture() override;

  // nullptr, a picture or a graphic: a copy of the graphic (or none); anything else is
  // asked to assign itself (AssignTo).
  void Assign(TPersistent* source) override;

  // The graphic class registered for the file's extension loads the file; for an
  // extension nobody registered, the first registered class whose content check knows
  // the file's signature. When neither finds one: EInvalidGraphic "Unknown picture file
  // extension (.%s)". A failed load leaves the picture as it was.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);

  TGraphic* Graphic() const { return graphic_.get(); }
  // A copy of `value` (same class); nullptr removes the graphic.
  void SetGraphic(TGraphic* value);
  // The graphic as that kind: one of another kind is replaced by an empty one first.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* value);
  TIcon* Icon();
  void SetIcon(TIcon* value);
  TMetafile* Metafile();
  void SetMetafile(TMetafile* value);

  Integer Width() const;
  Integer Height() const;

  // Whether the data at the stream's position carries the signature of the class; the
  // position is restored.
  using TContentCheck = bool (*)(TGraphicClass graphicClass, TStream& stream);

  // Registry. A known extension (compared without regard to case) is registered again in
  // place; extensions are given without the dot. The content check is optional.
  static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                 TGraphicClass graphicClass, TContentCheck contentCheck = nullptr);
  // Drops every extension of that class.
  static void UnregisterGraphicClass(TGraphicClass graphicClass);
  // The class of an extension (with or without the dot), or nullptr.
  static TGraphicClass FindFileFormat(const std::string& extension);

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 protected:
  // To a graphic: assigns the held graphic to it.
  void AssignTo(TPersistent* dest) override;
  // The form property "Data": the graphic's class name (a short string) and its data.
  void DefineProperties(TFiler* filer) override;
  virtual void Changed(TObject* sender);

 private:
  void TakeGraphic(std::unique_ptr<TGraphic> graphic);
  TGraphic* ForceType(TGraphicClass graphicClass);
  void ReadData(TStream& stream);
  void WriteData(TStream& stream);

  std::unique_ptr<TGraphic> graphic_;
};

// The file-dialog filter of every registered kind that is `graphicClass` or derives
// from it: "All (*.bmp;*.ico)|*.bmp;*.ico|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico";
// the "All" entry only when more than one kind matches.
std::string GraphicFilter(TGraphicClass graphicClass);
