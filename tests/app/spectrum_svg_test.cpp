// spectrum_svg_test.cpp: the picture of Result.csv on bytes: where the line breaks, which bins
// are marked as peaks, and that no input breaks the document or its size bound.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/spectrum_svg.h"
#include "tests/test_strings.h"

namespace {

using SpectrumSvgTest = StringsTest;

const double kNan = std::nan(""), kInf = HUGE_VAL;

std::string Picture(const std::vector<double> &values, double sampleCount) {
    std::string out(kSpectrumSvgCapacity, '\0');
    uint32_t length = SpectrumSvg(values.data(), (int32_t)values.size(), sampleCount, &out[0],
                                  kSpectrumSvgCapacity);
    out.resize(length);
    return out;
}

int Count(const std::string &text, const std::string &what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        n++;
    return n;
}

// The numbers of the marked bins, as the table lists them.
std::string Peaks(const std::string &svg) {
    std::string peaks;
    for (size_t at = svg.find("peak-bin"); at != std::string::npos;
         at = svg.find("peak-bin", at + 1)) {
        size_t from = svg.find('>', at) + 1;
        peaks += (peaks.empty() ? "" : " ") + svg.substr(from, svg.find('<', from) - from);
    }
    return peaks;
}

// bins zeros but the given spikes.
std::vector<double> Spikes(int32_t bins, std::vector<std::pair<int32_t, double>> spikes) {
    std::vector<double> values(bins, 0.0);
    for (const auto &spike : spikes)
        values[spike.first] = spike.second;
    return values;
}

TEST_F(SpectrumSvgTest, LineBreaksMarkedPeaksAndTheEnlargedPlot) {
    struct {
        const char *name;
        std::vector<double> values;
        const char *peaks;   // highest first
        int polylines, dots, marks;
        const char *inside;  // bytes the picture holds
    } cases[] = {
        {"N = 1: no bins", {}, "", 0, 0, 0, "N = 1, no bins</text>"},
        {"nothing drawable", {kNan, kInf, -kInf, 1e300}, "", 0, 0, 0, "<line"},
        // Bin 0 alone and bin 5 alone are dots; inf and NaN neighbours count as lower.
        {"breaks at non-finite bins", {1, kNan, 2, 3, kInf, 4}, "5 3", 1, 2, 2,
         "r=\"2\" fill=\"#1f4e9c\" stroke=\"none\" cx=\"163.3\" cy=\"520\"/>"},
        // Bin 0 is never marked but still a neighbour (so bin 1 is no peak); the first bin of a
        // plateau; equal heights in bin order.
        {"five highest, ties to the lower bin", {9, 5, 0, 5, 0, 7, 7, 0, 3, 0, 1, 0, 5},
         "5 3 12 8 10", 1, 0, 5, "Result.csv: N = 26, bins 0 to 12</text>"},
        // The enlarged plot ends at the least 1, 2, 5 times a power of ten above twice the
        // highest marked peak of the first tenth, and marks the marked peaks up to there.
        {"highest at bin 1: bins 0 to 5 enlarged", Spikes(13, {{1, 5}, {6, 3}}), "1 6", 2, 0, 3,
         "bins 0 to 5, enlarged"},
        {"15 the highest marked of the tenth: bins 0 to 50", Spikes(200, {{10, 9}, {15, 4},
         {25, 8}, {150, 1}}), "10 25 15 150", 2, 0, 7, "bins 0 to 50, enlarged"},
        {"highest at the tenth: no enlarged plot", Spikes(200, {{20, 9}, {5, 4}}), "20 5", 1, 0,
         2, "height=\"650\""},
    };
    for (const auto &c : cases) {
        std::string svg = Picture(c.values, 2.0 * c.values.size() + (c.values.empty() ? 1 : 0));
        ASSERT_GT(svg.size(), 0u) << c.name;
        EXPECT_EQ(svg.compare(0, 5, "<?xml"), 0) << c.name;
        EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n") << c.name;
        EXPECT_EQ(Peaks(svg), c.peaks) << c.name;
        EXPECT_EQ(Count(svg, "<polyline"), c.polylines) << c.name;
        EXPECT_EQ(Count(svg, "class=\"dot\""), c.dots) << c.name;
        EXPECT_EQ(Count(svg, "<circle r=\"3.5\""), c.marks) << c.name;
        EXPECT_NE(svg.find(c.inside), std::string::npos) << c.name << "\n" << svg;
        EXPECT_EQ(Count(svg, "nan") + Count(svg, "inf"), 0) << c.name;
    }
}

// N = 100001 writes 50000 bins, more than the columns: a lone spike stays the top of its column
// (31234 * 880 / 50000 = 549, at x 90 + 549.5; 10 of 0 to 12 at y 60 + 2 / 12 * 460), and no
// pattern outgrows the size bound.
TEST_F(SpectrumSvgTest, LargeNKeepsEveryPeakAndStaysSmall) {
    const int32_t bins = 50000;
    std::vector<double> spike(bins, 0.0), brokenEveryOther(bins), jagged(bins);
    spike[31234] = 10;
    for (int32_t k = 0; k < bins; k++) {
        brokenEveryOther[k] = k % 2 ? kNan : (double)(k % 7);
        jagged[k] = (double)((k * 7919) % 1000) / 37 - 13;
    }
    // The same bytes in every build (the Windows tests run this under Wine): FNV-1a of the whole,
    // the enlarged plot of bins 0 to 10000 (twice the marked 4321, rounded up) included.
    uint64_t hash = 14695981039346656037ull;
    for (char ch : Picture(jagged, 100001))
        hash = (hash ^ (uint8_t)ch) * 1099511628211ull;
    EXPECT_EQ(hash, 13755364857959663961ull);
    std::string svg = Picture(spike, 100001);
    EXPECT_NE(svg.find("639.5,136.7"), std::string::npos);
    EXPECT_EQ(Peaks(svg), "31234");
    for (const auto *values : {&spike, &brokenEveryOther, &jagged})
        EXPECT_TRUE(Picture(*values, 100001).size() - 1 < 200000u);
    // Per bin, a line broken at every other bin is the largest picture: still within capacity.
    brokenEveryOther.resize(kSpectrumSvgColumns);
    EXPECT_GT(Picture(brokenEveryOther, 2.0 * kSpectrumSvgColumns).size(), 0u);
}

}   // namespace
