// transform_test.cpp: the fast transform, in every instruction set this machine runs and in the
// scalar code, dividing in each way the set has (the divider, the FMA units, the mix of both), on
// its threads, with shared angles and without, gives the plain loop's bits for
// every bin: its lower bins as soon as that part is done, and the rest after it, also where an
// earlier transform stopped after its lower part (the display declined) and left its own values
// in the arrays.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/transform.h"

namespace {

// Sample i: negative, tiny (subnormal), large, zero and ordinary values in turn. The large ones
// leave the ordinary ones visible in every sum: a term missed or taken twice changes the bits.
double Sample(int32_t i) {
    const double kCycle[9] = {1.0 + i, -2.5 * i, 0.0, 4.9e-324, -1e-310,
                              i % 18 == 5 ? 3e12 : -0.0, -3.0e-5,
                              i % 27 == 7 ? -7e11 : 123456.789, 0.1 * i};
    return kCycle[i % 9];
}

const struct {
    const char *name;
    double (*step)(int32_t count);
} kSteps[] = {
    // As the analysis run forms it: (2 * 3.141592) / N.
    {"analysis", [](int32_t count) { return (2.0 * 3.141592) / (double)count; }},
    {"negative", [](int32_t count) { return -(2.0 * 3.141592) / (double)count; }},
    // Largest angle just below the lanes' limit: the biggest reductions the lanes make.
    {"near_limit",
     [](int32_t count) { return 5.3e8 / ((double)(count - 1) * (double)(count - 1) + 1); }},
    // Beyond it: every bin takes the scalar code, NaN from the multiple's limit included.
    {"beyond_limit", [](int32_t) { return 1.0e7; }},
    // Angles a few ulps from multiples of pi/4, where the multiple takes the division; and 2^-46
    // (relative) off them up to 4e8, just outside the slack of its bracket, which must hold alone.
    {"quarter_pi", [](int32_t) { return 0.7853981633974483; }},
    {"quarter_pi_off", [](int32_t) { return 0.7853981633974595 * 512; }},
};

// N: the small counts at every vector width's edges (33: nine chains, one past a unit of 8; 65:
// 17, one past 16); 255 the last without threads, 256 the first with; 1001 on threads (a partial
// vector in every width); 1024 and 1025, whose bin 1 heads the longest chains, 1025 with two
// upper bins in one chain (512 and 1024).
const char *const kWays[] = {"divider", "fma", "mix"};   // where the lanes divide

const int32_t kCounts[] = {1, 2, 3, 7, 8, 9, 17, 33, 63, 64, 65, 255, 256, 1001, 1024, 1025};

class TransformFastTest : public ::testing::TestWithParam<int32_t> {};

// The progress hook with no delay: called at once and then each period, on the waiting thread
// only, with percentages that never fall and stay below 100.
std::vector<int32_t> gPercents;
void RecordPercent(void *caller, int32_t percent) {
    EXPECT_EQ(*(std::thread::id *)caller, std::this_thread::get_id()) << percent;
    EXPECT_LE(percent, 99);
    EXPECT_GE(percent, gPercents.empty() ? 0 : gPercents.back());
    gPercents.push_back(percent);
}

// Per step: the plain loop once, then in every set this machine runs: every pair evaluated; and
// shared angles after an earlier transform of other samples that stopped after its lower part.
TEST_P(TransformFastTest, BitIdenticalToThePlainLoopInEverySet) {
    const int32_t count = GetParam();
    std::vector<double> samples(count), other(count), plainRe(count), plainIm(count);
    for (int32_t i = 0; i < count; ++i) {
        samples[i] = Sample(i);
        other[i] = Sample(count - i);
    }
    std::vector<double> re, im;
    static TransformRun *const run = TransformRunNew();
    // The first `bins` bins against the plain loop's, and the canary behind the last bin.
    auto expectPlain = [&](int32_t bins, const std::string &what) {
        EXPECT_EQ(0, std::memcmp(plainRe.data(), re.data(), sizeof(double) * bins)) << what;
        EXPECT_EQ(0, std::memcmp(plainIm.data(), im.data(), sizeof(double) * bins)) << what;
        EXPECT_EQ(7.0, re.back()) << what << ": wrote past the last bin";
        EXPECT_EQ(7.0, im.back()) << what << ": wrote past the last bin";
    };
    for (const auto &step : kSteps) {
        const double angleStep = step.step(count);
        TransformPlain(samples.data(), count, angleStep, plainRe.data(), plainIm.data());
        for (int s = 0; s < kRtLaneSetCount * 3; ++s) {
            const RtLaneSet set = (RtLaneSet)(s / 3);
            const char *const way = kWays[s % 3];
            if (!TransformSelectLanes(set) || !TransformSelectDivide(way))
                continue;   // not on this processor or build
            const std::string what = std::string(RtLaneSetName(set)) + " " + way + " " + step.name;
            re.assign(count + 1, 7.0);
            im.assign(count + 1, 7.0);
            TransformShareAngles(0);
            TransformFast(run, samples.data(), count, angleStep, re.data(), im.data(), nullptr);
            expectPlain(count, what + " every pair");

            TransformShareAngles(1);
            TransformStart(run, other.data(), count, angleStep, re.data(), im.data());
            TransformWaitLower(run, nullptr);
            TransformStart(run, samples.data(), count, angleStep, re.data(), im.data());
            std::thread::id caller = std::this_thread::get_id();
            const TransformProgress progress = {RecordPercent, &caller, 0};
            gPercents.clear();
            TransformWaitLower(run, &progress);
            EXPECT_FALSE(gPercents.empty()) << what << ": no progress reported";
            expectPlain(count / 2, what + " lower part");
            TransformStartUpper(run);
            gPercents.clear();
            for (int32_t k = count - 1; k >= count / 2; k -= 97)
                TransformWaitBin(run, k, &progress);
            EXPECT_FALSE(gPercents.empty()) << what << ": no progress of the upper part";
            TransformFinish(run);
            expectPlain(count, what + " shared angles");
        }
    }
    TransformSelectLanes(RtLaneSetWidest());
    TransformSelectDivide("measure");
}

INSTANTIATE_TEST_SUITE_P(Counts, TransformFastTest, ::testing::ValuesIn(kCounts),
                         [](const ::testing::TestParamInfo<int32_t> &info) {
                             return "N" + std::to_string(info.param);
                         });

}  // namespace
