// Cards, card images and the piles: bookkeeping, and what the window shows of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "app/main.h"
#include "game/card.h"
#include "game/cardpile.h"
#include "game/dealpile.h"
#include "game/handpile.h"
#include "host/host.h"
#include "support/screen.h"

namespace {

// Cards of the given numbers on a window (or none).
struct Cards {
    std::vector<std::unique_ptr<cIMGCard>> owned;
    std::vector<cIMGCard*> cards;
    explicit Cards(int count, Window* window = nullptr, BitMap* sheet = nullptr) {
        for (int n = 0; n < count; ++n) {
            owned.push_back(std::make_unique<cIMGCard>(window, sheet, cPoint(0, 0), cCard(n)));
            cards.push_back(owned.back().get());
        }
    }
    cIMGCard* operator[](int n) const { return cards[static_cast<size_t>(n)]; }
};

std::vector<cIMGCard*> Contents(const cCardPile& pile) {
    return std::vector<cIMGCard*>(pile.items, pile.items + pile.count);
}

// ---- card numbers and pictures --------------------------------------------------------

TEST(Card, NumberGivesSuitAndValue) {
    struct Row {
        int n, suit, value;
    };
    const Row rows[] = {{0, 0, 0},   {12, 0, 12}, {13, 1, 0},  {25, 1, 12}, {26, 2, 0}, {38, 2, 12},
                        {39, 3, 0},  {51, 3, 12}, {52, 4, 0},  {53, 4, 1},  {54, 4, 2}, {59, 4, 7},
                        {64, 4, 12}, {65, 4, 0},  {130, 4, 0}, {-1, 4, 12}, {-13, 4, 0}};
    for (const Row& r : rows) {
        cCard c;
        c.Set(r.n);
        EXPECT_EQ(c.suit, r.suit) << r.n;
        EXPECT_EQ(c.value, r.value) << r.n;
        EXPECT_EQ(c.Suit_as_Int(), r.suit) << r.n;
    }
}

TEST(Card, SuitAsIntFoldsEveryOtherSuitIntoTheJoker) {
    const std::pair<int, int> rows[] = {{0, 0}, {3, 3}, {4, 4}, {5, 4}, {-1, 4}, {1000, 4}};
    for (auto [suit, want] : rows) {
        cCard c;
        c.suit = suit;
        EXPECT_EQ(c.Suit_as_Int(), want) << suit;
    }
}

TEST(CardImage, PictureIsTheBlockOfValueAndSuitOrTheBack) {
    struct Row {
        int n;
        int turned;
        int x, y;
    };
    const Row rows[] = {
        {0, 0, 0, 0},      {12, 0, 852, 0},    {13, 0, 0, 96},    {30, 0, 284, 192},
        {51, 0, 852, 288}, {52, 0, 0, 384},    {53, 0, 71, 384},  {54, 0, 142, 384},
        {55, 0, 142, 384}, {56, 0, 142, 384},  {57, 0, 142, 384}, {58, 0, 142, 384},
        {59, 0, 142, 384}, {0, 1, 284, 384},   {51, 1, 284, 384}, {59, 1, 284, 384},
    };
    for (const Row& r : rows) {
        cIMGCard card(nullptr, nullptr, cPoint(0, 0), cCard(r.n));
        card.turned = r.turned;
        card.UpdatePicture();
        EXPECT_EQ(card.source.x, r.x) << r.n << " turned " << r.turned;
        EXPECT_EQ(card.source.y, r.y) << r.n << " turned " << r.turned;
    }
}

TEST(CardImage, MadeInvisibleFaceUpUnselectableInsideTheBorder) {
    Window* w = support::OpenTestWindow();
    ASSERT_NE(w, nullptr);
    cIMGCard card(w, nullptr, cPoint(65, 30), cCard(17));
    EXPECT_EQ(card.position.x, w->BorderLeft + 65);
    EXPECT_EQ(card.position.y, w->BorderTop + 30);
    EXPECT_EQ(card.size.x, CARD_WIDTH);
    EXPECT_EQ(card.size.y, CARD_HEIGHT);
    EXPECT_EQ(card.suit, 1);
    EXPECT_EQ(card.value, 4);
    EXPECT_EQ(card.visible, 0);
    EXPECT_EQ(card.turned, 0);
    EXPECT_EQ(card.selectable, 0);
    EXPECT_EQ(card.source.x, 4 * CARD_WIDTH);
    EXPECT_EQ(card.source.y, 1 * CARD_HEIGHT);
    CloseWindow(w);
}

TEST(CardImage, ClickFlipsOnlyASelectableCard) {
    struct Row {
        int selectable, clicks, turnedAfter;
    };
    const Row rows[] = {{1, 1, 1}, {1, 2, 0}, {1, 3, 1}, {0, 1, 0}, {0, 2, 0}};
    for (const Row& r : rows) {
        cIMGCard card(nullptr, nullptr, cPoint(0, 0), cCard(5));
        card.selectable = r.selectable;
        for (int i = 0; i < r.clicks; ++i) card.Clicked();
        EXPECT_EQ(card.turned, r.turnedAfter) << r.selectable << " " << r.clicks;
        EXPECT_EQ(card.source.x, r.turnedAfter ? CARD_BACK_X : 5 * CARD_WIDTH);
        EXPECT_EQ(card.source.y, r.turnedAfter ? CARD_BACK_Y : 0);
    }
}

IntuiMessage Mouse(int x, int y, UWORD code) {
    IntuiMessage m{};
    m.Class = IDCMP_MOUSEBUTTONS;
    m.Code = code;
    m.MouseX = static_cast<WORD>(x);
    m.MouseY = static_cast<WORD>(y);
    return m;
}

TEST(CardImage, ReleaseInsideIsTakenWithoutFlippingAndPressOnAFrozenCardChangesNothing) {
    cIMGCard card(nullptr, nullptr, cPoint(10, 10), cCard(3));
    card.visible = 1;
    card.selectable = 1;
    IntuiMessage up = Mouse(20, 20, SELECTUP);
    EXPECT_EQ(card.IDCMP(&up), 1);
    EXPECT_EQ(card.turned, 0);
    card.selectable = 0;
    IntuiMessage down = Mouse(20, 20, SELECTDOWN);
    EXPECT_EQ(card.IDCMP(&down), 1);
    EXPECT_EQ(card.turned, 0);
    card.selectable = 1;
    EXPECT_EQ(card.IDCMP(&down), 1);
    EXPECT_EQ(card.turned, 1);
}

TEST(CardImage, CardArrayGivesTheClickToTheFirstVisibleCardUnderThePointer) {
    Cards set(CARD_COUNT);
    // All cards lie at (0, 0) but card 3; only visible ones can claim a message.
    for (int n : {40, 59}) {
        set[n]->visible = 1;
        set[n]->selectable = 1;
    }
    set[3]->position = cPoint(200, 0);
    set[3]->visible = 1;
    set[3]->selectable = 1;

    IntuiMessage down = Mouse(5, 5, SELECTDOWN);
    EXPECT_EQ(IDCMP(&down, set.cards.data()), 1);
    EXPECT_EQ(set[40]->turned, 1);
    EXPECT_EQ(set[59]->turned, 0);
    EXPECT_EQ(set[3]->turned, 0);

    IntuiMessage onThree = Mouse(200 + CARD_WIDTH - 1, CARD_HEIGHT - 1, SELECTDOWN);
    EXPECT_EQ(IDCMP(&onThree, set.cards.data()), 1);
    EXPECT_EQ(set[3]->turned, 1);

    IntuiMessage nowhere = Mouse(400, 5, SELECTDOWN);
    EXPECT_EQ(IDCMP(&nowhere, set.cards.data()), 0);
    IntuiMessage key{};
    key.Class = IDCMP_VANILLAKEY;
    key.MouseX = 5;
    key.MouseY = 5;
    EXPECT_EQ(IDCMP(&key, set.cards.data()), 0);

    // The last card of the 60 is asked too.
    set[40]->visible = 0;
    EXPECT_EQ(IDCMP(&down, set.cards.data()), 1);
    EXPECT_EQ(set[59]->turned, 1);
}

// ---- pile bookkeeping ---------------------------------------------------------------

TEST(CardPile, DealTakesFromTheTopUntilEmpty) {
    Cards set(3);
    cJunkPile pile(60, cPoint(500, 50));
    for (int n = 0; n < 3; ++n) pile.Insert(set[n]);
    EXPECT_EQ(pile.Deal(), set[2]);
    EXPECT_EQ(pile.Deal(), set[1]);
    EXPECT_EQ(pile.Deal(), set[0]);
    EXPECT_EQ(pile.Deal(), nullptr);
    EXPECT_EQ(pile.count, 0);
}

TEST(CardPile, RemoveFillsTheGapWithTheTopCard) {
    struct Row {
        int index;
        int removed;                // -1: none
        std::vector<int> leftOver;  // bottom to top
    };
    const Row rows[] = {
        {0, 0, {2, 1}}, {1, 1, {0, 2}}, {2, 2, {0, 1}}, {3, -1, {0, 1, 2}}, {-1, -1, {0, 1, 2}}, {100, -1, {0, 1, 2}},
    };
    for (const Row& r : rows) {
        Cards set(3);
        cDealPile pile(60, cPoint(20, 50));
        for (int n = 0; n < 3; ++n) pile.Insert(set[n]);
        cIMGCard* got = pile.Remove(r.index);
        EXPECT_EQ(got, r.removed < 0 ? nullptr : set[r.removed]) << r.index;
        std::vector<cIMGCard*> want;
        for (int n : r.leftOver) want.push_back(set[n]);
        EXPECT_EQ(Contents(pile), want) << r.index;
    }
}

TEST(CardPile, InsertPutsTheCardOnTopFaceDownAndUnselectable) {
    Cards set(2);
    set[1]->selectable = 1;
    cDealPile pile(60, cPoint(20, 50));
    pile.Insert(set[0]);
    pile.Insert(set[1]);
    pile.Insert(nullptr);
    EXPECT_EQ(Contents(pile), (std::vector<cIMGCard*>{set[0], set[1]}));
    for (int n = 0; n < 2; ++n) {
        EXPECT_EQ(set[n]->turned, 1);
        EXPECT_EQ(set[n]->selectable, 0);
        EXPECT_EQ(set[n]->position.x, 20);
        EXPECT_EQ(set[n]->position.y, 50);
        EXPECT_EQ(set[n]->source.x, CARD_BACK_X);
    }
    // Only the bottom card is shown.
    EXPECT_EQ(set[0]->visible, 1);
    EXPECT_EQ(set[1]->visible, 0);
}

TEST(CardPile, AFullOrArraylessPileStillTurnsAndPlacesTheCard) {
    for (int capacity : {1, 0, -3}) {
        Cards set(2);
        set[1]->selectable = 1;
        cJunkPile pile(capacity, cPoint(500, 50));
        pile.Insert(set[0]);
        pile.Insert(set[1]);
        EXPECT_EQ(pile.count, std::max(capacity, 0)) << capacity;
        EXPECT_EQ(pile.capacity, std::max(capacity, 0)) << capacity;
        EXPECT_EQ(set[1]->turned, 1) << capacity;
        EXPECT_EQ(set[1]->selectable, 0) << capacity;
        EXPECT_EQ(set[1]->position.x, 500) << capacity;
        EXPECT_FALSE(pile.Can_Insert()) << capacity;
        EXPECT_FALSE(pile.Can_Insert(set[0])) << capacity;
        EXPECT_EQ(pile.Deal(), capacity > 0 ? set[0] : nullptr) << capacity;
    }
}

TEST(CardPile, CanInsertWhileBelowCapacity) {
    Cards set(3);
    cDealPile pile(2, cPoint(0, 0));
    const bool before[] = {true, true, false};
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(pile.Can_Insert(), before[n]) << n;
        EXPECT_EQ(pile.Can_Insert(set[n]), before[n]) << n;
        pile.Insert(set[n]);
    }
    EXPECT_EQ(pile.count, 2);
}

