// Radio groups: adding, selecting and hit rules (their drawing is the hand dialog's test).
#include "toolkit/radiogroup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/screen.h"

namespace {

int StyleTwoCount(const cRadioGroup& g)
{
    int n = 0;
    for (const cRadioGadget* r = g.first; r; r = r->next) n += r->style == 2;
    return n;
}

std::vector<std::string> Order(const cRadioGroup& g)
{
    std::vector<std::string> v;
    for (const cRadioGadget* r = g.first; r; r = r->next) v.push_back(r->text);
    return v;
}

using support::Mouse;

TEST(RadioGroup, EachAddCopiesItsTemplateInFrontAsTheOnlySelectedOneUntilDeleteAll)
{
    cRadioGroup group(10, 10, 200, 60, 4, nullptr);
    const char* texts[] = {"A", "B", "Cc", "Ddd"};
    const int lengths[] = {1, 1, 2, 3};
    std::vector<std::string> expected;
    for (int i = 0; i < 4; ++i) {
        // Templates arrive in either style; the group decides and leaves the template alone.
        const cRadioGadget templ(12, 12 + 12 * i, 12, 10 + i, texts[i], i, i % 2 ? 2 : 1);
        cRadioGadget* g = group.Add(templ);
        ASSERT_NE(g, nullptr);
        expected.insert(expected.begin(), texts[i]);
        EXPECT_NE(g, &templ);
        EXPECT_EQ(templ.style, i % 2 ? 2 : 1);
        EXPECT_EQ(group.first, g);
        EXPECT_EQ(group.selected, g);
        EXPECT_EQ(g->style, 2);
        EXPECT_EQ(StyleTwoCount(group), 1);
        EXPECT_EQ(Order(group), expected);
        EXPECT_EQ(std::vector({g->position.x, g->position.y, g->size.y, g->value, g->length}),
                  std::vector({12, 12 + 12 * i, 10 + i, i, lengths[i]}));
    }
    group.DeleteAll();
    EXPECT_EQ(group.first, nullptr);
    EXPECT_EQ(group.selected, nullptr);
}

TEST(RadioGroup, SelectStepsAlongTheListAndIgnoresIndexesOutsideIt)
{
    struct Case {
        int index;
        int value;  // of the selected gadget afterwards
    };
    // Added values 0, 1, 2: the list is 2, 1, 0 and 2 is selected.
    const Case cases[] = {{1, 1}, {3, 1}, {-1, 1}, {100, 1}, {2, 0}, {2, 0}, {0, 2}};
    cRadioGroup group(0, 0, 100, 60, 4, nullptr);
    group.Select(0);  // an empty group stays empty
    EXPECT_EQ(group.selected, nullptr);
    for (int i = 0; i < 3; ++i) group.Add(cRadioGadget(2, 2 + 14 * i, 12, 12, "x", i));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        group.Select(c.index);
        ASSERT_NE(group.selected, nullptr);
        EXPECT_EQ(group.selected->value, c.value);
        EXPECT_EQ(group.selected->style, 2);
        EXPECT_EQ(StyleTwoCount(group), 1);
    }
    group.DeleteAll();
}

TEST(RadioGroup, TakesOnlyLeftPressesInsideItsRectangleAndSelectsOnlyByTheBox)
{
    // Group at (20, 30), 200 x 40. Option A's box at (23, 33), B's at (23, 50), 12 x 12.
    struct Case {
        const char* name;
        ULONG cls;
        UWORD code;
        int x, y;
        int expected;
        const char* selected;  // afterwards
    };
    constexpr ULONG Btn = IDCMP_MOUSEBUTTONS;
    const Case cases[] = {
        {"press in A's box", Btn, SELECTDOWN, 25, 35, 1, "A"},
        {"press in B's box", Btn, SELECTDOWN, 30, 55, 1, "B"},
        {"A's box, top-left pixel", Btn, SELECTDOWN, 23, 33, 1, "A"},
        {"B's box, bottom-right pixel", Btn, SELECTDOWN, 34, 61, 1, "B"},
        {"one right of A's box", Btn, SELECTDOWN, 35, 35, 1, "B"},
        {"one below A's box", Btn, SELECTDOWN, 25, 45, 1, "B"},
        {"on A's text", Btn, SELECTDOWN, 60, 38, 1, "B"},
        {"right button in A's box", Btn, MENUDOWN, 25, 35, 0, "B"},
        {"release in A's box", Btn, SELECTUP, 25, 35, 0, "B"},
        {"move over A's box", IDCMP_MOUSEMOVE, SELECTDOWN, 25, 35, 0, "B"},
        {"at x + width", Btn, SELECTDOWN, 220, 35, 0, "B"},
        {"at y + height", Btn, SELECTDOWN, 25, 70, 0, "B"},
        {"left of the group", Btn, SELECTDOWN, 19, 35, 0, "B"},
        {"last column of the group", Btn, SELECTDOWN, 219, 35, 1, "B"},
    };
    cRadioGroup group(20, 30, 200, 40, 4, nullptr);
    const IntuiMessage inside = Mouse(25, 35, SELECTDOWN);
    EXPECT_EQ(group.IDCMP(&inside), 1);  // an empty group takes it and changes nothing
    EXPECT_EQ(group.selected, nullptr);
    EXPECT_EQ(group.IDCMP(nullptr), 0);
    group.Add(cRadioGadget(23, 33, 12, 12, "A", 0));
    group.Add(cRadioGadget(23, 50, 12, 12, "B", 1));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const IntuiMessage m = Mouse(c.x, c.y, c.code, c.cls);
        EXPECT_EQ(group.IDCMP(&m), c.expected);
        ASSERT_NE(group.selected, nullptr);
        EXPECT_STREQ(group.selected->text, c.selected);
        EXPECT_EQ(StyleTwoCount(group), 1);
    }
    group.DeleteAll();
}

}  // namespace
