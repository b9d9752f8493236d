// Drawing into raster ports: boxes, lines, pixels and text, in every draw mode, clipped.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "gfx_private.h"
#include "graphics_helpers.h"

using gfxtest::LayerPort;
using gfxtest::PlanarPort;

namespace {

constexpr int kW = 40, kH = 30;

TEST(RastPort, StartsWithTheSystemFontPensOneAndZeroAndJam2) {
    RastPort rp;
    std::memset(&rp, 0x5A, sizeof rp);
    InitRastPort(&rp);
    EXPECT_EQ(rp.FgPen, 1);
    EXPECT_EQ(rp.BgPen, 0);
    EXPECT_EQ(rp.DrawMode, JAM2);
    EXPECT_EQ(rp.Layer, nullptr);
    EXPECT_EQ(rp.BitMap, nullptr);
    EXPECT_EQ(rp.Font, platform::SystemFont());
    EXPECT_EQ(rp.TxHeight, rp.Font->tf_YSize);
    EXPECT_EQ(rp.TxBaseline, rp.Font->tf_Baseline);
    EXPECT_EQ(rp.cp_x, 0);
    EXPECT_EQ(rp.cp_y, 0);
}

TEST(RastPort, PenAndModeSettersStoreTheirValues) {
    RastPort rp;
    InitRastPort(&rp);
    SetABPenDrMd(&rp, 17, 23, JAM1);
    EXPECT_EQ(rp.FgPen, 17);
    EXPECT_EQ(rp.BgPen, 23);
    EXPECT_EQ(rp.DrawMode, JAM1);
    SetAPen(&rp, 5);
    SetBPen(&rp, 6);
    SetDrMd(&rp, COMPLEMENT);
    EXPECT_EQ(rp.FgPen, 5);
    EXPECT_EQ(rp.BgPen, 6);
    EXPECT_EQ(rp.DrawMode, COMPLEMENT);
}

// ---- boxes --------------------------------------------------------------------------

struct Rect {
    LONG x0, y0, x1, y1;
};
const Rect kRects[] = {
    {0, 0, 0, 0},       {3, 4, 10, 8},        {10, 8, 3, 4},          {5, 5, 4, 9},
    {-5, -5, 3, 2},     {35, 25, 60, 70},     {-100, 10, 100, 10},    {20, -100, 20, 100},
    {0, 0, kW - 1, kH - 1}, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {INT32_MAX - 1, 0, INT32_MAX, 5},
    {-2000000000, 3, -1, 5}, {kW, 0, kW + 5, 5}, {0, kH, 5, kH + 5},
};

bool InRect(const Rect& r, int x, int y) { return x >= r.x0 && x <= r.x1 && y >= r.y0 && y <= r.y1; }

TEST(RectFill, FillsExactlyTheInclusiveBoxClippedToTheLayer) {
    for (const Rect& r : kRects) {
        SCOPED_TRACE(testing::Message() << r.x0 << "," << r.y0 << ".." << r.x1 << "," << r.y1);
        LayerPort port(kW, kH, 9);
        SetAPen(&port.rp, 3);
        RectFill(&port.rp, r.x0, r.y0, r.x1, r.y1);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) ASSERT_EQ(port.At(x, y), InRect(r, x, y) ? 3 : 9) << x << "," << y;
    }
}

TEST(RectFill, FillsExactlyTheBoxOfAPlanarBitmap) {
    for (const Rect& r : kRects) {
        SCOPED_TRACE(testing::Message() << r.x0 << "," << r.y0 << ".." << r.x1 << "," << r.y1);
        PlanarPort port(kW, kH, 4);  // 48 pixels a row as stored
        port.rp.BitMap->Planes[2] = nullptr;  // a plane it lacks is skipped
        SetAPen(&port.rp, 15);
        RectFill(&port.rp, r.x0, r.y0, r.x1, r.y1);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < 48; ++x) ASSERT_EQ(port.planar.Get(x, y), InRect(r, x, y) ? 11 : 0) << x << "," << y;
        EXPECT_TRUE(port.planar.GuardsIntact());
    }
}