TEST(CardPile, InsertingAnotherPileMovesEveryCardTopFirst) {
    Cards set(4);
    cDealPile deck(60, cPoint(20, 50));
    cJunkPile junk(60, cPoint(500, 50));
    for (int n = 0; n < 4; ++n) junk.Insert(set[n]);
    deck.Insert(junk);
    EXPECT_EQ(junk.count, 0);
    EXPECT_EQ(Contents(deck), (std::vector<cIMGCard*>{set[3], set[2], set[1], set[0]}));
    for (int n = 0; n < 4; ++n) EXPECT_EQ(set[n]->position.x, 20);
    EXPECT_EQ(set[3]->visible, 1);
    for (int n = 0; n < 3; ++n) EXPECT_EQ(set[n]->visible, 0) << n;
}

TEST(CardPile, InsertingAnEmptyPileOrItselfChangesNothing) {
    Cards set(2);
    cDealPile deck(60, cPoint(20, 50));
    cJunkPile junk(60, cPoint(500, 50));
    deck.Insert(set[0]);
    deck.Insert(set[1]);
    deck.Insert(junk);
    EXPECT_EQ(Contents(deck), (std::vector<cIMGCard*>{set[0], set[1]}));
    deck.Insert(static_cast<cCardPile&>(deck));
    EXPECT_EQ(Contents(deck), (std::vector<cIMGCard*>{set[0], set[1]}));
}

