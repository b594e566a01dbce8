// spectrum_svg.cpp: SpectrumSvg, the line chart of LogAbs against the bin number.
//
// Geometry, in pixels of the picture, 1000 wide and 650 high (1080 with the enlarged plot):
//   plots: x 90 .. 970 (kSpectrumSvgColumns = 880 wide). The plot of every bin: y 60 .. 520
//      (460 high); the enlarged plot, when there is one: y 650 .. 950 (300 high).
//   x, in a plot of M bins: bin k owns a slot of 880 / M pixels and stands at its middle,
//      90 + ((k + 0.5) * 880) / M. With more bins than columns, bin k belongs to column
//      (k * 880) / M (integers) and stands at that column's middle, 90 + column + 0.5.
//   y: ticks every `step` (1, 2 or 5 times a power of ten, from + - * / alone) cover the plot's
//      drawn values from tick `low` to tick `high`, with a sixteenth of their span (a tenth in the
//      lower plot) free above the highest for its peak's number; value v stands at
//      top + ((high - v) * height) / (high - low).
//   table of the marked peaks: two rows of 20 from y 590 (1020), a column of 174 a peak, its
//      period 48 right of its bin.
//   a warning, when there is one: a band of kSpectrumSvgWarningBand above all of this, which
//      moves down by as much in one group, its numbers unchanged.
// Each expression is evaluated in the order written, every step rounded to a double, so the
// coordinates are the same bits on every platform; they are written to a tenth of a pixel.
//
// Peaks: the five most prominent (svg_peaks.h), bin 0 never; their numbers are placed by
// SvgLabelsPlace clear of the line, or left to the table, which gives each its period N / k.
//
// Enlarged plot: when the first marked (the most prominent) peak k lies in the first tenth of
// the bins (10 k < M), a second plot shows bins 0 .. Z, Z the least of 1, 2, 5 times a power of
// ten above twice the highest marked peak h of that tenth (so Z <= 5 h < M / 2). It has its own
// axes and marks the marked peaks up to Z; the first plot shades the bins it enlarges.
#include "app/spectrum_svg.h"

#include <cstring>

#include "app/svg_labels.h"
#include "app/svg_peaks.h"
#include "app/texts.h"
#include "runtime/core/rt_decimal.h"
#include "runtime/core/rt_string.h"
#include "runtime/math/rt_math.h"

static_assert(kSpectrumSvgPeaks == kSvgPeaksMost && kSpectrumSvgColumns == kSvgCurveColumns,
              "the picture's marks and columns are those of the peaks and the labels");

// The geometry of the top of the file, in pixels; font sizes in pixels too.
static const double kPictureWidth = 1000, kPictureHeight = 650, kZoomedHeight = 1080;
static const double kPlotLeft = 90, kPlotWidth = kSpectrumSvgColumns;
static const double kPlotTop = 60, kPlotHeight = 460, kZoomTop = 650, kZoomHeight = 300;
static const double kTitleBaseline = 28, kZoomTitleBaseline = kZoomTop - 18;
static const double kValueNameLeft = 10;
static const double kTableLeft = 10, kTableHead = 90, kTableColumn = 174, kTableRow = 20;
static const double kTablePeriod = 48;   // a period's left, right of its bin's (5 digits at most)
static const double kTableAboveBottom = 60;   // the table's top, up from the picture's bottom
static const double kFontSize = 13, kTitleFontSize = 18, kZoomTitleFontSize = 15;
static const double kTableFontSize = 12;
static const double kLineWidth = 1.2, kDotRadius = 2;
static const double kWarningBaseline = 20, kWarningFontSize = 12;   // in its band, at the top

// The document being written; full once a write did not fit (nothing more is written then).
struct SvgOut {
    char *bytes;
    uint32_t length;
    uint32_t capacity;
    bool full;
};

static void PutBytes(SvgOut *o, const void *bytes, uint32_t n) {
    if (o->full || n > o->capacity - o->length) {
        o->full = true;
        return;
    }
    std::memcpy(o->bytes + o->length, bytes, n);
    o->length += n;
}

static void Put(SvgOut *o, const char *text) {
    PutBytes(o, text, (uint32_t)std::strlen(text));
}

// A number of the data (a value, a bin, N) as the runtime writes it everywhere else.
static void PutNumber(SvgOut *o, double value) {
    RtString text = NumToStr(value);
    PutBytes(o, text, StrLength(text));
    StrFree(text);
}

