// Radio groups: adding, selecting, hit rules and drawing.
#include "toolkit/radiogroup.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "app/main.h"
#include "host/host.h"
#include "toolkit/gtgadgets.h"

// Lets a test make the group's allocation fail; otherwise the ordinary allocator serves.
namespace {
bool failNothrowNew = false;
}

void* operator new(std::size_t n, const std::nothrow_t&) noexcept
{
    if (failNothrowNew) return nullptr;
    try {
        return ::operator new(n);
    } catch (...) {
        return nullptr;
    }
}

namespace {

int StyleTwoCount(const cRadioGroup& g)
{
    int n = 0;
    for (const cRadioGadget* r = g.first; r; r = r->next) n += r->style == 2;
    return n;
}

std::vector<const char*> Order(const cRadioGroup& g)
{
    std::vector<const char*> v;
    for (const cRadioGadget* r = g.first; r; r = r->next) v.push_back(r->text);
    return v;
}

IntuiMessage Mouse(ULONG cls, UWORD code, int x, int y)
{
    IntuiMessage m{};
    m.Class = cls;
    m.Code = code;
    m.MouseX = static_cast<WORD>(x);
    m.MouseY = static_cast<WORD>(y);
    return m;
}

TEST(RadioGadget, CountsItsTextOnceWhenMade)
{
    const cRadioGadget a(1, 2, 12, 12, "5 jokers are lousy hand", 7);
    EXPECT_EQ(a.length, 23);
    EXPECT_EQ(a.value, 7);
    EXPECT_EQ(a.style, 1);
    const cRadioGadget none(1, 2, 12, 12, nullptr, 0);
    EXPECT_EQ(none.length, 0);
}

TEST(RadioGroup, EachAddGoesInFrontAndIsTheOnlySelectedOne)
{
    cRadioGroup group(10, 10, 200, 60, 4, nullptr);
    const char* texts[] = {"A", "B", "C", "D"};
    std::vector<const char*> expected;
    for (int i = 0; i < 4; ++i) {
        // Templates arrive in either style; the group decides.
        cRadioGadget* g = group.Add(cRadioGadget(12, 12 + 12 * i, 12, 12, texts[i], i, i % 2 ? 2 : 1));
        ASSERT_NE(g, nullptr);
        expected.insert(expected.begin(), texts[i]);
        EXPECT_EQ(group.first, g);
        EXPECT_EQ(group.selected, g);
        EXPECT_EQ(g->style, 2);
        EXPECT_EQ(StyleTwoCount(group), 1);
        EXPECT_EQ(Order(group), expected);
        EXPECT_EQ(g->value, i);
        EXPECT_EQ(g->position.y, 12 + 12 * i);
        EXPECT_EQ(g->length, 1);
    }
    group.DeleteAll();
}

TEST(RadioGroup, AddCopiesTheTemplate)
{
    cRadioGroup group(0, 0, 100, 40, 4, nullptr);
    cRadioGadget templ(3, 4, 12, 13, "option", 42);
    cRadioGadget* g = group.Add(templ);
    ASSERT_NE(g, nullptr);
    EXPECT_NE(g, &templ);
    EXPECT_EQ(templ.style, 1);  // the template itself is left alone
    EXPECT_EQ(g->position.x, 3);
    EXPECT_EQ(g->position.y, 4);
    EXPECT_EQ(g->size.x, 12);
    EXPECT_EQ(g->size.y, 13);
    EXPECT_EQ(g->text, templ.text);
    EXPECT_EQ(g->length, 6);
    EXPECT_EQ(g->value, 42);
    EXPECT_EQ(g->next, nullptr);
}

TEST(RadioGroup, SelectStepsAlongTheListAndIgnoresIndexesOutsideIt)
{
    struct Case {
        int index;
        int expectedValue;  // value of the selected gadget afterwards
    };
    // Added A (value 0), B (1), C (2): the list is C, B, A and C is selected.
    const std::vector<Case> cases = {
        {1, 1}, {2, 0}, {0, 2}, {3, 2}, {-1, 2}, {100, 2}, {2, 0}, {2, 0},
    };
    cRadioGroup group(0, 0, 100, 60, 4, nullptr);
    group.Add(cRadioGadget(2, 2, 12, 12, "A", 0));
    group.Add(cRadioGadget(2, 16, 12, 12, "B", 1));
    group.Add(cRadioGadget(2, 30, 12, 12, "C", 2));
    int current = 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        group.Select(c.index);
        const bool inside = c.index >= 0 && c.index < 3;
        if (inside) current = c.expectedValue;
        ASSERT_NE(group.selected, nullptr);
        EXPECT_EQ(group.selected->value, current);
        EXPECT_EQ(group.selected->style, 2);
        EXPECT_EQ(StyleTwoCount(group), 1);
    }
    group.DeleteAll();
}

