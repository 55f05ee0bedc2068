// Runs small fake programs (shell scripts) the way the host does and checks
// that drafthost tells a kept contract from a broken one.
#include "session.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "ending.h"
#include "records.h"

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
    }
    void TearDown() override { fs::remove_all(root_); }

    // A fake program: a shell script with the given body.
    std::string program(const std::string& name, const std::string& body) {
        std::string path = root_ + "/" + name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(path, fs::perms::owner_all);
        return path;
    }

    Session run(const std::string& prog, std::vector<std::string> args = {}, const std::string& name = EXCHANGE_FILE) {
        SessionOptions o;
        o.drawing_path = drawing_;
        o.name = name;
        o.launch.command = {prog};
        o.launch.command.insert(o.launch.command.end(), args.begin(), args.end());
        o.launch.out = o.launch.err = "/dev/null";
        return run_session(o);
    }

    EndingCheck ending(const Session& s) { return check_ending(s.status, s.level, s.prepared, s.after); }

    RecordCheck returned(const Session& s, const EndingCheck& e) {
        EXPECT_TRUE(e.returned);
        return e.returned ? check_records(s.after.at(*e.returned).bytes) : RecordCheck{};
    }

    std::string root_, drawing_;
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
    Session s = run(program("rename.sh", "mv jwc_temp.txt JWC_TEMP.TXT && printf " + kResult + " > JWC_TEMP.TXT"), {},
                    "jwc_temp.txt");
    EXPECT_TRUE(ending(s).problems.empty());

    // A program that finds no exchange file ends with -1 and touches nothing.
    s = run(program("none.sh", "test -f JWC_TEMP.TXT || exit 255"), {}, "drawing.dat");
    EXPECT_EQ(s.status.code, 255);
    EXPECT_TRUE(ending(s).problems.empty());
}

TEST_F(SessionTest, ArgumentsReachTheProgramExactly) {
    Session s = run(program("args.sh", "pwd > where; for a in \"$@\"; do printf '[%s]' \"$a\"; done > args; exit 1"),
                    {"/Za b", "*", "", "$T3"});
    EXPECT_EQ(s.level, 3);
    EXPECT_EQ(s.after.at("args").bytes, "[/Za b][*][][$T3]");
    EXPECT_EQ(s.after.at("where").bytes, fs::weakly_canonical(s.dir).string() + "\n");

    // A bare name is looked up in PATH.
    s = run("sh", {"-c", "printf " + kResult + " > JWC_TEMP.TXT"});
    EXPECT_TRUE(ending(s).problems.empty());
    EXPECT_THROW(run("no-such-program-anywhere"), SetupError);
}

TEST_F(SessionTest, SignalsAndUnstartablePrograms) {
    Session s = run(program("crash.sh", "kill -SEGV $$"));
    EXPECT_TRUE(s.status.signalled);
    EXPECT_FALSE(ending(s).problems.empty());

    EXPECT_THROW(run(root_ + "/no-such-program"), SetupError);
    std::ofstream(root_ + "/plain") << "not runnable";
    EXPECT_THROW(run(root_ + "/plain"), SetupError);

    // A run still going after its limit is ended as one that hangs.
    Launch l;
    l.dir = root_;
    l.command = {"sleep", "5"};
    l.limit_seconds = 1;
    const ExitStatus hung = run_program(l);
    EXPECT_TRUE(hung.signalled && hung.code == SIGALRM) << describe(hung);
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

    // Options after DRAWING are ours; after "--" they are PROGRAM's.
    EXPECT_EQ(drafthost(drawing_ + " --svg " + root_ + "/q.svg -- " + good + " --svg " + root_ + "/r.svg").first, 0);
    EXPECT_TRUE(fs::exists(root_ + "/q.svg"));
    EXPECT_FALSE(fs::exists(root_ + "/r.svg"));

    EXPECT_EQ(drafthost(drawing_ + " " + good).first, 2);  // no --
    EXPECT_EQ(drafthost("--name a/b " + drawing_ + " -- " + good).first, 2);
    EXPECT_EQ(drafthost(root_ + "/missing -- " + good).first, 2);
}

