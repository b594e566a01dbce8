// transform_lanes.h: the transform's work unit over an instruction set's lanes L, written once
// and compiled per set (transform_sse2.cpp, transform_avx2.cpp, transform_avx512.cpp) and for
// the scalar code (transform_plain.cpp, one lane).
//
// Invariant: lane l of vector u follows the chain of head[u*W + l] (transform_unit.h) and runs,
// for each of its bins and each n in order, exactly the plain loop's operations: a = (angleStep *
// n) * k, the sine and cosine of Trig (bit for bit RtSin, RtCos), re = re + s*cos, im = im -
// s*sin. So every bin has the plain loop's bits. U vectors (2U sine chains, counting the
// cosines) go side by side to hide the latency of the divisions; F of the chains divide on the
// FMA units (the same quotients).
// Include only in a file compiled for L's instruction set; all of it has internal linkage.
#ifndef APP_TRANSFORM_LANES_H
#define APP_TRANSFORM_LANES_H

#include "app/transform_unit.h"
#include "runtime/math/rt_trig_lanes_kernel.h"

namespace {

// The lane kernel's sine and cosine of U vectors of angles: sine[u] in, RtSin and RtCos out.
// The first F of the 2U chains (the sines first) divide on the FMA units.
template <class L, int F = 0>
struct TransformLaneTrig {
    template <int U>
    static void SinCos(typename L::V *sine, typename L::V *cosine) {
        typename L::V arg[2 * U];   // the sine arguments, then the cosines' sine arguments
#pragma GCC unroll 8
        for (int u = 0; u < U; ++u) {
            arg[u] = sine[u];
            arg[U + u] = RtLanesCosArg<L>(sine[u]);
        }
        RtLanesSin<L, 2 * U, F>(arg, arg);
        for (int u = 0; u < U; ++u) {
            sine[u] = arg[u];
            cosine[u] = arg[U + u];
        }
    }
};

// Member p of a lane's chain: its bin, or -1 when the lane has no such member (padding, beyond
// count, bin 0, or a unit without chains).
inline int32_t TransformMember(const TransformJob *job, const TransformUnit *unit, int32_t head,
                               int p) {
    if (head < 0 || (p > 0 && (!unit->chains || head == 0)))
        return -1;
    if (p > 0 && (p >= 31 || head > (job->count - 1) >> p))
        return -1;
    return head << p;
}

template <class L, class Trig, int U>
inline int64_t TransformLanesUnit(const TransformJob *job, const TransformUnit *unit) {
    typedef typename L::V V;
    enum { W = L::kWidth, G = U * W };
    const double *samples = job->samples;
    const int32_t count = job->count;
    const int32_t half = count - count / 2;   // the first n with 2n >= count
    const double angleStep = job->angleStep;
    const int members = unit->chains ? unit->passes + 1 : unit->passes;

    int32_t bins[kTransformMembers][G];
    V bin[kTransformMembers][U], re[kTransformMembers][U], im[kTransformMembers][U];
    for (int p = 0; p < members; ++p) {
        double value[G], startRe[G], startIm[G];
        for (int j = 0; j < G; ++j) {
            const int32_t k = TransformMember(job, unit, j < unit->lanes ? unit->head[j] : -1, p);
            bins[p][j] = k;
            value[j] = k < 0 ? 0.0 : (double)k;
            const int continues = p == 0 && unit->firstStart > 0 && k >= 0;
            startRe[j] = continues ? job->realPart[k] : 0.0;
            startIm[j] = continues ? job->imagPart[k] : 0.0;
        }
        for (int u = 0; u < U; ++u) {
            bin[p][u] = L::Load(value + u * W);
            re[p][u] = L::Load(startRe + u * W);
            im[p][u] = L::Load(startIm + u * W);
        }
    }

    int64_t evaluated = 0;
    for (int p = 0; p < unit->passes; ++p) {
        const int32_t start = p == 0 ? unit->firstStart : half;
        evaluated += (int64_t)(count - start) * G;
        V reP[U], imP[U];
        for (int u = 0; u < U; ++u) {
            reP[u] = re[p][u];
            imP[u] = im[p][u];
        }
        for (int32_t m = start; m < count; ++m) {
            const V base = L::Set1(angleStep * (double)m);
            V sine[U], cosine[U];
#pragma GCC unroll 8
            for (int u = 0; u < U; ++u)
                sine[u] = L::Mul(base, bin[p][u]);
            Trig::template SinCos<U>(sine, cosine);
            const V s = L::Set1(samples[m]);
#pragma GCC unroll 8
            for (int u = 0; u < U; ++u) {
                reP[u] = L::Add(reP[u], L::Mul(s, cosine[u]));
                imP[u] = L::Sub(imP[u], L::Mul(s, sine[u]));
            }
            // The deeper members: term m / 2^r of member p + r while 2^r divides m.
            int32_t n = m;
            for (int q = p + 1; q < members && (n & 1) == 0; ++q) {
                n >>= 1;
                const V t = L::Set1(samples[n]);
                for (int u = 0; u < U; ++u) {
                    re[q][u] = L::Add(re[q][u], L::Mul(t, cosine[u]));
                    im[q][u] = L::Sub(im[q][u], L::Mul(t, sine[u]));
                }
            }
        }
        for (int u = 0; u < U; ++u) {
            re[p][u] = reP[u];
            im[p][u] = imP[u];
        }
    }

    for (int p = 0; p < members; ++p) {
        double outRe[G], outIm[G];
        for (int u = 0; u < U; ++u) {
            L::Store(outRe + u * W, re[p][u]);
            L::Store(outIm + u * W, im[p][u]);
        }
        const uint8_t state = p < unit->passes ? kBinReady : kBinPartial;
        for (int j = 0; j < G; ++j) {
            const int32_t k = bins[p][j];
            if (k < 0)
                continue;
            job->realPart[k] = outRe[j];
            job->imagPart[k] = outIm[j];
            job->binState[k].store(state, std::memory_order_release);
        }
    }
    return evaluated;
}

}  // namespace

#endif
