// The hand evaluation preferences dialog, driven through the virtual display's user.
#include "dialogs/handprfs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "game/handpile.h"
#include "host/host.h"
#include "support/screen.h"
#include "toolkit/globals.h"

namespace {

constexpr const char* Title = "Hand Evaluation Preferences";
constexpr uint32_t Best = HAND_FIVE_JOKERS_BEST;
constexpr uint32_t Better = HAND_FIVE_KIND_ABOVE_SF;

// The four options by where their boxes are in the window.
enum Option { Lousy, BestPossible, Lower, BetterThan, OptionCount };
struct OptionPlace { int x, y; const char* text; };
constexpr OptionPlace Places[OptionCount] = {
    {28, 38, "5 jokers are lousy hand"},
    {28, 51, "5 jokers are best possible"},
    {28, 73, "5 of kind is lower than straight flush"},
    {28, 86, "5 of kind is better than straight flush"},
};
constexpr int Box = 12;

Window* Dialog() { return host::FindWindow(Title); }

// Which options show selected (a recessed box: black top-left, white bottom-right), one bit
// per option; -1 when a box is neither recessed nor raised.
int ShownSelection(Window* w) {
    int bits = 0;
    for (int o = 0; o < OptionCount; ++o) {
        const int tl = host::WindowPixel(w, Places[o].x, Places[o].y);
        const int br = host::WindowPixel(w, Places[o].x + Box - 1, Places[o].y + Box - 1);
        if (tl == 1 && br == 2)
            bits |= 1 << o;
        else if (tl != 2 || br != 1)
            return -1;
    }
    return bits;
}

// The options that flags select.
int SelectionOf(uint32_t flags) {
    return (1 << ((flags & Best) ? BestPossible : Lousy)) | (1 << ((flags & Better) ? BetterThan : Lower));
}

// Places in the window: an option's box, its text.
struct At { int x, y; };
At In(Option o) { return {Places[o].x + Box / 2, Places[o].y + Box / 2}; }
At OnText(Option o) { return {Places[o].x + Box + 2 + 40, Places[o].y + Box / 2}; }
void Click(Window* w, At at) { host::Click(w->LeftEdge + at.x, w->TopEdge + at.y); }

class HandDialogTest : public support::DialogTable {
protected:
    HandDialogTest()
        : DialogTable({.left = 20, .top = 30, .width = 608, .height = 241, .idcmp = 0, .title = "Tarnwell Poker"}) {}

    // Runs the dialog on `flags` with a first and an optional second step on its window.
    void Run(uint32_t flags, const std::function<void(Window*)>& first, const std::function<void(Window*)>& second = {}) {
        hand.flags = flags;
        std::vector<std::function<void()>> steps;
        for (const auto* step : {&first, &second})
            if (*step)
                steps.push_back([step] {
                    Window* w = Dialog();
                    ASSERT_NE(w, nullptr);
                    (*step)(w);
                });
        host::SetSteps(steps);
        TPrefsHandDialog(window, &hand).Execute();
        EXPECT_EQ(host::StepsLeft(), 0u);
        EXPECT_EQ(Dialog(), nullptr);
        EXPECT_EQ(host::DoubleReplies(), 0);
    }

    cHandPile hand{cPoint(10, 20)};
};

TEST_F(HandDialogTest, ShowsTheFlagsAndWritesThemOnlyWhenConfirmed) {
    constexpr int OK = -1, Cancel = -2, Close = -3;  // other finishes are keys
    struct Session { const char* name; uint32_t flags; std::vector<At> clicks;
                     uint32_t chosen; int finish; uint32_t expected; };  // chosen: what the options then show
    const std::vector<Session> sessions = {
        {"OK untouched, both", Best | Better, {}, Best | Better, OK, Best | Better},
        {"OK keeps the other bits", 0x0FF | Best, {}, Best, OK, 0x0FF | Best},
        {"OK after changing the mind", 0, {In(BestPossible), In(Lousy), In(BetterThan)}, Better, OK, Better},
        {"clicking an option's text", 0, {OnText(BestPossible), OnText(BetterThan)}, 0, OK, 0},
        {"clicking just right of or below a box, or on a frame", 0, {{40, 57}, {34, 63}, {26, 40}}, 0, OK, 0},
        {"Return confirms", 0, {In(BestPossible)}, Best, 13, Best},
        {"Cancel", 0, {In(BestPossible), In(BetterThan)}, Best | Better, Cancel, 0},
        {"Escape", Best | Better, {In(Lousy), In(Lower)}, 0, 27, Best | Better},
        {"close gadget", Better, {In(BestPossible), In(Lower)}, Best, Close, Better},
    };
    for (const Session& s : sessions) {
        SCOPED_TRACE(s.name);
        Restart();
        int shownFirst = -2, shownAfter = -2;
        Run(
            s.flags,
            [&](Window* w) {
                shownFirst = ShownSelection(w);
                for (At at : s.clicks) Click(w, at);
            },
            [&](Window* w) {
                shownAfter = ShownSelection(w);
                EXPECT_EQ(hand.flags, s.flags);  // nothing reaches the hand before confirming
                if (s.finish == OK || s.finish == Cancel)
                    host::ClickGadget(w, s.finish == OK ? 103 : 104);
                else if (s.finish == Close)
                    host::ClickClose(w);
                else
                    host::Key(s.finish);
            });
        EXPECT_EQ(shownFirst, SelectionOf(s.flags));
        EXPECT_EQ(shownAfter, SelectionOf(s.chosen));
        EXPECT_EQ(hand.flags, s.expected);
    }
}

TEST_F(HandDialogTest, OpensBesideTheParentWithItsGroupsTextsAndButtons) {
    Run(0, [&](Window* w) {
        EXPECT_EQ(std::vector<int>({w->LeftEdge, w->TopEdge, w->Width, w->Height}),
                  std::vector<int>({window->LeftEdge + 100, window->TopEdge + 50, 390,
                                    screen->WBorTop + screen->Font->ta_YSize + 121}));
        EXPECT_EQ(host::ActiveWindow(), w);
        // Every option's text right of its box (the group's drawing is tested with the group).
        const std::vector<host::TextInfo> texts = host::Texts(w);
        for (const OptionPlace& p : Places)
            EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                                    [&](const host::TextInfo& t) { return t.text == p.text && t.x == p.x + Box + 2; }))
                << p.text;
        // Both groups are grooves: dark outer and light inner lines on the left, the other way on the right.
        for (int y : {40, 75})
            EXPECT_EQ(std::vector<int>({host::WindowPixel(w, 25, y), host::WindowPixel(w, 26, y),
                                        host::WindowPixel(w, 363, y), host::WindowPixel(w, 364, y)}),
                      std::vector<int>({1, 2, 1, 2}));
        for (int id : {103, 104}) {
            const host::GadgetInfo* g = host::FindGadget(w, id);
            ASSERT_NE(g, nullptr);
            EXPECT_EQ(g->label, id == 103 ? "OK" : "Cancel");
            EXPECT_EQ(std::vector<int>({g->left, g->top, g->width, g->height}),
                      std::vector<int>({(id == 103 ? 15 : 285) + w->BorderLeft, 85 + w->BorderTop, 80, 20}));
        }
        support::Screenshot("handprefs");
        host::Key(27);
    });
}

}  // namespace
