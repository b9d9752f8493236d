// The game object on a main window of the virtual screen: bet, deal, exchanges, payout,
// and the commands that end a game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "app/main.h"
#include "game/game.h"
#include "host/host.h"
#include "support/gametable.h"
#include "support/screen.h"
#include "toolkit/pokergadgets.h"

namespace {

// A step that notes which hand name "Your Hand:" shows, then dismisses it with Return.
std::function<void()> AnswerHand(std::string* shown) {
    return [shown] {
        Window* r = host::FindWindow("Your Hand:");
        ASSERT_NE(r, nullptr) << "no \"Your Hand:\" requester";
        for (const auto& t : host::Texts(r))
            for (const char* name : HandNames)
                if (t.text == name) *shown = name;
        host::Key(13);
    };
}

int HandCount(const cGamePoker& g) {
    return static_cast<int>(std::count_if(g.hand.items, g.hand.items + HAND_SLOTS, [](auto* c) { return c; }));
}

// After a game every card of the deck's composition is back in the deck.
void ExpectBetweenGames(const cGamePoker& g) {
    EXPECT_EQ(std::tuple(g.phase, g.deck.count, g.junk.count, HandCount(g)), std::tuple(-1, 52 + g.jokers, 0, 0));
    EXPECT_EQ(std::count_if(std::begin(g.cards), std::end(g.cards), [](auto* c) { return c->visible != 0; }), 1)
        << "only the deck's bottom card shows";
}

// Whether the window shows the face of card `number` at (x, y).
bool ShowsFace(const GameTable& t, int x, int y, int number) {
    const int suit = number / 13, value = number % 13;
    return ShowsBlock(t.window, x, y, t.sheet, 71 * (suit >= 4 ? std::min(value, 2) : value), 96 * std::min(suit, 4));
}

struct GameTest : ::testing::Test {
    GameTable table;
    // A game whose first deal is done (and stacked, when cards are given).
    std::unique_ptr<cGamePoker> Dealt(unsigned flags, int jokers, int changes, int doubleUp,
                                      const std::vector<int>& deal = {}) {
        auto game = table.MakeGame(flags, jokers, changes, doubleUp);
        game->MenuNew();
        if (!deal.empty()) StackDeck(*game, deal);
        game->GadgetFinish();
        return game;
    }
    // Draw that ends the game: the hand's name shown.
    std::string End(cGamePoker& game) {
        std::string shown;
        host::SetSteps({AnswerHand(&shown)});
        game.GadgetFinish();
        EXPECT_EQ(host::StepsLeft(), 0u);
        return shown;
    }
};

TEST_F(GameTest, ADealtHandShowsItsFacesAndThePilesTheirBacks) {
    auto game = table.MakeGame(0, 3, 2, 0);
    cPokerGadgets panel(table.window, game.get());  // for the screenshots
    game->MenuNew();
    StackDeck(*game, {12, 52, 23, 34, 45});
    game->GadgetFinish();
    Window* w = table.window;  // piles are placed in the window's raster
    for (int slot = 0; slot < 5; ++slot)
        EXPECT_TRUE(ShowsFace(table, 100 + 81 * slot, 100, CardNumber(game->hand.items[slot]))) << slot;
    EXPECT_TRUE(ShowsBlock(w, 20, 50, table.sheet, 284, 384)) << "the deck";
    EXPECT_EQ(host::WindowPixel(w, 300, 70), gfxpens[0]) << "the felt: the sheet's first colour";
    std::pair<int, int> money;  // the label's text sits 8 in, centred in its 12 rows
    for (const auto& t : host::Texts(w))
        if (t.text == "35") money = {t.x, t.y};
    EXPECT_EQ(money, std::pair(w->BorderLeft + 208, w->BorderTop + 17 + w->RPort->TxBaseline));
    support::Screenshot("dealt-hand");

    game->hand.items[1]->Clicked();
    game->GadgetFinish();  // one exchange of two allowed: the discard shows on the junk pile
    EXPECT_TRUE(ShowsBlock(w, 500, 50, table.sheet, 284, 384)) << "the junk pile";
    EXPECT_TRUE(ShowsFace(table, 181, 100, CardNumber(game->hand.items[1])));

    std::string shown;
    std::pair<int, int> at;
    host::SetSteps({[&] {
        support::Screenshot("hand-requester");
        if (Window* r = host::FindWindow("Your Hand:")) at = {r->LeftEdge, r->TopEdge};
        AnswerHand(&shown)();
    }});
    game->GadgetFinish();
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(at, std::pair(w->LeftEdge + 350, w->TopEdge + 4));
    for (int slot = 0; slot < 5; ++slot)
        EXPECT_EQ(host::WindowPixel(w, 100 + 81 * slot + 35, 148), gfxpens[0]) << "slot " << slot << " is cleared";
    RemoveGList(w, panel.gadgetList, -1);
}

// Money equal to the bet starts a game and leaves nothing; less gives the note and keeps it.
TEST_F(GameTest, DrawBetweenGamesPaysTheBetAndDeals) {
    struct Case { int jokers, changes, money; };
    for (const Case c : {Case{0, 1, 1}, Case{3, 1, 4}, Case{8, 3, 11}, Case{3, 1, 3}}) {
        const bool enough = c.money >= c.jokers + c.changes;
        auto game = table.MakeGame(0, c.jokers, c.changes, 0);
        game->SetMoney(c.money);
        bool noted = false;
        if (!enough)
            host::SetSteps(
                {[&] { noted = host::ShowsText(host::FindWindow("Poker Note"), "Not enough money!"); host::Key(13); }});
        game->GadgetFinish();
        EXPECT_EQ(noted, !enough);
        EXPECT_EQ(host::StepsLeft(), 0u);
        EXPECT_EQ(game->Money(), enough ? 0 : c.money) << c.jokers << "+" << c.changes;
        if (!enough) { ExpectBetweenGames(*game); continue; }
        EXPECT_EQ(std::pair(game->phase, game->deck.count), std::pair(0, 52 + c.jokers - 5));
        for (int i = 0; i < HAND_SLOTS; ++i) {
            const cIMGCard* card = game->hand.items[i];
            ASSERT_NE(card, nullptr);
            EXPECT_EQ(std::pair(card->turned, card->selectable != 0), std::pair(0, true));
        }
    }
}

TEST_F(GameTest, OneChangeDealsThenExchangesTheTurnedCardsThenEnds) {
    // Ace, ace, three, eight, ten: a pair; the third and fourth aces wait below.
    auto game = Dealt(0, 3, 1, 0, {0, 13, 28, 46, 9, 26, 39});
    EXPECT_EQ(game->Money(), 36);
    EXPECT_EQ((PileCards(*game, 2)), (std::vector<int>{0, 13, 28, 46, 9}));
    for (int slot : {2, 4}) game->hand.items[slot]->Clicked();
    std::string shown;
    std::vector<int> junkWhileShown;
    host::SetSteps({[&] { junkWhileShown = PileCards(*game, 1); AnswerHand(&shown)(); }});
    game->GadgetFinish();
    EXPECT_EQ(shown, "Four of Kind");
    EXPECT_EQ(junkWhileShown, (std::vector<int>{28, 9}));
    EXPECT_EQ(game->Money(), 36 + 80);
    ExpectBetweenGames(*game);
}

// With three changes, a draw without a turned card ends the game at once, and two exchanges
// and a third end it too.
TEST_F(GameTest, ThreeChangesAllowThreeExchangesAndNeverBringADiscardBack) {
    for (int exchanges : {0, 2}) {
        auto game = Dealt(0, exchanges ? 0 : 3, 3, 0);
        std::vector<int> discarded;
        for (int exchange = 1; exchange <= exchanges; ++exchange) {
            discarded.push_back(CardNumber(game->hand.items[0]));
            game->hand.items[0]->Clicked();
            game->GadgetFinish();  // no requester may open: the steps are empty
            EXPECT_EQ(std::tuple(game->phase, game->junk.count, HandCount(*game)), std::tuple(exchange, exchange, 5));
            for (int d : discarded) EXPECT_NE(CardNumber(game->hand.items[0]), d);
        }
        if (exchanges) game->hand.items[0]->Clicked();
        EXPECT_FALSE(End(*game).empty()) << exchanges;
        ExpectBetweenGames(*game);
    }
}

// Credits stop at the largest amount; the money shown is the money held.
TEST_F(GameTest, PaysThePrizeOfTheHandAndNamesIt) {
    // A prize of 0 never opens the double-up game.
    struct Case { const char* name; std::vector<int> deal; unsigned flags; int doubleUp, start, money; };
    const Case cases[] = {
        {"Lousy Hand", {0, 14, 28, 42, 8}, 0, 1, 40, 36},   {"Pair", {0, 13, 27, 45, 8}, 0, 1, 40, 36},
        {"Two Pairs", {0, 13, 1, 14, 5}, 0, 0, 40, 41},     {"Five of Kind", {4, 17, 30, 52, 53}, 0x100, 0, 40, 36 + 180},
        {"Five of Kind", {4, 17, 30, 52, 53}, 0, 0, 40, 36 + 140}, {"Royal Flush", {0, 9, 10, 11, 12}, 0, 0, 40, 36 + 320},
        {"Four of Kind", {0, 13, 26, 39, 5}, 0, 0, MaxMoney - 10, MaxMoney},
    };
    for (const Case& c : cases) {
        auto game = table.MakeGame(c.flags, 3, 1, c.doubleUp);
        game->MenuNew();
        game->SetMoney(c.start);
        StackDeck(*game, c.deal);
        game->GadgetFinish();
        EXPECT_EQ(End(*game), c.name);
        EXPECT_EQ(game->Money(), c.money) << c.name << " flags " << c.flags;
        EXPECT_TRUE(support::ShowsExactly(table.window, std::to_string(c.money))) << c.name;
        ExpectBetweenGames(*game);
    }
}

TEST_F(GameTest, ShuffleOnlyActsBetweenGames) {
    auto game = table.MakeGame(0, 3, 1, 0);
    game->MenuNew();
    std::srand(7);
    const auto before = PileCards(*game, 0);
    game->GadgetShuffle();
    EXPECT_NE(PileCards(*game, 0), before);

    game->GadgetFinish();
    const auto deck = PileCards(*game, 0), hand = PileCards(*game, 2);
    game->GadgetShuffle();
    EXPECT_EQ(std::tuple(PileCards(*game, 0), PileCards(*game, 2), game->phase), std::tuple(deck, hand, 0));
}

// A preferences dialog ends a running game, returning the cards and keeping the bet; fewer
// jokers confirmed in the bet dialog leave them out of the deck.
TEST_F(GameTest, PrefsDuringAGameReturnTheCardsAndKeepTheBet) {
    const auto escape = [] { host::Key(27); };  // the settings stay
    const auto noJokers = [] {
        Window* d = host::FindWindow("Bet Preferences");
        ASSERT_NE(d, nullptr);
        host::ClickGadget(d, 202);
        host::Key(8); host::Key(127); host::Type("0");
        host::ClickGadget(d, "OK");
    };
    struct Case { void (cGamePoker::*open)(); std::function<void()> act; int jokers; };
    for (const Case& c : {Case{&cGamePoker::GadgetBet, escape, 3}, Case{&cGamePoker::MenuPrefsHand, escape, 3},
                          Case{&cGamePoker::MenuPrefsBet, noJokers, 0}}) {
        auto game = Dealt(0, 3, 1, 0);
        game->hand.items[1]->Clicked();
        host::SetSteps({c.act});
        (game.get()->*c.open)();
        EXPECT_EQ(host::StepsLeft(), 0u) << c.jokers;
        EXPECT_EQ(std::tuple(game->Money(), game->jokers, game->changes), std::tuple(36, c.jokers, 1));
        ExpectBetweenGames(*game);
        for (int n = 52 + c.jokers; n < 60; ++n) EXPECT_EQ(game->cards[n]->visible, 0) << n;
    }
}

TEST_F(GameTest, NewEndsARunningGameAndShufflesTheRebuiltDeck) {
    auto game = table.MakeGame(0, 5, 1, 0);
    std::vector<int> inOrder(57);
    std::iota(inOrder.begin(), inOrder.end(), 0);
    EXPECT_EQ(PileCards(*game, 0), inOrder) << "a new game object's deck is in order";
    EXPECT_TRUE(support::ShowsExactly(table.window, "0"));
    game->MenuNew();
    game->GadgetFinish();
    game->hand.items[0]->Clicked();
    game->fileReq.file = "old";
    std::srand(11);
    game->MenuNew();
    EXPECT_EQ(game->Money(), 40);
    EXPECT_TRUE(game->fileReq.file == "");
    ExpectBetweenGames(*game);
    const auto deck = PileCards(*game, 0);
    EXPECT_NE(deck, inOrder);
    EXPECT_TRUE(std::is_permutation(deck.begin(), deck.end(), inOrder.begin(), inOrder.end()));
}

}  // namespace
