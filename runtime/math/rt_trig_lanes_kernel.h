// rt_trig_lanes_kernel.h: the lane kernel of RtSin and RtCos, written once over an instruction
// set's lane operations L (rt_lanes_sse2.h, rt_lanes_avx2.h, rt_lanes_avx512.h).
//
// Invariant: lane by lane, RtLanesSin performs exactly the scalar sequence of rt_trig.h, every
// step one correctly rounded IEEE operation, so each lane holds the bits of the scalar RtSin:
//   h = x * 0.5                    the scalar x / 2: both are x/2 correctly rounded (the same
//                                  real number), so the bits agree, subnormals included
//   v = h >= 0 ? h/P + 0.5 : h/P - 0.5,  q = v truncated (cvttpd2dq, toward zero)
//   r = (h - q*C1) + q*C2,  z = r*r,  a = z/19, then a = z/(k - a) for k = 17, 15, ..., 3
//                                  (the scalar's first step z/(19 - 0) divides by exactly 19)
//   t = r / (1 - a),  s = (2*t) / ((t*t) + 1)
//   q odd: the sign of s flips    the scalar s * -1; s is finite here, where both are the same
// Cosine: RtSin(P - |x|). The lanes clear the sign bit for |x|; RtAbs keeps -0 as -0, but
// P - (-0) and P - (+0) are both P, so the argument is the same.
//
// The multiple without its division. The divider is the bottleneck, so q is first bracketed
// with a product: w = h * R, R = 1/P rounded (the same double as 2/pi rounded). R and the
// product each add at most 2^-53 relative, and d = h/P rounded differs from h/P by at most 2^-53
// relative, so |w - d| <= 3 * 2^-53 |w| < 2^-51 |w| (normal range; for tiny h the error is far
// below the absolute 2^-60). With e = |w| * 2^-50 + 2^-60, lo = w - e and hi = w + e (each
// rounded) bracket d, since rounding is monotone; so do the roundings of lo +- 0.5 and
// hi +- 0.5 bracket v, and their truncations bracket q.
// Where the two truncations agree they are q. Where they differ in any lane (v within about
// 2^-50 relative of an integer: rare, e.g. P/2 - 0 at the cosine of 0) the kernel takes the
// division for all its vectors.
//
// Domain (caller's contract): every lane |x| < kRtLaneArgLimit (2^29), so |v| < 2^28 and q is
// the exact truncation the scalar makes; the result is finite. The transform checks its largest
// angle against it and takes the scalar functions beyond.
//
// Speed: M vectors go through each step side by side. The continued fraction is a chain of
// dependent divisions; M independent chains keep the divider busy instead of waiting on latency.
// The first F chains divide on the FMA units instead (rt_lanes_div_fma.h: the same quotients),
// beside the divider where it is the slower; F = 0 is the divider alone.
// Include only in a file compiled for L's instruction set; all of it has internal linkage.
#ifndef RUNTIME_MATH_RT_TRIG_LANES_KERNEL_H
#define RUNTIME_MATH_RT_TRIG_LANES_KERNEL_H

#include <cstdint>

#include "runtime/math/rt_lanes_div_fma.h"
#include "runtime/math/rt_trig.h"        // kRtHalfPi, kRtTanC1, kRtTanC2 (constants only)

// The scalar inline functions of rt_trig.h are deliberately not called in a lane file: an
// out-of-line copy compiled for a wider instruction set could be the one the linker keeps.

namespace {

// 2/pi rounded to a double, which is also 1/P rounded: 6.36619772367581382433e-01.
static const double kRtLanesTwoOverPi = 6.36619772367581382433e-01;   // 0x3FE45F30, 0x6DC9C883

// out[m] = RtSin(x[m]) lane by lane, for M vectors with every lane inside the domain above; the
// first F of them divide on the FMA units.
template <class L, int M, int F = 0>
inline void RtLanesSin(const typename L::V *x, typename L::V *out) {
    typedef typename L::V V;
    typedef RtLanesDivide<L, F> D;
    typedef typename L::Q Q;
    const V half = L::Set1(0.5);
    const V halfPi = L::Set1(kRtHalfPi);
    const V one = L::Set1(1.0);
    V h[M], r[M], z[M], a[M];
    Q q[M];
    const V twoOverPi = L::Set1(kRtLanesTwoOverPi);
    const V slack = L::Set1(8.8817841970012523e-16);   // 2^-50 = 0x3CD0000000000000
    const V floor = L::Set1(8.6736173798840355e-19);   // 2^-60 = 0x3C30000000000000
    int differ = 0;
#pragma GCC unroll 16
    for (int m = 0; m < M; ++m) {
        h[m] = L::Mul(x[m], half);
        const V w = L::Mul(h[m], twoOverPi);
        const V e = L::Add(L::Mul(L::ClearSign(w), slack), floor);
        const V lo = L::Sub(w, e), hi = L::Add(w, e);
        q[m] = L::Trunc(L::SelectAtLeastZero(h[m], L::Add(lo, half), L::Sub(lo, half)));
        const Q qHigh = L::Trunc(L::SelectAtLeastZero(h[m], L::Add(hi, half), L::Sub(hi, half)));
        differ |= L::AnyDiffer(q[m], qHigh);
    }
    if (differ) {   // the scalar sequence's own division
#pragma GCC unroll 16
        for (int m = 0; m < M; ++m) {
            const V t = L::Div(h[m], halfPi);
            q[m] = L::Trunc(L::SelectAtLeastZero(h[m], L::Add(t, half), L::Sub(t, half)));
        }
    }
#pragma GCC unroll 16
    for (int m = 0; m < M; ++m) {
        V qd = L::ToDouble(q[m]);
        r[m] = L::Add(L::Sub(h[m], L::Mul(qd, L::Set1(kRtTanC1))), L::Mul(qd, L::Set1(kRtTanC2)));
        z[m] = L::Mul(r[m], r[m]);
        a[m] = D::Div(m, z[m], L::Set1(19.0));
    }
#pragma GCC unroll 8
    for (int k = 17; k >= 3; k -= 2) {
        const V kd = L::Set1((double)k);
#pragma GCC unroll 16
        for (int m = 0; m < M; ++m)
            a[m] = D::Div(m, z[m], L::Sub(kd, a[m]));
    }
#pragma GCC unroll 16
    for (int m = 0; m < M; ++m) {
        V t = D::Div(m, r[m], L::Sub(one, a[m]));
        V s = D::Div(m, L::Mul(L::Set1(2.0), t), L::Add(L::Mul(t, t), one));
        out[m] = L::FlipSignWhereOdd(s, q[m]);
    }
}

// The argument of the sine that gives RtCos(x): P - |x|.
template <class L>
inline typename L::V RtLanesCosArg(typename L::V x) {
    return L::Sub(L::Set1(kRtHalfPi), L::ClearSign(x));
}

}  // namespace

#endif
