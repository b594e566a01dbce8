// transform_bench.cpp: the transforms side by side on the same samples, in one process:
//   plain    the plain sequential loop over all bins, one thread (the reference);
//   every    the fast transform of all bins with every pair evaluated (no shared angles): the
//            lanes and threads alone, as the program computed before the angles were shared;
//   lower    the fast transform of the bins "Result.csv" needs (0 .. N/2 - 1), shared angles:
//            what the program computes before the display question;
//   all      the same with the rest of the bins (the display's), continued from the lower part.
// For each: wall time, processor time of all its threads, processor time per bin-sample pair
// of the bins it gives, and the sine-cosine pairs it evaluated (padding lanes included) against
// the pairs of its bins. Every result is compared bit for bit with the plain loop's (exit code 1
// if one differs).
// Then the walls they run against: division's own throughput in the same lanes, many
// independent chains of divisions on as many threads as the transform has (divider_chains.h),
// all on the divider, all on the FMA units, and mixes (4, 6 or 8 of the 12 chains on the FMA
// units); and each fast transform's processor time per evaluated pair as a share of the best
// wall's time for the pair's 22 divisions per lane (sine and cosine: 9 of the continued
// fraction, then t and s, each; the multiple is found without dividing). 100 % would be the
// units busy throughout. Last, the whole transform once with each way the lanes divide.
//
// Usage: transform_bench [N [set]]   N samples (default 20000, 1..100001); set one of scalar,
// sse2, avx2, avx512 (default: the widest the processor has). DFT_DIVIDE chooses where the
// lanes divide, as in the program (app/transform.h).
// The wall-clock figures depend on how much of the machine each run gets; the processor times
// (every thread of the process) do not, and their ratios are the ones to compare.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "app/transform.h"
#include "bench/divider_chains.h"

enum { kDivisionsPerPair = 22 };   // per lane: 2 x (9 + 2), rt_trig_lanes_kernel.h

struct Timing {
    double wall;      // seconds
    double cpu;       // seconds of processor time, all threads
};

struct Clock {
    std::chrono::steady_clock::time_point wall;
    double cpu;       // seconds of processor time since the process started
};

// Processor time of every thread. On Windows clock() is wall time: the process's times instead,
// in units of 100 ns.
static double ProcessorSeconds() {
#ifdef _WIN32
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user))
        return 0;
    const uint64_t ticks = ((uint64_t)kernel.dwHighDateTime << 32 | kernel.dwLowDateTime) +
                           ((uint64_t)user.dwHighDateTime << 32 | user.dwLowDateTime);
    return (double)ticks * 1e-7;
#else
    return (double)std::clock() / CLOCKS_PER_SEC;
#endif
}

static Clock Now() {
    return {std::chrono::steady_clock::now(), ProcessorSeconds()};
}

static Timing Since(Clock start) {
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start.wall).count(),
            ProcessorSeconds() - start.cpu};
}

static int Same(const std::vector<double> &a, const std::vector<double> &b, int32_t bins) {
    return std::memcmp(a.data(), b.data(), sizeof(double) * bins) == 0;
}

// One line: name, times, processor time per pair of its bins, evaluations against pairs.
static void Report(const char *name, Timing t, double pairs, double evaluated, int identical) {
    std::printf("%-6s %9.3f s wall %9.3f s cpu %7.2f ns cpu/pair", name, t.wall, t.cpu,
                t.cpu / pairs * 1e9);
    if (evaluated > 0)
        std::printf("  %6.3f evaluations/pair", evaluated / pairs);
    std::printf("  %s\n", identical ? "bit-identical" : "DIFFERENT");
}

static double DividerChainsScalar(int64_t rounds, int) {
    return DividerChains<DividerScalar, 0>(rounds);
}

// The set's chains, or null when this build has none for it, or for fma > 0 none with FMA.
static double (*DividerFunction(RtLaneSet set, int fma))(int64_t, int) {
    switch (set) {
#if defined(__x86_64__) || defined(__i386__)
    case kRtLanesSse2: return fma ? nullptr : DividerChainsSse2;
#if DFT_LANES_WIDE
    case kRtLanesAvx2:
        __builtin_cpu_init();
        return __builtin_cpu_supports("fma") ? DividerChainsAvx2 : nullptr;
    case kRtLanesAvx512: return DividerChainsAvx512;
#endif
#endif
    case kRtLanesScalar: return fma ? nullptr : DividerChainsScalar;
    default: return nullptr;
    }
}

// Processor time in ns per division of one vector of set, `fma` of the chains on the FMA units,
// over `threads` threads of chains; 0 when the set has no such chains.
static double DividerNs(RtLaneSet set, int fma, unsigned threads) {
    double (*chains)(int64_t, int) = DividerFunction(set, fma);
    if (!chains)
        return 0;
    const int64_t rounds = (int64_t)1 << 20;
    std::vector<double> kept(threads);
    std::vector<std::thread> running;
    const Clock start = Now();
    for (unsigned i = 0; i < threads; ++i)
        running.emplace_back([&kept, chains, i, rounds, fma] { kept[i] = chains(rounds, fma); });
    for (std::thread &t : running)
        t.join();
    const Timing t = Since(start);
    return t.cpu / ((double)threads * rounds * kDividerChains) * 1e9;
}

