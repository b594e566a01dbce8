// rt_lanes_avx2.h: four double lanes in AVX2 registers, the operations the lane kernels need.
//
// Invariant: every arithmetic operation is one IEEE double operation per lane, round to nearest,
// exactly as the scalar instruction would give it. The fused and approximate operations at the
// end serve the exact FMA division (rt_lanes_div_fma.h) alone, in files compiled with -mfma too.
// Include only in a file compiled with -mavx2; everything here has internal linkage, so no copy
// can leak into a file of another instruction set.
#ifndef RUNTIME_MATH_RT_LANES_AVX2_H
#define RUNTIME_MATH_RT_LANES_AVX2_H

#ifndef __AVX2__
#error "rt_lanes_avx2.h needs AVX2"
#endif
#include <immintrin.h>

namespace {

struct LanesAvx2 {
    typedef __m256d V;   // four doubles
    typedef __m128i Q;   // the four 32-bit multiples
    enum { kWidth = 4 };

    static V Set1(double x) { return _mm256_set1_pd(x); }
    static V Zero() { return _mm256_setzero_pd(); }
    static V Load(const double *p) { return _mm256_loadu_pd(p); }
    static void Store(double *p, V x) { _mm256_storeu_pd(p, x); }
    static V Add(V a, V b) { return _mm256_add_pd(a, b); }
    static V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
    static V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
    static V Div(V a, V b) { return _mm256_div_pd(a, b); }
    static V ClearSign(V x) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), x); }
    static V SelectAtLeastZero(V h, V ifAtLeastZero, V ifBelow) {
        V m = _mm256_cmp_pd(h, _mm256_setzero_pd(), _CMP_GE_OQ);   // false for NaN
        return _mm256_blendv_pd(ifBelow, ifAtLeastZero, m);
    }
    static Q Trunc(V x) { return _mm256_cvttpd_epi32(x); }
    static V ToDouble(Q q) { return _mm256_cvtepi32_pd(q); }
    static int AnyDiffer(Q a, Q b) { return _mm_movemask_epi8(_mm_cmpeq_epi32(a, b)) != 0xFFFF; }
    static V FlipSignWhereOdd(V s, Q q) {
        __m256i bit63 = _mm256_slli_epi64(_mm256_cvtepi32_epi64(q), 63);
        return _mm256_xor_pd(s, _mm256_castsi256_pd(bit63));
    }

#if defined(__FMA__)
    // The FMA division's operations (rt_lanes_div_fma.h).
    typedef __m256d DivMask;    // all ones: the lane is inside the FMA division's domain
    enum { kRecipSteps = 2 };   // the float rcp: relative error below 2^-10.99
    static V RecipEstimate(V b) { return _mm256_cvtps_pd(_mm_rcp_ps(_mm256_cvtpd_ps(b))); }
    static V MulAdd(V a, V b, V c) { return _mm256_fmadd_pd(a, b, c); }      // a*b + c, fused
    static V NegMulAdd(V a, V b, V c) { return _mm256_fnmadd_pd(a, b, c); }  // c - a*b, fused
    // The double next to q (normal, nonzero) on the side of the sign of r*b.
    static V NeighbourToward(V q, V r, V b) {
        const __m256i side = _mm256_castpd_si256(_mm256_xor_pd(_mm256_xor_pd(r, b), q));
        const __m256i toward = _mm256_cmpgt_epi64(_mm256_setzero_si256(), side);   // -1 or 0
        const __m256i step = _mm256_or_si256(toward, _mm256_set1_epi64x(1));
        return _mm256_castsi256_pd(_mm256_add_epi64(_mm256_castpd_si256(q), step));
    }
    static V SelectWhereSameSign(V m, V r, V ifSame, V ifNot) {
        return _mm256_blendv_pd(ifSame, ifNot, _mm256_xor_pd(m, r));   // by the sign bit
    }
    // 2^-120 <= |b|, |q0| <= 2^120; min and max take q0's NaN (their second operand's).
    static DivMask DivInside(V b, V q0) {
        const V lo = _mm256_min_pd(ClearSign(b), ClearSign(q0));
        const V hi = _mm256_max_pd(ClearSign(b), ClearSign(q0));
        return _mm256_and_pd(_mm256_cmp_pd(lo, Set1(0x1p-120), _CMP_GE_OQ),
                             _mm256_cmp_pd(hi, Set1(0x1p120), _CMP_LE_OQ));
    }
    static int AllInside(DivMask inside) { return _mm256_movemask_pd(inside) == 0xF; }
    static V DivOutside(DivMask inside, V q, V a, V b) {
        return _mm256_blendv_pd(_mm256_div_pd(a, b), q, inside);
    }
#endif
};

}  // namespace

#endif
