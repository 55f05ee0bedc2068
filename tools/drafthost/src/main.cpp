// drafthost: runs a program the way the drafting host does and checks what it
// hands back. See README.md.
#include <getopt.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
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
    "usage: drafthost [--name NAME] [OUTPUT...] DRAWING -- PROGRAM [ARGS...]\n"
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

// What the command line asks for.
struct Args {
    SessionOptions options;  // --stdout and --stderr in options.launch
    bool have_drawing = false;
    std::string svg_path;
    std::string check_dir, status_text;  // --check
    bool args_reencoded = false;
};

// Returned by the steps that read the command line when the run goes on;
// any other value is the exit status to end with.
const int kGoOn = -1;

// The options and DRAWING before "--"; leaves i at PROGRAM (0 when there is
// no "--").
int read_options(int argc, char** argv, Args& a, int& i) {
    static const option kOptions[] = {{"name", required_argument, nullptr, 'n'},
                                      {"svg", required_argument, nullptr, 'g'},
                                      {"dir", required_argument, nullptr, 'd'},
                                      {"stdout", required_argument, nullptr, 'o'},
                                      {"stderr", required_argument, nullptr, 'e'},
                                      {"check", required_argument, nullptr, 'c'},
                                      {"status", required_argument, nullptr, 's'},
                                      {"args-reencoded", no_argument, nullptr, 'r'},
                                      {"no-stdin", no_argument, nullptr, 'i'},
                                      {"help", no_argument, nullptr, 'h'},
                                      {nullptr, 0, nullptr, 0}};
    opterr = 0;
    // '+': the options end at the first word that is none, so that PROGRAM's
    // are never taken for ours; that word is DRAWING, and the options go on.
    for (i = 0;;) {
        const int at = optind, c = getopt_long(argc, argv, "+:h", kOptions, nullptr);
        if (c == -1 && optind == at + 1) i = optind;  // past the "--"
        if (c == -1 && (i || optind >= argc)) return kGoOn;
        if (c == -1) {
            if (a.have_drawing) return usage_error("more than one DRAWING (is the -- missing?)");
            a.options.drawing_path = argv[optind++];
            a.have_drawing = true;
            continue;
        }
        const std::string arg = argv[at], flag = arg.substr(0, arg.find('='));
        if (c == 'h') {
            std::cout << kUsage << kHelp;
            return 0;
        }
        if (c == '?') return usage_error("unknown option " + arg);
        if (c == 'r') a.args_reencoded = true;
        if (c == 'i') a.options.launch.no_stdin = true;
        if (c == 'r' || c == 'i') continue;
        if (c == ':' || !*optarg) return usage_error(flag + " needs a value");
        Launch& l = a.options.launch;
        std::string& value = c == 'n'   ? a.options.name.emplace()
                             : c == 'g' ? a.svg_path
                             : c == 'd' ? a.options.prepared_dir.emplace()
                             : c == 'o' ? l.out
                             : c == 'e' ? l.err
                             : c == 'c' ? a.check_dir
                                        : a.status_text;
        value = optarg;
    }
}

int parse_args(int argc, char** argv, Args& a) {
    int i = 0;
    const int read = read_options(argc, argv, a, i);
    if (read != kGoOn) return read;
    const SessionOptions& o = a.options;
    if (!a.check_dir.empty()) {
        if (o.prepared_dir) return usage_error("--check takes no --dir");
        if (!a.have_drawing) return usage_error("--check needs the DRAWING the run was given");
        if (a.status_text.empty()) return usage_error("--check needs the run's --status N");
    } else if (!a.status_text.empty()) {
        return usage_error("--status goes with --check");
    } else if (o.prepared_dir) {
        if (a.have_drawing) return usage_error("--dir takes no DRAWING: the drawing is in DIR");
    } else if (!a.have_drawing) {
        return usage_error("no DRAWING given");
    }
    if (i == 0) return usage_error("no -- before PROGRAM");
    if (i >= argc) return usage_error("no PROGRAM after --");
    if (o.name) {
        if (o.name->empty() || *o.name == "." || *o.name == ".." || o.name->find('/') != std::string::npos)
            return usage_error("NAME must be a plain file name");
        if (clashes_with_handoff(*o.name))
            return usage_error("NAME " + *o.name + " is one of the hand-off's own file names");
    }
    a.options.launch.command.assign(argv + i, argv + argc);
    return kGoOn;
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

// The problems and the verdict; returns drafthost's exit status.
int report_verdict(const std::vector<std::string>& problems, bool picture_failed) {
    for (const std::string& p : problems) std::cout << "problem: " << p << "\n";
    if (problems.empty()) std::cout << "verdict: contract kept\n";
    else
        std::cout << "verdict: contract broken (" << problems.size()
                  << (problems.size() == 1 ? " problem" : " problems") << ")\n";
    return picture_failed ? 2 : problems.empty() ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
    Args a;
    const int parsed = parse_args(argc, argv, a);
    if (parsed != kGoOn) return parsed;
    const bool check_only = !a.check_dir.empty();

    Session s;
    RunFacts f;
    const Launch& l = a.options.launch;
    try {
        s = check_only ? fresh_session(a.options) : run_session(a.options);
        if (check_only) {  // a run already made, as --check describes it
            s.dir = a.check_dir;
            s.after = read_dir(a.check_dir);
            s.status.code = std::atoi(a.status_text.c_str()) & 255;
        }
        // Standard error is checked when it was kept apart from standard output.
        if (!l.err.empty() && l.err != l.out) f.err = read_file(l.err);
    } catch (const SetupError& e) {
        std::cerr << "drafthost: " << e.what() << "\n";
        return 2;
    }

    f.status = s.status;
    const std::vector<std::string>& c = l.command;
    f.args.assign(c.begin() + 1, c.end());
    // The argument before it is the program (an emulator or a switch of user
    // may stand in front of that).
    const std::string& last = c.back();
    f.query = (last == "--help" || last == "/?" || last == "-?" || last == "--version") &&
              (c.size() == 2 || std::filesystem::is_regular_file(c[c.size() - 2]));
    f.prepared = s.prepared;
    f.after = s.after;
    f.measure_fills = !a.args_reencoded;
    const Verdict v = check_run(f);
    // The report's head: how the program ended, its debug level and where it ran.
    std::cout << "exit status: " << describe(s.status) << "\n";
    if (!check_only) std::cout << "debug level: " << s.level << "\n";
    if (a.options.prepared_dir) {
        std::cout << "working directory (prepared): " << s.dir << "\n";
        std::cout << "drawing: " << (s.prepared.name ? *s.prepared.name : "none, no exchange file") << "\n";
    }
    for (const std::string& n : v.ending.notes) std::cout << "note: " << n << "\n";
    if (v.ending.returned) report_records(*v.ending.returned, v.ending.returned_is_result, v.records);
    else std::cout << "summary: no records returned\n";
    const bool picture_failed = !a.svg_path.empty() && !write_picture(a.svg_path, s.drawing, v.records);
    return report_verdict(v.problems, picture_failed);
}