// A directory prepared the way a test case prepares it, and runs in it.
class PreparedTest : public SessionTest {
   protected:
    std::string prepare(std::initializer_list<std::pair<const std::string, std::string>> files) {
        std::string dir = root_ + "/run";
        fs::remove_all(dir);
        fs::create_directory(dir);
        for (const auto& [name, bytes] : files) std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
        return dir;
    }
    Session run_in(const std::string& dir, const std::string& prog, std::optional<std::string> name = {}) {
        SessionOptions o;
        o.prepared_dir = dir;
        o.name = name;
        o.launch.command = {prog};
        o.launch.out = o.launch.err = "/dev/null";
        return run_session(o);
    }
    EndingCheck ending(const Session& s) { return check_ending(s.status, s.level, s.prepared, s.after); }
    std::string good_ = "printf " + kResult + " > JWC_TEMP.TXT";
};

TEST_F(PreparedTest, WhatTheHostLeftThereMustStayAsItWas) {
    const std::string old = "# old\r\n";
    std::string dir = prepare({{"JWC_TEMP.TXT", kInput}, {"JWC_q7q7.10", old}});
    Session s = run_in(dir, program("good.sh", good_));
    EXPECT_EQ(s.dir, dir);
    EXPECT_EQ(s.prepared.name, "JWC_TEMP.TXT");
    EXPECT_EQ(s.drawing, kInput);
    EndingCheck e = ending(s);
    EXPECT_TRUE(e.problems.empty()) << e.problems.front();
    EXPECT_TRUE(fs::exists(dir + "/JWC_q7q7.10"));  // the directory is left as it is

    dir = prepare({{"JWC_TEMP.TXT", kInput}, {"JWC_q7q7.10", old}});
    e = ending(run_in(dir, program("edit.sh", good_ + "; echo x >> JWC_q7q7.10")));
    ASSERT_EQ(e.problems.size(), 1u);
    EXPECT_EQ(e.problems[0], "changed: JWC_q7q7.10, which the host had put there");

    dir = prepare({{"JWC_TEMP.TXT", kInput}, {"JWC_q7q7.10", old}});
    e = ending(run_in(dir, program("tidy.sh", good_ + "; rm JWC_q7q7.10")));
    ASSERT_EQ(e.problems.size(), 1u);
    EXPECT_EQ(e.problems[0], "removed: JWC_q7q7.10, which the host had put there");

    // A leftover working copy is the program's to replace or remove.
    dir = prepare({{"JWC_TEMP.TXT", kInput}, {"JWC_TEMP.104", old}});
    EXPECT_TRUE(ending(run_in(dir, program("replace.sh", "rm JWC_TEMP.104; " + good_))).problems.empty());
}

TEST_F(PreparedTest, TheDrawingIsTheExchangeFileUnderAnyCase) {
    std::string dir = prepare({{"jwc_temp.txt", kInput}, {"other.txt", "x"}});
    Session s = run_in(dir, program("rename.sh", "mv jwc_temp.txt JWC_TEMP.TXT && " + good_));
    EXPECT_EQ(s.prepared.name, "jwc_temp.txt");
    EXPECT_TRUE(ending(s).problems.empty());

    // Several names: the caller says which is the drawing.
    dir = prepare({{"Jwc_temp.txt", kInput}, {"jWC_TEMP.TXT", "# other\r\n"}});
    std::string rename = program("rename.sh", "mv Jwc_temp.txt JWC_TEMP.TXT && " + good_);
    EXPECT_THROW(run_in(dir, rename), SetupError);
    s = run_in(dir, rename, "Jwc_temp.txt");
    EXPECT_TRUE(ending(s).problems.empty());
    EXPECT_THROW(run_in(dir, rename, "jwc_temp.txt"), SetupError);  // not there

    // No exchange file at all: only -1 with nothing touched is right.
    dir = prepare({{"other.txt", "x"}});
    s = run_in(dir, program("none.sh", "test -f JWC_TEMP.TXT || exit 255"));
    EXPECT_FALSE(s.prepared.name);
    EXPECT_TRUE(ending(s).problems.empty());
    dir = prepare({});
    EndingCheck e = ending(run_in(dir, program("bold.sh", good_)));
    ASSERT_EQ(e.problems.size(), 1u);
    EXPECT_EQ(e.problems[0], "completed at debug level 0 although the host gave no exchange file");
    dir = prepare({});
    e = ending(run_in(dir, program("one.sh", "exit 1")));
    ASSERT_EQ(e.problems.size(), 1u);
    EXPECT_NE(e.problems[0].find("which ends with -1"), std::string::npos);
}

