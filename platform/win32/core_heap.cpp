// core_heap.cpp: the process heap on Windows; running out of memory ends the process.
#include <windows.h>

#include <cstring>

#include "runtime/core/plat_core.h"

static const char kOutOfMemory[] = "dftanalyze: out of memory\n";

void PlatOutOfMemory() {
    OutputDebugStringA(kOutOfMemory);
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD put;
    if (err != nullptr && err != INVALID_HANDLE_VALUE)
        WriteFile(err, kOutOfMemory, (DWORD)(sizeof kOutOfMemory - 1), &put, nullptr);
    ExitProcess(2);
}

void *PlatAlloc(size_t n) {
    void *block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, n);
    if (block == nullptr)
        PlatOutOfMemory();
    return block;
}

void *PlatRealloc(void *block, size_t n) {
    void *moved = HeapReAlloc(GetProcessHeap(), 0, block, n);
    if (moved == nullptr)
        PlatOutOfMemory();
    return moved;
}

void PlatFree(void *block) {
    if (block != nullptr)
        HeapFree(GetProcessHeap(), 0, block);
}
