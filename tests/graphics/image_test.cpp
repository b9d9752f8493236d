// Images: drawing a block of a bitmap, hiding, moving and hit-testing.
#include <gtest/gtest.h>

#include "app/main.h"
#include "graphics/image.h"
#include "host/host.h"
#include "support/screen.h"

namespace {

class CountingImage : public cImage {
public:
    using cImage::cImage;
    void Clicked() override { ++clicks; }
    int clicks = 0;
};

IntuiMessage Message(ULONG cls, UWORD code, int x, int y) {
    IntuiMessage m{};
    m.Class = cls;
    m.Code = code;
    m.MouseX = static_cast<WORD>(x);
    m.MouseY = static_cast<WORD>(y);
    return m;
}

TEST(Image, ClaimsButtonMessagesInsideItsRectangleOnly) {
    // An image at (30, 40) of 71 x 96: x 30..100, y 40..135.
    struct Row {
        int x, y;
        ULONG cls;
        UWORD code;
        int result, clicks;
    };
    const Row rows[] = {
        {30, 40, IDCMP_MOUSEBUTTONS, SELECTDOWN, 1, 1},    // top-left pixel
        {100, 135, IDCMP_MOUSEBUTTONS, SELECTDOWN, 1, 1},  // bottom-right pixel
        {29, 80, IDCMP_MOUSEBUTTONS, SELECTDOWN, 0, 0},    // left of it
        {101, 80, IDCMP_MOUSEBUTTONS, SELECTDOWN, 0, 0},   // x + width
        {60, 39, IDCMP_MOUSEBUTTONS, SELECTDOWN, 0, 0},    // above it
        {60, 136, IDCMP_MOUSEBUTTONS, SELECTDOWN, 0, 0},   // y + height
        {30, 135, IDCMP_MOUSEBUTTONS, SELECTDOWN, 1, 1},
        {100, 40, IDCMP_MOUSEBUTTONS, SELECTDOWN, 1, 1},
        {60, 80, IDCMP_MOUSEBUTTONS, SELECTUP, 1, 0},   // a release is taken, not a click
        {60, 80, IDCMP_MOUSEBUTTONS, MENUDOWN, 1, 0},   // so is another button
        {60, 80, IDCMP_VANILLAKEY, SELECTDOWN, 0, 0},   // not a button message
        {60, 80, IDCMP_MOUSEMOVE, SELECTDOWN, 0, 0},
        {-60, -80, IDCMP_MOUSEBUTTONS, SELECTDOWN, 0, 0},
    };
    for (const Row& r : rows) {
        CountingImage image(nullptr, nullptr, cRectangle(30, 40, 71, 96), cPoint(0, 0));
        image.visible = 1;
        IntuiMessage m = Message(r.cls, r.code, r.x, r.y);
        EXPECT_EQ(image.IDCMP(&m), r.result) << r.x << ", " << r.y;
        EXPECT_EQ(image.clicks, r.clicks) << r.x << ", " << r.y;
    }
}

TEST(Image, AnInvisibleImageClaimsNothing) {
    CountingImage image(nullptr, nullptr, cRectangle(30, 40, 71, 96), cPoint(0, 0));
    IntuiMessage m = Message(IDCMP_MOUSEBUTTONS, SELECTDOWN, 50, 50);
    EXPECT_EQ(image.IDCMP(&m), 0);
    EXPECT_EQ(image.clicks, 0);
    EXPECT_FALSE(image.Active());
}

TEST(Image, ReceiverPartSeesTheSameImage) {
    CountingImage image(nullptr, nullptr, cRectangle(0, 0, 10, 10), cPoint(0, 0));
    image.visible = 1;
    cIDCMP& receiver = image;
    IntuiMessage m = Message(IDCMP_MOUSEBUTTONS, SELECTDOWN, 5, 5);
    EXPECT_EQ(receiver.IDCMP(&m), 1);
    EXPECT_EQ(image.clicks, 1);
}

class ImageOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        window = support::OpenTestWindow();
        ASSERT_NE(window, nullptr);
        background = support::Pixel(window, 300, 300);
        gfxpens[0] = 0;
    }
    void TearDown() override {
        gfxpens[0] = 0;
        if (window != nullptr) CloseWindow(window);
    }
    ::testing::AssertionResult Shows(int x, int y, int w, int h, int sx, int sy) {
        for (int dy = 0; dy < h; ++dy)
            for (int dx = 0; dx < w; ++dx) {
                const int want = sheet.Get(sx + dx, sy + dy), got = support::Pixel(window, x + dx, y + dy);
                if (got != want)
                    return ::testing::AssertionFailure()
                           << "pixel (" << x + dx << ", " << y + dy << ") is " << got << ", not " << want;
            }
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult Filled(int x, int y, int w, int h, int pen) {
        for (int dy = 0; dy < h; ++dy)
            for (int dx = 0; dx < w; ++dx)
                if (support::Pixel(window, x + dx, y + dy) != pen)
                    return ::testing::AssertionFailure() << "pixel (" << x + dx << ", " << y + dy << ") is "
                                                         << support::Pixel(window, x + dx, y + dy) << ", not " << pen;
        return ::testing::AssertionSuccess();
    }
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
    EXPECT_TRUE(Shows(40, 30, 71, 96, 142, 96));
    // The pixels around the block are untouched.
    EXPECT_TRUE(Filled(39, 29, 73, 1, background));
    EXPECT_TRUE(Filled(39, 126, 73, 1, background));
    EXPECT_TRUE(Filled(39, 30, 1, 96, background));
    EXPECT_TRUE(Filled(111, 30, 1, 96, background));
}

