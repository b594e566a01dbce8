// Sine, cosine, Abs and Int: the system's own values to the last bit, symmetry, and the results
// outside the range where the multiple of pi/2 fits 32 bits.
#include <cmath>
#include <cstdint>
#include <random>

#include "tests/math/math_check.h"

namespace {

const double kInf = RtDoubleOf(0x7FF0000000000000ull);

// This table is also the 32-bit build's guard: with x87 arithmetic (-mfpmath=387, each
// intermediate kept to 64 bits of mantissa and rounded twice) rows of it come out different in
// their last bits, as do those of LogExpSqrPow.TableToTheLastBit.
TEST(Trig, SinCosTableToTheLastBit) {
    struct {
        double x, sin, cos;
    } cases[] = {
        {0, 0, 1},
        {0.5, 0.47942553860420295, 0.8775825618903726},
        {1, 0.8414709848078965, 0.5403023058681397},
        {2, 0.9092974268256817, -0.41614683654714246},
        {1.5707963267948966, 1, 0},
        {3.141592653589793, 1.2246402351402674e-16, -1},
        {6.283185307179586, -2.449280470280535e-16, 1},
        {10, -0.5440211108893699, -0.8390715290764524},
        {100, -0.5063656411097588, 0.8623188722876868},
        {1000000, -0.34999350217129294, 0.9367521275136698},
    };
    for (const auto &c : cases) {
        EXPECT_TRUE(SameBits(RtSin(c.x), c.sin)) << "RtSin(" << Digits17(c.x) << ")";
        EXPECT_TRUE(SameBits(RtCos(c.x), c.cos)) << "RtCos(" << Digits17(c.x) << ")";
    }
}

TEST(Trig, HalfMultipleRoundsAwayFromZero) {
    int32_t q = 0;
    EXPECT_TRUE(SameBits(ReducedTan(0.7853981633974483, &q), -1.0000000000000002));
    EXPECT_EQ(q, 1);
    EXPECT_TRUE(SameBits(ReducedTan(-0.7853981633974483, &q), 1.0000000000000002));
    EXPECT_EQ(q, -1);
}

TEST(Trig, SinOddCosEvenToTheLastBit) {
    std::mt19937_64 rng(20240601);
    std::uniform_real_distribution<double> small(0, 10), large(0, 6.0e9);
    for (int i = 0; i < 200000; i++) {
        double x = (i % 2 == 0) ? small(rng) : large(rng);
        ASSERT_TRUE(SameBits(RtSin(-x), -RtSin(x))) << "x=" << Digits17(x);
        ASSERT_TRUE(SameBits(RtCos(-x), RtCos(x))) << "x=" << Digits17(x);
    }
    EXPECT_TRUE(SameBits(RtSin(-0.0), 0.0));   // +0, not -0
}

// The continued fraction is cut, but its error must stay a few ulp of the true value.
TEST(Trig, SinCosCloseToTheLibraryOnOnePeriod) {
    for (int i = -4000; i <= 4000; i++) {
        double x = i * 0.001;
        ASSERT_NEAR(RtSin(x), std::sin(x), 4e-16) << "x=" << Digits17(x);
        ASSERT_NEAR(RtCos(x), std::cos(x), 4e-16) << "x=" << Digits17(x);
    }
}

// The multiple q = x/pi rounded must fit 32 bits; beyond, and for inf and NaN, the result is NaN.
TEST(Trig, NaNWhereTheMultipleDoesNotFit) {
    struct {
        const char *name;
        double x;
        bool nan;
    } cases[] = {
        {"6.7e9 fits", 6.7e9, false},    {"-6.7e9 fits", -6.7e9, false},
        {"6.8e9 does not", 6.8e9, true}, {"-6.8e9 does not", -6.8e9, true},
        {"1e300", 1e300, true},          {"+inf", kInf, true},
        {"-inf", -kInf, true},           {"NaN", RtDoubleOf(0x7FF8000000000000ull), true},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(IsNaN(RtSin(c.x)), c.nan) << c.name;
        EXPECT_EQ(IsNaN(RtCos(c.x)), c.nan) << c.name;
    }
    int32_t q = 0;
    EXPECT_TRUE(IsNaN(ReducedTan(kInf, &q)));
    EXPECT_EQ(q, INT32_MIN);
}

TEST(AbsInt, AbsKeepsMinusZeroAndNaN) {
    EXPECT_TRUE(SameBits(RtAbs(-2.5), 2.5));
    EXPECT_TRUE(SameBits(RtAbs(-0.0), -0.0));
    EXPECT_TRUE(SameBits(RtAbs(-kInf), kInf));
    EXPECT_TRUE(IsNaN(RtAbs(RtDoubleOf(0xFFF8000000000000ull))));
}

TEST(AbsInt, IntIsTheFloorAndOutOfRangeIsMinInt) {
    struct {
        double x;
        int32_t floor, trunc;
    } cases[] = {
        {2.5, 2, 2}, {-2.5, -3, -2}, {-3, -3, -3}, {-0.0, 0, 0}, {-1e-300, -1, 0},
        {0.9999999999999999, 0, 0}, {2147483647.5, 2147483647, 2147483647},
        {2147483648.0, INT32_MIN, INT32_MIN}, {-2147483648.0, INT32_MIN, INT32_MIN},
        {-2147483647.5, -2147483648, -2147483647},
        {-2147483648.5, INT32_MIN, INT32_MIN},   // floor -2^31 - 1 does not fit
        {-2147483649.0, INT32_MIN, INT32_MIN}, {1e300, INT32_MIN, INT32_MIN},
        {-1e300, INT32_MIN, INT32_MIN}, {kInf, INT32_MIN, INT32_MIN}, {-kInf, INT32_MIN, INT32_MIN},
        {RtDoubleOf(0x7FF8000000000000ull), INT32_MIN, INT32_MIN},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(RtInt(c.x), c.floor) << "RtInt(" << Digits17(c.x) << ")";
        EXPECT_EQ(RtTruncToInt32(c.x), c.trunc) << "trunc(" << Digits17(c.x) << ")";
    }
}

}  // namespace