TEST(CardPile, EraseForgetsTheCardsButLeavesThemAsTheyAre) {
    Cards set(2);
    cJunkPile junk(60, cPoint(500, 50));
    junk.Insert(set[0]);
    junk.Insert(set[1]);
    junk.Erase();
    EXPECT_EQ(junk.count, 0);
    EXPECT_EQ(junk.Deal(), nullptr);
    EXPECT_EQ(set[0]->visible, 1);
    EXPECT_EQ(set[0]->turned, 1);
    EXPECT_TRUE(junk.Can_Insert());
}

// ---- shuffling ------------------------------------------------------------------------

// The rand() values that follow `calls` calls after srand(seed).
std::vector<int> RandAfter(unsigned seed, int calls) {
    std::srand(seed);
    for (int i = 0; i < calls; ++i) std::rand();
    std::vector<int> next;
    for (int i = 0; i < 4; ++i) next.push_back(std::rand());
    return next;
}

TEST(DealPile, ShuffleMakesTwiceCapacityExchangesOfCardsItHolds) {
    struct Row {
        int capacity, cards;
    };
    const Row rows[] = {{60, 53}, {60, 52}, {60, 60}, {60, 1}, {60, 2}, {5, 5}, {7, 3}};
    Cards set(CARD_COUNT);
    for (const Row& r : rows) {
        for (unsigned seed : {1u, 77u, 20261206u}) {
            cDealPile deck(r.capacity, cPoint(20, 50));
            for (int n = 0; n < r.cards; ++n) deck.Insert(set[n]);
            const std::vector<int> expectedNext = RandAfter(seed, 4 * r.capacity);
            std::srand(seed);
            deck.Shuffle();
            std::vector<int> next;
            for (int i = 0; i < 4; ++i) next.push_back(std::rand());
            EXPECT_EQ(next, expectedNext) << r.capacity << "/" << r.cards << " seed " << seed;

            // Same cards, all within the first `count` entries; the rest of the array untouched.
            ASSERT_EQ(deck.count, r.cards);
            std::vector<cIMGCard*> got = Contents(deck), want(set.cards.begin(), set.cards.begin() + r.cards);
            std::sort(got.begin(), got.end());
            std::sort(want.begin(), want.end());
            EXPECT_EQ(got, want) << r.capacity << "/" << r.cards << " seed " << seed;
            for (int i = r.cards; i < r.capacity; ++i) EXPECT_EQ(deck.items[i], nullptr) << i;

            // Only the new bottom card is shown.
            for (int i = 0; i < deck.count; ++i) EXPECT_EQ(deck.items[i]->visible, i == 0 ? 1 : 0) << i;
            for (int n = 0; n < r.cards; ++n) set[n]->Hide();
        }
    }
}

