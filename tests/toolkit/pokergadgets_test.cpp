// The main window's button panel: buttons and keys reach the game; the paths that run a
// modal requester reply first and drop the input made meanwhile.
#include <gtest/gtest.h>

#include <vector>

#include "game/game.h"
#include "host/host.h"
#include "support/gametable.h"
#include "toolkit/pokergadgets.h"

namespace {

// The panel on the main window, detached before it is freed.
struct Panel {
    Window* window;
    cPokerGadgets gadgets;
    Panel(Window* w, cGamePoker* game) : window(w), gadgets(w, game) {}
    ~Panel() { RemoveGList(window, gadgets.gadgetList, -1); }
};

// The next message of a class at the window's port; others are replied on the way.
IntuiMessage* Next(Window* w, ULONG cls) {
    for (;;) {
        WaitPort(w->UserPort);
        auto* msg = reinterpret_cast<IntuiMessage*>(GetMsg(w->UserPort));
        if (msg && msg->Class == cls) return msg;
        if (msg) ReplyMsg(&msg->ExecMessage);
    }
}

IntuiMessage* KeyMessage(Window* w, int code) {
    ActivateWindow(w);
    host::Key(code);
    return Next(w, IDCMP_VANILLAKEY);
}

IntuiMessage* ButtonMessage(Window* w, int id) {
    host::ClickGadget(w, id);
    return Next(w, IDCMP_GADGETUP);
}

class PokerGadgetsTest : public ::testing::Test {
protected:
    GameTable table;
};

TEST_F(PokerGadgetsTest, BuildsTheThreeButtons) {
    auto game = table.MakeGame();
    Panel panel(table.window, game.get());
    struct Case { int id; const char* label; int left, top; };
    for (const Case c : {Case{100, "Shuffle", 10, 150}, Case{101, "Draw", 500, 150}, Case{102, "Bet Prefs", 10, 125}}) {
        const host::GadgetInfo* g = host::FindGadget(table.window, c.id);
        ASSERT_NE(g, nullptr) << c.label;
        EXPECT_EQ(g->label, c.label);
        EXPECT_EQ(g->left, table.window->BorderLeft + c.left);
        EXPECT_EQ(g->top, table.window->BorderTop + c.top);
        EXPECT_EQ(g->width, 80);
        EXPECT_EQ(g->height, 20);
    }
}

TEST(PokerGadgets, DrawKeysAndButtonReplyPlayAndDropWhatCameMeanwhile) {
    struct Case {
        const char* what;
        int key;  // 0: the button
    };
    const Case cases[] = {{"Return", 13}, {"line feed", 10}, {"D", 'D'}, {"d", 'd'}, {"button", 0}};
    for (const Case& c : cases) {
        GameTable local;
        auto game = local.MakeGame(0, 3, 1, 0);
        Panel panel(local.window, game.get());
        game->MenuNew();
        auto input = [&] { return c.key ? KeyMessage(local.window, c.key) : ButtonMessage(local.window, 101); };

        EXPECT_EQ(panel.gadgets.IDCMP(input()), 2) << c.what;
        EXPECT_EQ(game->phase, 0) << c.what;
        EXPECT_EQ(game->Money(), 36) << c.what;

        // Ending the game shows "Your Hand:"; a click on the main window meanwhile is dropped.
        host::SetSteps({[&] {
            host::Click(local.window->LeftEdge + 300, local.window->TopEdge + 30);
            host::ClickGadget(host::FindWindow("Your Hand:"), "OK");
        }});
        EXPECT_EQ(panel.gadgets.IDCMP(input()), 2) << c.what;
        EXPECT_EQ(host::StepsLeft(), 0u) << c.what;
        EXPECT_EQ(game->phase, -1) << c.what;
        EXPECT_EQ(GetMsg(local.window->UserPort), nullptr) << c.what << ": the port was flushed";
        EXPECT_EQ(host::DoubleReplies(), 0) << c.what;
    }
}

TEST_F(PokerGadgetsTest, ShuffleByKeyPassesOnAndByButtonIsTaken) {
    auto game = table.MakeGame(0, 3, 1, 0);
    Panel panel(table.window, game.get());
    game->MenuNew();
    for (int key : {int('S'), int('s'), 0}) {
        const auto before = PileCards(*game, 0);
        IntuiMessage* msg = key ? KeyMessage(table.window, key) : ButtonMessage(table.window, 100);
        EXPECT_EQ(panel.gadgets.IDCMP(msg), key ? 0 : 1);
        ReplyMsg(&msg->ExecMessage);
        EXPECT_NE(PileCards(*game, 0), before) << "shuffled";
    }
    EXPECT_EQ(host::DoubleReplies(), 0);
}

TEST(PokerGadgets, BetKeysRunTheDialogWithoutReplying) {
    for (int key : {'B', 'b', 'C', 'c'}) {
        GameTable local;
        auto game = local.MakeGame(0, 3, 1, 0);
        Panel panel(local.window, game.get());
        game->MenuNew();
        bool opened = false;
        host::SetSteps({[&] {
            opened = host::FindWindow("Bet Preferences") != nullptr;
            host::Key(27);
        }});
        IntuiMessage* msg = KeyMessage(local.window, key);
        EXPECT_EQ(panel.gadgets.IDCMP(msg), 0);
        EXPECT_TRUE(opened) << static_cast<char>(key);
        ReplyMsg(&msg->ExecMessage);
        EXPECT_EQ(host::DoubleReplies(), 0);
    }
}

TEST_F(PokerGadgetsTest, BetButtonRepliesRunsTheDialogAndFlushes) {
    auto game = table.MakeGame(0, 3, 1, 0);
    Panel panel(table.window, game.get());
    game->MenuNew();
    host::SetSteps({[&] {
        host::Click(table.window->LeftEdge + 300, table.window->TopEdge + 30);
        host::ClickGadget(host::FindWindow("Bet Preferences"), "Cancel");
    }});
    EXPECT_EQ(panel.gadgets.IDCMP(ButtonMessage(table.window, 102)), 2);
    EXPECT_EQ(host::StepsLeft(), 0u);
    EXPECT_EQ(GetMsg(table.window->UserPort), nullptr);
    EXPECT_EQ(host::DoubleReplies(), 0);
}

TEST_F(PokerGadgetsTest, NumberKeysFlipTheHandsCards) {
    auto game = table.MakeGame(0, 3, 1, 0);
    Panel panel(table.window, game.get());
    game->MenuNew();
    for (int key = '1'; key <= '5'; ++key) {  // an empty hand: nothing to flip
        IntuiMessage* msg = KeyMessage(table.window, key);
        EXPECT_EQ(panel.gadgets.IDCMP(msg), 0);
        ReplyMsg(&msg->ExecMessage);
    }
    game->GadgetFinish();
    for (int slot = 0; slot < 5; ++slot) {
        for (int expected : {1, 0}) {
            IntuiMessage* msg = KeyMessage(table.window, '1' + slot);
            EXPECT_EQ(panel.gadgets.IDCMP(msg), 0);
            ReplyMsg(&msg->ExecMessage);
            for (int other = 0; other < 5; ++other)
                EXPECT_EQ(game->hand.items[other]->turned, other == slot ? expected : 0) << slot;
        }
    }
    // A slot emptied by hand stays a no-op.
    cIMGCard* kept = game->hand.items[2];
    game->hand.items[2] = nullptr;
    IntuiMessage* msg = KeyMessage(table.window, '3');
    EXPECT_EQ(panel.gadgets.IDCMP(msg), 0);
    ReplyMsg(&msg->ExecMessage);
    EXPECT_EQ(kept->turned, 0);
    game->hand.items[2] = kept;
}

TEST_F(PokerGadgetsTest, OtherKeysAndMessagesDoNothing) {
    auto game = table.MakeGame(0, 3, 1, 0);
    Panel panel(table.window, game.get());
    game->MenuNew();
    game->GadgetFinish();
    const auto deck = PileCards(*game, 0);
    const auto hand = PileCards(*game, 2);
    for (int key : {1, 9, 27, 32, int('0'), int('6'), int('A'), int('x'), 116, 127, 0xB4, 255}) {
        IntuiMessage* msg = KeyMessage(table.window, key);
        EXPECT_EQ(panel.gadgets.IDCMP(msg), 0) << key;
        ReplyMsg(&msg->ExecMessage);
    }
    EXPECT_EQ(PileCards(*game, 0), deck);
    EXPECT_EQ(PileCards(*game, 2), hand);
    EXPECT_EQ(game->phase, 0);
    for (int slot = 0; slot < 5; ++slot) EXPECT_EQ(game->hand.items[slot]->turned, 0);

    Gadget stranger{};
    stranger.GadgetID = 555;
    IntuiMessage gadgetUp{};
    gadgetUp.Class = IDCMP_GADGETUP;
    gadgetUp.IAddress = &stranger;
    EXPECT_EQ(panel.gadgets.IDCMP(&gadgetUp), 1);
    IntuiMessage move{};
    move.Class = IDCMP_MOUSEMOVE;
    EXPECT_EQ(panel.gadgets.IDCMP(&move), 0);
    IntuiMessage refresh{};
    refresh.Class = IDCMP_REFRESHWINDOW;
    EXPECT_EQ(panel.gadgets.IDCMP(&refresh), 1);
    EXPECT_EQ(game->phase, 0);
}

}  // namespace