// A coordinate: pixels to a tenth, rounded half up, clamped to 0 .. 10000; "57" rather than
// "57.0". Integer digits only, so no formatting of the C library is involved.
static void PutPixel(SvgOut *o, double pixels) {
    if (!(pixels >= 0))
        pixels = 0;   // NaN too
    if (pixels > 10000)
        pixels = 10000;
    int32_t tenths = (int32_t)(pixels * 10 + 0.5);   // truncation: the floor, as it is not negative
    char text[kRtDecimalMax + 2];
    int32_t n = RtDecimal((uint32_t)(tenths / 10), text);
    if (tenths % 10 != 0) {
        text[n++] = '.';
        n += RtDecimal((uint32_t)(tenths % 10), text + n);
    }
    PutBytes(o, text, (uint32_t)n);
}

static void PutAttribute(SvgOut *o, const char *name, double pixels) {
    Put(o, " ");
    Put(o, name);
    Put(o, "=\"");
    PutPixel(o, pixels);
    Put(o, "\"");
}

static bool Drawn(double value) {
    return SvgDrawn(value);
}

// Floor of x, |x| < 2^62.
static double Floor(double x) {
    double t = (double)(int64_t)x;
    return t > x ? t - 1 : t;
}

// The least of 1, 2, 5 times a power of ten that is at least rough (1e-7 < rough < 1e300).
static double NiceStep(double rough) {
    double p = 1;
    while (p * 10 <= rough)
        p = p * 10;
    while (p > rough)
        p = p / 10;
    if (p * 2 >= rough)
        return p == rough ? p : p * 2;
    if (p * 5 >= rough)
        return p * 5;
    return p * 10;
}

// The y axis: ticks from lowTick * step to highTick * step.
struct ValueAxis {
    double step;
    int64_t lowTick, highTick;
    double low, high;   // lowTick * step, highTick * step
};

// The axis of logAbs[0 .. bins - 1], a 1 / headroom of the values' span free above the highest.
static ValueAxis MakeValueAxis(const double *logAbs, int32_t bins, double headroom) {
    double least = 0, most = 0;
    bool any = false;
    for (int32_t k = 0; k < bins; k++) {
        double v = logAbs[k];
        if (!Drawn(v))
            continue;
        if (!any || v < least)
            least = v;
        if (!any || v > most)
            most = v;
        any = true;
    }
    if (!(most - least >= 1e-6)) {   // one value, none, or too close to tell: a band of 2
        least = least - 1;
        most = most + 1;
    }
    ValueAxis a;
    a.step = NiceStep((most - least) / 5);
    a.lowTick = (int64_t)Floor(least / a.step);
    a.highTick = -(int64_t)Floor(-(most + (most - least) / headroom) / a.step);
    a.low = (double)a.lowTick * a.step;
    a.high = (double)a.highTick * a.step;
    return a;
}

// One plot: bins 0 .. bins - 1 of logAbs in the frame x kPlotLeft .. + kPlotWidth,
// y top .. top + height.
struct Plot {
    double top, height;
    int32_t bins;
    ValueAxis axis;
};

static double ValueY(const Plot *p, double value) {
    return p->top + ((p->axis.high - value) * p->height) / (p->axis.high - p->axis.low);
}

static double BinX(const Plot *p, int32_t k) {
    if (p->bins > (int32_t)kSpectrumSvgColumns)
        return kPlotLeft + (double)(((int64_t)k * kSpectrumSvgColumns) / p->bins) + 0.5;
    return kPlotLeft + (((double)k + 0.5) * kPlotWidth) / (double)p->bins;
}

// The line, as polylines broken where a bin (a column) is not drawn. A run of one point is a
// dot (a circle) instead, since a line needs two. Each segment is also added to the curve that
// the labels keep clear of.
struct LineRun {
    int32_t points;
    double x, y;           // the run's first point, not yet written
    double lastX, lastY;   // its latest point
    SvgCurve *curve;
};

static void PutPoint(SvgOut *o, double x, double y) {
    PutPixel(o, x);
    Put(o, ",");
    PutPixel(o, y);
}

