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
// the result does not depend on the threads, their timing, the instruction set or where its lanes
// divide (chosen once, by the first transform: that changes the units' width and speed only). A part's units
// are planned before its workers start and not changed until they are gone. Workers touch only
// the job's arrays and their run; the waiting caller runs units itself when no worker runs (none
// could be started, or the transform is too small for threads).
//
// Waits block on the run's condition variable, which a worker notifies after each unit it
// finishes (and once more as it leaves), so a wait wakes when its bin or its part may be done and
// then only for a due progress report. A wait takes nothing but the run's lock, and never calls
// the progress hook with it held.
#include "app/transform.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
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

// The selected instruction set; kRtLaneSetCount until the first use picks the widest.
static std::atomic<int> gTransformLanes(kRtLaneSetCount);
static std::atomic<int> gShareAngles(1);

// Where the lanes divide (transform.h); kDividePlans until the first transform chooses.
enum { kDivideDivider = 0, kDivideFma = 1, kDivideMix = 2, kDividePlans = 3 };
static const char *const kDivideNames[kDividePlans] = {"divider", "fma", "mix"};
static std::atomic<int> gTransformDivide(kDividePlans);
// Another plan is taken over the divider only when its units run this much faster.
static const double kDivideMargin = 0.95;

// When a wait's next progress report is due: delayMs after `from`, then every kReportPeriod.
struct TransformReportClock {
    std::chrono::steady_clock::time_point from;   // the delay counts from here
    std::chrono::steady_clock::time_point next;   // the next report, once one was made
    bool reported;                                // a report was made: next holds
    int32_t shown;                                // the last share reported, 0 to 99
};

// One transform: its job, the part under way, its workers and its waits. Never freed: a worker
// may still run when the process ends. The fields up to units are the caller's alone while a
// part runs; the workers read them, and take units through nextUnit.
struct TransformRun {
    TransformJob job;                           // the arrays, count and step of the transform
    TransformUnitFn unitFn;                     // the unit of the chosen set, or the scalar one
    int32_t group;                              // lanes per unit: the plan's vectors of the set
    int share;                                  // lower units follow chains (shared angles)
    std::unique_ptr<std::atomic<uint8_t>[]> states;   // job.binState: room for stateRoom bins
    int32_t stateRoom;                          // bins states has room for, 0 at first
    std::vector<TransformUnit> units;           // the part under way, planned before it starts
    int32_t unitCount;                          // units.size(), read by the workers
    int64_t partWork;                           // pairs the part evaluates, for the progress
    std::atomic<int32_t> nextUnit;              // the first unit nobody has taken
    std::atomic<int64_t> doneWork;              // pairs evaluated in the part
    std::atomic<int64_t> evaluations;           // pairs evaluated since TransformStart
    std::mutex lock;                            // guards doneUnits and running
    std::condition_variable changed;            // notified when doneUnits or running changes
    int32_t doneUnits;                          // units finished in the part
    int running;                                // workers of the part not yet gone
    TransformReportClock binReports;            // TransformWaitBin's reports, from the part's start
    // The part's threads, joined once it is done. Never detached: the mingw-w64 thread library
    // can lose a thread detached before it has started, and running would never come back to 0.
    std::vector<std::thread> threads;
};

TransformRun *TransformRunNew() {
    TransformRun *run = new TransformRun();
    run->stateRoom = 0;
    run->unitCount = 0;
    run->doneUnits = 0;
    run->running = 0;
    return run;
}

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

int64_t TransformEvaluations(const TransformRun *run) {
    return run->evaluations.load();
}

