#include "chart/value_list.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "chart/chart_series.h"
#include "chart/chart_utils.h"
#include "platform/classlib/application.h"
#include "platform/classlib/exceptions.h"
#include "platform/win/modal_answers.h"

Integer ValueListGrowStep = 1000;

const TEnumInfo& ChartListOrderInfo() {
  static const TEnumInfo info("TChartListOrder", {"loNone", "loAscending", "loDescending"});
  return info;
}

// ---- TChartValueList -------------------------------------------------------------------

const TClass& TChartValueList::StaticClass() {
  static const TClass cls =
      TClass::Of<TChartValueList>("TChartValueList", TPersistent::StaticClass(), &TChartValueList::Publish);
  return cls;
}

void TChartValueList::Publish(TPublished& published) {
  auto p = published.For<TChartValueList>();
  p.Boolean("DateTime", &TChartValueList::DateTime, &TChartValueList::SetDateTime).Default(false);
  p.String("Name", &TChartValueList::Name, &TChartValueList::SetName);
  p.Enum("Order", ChartListOrderInfo(), &TChartValueList::Order, &TChartValueList::SetOrder).Default(loNone);
  p.String("ValueSource", &TChartValueList::ValueSource, &TChartValueList::SetValueSource).Default("");
}

TChartValueList::TChartValueList(TChartSeries* owner, const std::string& name) : owner_(owner) {
  dirty_ = true;
  if (owner_) {
    lists_ = owner_->ValueLists();
    if (lists_) lists_->Add(this);
  }
  name_ = name;
  ClearValues();
}

TChartValueList::~TChartValueList() {
  // A list freed on its own must not stay behind in its series' lists.
  if (lists_) lists_->Remove(this);
}

void TChartValueList::Assign(TPersistent* source) {
  if (auto* src = dynamic_cast<TChartValueList*>(source)) {
    order_ = src->order_;
    dateTime_ = src->dateTime_;
    valueSource_ = src->valueSource_;
    return;
  }
  TPersistent::Assign(source);
}

void TChartValueList::DefineProperties(TFiler* filer) {
  TPersistent::DefineProperties(filer);
  // Older forms may carry it; it is read and reported, never stored again.
  filer->DefineProperty(
      "Multiplier", [this](TReader& reader) { ReadMultiplier(reader); }, nullptr, false);
}

void TChartValueList::ReadMultiplier(TReader& reader) {
  const Double value = reader.ReadFloat();
  if (value == 1.0) return;
  if (Application)
    Application->MessageBox(msg::ObsoleteMultiplier, Application->Title(), win::MB_OK);
  else
    win::MessageBox(nullptr, msg::ObsoleteMultiplier, "", win::MB_OK);
}

void TChartValueList::Grow() {
  // The room grows before the value goes in, so that a failed allocation leaves the list
  // as it was.
  if (capacity_ > Count()) return;
  const Integer step = ValueListGrowStep > 0 ? ValueListGrowStep : 1;
  values_.reserve(static_cast<std::size_t>(capacity_) + static_cast<std::size_t>(step));
  capacity_ += step;
}

Integer TChartValueList::AddValue(Double value) {
  Integer index;
  if (order_ == loNone || Count() == 0) {
    index = Count();
  } else {
    const Double last = values_.back();
    if ((order_ == loAscending && value >= last) || (order_ == loDescending && value <= last)) {
      index = Count();
    } else {
      Integer t = Count() - 1;
      if (order_ == loAscending) {
        while (t >= 0 && values_[static_cast<std::size_t>(t)] > value) --t;
      } else {
        while (t >= 0 && values_[static_cast<std::size_t>(t)] < value) --t;
      }
      index = t + 1;
    }
  }
  InsertValue(index, value);
  return index;
}

void TChartValueList::InsertValue(Integer index, Double value) {
  if (index < 0 || index > Count()) TList::Error(msg::ListIndexError, index);
  Grow();
  values_.insert(values_.begin() + index, value);
  dirty_ = true;
}

void TChartValueList::Delete(Integer index) {
  if (index < 0 || index >= Count()) TList::Error(msg::ListIndexError, index);
  values_.erase(values_.begin() + index);
  dirty_ = true;
}

void TChartValueList::ClearValues() {
  values_.clear();
  values_.shrink_to_fit();
  capacity_ = 0;
  dirty_ = true;
}

