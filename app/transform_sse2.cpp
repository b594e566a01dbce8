// transform_sse2.cpp: the transform's work unit in SSE2 lanes (2 bins per vector).
// Bit for bit the plain loop (see transform_lanes.h). Without the set's compiler flags the file
// holds nothing, and the set is not offered.
#include "app/transform_unit.h"

#if defined(__SSE2__)
#include "app/transform_lanes.h"
#include "runtime/math/rt_lanes_sse2.h"

int64_t TransformUnitSse2(const TransformJob *job, const TransformUnit *unit) {
    typedef LanesSse2 L;
    return TransformLanesUnit<L, TransformLaneTrig<L>, kTransformVectors>(job, unit);
}
#endif
