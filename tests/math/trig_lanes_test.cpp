// trig_lanes_test.cpp: the lane RtSin/RtCos of every instruction set this machine runs give the
// scalar functions' bits, across the reduction's boundaries and out to where the lanes hand over
// to the scalar code and beyond.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "runtime/math/rt_trig.h"
#include "runtime/math/rt_trig_lanes.h"

namespace {

std::vector<double> SweepArguments() {
    std::vector<double> x;
    const double pi = 3.141592653589793;
    // Quarter multiples of pi: x/2 at the multiples of pi/2 (odd and even q) and halfway between
    // (where q rounds away from zero), with their neighbours up to 2 ulp either side.
    for (int j = -400; j <= 400; ++j) {
        const double center = (double)j * (pi / 4);
        for (int d = -2; d <= 2; ++d)
            x.push_back(RtDoubleOf(RtBitsOf(center) + (int64_t)d));
    }
    // Large multiples the lanes still take (below 2^29): odd and even q, and the halves.
    for (double base : {10000000.0, 170891300.0})
        for (int j = 0; j < 32; ++j)
            for (int d = -2; d <= 2; ++d)
                x.push_back(RtDoubleOf(RtBitsOf((base + 0.5 * j) * pi) + (int64_t)d));
    // Around the lanes' limit 2^29, and the scalar's 32-bit limit of the multiple (~6.7e9), at
    // half multiples (m + 0.5) * pi, and powers of two far beyond.
    for (double m : {268435455.5, 268435456.5, 536870911.5, 1073741823.5, 2147483646.5,
                     2147483647.5, 2147483648.5})
        for (int d = -2; d <= 2; ++d) {
            x.push_back(RtDoubleOf(RtBitsOf(m * pi) + (int64_t)d));
            x.push_back(-RtDoubleOf(RtBitsOf(m * pi) + (int64_t)d));
        }
    for (double p = 1; p < 1e300; p *= 2)
        x.insert(x.end(), {p, -p, 1 / p});
    x.insert(x.end(), {0.0, -0.0, 4.9e-324, -4.9e-324, 2.2250738585072014e-308,
                       RtDoubleOf(kRtInfBits), -RtDoubleOf(kRtInfBits), RtDoubleOf(kRtNaNBits),
                       -RtDoubleOf(kRtNaNBits), 536870912.0, -536870912.0, 536870911.9999999});
    // Pseudo-random arguments of every magnitude from 1e-6 to 1e10.
    uint64_t state = 1;
    for (int i = 0; i < 4000; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const double unit = (double)(state >> 11) / 9007199254740992.0;   // [0, 1)
        double scale = 1e-6;
        for (int e = 0; e < (int)(state % 17); ++e)
            scale *= 10;
        x.push_back((unit - 0.5) * scale);
    }
    return x;
}

class TrigLanes : public ::testing::TestWithParam<int> {};

TEST_P(TrigLanes, SineAndCosineMatchScalarBitForBit) {
    const RtLaneSet set = (RtLaneSet)GetParam();
    if (!RtLaneSetAvailable(set))
        GTEST_SKIP() << RtLaneSetName(set) << " not on this processor or build";
    const std::vector<double> x = SweepArguments();
    const int32_t count = (int32_t)x.size();
    std::vector<double> sine(count), cosine(count);
    RtSinLanes(set, x.data(), sine.data(), count);
    RtCosLanes(set, x.data(), cosine.data(), count);
    for (int32_t i = 0; i < count; ++i) {
        ASSERT_EQ(RtBitsOf(RtSin(x[i])), RtBitsOf(sine[i])) << "sin x=" << x[i];
        ASSERT_EQ(RtBitsOf(RtCos(x[i])), RtBitsOf(cosine[i])) << "cos x=" << x[i];
    }

    // Every count up to three groups of the widest vectors: the partial tail, and nothing written
    // beyond count (the canary stays); then the cosine in place.
    double y[100], out[101];
    for (int i = 0; i < 100; ++i)
        y[i] = (double)(i - 50) * 0.7853981633974483;   // quarter multiples of pi
    for (int32_t n = 0; n <= 100; ++n) {
        out[n] = 12345.0;
        RtSinLanes(set, y, out, n);
        for (int32_t i = 0; i < n; ++i)
            ASSERT_EQ(RtBitsOf(RtSin(y[i])), RtBitsOf(out[i])) << "count " << n << " i " << i;
        ASSERT_EQ(12345.0, out[n]) << "count " << n;
    }
    RtCosLanes(set, y, y, 100);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(RtBitsOf(RtCos((double)(i - 50) * 0.7853981633974483)), RtBitsOf(y[i])) << i;
}

INSTANTIATE_TEST_SUITE_P(Sets, TrigLanes,
                         ::testing::Values(kRtLanesScalar, kRtLanesSse2, kRtLanesAvx2,
                                           kRtLanesAvx512),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return std::string(RtLaneSetName((RtLaneSet)info.param));
                         });

// The widest set is available and none above it is: dispatch never settles for a narrower one.
TEST(TrigLanesSets, WidestIsTheWidestAvailable) {
    EXPECT_TRUE(RtLaneSetAvailable(kRtLanesScalar));   // the reference is never skipped
    EXPECT_TRUE(RtLaneSetAvailable(RtLaneSetWidest()));
    for (int s = RtLaneSetWidest() + 1; s <= kRtLaneSetCount; ++s)
        EXPECT_FALSE(RtLaneSetAvailable((RtLaneSet)s)) << s;
}

}  // namespace