void TChartValueList::SetValue(Integer index, Double value) {
  if (index < 0 || index >= Count()) TList::Error(msg::ListIndexError, index);
  values_[static_cast<std::size_t>(index)] = value;
  dirty_ = true;
  if (owner_) owner_->NotifyValue(veModify, index);
}

Integer TChartValueList::Locate(Double value) const {
  for (Integer i = 0; i < Count(); ++i)
    if (values_[static_cast<std::size_t>(i)] == value) return i;
  return -1;
}

void TChartValueList::SwapValues(Integer index1, Integer index2) {
  if (index1 < 0 || index1 >= Count()) TList::Error(msg::ListIndexError, index1);
  if (index2 < 0 || index2 >= Count()) TList::Error(msg::ListIndexError, index2);
  std::swap(values_[static_cast<std::size_t>(index1)], values_[static_cast<std::size_t>(index2)]);
  dirty_ = true;
  if (owner_) owner_->NotifyValue(veModify, index1);
}

void TChartValueList::FillWithIndices() {
  for (Integer i = 0; i < Count(); ++i) values_[static_cast<std::size_t>(i)] = static_cast<Double>(i);
  dirty_ = true;
  if (owner_) owner_->NotifyValue(veModify, 0);
}

void TChartValueList::RotateFirstToEnd() {
  if (Count() < 2) return;
  std::rotate(values_.begin(), values_.begin() + 1, values_.end());
}

Integer TChartValueList::CompareAt(Integer index1, Integer index2) const {
  const Double a = values_[static_cast<std::size_t>(index1)];
  const Double b = values_[static_cast<std::size_t>(index2)];
  Integer r = a < b ? -1 : (a > b ? 1 : 0);
  if (order_ == loDescending) r = -r;
  return r;
}

void TChartValueList::Sort() {
  if (order_ == loNone) return;
  SortByCallbacks(
      0, Count() - 1, [this](Integer a, Integer b) { return CompareAt(a, b); },
      [this](Integer a, Integer b) {
        // Each exchange moves the whole point, so the other lists stay in step.
        if (owner_)
          owner_->SwapPoints(a, b);
        else
          SwapValues(a, b);
      });
}

void TChartValueList::RefreshStatistics() {
  if (Count() > 0) {
    const Double* v = values_.data();
    lowest_ = highest_ = sum_ = v[0];
    sumOfAbsolutes_ = std::fabs(v[0]);
    for (Integer i = 1; i < Count(); ++i) {
      const Double x = v[i];
      if (x < lowest_)
        lowest_ = x;
      else if (x > highest_)
        highest_ = x;
      sum_ += x;
      sumOfAbsolutes_ += std::fabs(x);
    }
  } else {
    lowest_ = highest_ = sum_ = sumOfAbsolutes_ = 0;
  }
  dirty_ = false;
}

Double TChartValueList::Highest() {
  if (dirty_) RefreshStatistics();
  return highest_;
}

Double TChartValueList::Lowest() {
  if (dirty_) RefreshStatistics();
  return lowest_;
}

Double TChartValueList::Sum() {
  if (dirty_) RefreshStatistics();
  return sum_;
}

Double TChartValueList::SumOfAbsolutes() {
  if (dirty_) RefreshStatistics();
  return sumOfAbsolutes_;
}

void TChartValueList::SetDateTime(bool value) {
  if (dateTime_ == value) return;
  dateTime_ = value;
  if (owner_) owner_->Repaint();
}

void TChartValueList::SetValueSource(const std::string& value) {
  if (valueSource_ == value) return;
  valueSource_ = value;
  if (owner_) owner_->CheckDataSource();
}

// ---- TChartValueLists ------------------------------------------------------------------

const TClass& TChartValueLists::StaticClass() {
  static const TClass cls = TClass::Of<TChartValueLists>("TChartValueLists", TList::StaticClass());
  return cls;
}

TChartValueLists::~TChartValueLists() { Clear(); }

void TChartValueLists::Clear() {
  while (Count() > 0) {
    const Integer last = Count() - 1;
    TChartValueList* list = Get(last);
    TList::Delete(last);
    if (list) {
      list->lists_ = nullptr;
      delete list;
    }
  }
  TList::Clear();
}
