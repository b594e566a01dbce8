/* save_faults.c: an LD_PRELOAD library: DFT_FAULT="STEP:N:ERROR" fails the Nth call of STEP.
 * Steps: create (open with O_CREAT | O_EXCL); write, fsync, close (on a file so created); rename;
 * fsyncdir (an fsync of a folder); flock. ERROR: ENOSPC, EIO or ENOLCK (a failed close has closed
 * all the same, as on Linux); "short" (a write puts half its bytes); "slow" (a write waits 60 s
 * first); "taken" (a create finds its name just made by another, holding "another's": EEXIST). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#define REAL(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

static char created[1024];   /* created[fd]: fd is a file opened by a create */

static int IsCreated(int fd) {
    return fd >= 0 && fd < (int)sizeof created && created[fd];
}

/* Whether this call of step is the one to fail; then *error is the errno (0: "short"/"taken",
 * -1: "slow"). */
static int Fault(const char *step, int *error) {
    static int calls;   /* of the step DFT_FAULT names: the only one counted */
    const char *plan = getenv("DFT_FAULT");
    size_t length = strlen(step);
    char *kind;
    if (plan == NULL || strncmp(plan, step, length) != 0 || plan[length] != ':' ||
        ++calls != strtol(plan + length + 1, &kind, 10))
        return 0;
    *error = strcmp(kind, ":ENOSPC") == 0 ? ENOSPC : strcmp(kind, ":EIO") == 0 ? EIO
             : strcmp(kind, ":ENOLCK") == 0 ? ENOLCK : strcmp(kind, ":slow") == 0 ? -1 : 0;
    return 1;
}

int open(const char *path, int flags, ...) {
    mode_t mode = 0;
    int error;
    if (flags & O_CREAT) {   /* only then was a mode given */
        va_list args;
        va_start(args, flags);
        mode = va_arg(args, mode_t);
        va_end(args);
    }
    if ((flags & (O_CREAT | O_EXCL)) == (O_CREAT | O_EXCL) && Fault("create", &error)) {
        FILE *another = error == 0 ? fopen(path, "wx") : NULL;   /* taken */
        if (another != NULL) {
            fputs("another's", another);
            fclose(another);
        }
        errno = error == 0 ? EEXIST : error;
        return -1;
    }
    int fd = REAL(open)(path, flags, mode);
    if ((flags & O_EXCL) && fd >= 0 && fd < (int)sizeof created)
        created[fd] = 1;
    return fd;
}

ssize_t write(int fd, const void *buffer, size_t n) {
    int error = 0;
    if (IsCreated(fd) && Fault("write", &error) && error != -1)
        return error == 0 ? REAL(write)(fd, buffer, n / 2) : (errno = error, -1);
    if (IsCreated(fd) && error == -1)
        sleep(60);
    return REAL(write)(fd, buffer, n);
}

int fsync(int fd) {
    struct stat st;
    int error, folder = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    if ((IsCreated(fd) && Fault("fsync", &error)) || (folder && Fault("fsyncdir", &error)))
        return errno = error, -1;
    return REAL(fsync)(fd);
}

int close(int fd) {
    int error, fail = IsCreated(fd) && Fault("close", &error);
    if (IsCreated(fd))
        created[fd] = 0;
    int done = REAL(close)(fd);
    errno = fail ? error : errno;
    return fail ? -1 : done;
}

int rename(const char *from, const char *to) {
    int error;
    return Fault("rename", &error) ? (errno = error, -1) : REAL(rename)(from, to);
}

int flock(int fd, int operation) {
    int error;
    return Fault("flock", &error) ? (errno = error, -1) : REAL(flock)(fd, operation);
}
