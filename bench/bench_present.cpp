// What showing a changed screen costs: 640 x 480 pens through the palette into the SDL
// window's texture and onto the window. Without a display SDL's dummy driver is used.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "display/display.h"

namespace {

constexpr int kW = 640, kH = 480;

std::unique_ptr<display::Backend> OpenBackend(benchmark::State& state) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr)
        setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("WB_SCALE", "1", 0);
    auto backend = display::MakeHostBackend();
    std::string why;
    if (!backend->Open(kW, kH, why)) {
        state.SkipWithError(("no display: " + why).c_str());
        return nullptr;
    }
    return backend;
}

void Palette(uint8_t palette[256][3]) {
    for (int p = 0; p < 256; ++p) {
        palette[p][0] = uint8_t(p * 3);
        palette[p][1] = uint8_t(p * 5);
        palette[p][2] = uint8_t(255 - p);
    }
}

// Every frame differs from the one before in a 71 x 96 card-sized block.
void BM_PresentChangedScreen(benchmark::State& state) {
    auto backend = OpenBackend(state);
    if (!backend) return;
    std::vector<uint8_t> pens(size_t(kW) * kH);
    for (size_t i = 0; i < pens.size(); ++i) pens[i] = uint8_t(i % 251);
    uint8_t palette[256][3];
    Palette(palette);
    int frame = 0;
    for (auto _ : state) {
        const int x0 = (frame * 71) % (kW - 71), y0 = (frame * 13) % (kH - 96);
        for (int y = y0; y < y0 + 96; ++y)
            for (int x = x0; x < x0 + 71; ++x) pens[size_t(y) * kW + x] = uint8_t(frame);
        backend->Present(pens.data(), palette);
        ++frame;
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
    state.SetLabel(std::getenv("SDL_VIDEODRIVER") ? std::getenv("SDL_VIDEODRIVER") : "default driver");
}
BENCHMARK(BM_PresentChangedScreen)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
