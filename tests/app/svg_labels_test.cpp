// svg_labels_test.cpp: the peak numbers of Result.svg on plain boxes: whatever the marks and the
// line, no two labels intersect, none meets a mark, the line or the frame's edge, and a label that
// has room is shown.
#include <gtest/gtest.h>

#include <vector>

#include "app/svg_labels.h"

namespace {

bool Intersect(const SvgBox &a, const SvgBox &b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(SvgLabels, NoLabelMeetsAnotherAMarkTheLineOrTheFrame) {
    const SvgBox frame = {90, 60, 970, 520};   // the plot of every bin
    struct Mark {
        double x, y;
        int32_t chars = 3;
    };
    struct {
        const char *name;
        std::vector<Mark> marks;   // highest first
        int shown;
        std::vector<double> line = {};   // x, y of its points, left to right
    } cases[] = {
        // Bins 347, 375, 405 of 10000 (N = 20000 of the example data): columns 2 pixels apart.
        {"three peaks in neighbouring columns", {{123.5, 153}, {125.5, 155}, {121.5, 183}}, 3},
        {"five peaks within 8 pixels, 5-digit numbers",
         {{500, 300, 5}, {502, 301, 5}, {504, 302, 5}, {506, 303, 5}, {508, 304, 5}}, 2},
        {"five peaks on one pixel column", {{300.5, 200}, {300.5, 201}, {300.5, 202},
         {300.5, 203}, {300.5, 204}}, 3},
        // Against the frame: a number slides along it, or stands elsewhere.
        {"bins 1 and 2 in the top corner", {{90.5, 62, 1}, {91.5, 64, 1}}, 1},
        {"the last bin in the bottom corner", {{969.5, 518, 5}, {968.5, 505, 4}}, 2},
        {"a peak at the top, a mark under it", {{500, 63}, {500, 75}}, 2},
        // The line of the sunspots' "22": up from the right through the place above the mark.
        {"a steep line right of a lower peak", {{300, 300, 2}}, 1,
         {290, 330, 300, 300, 303, 320, 310, 250, 330, 200}},
        {"a peak in a jagged line: left out", {{500, 300, 2}}, 0,
         {470, 100, 478, 500, 486, 100, 494, 500, 502, 100, 510, 500, 518, 100, 526, 500}},
    };
    for (const auto &c : cases) {
        SvgCurve curve;
        SvgCurveClear(&curve, frame.left);
        for (size_t i = 2; i < c.line.size(); i += 2)
            SvgCurveAdd(&curve, c.line[i - 2], c.line[i - 1], c.line[i], c.line[i + 1]);
        std::vector<SvgLabel> labels;
        for (const Mark &m : c.marks)
            labels.push_back({m.x, m.y, m.chars, false, {0, 0, 0, 0}});
        SvgLabelsPlace(&frame, &curve, labels.data(), (int32_t)labels.size());
        int shown = 0;
        for (const SvgLabel &l : labels) {
            const SvgBox &b = l.box;
            shown += l.shown;
            if (!l.shown)
                continue;
            EXPECT_EQ(b.right - b.left, l.chars * kSvgLabelCharWidth) << c.name << l.markX;
            EXPECT_GE(b.left, frame.left + kSvgLabelMargin) << c.name << " " << l.markX;
            EXPECT_GE(b.top, frame.top + kSvgLabelMargin) << c.name << " " << l.markX;
            EXPECT_LE(b.right, frame.right - kSvgLabelMargin) << c.name << " " << l.markX;
            EXPECT_LE(b.bottom, frame.bottom - kSvgLabelMargin) << c.name << " " << l.markX;
            for (int32_t x = (int32_t)b.left - 90; x < b.right - 90; x++) {
                if (curve.top[x] <= curve.bottom[x]) {   // a column with no line has top > bottom
                    const SvgBox ink = {x + 90.0, curve.top[x] - 1.0, x + 91.0,
                                        curve.bottom[x] + 1.0};
                    EXPECT_FALSE(Intersect(b, ink)) << c.name << " column " << x;
                }
            }
            for (const SvgLabel &m : labels) {
                SvgBox mark = {m.markX - kSvgMarkRadius, m.markY - kSvgMarkRadius,
                               m.markX + kSvgMarkRadius, m.markY + kSvgMarkRadius};
                EXPECT_FALSE(Intersect(b, mark)) << c.name << " " << l.markX << " " << m.markX;
                if (&m != &l && m.shown) {
                    EXPECT_FALSE(Intersect(b, m.box)) << c.name << " " << l.markX << " " << m.markX;
                }
            }
        }
        EXPECT_EQ(shown, c.shown) << c.name;
    }
}

}   // namespace
