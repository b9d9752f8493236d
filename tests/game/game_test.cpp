// The game object on a main window of the virtual screen: bet, deal, exchanges, payout,
// and the commands that end a game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/main.h"
#include "game/game.h"
#include "host/host.h"
#include "support/gametable.h"
#include "toolkit/pokergadgets.h"

namespace {

std::vector<std::string> TextsOf(Window* w) {
    std::vector<std::string> out;
    if (w)
        for (const auto& t : host::Texts(w)) out.push_back(t.text);
    return out;
}

bool HasText(Window* w, const std::string& text) {
    for (const auto& t : TextsOf(w))
        if (t == text) return true;
    return false;
}

// A step that notes which hand name "Your Hand:" shows, then dismisses it with Return.
std::function<void()> AnswerHand(std::string* shown) {
    return [shown] {
        Window* r = host::FindWindow("Your Hand:");
        ASSERT_NE(r, nullptr) << "no \"Your Hand:\" requester";
        for (int code = 0; code < HAND_RANKS; ++code)
            if (HasText(r, HandNames[code])) *shown = HandNames[code];
        host::Key(13);
    };
}

int HandCount(const cGamePoker& g) {
    int n = 0;
    for (int i = 0; i < g.hand.capacity; ++i) n += g.hand.items[i] != nullptr;
    return n;
}

int VisibleCards(const cGamePoker& g) {
    int n = 0;
    for (const cIMGCard* c : g.cards) n += c->visible != 0;
    return n;
}

// After a game every card of the deck's composition is back in the deck.
void ExpectBetweenGames(const cGamePoker& g) {
    EXPECT_EQ(g.phase, -1);
    EXPECT_EQ(g.deck.count, 52 + g.jokers);
    EXPECT_EQ(g.junk.count, 0);
    EXPECT_EQ(HandCount(g), 0);
    EXPECT_EQ(VisibleCards(g), 1) << "only the deck's bottom card shows";
}

// Screenshots for the documentation, when asked for.
void Shot(const char* name) {
    if (const char* dir = std::getenv("POKER_DOCS_DIR")) host::SavePNG(std::string(dir) + "/" + name);
}

// Where a card's face lies in the sheet.
void FaceOf(int number, int& sx, int& sy) {
    const int suit = number / 13, value = number % 13;
    sx = 71 * (suit >= 4 ? std::min(value, 2) : value);
    sy = 96 * std::min(suit, 4);
}

class GameTest : public ::testing::Test {
protected:
    GameTable table;
};

TEST_F(GameTest, StartsWithNoMoneyAndAnUnshuffledFullDeck) {
    for (int jokers : {0, 3, 8}) {
        auto game = table.MakeGame(0, jokers, 1, 0);
        EXPECT_EQ(game->Money(), 0);
        EXPECT_EQ(game->phase, -1);
        ASSERT_EQ(game->deck.count, 52 + jokers);
        for (int i = 0; i < game->deck.count; ++i) EXPECT_EQ(game->deck.items[i], game->cards[i]);
        EXPECT_TRUE(host::ShowsText(table.window, "0"));
    }
}

TEST_F(GameTest, ADealtHandShowsItsFacesAndThePilesTheirBacks) {
    auto game = table.MakeGame(0, 3, 2, 0);
    cPokerGadgets panel(table.window, game.get());  // for the screenshots
    game->MenuNew();
    StackDeck(*game, {12, 52, 23, 34, 45});
    game->GadgetFinish();
    Window* w = table.window;
    const int left = 0, top = 0;  // piles are placed in the window's raster
    int sx, sy;
    for (int slot = 0; slot < 5; ++slot) {
        FaceOf(CardNumber(game->hand.items[slot]), sx, sy);
        EXPECT_TRUE(ShowsBlock(w, left + 100 + 81 * slot, top + 100, table.sheet, sx, sy)) << slot;
    }
    EXPECT_TRUE(ShowsBlock(w, left + 20, top + 50, table.sheet, 284, 384)) << "the deck";
    EXPECT_TRUE(host::ShowsText(w, "35"));
    Shot("dealt-hand.png");

    game->hand.items[1]->Clicked();
    game->GadgetFinish();  // one exchange of two allowed: the discard shows on the junk pile
    EXPECT_TRUE(ShowsBlock(w, left + 500, top + 50, table.sheet, 284, 384)) << "the junk pile";
    FaceOf(CardNumber(game->hand.items[1]), sx, sy);
    EXPECT_TRUE(ShowsBlock(w, left + 181, top + 100, table.sheet, sx, sy));

    std::string shown;
    host::SetSteps({[&] {
        Shot("hand-requester.png");
        AnswerHand(&shown)();
    }});
    game->GadgetFinish();
    EXPECT_FALSE(shown.empty());
    for (int slot = 0; slot < 5; ++slot) {
        const int x = left + 100 + 81 * slot + 35, y = top + 148;
        EXPECT_EQ(host::WindowPixel(w, x, y), gfxpens[0]) << "slot " << slot << " is cleared";
    }
    RemoveGList(w, panel.gadgetList, -1);
}

TEST_F(GameTest, MoneyEqualToTheBetStartsAGameAndLeavesNothing) {
    struct Case { int jokers, changes; };
    for (const Case c : {Case{0, 1}, Case{3, 1}, Case{8, 3}, Case{2, 2}}) {
        auto game = table.MakeGame(0, c.jokers, c.changes, 0);
        game->SetMoney(c.jokers + c.changes);
        game->GadgetFinish();
        EXPECT_EQ(game->Money(), 0) << c.jokers << "+" << c.changes;
        EXPECT_EQ(game->phase, 0);
        EXPECT_EQ(HandCount(*game), 5);
        EXPECT_EQ(game->deck.count, 52 + c.jokers - 5);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(game->hand.items[i]->turned, 0);
            EXPECT_NE(game->hand.items[i]->selectable, 0);
        }
    }
}

