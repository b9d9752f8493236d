// Drawing: boxes, lines, text and blits clipped, pixel arrays, pens, the font, and screenshots.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "gfx_private.h"
#include "graphics_helpers.h"
#include "host/host.h"

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
            if (layer) {
                EXPECT_EQ(platform::drawGeneration != generation, landed) << "only drawing that lands is a change";
            }
            EXPECT_TRUE(pp.planar.GuardsIntact());
        }
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
        {"blit over it", [](RastPort* rp) { Planar src(16, 8, 2); BltBitMapRastPort(src.bm(), 0, 0, rp, 40, 4, 4, 4, 0xC0); }, true},
        {"blit beside it", [](RastPort* rp) { Planar src(16, 8, 2); BltBitMapRastPort(src.bm(), 0, 0, rp, 44, 4, 4, 4, 0xC0); }, false},
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
        const uint64_t generation = platform::drawGeneration;
        c.draw(&port.rp);
        EXPECT_GT(platform::drawGeneration, generation) << "a change to show";
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

ULONG Spread(int v) { return ULONG(v) * 0x01010101u; }

class Pens : public ::testing::Test {
protected:
    void SetUp() override { host::ClearFaults(); }
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

TEST_F(Pens, ExactColoursAreSharedOrGetAFreePen) {
    const struct {
        int r, g, b;
        LONG pen;   // -2: a new pen, not one seen before; -3: the first new pen
        int inUse;  // PensInUse afterwards
    } steps[] = {
        {0, 0, 0, 1, 0},          {0xAA, 0xAA, 0xAA, 0, 0},  // fixed pens are never counted
        {0xFF, 0xFF, 0xFF, 2, 0}, {0x66, 0x88, 0xBB, 3, 0},
        {0x00, 0x80, 0x00, -2, 1}, {0xCC, 0x00, 0x00, -2, 2},  // green, red: free pens
        {0x00, 0x80, 0x00, -3, 3},                             // green again: shared
        {0xAC, 0xAC, 0xAC, -2, 4},                             // near the grey but not it
    };
    std::vector<LONG> fresh;
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << std::hex << s.r << " " << s.g << " " << s.b);
        const LONG pen = Best(s.r, s.g, s.b);
        if (s.pen == -2) {
            EXPECT_GE(pen, 4);
            EXPECT_EQ(std::count(fresh.begin(), fresh.end(), pen), 0);
            fresh.push_back(pen);
        } else {
            EXPECT_EQ(pen, s.pen == -3 ? fresh.front() : s.pen);
        }
        EXPECT_EQ(Rgb(pen, cm), (std::vector<int>{s.r, s.g, s.b}));
        EXPECT_EQ(InUse(), s.inUse);
    }
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

std::vector<UBYTE> Glyph(const TextFont* f, int c) {
    const UBYTE* g = f->tf_CharData + (c - f->tf_LoChar) * f->tf_YSize;
    return std::vector<UBYTE>(g, g + f->tf_YSize);
}

// Every printable ISO-8859-1 glyph has ink a column apart from the next, and none looks like another.
TEST(Font, CoversLatin1InDistinctEightByEightCellsAColumnApart) {
    const TextFont* f = platform::SystemFont();
    EXPECT_STREQ(f->tf_Name, "topaz.font");
    EXPECT_EQ(std::vector<int>({f->tf_YSize, f->tf_XSize, f->tf_LoChar <= 0x20, f->tf_HiChar, f->tf_Baseline < 8}),
              std::vector<int>({8, 8, 1, 0xFF, 1}));
    std::map<std::vector<UBYTE>, int> seen;
    for (int c = 0x20; c <= 0xFF; ++c) {
        if (c >= 0x7F && c < 0xA0) continue;
        bool ink = false;
        for (UBYTE row : Glyph(f, c)) {
            ink |= row != 0;
            EXPECT_TRUE(c == '_' || (row & 1) == 0) << std::hex << c << " touches the next letter";
        }
        EXPECT_EQ(ink, c != 0x20 && c != 0xA0) << std::hex << c;
        if (c >= 0xA0 && c < 0xC0) continue;  // ASCII and the accented letters
        auto [it, fresh] = seen.emplace(Glyph(f, c), c);
        EXPECT_TRUE(fresh) << std::hex << c << " looks like " << it->second;
    }
    // The acute accent reads as a mark above ("Don\xB4t Double"), not a comma.
    int lowest = -1;
    for (int row = 0; row < 8; ++row)
        if (Glyph(f, 0xB4)[row] != 0) lowest = row;
    EXPECT_GE(lowest, 0);
    EXPECT_LT(lowest, f->tf_Baseline / 2 + 1);
}

TEST(OpenFont, GivesTopazEightAndNothingElse) {
    host::ClearFaults();
    const std::pair<const char*, UWORD> refused[] = {{"topaz.font", 9}, {"times.font", 8}, {nullptr, 8}};
    for (auto [name, size] : refused) {
        TextAttr ta{name, size, 0, 0};
        EXPECT_EQ(OpenFont(&ta), nullptr) << (name ? name : "(null)") << " " << size;
    }
    TextAttr ta{"topaz.font", 8, 0, 0};
    TextFont* a = OpenFont(&ta);
    EXPECT_EQ(a, platform::SystemFont());
    CloseFont(a);
}

TEST(WritePNG, WritesEveryPixelInItsPaletteColour) {
    const int w = 37, h = 11;
    std::vector<uint8_t> pens(size_t(w) * h);
    for (size_t i = 0; i < pens.size(); ++i) pens[i] = uint8_t(i * 7);
    uint8_t palette[256][3];
    for (int p = 0; p < 256; ++p) palette[p][0] = uint8_t(p), palette[p][1] = uint8_t(255 - p), palette[p][2] = uint8_t(p * 3);
    const std::string path = testing::TempDir() + "shot.png";
    ASSERT_TRUE(platform::WritePNG(path, pens.data(), w, h, palette));

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_file(&image, path.c_str()), 0);
    EXPECT_EQ(int(image.width), w);
    EXPECT_EQ(int(image.height), h);
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_NE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), 0);
    for (size_t i = 0; i < pens.size(); ++i)
        for (int c = 0; c < 3; ++c) ASSERT_EQ(rgb[i * 3 + c], palette[pens[i]][c]) << i;
    std::remove(path.c_str());
}

}  // namespace
