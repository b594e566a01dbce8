// transform_avx2.cpp: the transform's work units in AVX2 lanes (4 bins per vector; this file
// alone is compiled with -mavx2 -mfma): on the divider, on the FMA units, and the mix of both.
// The FMA ones are offered only where the processor has FMA.
// Bit for bit the plain loop (see transform_lanes.h). Without the set's compiler flags the file
// holds nothing, and the set is not offered.
#include "app/transform_unit.h"

#if defined(__AVX2__)
#include "app/transform_lanes.h"
#include "runtime/math/rt_lanes_avx2.h"

int64_t TransformUnitAvx2(const TransformJob *job, const TransformUnit *unit) {
    typedef LanesAvx2 L;
    return TransformLanesUnit<L, TransformLaneTrig<L>, kTransformVectors>(job, unit);
}

#if defined(__FMA__)
int64_t TransformUnitAvx2Fma(const TransformJob *job, const TransformUnit *unit) {
    typedef LanesAvx2 L;
    return TransformLanesUnit<L, TransformLaneTrig<L, 2 * kTransformVectors>, kTransformVectors>(
        job, unit);
}

int64_t TransformUnitAvx2Mix(const TransformJob *job, const TransformUnit *unit) {
    typedef LanesAvx2 L;
    return TransformLanesUnit<L, TransformLaneTrig<L, kTransformMixVectors>, kTransformMixVectors>(
        job, unit);
}
#endif
#endif
