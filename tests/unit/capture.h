// Runs code with fpw open on a temporary file and returns what it wrote, line
// ends as they reached the file (CR LF).
#pragma once

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "state/state.h"
#include "tempdir.h"

template <class F>
std::string written(F body) {
    std::string name = temp_template("linetext-unit");
    close(mkstemp(name.data()));
    S.fpw = tf_open_new(name.c_str());
    body();
    tf_close(S.fpw, 0);
    S.fpw = nullptr;
    std::ifstream in(name, std::ios::binary);
    std::string out(std::istreambuf_iterator<char>(in), {});
    std::remove(name.c_str());
    return out;
}
