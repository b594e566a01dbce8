// The elementary functions: the system's own values to the last bit (the subnormals and the top of
// the range, where the logarithm's split of its argument is hardest, included), the fixed results
// at the ends of the range and for infinities and NaN; the lanes' FMA division against the
// divider, bit for bit.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#if DFT_LANES_WIDE
#include "bench/divider_chains.h"
#endif

#include "runtime/math/rt_math.h"
#include "runtime/math/rt_trig.h"
#include "runtime/math/rt_trig_lanes.h"
#include "tests/test_strings.h"

namespace {

const double kInf = RtDoubleOf(kRtInfBits), kNaN = RtDoubleOf(kRtNaNBits);
const double kMinSub = 4.9406564584124654e-324;

// Expected values are C++ literals, read exactly by the compiler: equal bits, equal to the last bit.
::testing::AssertionResult SameBits(double got, double want) {
    if (RtBitsOf(got) == RtBitsOf(want))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << Digits17(got) << ", want " << Digits17(want);
}

// This table is also the 32-bit build's guard: with x87 arithmetic (-mfpmath=387, each
// intermediate kept to 64 bits of mantissa and rounded twice) rows of it come out different in
// their last bits.
#define CALL(expr, want) {#expr, (expr), (want)}
TEST(Elementary, TableToTheLastBit) {
    struct {
        const char *call;
        double got, want;
    } cases[] = {
        CALL(RtLog(2), 0.6931471805599453), CALL(RtLog(0.5), -0.6931471805599453),
        CALL(RtLog(10), 2.3025850929940455), CALL(RtLog(2.718281828459045), 1),
        CALL(RtLog(1e-300), -690.7755278982137), CALL(RtLog(1e300), 690.7755278982137),
        CALL(RtExp(1), 2.718281828459045), CALL(RtExp(0.5), 1.648721270700128),
        CALL(RtExp(-0.5), 0.6065306597126111), CALL(RtExp(-1), 0.3678794411714423),
        CALL(RtExp(10), 22026.46579480673), CALL(RtExp(-745), 5e-324),
        CALL(RtExp(709.4361393031039), 1.2711610061534667e+308), CALL(RtExp(709.436139303104), kInf),
        CALL(RtSqr(0.25), 0.5), CALL(RtSqr(2), 1.414213562373095), CALL(RtSqr(3), 1.7320508075688772),
        CALL(RtSqr(5e-324), 2.2227587494850775e-162), CALL(RtSqr(1e-320), 9.9999443357584898e-161),
        CALL(RtLog(kMinSub), -744.44007192138122), CALL(RtLog(1e-320), -736.82724089097394),
        CALL(RtLog(1.7976931348623157e308), 709.78271289338397), CALL(RtPow(0.1, 2), 0.010000000000000002),
        CALL(RtPow(10, -2), 0.01), CALL(RtPow(-2, 3), -8), CALL(RtPow(0, 0), 1),
        CALL(RtPow(2, 0.5), 1.414213562373095), CALL(RtPow(1.5, 2.5), 2.7556759606310757),
        CALL(RtPow(-8, 1.0 / 3), 0), CALL(RtPow(0, -1), kInf),
        CALL(RtSin(0.5), 0.47942553860420295), CALL(RtCos(0.5), 0.8775825618903726),
        CALL(RtSin(2), 0.9092974268256817), CALL(RtCos(2), -0.41614683654714246),
        CALL(RtSin(1.5707963267948966), 1), CALL(RtCos(1.5707963267948966), 0),
        CALL(RtSin(3.141592653589793), 1.2246402351402674e-16), CALL(RtCos(3.141592653589793), -1),
        CALL(RtSin(6.283185307179586), -2.449280470280535e-16),
        CALL(RtSin(100), -0.5063656411097588), CALL(RtCos(100), 0.8623188722876868),
        CALL(RtSin(1000000), -0.34999350217129294), CALL(RtCos(1000000), 0.9367521275136698),
        CALL(RtSin(-0.0), 0.0), CALL(RtAbs(-0.0), -0.0), CALL(RtAbs(-kInf), kInf),
        // the ends of the range and infinities (RtExp: the multiple of 1.5e9 does not fit 32 bits)
        CALL(RtLog(0), 0), CALL(RtLog(-kInf), 0), CALL(RtLog(kInf), kInf), CALL(RtExp(1.5e9), kInf),
        CALL(RtExp(1.4e9), kInf), CALL(RtExp(-1.5e9), 0), CALL(RtExp(-745.14), 0),
        CALL(RtExp(-kInf), 0), CALL(RtSqr(kInf), kInf), CALL(RtSqr(-0.0), 0),
        CALL(RtPow(2, 1e10), kInf), CALL(RtPow(-2, -2147483648.0), 0),
        CALL(ScaleByPow2(1, INT32_MIN), 0), CALL(ScaleByPow2(1, -1074), kMinSub),
        CALL(IntPow(2, -1023), 1.1125369292536007e-308),
    };
    for (const auto &c : cases)
        EXPECT_TRUE(SameBits(c.got, c.want)) << c.call;
    for (double nan : {RtLog(kNaN), RtExp(kNaN), RtPow(2, kNaN), RtSin(6.8e9), RtCos(-6.8e9),
                       RtSin(kInf), RtCos(-kInf), RtSin(kNaN)})
        EXPECT_TRUE(nan != nan);
    EXPECT_FALSE(RtSin(6.7e9) != RtSin(6.7e9)) << "the multiple of pi/2 still fits 32 bits";
    int32_t q = 0;   // halves of the multiple round away from zero
    EXPECT_TRUE(SameBits(ReducedTan(-0.7853981633974483, &q), 1.0000000000000002));
    EXPECT_EQ(q, -1);
}
#undef CALL

TEST(Elementary, IntIsTheFloorAndOutOfRangeIsMinInt) {
    struct {
        double x;
        int32_t floor, trunc;
    } cases[] = {
        {2.5, 2, 2}, {-2.5, -3, -2}, {-0.0, 0, 0}, {-1e-300, -1, 0},
        {2147483647.5, 2147483647, 2147483647}, {2147483648.0, INT32_MIN, INT32_MIN},
        {-2147483647.5, INT32_MIN, -2147483647}, {-2147483648.5, INT32_MIN, INT32_MIN},
        {kInf, INT32_MIN, INT32_MIN}, {kNaN, INT32_MIN, INT32_MIN},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(RtInt(c.x), c.floor) << "RtInt(" << Digits17(c.x) << ")";
        EXPECT_EQ(RtTruncToInt32(c.x), c.trunc) << "trunc(" << Digits17(c.x) << ")";
    }
}

TEST(Elementary, SqrOfNegativeAndNaNReportsAndGivesMinusOne) {
    for (double x : {-1.0, -kMinSub, -kInf, kNaN}) {
#ifndef _WIN32
        ::testing::internal::CaptureStderr();
#endif
        EXPECT_TRUE(SameBits(RtSqr(x), -1)) << Digits17(x);
#ifndef _WIN32
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error:Sqr argument is illegal\n");
#endif
    }
}

#if DFT_LANES_WIDE
// The FMA division against the divider, bit for bit (NaN payloads too), in each set this machine
// has it: 3 million random pairs, their exponents mostly within
// 2^+-130 (both sides of the domain's ends), every eighth anywhere; quotients next to a product
// (a = b*q rounded and its neighbours: near ties); and each pair of the special values.
TEST(DivideFma, MatchesTheDivider) {
    const double kSpecial[] = {0.0, kInf, kNaN, RtDoubleOf(0x7FF0000000000123ull), kMinSub,
                               0x0.fffffffffffffp-1022, 0x1p-1022, 0x1.fffffffffffffp1023,
                               0x1p-120, 0x1.fffffffffffffp-121, 0x1p120, 0x1.0000000000001p120,
                               1.0, 3.0, 0x1.fffffffffffffp0, 0x1.0000000000001p0, 1e-300, 1e300};
    std::vector<double> a, b, q;
    for (double x : kSpecial)
        for (double y : kSpecial)
            for (int sign = 0; sign < 4; ++sign)
                a.push_back(sign & 1 ? -x : x), b.push_back(sign & 2 ? -y : y);
    std::mt19937_64 rng(28);
    auto scaled = [&rng](int range) {   // a random sign and mantissa, exponent within +-range
        const uint64_t e = (uint64_t)(1023 - range + (int)(rng() % (2 * range + 1))) << 52;
        return RtDoubleOf((rng() & 0x800FFFFFFFFFFFFFull) | e);
    };
    for (int64_t i = 0; i < 3000000; i += 6) {
        const double x = i % 48 == 0 ? RtDoubleOf(rng()) : scaled(130);
        const double y = i % 48 == 6 ? RtDoubleOf(rng()) : scaled(130);
        a.push_back(x), b.push_back(y);
        const double p = x * y;   // a = b*q rounded and its neighbours
        for (int64_t d = -2; d <= 2; ++d)
            a.push_back(RtDoubleOf(RtBitsOf(p) + d)), b.push_back(y);
    }
    __builtin_cpu_init();
    for (int avx512 = 0; avx512 < 2; ++avx512) {
        if (!(avx512 ? RtLaneSetAvailable(kRtLanesAvx512) : __builtin_cpu_supports("fma") &&
                                                                 RtLaneSetAvailable(kRtLanesAvx2)))
            continue;
        q.assign(a.size(), 0.0);
        (avx512 ? DivideFmaAvx512 : DivideFmaAvx2)(a.data(), b.data(), q.data(), (int32_t)a.size());
        for (size_t i = 0; i < a.size(); ++i)
            ASSERT_EQ(RtBitsOf(a[i] / b[i]), RtBitsOf(q[i]))
                << (avx512 ? "avx512 " : "avx2 ") << Digits17(a[i]) << " / " << Digits17(b[i]);
    }
}
#endif

}  // namespace
