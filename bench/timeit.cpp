// benchtime: runs one command and prints its wall time and peak resident
// memory, measured around fork and wait4, with no shell in between.
//
//   benchtime [-C DIR] [-o FILE] -- COMMAND [ARG...]
//
// -C runs the command in DIR; -o sends its standard output to FILE (created
// or emptied). Standard input is /dev/null. Prints one line on standard
// output: "<wall microseconds> <peak RSS KiB> <exit status>".
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    const char* dir = nullptr;
    const char* out = nullptr;
    int k = 1;
    for (; k < argc; k++) {
        if (!std::strcmp(argv[k], "-C") && k + 1 < argc) dir = argv[++k];
        else if (!std::strcmp(argv[k], "-o") && k + 1 < argc) out = argv[++k];
        else if (!std::strcmp(argv[k], "--")) {
            k++;
            break;
        } else break;
    }
    if (k >= argc) {
        std::fprintf(stderr, "usage: benchtime [-C DIR] [-o FILE] -- COMMAND [ARG...]\n");
        return 2;
    }
    timespec t0, t1;
    clock_gettime(CLOCK_MONOTONIC, &t0);
    pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        return 2;
    }
    if (pid == 0) {
        if (dir && chdir(dir) != 0) _exit(126);
        int in = open("/dev/null", O_RDONLY);
        if (in >= 0) dup2(in, 0);
        if (out) {
            int fd = open(out, O_WRONLY | O_CREAT | O_TRUNC, 0666);
            if (fd < 0) _exit(126);
            dup2(fd, 1);
        }
        execvp(argv[k], argv + k);
        _exit(127);
    }
    int status = 0;
    rusage ru{};
    if (wait4(pid, &status, 0, &ru) != pid) {
        std::perror("wait4");
        return 2;
    }
    clock_gettime(CLOCK_MONOTONIC, &t1);
    long long us = (t1.tv_sec - t0.tv_sec) * 1000000LL + (t1.tv_nsec - t0.tv_nsec) / 1000;
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::printf("%lld %ld %d\n", us, ru.ru_maxrss, code);
    return 0;
}
