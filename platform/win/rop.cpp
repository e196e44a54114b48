#include "platform/win/rop.h"

namespace win {

DWORD ApplyRop3(BYTE t, DWORD p, DWORD s, DWORD d) {
  // The common codes first: they are most of the traffic.
  switch (t) {
    case 0x00: return 0;
    case 0xFF: return ~DWORD{0};
    case 0xCC: return s;
    case 0xF0: return p;
    case 0xAA: return d;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x66: return s ^ d;
    case 0x55: return ~d;
    case 0x33: return ~s;
    case 0x5A: return p ^ d;
    case 0xE2: return (p & s) | (d & ~s);  // the pattern where the source bit is 1
    case 0xB8: return (s & d) | (p & ~s);  // the pattern where the source bit is 0
    default: break;
  }
  DWORD r = 0;
  for (int i = 0; i < 8; ++i) {
    if (!((t >> i) & 1)) continue;
    const DWORD mp = (i & 4) ? p : ~p;
    const DWORD ms = (i & 2) ? s : ~s;
    const DWORD md = (i & 1) ? d : ~d;
    r |= mp & ms & md;
  }
  return r;
}

DWORD ApplyRop2(int rop2, DWORD p, DWORD d) {
  if (rop2 < 1 || rop2 > 16) rop2 = 13;
  const int t = rop2 - 1;  // indexed by (pen bit << 1) | destination bit
  switch (rop2) {
    case 13: return p;        // R2_COPYPEN
    case 7: return p ^ d;     // R2_XORPEN
    case 10: return ~(p ^ d); // R2_NOTXORPEN
    case 6: return ~d;        // R2_NOT
    case 11: return d;        // R2_NOP
    default: break;
  }
  DWORD r = 0;
  if (t & 1) r |= ~p & ~d;
  if (t & 2) r |= ~p & d;
  if (t & 4) r |= p & ~d;
  if (t & 8) r |= p & d;
  return r;
}

}  // namespace win
