// transform_test.cpp: the fast transform, in every instruction set this machine runs and in the
// scalar code, on its threads, gives the plain loop's bits for every bin.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/transform.h"

namespace {

// Sample i: negative, tiny (subnormal), huge, zero and ordinary values in turn. The huge ones
// are sparse enough that no sum overflows.
double Sample(int32_t i) {
    switch (i % 9) {
    case 0: return 1.0 + i;
    case 1: return -2.5 * i;
    case 2: return 0.0;
    case 3: return 4.9e-324;
    case 4: return -1e-310;
    case 5: return i % 18 == 5 ? 1e300 : -0.0;
    case 6: return -3.0e-5;
    case 7: return i % 27 == 7 ? -1e300 : 123456.789;
    default: return 0.1 * i;
    }
}

struct Step {
    const char *name;
    double (*step)(int32_t count);
};

const Step kSteps[4] = {
    // As the analysis run forms it: (2 * 3.141592) / N.
    {"analysis", [](int32_t count) { return (2.0 * 3.141592) / (double)count; }},
    {"negative", [](int32_t count) { return -(2.0 * 3.141592) / (double)count; }},
    // Largest angle just below the lanes' limit: the biggest reductions the lanes make.
    {"near_limit",
     [](int32_t count) { return 5.3e8 / ((double)(count - 1) * (double)(count - 1) + 1); }},
    // Beyond it: every bin takes the scalar code, NaN from the multiple's limit included.
    {"beyond_limit", [](int32_t) { return 1.0e7; }},
};

// N: the small counts at every vector width's edges; 1000 and 1001 on threads (1001 leaves a
// partial vector in every width).
const int32_t kCounts[] = {1, 2, 3, 7, 8, 9, 17, 63, 64, 65, 1000, 1001};

struct Case {
    RtLaneSet set;
    int32_t count;
};

std::vector<Case> AllCases() {
    std::vector<Case> cases;
    for (int s = 0; s < kRtLaneSetCount; ++s)
        for (int32_t count : kCounts)
            cases.push_back(Case{(RtLaneSet)s, count});
    return cases;
}

// The plain loop's result for a count and a step, computed once and kept for every set.
struct PlainResult {
    std::vector<double> re, im;
};
const PlainResult &Plain(const std::vector<double> &samples, int32_t count, int stepIndex) {
    static std::vector<PlainResult> kept[sizeof kCounts / sizeof kCounts[0]][4];
    int countIndex = 0;
    while (kCounts[countIndex] != count)
        ++countIndex;
    std::vector<PlainResult> &slot = kept[countIndex][stepIndex];
    if (slot.empty()) {
        PlainResult r;
        r.re.resize(count);
        r.im.resize(count);
        TransformPlain(samples.data(), count, kSteps[stepIndex].step(count), r.re.data(),
                       r.im.data());
        slot.push_back(r);
    }
    return slot[0];
}

class TransformFastTest : public ::testing::TestWithParam<Case> {};

TEST_P(TransformFastTest, BitIdenticalToThePlainLoop) {
    const Case c = GetParam();
    if (!RtLaneSetAvailable(c.set))
        GTEST_SKIP() << RtLaneSetName(c.set) << " not on this processor or build";
    ASSERT_TRUE(TransformSelectLanes(c.set));
    std::vector<double> samples(c.count);
    for (int32_t i = 0; i < c.count; ++i)
        samples[i] = Sample(i);
    for (int stepIndex = 0; stepIndex < 4; ++stepIndex) {
        const Step &step = kSteps[stepIndex];
        const double angleStep = step.step(c.count);
        const std::vector<double> &plainRe = Plain(samples, c.count, stepIndex).re;
        const std::vector<double> &plainIm = Plain(samples, c.count, stepIndex).im;
        std::vector<double> fastRe(c.count + 1, 7.0), fastIm(c.count + 1, 7.0);   // + canary
        TransformFast(samples.data(), c.count, angleStep, fastRe.data(), fastIm.data(), nullptr);
        EXPECT_EQ(0, std::memcmp(plainRe.data(), fastRe.data(), sizeof(double) * c.count))
            << RtLaneSetName(c.set) << " N=" << c.count << " " << step.name << " real";
        EXPECT_EQ(0, std::memcmp(plainIm.data(), fastIm.data(), sizeof(double) * c.count))
            << RtLaneSetName(c.set) << " N=" << c.count << " " << step.name << " imaginary";
        EXPECT_EQ(7.0, fastRe[c.count]) << "wrote past the last bin";
        EXPECT_EQ(7.0, fastIm[c.count]) << "wrote past the last bin";
    }
    TransformSelectLanes(RtLaneSetWidest());
}

INSTANTIATE_TEST_SUITE_P(SetsAndCounts, TransformFastTest, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<Case> &info) {
                             return std::string(RtLaneSetName(info.param.set)) + "_N" +
                                    std::to_string(info.param.count);
                         });

TEST(TransformLanes, DefaultIsTheWidestAndUnavailableSetsAreRefused) {
    EXPECT_EQ(RtLaneSetWidest(), TransformLanes());
    EXPECT_FALSE(TransformSelectLanes(kRtLaneSetCount));
    EXPECT_EQ(RtLaneSetWidest(), TransformLanes());
}

// The first bins of a known case: one sample 1 at n = 0 puts RtCos(0) = 1 and 0 - 1*RtSin(0)
// = 0 into every bin, whatever the angles.
TEST(TransformLanes, ImpulseGivesOneAndZeroInEveryBin) {
    std::vector<double> samples(300, 0.0), re(300), im(300);
    samples[0] = 1.0;
    TransformFast(samples.data(), 300, (2.0 * 3.141592) / 300, re.data(), im.data(), nullptr);
    for (int k = 0; k < 300; ++k) {
        ASSERT_EQ(1.0, re[k]) << k;
        ASSERT_EQ(0.0, im[k]) << k;
    }
}

// With no delay the hook is called at once and then each period, on the calling thread, with
// percentages that never fall and stay below 100.
struct Reports {
    std::thread::id caller;
    std::vector<int32_t> percents;
    int onOtherThread;
};
void Record(void *context, int32_t percent) {
    Reports *r = (Reports *)context;
    r->percents.push_back(percent);
    r->onOtherThread += std::this_thread::get_id() != r->caller;
}

TEST(TransformLanes, ProgressReportsOnTheCallingThread) {
    Reports r = {std::this_thread::get_id(), {}, 0};
    const TransformProgress progress = {Record, &r, 0};
    std::vector<double> samples(1000, 1.0), re(1000), im(1000);
    TransformFast(samples.data(), 1000, 0.001, re.data(), im.data(), &progress);
    ASSERT_FALSE(r.percents.empty());
    EXPECT_EQ(0, r.onOtherThread);
    for (size_t i = 0; i < r.percents.size(); ++i) {
        EXPECT_LE(0, r.percents[i]);
        EXPECT_GE(99, r.percents[i]);
        if (i > 0) {
            EXPECT_LE(r.percents[i - 1], r.percents[i]);
        }
    }
}

}  // namespace
