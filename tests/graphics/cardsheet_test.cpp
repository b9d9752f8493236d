// The default card sheet the build draws: it loads, every card has a picture of its own, and
// remapped to the screen it shows its own colours.
#include <gtest/gtest.h>
#include <intuition.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "game/card.h"
#include "gfx_private.h"
#include "graphics/gfxload.h"
#include "host/host.h"
#include "support/cardsheet.h"

namespace {

constexpr int kW = CARD_WIDTH, kH = CARD_HEIGHT;

int Pixel(const BitMap& bm, int x, int y) {
    int v = 0;
    for (int p = 0; p < bm.Depth; ++p)
        if (bm.Planes[p][y * bm.BytesPerRow + x / 8] & (0x80 >> (x % 8))) v |= 1 << p;
    return v;
}

// A block's pixels, as colour indexes (or pens, after remapping).
std::vector<int> Block(const BitMap& bm, int left, int top) {
    std::vector<int> out;
    for (int y = top; y < top + kH; ++y)
        for (int x = left; x < left + kW; ++x) out.push_back(Pixel(bm, x, y));
    return out;
}

// Where the game takes a card's picture from: the block its card image selects.
std::pair<int, int> PictureOrigin(BitMap& sheet, int number, bool turned = false) {
    cIMGCard card(nullptr, &sheet, cPoint(0, 0), cCard(number));
    card.turned = turned;
    card.UpdatePicture();
    return {card.source.x, card.source.y};
}

class DefaultSheet : public ::testing::Test {
protected:
    void SetUp() override {
        host::UseVirtualDisplay();
        path = support::DefaultSheetPath();
        result = LoadBlocks(bitmap, colours, reinterpret_cast<unsigned char*>(path.data()));
        ASSERT_EQ(result, 0) << path;
    }
    void TearDown() override { FreeBlocks(bitmap); }
    std::string path;
    int result = -1;
    BitMap bitmap{};
    unsigned char colours[768] = {};
};

TEST_F(DefaultSheet, HoldsTheBlockLayoutInEightColours) {
    EXPECT_GE(bitmap.BytesPerRow * 8, 13 * kW);
    EXPECT_GE(bitmap.Rows, 5 * kH);
    EXPECT_EQ(bitmap.Depth, 3);
    // Eight different colours, or remapping would merge two of them.
    std::set<std::vector<int>> distinct;
    for (int i = 0; i < 8; ++i) distinct.insert({colours[i * 3], colours[i * 3 + 1], colours[i * 3 + 2]});
    EXPECT_EQ(distinct.size(), 8u);
    // Colour 0, the table's felt, is a green.
    EXPECT_GT(colours[1], colours[0]);
    EXPECT_GT(colours[1], colours[2]);
}

TEST_F(DefaultSheet, EveryCardHasAPictureOfItsOwnButHighJokersShareOne) {
    std::vector<std::vector<int>> pictures;
    for (int n = 0; n < 55; ++n) {
        auto [x, y] = PictureOrigin(bitmap, n);
        pictures.push_back(Block(bitmap, x, y));
    }
    auto [backX, backY] = PictureOrigin(bitmap, 0, true);
    pictures.push_back(Block(bitmap, backX, backY));
    for (size_t i = 0; i < pictures.size(); ++i)
        for (size_t j = i + 1; j < pictures.size(); ++j)
            EXPECT_NE(pictures[i], pictures[j]) << "pictures " << i << " and " << j << " are the same";
    for (int n = 55; n < 60; ++n) {
        auto [x, y] = PictureOrigin(bitmap, n);
        EXPECT_EQ(Block(bitmap, x, y), pictures[54]) << "joker " << n;
    }
}

TEST_F(DefaultSheet, CardsHaveRoundedCornersOnFeltAndUnusedBlocksAreFelt) {
    std::vector<std::pair<int, int>> cards;
    for (int n = 0; n < 55; ++n) cards.push_back(PictureOrigin(bitmap, n));
    cards.push_back(PictureOrigin(bitmap, 0, true));
    for (auto [x, y] : cards) {
        std::vector<int> b = Block(bitmap, x, y);
        SCOPED_TRACE("block at " + std::to_string(x) + "," + std::to_string(y));
        for (int corner : {0, kW - 1, (kH - 1) * kW, kH * kW - 1}) EXPECT_EQ(b[corner], 0);
        EXPECT_NE(b[(kH / 2) * kW + 1], 0) << "the card's edge";
        EXPECT_NE(b[(kH / 2) * kW + kW / 2], 0) << "the card's middle";
    }
    for (int column : {3, 5, 6, 7, 8, 9, 10, 11, 12})
        for (int v : Block(bitmap, column * kW, 4 * kH)) ASSERT_EQ(v, 0) << "column " << column;
}

TEST(DefaultSheetOnScreen, RemappedSheetShowsItsOwnColours) {
    host::UseVirtualDisplay();
    Screen* screen = LockPubScreen(nullptr);
    ASSERT_NE(screen, nullptr);
    {
        BitMap plain{};
        unsigned char colours[768] = {};
        std::string path = support::DefaultSheetPath();
        ASSERT_EQ(LoadBlocks(plain, colours, reinterpret_cast<unsigned char*>(path.data())), 0);
        support::ScreenSheet sheet(screen);
        ASSERT_TRUE(sheet.ok());
        BitMap* bm = sheet.bitMap();
        ASSERT_EQ(bm->Depth, screen->RastPort.BitMap->Depth);
        const int width = bm->BytesPerRow * 8, rows = bm->Rows;
        // Every pixel's pen shows exactly the colour its index had in the picture.
        std::vector<uint8_t> pens;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < width; ++x) {
                int pen = Pixel(*bm, x, y);
                unsigned char rgb[3];
                host::PenColour(pen, rgb);
                ASSERT_EQ(0, std::memcmp(rgb, colours + Pixel(plain, x, y) * 3, 3)) << x << "," << y;
                pens.push_back(uint8_t(pen));
            }
        uint8_t palette[256][3];
        platform::PaletteOf(screen->ViewPort.ColorMap, palette);
        EXPECT_TRUE(platform::WritePNG(POKER_BINARY_DIR "/cardsheet.png", pens.data(), width, rows, palette));
        FreeBlocks(plain);
    }
    EXPECT_EQ(host::PensInUse(), 0) << "the sheet's pens are released";
    UnlockPubScreen(nullptr, screen);
}

}  // namespace
