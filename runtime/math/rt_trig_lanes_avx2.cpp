// rt_trig_lanes_avx2.cpp: RtSin and RtCos over arrays in AVX2 lanes (this file alone is
// compiled with -mavx2).
// Bit for bit the scalar functions (see rt_trig_lanes_kernel.h). Without the instruction set's
// compiler flags the file holds nothing, and the dispatch reports the set as unavailable.
#include "runtime/math/rt_trig_lanes.h"

#if defined(__AVX2__)
#include "runtime/math/rt_lanes_avx2.h"
#include "runtime/math/rt_trig_lanes_kernel.h"

void RtSinLanesAvx2(const double *x, double *out, int32_t count) {
    RtLanesTrigArray<LanesAvx2>(x, out, count, 0);
}

void RtCosLanesAvx2(const double *x, double *out, int32_t count) {
    RtLanesTrigArray<LanesAvx2>(x, out, count, 1);
}
#endif
