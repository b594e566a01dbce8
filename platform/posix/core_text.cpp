// core_text.cpp: text comparison and the debugger output on POSIX.
#include <atomic>
#include <cstring>
#include <unistd.h>

#include "runtime/core/plat_core.h"

int32_t PlatCompareText(const uint8_t *left, uint32_t leftLength, const uint8_t *right,
                        uint32_t rightLength) {
    uint32_t common = leftLength < rightLength ? leftLength : rightLength;
    int order = common ? std::memcmp(left, right, common) : 0;
    if (order == 0)
        order = leftLength < rightLength ? -1 : leftLength > rightLength ? 1 : 0;
    return order < 0 ? 1 : order > 0 ? 3 : 2;
}

static std::atomic<bool> debugSuppressed{false};

void PlatDebugOutputSuppress(bool suppress) {
    debugSuppressed.store(suppress);
}

void PlatDebugOutput(const char *text) {
    if (debugSuppressed.load())
        return;
    size_t n = std::strlen(text);
    while (n > 0) {
        ssize_t put = write(2, text, n);
        if (put <= 0)
            return;
        text += put;
        n -= (size_t)put;
    }
}
