#include "debuginfo/map_parser.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "debuginfo/dbg_exceptions.h"
#include "debuginfo/dbg_resources.h"
#include "platform/classlib/file_paths.h"
#include "platform/classlib/sysutils.h"

namespace {

std::vector<std::string> Tokens(const std::string& line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  std::string t;
  while (in >> t) out.push_back(t);
  return out;
}

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// Hexadecimal of at most 8 digits; a trailing 'H' is allowed when `suffix` is.
bool ParseHex(const std::string& s, Cardinal* out, bool suffix = false) {
  std::string digits = s;
  if (suffix && !digits.empty() && (digits.back() == 'H' || digits.back() == 'h')) digits.pop_back();
  if (digits.empty() || digits.size() > 8) return false;
  Cardinal v = 0;
  for (char c : digits) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (std::toupper(c) - 'A' + 10);
    v = (v << 4) | static_cast<Cardinal>(d);
  }
  *out = v;
  return true;
}

bool ParseAddress(const std::string& s, TDbgMapAddress* a) {
  const auto colon = s.find(':');
  if (colon == std::string::npos || colon == 0 || colon > 4) return false;
  Cardinal segment = 0, offset = 0;
  if (!ParseHex(s.substr(0, colon), &segment) || !ParseHex(s.substr(colon + 1), &offset)) return false;
  a->Segment = static_cast<Word>(segment);
  a->Offset = offset;
  return true;
}

bool ParseLineNumber(const std::string& s, Integer* out) {
  if (s.empty() || s.size() > 9) return false;  // fits in an Integer
  Integer v = 0;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    v = v * 10 + (c - '0');
  }
  *out = v;
  return true;
}

// "C=CODE" -> "CODE" when the token starts with `key`.
std::string Field(const std::vector<std::string>& tokens, const std::string& key) {
  for (const auto& t : tokens)
    if (StartsWith(t, key)) return t.substr(key.size());
  return std::string();
}

// `from` lies in the segment of `to`, at or below it.
bool InSegmentAtOrBelow(const TDbgMapAddress& from, const TDbgMapAddress& to) {
  return from.Segment == to.Segment && from.Offset <= to.Offset;
}

}  // namespace

// ---- TDbgAbstractMapParser -------------------------------------------------

const TClass& TDbgAbstractMapParser::StaticClass() {
  static const TClass cls = TClass::Of<TDbgAbstractMapParser>("TDbgAbstractMapParser", TObject::StaticClass());
  return cls;
}

TDbgAbstractMapParser::TDbgAbstractMapParser(const std::string& mapFileName) : mapFileName_(mapFileName) {
  std::ifstream in(ResolvePath(mapFileName), std::ios::binary);
  if (!in) throw CreateFmt<EDbgError>(dbg::LoadResString(dbg::RsCannotOpenFile), mapFileName);
  std::ostringstream buf;
  buf << in.rdbuf();
  if (in.bad()) throw CreateFmt<EDbgError>(dbg::LoadResString(dbg::RsCannotOpenFile), mapFileName);
  text_ = buf.str();
}

TDbgAbstractMapParser::TDbgAbstractMapParser(FromText, std::string text) : text_(std::move(text)) {}

void TDbgAbstractMapParser::Parse() {
  block_ = Block::None;
  std::size_t pos = 0;
  while (pos < text_.size()) {
    std::size_t end = text_.find('\n', pos);
    if (end == std::string::npos) end = text_.size();
    const std::string line = Trim(text_.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || Heading(line)) continue;
    if (block_ != Block::None && !Entry(line)) block_ = Block::None;
  }
}

