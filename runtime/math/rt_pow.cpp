// rt_pow.cpp: RtPow, the power operator x^y.
//
// Domain: every pair of doubles. Method:
//   1. -2147483647 <= y <= 2147483647 and y == (double)RtInt(y): return IntPow(x, y truncated).
//      So RtPow(x, 2) is exactly x * x, and y = -2^31 does not take this path.
//   2. otherwise, x > 0: return RtExp(y * RtLog(x)).
//   3. otherwise (x <= 0 with a fractional or out-of-range y): return 0, silently.
//
// Error: the integer path rounds once per product of the square-and-multiply; the general path
// carries the error of RtLog(x) times y into RtExp, so the relative error grows with |y ln x|.
//
// Special cases: RtPow(0, 0) = 1; RtPow(0, negative integer) = 1 / 0 = +inf; RtPow(-8, 1/3) = 0.
// A NaN y fails the range test and gives RtExp(NaN) = NaN for x > 0, and 0 for x <= 0. A NaN x
// gives NaN on the integer path (1 for y = 0) and 0 otherwise, since NaN > 0 is false.
#include "runtime/math/rt_math.h"

double RtPow(double x, double y) {
    if (-2147483647.0 <= y && y <= 2147483647.0 && y == (double)RtInt(y))
        return IntPow(x, RtTruncToInt32(y));
    if (x > 0)
        return RtExp(y * RtLog(x));
    return 0.0;
}
