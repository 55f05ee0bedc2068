// What this program and the host agree on, named once: the file names, the
// line limit, the fill's bounds, the exit statuses, the console messages and
// the refusal record. The program, drafthost, the fault suites and the tests
// all take them from here. A plain C++ header with no other include, so that
// any tool can use it.
#pragma once

// The exchange file the host writes and reads back, and the working copy that
// receives the output of the run.
#define EXCHANGE_FILE "JWC_TEMP.TXT"
#define WORKING_COPY "JWC_TEMP.104"
// The exchange file's name in lower case: where names tell case apart, the
// host's file may come under it, or under any other mix of case.
#define EXCHANGE_FILE_LOWER "jwc_temp.txt"

// Most lines an exchange file may have; also the most records the reader reads.
const unsigned LINE_LIMIT = 150000;

// The most bytes of the pattern text /Z keeps, and the bound of the fill: it
// stops once the fill string holds more than FILL_MAX bytes. The host's check
// of the fills measures against both.
const int PATTERN_MAX = 256;
const int FILL_MAX = 250;

// Exit statuses: 0 the run completed; 1 refused or failed in the run's own
// steps; -1 (255 as a POSIX shell sees it) failed in the copies or the
// hand-back. After 1 or -1 the exchange file holds what the host wrote.
const int STATUS_DONE = 0;
const int STATUS_REFUSED = 1;
const int STATUS_COPY_FAILED = -1;

// Console messages on standard error: the first three are followed by the
// file's name and " \n".
#define MSG_CANNOT_OPEN "Cannot open file: "
#define MSG_CANNOT_READ "Cannot read file: "
#define MSG_CANNOT_WRITE "Cannot write file: "
#define MSG_ILLEGAL_OPTION "\n illegal Option.\n"

// The record that refuses a file of more than LINE_LIMIT lines, up to the
// limit's digits: "he", two spaces, "line count over" in Shift-JIS, four spaces.
#define HE_RECORD_HEAD "he  \x97\x76\x91\x66\x90\x94\x83\x49\x81\x5B\x83\x6F\x81\x5B    MAX="
