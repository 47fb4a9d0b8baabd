/* Write failures on demand, for a program started with LD_PRELOAD naming this library.
 *
 * Counted are the calls that create, write, sync, close or rename a file inside the
 * folder MARQUETTA_FAULT_DIR: open and openat with write access or O_CREAT, creat,
 * mkstemp and its kin, write, pwrite, writev, pwritev, fsync, fdatasync, ftruncate,
 * close of a file open for writing, rename, renameat, renameat2 and linkat (which puts
 * an unnamed file in place); an fsync of the folder itself is named "fsync-folder". The
 * call numbered MARQUETTA_FAULT_AT (from 1) fails with the error number
 * MARQUETTA_FAULT_ERRNO and does nothing; every other call goes through. With
 * MARQUETTA_FAULT_RENAME set, every rename in the folder fails with that error number, as
 * over a file mounted in place (EBUSY) or another user's file in a sticky folder
 * (EPERM). At exit the library writes "CALLS FAILED-CALL" (the count, and the name of
 * the call it failed or "-") and on the next line the names of the calls in order to
 * the file MARQUETTA_FAULT_REPORT. Calls on files elsewhere are never counted. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

static char g_folder[PATH_MAX];
static size_t g_folderLength;
static long g_failAt;
static int g_errno;
static long g_calls;
static const char* g_failed = "-";
static int g_renameErrno;
/* The names of the calls counted, in order, for the report. */
static char g_trace[8192];
static size_t g_traceLength;

__attribute__((constructor)) static void Start(void) {
    const char* folder = getenv("MARQUETTA_FAULT_DIR");
    if (folder != NULL && realpath(folder, g_folder) != NULL) {
        g_folderLength = strlen(g_folder);
    }
    const char* at = getenv("MARQUETTA_FAULT_AT");
    g_failAt = at != NULL ? atol(at) : 0;
    const char* number = getenv("MARQUETTA_FAULT_ERRNO");
    g_errno = number != NULL ? atoi(number) : EIO;
    const char* rename = getenv("MARQUETTA_FAULT_RENAME");
    g_renameErrno = rename != NULL ? atoi(rename) : 0;
}

__attribute__((destructor)) static void Report(void) {
    const char* report = getenv("MARQUETTA_FAULT_REPORT");
    if (report == NULL) {
        return;
    }
    FILE* out = fopen(report, "w");
    if (out != NULL) {
        fprintf(out, "%ld %s\n%s\n", g_calls, g_failed, g_trace);
        fclose(out);
    }
}

static int Inside(const char* path) {
    return g_folderLength > 0 && strncmp(path, g_folder, g_folderLength) == 0 &&
           (path[g_folderLength] == '/' || path[g_folderLength] == '\0');
}

/* Whether a path, made absolute against the folder `dirfd` stands for, lies inside. */
static int PathInside(int dirfd, const char* path) {
    if (g_folderLength == 0 || path == NULL) {
        return 0;
    }
    char absolute[PATH_MAX * 2];
    if (path[0] == '/') {
        snprintf(absolute, sizeof absolute, "%s", path);
    } else if (dirfd == AT_FDCWD) {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd) == NULL) {
            return 0;
        }
        snprintf(absolute, sizeof absolute, "%s/%s", cwd, path);
    } else {
        char link[64];
        char folder[PATH_MAX];
        snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd);
        const ssize_t n = readlink(link, folder, sizeof folder - 1);
        if (n < 0) {
            return 0;
        }
        folder[n] = '\0';
        snprintf(absolute, sizeof absolute, "%s/%s", folder, path);
    }
    /* The folder of the file resolved, so that links and ".." are seen through. */
    char* slash = strrchr(absolute, '/');
    char resolved[PATH_MAX];
    if (slash == absolute) {
        return Inside("/");
    }
    *slash = '\0';
    if (realpath(absolute, resolved) == NULL) {
        return 0;
    }
    return Inside(resolved);
}

static int FdInside(int fd) {
    if (g_folderLength == 0 || fd < 0) {
        return 0;
    }
    char link[64];
    char path[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, path, sizeof path - 1);
    if (n < 0) {
        return 0;
    }
    path[n] = '\0';
    return Inside(path);
}

/* Counts a call; true when this one is to fail (errno is then set). */
static int Fails(const char* name) {
    ++g_calls;
    const int n = snprintf(g_trace + g_traceLength, sizeof g_trace - g_traceLength, "%s%s",
                           g_traceLength > 0 ? " " : "", name);
    if (n > 0 && g_traceLength + (size_t)n < sizeof g_trace) {
        g_traceLength += (size_t)n;
    }
    if (g_calls != g_failAt) {
        return 0;
    }
    g_failed = name;
    errno = g_errno;
    return 1;
}

/* Whether a rename is refused whatever the count (errno is then set). */
static int Refused(void) {
    if (g_renameErrno == 0) {
        return 0;
    }
    errno = g_renameErrno;
    return 1;
}

#define NEXT(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

static int Writes(int flags) {
    return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0;
}

/* Whether an open names a file in the folder: for an unnamed file (O_TMPFILE) the path
 * is the folder it is made in. */
static int OpenInside(int dirfd, const char* path, int flags) {
    if ((flags & O_TMPFILE) == O_TMPFILE) {
        char resolved[PATH_MAX];
        return path != NULL && realpath(path, resolved) != NULL && Inside(resolved);
    }
    return PathInside(dirfd, path);
}

