// rt_trig_lanes.cpp: the choice of instruction set for the lane kernels, and the scalar entry
// points (the reference, and the path for arguments outside the lanes' range).
//
// Invariant: a set is reported available only if this build compiled its kernels (the file's
// compiler flags define the set's macro there; this file learns it from DFT_LANES_* below) and
// the processor and the operating system support it (__builtin_cpu_supports checks both).
// Compiled for the baseline instruction set: nothing here may use a wider one.
#include "runtime/math/rt_trig_lanes.h"

#include <cassert>

#include "runtime/math/rt_trig.h"

#if defined(__x86_64__) || defined(__i386__)
#define DFT_LANES_X86 1
#endif

void RtSinLanesScalar(const double *x, double *out, int32_t count) {
    for (int32_t i = 0; i < count; ++i)
        out[i] = RtSin(x[i]);
}

void RtCosLanesScalar(const double *x, double *out, int32_t count) {
    for (int32_t i = 0; i < count; ++i)
        out[i] = RtCos(x[i]);
}

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

void RtSinLanes(RtLaneSet set, const double *x, double *out, int32_t count) {
    assert(RtLaneSetAvailable(set));
    switch (set) {
#if DFT_LANES_X86
    case kRtLanesSse2: RtSinLanesSse2(x, out, count); return;
#if DFT_LANES_WIDE
    case kRtLanesAvx2: RtSinLanesAvx2(x, out, count); return;
    case kRtLanesAvx512: RtSinLanesAvx512(x, out, count); return;
#endif
#endif
    default: RtSinLanesScalar(x, out, count); return;
    }
}

void RtCosLanes(RtLaneSet set, const double *x, double *out, int32_t count) {
    assert(RtLaneSetAvailable(set));
    switch (set) {
#if DFT_LANES_X86
    case kRtLanesSse2: RtCosLanesSse2(x, out, count); return;
#if DFT_LANES_WIDE
    case kRtLanesAvx2: RtCosLanesAvx2(x, out, count); return;
    case kRtLanesAvx512: RtCosLanesAvx512(x, out, count); return;
#endif
#endif
    default: RtCosLanesScalar(x, out, count); return;
    }
}
