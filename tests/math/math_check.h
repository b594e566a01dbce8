// math_check.h: bit-exact comparison of doubles for the numeric tests.
// Expected values are C++ literals (the compiler reads them exactly), so a match of the 64-bit
// patterns is a match to the last bit; a mismatch prints both with 17 significant digits.
#ifndef TESTS_MATH_MATH_CHECK_H
#define TESTS_MATH_MATH_CHECK_H

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "runtime/math/rt_math.h"

inline std::string Digits17(double x) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", x);
    return text;
}

inline ::testing::AssertionResult SameBits(double got, double want) {
    if (RtBitsOf(got) == RtBitsOf(want))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << Digits17(got) << ", want " << Digits17(want);
}

inline bool IsNaN(double x) { return x != x; }

#endif
