#include "platform/classlib/persistent.h"

#include <limits>

#include "platform/classlib/properties.h"
#include "platform/classlib/streams.h"

// ---- TPersistent -------------------------------------------------------------------

const TClass& TPersistent::StaticClass() {
  static const TClass cls = TClass::Of<TPersistent>("TPersistent", TObject::StaticClass());
  return cls;
}

void TPersistent::Assign(TPersistent* source) {
  if (source)
    source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) { dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* source) {
  std::string sourceName = source ? source->ClassName() : std::string("nil");
  throw CreateFmt<EConvertError>("Cannot assign a %s to a %s", sourceName, ClassName());
}

void TPersistent::DefineProperties(TFiler*) {}

void TPersistent::KeepDefaults() {
  auto kept = std::make_unique<std::vector<std::pair<const TPropInfo*, TPropDefault>>>();
  const auto& props = GetPropList(ClassType());
  // One block for the list: every chart series keeps its sub-objects' defaults.
  kept->reserve(props.size());
  for (const TPropInfo* p : props) {
    // A property without a default is always stored, and stays so.
    if (p->ReadOnly() || std::holds_alternative<std::monostate>(p->Default)) continue;
    if (p->IsOrdinal())
      kept->emplace_back(p, p->GetOrd(this));
    else if (p->Kind == pkFloat)
      kept->emplace_back(p, p->GetFloat(this));
    else if (p->Kind == pkString)
      kept->emplace_back(p, p->GetStr(this));
  }
  kept_ = std::move(kept);
}

const TPropDefault* TPersistent::KeptDefault(const TPropInfo& prop) const {
  if (!kept_) return nullptr;
  for (const auto& [p, value] : *kept_)
    if (p == &prop) return &value;
  return nullptr;
}

std::string TPersistent::GetNamePath() {
  std::string result = ClassName();
  if (TPersistent* owner = GetOwner()) {
    std::string ownerPath = owner->GetNamePath();
    if (!ownerPath.empty()) result = ownerPath + "." + result;
  }
  return result;
}

// ---- filer interfaces --------------------------------------------------------------

std::string WriteBinaryData(const TStreamProc& writeData) {
  TMemoryStream stream;
  writeData(stream);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.Size()));
}

void ReadBinaryData(const std::string& bytes, const TStreamProc& readData) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  stream.SetPosition(0);
  readData(stream);
}

const TClass& TFiler::StaticClass() {
  static const TClass cls = TClass::Of<TFiler>("TFiler", TObject::StaticClass());
  return cls;
}

const TClass& TReader::StaticClass() {
  static const TClass cls = TClass::Of<TReader>("TReader", TFiler::StaticClass());
  return cls;
}

const TClass& TWriter::StaticClass() {
  static const TClass cls = TClass::Of<TWriter>("TWriter", TFiler::StaticClass());
  return cls;
}

std::vector<std::string> TReader::ReadStrings() {
  std::vector<std::string> values;
  ReadListBegin();
  while (!EndOfList()) values.push_back(ReadString());
  ReadListEnd();
  return values;
}

void TWriter::WriteStrings(const std::vector<std::string>& values) {
  WriteListBegin();
  for (const std::string& v : values) WriteString(v);
  WriteListEnd();
}

// ---- TMemoryWriter -----------------------------------------------------------------

const TClass& TMemoryWriter::StaticClass() {
  static const TClass cls = TClass::Of<TMemoryWriter>("TMemoryWriter", TWriter::StaticClass());
  return cls;
}

void TMemoryWriter::WriteProperties(TPersistent* instance) {
  if (instance) instance->DefineProperties(this);
}

void TMemoryWriter::DefineProperty(const std::string& name, TReaderProc, TWriterProc writeData, bool hasData) {
  if (!hasData || !writeData) return;
  data_.push_back(TFilerProperty{name, {}});
  current_ = &data_.back();
  openLists_ = 0;
  try {
    writeData(*this);
  } catch (...) {
    current_ = nullptr;
    data_.pop_back();
    throw;
  }
  current_ = nullptr;
  if (openLists_ != 0) {
    data_.pop_back();
    throw EWriteError(msg::WriteError);
  }
}

void TMemoryWriter::DefineBinaryProperty(const std::string& name, TStreamProc, TStreamProc writeData,
                                         bool hasData) {
  if (!hasData || !writeData) return;
  TFilerValue v;
  v.kind = TFilerValue::vaBinary;
  v.text = WriteBinaryData(writeData);
  data_.push_back(TFilerProperty{name, {std::move(v)}});
}

TFilerProperty& TMemoryWriter::Current() {
  // Values are written only from inside a DefineProperty writer proc.
  if (!current_) throw EWriteError(msg::WriteError);
  return *current_;
}