TEST(RectFill, ComplementInvertsAndTwiceRestores) {
    LayerPort port(kW, kH, 0x0F);
    SetDrMd(&port.rp, COMPLEMENT);
    RectFill(&port.rp, 2, 2, 5, 5);
    EXPECT_EQ(port.At(3, 3), 0xF0);
    EXPECT_EQ(port.At(6, 6), 0x0F);
    RectFill(&port.rp, 2, 2, 5, 5);
    EXPECT_EQ(port.At(3, 3), 0x0F);
}

TEST(RectFill, OnlyDrawingThatReachesTheLayerShowsAsAChange) {
    LayerPort port(kW, kH);
    uint64_t generation = platform::drawGeneration;
    RectFill(&port.rp, 50, 50, 60, 60);
    RectFill(&port.rp, 5, 5, 4, 4);
    EXPECT_EQ(platform::drawGeneration, generation);
    RectFill(&port.rp, 0, 0, 0, 0);
    EXPECT_GT(platform::drawGeneration, generation);
}

// ---- lines --------------------------------------------------------------------------

struct Line {
    int x0, y0, x1, y1;
};

TEST(Draw, LinesRunFromEndToEndOnePixelPerStepNearTheIdealLine) {
    const Line lines[] = {{2, 3, 20, 3},  {20, 3, 2, 3},  {5, 1, 5, 25}, {5, 25, 5, 1}, {0, 0, 29, 29}, {1, 2, 30, 9},
                          {30, 9, 1, 2},  {3, 27, 9, 1},  {9, 1, 3, 27}, {7, 7, 7, 7},  {0, 29, 39, 0}, {38, 2, 4, 5}};
    for (const Line& l : lines) {
        SCOPED_TRACE(testing::Message() << l.x0 << "," << l.y0 << " -> " << l.x1 << "," << l.y1);
        LayerPort port(kW, kH, 0);
        SetAPen(&port.rp, 1);
        Move(&port.rp, l.x0, l.y0);
        Draw(&port.rp, l.x1, l.y1);
        EXPECT_EQ(port.rp.cp_x, l.x1);
        EXPECT_EQ(port.rp.cp_y, l.y1);
        std::vector<std::pair<int, int>> set;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                if (port.At(x, y) == 1) set.emplace_back(x, y);
        const int dx = std::abs(l.x1 - l.x0), dy = std::abs(l.y1 - l.y0);
        EXPECT_EQ(set.size(), size_t(std::max(dx, dy) + 1));
        EXPECT_EQ(port.At(l.x0, l.y0), 1);
        EXPECT_EQ(port.At(l.x1, l.y1), 1);
        std::set<int> majors;
        for (auto [x, y] : set) {
            majors.insert(dx >= dy ? x : y);
            // Distance from the ideal line, measured along the minor axis, at most half a pixel.
            if (dx >= dy && dx > 0) {
                const double ideal = l.y0 + double(l.y1 - l.y0) * (x - l.x0) / (l.x1 - l.x0);
                EXPECT_LE(std::abs(ideal - y), 0.5 + 1e-9) << x << "," << y;
            } else if (dy > 0) {
                const double ideal = l.x0 + double(l.x1 - l.x0) * (y - l.y0) / (l.y1 - l.y0);
                EXPECT_LE(std::abs(ideal - x), 0.5 + 1e-9) << x << "," << y;
            }
        }
        EXPECT_EQ(majors.size(), set.size());  // one pixel per step of the major axis
    }
}

