// The hand evaluation preferences dialog, driven through the virtual display's user.
#include "dialogs/handprfs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/main.h"
#include "game/handpile.h"
#include "host/host.h"

namespace {

constexpr const char* Title = "Hand Evaluation Preferences";
constexpr uint32_t Best = HAND_FIVE_JOKERS_BEST;
constexpr uint32_t Better = HAND_FIVE_KIND_ABOVE_SF;

// The four options by where their boxes are in the window.
enum Option { Lousy, BestPossible, Lower, BetterThan, OptionCount };
struct OptionPlace {
    int x, y;
    const char* text;
};
constexpr OptionPlace Places[OptionCount] = {
    {28, 38, "5 jokers are lousy hand"},
    {28, 51, "5 jokers are best possible"},
    {28, 73, "5 of kind is lower than straight flush"},
    {28, 86, "5 of kind is better than straight flush"},
};
constexpr int Box = 12;

class HandDialogTest : public ::testing::Test {
protected:
    Screen* screen = nullptr;
    Window* parent = nullptr;
    cHandPile hand{cPoint(10, 20)};

    void SetUp() override { Start(); }
    void TearDown() override { Stop(); }

    void Start()
    {
        Stop();
        host::UseVirtualDisplay();
        screen = LockPubScreen(nullptr);
        ASSERT_NE(screen, nullptr);
        TEXTFONT = OpenFont(&cGTGadgets::textattr);
        ASSERT_NE(TEXTFONT, nullptr);
        pens[0] = 0;
        pens[1] = 1;
        const TagItem tags[] = {
            {WA_Title, reinterpret_cast<uintptr_t>("Tarnwell Poker")},
            {WA_Left, 20},
            {WA_Top, 30},
            {WA_Width, 608},
            {WA_Height, 241},
            {WA_CustomScreen, reinterpret_cast<uintptr_t>(screen)},
            {WA_IDCMP, 0},
            {TAG_DONE, 0},
        };
        parent = OpenWindowTagList(nullptr, tags);
        ASSERT_NE(parent, nullptr);
    }

    void Stop()
    {
        host::ClearFaults();
        if (parent) CloseWindow(parent);
        parent = nullptr;
        if (TEXTFONT) CloseFont(TEXTFONT);
        TEXTFONT = nullptr;
        if (screen) UnlockPubScreen(nullptr, screen);
        screen = nullptr;
    }

