// Logarithm, exponential, square root and power: the system's own values to the last bit, the
// exact split of every finite double against the trial search it replaces, and the fixed results
// at the ends of the range and for infinities and NaN.
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/math/math_check.h"

namespace {

const double kInf = RtDoubleOf(0x7FF0000000000000ull);
const double kNaN = RtDoubleOf(0x7FF8000000000000ull);
const double kMax = 1.7976931348623157e308;
const double kMinSub = 4.9406564584124654e-324;

// The system's values to the last bit, then the fixed results where the plain formulas would not
// end or have no meaning (decided cases).
#define CALL(expr, want) {#expr, (expr), (want)}
TEST(LogExpSqrPow, TableToTheLastBit) {
    struct {
        const char *call;
        double got, want;
    } cases[] = {
        CALL(RtLog(1), 0), CALL(RtLog(2), 0.6931471805599453),
        CALL(RtLog(0.5), -0.6931471805599453), CALL(RtLog(10), 2.3025850929940455),
        CALL(RtLog(2.718281828459045), 1), CALL(RtLog(1e-300), -690.7755278982137),
        CALL(RtLog(1e300), 690.7755278982137), CALL(RtExp(0), 1), CALL(RtExp(1), 2.718281828459045),
        CALL(RtExp(0.5), 1.648721270700128), CALL(RtExp(-0.5), 0.6065306597126111),
        CALL(RtExp(-1), 0.3678794411714423), CALL(RtExp(10), 22026.46579480673),
        CALL(RtExp(-745), 5e-324), CALL(RtExp(709.4361393031039), 1.2711610061534667e+308),
        CALL(RtExp(709.436139303104), kInf), CALL(RtSqr(0.25), 0.5),
        CALL(RtSqr(2), 1.414213562373095), CALL(RtSqr(3), 1.7320508075688772),
        CALL(RtSqr(1e10), 100000), CALL(RtSqr(5e-324), 2.2227587494850775e-162),
        CALL(RtPow(0.1, 2), 0.010000000000000002), CALL(RtPow(2, 10), 1024),
        CALL(RtPow(10, -2), 0.01), CALL(RtPow(-2, 3), -8), CALL(RtPow(0, 0), 1),
        CALL(RtPow(2, 0.5), 1.414213562373095), CALL(RtPow(1.5, 2.5), 2.7556759606310757),
        CALL(RtPow(-8, 1.0 / 3), 0), CALL(RtPow(0, 0.5), 0), CALL(RtPow(0, -1), kInf),
        // decided: the ends of the range and infinities (RtExp: the multiple of 1.5e9 does not
        // fit 32 bits, that of 1.4e9 does)
        CALL(RtLog(0), 0), CALL(RtLog(-1), 0), CALL(RtLog(-kInf), 0), CALL(RtLog(kInf), kInf),
        CALL(RtExp(1.5e9), kInf), CALL(RtExp(1.4e9), kInf), CALL(RtExp(-1.5e9), 0),
        CALL(RtExp(-1.4e9), 0), CALL(RtExp(-745.14), 0), CALL(RtExp(kInf), kInf),
        CALL(RtExp(-kInf), 0), CALL(RtSqr(kInf), kInf), CALL(RtSqr(-0.0), 0),
        CALL(RtPow(2, 1e10), kInf), CALL(RtPow(-2, -2147483648.0), 0),
        CALL(ScaleByPow2(1, INT32_MIN), 0), CALL(ScaleByPow2(1, -1074), kMinSub),
        CALL(ScaleByPow2(1, 1023), 8.98846567431158e307),
        CALL(IntPow(2, -1023), 1.1125369292536007e-308),
    };
    for (const auto &c : cases)
        EXPECT_TRUE(SameBits(c.got, c.want)) << c.call;
    EXPECT_TRUE(IsNaN(RtLog(kNaN)));
    EXPECT_TRUE(IsNaN(RtExp(kNaN)));
    EXPECT_TRUE(IsNaN(RtPow(2, kNaN)));
}
#undef CALL

TEST(LogExpSqrPow, SqrOfNegativeAndNaNReportsAndGivesMinusOne) {
    for (double x : {-1.0, -kMinSub, -kInf, kNaN}) {
#ifndef _WIN32
        ::testing::internal::CaptureStderr();
#endif
        double r = RtSqr(x);
#ifndef _WIN32
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), kRtSqrMessage) << Digits17(x);
#endif
        EXPECT_TRUE(SameBits(r, -1)) << Digits17(x);
    }
    EXPECT_STREQ(kRtSqrMessage, "Error:Sqr argument is illegal");
}

