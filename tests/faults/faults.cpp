// A fault injector, loaded with LD_PRELOAD into a dynamically linked linetext:
// it counts the program's calls of each file-system function and makes one of
// them misbehave. Set in the environment:
//
//   FAULT_CALL   the function (open, read, write, fsync, close, rename,
//                unlink, opendir, readdir, closedir, sync_file_range)
//   FAULT_N      which call of it, counted from 1
//   FAULT_MODE   once   the Nth call fails with FAULT_ERRNO (a number)
//                from   every call from the Nth on fails so
//                eintr  the Nth call fails with EINTR, doing nothing
//                short  from the Nth call on, read and write move at most
//                       half the bytes asked for (at least one)
//                kill_before / kill_after  SIGKILL just before or just
//                       after the Nth call
//   FAULT_COUNTS a file that receives "function count" lines at exit
//   FAULT_LOG    a file that receives one line for the fault injected: the
//                function and what its descriptor is ("file" or "dir")
//
// Calls inside the C library (its stdio, the opendir's own open) are not
// seen: only what the program itself calls.
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum Call { OPEN, READ, WRITE, FSYNC, CLOSE, RENAME, UNLINK, OPENDIR, READDIR, CLOSEDIR, SYNC_RANGE, CALLS };
const char* const names[CALLS] = {"open",   "read",    "write",   "fsync",    "close",          "rename",
                                  "unlink", "opendir", "readdir", "closedir", "sync_file_range"};

enum Mode { NONE, ONCE, FROM, EINTR_ONCE, SHORT, KILL_BEFORE, KILL_AFTER };

int target = -1;
unsigned long n_target = 0;
Mode mode = NONE;
int fault_errno = EIO;
unsigned long counts[CALLS];

__attribute__((constructor)) void setup() {
    const char* c = getenv("FAULT_CALL");
    for (int i = 0; c && i < CALLS; i++)
        if (strcmp(c, names[i]) == 0) target = i;
    if (const char* n = getenv("FAULT_N")) n_target = strtoul(n, nullptr, 10);
    if (const char* e = getenv("FAULT_ERRNO")) fault_errno = atoi(e);
    const char* m = getenv("FAULT_MODE");
    if (!m) m = "";
    mode = !strcmp(m, "once")          ? ONCE
           : !strcmp(m, "from")        ? FROM
           : !strcmp(m, "eintr")       ? EINTR_ONCE
           : !strcmp(m, "short")       ? SHORT
           : !strcmp(m, "kill_before") ? KILL_BEFORE
           : !strcmp(m, "kill_after")  ? KILL_AFTER
                                       : NONE;
}

__attribute__((destructor)) void report() {
    const char* path = getenv("FAULT_COUNTS");
    if (!path) return;
    FILE* f = fopen(path, "w");
    if (!f) return;
    for (int i = 0; i < CALLS; i++) fprintf(f, "%s %lu\n", names[i], counts[i]);
    fclose(f);
}

void log_fault(int call, int fd) {
    const char* path = getenv("FAULT_LOG");
    if (!path) return;
    const char* what = "-";
    struct stat st;
    if (fd >= 0 && fstat(fd, &st) == 0) what = S_ISDIR(st.st_mode) ? "dir" : "file";
    FILE* f = fopen(path, "a");
    if (!f) return;
    fprintf(f, "%s %s\n", names[call], what);
    fclose(f);
}

enum Act { PASS, FAIL, INTR, SHORTEN, KILL_AFTER_CALL };

