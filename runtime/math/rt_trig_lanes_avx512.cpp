// rt_trig_lanes_avx512.cpp: RtSin and RtCos over arrays in AVX-512F lanes (this file alone is
// compiled with -mavx512f).
// Bit for bit the scalar functions (see rt_trig_lanes_kernel.h). Without the instruction set's
// compiler flags the file holds nothing, and the dispatch reports the set as unavailable.
#include "runtime/math/rt_trig_lanes.h"

#if defined(__AVX512F__)
#include "runtime/math/rt_lanes_avx512.h"
#include "runtime/math/rt_trig_lanes_kernel.h"

void RtSinLanesAvx512(const double *x, double *out, int32_t count) {
    RtLanesTrigArray<LanesAvx512>(x, out, count, 0);
}

void RtCosLanesAvx512(const double *x, double *out, int32_t count) {
    RtLanesTrigArray<LanesAvx512>(x, out, count, 1);
}
#endif
