// divider_avx512.cpp: the divider's throughput in AVX-512F lanes, 8 doubles per division. This
// file alone is compiled with -mavx512f; without it the file holds nothing.
#include "bench/divider_chains.h"

#if defined(__AVX512F__)
#include "runtime/math/rt_lanes_avx512.h"

double DividerChainsAvx512(int64_t rounds) {
    return DividerChains<LanesAvx512>(rounds);
}
#endif
