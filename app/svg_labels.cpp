// svg_labels.cpp: SvgLabelsPlace, a first-free-place search for each label in turn.
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

// Whether box may hold label `self`: inside the frame's margin and clear of every mark and of
// the labels placed before it.
static bool Free(const SvgBox *frame, const SvgLabel *labels, int32_t count, int32_t self,
                 const SvgBox *box) {
    if (box->left < frame->left + kSvgLabelMargin || box->right > frame->right - kSvgLabelMargin ||
        box->top < frame->top + kSvgLabelMargin || box->bottom > frame->bottom - kSvgLabelMargin)
        return false;
    for (int32_t i = 0; i < count; i++) {
        const SvgLabel *l = &labels[i];
        SvgBox mark = {l->markX - kMarkHalf, l->markY - kMarkHalf, l->markX + kMarkHalf,
                       l->markY + kMarkHalf};
        if (Intersect(box, &mark) || (i < self && l->shown && Intersect(box, &l->box)))
            return false;
    }
    return true;
}

void SvgLabelsPlace(const SvgBox *frame, SvgLabel *labels, int32_t count) {
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
            if (Free(frame, labels, count, i, &box)) {
                l->box = box;
                l->shown = true;
            }
        }
    }
}
