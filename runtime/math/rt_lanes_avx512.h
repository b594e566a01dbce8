// rt_lanes_avx512.h: eight double lanes in AVX-512 registers, the operations the lane kernels need.
//
// Invariant: every arithmetic operation is one IEEE double operation per lane, round to nearest,
// exactly as the scalar instruction would give it (no embedded rounding override). The fused
// and approximate operations at the end serve the exact FMA division (rt_lanes_div_fma.h) alone.
// Uses AVX-512F only. Include only in a file compiled with
// -mavx512f; everything here has internal linkage, so no copy can leak into a file of another
// instruction set.
#ifndef RUNTIME_MATH_RT_LANES_AVX512_H
#define RUNTIME_MATH_RT_LANES_AVX512_H

#ifndef __AVX512F__
#error "rt_lanes_avx512.h needs AVX-512F"
#endif
// GCC 12's AVX-512 conversions and shifts start from an "undefined" vector that its own
// -Wmaybe-uninitialized then reports (GCC bug 105593, fixed in GCC 13); the header alone is exempt.
// (clang, which builds the fuzzers, has no such warning.)
#pragma GCC diagnostic push
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#pragma GCC diagnostic pop

namespace {

struct LanesAvx512 {
    typedef __m512d V;   // eight doubles
    typedef __m256i Q;   // the eight 32-bit multiples
    enum { kWidth = 8 };

    static V Set1(double x) { return _mm512_set1_pd(x); }
    static V Zero() { return _mm512_setzero_pd(); }
    static V Load(const double *p) { return _mm512_loadu_pd(p); }
    static void Store(double *p, V x) { _mm512_storeu_pd(p, x); }
    static V Add(V a, V b) { return _mm512_add_pd(a, b); }
    static V Sub(V a, V b) { return _mm512_sub_pd(a, b); }
    static V Mul(V a, V b) { return _mm512_mul_pd(a, b); }
    static V Div(V a, V b) { return _mm512_div_pd(a, b); }
    static V ClearSign(V x) {
        return _mm512_castsi512_pd(_mm512_and_si512(_mm512_castpd_si512(x),
                                                    _mm512_set1_epi64(0x7FFFFFFFFFFFFFFFll)));
    }
    static V SelectAtLeastZero(V h, V ifAtLeastZero, V ifBelow) {
        __mmask8 m = _mm512_cmp_pd_mask(h, _mm512_setzero_pd(), _CMP_GE_OQ);   // false for NaN
        return _mm512_mask_blend_pd(m, ifBelow, ifAtLeastZero);
    }
    static Q Trunc(V x) { return _mm512_cvttpd_epi32(x); }
    static V ToDouble(Q q) { return _mm512_cvtepi32_pd(q); }
    static int AnyDiffer(Q a, Q b) { return _mm256_movemask_epi8(_mm256_cmpeq_epi32(a, b)) != -1; }
    static V FlipSignWhereOdd(V s, Q q) {
        __m512i bit63 = _mm512_slli_epi64(_mm512_cvtepi32_epi64(q), 63);
        return _mm512_castsi512_pd(_mm512_xor_si512(_mm512_castpd_si512(s), bit63));
    }

    // The FMA division's operations (rt_lanes_div_fma.h).
    typedef __mmask8 DivMask;   // bit l: lane l inside the FMA division's domain
    enum { kRecipSteps = 1 };   // rcp14: relative error below 2^-14
    static V RecipEstimate(V b) { return _mm512_rcp14_pd(b); }
    static V MulAdd(V a, V b, V c) { return _mm512_fmadd_pd(a, b, c); }      // a*b + c, fused
    static V NegMulAdd(V a, V b, V c) { return _mm512_fnmadd_pd(a, b, c); }  // c - a*b, fused
    // The double next to q (normal, nonzero) on the side of the sign of r*b.
    static V NeighbourToward(V q, V r, V b) {
        const __m512i qi = _mm512_castpd_si512(q);
        const __m512i side = _mm512_ternarylogic_epi64(_mm512_castpd_si512(r),   // r ^ b ^ q
                                                       _mm512_castpd_si512(b), qi, 0x96);
        const __m512i step = _mm512_or_si512(_mm512_srai_epi64(side, 63), _mm512_set1_epi64(1));
        return _mm512_castsi512_pd(_mm512_add_epi64(qi, step));   // +1 away from zero, -1 toward
    }
    static V SelectWhereSameSign(V m, V r, V ifSame, V ifNot) {
        const __mmask8 differ = _mm512_test_epi64_mask(
            _mm512_xor_si512(_mm512_castpd_si512(m), _mm512_castpd_si512(r)),
            _mm512_set1_epi64((long long)0x8000000000000000ull));
        return _mm512_mask_blend_pd(differ, ifSame, ifNot);
    }
    // 2^-120 <= |b|, |q0| <= 2^120; min and max take q0's NaN (their second operand's).
    static DivMask DivInside(V b, V q0) {
        const V lo = _mm512_min_pd(ClearSign(b), ClearSign(q0));
        const V hi = _mm512_max_pd(ClearSign(b), ClearSign(q0));
        const __mmask8 big = _mm512_cmp_pd_mask(lo, Set1(0x1p-120), _CMP_GE_OQ);
        return _mm512_mask_cmp_pd_mask(big, hi, Set1(0x1p120), _CMP_LE_OQ);
    }
    static int AllInside(DivMask inside) { return inside == 0xFF; }
    static V DivOutside(DivMask inside, V q, V a, V b) {
        return _mm512_mask_div_pd(q, (__mmask8)~inside, a, b);
    }
};

}  // namespace

#endif
