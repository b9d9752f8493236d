// Screen colour maps: fixed pens, sharing, taking and giving back pens.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "gfx_private.h"
#include "host/host.h"

namespace {

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

}  // namespace
