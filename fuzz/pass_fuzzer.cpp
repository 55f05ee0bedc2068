// libFuzzer target: one whole run of the pass per input, in process.
//
// Input layout: the first byte gives the number of options (its value modulo
// 5); each option is the bytes up to the next NUL (or the end of the input),
// handed to the option scan as one argument, so only arguments led by '-',
// '/' or '$' reach the option parser. Everything after the options is the
// exchange file, byte for byte.
//
// Each iteration puts the run state back to its start values, writes the
// exchange file into a directory of this process on /dev/shm (or TMPDIR), and
// runs the counting copy, then what the driver runs between opening the files
// and closing them, by the same call (run_pass: the reader with every fill it
// triggers, the final fill, the debug level 3 block and the restoring block);
// then both files are closed, so the file pool starts each iteration empty.
//
// Besides the sanitizers, each iteration checks what must hold whatever the
// input: the counting copy counts the lines as a plain byte loop counts them,
// both files close without an error, the fill string and the pattern
// text stay terminated inside their buffers, the output keeps the host
// contract's check of every record and every fill (tools/drafthost: CR LF
// line ends, no record the program does not write, no inf or nan where the
// host reads numbers, each fill as long as its line allows), and it ends
// with the restoring block as the C library formats it, on lines of its own.
// An input whose size is a
// multiple of 8 is run a second time, and both runs must write the same bytes:
// what one run leaves behind (a value the reset misses, a cache) must not
// change the next.
//
// Debug levels are kept rare and cheap: a level set by the options stays only
// when the count byte is 0xE0 or more and the exchange file has at most 128
// bytes (the level-2 trace writes a line per character of every fill, which
// on a long file of text records costs a thousand ordinary runs); otherwise
// it goes back to 0 after the option scan. What the program prints on standard output and
// through the C library's stderr ("illegal Option." and the like) goes to
// /dev/null unless LINETEXT_FUZZ_STDOUT=1; libFuzzer and the sanitizers keep
// their own handle on standard error.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "contract.h"
#include "run/contract.h"
#include "run/handoff.h"
#include "run/options.h"
#include "run/pass.h"
#include "run/state.h"
#include "run_reset.h"

namespace {

std::string dir, in_name, out_name;
FILE* report = stderr;

[[noreturn]] void finding(const char* what) {
    std::fprintf(report, "linetext fuzz: %s\n", what);
    std::abort();
}

void write_file(const std::string& name, const uint8_t* p, size_t n) {
    int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0 || write(fd, p, n) != static_cast<ssize_t>(n) || close(fd) != 0) finding("cannot write the input file");
}

std::string read_file(const std::string& name) {
    std::string s;
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) finding("cannot read the output back");
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

// The number of lines the counting copy must find: the reads of at most
// RECORD_READ_SIZE - 1 characters that the text-mode reader makes, a CR LF
// being one line end.
unsigned reference_count(const uint8_t* p, size_t n) {
    unsigned count = 0;
    size_t len = 0;  // characters of the current read so far
    for (size_t k = 0; k < n; k++) {
        if (p[k] == '\r' && k + 1 < n && p[k + 1] == '\n') continue;  // translated away
        len++;
        if (p[k] == '\n' || len == RECORD_READ_SIZE - 1) {
            count++;
            len = 0;
        }
    }
    return len > 0 ? count + 1 : count;
}

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = std::getenv("LINETEXT_FUZZ_DIR");
    if (!base)
        base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    std::string tmpl = std::string(base) + "/linetext-fuzz-XXXXXX";
    std::string buf = tmpl;
    if (!mkdtemp(&buf[0])) finding("cannot make the work directory");
    dir = buf;
    in_name = dir + "/" EXCHANGE_FILE;
    out_name = dir + "/" WORKING_COPY;
    const char* show = std::getenv("LINETEXT_FUZZ_STDOUT");
    if (!(show && std::strcmp(show, "1") == 0)) {
        if (!std::freopen("/dev/null", "w", stdout)) finding("cannot send standard output to /dev/null");
        if (FILE* null = std::fopen("/dev/null", "w")) stderr = null;
    }
    std::atexit([] {
        std::remove(in_name.c_str());
        std::remove(out_name.c_str());
        rmdir(dir.c_str());
    });
    return 0;
}

// One whole run; returns the output.
static std::string run(const uint8_t* data, size_t size) {
    reset_run_state();

    // Options: argv[0] is the program name, then up to four arguments.
    static char args[5][512];
    static char* argv[6];
    int argc = 1;
    std::strcpy(args[0], "linetext");
    argv[0] = args[0];
    size_t pos = 0;
    int options = size > 0 ? data[pos++] % 5 : 0;
    for (int k = 0; k < options; k++) {
        size_t n = 0;
        while (pos < size && data[pos] != 0) {
            if (n < sizeof args[0] - 1) args[argc][n++] = static_cast<char>(data[pos]);
            pos++;
        }
        if (pos < size) pos++;  // the NUL
        args[argc][n] = '\0';
        argv[argc] = args[argc];
        argc++;
    }
    argv[argc] = nullptr;
    scan_options(argc, argv);
    if (size == 0 || data[0] < 0xE0 || size - pos > 128) isTest = 0;

    write_file(in_name, data + pos, size - pos);
    unsigned jd_xmax = Tcopy(in_name.c_str(), out_name.c_str());
    if (jd_xmax != reference_count(data + pos, size - pos)) finding("the counting copy miscounted the lines");
    fpw = tf_open_new(out_name.c_str());
    fp = tf_open_read(in_name.c_str());
    if (!fpw || !fp) finding("cannot open the files of the pass");

    run_pass(jd_xmax);  // main's own step between the opens and the closes

    if (tf_close(fp, 0) != 0) finding("the exchange file reported a read error");
    if (tf_close(fpw, 0) != 0) finding("the working copy reported a write error");
    fp = fpw = nullptr;

    if (ChS001[PATTERN_MAX] != '\0' || std::strlen(ChS001) > PATTERN_MAX)
        finding("pattern text not terminated in its buffer");
    if (std::strlen(ChSTR) > FILL_MAX + 2) finding("fill string longer than FILL_MAX + 2 bytes");

    std::string out = read_file(out_name);
    // The host contract's check of every record and of every fill against its line.
    const drafthost::RecordCheck records = drafthost::check_records(out);
    if (!records.problems.empty()) finding(records.problems[0].c_str());
    const std::vector<std::string> fills = drafthost::check_fills(records, {argv + 1, argv + argc});
    if (!fills.empty()) finding(fills[0].c_str());
    // The restoring block, formatted by the C library, ends the output on
    // lines of its own: an echo without a line end must not swallow it.
    char block[256];
    std::snprintf(block, sizeof block, "lg%x\r\nly%x\r\nlt%d\r\nlc%d\r\n", static_cast<unsigned>(GROUPi),
                  static_cast<unsigned>(LAYERi), TYPEi, COLORi);
    std::string tail = block;
    if (TENSi <= 9) {
        std::snprintf(block, sizeof block, "pn%d\r\n", TENSi);
        tail += block;
    }
    if (!ends_with(out, tail)) finding("the output does not end with the restoring block");
    if (out.size() > tail.size() && out[out.size() - tail.size() - 1] != '\n')
        finding("the restoring block runs into the line before it");
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string first = run(data, size);
    if (size % 8 == 0 && run(data, size) != first) finding("a second run of the same input wrote other bytes");
    return 0;
}
