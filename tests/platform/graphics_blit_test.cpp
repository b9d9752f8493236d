// Blits from a planar bitmap into a port, clipped at every edge of source and destination.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "graphics_helpers.h"

using gfxtest::LayerPort;
using gfxtest::Planar;
using gfxtest::PlanarPort;

namespace {

struct Blit {
    int sx, sy, dx, dy, w, h;
};

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

TEST(Blit, CoversTextsUnderItAndShowsTheChange) {
    Planar src(16, 8, 2);
    LayerPort dst(100, 20);
    Move(&dst.rp, 10, 8);
    Text(&dst.rp, "one", 3);
    Move(&dst.rp, 60, 8);
    Text(&dst.rp, "two", 3);
    ASSERT_EQ(dst.layer.texts.size(), 2u);
    const uint64_t generation = platform::drawGeneration;
    BltBitMapRastPort(src.bm(), 0, 0, &dst.rp, 12, 4, 4, 4, 0xC0);
    EXPECT_GT(platform::drawGeneration, generation);
    ASSERT_EQ(dst.layer.texts.size(), 1u);
    EXPECT_EQ(dst.layer.texts[0].text, "two");
}

}  // namespace
