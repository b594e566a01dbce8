// rt_exp.cpp: RtExp, the exponential by Euler's continued fraction of fixed depth.
//
// Domain: every double. Method:
//   1. n = RtInt((x / LN2) + 0.5) for x >= 0, n = RtInt((x / LN2) - 0.5) for x < 0. RtInt is the
//      floor: for x >= 0, n is x / LN2 rounded half up; for x < 0 one less, so r below lies in
//      about [-LN2/2, LN2/2] for x >= 0 and in about [LN2/2, 3 LN2/2] for x < 0.
//   2. r = x - ((double)n * LN2), the product first.
//   3. z = r * r.
//   4. A = z / 22; then for k = 18, 14, 10, 6: A = z / (k + A).
//   5. q = ((2 + A) + r) / ((2 + A) - r).
//   6. return ScaleByPow2(q, n).
// Steps 3-5 evaluate e^r = 1 + 2r/(2 - r + r^2/(6 + r^2/(10 + r^2/(14 + r^2/(18 + r^2/22))))).
//
// Error: relative, growing with |x|: n * LN2 rounds at the magnitude of x (about 6e-14 near
// |x| = 700) and LN2 is 2.3e-17 off ln 2. For x < 0 the reduced argument reaches about 1.04, where
// the cut fraction is weakest: up to about 4e-13 relative (RtExp(-0.5) is 3.7e-14 below e^-0.5).
//
// Special cases:
//   x >= 709.436139303104 (1023.5 LN2): n = 1024 and the factor 2^1024 overflows, so +inf,
//     even where e^x would still be finite.
//   x below about -745.13: 0 (ScaleByPow2 underflows).
//   (x / LN2) + 0.5 >= 2^31 (x >= about 1.49e9, +inf included): +inf, as the formula gives for
//     any n that fits. (x / LN2) - 0.5 < -2^31 (-inf included): 0. NaN: NaN (itself).
#include "runtime/math/rt_math.h"

// ln(2) = 6.93147180559945286227e-01, the double nearest the natural logarithm of 2.
static const double kLn2 = 6.93147180559945286227e-01;   // 0x3FE62E42, 0xFEFA39EF

double RtExp(double x) {
    if (x != x)
        return x;
    double v;
    if (x >= 0) {
        v = (x / kLn2) + 0.5;
        if (!(v < 2147483648.0))   /* the multiple does not fit: overflow */
            return RtDoubleOf(kRtInfBits);
    } else {
        v = (x / kLn2) - 0.5;
        if (!(v >= -2147483648.0))   /* the multiple does not fit: underflow */
            return 0.0;
    }
    int32_t n = RtInt(v);
    double r = x - ((double)n * kLn2);
    double z = r * r;
    double a = z / 22.0;
    for (int k = 18; k >= 6; k -= 4)
        a = z / ((double)k + a);
    double q = ((2.0 + a) + r) / ((2.0 + a) - r);
    return ScaleByPow2(q, n);
}
