// The bet preferences dialog, typed into and clicked through the virtual user.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "dialogs/betprefs.h"
#include "game/game.h"
#include "host/host.h"
#include "support/gametable.h"

namespace {

// Screenshots for the documentation, when asked for.
void Shot(const char* name) {
    if (const char* dir = std::getenv("POKER_DOCS_DIR")) host::SavePNG(std::string(dir) + "/" + name);
}

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

// Empties a field by clicking it, types text and ends editing with Return.
void Enter(int id, const std::string& text) {
    host::ClickGadget(Dialog(), id);
    host::Key(8);
    host::Key(127);
    host::Type(text);
    host::Key(13);
}

class BetPrefsTest : public ::testing::Test {
protected:
    GameTable table;
};

TEST_F(BetPrefsTest, OpensShowingTheGamesNumbersAndTheirSum) {
    auto game = table.MakeGame(0, 5, 2, 0);
    std::string changes, jokers, bet;
    bool placed = false;
    host::SetSteps({[&] {
        changes = Field(201);
        jokers = Field(202);
        bet = BetShown();
        for (const auto& w : host::Windows())
            if (w.title == kTitle)
                placed = w.left == table.window->LeftEdge + 100 && w.top == table.window->TopEdge + 50 && w.width == 390 &&
                         w.height == table.screen->WBorTop + table.screen->Font->ta_YSize + 131;
        EXPECT_TRUE(host::ShowsText(Dialog(), "Bet:"));
        Shot("bet-dialog.png");
        host::Key(27);
    }});
    TPrefsBetDialog(table.window, game.get()).Execute();
    EXPECT_EQ(changes, "2");
    EXPECT_EQ(jokers, "5");
    EXPECT_EQ(bet, "7");
    EXPECT_TRUE(placed);
}

TEST_F(BetPrefsTest, FieldChecksBringWhatWasTypedIntoRange) {
    struct Case {
        int id;
        const char* typed;
        const char* shown;
        const char* bet;  // with the other field at its start value (1 change, 3 jokers)
    };
    const Case cases[] = {
        {201, "7", "3", "6"}, {201, "2", "2", "5"}, {201, "0", "1", "4"}, {201, "x", "3", "6"},
        {201, "", "1", "4"},  {201, " ", "1", "4"}, {202, "x", "8", "9"}, {202, " ", "0", "1"},
        {202, "", "0", "1"},  {202, "9", "8", "9"}, {202, "5", "5", "6"}, {202, "0", "0", "1"},
        {202, "\xE9", "8", "9"},
    };
    for (const Case& c : cases) {
        auto game = table.MakeGame(0, 3, 1, 0);
        std::string shown, bet;
        host::SetSteps({[&] { Enter(c.id, c.typed); },
                        [&] {
                            shown = Field(c.id);
                            bet = BetShown();
                            host::Key(27);
                        }});
        TPrefsBetDialog(table.window, game.get()).Execute();
        EXPECT_EQ(shown, c.shown) << c.id << " '" << c.typed << "'";
        EXPECT_EQ(bet, c.bet) << c.id << " '" << c.typed << "'";
        EXPECT_EQ(game->changes, 1) << "Escape keeps the settings";
        EXPECT_EQ(game->jokers, 3);
    }
}

TEST_F(BetPrefsTest, OnlyConfirmingStoresTheNumbers) {
    struct Case {
        const char* what;
        std::function<void()> close;
        bool stored;
    };
    const Case cases[] = {
        {"OK", [] { host::ClickGadget(Dialog(), "OK"); }, true},
        {"Return", [] { host::Key(13); }, true},
        {"line feed", [] { host::Key(10); }, true},
        {"Cancel", [] { host::ClickGadget(Dialog(), "Cancel"); }, false},
        {"Escape", [] { host::Key(27); }, false},
        {"close gadget", [] { host::ClickClose(Dialog()); }, false},
    };
    for (const Case& c : cases) {
        auto game = table.MakeGame(0, 3, 1, 0);
        host::SetSteps({[] { Enter(201, "3"); }, [] { Enter(202, "7"); }, c.close});
        TPrefsBetDialog(table.window, game.get()).Execute();
        EXPECT_EQ(host::StepsLeft(), 0u) << c.what;
        EXPECT_EQ(Dialog(), nullptr) << c.what;
        EXPECT_EQ(game->changes, c.stored ? 3 : 1) << c.what;
        EXPECT_EQ(game->jokers, c.stored ? 7 : 3) << c.what;
    }
}

TEST_F(BetPrefsTest, OkStoresAnUncheckedFieldInRange) {
    struct Case {
        int id;
        const char* typed;
        int changes, jokers;
    };
    const Case cases[] = {{202, "x", 1, 8}, {201, "x", 3, 3}, {201, "", 1, 3}, {202, "", 1, 0}};
    for (const Case& c : cases) {
        auto game = table.MakeGame(0, 3, 1, 0);
        host::SetSteps({[&] {
            // Typed but never ended with Return: OK reads the raw character.
            host::ClickGadget(Dialog(), c.id);
            host::Key(8);
            host::Key(127);
            host::Type(c.typed);
            host::ClickGadget(Dialog(), "OK");
        }});
        TPrefsBetDialog(table.window, game.get()).Execute();
        EXPECT_EQ(game->changes, c.changes) << c.id << " '" << c.typed << "'";
        EXPECT_EQ(game->jokers, c.jokers) << c.id << " '" << c.typed << "'";
    }
}

TEST_F(BetPrefsTest, KeysPutTheCursorIntoTheFields) {
    struct Case {
        int key;
        int field;
    };
    const Case cases[] = {{9, 201}, {'C', 201}, {'c', 201}, {'J', 202}, {'j', 202}};
    for (const Case& c : cases) {
        auto game = table.MakeGame(0, 3, 1, 0);
        std::string field, other;
        // What is typed after the key (once the dialog has acted on it) lands in its field;
        // without a field, Return would confirm the dialog and the later steps never run.
        host::SetSteps({[&] { host::Key(c.key); },
                        [&] {
                            host::Key(8);
                            host::Type("2");
                            host::Key(13);
                        },
                        [&] {
                            field = Field(c.field);
                            other = Field(c.field == 201 ? 202 : 201);
                            host::Key(27);
                        }});
        TPrefsBetDialog(table.window, game.get()).Execute();
        EXPECT_EQ(host::StepsLeft(), 0u) << c.key;
        EXPECT_EQ(field, "2") << c.key;
        EXPECT_EQ(other, c.field == 201 ? "3" : "1") << c.key;
        EXPECT_EQ(game->jokers, 3);
        EXPECT_EQ(game->changes, 1);
    }
}

TEST_F(BetPrefsTest, TheReceiverAnswersByTheTable) {
    auto game = table.MakeGame(0, 3, 1, 0);
    cPrefsBetGadgets gadgets;
    gadgets.Begin(table.window);
    gadgets.game = game.get();
    gadgets.changesGadget = gadgets.AddStringGadget(cPrefsBetGadgets::PrefsBetStringGads[0]);
    gadgets.jokersGadget = gadgets.AddStringGadget(cPrefsBetGadgets::PrefsBetStringGads[1]);
    struct Case {
        const char* what;
        ULONG cls;
        int code;
        int gadget;
        int result;
    };
    const Case cases[] = {
        {"unknown gadget", IDCMP_GADGETUP, 0, 300, 1},
        {"close gadget", IDCMP_CLOSEWINDOW, 0, 0, 0},
        {"mouse button", IDCMP_MOUSEBUTTONS, SELECTDOWN, 0, 0},
        {"refresh", IDCMP_REFRESHWINDOW, 0, 0, 1},
        {"other key", IDCMP_VANILLAKEY, 'q', 0, 0},
        {"Cancel", IDCMP_GADGETUP, 0, 104, -1},
    };
    for (const Case& c : cases) {
        Gadget g{};
        g.GadgetID = static_cast<UWORD>(c.gadget);
        IntuiMessage msg{};
        msg.Class = c.cls;
        msg.Code = static_cast<UWORD>(c.code);
        msg.IAddress = c.gadget ? &g : nullptr;
        EXPECT_EQ(gadgets.IDCMP(&msg), c.result) << c.what;
        EXPECT_EQ(game->changes, 1) << c.what;
        EXPECT_EQ(game->jokers, 3) << c.what;
    }
}

}  // namespace
