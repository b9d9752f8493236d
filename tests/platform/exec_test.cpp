// Exec (faults, memory, libraries) and programs started from their icons: wbrun and exit statuses.
#include <exec.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "host/host.h"
#include "support/files.h"

namespace fs = std::filesystem;
using support::ReadFile;

namespace {

using ExecTest = support::FaultFree;

TEST_F(ExecTest, EveryFallibleExecAndGraphicsCallObeysItsFault) {
    const std::pair<const char*, bool (*)()> cases[] = {
        {"AllocMem", [] { APTR p = AllocMem(16, MEMF_ANY); FreeMem(p, 16); return p == nullptr; }},
        {"AllocVec", [] { APTR p = AllocVec(16, MEMF_ANY); FreeVec(p); return p == nullptr; }},
        {"OpenLibrary", [] { Library* l = OpenLibrary("gadtools.library", 0); CloseLibrary(l); return l == nullptr; }},
        {"GetInterface", [] {
             Library* l = OpenLibrary("gadtools.library", 0);
             Interface* i = GetInterface(l, "main", 1, nullptr);
             return DropInterface(i), CloseLibrary(l), i == nullptr;
         }},
        {"AllocRaster", [] { PLANEPTR p = AllocRaster(32, 4); FreeRaster(p, 32, 4); return p == nullptr; }},
        {"AllocBitMap", [] { BitMap* b = AllocBitMap(32, 4, 2, 0, nullptr); FreeBitMap(b); return b == nullptr; }},
        {"OpenFont", [] { TextAttr ta{"topaz.font", 8, 0, 0}; TextFont* f = OpenFont(&ta); CloseFont(f); return !f; }},
    };
    for (const auto& [op, fails] : cases) {
        SCOPED_TRACE(op);
        host::FailOnce(op);
        host::FailOnce("Other");  // faults go by name
        EXPECT_EQ(std::vector<bool>({fails(), fails()}), std::vector<bool>({true, false}));
        host::FailFrom(op, 2);
        EXPECT_EQ(std::vector<bool>({fails(), fails(), fails()}), std::vector<bool>({false, true, true}));
        host::ClearFaults();
        EXPECT_FALSE(fails());
    }
}

TEST_F(ExecTest, MemoryIsClearedWholeAndBadFreesAreHarmless) {
    for (ULONG size : {1u, 17u, 4096u}) {
        auto* m = static_cast<unsigned char*>(AllocMem(size, MEMF_ANY | MEMF_CLEAR));
        auto* v = static_cast<unsigned char*>(AllocVec(size, MEMF_CLEAR));
        ASSERT_TRUE(m && v);
        for (ULONG i = 0; i < size; ++i) ASSERT_EQ(m[i] | v[i], 0) << size;
        std::memset(m, 0xFF, size), std::memset(v, 0xFF, size);  // the whole block is ours
        FreeMem(m, size);
        FreeVec(v);
        FreeVec(v);  // twice: ignored
    }
    EXPECT_EQ(AllocVec(0, MEMF_ANY), nullptr);
    int local = 0;
    FreeMem(&local, sizeof local);  // never handed out: ignored
}

TEST_F(ExecTest, CopyMemCopiesEveryByteEvenOverlapping) {
    char buf[] = "abcdefghij";
    CopyMem(buf, buf + 2, 5);
    EXPECT_STREQ(buf, "ababcdehij");
}

TEST_F(ExecTest, KnownLibrariesOpenWithTheirMainInterfaceOnly) {
    const std::tuple<const char*, ULONG, bool> cases[] = {
        {"gadtools.library", 0, true},    {"dos.library", 36, true},       {"intuition.library", 0, true},
        {"gadtools.library", 999, false}, {"mathieee.library", 0, false}, {"GadTools.library", 0, false}};
    for (const auto& [name, version, opens] : cases) {
        Library* lib = OpenLibrary(name, version);
        EXPECT_EQ(lib != nullptr, opens) << name << " " << version;
        CloseLibrary(lib);
    }
    Library* lib = OpenLibrary("gadtools.library", 0);
    Interface* main = GetInterface(lib, "main", 1, nullptr);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->Data, lib);
    EXPECT_EQ(GetInterface(lib, "private", 1, nullptr), nullptr);
    EXPECT_EQ(GetInterface(lib, "main", 2, nullptr), nullptr);
    EXPECT_EQ(GetInterface(nullptr, "main", 1, nullptr), nullptr);
    DropInterface(main);
    CloseLibrary(lib);
}