static void LinePoint(SvgOut *o, LineRun *run, double x, double y) {
    if (run->points == 0)
        SvgCurveAdd(run->curve, x, y, x, y);
    else
        SvgCurveAdd(run->curve, run->lastX, run->lastY, x, y);
    run->lastX = x;
    run->lastY = y;
    if (run->points == 0) {
        run->x = x;
        run->y = y;
    } else {
        if (run->points == 1) {
            Put(o, "<polyline points=\"");
            PutPoint(o, run->x, run->y);
        }
        Put(o, " ");
        PutPoint(o, x, y);
    }
    run->points++;
}

static void LineBreak(SvgOut *o, LineRun *run) {
    if (run->points == 1) {
        Put(o, "<circle class=\"dot\"");
        PutAttribute(o, "r", kDotRadius);
        Put(o, " fill=\"#1f4e9c\" stroke=\"none\"");
        PutAttribute(o, "cx", run->x);
        PutAttribute(o, "cy", run->y);
        Put(o, "/>\n");
    } else if (run->points > 1) {
        Put(o, "\"/>\n");
    }
    run->points = 0;
}

static void PutLine(SvgOut *o, const double *logAbs, const Plot *p, SvgCurve *curve) {
    const int32_t bins = p->bins;
    Put(o, "<g class=\"line\" fill=\"none\" stroke=\"#1f4e9c\"");
    PutAttribute(o, "stroke-width", kLineWidth);
    Put(o, " stroke-linejoin=\"round\" stroke-linecap=\"round\">\n");
    LineRun run = {0, 0, 0, 0, 0, curve};
    SvgCurveClear(curve, kPlotLeft);
    if (bins <= (int32_t)kSpectrumSvgColumns) {
        for (int32_t k = 0; k < bins; k++) {
            if (Drawn(logAbs[k]))
                LinePoint(o, &run, BinX(p, k), ValueY(p, logAbs[k]));
            else
                LineBreak(o, &run);
        }
    } else {
        // Column c holds the bins k with (k * 880) / M = c: from ceil(c * M / 880) on.
        for (int64_t c = 0; c < kSpectrumSvgColumns; c++) {
            int32_t first = (int32_t)((c * bins + kSpectrumSvgColumns - 1) / kSpectrumSvgColumns);
            int32_t end =
                (int32_t)(((c + 1) * bins + kSpectrumSvgColumns - 1) / kSpectrumSvgColumns);
            int32_t lowest = -1, highest = -1;
            for (int32_t k = first; k < end; k++) {
                if (!Drawn(logAbs[k]))
                    continue;
                if (lowest < 0 || logAbs[k] < logAbs[lowest])
                    lowest = k;
                if (highest < 0 || logAbs[k] > logAbs[highest])
                    highest = k;
            }
            if (lowest < 0) {
                LineBreak(o, &run);
                continue;
            }
            double x = kPlotLeft + (double)c + 0.5;
            int32_t before = lowest < highest ? lowest : highest;
            int32_t after = lowest < highest ? highest : lowest;
            LinePoint(o, &run, x, ValueY(p, logAbs[before]));
            if (after != before)
                LinePoint(o, &run, x, ValueY(p, logAbs[after]));
        }
    }
    LineBreak(o, &run);
    Put(o, "</g>\n");
}

// The last bin of the enlarged plot, or 0 for none (see the top of the file).
static int32_t ZoomEnd(const int32_t *peaks, int32_t count, int32_t bins) {
    if (count == 0 || (int64_t)peaks[0] * 10 >= bins)
        return 0;
    int64_t highest = 0;
    for (int32_t i = 0; i < count; i++) {
        if ((int64_t)peaks[i] * 10 < bins && peaks[i] > highest)
            highest = peaks[i];
    }
    static const int64_t kFactors[3] = {1, 2, 5};
    for (int64_t decade = 1;; decade = decade * 10) {
        for (int64_t factor : kFactors) {
            if (factor * decade > 2 * highest)
                return (int32_t)(factor * decade);
        }
    }
}

// A tick or grid line from (x1, y1) to (x2, y2).
static void PutSegment(SvgOut *o, double x1, double y1, double x2, double y2) {
    Put(o, "<line");
    PutAttribute(o, "x1", x1);
    PutAttribute(o, "y1", y1);
    PutAttribute(o, "x2", x2);
    PutAttribute(o, "y2", y2);
    Put(o, "/>\n");
}

