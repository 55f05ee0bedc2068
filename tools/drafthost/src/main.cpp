// drafthost: runs a program the way the drafting host does and checks what it
// hands back. See README.md.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "contract.h"
#include "ending.h"
#include "records.h"
#include "session.h"
#include "sjis.h"
#include "svg.h"

using namespace drafthost;

namespace {

const char kUsage[] =
    "usage: drafthost [--name NAME] [--keep DIR] [OUTPUT...] DRAWING -- PROGRAM [ARGS...]\n"
    "       drafthost --dir DIR [--name NAME] [OUTPUT...] -- PROGRAM [ARGS...]\n"
    "       drafthost --check DIR --status N [--name NAME] [--stderr FILE]\n"
    "                 DRAWING -- PROGRAM [ARGS...]\n"
    "OUTPUT: --svg FILE, --stdout FILE, --stderr FILE\n";

const char kHelp[] =
    "\n"
    "Runs PROGRAM the way the drafting host does: DRAWING is written as the\n"
    "exchange file JWC_TEMP.TXT into a fresh working directory, PROGRAM is started\n"
    "there with ARGS exactly as given (no shell), and the files it leaves are read\n"
    "back and checked.\n"
    "\n"
    "  --name NAME  write DRAWING under NAME instead of JWC_TEMP.TXT (another case,\n"
    "               e.g. jwc_temp.txt, or a name the program should not find)\n"
    "  --keep DIR   use DIR (empty or not yet there) as the working directory and\n"
    "               leave it behind; otherwise a temporary one is removed at the end\n"
    "  --dir DIR    run in DIR as it has been prepared, and leave it: the drawing is\n"
    "               the entry under NAME, else the one entry named JWC_TEMP.TXT in\n"
    "               any case; with none the host gave no exchange file. What else\n"
    "               is there must be left as it was.\n"
    "  --check DIR  run nothing: check DIR as a run of PROGRAM ARGS left it, which\n"
    "               ended with status N; DIR held only DRAWING under NAME before,\n"
    "               and --stderr FILE holds the run's standard error\n"
    "  --args-reencoded  the arguments reach PROGRAM in another charset (an emulator\n"
    "               re-encodes them): the fills are not measured against them\n"
    "  --no-stdin   start PROGRAM with its standard input closed (a host that gives\n"
    "               it none), not on /dev/null\n"
    "  --svg FILE   also draw the drawing and the returned text records into FILE\n"
    "  --stdout FILE, --stderr FILE\n"
    "               PROGRAM's standard output or error into FILE, unchanged\n"
    "\n"
    "Otherwise PROGRAM's standard output and standard error go, unchanged, to\n"
    "drafthost's standard error; drafthost's standard output carries only its\n"
    "report: the exit status, the returned records (CR LF shown as line ends), a\n"
    "summary line, any problems, and the verdict.\n"
    "\n"
    "Exit status: 0 the ending and the returned file keep the host contract,\n"
    "3 they break it, 2 drafthost could not do its job (usage, unreadable DRAWING,\n"
    "unusable DIR, PROGRAM not startable, an output file not writable).\n";

int usage_error(const std::string& message) {
    std::cerr << "drafthost: " << message << "\n" << kUsage;
    return 2;
}

bool plain_file_name(const std::string& n) {
    return !n.empty() && n != "." && n != ".." && n.find('/') == std::string::npos && n.find('\0') == std::string::npos;
}

// An output file for the program: created or emptied. The same path given
// twice shares one descriptor, so that the two streams interleave as written.
int open_output(const std::string& path, const std::string& other_path, int other_fd) {
    if (!other_path.empty() && path == other_path) return other_fd;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) std::cerr << "drafthost: cannot write " << path << ": " << std::strerror(errno) << "\n";
    return fd;
}

// What the command line asks for.
struct Args {
    SessionOptions options;
    bool have_drawing = false;
    std::string svg_path, stdout_path, stderr_path;
    std::string check_dir, status_text;  // --check
    bool args_reencoded = false;
};

// Returned by the steps that read the command line when the run goes on;
// any other value is the exit status to end with.
const int kGoOn = -1;

