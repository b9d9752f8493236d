// Pixel arrays: planar bitmaps to pens and back, and the same through a window's layer.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics_helpers.h"

using gfxtest::LayerPort;
using gfxtest::PlanarPort;

namespace {

struct Shape {
    int width, height, depth;
};

std::vector<Shape> Shapes() {
    std::vector<Shape> shapes;
    for (int depth = 1; depth <= 8; ++depth)
        for (int width : {1, 7, 8, 9, 15, 16, 17, 33, 71, 100}) shapes.push_back({width, 3 + depth % 3, depth});
    return shapes;
}

TEST(PixelArray, ReadingAPlanarPortGivesEveryPixelsPen) {
    std::mt19937 rng(11);
    for (const Shape& s : Shapes()) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << "x" << s.depth);
        PlanarPort port(s.width, s.height, s.depth);
        port.planar.Randomise(rng);
        const int w = port.planar.Width(), h = port.planar.Height();
        std::vector<UBYTE> array(size_t(w) * h, 0xEE);
        EXPECT_EQ(ReadPixelArray8(&port.rp, 0, 0, w - 1, h - 1, array.data(), nullptr), w * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(array[size_t(y) * w + x], port.planar.Get(x, y)) << x << "," << y;
        EXPECT_TRUE(port.planar.GuardsIntact());
    }
}

TEST(PixelArray, WritingThenReadingAPlanarPortRoundTrips) {
    std::mt19937 rng(12);
    for (const Shape& s : Shapes()) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << "x" << s.depth);
        PlanarPort port(s.width, s.height, s.depth);
        const int w = port.planar.Width(), h = port.planar.Height();
        const int mask = (1 << s.depth) - 1;
        std::vector<UBYTE> pens(size_t(w) * h);
        for (auto& p : pens) p = UBYTE(rng() & mask);
        EXPECT_EQ(WritePixelArray8(&port.rp, 0, 0, w - 1, h - 1, pens.data(), nullptr), w * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(port.planar.Get(x, y), pens[size_t(y) * w + x]) << x << "," << y;
        std::vector<UBYTE> back(pens.size());
        ReadPixelArray8(&port.rp, 0, 0, w - 1, h - 1, back.data(), nullptr);
        EXPECT_EQ(back, pens);
        EXPECT_TRUE(port.planar.GuardsIntact());
    }
}

TEST(PixelArray, PenBitsBeyondTheDepthAreDropped) {
    for (int depth = 1; depth <= 7; ++depth) {
        PlanarPort port(16, 1, depth);
        std::vector<UBYTE> pens(16, 0xFF);
        WritePixelArray8(&port.rp, 0, 0, 15, 0, pens.data(), nullptr);
        for (int x = 0; x < 16; ++x) EXPECT_EQ(port.planar.Get(x, 0), (1 << depth) - 1) << depth;
    }
}

// Writing a sub-rectangle whose columns start and end inside bytes changes exactly it.
TEST(PixelArray, WritingPartOfAPlanarRowLeavesItsNeighboursAlone) {
    struct Case {
        int x0, x1, y0, y1;
    };
    const Case cases[] = {{0, 0, 0, 0}, {3, 4, 1, 1}, {7, 8, 0, 2}, {5, 26, 1, 3}, {8, 15, 0, 3}, {1, 46, 2, 2},
                          {0, 47, 0, 3}, {13, 13, 3, 3}};
    std::mt19937 rng(13);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x0 << ".." << c.x1 << " x " << c.y0 << ".." << c.y1);
        PlanarPort port(48, 4, 5);
        port.planar.Randomise(rng);
        const std::vector<int> before = port.planar.Pixels();
        const int w = c.x1 - c.x0 + 1, h = c.y1 - c.y0 + 1;
        std::vector<UBYTE> pens(size_t(w) * h);
        for (auto& p : pens) p = UBYTE(rng() & 31);
        EXPECT_EQ(WritePixelArray8(&port.rp, c.x0, c.y0, c.x1, c.y1, pens.data(), nullptr), w * h);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 48; ++x) {
                const bool inside = x >= c.x0 && x <= c.x1 && y >= c.y0 && y <= c.y1;
                const int want = inside ? pens[size_t(y - c.y0) * w + (x - c.x0)] : before[size_t(y) * 48 + x];
                ASSERT_EQ(port.planar.Get(x, y), want) << x << "," << y;
            }
        EXPECT_TRUE(port.planar.GuardsIntact());
    }
}

TEST(PixelArray, AMissingPlaneReadsZeroAndIsNotWritten) {
    PlanarPort port(16, 2, 3);
    port.rp.BitMap->Planes[1] = nullptr;
    std::vector<UBYTE> pens(32, 7);
    EXPECT_EQ(WritePixelArray8(&port.rp, 0, 0, 15, 1, pens.data(), nullptr), 32);
    std::vector<UBYTE> back(32, 0xEE);
    ReadPixelArray8(&port.rp, 0, 0, 15, 1, back.data(), nullptr);
    for (UBYTE v : back) EXPECT_EQ(v, 5);
}