TEST(RadioGroup, SelectOnAnEmptyGroupDoesNothing)
{
    cRadioGroup group(0, 0, 100, 60, 4, nullptr);
    group.Select(0);
    EXPECT_EQ(group.selected, nullptr);
    EXPECT_EQ(group.first, nullptr);
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
    const std::vector<Case> cases = {
        {"press in A's box", IDCMP_MOUSEBUTTONS, SELECTDOWN, 25, 35, 1, "A"},
        {"press in B's box", IDCMP_MOUSEBUTTONS, SELECTDOWN, 30, 55, 1, "B"},
        {"press in the selected box again", IDCMP_MOUSEBUTTONS, SELECTDOWN, 30, 55, 1, "B"},
        {"A's box, top-left pixel", IDCMP_MOUSEBUTTONS, SELECTDOWN, 23, 33, 1, "A"},
        {"B's box, bottom-right pixel", IDCMP_MOUSEBUTTONS, SELECTDOWN, 34, 61, 1, "B"},
        {"one right of A's box", IDCMP_MOUSEBUTTONS, SELECTDOWN, 35, 35, 1, "B"},
        {"one below A's box", IDCMP_MOUSEBUTTONS, SELECTDOWN, 25, 45, 1, "B"},
        {"on A's text", IDCMP_MOUSEBUTTONS, SELECTDOWN, 60, 38, 1, "B"},
        {"right button in A's box", IDCMP_MOUSEBUTTONS, MENUDOWN, 25, 35, 0, "B"},
        {"release in A's box", IDCMP_MOUSEBUTTONS, SELECTUP, 25, 35, 0, "B"},
        {"move over A's box", IDCMP_MOUSEMOVE, SELECTDOWN, 25, 35, 0, "B"},
        {"key", IDCMP_VANILLAKEY, 13, 25, 35, 0, "B"},
        {"at x + width", IDCMP_MOUSEBUTTONS, SELECTDOWN, 220, 35, 0, "B"},
        {"at y + height", IDCMP_MOUSEBUTTONS, SELECTDOWN, 25, 70, 0, "B"},
        {"left of the group", IDCMP_MOUSEBUTTONS, SELECTDOWN, 19, 35, 0, "B"},
        {"above the group", IDCMP_MOUSEBUTTONS, SELECTDOWN, 25, 29, 0, "B"},
        {"last column of the group", IDCMP_MOUSEBUTTONS, SELECTDOWN, 219, 35, 1, "B"},
        {"first pixel of the group", IDCMP_MOUSEBUTTONS, SELECTDOWN, 20, 30, 1, "B"},
        {"negative position", IDCMP_MOUSEBUTTONS, SELECTDOWN, -5, -5, 0, "B"},
    };
    cRadioGroup group(20, 30, 200, 40, 4, nullptr);
    group.Add(cRadioGadget(23, 33, 12, 12, "A", 0));
    group.Add(cRadioGadget(23, 50, 12, 12, "B", 1));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const IntuiMessage m = Mouse(c.cls, c.code, c.x, c.y);
        EXPECT_EQ(group.IDCMP(&m), c.expected);
        ASSERT_NE(group.selected, nullptr);
        EXPECT_STREQ(group.selected->text, c.selected);
        EXPECT_EQ(StyleTwoCount(group), 1);
    }
    group.DeleteAll();
}

