// divider_sse2.cpp: the divider's throughput in SSE2 lanes, 2 doubles per division.
// Without the set's compiler flags the file holds nothing.
#include "bench/divider_chains.h"

#if defined(__SSE2__)
#include "runtime/math/rt_lanes_sse2.h"

double DividerChainsSse2(int64_t rounds, int) {
    return DividerChains<LanesSse2, 0>(rounds);
}
#endif
