// Screen colour maps: fixed pens, sharing, taking and giving back pens.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "gfx_private.h"
#include "host/host.h"

namespace {

struct MapDeleter {
    void operator()(ColorMap* cm) const { platform::DeleteColorMap(cm); }
};
using Map = std::unique_ptr<ColorMap, MapDeleter>;

ULONG Spread(int v) { return ULONG(v) * 0x01010101u; }

LONG Exact(ColorMap* cm, int r, int g, int b) {
    return ObtainBestPen(cm, Spread(r), Spread(g), Spread(b), OBP_Precision, PRECISION_EXACT, TAG_DONE);
}

TEST(ColorMap, StartsWithTheFourFixedPens) {
    Map cm(platform::NewColorMap());
    const int fixed[4][3] = {{0xAA, 0xAA, 0xAA}, {0, 0, 0}, {0xFF, 0xFF, 0xFF}, {0x66, 0x88, 0xBB}};
    uint8_t palette[256][3];
    platform::PaletteOf(cm.get(), palette);
    for (int p = 0; p < 4; ++p) {
        UBYTE rgb[3];
        GetRGB8(cm.get(), p, rgb);
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(rgb[c], fixed[p][c]) << p;
            EXPECT_EQ(palette[p][c], fixed[p][c]) << p;
        }
    }
    EXPECT_EQ(platform::PensInUse(cm.get()), 0);
}

TEST(ObtainBestPen, ExactColoursAreSharedOrGetAFreePen) {
    struct Step {
        int r, g, b;
        LONG pen;   // expected; -2: a new pen, not one seen before
        int inUse;  // PensInUse afterwards
    };
    const Step steps[] = {
        {0, 0, 0, 1, 0},              // black is the fixed pen 1, never counted
        {0xAA, 0xAA, 0xAA, 0, 0},     // grey is pen 0
        {0xFF, 0xFF, 0xFF, 2, 0},
        {0x66, 0x88, 0xBB, 3, 0},
        {0x00, 0x80, 0x00, -2, 1},    // felt green: a free pen
        {0xCC, 0x00, 0x00, -2, 2},    // red: another
        {0x00, 0x80, 0x00, -3, 3},    // green again: shares the first new pen
        {0xAC, 0xAC, 0xAC, -2, 4},    // near the grey but not it: a new pen
    };
    Map cm(platform::NewColorMap());
    std::vector<LONG> fresh;
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << std::hex << s.r << " " << s.g << " " << s.b);
        const LONG pen = Exact(cm.get(), s.r, s.g, s.b);
        if (s.pen >= 0) {
            EXPECT_EQ(pen, s.pen);
        } else if (s.pen == -2) {
            EXPECT_GE(pen, 4);
            for (LONG f : fresh) EXPECT_NE(pen, f);
            fresh.push_back(pen);
        } else {
            EXPECT_EQ(pen, fresh.front());
        }
        UBYTE rgb[3];
        GetRGB8(cm.get(), ULONG(pen), rgb);
        EXPECT_EQ(rgb[0], s.r);
        EXPECT_EQ(rgb[1], s.g);
        EXPECT_EQ(rgb[2], s.b);
        EXPECT_EQ(platform::PensInUse(cm.get()), s.inUse);
    }
}

TEST(ReleasePen, APenIsFreeOnlyWhenItsLastUserLetsGo) {
    Map cm(platform::NewColorMap());
    const LONG green = Exact(cm.get(), 0, 0x80, 0);
    EXPECT_EQ(Exact(cm.get(), 0, 0x80, 0), green);
    ReleasePen(cm.get(), ULONG(green));
    EXPECT_EQ(platform::PensInUse(cm.get()), 1);
    // Still held once: a different colour must not take it.
    const LONG red = Exact(cm.get(), 0xCC, 0, 0);
    EXPECT_NE(red, green);
    ReleasePen(cm.get(), ULONG(green));
    ReleasePen(cm.get(), ULONG(red));
    EXPECT_EQ(platform::PensInUse(cm.get()), 0);
    // Free again: the next new colour may take it, and takes its colour.
    const LONG blue = Exact(cm.get(), 0, 0, 0xEE);
    EXPECT_EQ(blue, std::min(green, red));
    UBYTE rgb[3];
    GetRGB8(cm.get(), ULONG(blue), rgb);
    EXPECT_EQ(rgb[2], 0xEE);
}

