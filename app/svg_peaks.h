// svg_peaks.h: which peaks of the spectrum Result.svg marks: the most prominent, as topographers
// and signal libraries measure a peak, so that a wiggle on the slope of a larger peak or of the
// trend below bin 0 is not marked while a small line standing alone is.
//
// The ground is the drawn bins of logAbs[0 .. bins - 1] (the plotted half) in bin order; a bin
// that is not drawn (SvgDrawn) is not ground at all, its two neighbours meet across it.
//   Peak: a run of one or more equal drawn values (a plateau) whose drawn neighbours on both
//     sides are lower or absent; it stands at the run's first bin. Bin 0 is ground but never a
//     peak, so a plateau that starts at bin 0 is none.
//   Prominence: from the peak, walk left from its first bin and right from its last bin until
//     a bin higher than the peak or the end of the ground; each side's lowest point is the least
//     value passed. The base is the higher of the two lowest points; a side with no bin at all
//     (the peak is the first or the last drawn bin) does not count, and with neither side the
//     base is the peak itself. Two equal peaks do not cut each other off (equal is not higher),
//     so each has the prominence it would have alone.
//     The walk compares LogAbs values; the prominence is measured in magnitudes, e^value -
//     e^base, both taken relative to the highest drawn value T (RtExp(value - T) - RtExp(base -
//     T), at most 1, never overflowing). Measured in LogAbs, the deep and narrow dips of noise
//     (the logarithm of a magnitude near 0) would outweigh a real cycle: the noise peaks of the
//     monthly sunspots stand 4.8 above their dips, the 11-year cycle 2.6 above its valley.
//   Order: greater prominence first; equal prominences the higher value first, then the lower
//     bin. The first kSvgPeaksMost in that order are marked.
// Comparisons, subtractions and the runtime's RtExp (+ - * / alone): the same marks on every
// platform.
#ifndef APP_SVG_PEAKS_H
#define APP_SVG_PEAKS_H

#include <cstdint>

constexpr int32_t kSvgPeaksMost = 5;

// Whether a value is drawn: finite and within +-1e6 (no logarithm of a double comes near).
inline bool SvgDrawn(double value) {
    return value >= -1e6 && value <= 1e6;   // false for NaN and infinities
}

// Writes the bins of the most prominent peaks to peaks[0 ..], in the order above; returns how
// many (0 to kSvgPeaksMost). Takes memory for a few integers and doubles a bin.
int32_t SvgPeaksFind(const double *logAbs, int32_t bins, int32_t *peaks);

#endif
