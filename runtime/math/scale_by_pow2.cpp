// scale_by_pow2.cpp: ScaleByPow2, v * 2^e by square-and-multiply on the factor 2 or 0.5.
//
// Method:
//   1. e >= 0: f = 2; otherwise f = 0.5 and e = -e.
//   2. while e != 0: if e is odd, v = v * f; then f = f * f; then shift e right by one bit.
//   3. return v.
// Every factor is a power of two, so each product is exact unless it overflows or falls into the
// subnormal range; the result is v * 2^e rounded once when the partial products stay finite and
// normal, e.g. ScaleByPow2(1, e) = 2^e exactly for -1074 <= e <= 1023. Otherwise the order of the
// factors (low bits first) decides: overflow gives inf, underflow rounds at the step where it
// happens and can reach 0.
//
// Special cases: e = -2^31 is handled through an unsigned magnitude (no overflow of -e).
// v = 0, inf or NaN come back as v times the factors (0 * inf, when f overflows while v = 0, is
// NaN: not reached by the callers, which scale nonzero finite mantissas).
#include "runtime/math/rt_math.h"

double ScaleByPow2(double v, int32_t e) {
    double f;
    uint32_t m;
    if (e >= 0) {
        f = 2.0;
        m = (uint32_t)e;
    } else {
        f = 0.5;
        m = 0u - (uint32_t)e;
    }
    while (m != 0) {
        if ((m & 1u) != 0)
            v = v * f;
        f = f * f;
        m = m >> 1;
    }
    return v;
}
