// rt_sqr.cpp: RtSqr, the square root by Newton's iteration from a seed made in the bit pattern.
//
// Domain: every double. Method:
//   1. x = 0 (either sign): return +0.
//   2. x not above 0 (negative, -inf, NaN): write "Error:Sqr argument is illegal" to the debugger
//      output and return -1.
//   3. Seed: of the 64-bit pattern of x, the top 16 bits w (sign, 11-bit biased exponent E, top
//      four fraction bits) become ((w / 32) + 511) * 16 + (w mod 32); the low 48 bits stay. For
//      positive x this sets the biased exponent to ceil(E / 2) + 511 and keeps every fraction
//      bit: the seed lies within a factor of about 0.71..1.42 of the root. A subnormal x (E = 0)
//      gets biased exponent 511, far too large, and needs more steps.
//   4. Newton: repeat { p = g; g = ((x / g) + g) / 2 } until g == p exactly; return g.
//
// Error: the fixed point is within one ulp of the root, not always the correctly rounded root:
// RtSqr(2) = 1.414213562373095, one ulp below. Normal x need at most 6 steps, subnormal x up to
// about 31. kSqrMaxSteps bounds the loop as a safeguard against a two-value cycle; it is far above
// any count the iteration takes where it ends, so it changes no result there.
//
// Special cases: +inf gives +inf (the iteration would compute inf / inf). Negative numbers and
// NaN report and give -1; zero gives 0 silently.
#include "runtime/math/rt_math.h"

#include "runtime/core/plat_core.h"

const char kRtSqrMessage[] = "Error:Sqr argument is illegal";

enum { kSqrMaxSteps = 64 };

double RtSqr(double x) {
    if (x == 0)
        return 0.0;
    if (!(x > 0)) {
        PlatDebugOutput(kRtSqrMessage);
        return -1.0;
    }
    if (x - x != 0)   /* +inf */
        return x;

    uint64_t bits = RtBitsOf(x);
    uint64_t w = bits >> 48;
    w = ((w / 32) + 511) * 16 + (w % 32);
    double g = RtDoubleOf((w << 48) | (bits & 0x0000FFFFFFFFFFFFull));

    double p;
    int32_t steps = 0;
    do {
        p = g;
        g = ((x / g) + g) / 2.0;
        steps++;
    } while (g != p && steps < kSqrMaxSteps);
    return g;
}
