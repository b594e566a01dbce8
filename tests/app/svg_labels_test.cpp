// svg_labels_test.cpp: the peak numbers of Result.svg on plain boxes: whatever the marks, no two
// labels intersect, none meets a mark or leaves the frame, and a label that has room is shown.
#include <gtest/gtest.h>

#include <vector>

#include "app/svg_labels.h"

namespace {

bool Intersect(const SvgBox &a, const SvgBox &b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(SvgLabels, NoLabelMeetsAnotherAMarkOrTheFrame) {
    const SvgBox frame = {90, 60, 970, 520};   // the plot of every bin
    struct Mark {
        double x, y;
        int32_t chars = 3;
    };
    struct {
        const char *name;
        std::vector<Mark> marks;   // highest first
        int shown;
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
    };
    for (const auto &c : cases) {
        std::vector<SvgLabel> labels;
        for (const Mark &m : c.marks)
            labels.push_back({m.x, m.y, m.chars, false, {0, 0, 0, 0}});
        SvgLabelsPlace(&frame, labels.data(), (int32_t)labels.size());
        int shown = 0;
        for (const SvgLabel &l : labels) {
            const SvgBox &b = l.box;
            shown += l.shown;
            if (l.shown) {
                EXPECT_EQ(b.right - b.left, l.chars * kSvgLabelCharWidth) << c.name << l.markX;
                EXPECT_GE(b.left, frame.left + kSvgLabelMargin) << c.name << " " << l.markX;
                EXPECT_GE(b.top, frame.top + kSvgLabelMargin) << c.name << " " << l.markX;
                EXPECT_LE(b.right, frame.right - kSvgLabelMargin) << c.name << " " << l.markX;
                EXPECT_LE(b.bottom, frame.bottom - kSvgLabelMargin) << c.name << " " << l.markX;
            }
            for (const SvgLabel &m : labels) {
                SvgBox mark = {m.markX - kSvgMarkRadius, m.markY - kSvgMarkRadius,
                               m.markX + kSvgMarkRadius, m.markY + kSvgMarkRadius};
                EXPECT_FALSE(l.shown && (Intersect(b, mark) || (&m != &l && m.shown &&
                             Intersect(b, m.box)))) << c.name << " " << l.markX << " " << m.markX;
            }
        }
        EXPECT_EQ(shown, c.shown) << c.name;
    }
}

}   // namespace
