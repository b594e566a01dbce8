// plat_file.h: the thin file layer under the numbered files: open, read, write, seek, size, flush,
// close, and by name: replace one file by another, flush a folder, remove, ask whether a name exists.
// platform/win32/file_win32.cpp implements it over CreateFileW and its companions (names converted
// from code page 932), platform/posix/file_posix.cpp over open/read/write/lseek/fstat/fsync.
//
// An open for reading alone lets other readers in and keeps writers out; any other open keeps
// every other open out, in this process and any other (share modes FILE_SHARE_READ and 0 on
// Windows; on POSIX the layer compares device and inode of the files it holds and takes a
// non-blocking shared or exclusive flock, and opens unlocked where the file system has no locks).
// An open that would conflict fails and changes nothing, a truncating open included.
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
    kPlatCreateNew = 1,      // create; fail when the name exists, whatever it names (no link followed)
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
// Bytes written by one write call (may be fewer than n), or -1 on failure. Never retried. A short
// count leaves the disk-full code in PlatFileLastError: a disk file takes fewer bytes only then.
int64_t PlatFileWrite(PlatFile file, const void *buffer, uint32_t n);
// Moves the position; returns the new position, or -1 (position unchanged) on failure.
int64_t PlatFileSeek(PlatFile file, int64_t distance, uint32_t origin);
// Puts the file's data and size on the disk (fsync, FlushFileBuffers); true when done. Needs write
// access. Only after it has succeeded may a rename make the file's new contents visible by a name
// that a power cut must not leave pointing at an empty or partial file.
bool PlatFileFlush(PlatFile file);
// Closes the file and lets the exclusive hold go; false when the system reported an error (the
// handle is gone either way). kPlatFileInvalid and 0 are ignored (true).
bool PlatFileClose(PlatFile file);

// Puts the file named from in the place of the file named to, in one step of the file system:
// a reader of `to` finds either the old file whole or the new one whole, never a mix. Both names
// lie in the same folder; nobody may hold `from` open. An old `to` is replaced, unless it is a
// folder, read-only, or held open by anyone (share mode 0 on Windows; on POSIX a file this
// process holds or one another process holds a flock on): then nothing changes. The new file
// takes the old one's permissions first (POSIX: its mode, and its owner and group where the
// process may; Windows: its attributes and access list). A link named to is replaced by the file,
// and what it leads to is left alone; a dangling link's name is taken. True when done.
// On Windows the move is written through to the disk before it returns; on POSIX the folder's
// change needs PlatFileFlushFolder.
bool PlatFileReplace(const char *from, const char *to);
// Puts the folder that holds name on the disk, so that a rename into it survives a power cut
// (POSIX: fsync of the folder; Windows: nothing to do after a write-through move). A file system
// that cannot flush a folder counts as done. True when done.
bool PlatFileFlushFolder(const char *name);
// Removes the file name (not a folder). True when done.
bool PlatFileRemove(const char *name);
// Whether error (PlatFileLastError) says that another open held the file: a moment's wait may
// see it let go.
bool PlatFileErrorIsHeld(uint32_t error);
// POSIX: for a process about to end at once (an end signal's handler; it is async-signal-safe).
// Removes the new file of a replacement under way (the one file PlatFileOpen created with
// kPlatCreateNew and nobody has renamed or removed since), if any, and returns the exit code:
// code when it did (the save was cut off), else 0.
int PlatFileAbandonSave(int code);
// Whether name names anything (a file, a folder, a link, even a dangling one).
bool PlatFileExists(const char *name);
// The id of this process, which names its own temporary files apart from anyone else's.
uint32_t PlatProcessId();

// Why the last failed call of this layer failed: the system's code (errno, GetLastError), valid
// until the next call of this layer. A refusal of the layer's own gives the code the system
// gives for the same case: a held file (EWOULDBLOCK, ERROR_SHARING_VIOLATION), a read-only one
// (EACCES, ERROR_ACCESS_DENIED), a folder (EISDIR, ERROR_ACCESS_DENIED).
uint32_t PlatFileLastError();
// Where name leads from the working folder, as a full path in code page 932 (a character without
// a form there becomes '?'), into out: at most cap - 1 bytes and a NUL; returns the length. The
// name itself when the system cannot tell.
uint32_t PlatFileFullPath(const char *name, char *out, uint32_t cap);
// Why a call failed, in a few words of the user's language, code page 932, from the system's
// code: no line end, at most cap - 1 bytes and a NUL; returns the length. (Windows: the system's
// own message text; POSIX: the common codes in short Japanese, any other as strerror says it.)
uint32_t PlatFileErrorText(uint32_t error, char *out, uint32_t cap);

// The code page 932 form of n UTF-16 code units, none of them a surrogate, into out (room for 2 * n
// bytes); returns the bytes written. A character without a code page 932 form becomes one '?'; no
// "best fit" stands in for it. Windows: WideCharToMultiByte(932); POSIX: iconv's "CP932".
uint32_t PlatTextFromUtf16(const uint16_t *units, uint32_t n, uint8_t *out);

#endif
