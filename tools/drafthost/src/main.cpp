// drafthost: runs a program the way the drafting host does and checks what it
// hands back. See README.md.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

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

}  // namespace

int main(int argc, char** argv) {
    SessionOptions options;
    std::string svg_path, stdout_path, stderr_path;
    bool have_drawing = false;
    int i = 1;
    for (; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--") break;
        if (a == "--help" || a == "-h") {
            std::cout << kUsage << kHelp;
            return 0;
        }
        std::string* target = nullptr;
        std::string flag = a.substr(0, a.find('='));
        if (flag == "--name") target = &options.name.emplace();
        else if (flag == "--svg") target = &svg_path;
        else if (flag == "--keep") target = &options.keep_dir.emplace();
        else if (flag == "--dir") target = &options.prepared_dir.emplace();
        else if (flag == "--stdout") target = &stdout_path;
        else if (flag == "--stderr") target = &stderr_path;
        if (target) {
            if (a.size() > flag.size()) {
                *target = a.substr(flag.size() + 1);
            } else if (i + 1 < argc) {
                *target = argv[++i];
            } else {
                return usage_error(flag + " needs a value");
            }
            if (target->empty()) return usage_error(flag + " needs a value");
            continue;
        }
        if (a.size() > 1 && a[0] == '-') return usage_error("unknown option " + a);
        if (have_drawing) return usage_error("more than one DRAWING (is the -- missing?)");
        options.drawing_path = a;
        have_drawing = true;
    }
    if (options.prepared_dir) {
        if (have_drawing) return usage_error("--dir takes no DRAWING: the drawing is in DIR");
        if (options.keep_dir) return usage_error("--dir and --keep exclude each other");
    } else if (!have_drawing) {
        return usage_error("no DRAWING given");
    }
    if (i >= argc) return usage_error("no -- before PROGRAM");
    if (i + 1 >= argc) return usage_error("no PROGRAM after --");
    if (options.name) {
        if (!plain_file_name(*options.name)) return usage_error("NAME must be a plain file name");
        if (clashes_with_handoff(*options.name))
            return usage_error("NAME " + *options.name + " is one of the hand-off's own file names");
    }
    options.command.assign(argv + i + 1, argv + argc);
    if (!stdout_path.empty() && (options.stdout_fd = open_output(stdout_path, "", -1)) < 0) return 2;
    if (!stderr_path.empty() && (options.stderr_fd = open_output(stderr_path, stdout_path, options.stdout_fd)) < 0)
        return 2;

    Session s;
    try {
        s = run_session(options);
    } catch (const SetupError& e) {
        std::cerr << "drafthost: " << e.what() << "\n";
        return 2;
    }

    EndingCheck ending = check_ending(s.status, s.level, s.prepared, s.after);
    std::vector<std::string> problems = ending.problems;

    std::cout << "exit status: " << describe(s.status) << "\n";
    std::cout << "debug level: " << s.level << "\n";
    if (options.prepared_dir) {
        std::cout << "working directory (prepared): " << s.dir << "\n";
        std::cout << "drawing: " << (s.prepared.name ? *s.prepared.name : "none, no exchange file") << "\n";
    } else if (s.kept) {
        std::cout << "working directory kept: " << s.dir << "\n";
    }
    RecordCheck records;
    if (ending.returned) records = check_records(s.after.at(*ending.returned).bytes);
    for (const std::string& n : ending.notes) std::cout << "note: " << n << "\n";
    for (const std::string& n : records.notes) std::cout << "note: " << n << "\n";

    if (ending.returned) {
        std::cout << "--- " << *ending.returned
                  << (ending.returned_is_result ? " (the result the host reads)" : " (left behind)") << ", "
                  << records.lines.size() << (records.lines.size() == 1 ? " line\n" : " lines\n");
        for (const Line& l : records.lines) std::cout << sjis_to_report(l.text) << "\n";
        std::cout << "--- end of " << *ending.returned
                  << (!records.lines.empty() && records.lines.back().end == LineEnd::None
                          ? " (last line without line end)"
                          : "")
                  << "\n";
        std::cout << "summary: " << summary(records) << "\n";
        problems.insert(problems.end(), records.problems.begin(), records.problems.end());
    } else {
        std::cout << "summary: no records returned\n";
    }

    bool picture_failed = false;
    if (!svg_path.empty()) {
        std::ofstream out(svg_path, std::ios::binary);
        out << make_svg(parse_drawing(s.drawing), placed_texts(records));
        out.close();
        if (out) {
            std::cout << "picture: " << svg_path << "\n";
        } else {
            std::cerr << "drafthost: cannot write " << svg_path << "\n";
            picture_failed = true;
        }
    }

    for (const std::string& p : problems) std::cout << "problem: " << p << "\n";
    if (problems.empty()) std::cout << "verdict: contract kept\n";
    else
        std::cout << "verdict: contract broken (" << problems.size()
                  << (problems.size() == 1 ? " problem" : " problems") << ")\n";
    std::cout.flush();
    if (picture_failed) return 2;
    return problems.empty() ? 0 : 3;
}