TEST(Draw, WildEndsAreClippedAndTheVisiblePartIsRight) {
    struct Case {
        LONG x0, y0, x1, y1;
    };
    // 45-degree lines through the raster: what shows is exactly the diagonal x - y = c.
    const Case cases[] = {{-30000, -30000, 30000, 30000}, {30000, 30000, -30000, -30000}, {-100, -95, 100, 105},
                          {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1);
        LayerPort port(kW, kH, 0);
        Move(&port.rp, c.x0, c.y0);
        Draw(&port.rp, c.x1, c.y1);
        const long offset = std::clamp<long>(c.x0, -32768, 32767) - std::clamp<long>(c.y0, -32768, 32767);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) ASSERT_EQ(port.At(x, y), (x - y == offset) ? 1 : 0) << x << "," << y;
    }
    LayerPort port(kW, kH, 0);
    Move(&port.rp, -5000, -7);
    Draw(&port.rp, 5000, -7);  // a row above the raster
    Draw(&port.rp, 5000, 7000);
    for (UBYTE v : port.layer.pixels) EXPECT_EQ(v, 0);
}

TEST(Draw, PanelFrameLinesMeetAtTheirCorners) {
    // A bevelled frame of four L-shaped strokes, as panels draw them.
    LayerPort port(kW, kH, 0);
    const int x = 4, y = 3, r = 20, b = 15;
    SetAPen(&port.rp, 2);
    Move(&port.rp, x, b - 1);
    Draw(&port.rp, x, y);
    Draw(&port.rp, r - 1, y);
    SetAPen(&port.rp, 1);
    Move(&port.rp, r, y + 1);
    Draw(&port.rp, r, b);
    Draw(&port.rp, x + 1, b);
    for (int i = x; i <= r - 1; ++i) EXPECT_EQ(port.At(i, y), 2) << i;
    for (int j = y; j <= b - 1; ++j) EXPECT_EQ(port.At(x, j), 2) << j;
    for (int j = y + 1; j <= b; ++j) EXPECT_EQ(port.At(r, j), 1) << j;
    for (int i = x + 1; i <= r; ++i) EXPECT_EQ(port.At(i, b), 1) << i;
    EXPECT_EQ(port.At(r, y), 0);
    EXPECT_EQ(port.At(x, b), 0);
}

// ---- pixels -------------------------------------------------------------------------

TEST(Pixel, WritesAndReadsInsideAndAnswersMinusOneOutside) {
    const std::pair<LONG, LONG> points[] = {{0, 0}, {kW - 1, kH - 1}, {-1, 0}, {0, -1}, {kW, 0}, {0, kH},
                                            {INT32_MIN, 5}, {5, INT32_MAX}};
    for (bool layer : {true, false}) {
        LayerPort lp(kW, kH, 0);
        PlanarPort pp(kW, kH, 8);
        RastPort* rp = layer ? &lp.rp : &pp.rp;
        const int width = layer ? kW : 48;
        SetAPen(rp, 77);
        for (auto [x, y] : points) {
            SCOPED_TRACE(testing::Message() << x << "," << y << (layer ? " layer" : " planar"));
            const bool inside = x >= 0 && y >= 0 && x < width && y < kH;
            WritePixel(rp, x, y);
            EXPECT_EQ(ReadPixel(rp, x, y), inside ? 77 : -1);
        }
        EXPECT_TRUE(pp.planar.GuardsIntact());
    }
}

// ---- text ---------------------------------------------------------------------------

// Whether the font's glyph for c has ink at (col, row).
bool Ink(const TextFont* f, unsigned char c, int col, int row) {
    return (f->tf_CharData[(c - f->tf_LoChar) * f->tf_YSize + row] >> (7 - col) & 1) != 0;
}

TEST(Text, Jam2PaintsTheCellsAndJam1OnlyTheInk) {
    for (UBYTE mode : {UBYTE(JAM1), UBYTE(JAM2)}) {
        SCOPED_TRACE(mode == JAM1 ? "JAM1" : "JAM2");
        LayerPort port(kW, kH, 9);
        const TextFont* font = port.rp.Font;
        SetABPenDrMd(&port.rp, 1, 4, mode);
        Move(&port.rp, 5, 12);
        Text(&port.rp, "Ag%", 3);
        EXPECT_EQ(port.rp.cp_x, 5 + 3 * 8);
        EXPECT_EQ(port.rp.cp_y, 12);
        const int top = 12 - font->tf_Baseline;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const int col = x - 5, row = y - top;
                int want = 9;
                if (col >= 0 && col < 24 && row >= 0 && row < 8) {
                    if (Ink(font, "Ag%"[col / 8], col % 8, row))
                        want = 1;
                    else if (mode == JAM2)
                        want = 4;
                }
                ASSERT_EQ(port.At(x, y), want) << x << "," << y;
            }
    }
}

