// DOS on the host: files, NIL: and SYS:, faults, locks and the current directory, path
// helpers, and commands started without a shell.
#include <dos.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "host/host.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteAll(const fs::path& p, const std::string& data) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << data;
}

class DosTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::ClearFaults();
        char tmpl[] = "/tmp/dos_test_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
    }
    void TearDown() override {
        host::ClearFaults();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string In(const std::string& name) const { return (dir / name).string(); }
    fs::path dir;
};

TEST_F(DosTest, WrittenBytesReadBackAndEndWithZero) {
    std::string block(32, '\0');
    for (int i = 0; i < 32; ++i) block[i] = static_cast<char>(i * 37 + 200);
    BPTR out = Open(In("game").c_str(), MODE_NEWFILE);
    ASSERT_NE(out, 0);
    EXPECT_EQ(Write(out, block.data(), 32), 32);
    EXPECT_EQ(Close(out), DOSTRUE);

    BPTR in = Open(In("game").c_str(), MODE_OLDFILE);
    ASSERT_NE(in, 0);
    char back[64] = {};
    EXPECT_EQ(Read(in, back, 64), 32);
    EXPECT_EQ(std::string(back, 32), block);
    EXPECT_EQ(Read(in, back, 64), 0);
    EXPECT_EQ(Close(in), DOSTRUE);
}

