// Starting a program from its icon: the start-up message, wbrun, and the exit status.
#include <dos.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <workbench.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/host.h"

namespace fs = std::filesystem;

extern char** environ;

namespace {

TEST(ExitStatusTest, NonZeroResultsNeverLeaveAsZero) {
    const std::pair<int, int> cases[] = {
        {0, 0}, {1, 1}, {10, 10}, {20, 20}, {22, 22}, {255, 255}, {256, 255}, {512, 255},
        {1100, 1100 & 255}, {257, 1}, {-1, 255}, {-256, 255}, {65536, 255},
    };
    for (const auto& [result, status] : cases) EXPECT_EQ(host::ExitStatus(result), status) << result;
}

struct EnvGuard {
    EnvGuard() {
        unsetenv(host::kStartupDrawer);
        unsetenv(host::kStartupName);
    }
    ~EnvGuard() {
        unsetenv(host::kStartupDrawer);
        unsetenv(host::kStartupName);
    }
};

TEST(StartupMessageTest, DrawerAndNameBecomeTheFirstArgument) {
    EnvGuard guard;
    const fs::path tmp = fs::canonical(fs::temp_directory_path());
    setenv(host::kStartupDrawer, tmp.c_str(), 1);
    setenv(host::kStartupName, "poker", 1);
    WBStartup* msg = host::TakeStartupMessage();
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(std::getenv(host::kStartupDrawer), nullptr);
    EXPECT_EQ(std::getenv(host::kStartupName), nullptr);
    ASSERT_EQ(msg->sm_NumArgs, 1);
    ASSERT_NE(msg->sm_ArgList, nullptr);
    EXPECT_STREQ(msg->sm_ArgList[0].wa_Name, "poker");
    ASSERT_NE(msg->sm_ArgList[0].wa_Lock, 0);
    char name[4096];
    ASSERT_EQ(NameFromLock(msg->sm_ArgList[0].wa_Lock, name, sizeof name), DOSTRUE);
    EXPECT_EQ(fs::path(name), tmp);
    host::FreeStartupMessage(msg);
}

TEST(StartupMessageTest, WithoutBothVariablesThereIsNoMessage) {
    EnvGuard guard;
    EXPECT_EQ(host::TakeStartupMessage(), nullptr);
    setenv(host::kStartupName, "poker", 1);
    EXPECT_EQ(host::TakeStartupMessage(), nullptr);
    EXPECT_EQ(std::getenv(host::kStartupName), nullptr);
    setenv(host::kStartupDrawer, "/tmp", 1);
    EXPECT_EQ(host::TakeStartupMessage(), nullptr);
    host::FreeStartupMessage(nullptr);
}

TEST(StartupMessageTest, AMissingDrawerGivesNoLockButStillTheName) {
    EnvGuard guard;
    setenv(host::kStartupDrawer, "/no/such/drawer/anywhere", 1);
    setenv(host::kStartupName, "poker", 1);
    WBStartup* msg = host::TakeStartupMessage();
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(msg->sm_ArgList[0].wa_Lock, 0);
    EXPECT_STREQ(msg->sm_ArgList[0].wa_Name, "poker");
    host::FreeStartupMessage(msg);
}

// ---- through real processes --------------------------------------------------------

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class WbrunTest : public ::testing::Test {
protected:
    void SetUp() override {
        wbrun = fs::path(POKER_BINARY_DIR) / "tools" / "wbrun";
        probe = fs::path(POKER_BINARY_DIR) / "tests" / "wbprobe";
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
    // Run argv in `cwd` with PROBE_STATUS set; collect status, output and errors.
    Outcome Run(const std::vector<std::string>& argv, const std::string& status = "0", const fs::path& cwd = {}) {
        Outcome o;
        const fs::path out = dir / "out", err = dir / "err";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) env.push_back(*e);
        env.push_back("PROBE_STATUS=" + status);
        std::vector<char*> envp, args;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::vector<std::string> copy = argv;
        for (std::string& a : copy) args.push_back(a.data());
        args.push_back(nullptr);
        if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
        pid_t pid;
        const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) return o;
        int st = 0;
        waitpid(pid, &st, 0);
        o.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
        o.out = ReadAll(out);
        o.err = ReadAll(err);
        return o;
    }
    fs::path wbrun, probe, dir, program;
};

TEST_F(WbrunTest, TheProgramGetsItsDrawerAndName) {
    const std::string expected = "args 1\ndrawer " + (dir / "My Drawer").string() + "\nname Prog\ninherited no\n";
    // By absolute path, and by a path relative to where wbrun runs.
    Outcome absolute = Run({wbrun, program});
    EXPECT_EQ(absolute.status, 0) << absolute.err;
    EXPECT_EQ(absolute.out, expected);
    Outcome relative = Run({wbrun, "My Drawer/Prog"}, "0", dir);
    EXPECT_EQ(relative.status, 0) << relative.err;
    EXPECT_EQ(relative.out, expected);
    Outcome here = Run({wbrun, "./Prog"}, "0", dir / "My Drawer");
    EXPECT_EQ(here.out, expected);
}

TEST_F(WbrunTest, StartedDirectlyThereIsNoMessage) {
    Outcome o = Run({program});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, "no message\ninherited no\n");
}

TEST_F(WbrunTest, ExitStatusOfTheProgramIsMapped) {
    const std::pair<const char*, int> cases[] = {{"0", 0}, {"10", 10}, {"20", 20}, {"256", 255}, {"1100", 1100 & 255}, {"-1", 255}};
    for (const auto& [result, status] : cases) {
        EXPECT_EQ(Run({wbrun, program}, result).status, status) << result;
        EXPECT_EQ(Run({program}, result).status, status) << result << " started directly";
    }
}

TEST_F(WbrunTest, MissingProgramIsReportedClearly) {
    Outcome missing = Run({wbrun, (dir / "My Drawer" / "Nothing").string()});
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.err.find("no such program"), std::string::npos) << missing.err;
    EXPECT_EQ(missing.out, "");

    Outcome noDrawer = Run({wbrun, (dir / "Nowhere" / "Prog").string()});
    EXPECT_NE(noDrawer.status, 0);
    EXPECT_NE(noDrawer.err.find("not found"), std::string::npos) << noDrawer.err;

    Outcome drawer = Run({wbrun, (dir / "My Drawer").string() + "/"});
    EXPECT_NE(drawer.status, 0);
    EXPECT_NE(drawer.err.find("not an executable"), std::string::npos) << drawer.err;

    Outcome usage = Run({wbrun});
    EXPECT_NE(usage.status, 0);
    EXPECT_NE(usage.err.find("usage"), std::string::npos) << usage.err;
}

}  // namespace
