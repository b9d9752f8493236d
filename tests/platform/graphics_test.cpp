// Drawing into raster ports: boxes, lines and text, clipped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "gfx_private.h"
#include "graphics_helpers.h"

using gfxtest::LayerPort;
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
            RectFill(rp, x0, y0, x1, y1);
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < (layer ? kW : 48); ++x) {
                    const bool in = x >= x0 && x <= x1 && y >= y0 && y <= y1;
                    const int want = layer ? (in ? 3 : 9) : (in ? 11 : 0);
                    ASSERT_EQ(layer ? lp.At(x, y) : pp.planar.Get(x, y), want) << x << "," << y;
                }
            EXPECT_TRUE(pp.planar.GuardsIntact());
        }
}

TEST(RectFill, OnlyDrawingThatLandsShowsAsAChange) {
    LayerPort port(kW, kH, 0x0F);
    const uint64_t generation = platform::drawGeneration;
    RectFill(&port.rp, 50, 50, 60, 60);
    RectFill(&port.rp, 5, 5, 4, 4);
    EXPECT_EQ(platform::drawGeneration, generation);
    RectFill(&port.rp, 0, 0, 0, 0);
    EXPECT_GT(platform::drawGeneration, generation);
}

TEST(Draw, WildEndsAreClippedAndTheVisiblePartIsRight) {
    // 45-degree lines through the raster: what shows is exactly the diagonal x - y = c.
    const LONG cases[][4] = {{-30000, -30000, 30000, 30000}, {30000, 30000, -30000, -30000}, {-100, -95, 100, 105},
                             {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}};
    for (auto [x0, y0, x1, y1] : cases) {
        SCOPED_TRACE(testing::Message() << x0 << "," << y0 << " -> " << x1 << "," << y1);
        LayerPort port(kW, kH, 0);
        Move(&port.rp, x0, y0);
        Draw(&port.rp, x1, y1);
        const long offset = std::clamp<long>(x0, -32768, 32767) - std::clamp<long>(y0, -32768, 32767);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) ASSERT_EQ(port.At(x, y), (x - y == offset) ? 1 : 0) << x << "," << y;
    }
    LayerPort port(kW, kH, 0);
    Move(&port.rp, -5000, -7);
    Draw(&port.rp, 5000, -7);  // a row above the raster
    Draw(&port.rp, 5000, 7000);
    for (UBYTE v : port.layer.pixels) EXPECT_EQ(v, 0);
}

// Whether the font's glyph for c has ink at (col, row).
bool Ink(const TextFont* f, unsigned char c, int col, int row) {
    return (f->tf_CharData[(c - f->tf_LoChar) * f->tf_YSize + row] >> (7 - col) & 1) != 0;
}

TEST(Text, LandsOnExactPixelsInEveryModeClippedAtEveryEdge) {
    struct Case { const char* s; int x, y; UBYTE mode; bool planar; } cases[] = {
        {"Ag_%", 5, 12, JAM1, false}, {"Ag%", 5, 12, JAM2, false},
        {"k", 4, 6, JAM2, true},      {"Ag", 41, 9, JAM1, true},       {"WxyZ", -13, 3, JAM2, false},
        {"WxyZ", 30, 10, JAM2, false}, {"WxyZ", 10, -2, JAM2, false},  {"WxyZ", 10, 33, JAM2, false},
        {"WxyZ", -30000, 5, JAM2, false}, {"WxyZ", 32000, 5, JAM2, false}, {"WxyZ", -20, -20, JAM2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.s << " at " << c.x << "," << c.y << " mode " << int(c.mode));
        LayerPort lp(kW, kH, 9);
        PlanarPort pp(kW, kH, 8);  // 48 pixels a row as stored
        RastPort* rp = c.planar ? &pp.rp : &lp.rp;
        const TextFont* font = rp->Font;
        const int n = int(std::strlen(c.s)), before = c.planar ? 0 : 9;
        const int ink = c.mode & INVERSVID ? 4 : 1, paper = c.mode & INVERSVID ? 1 : 4;
        SetABPenDrMd(rp, 1, 4, c.mode);
        Move(rp, c.x, c.y);
        Text(rp, c.s, ULONG(n));
        EXPECT_EQ(rp->cp_x, std::min(c.x + 8 * n, 32767));
        EXPECT_EQ(rp->cp_y, c.y);
        const int top = c.y - font->tf_Baseline;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < (c.planar ? 48 : kW); ++x) {
                const int col = x - c.x, row = y - top;
                int want = before;
                if (col >= 0 && col < 8 * n && row >= 0 && row < 8)
                    want = Ink(font, c.s[col / 8], col % 8, row) ? ink : (c.mode & JAM2) ? paper : before;
                ASSERT_EQ(c.planar ? pp.planar.Get(x, y) : lp.At(x, y), want) << x << "," << y;
            }
        EXPECT_TRUE(pp.planar.GuardsIntact());
    }
}

TEST(Text, IsRecordedWithItsPlaceAndPenAndGoesWhenAnythingIsDrawnOverIt) {
    // The text "Bet" stands at x 20..43, y 6..13.
    const struct { const char* what; void (*draw)(RastPort*); bool covers; } cases[] = {
        {"box touching its last pixel", [](RastPort* rp) { RectFill(rp, 43, 13, 50, 20); }, true},
        {"box just right of it", [](RastPort* rp) { RectFill(rp, 44, 6, 50, 13); }, false},
        {"box just below it", [](RastPort* rp) { RectFill(rp, 20, 14, 43, 20); }, false},
        {"diagonal through it", [](RastPort* rp) { Move(rp, 15, 0); Draw(rp, 35, 20); }, true},
        {"diagonal beside it", [](RastPort* rp) { Move(rp, 60, 0); Draw(rp, 80, 20); }, false},
        {"pixel on it", [](RastPort* rp) { WritePixel(rp, 20, 6); }, true},
        {"pixel beside it", [](RastPort* rp) { WritePixel(rp, 19, 6); }, false},
        {"text over it", [](RastPort* rp) { Move(rp, 24, 12); Text(rp, "x", 1); }, true},
        {"text beside it", [](RastPort* rp) { Move(rp, 44, 12); Text(rp, "x", 1); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LayerPort port(100, 30);
        SetAPen(&port.rp, 7);
        Move(&port.rp, 20, 12);
        Text(&port.rp, "Bet", 3);
        ASSERT_EQ(port.layer.texts.size(), 1u);
        const Layer::TextRecord& t = port.layer.texts[0];
        EXPECT_EQ(std::make_tuple(t.text, t.x, t.y, t.pen), std::make_tuple(std::string("Bet"), 20, 12, 7));
        const int top = 12 - port.rp.TxBaseline;
        EXPECT_EQ(std::make_tuple(t.left, t.right, t.top, t.bottom), std::make_tuple(20, 43, top, top + 7));
        c.draw(&port.rp);
        bool still = false;
        for (const auto& r : port.layer.texts) still |= r.text == "Bet";
        EXPECT_EQ(still, !c.covers);
    }
}

TEST(Text, LengthFollowsTheFontsWidth) {
    RastPort rp;
    InitRastPort(&rp);
    for (ULONG n : {0u, 1u, 75u}) EXPECT_EQ(TextLength(&rp, std::string(75, 'x').c_str(), n), WORD(8 * n));
    std::vector<UBYTE> data(10 * 6, 0);
    TextFont tall{"tall.font", 10, 0, 0, 6, 7, 0, 'a', 'f', data.data()};
    SetFont(&rp, &tall);
    EXPECT_EQ(TextLength(&rp, "abc", 3), 18);
}

}  // namespace