TEST(DealPile, ShuffleChangesTheOrder) {
    Cards set(53);
    cDealPile deck(60, cPoint(20, 50));
    for (int n = 0; n < 53; ++n) deck.Insert(set[n]);
    const std::vector<cIMGCard*> before = Contents(deck);
    std::srand(4242);
    deck.Shuffle();
    EXPECT_NE(Contents(deck), before);
}

TEST(DealPile, ShufflingAnEmptyDeckDoesNothing) {
    cDealPile deck(60, cPoint(20, 50));
    const std::vector<int> expectedNext = RandAfter(9, 0);
    std::srand(9);
    deck.Shuffle();
    std::vector<int> next;
    for (int i = 0; i < 4; ++i) next.push_back(std::rand());
    EXPECT_EQ(next, expectedNext);
    EXPECT_EQ(deck.count, 0);
    cDealPile arrayless(0, cPoint(20, 50));
    arrayless.Shuffle();
    EXPECT_EQ(arrayless.count, 0);
}

// ---- the hand -------------------------------------------------------------------------

TEST(HandPile, InsertFillsTheLowestEmptySlotFaceUpSelectableAndShown) {
    Cards set(7);
    cHandPile hand(cPoint(100, 100));
    EXPECT_EQ(hand.capacity, 5);
    for (int n = 0; n < 5; ++n) {
        set[n]->turned = 1;
        EXPECT_TRUE(hand.Can_Insert());
        hand.Insert(set[n]);
    }
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(hand.items[n], set[n]);
        EXPECT_EQ(set[n]->turned, 0);
        EXPECT_EQ(set[n]->selectable, 1);
        EXPECT_EQ(set[n]->visible, 1);
        EXPECT_EQ(set[n]->position.x, 100 + 81 * n);
        EXPECT_EQ(set[n]->position.y, 100);
        EXPECT_EQ(set[n]->source.x, n * CARD_WIDTH);
    }
    EXPECT_EQ(hand.count, 0);
    // A full hand leaves the card where it was.
    EXPECT_FALSE(hand.Can_Insert());
    EXPECT_FALSE(hand.Can_Insert(set[5]));
    set[5]->turned = 1;
    hand.Insert(set[5]);
    hand.Insert(nullptr);
    EXPECT_EQ(set[5]->turned, 1);
    EXPECT_EQ(set[5]->selectable, 0);
    EXPECT_EQ(set[5]->visible, 0);
    EXPECT_EQ(set[5]->position.x, 0);
}