TEST(Text, ClipsAtEveryEdgeAndStillAdvances) {
    const std::pair<int, int> starts[] = {{-13, 3}, {30, 10}, {10, -2}, {10, 33}, {-30000, 5}, {32000, 5}, {-20, -20}};
    for (auto [sx, sy] : starts) {
        SCOPED_TRACE(testing::Message() << sx << "," << sy);
        LayerPort port(kW, kH, 0);
        const TextFont* font = port.rp.Font;
        SetABPenDrMd(&port.rp, 1, 2, JAM2);
        Move(&port.rp, sx, sy);
        Text(&port.rp, "WxyZ", 4);
        EXPECT_EQ(port.rp.cp_x, std::min(sx + 32, 32767));
        const int top = sy - font->tf_Baseline;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const int col = x - sx, row = y - top;
                int want = 0;
                if (col >= 0 && col < 32 && row >= 0 && row < 8) want = Ink(font, "WxyZ"[col / 8], col % 8, row) ? 1 : 2;
                ASSERT_EQ(port.At(x, y), want) << x << "," << y;
            }
    }
}

TEST(Text, InversvidSwapsInkAndPaper) {
    LayerPort port(kW, kH, 0);
    const TextFont* font = port.rp.Font;
    SetABPenDrMd(&port.rp, 1, 2, JAM2 | INVERSVID);
    Move(&port.rp, 0, font->tf_Baseline);
    Text(&port.rp, "H", 1);
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col) EXPECT_EQ(port.At(col, row), Ink(font, 'H', col, row) ? 2 : 1);
}

TEST(Text, CharactersTheFontLacksDrawABoxAndReadNothingBeyondIt) {
    // A font of only 'A'..'C', its glyph data exactly that long.
    std::vector<UBYTE> data(3 * 8, 0xFF);
    TextFont small{"small.font", 8, 0, 0, 8, 6, 0, 'A', 'C', data.data()};
    for (const char* s : {"a", "\x01", "\xFF", "D", "@"}) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(s[0])));
        LayerPort port(16, 8, 0);
        SetFont(&port.rp, &small);
        SetABPenDrMd(&port.rp, 1, 2, JAM2);
        Move(&port.rp, 0, 6);
        Text(&port.rp, s, 1);
        int ink = 0, paper = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) (port.At(x, y) == 1 ? ink : paper) += 1;
        EXPECT_GT(ink, 0);
        EXPECT_GT(paper, 0);
        EXPECT_EQ(port.At(0, 0), 1);  // the box's corner
        EXPECT_EQ(port.rp.cp_x, 8);
    }
}

TEST(Text, IsRecordedWithItsPlaceAndPen) {
    LayerPort port(100, 30);
    SetAPen(&port.rp, 7);
    Move(&port.rp, 10, 12);
    Text(&port.rp, "Money:", 6);
    ASSERT_EQ(port.layer.texts.size(), 1u);
    const Layer::TextRecord& t = port.layer.texts[0];
    EXPECT_EQ(t.text, "Money:");
    EXPECT_EQ(t.x, 10);
    EXPECT_EQ(t.y, 12);
    EXPECT_EQ(t.left, 10);
    EXPECT_EQ(t.right, 10 + 6 * 8 - 1);
    EXPECT_EQ(t.top, 12 - port.rp.TxBaseline);
    EXPECT_EQ(t.bottom, t.top + 7);
    EXPECT_EQ(t.pen, 7);
}

