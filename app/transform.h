// transform.h: the transform of the analysis run, the direct double sum over all bins:
//
//     for k = 0 .. count-1:  realPart[k] = 0, imagPart[k] = 0
//         for n = 0 .. count-1:  a = (angleStep * n) * k          (n, k as doubles)
//             realPart[k] = realPart[k] + samples[n] * RtCos(a)
//             imagPart[k] = imagPart[k] - samples[n] * RtSin(a)
//
// Invariant: the fast transform gives every bin's two parts bit for bit as TransformPlain does
// (the loop above, run in this order on one thread). It runs each bin's sums in the same order
// over n and each lane the same operations; it computes several bins at once (SIMD lanes), takes
// a sine and cosine that two bins share from the one evaluation (transform_unit.h), and shares
// the bins among threads. Inputs with products that overflow into inf - inf may differ in the
// NaN's sign bit (the scalar additions may take their operands in either order).
//
// One transform at a time per run, in two parts, so that the program asks for only what it
// needs: the lower bins 0 .. count/2 - 1 (those "Result.csv" holds), then on request the rest
// (the display). Each part runs on worker threads from its start until it is done, while the
// calling thread does other things (asks a question); the calling thread waits only where it
// needs a result, blocked until a worker reports a unit of bins done. A run (TransformRun) holds
// all of it and is never freed: workers touch only the job's arrays and their run, never the
// caller's stack, and a wait holds nothing but the run's own lock, so a process that ends
// meanwhile (the window closed, Ctrl+C) leaves nothing behind. Every function below that takes
// a run is for one calling thread.
#ifndef APP_TRANSFORM_H
#define APP_TRANSFORM_H

#include <cstdint>

#include "runtime/math/rt_trig_lanes.h"

// The progress hook of a long wait. report(context, percent) is called on the waiting thread
// once the wait has lasted delayMs milliseconds, then about four times a second, with the share
// of the part's work done, 0 to 99, never decreasing; not at the end (the caller restores what
// it showed when the wait returns). A null hook, or a null report, is ignored.
typedef void (*TransformReportFn)(void *context, int32_t percent);
struct TransformProgress {
    TransformReportFn report;   // null: no reports
    void *context;              // passed back unchanged
    int32_t delayMs;            // no report before this; the analysis run's title uses 1000
};

// The loop above on the calling thread. count >= 1; the arrays hold count doubles each.
void TransformPlain(const double *samples, int32_t count, double angleStep, double *realPart,
                    double *imagPart);

// The state of one transform: its job, the part under way, its workers and its waits
// (transform_fast.cpp). Opaque to its callers.
struct TransformRun;
// A new run, never freed (a worker may still run when the process ends): make one per process,
// or per test.
TransformRun *TransformRunNew();

// Starts the lower bins and returns at once. The samples must stay as they are, and the output
// arrays be left alone but for bins that TransformWaitBin has reported done, until
// TransformFinish. An earlier transform is finished first.
void TransformStart(TransformRun *run, const double *samples, int32_t count, double angleStep,
                    double *realPart, double *imagPart);
// Waits until the lower bins are done (and their workers gone); progress may be null.
void TransformWaitLower(TransformRun *run, const TransformProgress *progress);
// Starts the rest of the bins, after TransformWaitLower, and returns at once.
void TransformStartUpper(TransformRun *run);
// Waits until bin k (0 <= k < count; an upper one only after TransformStartUpper) is done.
// progress (may be null) reports the share of the part under way as TransformWaitLower does, but
// with the delay counted from the part's start, not from this call: a display that waits for its
// bins one by one shows the progress once it has run delayMs, and every call whose report is due
// makes it, also for a bin that is there already.
void TransformWaitBin(TransformRun *run, int32_t k, const TransformProgress *progress);
// Waits until every part started is done and every worker gone. Call before the samples or the
// output arrays go away or are written again.
void TransformFinish(TransformRun *run);

// All of it at once: every bin of the transform, the lower part reported through progress
// (may be null).
void TransformFast(TransformRun *run, const double *samples, int32_t count, double angleStep,
                   double *realPart, double *imagPart, const TransformProgress *progress);

// The sine-cosine pairs evaluated since the last TransformStart, padding lanes included.
int64_t TransformEvaluations(const TransformRun *run);

// The instruction set the fast transform uses: chosen once (the widest available) unless a test
// or the benchmark selects one. Selecting an unavailable set is refused: returns 0, no change.
// Shared angles are on unless switched off (a test or the benchmark: every pair evaluated, as a
// transform without them). Neither is to be changed while a transform runs.
int TransformSelectLanes(RtLaneSet set);
RtLaneSet TransformLanes();
void TransformShareAngles(int on);

// Where the lanes divide, each way to the same bits: "divider" (the divider alone), "fma" (every
// division on the FMA units beside it), "mix" (half the division chains on each, more vectors in
// flight). AVX-512 and AVX2 with FMA have all three; SSE2 and the scalar code the divider alone,
// whatever is chosen. Chosen once, by the first transform: DFT_DIVIDE in the environment names
// one, or "measure"; otherwise the divider on AMD processors (whose divider is the faster one),
// and elsewhere the fastest of a short measurement (a few milliseconds) of the units in the set
// in use. TransformSelectDivide chooses by those names for that set ("measure" measures now);
// a name the set does not have is refused: returns 0, no change. Not while a transform runs.
int TransformSelectDivide(const char *name);
const char *TransformDivide();   // the name of the choice

#endif