TEST_F(DosTest, HandlesAreNonZeroDistinctAndDeadAfterClose) {
    WriteAll(dir / "f", "x");
    BPTR a = Open(In("f").c_str(), MODE_OLDFILE);
    BPTR b = Open(In("f").c_str(), MODE_OLDFILE);
    ASSERT_NE(a, 0);
    ASSERT_NE(b, 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(Close(a), DOSTRUE);
    char c;
    EXPECT_EQ(Read(a, &c, 1), -1);
    EXPECT_EQ(Write(a, "x", 1), -1);
    EXPECT_EQ(Close(a), DOSFALSE);
    EXPECT_EQ(Read(b, &c, 1), 1);
    EXPECT_EQ(Close(b), DOSTRUE);
    EXPECT_EQ(Read(0, &c, 1), -1);
}

struct OpenCase {
    const char* what;
    const char* name;  // inside the test's folder
    LONG mode;
    bool opens;
    LONG error;  // IoErr after a failure
};

TEST_F(DosTest, OpenModesTable) {
    WriteAll(dir / "exists", "old contents");
    fs::create_directory(dir / "drawer");
    const OpenCase cases[] = {
        {"old file that exists", "exists", MODE_OLDFILE, true, 0},
        {"old file that is missing", "missing", MODE_OLDFILE, false, ERROR_OBJECT_NOT_FOUND},
        {"old file in a missing drawer", "nodrawer/x", MODE_OLDFILE, false, ERROR_OBJECT_NOT_FOUND},
        {"a drawer", "drawer", MODE_OLDFILE, false, ERROR_OBJECT_WRONG_TYPE},
        {"new file in a missing drawer", "nodrawer/x", MODE_NEWFILE, false, ERROR_OBJECT_NOT_FOUND},
        {"new file over a drawer", "drawer", MODE_NEWFILE, false, ERROR_OBJECT_WRONG_TYPE},
        {"unknown mode", "exists", 999, false, ERROR_ACTION_NOT_KNOWN},
    };
    for (const OpenCase& c : cases) {
        BPTR h = Open(In(c.name).c_str(), c.mode);
        if (c.opens) {
            EXPECT_NE(h, 0) << c.what;
            EXPECT_EQ(Close(h), DOSTRUE) << c.what;
        } else {
            EXPECT_EQ(h, 0) << c.what;
            EXPECT_EQ(IoErr(), c.error) << c.what;
        }
    }
    EXPECT_EQ(Open(nullptr, MODE_OLDFILE), 0);
    EXPECT_EQ(ReadAll(dir / "exists"), "old contents");
}

TEST_F(DosTest, NewFileTruncatesAndReadWriteKeeps) {
    WriteAll(dir / "a", "0123456789");
    BPTR h = Open(In("a").c_str(), MODE_READWRITE);
    ASSERT_NE(h, 0);
    EXPECT_EQ(Write(h, "ab", 2), 2);
    EXPECT_EQ(Close(h), DOSTRUE);
    EXPECT_EQ(ReadAll(dir / "a"), "ab23456789");

    h = Open(In("a").c_str(), MODE_NEWFILE);
    ASSERT_NE(h, 0);
    EXPECT_EQ(Close(h), DOSTRUE);
    EXPECT_EQ(ReadAll(dir / "a"), "");

    h = Open(In("created").c_str(), MODE_READWRITE);
    ASSERT_NE(h, 0);
    EXPECT_EQ(Close(h), DOSTRUE);
    EXPECT_TRUE(fs::exists(dir / "created"));
}

TEST_F(DosTest, SeekReturnsTheOldPosition) {
    WriteAll(dir / "s", "abcdefgh");
    BPTR h = Open(In("s").c_str(), MODE_OLDFILE);
    ASSERT_NE(h, 0);
    EXPECT_EQ(Seek(h, 3, OFFSET_BEGINNING), 0);
    char c = 0;
    EXPECT_EQ(Read(h, &c, 1), 1);
    EXPECT_EQ(c, 'd');
    EXPECT_EQ(Seek(h, -1, OFFSET_END), 4);
    EXPECT_EQ(Read(h, &c, 1), 1);
    EXPECT_EQ(c, 'h');
    EXPECT_EQ(Seek(h, -8, OFFSET_CURRENT), 8);
    EXPECT_EQ(Read(h, &c, 1), 1);
    EXPECT_EQ(c, 'a');
    EXPECT_EQ(Seek(h, -100, OFFSET_CURRENT), -1);
    EXPECT_EQ(Seek(h, 0, 42), -1);
    EXPECT_EQ(Close(h), DOSTRUE);
}

TEST_F(DosTest, NilSwallowsWritesAndReadsNothing) {
    for (const char* name : {"NIL:", "nil:", "Nil:"}) {
        BPTR h = Open(name, MODE_NEWFILE);
        ASSERT_NE(h, 0) << name;
        EXPECT_EQ(Write(h, "hello", 5), 5) << name;
        EXPECT_EQ(Close(h), DOSTRUE) << name;
        h = Open(name, MODE_OLDFILE);
        ASSERT_NE(h, 0) << name;
        char buf[4];
        EXPECT_EQ(Read(h, buf, 4), 0) << name;
        EXPECT_EQ(Close(h), DOSTRUE) << name;
    }
    // Only the device itself: a file named so in a drawer is an ordinary file.
    EXPECT_EQ(Open(In("NIL:").c_str(), MODE_OLDFILE), 0);
}

TEST_F(DosTest, SysNamesTheToolsFolder) {
    fs::create_directories(dir / "Utilities");
    WriteAll(dir / "Utilities" / "thing", "tool");
    const char* old = std::getenv("WB_SYS");
    const std::string saved = old ? old : "";
    setenv("WB_SYS", dir.c_str(), 1);
    for (const char* name : {"SYS:Utilities/thing", "sys:Utilities/thing", "SYS:/Utilities/thing"}) {
        BPTR h = Open(name, MODE_OLDFILE);
        EXPECT_NE(h, 0) << name;
        char buf[8] = {};
        EXPECT_EQ(Read(h, buf, 8), 4) << name;
        EXPECT_STREQ(buf, "tool") << name;
        Close(h);
    }
    if (old) setenv("WB_SYS", saved.c_str(), 1); else unsetenv("WB_SYS");
}

TEST_F(DosTest, EachNamedFaultFailsOnceThenTheCallWorks) {
    WriteAll(dir / "f", "data");
    struct Case {
        const char* op;
        std::function<bool()> call;  // true when the call succeeded
    };
    const std::vector<Case> cases = {
        {"Open", [&] {
             BPTR h = Open(In("f").c_str(), MODE_OLDFILE);
             if (h) Close(h);
             return h != 0;
         }},
        {"Read", [&] {
             BPTR h = Open(In("f").c_str(), MODE_OLDFILE);
             char buf[4];
             const bool ok = Read(h, buf, 4) == 4;
             Close(h);
             return ok;
         }},
        {"Write", [&] {
             BPTR h = Open(In("w").c_str(), MODE_NEWFILE);
             const bool ok = Write(h, "abc", 3) == 3;
             Close(h);
             return ok;
         }},
        {"Close", [&] {
             BPTR h = Open(In("w").c_str(), MODE_NEWFILE);
             Write(h, "abc", 3);
             return Close(h) == DOSTRUE;
         }},
        {"DeleteFile", [&] {
             WriteAll(dir / "gone", "x");
             return DeleteFile(In("gone").c_str()) == DOSTRUE && !fs::exists(dir / "gone");
         }},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.call()) << c.op << " before the fault";
        host::FailOnce(c.op);
        EXPECT_FALSE(c.call()) << c.op << " with the fault";
        EXPECT_TRUE(c.call()) << c.op << " after the fault";
    }
}

