#include "run/handoff.h"

#include "output/records.h"
#include "platform/os.h"
#include "state/state.h"

// What an early end tells the host: status 1 or -1, and "JWC_TEMP.TXT" still
// holds exactly what the host wrote, so it redraws nothing and loses nothing.
// 1 comes from the run's own steps, -1 from the copies and the hand-back; the
// host treats both alike. The message on standard error says which file.
static Ending ended(int status, const char* message, const char* file) { return {true, status, message, file}; }

// Where case tells names apart, the host's file may arrive as "jwc_temp.txt"
// or any other mix of case. It is renamed straight to the upper-case name, so
// no leftover file of an interrupted run can take its place.
void normalise_name() {
    char found[64] = "";
    if (!os_find_case_variant(EXCHANGE_FILE_LOWER, EXCHANGE_FILE, found)) return;
    // Should the move fail, the host's file is still under the name it came
    // with (unless a two-step move on Windows could not take it back either:
    // then no name answers, and the copy ends with status -1). The run goes
    // on with whatever answers to EXCHANGE_FILE, as where a name cannot be
    // changed: where names match regardless of case that is the host's file
    // in its own spelling, and the run is the same; where case tells them
    // apart that is an upper-case file left beside it, if any, else the
    // counting copy finds none and ends with status -1.
    os_replace(found, EXCHANGE_FILE);
}

Ending Tcopy(const char* source, const char* destination, unsigned* count) {
    TextFile* in = tf_open_read(source);
    if (!in) return ended(STATUS_COPY_FAILED, MSG_CANNOT_OPEN, source);
    // A new file of this run: a link left under the name (to the exchange
    // file, to anyone's file) is removed, never written through.
    TextFile* out = tf_open_new(destination);
    if (!out) {
        tf_close(in, 0);
        return ended(STATUS_COPY_FAILED, MSG_CANNOT_OPEN, destination);
    }
    // Lines as the reader takes them, with a buffer of the same size. Line
    // LINE_LIMIT + 1 is still copied and counted, which is how a file that is
    // too long is told apart.
    *count = tf_copy_lines(in, out, LINE_LIMIT + 1, RECORD_READ_SIZE);
    // The count alone needs no file. The copy is the working copy's first
    // state, as the host knows it: a run that stops before its output is
    // begun leaves the host's lines under "JWC_TEMP.104" to look at.
    tf_close(out, 0);
    // A file that could not be read to its end must not pass for a shorter one.
    if (tf_close(in, 0) != 0) return ended(STATUS_COPY_FAILED, MSG_CANNOT_READ, source);
    return GO_ON;
}

static Ending write_failed() { return ended(STATUS_REFUSED, MSG_CANNOT_WRITE, WORKING_COPY); }

// The output is a new file of this run too: whatever took the name since the
// counting copy was made is removed, not written through.
Ending open_output() {
    S.fpw = tf_open_new(WORKING_COPY);
    if (!S.fpw) return ended(STATUS_REFUSED, MSG_CANNOT_OPEN, WORKING_COPY);
    if (S.isTest == TEST_OFF) tf_write_behind(S.fpw);  // synced before the hand-back
    return GO_ON;
}

Ending refuse_long_file(unsigned jd_xmax) {
    if (jd_xmax <= LINE_LIMIT) return GO_ON;
    HEout(LINE_LIMIT);
    if (tf_close(S.fpw, 0) != 0) return write_failed();
    return ended(STATUS_REFUSED, nullptr, nullptr);  // refused: the input stays, the working copy says why
}

Ending open_input() {
    S.fp = tf_open_read(EXCHANGE_FILE);
    if (S.fp) return GO_ON;
    tf_close(S.fpw, 0);
    return ended(STATUS_REFUSED, MSG_CANNOT_OPEN, EXCHANGE_FILE);
}

Ending close_files() {
    if (tf_close(S.fp, 0) != 0) {
        tf_close(S.fpw, 0);
        return ended(STATUS_REFUSED, MSG_CANNOT_READ, EXCHANGE_FILE);
    }
    // At level 0 the working copy is about to become the exchange file: it
    // must be complete on the disk before it takes the host's file's place.
    if (tf_close(S.fpw, S.isTest == TEST_OFF) != 0) return write_failed();
    return GO_ON;
}

Ending hand_back() {
    if (os_replace(WORKING_COPY, EXCHANGE_FILE) != 0) return ended(STATUS_COPY_FAILED, MSG_CANNOT_OPEN, EXCHANGE_FILE);
    // Status 0 promises the result on the disk, the new name included. Past
    // the rename the result is in place, so a failed sync cannot turn it into
    // the failure statuses, which promise the host's input.
    os_sync_dir();
    return GO_ON;
}
