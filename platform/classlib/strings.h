#pragma once
// TStrings, the abstract list of strings with attached objects, and TStringList, its
// ordinary implementation (optionally sorted, with duplicate control).
//
// Indices out of range raise EListError "List index out of bounds (%d)"; operations a
// sorted list cannot do raise EStringListError. OnChanging/OnChange fire around every
// change while no update is open; BeginUpdate fires OnChanging once and the outer
// EndUpdate fires OnChange once. Operations that replace the whole content (Text,
// CommaText, DelimitedText, Assign, AddStrings, loading) either succeed or leave the
// list as it was.
#include <functional>
#include <string>
#include <vector>

#include "platform/classlib/object.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/types.h"

class TStream;
class TStringList;

struct TStringItem {
  std::string String;
  TObject* Object = nullptr;  // not owned
};

class TStrings : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  ~TStrings() override = default;

  Integer Count() const { return GetCount(); }
  std::string Strings(Integer index) const { return Get(index); }
  void SetStrings(Integer index, const std::string& s) { Put(index, s); }
  TObject* Objects(Integer index) const { return GetObject(index); }
  void SetObjects(Integer index, TObject* object) { PutObject(index, object); }

  virtual Integer Add(const std::string& s);
  virtual Integer AddObject(const std::string& s, TObject* object);
  virtual void Insert(Integer index, const std::string& s) = 0;
  virtual void InsertObject(Integer index, const std::string& s, TObject* object);
  virtual void Delete(Integer index) = 0;
  virtual void Clear() = 0;
  virtual void Exchange(Integer index1, Integer index2);
  virtual void Move(Integer curIndex, Integer newIndex);
  // Appends every string and object of `strings`.
  virtual void AddStrings(TStrings* strings);

  virtual Integer IndexOf(const std::string& s) const;
  // Index of the first "name=value" entry whose name matches, or -1.
  virtual Integer IndexOfName(const std::string& name) const;
  virtual Integer IndexOfObject(TObject* object) const;
  // Same strings in the same order (case matters).
  bool Equals(TStrings* strings) const;

  // "name=value" access: the part before the first '=', the value of the entry named
  // `name` ("" when none). Setting a value adds or replaces the entry; setting "" deletes it.
  std::string Names(Integer index) const;
  std::string Values(const std::string& name) const;
  void SetValues(const std::string& name, const std::string& value);
  // The part after the first '=' of entry `index` ("" without one).
  std::string ValueFromIndex(Integer index) const;

  // Every entry followed by CR LF. Setting splits at CR LF, CR or LF.
  std::string Text() const;
  void SetText(const std::string& text);
  // DelimitedText with ',' and '"'.
  std::string CommaText() const;
  void SetCommaText(const std::string& text);
  // Entries joined by Delimiter; an entry holding a blank, a control character, the
  // quote or the delimiter, and an empty entry, is quoted with inner quotes doubled.
  // Parsing splits unquoted entries at blanks and delimiters.
  std::string DelimitedText() const;
  void SetDelimitedText(const std::string& text);
  char Delimiter() const { return delimiter_; }
  void SetDelimiter(char c) { delimiter_ = c; }
  char QuoteChar() const { return quoteChar_; }
  void SetQuoteChar(char c) { quoteChar_ = c; }

  void BeginUpdate();
  void EndUpdate();
  Integer UpdateCount() const { return updateCount_; }

  // Copies the strings and objects of another TStrings.
  void Assign(TPersistent* source) override;
  // Stores the entries as the list property "Strings".
  void DefineProperties(TFiler* filer) override;

  // Loading reads from the position to the end of the stream as Text.
  virtual void LoadFromStream(TStream& stream);
  virtual void SaveToStream(TStream& stream) const;
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName) const;

 protected:
  virtual std::string Get(Integer index) const = 0;
  virtual Integer GetCount() const = 0;
  virtual TObject* GetObject(Integer index) const;
  virtual void Put(Integer index, const std::string& s);
  virtual void PutObject(Integer index, TObject* object);
  // Called when the outer update opens (true) and closes (false).
  virtual void SetUpdateState(bool updating);
  // Case-insensitive in the user's collation; TStringList can make it case-sensitive.
  virtual int CompareStrings(const std::string& a, const std::string& b) const;
  // Replaces the whole content with `items` as it was before a failed replacement.
  virtual void RestoreItems(const std::vector<TStringItem>& items);

  [[noreturn]] static void IndexError(Integer index);
  [[noreturn]] static void StringListError(const char* message);

 private:
  std::vector<TStringItem> Snapshot() const;
  // Adds `items` (after clearing when `replace`); on failure restores what was there.
  void AddItemsAtomically(const std::vector<TStringItem>& items, bool replace);

  Integer updateCount_ = 0;
  char delimiter_ = ',';
  char quoteChar_ = '"';
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Returns < 0, 0 or > 0 as entry index1 sorts before, with or after entry index2.
using TStringListSortCompare = std::function<int(TStringList& list, Integer index1, Integer index2)>;

class TStringList : public TStrings {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TStringList() = default;
  ~TStringList() override;

  // On a sorted list Add goes to its sorted place; a duplicate is then ignored (the
  // existing index is returned), accepted, or refused with EStringListError.
  Integer Add(const std::string& s) override;
  Integer AddObject(const std::string& s, TObject* object) override;
  // Not allowed on a sorted list.
  void Insert(Integer index, const std::string& s) override;
  void InsertObject(Integer index, const std::string& s, TObject* object) override;
  void Delete(Integer index) override;
  void Clear() override;
  void Exchange(Integer index1, Integer index2) override;
  // Not allowed on a sorted list; checks both indices before anything moves.
  void Move(Integer curIndex, Integer newIndex) override;
  Integer IndexOf(const std::string& s) const override;

  // Binary search of a sorted list: true when found, `index` the entry (with dupAccept
  // the first equal one) or where s would be inserted.
  virtual bool Find(const std::string& s, Integer& index) const;
  // Sorts an unsorted list (quicksort: equal entries keep no fixed order).
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates value) { duplicates_ = value; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool value);

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  std::string Get(Integer index) const override;
  Integer GetCount() const override { return static_cast<Integer>(items_.size()); }
  TObject* GetObject(Integer index) const override;
  void Put(Integer index, const std::string& s) override;
  void PutObject(Integer index, TObject* object) override;
  void SetUpdateState(bool updating) override;
  int CompareStrings(const std::string& a, const std::string& b) const override;
  void RestoreItems(const std::vector<TStringItem>& items) override;

  virtual void Changed();
  virtual void Changing();

 private:
  void CheckIndex(Integer index) const;
  void InsertItem(Integer index, const std::string& s, TObject* object);
  void QuickSort(Integer l, Integer r, const TStringListSortCompare& compare);

  std::vector<TStringItem> items_;
  TDuplicates duplicates_ = dupIgnore;
  bool sorted_ = false;
  bool caseSensitive_ = false;
};