// What to do with this call of `call`, after counting it.
Act decide(int call, int fd) {
    unsigned long k = ++counts[call];
    if (call != target) return PASS;
    Act a = PASS;
    switch (mode) {
    case ONCE:
        a = k == n_target ? FAIL : PASS;
        break;
    case FROM:
        a = k >= n_target ? FAIL : PASS;
        break;
    case EINTR_ONCE:
        a = k == n_target ? INTR : PASS;
        break;
    case SHORT:
        a = k >= n_target ? SHORTEN : PASS;
        break;
    case KILL_BEFORE:
        if (k == n_target) kill(getpid(), SIGKILL);
        break;
    case KILL_AFTER:
        a = k == n_target ? KILL_AFTER_CALL : PASS;
        break;
    case NONE:
        break;
    }
    if (a == FAIL || (a == INTR && k == n_target)) log_fault(call, fd);
    return a;
}

int fail(Act a) {
    errno = a == INTR ? EINTR : fault_errno;
    return -1;
}

void after(Act a) {
    if (a == KILL_AFTER_CALL) kill(getpid(), SIGKILL);
}

template <typename F>
F real(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    mode_t m = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list ap;
        va_start(ap, flags);
        m = static_cast<mode_t>(va_arg(ap, int));
        va_end(ap);
    }
    Act a = decide(OPEN, -1);
    if (a == FAIL || a == INTR) return fail(a);
    int r = real<int (*)(const char*, int, ...)>("open")(path, flags, m);
    after(a);
    return r;
}

ssize_t read(int fd, void* buf, size_t n) {
    Act a = decide(READ, fd);
    if (a == FAIL || a == INTR) return fail(a);
    if (a == SHORTEN && n > 1) n = (n + 1) / 2;
    ssize_t r = real<ssize_t (*)(int, void*, size_t)>("read")(fd, buf, n);
    after(a);
    return r;
}

ssize_t write(int fd, const void* buf, size_t n) {
    Act a = decide(WRITE, fd);
    if (a == FAIL || a == INTR) return fail(a);
    if (a == SHORTEN && n > 1) n = (n + 1) / 2;
    ssize_t r = real<ssize_t (*)(int, const void*, size_t)>("write")(fd, buf, n);
    after(a);
    return r;
}

int fsync(int fd) {
    Act a = decide(FSYNC, fd);
    if (a == FAIL || a == INTR) return fail(a);
    int r = real<int (*)(int)>("fsync")(fd);
    after(a);
    return r;
}

int close(int fd) {
    Act a = decide(CLOSE, fd);
    if (a == FAIL || a == INTR) return fail(a);
    int r = real<int (*)(int)>("close")(fd);
    after(a);
    return r;
}

int rename(const char* from, const char* to) {
    Act a = decide(RENAME, -1);
    if (a == FAIL || a == INTR) return fail(a);
    int r = real<int (*)(const char*, const char*)>("rename")(from, to);
    after(a);
    return r;
}

int unlink(const char* path) {
    Act a = decide(UNLINK, -1);
    if (a == FAIL || a == INTR) return fail(a);
    int r = real<int (*)(const char*)>("unlink")(path);
    after(a);
    return r;
}

DIR* opendir(const char* path) {
    Act a = decide(OPENDIR, -1);
    if (a == FAIL || a == INTR) return fail(a), nullptr;
    DIR* r = real<DIR* (*)(const char*)>("opendir")(path);
    after(a);
    return r;
}

struct dirent* readdir(DIR* d) {
    Act a = decide(READDIR, dirfd(d));
    if (a == FAIL || a == INTR) return fail(a), nullptr;
    struct dirent* r = real<struct dirent* (*)(DIR*)>("readdir")(d);
    after(a);
    return r;
}

int closedir(DIR* d) {
    Act a = decide(CLOSEDIR, dirfd(d));
    if (a == FAIL || a == INTR) return fail(a);
    int r = real<int (*)(DIR*)>("closedir")(d);
    after(a);
    return r;
}

int sync_file_range(int fd, off64_t offset, off64_t n, unsigned int flags) {
    Act a = decide(SYNC_RANGE, fd);
    if (a == FAIL || a == INTR) return fail(a);
    int r = real<int (*)(int, off64_t, off64_t, unsigned int)>("sync_file_range")(fd, offset, n, flags);
    after(a);
    return r;
}

}  // extern "C"
