#include "platform/win/gdi_object.h"

#include <unordered_set>

namespace win {
namespace {
std::unordered_set<const GdiObject*>& LiveTable() {
  static std::unordered_set<const GdiObject*> table;
  return table;
}
}  // namespace

GdiObject::GdiObject(GdiKind k) : kind(k) { LiveTable().insert(this); }
GdiObject::~GdiObject() { LiveTable().erase(this); }

bool IsLiveObject(const GdiObject* h) { return h && LiveTable().count(h) != 0; }
bool IsLiveObject(const GdiObject* h, GdiKind k) { return IsLiveObject(h) && h->kind == k; }

int LiveObjectCount() {
  int n = 0;
  for (const GdiObject* o : LiveTable())
    if (!o->stock) ++n;
  return n;
}

}  // namespace win
