// Cards, card images and the piles: bookkeeping, and what the window shows of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "app/main.h"
#include "game/card.h"
#include "game/cardpile.h"
#include "game/dealpile.h"
#include "game/handpile.h"
#include "host/host.h"
#include "support/gametable.h"
#include "support/screen.h"

namespace {

// Cards of the numbers 0..count-1 on a window (or none).
struct Cards {
    std::vector<std::unique_ptr<cIMGCard>> owned;
    std::vector<cIMGCard*> cards;
    explicit Cards(int count, Window* window = nullptr, BitMap* sheet = nullptr) {
        for (int n = 0; n < count; ++n)
            cards.push_back(owned.emplace_back(std::make_unique<cIMGCard>(window, sheet, cPoint(0, 0), cCard(n))).get());
    }
    cIMGCard* operator[](int n) const { return cards[static_cast<size_t>(n)]; }
    std::vector<cIMGCard*> Of(const std::vector<int>& numbers) const {
        std::vector<cIMGCard*> out;
        for (int n : numbers) out.push_back((*this)[n]);
        return out;
    }
};

std::vector<cIMGCard*> Contents(const cCardPile& pile) { return {pile.items, pile.items + pile.count}; }

std::pair<int, int> XY(const cItemR2& p) { return {p.x, p.y}; }

// How a card lies: turned, selectable, visible, position x and y, picture column x.
using Look = std::array<int, 6>;
Look LookOf(const cIMGCard* c) { return {c->turned, c->selectable, c->visible, c->position.x, c->position.y, c->source.x}; }

using support::Mouse;

TEST(Card, NumberGivesSuitValueAndPicture) {
    struct Row { int n, suit, value, x, y; };  // x, y: the picture block when face up
    const Row rows[] = {{0, 0, 0, 0, 0},       {12, 0, 12, 852, 0},   {13, 1, 0, 0, 96},    {30, 2, 4, 284, 192},
                        {51, 3, 12, 852, 288}, {52, 4, 0, 0, 384},    {53, 4, 1, 71, 384},  {54, 4, 2, 142, 384},
                        {59, 4, 7, 142, 384},  {64, 4, 12, 142, 384}, {65, 4, 0, 0, 384},   {-1, 4, 12, 142, 384}};
    for (const Row& r : rows) {
        cIMGCard card(nullptr, nullptr, cPoint(0, 0), cCard(r.n));
        EXPECT_EQ(std::tuple(card.suit, card.value, card.Suit_as_Int()), std::tuple(r.suit, r.value, r.suit)) << r.n;
        card.UpdatePicture();
        EXPECT_EQ(XY(card.source), std::pair(r.x, r.y)) << r.n;
        card.turned = 1;
        card.UpdatePicture();
        EXPECT_EQ(XY(card.source), (std::pair<int, int>(CARD_BACK_X, CARD_BACK_Y))) << r.n;
    }
    cCard odd;
    for (int suit : {5, -1, 1000}) EXPECT_EQ((odd.suit = suit, odd.Suit_as_Int()), JOKER_SUIT) << suit;
}

TEST(CardImage, CardArrayGivesTheClickToTheFirstVisibleCardUnderThePointer) {
    Cards set(CARD_COUNT);
    // All cards lie at (0, 0) but card 3; only visible ones can claim a message.
    for (int n : {3, 40, 59}) set[n]->visible = set[n]->selectable = 1;
    set[3]->position = cPoint(200, 0);

    IntuiMessage down = Mouse(5, 5, SELECTDOWN);
    EXPECT_EQ(IDCMP(&down, set.cards.data()), 1);
    EXPECT_EQ((std::vector<int>{set[40]->turned, set[59]->turned, set[3]->turned}), (std::vector<int>{1, 0, 0}));
    IntuiMessage onThree = Mouse(200 + CARD_WIDTH - 1, CARD_HEIGHT - 1, SELECTDOWN);
    EXPECT_EQ(IDCMP(&onThree, set.cards.data()), 1);
    EXPECT_EQ(set[3]->turned, 1);
    for (IntuiMessage other : {Mouse(400, 5, SELECTDOWN), Mouse(5, 5, 'a', IDCMP_VANILLAKEY)})
        EXPECT_EQ(IDCMP(&other, set.cards.data()), 0);
    // The last card of the 60 is asked too; a frozen card takes the press but stays, and a
    // release is taken without flipping.
    set[40]->visible = 0;
    for (auto [selectable, code] : {std::pair{1, SELECTDOWN}, {0, SELECTDOWN}, {1, SELECTUP}}) {
        set[59]->selectable = selectable;
        IntuiMessage m = Mouse(5, 5, code);
        EXPECT_EQ(IDCMP(&m, set.cards.data()), 1) << selectable << " " << code;
        EXPECT_EQ(set[59]->turned, 1) << selectable << " " << code;
    }
}

TEST(CardPile, InsertPutsTheCardOnTopFaceDownUnselectableEvenWhenFull) {
    for (int capacity : {60, 2, 1, 0, -3}) {
        Cards set(2);
        set[1]->selectable = 1;
        cDealPile pile(capacity, cPoint(20, 50));
        pile.Insert(set[0]);
        EXPECT_EQ(pile.Can_Insert(), capacity > 1) << capacity;
        EXPECT_EQ(pile.Can_Insert(set[1]), capacity > 1) << capacity;
        pile.Insert(set[1]);
        pile.Insert(nullptr);
        const int held = std::clamp(capacity, 0, 2);
        EXPECT_EQ(Contents(pile), std::vector<cIMGCard*>(set.cards.begin(), set.cards.begin() + held)) << capacity;
        EXPECT_EQ(pile.capacity, std::max(capacity, 0)) << capacity;
        // Only the bottom card shows.
        EXPECT_EQ(LookOf(set[0]), (Look{1, 0, capacity > 0, 20, 50, CARD_BACK_X})) << capacity;
        EXPECT_EQ(LookOf(set[1]), (Look{1, 0, 0, 20, 50, CARD_BACK_X})) << capacity;
    }
}

std::vector<int> NextRands() {
    std::vector<int> next;
    for (int i = 0; i < 4; ++i) next.push_back(std::rand());
    return next;
}

TEST(DealPile, ShuffleMakesTwiceCapacityExchangesOfCardsItHolds) {
    struct Row { int capacity, cards; };
    // 60 / 53: the full deck with one joker, 120 exchanges of two draws each.
    const Row rows[] = {{60, 53}, {60, 60}, {60, 1}, {5, 5}, {7, 3}, {60, 0}, {0, 0}};
    Cards set(CARD_COUNT);
    for (const Row& r : rows) {
        for (unsigned seed : {1u, 20261206u}) {
            cDealPile deck(r.capacity, cPoint(20, 50));
            for (int n = 0; n < r.cards; ++n) deck.Insert(set[n]);
            const std::vector<cIMGCard*> before = Contents(deck);
            std::srand(seed);
            for (int i = 0; i < (r.cards > 0 ? 4 * r.capacity : 0); ++i) std::rand();
            const std::vector<int> expectedNext = NextRands();
            std::srand(seed);
            deck.Shuffle();
            EXPECT_EQ(NextRands(), expectedNext) << r.capacity << "/" << r.cards << " seed " << seed;

            // Same cards, all within the first `count` entries; the rest of the array untouched.
            ASSERT_EQ(deck.count, r.cards);
            const std::vector<cIMGCard*> got = Contents(deck);
            EXPECT_TRUE(std::is_permutation(got.begin(), got.end(), before.begin(), before.end())) << r.cards;
            EXPECT_TRUE(r.cards != 53 || got != before) << "the order changes";
            for (int i = r.cards; i < r.capacity; ++i) EXPECT_EQ(deck.items[i], nullptr) << i;
            for (int i = 0; i < deck.count; ++i) EXPECT_EQ(deck.items[i]->visible, i == 0 ? 1 : 0) << i;
            for (int n = 0; n < r.cards; ++n) set[n]->Hide();
        }
    }
}

TEST(HandPile, DealAndJunkTakeOnlyTurnedCardsLowestSlotFirst) {
    Cards set(7);
    cHandPile hand(cPoint(100, 100));
    cJunkPile junk(60, cPoint(500, 50));
    for (int n = 0; n < 5; ++n) hand.Insert(set[n]);
    EXPECT_EQ(hand.Deal(), nullptr);
    for (int n : {3, 1}) set[n]->Clicked();
    EXPECT_EQ(std::pair(hand.Deal(), hand.items[1]), std::pair(set[1], static_cast<cIMGCard*>(nullptr)));
    // Refilling lands in the slot just left.
    hand.Insert(set[5]);
    EXPECT_EQ(hand.items[1], set[5]);
    set[0]->Clicked();
    junk.Insert(hand);
    EXPECT_EQ(Contents(junk), set.Of({0, 3}));
    for (int n : {1, 2, 4}) EXPECT_NE(hand.items[n], nullptr) << n;
    hand.Insert(set[6]);
    EXPECT_EQ(set[6]->position.x, 100);
    // Inserting a pile into the hand does nothing.
    hand.Insert(static_cast<cCardPile&>(junk));
    EXPECT_EQ(junk.count, 2);
    EXPECT_EQ(hand.items[3], nullptr);
}

struct CardsOnScreen : ::testing::Test {
    void SetUp() override {
        ASSERT_NE(window, nullptr);
        gfxpens[0] = 0;
        set = std::make_unique<Cards>(CARD_COUNT, window, sheet.bitMap());
    }
    void TearDown() override {
        set.reset();
        if (window != nullptr) CloseWindow(window);
        gfxpens[0] = 0;
    }
    // Does the window show sheet block (column, row) with its top-left corner at (x, y)?
    bool Shows(int x, int y, int column, int row) {
        return ShowsBlock(window, x, y, sheet.bitMap(), column * CARD_WIDTH, row * CARD_HEIGHT);
    }
    cIMGCard* Card(int n) { return (*set)[n]; }

