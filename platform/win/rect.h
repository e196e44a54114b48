#pragma once
// Rectangle helpers of the window system. Right and bottom are exclusive; a rectangle
// with right <= left or bottom <= top is empty. Calls given a null pointer fail (return
// 0) and touch nothing. Moves and growth saturate at the ends of the 32-bit range instead
// of wrapping.
#include "platform/win/types.h"

namespace win {

BOOL SetRect(RECT* rc, int left, int top, int right, int bottom);
BOOL SetRectEmpty(RECT* rc);
BOOL CopyRect(RECT* dst, const RECT* src);
// Grows each side outwards by dx, dy (negative values shrink).
BOOL InflateRect(RECT* rc, int dx, int dy);
BOOL OffsetRect(RECT* rc, int dx, int dy);
// Zeroes dst and returns 0 when the rectangles do not overlap or one is empty.
BOOL IntersectRect(RECT* dst, const RECT* a, const RECT* b);
// The smallest rectangle holding both; empty rectangles are left out. Zeroes dst and
// returns 0 when both are empty.
BOOL UnionRect(RECT* dst, const RECT* a, const RECT* b);
// a minus b when that is a rectangle, else a itself. Zeroes dst and returns 0 when b
// covers a.
BOOL SubtractRect(RECT* dst, const RECT* a, const RECT* b);
BOOL EqualRect(const RECT* a, const RECT* b);
// Non-zero for empty rectangles and for a null pointer.
BOOL IsRectEmpty(const RECT* rc);
BOOL PtInRect(const RECT* rc, POINT pt);

}  // namespace win
