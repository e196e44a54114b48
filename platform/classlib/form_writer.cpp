#include "platform/classlib/form_writer.h"

#include <charconv>
#include <cmath>

#include "platform/classlib/collection.h"

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr std::size_t kStringPiece = 64;  // characters of a string a line
constexpr std::size_t kBinaryLine = 32;   // bytes of binary data a line

// The shortest text that reads back as the same double, always with a point or an
// exponent so that it reads back as a float.
// The caller has refused values that are not finite.
std::string FloatText(Double value) {
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, value);
  std::string s(buf, result.ptr);
  std::size_t e = s.find('e');
  if (e != std::string::npos) {
    std::string mantissa = s.substr(0, e);
    std::string exponent = s.substr(e + 1);
    bool negative = !exponent.empty() && exponent[0] == '-';
    if (!exponent.empty() && (exponent[0] == '-' || exponent[0] == '+')) exponent.erase(0, 1);
    std::size_t nz = exponent.find_first_not_of('0');
    exponent = nz == std::string::npos ? "0" : exponent.substr(nz);
    s = mantissa + "E" + (negative ? "-" : "") + exponent;
  } else if (s.find('.') == std::string::npos) {
    s += ".0";
  }
  return s;
}

// Printable ASCII in quotes with the quote doubled, everything else as #codes.
std::string QuotePiece(std::string_view text) {
  if (text.empty()) return "''";
  std::string out;
  bool quoted = false;
  for (char ch : text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 32 && c < 127) {
      if (!quoted) out += '\'';
      quoted = true;
      if (c == '\'') out += '\'';
      out += ch;
    } else {
      if (quoted) out += '\'';
      quoted = false;
      out += '#';
      out += std::to_string(c);
    }
  }
  if (quoted) out += '\'';
  return out;
}

std::string Spaces(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

void EmitValue(std::string& out, const TFormValue& v, int indent, bool atLineStart);
void EmitProperty(std::string& out, const TFormProperty& p, int indent);

// A long string continues on the following lines, one piece each, joined by '+'.
void EmitString(std::string& out, const std::string& text, int indent, bool atLineStart) {
  if (text.size() <= kStringPiece) {
    out += QuotePiece(text);
    return;
  }
  int pieceIndent = indent;
  if (!atLineStart) {
    out += kLineEnd;
    pieceIndent = indent + 2;
    out += Spaces(pieceIndent);
  }
  for (std::size_t pos = 0; pos < text.size(); pos += kStringPiece) {
    if (pos > 0) {
      out += " +";
      out += kLineEnd;
      out += Spaces(pieceIndent);
    }
    out += QuotePiece(std::string_view(text).substr(pos, kStringPiece));
  }
}

void EmitValue(std::string& out, const TFormValue& v, int indent, bool atLineStart) {
  switch (v.kind) {
    case TFormValue::fvInteger:
      out += std::to_string(v.integer);
      return;
    case TFormValue::fvFloat:
      out += FloatText(v.real);
      return;
    case TFormValue::fvString:
      EmitString(out, v.text, indent, atLineStart);
      return;
    case TFormValue::fvIdent:
      out += v.text;
      return;
    case TFormValue::fvSet:
      out += '[';
      for (std::size_t i = 0; i < v.idents.size(); ++i) {
        if (i > 0) out += ", ";
        out += v.idents[i];
      }
      out += ']';
      return;
    case TFormValue::fvList:
      out += '(';
      for (const TFormValue& item : v.items) {
        out += kLineEnd;
        out += Spaces(indent + 2);
        EmitValue(out, item, indent + 2, true);
      }
      out += ')';
      return;
    case TFormValue::fvCollection:
      out += '<';
      for (const TFormItem& item : v.entries) {
        out += kLineEnd;
        out += Spaces(indent + 2);
        out += "item";
        out += kLineEnd;
        for (const TFormProperty& p : item.properties) EmitProperty(out, p, indent + 4);
        out += Spaces(indent + 2);
        out += "end";
      }
      out += '>';
      return;
    case TFormValue::fvBinary: {
      static const char* const kHex = "0123456789ABCDEF";
      out += '{';
      for (std::size_t pos = 0; pos < v.text.size(); pos += kBinaryLine) {
        out += kLineEnd;
        out += Spaces(indent + 2);
        for (std::size_t i = pos; i < v.text.size() && i < pos + kBinaryLine; ++i) {
          unsigned char c = static_cast<unsigned char>(v.text[i]);
          out += kHex[c >> 4];
          out += kHex[c & 15];
        }
      }
      out += '}';
      return;
    }
  }
}

void EmitProperty(std::string& out, const TFormProperty& p, int indent) {
  out += Spaces(indent);
  out += p.name;
  out += " = ";
  EmitValue(out, p.value, indent, false);
  out += kLineEnd;
}

void EmitObject(std::string& out, const TFormObject& obj, int indent) {
  out += Spaces(indent);
  switch (obj.kind) {
    case TFormObject::foObject:
      out += "object ";
      break;
    case TFormObject::foInherited:
      out += "inherited ";
      break;
    case TFormObject::foInline:
      out += "inline ";
      break;
  }
  if (!obj.name.empty()) out += obj.name + ": ";
  out += obj.className;
  out += kLineEnd;
  for (const TFormProperty& p : obj.properties) EmitProperty(out, p, indent + 2);
  for (const TFormObject& child : obj.children) EmitObject(out, child, indent + 2);
  out += Spaces(indent);
  out += "end";
  out += kLineEnd;
}

// How a reference to `target` is written from inside `root`: by name for the root and
// what it owns, "Owner.Name" for a component of another root; "" when it has no name.
std::string ReferenceName(TComponent* target, TComponent* root) {
  if (target->Name().empty()) return std::string();
  if (target == root || target->Owner() == root || !target->Owner()) return target->Name();
  if (target->Owner()->Name().empty()) return std::string();
  return target->Owner()->Name() + "." + target->Name();
}

TFormValue Value(TFormValue::Kind kind) {
  TFormValue v;
  v.kind = kind;
  return v;
}

}  // namespace

