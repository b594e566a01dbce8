// transform_fast.cpp: the fast transform's plan and its workers: which bins go together into
// units (transform_unit.h), in which order, and the threads that run them while the caller goes
// on.
//
// The lower part (bins 0 .. lower-1, lower = count/2): one chain per odd head j below lower,
// ascending, then bin 0 alone. Each chain evaluates its members below lower and feeds one
// member more, its first at lower or above, with the prefix n < half of its sums (stored as a
// partial bin): that upper bin later evaluates only its second half, at no cost to the lower
// part but a few multiply-adds. Chains of about the same length go side by side; a unit makes
// as many passes as its first (longest) chain has members below lower, so a shorter chain of the
// unit completes its upper member in the lower part (a bin ready early).
// The upper part: every bin at lower or above that is not ready, one per lane; partial bins
// (continued from half) and untouched ones (from 0) in separate units, in ascending bin order so
// that the display can follow them.
//
// Invariant: every bin is stored ready by exactly one unit, after every unit that feeds it, so
// the result does not depend on the threads, their timing or the instruction set. A part's units
// are planned before its workers start and not changed until they are gone. Workers touch only
// the job's arrays and gRun; the waiting caller runs units itself when no worker runs (none could
// be started, or the transform is too small for threads).
#include "app/transform.h"

#include <chrono>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

#include "app/transform_unit.h"

// Below this many (n, k) pairs the threads cost more than they save: the caller computes alone.
static const double kThreadedPairs = 65536.0;
// Products of angles stay normal and finite for steps from 2^-1000 and angles below 2^1000, so
// doubling a product doubles its rounding (the shared angles' condition).
static const double kShareStepLeast = 9.3326361850321888e-302;   // 2^-1000
static const double kShareAngleBound = 1.0715086071862673e301;   // 2^1000
static const std::chrono::milliseconds kReportPeriod(250);
static const std::chrono::milliseconds kPollPeriod(1);

// The selected instruction set; kRtLaneSetCount until the first use picks the widest.
static std::atomic<int> gTransformLanes(kRtLaneSetCount);
static std::atomic<int> gShareAngles(1);

// The one transform: its job, the part under way, and its workers. Never freed: a worker may
// still run when the process ends.
struct TransformRun {
    TransformJob job;
    TransformUnitFn unitFn;
    int32_t group;                              // lanes per unit: kTransformVectors of the set
    int share;                                  // lower units follow chains
    std::unique_ptr<std::atomic<uint8_t>[]> states;   // binState: room for stateRoom bins
    int32_t stateRoom;
    std::vector<TransformUnit> units;           // the part under way
    int32_t unitCount;                          // units.size(), read by the workers
    int64_t partWork;                           // pairs the part evaluates, for the progress
    std::atomic<int32_t> nextUnit;              // the first unit nobody has taken
    std::atomic<int32_t> doneUnits;             // units finished
    std::atomic<int64_t> doneWork;              // pairs evaluated in the part
    std::atomic<int64_t> evaluations;           // pairs evaluated since TransformStart
    std::atomic<int> running;                   // workers not yet gone
    std::chrono::steady_clock::time_point partStart;    // when the part under way started
    std::chrono::steady_clock::time_point nextReport;   // TransformWaitBin's next report
    bool reported;                              // TransformWaitBin reported in this part
    int32_t shownPercent;                       // ... last this share, 0 to 99
    // The part's threads, joined once it is done. Never detached: the mingw-w64 thread library
    // can lose a thread detached before it has started, and running would never come back to 0.
    std::vector<std::thread> threads;
};
static TransformRun &gRun = *new TransformRun();

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

void TransformShareAngles(int on) {
    gShareAngles.store(on != 0);
}

int64_t TransformEvaluations() {
    return gRun.evaluations.load();
}

static TransformUnitFn UnitFunction(RtLaneSet set) {
    switch (set) {
#if defined(__x86_64__) || defined(__i386__)
    case kRtLanesSse2: return TransformUnitSse2;
#if DFT_LANES_WIDE
    case kRtLanesAvx2: return TransformUnitAvx2;
    case kRtLanesAvx512: return TransformUnitAvx512;
#endif
#endif
    default: return TransformUnitScalar;
    }
}

// ---- Plan ------------------------------------------------------------------------------------