// The wall's share of a transform's processor time per evaluated pair, and that time.
static void ReportWall(const char *name, double cpu, double evaluated, double wallNs) {
    const double ns = cpu / evaluated * 1e9;
    std::printf(" %s %.1f%% (%.2f ns cpu per evaluated pair)", name, 100.0 * wallNs / ns, ns);
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
    const int32_t lower = count / 2;
    const double allPairs = (double)count * count, lowerPairs = (double)lower * count;
    std::vector<double> plainRe(count), plainIm(count), re(count), im(count);
    TransformRun *const run = TransformRunNew();

    std::printf("N = %d, %s lanes dividing on the %s, %u hardware threads; pairs: %.0f all bins,"
                " %.0f lower bins\n",
                (int)count, RtLaneSetName(TransformLanes()), TransformDivide(),
                std::thread::hardware_concurrency(), allPairs, lowerPairs);
    Clock start = Now();
    TransformPlain(samples.data(), count, angleStep, plainRe.data(), plainIm.data());
    const Timing plain = Since(start);
    Report("plain", plain, allPairs, 0, 1);

    TransformShareAngles(0);
    start = Now();
    TransformFast(run, samples.data(), count, angleStep, re.data(), im.data(), nullptr);
    const Timing every = Since(start);
    const double everyEvaluated = (double)TransformEvaluations(run);
    int ok = Same(plainRe, re, count) && Same(plainIm, im, count);
    Report("every", every, allPairs, (double)TransformEvaluations(run), ok);

    TransformShareAngles(1);
    std::fill(re.begin(), re.end(), 0.0);
    std::fill(im.begin(), im.end(), 0.0);
    start = Now();
    TransformStart(run, samples.data(), count, angleStep, re.data(), im.data());
    TransformWaitLower(run, nullptr);
    const Timing lowerTime = Since(start);
    const double lowerEvaluated = (double)TransformEvaluations(run);
    int lowerOk = Same(plainRe, re, lower) && Same(plainIm, im, lower);
    Report("lower", lowerTime, lowerPairs, lowerEvaluated, lowerOk);
    TransformStartUpper(run);
    TransformFinish(run);
    const Timing all = Since(start);
    int allOk = Same(plainRe, re, count) && Same(plainIm, im, count);
    Report("all", all, allPairs, (double)TransformEvaluations(run), allOk);
    ok = ok && lowerOk && allOk;

    std::printf("shared angles save %.0f of the lower bins' %.0f pairs (%.1f%%) and %.0f of all"
                " %.0f (%.1f%%)\n",
                lowerPairs - lowerEvaluated, lowerPairs,
                100.0 * (lowerPairs - lowerEvaluated) / lowerPairs,
                allPairs - (double)TransformEvaluations(run), allPairs,
                100.0 * (allPairs - (double)TransformEvaluations(run)) / allPairs);
    std::printf("plain / lower wall: %.1fx;  cpu per pair: lower / every %.3f, all / every %.3f,"
                " every / plain %.3f\n",
                plain.wall / lowerTime.wall, (lowerTime.cpu / lowerPairs) / (every.cpu / allPairs),
                (all.cpu / allPairs) / (every.cpu / allPairs),
                (every.cpu / allPairs) / (plain.cpu / allPairs));

    const RtLaneSet set = TransformLanes();
    const unsigned threads =
        std::thread::hardware_concurrency() > 0 ? std::thread::hardware_concurrency() : 1;
    const int width = (int)RtLaneSetWidth(set);
    std::printf("division of %d lanes, ns cpu each (%d chains, %u threads), by the chains on the"
                " FMA units:", width, (int)kDividerChains, threads);
    double dividerNs = 0, bestNs = 0, bestMixNs = 0;
    int best = 0, bestMix = 0;
    for (int fma : kDividerShares) {
        const double ns = DividerNs(set, fma, threads);
        if (ns <= 0)
            continue;
        std::printf("  %d: %.3f", fma, ns);
        dividerNs = fma == 0 ? ns : dividerNs;
        if (fma > 0 && fma < kDividerChains && (bestMix == 0 || ns < bestMixNs))
            bestMix = fma, bestMixNs = ns;
        if (bestNs == 0 || ns < bestNs)
            best = fma, bestNs = ns;
    }
    std::printf("\n");
    const double fmaNs = DividerNs(set, kDividerChains, threads);
    if (fmaNs > 0)
        std::printf("FMA units alone / divider alone: %.2fx the time; best mix (%d of %d on FMA) /"
                    " divider: %.2fx\n",
                    fmaNs / dividerNs, bestMix, (int)kDividerChains, bestMixNs / dividerNs);
    const double wallNs = bestNs * kDivisionsPerPair / width;
    std::printf("the best wall: %d of %d chains on FMA, %.3f ns per division; %d per lane and pair:"
                " %.2f ns cpu per evaluated pair (the divider's alone: %.2f)\n",
                best, (int)kDividerChains, bestNs, (int)kDivisionsPerPair, wallNs,
                dividerNs * kDivisionsPerPair / width);
    std::printf("at the best wall:");
    ReportWall("every", every.cpu, everyEvaluated, wallNs);
    ReportWall("all", all.cpu, (double)TransformEvaluations(run), wallNs);
    std::printf("\n");

    // The whole transform with each way the lanes divide, the chosen one restored after.
    const char *chosen = TransformDivide();
    for (const char *way : {"divider", "fma", "mix"}) {
        if (!TransformSelectDivide(way))
            continue;
        start = Now();
        TransformFast(run, samples.data(), count, angleStep, re.data(), im.data(), nullptr);
        const Timing t = Since(start);
        const int same = Same(plainRe, re, count) && Same(plainIm, im, count);
        ok = ok && same;
        char name[16];
        std::snprintf(name, sizeof name, "all %s", way);
        std::printf("%-12s %7.3f s wall %7.3f s cpu", name, t.wall, t.cpu);
        ReportWall("at the best wall", t.cpu, (double)TransformEvaluations(run), wallNs);
        std::printf("  %s\n", same ? "bit-identical" : "DIFFERENT");
    }
    TransformSelectDivide(chosen);
    std::printf("results: %s\n", ok ? "bit-identical" : "DIFFERENT");
    return ok ? 0 : 1;
}
