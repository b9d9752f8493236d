// Number labels: the number, where it goes and its frame.
#include "toolkit/IntLabel.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "host/host.h"
#include "support/screen.h"
#include "toolkit/globals.h"

namespace {

class IntLabelTest : public support::DialogTable {
protected:
    IntLabelTest() : DialogTable({.left = 10, .top = 20, .width = 400, .height = 200, .idcmp = 0, .title = "Money"}) {}

    // Columns from..to-1 that hold ink of the text pen on the number's rows.
    int InkColumns(int baseline, int from, int to) {
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

TEST_F(IntLabelTest, ShowsTheWholeNumberEightPixelsInsideAndCentredOnAFixedHeight) {
    struct Case { int32_t value; const char* shown; int x, y, width, height; };
    const Case cases[] = {
        {INT32_MIN, "-2147483648", 20, 20, 110, 20}, {0, "0", 20, 60, 110, 20},
        {40, "40", 150, 20, 80, 15},  // odd height: the half rounds toward zero
        {-1, "-1", 150, 60, 80, 21}, {INT32_MAX, "2147483647", 20, 100, 110, 30},
        {7, "7", 150, 100, 40, 4},  // lower than the text: the offset goes negative
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        TIntLabel label(c.x, c.y, c.width, c.height, 2, c.value, window);
        label.Update(window->RPort);
        const std::string number = c.shown;
        const int baseline = c.y + (c.height - 8) / 2 + TEXTFONT->tf_Baseline;
        int found = 0;
        for (const host::TextInfo& t : host::Texts(window)) {
            if (t.text != number) continue;
            ++found;
            EXPECT_EQ(std::tuple(t.x, t.y, t.pen), std::tuple(c.x + 8, baseline, int(pens[1])));
        }
        EXPECT_EQ(found, 1);
        // Every character has ink, up to the last one; nothing right of the number inside the
        // box (JAM1: no background cells). A box lower than the text has its frame on those rows.
        const int cell = TEXTFONT->tf_XSize;
        for (size_t i = 0; i < number.size(); ++i) {
            const int left = c.x + 8 + static_cast<int>(i) * cell;
            EXPECT_GT(InkColumns(baseline, left, left + cell), 0) << "character " << i;
        }
        const int end = c.x + 8 + static_cast<int>(number.size()) * cell;
        EXPECT_EQ(c.height >= 12 ? InkColumns(baseline, end, c.x + c.width - 2) : 0, 0);
    }
}

}  // namespace
