// transform.h: the transform of the analysis run, the direct double sum over all bins:
//
//     for k = 0 .. count-1:  realPart[k] = 0, imagPart[k] = 0
//         for n = 0 .. count-1:  a = (angleStep * n) * k          (n, k as doubles)
//             realPart[k] = realPart[k] + samples[n] * RtCos(a)
//             imagPart[k] = imagPart[k] - samples[n] * RtSin(a)
//
// Invariant: TransformFast gives every bin's two parts bit for bit as TransformPlain does (the
// loop above, run in this order on one thread). It runs each bin's sums in the same order over n
// and each lane the same operations; it only computes several bins at once (SIMD lanes) and
// shares the bins among threads. Inputs with products that overflow into inf - inf may differ in
// the NaN's sign bit (the scalar additions may take their operands in either order).
#ifndef APP_TRANSFORM_H
#define APP_TRANSFORM_H

#include <cstdint>

#include "runtime/math/rt_trig_lanes.h"

// The progress hook of a long transform. report(context, percent) is called on the calling
// thread once the transform has run delayMs milliseconds, then about four times a second, with
// the share of finished bins, 0 to 99, never decreasing; not at the end (the caller restores
// what it showed when TransformFast returns). Only a transform on threads reports (one of fewer
// than 256 bins takes milliseconds). A null hook, or a null report, is ignored.
typedef void (*TransformReportFn)(void *context, int32_t percent);
struct TransformProgress {
    TransformReportFn report;   // null: no reports
    void *context;              // passed back unchanged
    int32_t delayMs;            // no report before this; the analysis run's title uses 1000
};

// The loop above on the calling thread. count >= 1; the arrays hold count doubles each.
void TransformPlain(const double *samples, int32_t count, double angleStep, double *realPart,
                    double *imagPart);

// The same bits, on one worker thread per hardware thread in the selected lanes (by default the
// widest the processor has). The calling thread waits for the workers and reports progress;
// the workers exist only inside the call. progress may be null.
void TransformFast(const double *samples, int32_t count, double angleStep, double *realPart,
                   double *imagPart, const TransformProgress *progress);

// The instruction set TransformFast uses: chosen once (the widest available) unless a test or
// the benchmark selects one. Selecting an unavailable set is refused: returns 0, no change.
// Not to be called while a transform runs.
int TransformSelectLanes(RtLaneSet set);
RtLaneSet TransformLanes();

#endif