// Where the value of an option that takes one goes; null for any other flag.
std::string* value_of(Args& a, const std::string& flag) {
    if (flag == "--name") return &a.options.name.emplace();
    if (flag == "--svg") return &a.svg_path;
    if (flag == "--keep") return &a.options.keep_dir.emplace();
    if (flag == "--dir") return &a.options.prepared_dir.emplace();
    if (flag == "--stdout") return &a.stdout_path;
    if (flag == "--stderr") return &a.stderr_path;
    if (flag == "--check") return &a.check_dir;
    if (flag == "--status") return &a.status_text;
    return nullptr;
}

// The options and DRAWING before "--"; leaves i at the "--" (argc when there
// is none).
int read_options(int argc, char** argv, Args& a, int& i) {
    for (i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage << kHelp;
            return 0;
        }
        if (arg == "--args-reencoded") {
            a.args_reencoded = true;
            continue;
        }
        if (arg == "--no-stdin") {
            a.options.no_stdin = true;
            continue;
        }
        std::string flag = arg.substr(0, arg.find('='));
        if (std::string* target = value_of(a, flag)) {
            if (arg.size() > flag.size()) {
                *target = arg.substr(flag.size() + 1);
            } else if (i + 1 < argc) {
                *target = argv[++i];
            } else {
                return usage_error(flag + " needs a value");
            }
            if (target->empty()) return usage_error(flag + " needs a value");
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') return usage_error("unknown option " + arg);
        if (a.have_drawing) return usage_error("more than one DRAWING (is the -- missing?)");
        a.options.drawing_path = arg;
        a.have_drawing = true;
    }
    return kGoOn;
}

int parse_args(int argc, char** argv, Args& a) {
    int i = 0;
    const int read = read_options(argc, argv, a, i);
    if (read != kGoOn) return read;
    const SessionOptions& o = a.options;
    if (!a.check_dir.empty()) {
        if (o.prepared_dir || o.keep_dir) return usage_error("--check takes neither --dir nor --keep");
        if (!a.have_drawing) return usage_error("--check needs the DRAWING the run was given");
        if (a.status_text.empty()) return usage_error("--check needs the run's --status N");
    } else if (!a.status_text.empty()) {
        return usage_error("--status goes with --check");
    } else if (o.prepared_dir) {
        if (a.have_drawing) return usage_error("--dir takes no DRAWING: the drawing is in DIR");
        if (o.keep_dir) return usage_error("--dir and --keep exclude each other");
    } else if (!a.have_drawing) {
        return usage_error("no DRAWING given");
    }
    if (i >= argc) return usage_error("no -- before PROGRAM");
    if (i + 1 >= argc) return usage_error("no PROGRAM after --");
    if (o.name) {
        if (!plain_file_name(*o.name)) return usage_error("NAME must be a plain file name");
        if (clashes_with_handoff(*o.name))
            return usage_error("NAME " + *o.name + " is one of the hand-off's own file names");
    }
    a.options.command.assign(argv + i + 1, argv + argc);
    return kGoOn;
}

// The program's output files; false when one cannot be written.
bool open_outputs(Args& a) {
    SessionOptions& o = a.options;
    if (!a.stdout_path.empty() && (o.stdout_fd = open_output(a.stdout_path, "", -1)) < 0) return false;
    if (!a.stderr_path.empty() && (o.stderr_fd = open_output(a.stderr_path, a.stdout_path, o.stdout_fd)) < 0)
        return false;
    return true;
}

// The report's head: how the program ended, its debug level and where it ran.
void report_run(const Session& s, const SessionOptions& o) {
    std::cout << "exit status: " << describe(s.status) << "\n";
    std::cout << "debug level: " << s.level << "\n";
    if (o.prepared_dir) {
        std::cout << "working directory (prepared): " << s.dir << "\n";
        std::cout << "drawing: " << (s.prepared.name ? *s.prepared.name : "none, no exchange file") << "\n";
    } else if (s.kept) {
        std::cout << "working directory kept: " << s.dir << "\n";
    }
}

