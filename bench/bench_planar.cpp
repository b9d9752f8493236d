// Planes to pens and back for a card sheet (928 x 480, 3 and 8 planes), and a card blit.
#include <benchmark/benchmark.h>

#include <graphics.h>

#include <random>
#include <vector>

#include "layer.h"

namespace {

constexpr int kW = 928, kH = 480;

struct Sheet {
    BitMap* bm;
    RastPort rp;
    explicit Sheet(int depth) : bm(AllocBitMap(kW, kH, depth, BMF_CLEAR, nullptr)) {
        std::mt19937 rng(1);
        for (int p = 0; p < depth; ++p)
            for (size_t i = 0; i < size_t(bm->BytesPerRow) * kH; ++i) bm->Planes[p][i] = uint8_t(rng());
        InitRastPort(&rp);
        rp.BitMap = bm;
    }
    ~Sheet() { FreeBitMap(bm); }
};

void BM_ReadPixelArray8(benchmark::State& state) {
    Sheet sheet(int(state.range(0)));
    std::vector<UBYTE> pens(size_t(kW) * kH);
    for (auto _ : state) {
        ReadPixelArray8(&sheet.rp, 0, 0, kW - 1, kH - 1, pens.data(), nullptr);
        benchmark::DoNotOptimize(pens.data());
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_ReadPixelArray8)->Arg(3)->Arg(8)->Unit(benchmark::kMicrosecond);

void BM_WritePixelArray8(benchmark::State& state) {
    Sheet sheet(int(state.range(0)));
    std::vector<UBYTE> pens(size_t(kW) * kH);
    std::mt19937 rng(2);
    for (auto& p : pens) p = UBYTE(rng());
    for (auto _ : state) {
        WritePixelArray8(&sheet.rp, 0, 0, kW - 1, kH - 1, pens.data(), nullptr);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kW * kH);
}
BENCHMARK(BM_WritePixelArray8)->Arg(3)->Arg(8)->Unit(benchmark::kMicrosecond);

// One card (71 x 96) from an 8-plane sheet into a window's layer.
void BM_BlitCard(benchmark::State& state) {
    Sheet sheet(8);
    Layer layer;
    layer.Resize(608, 243, 0);
    RastPort rp;
    InitRastPort(&rp);
    rp.Layer = &layer;
    int i = 0;
    for (auto _ : state) {
        BltBitMapRastPort(sheet.bm, WORD(71 * (i % 13)), WORD(96 * (i % 4)), &rp, 20, 30, 71, 96, 0xC0);
        ++i;
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 71 * 96);
}
BENCHMARK(BM_BlitCard)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
