#pragma once
// The version resource of a file: fixed file information, the string tables per
// language and code page (items as name=value lines) and the translation list.
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "debuginfo/version_format.h"
#include "platform/classlib/object.h"
#include "platform/classlib/strings.h"

class TDbgFileVersionInfo : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Reads the version resource of a PE file. A file that cannot be read, is not an
  // image or has no valid version resource raises EDbgFileVersionInfoError
  // "File contains no version information".
  explicit TDbgFileVersionInfo(const std::string& fileName);
  // Reads a version resource from its bytes, in either layout.
  struct FromData {};
  TDbgFileVersionInfo(FromData, std::span<const std::uint8_t> data);
  ~TDbgFileVersionInfo() override;

  // True when the file has a version resource that reads.
  static bool VersionResourceAvailable(const std::string& fileName);

  const std::string& FileName() const { return fileName_; }
  bool WideLayout() const { return data_.Wide; }
  bool HasFixedInfo() const { return data_.HasFixedInfo; }
  const TDbgVsFixedFileInfo& FixedInfo() const { return data_.FixedInfo; }
  // "major.minor.release.build" of the fixed file information.
  std::string BinFileVersion() const;
  std::string BinProductVersion() const;

  // The string tables.
  Integer LanguageCount() const { return static_cast<Integer>(data_.StringTables.size()); }
  TDbgLangIdRec Languages(Integer index) const;
  // "040904E4" style key of a table.
  const std::string& LanguageKey(Integer index) const;
  // The name=value lines of a table.
  TStringList& LanguageItems(Integer index) const;
  // The value of `name` in the first table ("" when absent).
  std::string KeyValue(const std::string& name) const;

  // The "Translation" pairs of "VarFileInfo".
  Integer TranslationCount() const { return static_cast<Integer>(data_.Translations.size()); }
  TDbgLangIdRec Translations(Integer index) const;

 private:
  void Build(std::span<const std::uint8_t> data);
  void CheckLanguage(Integer index) const;

  std::string fileName_;
  TDbgVersionData data_;
  std::vector<std::unique_ptr<TStringList>> items_;
};
