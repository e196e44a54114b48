#pragma once
// TFileFormatList: the image-format library's own table of file extensions, their
// descriptions, file types and graphic classes. Every change is mirrored into the
// picture registry (TPicture), so that anything loading a picture by file name can
// read the library's formats.
//
// Invariant: every extension entry refers to exactly one class entry, and a class
// entry's Count is the number of extension entries referring to it; a class entry
// whose count falls to zero is removed.
#include <memory>
#include <string>
#include <vector>

#include "imageformats/image_format_graphic.h"
#include "platform/classlib/graphic.h"
#include "platform/classlib/object.h"

struct TClassEntry {
  TGraphicClass GraphicClass = nullptr;
  std::string Description;  // the common description of the class
  Integer Count = 0;        // extension entries referring to this entry
};

struct TExtensionEntry {
  std::string Extension;  // without the dot
  std::string Description;
  TFormatTypes FileTypes = 0;
  TClassEntry* ClassReference = nullptr;
};

class TFileFormatList : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TFileFormatList();
  ~TFileFormatList() override;

  // Unregisters every class from the picture registry and empties both lists.
  void Clear();

  // Index in the extension list (letter case ignored); -1 for "" or none.
  Integer FindExtension(const std::string& Extension) const;
  // Index in the class list; -1 when absent.
  Integer FindGraphicClass(TGraphicClass GraphicClass) const;

  // Adds (or with Replace, moves) an extension; a known extension without Replace
  // raises EInvalidGraphic "Attempt to register %s twice.". RegisterDefault has no
  // effect. The picture registry gets the extension with Individual, or the class's
  // common description when Individual is empty.
  void RegisterFileFormat(const std::string& Extension, const std::string& Common, const std::string& Individual,
                          TFormatTypes FileTypes, bool Replace, bool RegisterDefault, TGraphicClass GraphicClass);
  // One extension; or with an empty extension every extension of the class.
  void UnregisterFileFormat(const std::string& Extension, TGraphicClass GraphicClass);

  Integer ClassCount() const { return Integer(FClassList.size()); }
  const TClassEntry& ClassEntry(Integer Index) const { return *FClassList.at(std::size_t(Index)); }
  Integer ExtensionCount() const { return Integer(FExtensionList.size()); }
  const TExtensionEntry& ExtensionEntry(Integer Index) const { return *FExtensionList.at(std::size_t(Index)); }

 private:
  TClassEntry* FindOrAddClass(TGraphicClass GraphicClass);
  void RemoveClassEntry(TClassEntry* Entry);

  std::vector<std::unique_ptr<TClassEntry>> FClassList;
  std::vector<std::unique_ptr<TExtensionEntry>> FExtensionList;
};

// The unit's load and unload steps. The first initialization creates the process-wide
// list and registers the library's extensions; the matching last finalization
// unregisters them and frees the list. Calls nest: only the outermost pair acts.
void ImageFormatsInitialize();
void ImageFormatsFinalize();
// The process-wide list; nullptr outside an initialization.
TFileFormatList* FileFormatList();
