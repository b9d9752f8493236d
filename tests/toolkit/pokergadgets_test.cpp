// The main window's button panel: buttons and keys reach the game; the paths that run a
// modal requester reply first and drop the input made meanwhile.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "game/game.h"
#include "host/host.h"
#include "support/gametable.h"
#include "support/screen.h"
#include "toolkit/pokergadgets.h"

namespace {

// The next message of a class at the window's port; others are replied on the way.
IntuiMessage* Next(Window* w, ULONG cls) {
    for (;;) {
        WaitPort(w->UserPort);
        auto* msg = reinterpret_cast<IntuiMessage*>(GetMsg(w->UserPort));
        if (msg && msg->Class == cls) return msg;
        if (msg) ReplyMsg(&msg->ExecMessage);
    }
}

class PokerGadgetsTest : public ::testing::Test {
protected:
    GameTable table;
    std::unique_ptr<cGamePoker> game = table.MakeGame(0, 3, 1, 0);
    cPokerGadgets panel{table.window, game.get()};
    void TearDown() override { RemoveGList(table.window, panel.gadgetList, -1); }

    // Sends a key, or for a negative value a click on button -value, to the panel; replies
    // unless the panel did (answer 2).
    int Send(int input) {
        ActivateWindow(table.window);
        input >= 0 ? host::Key(input) : host::ClickGadget(table.window, -input);
        IntuiMessage* msg = Next(table.window, input >= 0 ? IDCMP_VANILLAKEY : IDCMP_GADGETUP);
        const int answer = panel.IDCMP(msg);
        if (answer != 2) ReplyMsg(&msg->ExecMessage);
        return answer;
    }
    // A click on the main window while a requester is open, for the flush to drop.
    void ClickMeanwhile() { host::Click(table.window->LeftEdge + 300, table.window->TopEdge + 30); }
};

TEST_F(PokerGadgetsTest, BuildsTheThreeButtons) {
    struct Case { int id; const char* label; int left, top; };
    for (const Case c : {Case{100, "Shuffle", 10, 150}, Case{101, "Draw", 500, 150}, Case{102, "Bet Prefs", 10, 125}}) {
        const host::GadgetInfo* g = host::FindGadget(table.window, c.id);
        ASSERT_NE(g, nullptr) << c.label;
        EXPECT_EQ(g->label, c.label);
        EXPECT_EQ(std::tuple(g->left, g->top, g->width, g->height),
                  std::tuple(table.window->BorderLeft + c.left, table.window->BorderTop + c.top, 80, 20)) << c.label;
    }
}

TEST_F(PokerGadgetsTest, DrawKeysAndButtonReplyPlayAndDropWhatCameMeanwhile) {
    struct Case { const char* what; int input; };
    const Case cases[] = {{"Return", 13}, {"line feed", 10}, {"D", 'D'}, {"d", 'd'}, {"button", -101}};
    for (const Case& c : cases) {
        game->MenuNew();
        EXPECT_EQ(Send(c.input), 2) << c.what;
        EXPECT_EQ(std::pair(game->phase, game->Money()), std::pair(0, 36)) << c.what;
        // Ending the game shows "Your Hand:"; a click on the main window meanwhile is dropped.
        host::SetSteps({[&] {
            ClickMeanwhile();
            host::ClickGadget(host::FindWindow("Your Hand:"), "OK");
        }});
        EXPECT_EQ(Send(c.input), 2) << c.what;
        EXPECT_EQ(host::StepsLeft(), 0u) << c.what;
        EXPECT_EQ(game->phase, -1) << c.what;
        EXPECT_EQ(GetMsg(table.window->UserPort), nullptr) << c.what << ": the port was flushed";
    }
    EXPECT_EQ(host::DoubleReplies(), 0);
}

TEST_F(PokerGadgetsTest, ShuffleByKeyPassesOnAndByButtonIsTaken) {
    game->MenuNew();
    for (int input : {int('S'), int('s'), -100}) {
        const auto before = PileCards(*game, 0);
        EXPECT_EQ(Send(input), input < 0 ? 1 : 0) << input;
        EXPECT_NE(PileCards(*game, 0), before) << "shuffled";
    }
    EXPECT_EQ(host::DoubleReplies(), 0);
}

// The keys leave the reply to the caller; the button replies, and flushes after the dialog.
TEST_F(PokerGadgetsTest, BetKeysAndButtonRunTheDialog) {
    game->MenuNew();
    for (int input : {int('B'), int('b'), int('C'), int('c'), -102}) {
        bool opened = false;
        host::SetSteps({[&] {
            opened = host::FindWindow("Bet Preferences") != nullptr;
            ClickMeanwhile();
            host::ClickGadget(host::FindWindow("Bet Preferences"), "Cancel");
        }});
        EXPECT_EQ(Send(input), input < 0 ? 2 : 0) << input;
        EXPECT_TRUE(opened) << input;
        EXPECT_EQ(host::StepsLeft(), 0u);
        EXPECT_EQ(input < 0 ? GetMsg(table.window->UserPort) : nullptr, nullptr) << "flushed";
        while (auto* m = reinterpret_cast<IntuiMessage*>(GetMsg(table.window->UserPort))) ReplyMsg(&m->ExecMessage);
    }
    EXPECT_EQ(host::DoubleReplies(), 0);
}

TEST_F(PokerGadgetsTest, NumberKeysFlipTheHandsCards) {
    game->MenuNew();
    for (int key = '1'; key <= '5'; ++key) EXPECT_EQ(Send(key), 0);  // an empty hand: nothing to flip
    game->GadgetFinish();
    for (int slot = 0; slot < 5; ++slot)
        for (int expected : {1, 0}) {
            EXPECT_EQ(Send('1' + slot), 0);
            for (int other = 0; other < 5; ++other)
                EXPECT_EQ(game->hand.items[other]->turned, other == slot ? expected : 0) << slot;
        }
    // A slot emptied by hand stays a no-op.
    cIMGCard* kept = game->hand.items[2];
    game->hand.items[2] = nullptr;
    EXPECT_EQ(Send('3'), 0);
    EXPECT_EQ(kept->turned, 0);
    game->hand.items[2] = kept;
}

}  // namespace