TEST_F(ImageOnScreen, HideFillsWithTheBackgroundPenOnlyWhenVisible) {
    gfxpens[0] = 7;
    cImage image(window, sheet.bitMap(), cRectangle(40, 30, 71, 96), cPoint(0, 0));
    image.Hide();
    EXPECT_TRUE(Filled(40, 30, 71, 96, background)) << "an invisible image drew";
    image.Show();
    image.Hide();
    EXPECT_EQ(image.visible, 0);
    EXPECT_TRUE(Filled(40, 30, 71, 96, 7));
    EXPECT_TRUE(Filled(111, 30, 1, 96, background));
    EXPECT_TRUE(Filled(40, 126, 71, 1, background));
}

TEST_F(ImageOnScreen, MoveToOnAnInvisibleImageDrawsNothingUntilShown) {
    gfxpens[0] = 7;
    cImage image(window, sheet.bitMap(), cRectangle(40, 30, 71, 96), cPoint(71, 0));
    image.MoveTo(cPoint(200, 100));
    EXPECT_EQ(image.position.x, 200);
    EXPECT_EQ(image.position.y, 100);
    EXPECT_TRUE(Filled(40, 30, 71, 96, background));
    EXPECT_TRUE(Filled(200, 100, 71, 96, background));
    image.Show();
    EXPECT_TRUE(Shows(200, 100, 71, 96, 71, 0));
    EXPECT_TRUE(Filled(40, 30, 71, 96, background));
}

TEST_F(ImageOnScreen, MoveToOnAVisibleImageErasesTheOldPlace) {
    gfxpens[0] = 7;
    cImage image(window, sheet.bitMap(), cRectangle(40, 30, 71, 96), cPoint(71, 0));
    image.Show();
    image.MoveTo(cPoint(80, 60));  // overlapping the old place
    EXPECT_EQ(image.visible, 1);
    EXPECT_TRUE(Shows(80, 60, 71, 96, 71, 0));
    EXPECT_TRUE(Filled(40, 30, 71, 30, 7));
    EXPECT_TRUE(Filled(40, 30, 40, 96, 7));
}

TEST_F(ImageOnScreen, DrawAfterChangingTheSourceRedrawsInPlace) {
    cImage image(window, sheet.bitMap(), cRectangle(40, 30, 71, 96), cPoint(0, 0));
    image.Show();
    image.source = cPoint(852, 384);
    image.Draw();
    EXPECT_TRUE(Shows(40, 30, 71, 96, 852, 384));
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
