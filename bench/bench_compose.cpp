// Cost of composing the 640 x 480 screen from the windows' rasters after a change, and of
// asking for it when nothing changed.
#include <benchmark/benchmark.h>

#include <intuition.h>

#include "host/host.h"

namespace {

Window* OpenAt(int left, int top, int width, int height) {
    const TagItem tags[] = {{WA_Title, reinterpret_cast<uintptr_t>("Bench")},
                            {WA_DragBar, 1},
                            {WA_DepthGadget, 1},
                            {WA_CloseGadget, 1},
                            {WA_Left, static_cast<uintptr_t>(left)},
                            {WA_Top, static_cast<uintptr_t>(top)},
                            {WA_Width, static_cast<uintptr_t>(width)},
                            {WA_Height, static_cast<uintptr_t>(height)},
                            {TAG_DONE, 0}};
    return OpenWindowTagList(nullptr, tags);
}

// The game's main window and the windows that open over it.
Window* SetUpScreen(int windows) {
    host::UseVirtualDisplay();
    Window* main = OpenAt(20, 118, 600, 241);
    const int places[][4] = {{370, 122, 210, 81}, {150, 150, 300, 200}, {100, 60, 400, 120}};
    for (int i = 0; i + 1 < windows && i < 3; ++i) OpenAt(places[i][0], places[i][1], places[i][2], places[i][3]);
    return main;
}

void BM_ComposeChangedScreen(benchmark::State& state) {
    Window* main = SetUpScreen(static_cast<int>(state.range(0)));
    int pen = 0;
    for (auto _ : state) {
        SetAPen(main->RPort, 4 + (pen++ & 7));
        WritePixel(main->RPort, 30, 30);
        benchmark::DoNotOptimize(host::ScreenPixel(0, 0));
    }
    state.SetLabel("frames");
}
BENCHMARK(BM_ComposeChangedScreen)->Arg(1)->Arg(4);

void BM_ComposeUnchangedScreen(benchmark::State& state) {
    SetUpScreen(4);
    host::ScreenPixel(0, 0);
    for (auto _ : state) benchmark::DoNotOptimize(host::ScreenPixel(0, 0));
}
BENCHMARK(BM_ComposeUnchangedScreen);

}  // namespace

BENCHMARK_MAIN();