// The trial search the runtime defines: e from 0 up (|v| >= 1) or down until 0.5 <= |v/2^e| < 1.
// It ends for 2^-1024 <= |v| < 2^1023; the caller keeps to that range.
double SearchSplit(double v, int32_t *e) {
    *e = 0;
    for (;;) {
        double m = v / IntPow(2, *e);
        if (0.5 <= RtAbs(m) && RtAbs(m) < 1)
            return m;
        *e += RtAbs(v) >= 1 ? 1 : -1;
    }
}

TEST(LogExpSqrPow, SplitMatchesTheTrialSearchWhereverItEnds) {
    const double low = 5.562684646268003e-309, high = 8.98846567431158e307;   // 2^-1024, 2^1023
    std::vector<double> values = {low, -low, std::nextafter(high, 0.0), 1.0, 0.5,
                                  0.9999999999999999, 3.0};
    std::mt19937_64 rng(11);
    for (int i = 0; i < 3000; i++)
        values.push_back(RtDoubleOf(rng()));
    for (double v : values) {
        if (!(RtAbs(v) >= low && RtAbs(v) < high))
            continue;
        int32_t e1, e2;
        double m1 = SplitPow2(v, &e1), m2 = SearchSplit(v, &e2);
        ASSERT_TRUE(SameBits(m1, m2)) << Digits17(v);
        ASSERT_EQ(e1, e2) << Digits17(v);
    }
}

// Where the search never ends the split is still exact: m * 2^e gives v back.
TEST(LogExpSqrPow, SplitIsExactForSubnormalsAndTheTop) {
    struct {
        double v;
        int32_t e;
    } cases[] = {
        {kMinSub, -1073}, {-kMinSub, -1073}, {2.225073858507201e-308, -1022},
        {1e-310, -1029},  {kMax, 1024},      {-8.98846567431158e307, 1024},
    };
    for (const auto &c : cases) {
        int32_t e;
        double m = SplitPow2(c.v, &e);
        EXPECT_EQ(e, c.e) << Digits17(c.v);
        EXPECT_TRUE(0.5 <= RtAbs(m) && RtAbs(m) < 1) << Digits17(c.v);
        EXPECT_TRUE(SameBits(std::ldexp(m, e), c.v)) << Digits17(c.v);
    }
    int32_t e = 5;
    EXPECT_TRUE(SameBits(SplitPow2(0, &e), 0));
    EXPECT_EQ(e, 0);
}

// Every positive finite double has a logarithm close to the library's, the subnormals and the top
// included (where the plain split would not end), and a root within one ulp whose square is near
// the argument. Every eighth argument is subnormal, with its far-off Newton seed.
TEST(LogExpSqrPow, LogAndSqrCloseOverTheWholeRange) {
    std::mt19937_64 rng(3);
    for (int i = 0; i < 200000; i++) {
        uint64_t bits = rng() >> 1;
        if (i % 8 == 0)
            bits &= 0x000FFFFFFFFFFFFFull;
        double x = RtDoubleOf(bits);
        if (x == 0 || x - x != 0)
            continue;
        double want = std::log(x);
        ASSERT_NEAR(RtLog(x), want, 4e-16 * RtAbs(want) + 2e-16) << Digits17(x);
        double r = RtSqr(x);
        ASSERT_TRUE(std::fabs(r - std::sqrt(x)) <= std::ldexp(1.0, -52) * std::sqrt(x))
            << Digits17(x) << " -> " << Digits17(r);
        if (x >= 1e-300) {   // below, r * r loses bits to the subnormal range
            ASSERT_NEAR(r * r, x, 3 * std::ldexp(1.0, -52) * x) << Digits17(x);
        }
    }
    for (double x : {kMinSub, 1e-310, 7.8e-309, 1.28e308, kMax})
        EXPECT_NEAR(RtLog(x), std::log(x), 1e-13) << Digits17(x);
}

TEST(LogExpSqrPow, PowOfTwoIsTheSquareAndExpCloseToLibrary) {
    std::mt19937_64 rng(9);
    std::uniform_real_distribution<double> any(-1e150, 1e150), arg(-700, 700);
    for (int i = 0; i < 20000; i++) {
        double x = any(rng);
        ASSERT_TRUE(SameBits(RtPow(x, 2), x * x)) << Digits17(x);
        double y = arg(rng);
        // below zero the reduced argument reaches 1.04, where the cut fraction is weakest
        double relative = y >= 0 ? 1e-13 : 5e-13;
        ASSERT_NEAR(RtExp(y), std::exp(y), relative * std::exp(y)) << Digits17(y);
    }
}

}  // namespace
