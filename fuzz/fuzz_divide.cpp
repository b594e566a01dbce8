// fuzz_divide.cpp: the lanes' exact FMA division (runtime/math/rt_lanes_div_fma.h) against the
// divider, bit for bit (NaN payloads too), in each set the processor has it: AVX-512F, and AVX2
// with FMA. Input: 16 bytes a pair (a, b), a partial last pair left out. Beside each pair the
// fuzzer divides x*b rounded and its two neighbours by b (x = a): quotients at or next to a
// double, and a tie's distance from one.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/divider_chains.h"
#include "runtime/math/rt_scalar.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<double> a, b, q;
    for (size_t i = 0; i + 16 <= size; i += 16) {
        double x, y;
        std::memcpy(&x, data + i, 8);
        std::memcpy(&y, data + i + 8, 8);
        const uint64_t p = RtBitsOf(x * y);
        for (double top : {x, RtDoubleOf(p - 1), RtDoubleOf(p), RtDoubleOf(p + 1)})
            a.push_back(top), b.push_back(y);
    }
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        q.resize(a.size()), DivideFmaAvx2(a.data(), b.data(), q.data(), (int32_t)a.size());
    const size_t at = q.size();
    if (__builtin_cpu_supports("avx512f")) {
        q.resize(at + a.size());
        DivideFmaAvx512(a.data(), b.data(), q.data() + at, (int32_t)a.size());
    }
    for (size_t i = 0; i < q.size(); ++i) {
        const size_t k = i % a.size();
        if (RtBitsOf(q[i]) != RtBitsOf(a[k] / b[k])) {
            std::fprintf(stderr, "fuzz_divide: %a / %a gave %a\n", a[k], b[k], q[i]);
            std::abort();
        }
    }
    return 0;
}
