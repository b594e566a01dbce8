// rt_log.cpp: RtLog, the natural logarithm by a continued fraction of fixed depth.
//
// Domain: every double. Method:
//   1. x <= 0: return 0 (nothing reported).
//   2. e = the exponent of SplitPow2(x / SQRT2), so that m below lies in [sqrt2/2, sqrt2).
//   3. m = x / ScaleByPow2(1, e), i.e. x / 2^e; exact (a division by an exact power of two).
//      For e = 1024 (x from about 1.27e308 up) 2^e is not a double: m = (x * 0.5) / 2^1023,
//      the same exact quotient.
//   4. u = m - 1.
//   5. a = 0; for k = 9, 8, ..., 1 (nine steps): p = k * u;
//      a = p / (2 + p / ((2k + 1) + a)), inner to outer: (2k+1) + a, p / that, 2 + that, p / that.
//   6. return (e * LN2) + (u / (1 + a)): the product, the quotient, then their sum.
// Steps 4-6 evaluate ln(1 + u) = u/(1 + 1u/(2 + 1u/(3 + 2u/(2 + 2u/(5 + ... 9u/(2 + 9u/19)))))),
// cut after the pair of partial numerators 9u; |u| <= 0.415.
//
// Error: the continued fraction and the twenty-odd roundings give a few ulp; e * LN2 carries
// the error of LN2 itself (about 2.3e-17 relative) times e.
//
// Special cases: x <= 0 and -inf give 0; +inf gives +inf; NaN gives NaN (itself). Subnormal x
// and x near the top of the range are split exactly by SplitPow2, so every positive finite x
// has a logarithm.
#include "runtime/math/rt_math.h"

// sqrt(2) = 1.41421356237309514547e+00, the double nearest the square root of 2.
static const double kSqrt2 = 1.41421356237309514547e+00;   // 0x3FF6A09E, 0x667F3BCD
// ln(2) = 6.93147180559945286227e-01, the double nearest the natural logarithm of 2.
static const double kLn2 = 6.93147180559945286227e-01;     // 0x3FE62E42, 0xFEFA39EF

double RtLog(double x) {
    if (x != x)
        return x;
    if (x <= 0)
        return 0.0;
    if (x - x != 0)   /* +inf */
        return x;

    int32_t e;
    SplitPow2(x / kSqrt2, &e);
    double m;
    if (e <= 1023)
        m = x / ScaleByPow2(1.0, e);
    else   /* e = 1024 */
        m = (x * 0.5) / ScaleByPow2(1.0, e - 1);
    double u = m - 1.0;

    double a = 0;
    for (int k = 9; k >= 1; k--) {
        double p = (double)k * u;
        a = p / (2.0 + (p / ((double)(2 * k + 1) + a)));
    }
    return ((double)e * kLn2) + (u / (1.0 + a));
}
