// A fixture with a fresh directory of its own for each test, and whole files
// put into it and read back as bytes.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

// A template for mkstemp or mkdtemp in TMPDIR (the test run keeps it in the
// build tree, so a killed test's leftovers go with the run), else in /tmp.
inline std::string temp_template(const char* stem) {
    const char* base = std::getenv("TMPDIR");
    return std::string(base && *base ? base : "/tmp") + "/" + stem + "-XXXXXX";
}

class TempDirTest : public ::testing::Test {
   protected:
    std::string dir;
    void SetUp() override {
        dir = temp_template("linetext-unit");
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string path(const std::string& name) const { return dir + "/" + name; }
    void put(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    std::string get(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};