bool TDbgAbstractMapParser::Heading(const std::string& line) {
  const auto t = Tokens(line);
  if (t.size() == 4 && t[0] == "Start" && t[1] == "Length" && t[2] == "Name" && t[3] == "Class") {
    block_ = Block::Segments;
    return true;
  }
  if (line == "Detailed map of segments") {
    block_ = Block::Detailed;
    return true;
  }
  if (t.size() >= 4 && t[0] == "Address" && t[1] == "Publics" && t[2] == "by") {
    if (t[3] == "Name") {
      block_ = Block::PublicsByName;
      return true;
    }
    if (t[3] == "Value") {
      block_ = Block::PublicsByValue;
      return true;
    }
  }
  // Line numbers for Unit(source) segment .text
  if (StartsWith(line, "Line numbers for ")) {
    const std::string rest = line.substr(17);
    const auto open = rest.find('(');
    const auto close = rest.find(')', open == std::string::npos ? 0 : open);
    if (open == std::string::npos || close == std::string::npos) return false;
    std::string segment;
    const auto t2 = Tokens(rest.substr(close + 1));
    if (t2.size() >= 2 && t2[0] == "segment") segment = t2[1];
    LineNumberUnitItem(Trim(rest.substr(0, open)), rest.substr(open + 1, close - open - 1), segment);
    block_ = Block::LineNumbers;
    return true;
  }
  return false;
}

bool TDbgAbstractMapParser::Entry(const std::string& line) {
  const auto t = Tokens(line);
  TDbgMapAddress a;
  Cardinal length = 0;
  switch (block_) {
    case Block::Segments:
      if (t.size() < 3 || !ParseAddress(t[0], &a) || !ParseHex(t[1], &length, true)) return false;
      SegmentTableItem(a, length, t[2], t.size() > 3 ? t[3] : std::string());
      return true;
    case Block::Detailed:
      if (t.size() < 3 || !ParseAddress(t[0], &a) || !ParseHex(t[1], &length, true)) return false;
      DetailedSegmentItem(a, length, Field(t, "C="), Field(t, "S="), Field(t, "G="), Field(t, "M="));
      return true;
    case Block::PublicsByName:
    case Block::PublicsByValue:
      if (t.size() < 2 || !ParseAddress(t[0], &a)) return false;
      if (block_ == Block::PublicsByName)
        PublicsByNameItem(a, t[1]);
      else
        PublicsByValueItem(a, t[1]);
      return true;
    case Block::LineNumbers: {
      if (t.empty() || t.size() % 2 != 0) return false;
      // Check the whole line before reporting any of it.
      std::vector<std::pair<Integer, TDbgMapAddress>> pairs;
      for (std::size_t i = 0; i < t.size(); i += 2) {
        Integer lineNumber = 0;
        if (!ParseLineNumber(t[i], &lineNumber) || !ParseAddress(t[i + 1], &a)) return false;
        pairs.emplace_back(lineNumber, a);
      }
      for (const auto& [n, addr] : pairs) LineNumbersItem(n, addr);
      return true;
    }
    case Block::None:
      return false;
  }
  return false;
}

// ---- TDbgMapScanner --------------------------------------------------------

const TClass& TDbgMapScanner::StaticClass() {
  static const TClass cls = TClass::Of<TDbgMapScanner>("TDbgMapScanner", TDbgAbstractMapParser::StaticClass());
  return cls;
}

TDbgMapScanner::TDbgMapScanner(const std::string& mapFileName) : TDbgAbstractMapParser(mapFileName) { Scan(); }

TDbgMapScanner::TDbgMapScanner(FromText, std::string text) : TDbgAbstractMapParser(FromText{}, std::move(text)) {
  Scan();
}

void TDbgMapScanner::Scan() {
  Parse();
  auto byAddress = [](const auto& x, const auto& y) { return x.Address < y.Address; };
  // Publics appear in both lists; keep one of each.
  std::stable_sort(publics_.begin(), publics_.end(),
                   [](const Public& x, const Public& y) { return std::tie(x.Address, x.Name) < std::tie(y.Address, y.Name); });
  publics_.erase(std::unique(publics_.begin(), publics_.end(),
                             [](const Public& x, const Public& y) { return x.Address == y.Address && x.Name == y.Name; }),
                 publics_.end());
  std::stable_sort(lines_.begin(), lines_.end(), byAddress);
  std::stable_sort(units_.begin(), units_.end(), [](const UnitRange& x, const UnitRange& y) { return x.Start < y.Start; });
}

void TDbgMapScanner::SegmentTableItem(const TDbgMapAddress& start, Cardinal length, const std::string& name,
                                      const std::string& className) {
  segments_.push_back({start, length, name, className});
}

