// divider_avx2.cpp: division's throughput in AVX2 lanes, 4 doubles per division, and the FMA
// division over arrays. This file alone is compiled with -mavx2 -mfma; without them the file
// holds nothing.
#include "bench/divider_chains.h"

#if defined(__AVX2__) && defined(__FMA__)
#include "runtime/math/rt_lanes_avx2.h"

double DividerChainsAvx2(int64_t rounds, int fma) {
    return DividerChainsShared<LanesAvx2>(rounds, fma);
}

void DivideFmaAvx2(const double *a, const double *b, double *q, int32_t count) {
    DivideFma<LanesAvx2>(a, b, q, count);
}
#endif
