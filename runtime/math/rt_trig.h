// rt_trig.h: the runtime's sine and cosine, and their kernel ReducedTan (tangent after reduction
// by multiples of pi/2).
//
// Invariant: each result is fixed to the last bit by the operation sequence below; every step is
// one IEEE double operation, round to nearest, in exactly this order (the build uses
// -ffp-contract=off, so no step is fused). A vectorised copy must perform the same sequence lane
// by lane to give the same bits.
//
// ReducedTan(h, &q): tangent of h - q*pi/2, for |h / (pi/2)| + 0.5 below 2^31.
//   1. v = h >= 0 ? (h / P) + 0.5 : (h / P) - 0.5          P = pi/2 = 0x3FF921FB54442D18
//      q = v truncated toward zero (halves of the multiple round away from zero).
//      If the truncation does not fit 32 bits (or v is NaN): q = -2147483648, return NaN.
//   2. r = (h - (double)q * C1) + (double)q * C2             C1 = 3217/2048, C2 below
//      in this order: q*C1, h - that, q*C2, then the sum. C1 - C2 is pi/2 within 3.3e-22;
//      C1 has 12 significant bits, so q*C1 is exact for |q| < 2^41 and h - q*C1 loses nothing.
//      |r| <= about pi/4.
//   3. z = r * r
//   4. a = 0; for k = 19, 17, ..., 3 (nine steps): a = z / (k - a)
//   5. return r / (1 - a)
//   Steps 3-5 are Lambert's continued fraction tan r = r/(1 - r^2/(3 - r^2/(5 - ... r^2/19))),
//   cut after the partial denominator 19; the cut adds far less than one ulp on |r| <= pi/4, so
//   the error is the rounding of the 22 operations (a few ulp of tan r).
//
// RtSin(x):
//   1. t = ReducedTan(x / 2, &q)
//   2. s = (2 * t) / ((t * t) + 1)
//   3. return q even ? s : s * -1          (x = 2r + q*pi, sin x = (-1)^q sin 2r)
//   Odd to the last bit: every step is symmetric in the sign of x; RtSin(-0) = +0 (step 2 of
//   ReducedTan gives (-0 - 0) + 0 = +0).
//
// RtCos(x): RtSin(P - RtAbs(x)), P = pi/2 as above. Even to the last bit; RtCos(pi/2) = 0 exactly.
//   The rounding of P - |x| is inherited: the absolute error grows with |x| (for x = 1e6 about
//   2e-11).
//
// Special cases: |x| above about 6.7e9 (x / pi rounded no longer fits 32 bits), +-inf and NaN
// give NaN (the positive quiet NaN 0x7FF8000000000000), for RtSin and RtCos alike.
#ifndef RUNTIME_MATH_RT_TRIG_H
#define RUNTIME_MATH_RT_TRIG_H

#include <cstdint>

#include "runtime/math/rt_scalar.h"

// pi/2 = 1.57079632679489655800e+00, the double pi / 2 (exact halving of the double nearest pi).
static const double kRtHalfPi = 1.57079632679489655800e+00;   // 0x3FF921FB, 0x54442D18
// First piece of pi/2: 3217/2048 = 1.57080078125 (exact, 12 significant bits).
static const double kRtTanC1 = 1.57080078125000000000e+00;    // 0x3FF92200, 0x00000000
// Second piece: C1 - C2 = pi/2 + about 3.3e-22.
static const double kRtTanC2 = 4.45445510338076900651e-06;    // 0x3ED2AEEF, 0x4B9EE59E

inline double ReducedTan(double h, int32_t *q) {
    double v;
    if (h >= 0)
        v = (h / kRtHalfPi) + 0.5;
    else
        v = (h / kRtHalfPi) - 0.5;
    if (!(v > -2147483649.0 && v < 2147483648.0)) {   /* |x| ~> 6.7e9, inf, NaN */
        *q = kRtIntOutOfRange;
        return RtDoubleOf(kRtNaNBits);
    }
    int32_t n = (int32_t)v;
    *q = n;
    double qd = (double)n;
    double r = (h - (qd * kRtTanC1)) + (qd * kRtTanC2);
    double z = r * r;
    double a = 0;
    for (int k = 19; k >= 3; k -= 2)
        a = z / ((double)k - a);
    return r / (1.0 - a);
}

inline double RtSin(double x) {
    int32_t q;
    double t = ReducedTan(x / 2.0, &q);
    if (t != t)
        return RtDoubleOf(kRtNaNBits);
    double s = (2.0 * t) / ((t * t) + 1.0);
    if (q % 2 == 0)
        return s;
    return s * -1.0;
}

inline double RtCos(double x) {
    return RtSin(kRtHalfPi - RtAbs(x));
}

#endif
