// rt_scalar.h: the small scalar helpers the numeric library leans on: bit patterns of doubles,
// truncation of a double to a 32-bit integer, RtAbs and RtInt.
//
// Invariant: nothing here rounds. Each function is exact on its whole domain and defined for
// every double, NaN and infinities included, with no undefined behaviour (the plain C++ cast of
// an out-of-range double to int32_t is undefined; RtTruncToInt32 never makes it).
//
// They are inline so that the trigonometric kernels, which run N^2 times per transform, and any
// vectorised copy of them see the same operations.
#ifndef RUNTIME_MATH_RT_SCALAR_H
#define RUNTIME_MATH_RT_SCALAR_H

#include <cstdint>
#include <cstring>

// The 64-bit IEEE 754 pattern of a double, and back.
inline uint64_t RtBitsOf(double x) {
    uint64_t bits;
    std::memcpy(&bits, &x, 8);
    return bits;
}
inline double RtDoubleOf(uint64_t bits) {
    double x;
    std::memcpy(&x, &bits, 8);
    return x;
}

// Fixed special values. RtSin and RtCos return this positive quiet NaN wherever they give NaN;
// elsewhere a NaN argument comes back as itself.
static const uint64_t kRtInfBits = 0x7FF0000000000000ull;   // +infinity
static const uint64_t kRtNaNBits = 0x7FF8000000000000ull;   // quiet NaN, sign clear

// The value a truncation gives outside the 32-bit range (and for NaN).
static const int32_t kRtIntOutOfRange = INT32_MIN;

// x truncated toward zero to a 32-bit signed integer. A truncation outside [-2^31, 2^31 - 1],
// an infinity and NaN give -2147483648. This is the rule wherever a double is stored into an
// integer. In range, the cast is exact: the bounds are the doubles -2^31 - 1 and 2^31 (both
// exact), and every x strictly between them truncates into the range.
inline int32_t RtTruncToInt32(double x) {
    if (x > -2147483649.0 && x < 2147483648.0)   // false for NaN
        return (int32_t)x;
    return kRtIntOutOfRange;
}

// RtAbs: x * (-1) when x < 0, otherwise x unchanged. So -0 stays -0 and NaN stays itself.
inline double RtAbs(double x) {
    if (x < 0)
        return x * -1.0;
    return x;
}

// RtInt: the floor of x as a 32-bit signed integer (not the truncation: RtInt(-2.5) = -3).
// A floor outside the 32-bit range, an infinity and NaN give -2147483648.
// Method: t = x truncated; if x < 0 and x < t a fraction was dropped, so the floor is t - 1.
inline int32_t RtInt(double x) {
    int32_t t = RtTruncToInt32(x);
    if (x < 0 && x < (double)t) {
        if (t == kRtIntOutOfRange)   // floor below -2^31, or t itself out of range
            return kRtIntOutOfRange;
        return t - 1;
    }
    return t;
}

#endif
