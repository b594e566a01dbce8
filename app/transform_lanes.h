// transform_lanes.h: the transform's work unit over an instruction set's lanes L, written once
// and compiled per set (transform_sse2.cpp, transform_avx2.cpp, transform_avx512.cpp).
//
// Invariant: lane j of vector u holds bin k = k0 + u*W + j and runs, for n = 0, 1, ..., count-1
// in order, exactly the plain loop's operations: a = (angleStep * n) * k, the lane RtCos and
// RtSin of rt_trig_lanes_kernel.h, re = re + s*cos, im = im - s*sin. So every bin has the plain
// loop's bits. U vectors (2U sine chains, counting the cosines) go side by side to hide the
// latency of the divisions. Lanes past the range's end compute padding that is never stored.
// Include only in a file compiled for L's instruction set; all of it has internal linkage.
#ifndef APP_TRANSFORM_LANES_H
#define APP_TRANSFORM_LANES_H

#include "app/transform_range.h"
#include "runtime/math/rt_trig_lanes_kernel.h"

namespace {

template <class L, int U>
inline void TransformLanesRange(const TransformJob *job, int32_t k0, int32_t k1) {
    typedef typename L::V V;
    enum { W = L::kWidth, G = U * W };
    const double *samples = job->samples;
    const int32_t count = job->count;
    const double angleStep = job->angleStep;
    for (int32_t k = k0; k < k1; k += G) {
        double bins[G];
        for (int j = 0; j < G; ++j)
            bins[j] = (double)(k + j);
        V bin[U], re[U], im[U];
        for (int u = 0; u < U; ++u) {
            bin[u] = L::Load(bins + u * W);
            re[u] = L::Zero();
            im[u] = L::Zero();
        }
        for (int32_t n = 0; n < count; ++n) {
            const V base = L::Set1(angleStep * (double)n);
            V arg[2 * U];   // sine arguments, then the cosines' sine arguments
#pragma GCC unroll 8
            for (int u = 0; u < U; ++u) {
                const V a = L::Mul(base, bin[u]);
                arg[u] = a;
                arg[U + u] = RtLanesCosArg<L>(a);
            }
            RtLanesSin<L, 2 * U>(arg, arg);
            const V s = L::Set1(samples[n]);
#pragma GCC unroll 8
            for (int u = 0; u < U; ++u) {
                re[u] = L::Add(re[u], L::Mul(s, arg[U + u]));
                im[u] = L::Sub(im[u], L::Mul(s, arg[u]));
            }
        }
        double outRe[G], outIm[G];
        for (int u = 0; u < U; ++u) {
            L::Store(outRe + u * W, re[u]);
            L::Store(outIm + u * W, im[u]);
        }
        const int32_t valid = k1 - k < G ? k1 - k : (int32_t)G;
        for (int32_t j = 0; j < valid; ++j) {
            job->realPart[k + j] = outRe[j];
            job->imagPart[k + j] = outIm[j];
        }
    }
}

}  // namespace

#endif