TEST(ReleasePen, FixedPensAndPensNeverObtainedAreLeftAlone) {
    Map cm(platform::NewColorMap());
    for (ULONG pen : {0u, 1u, 2u, 3u, 100u, 255u, 256u, 0xFFFFFFFFu}) ReleasePen(cm.get(), pen);
    EXPECT_EQ(platform::PensInUse(cm.get()), 0);
    EXPECT_EQ(Exact(cm.get(), 0, 0, 0), 1);
    const LONG p = Exact(cm.get(), 1, 2, 3);
    ReleasePen(cm.get(), ULONG(p));
    ReleasePen(cm.get(), ULONG(p));  // once too often
    EXPECT_EQ(platform::PensInUse(cm.get()), 0);
    ReleasePen(nullptr, 5);
}

TEST(ObtainBestPen, AFullMapAnswersMinusOneForANewExactColour) {
    Map cm(platform::NewColorMap());
    for (int i = 4; i < 256; ++i) ASSERT_EQ(Exact(cm.get(), i, 1, 1), i);
    EXPECT_EQ(Exact(cm.get(), 1, 2, 3), -1);
    EXPECT_EQ(Exact(cm.get(), 10, 1, 1), 10);  // an existing colour is still shared
    // Without exactness the nearest pen serves.
    EXPECT_EQ(ObtainBestPen(cm.get(), Spread(1), Spread(2), Spread(3), TAG_DONE), 1);
    EXPECT_EQ(ObtainBestPen(cm.get(), Spread(200), Spread(3), Spread(1), OBP_Precision, PRECISION_GUI, TAG_DONE), 200);
    EXPECT_EQ(ObtainBestPen(cm.get(), Spread(200), Spread(90), Spread(1), OBP_FailIfBad, TRUE, TAG_DONE), -1);
}

TEST(ObtainBestPen, NonExactPrecisionsShareANearbyPen) {
    Map cm(platform::NewColorMap());
    EXPECT_EQ(ObtainBestPen(cm.get(), Spread(0xA0), Spread(0xA8), Spread(0xAA), OBP_Precision, PRECISION_GUI, TAG_DONE), 0);
    const LONG p = ObtainBestPen(cm.get(), Spread(0xA0), Spread(0xA8), Spread(0xAA), OBP_Precision, PRECISION_IMAGE,
                                 TAG_DONE);
    EXPECT_GE(p, 4);
}

TEST(ObtainBestPen, ANullMapOrAnInjectedFaultAnswersMinusOne) {
    host::ClearFaults();
    EXPECT_EQ(Exact(nullptr, 0, 0, 0), -1);
    Map cm(platform::NewColorMap());
    host::FailOnce("ObtainBestPen");
    EXPECT_EQ(Exact(cm.get(), 0x12, 0x34, 0x56), -1);
    EXPECT_GE(Exact(cm.get(), 0x12, 0x34, 0x56), 4);
    host::ClearFaults();
}

TEST(ObtainBestPen, TagListsPassedAsAnArrayWork) {
    Map cm(platform::NewColorMap());
    const TagItem more[] = {{OBP_Precision, uintptr_t(LONG(PRECISION_EXACT))}, {TAG_DONE, 0}};
    const TagItem tags[] = {{TAG_IGNORE, 0}, {TAG_MORE, reinterpret_cast<uintptr_t>(more)}};
    const LONG a = ObtainBestPenA(cm.get(), Spread(5), Spread(6), Spread(7), tags);
    const LONG b = ObtainBestPenA(cm.get(), Spread(5), Spread(6), Spread(7), tags);
    EXPECT_GE(a, 4);
    EXPECT_EQ(a, b);
    EXPECT_EQ(platform::PensInUse(cm.get()), 2);
}

TEST(Palette, ANullMapHasTheFixedPensAndBlack) {
    uint8_t palette[256][3];
    std::memset(palette, 0x77, sizeof palette);
    platform::PaletteOf(nullptr, palette);
    EXPECT_EQ(palette[0][0], 0xAA);
    EXPECT_EQ(palette[3][2], 0xBB);
    EXPECT_EQ(palette[4][0], 0);
    EXPECT_EQ(palette[255][2], 0);
    UBYTE rgb[3] = {1, 1, 1};
    GetRGB8(nullptr, 2, rgb);
    EXPECT_EQ(rgb[0] | rgb[1] | rgb[2], 0);
}

}  // namespace
