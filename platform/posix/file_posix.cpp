// file_posix.cpp: the file layer on POSIX, with Windows' share mode 0 made real.
//
// Exclusivity: the layer lists every file it holds by device and inode; an open of a listed file
// fails, but for a reader beside readers. Against other processes an open for reading alone takes
// flock(LOCK_SH | LOCK_NB), any other flock(LOCK_EX | LOCK_NB): readers share a file, a writer
// has it alone, as Windows' share modes have it. A file system without locks (ENOLCK, as some
// network mounts) opens unlocked. Both checks come before any truncation: a conflicting
// CREATE_ALWAYS open leaves the file as it was, as a sharing violation does on Windows.
// Descriptors below 3 are moved up, so a handle is never 0 or a standard stream; all are O_CLOEXEC.
// Only regular files open: the open itself does not wait (O_NONBLOCK), so a FIFO or a device named
// data.csv is refused at once instead of hanging the program.
// A replace refuses, as MoveFileExW does, to put a file in the place of one that is held. The new
// file takes the old one's mode, and its owner and group as far as the process may set them.
// The save's new file (the one open created with kPlatCreateNew and not yet renamed or removed)
// is known by name to PlatFileAbandonSave, which an end signal's handler calls.
// Durability: PlatFileFlush is fsync, and PlatFileFlushFolder fsyncs the folder after a rename, as
// ext4 and its kind need for the rename itself to survive a power cut.
// Failures leave their reason in errno (PlatFileLastError); a refusal of the layer's own sets the
// code the system gives for the same case on its own files.
// The list has no lock: only the program thread opens and closes files.
#include "runtime/io/plat_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

enum { kHeldMax = 1024 };   // files held at once; an open beyond that fails

// The files this process holds. An entry with fd 0 is free (0 is never a handle of ours).
static struct {
    int fd;
    dev_t dev;
    ino_t ino;
    bool reading;   // open for reading alone: other readers may share the file
} held[kHeldMax];

// The save's new file, for the end signals. Set only once the file exists and is this process's;
// cleared before the name changes and after the file has gone (or moved), so a handler never
// removes another's file, and at worst finds the name gone already.
static char temporary[4096];
static std::atomic<bool> temporarySet;
static_assert(std::atomic<bool>::is_always_lock_free, "read by signal handlers");

static void ForgetTemporary(const char *name) {
    if (temporarySet.load() && strcmp(name, temporary) == 0)
        temporarySet.store(false);
}

int PlatFileAbandonSave(int code) {
    if (!temporarySet.load())
        return 0;
    unlink(temporary);
    return code;
}

// flock that counts a file system without locks as locked: there is nothing to take.
static bool Lock(int fd, int how) {
    return flock(fd, how | LOCK_NB) == 0 || errno == ENOLCK || errno == EOPNOTSUPP;
}

// Whether an open of ours keeps a new open of the file out: any open, or for a reader (reading)
// an open that is not one for reading alone.
static bool IsHeld(dev_t dev, ino_t ino, bool reading) {
    for (int i = 0; i < kHeldMax; i++)
        if (held[i].fd != 0 && held[i].dev == dev && held[i].ino == ino &&
            !(reading && held[i].reading))
            return true;
    return false;
}

static int FreeHeldEntry() {
    for (int i = 0; i < kHeldMax; i++)
        if (held[i].fd == 0)
            return i;
    return -1;
}