static int64_t UnitWork(const TransformRun *run, const TransformUnit *unit) {
    const int32_t count = run->job.count, half = count - count / 2;
    return ((int64_t)(count - unit->firstStart) + (int64_t)(unit->passes - 1) * (count - half)) *
           run->group;
}

static void EmptyUnit(TransformUnit *unit, int32_t chains, int32_t firstStart) {
    unit->lanes = 0;
    unit->chains = chains;
    unit->passes = 1;
    unit->firstStart = firstStart;
    for (int32_t &head : unit->head)
        head = -1;
}

// Adds head to unit, and the unit to the plan once it is full.
static void AddHead(TransformRun *run, TransformUnit *unit, int32_t head, int32_t passes) {
    if (unit->lanes == 0)
        unit->passes = passes;
    unit->head[unit->lanes++] = head;
    if (unit->lanes == run->group) {
        run->units.push_back(*unit);
        EmptyUnit(unit, unit->chains, unit->firstStart);
    }
}

static void PlanLower(TransformRun *run) {
    const int32_t lower = run->job.count / 2;
    TransformUnit unit;
    EmptyUnit(&unit, run->share, 0);
    run->units.clear();
    if (run->share) {
        for (int32_t j = 1; j < lower; j += 2) {
            int32_t members = 1;   // below lower: j, 2j, 4j, ...
            while (members < kTransformMembers - 1 && ((int64_t)j << members) < lower)
                members += 1;
            AddHead(run, &unit, j, members);
        }
        if (lower > 0)
            AddHead(run, &unit, 0, 1);
    } else {
        for (int32_t k = 0; k < lower; ++k)
            AddHead(run, &unit, k, 1);
    }
    if (unit.lanes > 0)
        run->units.push_back(unit);
}

static void PlanUpper(TransformRun *run) {
    const int32_t count = run->job.count, half = count - count / 2;
    TransformUnit partial, fresh;
    EmptyUnit(&partial, 0, half);
    EmptyUnit(&fresh, 0, 0);
    run->units.clear();
    for (int32_t k = count / 2; k < count; ++k) {
        const uint8_t state = run->job.binState[k].load(std::memory_order_relaxed);
        if (state != kBinReady)
            AddHead(run, state == kBinPartial ? &partial : &fresh, k, 1);
    }
    if (partial.lanes > 0)
        run->units.push_back(partial);
    if (fresh.lanes > 0)
        run->units.push_back(fresh);
}

// ---- Workers ---------------------------------------------------------------------------------

// Takes units until none is left.
static void RunUnits(TransformRun *run) {
    for (;;) {
        const int32_t u = run->nextUnit.fetch_add(1);
        if (u >= run->unitCount)
            return;
        const int64_t work = run->unitFn(&run->job, &run->units[u]);
        run->doneWork.fetch_add(work);
        run->evaluations.fetch_add(work);
        run->doneUnits.fetch_add(1, std::memory_order_release);
    }
}

static void Worker(TransformRun *run) {
    RunUnits(run);
    run->running.fetch_sub(1, std::memory_order_release);   // the last touch of gRun
}

// Joins the threads of a part that is done: each has counted itself out of running, so each
// join returns at once.
static void JoinWorkers(TransformRun *run) {
    for (std::thread &t : run->threads)
        t.join();
    run->threads.clear();
}

// Starts the planned part: one worker per hardware thread, none for a small transform. The last
// part is finished first (TransformFinish), its workers joined.
static void StartPart(TransformRun *run) {
    run->unitCount = (int32_t)run->units.size();
    run->partWork = 0;
    for (const TransformUnit &unit : run->units)
        run->partWork += UnitWork(run, &unit);
    run->nextUnit.store(0);
    run->doneUnits.store(0);
    run->doneWork.store(0);
    run->partStart = std::chrono::steady_clock::now();
    run->reported = false;
    run->shownPercent = 0;
    const double count = run->job.count;
    if (count * count < kThreadedPairs)
        return;
    unsigned workers = std::thread::hardware_concurrency();
    if (workers < 1)
        workers = 1;
    for (unsigned i = 0; i < workers && (int32_t)i < run->unitCount; ++i) {
        run->running.fetch_add(1);
        try {
            run->threads.emplace_back(Worker, run);
        } catch (const std::system_error &) {   // no more threads: go on with those there are
            run->running.fetch_sub(1);
            break;
        }
    }
}

// One step of a wait: runs the units left when no worker runs, else sleeps a moment.
static void WaitStep(TransformRun *run) {
    if (run->running.load(std::memory_order_acquire) == 0)
        RunUnits(run);
    else
        std::this_thread::sleep_for(kPollPeriod);
}

