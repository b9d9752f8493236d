// Starting a program from its icon: the start-up message, wbrun, and the exit status.
#include <dos.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <workbench.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

#include "host/host.h"

namespace fs = std::filesystem;

namespace {

TEST(ExitStatusTest, NonZeroResultsNeverLeaveAsZero) {
    const std::pair<int, int> cases[] = {
        {0, 0},     {1, 1},     {10, 10},       {20, 20},  {22, 22},   {255, 255},   {256, 255},
        {512, 255}, {1100, 1100 & 255}, {257, 1},       {-1, 255}, {-256, 255}, {65536, 255},
    };
    for (const auto& [result, status] : cases) EXPECT_EQ(host::ExitStatus(result), status) << result;
}

class WbrunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(wbrun)) << wbrun << " is not built";
        ASSERT_TRUE(fs::exists(probe)) << probe << " is not built";
        char tmpl[] = "/tmp/wbrun_test_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = fs::canonical(tmpl);
        fs::create_directory(dir / "My Drawer");
        program = dir / "My Drawer" / "Prog";
        fs::copy_file(probe, program);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    static std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }
    std::string Slurp(const char* file) const {
        std::stringstream ss;
        ss << std::ifstream(dir / file).rdbuf();
        return ss.str();
    }
    // Runs the command line in `cwd` with PROBE_STATUS set; its status, output and errors.
    std::tuple<int, std::string, std::string> Run(const std::string& command, const char* status = "0",
                                                  const fs::path& cwd = "/") {
        const int raw = std::system(("cd " + Quoted(cwd) + " && PROBE_STATUS=" + status + " " + command + " >" +
                                     Quoted(dir / "out") + " 2>" + Quoted(dir / "err")).c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp("out"), Slurp("err")};
    }
    const fs::path wbrun = fs::path(POKER_BINARY_DIR) / "tools" / "wbrun";
    const fs::path probe = fs::path(POKER_BINARY_DIR) / "tests" / "wbprobe";
    fs::path dir, program;
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
        {Quoted(dir / "My Drawer" / "Nothing"), "no such program"},
        {Quoted(dir / "Nowhere" / "Prog"), "not found"},
        {Quoted(dir / "My Drawer") + "/", "not an executable"},
        {"", "usage"},
    };
    for (const auto& [argument, message] : cases) {
        const auto [status, out, err] = Run(Quoted(wbrun) + " " + argument);
        EXPECT_NE(status, 0) << argument;
        EXPECT_NE(err.find(message), std::string::npos) << argument << ": " << err;
        EXPECT_EQ(out, "") << argument;
    }
}

}  // namespace
