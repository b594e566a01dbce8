// split_pow2.cpp: SplitPow2, a double split into a mantissa in [0.5, 1) and a power of two.
//
// Returns m with 0.5 <= |m| < 1 and sets *e so that v = m * 2^e exactly; m keeps the sign of v.
//
// The runtime defines the split as a trial search: from e = 0 upwards (|v| >= 1) or downwards
// (|v| < 1), m = v / IntPow(2, e) until 0.5 <= |m| < 1. Wherever that search ends, its m and e are
// the exact split, because dividing by an exact power of two that keeps the quotient normal is
// exact and only one e puts |m| in [0.5, 1). The search does not end for |v| >= 2^1023 (it needs
// 2^1024 = inf) nor for |v| < 2^-1024 (IntPow(2, e) is 0 for e <= -1024), and it costs one
// IntPow per trial (about a thousand near 1e300). So the exponent is read from the bit pattern
// instead, and the mantissa built by setting the biased exponent field to 1022:
//   normal v:    E = biased exponent (1..2046), e = E - 1022.
//   subnormal v: v * 2^54 (exact, a normal number) is split and 54 taken off the exponent.
// The result is the same exact split everywhere, and now exists for every nonzero finite double:
// e ranges from -1073 (smallest subnormal) to 1024 (|v| >= 2^1023).
//
// Special cases: v = 0 (either sign) gives e = 0 and returns +0. Infinities and NaN have no split:
// e = 0 and v comes back unchanged.
#include "runtime/math/rt_math.h"

// 2^54 = 1.80143985094819840000e+16, lifts every subnormal into the normal range.
static const double kTwoPow54 = 1.80143985094819840000e+16;   // 0x43500000, 0x00000000

static const uint64_t kExponentMask = 0x7FF0000000000000ull;
static const uint64_t kHalfExponent = 0x3FE0000000000000ull;   // biased exponent 1022: [0.5, 1)

double SplitPow2(double v, int32_t *e) {
    if (v == 0) {
        *e = 0;
        return 0.0;
    }
    uint64_t bits = RtBitsOf(v);
    int32_t biased = (int32_t)((bits & kExponentMask) >> 52);
    if (biased == 0x7FF) {   /* inf, NaN */
        *e = 0;
        return v;
    }
    int32_t lift = 0;
    if (biased == 0) {   /* subnormal */
        bits = RtBitsOf(v * kTwoPow54);
        biased = (int32_t)((bits & kExponentMask) >> 52);
        lift = 54;
    }
    *e = biased - 1022 - lift;
    return RtDoubleOf((bits & ~kExponentMask) | kHalfExponent);
}