static bool PartDone(TransformRun *run) {
    return run->doneUnits.load(std::memory_order_acquire) == run->unitCount &&
           run->running.load(std::memory_order_acquire) == 0;
}

// ---- The transform ---------------------------------------------------------------------------

void TransformStart(const double *samples, int32_t count, double angleStep, double *realPart,
                    double *imagPart) {
    TransformRun *run = &gRun;
    TransformFinish();
    if (count < 1)
        count = 0;
    if (run->stateRoom < count) {
        run->states.reset(new std::atomic<uint8_t>[count]);
        run->stateRoom = count;
    }
    for (int32_t k = 0; k < count; ++k)
        run->states[k].store(kBinUntouched, std::memory_order_relaxed);
    run->job = {samples, count, angleStep, realPart, imagPart, run->states.get()};
    // The largest |angle| of the transform; rounding is monotone, so every other one is at most
    // this. Outside the lanes' domain (or NaN) every bin takes the scalar code.
    const double step = angleStep < 0 ? -angleStep : angleStep;
    const double last = (double)(count - 1);
    const double largest = (step * last) * last;
    RtLaneSet set = TransformLanes();
    if (!(largest < kRtLaneArgLimit))
        set = kRtLanesScalar;
    run->unitFn = UnitFunction(set);
    run->group = set == kRtLanesScalar ? 1 : kTransformVectors * RtLaneSetWidth(set);
    run->share = gShareAngles.load() && step >= kShareStepLeast && largest < kShareAngleBound;
    run->evaluations.store(0);
    PlanLower(run);
    StartPart(run);
}

void TransformWaitLower(const TransformProgress *progress) {
    TransformRun *run = &gRun;
    const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    const bool reports = progress && progress->report;
    std::chrono::steady_clock::time_point next =
        start + std::chrono::milliseconds(reports ? progress->delayMs : 0);
    int32_t shown = 0;
    for (;;) {
        if (reports && std::chrono::steady_clock::now() >= next) {
            const int64_t done = run->doneWork.load();
            int32_t percent = run->partWork > 0 ? (int32_t)(done * 100 / run->partWork) : 0;
            percent = percent > 99 ? 99 : percent < shown ? shown : percent;
            shown = percent;
            progress->report(progress->context, percent);
            next = std::chrono::steady_clock::now() + kReportPeriod;
        }
        if (PartDone(run))
            return;
        WaitStep(run);
    }
}

void TransformStartUpper() {
    TransformFinish();
    PlanUpper(&gRun);
    StartPart(&gRun);
}

// TransformWaitBin's report, when one is due: delayMs after the part started, then every
// kReportPeriod. A part done shows 99 until the caller restores its title.
static void ReportPart(TransformRun *run, const TransformProgress *progress) {
    const std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now();
    const std::chrono::steady_clock::time_point due =
        run->reported ? run->nextReport
                      : run->partStart + std::chrono::milliseconds(progress->delayMs);
    if (now < due)
        return;
    const int64_t done = run->doneWork.load();
    int32_t percent = run->partWork > 0 ? (int32_t)(done * 100 / run->partWork) : 0;
    percent = percent > 99 ? 99 : percent < run->shownPercent ? run->shownPercent : percent;
    run->shownPercent = percent;
    run->reported = true;
    run->nextReport = now + kReportPeriod;
    progress->report(progress->context, percent);
}

void TransformWaitBin(int32_t k, const TransformProgress *progress) {
    TransformRun *run = &gRun;
    if (k < 0 || k >= run->job.count)
        return;
    const bool reports = progress && progress->report;
    for (;;) {
        if (reports)
            ReportPart(run, progress);
        if (run->job.binState[k].load(std::memory_order_acquire) == kBinReady)
            return;
        if (PartDone(run))
            return;   // not planned: nothing will make it ready
        WaitStep(run);
    }
}

void TransformFinish() {
    TransformRun *run = &gRun;
    while (!PartDone(run))
        WaitStep(run);
    JoinWorkers(run);
}

void TransformFast(const double *samples, int32_t count, double angleStep, double *realPart,
                   double *imagPart, const TransformProgress *progress) {
    TransformStart(samples, count, angleStep, realPart, imagPart);
    TransformWaitLower(progress);
    TransformStartUpper();
    TransformFinish();
}
