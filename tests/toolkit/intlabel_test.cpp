// Number labels: the number, where it goes and its frame.
#include "toolkit/IntLabel.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "app/main.h"
#include "host/host.h"
#include "toolkit/gtgadgets.h"

namespace {

class IntLabelTest : public ::testing::Test {
protected:
    Screen* screen = nullptr;
    Window* window = nullptr;

    void SetUp() override
    {
        host::UseVirtualDisplay();
        screen = LockPubScreen(nullptr);
        ASSERT_NE(screen, nullptr);
        TEXTFONT = OpenFont(&cGTGadgets::textattr);
        ASSERT_NE(TEXTFONT, nullptr);
        pens[0] = 0;
        pens[1] = 1;
        const TagItem tags[] = {
            {WA_Title, reinterpret_cast<uintptr_t>("Money")},
            {WA_Left, 10},
            {WA_Top, 20},
            {WA_Width, 400},
            {WA_Height, 200},
            {WA_CustomScreen, reinterpret_cast<uintptr_t>(screen)},
            {WA_IDCMP, 0},
            {TAG_DONE, 0},
        };
        window = OpenWindowTagList(nullptr, tags);
        ASSERT_NE(window, nullptr);
        SetFont(window->RPort, TEXTFONT);
    }

    void TearDown() override
    {
        if (window) CloseWindow(window);
        if (TEXTFONT) CloseFont(TEXTFONT);
        TEXTFONT = nullptr;
        if (screen) UnlockPubScreen(nullptr, screen);
    }

    // Columns of the label that hold ink of the text pen on the number's rows.
    int InkColumns(int baseline, int from, int to)
    {
        int columns = 0;
        for (int x = from; x < to; ++x) {
            bool ink = false;
            for (int y = baseline - TEXTFONT->tf_Baseline; y <= baseline; ++y)
                ink = ink || host::WindowPixel(window, x, y) == pens[1];
            columns += ink;
        }
        return columns;
    }
};

struct LabelCase {
    int32_t value;
    int x, y, width, height;
};

TEST_F(IntLabelTest, ShowsTheWholeNumberEightPixelsInsideAndCentredOnAFixedHeight)
{
    const std::vector<LabelCase> cases = {
        {INT32_MIN, 20, 20, 110, 20},
        {0, 20, 60, 110, 20},
        {40, 150, 20, 80, 15},  // odd height: the half rounds toward zero
        {-1, 150, 60, 80, 21},
        {INT32_MAX, 20, 100, 110, 30},
        {7, 150, 100, 40, 4},   // lower than the text: the offset goes negative
    };
    for (const LabelCase& c : cases) {
        SCOPED_TRACE(c.value);
        TIntLabel label(c.x, c.y, c.width, c.height, 2, c.value, window);
        label.Update(window->RPort);
        const std::string number = std::to_string(c.value);
        const int baseline = c.y + (c.height - 8) / 2 + TEXTFONT->tf_Baseline;
        int found = 0;
        for (const host::TextInfo& t : host::Texts(window)) {
            if (t.text != number) continue;
            ++found;
            EXPECT_EQ(t.x, c.x + 8);
            EXPECT_EQ(t.y, baseline);
            EXPECT_EQ(t.pen, pens[1]);
        }
        EXPECT_EQ(found, 1);
        // Every character has ink, up to the last one.
        const int cell = TEXTFONT->tf_XSize;
        for (size_t i = 0; i < number.size(); ++i) {
            const int left = c.x + 8 + static_cast<int>(i) * cell;
            EXPECT_GT(InkColumns(baseline, left, left + cell), 0) << "character " << i;
        }
        // Nothing is drawn right of the number inside the box (JAM1: no background cells);
        // in a box lower than the text its frame lines cross the text's rows.
        const int end = c.x + 8 + static_cast<int>(number.size()) * cell;
        if (c.height >= 12) {
            EXPECT_EQ(InkColumns(baseline, end, c.x + c.width - 2), 0);
        }
    }
}

TEST_F(IntLabelTest, TheMinimumShowsAllElevenCharacters)
{
    TIntLabel label(10, 30, 120, 20, 2, INT32_MIN, window);
    label.Update(window->RPort);
    EXPECT_TRUE(host::ShowsText(window, "-2147483648"));
}

TEST_F(IntLabelTest, ANewValueReplacesTheOldNumber)
{
    TIntLabel label(10, 30, 120, 20, 2, 12345, window);
    label.Update(window->RPort);
    label.value = 9;
    label.Update(window->RPort);
    EXPECT_TRUE(host::ShowsText(window, "9"));
    EXPECT_FALSE(host::ShowsText(window, "12345"));
    // The digits of the old number beyond the new one are gone from the box.
    const int baseline = 30 + (20 - 8) / 2 + TEXTFONT->tf_Baseline;
    EXPECT_EQ(InkColumns(baseline, 10 + 8 + TEXTFONT->tf_XSize, 10 + 118), 0);
}

TEST_F(IntLabelTest, TheFrameIsRecessedForStyleTwo)
{
    TIntLabel label(50, 50, 60, 20, 2, 5, window);
    label.Update(window->RPort);
    EXPECT_EQ(host::WindowPixel(window, 50, 55), 1);   // outer top-left: dark
    EXPECT_EQ(host::WindowPixel(window, 109, 55), 2);  // outer bottom-right: light
    EXPECT_EQ(host::WindowPixel(window, 60, 52), 0);   // the fill
}

}  // namespace