void TFormWriter::Fail(const std::string& name, const std::string& why) const {
  throw CreateFmt<EWriteError>("Error writing %s.%s: %s", label_, name, why);
}

const TClass& TFormWriter::StaticClass() {
  static const TClass cls = TClass::Of<TFormWriter>("TFormWriter", TWriter::StaticClass());
  return cls;
}

TFormObject TFormWriter::WriteRoot(TComponent* root) {
  if (!root) throw EInvalidOperation("A form is written from a component");
  return WriteComponent(root, root, 0);
}

TFormObject TFormWriter::WriteComponent(TComponent* component, TComponent* root, int depth) {
  if (depth > kMaxFormNesting) throw CreateFmt<EWriteError>("Error writing %s: Nesting too deep", component->Name());
  TFormObject obj;
  const bool isInline = component != root && component->ComponentState().Contains(csInline);
  obj.kind = isInline ? TFormObject::foInline : TFormObject::foObject;
  obj.name = component->Name();
  obj.className = component->ClassName();
  const std::string savedLabel = label_;
  label_ = obj.name.empty() ? obj.className : obj.name;
  component->IncludeState(csWriting);
  try {
    WriteProperties(component, std::string(), root, obj.properties, depth);
    TComponent* childRoot = isInline ? component : root;
    component->GetChildren(
        [&](TComponent* child) { obj.children.push_back(WriteComponent(child, childRoot, depth + 1)); }, childRoot);
  } catch (...) {
    component->ExcludeState(csWriting);
    label_ = savedLabel;
    throw;
  }
  component->ExcludeState(csWriting);
  label_ = savedLabel;
  return obj;
}

