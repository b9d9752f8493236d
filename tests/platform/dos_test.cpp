// DOS on the host: files, NIL: and SYS:, paths, patterns, and commands.
#include <dos.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "host/host.h"
#include "support/files.h"

namespace fs = std::filesystem;

namespace {

using support::EnvGuard, support::ReadFile, support::WriteFile;

using DosTest = support::FileTest;

TEST_F(DosTest, SeekReturnsTheOldPosition) {
    WriteFile(dir / "s", "abcdefgh");
    BPTR h = Open(In("s").c_str(), MODE_OLDFILE);
    ASSERT_NE(h, 0);
    // offset, mode, the old position returned, the byte read afterwards (0: the seek fails)
    const std::tuple<LONG, LONG, LONG, char> cases[] = {
        {3, OFFSET_BEGINNING, 0, 'd'}, {-1, OFFSET_END, 4, 'h'}, {-8, OFFSET_CURRENT, 8, 'a'},
        {-100, OFFSET_CURRENT, -1, 0}, {0, 42, -1, 0}};
    for (const auto& [offset, mode, old, next] : cases) {
        EXPECT_EQ(Seek(h, offset, mode), old) << offset;
        char got = 0;
        EXPECT_EQ(next == 0 || Read(h, &got, 1) == 1 ? got : -1, next) << offset;
    }
    EXPECT_EQ(Close(h), DOSTRUE);
}

// A fault can come after the work is done, as a network file system reports a retried
// request; several faults wait on one operation side by side.
TEST_F(DosTest, AFaultAfterTheWorkLeavesItDoneButReportsFailure) {
    WriteFile(dir / "a", "x");
    host::FailAt("Rename", 1, true);
    EXPECT_EQ(Rename(In("a").c_str(), In("b").c_str()), DOSFALSE);
    EXPECT_EQ(std::pair(fs::exists(dir / "a"), fs::exists(dir / "b")), std::pair(false, true));
    host::FailAt("DeleteFile", 1, true);
    host::FailAt("DeleteFile", 2);
    WriteFile(dir / "a", "x");
    EXPECT_EQ(DeleteFile(In("b").c_str()), DOSFALSE);
    EXPECT_EQ(DeleteFile(In("a").c_str()), DOSFALSE);
    EXPECT_EQ(std::pair(fs::exists(dir / "a"), fs::exists(dir / "b")), std::pair(true, false));
    const BPTR h = Open(In("w").c_str(), MODE_NEWFILE);
    host::FailAt("Write", 1, true);
    EXPECT_EQ(Write(h, "abc", 3), -1);
    EXPECT_EQ(Close(h), DOSTRUE);
    EXPECT_EQ(ReadFile(dir / "w"), "abc");
    host::FailAt("*", 2);  // counts the calls of every operation: here the Rename
    const BPTR r = Open(In("w").c_str(), MODE_OLDFILE);
    EXPECT_EQ(Rename(In("w").c_str(), In("v").c_str()), DOSFALSE);
    EXPECT_EQ(Close(r), DOSTRUE);
}

// A pipe (any file that is not a plain file) is refused at once, even with a writer and
// data waiting in it: a card sheet or a saved game read from one could block for ever.
TEST_F(DosTest, APipeIsRefusedAtOnce) {
    ASSERT_EQ(mkfifo(In("fifo").c_str(), 0600), 0);
    const int writer = ::open(In("fifo").c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_EQ(::write(writer, "FORM", 4), 4);
    EXPECT_EQ(Open(In("fifo").c_str(), MODE_OLDFILE), 0);
    EXPECT_EQ(Open(In("fifo").c_str(), MODE_NEWFILE), 0);
    ::close(writer);
}

TEST_F(DosTest, NilSwallowsWritesAndReadsNothingAndSysNamesTheToolsFolder) {
    for (const char* name : {"NIL:", "nil:", "Nil:"}) {
        BPTR h = Open(name, MODE_NEWFILE);
        ASSERT_NE(h, 0) << name;
        EXPECT_EQ(Write(h, "hello", 5), 5) << name;
        EXPECT_EQ(Close(h), DOSTRUE) << name;
        h = Open(name, MODE_OLDFILE);
        char buf[4];
        EXPECT_EQ(Read(h, buf, 4), 0) << name;
        EXPECT_EQ(Close(h), DOSTRUE) << name;
    }
    fs::create_directories(dir / "Utilities");
    WriteFile(dir / "Utilities" / "thing", "tool");
    EnvGuard sys("WB_SYS", dir.string());
    for (const char* name : {"SYS:Utilities/thing", "sys:Utilities/thing", "SYS:/Utilities/thing"}) {
        BPTR h = Open(name, MODE_OLDFILE);
        char buf[8] = {};
        EXPECT_EQ(Read(h, buf, 8), 4) << name;
        EXPECT_STREQ(buf, "tool") << name;
        Close(h);
    }
}

TEST(DosPathTest, FilePartPathPartAndAddPartTables) {
    const std::tuple<const char*, const char*, size_t> parts[] = {
        {"Work:save/game", "game", 9}, {"Work:game", "game", 5}, {"save/game", "game", 4}, {"game", "game", 0},
        {"save/", "", 4},              {"Work:", "", 5},         {"", "", 0},              {"a/b/c", "c", 3},
    };
    for (const auto& [path, file, drawerEnd] : parts) {
        EXPECT_STREQ(FilePart(path), file) << path;
        EXPECT_EQ(static_cast<size_t>(PathPart(path) - path), drawerEnd) << path;
    }
    const std::tuple<const char*, const char*, ULONG, BOOL, const char*> adds[] = {
        {"save", "a", 64, TRUE, "save/a"},      {"save/", "a", 64, TRUE, "save/a"}, {"Work:", "a", 64, TRUE, "Work:a"},
        {"", "a", 64, TRUE, "a"},               {"save", "Work:x", 64, TRUE, "Work:x"},
        {"save", "/tmp/x", 64, TRUE, "/tmp/x"}, {"save", "a", 7, TRUE, "save/a"},   {"save", "a", 6, FALSE, "save"},
        {"save", "", 64, TRUE, "save"},
    };
    for (const auto& [drawer, file, size, ok, result] : adds) {
        char buf[64];
        std::strcpy(buf, drawer);
        EXPECT_EQ(AddPart(buf, file, size), ok) << drawer << " + " << file;
        EXPECT_STREQ(buf, result) << drawer << " + " << file;
    }
}

// A stand-in viewer in SYS: reports its drawer, input, output and arguments to $PROBE_REPORT, then copies.
class ExecuteTest : public DosTest {
protected:
    void SetUp() override {
        fs::create_directories(dir / "SYS" / "Utilities");
        viewer = dir / "SYS" / "Utilities" / "MultiView";
        WriteFile(viewer,
                 "#!/bin/sh\n"
                 "in=$(readlink /proc/$$/fd/0); out=$(readlink /proc/$$/fd/1)\n"
                 "{ pwd -P; echo \"$in\"; echo \"$out\";"
                 "  for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$PROBE_REPORT\"\n"
                 "cat\n");
        fs::permissions(viewer, fs::perms::owner_all);
        report = dir / "report";
        setenv("WB_SYS", (dir / "SYS").c_str(), 1);
        setenv("PROBE_REPORT", report.c_str(), 1);
    }
    // The probe's report. A pipe is read until its writer has closed it, for at most 20 s: a
    // viewer that never writes fails the test instead of hanging it. (Hang-up comes only once
    // a writer has come and gone; till then the pipe reads empty.)
    std::vector<std::string> ReportLines() const {
        std::string text = fs::is_fifo(report) ? "" : ReadFile(report);
        pollfd p{fs::is_fifo(report) ? ::open(report.c_str(), O_RDONLY | O_NONBLOCK) : -1, POLLIN, 0};
        char buf[512];
        bool done = p.fd < 0;
        for (ssize_t n; !done && ::poll(&p, 1, 20000) == 1;)
            if ((n = ::read(p.fd, buf, sizeof buf)) > 0) text.append(buf, size_t(n));
            else done = n == 0 && (p.revents & POLLHUP);
        EXPECT_TRUE(done) << "no report in 20 s";
        if (p.fd >= 0) ::close(p.fd);
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    fs::path viewer, report;
    EnvGuard sys{"WB_SYS", ""}, probe{"PROBE_REPORT", ""};  // restored afterwards
};

TEST_F(ExecuteTest, RedirectionsAndHandlesConnectInputAndOutput) {
    WriteFile(dir / "in.txt", "through the viewer\n");
    // A quoted word takes *n as a line break and *e as Escape.
    const std::string command = "SYS:Utilities/MultiView <" + In("in.txt") + " > " + In("out.txt") + " \"x*ny*e\"";
    ASSERT_EQ(Execute(command.c_str(), 0, 0), DOSTRUE);
    EXPECT_EQ(ReadFile(dir / "out.txt"), "through the viewer\n");
    const std::vector<std::string> expected = {fs::canonical(dir / "in.txt"), fs::canonical(dir / "out.txt"), "x",
                                               "y\x1b"};
    const auto lines = ReportLines();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end()), expected);
    const std::string append = "SYS:Utilities/MultiView <" + In("in.txt") + " >>" + In("out.txt");
    ASSERT_EQ(Execute(append.c_str(), 0, 0), DOSTRUE);
    EXPECT_EQ(ReadFile(dir / "out.txt"), "through the viewer\nthrough the viewer\n");
    // Handles given to Execute serve when there is no redirection.
    WriteFile(dir / "in2.txt", "from a handle\n");
    BPTR in = Open(In("in2.txt").c_str(), MODE_OLDFILE);
    BPTR out = Open(In("out2.txt").c_str(), MODE_NEWFILE);
    ASSERT_EQ(Execute("SYS:Utilities/MultiView", in, out), DOSTRUE);
    Close(in);
    Close(out);
    EXPECT_EQ(ReadFile(dir / "out2.txt"), "from a handle\n");
}

TEST_F(ExecuteTest, RunStartsWithoutWaitingAndLeavesNoChild) {
    ASSERT_EQ(mkfifo(report.c_str(), 0600), 0);
    ASSERT_EQ(Execute("run >NIL: SYS:Utilities/MultiView poker.guide", 0, 0), DOSTRUE);
    // The viewer blocks on the report pipe until this side reads it, so Execute did not wait.
    const std::vector<std::string> expected = {fs::current_path(), "/dev/null", "/dev/null", "poker.guide"};
    EXPECT_EQ(ReportLines(), expected);
    // Nothing of it is a child of ours, running or dead.
    int status;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(ExecuteTest, OnlyKnownCommandsThatWorkSucceed) {
    WriteFile(dir / "SYS" / "Utilities" / "Other", "#!/bin/sh\ntouch \"$PROBE_REPORT\"\n");
    fs::permissions(dir / "SYS" / "Utilities" / "Other", fs::perms::owner_all);
    const std::string missingInput = "SYS:Utilities/MultiView <" + In("nothing");
    for (const std::string command : {
             "", "   ", "run", "run >NIL:", ">NIL:", "echo hi", "/bin/sh -c true", "SYS:Utilities/Other",
             "run SYS:Utilities/Other", "SYS:Utilities/MultiViewer x", "\"SYS:Utilities/MultiView x\"",
             "SYS:Utilities/MultiView \"unclosed", "SYS:Utilities/MultiView x\nSYS:Utilities/MultiView y",
             "SYS:Utilities/MultiView >", missingInput.c_str()}) {
        EXPECT_EQ(Execute(command.c_str(), 0, 0), DOSFALSE) << command;
        EXPECT_FALSE(fs::exists(report)) << command;
    }
    EXPECT_EQ(Execute(nullptr, 0, 0), DOSFALSE);
    // A program that fails, one that cannot run at all, and one that is not there.
    const std::pair<const char*, fs::perms> broken[] = {{"#!/bin/sh\nexit 5\n", fs::perms::owner_all},
                                                        {"not a program", fs::perms::owner_read | fs::perms::owner_write}};
    for (const auto& [text, perms] : broken) {
        WriteFile(viewer, text);
        fs::permissions(viewer, perms);
        EXPECT_EQ(Execute("SYS:Utilities/MultiView x", 0, 0), DOSFALSE) << text;
    }
    fs::remove(viewer);
    EXPECT_EQ(Execute("run >NIL: SYS:Utilities/MultiView poker.guide", 0, 0), DOSFALSE);
    EXPECT_EQ(Execute("SYS:Utilities/MultiView poker.guide", 0, 0), DOSFALSE);
}

bool Matches(const char* pattern, const char* name) {
    char parsed[512];
    if (ParsePatternNoCase(pattern, parsed, sizeof parsed) < 0) return false;
    return MatchPatternNoCase(parsed, name) != FALSE;
}

TEST(DosPatternTest, PathologicalPatternsFinishAndDeepNestingIsRefused) {
    const std::string name(400, 'a');
    EXPECT_FALSE(Matches("#(#a#a)b", name.c_str()));
    EXPECT_FALSE(Matches("#?#?#?#?#?#?#?#?b", name.c_str()));
    EXPECT_TRUE(Matches("#?#?#?#?#?#?#?#?b", (name + "b").c_str()));
    for (const std::string& deep : {std::string(5000, '(') + "a" + std::string(5000, ')'), std::string(5000, '~') + "a"}) {
        std::vector<char> big(deep.size() + 2);
        EXPECT_EQ(ParsePatternNoCase(deep.c_str(), big.data(), static_cast<LONG>(big.size())), -1);
    }
}

}  // namespace
