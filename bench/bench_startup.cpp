// The whole program on the virtual display: from the start to the first complete frame (the
// moment it first waits for the player), and a whole start and quit.
#include <benchmark/benchmark.h>

#include <dos.h>
#include <unistd.h>
#include <workbench.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "host/host.h"

int poker_main();

namespace {

namespace fs = std::filesystem;

struct Drawer {
    fs::path dir = fs::temp_directory_path() / ("poker-bench-" + std::to_string(::getpid()));
    Drawer() {
        fs::remove_all(dir);
        fs::create_directories(dir / "gfx");
        fs::create_directories(dir / "save");
        fs::copy_file(std::string(POKER_BINARY_DIR) + "/gfx/defaultcards.lbm", dir / "gfx/defaultcards.lbm");
        std::ofstream(dir / "poker.info") << "JOKERS=3\n";
    }
    ~Drawer() { fs::remove_all(dir); }
};

void BM_StartToFirstFrame(benchmark::State& state) {
    Drawer drawer;
    BPTR lock = Lock(drawer.dir.c_str(), SHARED_LOCK);
    char name[] = "poker";
    WBArg arg = {lock, name};
    WBStartup msg{};
    msg.sm_NumArgs = 1;
    msg.sm_ArgList = &arg;
    for (auto _ : state) {
        host::UseVirtualDisplay();
        auto start = std::chrono::steady_clock::now();
        std::chrono::steady_clock::time_point firstFrame;
        host::SetSteps({
            [&] {
                firstFrame = std::chrono::steady_clock::now();
                host::ClickClose(host::FindWindow("Tarnwell Poker"));
            },
            [] { host::ClickGadget(host::FindWindow("Quit Poker"), "Quit"); },
        });
        __WBenchMsg = &msg;
        int status = poker_main();
        __WBenchMsg = nullptr;
        if (status != 0) state.SkipWithError("the program failed");
        state.SetIterationTime(std::chrono::duration<double>(firstFrame - start).count());
    }
    UnLock(lock);
}
BENCHMARK(BM_StartToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