// The unit of set that divides by plan, or null when this build or processor has none.
static TransformUnitFn UnitFunction(RtLaneSet set, int plan) {
#if DFT_LANES_WIDE
    if (plan != kDivideDivider) {
        __builtin_cpu_init();
        if (set == kRtLanesAvx2 && __builtin_cpu_supports("fma"))
            return plan == kDivideFma ? TransformUnitAvx2Fma : TransformUnitAvx2Mix;
        if (set == kRtLanesAvx512)
            return plan == kDivideFma ? TransformUnitAvx512Fma : TransformUnitAvx512Mix;
    }
#endif
    if (plan != kDivideDivider)
        return nullptr;
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

// Lanes per unit of set and plan.
static int32_t UnitGroup(RtLaneSet set, int plan) {
    if (set == kRtLanesScalar)
        return 1;
    return (plan == kDivideMix ? kTransformMixVectors : kTransformVectors) * RtLaneSetWidth(set);
}

// ---- Where the lanes divide --------------------------------------------------------------------

static void EmptyUnit(TransformUnit *unit, int32_t chains, int32_t firstStart);

// The plan whose units run fastest in set: each runs units of one lane a bin over 64 samples
// for about half a millisecond, three times in turn, and keeps its best time per pair. The
// divider unless another beats it by kDivideMargin. Only the speed depends on the choice.
static int MeasureDivide(RtLaneSet set) {
    enum { kCount = 64, kCalls = 24, kRounds = 3 };
    double samples[kCount], re[kCount], im[kCount];
    std::atomic<uint8_t> states[kCount];
    for (int32_t i = 0; i < kCount; ++i)
        samples[i] = (i % 7) * 0.25 - 0.75;
    const TransformJob job = {samples, kCount, (2.0 * 3.141592) / kCount, re, im, states};
    double best[kDividePlans];
    for (int plan = 0; plan < kDividePlans; ++plan)
        best[plan] = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        for (int plan = 0; plan < kDividePlans; ++plan) {
            const TransformUnitFn fn = UnitFunction(set, plan);
            if (!fn)
                continue;
            TransformUnit unit;
            EmptyUnit(&unit, 0, 0);
            unit.lanes = UnitGroup(set, plan);
            for (int32_t l = 0; l < unit.lanes; ++l)
                unit.head[l] = l;
            const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
            int64_t pairs = 0;
            for (int call = 0; call < kCalls; ++call)
                pairs += fn(&job, &unit);
            const double ns = std::chrono::duration<double, std::nano>(
                                  std::chrono::steady_clock::now() - start).count() / pairs;
            best[plan] = ns < best[plan] ? ns : best[plan];
        }
    }
    int chosen = kDivideDivider;
    for (int plan = kDivideDivider + 1; plan < kDividePlans; ++plan)
        if (best[plan] < kDivideMargin * best[kDivideDivider] && best[plan] < best[chosen])
            chosen = plan;
    return chosen;
}

// The plan of name in the set in use, or -1: a name the set has, or "measure".
static int DividePlanNamed(const char *name) {
    const RtLaneSet set = TransformLanes();
    if (std::strcmp(name, "measure") == 0)
        return MeasureDivide(set);
    for (int plan = 0; plan < kDividePlans; ++plan)
        if (std::strcmp(name, kDivideNames[plan]) == 0)
            return UnitFunction(set, plan) ? plan : -1;
    return -1;
}

int TransformSelectDivide(const char *name) {
    const int plan = DividePlanNamed(name);
    if (plan < 0)
        return 0;
    gTransformDivide.store(plan);
    return 1;
}

// The first choice: DFT_DIVIDE's when it names one, else by the processor.
static int ChooseDivide() {
    const char *named = std::getenv("DFT_DIVIDE");
    const int plan = named ? DividePlanNamed(named) : -1;
    if (plan >= 0)
        return plan;
#if DFT_LANES_WIDE
    __builtin_cpu_init();
    if (__builtin_cpu_is("amd"))
        return kDivideDivider;
    return MeasureDivide(TransformLanes());
#else
    return kDivideDivider;
#endif
}

static int DividePlan() {
    int plan = gTransformDivide.load();
    if (plan == kDividePlans) {
        plan = ChooseDivide();
        gTransformDivide.store(plan);
    }
    return plan;
}

const char *TransformDivide() {
    return kDivideNames[DividePlan()];
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
        std::lock_guard<std::mutex> hold(run->lock);   // after the unit's bins are stored
        run->doneUnits += 1;
        run->changed.notify_all();
    }
}

