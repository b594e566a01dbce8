// svg_labels.cpp: SvgLabelsPlace, a first-free-place search for each label in turn, and the
// line's extent in each pixel column that it tests a place against.
//
// A mark's box is the square around its circle, kSvgMarkRadius rounded up to whole pixels; a label
// keeps kGap pixels from its own mark's box. Boxes that only touch do not intersect. Every mark
// is an obstacle from the start, so a later mark is never covered by an earlier label.
#include "app/svg_labels.h"

static const double kMarkHalf = 4;   // half the side of a mark's box
static const double kGap = 2;        // between a label and its own mark's box

static bool Intersect(const SvgBox *a, const SvgBox *b) {
    return a->left < b->right && b->left < a->right && a->top < b->bottom && b->top < a->bottom;
}

void SvgCurveClear(SvgCurve *curve, double left) {
    curve->left = left;
    for (int32_t c = 0; c < kSvgCurveColumns; c++) {
        curve->top[c] = 1;
        curve->bottom[c] = 0;
    }
}

// The columns are those from the one holding x1 to the one holding x2 (x = left + c belongs to
// column c); in each, the segment runs between its heights at the column's edges or its ends.
void SvgCurveAdd(SvgCurve *curve, double x1, double y1, double x2, double y2) {
    if (!(x1 >= curve->left))
        x1 = curve->left;
    for (int32_t c = (int32_t)(x1 - curve->left); c < kSvgCurveColumns; c++) {
        const double from = curve->left + (double)c, to = from + 1;
        if (from > x2)
            break;
        const double a = x1 > from ? x1 : from, b = x2 < to ? x2 : to;
        double ya = y1, yb = y2;
        if (x2 > x1) {
            ya = y1 + ((y2 - y1) * (a - x1)) / (x2 - x1);
            yb = y1 + ((y2 - y1) * (b - x1)) / (x2 - x1);
        }
        const double low = ya < yb ? ya : yb, high = ya < yb ? yb : ya;
        if (curve->top[c] > curve->bottom[c]) {
            curve->top[c] = low;
            curve->bottom[c] = high;
        } else {
            curve->top[c] = low < curve->top[c] ? low : curve->top[c];
            curve->bottom[c] = high > curve->bottom[c] ? high : curve->bottom[c];
        }
    }
}

// Whether box may hold label `self`: inside the frame's margin and clear of the line, of every
// mark and of the labels placed before it.
static bool Free(const SvgBox *frame, const SvgCurve *curve, const SvgLabel *labels,
                 int32_t count, int32_t self, const SvgBox *box) {
    if (box->left < frame->left + kSvgLabelMargin || box->right > frame->right - kSvgLabelMargin ||
        box->top < frame->top + kSvgLabelMargin || box->bottom > frame->bottom - kSvgLabelMargin)
        return false;
    for (int32_t c = box->left > curve->left ? (int32_t)(box->left - curve->left) : 0;
         c < kSvgCurveColumns && curve->left + (double)c < box->right; c++) {
        if (curve->top[c] <= curve->bottom[c] && curve->top[c] - kSvgCurveReach < box->bottom &&
            box->top < curve->bottom[c] + kSvgCurveReach)
            return false;
    }
    for (int32_t i = 0; i < count; i++) {
        const SvgLabel *l = &labels[i];
        SvgBox mark = {l->markX - kMarkHalf, l->markY - kMarkHalf, l->markX + kMarkHalf,
                       l->markY + kMarkHalf};
        if (Intersect(box, &mark) || (i < self && l->shown && Intersect(box, &l->box)))
            return false;
    }
    return true;
}

void SvgLabelsPlace(const SvgBox *frame, const SvgCurve *curve, SvgLabel *labels, int32_t count) {
    const double height = kSvgLabelAscent + kSvgLabelDescent, reach = kMarkHalf + kGap;
    for (int32_t i = 0; i < count; i++) {
        SvgLabel *l = &labels[i];
        const double width = (double)l->chars * kSvgLabelCharWidth, x = l->markX, y = l->markY;
        // The left and top edges of the places, in the order of preference.
        const double places[6][2] = {
            {x - width / 2, y - reach - height},           // above
            {x - kMarkHalf, y - reach - height},           // above, pushed right
            {x + kMarkHalf - width, y - reach - height},   // above, pushed left
            {x + reach, y - height / 2},                   // right
            {x - reach - width, y - height / 2},           // left
            {x - width / 2, y + reach},                    // below
        };
        l->shown = false;
        for (int32_t p = 0; p < 6 && !l->shown; p++) {
            double left = places[p][0], top = places[p][1];
            if (left < frame->left + kSvgLabelMargin)
                left = frame->left + kSvgLabelMargin;
            if (left + width > frame->right - kSvgLabelMargin)
                left = frame->right - kSvgLabelMargin - width;
            if (top < frame->top + kSvgLabelMargin)
                top = frame->top + kSvgLabelMargin;
            if (top + height > frame->bottom - kSvgLabelMargin)
                top = frame->bottom - kSvgLabelMargin - height;
            SvgBox box = {left, top, left + width, top + height};
            if (Free(frame, curve, labels, count, i, &box)) {
                l->box = box;
                l->shown = true;
            }
        }
    }
}
