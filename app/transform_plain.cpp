// transform_plain.cpp: the transform as the plain sequential loop, the reference for every
// faster form; and the scalar work unit of the fast transform (one lane, the runtime's own
// RtSin and RtCos), for angles outside the lanes' domain and processors without lanes.
// Invariant: TransformPlain runs the operations of transform.h, in that order, one bin after
// another.
#include "app/transform.h"
#include "app/transform_lanes.h"
#include "runtime/math/rt_trig.h"

void TransformPlain(const double *samples, int32_t count, double angleStep, double *realPart,
                    double *imagPart) {
    for (int32_t k = 0; k < count; ++k) {
        const double kd = (double)k;
        double re = 0;
        double im = 0;
        for (int32_t n = 0; n < count; ++n) {
            const double a = (angleStep * (double)n) * kd;   // the first product rounds first
            re = re + (samples[n] * RtCos(a));
            im = im - (samples[n] * RtSin(a));
        }
        realPart[k] = re;
        imagPart[k] = im;
    }
}

namespace {

// One double as a lane set of width 1.
struct LanesScalar {
    typedef double V;
    enum { kWidth = 1 };
    static V Load(const double *p) { return *p; }
    static void Store(double *p, V x) { *p = x; }
    static V Set1(double x) { return x; }
    static V Add(V a, V b) { return a + b; }
    static V Sub(V a, V b) { return a - b; }
    static V Mul(V a, V b) { return a * b; }
};

struct TrigScalar {
    template <int U>
    static void SinCos(double *sine, double *cosine) {
        for (int u = 0; u < U; ++u) {
            cosine[u] = RtCos(sine[u]);
            sine[u] = RtSin(sine[u]);
        }
    }
};

}  // namespace

int64_t TransformUnitScalar(const TransformJob *job, const TransformUnit *unit) {
    return TransformLanesUnit<LanesScalar, TrigScalar, 1>(job, unit);
}
