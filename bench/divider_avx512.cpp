// divider_avx512.cpp: division's throughput in AVX-512F lanes, 8 doubles per division, and the
// FMA division over arrays. This file alone is compiled with -mavx512f; without it the file
// holds nothing.
#include "bench/divider_chains.h"

#if defined(__AVX512F__)
#include "runtime/math/rt_lanes_avx512.h"

double DividerChainsAvx512(int64_t rounds, int fma) {
    return DividerChainsShared<LanesAvx512>(rounds, fma);
}

void DivideFmaAvx512(const double *a, const double *b, double *q, int32_t count) {
    DivideFma<LanesAvx512>(a, b, q, count);
}
#endif
