#pragma once
// Writing a component tree in the text form layout that form_reader.h reads, so that
// reading what was written gives the same tree.
//
// Written for a component: its published properties that are stored (IsStoredProp),
// writable and not at their declared default, in declaration order: ordinals, floats and
// strings as values, owned sub-objects as dotted properties ("Font.Name = 'Arial'"),
// collections that hold items as "< item ... end >", component references by name ("Owner.Name" for a
// component of another root), events by the method name a form bound them to
// (BoundMethodName); then what its DefineProperties stores (lists, binary data as hex of
// 32 bytes a line); then the components its GetChildren lists, nested. Components in
// the csInline state are written as "inline" and name their own children and methods.
//
// The text uses CR LF line ends and two blanks of indentation a level; strings are
// split into pieces of 64 characters joined by '+', characters outside printable ASCII
// are written as #codes. A value the layout cannot hold (a NaN, an enumeration value
// without a name) raises EWriteError naming the property.
#include <string>
#include <vector>

#include "platform/classlib/component.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/persistent.h"

class TFormWriter : public TWriter {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  TFormWriter() = default;

  // The tree of `root` and of the components it lists through GetChildren.
  TFormObject WriteRoot(TComponent* root);

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
  TFormObject WriteComponent(TComponent* component, TComponent* root, int depth);
  void WriteProperties(TObject* instance, const std::string& prefix, TComponent* root,
                       std::vector<TFormProperty>& out, int depth);
  bool WriteProperty(TObject* instance, const TPropInfo& info, const std::string& name, TComponent* root,
                     std::vector<TFormProperty>& out, int depth);
  TFormValue CollectionValue(TObject* collection, TComponent* root, int depth);
  void Push(TFormValue value);
  [[noreturn]] void Fail(const std::string& name, const std::string& why) const;

  std::string label_;  // component being written, for messages
  // DefineProperties output.
  std::vector<TFormProperty>* definedOut_ = nullptr;
  std::string definedPrefix_;
  std::string definedName_;  // the one being written
  std::vector<std::vector<TFormValue>*> lists_;
};

// The text of a tree.
std::string FormObjectToText(const TFormObject& tree);
// The text of a component tree.
std::string WriteComponentText(TComponent* root);
