// write_all.h: the one writer of whole buffers to a descriptor on POSIX (the consoles' output and
// the debugger output on standard error).
#ifndef PLATFORM_POSIX_WRITE_ALL_H
#define PLATFORM_POSIX_WRITE_ALL_H

#include <cstddef>

// Writes all n bytes to fd, again after a signal cut a write short; stops at the first error (the
// reader or the terminal is gone, so nothing more can be shown). Async-signal-safe: it calls only
// write, so the end signals' handlers use it too.
void PosixWriteAll(int fd, const void *data, size_t n);

#endif
