// svg_labels.h: where Result.svg writes the bin numbers of its marked peaks: beside each mark,
// clear of the other labels, of every mark and of the plot's frame, or nowhere at all (the
// picture's table lists every marked peak, so a label left out loses no number).
//
// Invariant after SvgLabelsPlace: no two shown label boxes intersect, no shown box intersects a
// mark's box (its own included) or the line's extent in any pixel column it spans, and every
// shown box lies inside the frame with kSvgLabelMargin
// pixels to spare on each side. Titles, tick numbers and axis names all stand outside the frame,
// so a label meets none of them.
//
// Boxes are in the picture's pixels, y down. A label's box is the font box of its digits at
// kSvgLabelFontSize, taken from the widest common sans-serif digits (DejaVu Sans: 0.636 em a
// digit, ascent 0.928 em, descent 0.236 em) and rounded up, so the drawn text lies inside it.
// Only + - * / and comparisons on doubles: the same places on every platform.
#ifndef APP_SVG_LABELS_H
#define APP_SVG_LABELS_H

#include <cstdint>

constexpr int32_t kSvgLabelFontSize = 12;
constexpr double kSvgLabelCharWidth = 8;   // pixels a digit (7.63 in DejaVu Sans)
constexpr double kSvgLabelAscent = 12;     // baseline to the box's top (11.1)
constexpr double kSvgLabelDescent = 3;     // baseline to the box's bottom (2.8)
constexpr double kSvgMarkRadius = 3.5;     // a mark is a circle of this radius
constexpr double kSvgLabelMargin = 2;      // free pixels between a label and the frame's edge

struct SvgBox {
    double left, top, right, bottom;   // left <= right, top <= bottom
};

// The pixel columns the plot's line passes through: column c (x left + c to left + c + 1) holds
// the line from y top[c] to bottom[c], widened by kSvgCurveReach on each side when a label is
// tested; top[c] > bottom[c] where no line passes.
constexpr int32_t kSvgCurveColumns = 880;
constexpr double kSvgCurveReach = 1;   // half the line's width of 1.2 pixels, rounded up
struct SvgCurve {
    double left;
    double top[kSvgCurveColumns], bottom[kSvgCurveColumns];
};

// No line yet, in the columns from x = left on.
void SvgCurveClear(SvgCurve *curve, double left);
// Adds the straight segment from (x1, y1) to (x2, y2), x1 <= x2, to the columns it crosses.
void SvgCurveAdd(SvgCurve *curve, double x1, double y1, double x2, double y2);

struct SvgLabel {
    double markX, markY;   // in: the centre of the label's mark
    int32_t chars;         // in: characters of the label, 1 or more
    bool shown;            // out: a free place was found
    SvgBox box;            // out, when shown: the text stands centred in it, its baseline at
                           // box.bottom - kSvgLabelDescent
};

// Places labels[0 .. count - 1] in that order, so an earlier label has the first choice. Each
// tries, in turn: above its mark, above pushed right, above pushed left, right of it, left of
// it, below it; a place is first slid into the frame, then taken if it is free. A label with no
// free place is left out.
void SvgLabelsPlace(const SvgBox *frame, const SvgCurve *curve, SvgLabel *labels, int32_t count);

#endif
