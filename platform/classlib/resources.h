#pragma once
// Resources embedded in the module at build time (form files, bitmaps, cursors, the
// help text), found by name and type.
//
// Names and types compare without regard to case. Types are strings such as
// "RT_RCDATA"; a resource with an integer id is named "#<id>" (MakeIntResource).
// The build adds them with qm_embed_resources() (cmake/EmbedResources.cmake), whose
// generated source registers them while the module is initialised.
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classlib/types.h"

inline constexpr const char* RT_CURSOR = "RT_CURSOR";
inline constexpr const char* RT_BITMAP = "RT_BITMAP";
inline constexpr const char* RT_ICON = "RT_ICON";
inline constexpr const char* RT_RCDATA = "RT_RCDATA";

struct ResourceData {
  const Byte* Data = nullptr;
  std::size_t Size = 0;
  explicit operator bool() const { return Data != nullptr; }
};

// The resource of that name and type; an empty ResourceData when there is none.
ResourceData FindResource(const std::string& name, const std::string& type);
// "#<id>", the name under which a resource with an integer id is found.
std::string MakeIntResource(Integer id);

// Registration, used by the generated sources. It lives in this header, inline, so a
// generated object needs nothing from a library archive and may sit anywhere on the
// link line; the table is shared by every object of the module.
namespace resource_detail {

struct Entry {
  const char* Name;
  const char* Type;
  const Byte* Data;
  std::size_t Size;
};

inline bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

inline std::vector<Entry>& Table() {
  static std::vector<Entry> table;
  return table;
}

// Registers the entries for the lifetime of the object; a name and type already known
// keep their first data (the same object linked twice registers twice).
class Registration {
 public:
  Registration(std::initializer_list<Entry> entries) : entries_(entries) {
    std::vector<Entry>& table = Table();
    for (const Entry& e : entries_) {
      bool known = false;
      for (const Entry& t : table)
        if (SameText(t.Name, e.Name) && SameText(t.Type, e.Type)) known = true;
      if (!known) table.push_back(e);
    }
  }
  // A module that is unloaded takes its entries with it.
  ~Registration() {
    std::vector<Entry>& table = Table();
    for (const Entry& e : entries_)
      for (auto it = table.begin(); it != table.end(); ++it)
        if (it->Data == e.Data) {
          table.erase(it);
          break;
        }
  }
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;

 private:
  std::vector<Entry> entries_;
};

}  // namespace resource_detail
