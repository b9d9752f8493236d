// The bet preferences dialog, typed into and clicked through the virtual user.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "dialogs/betprefs.h"
#include "game/game.h"
#include "host/host.h"
#include "support/gametable.h"
#include "support/screen.h"

namespace {

constexpr const char* kTitle = "Bet Preferences";

Window* Dialog() { return host::FindWindow(kTitle); }

std::string Field(int id) {
    const host::GadgetInfo* g = host::FindGadget(Dialog(), id);
    return g ? g->contents : "<no field>";
}

// The number the bet label shows: the text drawn at its place.
std::string BetShown() {
    Window* d = Dialog();
    std::string shown;
    for (const auto& t : host::Texts(d))
        if (t.x == d->BorderLeft + 240 + 8) shown = t.text;
    return shown;
}

// Empties a field by clicking it and types text, ending the editing with Return if asked.
void Enter(int id, const std::string& text, bool ret = true) {
    host::ClickGadget(Dialog(), id);
    host::Key(8);
    host::Key(127);
    host::Type(text);
    if (ret) host::Key(13);
}

class BetPrefsTest : public ::testing::Test {
protected:
    GameTable table;
    // Runs the dialog on a game of 1 change and 3 jokers with the given steps.
    std::unique_ptr<cGamePoker> Run(std::vector<std::function<void()>> steps) {
        auto game = table.MakeGame(0, 3, 1, 0);
        host::SetSteps(std::move(steps));
        TPrefsBetDialog(table.window, game.get()).Execute();
        EXPECT_EQ(host::StepsLeft(), 0u);
        EXPECT_EQ(Dialog(), nullptr);
        return game;
    }
};

TEST_F(BetPrefsTest, OpensShowingTheGamesNumbersAndTheirSum) {
    auto game = table.MakeGame(0, 5, 2, 0);
    std::string changes, jokers, bet;
    std::tuple<int, int, int, int> placed;
    host::SetSteps({[&] {
        std::tie(changes, jokers, bet) = std::tuple(Field(201), Field(202), BetShown());
        for (const auto& w : host::Windows())
            if (w.title == kTitle) placed = {w.left, w.top, w.width, w.height};
        EXPECT_TRUE(host::ShowsText(Dialog(), "Bet:"));
        support::Screenshot("bet-dialog");
        host::Key(27);
    }});
    TPrefsBetDialog(table.window, game.get()).Execute();
    EXPECT_EQ(std::tuple(changes, jokers, bet), std::tuple("2", "5", "7"));
    EXPECT_EQ(placed, std::tuple(table.window->LeftEdge + 100, table.window->TopEdge + 50, 390,
                                 table.screen->WBorTop + table.screen->Font->ta_YSize + 131));
}

// Ended with Return, the field shows the checked number and Escape keeps the settings; typed
// and confirmed with OK at once, the raw text is stored checked the same way.
TEST_F(BetPrefsTest, FieldChecksBringWhatWasTypedIntoRange) {
    // bet: with the other field at its start value.
    struct Case { int id; const char* typed; const char* shown; const char* bet; };
    const Case cases[] = {
        {201, "7", "3", "6"}, {201, "0", "1", "4"}, {201, "x", "3", "6"}, {201, "", "1", "4"},
        {201, " ", "1", "4"}, {202, "x", "8", "9"}, {202, " ", "0", "1"}, {202, "", "0", "1"},
        {202, "9", "8", "9"}, {202, "5", "5", "6"}, {202, "\xE9", "8", "9"},
    };
    for (const Case& c : cases) {
        for (bool ok : {false, true}) {
            std::string shown = c.shown, bet = c.bet;
            auto game = ok ? Run({[&] {
                                 Enter(c.id, c.typed, false);
                                 host::ClickGadget(Dialog(), "OK");
                             }})
                           : Run({[&] { Enter(c.id, c.typed); },
                                  [&] {
                                      shown = Field(c.id);
                                      bet = BetShown();
                                      host::Key(27);
                                  }});
            const std::string what = std::to_string(c.id) + " '" + c.typed + (ok ? "' OK" : "'");
            EXPECT_EQ(shown, c.shown) << what;
            EXPECT_EQ(bet, c.bet) << what;
            const int changes = c.id == 201 && ok ? std::atoi(c.shown) : 1;
            const int jokers = c.id == 202 && ok ? std::atoi(c.shown) : 3;
            EXPECT_EQ(game->changes, changes) << what;
            EXPECT_EQ(game->jokers, jokers) << what;
        }
    }
}

// A character still unchecked in the other field counts in the bet as OK will store it, so the
// label never shows a bet the game cannot have.
TEST_F(BetPrefsTest, TheBetShownIsTheBetOKStores) {
    struct Case { int unchecked; const char* left; int checked; const char* typed; const char* bet; };
    const Case cases[] = {{202, "x", 201, "7", "11"}, {202, " ", 201, "2", "2"}, {202, "\xE9", 201, "0", "9"},
                          {201, "x", 202, "5", "8"},  {201, "", 202, "9", "9"}};
    for (const Case& c : cases) {
        std::string bet;
        auto game = Run({[&] { Enter(c.unchecked, c.left, false); }, [&] { Enter(c.checked, c.typed); },
                         [&] {
                             bet = BetShown();
                             host::ClickGadget(Dialog(), "OK");
                         }});
        EXPECT_EQ(bet, c.bet) << c.left << " " << c.typed;
        EXPECT_EQ(bet, std::to_string(game->changes + game->jokers)) << c.left << " " << c.typed;
    }
}

// Each field holds one digit while typing, not only once the field is checked.
TEST_F(BetPrefsTest, AFieldTakesOneCharacter) {
    for (int id : {201, 202}) {
        std::string typed;
        Run({[&] { Enter(id, "21", false); },
             [&] {
                 typed = Field(id);
                 host::Key(27);
             }});
        EXPECT_EQ(typed.size(), 1u) << id << ": " << typed;
    }
}

TEST_F(BetPrefsTest, OnlyConfirmingStoresTheNumbers) {
    struct Case { const char* what; std::function<void()> close; bool stored; };
    const Case cases[] = {
        {"OK", [] { host::ClickGadget(Dialog(), "OK"); }, true},
        {"Return", [] { host::Key(13); }, true},
        {"line feed", [] { host::Key(10); }, true},
        {"Cancel", [] { host::ClickGadget(Dialog(), "Cancel"); }, false},
        {"Escape", [] { host::Key(27); }, false},
        {"close gadget", [] { host::ClickClose(Dialog()); }, false},
    };
    for (const Case& c : cases) {
        auto game = Run({[] { Enter(201, "3"); }, [] { Enter(202, "7"); }, c.close});
        EXPECT_EQ(game->changes, c.stored ? 3 : 1) << c.what;
        EXPECT_EQ(game->jokers, c.stored ? 7 : 3) << c.what;
    }
}

}  // namespace