// A tick's number, anchored at (x, y) as its group says.
static void PutTickLabel(SvgOut *o, double x, double y, double value) {
    Put(o, "<text");
    PutAttribute(o, "x", x);
    PutAttribute(o, "y", y);
    Put(o, ">");
    PutNumber(o, value);
    Put(o, "</text>\n");
}

static void PutAxes(SvgOut *o, const Plot *p) {
    const ValueAxis *a = &p->axis;
    const double right = kPlotLeft + kPlotWidth, bottom = p->top + p->height;
    // Value ticks: a grid line across the plot and the value left of it.
    Put(o, "<g class=\"value-ticks\" stroke=\"#d8d8d8\">\n");
    for (int64_t t = a->lowTick; t <= a->highTick; t++) {
        double y = ValueY(p, (double)t * a->step);
        PutSegment(o, kPlotLeft, y, right, y);
    }
    Put(o, "</g>\n<g class=\"value-labels\" text-anchor=\"end\">\n");
    for (int64_t t = a->lowTick; t <= a->highTick; t++)
        PutTickLabel(o, kPlotLeft - 8, ValueY(p, (double)t * a->step) + 4, (double)t * a->step);
    Put(o, "</g>\n");
    // Bin ticks: a short mark under the plot and the bin's number below it.
    double step = p->bins >= 10 ? NiceStep((double)p->bins / 10) : 1;
    Put(o, "<g class=\"bin-ticks\" stroke=\"#000000\">\n");
    for (double k = 0; k < p->bins; k = k + step) {
        double x = BinX(p, (int32_t)k);
        PutSegment(o, x, bottom, x, bottom + 6);
    }
    Put(o, "</g>\n<g class=\"bin-labels\" text-anchor=\"middle\">\n");
    for (double k = 0; k < p->bins; k = k + step)
        PutTickLabel(o, BinX(p, (int32_t)k), bottom + 22, k);
    Put(o, "</g>\n");
    // The plot's frame, and the names of the axes.
    Put(o, "<rect class=\"frame\" fill=\"none\" stroke=\"#000000\"");
    PutAttribute(o, "x", kPlotLeft);
    PutAttribute(o, "y", p->top);
    PutAttribute(o, "width", kPlotWidth);
    PutAttribute(o, "height", p->height);
    Put(o, "/>\n<text class=\"bin-name\" text-anchor=\"middle\"");
    PutAttribute(o, "x", kPlotLeft + kPlotWidth / 2);
    PutAttribute(o, "y", bottom + 48);
    Put(o, ">bin</text>\n<text class=\"value-name\"");
    PutAttribute(o, "x", kValueNameLeft);
    PutAttribute(o, "y", p->top - 12);
    Put(o, ">");
    Put(o, kTextLogAbsUtf8);
    Put(o, "</text>\n");
}

// The marks of peaks[0 .. count - 1] that lie in the plot, each with its bin number where
// SvgLabelsPlace finds room clear of the line, in the font size its boxes are measured for.
static void PutPeaks(SvgOut *o, const double *logAbs, const Plot *p, const SvgCurve *curve,
                     const int32_t *peaks, int32_t count) {
    SvgLabel labels[kSpectrumSvgPeaks];
    int32_t bins[kSpectrumSvgPeaks], n = 0;
    for (int32_t i = 0; i < count; i++) {
        if (peaks[i] >= p->bins)
            continue;
        char digits[kRtDecimalMax];   // the label's, as NumToStr writes a whole number
        int32_t chars = RtDecimal((uint32_t)peaks[i], digits);
        labels[n] = {BinX(p, peaks[i]), ValueY(p, logAbs[peaks[i]]), chars, false, {0, 0, 0, 0}};
        bins[n++] = peaks[i];
    }
    const SvgBox frame = {kPlotLeft, p->top, kPlotLeft + kPlotWidth, p->top + p->height};
    SvgLabelsPlace(&frame, curve, labels, n);
    Put(o, "<g class=\"peaks\" fill=\"#c0392b\" text-anchor=\"middle\"");
    PutAttribute(o, "font-size", kSvgLabelFontSize);
    Put(o, ">\n");
    for (int32_t i = 0; i < n; i++) {
        Put(o, "<circle");
        PutAttribute(o, "r", kSvgMarkRadius);
        PutAttribute(o, "cx", labels[i].markX);
        PutAttribute(o, "cy", labels[i].markY);
        Put(o, "/>\n");
        if (labels[i].shown) {
            const SvgBox *box = &labels[i].box;
            Put(o, "<text");
            PutAttribute(o, "x", (box->left + box->right) / 2);
            PutAttribute(o, "y", box->bottom - kSvgLabelDescent);
            Put(o, ">");
            PutNumber(o, (double)bins[i]);
            Put(o, "</text>\n");
        }
    }
    Put(o, "</g>\n");
}

