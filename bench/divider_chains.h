// divider_chains.h: the divider's own throughput in an instruction set's lanes L, the wall the
// transform's kernel runs against (each sine and cosine pair divides 22 times per lane, all on
// the divider). Written once, compiled per set (divider_sse2.cpp, divider_avx2.cpp,
// divider_avx512.cpp) and for plain doubles (DividerScalar, in transform_bench.cpp).
//
// kDividerChains independent chains x = c / x, each division waiting on the one before in its
// chain only: enough chains in flight that the divider, not their latency, sets the pace. x
// alternates between 1 and 1.5, normal throughout, so no slow operand ever reaches the divider.
// Include only in a file compiled for L's instruction set; all of it has internal linkage.
#ifndef BENCH_DIVIDER_CHAINS_H
#define BENCH_DIVIDER_CHAINS_H

#include <cstdint>

// Each runs rounds * kDividerChains divisions of whole vectors in its set and returns a value of
// the chains. A set the build has no flags for has no function (DFT_LANES_WIDE says whether the
// wide ones are there).
double DividerChainsSse2(int64_t rounds);
double DividerChainsAvx2(int64_t rounds);
double DividerChainsAvx512(int64_t rounds);

enum { kDividerChains = 12 };   // vectors in flight: past any divider's latency / throughput

// Runs rounds * kDividerChains divisions of whole vectors; returns a value of the chains, which
// the caller keeps, so that none is left out.
template <class L>
double DividerChains(int64_t rounds) {
    typedef typename L::V V;
    const V c = L::Set1(1.5);
    V x[kDividerChains];
    for (int i = 0; i < kDividerChains; ++i)
        x[i] = L::Set1(1.0);
    for (int64_t r = 0; r < rounds; ++r) {
#pragma GCC unroll 16
        for (int i = 0; i < kDividerChains; ++i)
            x[i] = L::Div(c, x[i]);
    }
    double sum = 0, lanes[16];
    for (int i = 0; i < kDividerChains; ++i) {
        L::Store(lanes, x[i]);
        sum = sum + lanes[0];
    }
    return sum;
}

// One double: the scalar set's divisions.
struct DividerScalar {
    typedef double V;
    static V Set1(double x) { return x; }
    static V Div(V a, V b) { return a / b; }
    static void Store(double *p, V x) { *p = x; }
};

#endif
