// rt_trig_lanes.h: the instruction sets of the lane kernels (rt_trig_lanes_kernel.h), and the
// choice among them.
//
// RtLaneSetWidest names the widest set this build has and this processor (and its operating
// system) can run. A set that is not available must never run: its instructions would fault.
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

#endif
