// rt_lanes_sse2.h: two double lanes in SSE2 registers, the operations the lane kernels need.
//
// Invariant: every arithmetic operation is one IEEE double operation per lane, round to nearest,
// exactly as the scalar SSE2 instruction would give it (no fused or approximate operation).
// Include only in a file compiled for SSE2 (the baseline of x86-64, and -msse2 on 32-bit x86);
// everything here has internal linkage, so no copy can leak into a file of another instruction set.
#ifndef RUNTIME_MATH_RT_LANES_SSE2_H
#define RUNTIME_MATH_RT_LANES_SSE2_H

#ifndef __SSE2__
#error "rt_lanes_sse2.h needs SSE2"
#endif
#include <emmintrin.h>

namespace {

struct LanesSse2 {
    typedef __m128d V;   // two doubles
    typedef __m128i Q;   // the two 32-bit multiples in its low half
    enum { kWidth = 2 };

    static V Set1(double x) { return _mm_set1_pd(x); }
    static V Zero() { return _mm_setzero_pd(); }
    static V Load(const double *p) { return _mm_loadu_pd(p); }
    static void Store(double *p, V x) { _mm_storeu_pd(p, x); }
    static V Add(V a, V b) { return _mm_add_pd(a, b); }
    static V Sub(V a, V b) { return _mm_sub_pd(a, b); }
    static V Mul(V a, V b) { return _mm_mul_pd(a, b); }
    static V Div(V a, V b) { return _mm_div_pd(a, b); }
    // Clears the sign bit: |x|, with -0 becoming +0.
    static V ClearSign(V x) { return _mm_andnot_pd(_mm_set1_pd(-0.0), x); }
    // h >= 0 ? ifAtLeastZero : ifBelow, lane by lane (NaN counts as below).
    static V SelectAtLeastZero(V h, V ifAtLeastZero, V ifBelow) {
        V m = _mm_cmpge_pd(h, _mm_setzero_pd());
        return _mm_or_pd(_mm_and_pd(m, ifAtLeastZero), _mm_andnot_pd(m, ifBelow));
    }
    // Truncation toward zero to 32-bit integers (cvttpd2dq), and back to doubles (exact).
    static Q Trunc(V x) { return _mm_cvttpd_epi32(x); }
    static V ToDouble(Q q) { return _mm_cvtepi32_pd(q); }
    // 1 if the two sets of multiples differ in some lane.
    static int AnyDiffer(Q a, Q b) { return _mm_movemask_epi8(_mm_cmpeq_epi32(a, b)) != 0xFFFF; }
    // Flips the sign of the lanes whose multiple is odd (negative odd multiples included: bit 0
    // of the two's complement).
    static V FlipSignWhereOdd(V s, Q q) {
        __m128i odd = _mm_slli_epi32(q, 31);                        // parity in bit 31
        __m128i bit63 = _mm_unpacklo_epi32(_mm_setzero_si128(), odd); // to bit 63 of each lane
        return _mm_xor_pd(s, _mm_castsi128_pd(bit63));
    }
};

}  // namespace

#endif
