#pragma once
// A PE image read from a file: headers, sections, and its import, export and resource
// lists, built on first use. Loading replaces the image only when the new file reads;
// a failed load leaves what was loaded before.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "debuginfo/pe_format.h"
#include "platform/classlib/lists.h"

class TDbgPeImage;
class TDbgPeImportList;
class TDbgPeExportFuncList;
class TDbgPeRootResourceList;
class TStream;

// Base of the lists an image builds; each knows its image.
class TDbgPeImageBaseList : public TObjectList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TDbgPeImageBaseList(TDbgPeImage* image) : TObjectList(true), image_(image) {}
  TDbgPeImage* Image() const { return image_; }

 private:
  TDbgPeImage* image_;
};

class TDbgPeImage : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TDbgPeImage();
  // Loads `fileName` (see SetFileName).
  explicit TDbgPeImage(const std::string& fileName);
  ~TDbgPeImage() override;

  // Maps the file and reads its headers. Raises the mapping stream's errors, or
  // EDbgPeImageError "This is not a PE format".
  void SetFileName(const std::string& fileName);
  // The same over bytes already in memory, in file layout.
  void LoadFromBytes(std::vector<std::uint8_t> bytes, const std::string& fileName = std::string());
  void Clear();

  bool Loaded() const { return !file_.empty(); }
  const std::string& FileName() const { return fileName_; }
  TDbgPeTarget Target() const { return layout_.Target; }
  const TDbgPeHeaders& Headers() const { return layout_.Headers; }
  std::span<const std::uint8_t> FileBytes() const { return file_; }

  Integer ImageSectionCount() const { return static_cast<Integer>(layout_.Sections.size()); }
  // Raises EListError for an index out of range.
  const TDbgPeSectionHeader& ImageSectionHeaders(Integer index) const;
  // The index of the first section named `name`, or -1.
  Integer ImageSectionIndexFromName(const std::string& name) const;
  // Raises EDbgPeImageError "Section "<name>" not found".
  const TDbgPeSectionHeader& ImageSectionHeaderByName(const std::string& name) const;
  // The named section's bytes as they are loaded (see dbg::SectionBytes).
  std::span<const std::uint8_t> SectionData(const std::string& name) const;

  // The bytes of a data directory; empty when the image has none.
  std::span<const std::uint8_t> DirectoryEntryToData(int index) const;
  // `size` bytes at `rva`; raises "This is not a PE format" when not in the file.
  std::span<const std::uint8_t> RvaToData(Cardinal rva, Cardinal size) const;
  // The file offset of `rva`, or -1 when it is not in the file.
  Int64 RvaToFileOffset(Cardinal rva) const;

  TDbgPeImportList& ImportList();
  TDbgPeExportFuncList& ExportList();
  TDbgPeRootResourceList& ResourceList();

  const dbg::PeAddressMap& AddressMap() const { return map_; }

 protected:
  // Lets a subclass drop what it read from the previous image.
  virtual void ClearCached() {}

 private:
  void Adopt(std::unique_ptr<TStream> stream, std::vector<std::uint8_t> bytes, std::span<const std::uint8_t> file,
             const std::string& fileName);
  void RequireLoaded() const;

  std::string fileName_;
  std::unique_ptr<TStream> stream_;   // the mapping, when loaded from a file
  std::vector<std::uint8_t> bytes_;   // the bytes, when loaded from memory
  std::span<const std::uint8_t> file_;
  dbg::PeLayout layout_;
  dbg::PeAddressMap map_;
  std::unique_ptr<TDbgPeImportList> imports_;
  std::unique_ptr<TDbgPeExportFuncList> exports_;
  std::unique_ptr<TDbgPeRootResourceList> resources_;
};
