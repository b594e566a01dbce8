// transform_range.h: the work unit of the fast transform: a range of bins [k0, k1), computed by
// one instruction set's code. Internal to the transform files.
//
// Invariant: each function writes realPart[k] and imagPart[k] for k0 <= k < k1 only, with the
// bits of the plain loop (transform.h), and reads nothing but the job. The lane functions need
// every lane angle inside the lanes' domain: (|angleStep| * (count - 1)) * (count - 1) below
// kRtLaneArgLimit (TransformFast checks it, and takes the scalar function otherwise).
#ifndef APP_TRANSFORM_RANGE_H
#define APP_TRANSFORM_RANGE_H

#include <cstdint>

struct TransformJob {
    const double *samples;   // count samples
    int32_t count;           // N: samples and bins
    double angleStep;        // radians per sample and bin
    double *realPart;        // count bins
    double *imagPart;        // count bins
};

void TransformRangeScalar(const TransformJob *job, int32_t k0, int32_t k1);
void TransformRangeSse2(const TransformJob *job, int32_t k0, int32_t k1);
void TransformRangeAvx2(const TransformJob *job, int32_t k0, int32_t k1);
void TransformRangeAvx512(const TransformJob *job, int32_t k0, int32_t k1);

#endif
