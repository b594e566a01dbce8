// transform_fast.cpp: the fast transform: the bins shared among one worker per hardware thread,
// each worker computing ranges of bins in the selected instruction set's lanes.
//
// Invariant: every bin is computed by exactly one work unit, whose bits are the plain loop's
// (transform_range.h), so the result does not depend on the threads, the chunking or the set.
// Workers exist only inside TransformFast; the calling thread waits for them, reports progress
// and joins them all before it returns. Workers touch only their own bins of the output.
#include "app/transform.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "app/transform_range.h"

typedef void (*TransformRangeFn)(const TransformJob *job, int32_t k0, int32_t k1);

// Bins per chunk a worker takes at a time: a multiple of every set's group of bins (2 vectors
// of up to 8), small enough that the last chunks even out the workers' loads.
enum { kChunkBins = 64 };
// Below this many (n, k) pairs the threads cost more than they save: the caller computes alone.
static const double kThreadedPairs = 65536.0;
// Progress: one report each period, once the caller's delay has passed.
static const std::chrono::milliseconds kReportPeriod(250);

// The selected instruction set; kRtLaneSetCount until the first use picks the widest.
static std::atomic<int> gTransformLanes(kRtLaneSetCount);

int TransformSelectLanes(RtLaneSet set) {
    if ((unsigned)set >= kRtLaneSetCount || !RtLaneSetAvailable(set))
        return 0;
    gTransformLanes.store(set);
    return 1;
}

RtLaneSet TransformLanes() {
    int set = gTransformLanes.load();
    if (set == kRtLaneSetCount) {
        set = RtLaneSetWidest();
        gTransformLanes.store(set);
    }
    return (RtLaneSet)set;
}

static TransformRangeFn RangeFunction(RtLaneSet set) {
    switch (set) {
#if defined(__x86_64__) || defined(__i386__)
    case kRtLanesSse2: return TransformRangeSse2;
#if DFT_LANES_WIDE
    case kRtLanesAvx2: return TransformRangeAvx2;
    case kRtLanesAvx512: return TransformRangeAvx512;
#endif
#endif
    default: return TransformRangeScalar;
    }
}

// The shared state of one call: the next chunk to take, the bins done, the workers still running.
struct TransformShare {
    const TransformJob *job;
    TransformRangeFn range;
    std::atomic<int32_t> nextBin;    // first bin of the next chunk nobody has taken
    std::atomic<int32_t> doneBins;   // bins finished, for the progress report
    std::mutex lock;                 // guards running, with finished
    std::condition_variable finished;
    int running;                     // workers that have not ended yet
};

static void TransformWorker(TransformShare *share) {
    const int32_t count = share->job->count;
    for (;;) {
        const int32_t k0 = share->nextBin.fetch_add(kChunkBins);
        if (k0 >= count)
            break;
        const int32_t k1 = count - k0 < kChunkBins ? count : k0 + kChunkBins;
        share->range(share->job, k0, k1);
        share->doneBins.fetch_add(k1 - k0);
    }
    std::lock_guard<std::mutex> hold(share->lock);
    share->running -= 1;
    share->finished.notify_one();
}

// Waits until every worker has ended; reports progress meanwhile.
static void TransformWait(TransformShare *share, const TransformProgress *progress) {
    const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    const int reports = progress && progress->report;
    const std::chrono::milliseconds delay(reports ? progress->delayMs : 0);
    std::unique_lock<std::mutex> hold(share->lock);
    while (share->running > 0) {
        if (reports && std::chrono::steady_clock::now() - start >= delay) {
            const int64_t done = share->doneBins.load();
            int32_t percent = (int32_t)(done * 100 / share->job->count);
            if (percent > 99)
                percent = 99;
            hold.unlock();   // the hook may take its time; workers may end meanwhile
            progress->report(progress->context, percent);
            hold.lock();
            if (share->running == 0)
                break;
        }
        share->finished.wait_for(hold, kReportPeriod);
    }
}

void TransformFast(const double *samples, int32_t count, double angleStep, double *realPart,
                   double *imagPart, const TransformProgress *progress) {
    if (count < 1)
        return;
    const TransformJob job = {samples, count, angleStep, realPart, imagPart};
    RtLaneSet set = TransformLanes();
    // The largest |angle| of the transform; rounding is monotone, so every other one is at most
    // this. Outside the lanes' domain (or NaN) every bin takes the scalar code.
    const double last = (double)(count - 1);
    const double largest = ((angleStep < 0 ? -angleStep : angleStep) * last) * last;
    if (!(largest < kRtLaneArgLimit))
        set = kRtLanesScalar;
    TransformShare share;
    share.job = &job;
    share.range = RangeFunction(set);
    share.nextBin.store(0);
    share.doneBins.store(0);
    share.running = 0;

    if ((double)count * (double)count < kThreadedPairs) {
        share.range(&job, 0, count);
        return;
    }
    unsigned workers = std::thread::hardware_concurrency();
    if (workers < 1)
        workers = 1;
    std::vector<std::thread> threads;
    threads.reserve(workers);
    for (unsigned i = 0; i < workers; ++i) {
        {
            std::lock_guard<std::mutex> hold(share.lock);
            share.running += 1;
        }
        try {
            threads.emplace_back(TransformWorker, &share);
        } catch (const std::system_error &) {   // no more threads: go on with those there are
            std::lock_guard<std::mutex> hold(share.lock);
            share.running -= 1;
            break;
        }
    }
    if (threads.empty()) {
        share.range(&job, 0, count);
        return;
    }
    TransformWait(&share, progress);
    for (std::thread &t : threads)
        t.join();
}
