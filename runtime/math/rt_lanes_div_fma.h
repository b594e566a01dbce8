// rt_lanes_div_fma.h: the correctly rounded quotient a / b in an instruction set's lanes L without
// the divider: a reciprocal estimate, Newton steps and remainders on the fused multiply-add units,
// bit for bit the divider's quotient (round to nearest even, NaN and all).
//
// Algorithm (every step one IEEE operation; "fused": one rounding of the exact a*b + c):
//   1. y = L::RecipEstimate(b), relative error e0 = b*y - 1 below 2^-14 (rcp14) or 2^-10.99
//      (the float rcp of b rounded to float: 2^-11 + 2^-24);
//      L::kRecipSteps times y = y + y*(1 - b*y), both fused.
//   2. q0 = a*y;  q1 = q0 + (a - b*q0)*y, both fused.
//   3. r = a - b*q1, fused: the exact remainder.
//   4. n = the double next to q1 on the side of a/b (the bits of q1 plus or minus one);
//      d = (n - q1) * 0.5, the signed half step;  m = r - b*d, fused.
//   5. The quotient is n where m and r have the same sign, q1 otherwise.
//   6. Lanes outside the domain below take the divider.
// Domain: 2^-120 <= |b| <= 2^120 and 2^-120 <= |q0| <= 2^120 (false for zero, infinity, NaN and
// subnormal operands; q0 is NaN whenever a or b is). Then x = a/b lies in (2^-121, 2^121) and
// |a| in (2^-241, 2^241): every value below is a normal double far from overflow, every
// multiple of 2^-1074 met is representable, and the float estimate's operand is a normal float.
//
// Why it is RN(x), x = a/b exact. Write y = (1 + e)/b.
//   1. A step with |e| < 2^-10.99 gives y(1 - e(1 + h1)) rounded, |h1|, |h2| <= 2^-53, so the new
//      error is -e^2 - e*h1*(1 + e) rounded: |e'| <= e^2 + 2^-52. From rcp14 after one step, or
//      from the float estimate after two: |e| < 2^-27.99.
//   2. q0 = x(1 + e)(1 + h3): q0 - x = D, |D| < 2^-27.98 |x|. a - b*q0 = -b*D exactly before its
//      rounding (1 + h4), so q0 + (a - b*q0)*y = x - D*(h4 + e + h4*e) =: x + t, and
//      |t| < 2^-27.98 * 2^-27.98 |x| < 2^-55.9 |x|. q1 = RN(x + t).
//      With 2^k <= |x| < 2^(k+1), the doubles next to q1 lie at least 2^(k-53) >= 2^-54 |x| from
//      it, and RN(x + t) = q1 puts x + t within half that gap: since |t| < 2^-55.9 |x| is below
//      half the gap too, x lies strictly between q1's two neighbours.
//   3. Let q1 = Q * 2^g, b = B * 2^j with 2^52 <= |Q|, |B| < 2^53. b*q1 and a are multiples of
//      2^(g+j) (a's last bit is at least 2^(g+j+50), as |a| = |b||x|), and |r| = |b||x - q1| <
//      2^(j+53) * 2^g: r has at most 53 bits above 2^(g+j) and the fused operation is exact.
//      r = b(x - q1), so r*b has the sign of x - q1, and r = 0 exactly when x = q1.
//   4. n is the neighbour of q1 toward x (away from zero when x - q1 has q1's sign): the sign
//      bits of r, b and q1 give that side. n - q1 is a power of two, so d is exact, b*d too, and
//      r - b*d = b(x - mid) with mid = (q1 + n)/2, a multiple of 2^(g+j-2) (the step below a
//      power of two is half the one above); its rounding m keeps its sign.
//   5. x lies between q1 and n (or is q1): RN(x) is n if x is past mid, q1 if short of it. Past
//      mid, x - mid has the sign of x - q1, so m that of r; short of it, the opposite. x is never
//      mid: mid has 54 significant bits with the last set, x*b = a has at most 53, and the odd
//      part of B * (mid's odd 54-bit part) exceeds 2^53. So no tie is ever met. With r = +-0,
//      b*d has r's sign bit and m the other: q1 is kept, as it must be.
// Include after the lane header of L, in a file compiled for L's instruction set (with FMA).
#ifndef RUNTIME_MATH_RT_LANES_DIV_FMA_H
#define RUNTIME_MATH_RT_LANES_DIV_FMA_H

namespace {

// a / b lane by lane, correctly rounded, on the FMA units (the divider for lanes outside the
// domain above only).
template <class L>
inline typename L::V RtLanesDivFma(typename L::V a, typename L::V b) {
    typedef typename L::V V;
    const V one = L::Set1(1.0);
    V y = L::RecipEstimate(b);
    for (int i = 0; i < L::kRecipSteps; ++i)
        y = L::MulAdd(y, L::NegMulAdd(b, y, one), y);
    const V q0 = L::Mul(a, y);
    const V q1 = L::MulAdd(L::NegMulAdd(b, q0, a), y, q0);
    const V r = L::NegMulAdd(b, q1, a);
    const V next = L::NeighbourToward(q1, r, b);
    const V m = L::NegMulAdd(b, L::Mul(L::Sub(next, q1), L::Set1(0.5)), r);
    V q = L::SelectWhereSameSign(m, r, next, q1);
    const typename L::DivMask inside = L::DivInside(b, q0);
    if (!L::AllInside(inside))   // rare: zero, infinity, NaN, or far from 1 in size
        q = L::DivOutside(inside, q, a, b);
    return q;
}

// The division of chain m of a kernel's chains: the first F on the FMA units, the rest on the
// divider. F = 0 leaves the FMA division out altogether (sets without it).
template <class L, int F>
struct RtLanesDivide {
    static typename L::V Div(int m, typename L::V a, typename L::V b) {
        return m < F ? RtLanesDivFma<L>(a, b) : L::Div(a, b);
    }
};
template <class L>
struct RtLanesDivide<L, 0> {
    static typename L::V Div(int, typename L::V a, typename L::V b) { return L::Div(a, b); }
};

}  // namespace

#endif