TEST(ExitStatusTest, NonZeroResultsNeverLeaveAsZero) {
    const std::pair<int, int> cases[] = {{0, 0},     {1, 1},     {10, 10},  {20, 20},   {22, 22},    {255, 255}, {256, 255},
                                         {512, 255}, {1100, 1100 & 255}, {257, 1}, {-1, 255}, {-256, 255}, {65536, 255}};
    for (const auto& [result, status] : cases) EXPECT_EQ(host::ExitStatus(result), status) << result;
}

class WbrunTest : public support::FileTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(wbrun)) << wbrun << " is not built";
        ASSERT_TRUE(fs::exists(probe)) << probe << " is not built";
        fs::create_directory(dir / "My Drawer");
        program = dir / "My Drawer" / "Prog";
        fs::copy_file(probe, program);
    }
    static std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }
    // Runs the command line in `cwd` with PROBE_STATUS set; its status, output and errors.
    std::tuple<int, std::string, std::string> Run(const std::string& command, const char* status = "0",
                                                  const fs::path& cwd = "/") {
        const int raw = std::system(("cd " + Quoted(cwd) + " && PROBE_STATUS=" + status + " " + command + " >" +
                                     Quoted(dir / "out") + " 2>" + Quoted(dir / "err")).c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(dir / "out"), ReadFile(dir / "err")};
    }
    const fs::path wbrun = fs::path(POKER_BINARY_DIR) / "tools" / "wbrun";
    const fs::path probe = fs::path(POKER_BINARY_DIR) / "tests" / "wbprobe";
    fs::path program;
};

TEST_F(WbrunTest, TheProgramGetsItsDrawerAndNameAndItsStatusIsMapped) {
    const std::string expected = "args 1\ndrawer " + (dir / "My Drawer").string() + "\nname Prog\ninherited no\n";
    // By absolute path, and by paths relative to where wbrun runs.
    const std::pair<std::string, fs::path> starts[] = {
        {Quoted(program), "/"}, {"'My Drawer/Prog'", dir}, {"./Prog", dir / "My Drawer"}};
    for (const auto& [path, cwd] : starts) {
        const auto [status, out, err] = Run(Quoted(wbrun) + " " + path, "0", cwd);
        EXPECT_EQ(status, 0) << path << err;
        EXPECT_EQ(out, expected) << path;
    }
    EXPECT_EQ(std::get<1>(Run(Quoted(program))), "no message\ninherited no\n");  // started directly
    const std::pair<const char*, int> statuses[] = {{"0", 0}, {"20", 20}, {"256", 255}, {"1100", 76}, {"-1", 255}};
    for (const auto& [result, status] : statuses) {
        EXPECT_EQ(std::get<0>(Run(Quoted(wbrun) + " " + Quoted(program), result)), status) << result;
        EXPECT_EQ(std::get<0>(Run(Quoted(program), result)), status) << result << " started directly";
    }
}

TEST_F(WbrunTest, WhatCannotBeStartedIsReportedClearly) {
    const std::pair<std::string, const char*> cases[] = {
        {Quoted(dir / "My Drawer" / "Nothing"), "no such program"}, {Quoted(dir / "Nowhere" / "Prog"), "not found"},
        {Quoted(dir / "My Drawer") + "/", "not an executable"}, {"", "usage"},
    };
    for (const auto& [argument, message] : cases) {
        const auto [status, out, err] = Run(Quoted(wbrun) + " " + argument);
        EXPECT_NE(status, 0) << argument;
        EXPECT_NE(err.find(message), std::string::npos) << argument << ": " << err;
        EXPECT_EQ(out, "") << argument;
    }
}

}  // namespace
