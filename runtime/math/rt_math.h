// rt_math.h: the runtime's numeric library: number to text and the elementary functions, all
// computed in software from + - * / and bit operations (no math library, no processor
// instruction for a transcendental function).
//
// Invariant: every result is fixed to the last bit by the order of operations each kernel
// documents in its own file; every intermediate is rounded to a double, round to nearest.
// Floating-point exceptions never trap: overflow gives infinity, underflow zero or a subnormal.
// Errors are never returned; each bad argument has a fixed result (listed below).
//
// Integers are 32-bit signed. Where a double becomes an integer it is truncated toward zero and
// a value out of range becomes -2147483648 (RtTruncToInt32); RtInt alone is the floor.
//
// All functions are pure except NumDigits/NumToStr, which share one static digit buffer (not
// reentrant; only the program thread calls them), and RtSqr, which may write to the debugger
// output.
#ifndef RUNTIME_MATH_RT_MATH_H
#define RUNTIME_MATH_RT_MATH_H

#include <cstdint>

#include "runtime/core/rt_string.h"
#include "runtime/math/rt_scalar.h"   // RtAbs, RtInt, RtTruncToInt32, RtBitsOf, RtDoubleOf
#include "runtime/math/rt_trig.h"     // ReducedTan, RtSin, RtCos

// ---- Number to text (num_digits.cpp, num_to_str.cpp) ----

// Digits the static buffer holds at most; NumToStr uses exactly this many.
enum { kNumDigitsMax = 15 };

// The value's first `count` significant decimal digits (1 <= count <= 15), rounded half up on the
// next digit as repeated multiplication by 10 yields it. Returns the static digit buffer: count
// ASCII digits and a NUL, overwritten by the next call. *exponent: digits before the decimal
// point (value ~ d1.d2d3... * 10^(exponent - 1)); zero has exponent 0. *negative: 1 if the value
// was below zero, else 0. Infinities and NaN give count "0"s and exponent 0 (NumToStr names
// them before it gets here).
char *NumDigits(double value, int32_t count, int32_t *exponent, int32_t *negative);

// Adds one to the digit value at `position` of the digit buffer, carrying to the left. Works on
// digit values 0..9, so only NumDigits calls it, before it turns the digits into ASCII.
void DigitRoundUp(int32_t position);

// The runtime's text of a number: at most 15 significant digits; positional with trailing zeros
// removed for decimal exponents -4..14, else scientific d.dddddddddddddde+XXX. "inf", "-inf" and
// "nan" for the non-finite values. Returns a new string (at most 22 bytes) owned by the caller.
RtString NumToStr(double value);

// ---- Logarithm, exponential, square root, power ----

double IntPow(double x, int32_t n);        // x^n by square-and-multiply; n = -2^31 not passed
double ScaleByPow2(double v, int32_t e);   // v * 2^e by square-and-multiply on 2 or 0.5
double SplitPow2(double v, int32_t *e);    // mantissa m, 0.5 <= |m| < 1, with v = m * 2^*e

double RtLog(double x);   // natural log; 0 for x <= 0 (silent), +inf for +inf, NaN for NaN
double RtExp(double x);   // e^x; +inf from 709.436139303104 up, 0 for very negative x, NaN->NaN
double RtSqr(double x);   // square root; -1 and a debugger message for x < 0 and NaN; +inf->+inf
double RtPow(double x, double y);   // x^y; 0 for x <= 0 with y not an integer in 32-bit range

// The debugger message of RtSqr (no line end).
extern const char kRtSqrMessage[];

#endif
