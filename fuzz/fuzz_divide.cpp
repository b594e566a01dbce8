// fuzz_divide.cpp: the lanes' exact FMA division (runtime/math/rt_lanes_div_fma.h) against the
// divider, bit for bit (NaN payloads too), in each set the processor has it: AVX-512F, and AVX2
// with FMA. Input: 16 bytes a pair (a, b), a partial last pair left out. Beside each pair the
// fuzzer divides x*b rounded and its two neighbours by b (x = a): quotients at or next to a
// double, and a tie's distance from one.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/divider_chains.h"

static double DoubleOf(uint64_t bits) {
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<double> a, b, q, want;
    for (size_t i = 0; i + 16 <= size; i += 16) {
        uint64_t x, y, p;
        std::memcpy(&x, data + i, 8);
        std::memcpy(&y, data + i + 8, 8);
        const double product = DoubleOf(x) * DoubleOf(y);
        std::memcpy(&p, &product, 8);
        for (uint64_t top : {x, p - 1, p, p + 1})
            a.push_back(DoubleOf(top)), b.push_back(DoubleOf(y));
    }
    for (size_t i = 0; i < a.size(); ++i)
        want.push_back(a[i] / b[i]);
    __builtin_cpu_init();
    const struct {
        void (*divide)(const double *, const double *, double *, int32_t);
        int runs;
    } kSets[] = {{DivideFmaAvx2, __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")},
                 {DivideFmaAvx512, __builtin_cpu_supports("avx512f")}};
    for (const auto &s : kSets) {
        if (!s.runs)
            continue;
        q.assign(a.size(), 0.0);
        s.divide(a.data(), b.data(), q.data(), (int32_t)a.size());
        for (size_t i = 0; i < a.size(); ++i) {
            if (std::memcmp(&q[i], &want[i], 8) != 0) {
                std::fprintf(stderr, "fuzz_divide: %a / %a gave %a, the divider %a\n", a[i], b[i],
                             q[i], want[i]);
                std::abort();
            }
        }
    }
    return 0;
}