void TFormWriter::WriteProperties(TObject* instance, const std::string& prefix, TComponent* root,
                                  std::vector<TFormProperty>& out, int depth) {
  if (depth > 2 * kMaxFormNesting) Fail(prefix, "Nesting too deep");
  for (const TPropInfo* info : GetPropList(instance->ClassType())) {
    if (!IsStoredProp(instance, *info)) continue;
    WriteProperty(instance, *info, prefix + info->Name, root, out, depth);
  }
  auto* persistent = dynamic_cast<TPersistent*>(instance);
  if (!persistent) return;
  auto* savedOut = definedOut_;
  std::string savedPrefix = definedPrefix_;
  definedOut_ = &out;
  definedPrefix_ = prefix;
  try {
    persistent->DefineProperties(this);
  } catch (...) {
    definedOut_ = savedOut;
    definedPrefix_ = savedPrefix;
    throw;
  }
  definedOut_ = savedOut;
  definedPrefix_ = savedPrefix;
}

bool TFormWriter::WriteProperty(TObject* instance, const TPropInfo& info, const std::string& name, TComponent* root,
                                std::vector<TFormProperty>& out, int depth) {
  TFormProperty prop;
  prop.name = name;
  TFormValue& v = prop.value;
  switch (info.Kind) {
    case pkInteger:
    case pkChar:
    case pkBoolean:
    case pkEnumeration:
    case pkSet: {
      if (info.ReadOnly() || IsDefaultPropValue(instance, info)) return false;
      Int64 ord = GetOrdProp(instance, info);
      std::string named;
      if (info.Kind == pkInteger && info.IdentMap && info.IdentMap->IntToIdent(ord, named)) {
        v = Value(TFormValue::fvIdent);
        v.text = named;
      } else if (info.Kind == pkInteger) {
        v = Value(TFormValue::fvInteger);
        v.integer = ord;
      } else if (info.Kind == pkChar) {
        v = Value(TFormValue::fvString);
        v.text.assign(1, static_cast<char>(ord));
      } else if (info.Kind == pkSet) {
        if (!info.EnumInfo) Fail(name, msg::InvalidPropertyValue);
        v = Value(TFormValue::fvSet);
        for (int i = 0; i < 64; ++i) {
          if (!(static_cast<std::uint64_t>(ord) & (std::uint64_t{1} << i))) continue;
          std::string ident = info.EnumInfo->IdentOf(i);
          if (ident.empty()) Fail(name, msg::InvalidPropertyValue);
          v.idents.push_back(ident);
        }
      } else {
        std::string ident = info.EnumInfo ? info.EnumInfo->IdentOf(ord) : std::string();
        if (ident.empty()) Fail(name, msg::InvalidPropertyValue);
        v = Value(TFormValue::fvIdent);
        v.text = ident;
      }
      break;
    }
    case pkFloat:
      if (info.ReadOnly() || IsDefaultPropValue(instance, info)) return false;
      v = Value(TFormValue::fvFloat);
      v.real = GetFloatProp(instance, info);
      if (!std::isfinite(v.real)) Fail(name, "Invalid floating point value");
      break;
    case pkString:
      if (info.ReadOnly() || IsDefaultPropValue(instance, info)) return false;
      v = Value(TFormValue::fvString);
      v.text = GetStrProp(instance, info);
      break;
    case pkMethod: {
      if (info.ReadOnly() || !IsMethodPropAssigned(instance, info)) return false;
      // Only an event bound by name can be stored, and only to a method the root has.
      std::string method = BoundMethodName(instance, info);
      if (method.empty() || !FindMethod(root, method).Assigned()) return false;
      v = Value(TFormValue::fvIdent);
      v.text = method;
      break;
    }
    case pkComponent:
    case pkClass:
    case pkStrings:
    case pkCollection: {
      TObject* obj = GetObjectProp(instance, info);
      if (!obj) return false;
      if (auto* component = dynamic_cast<TComponent*>(obj)) {
        if (info.ReadOnly()) return false;
        std::string ref = ReferenceName(component, root);
        if (ref.empty()) return false;
        v = Value(TFormValue::fvIdent);
        v.text = ref;
        break;
      }
      if (info.Kind == pkComponent) return false;
      if (auto* collection = dynamic_cast<TCollection*>(obj)) {
        // Like an empty string list, an empty collection is not stored.
        if (collection->Count() == 0) return false;
        v = CollectionValue(obj, root, depth);
        break;
      }
      WriteProperties(obj, name + ".", root, out, depth + 1);
      return true;
    }
  }
  out.push_back(std::move(prop));
  return true;
}

