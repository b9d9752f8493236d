// Blits from a planar bitmap into a port, clipped at every edge of source and destination.
#include <gtest/gtest.h>

#include <climits>
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
    {0, 0, 0, 0, 10, 10},                    // all inside
    {3, 2, 7, 5, 20, 12},                    // odd offsets both sides
    {-5, -3, 10, 10, 20, 10},                // source corner before the bitmap
    {5, 5, -7, -4, 20, 15},                  // destination corner before the raster
    {-6, 4, -3, -9, 25, 25},                 // both negative
    {55, 15, 0, 0, 30, 30},                  // crosses the source's right and bottom
    {60, 0, 0, 0, 30, 5},                    // in the row padding and beyond
    {0, 0, 30, 20, 30, 30},                  // crosses the destination's right and bottom
    {0, 0, 0, 0, 32767, 32767},              // huge
    {-32768, -32768, 0, 0, 32767, 32767},    // far before the source
    {-32768, -32768, -32768, -32768, 32767, 32767},
    {0, 0, 32767, 32767, 100, 100},          // far beyond the destination
    {32767, 32767, 0, 0, 32767, 32767},      // far beyond the source
    {64, 0, 0, 0, 5, 5},                     // just right of the source
    {0, 20, 0, 0, 5, 5},                     // just below the source
    {0, 0, 40, 0, 5, 5},                     // just right of the destination
    {0, 0, 0, 0, 0, 5},                      // empty
    {0, 0, 0, 0, 5, -5},                     // negative size
    {1, 1, 1, 1, 1, 1},                      // one pixel
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

TEST(Blit, IntoALayerLandsExactlyTheClippedBlock) {
    std::mt19937 rng(21);
    for (UBYTE minterm : {UBYTE(0xC0), UBYTE(0x30)}) {
        for (const Blit& b : kBlits) {
            SCOPED_TRACE(testing::Message() << "minterm " << int(minterm) << " src " << b.sx << "," << b.sy << " dst "
                                            << b.dx << "," << b.dy << " size " << b.w << "x" << b.h);
            Planar src(50, 20, 8);
            src.Randomise(rng);
            LayerPort dst(40, 30, 200);
            BltBitMapRastPort(src.bm(), WORD(b.sx), WORD(b.sy), &dst.rp, WORD(b.dx), WORD(b.dy), WORD(b.w), WORD(b.h),
                              minterm);
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x)
                    ASSERT_EQ(dst.At(x, y), Expected(b, src, x, y, 200, minterm == 0x30)) << x << "," << y;
            EXPECT_TRUE(src.GuardsIntact());
        }
    }
}

TEST(Blit, IntoAPlanarPortLandsExactlyTheClippedBlock) {
    std::mt19937 rng(22);
    for (const Blit& b : kBlits) {
        SCOPED_TRACE(testing::Message() << "src " << b.sx << "," << b.sy << " dst " << b.dx << "," << b.dy << " size "
                                        << b.w << "x" << b.h);
        Planar src(50, 20, 8);
        src.Randomise(rng);
        PlanarPort dst(40, 30, 8);  // 48 pixels a row as stored
        dst.planar.Randomise(rng);
        const std::vector<int> before = dst.planar.Pixels();
        BltBitMapRastPort(src.bm(), WORD(b.sx), WORD(b.sy), &dst.rp, WORD(b.dx), WORD(b.dy), WORD(b.w), WORD(b.h),
                          0xC0);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 48; ++x)
                ASSERT_EQ(dst.planar.Get(x, y), Expected(b, src, x, y, before[size_t(y) * 48 + x], false))
                    << x << "," << y;
        EXPECT_TRUE(dst.planar.GuardsIntact());
        EXPECT_TRUE(src.GuardsIntact());
    }
}

TEST(Blit, AShallowSourceWithAMissingPlaneReadsZeroForIt) {
    Planar src(16, 4, 3);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x) src.Set(x, y, 7);
    src.bm()->Planes[1] = nullptr;
    LayerPort dst(16, 4, 99);
    BltBitMapRastPort(src.bm(), 0, 0, &dst.rp, 0, 0, 16, 4, 0xC0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(dst.At(x, y), 5);
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

TEST(Blit, NothingHappensWithoutASourceOrARaster) {
    Planar src(16, 8, 2);
    RastPort bare;
    InitRastPort(&bare);
    BltBitMapRastPort(src.bm(), 0, 0, &bare, 0, 0, 8, 8, 0xC0);
    BltBitMapRastPort(src.bm(), 0, 0, nullptr, 0, 0, 8, 8, 0xC0);
    LayerPort dst(8, 8, 42);
    BltBitMapRastPort(nullptr, 0, 0, &dst.rp, 0, 0, 8, 8, 0xC0);
    for (UBYTE v : dst.layer.pixels) EXPECT_EQ(v, 42);
}

}  // namespace
