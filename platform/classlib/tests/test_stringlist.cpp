// TStringList: quoting of CommaText both ways, sorted case-insensitive search, duplicate
// control, change events, index errors, and whole-content replacement that either
// succeeds or leaves the list as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/streams.h"
#include "platform/classlib/strings.h"

namespace {

using Lines = std::vector<std::string>;

Lines ToLines(const TStrings& list) {
  Lines out;
  for (Integer i = 0; i < list.Count(); ++i) out.push_back(list.Strings(i));
  return out;
}

void Fill(TStrings& list, const Lines& lines) {
  for (const std::string& s : lines) list.Add(s);
}

template <class E>
std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return "<not raised>";
}

TEST(StringListCommaText, QuotesWhatWouldNotSurviveParsing) {
  TStringList list;
  Fill(list, {"a", "b c", "d,e", "say \"hi\"", "", "tab\there", "plain"});
  EXPECT_EQ(list.CommaText(), "a,\"b c\",\"d,e\",\"say \"\"hi\"\"\",\"\",\"tab\there\",plain");
  TStringList single;
  single.Add("");
  EXPECT_EQ(single.CommaText(), "\"\"");
}

TEST(StringListCommaText, ParsingReversesTheQuoting) {
  TStringList list;
  list.SetCommaText("a, \"b c\" ,\"d,e\",\"say \"\"hi\"\"\",,x y");
  EXPECT_EQ(ToLines(list), (Lines{"a", "b c", "d,e", "say \"hi\"", "", "x", "y"}));
  const std::pair<const char*, Lines> cases[] = {
      {"a,", {"a", ""}},       {",a", {"", "a"}},   {"  ", {}},
      {"\"\"", {""}},          {"\"abc", {"abc"}},  // unterminated: the rest of the text
      {"\"a\"b,c", {"a", "b", "c"}}, {"one\ttwo\r\nthree", {"one", "two", "three"}},
  };
  for (const auto& [text, lines] : cases) {
    list.SetCommaText(text);
    EXPECT_EQ(ToLines(list), lines) << text;
  }
}

TEST(StringListCommaText, RoundTripsAwkwardEntriesWithEitherDelimiter) {
  const Lines awkward{"", " lead", "trail ", "a,b", "c;d", "\"", "\"\"", "x\ry", "ok", "", "it's"};
  TStringList a, b;
  Fill(a, awkward);
  b.SetCommaText(a.CommaText());
  EXPECT_EQ(ToLines(b), awkward);

  a.SetDelimiter(';');
  a.SetQuoteChar('\'');
  EXPECT_EQ(a.DelimitedText(), "'';' lead';'trail ';a,b;'c;d';\";\"\";'x\ry';ok;'';'it''s'");
  TStringList c;
  c.SetDelimiter(';');
  c.SetQuoteChar('\'');
  c.SetDelimitedText(a.DelimitedText());
  EXPECT_EQ(ToLines(c), awkward);
}

TEST(StringListText, CrLfOutAnyLineEndIn) {
  TStringList list;
  Fill(list, {"a", "", "b"});
  EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
  list.SetText("x\ry\nz\r\n\r\nw");
  EXPECT_EQ(ToLines(list), (Lines{"x", "y", "z", "", "w"}));
  list.SetText("a\n\rb");  // LF then CR: two line ends
  EXPECT_EQ(ToLines(list), (Lines{"a", "", "b"}));
  list.SetText("last\r\n");
  EXPECT_EQ(ToLines(list), Lines{"last"});
}

TEST(StringListSorted, CaseInsensitiveFind) {
  TStringList list;
  list.SetSorted(true);
  Fill(list, {"banana", "Apple", "cherry", "apple2", "_under", "10"});
  // Collated: digits, then punctuation, then letters.
  EXPECT_EQ(ToLines(list), (Lines{"10", "_under", "Apple", "apple2", "banana", "cherry"}));
  Integer index = -1;
  EXPECT_TRUE(list.Find("APPLE", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(list.Find("b", index));
  EXPECT_EQ(index, 4);  // where "b" would go
  EXPECT_FALSE(list.Find("zzz", index));
  EXPECT_EQ(index, 6);
  EXPECT_EQ(list.IndexOf("BANANA"), 4);
  EXPECT_EQ(list.IndexOf("banan"), -1);
}

TEST(StringListSorted, CaseSensitiveOrdersLowerFirstAndResorts) {
  TStringList list;
  list.SetDuplicates(dupAccept);
  Fill(list, {"B", "a", "b", "A"});
  list.SetCaseSensitive(true);
  list.SetSorted(true);
  EXPECT_EQ(ToLines(list), (Lines{"a", "A", "b", "B"}));
  Integer index = -1;
  EXPECT_TRUE(list.Find("A", index));
  EXPECT_EQ(index, 1);
  list.SetCaseSensitive(false);  // equal letters now compare equal
  EXPECT_TRUE(list.Find("b", index));
  EXPECT_EQ(index, 2);  // with dupAccept, the first of the equal entries
}

TEST(StringListSorted, DuplicatesAndRefusedPositionalChanges) {
  TStringList list;
  list.SetSorted(true);
  Fill(list, {"two", "one"});
  EXPECT_EQ(list.Add("ONE"), 0);  // dupIgnore: the existing index, nothing added
  list.SetDuplicates(dupError);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Add("Two"); }), "String list does not allow duplicates");
  const std::string sortedError = "Operation not allowed on sorted string list";
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Insert(0, "c"); }), sortedError);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.SetStrings(0, "c"); }), sortedError);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Move(0, 1); }), sortedError);
  EXPECT_EQ(ToLines(list), (Lines{"one", "two"}));  // nothing added, nothing lost
  list.SetDuplicates(dupAccept);
  EXPECT_EQ(list.Add("TWO"), 1);  // goes before the equal entry
  EXPECT_EQ(ToLines(list), (Lines{"one", "TWO", "two"}));
}