TEST_F(DosTest, FailedCloseStillReleasesTheHandle) {
    BPTR h = Open(In("c").c_str(), MODE_NEWFILE);
    ASSERT_NE(h, 0);
    host::FailOnce("Close");
    EXPECT_EQ(Close(h), DOSFALSE);
    EXPECT_EQ(Write(h, "x", 1), -1);
    EXPECT_EQ(Close(h), DOSFALSE);
}

TEST_F(DosTest, WriteToAFullDeviceReportsFailure) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this host";
    BPTR h = Open("/dev/full", MODE_NEWFILE);
    ASSERT_NE(h, 0);
    EXPECT_EQ(Write(h, "abc", 3), -1);
    EXPECT_EQ(IoErr(), ERROR_DISK_FULL);
    Close(h);
}

TEST_F(DosTest, DeleteFileTable) {
    WriteAll(dir / "file", "x");
    fs::create_directory(dir / "empty");
    fs::create_directory(dir / "full");
    WriteAll(dir / "full" / "inside", "x");
    const struct {
        const char* name;
        LONG result;
        bool remains;
    } cases[] = {
        {"file", DOSTRUE, false}, {"empty", DOSTRUE, false}, {"full", DOSFALSE, true}, {"missing", DOSFALSE, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DeleteFile(In(c.name).c_str()), c.result) << c.name;
        EXPECT_EQ(fs::exists(dir / c.name), c.remains) << c.name;
    }
    EXPECT_EQ(DeleteFile(nullptr), DOSFALSE);
}

TEST_F(DosTest, OutputIsStandardOutputAndSurvivesClose) {
    const fs::path captured = dir / "stdout";
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int fd = open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    dup2(fd, STDOUT_FILENO);
    close(fd);
    BPTR out = Output();
    const bool nonZero = out != 0;
    const LONG first = Write(out, "Start", 5);
    const LONG closed = Close(out);
    const LONG second = Write(Output(), " again\n", 7);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    EXPECT_TRUE(nonZero);
    EXPECT_EQ(first, 5);
    EXPECT_EQ(closed, DOSTRUE);
    EXPECT_EQ(second, 7);
    EXPECT_EQ(ReadAll(captured), "Start again\n");
}

