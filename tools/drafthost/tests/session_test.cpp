// Runs small fake programs (shell scripts) the way the host does and checks
// that drafthost tells a kept contract from a broken one.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "ending.h"
#include "records.h"
#include "session.h"

using namespace drafthost;
namespace fs = std::filesystem;

namespace {

const std::string kInput = "hp1 0 0\r\nhp2 20 0\r\nlc3\r\n";
// printf arguments that write a small, valid result.
const std::string kResult =
    "'cn0 5.00 5.00 1.00 1\\r\\nch 0.0000000000 -2.5000000000 20.0000000000 0.0000000000 "
    "\"ABABAB\\r\\nlg14\\r\\nly14\\r\\nlt20\\r\\nlc3\\r\\n'";

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        char templ[] = "/tmp/drafthost-test.XXXXXX";
        ASSERT_NE(mkdtemp(templ), nullptr);
        root_ = templ;
        drawing_ = root_ + "/drawing.txt";
        std::ofstream(drawing_, std::ios::binary) << kInput;
        quiet_ = ::open("/dev/null", O_WRONLY);
    }
    void TearDown() override {
        ::close(quiet_);
        fs::remove_all(root_);
    }

    // A fake program: a shell script with the given body.
    std::string program(const std::string& name, const std::string& body) {
        std::string path = root_ + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(path, fs::perms::owner_all);
        return path;
    }

    Session run(const std::string& prog, std::vector<std::string> args = {},
                const std::string& name = kExchangeFile) {
        SessionOptions o;
        o.drawing_path = drawing_;
        o.name = name;
        o.command = {prog};
        o.command.insert(o.command.end(), args.begin(), args.end());
        o.output_fd = quiet_;
        return run_session(o);
    }

    EndingCheck ending(const Session& s, const std::string& name = kExchangeFile) {
        return check_ending(s.status, s.level, name, s.drawing, s.after);
    }

    RecordCheck returned(const Session& s, const EndingCheck& e) {
        EXPECT_TRUE(e.returned);
        return e.returned ? check_records(s.after.at(*e.returned).bytes) : RecordCheck{};
    }

    std::string root_, drawing_;
    int quiet_ = -1;
};

TEST_F(SessionTest, GoodResultKeepsTheContract) {
    Session s = run(program("good.sh", "printf " + kResult + " > JWC_TEMP.TXT"));
    EXPECT_TRUE(s.status.completed());
    EndingCheck e = ending(s);
    EXPECT_TRUE(e.problems.empty()) << e.problems.front();
    RecordCheck r = returned(s, e);
    EXPECT_TRUE(r.problems.empty());
    EXPECT_EQ(r.fills(), 1u);
    EXPECT_FALSE(fs::exists(s.dir));  // the temporary directory is gone
}

TEST_F(SessionTest, DebugLevelResultInTheWorkingCopy) {
    Session s = run(program("level.sh", "printf " + kResult + " > JWC_TEMP.104"), {"/Zab", "-t2"});
    EXPECT_EQ(s.level, 2);
    EndingCheck e = ending(s);
    EXPECT_TRUE(e.problems.empty());
    EXPECT_EQ(e.returned, "JWC_TEMP.104");

    // The same program handing its result back at level 0 breaks the contract.
    s = run(program("level.sh", "printf " + kResult + " > JWC_TEMP.104"));
    EXPECT_FALSE(ending(s).problems.empty());
}

TEST_F(SessionTest, StatusThatDoesNotMatchTheFilesLeft) {
    // Says "ended early, input untouched" after changing the input.
    Session s = run(program("liar.sh", "printf 'lc1\\r\\n' > JWC_TEMP.TXT; exit 1"));
    EXPECT_EQ(s.status.code, 1);
    EndingCheck e = ending(s);
    ASSERT_EQ(e.problems.size(), 1u);
    EXPECT_EQ(e.problems[0], "status 1: JWC_TEMP.TXT should hold the host's input unchanged, but differs from it");

    // Completes at level 0 but leaves its working copy and a stray file.
    s = run(program("messy.sh", "printf " + kResult + " > JWC_TEMP.TXT; : > JWC_TEMP.104; : > JWC_q7q7.10"));
    e = ending(s);
    ASSERT_EQ(e.problems.size(), 2u);
    EXPECT_NE(e.problems[0].find("JWC_TEMP.104 should have been deleted"), std::string::npos);
    EXPECT_EQ(e.problems[1], "left behind: JWC_q7q7.10");
}