// One plot in its group; shade > 0 shades its bins 0 .. shade as those the lower plot enlarges.
static void PutPlot(SvgOut *o, const double *logAbs, const Plot *p, const int32_t *peaks,
                    int32_t count, int32_t shade) {
    Put(o, "<g class=\"plot\">\n");
    if (shade > 0) {
        double right = p->bins > (int32_t)kSpectrumSvgColumns
            ? kPlotLeft + (double)(((int64_t)shade * kSpectrumSvgColumns) / p->bins) + 1
            : kPlotLeft + (((double)shade + 1) * kPlotWidth) / (double)p->bins;
        Put(o, "<rect class=\"enlarged\" fill=\"#eef2f9\"");
        PutAttribute(o, "x", kPlotLeft);
        PutAttribute(o, "y", p->top);
        PutAttribute(o, "width", right - kPlotLeft);
        PutAttribute(o, "height", p->height);
        Put(o, "/>\n");
    }
    PutAxes(o, p);
    SvgCurve curve;
    PutLine(o, logAbs, p, &curve);
    PutPeaks(o, logAbs, p, &curve, peaks, count);
    Put(o, "</g>\n");
}

// A peak's period in samples, sampleCount / k to a tenth, rounded half up, in whole-number
// arithmetic (the tenths are (20 N + k) / 2k, exactly) and RtDecimal's digits: "132.4" for bin
// 24 of 3177, "12.0" for bin 39 of 468.
static void PutPeriod(SvgOut *o, double sampleCount, int32_t k) {
    const int64_t tenths = ((int64_t)sampleCount * 20 + k) / ((int64_t)k * 2);
    char text[2 * kRtDecimalMax + 1];
    int32_t n = RtDecimal((uint32_t)(tenths / 10), text);
    text[n++] = '.';
    n += RtDecimal((uint32_t)(tenths % 10), text + n);
    PutBytes(o, text, (uint32_t)n);
}

// The table of the marked peaks, in their order: a row of bins, each with its period beside it,
// over a row of their values.
static void PutTable(SvgOut *o, const double *logAbs, double sampleCount, const int32_t *peaks,
                     int32_t count, double top) {
    if (count == 0)
        return;
    const double width = kTableHead + kTableColumn * (double)count;
    Put(o, "<g class=\"peak-table\"");
    PutAttribute(o, "font-size", kTableFontSize);
    Put(o, ">\n<rect fill=\"none\" stroke=\"#808080\"");
    PutAttribute(o, "x", kTableLeft);
    PutAttribute(o, "y", top);
    PutAttribute(o, "width", width);
    PutAttribute(o, "height", 2 * kTableRow);
    Put(o, "/>\n<g stroke=\"#c0c0c0\">\n");
    PutSegment(o, kTableLeft, top + kTableRow, kTableLeft + width, top + kTableRow);
    for (int32_t i = 0; i < count; i++) {
        double x = kTableLeft + kTableHead + kTableColumn * (double)i;
        PutSegment(o, x, top, x, top + 2 * kTableRow);
    }
    Put(o, "</g>\n<text");
    PutAttribute(o, "x", kTableLeft + 6);
    PutAttribute(o, "y", top + 15);
    Put(o, ">bin, N / k</text>\n<text");
    PutAttribute(o, "x", kTableLeft + 6);
    PutAttribute(o, "y", top + kTableRow + 15);
    Put(o, ">");
    Put(o, kTextLogAbsUtf8);
    Put(o, "</text>\n");
    for (int32_t i = 0; i < count; i++) {
        double x = kTableLeft + kTableHead + kTableColumn * (double)i + 6;
        Put(o, "<text class=\"peak-bin\"");
        PutAttribute(o, "x", x);
        PutAttribute(o, "y", top + 15);
        Put(o, ">");
        PutNumber(o, (double)peaks[i]);
        Put(o, "</text>\n<text class=\"peak-period\"");
        PutAttribute(o, "x", x + kTablePeriod);
        PutAttribute(o, "y", top + 15);
        Put(o, ">");
        PutPeriod(o, sampleCount, peaks[i]);
        Put(o, "</text>\n<text class=\"peak-value\"");
        PutAttribute(o, "x", x);
        PutAttribute(o, "y", top + kTableRow + 15);
        Put(o, ">");
        PutNumber(o, logAbs[peaks[i]]);
        Put(o, "</text>\n");
    }
    Put(o, "</g>\n");
}

