// rt_string.cpp: the runtime strings and their registry (layout and rules in rt_string.h).
#include "runtime/core/rt_string.h"

#include <cstdint>
#include <cstring>

#include "runtime/core/plat_core.h"

const char kStrUnknownReleaseMessage[] =
    "\x96\xa2\x92\x6d\x82\xcc\x95\xb6\x8e\x9a\x97\xf1\x82\xaa\x89\xf0\x95\xfa\x82\xb3\x82\xea"
    "\x82\xe6\x82\xa4\x82\xc6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42\r\n";

// The registry: handles[0 .. count-1] are the live strings in allocation order. capacity is the
// number of entries the storage block has room for; it only grows (spare room is kept).
static struct {
    PlatLock lock;
    RtString *handles;
    uint32_t count;
    uint32_t capacity;
} registry;

// The most entries the registry may hold: a 32-bit count, in a block whose size fits a size_t.
static const size_t kRegistryMaxEntries =
    SIZE_MAX / sizeof(RtString) < UINT32_MAX ? SIZE_MAX / sizeof(RtString) : UINT32_MAX;

void StrInit() {
    PlatLockInit(&registry.lock);
    registry.handles = (RtString *)PlatAlloc(sizeof(RtString));
    registry.count = 0;
    registry.capacity = 1;
}

RtString StrAlloc(uint32_t n) {
    if (n > kStrMaxLength)
        PlatOutOfMemory();   // n + 5 would wrap on a 32-bit target
    // The block is taken before the lock, so the lock is never held across a heap allocation
    // of text; only the registry growth happens under it.
    uint8_t *block = (uint8_t *)PlatAlloc((size_t)n + 5);
    std::memcpy(block, &n, 4);
    RtString s = block + 4;

    PlatLockEnter(&registry.lock);
    if (registry.count == registry.capacity) {
        if (registry.capacity > kRegistryMaxEntries / 2)
            PlatOutOfMemory();   // the doubled count, or its size in bytes, would wrap
        uint32_t grown = registry.capacity * 2;
        registry.handles = (RtString *)PlatRealloc(registry.handles, (size_t)grown * sizeof(RtString));
        registry.capacity = grown;
    }
    registry.handles[registry.count++] = s;
    PlatLockLeave(&registry.lock);
    return s;
}

void StrFree(RtString s) {
    bool found = false;
    PlatLockEnter(&registry.lock);
    // Search from the oldest; a null handle never matches, since no live string is null.
    for (uint32_t i = 0; i < registry.count; i++) {
        if (registry.handles[i] != s)
            continue;
        PlatFree(s - 4);
        registry.count--;
        // Close the gap so that the remaining entries keep their allocation order.
        std::memmove(&registry.handles[i], &registry.handles[i + 1],
                     (size_t)(registry.count - i) * sizeof(RtString));
        found = true;
        break;
    }
    PlatLockLeave(&registry.lock);
    if (!found && s != nullptr)
        PlatDebugOutput(kStrUnknownReleaseMessage);
}

RtString StrLiteral(const char *text) {
    size_t n = std::strlen(text);
    if (n > kStrMaxLength)
        PlatOutOfMemory();   // the length would not fit its 32 bits
    RtString s = StrAlloc((uint32_t)n);
    std::memcpy(s, text, n + 1);
    return s;
}

RtString StrCopy(RtString s) {
    uint32_t n = StrLength(s);
    RtString copy = StrAlloc(n);
    std::memmove(copy, s, n);
    return copy;
}

RtString StrConcat(RtString left, RtString right) {
    uint32_t leftLength = StrLength(left);
    uint32_t rightLength = StrLength(right);
    // Checked before the sum: leftLength + rightLength may wrap to a small length, and the copies
    // below would then run past the block.
    if (leftLength > kStrMaxLength || rightLength > kStrMaxLength - leftLength)
        PlatOutOfMemory();
    RtString joined = StrAlloc(leftLength + rightLength);
    std::memmove(joined, left, leftLength);
    std::memmove(joined + leftLength, right, rightLength);
    StrFree(left);
    StrFree(right);
    return joined;
}

int32_t StrCompare(RtString left, RtString right) {
    int32_t result = PlatCompareText(left, StrLength(left), right, StrLength(right));
    StrFree(left);
    StrFree(right);
    return result;
}

int32_t StrAsc(RtString s) {
    int32_t first = s[0];   // an empty string's first byte is its terminating NUL
    StrFree(s);
    return first;
}

RtString StrBuffer(uint32_t n) {
    return StrAlloc(n);
}

uint32_t StrLiveCount() {
    PlatLockEnter(&registry.lock);
    uint32_t n = registry.count;
    PlatLockLeave(&registry.lock);
    return n;
}

RtString StrLiveAt(uint32_t index) {
    PlatLockEnter(&registry.lock);
    RtString s = index < registry.count ? registry.handles[index] : nullptr;
    PlatLockLeave(&registry.lock);
    return s;
}
