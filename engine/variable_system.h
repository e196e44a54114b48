#pragma once
// TVariableSystem: the owner of a set of keyframed curves, in creation order, which is
// also the order in which they are streamed. Base of particle systems, emitters and
// modifiers.
//
// Variable list record: the curve record of every curve in list order; no count, no
// header. A reader owns the same curves in the same order as the writer.
#include <memory>
#include <vector>

#include "engine/var_series.h"
#include "platform/classlib/object.h"
#include "platform/classlib/types.h"

class TRecordReader;
class TStream;

class TVariableSystem : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TVariableSystem();
  ~TVariableSystem() override;

  // A new curve with those modes and bounds and the keys (0, Default) and
  // (8192, Default), appended to the list and owned by it.
  TVarSeries* CreateVariable(Byte ClampMode, Byte XMode, Single Default, Single Min, Single Max);

  void SaveVariables(TStream& Stream) const;
  // Every record is read and checked before any curve changes: a bad one raises
  // EReadError and every curve keeps what it had.
  void LoadVariables(TStream& Stream);
  // The two halves of LoadVariables, for a reader that checks a larger record whole
  // before it changes anything: Count curve records read and checked, then applied in
  // list order (Records holds VariableCount of them).
  static std::vector<TCurveRecord> ReadVariables(TRecordReader& Reader, std::size_t Count);
  void ApplyVariables(const std::vector<TCurveRecord>& Records);

  Integer VariableCount() const { return static_cast<Integer>(variables_.size()); }
  // An index outside 0..VariableCount-1 raises EListError.
  TVarSeries* Variable(Integer Index) const;
  const std::vector<std::unique_ptr<TVarSeries>>& Variables() const { return variables_; }

 private:
  std::vector<std::unique_ptr<TVarSeries>> variables_;
};
