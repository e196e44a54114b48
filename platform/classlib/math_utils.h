#pragma once
// Numeric helpers of the class library's runtime. Rounding is to nearest with halves
// to even, as the processor does it; truncation is toward zero.
#include "platform/classlib/types.h"

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). A NaN or a value
// outside the 64-bit range gives the processor's "integer indefinite", INT64_MIN.
Int64 Round(double x);
// Toward zero; NaN or out of range gives INT64_MIN like Round.
Int64 Trunc(double x);
// Integer part and fractional part as floating point, both carrying the sign of x.
double Int(double x);
double Frac(double x);

// a * b / c with a 64-bit intermediate, halves rounded away from zero.
// -1 when c is 0 or the result does not fit in 32 bits.
Integer MulDiv(Integer a, Integer b, Integer c);

inline Integer Min(Integer a, Integer b) { return a < b ? a : b; }
inline Integer Max(Integer a, Integer b) { return a > b ? a : b; }
inline Int64 Min(Int64 a, Int64 b) { return a < b ? a : b; }
inline Int64 Max(Int64 a, Int64 b) { return a > b ? a : b; }
inline Cardinal Min(Cardinal a, Cardinal b) { return a < b ? a : b; }
inline Cardinal Max(Cardinal a, Cardinal b) { return a > b ? a : b; }
inline Single Min(Single a, Single b) { return a < b ? a : b; }
inline Single Max(Single a, Single b) { return a > b ? a : b; }
inline Double Min(Double a, Double b) { return a < b ? a : b; }
inline Double Max(Double a, Double b) { return a > b ? a : b; }

// Integer squares wrap modulo 2^32 / 2^64 like the class library's unchecked arithmetic.
inline Integer Sqr(Integer x) {
  return static_cast<Integer>(static_cast<Cardinal>(x) * static_cast<Cardinal>(x));
}
inline Int64 Sqr(Int64 x) {
  return static_cast<Int64>(static_cast<std::uint64_t>(x) * static_cast<std::uint64_t>(x));
}
inline Single Sqr(Single x) { return x * x; }
inline Double Sqr(Double x) { return x * x; }
