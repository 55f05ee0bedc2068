// POSIX side of the platform layer.
#ifndef _WIN32

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "platform/os.h"

OsFile os_open_read(const char* name) {
    int fd;
    do fd = open(name, O_RDONLY);
    while (fd < 0 && errno == EINTR);
    return fd < 0 ? OS_NO_FILE : fd;
}

OsFile os_open_write(const char* name) {
    int fd;
    do fd = open(name, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    while (fd < 0 && errno == EINTR);
    return fd < 0 ? OS_NO_FILE : fd;
}

OsFile os_create_new(const char* name) {
    // Whatever is left under the name goes; should it stay, the exclusive
    // create below fails.
    unlink(name);
    int fd;
    do fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
    while (fd < 0 && errno == EINTR);
    return fd < 0 ? OS_NO_FILE : fd;
}

long os_read(OsFile f, void* buf, long n) {
    for (;;) {
        ssize_t r = read(static_cast<int>(f), buf, static_cast<size_t>(n));
        if (r >= 0) return static_cast<long>(r);
        if (errno != EINTR) return -1;
    }
}

long os_write(OsFile f, const void* buf, long n) {
    const char* p = static_cast<const char*>(buf);
    long done = 0;
    while (done < n) {
        ssize_t w = write(static_cast<int>(f), p + done, static_cast<size_t>(n - done));
        if (w < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (w == 0) return -1;
        done += w;
    }
    return done;
}

int os_sync(OsFile f) {
    int r;
    do r = fsync(static_cast<int>(f));
    while (r != 0 && errno == EINTR);
    if (r == 0) return 0;
    // Devices and pipes cannot be synced; that is no loss of data.
    return (errno == EINVAL || errno == EROFS || errno == ENOTSUP) ? 0 : -1;
}

void os_write_behind(OsFile f, long long offset, long long n) {
#ifdef __linux__
    sync_file_range(static_cast<int>(f), offset, n, SYNC_FILE_RANGE_WRITE);
#else
    (void)f, (void)offset, (void)n;
#endif
}

int os_close(OsFile f) { return close(static_cast<int>(f)) == 0 || errno == EINTR ? 0 : -1; }

int os_replace(const char* from, const char* to) { return rename(from, to) == 0 ? 0 : -1; }

int os_sync_dir() {
    int fd;
    do fd = open(".", O_RDONLY | O_DIRECTORY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    int r = os_sync(fd);
    close(fd);
    return r;
}

static int same_ignoring_case(const char* a, const char* b) {
    for (; *a && *b; a++, b++) {
        char x = *a, y = *b;
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return 0;
    }
    return *a == *b;
}

int os_find_case_variant(const char* lower, const char* upper, char* out) {
    DIR* d = opendir(".");
    if (!d) return 0;
    int found = 0;
    while (struct dirent* e = readdir(d)) {
        const char* n = e->d_name;
        if (!same_ignoring_case(n, lower) || strcmp(n, upper) == 0) continue;
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
    closedir(d);
    return found ? 1 : 0;
}

#endif
