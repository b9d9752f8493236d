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

}  // namespace
