#include "platform/win/rect.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace win {

namespace {

LONG Saturated(std::int64_t v) {
  return static_cast<LONG>(std::clamp<std::int64_t>(v, std::numeric_limits<LONG>::min(),
                                                     std::numeric_limits<LONG>::max()));
}

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

}  // namespace

BOOL SetRect(RECT* rc, int left, int top, int right, int bottom) {
  if (!rc) return 0;
  *rc = RECT{left, top, right, bottom};
  return 1;
}

BOOL SetRectEmpty(RECT* rc) {
  if (!rc) return 0;
  *rc = RECT{};
  return 1;
}

BOOL CopyRect(RECT* dst, const RECT* src) {
  if (!dst || !src) return 0;
  *dst = *src;
  return 1;
}

BOOL InflateRect(RECT* rc, int dx, int dy) {
  if (!rc) return 0;
  *rc = RECT{Saturated(std::int64_t{rc->left} - dx), Saturated(std::int64_t{rc->top} - dy),
             Saturated(std::int64_t{rc->right} + dx), Saturated(std::int64_t{rc->bottom} + dy)};
  return 1;
}

BOOL OffsetRect(RECT* rc, int dx, int dy) {
  if (!rc) return 0;
  *rc = RECT{Saturated(std::int64_t{rc->left} + dx), Saturated(std::int64_t{rc->top} + dy),
             Saturated(std::int64_t{rc->right} + dx), Saturated(std::int64_t{rc->bottom} + dy)};
  return 1;
}

BOOL IntersectRect(RECT* dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return 0;
  const RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
               std::min(a->bottom, b->bottom)};
  if (Empty(*a) || Empty(*b) || Empty(r)) {
    *dst = RECT{};
    return 0;
  }
  *dst = r;
  return 1;
}

BOOL UnionRect(RECT* dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return 0;
  if (Empty(*a) && Empty(*b)) {
    *dst = RECT{};
    return 0;
  }
  if (Empty(*a)) {
    *dst = *b;
  } else if (Empty(*b)) {
    *dst = *a;
  } else {
    *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
                std::max(a->bottom, b->bottom)};
  }
  return 1;
}

BOOL SubtractRect(RECT* dst, const RECT* a, const RECT* b) {
  if (!dst || !a || !b) return 0;
  if (Empty(*a)) {
    *dst = RECT{};
    return 0;
  }
  RECT cut;
  RECT r = *a;
  if (IntersectRect(&cut, a, b)) {
    const bool fullWidth = cut.left == a->left && cut.right == a->right;
    const bool fullHeight = cut.top == a->top && cut.bottom == a->bottom;
    if (fullWidth && fullHeight) {
      *dst = RECT{};
      return 0;
    }
    // Only a cut through a whole side leaves a rectangle.
    if (fullWidth) {
      if (cut.top == a->top)
        r.top = cut.bottom;
      else if (cut.bottom == a->bottom)
        r.bottom = cut.top;
    } else if (fullHeight) {
      if (cut.left == a->left)
        r.left = cut.right;
      else if (cut.right == a->right)
        r.right = cut.left;
    }
  }
  *dst = r;
  return 1;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
  if (!a || !b) return 0;
  return *a == *b ? 1 : 0;
}

BOOL IsRectEmpty(const RECT* rc) { return !rc || Empty(*rc) ? 1 : 0; }

BOOL PtInRect(const RECT* rc, POINT pt) {
  if (!rc) return 0;
  return pt.x >= rc->left && pt.x < rc->right && pt.y >= rc->top && pt.y < rc->bottom ? 1 : 0;
}

}  // namespace win