TEST_F(GameTest, MoneyBelowTheBetGivesTheNoteAndChangesNothing) {
    auto game = table.MakeGame(0, 3, 1, 0);
    game->SetMoney(3);
    bool noted = false;
    host::SetSteps({[&] {
        Window* note = host::FindWindow("Poker Note");
        ASSERT_NE(note, nullptr);
        noted = host::ShowsText(note, "Not enough money!");
        host::Key(13);
    }});
    game->GadgetFinish();
    EXPECT_TRUE(noted);
    EXPECT_EQ(host::StepsLeft(), 0u);
    EXPECT_EQ(game->Money(), 3);
    ExpectBetweenGames(*game);
}

TEST_F(GameTest, OneChangeDealsThenExchangesTheTurnedCardsThenEnds) {
    auto game = table.MakeGame(0, 3, 1, 0);
    game->MenuNew();
    // Ace, ace, three, eight, ten: a pair; the third and fourth aces wait below.
    StackDeck(*game, {0, 13, 28, 46, 9, 26, 39});
    game->GadgetFinish();
    EXPECT_EQ(game->Money(), 36);
    EXPECT_EQ((PileCards(*game, 2)), (std::vector<int>{0, 13, 28, 46, 9}));

    game->hand.items[2]->Clicked();
    game->hand.items[4]->Clicked();
    std::string shown;
    std::vector<int> junkWhileShown;
    host::SetSteps({[&] {
        junkWhileShown = PileCards(*game, 1);
        AnswerHand(&shown)();
    }});
    game->GadgetFinish();
    EXPECT_EQ(shown, "Four of Kind");
    EXPECT_EQ(junkWhileShown, (std::vector<int>{28, 9}));
    EXPECT_EQ(game->Money(), 36 + 80);
    ExpectBetweenGames(*game);
}

