// core_sync.cpp: the lock (a critical section), sleeping and the end of the process on Windows.
#include <windows.h>

#include "runtime/core/plat_core.h"

static_assert(sizeof(CRITICAL_SECTION) <= sizeof(PlatLock::opaque), "PlatLock too small");

static CRITICAL_SECTION *Section(PlatLock *lock) {
    return reinterpret_cast<CRITICAL_SECTION *>(lock->opaque);
}

void PlatLockInit(PlatLock *lock) {
    InitializeCriticalSection(Section(lock));
}

void PlatLockEnter(PlatLock *lock) {
    EnterCriticalSection(Section(lock));
}

void PlatLockLeave(PlatLock *lock) {
    LeaveCriticalSection(Section(lock));
}

void PlatSleep(uint32_t milliseconds) {
    Sleep(milliseconds);
}

static void (*volatile exitHook)() = nullptr;

void PlatSetExitHook(void (*hook)()) {
    exitHook = hook;
}

void PlatExit(int code) {
    if (void (*hook)() = exitHook)
        hook();
    ExitProcess((UINT)code);
}