TEST(RadioGroup, AnEmptyGroupTakesAClickInsideAndChangesNothing)
{
    cRadioGroup group(0, 0, 50, 20, 4, nullptr);
    const IntuiMessage inside = Mouse(IDCMP_MOUSEBUTTONS, SELECTDOWN, 10, 10);
    const IntuiMessage outside = Mouse(IDCMP_MOUSEBUTTONS, SELECTDOWN, 50, 10);
    EXPECT_EQ(group.IDCMP(&inside), 1);
    EXPECT_EQ(group.IDCMP(&outside), 0);
    EXPECT_EQ(group.selected, nullptr);
    EXPECT_EQ(group.IDCMP(nullptr), 0);
}

TEST(RadioGroup, DeleteAllEmptiesTheGroupAndItCanBeFilledAgain)
{
    cRadioGroup group(0, 0, 50, 40, 4, nullptr);
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 3; ++i) group.Add(cRadioGadget(2, 2 + 12 * i, 10, 10, "x", i));
        EXPECT_EQ(Order(group).size(), 3u);
        group.DeleteAll();
        EXPECT_EQ(group.first, nullptr);
        EXPECT_EQ(group.selected, nullptr);
    }
    group.DeleteAll();  // an empty group stays empty
    EXPECT_EQ(group.first, nullptr);
}

TEST(RadioGroup, AnAddThatCannotAllocateChangesNothing)
{
    cRadioGroup group(0, 0, 50, 40, 4, nullptr);
    cRadioGadget* a = group.Add(cRadioGadget(2, 2, 10, 10, "a", 0));
    cRadioGadget* b = group.Add(cRadioGadget(2, 14, 10, 10, "b", 1));
    ASSERT_TRUE(a && b);
    failNothrowNew = true;
    cRadioGadget* c = group.Add(cRadioGadget(2, 26, 10, 10, "c", 2));
    failNothrowNew = false;
    EXPECT_EQ(c, nullptr);
    EXPECT_EQ(group.first, b);
    EXPECT_EQ(group.selected, b);
    EXPECT_EQ(b->style, 2);
    EXPECT_EQ(a->style, 1);
    EXPECT_EQ(Order(group).size(), 2u);
    group.DeleteAll();
}

// ---- drawing, in a window of the virtual display ------------------------------------

class RadioGroupWindow : public ::testing::Test {
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
            {WA_Title, reinterpret_cast<uintptr_t>("Radio")},
            {WA_Left, 40},
            {WA_Top, 40},
            {WA_Width, 300},
            {WA_Height, 150},
            {WA_CustomScreen, reinterpret_cast<uintptr_t>(screen)},
            {WA_Activate, TRUE},
            {WA_IDCMP, IDCMP_MOUSEBUTTONS},
            {TAG_DONE, 0},
        };
        window = OpenWindowTagList(nullptr, tags);
        ASSERT_NE(window, nullptr);
    }

    void TearDown() override
    {
        if (window) CloseWindow(window);
        if (TEXTFONT) CloseFont(TEXTFONT);
        TEXTFONT = nullptr;
        if (screen) UnlockPubScreen(nullptr, screen);
    }

    // The pens of a box's top-left and bottom-right corners.
    std::pair<int, int> Corners(const cRadioGadget* g)
    {
        return {host::WindowPixel(window, g->position.x, g->position.y),
                host::WindowPixel(window, g->position.x + g->size.x - 1, g->position.y + g->size.y - 1)};
    }
};