TFilerValue& TMemoryWriter::Append(TFilerValue::Kind kind) {
  TFilerValue& v = Current().values.emplace_back();
  v.kind = kind;
  return v;
}

void TMemoryWriter::WriteInteger(Int64 value) { Append(TFilerValue::vaInteger).integer = value; }

void TMemoryWriter::WriteFloat(Double value) { Append(TFilerValue::vaFloat).real = value; }

void TMemoryWriter::WriteString(const std::string& value) { Append(TFilerValue::vaString).text = value; }

void TMemoryWriter::WriteBoolean(bool value) { Append(TFilerValue::vaBoolean).integer = value ? 1 : 0; }

void TMemoryWriter::WriteIdent(const std::string& value) { Append(TFilerValue::vaIdent).text = value; }

void TMemoryWriter::WriteListBegin() {
  Append(TFilerValue::vaList);
  ++openLists_;
}

void TMemoryWriter::WriteListEnd() {
  if (openLists_ == 0) throw EWriteError(msg::WriteError);
  Append(TFilerValue::vaNull);
  --openLists_;
}

// ---- TMemoryReader -----------------------------------------------------------------

const TClass& TMemoryReader::StaticClass() {
  static const TClass cls = TClass::Of<TMemoryReader>("TMemoryReader", TReader::StaticClass());
  return cls;
}

TMemoryReader::TMemoryReader(TFilerData data) : data_(std::move(data)) {}

void TMemoryReader::ReadProperties(TPersistent* instance) {
  if (!instance) return;
  for (const TFilerProperty& prop : data_) {
    current_ = &prop;
    pos_ = 0;
    matched_ = false;
    try {
      instance->DefineProperties(this);
    } catch (...) {
      current_ = nullptr;
      throw;
    }
    current_ = nullptr;
    if (!matched_) throw CreateFmt<EReadError>(msg::UnknownProperty, prop.name);
    // A reader that leaves values behind has misread the property.
    if (pos_ != prop.values.size()) throw EReadError(msg::InvalidPropertyValue);
  }
}

void TMemoryReader::DefineProperty(const std::string& name, TReaderProc readData, TWriterProc, bool) {
  if (!current_ || matched_ || !readData || !SameIdent(name, current_->name)) return;
  matched_ = true;
  readData(*this);
}

void TMemoryReader::DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc, bool) {
  if (!current_ || matched_ || !readData || !SameIdent(name, current_->name)) return;
  matched_ = true;
  ReadBinaryData(Next(TFilerValue::vaBinary).text, readData);
}

const TFilerValue& TMemoryReader::Next(TFilerValue::Kind kind) {
  if (!current_ || !matched_ || pos_ >= current_->values.size()) throw EReadError(msg::ReadError);
  const TFilerValue& v = current_->values[pos_];
  if (v.kind != kind) throw EReadError(msg::InvalidPropertyValue);
  ++pos_;
  return v;
}

Integer TMemoryReader::ReadInteger() {
  Int64 v = Next(TFilerValue::vaInteger).integer;
  if (v < std::numeric_limits<Integer>::min() || v > std::numeric_limits<Integer>::max()) {
    --pos_;
    throw EReadError(msg::InvalidPropertyValue);
  }
  return static_cast<Integer>(v);
}

Int64 TMemoryReader::ReadInt64() { return Next(TFilerValue::vaInteger).integer; }

Double TMemoryReader::ReadFloat() {
  if (current_ && matched_ && pos_ < current_->values.size() &&
      current_->values[pos_].kind == TFilerValue::vaInteger)
    return static_cast<Double>(Next(TFilerValue::vaInteger).integer);
  return Next(TFilerValue::vaFloat).real;
}

std::string TMemoryReader::ReadString() { return Next(TFilerValue::vaString).text; }

bool TMemoryReader::ReadBoolean() { return Next(TFilerValue::vaBoolean).integer != 0; }

std::string TMemoryReader::ReadIdent() {
  if (current_ && matched_ && pos_ < current_->values.size() &&
      current_->values[pos_].kind == TFilerValue::vaBoolean)
    return Next(TFilerValue::vaBoolean).integer ? "True" : "False";
  return Next(TFilerValue::vaIdent).text;
}

void TMemoryReader::ReadListBegin() { Next(TFilerValue::vaList); }

void TMemoryReader::ReadListEnd() { Next(TFilerValue::vaNull); }

bool TMemoryReader::EndOfList() {
  if (!current_ || !matched_ || pos_ >= current_->values.size()) return true;
  return current_->values[pos_].kind == TFilerValue::vaNull;
}
