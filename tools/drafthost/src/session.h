// One run of a program the way the host runs it: a working directory holding
// the drawing as the exchange file (a fresh one, or one prepared beforehand),
// the program started there and waited for, and the directory read back.
#pragma once

#include <optional>
#include <string>

#include "runner.h"

namespace drafthost {

struct SessionOptions {
    // A fresh directory, removed at the end: the bytes of drawing_path go in
    // under name (JWC_TEMP.TXT when not given).
    std::string drawing_path;
    std::optional<std::string> name;
    // Or a directory prepared beforehand, used as it is and kept. The drawing
    // is the entry under name, or else the one entry whose name is the
    // exchange file's in any case; with none there is no exchange file.
    std::optional<std::string> prepared_dir;
    Launch launch;  // all but the directory
};

struct Session {
    std::string dir;      // the working directory (absolute)
    Prepared prepared;    // what the directory held before the run
    std::string drawing;  // the drawing's bytes (empty if none or no regular file)
    ExitStatus status;
    int level = 0;
    DirState after;
};

// A fresh directory's session before its run: the drawing under name alone.
Session fresh_session(const SessionOptions& options);

Session run_session(const SessionOptions& options);

}  // namespace drafthost