static mode_t ModeOf(int flags, va_list args) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? (mode_t)va_arg(args, int) : 0;
}

int open(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    if (Writes(flags) && OpenInside(AT_FDCWD, path, flags) && Fails("open")) {
        return -1;
    }
    return NEXT(open)(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    if (Writes(flags) && OpenInside(AT_FDCWD, path, flags) && Fails("open")) {
        return -1;
    }
    return NEXT(open64)(path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    if (Writes(flags) && OpenInside(dirfd, path, flags) && Fails("openat")) {
        return -1;
    }
    return NEXT(openat)(dirfd, path, flags, mode);
}

int openat64(int dirfd, const char* path, int flags, ...) {
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeOf(flags, args);
    va_end(args);
    if (Writes(flags) && OpenInside(dirfd, path, flags) && Fails("openat")) {
        return -1;
    }
    return NEXT(openat64)(dirfd, path, flags, mode);
}

int creat(const char* path, mode_t mode) {
    if (PathInside(AT_FDCWD, path) && Fails("creat")) {
        return -1;
    }
    return NEXT(creat)(path, mode);
}

int mkstemp(char* pattern) {
    if (PathInside(AT_FDCWD, pattern) && Fails("mkstemp")) {
        return -1;
    }
    return NEXT(mkstemp)(pattern);
}

int mkstemp64(char* pattern) {
    if (PathInside(AT_FDCWD, pattern) && Fails("mkstemp")) {
        return -1;
    }
    return NEXT(mkstemp64)(pattern);
}

int mkostemp(char* pattern, int flags) {
    if (PathInside(AT_FDCWD, pattern) && Fails("mkostemp")) {
        return -1;
    }
    return NEXT(mkostemp)(pattern, flags);
}

int mkstemps(char* pattern, int suffix) {
    if (PathInside(AT_FDCWD, pattern) && Fails("mkstemps")) {
        return -1;
    }
    return NEXT(mkstemps)(pattern, suffix);
}

ssize_t write(int fd, const void* data, size_t count) {
    if (FdInside(fd) && Fails("write")) {
        return -1;
    }
    return NEXT(write)(fd, data, count);
}

ssize_t pwrite(int fd, const void* data, size_t count, off_t offset) {
    if (FdInside(fd) && Fails("pwrite")) {
        return -1;
    }
    return NEXT(pwrite)(fd, data, count, offset);
}

ssize_t pwrite64(int fd, const void* data, size_t count, off64_t offset) {
    if (FdInside(fd) && Fails("pwrite")) {
        return -1;
    }
    return NEXT(pwrite64)(fd, data, count, offset);
}

ssize_t writev(int fd, const struct iovec* parts, int count) {
    if (FdInside(fd) && Fails("writev")) {
        return -1;
    }
    return NEXT(writev)(fd, parts, count);
}

ssize_t pwritev(int fd, const struct iovec* parts, int count, off_t offset) {
    if (FdInside(fd) && Fails("pwritev")) {
        return -1;
    }
    return NEXT(pwritev)(fd, parts, count, offset);
}

static int IsFolder(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
}

int fsync(int fd) {
    if (FdInside(fd) && Fails(IsFolder(fd) ? "fsync-folder" : "fsync")) {
        return -1;
    }
    return NEXT(fsync)(fd);
}

int fdatasync(int fd) {
    if (FdInside(fd) && Fails("fdatasync")) {
        return -1;
    }
    return NEXT(fdatasync)(fd);
}

int ftruncate(int fd, off_t length) {
    if (FdInside(fd) && Fails("ftruncate")) {
        return -1;
    }
    return NEXT(ftruncate)(fd, length);
}

int ftruncate64(int fd, off64_t length) {
    if (FdInside(fd) && Fails("ftruncate")) {
        return -1;
    }
    return NEXT(ftruncate64)(fd, length);
}

/* A failed close still closes the file, as the kernel's does. */
int close(int fd) {
    const int flags = fd >= 0 ? fcntl(fd, F_GETFL) : -1;
    if (flags >= 0 && (flags & O_ACCMODE) != O_RDONLY && FdInside(fd) && Fails("close")) {
        NEXT(close)(fd);
        errno = g_errno;
        return -1;
    }
    return NEXT(close)(fd);
}

int rename(const char* from, const char* to) {
    if ((PathInside(AT_FDCWD, from) || PathInside(AT_FDCWD, to)) &&
        (Fails("rename") || Refused())) {
        return -1;
    }
    return NEXT(rename)(from, to);
}

int renameat(int fromDir, const char* from, int toDir, const char* to) {
    if ((PathInside(fromDir, from) || PathInside(toDir, to)) && (Fails("renameat") || Refused())) {
        return -1;
    }
    return NEXT(renameat)(fromDir, from, toDir, to);
}

int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
    if (PathInside(toDir, to) && Fails("linkat")) {
        return -1;
    }
    return NEXT(linkat)(fromDir, from, toDir, to, flags);
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned int flags) {
    if ((PathInside(fromDir, from) || PathInside(toDir, to)) && (Fails("renameat2") || Refused())) {
        return -1;
    }
    return NEXT(renameat2)(fromDir, from, toDir, to, flags);
}