TEST_F(DosTest, CurrentDirMovesRelativePathsAndGivesThePreviousBack) {
    fs::create_directory(dir / "drawer");
    const fs::path before = fs::current_path();
    BPTR lock = Lock(In("drawer").c_str(), SHARED_LOCK);
    ASSERT_NE(lock, 0);
    BPTR previous = CurrentDir(lock);
    BPTR h = Open("relative", MODE_NEWFILE);
    ASSERT_NE(h, 0);
    Close(h);
    EXPECT_TRUE(fs::exists(dir / "drawer" / "relative"));
    EXPECT_EQ(fs::canonical(fs::current_path()), fs::canonical(dir / "drawer"));

    // A second change nests and unwinds.
    BPTR parent = Lock("..", SHARED_LOCK);
    ASSERT_NE(parent, 0);
    EXPECT_EQ(CurrentDir(parent), lock);
    EXPECT_EQ(fs::canonical(fs::current_path()), fs::canonical(dir));
    EXPECT_EQ(CurrentDir(lock), parent);
    UnLock(parent);

    EXPECT_EQ(CurrentDir(previous), lock);
    UnLock(lock);
    EXPECT_EQ(fs::current_path(), before);
}

TEST_F(DosTest, LocksNameTheirDrawerAndFailForMissingOnes) {
    fs::create_directory(dir / "d");
    BPTR lock = Lock(In("d").c_str(), SHARED_LOCK);
    ASSERT_NE(lock, 0);
    char name[4096];
    ASSERT_EQ(NameFromLock(lock, name, sizeof name), DOSTRUE);
    EXPECT_EQ(fs::path(name), fs::canonical(dir / "d"));
    char tiny[4] = "xyz";
    EXPECT_EQ(NameFromLock(lock, tiny, sizeof tiny), DOSFALSE);
    EXPECT_EQ(IoErr(), ERROR_LINE_TOO_LONG);
    EXPECT_EQ(tiny[0], '\0');

    BPTR dup = DupLock(lock);
    ASSERT_NE(dup, 0);
    EXPECT_NE(dup, lock);
    UnLock(lock);
    char again[4096];
    ASSERT_EQ(NameFromLock(dup, again, sizeof again), DOSTRUE);
    EXPECT_STREQ(again, name);
    UnLock(dup);
    EXPECT_EQ(NameFromLock(dup, again, sizeof again), DOSFALSE);

    EXPECT_EQ(Lock(In("missing").c_str(), SHARED_LOCK), 0);
    EXPECT_EQ(IoErr(), ERROR_OBJECT_NOT_FOUND);
    EXPECT_EQ(DupLock(0), 0);
}

struct PartCase {
    const char* path;
    const char* file;   // FilePart
    size_t drawerEnd;   // PathPart - path
};

TEST(DosPathTest, FilePartAndPathPartTable) {
    const PartCase cases[] = {
        {"Work:save/game", "game", 9}, {"Work:game", "game", 5}, {"save/game", "game", 4},
        {"game", "game", 0}, {"save/", "", 4}, {"Work:", "", 5}, {"", "", 0}, {"a/b/c", "c", 3},
    };
    for (const PartCase& c : cases) {
        EXPECT_STREQ(FilePart(c.path), c.file) << c.path;
        EXPECT_EQ(static_cast<size_t>(PathPart(c.path) - c.path), c.drawerEnd) << c.path;
    }
}

TEST(DosPathTest, AddPartTable) {
    const struct {
        const char* drawer;
        const char* file;
        ULONG size;
        BOOL ok;
        const char* result;
    } cases[] = {
        {"save", "a", 64, TRUE, "save/a"},   {"save/", "a", 64, TRUE, "save/a"},
        {"Work:", "a", 64, TRUE, "Work:a"},  {"", "a", 64, TRUE, "a"},
        {"save", "Work:x", 64, TRUE, "Work:x"}, {"save", "/tmp/x", 64, TRUE, "/tmp/x"},
        {"save", "a", 7, TRUE, "save/a"},    {"save", "a", 6, FALSE, "save"},
        {"save", "", 64, TRUE, "save"},
    };
    for (const auto& c : cases) {
        char buf[64];
        std::strcpy(buf, c.drawer);
        EXPECT_EQ(AddPart(buf, c.file, c.size), c.ok) << c.drawer << " + " << c.file;
        EXPECT_STREQ(buf, c.result) << c.drawer << " + " << c.file;
    }
}

