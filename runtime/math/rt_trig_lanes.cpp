// rt_trig_lanes.cpp: the choice of instruction set for the lane kernels.
//
// Invariant: a set is reported available only if this build compiled its kernels (the files
// given the set's compiler flags; this file learns it from DFT_LANES_* below) and
// the processor and the operating system support it (__builtin_cpu_supports checks both).
// Compiled for the baseline instruction set: nothing here may use a wider one.
#include "runtime/math/rt_trig_lanes.h"

#if defined(__x86_64__) || defined(__i386__)
#define DFT_LANES_X86 1
#endif

int RtLaneSetAvailable(RtLaneSet set) {
    switch (set) {
    case kRtLanesScalar:
        return 1;
#if DFT_LANES_X86
    case kRtLanesSse2:
        __builtin_cpu_init();   // safe before static constructors have run
        return __builtin_cpu_supports("sse2") != 0;
#if DFT_LANES_WIDE
    case kRtLanesAvx2:
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    case kRtLanesAvx512:
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") != 0;
#endif
#endif
    default:
        return 0;
    }
}

static RtLaneSet WidestAvailable() {
    RtLaneSet best = kRtLanesScalar;
    for (int s = kRtLanesSse2; s < kRtLaneSetCount; ++s)
        if (RtLaneSetAvailable((RtLaneSet)s))
            best = (RtLaneSet)s;
    return best;
}

RtLaneSet RtLaneSetWidest() {
    static const RtLaneSet widest = WidestAvailable();   // once, on the first call (thread-safe)
    return widest;
}

const char *RtLaneSetName(RtLaneSet set) {
    static const char *const names[kRtLaneSetCount] = {"scalar", "sse2", "avx2", "avx512"};
    return (unsigned)set < kRtLaneSetCount ? names[set] : "unknown";
}

int32_t RtLaneSetWidth(RtLaneSet set) {
    static const int32_t widths[kRtLaneSetCount] = {1, 2, 4, 8};
    return (unsigned)set < kRtLaneSetCount ? widths[set] : 1;
}
