// transform_plain.cpp: the transform as the plain sequential loop, the reference for every
// faster form, and the scalar work unit of the fast transform.
// Invariant: the operations of transform.h, in that order, one bin after another.
#include "app/transform.h"
#include "app/transform_range.h"
#include "runtime/math/rt_trig.h"

void TransformRangeScalar(const TransformJob *job, int32_t k0, int32_t k1) {
    const double *samples = job->samples;
    for (int32_t k = k0; k < k1; ++k) {
        const double kd = (double)k;
        double re = 0;
        double im = 0;
        for (int32_t n = 0; n < job->count; ++n) {
            const double a = (job->angleStep * (double)n) * kd;   // the first product rounds first
            re = re + (samples[n] * RtCos(a));
            im = im - (samples[n] * RtSin(a));
        }
        job->realPart[k] = re;
        job->imagPart[k] = im;
    }
}

void TransformPlain(const double *samples, int32_t count, double angleStep, double *realPart,
                    double *imagPart) {
    const TransformJob job = {samples, count, angleStep, realPart, imagPart};
    TransformRangeScalar(&job, 0, count);
}
