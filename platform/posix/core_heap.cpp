// core_heap.cpp: the process heap on POSIX, calloc/realloc/free; running out of memory ends the process.
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "runtime/core/plat_core.h"

static const char kOutOfMemory[] = "dftanalyze: out of memory\n";

void PlatOutOfMemory() {
    PlatDebugOutput(kOutOfMemory);
    // Also on standard error itself, in case the debugger output is being dropped.
    ssize_t ignored = write(2, kOutOfMemory, sizeof kOutOfMemory - 1);
    (void)ignored;
    _exit(2);
}

void *PlatAlloc(size_t n) {
    void *block = std::calloc(n ? n : 1, 1);
    if (block == nullptr)
        PlatOutOfMemory();
    return block;
}

void *PlatRealloc(void *block, size_t n) {
    void *moved = std::realloc(block, n ? n : 1);
    if (moved == nullptr)
        PlatOutOfMemory();
    return moved;
}

void PlatFree(void *block) {
    std::free(block);
}