void TDbgMapScanner::DetailedSegmentItem(const TDbgMapAddress& start, Cardinal length, const std::string&,
                                         const std::string& segmentName, const std::string&,
                                         const std::string& unitName) {
  units_.push_back({start, length, segmentName, unitName});
}

void TDbgMapScanner::PublicsByNameItem(const TDbgMapAddress& address, const std::string& name) {
  publics_.push_back({address, name});
}

void TDbgMapScanner::PublicsByValueItem(const TDbgMapAddress& address, const std::string& name) {
  publics_.push_back({address, name});
}

void TDbgMapScanner::LineNumberUnitItem(const std::string& unitName, const std::string& sourceName,
                                        const std::string& segmentName) {
  lineUnits_.push_back({unitName, sourceName, segmentName});
}

void TDbgMapScanner::LineNumbersItem(Integer lineNumber, const TDbgMapAddress& address) {
  lines_.push_back({address, lineNumber, static_cast<int>(lineUnits_.size()) - 1});
}

const TDbgMapScanner::UnitRange* TDbgMapScanner::UnitOf(const TDbgMapAddress& a) const {
  // The last unit starting at or below the address, if the address is inside it.
  auto it = std::upper_bound(units_.begin(), units_.end(), a,
                             [](const TDbgMapAddress& x, const UnitRange& u) { return x < u.Start; });
  while (it != units_.begin()) {
    --it;
    if (it->Start.Segment != a.Segment) break;
    if (std::uint64_t{a.Offset} - it->Start.Offset < it->Length) return &*it;
  }
  return nullptr;
}

std::string TDbgMapScanner::ModuleNameFromAddr(const TDbgMapAddress& a) const {
  const UnitRange* u = UnitOf(a);
  return u ? u->UnitName : std::string();
}

std::string TDbgMapScanner::ProcNameFromAddr(const TDbgMapAddress& a, Cardinal* offset) const {
  auto it = std::upper_bound(publics_.begin(), publics_.end(), a,
                             [](const TDbgMapAddress& x, const Public& p) { return x < p.Address; });
  if (it == publics_.begin()) return std::string();
  --it;
  if (!InSegmentAtOrBelow(it->Address, a)) return std::string();
  if (!units_.empty()) {
    const UnitRange* u = UnitOf(a);
    if (!u || it->Address < u->Start) return std::string();
  }
  if (offset) *offset = a.Offset - it->Address.Offset;
  return it->Name;
}

const TDbgMapScanner::LineNumber* TDbgMapScanner::LineOf(const TDbgMapAddress& a) const {
  auto it = std::upper_bound(lines_.begin(), lines_.end(), a,
                             [](const TDbgMapAddress& x, const LineNumber& l) { return x < l.Address; });
  if (it == lines_.begin()) return nullptr;
  --it;
  if (!InSegmentAtOrBelow(it->Address, a)) return nullptr;
  if (!units_.empty()) {
    const UnitRange* u = UnitOf(a);
    if (!u || it->Address < u->Start) return nullptr;
  }
  return &*it;
}

Integer TDbgMapScanner::LineNumberFromAddr(const TDbgMapAddress& a, Cardinal* offset) const {
  const LineNumber* l = LineOf(a);
  if (!l) return 0;
  if (offset) *offset = a.Offset - l->Address.Offset;
  return l->Line;
}

std::string TDbgMapScanner::SourceNameFromAddr(const TDbgMapAddress& a) const {
  if (const LineNumber* l = LineOf(a); l && l->Unit >= 0) return lineUnits_[l->Unit].SourceName;
  // Without line numbers, a line-number heading of the same unit still names the file.
  const std::string unit = ModuleNameFromAddr(a);
  if (!unit.empty())
    for (const auto& lu : lineUnits_)
      if (SameText(lu.UnitName, unit)) return lu.SourceName;
  return std::string();
}

bool TDbgMapScanner::AddrFromProcName(const std::string& name, TDbgMapAddress* a) const {
  for (const auto& p : publics_)
    if (p.Name == name) {
      *a = p.Address;
      return true;
    }
  return false;
}
