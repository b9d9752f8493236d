// Pixel arrays: planar bitmaps to pens and back, and the same through a window's layer.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics_helpers.h"

using gfxtest::LayerPort;
using gfxtest::PlanarPort;

namespace {

TEST(PixelArray, PlanarToChunkyAndBackAtEveryDepthAndWidth) {
    std::mt19937 rng(11);
    for (int depth = 1; depth <= 8; ++depth)
        for (int width : {1, 7, 8, 9, 15, 16, 17, 33, 71, 100}) {
            SCOPED_TRACE(testing::Message() << width << "x" << depth);
            PlanarPort port(width, 3 + depth % 3, depth);
            port.planar.Randomise(rng);
            const int w = port.planar.Width(), h = port.planar.Height();
            std::vector<UBYTE> array(size_t(w) * h, 0xEE);
            EXPECT_EQ(ReadPixelArray8(&port.rp, 0, 0, w - 1, h - 1, array.data(), nullptr), w * h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) ASSERT_EQ(array[size_t(y) * w + x], port.planar.Get(x, y)) << x << "," << y;
            // Pen bits beyond the depth are dropped.
            std::vector<UBYTE> pens(array.size());
            for (auto& p : pens) p = UBYTE(rng());
            EXPECT_EQ(WritePixelArray8(&port.rp, 0, 0, w - 1, h - 1, pens.data(), nullptr), w * h);
            for (auto& p : pens) p = UBYTE(p & ((1 << depth) - 1));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) ASSERT_EQ(port.planar.Get(x, y), pens[size_t(y) * w + x]) << x << "," << y;
            ReadPixelArray8(&port.rp, 0, 0, w - 1, h - 1, array.data(), nullptr);
            EXPECT_EQ(array, pens);
            EXPECT_TRUE(port.planar.GuardsIntact());
        }
}

// Only the part inside the raster is copied; the array keeps the whole rectangle's layout,
// its outside bytes and every pixel around the rectangle stay untouched.
TEST(PixelArray, RectanglesAreCopiedExactlyAndClipped) {
    const ULONG cases[][4] = {
        {0, 0, 0, 0},  {3, 1, 4, 1},  {7, 0, 8, 2},   {5, 1, 26, 3},  {8, 0, 15, 3},  {1, 2, 30, 2}, {0, 0, 31, 9},
        {20, 5, 40, 12}, {30, 0, 31, 3}, {0, 9, 5, 20}, {33, 11, 40, 40}, {5, 5, 4, 9}, {5, 5, 9, 4},
        {0xFFFFFFF0u, 0, 0xFFFFFFFFu, 1},
    };
    std::mt19937 rng(14);
    for (bool layer : {true, false})
        for (const auto& r : cases) {
            const ULONG x0 = r[0], y0 = r[1], x1 = r[2], y1 = r[3];  // named so the lambdas below can use them
            SCOPED_TRACE(testing::Message() << x0 << "," << y0 << ".." << x1 << "," << y1 << (layer ? " layer" : " bitmap"));
            LayerPort lp(32, 10);
            PlanarPort pp(32, 10, 8);
            RastPort* rp = layer ? &lp.rp : &pp.rp;
            auto get = [&](int64_t x, int64_t y) { return layer ? lp.At(int(x), int(y)) : pp.planar.Get(int(x), int(y)); };
            for (auto& v : lp.layer.pixels) v = UBYTE(rng());
            pp.planar.Randomise(rng);
            const int64_t w = int64_t(x1) - x0 + 1, h = int64_t(y1) - y0 + 1;
            auto in = [&](int64_t x, int64_t y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; };
            int64_t inside = 0;
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 32; ++x) inside += in(x, y);
            if (w <= 0 || h <= 0 || w * h > 4096) {
                UBYTE dummy[4] = {};
                EXPECT_EQ(ReadPixelArray8(rp, x0, y0, x1, y1, dummy, nullptr), inside);
                continue;
            }
            std::vector<UBYTE> array(size_t(w * h), 0xEE);
            EXPECT_EQ(ReadPixelArray8(rp, x0, y0, x1, y1, array.data(), nullptr), inside);
            for (int64_t y = 0; y < h; ++y)
                for (int64_t x = 0; x < w; ++x) {
                    const int64_t rx = x0 + x, ry = y0 + y;
                    ASSERT_EQ(array[size_t(y * w + x)], (rx < 32 && ry < 10) ? get(rx, ry) : 0xEE) << x << "," << y;
                }
            for (auto& p : array) p = UBYTE(rng());
            std::vector<int> before;
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 32; ++x) before.push_back(get(x, y));
            const uint64_t generation = platform::drawGeneration;
            EXPECT_EQ(WritePixelArray8(rp, x0, y0, x1, y1, array.data(), nullptr), inside);
            if (layer && inside > 0) {
                EXPECT_GT(platform::drawGeneration, generation) << "the change shows";
            }
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 32; ++x)
                    ASSERT_EQ(get(x, y), in(x, y) ? array[size_t((y - y0) * w + (x - x0))] : before[size_t(y) * 32 + x])
                        << x << "," << y;
            EXPECT_TRUE(pp.planar.GuardsIntact());
        }
}

}  // namespace