static void Worker(TransformRun *run) {
    RunUnits(run);
    std::lock_guard<std::mutex> hold(run->lock);
    run->running -= 1;
    run->changed.notify_all();   // the last touch of the run
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
    run->doneUnits = 0;   // no worker runs: the last part's are joined
    run->doneWork.store(0);
    run->binReports = {std::chrono::steady_clock::now(), {}, false, 0};
    const double count = run->job.count;
    if (count * count < kThreadedPairs)
        return;
    unsigned workers = std::thread::hardware_concurrency();
    if (workers < 1)
        workers = 1;
    for (unsigned i = 0; i < workers && (int32_t)i < run->unitCount; ++i) {
        std::lock_guard<std::mutex> hold(run->lock);
        run->running += 1;
        try {
            run->threads.emplace_back(Worker, run);
        } catch (const std::system_error &) {   // no more threads: go on with those there are
            run->running -= 1;
            break;
        }
    }
}

static std::chrono::steady_clock::time_point ReportDue(const TransformReportClock *clock,
                                                       const TransformProgress *progress) {
    return clock->reported ? clock->next
                           : clock->from + std::chrono::milliseconds(progress->delayMs);
}

// Makes the report that is due by `clock`, if one is. The share never falls and stays below 100:
// a part done shows 99 until the caller restores its title.
static void ReportIfDue(const TransformRun *run, const TransformProgress *progress,
                        TransformReportClock *clock) {
    const std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now();
    if (now < ReportDue(clock, progress))
        return;
    const int64_t done = run->doneWork.load();
    int32_t percent = run->partWork > 0 ? (int32_t)(done * 100 / run->partWork) : 0;
    percent = percent > 99 ? 99 : percent < clock->shown ? clock->shown : percent;
    clock->shown = percent;
    clock->reported = true;
    clock->next = now + kReportPeriod;
    progress->report(progress->context, percent);
}

// Waits until bin k is ready (k < 0: never) or the part is done, whichever comes first; with a
// progress hook, reports when `clock` says (a report that is due is made before the test, even
// for a bin that is there already). Blocks on the run's condition variable while workers run;
// runs the units left itself when none does.
static void Wait(TransformRun *run, int32_t k, const TransformProgress *progress,
                 TransformReportClock *clock) {
    const bool reports = progress && progress->report;
    std::unique_lock<std::mutex> hold(run->lock);
    for (;;) {
        if (reports) {
            hold.unlock();   // the hook may take the console's lock: never under the run's
            ReportIfDue(run, progress, clock);
            hold.lock();
        }
        if (k >= 0 && run->job.binState[k].load(std::memory_order_acquire) == kBinReady)
            return;
        if (run->doneUnits == run->unitCount && run->running == 0)
            return;   // the part is done: a bin it did not make ready will not be
        if (run->running == 0) {
            hold.unlock();
            RunUnits(run);
            hold.lock();
        } else if (reports) {
            run->changed.wait_until(hold, ReportDue(clock, progress));
        } else {
            run->changed.wait(hold);
        }
    }
}

// ---- The transform ---------------------------------------------------------------------------

void TransformStart(TransformRun *run, const double *samples, int32_t count, double angleStep,
                    double *realPart, double *imagPart) {
    TransformFinish(run);
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
    int plan = DividePlan();
    if (!UnitFunction(set, plan))
        plan = kDivideDivider;   // the set divides on the divider alone
    run->unitFn = UnitFunction(set, plan);
    run->group = UnitGroup(set, plan);
    run->share = gShareAngles.load() && step >= kShareStepLeast && largest < kShareAngleBound;
    run->evaluations.store(0);
    PlanLower(run);
    StartPart(run);
}

void TransformWaitLower(TransformRun *run, const TransformProgress *progress) {
    TransformReportClock clock = {std::chrono::steady_clock::now(), {}, false, 0};
    Wait(run, -1, progress, &clock);
}

void TransformStartUpper(TransformRun *run) {
    TransformFinish(run);
    PlanUpper(run);
    StartPart(run);
}

void TransformWaitBin(TransformRun *run, int32_t k, const TransformProgress *progress) {
    if (k < 0 || k >= run->job.count)
        return;
    Wait(run, k, progress, &run->binReports);
}

void TransformFinish(TransformRun *run) {
    Wait(run, -1, nullptr, nullptr);
    JoinWorkers(run);
}

void TransformFast(TransformRun *run, const double *samples, int32_t count, double angleStep,
                   double *realPart, double *imagPart, const TransformProgress *progress) {
    TransformStart(run, samples, count, angleStep, realPart, imagPart);
    TransformWaitLower(run, progress);
    TransformStartUpper(run);
    TransformFinish(run);
}
