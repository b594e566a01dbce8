// core_text.cpp: text comparison and the debugger output on POSIX, and the writer of whole
// buffers that the consoles share.
#include <atomic>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include "platform/posix/write_all.h"
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
static std::atomic<bool> debugOnce{false};

// The texts said once already, while debugOnce holds: the runtime's messages are constants, so a
// text is known by its address. A slot, once taken, keeps its text; a full table says the rest
// every time, as without the rule.
enum { kDebugTextsKept = 8 };
static std::atomic<const char *> debugSaid[kDebugTextsKept];

void PlatDebugOutputSuppress(bool suppress) {
    debugSuppressed.store(suppress);
}

void PlatDebugOutputOnce(bool once) {
    debugOnce.store(once);
}

// True when text was said before; else it is listed as said (each slot taken at most once, by
// compare and swap, so two threads never both say a text).
static bool SaidBefore(const char *text) {
    for (std::atomic<const char *> &slot : debugSaid) {
        const char *held = nullptr;
        if (slot.compare_exchange_strong(held, text))
            return false;
        if (held == text)
            return true;
    }
    return false;
}

void PosixWriteAll(int fd, const void *data, size_t n) {
    const char *p = (const char *)data;
    while (n > 0) {
        ssize_t put = write(fd, p, n);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return;
        p += put;
        n -= (size_t)put;
    }
}

// Standard error is a stream of lines: a text that does not end in a line feed gets one.
void PlatDebugOutput(const char *text) {
    if (debugSuppressed.load())
        return;
    if (debugOnce.load() && SaidBefore(text))
        return;
    size_t n = std::strlen(text);
    PosixWriteAll(2, text, n);
    if (n == 0 || text[n - 1] != '\n')
        PosixWriteAll(2, "\n", 1);
}
