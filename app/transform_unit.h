// transform_unit.h: the work unit of the fast transform: up to kTransformUnitLanes chains of bins
// side by side in one instruction set's lanes. Internal to the transform files.
//
// Shared angles. The angle of sample n in bin k is a(n, k) = (angleStep * n) * k. For 2n < count,
// a(n, 2j) = a(2n, j) bit for bit: angleStep * 2n is exactly twice angleStep * n, and doubling a
// product doubles its rounding, while every product stays a normal, finite double (checked by
// the planner: otherwise no unit follows chains). So bin 2j's sine and cosine at n are bin j's
// at 2n, and a chain j, 2j, 4j, ... (j odd) needs few evaluations of its own:
//   pass 0 evaluates member 0 (bin j) for n = firstStart .. count-1;
//   pass p >= 1 evaluates member p (bin 2^p j) for n = half .. count-1 only (half: the first n
//     with 2n >= count), its second half;
//   the value at sample m of pass p is also term m / 2^r of member p + r, for every r >= 1
//     with 2^r dividing m, multiplied by that term's sample. (Each term is fed exactly once: a
//     pass p >= 1 has 2m >= count, so 2^r is the largest power of two that keeps 2^r n below
//     count; pass 0 feeds the terms with 2^r n < count.)
// Taken pass by pass, each member's terms arrive in increasing n, so each bin's sums run over n
// in the plain loop's order with the plain loop's operations, and every bin has its bits.
// After `passes` passes, members 0 .. passes-1 are complete; member `passes` (when chains)
// holds the prefix of its sums over n < half and is stored as a partial bin, which a later unit
// continues with firstStart = half.
//
// Invariant: a unit writes realPart[k], imagPart[k] and binState[k] of its lanes' bins below
// count only, and reads nothing else of the output but the partial bins it continues. Lanes
// whose member lies at or beyond count compute with bin 0 (an angle of 0) and store nothing.
// The lane functions need every angle of the job inside the lanes' domain: (|angleStep| *
// (count - 1)) * (count - 1) below kRtLaneArgLimit (the caller checks it, and takes the scalar
// function otherwise).
#ifndef APP_TRANSFORM_UNIT_H
#define APP_TRANSFORM_UNIT_H

#include <atomic>
#include <cstdint>

enum {
    // Vectors side by side on the divider alone (each with its sines and cosines: 4 division
    // chains). Measured on Zen 3 and Zen 5: 2 beats 1, 3 and 4 (more spill registers without
    // feeding the divider faster).
    kTransformVectors = 2,
    // Vectors side by side in the mix of divider and FMA units: 4, half of the 8 chains on each,
    // enough independent work that the FMA division's long chain of steps stays hidden.
    kTransformMixVectors = 4,
    kTransformUnitLanes = 32,   // the widest unit: 4 vectors of 8 (AVX-512)
    kTransformMembers = 33,     // members of one chain: 2^31 > count, plus the partial one
};

// Bin states, one byte per bin: what a unit has stored there.
enum { kBinUntouched = 0, kBinPartial = 1, kBinReady = 2 };

struct TransformJob {
    const double *samples;              // count samples
    int32_t count;                      // N: samples and bins
    double angleStep;                   // radians per sample and bin
    double *realPart;                   // count bins
    double *imagPart;                   // count bins
    std::atomic<uint8_t> *binState;     // count states; kBinReady is stored with release
};

struct TransformUnit {
    int32_t lanes;                      // heads in use, 1 .. the set's group of lanes
    int32_t chains;                     // 1: lanes follow chains; 0: each lane its head alone
    int32_t passes;                     // 1 .. kTransformMembers - 1; 1 unless chains
    int32_t firstStart;                 // pass 0 from this sample: 0, or half to continue a
                                        // partial bin (its sums are loaded, not zeroed)
    int32_t head[kTransformUnitLanes];  // lane l's member 0; -1: a padding lane
};

// Runs one unit. Returns the sine-cosine pairs it evaluated, padding lanes included.
typedef int64_t (*TransformUnitFn)(const TransformJob *job, const TransformUnit *unit);
int64_t TransformUnitScalar(const TransformJob *job, const TransformUnit *unit);
int64_t TransformUnitSse2(const TransformJob *job, const TransformUnit *unit);
int64_t TransformUnitAvx2(const TransformJob *job, const TransformUnit *unit);
int64_t TransformUnitAvx512(const TransformJob *job, const TransformUnit *unit);
// The same units with their divisions on the FMA units (every chain of kTransformVectors
// vectors), or mixed (half the chains of kTransformMixVectors); those of AVX2 need FMA.
int64_t TransformUnitAvx2Fma(const TransformJob *job, const TransformUnit *unit);
int64_t TransformUnitAvx2Mix(const TransformJob *job, const TransformUnit *unit);
int64_t TransformUnitAvx512Fma(const TransformJob *job, const TransformUnit *unit);
int64_t TransformUnitAvx512Mix(const TransformJob *job, const TransformUnit *unit);

#endif
