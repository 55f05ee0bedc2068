#include "runner.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace drafthost {

namespace fs = std::filesystem;

#ifdef _WIN32

// Arguments are joined with blanks, unquoted: ours hold none.
ExitStatus run_program(const Launch& l) {
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    auto open = [&](const std::string& path, DWORD access, DWORD how) {
        HANDLE h = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, how, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) throw SetupError("cannot write " + path);
        return h;
    };
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    HANDLE ho = l.out.empty() ? err : open(l.out, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE he = l.err.empty() ? err : l.err == l.out ? ho : open(l.err, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE hi = l.no_stdin ? nullptr : open("NUL", GENERIC_READ, OPEN_EXISTING);
    STARTUPINFOA si;
    memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = hi, si.hStdOutput = ho, si.hStdError = he;
    std::string cmd = fs::path(l.command.at(0)).stem().string();
    for (std::size_t i = 1; i < l.command.size(); i++) cmd += " " + l.command[i];
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back(0);
    PROCESS_INFORMATION pi;
    // Wine, short of resources on a busy machine, now and then fails to start
    // a process at all; it is simply started again.
    bool started = false;
    for (int tries = 0; !started && tries < 5; tries++) {
        if (tries) Sleep(200);
        started = CreateProcessA(l.command[0].c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, l.dir.c_str(),
                                 &si, &pi);
    }
    const DWORD error = GetLastError();
    if (ho != err) CloseHandle(ho);
    if (he != err && he != ho) CloseHandle(he);
    if (hi) CloseHandle(hi);
    if (!started) throw SetupError("cannot start " + l.command[0] + " (error " + std::to_string(error) + ")");
    if (WaitForSingleObject(pi.hProcess, l.limit_seconds ? l.limit_seconds * 1000 : INFINITE) == WAIT_TIMEOUT) {
        TerminateProcess(pi.hProcess, 124);
        WaitForSingleObject(pi.hProcess, INFINITE);
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess), CloseHandle(pi.hThread);
    ExitStatus s;
    s.code = static_cast<int>(code & 255);
    return s;
}

#else

ExitStatus run_program(const Launch& l) {
    auto open_out = [](const std::string& path) {
        if (path.empty()) return 2;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) throw SetupError("cannot write " + path + ": " + std::strerror(errno));
        return fd;
    };
    const int out = open_out(l.out), err = l.err == l.out ? out : open_out(l.err);
    std::string program = l.command.at(0);
    if (program.find('/') != std::string::npos) program = fs::absolute(program).string();
    std::vector<char*> argv;
    for (const std::string& a : l.command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // fork, not posix_spawn: glibc's posix_spawn runs the child in our memory
    // until the exec, and Linux counts that memory's peak in the child's
    // ru_maxrss, which benchtime reports as the program's own. The child's
    // errno, should it not reach the program, comes back through a pipe that
    // the exec closes.
    int failed[2];
    if (::pipe2(failed, O_CLOEXEC) != 0) throw SetupError(std::string("pipe: ") + std::strerror(errno));
    const pid_t pid = ::fork();
    if (pid == 0) {
        int in = -1;
        bool ok = ::chdir(l.dir.c_str()) == 0;
        if (ok && l.no_stdin) ::close(0);
        else if (ok) ok = (in = ::open("/dev/null", O_RDONLY)) >= 0 && ::dup2(in, 0) == 0 && (in == 0 || !::close(in));
        if (ok && ::dup2(out, 1) == 1 && ::dup2(err, 2) == 2) ::execvp(program.c_str(), argv.data());
        const int e = errno;
        (void)!::write(failed[1], &e, sizeof e);
        ::_exit(127);
    }
    int e = pid < 0 ? errno : 0;
    ::close(failed[1]);
    if (pid > 0 && ::read(failed[0], &e, sizeof e) == sizeof e) ::waitpid(pid, nullptr, 0);
    ::close(failed[0]);
    for (int fd : {out, err})
        if (fd != 2 && !(fd == err && err == out)) ::close(fd);
    if (e == ENOENT || e == EACCES || e == ENOEXEC)
        throw SetupError("cannot run " + l.command[0] +
                         (program.find('/') == std::string::npos ? ": not found in PATH" : ": not an executable file"));
    if (e) throw SetupError("cannot start " + l.command[0] + ": " + std::strerror(e));
    // A run still going after the limit is ended by SIGALRM, as one that hangs.
    struct sigaction wake = {};
    wake.sa_handler = [](int) {};  // no restart: the wait below returns
    if (l.limit_seconds) ::sigaction(SIGALRM, &wake, nullptr), ::alarm(l.limit_seconds);
    int raw = 0;
    struct rusage ru = {};
    while (::wait4(pid, &raw, 0, &ru) < 0)
        if (errno != EINTR) throw SetupError(std::string("wait4: ") + std::strerror(errno));
        else ::kill(pid, SIGALRM);
    ::alarm(0);
    ExitStatus s;
    s.signalled = WIFSIGNALED(raw);
    s.code = s.signalled ? WTERMSIG(raw) : WEXITSTATUS(raw);
    s.max_rss_kib = ru.ru_maxrss;
    return s;
}

#endif

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in || in.bad()) throw SetupError("cannot read " + path);
    return bytes;
}

DirState read_dir(const std::string& dir) {
    DirState state;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) {
        DirEntry entry;
        const fs::file_status st = e.symlink_status();
        entry.regular = fs::is_regular_file(st);
        if (entry.regular) {
            entry.bytes = read_file(e.path().string());
        } else if (fs::is_symlink(st)) {
            entry.other = "symbolic link to " + fs::read_symlink(e.path(), ec).string();
            if (ec) throw SetupError("cannot read the link " + e.path().string() + ": " + ec.message());
        } else {
            entry.other = fs::is_directory(st) ? "directory" : "special file";
        }
        state[e.path().filename().string()] = std::move(entry);
    }
    if (ec) throw SetupError("cannot list " + dir + ": " + ec.message());
    return state;
}

}  // namespace drafthost