// A rectangle reaching outside the raster copies only its inside; the array keeps the
// whole rectangle's layout and its outside bytes stay untouched.
TEST(PixelArray, RectanglesReachingOutsideAreClipped) {
    struct Case {
        ULONG x0, y0, x1, y1;
        bool layer;
    };
    const Case cases[] = {
        {20, 5, 40, 12, true},  {20, 5, 40, 12, false}, {30, 0, 31, 3, true},     {30, 0, 31, 3, false},
        {0, 9, 5, 20, true},    {0, 9, 5, 20, false},   {33, 11, 40, 40, true},   {33, 11, 40, 40, false},
        {5, 5, 4, 9, true},     {5, 5, 9, 4, false},    {0xFFFFFFF0u, 0, 0xFFFFFFFFu, 1, true},
    };
    std::mt19937 rng(14);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x0 << "," << c.y0 << ".." << c.x1 << "," << c.y1 << (c.layer ? " layer" : " planar"));
        LayerPort lp(32, 10);
        PlanarPort pp(32, 10, 8);
        RastPort* rp = c.layer ? &lp.rp : &pp.rp;
        auto get = [&](int x, int y) { return c.layer ? lp.At(x, y) : pp.planar.Get(x, y); };
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 32; ++x) {
                lp.layer.pixels[size_t(y) * 32 + x] = UBYTE(rng());
                pp.planar.Set(x, y, int(rng() & 0xFF));
            }
        const int64_t w = int64_t(c.x1) - c.x0 + 1, h = int64_t(c.y1) - c.y0 + 1;
        int64_t inside = 0;
        for (int64_t y = c.y0; y <= int64_t(c.y1); ++y)
            for (int64_t x = c.x0; x <= int64_t(c.x1); ++x) inside += (x < 32 && y < 10);
        if (w <= 0 || h <= 0 || w * h > 4096) {
            UBYTE dummy[4] = {};
            EXPECT_EQ(ReadPixelArray8(rp, c.x0, c.y0, c.x1, c.y1, dummy, nullptr), inside);
            continue;
        }
        std::vector<UBYTE> array(size_t(w * h), 0xEE);
        EXPECT_EQ(ReadPixelArray8(rp, c.x0, c.y0, c.x1, c.y1, array.data(), nullptr), inside);
        for (int64_t y = 0; y < h; ++y)
            for (int64_t x = 0; x < w; ++x) {
                const int64_t rx = c.x0 + x, ry = c.y0 + y;
                const int want = (rx < 32 && ry < 10) ? get(int(rx), int(ry)) : 0xEE;
                ASSERT_EQ(array[size_t(y * w + x)], want) << x << "," << y;
            }
        std::vector<UBYTE> pens(size_t(w * h));
        for (auto& p : pens) p = UBYTE(rng());
        std::vector<int> before;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 32; ++x) before.push_back(get(x, y));
        EXPECT_EQ(WritePixelArray8(rp, c.x0, c.y0, c.x1, c.y1, pens.data(), nullptr), inside);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 32; ++x) {
                const bool in = x >= int64_t(c.x0) && x <= int64_t(c.x1) && y >= int64_t(c.y0) && y <= int64_t(c.y1);
                const int want = in ? pens[size_t((y - c.y0) * w + (x - c.x0))] : before[size_t(y) * 32 + x];
                ASSERT_EQ(get(x, y), want) << x << "," << y;
            }
        EXPECT_TRUE(pp.planar.GuardsIntact());
    }
}

TEST(PixelArray, ALayerPortRoundTripsAndShowsTheChange) {
    LayerPort port(50, 20, 3);
    std::vector<UBYTE> pens(size_t(50) * 20);
    std::mt19937 rng(15);
    for (auto& p : pens) p = UBYTE(rng());
    const uint64_t generation = platform::drawGeneration;
    EXPECT_EQ(WritePixelArray8(&port.rp, 0, 0, 49, 19, pens.data(), nullptr), 1000);
    EXPECT_GT(platform::drawGeneration, generation);
    EXPECT_EQ(port.layer.pixels, pens);
    std::vector<UBYTE> back(pens.size());
    EXPECT_EQ(ReadPixelArray8(&port.rp, 0, 0, 49, 19, back.data(), nullptr), 1000);
    EXPECT_EQ(back, pens);
}

TEST(PixelArray, NoRasterOrNoArrayCopiesNothing) {
    RastPort bare;
    InitRastPort(&bare);
    UBYTE array[4] = {};
    EXPECT_EQ(ReadPixelArray8(&bare, 0, 0, 1, 1, array, nullptr), 0);
    EXPECT_EQ(WritePixelArray8(&bare, 0, 0, 1, 1, array, nullptr), 0);
    EXPECT_EQ(ReadPixelArray8(nullptr, 0, 0, 1, 1, array, nullptr), 0);
    PlanarPort port(16, 2, 2);
    EXPECT_EQ(ReadPixelArray8(&port.rp, 0, 0, 1, 1, nullptr, nullptr), 0);
}

}  // namespace
