// The reader's own bound. What it keeps from each record shows in the output
// and is tested by the end-to-end cases.
#include "input/reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "capture.h"

namespace {

// Runs the pass over the given exchange-file bytes; returns what it wrote.
std::string pass(const std::string& bytes, unsigned limit) {
    std::string tmpl = temp_template("linetext-reader");
    char* name = tmpl.data();
    int fd = mkstemp(name);
    if (write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) ADD_FAILURE();
    close(fd);
    std::string out = written([&] {
        fp = tf_open_read(name);
        JW_PATTERN(0, limit);
        tf_close(fp, 0);
    });
    std::remove(name);
    return out;
}

// The pass reads no more records than its limit, whatever the file holds:
// the counting copy refuses a longer file, but the bound stands on its own.
TEST(Reader, LimitStopsThePass) { EXPECT_EQ(pass("# 1\r\n# 2\r\n# 3\r\n", 2), "# 1\r\n# 2\r\n"); }

}  // namespace
