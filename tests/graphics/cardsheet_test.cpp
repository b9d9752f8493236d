// The default card sheet the build draws: it loads, every card has its own picture, and
// remapped to the screen it shows its own colours.
#include <gtest/gtest.h>
#include <intuition.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "game/card.h"
#include "gfx_private.h"
#include "graphics/gfxload.h"
#include "host/host.h"
#include "support/cardsheet.h"
#include "support/gametable.h"

namespace {

constexpr int kW = CARD_WIDTH, kH = CARD_HEIGHT;

int Pixel(const BitMap& bm, int x, int y) { return SheetPixel(&bm, x, y); }

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
        std::string path = support::DefaultSheetPath();
        ASSERT_EQ(LoadBlocks(bitmap, colours, reinterpret_cast<unsigned char*>(path.data())), 0) << path;
    }
    void TearDown() override { FreeBlocks(bitmap); }
    BitMap bitmap{};
    unsigned char colours[768] = {};
};

// Cards 0..54 and the back each differ; jokers 55..59 share card 54's picture. Every card
// has rounded corners on felt, in its suit's ink; the unused blocks are felt.
TEST_F(DefaultSheet, EveryCardHasARoundedPictureOfItsOwnInItsSuitsInkButHighJokersShareOne) {
    EXPECT_TRUE(bitmap.BytesPerRow * 8 >= 13 * kW && bitmap.Rows >= 5 * kH) << bitmap.BytesPerRow << " x " << bitmap.Rows;
    EXPECT_EQ(bitmap.Depth, 3);
    std::vector<std::vector<int>> pictures;
    for (int n = 0; n <= 60; ++n) {
        auto [x, y] = PictureOrigin(bitmap, n % 60, n == 60);
        pictures.push_back(Block(bitmap, x, y));
        const std::vector<int>& b = pictures.back();
        SCOPED_TRACE(testing::Message() << "card " << n << " at " << x << "," << y);
        for (int corner : {0, kW - 1, (kH - 1) * kW, kH * kW - 1}) EXPECT_EQ(b[corner], 0);
        EXPECT_NE(b[(kH / 2) * kW + 1], 0) << "the card's edge";
        EXPECT_NE(b[(kH / 2) * kW + kW / 2], 0) << "the card's middle";
        // Ace to ten of hearts and diamonds are inked red (3); of clubs and spades black (1, the
        // outline of every card), with no red at all.
        const long red = std::count(b.begin(), b.end(), 3);
        EXPECT_TRUE(n >= 52 || n % 13 >= 10 || (red > 0) == (n / 13 == 1 || n / 13 == 2)) << red << " red pixels";
    }
    for (size_t i = 0; i < pictures.size(); ++i)
        for (size_t j = i + 1; j < pictures.size(); ++j)
            EXPECT_EQ(pictures[i] == pictures[j], i >= 54 && j < 60) << "pictures " << i << " and " << j;
    for (int column : {3, 5, 6, 7, 8, 9, 10, 11, 12})
        for (int v : Block(bitmap, column * kW, 4 * kH)) ASSERT_EQ(v, 0) << "column " << column;
}

TEST_F(DefaultSheet, RemappedToTheScreenShowsItsOwnEightColours) {
    // Eight different colours, or remapping would merge two; colour 0, the felt, is a green.
    std::set<std::vector<int>> distinct;
    for (int i = 0; i < 8; ++i) distinct.insert({colours[i * 3], colours[i * 3 + 1], colours[i * 3 + 2]});
    EXPECT_EQ(distinct.size(), 8u);
    EXPECT_TRUE(colours[1] > colours[0] && colours[1] > colours[2]);
    Screen* screen = LockPubScreen(nullptr);
    ASSERT_NE(screen, nullptr);
    {
        support::ScreenSheet sheet(screen);
        ASSERT_TRUE(sheet.ok());
        const BitMap* bm = sheet.bitMap();
        ASSERT_EQ(bm->Depth, screen->RastPort.BitMap->Depth);
        const int width = bm->BytesPerRow * 8;
        std::vector<uint8_t> pens;
        for (int y = 0; y < bm->Rows; ++y)
            for (int x = 0; x < width; ++x) {
                pens.push_back(uint8_t(Pixel(*bm, x, y)));
                unsigned char rgb[3];
                host::PenColour(pens.back(), rgb);
                ASSERT_EQ(0, std::memcmp(rgb, colours + Pixel(bitmap, x, y) * 3, 3)) << x << "," << y;
            }
        uint8_t palette[256][3];
        platform::PaletteOf(screen->ViewPort.ColorMap, palette);
        EXPECT_TRUE(platform::WritePNG(POKER_BINARY_DIR "/cardsheet.png", pens.data(), width, bm->Rows, palette));
    }
    EXPECT_EQ(host::PensInUse(), 0) << "the sheet's pens are released";
    UnlockPubScreen(nullptr, screen);
}

}  // namespace
