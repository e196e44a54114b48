#pragma once
// Linker map files. The parser walks the text once and reports what it recognises:
//
//   Start         Length     Name                   Class          (segment table)
//    0001:00000000 00000055H .text                   CODE
//
//   Detailed map of segments
//    0001:00000000 0000A123 C=CODE S=.text G=(none) M=System ACBP=A9
//
//   Address         Publics by Name          (or "Publics by Value")
//    0001:00001234       System.@HandleFinally   [further columns ignored]
//
//   Line numbers for System(system.pas) segment .text
//      123 0001:00001234   124 0001:00001240
//
// Blank lines are skipped; any other line that does not fit the current block ends it.
// Addresses are segment:offset in hexadecimal.
#include <string>
#include <vector>

#include "platform/classlib/object.h"
#include "platform/classlib/types.h"

struct TDbgMapAddress {
  Word Segment = 0;
  Cardinal Offset = 0;
  friend auto operator<=>(const TDbgMapAddress&, const TDbgMapAddress&) = default;
};

class TDbgAbstractMapParser : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Reads the whole map file; a file that cannot be read raises EDbgError
  // "Cannot open file "<name>"".
  explicit TDbgAbstractMapParser(const std::string& mapFileName);
  // Parses `text` as the contents of a map file.
  struct FromText {};
  TDbgAbstractMapParser(FromText, std::string text);

  void Parse();
  const std::string& MapFileName() const { return mapFileName_; }

 protected:
  virtual void SegmentTableItem(const TDbgMapAddress& start, Cardinal length, const std::string& name,
                                const std::string& className) = 0;
  virtual void DetailedSegmentItem(const TDbgMapAddress& start, Cardinal length, const std::string& className,
                                   const std::string& segmentName, const std::string& groupName,
                                   const std::string& unitName) = 0;
  virtual void PublicsByNameItem(const TDbgMapAddress& address, const std::string& name) = 0;
  virtual void PublicsByValueItem(const TDbgMapAddress& address, const std::string& name) = 0;
  virtual void LineNumberUnitItem(const std::string& unitName, const std::string& sourceName,
                                  const std::string& segmentName) = 0;
  virtual void LineNumbersItem(Integer lineNumber, const TDbgMapAddress& address) = 0;

 private:
  enum class Block { None, Segments, Detailed, PublicsByName, PublicsByValue, LineNumbers };
  bool Heading(const std::string& line);
  bool Entry(const std::string& line);

  std::string mapFileName_;
  std::string text_;
  Block block_ = Block::None;
};

// Parses a map and answers questions about addresses.
class TDbgMapScanner : public TDbgAbstractMapParser {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TDbgMapScanner(const std::string& mapFileName);
  TDbgMapScanner(FromText, std::string text);

  struct Segment {
    TDbgMapAddress Start;
    Cardinal Length = 0;
    std::string Name;
    std::string ClassName;
  };
  struct UnitRange {
    TDbgMapAddress Start;
    Cardinal Length = 0;
    std::string SegmentName;
    std::string UnitName;
  };
  struct Public {
    TDbgMapAddress Address;
    std::string Name;
  };
  struct LineNumber {
    TDbgMapAddress Address;
    Integer Line = 0;
    int Unit = -1;  // index into LineNumberUnits
  };
  struct LineNumberUnit {
    std::string UnitName;
    std::string SourceName;
    std::string SegmentName;
  };

  const std::vector<Segment>& Segments() const { return segments_; }
  const std::vector<UnitRange>& Units() const { return units_; }
  const std::vector<Public>& Publics() const { return publics_; }  // by address
  const std::vector<LineNumber>& LineNumbers() const { return lines_; }  // by address
  const std::vector<LineNumberUnit>& LineNumberUnits() const { return lineUnits_; }

  // The unit whose detailed segment holds `a`; empty when none does.
  std::string ModuleNameFromAddr(const TDbgMapAddress& a) const;
  // The public symbol at or below `a` in its segment (and unit, when units are known);
  // `offset` receives the distance from it.
  std::string ProcNameFromAddr(const TDbgMapAddress& a, Cardinal* offset = nullptr) const;
  // The line at or below `a` in its segment and unit; 0 when none.
  Integer LineNumberFromAddr(const TDbgMapAddress& a, Cardinal* offset = nullptr) const;
  std::string SourceNameFromAddr(const TDbgMapAddress& a) const;
  // The address of a public symbol by its name; false when there is none.
  bool AddrFromProcName(const std::string& name, TDbgMapAddress* a) const;

 protected:
  void SegmentTableItem(const TDbgMapAddress& start, Cardinal length, const std::string& name,
                        const std::string& className) override;
  void DetailedSegmentItem(const TDbgMapAddress& start, Cardinal length, const std::string& className,
                           const std::string& segmentName, const std::string& groupName,
                           const std::string& unitName) override;
  void PublicsByNameItem(const TDbgMapAddress& address, const std::string& name) override;
  void PublicsByValueItem(const TDbgMapAddress& address, const std::string& name) override;
  void LineNumberUnitItem(const std::string& unitName, const std::string& sourceName,
                          const std::string& segmentName) override;
  void LineNumbersItem(Integer lineNumber, const TDbgMapAddress& address) override;

 private:
  void Scan();
  const UnitRange* UnitOf(const TDbgMapAddress& a) const;
  const LineNumber* LineOf(const TDbgMapAddress& a) const;

  std::vector<Segment> segments_;
  std::vector<UnitRange> units_;
  std::vector<Public> publics_;
  std::vector<LineNumber> lines_;
  std::vector<LineNumberUnit> lineUnits_;
};
