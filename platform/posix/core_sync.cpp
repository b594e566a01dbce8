// core_sync.cpp: the lock, sleeping and the end of the process on POSIX.
#include <atomic>
#include <cerrno>
#include <new>
#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include "runtime/core/plat_core.h"

static_assert(sizeof(pthread_mutex_t) <= sizeof(PlatLock::opaque), "PlatLock too small");

static pthread_mutex_t *Mutex(PlatLock *lock) {
    return reinterpret_cast<pthread_mutex_t *>(lock->opaque);
}

void PlatLockInit(PlatLock *lock) {
    pthread_mutex_init(new (lock->opaque) pthread_mutex_t, nullptr);
}

void PlatLockEnter(PlatLock *lock) {
    pthread_mutex_lock(Mutex(lock));
}

void PlatLockLeave(PlatLock *lock) {
    pthread_mutex_unlock(Mutex(lock));
}

void PlatSleep(uint32_t milliseconds) {
    struct timespec left = {(time_t)(milliseconds / 1000), (long)(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) == -1 && errno == EINTR) {
    }
}

static std::atomic<void (*)()> exitHook{nullptr};

void PlatSetExitHook(void (*hook)()) {
    exitHook.store(hook);
}

void PlatExit(int code) {
    if (void (*hook)() = exitHook.load())
        hook();
    // Like ExitProcess: no destructors of static objects, no atexit handlers of other threads'
    // making; open files are closed by the kernel with everything written already handed over.
    _exit(code);
}
