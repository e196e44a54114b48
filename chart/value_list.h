#pragma once
// TChartValueList: one named column of Double values of a chart series. Point i of a
// series is entry i of each of its lists. A list can keep its values ordered as they
// are added, sorts by moving whole points of its series, finds values, and caches its
// extremes and sums until the next change.
#include <string>
#include <vector>

#include "platform/classlib/lists.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/properties.h"
#include "platform/classlib/types.h"

class TChartSeries;
class TChartValueLists;

enum TChartListOrder : Byte { loNone = 0, loAscending = 1, loDescending = 2 };
const TEnumInfo& ChartListOrderInfo();

// Capacity grows by this many values at a time (library-wide, read at every growth).
extern Integer ValueListGrowStep;

namespace msg {
inline constexpr const char* ObsoleteMultiplier =
    "Error: Multiplier property is obsolete.\rModify ChartDefs.inc (enable Multiplier) and recompile.";
}  // namespace msg

class TChartValueList : public TPersistent {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Registers itself in the owner's value lists (when there is an owner) and starts
  // empty.
  TChartValueList(TChartSeries* owner, const std::string& name);
  ~TChartValueList() override;

  void Assign(TPersistent* source) override;
  void DefineProperties(TFiler* filer) override;

  // Inserts at the place `Order` gives (after equal values); returns the index.
  // Does not notify the owner.
  virtual Integer AddValue(Double value);
  virtual void ClearValues();
  // Grows by one and stores `value` at `index` (0..Count-1 after growing).
  virtual void InsertValue(Integer index, Double value);
  virtual void Delete(Integer index);

  // No range checks on these: callers keep 0 <= index < Count.
  Double GetValue(Integer index) const { return values_[static_cast<std::size_t>(index)]; }
  Double operator[](Integer index) const { return GetValue(index); }
  // Stores and tells the owner (modify event).
  void SetValue(Integer index, Double value);
  Double LastValue() const { return values_.back(); }
  // The values in use, for per-point reads without a call per value.
  const Double* Values() const { return values_.data(); }

  // First index holding exactly `value`; -1 when none.
  Integer Locate(Double value) const;
  void SwapValues(Integer index1, Integer index2);
  void FillWithIndices();
  void RotateFirstToEnd();
  // -1, 0, 1; inverted for loDescending.
  Integer CompareAt(Integer index1, Integer index2) const;
  // Quicksort by this list, swapping whole points of the owner series.
  void Sort();

  // Statistics, recomputed first when the list changed since the last read.
  Double Highest();
  Double Lowest();
  Double Sum();
  Double SumOfAbsolutes();
  void RefreshStatistics();

  Integer Count() const { return static_cast<Integer>(values_.size()); }
  Integer Capacity() const { return capacity_; }
  bool Dirty() const { return dirty_; }
  TChartSeries* Owner() const { return owner_; }

  // A value the owner stages before it adds a point (AddValue or InsertValue follow).
  Double PendingValue = 0;

  // ---- published ----
  bool DateTime() const { return dateTime_; }
  void SetDateTime(bool value);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& value) { name_ = value; }
  TChartListOrder Order() const { return order_; }
  void SetOrder(TChartListOrder value) { order_ = value; }
  const std::string& ValueSource() const { return valueSource_; }
  void SetValueSource(const std::string& value);

  static void Publish(TPublished& published);

 private:
  friend class TChartValueLists;
  // Room for one more value, ValueListGrowStep at a time.
  void Grow();
  void ReadMultiplier(TReader& reader);

  bool dateTime_ = false;
  Double highest_ = 0;
  Double lowest_ = 0;
  std::string name_;
  TChartListOrder order_ = loNone;
  TChartSeries* owner_ = nullptr;
  Double sum_ = 0;
  Double sumOfAbsolutes_ = 0;
  std::string valueSource_;
  // Holds Count values; the room for Capacity is reserved, not filled, so that a new
  // curve's first key does not clear a thousand-value block.
  std::vector<Double> values_;
  Integer capacity_ = 0;
  bool dirty_ = true;
  TChartValueLists* lists_ = nullptr;  // where it registered itself
};

// The value lists of one series, in creation order (X, Y, then any others). Owns them.
class TChartValueLists : public TList {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TChartValueLists() = default;
  ~TChartValueLists() override;

  // Frees every value list, then empties itself.
  void Clear() override;
  TChartValueList* Get(Integer index) const { return static_cast<TChartValueList*>(TList::Get(index)); }
  TChartValueList* operator[](Integer index) const { return Get(index); }
};
