#pragma once
// Reading the text form layout into components.
//
//   object Form1: TForm1                 the root; "inherited" in a derived form
//     Caption = 'It''s'#13#10'done'      strings: quotes doubled, #codes, '+' across lines
//     Left = -8                          integers, also $hex
//     Ratio = 1.5E-3                     floats (a suffix s, c or d is accepted)
//     Align = alClient                   identifiers: enumerations, True/False, nil,
//     Partner = Form2.Button1            component references, event handler names
//     Font.Style = [fsBold, fsItalic]    sets; dotted names reach sub-objects
//     Items.Strings = ( 'a' 'b' )        lists (what DefineProperties stores)
//     Columns = < item Width = 5 end >   collections
//     Bitmap.Data = { 0A0B0C... }        binary data of DefineBinaryProperty, hex over lines
//     object Button1: TButton            owned components, children of a parent nested inside
//     end
//   end
//
// Reading happens in two steps. The whole text is parsed first (ParseFormText): a
// malformed text raises EParserError "<what> on line <n>" before any component exists.
// The tree is then applied to the root: every component is created through the class
// registry with the root as owner (an "inline" component owns what is nested in it),
// named, put under its enclosing component when it HasParent, and its properties are set
// by name while it is csLoading and csReading. Events bind to the published methods of
// the root (of the inline component inside one) by name. Component references are fixed
// once everything is read, so they may point forward; a reference is never a string, so a
// string under a reference's name goes to the object's own defined property of that name
// when it has one (a component that stores some targets by a string of its own and others
// by reference keeps one name for both). Last, Loaded is called on the root
// and on every component read, in the order they were read (a parent before its
// children), and csLoading is cleared.
//
// Errors while applying raise EReadError "Error reading <component>.<property>: <why> on
// line <n>", EClassNotFound "Class <name> not found on line <n>", or EReadError for a
// missing ancestor component, an unresolved reference or a root of another class.
//
// A failed read leaves nothing half-built behind: ReadComponentText frees the new root
// with everything in it; reading into an existing root (TFormReader, ReadComponentRes,
// InitInheritedComponent) frees every component created during the read, clears the
// loading states, applies no reference; property values already set on the root and on
// components that existed before stay set.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classlib/component.h"
#include "platform/classlib/form_lexer.h"
#include "platform/classlib/persistent.h"
#include "platform/classlib/properties.h"

class TCollection;
class TCollectionItem;
struct TFormItem;

// One value of a property.
struct TFormValue {
  enum Kind { fvInteger, fvFloat, fvString, fvIdent, fvSet, fvList, fvCollection, fvBinary };
  Kind kind = fvInteger;
  int line = 0;
  Int64 integer = 0;
  Double real = 0;
  std::string text;                 // string, identifier (maybe dotted) or binary bytes
  std::vector<std::string> idents;  // set elements
  std::vector<TFormValue> items;    // list
  std::vector<TFormItem> entries;   // collection items
};

struct TFormProperty {
  std::string name;  // maybe dotted: "Font.Name"
  TFormValue value;
  int line = 0;
};

struct TFormItem {
  std::vector<TFormProperty> properties;
  int line = 0;
};

struct TFormObject {
  enum Kind { foObject, foInherited, foInline };
  Kind kind = foObject;
  std::string name;  // may be empty
  std::string className;
  std::vector<TFormProperty> properties;
  std::vector<TFormObject> children;
  int line = 0;
};

// Nesting of objects, lists and collections beyond this is refused.
inline constexpr int kMaxFormNesting = 64;

// The whole text as one tree; raises EParserError with the line.
TFormObject ParseFormText(std::string_view text);

// Reads form descriptions into an existing root. Read may be called for several trees in
// turn (an ancestor's form, then the derived one's); EndLoading then fixes references
// and calls Loaded once on each component. Destroying the reader before EndLoading has
// succeeded undoes the read (see above).
//
// During Read it is the filer that DefineProperties of the objects being read sees:
// the read procs pull the stored values through the TReader operations.
class TFormReader : public TReader {
 public:
  static const TClass& StaticClass();
  const TClass& ClassType() const override { return StaticClass(); }

  explicit TFormReader(TComponent* root);
  ~TFormReader() override;

  TComponent* Root() const { return root_; }
  // The root's header must name its class or one of its ancestors.
  void Read(const TFormObject& tree);
  void EndLoading();

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
  struct Context;
  struct Fixup;
  struct ValueCursor {
    const TFormValue* values;
    std::size_t count;
    std::size_t pos;
  };

  void ReadRoot(const TFormObject& tree);
  void ReadObject(const TFormObject& node, TComponent* enclosing, const Context& context);
  void ReadProperties(TObject* instance, const std::vector<TFormProperty>& properties, const Context& context,
                      const std::string& prefix);
  void ReadProperty(TObject* instance, const TFormProperty& prop, const Context& context,
                    const std::string& prefix);
  void SetPropValue(TObject* instance, const TPropInfo& info, const TFormValue& value, const Context& context,
                    const std::string& path);
  void ReadCollection(TCollection* collection, const TFormValue& value, const Context& context,
                      const std::string& path);
  // False when `instance` defines no property `name` and it is not `required` (raises then).
  bool ReadDefinedProperty(TPersistent* instance, const std::string& name, const TFormValue& value, bool required);
  void Loading(TComponent* component);
  void Rollback();
  const TFormValue& NextValue(TFormValue::Kind kind);

  TComponent* root_;
  bool finished_ = false;
  std::vector<TComponent*> created_;          // in creation order
  std::vector<TComponent*> createdOwners_;    // the owner each was created with
  std::vector<TComponent*> loaded_;           // Loaded order
  std::vector<std::unique_ptr<Fixup>> fixups_;
  std::vector<TCollectionItem*> itemStack_;   // collection items being read

  // DefineProperties matching.
  const std::string* definedName_ = nullptr;
  bool definedMatched_ = false;
  std::vector<ValueCursor> cursors_;
};

// A new component tree from form text; the root's class comes from the header through the
// class registry. The caller owns the result.
std::unique_ptr<TComponent> ReadComponentText(std::string_view text);
// Reads form text into an existing root.
void ReadComponentTextInto(std::string_view text, TComponent* root);

// Components named in dotted references to other roots ("Form2.Button1") are found
// through these finders, in the order they were registered (the screen's forms, ...).
using TFindGlobalComponent = TComponent* (*)(std::string_view name);
void RegisterFindGlobalComponentProc(TFindGlobalComponent proc);
void UnregisterFindGlobalComponentProc(TFindGlobalComponent proc);
TComponent* FindGlobalComponent(std::string_view name);

// The published method a form bound to the event `prop` of `instance` by name, or "" when
// the event was not bound by a form read (or was cleared by one since). Events hold only a
// callable, so this record is what lets the writer store them again; it is forgotten when
// the component that was read goes away.
std::string BoundMethodName(TObject* instance, const TPropInfo& prop);
