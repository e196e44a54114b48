#include "engine/variable_system.h"

#include "platform/classlib/exceptions.h"
#include "platform/classlib/records.h"
#include "platform/classlib/streams.h"

const TClass& TVariableSystem::StaticClass() {
  static const TClass cls = TClass::Of<TVariableSystem>("TVariableSystem", TObject::StaticClass());
  return cls;
}

TVariableSystem::TVariableSystem() = default;

TVariableSystem::~TVariableSystem() = default;

TVarSeries* TVariableSystem::CreateVariable(Byte ClampMode, Byte XMode, Single Default, Single Min, Single Max) {
  auto curve = std::make_unique<TVarSeries>(XMode, ClampMode, Min, Max);
  curve->AddXY(0, Default);
  curve->AddXY(8192, Default);
  variables_.push_back(std::move(curve));
  return variables_.back().get();
}

TVarSeries* TVariableSystem::Variable(Integer Index) const {
  if (Index < 0 || Index >= VariableCount()) throw CreateFmt<EListError>(msg::ListIndexError, Index);
  return variables_[static_cast<std::size_t>(Index)].get();
}

void TVariableSystem::SaveVariables(TStream& Stream) const {
  for (const auto& curve : variables_) curve->SaveToStream(Stream);
}

void TVariableSystem::LoadVariables(TStream& Stream) {
  TRecordReader reader(Stream);
  ApplyVariables(ReadVariables(reader, variables_.size()));
}

std::vector<TCurveRecord> TVariableSystem::ReadVariables(TRecordReader& Reader, std::size_t Count) {
  std::vector<TCurveRecord> records;
  records.reserve(Count);
  for (std::size_t i = 0; i < Count; ++i) records.push_back(TCurveRecord::Read(Reader));
  return records;
}

void TVariableSystem::ApplyVariables(const std::vector<TCurveRecord>& Records) {
  for (std::size_t i = 0; i < variables_.size(); ++i) Records[i].ApplyTo(*variables_[i]);
}
