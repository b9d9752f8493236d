// Drawing: boxes and blits clipped, and pens.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "gfx_private.h"
#include "graphics_helpers.h"
#include "host/host.h"
#include "support/files.h"

using gfxtest::LayerPort;
using gfxtest::Planar;
using gfxtest::PlanarPort;

namespace {

constexpr int kW = 40, kH = 30;

TEST(RectFill, FillsExactlyTheInclusiveBoxClipped) {
    const LONG rects[][4] = {
        {0, 0, 0, 0},        {3, 4, 10, 8},        {10, 8, 3, 4},           {5, 5, 4, 9},
        {-5, -5, 3, 2},      {35, 25, 60, 70},     {-100, 10, 100, 10},     {20, -100, 20, 100},
        {0, 0, kW - 1, kH - 1}, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {INT32_MAX - 1, 0, INT32_MAX, 5},
        {-2000000000, 3, -1, 5}, {kW, 0, kW + 5, 5}, {0, kH, 5, kH + 5},
    };
    for (bool layer : {true, false})
        for (auto [x0, y0, x1, y1] : rects) {
            SCOPED_TRACE(testing::Message() << x0 << "," << y0 << ".." << x1 << "," << y1 << (layer ? " layer" : " bitmap"));
            LayerPort lp(kW, kH, 9);
            PlanarPort pp(kW, kH, 4);  // 48 pixels a row as stored
            pp.rp.BitMap->Planes[2] = nullptr;  // a plane it lacks is skipped
            RastPort* rp = layer ? &lp.rp : &pp.rp;
            SetAPen(rp, layer ? 3 : 15);
            const uint64_t generation = platform::drawGeneration;
            RectFill(rp, x0, y0, x1, y1);
            bool landed = false;
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < (layer ? kW : 48); ++x) {
                    const bool in = x >= x0 && x <= x1 && y >= y0 && y <= y1;
                    landed |= in;
                    const int want = layer ? (in ? 3 : 9) : (in ? 11 : 0);
                    ASSERT_EQ(layer ? lp.At(x, y) : pp.planar.Get(x, y), want) << x << "," << y;
                }
            EXPECT_EQ(layer ? platform::drawGeneration != generation : landed, landed)
                << "only drawing that lands is a change";
            EXPECT_TRUE(pp.planar.GuardsIntact());
        }
}

// A glyph fills its eight columns (the underscore reaches the last); a character the font lacks
// shows as a box one column narrower than its cell.
TEST(Text, GlyphsFillTheirCellAndALackingCharacterIsABox) {
    LayerPort lp(kW, kH);
    SetAPen(&lp.rp, 1);
    Move(&lp.rp, 0, 6);
    Text(&lp.rp, "_\x01", 2);
    bool eighth = false;
    for (int y = 0; y < 8; ++y) eighth |= lp.At(7, y) == 1;
    EXPECT_TRUE(eighth) << "the underscore's last column";
    for (int y = 0; y < 8; ++y)
        for (int x = 8; x < 16; ++x)
            EXPECT_EQ(lp.At(x, y), (y == 0 || y == 7) ? x < 15 : x == 8 || x == 14) << x << "," << y;
}

struct Blit { int sx, sy, dx, dy, w, h; };

// Source 50 x 20 (64 pixels a row as stored), destination 40 x 30.
const Blit kBlits[] = {
    {0, 0, 0, 0, 10, 10},       {3, 2, 7, 5, 20, 12},      // inside; odd offsets both sides
    {-5, -3, 10, 10, 20, 10},   {5, 5, -7, -4, 20, 15},    // a corner before the source; the destination
    {-6, 4, -3, -9, 25, 25},    {55, 15, 0, 0, 30, 30},    // both negative; across the source's right and bottom
    {60, 0, 0, 0, 30, 5},       {0, 0, 30, 20, 30, 30},    // in the row padding; across the destination's edges
    {0, 0, 0, 0, 32767, 32767}, {-32768, -32768, 0, 0, 32767, 32767}, {-32768, -32768, -32768, -32768, 32767, 32767},
    {0, 0, 32767, 32767, 100, 100}, {32767, 32767, 0, 0, 32767, 32767},  // far beyond the destination; the source
    {64, 0, 0, 0, 5, 5},        {0, 20, 0, 0, 5, 5},       // just right of, just below the source
    {0, 0, 40, 0, 5, 5},        {1, 1, 1, 1, 1, 1},        // just right of the destination; one pixel
    {0, 0, 0, 0, 0, 5},         {0, 0, 0, 0, 5, -5},       // empty; negative size
};

// What the destination holds after the blit, pixel by pixel.
int Expected(const Blit& b, const Planar& src, int x, int y, int before, bool invert) {
    const long ox = long(x) - b.dx, oy = long(y) - b.dy;
    if (ox < 0 || oy < 0 || ox >= b.w || oy >= b.h) return before;
    const long sx = b.sx + ox, sy = b.sy + oy;
    if (sx < 0 || sy < 0 || sx >= src.Width() || sy >= src.Height()) return before;
    const int v = src.Get(int(sx), int(sy));
    return invert ? (~v & 0xFF) : v;
}