TEST_F(SessionTest, JunkLineAndMissingCrLfInTheResult) {
    Session s = run(program("junk.sh", "printf 'lg14\\r\\nrubbish\\r\\nlc3\\r\\n' > JWC_TEMP.TXT"));
    RecordCheck r = returned(s, ending(s));
    ASSERT_EQ(r.problems.size(), 1u);
    EXPECT_EQ(r.problems[0], "line 2: not a record the program writes: \"rubbish\"");

    s = run(program("unix.sh", "printf 'lg14\\nly14\\r\\nlt20\\nlc3\\n' > JWC_TEMP.TXT"));
    r = returned(s, ending(s));
    ASSERT_EQ(r.problems.size(), 3u);
    EXPECT_EQ(r.problems[0], "line 1: ends in a bare line feed, not CR LF");
    EXPECT_EQ(r.problems[1], "line 3: ends in a bare line feed, not CR LF");
}

TEST_F(SessionTest, ExchangeFileUnderAnotherName) {
    // The program gives a lower-case exchange file its upper-case name.
    Session s = run(program("rename.sh", "mv jwc_temp.txt JWC_TEMP.TXT && printf " + kResult + " > JWC_TEMP.TXT"),
                    {}, "jwc_temp.txt");
    EXPECT_TRUE(ending(s, "jwc_temp.txt").problems.empty());

    // A program that finds no exchange file ends with -1 and touches nothing.
    s = run(program("none.sh", "test -f JWC_TEMP.TXT || exit 255"), {}, "drawing.dat");
    EXPECT_EQ(s.status.code, 255);
    EXPECT_TRUE(ending(s, "drawing.dat").problems.empty());
}

TEST_F(SessionTest, ArgumentsReachTheProgramExactly) {
    std::string keep = root_ + "/kept";
    SessionOptions o;
    o.drawing_path = drawing_;
    o.keep_dir = keep;
    o.command = {program("args.sh", "pwd > where; for a in \"$@\"; do printf '[%s]' \"$a\"; done > args; exit 1"),
                 "/Za b", "*", "", "$T3"};
    o.output_fd = quiet_;
    Session s = run_session(o);
    EXPECT_TRUE(s.kept);
    EXPECT_EQ(s.level, 3);
    EXPECT_EQ(s.after.at("args").bytes, "[/Za b][*][][$T3]");
    EXPECT_EQ(s.after.at("where").bytes, fs::canonical(keep).string() + "\n");
    EXPECT_TRUE(fs::exists(keep + "/JWC_TEMP.TXT"));  // --keep leaves it all behind

    o.command = {program("args.sh", "exit 0")};
    EXPECT_THROW(run_session(o), SetupError);  // the kept directory is no longer empty
}

TEST_F(SessionTest, SignalsAndUnstartablePrograms) {
    Session s = run(program("crash.sh", "kill -SEGV $$"));
    EXPECT_TRUE(s.status.signalled);
    EXPECT_FALSE(ending(s).problems.empty());

    EXPECT_THROW(run(root_ + "/no-such-program"), SetupError);
    std::ofstream(root_ + "/plain") << "not runnable";
    EXPECT_THROW(run(root_ + "/plain"), SetupError);
}

// The command line end to end: report on stdout, exit status 0, 3 or 2.
std::pair<int, std::string> drafthost(const std::string& args) {
    std::string cmd = std::string(DRAFTHOST_EXE) + " " + args + " 2>/dev/null";
    FILE* p = ::popen(cmd.c_str(), "r");
    std::string out;
    std::array<char, 4096> buf;
    for (std::size_t n; (n = std::fread(buf.data(), 1, buf.size(), p)) > 0;) out.append(buf.data(), n);
    int raw = ::pclose(p);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

TEST_F(SessionTest, CommandLine) {
    std::string good = program("good.sh", "printf " + kResult + " > JWC_TEMP.TXT");
    auto [code, out] = drafthost("--svg " + root_ + "/p.svg " + drawing_ + " -- " + good);
    EXPECT_EQ(code, 0) << out;
    EXPECT_NE(out.find("\nch 0.0000000000 -2.5000000000 20.0000000000 0.0000000000 \"ABABAB\n"), std::string::npos);
    EXPECT_NE(out.find("; fills written: 1\n"), std::string::npos);
    EXPECT_NE(out.find("verdict: contract kept\n"), std::string::npos);
    EXPECT_TRUE(fs::exists(root_ + "/p.svg"));

    std::string junk = program("junk.sh", "printf 'lg14\\r\\nrubbish\\r\\n' > JWC_TEMP.TXT");
    std::tie(code, out) = drafthost(drawing_ + " -- " + junk);
    EXPECT_EQ(code, 3);
    EXPECT_NE(out.find("problem: line 2: not a record"), std::string::npos);

    EXPECT_EQ(drafthost(drawing_ + " " + good).first, 2);  // no --
    EXPECT_EQ(drafthost("--name a/b " + drawing_ + " -- " + good).first, 2);
    EXPECT_EQ(drafthost(root_ + "/missing -- " + good).first, 2);
}

}  // namespace
