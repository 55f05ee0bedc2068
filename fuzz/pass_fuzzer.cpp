// libFuzzer target: one whole run per input, in process, by the call main
// makes (run_linetext), in a directory of this process on /dev/shm (or
// TMPDIR).
//
// Input layout: the first byte gives the number of options (its value modulo
// 5); each option is the bytes up to the next NUL (or the end of the input),
// handed to the run as one argument. Everything after the options is the
// exchange file, byte for byte.
//
// Besides the sanitizers, each iteration checks what must hold whatever the
// input: the counting copy counts the lines as a plain byte loop counts them,
// the run completes, the fill string and the pattern text stay terminated
// inside their buffers, the output keeps the host contract's check of every
// record and every fill (tools/drafthost: CR LF line ends, no record the
// program does not write, no inf or nan where the host reads numbers, each
// fill as long as its line allows), and it ends with the restoring block as
// the C library formats it, on lines of its own. An input whose size is a
// multiple of 8 is run a second time, and both runs must write the same
// bytes: what one run leaves behind (a value the reset misses, a cache) must
// not change the next.
//
// Debug levels are kept rare and cheap: a level set by the options stays only
// when the count byte is 0xE0 or more and the exchange file has at most 128
// bytes (the level-2 trace writes a line per character of every fill, which
// on a long file of text records costs a thousand ordinary runs); otherwise a
// last argument "/T" puts it back to 0 (and else a last "/e", which does
// nothing, so that no run is a lone --help). What the program prints goes to
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
#include "run/handoff.h"
#include "run/run.h"
#include "runner.h"
#include "state/contract.h"
#include "state/state.h"

namespace {

std::string dir;
FILE* report = stderr;

[[noreturn]] void finding(const char* what) {
    std::fprintf(report, "linetext fuzz: %s\n", what);
    std::abort();
}

void write_file(const std::string& name, const uint8_t* p, size_t n) {
    int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0 || write(fd, p, n) != static_cast<ssize_t>(n) || close(fd) != 0) finding("cannot write the input file");
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
    if (chdir(dir.c_str()) != 0) finding("cannot enter the work directory");
    const char* show = std::getenv("LINETEXT_FUZZ_STDOUT");
    if (!(show && std::strcmp(show, "1") == 0)) {
        if (!std::freopen("/dev/null", "w", stdout)) finding("cannot send standard output to /dev/null");
        if (FILE* null = std::fopen("/dev/null", "w")) stderr = null;
    }
    std::atexit([] {
        std::remove(EXCHANGE_FILE);
        std::remove(WORKING_COPY);
        rmdir(dir.c_str());
    });
    return 0;
}

// One whole run; returns the output.
static std::string run(const uint8_t* data, size_t size) {
    // Options: argv[0] is the program name, then up to four arguments and the
    // one that sets the debug level.
    static char args[6][512];
    static char* argv[7];
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
    const bool debug = size > 0 && data[0] >= 0xE0 && size - pos <= 128;
    std::strcpy(args[argc], debug ? "/e" : "/T");
    argv[argc] = args[argc];
    argc++;
    argv[argc] = nullptr;

    write_file(EXCHANGE_FILE, data + pos, size - pos);
    unsigned count = 0;
    if (Tcopy(EXCHANGE_FILE, WORKING_COPY, &count).ended) finding("the counting copy failed");
    if (count != reference_count(data + pos, size - pos)) finding("the counting copy miscounted the lines");
    if (run_linetext(argc, argv) != STATUS_DONE) finding("the run ended early");

    if (S.ChS001[PATTERN_MAX] != '\0' || std::strlen(S.ChS001) > PATTERN_MAX)
        finding("pattern text not terminated in its buffer");
    if (std::strlen(S.ChSTR) > FILL_MAX + 2) finding("fill string longer than FILL_MAX + 2 bytes");

    // At level 0 the result has replaced the exchange file.
    std::string out = drafthost::read_file(S.isTest == TEST_OFF ? EXCHANGE_FILE : WORKING_COPY);
    // The host contract's check of every record and of every fill against its line.
    const drafthost::RecordCheck records = drafthost::check_records(out);
    if (!records.problems.empty()) finding(records.problems[0].c_str());
    const std::vector<std::string> fills = drafthost::check_fills(records, {argv + 1, argv + argc});
    if (!fills.empty()) finding(fills[0].c_str());
    // The restoring block, formatted by the C library, ends the output on
    // lines of its own: an echo without a line end must not swallow it.
    char block[256];
    std::snprintf(block, sizeof block, "lg%x\r\nly%x\r\nlt%d\r\nlc%d\r\n", static_cast<unsigned>(S.GROUPi),
                  static_cast<unsigned>(S.LAYERi), S.TYPEi, S.COLORi);
    std::string tail = block;
    if (S.TENSi <= 9) {
        std::snprintf(block, sizeof block, "pn%d\r\n", S.TENSi);
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