TEST_F(GameTest, ThreeChangesAllowThreeExchangesAndNeverBringADiscardBack) {
    auto game = table.MakeGame(0, 0, 3, 0);
    game->MenuNew();
    game->GadgetFinish();
    std::vector<int> discarded;
    for (int exchange = 1; exchange <= 2; ++exchange) {
        discarded.push_back(CardNumber(game->hand.items[0]));
        game->hand.items[0]->Clicked();
        game->GadgetFinish();  // no requester may open: the steps are empty
        EXPECT_EQ(game->phase, exchange);
        EXPECT_EQ(game->junk.count, exchange);
        EXPECT_EQ(HandCount(*game), 5);
        for (int d : discarded) EXPECT_NE(CardNumber(game->hand.items[0]), d);
    }
    game->hand.items[0]->Clicked();
    std::string shown;
    host::SetSteps({AnswerHand(&shown)});
    game->GadgetFinish();
    EXPECT_FALSE(shown.empty());
    ExpectBetweenGames(*game);
}

TEST_F(GameTest, DrawWithNoTurnedCardEndsTheGameAtOnce) {
    auto game = table.MakeGame(0, 3, 3, 0);
    game->MenuNew();
    game->GadgetFinish();
    std::string shown;
    host::SetSteps({AnswerHand(&shown)});
    game->GadgetFinish();
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(host::StepsLeft(), 0u);
    ExpectBetweenGames(*game);
}

TEST_F(GameTest, PaysThePrizeOfTheHandAndNamesIt) {
    struct Case {
        const char* name;
        std::vector<int> deal;
        unsigned flags;
        int doubleUp;  // a prize of 0 never opens the double-up game
        int prize;
    };
    const Case cases[] = {
        {"Lousy Hand", {0, 14, 28, 42, 8}, 0, 1, 0},
        {"Pair", {0, 13, 27, 45, 8}, 0, 1, 0},
        {"Two Pairs", {0, 13, 1, 14, 5}, 0, 0, 5},
        {"Five of Kind", {4, 17, 30, 52, 53}, 0x100, 0, 180},
        {"Five of Kind", {4, 17, 30, 52, 53}, 0, 0, 140},
        {"Royal Flush", {0, 9, 10, 11, 12}, 0, 0, 320},
    };
    for (const Case& c : cases) {
        auto game = table.MakeGame(c.flags, 3, 1, c.doubleUp);
        game->MenuNew();
        StackDeck(*game, c.deal);
        game->GadgetFinish();
        std::string shown;
        host::SetSteps({AnswerHand(&shown)});
        game->GadgetFinish();
        EXPECT_EQ(shown, c.name);
        EXPECT_EQ(host::StepsLeft(), 0u) << c.name;
        EXPECT_EQ(game->Money(), 40 - 4 + c.prize) << c.name << " flags " << c.flags;
        ExpectBetweenGames(*game);
    }
}

TEST_F(GameTest, ACreditStopsAtTheLargestAmount) {
    auto game = table.MakeGame(0, 3, 1, 0);
    game->MenuNew();
    game->SetMoney(MaxMoney - 10);
    StackDeck(*game, {0, 13, 26, 39, 5});  // four aces: 80
    game->GadgetFinish();
    std::string shown;
    host::SetSteps({AnswerHand(&shown)});
    game->GadgetFinish();
    EXPECT_EQ(shown, "Four of Kind");
    EXPECT_EQ(game->Money(), MaxMoney);
    EXPECT_TRUE(host::ShowsText(table.window, "2147483647"));
}

TEST_F(GameTest, ShuffleOnlyActsBetweenGames) {
    auto game = table.MakeGame(0, 3, 1, 0);
    game->MenuNew();
    std::srand(7);
    const auto before = PileCards(*game, 0);
    game->GadgetShuffle();
    EXPECT_NE(PileCards(*game, 0), before);

    game->GadgetFinish();
    const auto deck = PileCards(*game, 0);
    const auto hand = PileCards(*game, 2);
    game->GadgetShuffle();
    EXPECT_EQ(PileCards(*game, 0), deck);
    EXPECT_EQ(PileCards(*game, 2), hand);
    EXPECT_EQ(game->phase, 0);
}