// ---- commands ---------------------------------------------------------------------

// A stand-in viewer in a SYS: folder of the test's own: it writes where it ran, what its
// standard input and output are, and its arguments, one a line, to $PROBE_REPORT, then
// copies its input to its output.
class ExecuteTest : public DosTest {
protected:
    void SetUp() override {
        DosTest::SetUp();
        fs::create_directories(dir / "SYS" / "Utilities");
        viewer = dir / "SYS" / "Utilities" / "MultiView";
        WriteAll(viewer,
                 "#!/bin/sh\n"
                 "in=$(readlink /proc/$$/fd/0); out=$(readlink /proc/$$/fd/1)\n"
                 "{ pwd -P; echo \"$in\"; echo \"$out\";"
                 "  for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$PROBE_REPORT\"\n"
                 "cat\n");
        fs::permissions(viewer, fs::perms::owner_all);
        const char* old = std::getenv("WB_SYS");
        hadSys = old != nullptr;
        if (old) savedSys = old;
        setenv("WB_SYS", (dir / "SYS").c_str(), 1);
        report = dir / "report";
        setenv("PROBE_REPORT", report.c_str(), 1);
    }
    void TearDown() override {
        if (hadSys) setenv("WB_SYS", savedSys.c_str(), 1); else unsetenv("WB_SYS");
        unsetenv("PROBE_REPORT");
        DosTest::TearDown();
    }
    std::vector<std::string> ReportLines() const {
        std::vector<std::string> lines;
        std::istringstream in(ReadAll(report));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // The report of a started program; blocks until the program has written it.
    std::vector<std::string> ReportThroughFifo() const {
        std::ifstream in(report);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    fs::path viewer, report;
    bool hadSys = false;
    std::string savedSys;
};

struct WaitedCase {
    const char* command;
    std::vector<std::string> args;
};

TEST_F(ExecuteTest, WaitedCommandsGetTheirArgumentsWordForWord) {
    const WaitedCase cases[] = {
        {"SYS:Utilities/MultiView poker.guide", {"poker.guide"}},
        {"sys:utilities/multiview  a   b", {"a", "b"}},
        {"SYS:Utilities/MultiView \"two words\" x", {"two words", "x"}},
        {"SYS:Utilities/MultiView \"say *\"hi*\"\"", {"say \"hi\""}},
        {"SYS:Utilities/MultiView a ; a comment", {"a"}},
        // What a shell would act on is only text here.
        {"SYS:Utilities/MultiView $(touch pwned) `touch pwned2` |x && y", {"$(touch", "pwned)", "`touch", "pwned2`", "|x", "&&", "y"}},
    };
    for (const WaitedCase& c : cases) {
        fs::remove(report);
        BPTR nil = Open("NIL:", MODE_NEWFILE);
        ASSERT_EQ(Execute(c.command, 0, nil), DOSTRUE) << c.command;
        Close(nil);
        const auto lines = ReportLines();
        ASSERT_GE(lines.size(), 3u) << c.command;
        EXPECT_EQ(fs::path(lines[0]), fs::current_path()) << c.command;
        EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.end()), c.args) << c.command;
    }
    EXPECT_FALSE(fs::exists("pwned"));
    EXPECT_FALSE(fs::exists("pwned2"));
    EXPECT_FALSE(fs::exists(dir / "pwned"));
}

