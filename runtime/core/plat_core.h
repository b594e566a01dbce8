// plat_core.h: the few services of the operating system that the runtime core needs.
// Each platform folder implements them in its core_*.cpp files: platform/win32 over the real
// Win32 calls, platform/posix over our own small layer. Nothing here knows about runtime strings.
#ifndef RUNTIME_CORE_PLAT_CORE_H
#define RUNTIME_CORE_PLAT_CORE_H

#include <cstddef>
#include <cstdint>

// Heap. Blocks from PlatAlloc are zero-filled. When the heap cannot satisfy a request the process
// cannot go on safely: both calls write a short message to the debugger output and standard error
// and end the process with exit code 2. They never return null.
void *PlatAlloc(size_t n);
void *PlatRealloc(void *block, size_t n);   // keeps the contents; the old pointer is dead afterwards
void PlatFree(void *block);                 // null is ignored
// That same end, for a caller whose request is too large to be made at all: a size that would
// wrap past its type. Nothing is written to the heap.
[[noreturn]] void PlatOutOfMemory();

// One mutual-exclusion lock (a critical section on Windows, a mutex on POSIX), not recursive.
struct PlatLock {
    alignas(16) unsigned char opaque[64];
};
void PlatLockInit(PlatLock *lock);
void PlatLockEnter(PlatLock *lock);
void PlatLockLeave(PlatLock *lock);

// Compares two byte texts given with their lengths, as text of the system locale:
// 1 less, 2 equal, 3 greater, 0 on failure. On POSIX 2 means exactly the same length and bytes,
// and otherwise the order is that of the unsigned bytes (the shorter prefix first).
int32_t PlatCompareText(const uint8_t *left, uint32_t leftLength, const uint8_t *right,
                        uint32_t rightLength);

// The debugger output: OutputDebugStringA on Windows; standard error on POSIX, one line a text (a
// line feed added where it has none), unless the terminal console owns a standard error that is
// the same terminal (then the text is dropped).
void PlatDebugOutput(const char *text);
// Set by the terminal console while it owns the terminal (POSIX only; ignored on Windows).
void PlatDebugOutputSuppress(bool suppress);
// Set by the line console, a filter: each text is said once at most in the run, however often it
// comes (POSIX only; on Windows each text is a record of the debugger's own, and none is dropped).
void PlatDebugOutputOnce(bool once);

void PlatSleep(uint32_t milliseconds);
[[noreturn]] void PlatExit(int code);   // ends every thread of the process at once
// One function that PlatExit runs first (a later call replaces it; null: none). The POSIX
// terminal console gives the terminal back with it. It must not wait for a lock that a thread
// calling PlatExit may hold.
void PlatSetExitHook(void (*hook)());

#endif