TEST(StringListSort, SortCustomSortMoveAndExchangeCarryObjects) {
  TStringList list;
  TObject oz, ox, oy;
  list.AddObject("z", &oz);
  list.AddObject("X", &ox);
  list.AddObject("y", &oy);
  list.Sort();
  EXPECT_EQ(ToLines(list), (Lines{"X", "y", "z"}));
  EXPECT_EQ(list.Objects(0), &ox);
  EXPECT_EQ(list.Objects(2), &oz);
  list.Move(0, 2);
  list.Exchange(0, 1);
  EXPECT_EQ(ToLines(list), (Lines{"z", "y", "X"}));
  EXPECT_EQ(list.IndexOfObject(&ox), 2);
  list.SetStrings(2, "x");
  EXPECT_EQ(list.Objects(2), &ox);  // replacing the string keeps the object
  list.Add("longest");
  list.CustomSort([](TStringList& l, Integer a, Integer b) {
    return static_cast<int>(l.Strings(b).size()) - static_cast<int>(l.Strings(a).size());
  });
  EXPECT_EQ(list.Strings(0), "longest");
}

TEST(StringListIndexError, ListIndexOutOfBounds) {
  TStringList list;
  Fill(list, {"a", "b", "c"});
  EXPECT_EQ(MessageOf<EListError>([&] { list.Strings(5); }), "List index out of bounds (5)");
  EXPECT_EQ(MessageOf<EListError>([&] { list.Delete(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(MessageOf<EListError>([&] { list.Insert(4, "x"); }), "List index out of bounds (4)");
  EXPECT_EQ(MessageOf<EListError>([&] { list.SetObjects(3, nullptr); }), "List index out of bounds (3)");
  EXPECT_EQ(MessageOf<EListError>([&] { list.Move(0, 3); }), "List index out of bounds (3)");
  EXPECT_EQ(ToLines(list), (Lines{"a", "b", "c"}));  // the failed move lost nothing
}

TEST(StringListNameValue, NamesValuesAndValueFromIndex) {
  TStringList list;
  Fill(list, {"Width=10", "Height=20", "noeq", "=empty", "Expr=a=b"});
  EXPECT_EQ(list.Values("height"), "20");
  EXPECT_EQ(list.Values("Expr"), "a=b");
  EXPECT_EQ(list.Names(2) + "|" + list.ValueFromIndex(2), "|");
  EXPECT_EQ(list.ValueFromIndex(3), "empty");
  EXPECT_EQ(list.IndexOfName(""), 3);
  list.SetValues("width", "15");
  list.SetValues("Depth", "5");
  list.SetValues("Height", "");
  EXPECT_EQ(ToLines(list), (Lines{"width=15", "noeq", "=empty", "Expr=a=b", "Depth=5"}));

  TStringList sorted;
  sorted.SetSorted(true);
  Fill(sorted, {"b=2", "d=4"});
  sorted.SetValues("c", "3");
  EXPECT_THROW(sorted.SetValues("b", "9"), EStringListError);
  EXPECT_EQ(ToLines(sorted), (Lines{"b=2", "c=3", "d=4"}));  // no stray empty entry
}

TEST(StringListEvent, OncePerChangeAndOnceAroundAnUpdate) {
  TStringList list;
  std::vector<std::string> log;
  list.OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, &list);
    log.push_back("changing " + std::to_string(list.Count()));
  };
  list.OnChange = [&](TObject*) { log.push_back("change " + std::to_string(list.Count())); };

  list.Add("a");
  EXPECT_EQ(log, (Lines{"changing 0", "change 1"}));
  log.clear();
  list.BeginUpdate();
  list.Add("b");
  list.BeginUpdate();
  list.Delete(0);
  list.EndUpdate();
  list.Add("c");
  EXPECT_EQ(log, Lines{"changing 1"});
  list.EndUpdate();
  EXPECT_EQ(log, (Lines{"changing 1", "change 2"}));
  log.clear();
  list.SetText("x\r\ny\r\nz");  // one replacement, one pair
  EXPECT_EQ(log, (Lines{"changing 2", "change 3"}));
  log.clear();
  list.EndUpdate();  // unbalanced: ignored
  TStringList empty;
  empty.OnChange = list.OnChange;
  empty.Clear();  // nothing to clear, nothing to tell
  EXPECT_TRUE(log.empty());
}

TEST(StringListAssign, CopiesAndFailedReplacementKeepsTheList) {
  TStringList source, dest;
  TObject o;
  source.AddObject("a", &o);
  source.Add("b");
  dest.Add("old");
  dest.Assign(&source);
  EXPECT_EQ(ToLines(dest), (Lines{"a", "b"}));
  EXPECT_EQ(dest.Objects(0), &o);
  dest.Assign(&dest);  // assigning to itself keeps the content
  dest.AddStrings(&dest);
  EXPECT_EQ(ToLines(dest), (Lines{"a", "b", "a", "b"}));
  TPersistent other;
  EXPECT_EQ(MessageOf<EConvertError>([&] { dest.Assign(&other); }), "Cannot assign a TPersistent to a TStringList");

  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupError);
  Fill(list, {"x", "m"});
  EXPECT_THROW(list.SetText("a\r\nb\r\nA"), EStringListError);
  EXPECT_THROW(list.SetCommaText("p,q,p"), EStringListError);
  TStringList dupSource;
  Fill(dupSource, {"k", "x"});
  EXPECT_THROW(list.AddStrings(&dupSource), EStringListError);
  EXPECT_EQ(ToLines(list), (Lines{"m", "x"}));
  EXPECT_EQ(list.UpdateCount(), 0);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(StringListFile, SaveWritesCrLfLoadReadsAnyLineEndMissingFileKeepsList) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("qm_stringlist_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  TStringList list;
  Fill(list, {"first", "", "third"});
  list.SaveToFile((dir / "out.txt").string());
  EXPECT_EQ(ReadBytes((dir / "out.txt").string()), "first\r\n\r\nthird\r\n");

  std::ofstream((dir / "unix.txt").string(), std::ios::binary) << "one\ntwo\rthree\r\nfour";
  list.LoadFromFile((dir / "unix.txt").string());
  EXPECT_EQ(ToLines(list), (Lines{"one", "two", "three", "four"}));
  EXPECT_THROW(list.LoadFromFile((dir / "absent.txt").string()), EFOpenError);
  EXPECT_EQ(list.Count(), 4);
  std::filesystem::remove_all(dir);
}

// Hands out a few bytes, then fails.
class FailingStream : public TStream {
 public:
  Int64 Read(void* buffer, Int64 count) override {
    if (served_) throw EReadError("Stream read error");
    served_ = true;
    const char text[] = "partial\r\nlines\r\n";
    Int64 n = std::min<Int64>(count, sizeof text - 1);
    std::memcpy(buffer, text, static_cast<std::size_t>(n));
    return n;
  }
  Int64 Write(const void*, Int64) override { return 0; }
  Int64 Seek(Int64, Word) override { return 0; }

 private:
  bool served_ = false;
};

TEST(StringListStream, FromThePositionToTheEndAndNothingOnFailure) {
  TStringStream stream("skip\r\nline1\nline2");
  stream.Seek(6, soFromBeginning);
  TStringList list;
  list.LoadFromStream(stream);
  EXPECT_EQ(ToLines(list), (Lines{"line1", "line2"}));
  TStringStream out;
  list.SaveToStream(out);
  EXPECT_EQ(out.DataString(), "line1\r\nline2\r\n");

  FailingStream failing;
  EXPECT_THROW(list.LoadFromStream(failing), EReadError);
  EXPECT_EQ(ToLines(list), (Lines{"line1", "line2"}));
}

TEST(StringListDefineProperties, StringsRoundTripThroughAFiler) {
  TStringList source;
  Fill(source, {"alpha", "", "gamma delta"});
  TMemoryWriter writer;
  writer.WriteProperties(&source);
  ASSERT_EQ(writer.Data().size(), 1u);
  EXPECT_EQ(writer.Data()[0].name, "Strings");
  EXPECT_EQ(writer.Data()[0].values.size(), 5u);  // list begin, three strings, list end

  TStringList dest;
  dest.Add("old");
  TMemoryReader reader(writer.Data());
  reader.ReadProperties(&dest);
  EXPECT_EQ(ToLines(dest), ToLines(source));

  TStringList empty;
  TMemoryWriter emptyWriter;
  emptyWriter.WriteProperties(&empty);
  EXPECT_TRUE(emptyWriter.Data().empty());  // nothing stored for an empty list
}

}  // namespace
