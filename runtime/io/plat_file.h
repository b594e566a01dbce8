// plat_file.h: the thin file layer under the numbered files: open, read, write, seek, size, close,
// and by name: replace one file by another, remove.
// platform/win32/file_win32.cpp implements it over CreateFileA and its companions,
// platform/posix/file_posix.cpp over open/read/write/lseek/fstat.
//
// Every open is exclusive: no other open of the same file, in this process or another, may exist
// at the same time (share mode 0 on Windows; on POSIX the layer compares device and inode of the
// files it holds and takes a non-blocking exclusive flock against other processes). An open that
// would conflict fails and changes nothing, a truncating open included.
//
// A PlatFile is never 0 and never a standard stream, so 0 can stand for "no file" in callers'
// tables. kPlatFileInvalid is what a failed open returns; every call accepts it and fails.
// Positions and sizes are byte offsets from the start of the file.
#ifndef RUNTIME_IO_PLAT_FILE_H
#define RUNTIME_IO_PLAT_FILE_H

#include <cstdint>

typedef intptr_t PlatFile;
enum : intptr_t { kPlatFileInvalid = -1 };   // the value of INVALID_HANDLE_VALUE

// Access, combined with |: read, write, or both.
enum : uint32_t { kPlatAccessRead = 1, kPlatAccessWrite = 2 };
// Creation, numbered as CreateFileA numbers them.
enum : uint32_t {
    kPlatCreateAlways = 2,   // create, or truncate an existing file to length 0
    kPlatOpenExisting = 3,   // fail when the file is missing
    kPlatOpenAlways = 4,     // open, or create when missing
};
// Origin of a seek.
enum : uint32_t { kPlatSeekBegin = 0, kPlatSeekCurrent = 1, kPlatSeekEnd = 2 };

// name: NUL-terminated bytes, code page 932 on Windows, passed unchanged on POSIX.
// The position of a new handle is 0.
PlatFile PlatFileOpen(const char *name, uint32_t access, uint32_t creation);
// Bytes read (up to n), 0 at the end of the file, -1 on failure. Advances the position.
int64_t PlatFileRead(PlatFile file, void *buffer, uint32_t n);
// Bytes written by one write call (may be fewer than n), or -1 on failure. Never retried.
int64_t PlatFileWrite(PlatFile file, const void *buffer, uint32_t n);
// Moves the position; returns the new position, or -1 (position unchanged) on failure.
int64_t PlatFileSeek(PlatFile file, int64_t distance, uint32_t origin);
// Size in bytes, or -1 on failure.
int64_t PlatFileSize(PlatFile file);
// Closes the file and lets the exclusive hold go. kPlatFileInvalid and 0 are ignored.
void PlatFileClose(PlatFile file);

// Puts the file named from in the place of the file named to, in one step of the file system:
// a reader of `to` finds either the old file whole or the new one whole, never a mix. Both names
// lie in the same folder; nobody may hold `from` open. An old `to` is replaced, unless it is a
// folder, read-only, or held open by anyone (share mode 0 on Windows; on POSIX a file this
// process holds or one another process holds a flock on): then nothing changes. True when done.
bool PlatFileReplace(const char *from, const char *to);
// Removes the file name (not a folder). True when done.
bool PlatFileRemove(const char *name);

#endif