PlatFile PlatFileOpen(const char *name, uint32_t access, uint32_t creation) {
    int flags = O_CLOEXEC | O_NONBLOCK;
    if ((access & kPlatAccessRead) && (access & kPlatAccessWrite))
        flags |= O_RDWR;
    else if (access & kPlatAccessWrite)
        flags |= O_WRONLY;
    else if (access & kPlatAccessRead)
        flags |= O_RDONLY;
    else
        return kPlatFileInvalid;
    if (creation == kPlatCreateAlways || creation == kPlatOpenAlways)
        flags |= O_CREAT;   // truncation waits until the file is known to be ours alone
    else if (creation == kPlatCreateNew)
        flags |= O_CREAT | O_EXCL;
    else if (creation != kPlatOpenExisting)
        return kPlatFileInvalid;

    int slot = FreeHeldEntry();
    if (slot < 0) {
        errno = EMFILE;
        return kPlatFileInvalid;
    }
    int fd;
    do
        fd = open(name, flags, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return kPlatFileInvalid;
    if (fd < 3) {
        int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        close(fd);
        fd = moved;
        if (fd < 0)
            goto fail;
    }

    struct stat st;
    if (fstat(fd, &st) != 0)
        goto fail;
    if (!S_ISREG(st.st_mode) || IsHeld(st.st_dev, st.st_ino, access == kPlatAccessRead)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : S_ISREG(st.st_mode) ? EWOULDBLOCK : EINVAL;
        goto fail;
    }
    if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        goto fail;
    if (!Lock(fd, access == kPlatAccessRead ? LOCK_SH : LOCK_EX))
        goto fail;
    if (creation == kPlatCreateAlways && ftruncate(fd, 0) != 0)
        goto fail;
    if (creation == kPlatCreateNew && strlen(name) < sizeof temporary) {
        temporarySet.store(false);
        strcpy(temporary, name);
        temporarySet.store(true);
    }
    held[slot].fd = fd;
    held[slot].dev = st.st_dev;
    held[slot].ino = st.st_ino;
    held[slot].reading = access == kPlatAccessRead;
    return fd;

fail:
    int error = errno;
    if (fd >= 0)
        close(fd);   // also lets go of the flock, if it was taken
    if (creation == kPlatCreateNew)
        unlink(name);   // the file this open made, and no one else's: O_EXCL made it
    errno = error;
    return kPlatFileInvalid;
}

int64_t PlatFileRead(PlatFile file, void *buffer, uint32_t n) {
    if (file <= 0)
        return errno = EBADF, -1;
    ssize_t got;
    do
        got = read((int)file, buffer, n);
    while (got < 0 && errno == EINTR);
    return got;
}

int64_t PlatFileWrite(PlatFile file, const void *buffer, uint32_t n) {
    if (file <= 0)
        return errno = EBADF, -1;
    ssize_t put;
    do
        put = write((int)file, buffer, n);
    while (put < 0 && errno == EINTR);
    if (put >= 0 && (size_t)put < n)
        errno = ENOSPC;
    return put;
}

int64_t PlatFileSeek(PlatFile file, int64_t distance, uint32_t origin) {
    if (file <= 0)
        return -1;
    int whence = origin == kPlatSeekBegin ? SEEK_SET : origin == kPlatSeekCurrent ? SEEK_CUR : SEEK_END;
    return lseek((int)file, (off_t)distance, whence);
}

bool PlatFileFlush(PlatFile file) {
    if (file <= 0)
        return false;
    int done;
    do
        done = fsync((int)file);
    while (done != 0 && errno == EINTR);
    return done == 0;
}

// After EINTR Linux has closed the descriptor all the same, and nothing was lost: it counts as done.
bool PlatFileClose(PlatFile file) {
    if (file <= 0)
        return true;
    for (int i = 0; i < kHeldMax; i++)
        if (held[i].fd == (int)file)
            held[i].fd = 0;
    return close((int)file) == 0 || errno == EINTR;
}

// Gives from the mode of old (and its owner and group, where the process may: root both, the
// owner a group of its own) and renames it to to. Owner first: a change of owner clears the
// set-id bits that the mode then puts back.
static bool TakeOver(const char *from, const char *to, const struct stat *old) {
    if (old != nullptr) {
        if (chown(from, old->st_uid, old->st_gid) != 0 && chown(from, (uid_t)-1, old->st_gid) != 0) {
            // the new file stays this process's own
        }
        chmod(from, old->st_mode & 07777);
    }
    if (rename(from, to) != 0)
        return false;
    ForgetTemporary(from);
    return true;
}

// rename() itself would replace a held or read-only file: the checks make it refuse as Windows
// does. Read-only is what the user may not write, or a file without any write permission (which
// root may write, as an administrator may not replace a file with the read-only attribute).
// A link is replaced by the new file and what it leads to is left alone; a dangling link's name
// is simply taken. The old file's flock is held across the rename, so no other process takes it
// in between.
bool PlatFileReplace(const char *from, const char *to) {
    struct stat st;
    if (lstat(to, &st) != 0)
        return TakeOver(from, to, nullptr);   // nothing to replace (or nothing we may look at)
    if (S_ISDIR(st.st_mode))
        return errno = EISDIR, false;
    bool link = S_ISLNK(st.st_mode);
    if (link && stat(to, &st) != 0)
        return TakeOver(from, to, nullptr);   // a dangling link: only its name goes
    if (access(to, W_OK) != 0)
        return false;   // errno says why: EACCES, EROFS
    if (!link && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return errno = EACCES, false;
    int fd = open(to, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return TakeOver(from, to, &st);   // a file we cannot read: only its name goes
    bool replaced = false;
    if (fstat(fd, &st) != 0) {
        // errno says why
    } else if (IsHeld(st.st_dev, st.st_ino, false))
        errno = EWOULDBLOCK;
    else if (Lock(fd, LOCK_EX))
        replaced = TakeOver(from, to, &st);
    int error = errno;
    close(fd);
    errno = error;
    return replaced;
}

// The folder is the name up to its last slash ("/" for a name in the root, "." for a bare name).
// A folder we may not open, and a file system that cannot flush one (EINVAL), count as done: there
// is nothing more this process can do for them. A real failure (EIO, ENOSPC) is reported.
bool PlatFileFlushFolder(const char *name) {
    const char *slash = strrchr(name, '/');
    char *folder = slash == nullptr ? strdup(".") : strndup(name, slash == name ? 1 : slash - name);
    if (folder == nullptr)
        return false;
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    free(folder);
    if (fd < 0)
        return true;
    int done;
    do
        done = fsync(fd);
    while (done != 0 && errno == EINTR);
    bool flushed = done == 0 || errno == EINVAL || errno == EROFS;
    close(fd);
    return flushed;
}

bool PlatFileRemove(const char *name) {
    if (unlink(name) != 0)
        return false;
    ForgetTemporary(name);
    return true;
}

bool PlatFileErrorIsHeld(uint32_t error) {
    return error == EWOULDBLOCK;
}

bool PlatFileExists(const char *name) {
    struct stat st;
    return lstat(name, &st) == 0;
}

uint32_t PlatProcessId() {
    return (uint32_t)getpid();
}