TEST_F(ExecuteTest, RedirectionsConnectInputAndOutput) {
    WriteAll(dir / "in.txt", "through the viewer\n");
    const std::string command = "SYS:Utilities/MultiView <" + In("in.txt") + " > " + In("out.txt") + " x";
    ASSERT_EQ(Execute(command.c_str(), 0, 0), DOSTRUE);
    EXPECT_EQ(ReadAll(dir / "out.txt"), "through the viewer\n");
    auto lines = ReportLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(fs::path(lines[1]), fs::canonical(dir / "in.txt"));
    EXPECT_EQ(fs::path(lines[2]), fs::canonical(dir / "out.txt"));
    EXPECT_EQ(lines[3], "x");

    // >> appends.
    const std::string again = "SYS:Utilities/MultiView <" + In("in.txt") + " >>" + In("out.txt");
    ASSERT_EQ(Execute(again.c_str(), 0, 0), DOSTRUE);
    EXPECT_EQ(ReadAll(dir / "out.txt"), "through the viewer\nthrough the viewer\n");

    // Handles given to Execute serve when there is no redirection.
    WriteAll(dir / "in2.txt", "from a handle\n");
    BPTR in = Open(In("in2.txt").c_str(), MODE_OLDFILE);
    BPTR out = Open(In("out2.txt").c_str(), MODE_NEWFILE);
    ASSERT_EQ(Execute("SYS:Utilities/MultiView", in, out), DOSTRUE);
    Close(in);
    Close(out);
    EXPECT_EQ(ReadAll(dir / "out2.txt"), "from a handle\n");
}

TEST_F(ExecuteTest, RunStartsWithoutWaitingAndLeavesNoChild) {
    ASSERT_EQ(mkfifo(report.c_str(), 0600), 0);
    ASSERT_EQ(Execute("run >NIL: SYS:Utilities/MultiView poker.guide", 0, 0), DOSTRUE);
    // The viewer blocks on the report pipe until this side reads it, so Execute did not wait.
    const auto lines = ReportThroughFifo();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(fs::path(lines[0]), fs::current_path());
    EXPECT_EQ(lines[1], "/dev/null");
    EXPECT_EQ(lines[2], "/dev/null");
    EXPECT_EQ(lines[3], "poker.guide");
    // Nothing of it is a child of ours, running or dead.
    int status;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(ExecuteTest, OnlyKnownCommandsRun) {
    WriteAll(dir / "SYS" / "Utilities" / "Other", "#!/bin/sh\ntouch \"$PROBE_REPORT\"\n");
    fs::permissions(dir / "SYS" / "Utilities" / "Other", fs::perms::owner_all);
    const char* cases[] = {
        "", "   ", "run", "run >NIL:", ">NIL:", "echo hi", "/bin/sh -c true", "SYS:Utilities/Other",
        "run SYS:Utilities/Other", "SYS:Utilities/MultiViewer x", "\"SYS:Utilities/MultiView x\"",
        "SYS:Utilities/MultiView \"unclosed", "SYS:Utilities/MultiView x\nSYS:Utilities/MultiView y",
        "SYS:Utilities/MultiView >",
    };
    for (const char* command : cases) {
        EXPECT_EQ(Execute(command, 0, 0), DOSFALSE) << command;
        EXPECT_FALSE(fs::exists(report)) << command;
    }
    EXPECT_EQ(Execute(nullptr, 0, 0), DOSFALSE);
}

TEST_F(ExecuteTest, MissingProgramOrInputFails) {
    const std::string missingInput = "SYS:Utilities/MultiView <" + In("nothing");
    EXPECT_EQ(Execute(missingInput.c_str(), 0, 0), DOSFALSE);
    EXPECT_FALSE(fs::exists(report));
    fs::remove(viewer);
    EXPECT_EQ(Execute("run >NIL: SYS:Utilities/MultiView poker.guide", 0, 0), DOSFALSE);
    EXPECT_EQ(Execute("SYS:Utilities/MultiView poker.guide", 0, 0), DOSFALSE);
}

TEST_F(ExecuteTest, AWaitedCommandThatFailsIsReportedAsFailure) {
    WriteAll(viewer, "#!/bin/sh\nexit 5\n");
    EXPECT_EQ(Execute("SYS:Utilities/MultiView x", 0, 0), DOSFALSE);
    // A program that is not executable at all.
    WriteAll(viewer, "not a program");
    fs::permissions(viewer, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Execute("SYS:Utilities/MultiView x", 0, 0), DOSFALSE);
}

}  // namespace