TEST_F(GameTest, BetPrefsDuringAGameReturnsTheCardsAndKeepsTheBet) {
    auto game = table.MakeGame(0, 3, 1, 0);
    game->MenuNew();
    game->GadgetFinish();
    game->hand.items[1]->Clicked();
    host::SetSteps({[] { host::Key(27); }});  // Escape: the settings stay
    game->GadgetBet();
    EXPECT_EQ(host::StepsLeft(), 0u);
    EXPECT_EQ(game->Money(), 36);
    EXPECT_EQ(game->jokers, 3);
    EXPECT_EQ(game->changes, 1);
    ExpectBetweenGames(*game);
}

TEST_F(GameTest, FewerJokersInTheBetDialogLeaveA52CardDeck) {
    auto game = table.MakeGame(0, 3, 1, 0);
    game->MenuNew();
    host::SetSteps({
        [&] {
            Window* d = host::FindWindow("Bet Preferences");
            ASSERT_NE(d, nullptr);
            host::ClickGadget(d, 202);
            host::Key(8);
            host::Key(127);
            host::Type("0");
            host::Key(13);
        },
        [&] { host::ClickGadget(host::FindWindow("Bet Preferences"), "OK"); },
    });
    game->MenuPrefsBet();
    EXPECT_EQ(game->jokers, 0);
    ExpectBetweenGames(*game);
    for (int n = 52; n < 60; ++n) EXPECT_EQ(game->cards[n]->visible, 0);
}

TEST_F(GameTest, HandPrefsDuringAGameEndItAndKeepTheDeck) {
    auto game = table.MakeGame(0, 3, 1, 0);
    game->MenuNew();
    game->GadgetFinish();
    host::SetSteps({[] { host::Key(27); }});
    game->MenuPrefsHand();
    EXPECT_EQ(host::StepsLeft(), 0u);
    EXPECT_EQ(game->Money(), 36);
    ExpectBetweenGames(*game);
}

TEST_F(GameTest, NewDuringAGameEndsItFirst) {
    auto game = table.MakeGame(0, 3, 1, 0);
    game->MenuNew();
    game->GadgetFinish();
    game->hand.items[0]->Clicked();
    game->fileReq.file = "old";
    game->MenuNew();
    EXPECT_EQ(game->Money(), 40);
    EXPECT_TRUE(game->fileReq.file == "");
    ExpectBetweenGames(*game);
}

TEST_F(GameTest, NewShufflesAndRebuildsTheDeck) {
    auto game = table.MakeGame(0, 5, 1, 0);
    std::srand(11);
    game->MenuNew();
    EXPECT_EQ(game->deck.count, 57);
    std::vector<int> inOrder;
    for (int i = 0; i < 57; ++i) inOrder.push_back(i);
    EXPECT_NE(PileCards(*game, 0), inOrder);
    auto sorted = PileCards(*game, 0);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, inOrder);
}

TEST_F(GameTest, AboutShowsTheVersionFirst) {
    auto game = table.MakeGame();
    std::vector<std::string> lines;
    host::SetSteps({[&] {
        Window* about = host::FindWindow("About Tarnwell Poker");
        ASSERT_NE(about, nullptr);
        lines = TextsOf(about);
        host::Key(13);
    }});
    game->MenuAbout();
    const auto version = std::find(lines.begin(), lines.end(), "Tarnwell Poker V1.11 (OS4)");
    ASSERT_NE(version, lines.end());
    const auto credits = std::find_if(lines.begin(), lines.end(),
                                      [](const std::string& l) { return l.find("2026") != std::string::npos; });
    ASSERT_NE(credits, lines.end());
    EXPECT_LT(version, credits);
}

}  // namespace
