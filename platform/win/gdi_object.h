#pragma once
// Base of every GDI object and the table of live objects.
#include "platform/win/handles.h"

namespace win {

enum class GdiKind { Pen, ExtPen, Brush, Font, Bitmap, Palette, Region, MemDC, DC };

struct GdiObject {
  explicit GdiObject(GdiKind k);
  virtual ~GdiObject();
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  GdiKind kind;
  bool stock = false;      // stock objects are never deleted
  int selectedCount = 0;   // DCs that have it selected; DeleteObject refuses while > 0
};

// True while `h` names a live object (of kind `k` when given).
bool IsLiveObject(const GdiObject* h);
bool IsLiveObject(const GdiObject* h, GdiKind k);
// Number of live, non-stock objects: tests use it to find leaks.
int LiveObjectCount();

}  // namespace win
