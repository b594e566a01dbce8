// transform_avx512.cpp: the transform's work units in AVX-512F lanes (8 bins per vector; this
// file alone is compiled with -mavx512f): on the divider, on the FMA units, and the mix of both.
// Bit for bit the plain loop (see transform_lanes.h). Without the set's compiler flags the file
// holds nothing, and the set is not offered.
#include "app/transform_unit.h"

#if defined(__AVX512F__)
#include "app/transform_lanes.h"
#include "runtime/math/rt_lanes_avx512.h"

int64_t TransformUnitAvx512(const TransformJob *job, const TransformUnit *unit) {
    typedef LanesAvx512 L;
    return TransformLanesUnit<L, TransformLaneTrig<L>, kTransformVectors>(job, unit);
}

int64_t TransformUnitAvx512Fma(const TransformJob *job, const TransformUnit *unit) {
    typedef LanesAvx512 L;
    return TransformLanesUnit<L, TransformLaneTrig<L, 2 * kTransformVectors>, kTransformVectors>(
        job, unit);
}

int64_t TransformUnitAvx512Mix(const TransformJob *job, const TransformUnit *unit) {
    typedef LanesAvx512 L;
    return TransformLanesUnit<L, TransformLaneTrig<L, kTransformMixVectors>, kTransformMixVectors>(
        job, unit);
}
#endif
