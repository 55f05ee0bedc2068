// POSIX side of the platform layer.

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include "platform/os.h"
#include "platform/os_calls.h"

OsCalls os_calls = {open,           read, write, fsync, close, rename, unlink, opendir, readdir, closedir,
#ifdef __linux__
                    sync_file_range
#endif
};

// A call made again for as long as a signal interrupts it.
template <class Call>
static auto again(Call call) {
    auto r = call();
    while (r < 0 && errno == EINTR) r = call();
    return r;
}

static OsFile file_of(int fd) { return fd < 0 ? OS_NO_FILE : fd; }

OsFile os_open_read(const char* name) {
    return file_of(again([&] { return os_calls.open(name, O_RDONLY); }));
}

OsFile os_create_new(const char* name) {
    // Whatever is left under the name goes; should it stay, the exclusive
    // create below fails.
    os_calls.unlink(name);
    return file_of(again([&] { return os_calls.open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0666); }));
}

long os_read(OsFile f, void* buf, long n) {
    ssize_t r = again([&] { return os_calls.read(static_cast<int>(f), buf, static_cast<size_t>(n)); });
    return r < 0 ? -1 : static_cast<long>(r);
}

long os_write(OsFile f, const void* buf, long n) {
    const char* p = static_cast<const char*>(buf);
    long done = 0;
    while (done < n) {
        ssize_t w = again([&] { return os_calls.write(static_cast<int>(f), p + done, static_cast<size_t>(n - done)); });
        if (w <= 0) return -1;
        done += w;
    }
    return done;
}

int os_sync(OsFile f) {
    if (again([&] { return os_calls.fsync(static_cast<int>(f)); }) == 0) return 0;
    // Devices and pipes cannot be synced; that is no loss of data.
    return (errno == EINVAL || errno == EROFS || errno == ENOTSUP) ? 0 : -1;
}

void os_write_behind(OsFile f, long long offset, long long n) {
#ifdef __linux__
    os_calls.sync_file_range(static_cast<int>(f), offset, n, SYNC_FILE_RANGE_WRITE);
#else
    (void)f, (void)offset, (void)n;
#endif
}

int os_close(OsFile f) { return os_calls.close(static_cast<int>(f)) == 0 || errno == EINTR ? 0 : -1; }

int os_replace(const char* from, const char* to) { return os_calls.rename(from, to) == 0 ? 0 : -1; }

int os_sync_dir() {
    int fd = again([&] { return os_calls.open(".", O_RDONLY | O_DIRECTORY); });
    if (fd < 0) return -1;
    int r = os_sync(fd);
    os_calls.close(fd);
    return r;
}

int os_find_case_variant(const char* lower, const char* upper, char* out) {
    DIR* d = os_calls.opendir(".");
    if (!d) return 0;
    int found = 0;
    while (struct dirent* e = os_calls.readdir(d)) {
        const char* n = e->d_name;
        if (strcasecmp(n, lower) != 0 || strcmp(n, upper) == 0) continue;
        if (strcmp(n, lower) == 0) {
            strcpy(out, n);
            found = 2;  // the lower-case name wins over every other variant
            break;
        }
        if (!found || strcmp(n, out) < 0) {
            strcpy(out, n);
            found = 1;
        }
    }
    os_calls.closedir(d);
    return found ? 1 : 0;
}
