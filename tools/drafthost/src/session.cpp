#include "session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace drafthost {

namespace fs = std::filesystem;

namespace {

std::string current_dir() {
    std::error_code ec;
    fs::path p = fs::current_path(ec);
    if (ec) throw SetupError("cannot tell the current directory: " + ec.message());
    return p.string();
}

bool runnable(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw SetupError("cannot read " + path);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw SetupError("cannot read " + path);
    return bytes;
}

// A directory's absolute name, without "." or ".." parts or a trailing slash.
std::string absolute_dir(const std::string& dir) {
    fs::path p = fs::absolute(dir).lexically_normal();
    if (!p.has_filename() && p.has_relative_path()) p = p.parent_path();
    return p.string();
}

std::string make_dir(const std::optional<std::string>& keep) {
    if (keep) {
        fs::path p = absolute_dir(*keep);
        std::error_code ec;
        if (fs::exists(p, ec)) {
            if (!fs::is_directory(p, ec)) throw SetupError(*keep + " is not a directory");
            if (!fs::is_empty(p, ec)) throw SetupError(*keep + " is not empty");
        } else if (::mkdir(p.c_str(), 0777) != 0) {
            throw SetupError("cannot make " + *keep + ": " + std::strerror(errno));
        }
        return p.string();
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string base = (tmp && *tmp) ? tmp : "/tmp";
    std::string templ = fs::absolute(base).string() + "/drafthost.XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw SetupError("cannot make a directory in " + base + ": " + std::strerror(errno));
    return buf.data();
}

ExitStatus spawn_and_wait(const std::string& dir, const std::vector<std::string>& command, int out_fd, int err_fd,
                          bool no_stdin) {
    const std::string program = resolve_program(command.at(0));
    std::vector<char*> argv;
    for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int report[2];  // the child writes errno here when it cannot start the program
    if (::pipe2(report, O_CLOEXEC) != 0) throw SetupError(std::string("pipe: ") + std::strerror(errno));
    pid_t pid = ::fork();
    if (pid < 0) {
        ::close(report[0]);
        ::close(report[1]);
        throw SetupError(std::string("fork: ") + std::strerror(errno));
    }
    if (pid == 0) {
        int err = 0;
        int null = ::open("/dev/null", O_RDONLY);
        if (::chdir(dir.c_str()) != 0 || null < 0 || (no_stdin ? ::close(0) : ::dup2(null, 0)) < 0 ||
            ::dup2(out_fd, 1) < 0 || ::dup2(err_fd, 2) < 0) {
            err = errno;
        } else {
            ::execv(program.c_str(), argv.data());
            err = errno;
        }
        ssize_t ignored = ::write(report[1], &err, sizeof err);
        (void)ignored;
        ::_exit(127);
    }
    ::close(report[1]);
    int err = 0;
    ssize_t got;
    do got = ::read(report[0], &err, sizeof err);
    while (got < 0 && errno == EINTR);
    ::close(report[0]);

    int raw = 0;
    while (::waitpid(pid, &raw, 0) < 0) {
        if (errno != EINTR) throw SetupError(std::string("waitpid: ") + std::strerror(errno));
    }
    if (got == static_cast<ssize_t>(sizeof err))
        throw SetupError("cannot start " + command[0] + ": " + std::strerror(err));

    ExitStatus s;
    if (WIFSIGNALED(raw)) {
        s.signalled = true;
        s.code = WTERMSIG(raw);
    } else {
        s.code = WEXITSTATUS(raw);
    }
    return s;
}

// The drawing of a prepared directory: the entry under the name given, or the
// one case variant of the exchange file's name.
std::optional<std::string> find_drawing(const std::string& dir, const DirState& before,
                                        const std::optional<std::string>& name) {
    if (name) {
        if (!before.count(*name)) throw SetupError(dir + " holds nothing under " + *name);
        return name;
    }
    std::vector<std::string> variants;
    for (const auto& [n, e] : before)
        if (name_kind(n) != NameKind::Other) variants.push_back(n);
    if (variants.size() > 1) {
        std::string list;
        for (const std::string& v : variants) list += (list.empty() ? "" : ", ") + v;
        throw SetupError(dir + " holds several names of the exchange file (" + list +
                         "); say with --name which is the drawing");
    }
    if (variants.empty()) return std::nullopt;
    return variants[0];
}

}  // namespace

DirState read_dir(const std::string& dir) {
    DirState state;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) {
        DirEntry entry;
        fs::file_status st = e.symlink_status();
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

std::string resolve_program(const std::string& program) {
    if (program.empty()) throw SetupError("empty PROGRAM");
    if (program.find('/') != std::string::npos) {
        std::string path = program[0] == '/' ? program : current_dir() + "/" + program;
        if (!runnable(path)) throw SetupError("cannot run " + program + ": not an executable file");
        return path;
    }
    const char* env = std::getenv("PATH");
    std::string path = env ? env : "/usr/local/bin:/usr/bin:/bin";
    std::size_t pos = 0;
    for (;;) {
        std::size_t colon = path.find(':', pos);
        std::string entry = path.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos);
        if (entry.empty()) entry = ".";
        if (entry[0] != '/') entry = current_dir() + "/" + entry;
        std::string candidate = entry + "/" + program;
        if (runnable(candidate)) return candidate;
        if (colon == std::string::npos) break;
        pos = colon + 1;
    }
    throw SetupError("cannot run " + program + ": not found in PATH");
}

Session run_session(const SessionOptions& o) {
    if (o.command.empty()) throw SetupError("no PROGRAM given");
    Session s;
    s.level = debug_level(std::vector<std::string>(o.command.begin() + 1, o.command.end()));
    resolve_program(o.command[0]);  // fail before anything is made

    if (o.prepared_dir) {
        std::error_code ec;
        if (!fs::is_directory(*o.prepared_dir, ec)) throw SetupError(*o.prepared_dir + " is not a directory");
        s.dir = absolute_dir(*o.prepared_dir);
        s.kept = true;
        s.prepared.before = read_dir(s.dir);
        s.prepared.name = find_drawing(*o.prepared_dir, s.prepared.before, o.name);
        if (s.prepared.name) s.drawing = s.prepared.before.at(*s.prepared.name).bytes;
        s.status = spawn_and_wait(s.dir, o.command, o.stdout_fd, o.stderr_fd, o.no_stdin);
        s.after = read_dir(s.dir);
        return s;
    }

    const std::string name = o.name.value_or(EXCHANGE_FILE);
    s.drawing = read_file(o.drawing_path);
    s.prepared.name = name;
    s.prepared.before[name] = DirEntry{true, s.drawing, ""};
    s.dir = make_dir(o.keep_dir);
    s.kept = o.keep_dir.has_value();

    struct Cleanup {
        std::string dir;
        bool keep;
        ~Cleanup() {
            if (!keep) {
                std::error_code ec;
                fs::remove_all(dir, ec);
            }
        }
    } cleanup{s.dir, s.kept};

    {
        std::ofstream out(s.dir + "/" + name, std::ios::binary);
        out.write(s.drawing.data(), static_cast<std::streamsize>(s.drawing.size()));
        out.close();
        if (!out) throw SetupError("cannot write " + s.dir + "/" + name);
    }
    s.status = spawn_and_wait(s.dir, o.command, o.stdout_fd, o.stderr_fd, o.no_stdin);
    s.after = read_dir(s.dir);
    return s;
}

}  // namespace drafthost