TFormValue TFormWriter::CollectionValue(TObject* obj, TComponent* root, int depth) {
  auto* collection = static_cast<TCollection*>(obj);
  TFormValue v = Value(TFormValue::fvCollection);
  for (int i = 0; i < collection->Count(); ++i) {
    TFormItem item;
    WriteProperties(collection->Items(i), std::string(), root, item.properties, depth + 1);
    v.entries.push_back(std::move(item));
  }
  return v;
}

void TFormWriter::DefineProperty(const std::string& name, TReaderProc, TWriterProc writeData, bool hasData) {
  if (!hasData || !writeData || !definedOut_) return;
  std::vector<TFormValue> top;
  lists_.assign(1, &top);
  definedName_ = definedPrefix_ + name;
  try {
    writeData(*this);
  } catch (...) {
    lists_.clear();
    throw;
  }
  const bool complete = lists_.size() == 1 && top.size() == 1;
  lists_.clear();
  if (!complete) Fail(definedPrefix_ + name, msg::WriteError);
  TFormProperty prop;
  prop.name = definedPrefix_ + name;
  prop.value = std::move(top[0]);
  definedOut_->push_back(std::move(prop));
}

void TFormWriter::DefineBinaryProperty(const std::string& name, TStreamProc, TStreamProc writeData, bool hasData) {
  if (!hasData || !writeData || !definedOut_) return;
  std::string bytes = WriteBinaryData(writeData);
  TFormProperty prop;
  prop.name = definedPrefix_ + name;
  prop.value = Value(TFormValue::fvBinary);
  prop.value.text = std::move(bytes);
  definedOut_->push_back(std::move(prop));
}

void TFormWriter::Push(TFormValue value) {
  // Values are written only from inside a DefineProperty writer proc.
  if (lists_.empty()) throw EWriteError(msg::WriteError);
  lists_.back()->push_back(std::move(value));
}

void TFormWriter::WriteInteger(Int64 value) {
  TFormValue v = Value(TFormValue::fvInteger);
  v.integer = value;
  Push(std::move(v));
}

void TFormWriter::WriteFloat(Double value) {
  if (!std::isfinite(value)) Fail(definedName_, "Invalid floating point value");
  TFormValue v = Value(TFormValue::fvFloat);
  v.real = value;
  Push(std::move(v));
}

void TFormWriter::WriteString(const std::string& value) {
  TFormValue v = Value(TFormValue::fvString);
  v.text = value;
  Push(std::move(v));
}

void TFormWriter::WriteBoolean(bool value) { WriteIdent(value ? "True" : "False"); }

void TFormWriter::WriteIdent(const std::string& value) {
  // Anything else would not read back as one identifier.
  bool valid = !value.empty() && !(value[0] >= '0' && value[0] <= '9');
  for (char c : value) valid = valid && IsFormIdentChar(c);
  if (!valid) Fail(definedName_, msg::InvalidPropertyValue);
  TFormValue v = Value(TFormValue::fvIdent);
  v.text = value;
  Push(std::move(v));
}

void TFormWriter::WriteListBegin() {
  Push(Value(TFormValue::fvList));
  lists_.push_back(&lists_.back()->back().items);
}

void TFormWriter::WriteListEnd() {
  if (lists_.size() <= 1) throw EWriteError(msg::WriteError);
  lists_.pop_back();
}

std::string FormObjectToText(const TFormObject& tree) {
  std::string out;
  EmitObject(out, tree, 0);
  return out;
}

std::string WriteComponentText(TComponent* root) {
  TFormWriter writer;
  return FormObjectToText(writer.WriteRoot(root));
}