TEST(Blit, LandsExactlyTheClippedBlockReadingAndWritingNothingOutside) {
    std::mt19937 rng(21);
    for (int kind : {0, 1, 2})  // into a layer, inverted into a layer, into a planar port
        for (const Blit& b : kBlits) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << " src " << b.sx << "," << b.sy << " dst " << b.dx
                                            << "," << b.dy << " size " << b.w << "x" << b.h);
            Planar src(50, 20, 8);
            src.Randomise(rng);
            LayerPort lp(40, 30, 200);
            PlanarPort pp(40, 30, 8);  // 48 pixels a row as stored
            pp.planar.Randomise(rng);
            const std::vector<int> before = pp.planar.Pixels();
            BltBitMapRastPort(src.bm(), WORD(b.sx), WORD(b.sy), kind < 2 ? &lp.rp : &pp.rp, WORD(b.dx), WORD(b.dy),
                              WORD(b.w), WORD(b.h), kind == 1 ? 0x30 : 0xC0);
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < (kind < 2 ? 40 : 48); ++x) {
                    const int got = kind < 2 ? lp.At(x, y) : pp.planar.Get(x, y);
                    const int old = kind < 2 ? 200 : before[size_t(y) * 48 + x];
                    ASSERT_EQ(got, Expected(b, src, x, y, old, kind == 1)) << x << "," << y;
                }
            EXPECT_TRUE(src.GuardsIntact());
            EXPECT_TRUE(pp.planar.GuardsIntact());
        }
}

ULONG Spread(int v) { return ULONG(v) * 0x01010101u; }

class Pens : public support::FaultFree {
protected:
    void TearDown() override { platform::DeleteColorMap(cm); }
    LONG Best(int r, int g, int b, ULONG tag = OBP_Precision, LONG value = PRECISION_EXACT, ColorMap* map = nullptr) {
        return ObtainBestPen(map ? map : cm, Spread(r), Spread(g), Spread(b), tag, value, TAG_DONE);
    }
    std::vector<int> Rgb(LONG pen, ColorMap* map) {
        UBYTE rgb[3] = {1, 1, 1};
        GetRGB8(map, ULONG(pen), rgb);
        return {rgb[0], rgb[1], rgb[2]};
    }
    int InUse() { return platform::PensInUse(cm); }
    ColorMap* cm = platform::NewColorMap();
};

TEST_F(Pens, AMapStartsWithTheFourFixedPensAndBlack) {
    const std::vector<int> fixed[5] = {{0xAA, 0xAA, 0xAA}, {0, 0, 0}, {0xFF, 0xFF, 0xFF}, {0x66, 0x88, 0xBB}, {0, 0, 0}};
    for (ColorMap* map : {cm, static_cast<ColorMap*>(nullptr)}) {
        uint8_t palette[256][3];
        std::memset(palette, 0x77, sizeof palette);
        platform::PaletteOf(map, palette);
        for (int p = 0; p < 256; ++p) {
            const std::vector<int>& want = fixed[std::min(p, 4)];
            ASSERT_EQ(std::vector<int>(palette[p], palette[p] + 3), want) << p << (map ? "" : " null map");
            ASSERT_EQ(Rgb(p, map), map ? want : std::vector<int>(3, 0)) << p << " a null map answers black";
        }
    }
    EXPECT_EQ(InUse(), 0);
}

TEST_F(Pens, APenIsFreeOnlyWhenItsLastUserLetsGo) {
    for (ULONG pen : {0u, 3u, 100u, 256u}) ReleasePen(cm, pen);  // never obtained
    EXPECT_EQ(Best(0, 0, 0), 1);
    const LONG green = Best(0, 0x80, 0);
    EXPECT_EQ(Best(0, 0x80, 0), green);
    ReleasePen(cm, ULONG(green));
    EXPECT_EQ(InUse(), 1);
    const LONG red = Best(0xCC, 0, 0);
    EXPECT_NE(red, green) << "still held once";
    ReleasePen(cm, ULONG(green));
    ReleasePen(cm, ULONG(red));
    ReleasePen(cm, ULONG(red));  // once too often
    EXPECT_EQ(InUse(), 0);
    const LONG blue = Best(0, 0, 0xEE);  // free again: the next new colour takes it, and its colour
    EXPECT_EQ(blue, std::min(green, red));
    EXPECT_EQ(Rgb(blue, cm), (std::vector<int>{0, 0, 0xEE}));
}

TEST_F(Pens, AFullMapAnswersMinusOneForANewExactColourButStillSharesAnExistingOne) {
    for (int i = 4; i < 256; ++i) ASSERT_EQ(Best(i, 1, 1), i);
    EXPECT_EQ(Best(1, 2, 3), -1);
    EXPECT_EQ(Best(10, 1, 1), 10);
    host::FailOnce("ObtainBestPen");
    EXPECT_EQ(Best(10, 1, 1), -1);
}

}  // namespace
