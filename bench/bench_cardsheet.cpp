// The card sheet at start-up: loading the default sheet and remapping it to screen pens.
#include <benchmark/benchmark.h>
#include <intuition.h>

#include "graphics/ReMapBitMap.h"
#include "graphics/gfxload.h"
#include "host/host.h"

namespace {

unsigned char* SheetPath() {
    static char path[] = POKER_BINARY_DIR "/gfx/defaultcards.lbm";
    return reinterpret_cast<unsigned char*>(path);
}

// Pens for the sheet's colours on the screen's colour map, as start-up obtains them.
void ObtainPens(ColorMap* cm, const unsigned char* colours, int count, unsigned char* pens) {
    const TagItem exact[] = {{OBP_Precision, static_cast<uintptr_t>(PRECISION_EXACT)}, {TAG_DONE, 0}};
    for (int i = 0; i < count; ++i)
        pens[i] = static_cast<unsigned char>(ObtainBestPenA(cm, colours[i * 3] * 0x01010101u,
                                                            colours[i * 3 + 1] * 0x01010101u,
                                                            colours[i * 3 + 2] * 0x01010101u, exact));
}

void ReleasePens(ColorMap* cm, int count, const unsigned char* pens) {
    for (int i = 0; i < count; ++i) ReleasePen(cm, pens[i]);
}

void BM_LoadBlocks(benchmark::State& state) {
    for (auto _ : state) {
        BitMap sheet{};
        unsigned char colours[768];
        if (LoadBlocks(sheet, colours, SheetPath()) != 0) state.SkipWithError("the default sheet does not load");
        benchmark::DoNotOptimize(sheet.Planes[0]);
        FreeBlocks(sheet);
    }
}
BENCHMARK(BM_LoadBlocks)->Unit(benchmark::kMicrosecond);

// From the file to a sheet in screen pens, per load.
void BM_LoadAndRemap(benchmark::State& state) {
    host::UseVirtualDisplay();
    Screen* screen = LockPubScreen(nullptr);
    if (!screen) {
        state.SkipWithError("no screen");
        return;
    }
    ColorMap* cm = screen->ViewPort.ColorMap;
    for (auto _ : state) {
        BitMap sheet{};
        unsigned char colours[768];
        unsigned char pens[256] = {};
        if (LoadBlocks(sheet, colours, SheetPath()) != 0) state.SkipWithError("the default sheet does not load");
        const int count = 1 << sheet.Depth;
        ObtainPens(cm, colours, count, pens);
        ReMapBitMap(sheet, &screen->RastPort, pens);
        benchmark::DoNotOptimize(sheet.Planes[7]);
        ReleasePens(cm, count, pens);
        FreeBlocks(sheet);
    }
    UnlockPubScreen(nullptr, screen);
}
BENCHMARK(BM_LoadAndRemap)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
