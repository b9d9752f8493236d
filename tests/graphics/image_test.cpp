// Images: drawing a block of a bitmap, hiding, moving and hit-testing.
#include <gtest/gtest.h>

#include "graphics/image.h"
#include "host/host.h"
#include "support/screen.h"
#include "toolkit/globals.h"

namespace {

class CountingImage : public cImage {
public:
    using cImage::cImage;
    void Clicked() override { ++clicks; }
    int clicks = 0;
};

TEST(Image, ClaimsButtonMessagesInsideItsRectangleOnlyWhenVisible) {
    // An image at (30, 40) of 71 x 96: x 30..100, y 40..135.
    struct Row { int x, y; ULONG cls; UWORD code; int result, clicks; bool visible = true; };
    const Row rows[] = {
        {30, 40, IDCMP_MOUSEBUTTONS, SELECTDOWN, 1, 1},    // top-left pixel
        {100, 135, IDCMP_MOUSEBUTTONS, SELECTDOWN, 1, 1},  // bottom-right pixel
        {29, 80, IDCMP_MOUSEBUTTONS, SELECTDOWN, 0, 0},    // left of it
        {101, 80, IDCMP_MOUSEBUTTONS, SELECTDOWN, 0, 0},   // x + width
        {60, 39, IDCMP_MOUSEBUTTONS, SELECTDOWN, 0, 0},    // above it
        {60, 136, IDCMP_MOUSEBUTTONS, SELECTDOWN, 0, 0},   // y + height
        {60, 80, IDCMP_MOUSEBUTTONS, SELECTUP, 1, 0},      // a release is taken, not a click
        {60, 80, IDCMP_MOUSEBUTTONS, MENUDOWN, 1, 0},      // so is another button
        {60, 80, IDCMP_VANILLAKEY, SELECTDOWN, 0, 0},      // not a button message
        {-60, -80, IDCMP_MOUSEBUTTONS, SELECTDOWN, 0, 0},
        {50, 50, IDCMP_MOUSEBUTTONS, SELECTDOWN, 0, 0, false},
    };
    for (const Row& r : rows) {
        CountingImage image(nullptr, nullptr, cRectangle(30, 40, 71, 96), cPoint(0, 0));
        image.visible = r.visible;
        IntuiMessage m{};
        m.Class = r.cls, m.Code = r.code, m.MouseX = WORD(r.x), m.MouseY = WORD(r.y);
        cIDCMP& receiver = image;  // messages come through the receiver part
        EXPECT_EQ(receiver.IDCMP(&m), r.result) << r.x << ", " << r.y;
        EXPECT_EQ(image.clicks, r.clicks) << r.x << ", " << r.y;
    }
}

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

TEST_F(ImageOnScreen, ShowCopiesTheSourceBlockAndNothingAround) {
    cImage image(window, sheet.bitMap(), cRectangle(40, 30, 71, 96), cPoint(142, 96));
    image.Draw();
    EXPECT_TRUE(Filled(40, 30, 71, 96, background)) << "drawn while invisible";
    image.Show();
    EXPECT_EQ(image.visible, 1);
    EXPECT_TRUE(Holds(40, 30, 71, 96, 142, 96));
    EXPECT_TRUE(Filled(39, 29, 73, 1, background));
    EXPECT_TRUE(Filled(39, 126, 73, 1, background));
    EXPECT_TRUE(Filled(39, 30, 1, 96, background));
    EXPECT_TRUE(Filled(111, 30, 1, 96, background));
    image.source = cPoint(852, 384);
    image.Draw();
    EXPECT_TRUE(Holds(40, 30, 71, 96, 852, 384)) << "redrawn in place from the new source";
}

TEST_F(ImageOnScreen, HideAndMoveToDrawOnlyWhenVisibleAndEraseWithTheBackgroundPen) {
    cImage image(window, sheet.bitMap(), cRectangle(40, 30, 71, 96), cPoint(71, 0));
    image.Hide();
    image.MoveTo(cPoint(200, 100));
    EXPECT_EQ(image.position.x, 200);
    EXPECT_EQ(image.position.y, 100);
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

TEST_F(ImageOnScreen, AnImageWithoutABitmapOrWindowDrawsNothingAndStillTracksVisibility) {
    cImage noSheet(window, nullptr, cRectangle(40, 30, 71, 96), cPoint(0, 0));
    noSheet.Show();
    EXPECT_EQ(noSheet.visible, 1);
    EXPECT_TRUE(Filled(40, 30, 71, 96, background));
    cImage noWindow(nullptr, sheet.bitMap(), cRectangle(40, 30, 71, 96), cPoint(0, 0));
    noWindow.Show();
    noWindow.MoveTo(cPoint(1, 1));
    noWindow.Hide();
    EXPECT_EQ(noWindow.visible, 0);
    EXPECT_EQ(noWindow.position.x, 1);
}

}  // namespace