void report_notes(const std::vector<std::string>& notes) {
    for (const std::string& n : notes) std::cout << "note: " << n << "\n";
}

// The returned file's lines between "---" lines, and the summary.
void report_records(const std::string& file, bool is_result, const RecordCheck& records) {
    std::cout << "--- " << file << (is_result ? " (the result the host reads)" : " (left behind)") << ", "
              << records.lines.size() << (records.lines.size() == 1 ? " line\n" : " lines\n");
    for (const Line& l : records.lines) std::cout << sjis_to_report(l.text) << "\n";
    std::cout << "--- end of " << file
              << (!records.lines.empty() && records.lines.back().end == LineEnd::None ? " (last line without line end)"
                                                                                      : "")
              << "\n";
    std::cout << "summary: " << summary(records) << "\n";
}

// False when the picture could not be written.
bool write_picture(const std::string& path, const std::string& drawing, const RecordCheck& records) {
    std::ofstream out(path, std::ios::binary);
    out << make_svg(parse_drawing(drawing), placed_texts(records));
    out.close();
    if (!out) {
        std::cerr << "drafthost: cannot write " << path << "\n";
        return false;
    }
    std::cout << "picture: " << path << "\n";
    return true;
}

// The bytes of a file, or none when it cannot be read.
std::optional<std::string> slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The problems and the verdict; returns drafthost's exit status.
int report_verdict(const std::vector<std::string>& problems, bool picture_failed) {
    for (const std::string& p : problems) std::cout << "problem: " << p << "\n";
    if (problems.empty()) std::cout << "verdict: contract kept\n";
    else
        std::cout << "verdict: contract broken (" << problems.size()
                  << (problems.size() == 1 ? " problem" : " problems") << ")\n";
    std::cout.flush();
    if (picture_failed) return 2;
    return problems.empty() ? 0 : 3;
}

// A run already made, as --check describes it.
Session checked_session(const Args& a) {
    Session s;
    s.dir = a.check_dir;
    const std::optional<std::string> drawing = slurp(a.options.drawing_path);
    if (!drawing) throw SetupError("cannot read " + a.options.drawing_path);
    s.drawing = *drawing;
    const std::string name = a.options.name.value_or(EXCHANGE_FILE);
    s.prepared.name = name;
    s.prepared.before[name] = DirEntry{true, s.drawing, ""};
    s.after = read_dir(a.check_dir);
    s.status.code = std::atoi(a.status_text.c_str()) & 255;
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    Args a;
    const int parsed = parse_args(argc, argv, a);
    if (parsed != kGoOn) return parsed;
    const bool check_only = !a.check_dir.empty();
    if (!check_only && !open_outputs(a)) return 2;

    Session s;
    try {
        s = check_only ? checked_session(a) : run_session(a.options);
    } catch (const SetupError& e) {
        std::cerr << "drafthost: " << e.what() << "\n";
        return 2;
    }

    RunFacts f;
    f.status = s.status;
    const std::vector<std::string>& c = a.options.command;
    f.args.assign(c.begin() + 1, c.end());
    // The argument before it is the program (an emulator or a switch of user
    // may stand in front of that).
    f.query = (c.back() == "--help" || c.back() == "--version") &&
              (c.size() == 2 || std::filesystem::is_regular_file(c[c.size() - 2]));
    f.prepared = s.prepared;
    f.after = s.after;
    f.measure_fills = !a.args_reencoded;
    // Standard error is checked when it was kept apart from standard output.
    if (!a.stderr_path.empty() && a.stderr_path != a.stdout_path) f.err = slurp(a.stderr_path);
    const Verdict v = check_run(f);
    if (check_only) std::cout << "exit status: " << describe(s.status) << "\n";
    else report_run(s, a.options);
    report_notes(v.ending.notes);
    report_notes(v.records.notes);
    if (v.ending.returned) report_records(*v.ending.returned, v.ending.returned_is_result, v.records);
    else std::cout << "summary: no records returned\n";
    const bool picture_failed = !a.svg_path.empty() && !write_picture(a.svg_path, s.drawing, v.records);
    return report_verdict(v.problems, picture_failed);
}
