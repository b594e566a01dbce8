// divider_chains.h: the throughput of division in an instruction set's lanes L, the wall the
// transform's kernel runs against (each sine and cosine pair divides 22 times per lane): on the
// divider, on the FMA units (rt_lanes_div_fma.h) and mixed. Written once, compiled per set
// (divider_sse2.cpp, divider_avx2.cpp, divider_avx512.cpp) and for plain doubles (DividerScalar,
// in transform_bench.cpp); with the FMA division over arrays for its tests and fuzzer.
//
// kDividerChains independent chains x = c / x, each division waiting on the one before in its
// chain only: enough chains in flight that the units, not their latency, set the pace. x
// alternates between 1 and 1.5, normal throughout, so no slow operand ever reaches the divider.
// Include only in a file compiled for L's instruction set; all of it has internal linkage.
#ifndef BENCH_DIVIDER_CHAINS_H
#define BENCH_DIVIDER_CHAINS_H

#include <cstdint>

#include "runtime/math/rt_lanes_div_fma.h"

// Each runs rounds * kDividerChains divisions of whole vectors in its set, the first `fma` chains
// (one of kDividerShares; SSE2: 0 only) on the FMA units, and returns a value of the chains. A set
// the build has no flags for has no function (DFT_LANES_WIDE says whether the wide ones are
// there); AVX2's FMA chains need a processor with FMA.
double DividerChainsSse2(int64_t rounds, int fma);
double DividerChainsAvx2(int64_t rounds, int fma);
double DividerChainsAvx512(int64_t rounds, int fma);
// q[i] = a[i] / b[i], 0 <= i < count, by the FMA division of the set (AVX2: with FMA).
void DivideFmaAvx2(const double *a, const double *b, double *q, int32_t count);
void DivideFmaAvx512(const double *a, const double *b, double *q, int32_t count);

enum { kDividerChains = 12 };   // vectors in flight: past any unit's latency / throughput
static const int kDividerShares[] = {0, 4, 6, 8, 12};   // chains on the FMA units, of 12

// Runs rounds * kDividerChains divisions of whole vectors; returns a value of the chains, which
// the caller keeps, so that none is left out.
template <class L, int F>
double DividerChains(int64_t rounds) {
    typedef typename L::V V;
    const V c = L::Set1(1.5);
    V x[kDividerChains];
    for (int i = 0; i < kDividerChains; ++i)
        x[i] = L::Set1(1.0);
    for (int64_t r = 0; r < rounds; ++r) {
#pragma GCC unroll 16
        for (int i = 0; i < kDividerChains; ++i)
            x[i] = RtLanesDivide<L, F>::Div(i, c, x[i]);
    }
    double sum = 0, lanes[16];
    for (int i = 0; i < kDividerChains; ++i) {
        L::Store(lanes, x[i]);
        sum = sum + lanes[0];
    }
    return sum;
}

template <class L>
double DividerChainsShared(int64_t rounds, int fma) {
    switch (fma) {
    case 4: return DividerChains<L, 4>(rounds);
    case 6: return DividerChains<L, 6>(rounds);
    case 8: return DividerChains<L, 8>(rounds);
    case 12: return DividerChains<L, 12>(rounds);
    default: return DividerChains<L, 0>(rounds);
    }
}

// q[i] = a[i] / b[i] by the FMA division, a partial last vector padded with ones.
template <class L>
void DivideFma(const double *a, const double *b, double *q, int32_t count) {
    enum { W = L::kWidth };
    for (int32_t i = 0; i < count; i += W) {
        double x[W], y[W], out[W];
        for (int j = 0; j < W; ++j) {
            x[j] = i + j < count ? a[i + j] : 1.0;
            y[j] = i + j < count ? b[i + j] : 1.0;
        }
        L::Store(out, RtLanesDivFma<L>(L::Load(x), L::Load(y)));
        for (int j = 0; j < W && i + j < count; ++j)
            q[i + j] = out[j];
    }
}

// One double: the scalar set's divisions.
struct DividerScalar {
    typedef double V;
    static V Set1(double x) { return x; }
    static V Div(V a, V b) { return a / b; }
    static void Store(double *p, V x) { *p = x; }
};

#endif
