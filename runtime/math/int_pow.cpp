// int_pow.cpp: IntPow, a double to a 32-bit integer power by square-and-multiply.
//
// Method, from the low bit of the exponent up:
//   1. m = |n|, formed as RtAbs((double)n) truncated back to an integer.
//   2. r = 1.
//   3. while m != 0: if m is odd, r = r * x; then x = x * x; then m = m / 2.
//   4. n >= 0: return r; otherwise return 1 / r.
// Each product rounds on its own, so the result is not the correctly rounded power: IntPow(0.1, 2)
// is 0.1 * 0.1 = 0.010000000000000002. Powers of two are exact while 2^|n| is finite
// (|n| <= 1023); IntPow(2, n) for n <= -1024 gives 1 / inf = 0.
//
// Special cases: n = 0 gives 1 for every x (NaN included). Overflow gives inf, and 1 / inf = 0.
// n = -2^31 is never passed (|n| does not fit); it ends all the same, with m = -2^31 halving to 0.
#include "runtime/math/rt_math.h"

double IntPow(double x, int32_t n) {
    int32_t m = RtTruncToInt32(RtAbs((double)n));
    double r = 1.0;
    while (m != 0) {
        if (m % 2 != 0)
            r = r * x;
        x = x * x;
        m = m / 2;
    }
    if (n >= 0)
        return r;
    return 1.0 / r;
}
