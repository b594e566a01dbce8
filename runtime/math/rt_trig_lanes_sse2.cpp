// rt_trig_lanes_sse2.cpp: RtSin and RtCos over arrays in SSE2 lanes (the x86-64 baseline;
// -msse2 on 32-bit x86).
// Bit for bit the scalar functions (see rt_trig_lanes_kernel.h). Without the instruction set's
// compiler flags the file holds nothing, and the dispatch reports the set as unavailable.
#include "runtime/math/rt_trig_lanes.h"

#if defined(__SSE2__)
#include "runtime/math/rt_lanes_sse2.h"
#include "runtime/math/rt_trig_lanes_kernel.h"

void RtSinLanesSse2(const double *x, double *out, int32_t count) {
    RtLanesTrigArray<LanesSse2>(x, out, count, 0);
}

void RtCosLanesSse2(const double *x, double *out, int32_t count) {
    RtLanesTrigArray<LanesSse2>(x, out, count, 1);
}
#endif
