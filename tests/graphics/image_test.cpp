// Images: drawing a block of a bitmap, hiding and moving (hits are the cards' tests).
#include <gtest/gtest.h>

#include "graphics/image.h"
#include "support/screen.h"
#include "toolkit/globals.h"

namespace {

class ImageOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        window = support::OpenTestWindow();
        ASSERT_NE(window, nullptr);
        background = support::Pixel(window, 300, 300);
        gfxpens[0] = 7;
    }
    void TearDown() override {
        gfxpens[0] = 0;
        if (window != nullptr) CloseWindow(window);
    }
    // The w x h block at (x, y) holds the sheet's block at (sx, sy), or every pixel is `pen`.
    ::testing::AssertionResult Holds(int x, int y, int w, int h, int sx, int sy, int pen = -1) {
        for (int dy = 0; dy < h; ++dy)
            for (int dx = 0; dx < w; ++dx) {
                const int want = pen >= 0 ? pen : sheet.Get(sx + dx, sy + dy);
                const int got = support::Pixel(window, x + dx, y + dy);
                if (got != want)
                    return ::testing::AssertionFailure() << "pixel (" << x + dx << ", " << y + dy << ") is " << got
                                                         << ", not " << want;
            }
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult Filled(int x, int y, int w, int h, int pen) { return Holds(x, y, w, h, 0, 0, pen); }
    Window* window = nullptr;
    int background = 0;
    support::TestBitMap sheet = support::MakeTestSheet();
};

TEST_F(ImageOnScreen, HideAndMoveToDrawOnlyWhenVisibleAndEraseWithTheBackgroundPen) {
    cImage image(window, sheet.bitMap(), cRectangle(40, 30, 71, 96), cPoint(71, 0));
    image.Hide();
    image.MoveTo(cPoint(200, 100));
    EXPECT_EQ(std::pair(image.position.x, image.position.y), std::pair(200, 100));
    EXPECT_TRUE(Filled(40, 30, 71, 96, background)) << "an invisible image drew";
    EXPECT_TRUE(Filled(200, 100, 71, 96, background)) << "an invisible image drew";
    image.Show();
    EXPECT_TRUE(Holds(200, 100, 71, 96, 71, 0));
    image.MoveTo(cPoint(160, 70));  // overlapping the old place
    EXPECT_EQ(image.visible, 1);
    EXPECT_TRUE(Holds(160, 70, 71, 96, 71, 0));
    EXPECT_TRUE(Filled(200, 166, 71, 30, 7));
    EXPECT_TRUE(Filled(231, 100, 40, 96, 7));
    image.Hide();
    EXPECT_EQ(image.visible, 0);
    EXPECT_TRUE(Filled(160, 70, 71, 96, 7));
    EXPECT_TRUE(Filled(231, 70, 1, 30, background));
    EXPECT_TRUE(Filled(159, 70, 1, 96, background));
    EXPECT_TRUE(Filled(160, 69, 71, 1, background));
}

}  // namespace
