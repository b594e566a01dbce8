// divider_avx2.cpp: the divider's throughput in AVX2 lanes, 4 doubles per division. This
// file alone is compiled with -mavx2; without it the file holds nothing.
#include "bench/divider_chains.h"

#if defined(__AVX2__)
#include "runtime/math/rt_lanes_avx2.h"

double DividerChainsAvx2(int64_t rounds) {
    return DividerChains<LanesAvx2>(rounds);
}
#endif