TEST(HandPile, DealGivesUpOnlyTurnedCardsLowestSlotFirst) {
    Cards set(7);
    cHandPile hand(cPoint(100, 100));
    for (int n = 0; n < 5; ++n) hand.Insert(set[n]);
    EXPECT_EQ(hand.Deal(), nullptr);
    set[3]->Clicked();
    set[1]->Clicked();
    EXPECT_EQ(hand.Deal(), set[1]);
    EXPECT_EQ(hand.Deal(), set[3]);
    EXPECT_EQ(hand.Deal(), nullptr);
    EXPECT_EQ(hand.items[1], nullptr);
    EXPECT_EQ(hand.items[3], nullptr);
    // Refilling lands in the slots just left, lowest first.
    hand.Insert(set[5]);
    hand.Insert(set[6]);
    EXPECT_EQ(hand.items[1], set[5]);
    EXPECT_EQ(hand.items[3], set[6]);
    EXPECT_EQ(set[6]->position.x, 100 + 3 * 81);
}

TEST(HandPile, OneEmptySlotTakesExactlyOneMoreCard) {
    Cards set(7);
    cHandPile hand(cPoint(100, 100));
    for (int n = 0; n < 5; ++n) hand.Insert(set[n]);
    set[2]->Clicked();
    ASSERT_EQ(hand.Remove(2), set[2]);
    EXPECT_TRUE(hand.Can_Insert());
    hand.Insert(set[5]);
    EXPECT_FALSE(hand.Can_Insert());
    hand.Insert(set[6]);
    EXPECT_EQ(hand.items[2], set[5]);
    EXPECT_EQ(set[6]->visible, 0);
}