    Window* window = support::OpenTestWindow();
    support::TestBitMap sheet = support::MakeTestSheet();
    std::unique_ptr<Cards> set;
};

TEST_F(CardsOnScreen, ACardIsMadeInvisibleFaceUpUnselectableInsideTheBorder) {
    cIMGCard card(window, sheet.bitMap(), cPoint(65, 30), cCard(17));
    EXPECT_EQ(LookOf(&card), (Look{0, 0, 0, window->BorderLeft + 65, window->BorderTop + 30, 4 * CARD_WIDTH}));
    EXPECT_EQ(card.source.y, 1 * CARD_HEIGHT);
    EXPECT_EQ(XY(card.size), (std::pair<int, int>(CARD_WIDTH, CARD_HEIGHT)));
}

TEST_F(CardsOnScreen, TwoClicksReturnAHandCardToItsFace) {
    cHandPile hand(cPoint(100, 100));
    hand.Insert(Card(0));
    hand.Insert(Card(30));  // value 4 of suit 2
    const int x = 100 + 81, y = 100;
    IntuiMessage down = Mouse(x + 10, y + 10, SELECTDOWN);
    EXPECT_TRUE(Shows(x, y, 4, 2));
    for (int row : {4, 2}) {
        EXPECT_EQ(IDCMP(&down, set->cards.data()), 1);
        EXPECT_TRUE(Shows(x, y, 4, row)) << row;
    }
    EXPECT_TRUE(Shows(100, y, 0, 0)) << "the neighbour was not touched";
}

TEST_F(CardsOnScreen, JokersTwoToSevenShareThePictureOfColumnTwo) {
    for (int n = 52; n < 60; ++n) {
        cHandPile hand(cPoint(100, 100));
        hand.Insert(Card(n));
        EXPECT_TRUE(Shows(100, 100, std::min(n - 52, 2), 4)) << "joker " << n;
        Card(n)->Hide();
    }
}

TEST_F(CardsOnScreen, MovingACardIntoAPileErasesItFromTheHand) {
    gfxpens[0] = 5;
    cHandPile hand(cPoint(100, 100));
    cJunkPile junk(60, cPoint(500, 50));
    hand.Insert(Card(7));
    Card(7)->Clicked();
    junk.Insert(hand);
    for (int y = 100; y < 100 + CARD_HEIGHT; ++y)
        for (int x = 100; x < 100 + CARD_WIDTH; ++x) ASSERT_EQ(support::Pixel(window, x, y), 5) << x << "," << y;
    EXPECT_TRUE(Shows(500, 50, 4, 4));
}

}  // namespace
