// rt_trig_lanes.h: RtSin and RtCos over arrays, several arguments at once in SIMD lanes, and the
// choice of instruction set.
//
// Invariant: for every argument, every instruction set gives the bits of the scalar RtSin/RtCos
// of rt_trig.h (NaN included). Each lane runs the scalar operation sequence; arguments a lane
// kernel does not take (|x| >= kRtLaneArgLimit, infinities, NaN) go to the scalar functions.
//
// The instruction set is passed explicitly; RtLaneSetWidest names the widest one this build has
// and this processor (and its operating system) can run. Asking for a set that is not available
// is a caller fault (asserted): its instructions would fault.
#ifndef RUNTIME_MATH_RT_TRIG_LANES_H
#define RUNTIME_MATH_RT_TRIG_LANES_H

#include <cstdint>

enum RtLaneSet {
    kRtLanesScalar = 0,   // plain scalar code, the reference; always available
    kRtLanesSse2 = 1,     // 2 lanes
    kRtLanesAvx2 = 2,     // 4 lanes
    kRtLanesAvx512 = 3,   // 8 lanes (AVX-512F)
    kRtLaneSetCount = 4
};

// Largest |x| the lane kernels take for RtSin and RtCos: 2^29. Below it the multiple of the
// reduction is under 2^28, far inside 32 bits. Larger arguments take the scalar path.
static const double kRtLaneArgLimit = 536870912.0;

int RtLaneSetAvailable(RtLaneSet set);     // 1 if this build has it and the processor runs it
RtLaneSet RtLaneSetWidest();               // the widest available set; checked once, then cached
const char *RtLaneSetName(RtLaneSet set);  // "scalar", "sse2", "avx2", "avx512"
int32_t RtLaneSetWidth(RtLaneSet set);     // doubles per vector: 1, 2, 4, 8

// out[i] = RtSin(x[i]) (RtCos(x[i])) for 0 <= i < count, bit for bit. x and out may be the same
// array; otherwise they must not overlap.
void RtSinLanes(RtLaneSet set, const double *x, double *out, int32_t count);
void RtCosLanes(RtLaneSet set, const double *x, double *out, int32_t count);

// The entry points of each set, for the dispatch above. The scalar ones also serve the lane
// kernels as their path for arguments out of the lanes' range.
void RtSinLanesScalar(const double *x, double *out, int32_t count);
void RtCosLanesScalar(const double *x, double *out, int32_t count);
void RtSinLanesSse2(const double *x, double *out, int32_t count);
void RtCosLanesSse2(const double *x, double *out, int32_t count);
void RtSinLanesAvx2(const double *x, double *out, int32_t count);
void RtCosLanesAvx2(const double *x, double *out, int32_t count);
void RtSinLanesAvx512(const double *x, double *out, int32_t count);
void RtCosLanesAvx512(const double *x, double *out, int32_t count);

#endif
