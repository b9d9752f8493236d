// Remapping a planar sheet from picture colours to screen pens.
#include <gtest/gtest.h>
#include <intuition.h>

#include <functional>
#include <vector>

#include "graphics/ReMapBitMap.h"
#include "host/host.h"
#include "support/gametable.h"

namespace {

// Every colour a sheet of this depth can hold, spread over the picture.
int PatternColour(int x, int y, int depth) { return (x * 5 + y * 3 + (x >> 4)) & ((1 << depth) - 1); }

// A sheet allocated the way the loader allocates it, holding the pattern or the colours given.
struct Sheet {
    BitMap bm{};
    Sheet(int width, int height, int depth, std::function<int(int, int)> colour = nullptr) {
        InitBitMap(&bm, BYTE(depth), UWORD(width), UWORD(height));
        for (int p = 0; p < depth; ++p) {
            bm.Planes[p] = AllocRaster(UWORD(width), UWORD(height));
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < Width(); ++x) {
                    const int v = colour ? colour(x, y) : PatternColour(x, y, depth);
                    if (v >> p & 1) bm.Planes[p][y * bm.BytesPerRow + x / 8] |= UBYTE(0x80 >> (x % 8));
                    else bm.Planes[p][y * bm.BytesPerRow + x / 8] &= UBYTE(~(0x80 >> (x % 8)));
                }
        }
    }
    ~Sheet() {
        for (PLANEPTR& p : bm.Planes)
            if (p) FreeRaster(p, UWORD(bm.BytesPerRow * 8), bm.Rows);
    }
    int Width() const { return bm.BytesPerRow * 8; }
    int Get(int x, int y) const { return SheetPixel(&bm, x, y); }  // planes past the depth do not count
};

class ReMap : public ::testing::Test {
protected:
    void SetUp() override {
        host::UseVirtualDisplay();
        InitRastPort(&port);
        port.BitMap = &screen;
        for (int i = 0; i < 256; ++i) pens[i] = static_cast<unsigned char>(40 + 17 * i);  // pens nothing else gives
        pub = LockPubScreen(nullptr);
        ASSERT_TRUE(pub != nullptr && pub->RastPort.BitMap->Depth == 8);
    }
    void TearDown() override { UnlockPubScreen(nullptr, pub); }
    // Remaps onto the public screen, or for other depths a port whose bitmap has only a depth.
    void Run(BitMap& sheet, int depth) {
        screen.Depth = UBYTE(depth);
        ReMapBitMap(sheet, depth == 8 ? &pub->RastPort : &port, pens);
    }
    Screen* pub = nullptr;
    BitMap screen{};
    RastPort port{};
    unsigned char pens[256];
};

// A deeper sheet loses its extra planes: only the low three bits pick the pen.
TEST_F(ReMap, EveryPixelGetsThePenOfItsLowThreeBits) {
    const int depths[][2] = {{3, 8}, {1, 8}, {4, 8}, {8, 8}, {8, 4}, {6, 2}, {3, 3}, {2, 24}};
    for (auto [sheetDepth, screenDepth] : depths) {
        SCOPED_TRACE(testing::Message() << "sheet " << sheetDepth << " screen " << screenDepth);
        Sheet sheet(37, 9, sheetDepth);
        Run(sheet.bm, screenDepth);
        const int depth = screenDepth < 8 ? screenDepth : 8;
        ASSERT_EQ(sheet.bm.Depth, depth);
        for (int p = 0; p < 8; ++p) EXPECT_EQ(sheet.bm.Planes[p] != nullptr, p < depth) << "plane " << p;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < sheet.Width(); ++x)
                ASSERT_EQ(sheet.Get(x, y), pens[PatternColour(x, y, sheetDepth) & 7] & ((1 << depth) - 1))
                    << x << "," << y;
    }
}

// A record larger than any card sheet the loader takes is left alone, not blown up into a
// pixel array of gigabytes.
TEST_F(ReMap, ARecordBeyondTheLoadersBoundIsLeftAlone) {
    BitMap huge{};
    InitBitMap(&huge, 0, 65520, 8000);
    host::ResetCallCounts();
    Run(huge, 8);
    EXPECT_EQ(huge.Depth, 0);
    EXPECT_EQ(host::CallCounts().count("AllocVec"), 0u);
}

}  // namespace
