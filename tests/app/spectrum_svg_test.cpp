// spectrum_svg_test.cpp: the picture of Result.csv on bytes: where the line breaks, which bins
// are marked as peaks, where the points and marks stand, and that no input breaks the document
// or its size bound.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/spectrum_svg.h"
#include "runtime/math/rt_math.h"
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

// The numbers after `before` (up to a quote or a '<') in each element that opens with head, in
// document order: (svg, "<circle r=", " cx=\"") the marks' x; (svg, "peak-bin", ">") the bins.
std::vector<double> Numbers(const std::string &svg, const std::string &head,
                            const std::string &before) {
    std::vector<double> numbers;
    for (size_t at = svg.find(head); at != std::string::npos; at = svg.find(head, at + 1)) {
        size_t from = svg.find(before, at);
        if (from > svg.find('>', at))
            continue;
        const char *p = svg.c_str() + from + before.size();
        for (char *end = nullptr; *p != '"' && *p != '<' && end != p;
             p = end + (*end == ' ' || *end == ','))
            numbers.push_back(std::strtod(p, &end));
    }
    return numbers;
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
        std::vector<double> peaks;   // highest first
        int polylines, dots, marks;
        const char *inside;  // bytes the picture holds
    } cases[] = {
        {"N = 1: no bins", {}, {}, 0, 0, 0, "N = 1, no bins</text>"},
        {"nothing drawable", {kNan, kInf, -kInf, 1e300}, {}, 0, 0, 0, "<line"},
        // Bin 0 alone and bin 5 alone are dots; the peaks' walk passes over the bins not drawn,
        // so bin 3 is on the slope up to bin 5.
        {"breaks at non-finite bins", {1, kNan, 2, 3, kInf, 4}, {5}, 1, 2, 1,
         "r=\"2\" fill=\"#1f4e9c\" stroke=\"none\" cx=\"163.3\" cy=\"520\"/>"},
        // Bin 0 is never marked but still ground (so bin 1 is no peak); the first bin of a
        // plateau; equal prominences and heights in bin order.
        {"five most prominent, ties to the lower bin", {9, 5, 0, 5, 0, 7, 7, 0, 3, 0, 1, 0, 5},
         {5, 3, 12, 8, 10}, 1, 0, 5, "Result.csv: N = 26, bins 0 to 12</text>"},
        // Bin 4 (4.61, e^4.61 - e^4.6 = 1 above bin 3) is a wiggle on bin 1's slope and bin 15
        // (e^2 - 1) the least prominent of the lower lone peaks: neither is marked.
        {"a wiggle on a slope unmarked, small lone peaks marked", {0, 5, 4.8, 4.6, 4.61, 4.4, 4.2,
         4, 3, 2, 1, 0, 0, 3, 0, 2, 0, 2.5, 0, 2.2, 0, 2.1, 0}, {1, 13, 17, 19, 21}, 2, 0, 6,
         "bins 0 to 5, enlarged"},
        // Bins 6 and 8 cut each other off nowhere (equal is not higher); bins 10 and 11 are a
        // step up to bin 12, no plateau peak; bin 0 is higher than all.
        {"plateau, two equal peaks, a step", {9, 1, 4, 4, 4, 1, 6, 2, 6, 0, 5, 5, 7, 0},
         {12, 6, 8, 2}, 1, 0, 4, "x=\"676\" y=\"605\">14.0<"},
        // The enlarged plot ends at the least 1, 2, 5 times a power of ten above twice the
        // highest marked peak of the first tenth, and marks the marked peaks up to there.
        {"highest at bin 1: bins 0 to 5 enlarged", Spikes(13, {{1, 5}, {6, 3}}), {1, 6}, 2, 0, 3,
         "bins 0 to 5, enlarged"},
        {"15 the highest marked of the tenth: bins 0 to 50", Spikes(200, {{10, 9}, {15, 4},
         {25, 8}, {150, 1}}), {10, 25, 15, 150}, 2, 0, 7, "bins 0 to 50, enlarged"},
        {"a column of many bins draws its highest", Spikes(4 * kSpectrumSvgColumns, {{2001, 9}}),
         {2001}, 1, 0, 1, " 590.5,106 "},
        {"highest at the tenth: no enlarged plot", Spikes(200, {{20, 9}, {5, 4}}), {20, 5}, 1, 0,
         2, "height=\"650\""},
    };
    for (const auto &c : cases) {
        std::string svg = Picture(c.values, 2.0 * c.values.size() + (c.values.empty() ? 1 : 0));
        ASSERT_GT(svg.size(), 0u) << c.name;
        EXPECT_EQ(svg.compare(0, 5, "<?xml"), 0) << c.name;
        EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n") << c.name;
        EXPECT_EQ(Numbers(svg, "peak-bin", ">"), c.peaks) << c.name;
        EXPECT_EQ(Count(svg, "<polyline"), c.polylines) << c.name;
        EXPECT_EQ(Count(svg, "class=\"dot\""), c.dots) << c.name;
        EXPECT_EQ(Count(svg, "<circle r=\"3.5\""), c.marks) << c.name;
        EXPECT_NE(svg.find(c.inside), std::string::npos) << c.name << "\n" << svg;
        EXPECT_EQ(Count(svg, "nan") + Count(svg, "inf"), 0) << c.name;
    }
}

// Per bin, a line broken at every other bin is the largest picture: within capacity whether it
// has a point a bin or a column (of 50000 bins, N = 100001) of many.
TEST_F(SpectrumSvgTest, TheLargestPicturesFit) {
    std::vector<double> brokenEveryOther(50000);
    for (int32_t k = 0; k < 50000; k++)
        brokenEveryOther[k] = k % 2 ? kNan : (double)(k % 7);
    EXPECT_LT(Picture(brokenEveryOther, 100001).size() - 1, 200000u);
    brokenEveryOther.resize(kSpectrumSvgColumns);
    EXPECT_GT(Picture(brokenEveryOther, 2.0 * kSpectrumSvgColumns).size(), 0u);
}

}   // namespace
