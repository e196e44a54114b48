#pragma once
// Sources that resolve an address in a module (an RVA) to unit, procedure, source file
// and line: the module's map file, its binary debug information, or its export table.
#include <memory>
#include <string>

#include "platform/classlib/lists.h"

class TDbgPeImage;
class TDbgMapScanner;
class TDbgBinDebugScanner;

struct TDbgLocationInfo {
  Cardinal Address = 0;  // RVA in the module
  std::string UnitName;
  std::string ProcedureName;
  std::string SourceName;
  Integer LineNumber = 0;
  Cardinal OffsetFromProcName = 0;
  Cardinal OffsetFromLineNumber = 0;

  // "Unit.Procedure", or the procedure alone without a unit.
  std::string SymbolName() const;
};

class TDbgDebugInfoSource : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TDbgDebugInfoSource(std::string moduleFileName);
  ~TDbgDebugInfoSource() override;

  const std::string& ModuleFileName() const { return moduleFileName_; }
  // Finds and reads the source's data; false when the module has none that reads.
  virtual bool InitializeSource() = 0;
  // Fills `info` for `rva`; false when the source knows nothing there.
  virtual bool GetLocationInfo(Cardinal rva, TDbgLocationInfo& info) = 0;

 protected:
  // The module's image, read once; nullptr when it does not read.
  TDbgPeImage* Image();

 private:
  std::string moduleFileName_;
  std::unique_ptr<TDbgPeImage> image_;
  bool imageTried_ = false;
};

// The ".map" file beside the module. Map addresses are section number:offset, so an
// RVA is placed through the module's section table.
class TDbgDebugInfoMap : public TDbgDebugInfoSource {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TDbgDebugInfoMap(std::string moduleFileName);
  ~TDbgDebugInfoMap() override;

  bool InitializeSource() override;
  bool GetLocationInfo(Cardinal rva, TDbgLocationInfo& info) override;

 private:
  std::unique_ptr<TDbgMapScanner> scanner_;
};

// The module's "DBGINFO" section, else a ".dbgi" file beside it.
class TDbgDebugInfoBinary : public TDbgDebugInfoSource {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TDbgDebugInfoBinary(std::string moduleFileName);
  ~TDbgDebugInfoBinary() override;

  bool InitializeSource() override;
  bool GetLocationInfo(Cardinal rva, TDbgLocationInfo& info) override;

 private:
  std::unique_ptr<TDbgBinDebugScanner> scanner_;
};

// The module's export table: the nearest export at or below the address, in the
// same section.
class TDbgDebugInfoExports : public TDbgDebugInfoSource {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TDbgDebugInfoExports(std::string moduleFileName);

  bool InitializeSource() override;
  bool GetLocationInfo(Cardinal rva, TDbgLocationInfo& info) override;
};

// The sources of the modules asked about, each module tried once: map, then binary,
// then exports.
class TDbgDebugInfoList : public TObjectList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TDbgDebugInfoList() : TObjectList(true) {}

  TDbgDebugInfoSource* Items(Integer index) const { return static_cast<TDbgDebugInfoSource*>(Get(index)); }
  // The source for `moduleFileName`, created on first use; nullptr when the module
  // has no debug information.
  TDbgDebugInfoSource* ItemFromModule(const std::string& moduleFileName);
  bool GetLocationInfo(const std::string& moduleFileName, Cardinal rva, TDbgLocationInfo& info);

 private:
  // Modules already found to have no source.
  std::vector<std::string> without_;
};
