#include "support/drawer.h"

#include <gtest/gtest.h>

#include <dos.h>
#include <workbench.h>

#include <unistd.h>

#include <fstream>

int poker_main();

namespace fs = std::filesystem;

namespace support {

Drawer::Drawer(const std::vector<std::string>& toolTypes, bool withIcon) {
    static int serial = 0;
    dir_ = fs::temp_directory_path() / ("poker-drawer-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    fs::remove_all(dir_);
    for (const char* sub : {"gfx", "save"}) fs::create_directories(dir_ / sub);
    fs::copy_file(std::string(POKER_BINARY_DIR) + "/gfx/defaultcards.lbm", dir_ / "gfx/defaultcards.lbm");
    std::ofstream(dir_ / "poker") << "program";
    if (withIcon) WriteIcon(toolTypes);
}

Drawer::~Drawer() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

void Drawer::WriteIcon(const std::vector<std::string>& toolTypes) {
    std::ofstream icon(dir_ / "poker.info");
    for (const auto& t : toolTypes) icon << t << '\n';
}

std::vector<std::string> Drawer::IconLines() const {
    std::ifstream icon(dir_ / "poker.info");
    std::vector<std::string> lines;
    for (std::string line; std::getline(icon, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

int Drawer::Start() {
    BPTR lock = Lock(dir_.c_str(), SHARED_LOCK);
    EXPECT_NE(lock, 0);
    char name[] = "poker";
    WBArg arg = {lock, name};
    WBStartup msg{};
    msg.sm_NumArgs = 1, msg.sm_ArgList = &arg;
    __WBenchMsg = &msg;
    const fs::path before = fs::current_path();
    struct Restore {
        BPTR lock;
        ~Restore() { __WBenchMsg = nullptr, UnLock(lock); }
    } restore{lock};
    const int status = poker_main();
    EXPECT_EQ(fs::current_path(), before) << "the program left another current directory";
    return status;
}

int Drawer::Run(std::vector<std::function<void()>> steps, const host::ScreenConfig& config, const char* fault) {
    host::UseVirtualDisplay(config);
    if (fault) host::FailOnce(fault);
    host::SetSteps(std::move(steps));
    try { return Start(); } catch (const host::Stalled& e) { ADD_FAILURE() << e.what(); }
    return -1;
}

int Drawer::RunWithUser(host::User user, const std::function<void()>& arm) {
    host::UseVirtualDisplay();
    if (arm) arm();
    host::SetUser(std::move(user));
    return Start();
}

Window* MainWindow() { return host::FindWindow("Tarnwell Poker"); }

}  // namespace support
