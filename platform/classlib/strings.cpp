#include "platform/classlib/strings.h"

#include <utility>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/save_file.h"
#include "platform/classlib/streams.h"
#include "platform/classlib/sysutils.h"

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    std::size_t start = i;
    while (i < n && text[i] != '\r' && text[i] != '\n') ++i;
    lines.push_back(text.substr(start, i - start));
    if (i < n && text[i] == '\r') ++i;
    if (i < n && text[i] == '\n') ++i;
  }
  return lines;
}

bool IsBlank(char c) { return c >= 1 && static_cast<unsigned char>(c) <= ' '; }

std::vector<std::string> SplitDelimited(const std::string& value, char delimiter, char quote) {
  std::vector<std::string> entries;
  // The text ends at a NUL, as a character pointer would.
  const std::string text = value.substr(0, value.find('\0'));
  const std::size_t n = text.size();
  std::size_t p = 0;
  while (p < n && IsBlank(text[p])) ++p;
  while (p < n) {
    if (text[p] == quote) {
      entries.push_back(AnsiExtractQuotedStr(text, p, quote));
    } else {
      std::size_t start = p;
      while (p < n && static_cast<unsigned char>(text[p]) > ' ' && text[p] != delimiter) ++p;
      entries.push_back(text.substr(start, p - start));
    }
    while (p < n && IsBlank(text[p])) ++p;
    if (p < n && text[p] == delimiter) {
      if (p + 1 == n) entries.emplace_back();  // a trailing delimiter ends with an empty entry
      do {
        ++p;
      } while (p < n && IsBlank(text[p]));
    }
  }
  return entries;
}

std::string JoinDelimited(const TStrings& list, char delimiter, char quote) {
  std::string result;
  const Integer count = list.Count();
  for (Integer i = 0; i < count; ++i) {
    std::string s = list.Strings(i);
    bool needsQuotes = s.empty();
    for (char c : s) {
      if (static_cast<unsigned char>(c) <= ' ' || c == quote || c == delimiter) {
        needsQuotes = true;
        break;
      }
    }
    if (i > 0) result += delimiter;
    result += needsQuotes ? AnsiQuotedStr(s, quote) : s;
  }
  return result;
}

std::vector<TStringItem> ItemsOf(const std::vector<std::string>& strings) {
  std::vector<TStringItem> items;
  items.reserve(strings.size());
  for (const std::string& s : strings) items.push_back(TStringItem{s, nullptr});
  return items;
}

}  // namespace

// ---- TStrings ----------------------------------------------------------------------

const TClass& TStrings::StaticClass() {
  static const TClass cls = TClass::Of<TStrings>("TStrings", TPersistent::StaticClass());
  return cls;
}

void TStrings::IndexError(Integer index) { throw CreateFmt<EListError>(msg::ListIndexError, index); }

void TStrings::StringListError(const char* message) { throw EStringListError(message); }

Integer TStrings::Add(const std::string& s) {
  Integer index = GetCount();
  Insert(index, s);
  return index;
}

Integer TStrings::AddObject(const std::string& s, TObject* object) {
  Integer index = Add(s);
  PutObject(index, object);
  return index;
}

