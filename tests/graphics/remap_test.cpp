// Remapping a planar sheet from picture colours to screen pens, and keeping it intact when
// an allocation fails.
#include <gtest/gtest.h>
#include <intuition.h>

#include <vector>

#include "graphics/ReMapBitMap.h"
#include "host/host.h"

namespace {

// A sheet allocated the way the loader allocates it.
struct Sheet {
    BitMap bm{};
    Sheet(int width, int height, int depth) {
        InitBitMap(&bm, BYTE(depth), UWORD(width), UWORD(height));
        for (int p = 0; p < depth; ++p) bm.Planes[p] = AllocRaster(UWORD(width), UWORD(height));
    }
    ~Sheet() {
        for (PLANEPTR& p : bm.Planes)
            if (p) FreeRaster(p, UWORD(bm.BytesPerRow * 8), bm.Rows);
    }
    int Width() const { return bm.BytesPerRow * 8; }
    // Colour index from the planes, bit p from plane p; planes past the depth do not count.
    int Get(int x, int y) const {
        int v = 0;
        for (int p = 0; p < bm.Depth; ++p)
            if (bm.Planes[p] && bm.Planes[p][y * bm.BytesPerRow + x / 8] & (0x80 >> (x % 8))) v |= 1 << p;
        return v;
    }
    void Set(int x, int y, int v) {
        for (int p = 0; p < bm.Depth; ++p) {
            UBYTE& b = bm.Planes[p][y * bm.BytesPerRow + x / 8];
            if (v >> p & 1) b |= UBYTE(0x80 >> (x % 8));
            else b &= UBYTE(~(0x80 >> (x % 8)));
        }
    }
    std::vector<int> Pixels() const {
        std::vector<int> out;
        for (int y = 0; y < bm.Rows; ++y)
            for (int x = 0; x < Width(); ++x) out.push_back(Get(x, y));
        return out;
    }
    int PlaneCount() const {
        int n = 0;
        for (PLANEPTR p : bm.Planes) n += p != nullptr;
        return n;
    }
};

// Every colour a sheet of this depth can hold, spread over the picture.
int PatternColour(int x, int y, int depth) { return (x * 5 + y * 3 + (x >> 4)) & ((1 << depth) - 1); }

void Fill(Sheet& s, int depth) {
    for (int y = 0; y < s.bm.Rows; ++y)
        for (int x = 0; x < s.Width(); ++x) s.Set(x, y, PatternColour(x, y, depth));
}

// Pens nothing else would produce: colour i gets pen 40 + 17 * i (mod 256).
std::vector<unsigned char> DistinctPens() {
    std::vector<unsigned char> pens(256);
    for (int i = 0; i < 256; ++i) pens[i] = static_cast<unsigned char>(40 + 17 * i);
    return pens;
}

// A screen port of a chosen depth: only its bitmap's depth is read.
struct ScreenPort {
    BitMap bm{};
    RastPort rp{};
    explicit ScreenPort(int depth) {
        InitRastPort(&rp);
        bm.Depth = UBYTE(depth);
        rp.BitMap = &bm;
    }
};

struct DepthCase {
    int sheetDepth, screenDepth;
};

void PrintTo(const DepthCase& c, std::ostream* os) { *os << "sheet " << c.sheetDepth << " screen " << c.screenDepth; }

class ReMapDepths : public ::testing::TestWithParam<DepthCase> {
protected:
    void SetUp() override { host::UseVirtualDisplay(); }
};

TEST_P(ReMapDepths, EveryPixelGetsThePenOfItsLowThreeBits) {
    auto [sheetDepth, screenDepth] = GetParam();
    Sheet sheet(37, 9, sheetDepth);
    Fill(sheet, sheetDepth);
    ScreenPort screen(screenDepth);
    auto pens = DistinctPens();
    ReMapBitMap(sheet.bm, &screen.rp, pens.data());

    int expectDepth = screenDepth < 8 ? screenDepth : 8;
    ASSERT_EQ(sheet.bm.Depth, expectDepth);
    EXPECT_EQ(sheet.PlaneCount(), expectDepth) << "slots past the screen's depth are emptied";
    int mask = (1 << expectDepth) - 1;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < sheet.Width(); ++x)
            ASSERT_EQ(sheet.Get(x, y), pens[PatternColour(x, y, sheetDepth) & 7] & mask) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Depths, ReMapDepths,
                         ::testing::Values(DepthCase{3, 8}, DepthCase{1, 8}, DepthCase{4, 8}, DepthCase{8, 8},
                                           DepthCase{8, 4}, DepthCase{6, 2}, DepthCase{3, 3}, DepthCase{2, 24}));

TEST(ReMap, ThreePlaneSheetOnTheScreenHoldsItsPens) {
    host::UseVirtualDisplay();
    Screen* screen = LockPubScreen(nullptr);
    ASSERT_NE(screen, nullptr);
    Sheet sheet(80, 12, 3);
    Fill(sheet, 3);
    auto pens = DistinctPens();
    ReMapBitMap(sheet.bm, &screen->RastPort, pens.data());
    EXPECT_EQ(sheet.bm.Depth, screen->RastPort.BitMap->Depth);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 80; ++x) ASSERT_EQ(sheet.Get(x, y), pens[PatternColour(x, y, 3)]);
    UnlockPubScreen(nullptr, screen);
}

TEST(ReMap, ColourNineGetsThePenOfColourOne) {
    host::UseVirtualDisplay();
    Sheet sheet(16, 1, 4);
    sheet.Set(3, 0, 9);
    sheet.Set(4, 0, 1);
    sheet.Set(5, 0, 15);
    ScreenPort screen(8);
    auto pens = DistinctPens();
    ReMapBitMap(sheet.bm, &screen.rp, pens.data());
    EXPECT_EQ(sheet.Get(3, 0), pens[1]);
    EXPECT_EQ(sheet.Get(4, 0), pens[1]);
    EXPECT_EQ(sheet.Get(5, 0), pens[7]);
    EXPECT_EQ(sheet.Get(0, 0), pens[0]);
}

struct FailCase {
    const char* op;
    int nth;
};

void PrintTo(const FailCase& c, std::ostream* os) { *os << c.op << " from call " << c.nth; }

class ReMapFailure : public ::testing::TestWithParam<FailCase> {};

TEST_P(ReMapFailure, LeavesTheSheetAsItWas) {
    host::UseVirtualDisplay();
    Sheet sheet(45, 7, 3);
    Fill(sheet, 3);
    std::vector<int> before = sheet.Pixels();
    ScreenPort screen(8);
    auto pens = DistinctPens();
    host::FailFrom(GetParam().op, GetParam().nth);
    ReMapBitMap(sheet.bm, &screen.rp, pens.data());
    host::ClearFaults();
    EXPECT_EQ(sheet.bm.Depth, 3);
    EXPECT_EQ(sheet.Pixels(), before);
}

INSTANTIATE_TEST_SUITE_P(Allocations, ReMapFailure,
                         ::testing::Values(FailCase{"AllocBitMap", 1}, FailCase{"AllocVec", 1},
                                           FailCase{"AllocRaster", 1}, FailCase{"AllocRaster", 3},
                                           FailCase{"AllocRaster", 5}));

TEST(ReMap, EmptySheetIsLeftAlone) {
    host::UseVirtualDisplay();
    BitMap empty{};
    ScreenPort screen(8);
    auto pens = DistinctPens();
    ReMapBitMap(empty, &screen.rp, pens.data());
    EXPECT_EQ(empty.Depth, 0);
    for (PLANEPTR p : empty.Planes) EXPECT_EQ(p, nullptr);
}

}  // namespace
