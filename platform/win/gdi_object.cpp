#include "platform/win/gdi_object.h"

#include <unordered_set>

namespace win {
namespace {
std::unordered_set<const GdiObject*>& LiveTable() {
  static std::unordered_set<const GdiObject*> table;
  return table;
}

// The objects found live most recently: drawing checks the same DC, pen and brush call
// after call, and a hash lookup costs a division and a walk to a scattered node. An
// object leaves it when it dies, so it never names a dead one.
struct RecentLive {
  static constexpr std::size_t kSize = 4;
  const GdiObject* slots[kSize] = {};
  std::size_t next = 0;

  bool Has(const GdiObject* h) const {
    for (const GdiObject* s : slots)
      if (s == h) return true;
    return false;
  }
  void Add(const GdiObject* h) {
    slots[next] = h;
    next = (next + 1) % kSize;
  }
  void Forget(const GdiObject* h) {
    for (const GdiObject*& s : slots)
      if (s == h) s = nullptr;
  }
};

// Constant-initialised and trivially destroyed: objects that die at exit may still use it.
constinit RecentLive recent;
}  // namespace

GdiObject::GdiObject(GdiKind k) : kind(k) { LiveTable().insert(this); }
GdiObject::~GdiObject() {
  recent.Forget(this);
  LiveTable().erase(this);
}

bool IsLiveObject(const GdiObject* h) {
  if (!h) return false;
  if (recent.Has(h)) return true;
  if (LiveTable().count(h) == 0) return false;
  recent.Add(h);
  return true;
}
bool IsLiveObject(const GdiObject* h, GdiKind k) { return IsLiveObject(h) && h->kind == k; }

int LiveObjectCount() {
  int n = 0;
  for (const GdiObject* o : LiveTable())
    if (!o->stock) ++n;
  return n;
}

}  // namespace win