TEST(HandPile, RemoveTakesOnlyATurnedCardOfAValidSlot) {
    struct Row {
        int slot;
        bool turned;
        bool emptySlot;
        bool taken;
    };
    const Row rows[] = {{0, true, false, true},    {4, true, false, true},   {2, false, false, false},
                        {2, true, true, false},     {5, true, false, false},  {-1, true, false, false},
                        {-2147483647 - 1, true, false, false}};
    for (const Row& r : rows) {
        Cards set(5);
        cHandPile hand(cPoint(100, 100));
        for (int n = 0; n < 5; ++n) hand.Insert(set[n]);
        const int s = std::clamp(r.slot, 0, 4);
        if (r.turned) set[s]->Clicked();
        if (r.emptySlot) hand.items[s] = nullptr;
        cIMGCard* got = hand.Remove(r.slot);
        EXPECT_EQ(got, r.taken ? set[s] : nullptr) << r.slot;
        EXPECT_EQ(hand.items[s], r.taken || r.emptySlot ? nullptr : set[s]) << r.slot;
    }
}

TEST(HandPile, TurnAllShowsBacksAndLetsEveryCardGo) {
    Cards set(5);
    cHandPile hand(cPoint(100, 100));
    cDealPile deck(60, cPoint(20, 50));
    for (int n = 0; n < 4; ++n) hand.Insert(set[n]);
    hand.FreezeAll();
    hand.TurnAll();
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(set[n]->turned, 1);
        EXPECT_EQ(set[n]->selectable, 0);
        EXPECT_EQ(set[n]->source.x, CARD_BACK_X);
    }
    deck.Insert(hand);
    EXPECT_EQ(Contents(deck), (std::vector<cIMGCard*>{set[0], set[1], set[2], set[3]}));
    for (int n = 0; n < HAND_SLOTS; ++n) EXPECT_EQ(hand.items[n], nullptr);
}

TEST(HandPile, FrozenCardsDoNotFlipAndTurnAllKeepsSelectability) {
    Cards set(5);
    cHandPile hand(cPoint(100, 100));
    for (int n = 0; n < 5; ++n) hand.Insert(set[n]);
    hand.FreezeAll();
    for (int n = 0; n < 5; ++n) {
        set[n]->Clicked();
        EXPECT_EQ(set[n]->turned, 0);
    }
    Cards other(5);
    cHandPile live(cPoint(100, 100));
    for (int n = 0; n < 5; ++n) live.Insert(other[n]);
    live.TurnAll();
    for (int n = 0; n < 5; ++n) EXPECT_EQ(other[n]->selectable, 1);
}

TEST(HandPile, InsertingAPileIntoTheHandDoesNothing) {
    Cards set(3);
    cHandPile hand(cPoint(100, 100));
    cDealPile deck(60, cPoint(20, 50));
    for (int n = 0; n < 3; ++n) deck.Insert(set[n]);
    hand.Insert(static_cast<cCardPile&>(deck));
    EXPECT_EQ(deck.count, 3);
    for (int n = 0; n < HAND_SLOTS; ++n) EXPECT_EQ(hand.items[n], nullptr);
}

TEST(HandPile, JunkTakesOnlyTheTurnedHandCards) {
    Cards set(5);
    cHandPile hand(cPoint(100, 100));
    cJunkPile junk(60, cPoint(500, 50));
    for (int n = 0; n < 5; ++n) hand.Insert(set[n]);
    set[0]->Clicked();
    set[4]->Clicked();
    junk.Insert(hand);
    EXPECT_EQ(Contents(junk), (std::vector<cIMGCard*>{set[0], set[4]}));
    for (int n : {1, 2, 3}) EXPECT_EQ(hand.items[n], set[n]);
}

// ---- on the screen --------------------------------------------------------------------

class CardsOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        window = support::OpenTestWindow();
        ASSERT_NE(window, nullptr);
        gfxpens[0] = 0;
        set = std::make_unique<Cards>(CARD_COUNT, window, sheet.bitMap());
    }
    void TearDown() override {
        set.reset();
        if (window != nullptr) CloseWindow(window);
    }
    // Does the window show sheet block (column, row) with its top-left corner at (x, y)?
    ::testing::AssertionResult ShowsBlock(int x, int y, int column, int row) {
        for (int dy = 0; dy < CARD_HEIGHT; ++dy) {
            for (int dx = 0; dx < CARD_WIDTH; ++dx) {
                const int want = sheet.Get(column * CARD_WIDTH + dx, row * CARD_HEIGHT + dy);
                const int got = support::Pixel(window, x + dx, y + dy);
                if (got != want)
                    return ::testing::AssertionFailure() << "pixel (" << x + dx << ", " << y + dy << ") is " << got
                                                         << ", block (" << column << ", " << row << ") has " << want;
            }
        }
        return ::testing::AssertionSuccess();
    }
    ::testing::AssertionResult Filled(int x, int y, int w, int h, int pen) {
        for (int dy = 0; dy < h; ++dy)
            for (int dx = 0; dx < w; ++dx)
                if (support::Pixel(window, x + dx, y + dy) != pen)
                    return ::testing::AssertionFailure() << "pixel (" << x + dx << ", " << y + dy << ") is "
                                                         << support::Pixel(window, x + dx, y + dy) << ", not " << pen;
        return ::testing::AssertionSuccess();
    }

    Window* window = nullptr;
    support::TestBitMap sheet = support::MakeTestSheet();
    std::unique_ptr<Cards> set;
};

// Piles are placed in window coordinates, as the game places them.
TEST_F(CardsOnScreen, TheDeckShowsItsBottomCardFaceDownAt20By50) {
    cDealPile deck(60, cPoint(20, 50));
    const int numbers[] = {12, 40, 53};
    for (int n : numbers) {
        deck.Insert((*set)[n]);
        EXPECT_TRUE(ShowsBlock(20, 50, 4, 4)) << "after card " << n;
        for (int m : numbers) EXPECT_EQ((*set)[m]->visible, m == 12 ? 1 : 0) << "after card " << n;
    }
    std::srand(3);
    deck.Shuffle();
    EXPECT_TRUE(ShowsBlock(20, 50, 4, 4));
    EXPECT_EQ(deck.items[0]->visible, 1);
}

TEST_F(CardsOnScreen, TwoClicksReturnAHandCardToItsFace) {
    cHandPile hand(cPoint(100, 100));
    cIMGCard* card = (*set)[30];  // value 4 of suit 2
    hand.Insert((*set)[0]);
    hand.Insert(card);
    const int x = 100 + 81, y = 100;
    EXPECT_TRUE(ShowsBlock(x, y, 4, 2));
    IntuiMessage down = Mouse(x + 10, y + 10, SELECTDOWN);
    EXPECT_EQ(IDCMP(&down, set->cards.data()), 1);
    EXPECT_TRUE(ShowsBlock(x, y, 4, 4));
    EXPECT_EQ(IDCMP(&down, set->cards.data()), 1);
    EXPECT_TRUE(ShowsBlock(x, y, 4, 2));
    // The neighbour was not touched.
    EXPECT_TRUE(ShowsBlock(100, y, 0, 0));
}

TEST_F(CardsOnScreen, JokersTwoToSevenShareThePictureOfColumnTwo) {
    struct Row {
        int n, column;
    };
    const Row rows[] = {{52, 0}, {53, 1}, {54, 2}, {55, 2}, {56, 2}, {57, 2}, {58, 2}, {59, 2}};
    for (const Row& r : rows) {
        cHandPile hand(cPoint(100, 100));
        hand.Insert((*set)[r.n]);
        EXPECT_TRUE(ShowsBlock(100, 100, r.column, 4)) << "joker " << r.n;
        (*set)[r.n]->Hide();
    }
}

TEST_F(CardsOnScreen, MovingACardIntoAPileErasesItFromTheHand) {
    gfxpens[0] = 5;
    cHandPile hand(cPoint(100, 100));
    cJunkPile junk(60, cPoint(500, 50));
    hand.Insert((*set)[7]);
    (*set)[7]->Clicked();
    junk.Insert(hand);
    EXPECT_TRUE(Filled(100, 100, CARD_WIDTH, CARD_HEIGHT, 5));
    EXPECT_TRUE(ShowsBlock(500, 50, 4, 4));
    gfxpens[0] = 0;
}

}  // namespace