    void Run()
    {
        TPrefsHandDialog dialog(parent, &hand);
        dialog.Execute();
    }
};

Window* Dialog() { return host::FindWindow(Title); }

// A selected option's box is recessed: black on its top-left corner, white on its
// bottom-right one; a raised box the other way round.
bool ShownSelected(Window* w, Option o)
{
    const OptionPlace& p = Places[o];
    return host::WindowPixel(w, p.x, p.y) == 1 && host::WindowPixel(w, p.x + Box - 1, p.y + Box - 1) == 2;
}
bool ShownUnselected(Window* w, Option o)
{
    const OptionPlace& p = Places[o];
    return host::WindowPixel(w, p.x, p.y) == 2 && host::WindowPixel(w, p.x + Box - 1, p.y + Box - 1) == 1;
}

// Which options the dialog shows selected, one bit per option; -1 when a box is neither.
int ShownSelection(Window* w)
{
    int bits = 0;
    for (int o = 0; o < OptionCount; ++o) {
        if (ShownSelected(w, Option(o)))
            bits |= 1 << o;
        else if (!ShownUnselected(w, Option(o)))
            return -1;
    }
    return bits;
}

// The options that flags select.
int SelectionOf(uint32_t flags)
{
    return (1 << ((flags & Best) ? BestPossible : Lousy)) | (1 << ((flags & Better) ? BetterThan : Lower));
}

void ClickBox(Window* w, Option o)
{
    host::Click(w->LeftEdge + Places[o].x + Box / 2, w->TopEdge + Places[o].y + Box / 2);
}

struct Session {
    const char* name;
    uint32_t flags;
    std::vector<Option> clicks;
    std::function<void(Window*)> finish;
    uint32_t expected;
};

void Key(int code) { host::Key(code); }

TEST_F(HandDialogTest, ShowsTheFlagsAndWritesThemOnlyWhenConfirmed)
{
    auto ok = [](Window* w) { host::ClickGadget(w, 103); };
    auto cancel = [](Window* w) { host::ClickGadget(w, 104); };
    auto close = [](Window* w) { host::ClickClose(w); };
    auto ret = [](Window*) { Key(13); };
    auto lf = [](Window*) { Key(10); };
    auto escape = [](Window*) { Key(27); };
    const std::vector<Session> sessions = {
        {"OK untouched, 0", 0, {}, ok, 0},
        {"OK untouched, both", Best | Better, {}, ok, Best | Better},
        {"OK untouched, jokers only", Best, {}, ok, Best},
        {"OK untouched, five of a kind only", Better, {}, ok, Better},
        {"OK keeps the other bits", 0x0FF | Best, {}, ok, 0x0FF | Best},
        {"OK after choosing both", 0, {BestPossible, BetterThan}, ok, Best | Better},
        {"OK after choosing neither", Best | Better, {Lousy, Lower}, ok, 0},
        {"OK after changing the mind", 0, {BestPossible, Lousy, BetterThan}, ok, Better},
        {"clicking the selected box", Best, {BestPossible, BestPossible}, ok, Best},
        {"Return confirms", 0, {BestPossible}, ret, Best},
        {"line feed confirms", Best | Better, {Lower}, lf, Best},
        {"Cancel", 0, {BestPossible, BetterThan}, cancel, 0},
        {"Escape", Best | Better, {Lousy, Lower}, escape, Best | Better},
        {"close gadget", Better, {BestPossible, Lower}, close, Better},
    };
    for (const Session& s : sessions) {
        SCOPED_TRACE(s.name);
        Start();
        hand.flags = s.flags;
        int shownFirst = -2, shownAfter = -2;
        int expectedAfter = SelectionOf(s.flags);
        for (Option o : s.clicks) {
            const bool jokers = o == Lousy || o == BestPossible;
            expectedAfter &= jokers ? ~((1 << Lousy) | (1 << BestPossible)) : ~((1 << Lower) | (1 << BetterThan));
            expectedAfter |= 1 << o;
        }
        host::SetSteps({
            [&] {
                Window* w = Dialog();
                ASSERT_NE(w, nullptr);
                shownFirst = ShownSelection(w);
                for (Option o : s.clicks) ClickBox(w, o);
            },
            [&] {
                Window* w = Dialog();
                ASSERT_NE(w, nullptr);
                shownAfter = ShownSelection(w);
                // Nothing reaches the hand before the dialog is confirmed.
                EXPECT_EQ(hand.flags, s.flags);
                s.finish(w);
            },
        });
        Run();
        EXPECT_EQ(host::StepsLeft(), 0u);
        EXPECT_EQ(Dialog(), nullptr);
        EXPECT_EQ(shownFirst, SelectionOf(s.flags));
        EXPECT_EQ(shownAfter, expectedAfter);
        EXPECT_EQ(hand.flags, s.expected);
        EXPECT_EQ(host::DoubleReplies(), 0);
    }
}

TEST_F(HandDialogTest, OpensBesideTheParentWithItsGroupsTextsAndButtons)
{
    hand.flags = 0;
    bool seen = false;
    host::SetSteps({[&] {
        Window* w = Dialog();
        ASSERT_NE(w, nullptr);
        seen = true;
        EXPECT_EQ(w->LeftEdge, parent->LeftEdge + 100);
        EXPECT_EQ(w->TopEdge, parent->TopEdge + 50);
        EXPECT_EQ(w->Width, 390);
        EXPECT_EQ(w->Height, screen->WBorTop + screen->Font->ta_YSize + 121);
        EXPECT_EQ(host::ActiveWindow(), w);

        // Every option's text right of its box, vertically centred on it.
        const std::vector<host::TextInfo> texts = host::Texts(w);
        for (const OptionPlace& p : Places) {
            SCOPED_TRACE(p.text);
            int found = 0;
            for (const host::TextInfo& t : texts) {
                if (t.text != p.text) continue;
                ++found;  // once per drawing of the option

                EXPECT_EQ(t.x, p.x + Box + 2);
                EXPECT_EQ(t.y, p.y + (Box - TEXTFONT->tf_YSize) / 2 + TEXTFONT->tf_Baseline);
                EXPECT_EQ(t.pen, pens[1]);
            }
            EXPECT_GE(found, 1);
        }
        // Both groups are grooves: a dark outer and a light inner line on the top-left.
        for (int groupY : {35, 70}) {
            EXPECT_EQ(host::WindowPixel(w, 25, groupY + 5), 1);
            EXPECT_EQ(host::WindowPixel(w, 26, groupY + 5), 2);
            EXPECT_EQ(host::WindowPixel(w, 25 + 339, groupY + 5), 2);
            EXPECT_EQ(host::WindowPixel(w, 25 + 338, groupY + 5), 1);
        }
        struct ButtonPlace {
            int id, left, top;
            const char* label;
        };
        for (const ButtonPlace& b : {ButtonPlace{103, 15, 85, "OK"}, ButtonPlace{104, 285, 85, "Cancel"}}) {
            const host::GadgetInfo* g = host::FindGadget(w, b.id);
            ASSERT_NE(g, nullptr);
            EXPECT_EQ(g->label, b.label);
            EXPECT_EQ(g->left, b.left + w->BorderLeft);
            EXPECT_EQ(g->top, b.top + w->BorderTop);
            EXPECT_EQ(g->width, 80);
            EXPECT_EQ(g->height, 20);
        }
        if (const char* dir = std::getenv("POKER_SCREENSHOTS"))
            host::SavePNG(std::string(dir) + "/handprefs.png");
        Key(27);
    }});
    Run();
    EXPECT_TRUE(seen);
}

TEST_F(HandDialogTest, ClickingBesideABoxSelectsNothing)
{
    struct Miss {
        const char* name;
        int x, y;  // in the window
    };
    const std::vector<Miss> misses = {
        {"on the text", Places[BestPossible].x + Box + 2 + 40, Places[BestPossible].y + Box / 2},
        {"just right of the box", Places[BestPossible].x + Box, Places[BestPossible].y + Box / 2},
        {"just below the box", Places[BestPossible].x + Box / 2, Places[BestPossible].y + Box},
        {"on the group's frame", 26, 40},
        {"between the groups", 40, 68},
    };
    for (const Miss& m : misses) {
        SCOPED_TRACE(m.name);
        Start();
        hand.flags = 0;
        int shown = -2;
        host::SetSteps({
            [&] {
                Window* w = Dialog();
                ASSERT_NE(w, nullptr);
                host::Click(w->LeftEdge + m.x, w->TopEdge + m.y);
            },
            [&] {
                Window* w = Dialog();
                ASSERT_NE(w, nullptr);
                shown = ShownSelection(w);
                host::ClickGadget(w, 103);
            },
        });
        Run();
        EXPECT_EQ(shown, SelectionOf(0));
        EXPECT_EQ(hand.flags, 0u);
    }
}

TEST_F(HandDialogTest, LettersDoNothing)
{
    hand.flags = 0;
    bool stillOpen = false;
    host::SetSteps({
        [&] {
            Window* w = Dialog();
            ASSERT_NE(w, nullptr);
            ClickBox(w, BestPossible);
            for (int c : std::initializer_list<int>{'o', 'O', 'k', 'K', 'c', 'C', 'y', ' ', 9, 8}) Key(c);
        },
        [&] {
            stillOpen = Dialog() != nullptr;
            Key(27);
        },
    });
    Run();
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(host::StepsLeft(), 0u);
    EXPECT_EQ(hand.flags, 0u);
}

TEST_F(HandDialogTest, AWindowThatCannotOpenChangesNothing)
{
    hand.flags = Best;
    host::FailOnce("OpenWindowTagList");
    host::SetSteps({});
    Run();
    EXPECT_EQ(hand.flags, Best);
    EXPECT_EQ(Dialog(), nullptr);
}

TEST_F(HandDialogTest, WithoutButtonsTheKeysAndGroupsStillWork)
{
    hand.flags = 0;
    host::FailFrom("CreateGadget", 1);
    bool buttons = true;
    host::SetSteps({[&] {
        Window* w = Dialog();
        ASSERT_NE(w, nullptr);
        buttons = host::FindGadget(w, 103) || host::FindGadget(w, 104);
        ClickBox(w, BetterThan);
        Key(13);
    }});
    Run();
    EXPECT_FALSE(buttons);
    EXPECT_EQ(hand.flags, Better);
}

// The receiver's table, message by message, with the groups filled but no window.
struct ReceiverCase {
    const char* name;
    ULONG cls;
    int code;
    int gadgetId;  // 0: no gadget address
    int expected;
    bool writes;   // whether the selections reach the hand
};

TEST(PrefsHandGadgets, AnswersEachMessageByItsTable)
{
    const std::vector<ReceiverCase> cases = {
        {"OK", IDCMP_GADGETUP, 0, 103, -1, true},
        {"Cancel", IDCMP_GADGETUP, 0, 104, -1, false},
        {"unknown gadget", IDCMP_GADGETUP, 0, 999, -1, false},
        {"gadget without address", IDCMP_GADGETUP, 0, 0, -1, false},
        {"Return", IDCMP_VANILLAKEY, 13, 0, -1, true},
        {"line feed", IDCMP_VANILLAKEY, 10, 0, -1, true},
        {"Escape", IDCMP_VANILLAKEY, 27, 0, -1, false},
        {"letter o", IDCMP_VANILLAKEY, 'o', 0, 0, false},
        {"letter K", IDCMP_VANILLAKEY, 'K', 0, 0, false},
        {"close gadget", IDCMP_CLOSEWINDOW, 0, 0, 0, false},
        {"mouse move", IDCMP_MOUSEMOVE, 0, 0, 0, false},
        {"button release outside the groups", IDCMP_MOUSEBUTTONS, SELECTUP, 0, 0, false},
        {"menu", IDCMP_MENUPICK, 0, 0, 0, false},
    };
    for (const ReceiverCase& c : cases) {
        SCOPED_TRACE(c.name);
        cHandPile hand(cPoint(0, 0));
        hand.flags = 0x40;
        cPrefsHandGadgets gadgets;
        gadgets.hand = &hand;
        gadgets.jokersGroup = cRectangle(25, 35, 340, 32);
        gadgets.fiveKindGroup = cRectangle(25, 70, 340, 32);
        // The value-1 options end up selected: they are added last here.
        gadgets.jokersGroup.Add(cRadioGadget(28, 38, Box, Box, "lousy", 0));
        gadgets.jokersGroup.Add(cRadioGadget(28, 51, Box, Box, "best", 1));
        gadgets.fiveKindGroup.Add(cRadioGadget(28, 73, Box, Box, "lower", 0));
        gadgets.fiveKindGroup.Add(cRadioGadget(28, 86, Box, Box, "better", 1));

        Gadget gadget{};
        gadget.GadgetID = static_cast<UWORD>(c.gadgetId);
        IntuiMessage msg{};
        msg.Class = c.cls;
        msg.Code = static_cast<UWORD>(c.code);
        msg.IAddress = c.gadgetId ? &gadget : nullptr;
        msg.MouseX = 5;
        msg.MouseY = 5;
        EXPECT_EQ(gadgets.IDCMP(&msg), c.expected);
        EXPECT_EQ(hand.flags, c.writes ? (0x40 | Best | Better) : 0x40u);
    }
}

TEST(PrefsHandGadgets, ClicksInAGroupAreTakenByItBeforeTheTable)
{
    cHandPile hand(cPoint(0, 0));
    cPrefsHandGadgets gadgets;
    gadgets.hand = &hand;
    gadgets.jokersGroup = cRectangle(25, 35, 340, 32);
    gadgets.fiveKindGroup = cRectangle(25, 70, 340, 32);
    cRadioGadget* lousy = gadgets.jokersGroup.Add(cRadioGadget(28, 38, Box, Box, "lousy", 0));
    cRadioGadget* best = gadgets.jokersGroup.Add(cRadioGadget(28, 51, Box, Box, "best", 1));
    cRadioGadget* lower = gadgets.fiveKindGroup.Add(cRadioGadget(28, 73, Box, Box, "lower", 0));
    cRadioGadget* better = gadgets.fiveKindGroup.Add(cRadioGadget(28, 86, Box, Box, "better", 1));
    ASSERT_TRUE(lousy && best && lower && better);

    struct Press {
        int x, y;
        int expected;
        cRadioGadget* jokers;
        cRadioGadget* fiveKind;
    };
    const std::vector<Press> presses = {
        {30, 40, 1, lousy, better},
        {30, 75, 1, lousy, lower},
        {30, 88, 1, lousy, better},
        {100, 40, 1, lousy, better},  // on a text: taken, nothing changes
        {400, 40, 0, lousy, better},  // outside both groups
        {30, 53, 1, best, better},
    };
    for (const Press& p : presses) {
        SCOPED_TRACE(testing::Message() << p.x << "," << p.y);
        IntuiMessage msg{};
        msg.Class = IDCMP_MOUSEBUTTONS;
        msg.Code = SELECTDOWN;
        msg.MouseX = static_cast<WORD>(p.x);
        msg.MouseY = static_cast<WORD>(p.y);
        EXPECT_EQ(gadgets.IDCMP(&msg), p.expected);
        EXPECT_EQ(gadgets.jokersGroup.selected, p.jokers);
        EXPECT_EQ(gadgets.fiveKindGroup.selected, p.fiveKind);
    }
    EXPECT_EQ(hand.flags, 0u);
    EXPECT_EQ(gadgets.GadgetOK(), -1);
    EXPECT_EQ(hand.flags, Best | Better);
}

TEST(PrefsHandGadgets, EmptyGroupsClearBothBits)
{
    cHandPile hand(cPoint(0, 0));
    hand.flags = Best | Better | 0x1;
    cPrefsHandGadgets gadgets;
    gadgets.hand = &hand;
    EXPECT_EQ(gadgets.GadgetOK(), -1);
    EXPECT_EQ(hand.flags, 0x1u);
}

TEST(PrefsHandGadgets, TheButtonTableEndsWithAnEmptyRecord)
{
    const cButton* b = cPrefsHandGadgets::PrefsHandButtons;
    EXPECT_EQ(b[0].id, 103);
    EXPECT_STREQ(b[0].label, "OK");
    EXPECT_EQ(b[1].id, 104);
    EXPECT_STREQ(b[1].label, "Cancel");
    EXPECT_EQ(b[2].id, 0);
}

}  // namespace