void TStrings::InsertObject(Integer index, const std::string& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

TObject* TStrings::GetObject(Integer) const { return nullptr; }

void TStrings::PutObject(Integer, TObject*) {}

void TStrings::Put(Integer index, const std::string& s) {
  TObject* object = GetObject(index);
  BeginUpdate();
  try {
    Delete(index);
    InsertObject(index, s, object);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(const std::string& a, const std::string& b) const { return AnsiCompareText(a, b); }

void TStrings::Exchange(Integer index1, Integer index2) {
  std::string s1 = Get(index1), s2 = Get(index2);
  TObject* o1 = GetObject(index1);
  TObject* o2 = GetObject(index2);
  BeginUpdate();
  try {
    Put(index1, s2);
    PutObject(index1, o2);
    Put(index2, s1);
    PutObject(index2, o1);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Move(Integer curIndex, Integer newIndex) {
  if (curIndex == newIndex) return;
  std::string s = Get(curIndex);
  TObject* object = GetObject(curIndex);
  // Checked before the entry leaves, so that a bad target loses nothing.
  if (newIndex < 0 || newIndex >= GetCount()) IndexError(newIndex);
  BeginUpdate();
  try {
    Delete(curIndex);
    InsertObject(newIndex, s, object);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::AddStrings(TStrings* strings) {
  if (!strings) return;
  AddItemsAtomically(strings->Snapshot(), false);
}

Integer TStrings::IndexOf(const std::string& s) const {
  const Integer count = GetCount();
  for (Integer i = 0; i < count; ++i) {
    if (CompareStrings(Get(i), s) == 0) return i;
  }
  return -1;
}

Integer TStrings::IndexOfName(const std::string& name) const {
  const Integer count = GetCount();
  for (Integer i = 0; i < count; ++i) {
    std::string s = Get(i);
    std::size_t p = s.find('=');
    if (p != std::string::npos && CompareStrings(s.substr(0, p), name) == 0) return i;
  }
  return -1;
}

Integer TStrings::IndexOfObject(TObject* object) const {
  const Integer count = GetCount();
  for (Integer i = 0; i < count; ++i) {
    if (GetObject(i) == object) return i;
  }
  return -1;
}

bool TStrings::Equals(TStrings* strings) const {
  if (!strings) return false;
  const Integer count = GetCount();
  if (count != strings->GetCount()) return false;
  for (Integer i = 0; i < count; ++i) {
    if (Get(i) != strings->Get(i)) return false;
  }
  return true;
}

std::string TStrings::Names(Integer index) const {
  std::string s = Get(index);
  std::size_t p = s.find('=');
  return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStrings::Values(const std::string& name) const {
  Integer index = IndexOfName(name);
  return index >= 0 ? ValueFromIndex(index) : std::string();
}

void TStrings::SetValues(const std::string& name, const std::string& value) {
  Integer index = IndexOfName(name);
  if (!value.empty()) {
    // A new entry is added whole, so that a sorted list places it (and a list that
    // refuses it is left without a half-made entry).
    if (index < 0) {
      Add(name + "=" + value);
    } else {
      Put(index, name + "=" + value);
    }
  } else if (index >= 0) {
    Delete(index);
  }
}

std::string TStrings::ValueFromIndex(Integer index) const {
  if (index < 0) return std::string();
  std::string s = Get(index);
  std::size_t p = s.find('=');
  return p == std::string::npos ? std::string() : s.substr(p + 1);
}

std::string TStrings::Text() const {
  std::string result;
  const Integer count = GetCount();
  for (Integer i = 0; i < count; ++i) {
    result += Get(i);
    result += "\r\n";
  }
  return result;
}

void TStrings::SetText(const std::string& text) { AddItemsAtomically(ItemsOf(SplitLines(text)), true); }

std::string TStrings::CommaText() const { return JoinDelimited(*this, ',', '"'); }

void TStrings::SetCommaText(const std::string& text) {
  AddItemsAtomically(ItemsOf(SplitDelimited(text, ',', '"')), true);
}

std::string TStrings::DelimitedText() const { return JoinDelimited(*this, delimiter_, quoteChar_); }

void TStrings::SetDelimitedText(const std::string& text) {
  AddItemsAtomically(ItemsOf(SplitDelimited(text, delimiter_, quoteChar_)), true);
}

void TStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  if (updateCount_ == 0) return;  // unbalanced: nothing is open
  --updateCount_;
  if (updateCount_ == 0) SetUpdateState(false);
}

void TStrings::Assign(TPersistent* source) {
  if (auto* strings = dynamic_cast<TStrings*>(source)) {
    if (strings != this) AddItemsAtomically(strings->Snapshot(), true);
    return;
  }
  TPersistent::Assign(source);
}

void TStrings::DefineProperties(TFiler* filer) {
  bool hasData;
  if (TPersistent* ancestor = filer->Ancestor()) {
    auto* strings = dynamic_cast<TStrings*>(ancestor);
    hasData = !strings || !Equals(strings);
  } else {
    hasData = GetCount() > 0;
  }
  filer->DefineProperty(
      "Strings",
      [this](TReader& reader) { AddItemsAtomically(ItemsOf(reader.ReadStrings()), true); },
      [this](TWriter& writer) {
        std::vector<std::string> lines;
        const Integer count = GetCount();
        for (Integer i = 0; i < count; ++i) lines.push_back(Get(i));
        writer.WriteStrings(lines);
      },
      hasData);
}

void TStrings::LoadFromStream(TStream& stream) {
  // Everything is read before the list changes: a failing stream leaves it as it was.
  std::string text;
  char chunk[65536];
  for (;;) {
    Int64 got = stream.Read(chunk, sizeof chunk);
    if (got <= 0) break;
    text.append(chunk, static_cast<std::size_t>(got));
  }
  SetText(text);
}

void TStrings::SaveToStream(TStream& stream) const {
  std::string text = Text();
  stream.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
}

void TStrings::LoadFromFile(const std::string& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TStrings::SaveToFile(const std::string& fileName) const {
  SaveFileWhole(fileName, [this](TStream& s) { SaveToStream(s); });
}

std::vector<TStringItem> TStrings::Snapshot() const {
  std::vector<TStringItem> items;
  const Integer count = GetCount();
  items.reserve(static_cast<std::size_t>(count));
  for (Integer i = 0; i < count; ++i) items.push_back(TStringItem{Get(i), GetObject(i)});
  return items;
}

void TStrings::RestoreItems(const std::vector<TStringItem>& items) {
  Clear();
  for (std::size_t i = 0; i < items.size(); ++i) {
    InsertObject(static_cast<Integer>(i), items[i].String, items[i].Object);
  }
}

void TStrings::AddItemsAtomically(const std::vector<TStringItem>& items, bool replace) {
  BeginUpdate();
  std::vector<TStringItem> before = Snapshot();
  try {
    if (replace) Clear();
    for (const TStringItem& item : items) AddObject(item.String, item.Object);
  } catch (...) {
    RestoreItems(before);
    EndUpdate();
    throw;
  }
  EndUpdate();
}

// ---- TStringList -------------------------------------------------------------------

const TClass& TStringList::StaticClass() {
  static const TClass cls = TClass::Of<TStringList>("TStringList", TStrings::StaticClass());
  return cls;
}

TStringList::~TStringList() {
  // No events while the list goes away.
  OnChange = nullptr;
  OnChanging = nullptr;
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating) {
    Changing();
  } else {
    Changed();
  }
}

void TStringList::CheckIndex(Integer index) const {
  if (index < 0 || index >= GetCount()) IndexError(index);
}

int TStringList::CompareStrings(const std::string& a, const std::string& b) const {
  return caseSensitive_ ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

std::string TStringList::Get(Integer index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)].String;
}

TObject* TStringList::GetObject(Integer index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)].Object;
}

void TStringList::Put(Integer index, const std::string& s) {
  if (sorted_) StringListError(msg::SortedListError);
  CheckIndex(index);
  Changing();
  items_[static_cast<std::size_t>(index)].String = s;
  Changed();
}

void TStringList::PutObject(Integer index, TObject* object) {
  CheckIndex(index);
  Changing();
  items_[static_cast<std::size_t>(index)].Object = object;
  Changed();
}

Integer TStringList::Add(const std::string& s) { return AddObject(s, nullptr); }

Integer TStringList::AddObject(const std::string& s, TObject* object) {
  Integer index;
  if (!sorted_) {
    index = GetCount();
  } else if (Find(s, index)) {
    switch (duplicates_) {
      case dupIgnore:
        return index;
      case dupError:
        StringListError(msg::DuplicateString);
      case dupAccept:
        break;
    }
  }
  InsertItem(index, s, object);
  return index;
}

void TStringList::Insert(Integer index, const std::string& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(Integer index, const std::string& s, TObject* object) {
  if (sorted_) StringListError(msg::SortedListError);
  if (index < 0 || index > GetCount()) IndexError(index);
  InsertItem(index, s, object);
}

void TStringList::InsertItem(Integer index, const std::string& s, TObject* object) {
  Changing();
  items_.insert(items_.begin() + index, TStringItem{s, object});
  Changed();
}

void TStringList::Delete(Integer index) {
  CheckIndex(index);
  Changing();
  items_.erase(items_.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  items_.clear();
  items_.shrink_to_fit();
  Changed();
}

void TStringList::Exchange(Integer index1, Integer index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
  Changed();
}

void TStringList::Move(Integer curIndex, Integer newIndex) {
  if (curIndex == newIndex) return;
  if (sorted_) StringListError(msg::SortedListError);
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  Changing();
  TStringItem item = std::move(items_[static_cast<std::size_t>(curIndex)]);
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, std::move(item));
  Changed();
}

Integer TStringList::IndexOf(const std::string& s) const {
  if (!sorted_) return TStrings::IndexOf(s);
  Integer index;
  return Find(s, index) ? index : -1;
}

bool TStringList::Find(const std::string& s, Integer& index) const {
  bool found = false;
  Integer l = 0, h = GetCount() - 1;
  while (l <= h) {
    Integer i = (l + h) >> 1;
    int c = CompareStrings(items_[static_cast<std::size_t>(i)].String, s);
    if (c < 0) {
      l = i + 1;
    } else {
      h = i - 1;
      if (c == 0) {
        found = true;
        if (duplicates_ != dupAccept) l = i;
      }
    }
  }
  index = l;
  return found;
}

void TStringList::Sort() {
  CustomSort([](TStringList& list, Integer a, Integer b) {
    return list.CompareStrings(list.items_[static_cast<std::size_t>(a)].String,
                               list.items_[static_cast<std::size_t>(b)].String);
  });
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
  if (sorted_ || GetCount() <= 1) return;
  Changing();
  QuickSort(0, GetCount() - 1, compare);
  Changed();
}

void TStringList::QuickSort(Integer l, Integer r, const TStringListSortCompare& compare) {
  Integer i, j, p;
  do {
    i = l;
    j = r;
    p = (l + r) >> 1;
    do {
      // The bounds only matter for a compare function that contradicts itself.
      while (i < r && compare(*this, i, p) < 0) ++i;
      while (j > l && compare(*this, j, p) > 0) --j;
      if (i <= j) {
        if (i != j) std::swap(items_[static_cast<std::size_t>(i)], items_[static_cast<std::size_t>(j)]);
        if (p == i) {
          p = j;
        } else if (p == j) {
          p = i;
        }
        ++i;
        --j;
      }
    } while (i <= j);
    if (l < j) QuickSort(l, j, compare);
    l = i;
  } while (i < r);
}

void TStringList::SetSorted(bool value) {
  if (sorted_ == value) return;
  if (value) Sort();
  sorted_ = value;
}

void TStringList::SetCaseSensitive(bool value) {
  if (caseSensitive_ == value) return;
  caseSensitive_ = value;
  if (sorted_) {
    // Re-sort under the new comparison, or Find would search a list out of order.
    sorted_ = false;
    Sort();
    sorted_ = true;
  }
}

void TStringList::RestoreItems(const std::vector<TStringItem>& items) { items_ = items; }