const std::pair<int, int> Raised{2, 1};
const std::pair<int, int> Recessed{1, 2};

TEST_F(RadioGroupWindow, UpdateDrawsTheGrooveAndEveryOptionWithItsText)
{
    cRadioGroup group(20, 20, 260, 60, 4, window);
    group.Update();
    // An empty group: only its frame (groove: dark outside, light inside on the top-left).
    EXPECT_EQ(host::WindowPixel(window, 20, 30), 1);
    EXPECT_EQ(host::WindowPixel(window, 21, 30), 2);
    EXPECT_EQ(host::WindowPixel(window, 279, 30), 2);
    EXPECT_EQ(host::WindowPixel(window, 278, 30), 1);
    for (const host::TextInfo& t : host::Texts(window)) EXPECT_EQ(t.text, "Radio");  // the title only

    struct Option {
        int x, y, w, h;
        const char* text;
    };
    // Boxes of even and odd heights, and one lower than the font.
    const std::vector<Option> options = {
        {23, 23, 12, 12, "twelve"}, {23, 37, 12, 13, "thirteen"}, {150, 23, 6, 5, "low"}};
    for (const Option& o : options) group.Add(cRadioGadget(o.x, o.y, o.w, o.h, o.text, 0));
    group.Update();
    for (const Option& o : options) {
        SCOPED_TRACE(o.text);
        int found = 0;
        for (const host::TextInfo& t : host::Texts(window)) {
            if (t.text != o.text) continue;
            ++found;  // once per drawing: Add draws it, Update again
            EXPECT_EQ(t.x, o.x + o.w + 2);
            // Signed division, truncating toward zero.
            EXPECT_EQ(t.y, o.y + (o.h - TEXTFONT->tf_YSize) / 2 + TEXTFONT->tf_Baseline);
            EXPECT_EQ(t.pen, pens[1]);
        }
        EXPECT_GE(found, 1);
    }
    // The last added is drawn recessed, the others raised.
    EXPECT_EQ(Corners(group.first), Recessed);
    EXPECT_EQ(Corners(group.first->next), Raised);
    EXPECT_EQ(Corners(group.first->next->next), Raised);
    group.DeleteAll();
}

TEST_F(RadioGroupWindow, AClickOnTheScreenMovesTheRecessedBox)
{
    cRadioGroup group(20, 20, 260, 60, 4, window);
    group.Update();
    cRadioGadget* a = group.Add(cRadioGadget(23, 23, 12, 12, "first", 0));
    cRadioGadget* b = group.Add(cRadioGadget(23, 40, 12, 12, "second", 1));
    EXPECT_EQ(Corners(b), Recessed);
    EXPECT_EQ(Corners(a), Raised);

    struct Click {
        int x, y;  // in the window
        cRadioGadget* selected;
    };
    const std::vector<Click> clicks = {{28, 28, a}, {100, 44, a}, {28, 45, b}, {28, 45, b}, {24, 24, a}};
    for (const Click& c : clicks) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        host::SetSteps({});
        host::Click(window->LeftEdge + c.x, window->TopEdge + c.y);
        // Deliver the press and the release through the window's port.
        int answered = 0;
        bool released = false;
        while (!released) {
            WaitPort(window->UserPort);
            while (Message* raw = GetMsg(window->UserPort)) {
                const IntuiMessage* msg = reinterpret_cast<IntuiMessage*>(raw);
                released = released || (msg->Class == IDCMP_MOUSEBUTTONS && msg->Code == SELECTUP);
                answered += group.IDCMP(msg) != 0;
                ReplyMsg(raw);
            }
        }
        EXPECT_EQ(answered, 1);  // the press only
        EXPECT_EQ(group.selected, c.selected);
        EXPECT_EQ(Corners(c.selected), Recessed);
        EXPECT_EQ(Corners(c.selected == a ? b : a), Raised);
    }
    group.DeleteAll();
}

}  // namespace