TEST(Text, RecordsGoWhenAnythingIsDrawnOverThem) {
    struct Case {
        const char* what;
        void (*draw)(RastPort*);
        bool covers;
    };
    // The text "Bet" stands at x 20..43, y 6..13.
    const Case cases[] = {
        {"box over its middle", [](RastPort* rp) { RectFill(rp, 30, 8, 31, 9); }, true},
        {"box touching its last pixel", [](RastPort* rp) { RectFill(rp, 43, 13, 50, 20); }, true},
        {"box just right of it", [](RastPort* rp) { RectFill(rp, 44, 6, 50, 13); }, false},
        {"box just below it", [](RastPort* rp) { RectFill(rp, 20, 14, 43, 20); }, false},
        {"line through it", [](RastPort* rp) { Move(rp, 0, 10); Draw(rp, 90, 10); }, true},
        {"diagonal through it", [](RastPort* rp) { Move(rp, 15, 0); Draw(rp, 35, 20); }, true},
        {"diagonal beside it", [](RastPort* rp) { Move(rp, 60, 0); Draw(rp, 80, 20); }, false},
        {"pixel on it", [](RastPort* rp) { WritePixel(rp, 20, 6); }, true},
        {"pixel beside it", [](RastPort* rp) { WritePixel(rp, 19, 6); }, false},
        {"text over it", [](RastPort* rp) { Move(rp, 24, 12); Text(rp, "x", 1); }, true},
        {"text beside it", [](RastPort* rp) { Move(rp, 44, 12); Text(rp, "x", 1); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LayerPort port(100, 30);
        Move(&port.rp, 20, 12);
        Text(&port.rp, "Bet", 3);
        c.draw(&port.rp);
        bool still = false;
        for (const auto& t : port.layer.texts) still |= t.text == "Bet";
        EXPECT_EQ(still, !c.covers);
    }
}

TEST(Text, TextLengthIsEightPixelsACharacter) {
    RastPort rp;
    InitRastPort(&rp);
    for (ULONG n : {0u, 1u, 5u, 75u}) EXPECT_EQ(TextLength(&rp, "0123456789012345678901234567890123456789012345678901234567890123456789012345", n), WORD(8 * n));
}

TEST(Text, SetFontTakesTheFontsMeasures) {
    std::vector<UBYTE> data(10 * 6, 0);
    TextFont tall{"tall.font", 10, 0, 0, 6, 7, 0, 'a', 'f', data.data()};
    RastPort rp;
    InitRastPort(&rp);
    SetFont(&rp, &tall);
    EXPECT_EQ(rp.Font, &tall);
    EXPECT_EQ(rp.TxHeight, 10);
    EXPECT_EQ(rp.TxWidth, 6);
    EXPECT_EQ(rp.TxBaseline, 7);
    EXPECT_EQ(TextLength(&rp, "abc", 3), 18);
    SetFont(&rp, nullptr);  // ignored
    EXPECT_EQ(rp.Font, &tall);
}

TEST(Text, IntoAPlanarBitmapLandsTheGlyph) {
    PlanarPort port(16, 8, 2);
    const TextFont* font = port.rp.Font;
    SetABPenDrMd(&port.rp, 3, 1, JAM2);
    Move(&port.rp, 4, font->tf_Baseline);
    Text(&port.rp, "k", 1);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const int col = x - 4;
            const int want = (col >= 0 && col < 8) ? (Ink(font, 'k', col, y) ? 3 : 1) : 0;
            ASSERT_EQ(port.planar.Get(x, y), want) << x << "," << y;
        }
    EXPECT_TRUE(port.planar.GuardsIntact());
}

TEST(Drawing, APortWithoutARasterDrawsNothingAndDoesNotCrash) {
    RastPort rp;
    InitRastPort(&rp);
    RectFill(&rp, 0, 0, 10, 10);
    Move(&rp, 0, 0);
    Draw(&rp, 10, 10);
    WritePixel(&rp, 1, 1);
    EXPECT_EQ(ReadPixel(&rp, 1, 1), -1);
    Move(&rp, 0, 6);
    Text(&rp, "abc", 3);
    EXPECT_EQ(rp.cp_x, 24);
    RectFill(nullptr, 0, 0, 1, 1);
    Text(nullptr, "a", 1);
}

}  // namespace
