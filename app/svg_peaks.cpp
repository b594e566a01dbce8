// svg_peaks.cpp: SvgPeaksFind, each side's lowest point found for every bin at once with a stack
// of the bins not yet passed by higher ground, so a long slope costs a pass, not a walk a peak.
#include "app/svg_peaks.h"

#include <vector>

#include "runtime/math/rt_math.h"

// low[i] for each i of the drawn bins at[0 .. n - 1], walking in steps of `step` (+1 right of
// it, -1 left): the least value from i to the first bin higher than at[i]'s (excluded) or the
// end. The stack holds positions of strictly falling values; least[j] is the least value from
// the position under j (excluded) to j, so the entries popped by a value cover exactly the bins
// it passes.
static void LowestPassed(const double *logAbs, const std::vector<int32_t> &at, int32_t step,
                         std::vector<double> *low) {
    const int32_t n = (int32_t)at.size();
    std::vector<int32_t> stack;
    std::vector<double> least;
    for (int32_t s = 0; s < n; s++) {
        const int32_t i = step > 0 ? n - 1 - s : s;
        const double v = logAbs[at[i]];
        double m = v;
        while (!stack.empty() && !(logAbs[at[stack.back()]] > v)) {
            if (least.back() < m)
                m = least.back();
            stack.pop_back();
            least.pop_back();
        }
        (*low)[i] = m;
        stack.push_back(i);
        least.push_back(m);
    }
}

int32_t SvgPeaksFind(const double *logAbs, int32_t bins, int32_t *peaks) {
    std::vector<int32_t> at;   // the drawn bins, in order
    for (int32_t k = 0; k < bins; k++) {
        if (SvgDrawn(logAbs[k]))
            at.push_back(k);
    }
    const int32_t n = (int32_t)at.size();
    double top = 0;   // the highest drawn value, which the magnitudes are measured against
    for (int32_t i = 0; i < n; i++)
        top = i == 0 || logAbs[at[i]] > top ? logAbs[at[i]] : top;
    std::vector<double> leftLow(n), rightLow(n);
    LowestPassed(logAbs, at, -1, &leftLow);
    LowestPassed(logAbs, at, +1, &rightLow);
    double prominence[kSvgPeaksMost];
    int32_t count = 0;
    for (int32_t first = 0, last; first < n; first = last + 1) {
        const double v = logAbs[at[first]];
        for (last = first; last + 1 < n && logAbs[at[last + 1]] == v;)
            last++;
        if (at[first] == 0 || (first > 0 && !(logAbs[at[first - 1]] < v)) ||
            (last + 1 < n && !(logAbs[at[last + 1]] < v)))
            continue;
        // The higher lowest point of the sides that have bins; v itself when neither has.
        double base = v;
        if (first > 0)
            base = leftLow[first];
        if (last + 1 < n && (first == 0 || rightLow[last] > base))
            base = rightLow[last];
        const double p = RtExp(v - top) - RtExp(base - top);
        int32_t place = count;
        while (place > 0 && (p > prominence[place - 1] ||
                             (p == prominence[place - 1] && v > logAbs[peaks[place - 1]])))
            place--;
        if (place >= kSvgPeaksMost)
            continue;
        for (int32_t i = (count < kSvgPeaksMost ? count : count - 1); i > place; i--) {
            peaks[i] = peaks[i - 1];
            prominence[i] = prominence[i - 1];
        }
        peaks[place] = at[first];
        prominence[place] = p;
        if (count < kSvgPeaksMost)
            count++;
    }
    return count;
}
