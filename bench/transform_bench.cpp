// transform_bench.cpp: the plain and the fast transform side by side on the same samples, in one
// process: both times, their ratio, (n, k) pairs per second, the instruction set, and whether
// the two results are bit-identical (exit code 1 if not).
//
// Usage: transform_bench [N [set]]   N samples (default 20000, 1..100001); set one of scalar,
// sse2, avx2, avx512 (default: the widest the processor has).
// The wall-clock ratio depends on how much of the machine the fast run gets; on Linux the
// processor time of each run is printed too (other load does not inflate it).
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "app/transform.h"

static double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int main(int argc, char **argv) {
    int32_t count = argc > 1 ? (int32_t)std::atoi(argv[1]) : 20000;
    if (count < 1 || count > 100001) {
        std::fprintf(stderr, "N must be 1 to 100001\n");
        return 2;
    }
    if (argc > 2) {
        int chosen = 0;
        for (int s = 0; s < kRtLaneSetCount; ++s)
            if (std::strcmp(argv[2], RtLaneSetName((RtLaneSet)s)) == 0)
                chosen = TransformSelectLanes((RtLaneSet)s);
        if (!chosen) {
            std::fprintf(stderr, "instruction set %s not available\n", argv[2]);
            return 2;
        }
    }
    // Samples in [-1000, 1000) from a fixed linear congruential sequence: the same every run.
    std::vector<double> samples(count);
    uint64_t state = 12345;
    for (int32_t i = 0; i < count; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        samples[i] = (double)(int64_t)(state >> 11) / 4503599627370496.0 * 1000.0 - 1000.0;
    }
    const double angleStep = (2.0 * 3.141592) / (double)count;   // as the analysis run forms it
    std::vector<double> plainRe(count), plainIm(count), fastRe(count), fastIm(count);

    std::clock_t cpu = std::clock();
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    TransformPlain(samples.data(), count, angleStep, plainRe.data(), plainIm.data());
    const double plainSeconds = SecondsSince(start);
    const double plainCpu = (double)(std::clock() - cpu) / CLOCKS_PER_SEC;
    cpu = std::clock();
    start = std::chrono::steady_clock::now();
    TransformFast(samples.data(), count, angleStep, fastRe.data(), fastIm.data(), nullptr);
    const double fastSeconds = SecondsSince(start);
    const double fastCpu = (double)(std::clock() - cpu) / CLOCKS_PER_SEC;

    const int identical =
        std::memcmp(plainRe.data(), fastRe.data(), sizeof(double) * count) == 0 &&
        std::memcmp(plainIm.data(), fastIm.data(), sizeof(double) * count) == 0;
    const double pairs = (double)count * (double)count;
    std::printf("N = %d, %.0f pairs (n, k)\n", (int)count, pairs);
    std::printf("plain (1 thread, scalar):   %9.3f s  %8.2f M pairs/s\n", plainSeconds,
                pairs / plainSeconds / 1e6);
    std::printf("fast (%u threads, %s): %9.3f s  %8.2f M pairs/s\n",
                std::thread::hardware_concurrency(), RtLaneSetName(TransformLanes()), fastSeconds,
                pairs / fastSeconds / 1e6);
    std::printf("speed-up: %.1fx\n", plainSeconds / fastSeconds);
#ifndef _WIN32
    // clock() is processor time of all threads on POSIX (on Windows it is wall-clock time).
    std::printf("processor time: plain %.3f s, fast %.3f s (all threads): %.1fx less work;"
                " the fast run had %.2f processors of %u\n",
                plainCpu, fastCpu, plainCpu / fastCpu, fastCpu / fastSeconds,
                std::thread::hardware_concurrency());
#else
    (void)plainCpu;
    (void)fastCpu;
#endif
    std::printf("results: %s\n", identical ? "bit-identical" : "DIFFERENT");
    return identical ? 0 : 1;
}
