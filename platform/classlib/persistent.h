#pragma once
// TPersistent: objects that can be assigned to each other and that store extra data
// through a filer (DefineProperties). TFiler is the filer's interface; TReader and
// TWriter are its two directions, implemented over form text by the form reader and
// in memory by TMemoryWriter/TMemoryReader below.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/classlib/object.h"
#include "platform/classlib/properties.h"
#include "platform/classlib/types.h"

class TStream;
class TFiler;
class TReader;
class TWriter;

class TPersistent : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Copies `source` into this object. The base asks the source to AssignTo this one and
  // raises EConvertError "Cannot assign a %s to a %s" when neither knows the other.
  virtual void Assign(TPersistent* source);
  // Stores data that is not a published property (binary blobs, lists, ...).
  virtual void DefineProperties(TFiler* filer);
  virtual TPersistent* GetOwner() { return nullptr; }
  // "Form1.Button1.Font"-like path used in messages.
  virtual std::string GetNamePath();

  // The published values this object holds now become its defaults. An owner whose
  // constructor sets a sub-object up otherwise than the sub-object's class does calls it
  // once set up, so that a form stores what differs from that and the reader, which builds
  // the owner the same way, gets back every value.
  virtual void KeepDefaults();
  // The default KeepDefaults recorded for the property; null when none was.
  const TPropDefault* KeptDefault(const TPropInfo& prop) const;

 protected:
  virtual void AssignTo(TPersistent* dest);
  [[noreturn]] void AssignError(TPersistent* source);

 private:
  std::unique_ptr<std::vector<std::pair<const TPropInfo*, TPropDefault>>> kept_;
};

using TReaderProc = std::function<void(TReader& reader)>;
using TWriterProc = std::function<void(TWriter& writer)>;
using TStreamProc = std::function<void(TStream& stream)>;

// The bytes a binary property's writer proc puts out, as every filer stores them.
std::string WriteBinaryData(const TStreamProc& writeData);
// Hands stored bytes to a binary property's reader proc, as a stream at its start.
void ReadBinaryData(const std::string& bytes, const TStreamProc& readData);

class TFiler : public TObject {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // A scalar or list value stored under `name`; written only when hasData is true.
  virtual void DefineProperty(const std::string& name, TReaderProc readData, TWriterProc writeData,
                              bool hasData) = 0;
  // A binary blob stored under `name`; written only when hasData is true.
  virtual void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                                    bool hasData) = 0;

  // The object being compared against when only differences are stored; none here.
  TPersistent* Ancestor() const { return ancestor_; }
  void SetAncestor(TPersistent* a) { ancestor_ = a; }

 private:
  TPersistent* ancestor_ = nullptr;
};

// Reading side: DefineProperties procs pull values in the order they were written.
// A value of another type raises EReadError "Invalid property value".
class TReader : public TFiler {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  virtual Integer ReadInteger() = 0;
  virtual Int64 ReadInt64() = 0;
  virtual Double ReadFloat() = 0;
  virtual std::string ReadString() = 0;
  virtual bool ReadBoolean() = 0;
  virtual std::string ReadIdent() = 0;
  virtual void ReadListBegin() = 0;
  virtual void ReadListEnd() = 0;
  virtual bool EndOfList() = 0;
  // A list of strings, as WriteStrings stores it.
  std::vector<std::string> ReadStrings();
};

class TWriter : public TFiler {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  virtual void WriteInteger(Int64 value) = 0;
  virtual void WriteFloat(Double value) = 0;
  virtual void WriteString(const std::string& value) = 0;
  virtual void WriteBoolean(bool value) = 0;
  virtual void WriteIdent(const std::string& value) = 0;
  virtual void WriteListBegin() = 0;
  virtual void WriteListEnd() = 0;
  void WriteStrings(const std::vector<std::string>& values);
};

// One stored value of the in-memory filer.
struct TFilerValue {
  enum Kind { vaInteger, vaFloat, vaString, vaBoolean, vaIdent, vaList, vaNull /* end of list */, vaBinary };
  Kind kind = vaNull;
  Int64 integer = 0;
  Double real = 0;
  std::string text;  // string, identifier, or the bytes of a binary blob
};

struct TFilerProperty {
  std::string name;
  std::vector<TFilerValue> values;
};

using TFilerData = std::vector<TFilerProperty>;

// Collects what an object's DefineProperties writes, property by property.
class TMemoryWriter : public TWriter {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  // Appends the defined properties of `instance` to Data().
  void WriteProperties(TPersistent* instance);
  const TFilerData& Data() const { return data_; }

  void DefineProperty(const std::string& name, TReaderProc readData, TWriterProc writeData,
                      bool hasData) override;
  void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                            bool hasData) override;
  void WriteInteger(Int64 value) override;
  void WriteFloat(Double value) override;
  void WriteString(const std::string& value) override;
  void WriteBoolean(bool value) override;
  void WriteIdent(const std::string& value) override;
  void WriteListBegin() override;
  void WriteListEnd() override;

 private:
  TFilerProperty& Current();
  // A new value of `kind` at the end of the current property.
  TFilerValue& Append(TFilerValue::Kind kind);

  TFilerData data_;
  TFilerProperty* current_ = nullptr;
  int openLists_ = 0;
};

// Feeds stored properties back: for each stored property the instance's
// DefineProperties is asked again and the matching proc reads the values.
// A stored property nobody defines raises EReadError "Property %s does not exist";
// a proc that leaves values unread or reads past them raises EReadError.
class TMemoryReader : public TReader {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TMemoryReader(TFilerData data);
  void ReadProperties(TPersistent* instance);

  void DefineProperty(const std::string& name, TReaderProc readData, TWriterProc writeData,
                      bool hasData) override;
  void DefineBinaryProperty(const std::string& name, TStreamProc readData, TStreamProc writeData,
                            bool hasData) override;
  Integer ReadInteger() override;
  Int64 ReadInt64() override;
  Double ReadFloat() override;
  std::string ReadString() override;
  bool ReadBoolean() override;
  std::string ReadIdent() override;
  void ReadListBegin() override;
  void ReadListEnd() override;
  bool EndOfList() override;

 private:
  const TFilerValue& Next(TFilerValue::Kind kind);

  TFilerData data_;
  const TFilerProperty* current_ = nullptr;  // property being matched, cleared once read
  std::size_t pos_ = 0;
  bool matched_ = false;
};