TEST_F(PreparedTest, EntriesThatAreNoRegularFiles) {
    // A directory in place of the exchange file: -1 leaves it as it was.
    std::string dir = prepare({});
    fs::create_directory(dir + "/JWC_TEMP.TXT");
    EndingCheck e = ending(run_in(dir, program("ro.sh", ": > JWC_TEMP.104; exit 255")));
    EXPECT_TRUE(e.problems.empty()) << e.problems.front();
    ASSERT_EQ(e.notes.size(), 1u);
    EXPECT_EQ(e.notes[0], "JWC_TEMP.104 left behind empty");
    e = ending(run_in(dir, program("rmdir.sh", "rm -f JWC_TEMP.104; rmdir JWC_TEMP.TXT; exit 255")));
    ASSERT_EQ(e.problems.size(), 1u);
    EXPECT_NE(e.problems[0].find("JWC_TEMP.TXT should hold the host's input unchanged, but is missing"),
              std::string::npos);

    // A working copy that is a full device: status 1, the link as it was.
    dir = prepare({{"JWC_TEMP.TXT", kInput}});
    fs::create_symlink("/dev/full", dir + "/JWC_TEMP.104");
    e = ending(run_in(dir, program("full.sh", "exit 1")));
    EXPECT_TRUE(e.problems.empty()) << e.problems.front();
    ASSERT_EQ(e.notes.size(), 1u);
    EXPECT_EQ(e.notes[0], "JWC_TEMP.104 left as the host had it (symbolic link to /dev/full)");
    e = ending(run_in(dir, program("relink.sh", "ln -sf /dev/null JWC_TEMP.104; exit 1")));
    ASSERT_EQ(e.problems.size(), 1u);
    EXPECT_EQ(e.problems[0], "JWC_TEMP.104 is not a regular file (symbolic link to /dev/null)");
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST_F(PreparedTest, CommandLineWithPreparedDirectoryAndOutputFiles) {
    const std::string out = root_ + "/out", err = root_ + "/err", both = root_ + "/both";
    std::string illegal = MSG_ILLEGAL_OPTION;
    illegal.insert(illegal.size() - 1, "\r");  // as on Windows: CRs are not counted
    std::string noisy =
        program("noisy.sh", "printf 'out\\000put'; printf '%s' '" + illegal + "' >&2; printf 'more'; " + good_);
    std::string dir = prepare({{"JWC_TEMP.TXT", kInput}});
    auto [code, report] = drafthost("--dir " + dir + " --stdout " + out + " --stderr " + err + " -- " + noisy);
    EXPECT_EQ(code, 0) << report;
    EXPECT_NE(report.find("\ndrawing: JWC_TEMP.TXT\n"), std::string::npos);
    EXPECT_NE(report.find("verdict: contract kept\n"), std::string::npos);
    EXPECT_EQ(slurp(out), std::string("out\0putmore", 11));
    EXPECT_EQ(slurp(err), illegal);
    EXPECT_EQ(report.find("more"), std::string::npos);  // not in the report

    // One file for both streams gets them in the order written.
    std::ofstream(both) << "stale bytes, longer than the output";
    dir = prepare({{"JWC_TEMP.TXT", kInput}});
    EXPECT_EQ(drafthost("--dir " + dir + " --stdout " + both + " --stderr=" + both + " -- " + noisy).first, 0);
    EXPECT_EQ(slurp(both), std::string("out\0put", 7) + illegal + "more");

    // The prepared directory's checks reach the exit status.
    dir = prepare({{"JWC_TEMP.TXT", kInput}, {"keep.me", "x"}});
    std::tie(code, report) = drafthost("--dir " + dir + " -- " + program("tidy.sh", good_ + "; rm keep.me"));
    EXPECT_EQ(code, 3);
    EXPECT_NE(report.find("problem: removed: keep.me"), std::string::npos);

    // drafthost's own errors, before PROGRAM runs.
    std::string marker = program("marker.sh", "touch " + root_ + "/ran");
    dir = prepare({{"JWC_TEMP.TXT", kInput}});
    EXPECT_EQ(drafthost("--dir " + dir + " " + drawing_ + " -- " + marker).first, 2);
    EXPECT_EQ(drafthost("--dir " + root_ + "/missing -- " + marker).first, 2);
    EXPECT_EQ(drafthost("--dir " + drawing_ + " -- " + marker).first, 2);
    EXPECT_EQ(drafthost("--dir " + dir + " --stdout " + root_ + "/no/such/dir -- " + marker).first, 2);
    dir = prepare({{"JWC_TEMP.TXT", kInput}, {"jwc_temp.txt", kInput}});
    EXPECT_EQ(drafthost("--dir " + dir + " -- " + marker).first, 2);
    EXPECT_FALSE(fs::exists(root_ + "/ran"));
}

}  // namespace
