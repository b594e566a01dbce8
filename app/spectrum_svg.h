// spectrum_svg.h: Result.svg, the picture of the spectrum that Result.csv holds: LogAbs (the
// file's third column) against the bin number as a line chart, built from the doubles alone.
//
// Invariant: the same doubles give the same bytes on every platform. Every coordinate comes from
// a fixed sequence of double operations (+ - * / only), and every number is written by the
// runtime's own formatting (NumToStr, and tenths of a pixel in RtDecimal's digits), never by the
// C library.
#ifndef APP_SPECTRUM_SVG_H
#define APP_SPECTRUM_SVG_H

#include <cstdint>

enum : uint32_t {
    // A buffer of this many bytes holds every picture, whatever the doubles and the bin count:
    // a plot's line has at most two points a pixel column, so even a line broken at every other
    // bin stays near 40 KB, and there are at most two plots.
    kSpectrumSvgCapacity = 131072,
    // Pixel columns of the plot. With more bins than this, each column is drawn as the lowest
    // and the highest value of its bins, so that no peak falls between two points.
    kSpectrumSvgColumns = 880,
    // The most prominent peaks that are marked, their bin numbers beside them where there is
    // room, and listed with their periods and values in the picture's table.
    kSpectrumSvgPeaks = 5,
    // Pixels the picture grows by to carry a warning.
    kSpectrumSvgWarningBand = 30,
};

// Writes the picture of logAbs[0 .. bins - 1], the bins Result.csv holds for sampleCount N, into
// out: a standalone SVG 1.1 document in UTF-8 with LF line ends (sans-serif, no script, no
// external reference): 1000 x 650 px, or 1000 x 1080 px when the most prominent peak lies in the
// first tenth of the bins and a second plot enlarges the first bins. Returns its length, or 0
// when capacity is too small (never with kSpectrumSvgCapacity).
//
// A value that is not finite, or beyond +-1e6 (no logarithm of a double comes near), is left out
// and breaks the line there; with more bins than columns a column breaks it only when none of its
// bins is drawn. A lone point between two breaks is a dot. bins = 0 and an all-left-out input
// give the axes and the title alone.
//
// warning, when not null, is one line of UTF-8 text (no markup characters) written in a band of
// kSpectrumSvgWarningBand px above everything else, which moves down by as much; without it the
// bytes are those of a picture that never had one.
//
// Uses NumToStr and runtime strings: program thread only, after StrInit.
uint32_t SpectrumSvg(const double *logAbs, int32_t bins, double sampleCount, char *out,
                     uint32_t capacity, const char *warning = nullptr);

#endif