// The warning's band across the top, and the group that moves the rest below it.
static void PutWarning(SvgOut *o, const char *warning) {
    Put(o, "<rect class=\"warning\"");
    PutAttribute(o, "width", kPictureWidth);
    PutAttribute(o, "height", kSpectrumSvgWarningBand);
    Put(o, " fill=\"#fdecea\"/>\n<text class=\"warning\"");
    PutAttribute(o, "x", kValueNameLeft);
    PutAttribute(o, "y", kWarningBaseline);
    PutAttribute(o, "font-size", kWarningFontSize);
    Put(o, " fill=\"#c0392b\">");
    Put(o, warning);
    Put(o, "</text>\n<g transform=\"translate(0 ");
    PutPixel(o, kSpectrumSvgWarningBand);
    Put(o, ")\">\n");
}

uint32_t SpectrumSvg(const double *logAbs, int32_t bins, double sampleCount, char *out,
                     uint32_t capacity, const char *warning) {
    SvgOut o = {out, 0, capacity, false};
    if (bins < 0)
        bins = 0;
    int32_t peaks[kSpectrumSvgPeaks];
    int32_t count = SvgPeaksFind(logAbs, bins, peaks), zoom = ZoomEnd(peaks, count, bins);
    const double height = zoom > 0 ? kZoomedHeight : kPictureHeight;
    const double whole = height + (warning != nullptr ? (double)kSpectrumSvgWarningBand : 0);
    Put(&o, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"");
    PutAttribute(&o, "width", kPictureWidth);
    PutAttribute(&o, "height", whole);
    Put(&o, " viewBox=\"0 0 ");
    PutPixel(&o, kPictureWidth);
    Put(&o, " ");
    PutPixel(&o, whole);
    Put(&o, "\" font-family=\"sans-serif\"");
    PutAttribute(&o, "font-size", kFontSize);
    Put(&o, ">\n<rect");
    PutAttribute(&o, "width", kPictureWidth);
    PutAttribute(&o, "height", whole);
    Put(&o, " fill=\"#ffffff\"/>\n");
    if (warning != nullptr)
        PutWarning(&o, warning);
    Put(&o, "<text class=\"title\"");
    PutAttribute(&o, "x", kPictureWidth / 2);
    PutAttribute(&o, "y", kTitleBaseline);
    Put(&o, " text-anchor=\"middle\"");
    PutAttribute(&o, "font-size", kTitleFontSize);
    Put(&o, ">Result.csv: N = ");
    PutNumber(&o, sampleCount);
    if (bins == 0) {
        Put(&o, ", no bins");
    } else {
        Put(&o, ", bins 0 to ");
        PutNumber(&o, (double)(bins - 1));
    }
    Put(&o, "</text>\n");
    const Plot all = {kPlotTop, kPlotHeight, bins, MakeValueAxis(logAbs, bins, 16)};
    PutPlot(&o, logAbs, &all, peaks, count, zoom);
    if (zoom > 0) {
        const Plot enlarged = {kZoomTop, kZoomHeight, zoom + 1,
                               MakeValueAxis(logAbs, zoom + 1, 10)};
        Put(&o, "<text class=\"zoom-title\"");
        PutAttribute(&o, "x", kPictureWidth / 2);
        PutAttribute(&o, "y", kZoomTitleBaseline);
        Put(&o, " text-anchor=\"middle\"");
        PutAttribute(&o, "font-size", kZoomTitleFontSize);
        Put(&o, ">bins 0 to ");
        PutNumber(&o, (double)zoom);
        Put(&o, ", enlarged</text>\n");
        PutPlot(&o, logAbs, &enlarged, peaks, count, 0);
    }
    PutTable(&o, logAbs, sampleCount, peaks, count, height - kTableAboveBottom);
    Put(&o, warning != nullptr ? "</g>\n</svg>\n" : "</svg>\n");
    return o.full ? 0 : o.length;
}
