// Ranking of the hand with jokers wild under the two preferences.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "game/card.h"
#include "game/handpile.h"
#include "support/files.h"

namespace {

// The four preference settings.
const uint32_t A = 0, K = HAND_FIVE_KIND_ABOVE_SF, J = HAND_FIVE_JOKERS_BEST, KJ = K | J;
const std::vector<uint32_t> All = {A, K, J, KJ};

// All 60 cards, without a window: ranking reads only suits and values.
struct CardSet {
    std::vector<std::unique_ptr<cIMGCard>> cards;
    CardSet() {
        for (int n = 0; n < CARD_COUNT; ++n)
            cards.push_back(std::make_unique<cIMGCard>(nullptr, nullptr, cPoint(0, 0), cCard(n)));
    }
    cIMGCard* operator[](int n) const { return cards[static_cast<size_t>(n)].get(); }
};

// "AS TH 9D 2C *": rank A23456789TJQK, suit S H D C (suits 0..3), "*" a joker.
std::vector<int> ParseHand(const std::string& text) {
    const std::string ranks = "A23456789TJQK", suits = "SHDC";
    std::vector<int> numbers;
    std::istringstream in(text);
    int jokers = 0;
    for (std::string w; in >> w;) {
        const auto rank = ranks.find(w.front()), suit = suits.find(w.back());
        if (w == "*")
            numbers.push_back(59 - (jokers++ * 3) % 8);  // jokers of different numbers must count the same
        else if (w.size() == 2 && rank != std::string::npos && suit != std::string::npos)
            numbers.push_back(static_cast<int>(suit * 13 + rank));
        else
            ADD_FAILURE() << "bad card " << w;
    }
    return numbers;
}

struct EdgeCase { const char* hand; std::vector<uint32_t> flags; int expected; };  // flags: where it holds

// The windows a straight can lie in, the jokers' choices, and where the preferences decide.
const EdgeCase kEdgeCases[] = {
    {"TS JS QS KS AS", All, HAND_ROYAL_FLUSH},   {"AS 2H 3S 4D 5C", All, HAND_STRAIGHT},
    {"TS JH QD KC AS", All, HAND_STRAIGHT},      {"* * AC QC KC", All, HAND_ROYAL_FLUSH},
    {"* * * 7S 9H", All, HAND_FOUR_OF_KIND},     {"* * * TS AS", All, HAND_ROYAL_FLUSH},
    {"* * * 9S AS", All, HAND_FOUR_OF_KIND},     {"* * * 2D AD", All, HAND_STRAIGHT_FLUSH},
    {"* * * * 5S", {K, KJ}, HAND_FIVE_OF_KIND},  {"* * * * 5S", {A, J}, HAND_STRAIGHT_FLUSH},
    {"* * * * KD", All, HAND_ROYAL_FLUSH},       {"* * * * *", {J, KJ}, HAND_ROYAL_FLUSH},
    {"* * * * *", {A, K}, HAND_LOUSY},           {"2S 2H * * 9C", All, HAND_FOUR_OF_KIND},
    {"* * 3S 5H 8D", All, HAND_THREE_OF_KIND},   {"QS KH AD 2C 3S", All, HAND_LOUSY},
    {"QS KS AS 2S 3S", All, HAND_FLUSH},         {"* QS KH AD 2C", All, HAND_PAIR},
    {"2S 2H 5D 5C *", All, HAND_FULL_HOUSE},     {"* * AS 2S KS", All, HAND_FLUSH},
    {"* * * 7S 7H", All, HAND_FIVE_OF_KIND},     {"* * 3S 5H 7D", All, HAND_STRAIGHT},
};

void PutHand(cHandPile& hand, const CardSet& set, const std::vector<int>& numbers, int rotation) {
    for (int slot = 0; slot < HAND_SLOTS; ++slot) hand.items[slot] = set[numbers[static_cast<size_t>((slot + rotation) % 5)]];
}

// Every slot order; flag bits other than the preferences change nothing; an empty slot is lousy.
TEST(HandEvaluation, EdgeCasesRankAsTheRulesSayInEverySlotOrder) {
    CardSet set;
    cHandPile hand(cPoint(100, 100));
    for (const EdgeCase& c : kEdgeCases) {
        const std::vector<int> numbers = ParseHand(c.hand);
        ASSERT_EQ(numbers.size(), 5u) << c.hand;
        for (uint32_t flags : c.flags)
            for (int rotation = 0; rotation < 5; ++rotation) {
                hand.flags = rotation == 4 ? flags | 0xFFFFFCFFu : flags;
                PutHand(hand, set, numbers, rotation);
                EXPECT_EQ(hand.Evaluate(), c.expected)
                    << c.hand << " flags 0x" << std::hex << flags << std::dec << " rotated " << rotation;
            }
    }
    // A hand with an empty slot is a lousy hand, whatever the other four are.
    PutHand(hand, set, ParseHand("4S 4H 4D 4C *"), 0);
    for (int empty = 0; empty < HAND_SLOTS; ++empty) {
        cIMGCard* keep = std::exchange(hand.items[empty], nullptr);
        EXPECT_EQ(hand.Evaluate(), HAND_LOUSY) << "slot " << empty;
        hand.items[empty] = keep;
    }
    std::fill(hand.items, hand.items + HAND_SLOTS, nullptr);
}

TEST(HandEvaluation, NamesFollowTheRankCodes) {
    const char* const names[HAND_RANKS] = {"Lousy Hand", "Pair", "Two Pairs", "Three of Kind", "Straight", "Flush",
                                           "Full House", "Four of Kind", "Five of Kind", "Straight Flush", "Royal Flush"};
    for (int code = 0; code < HAND_RANKS; ++code) EXPECT_STREQ(HandNames[code], names[code]) << code;
}

// An independent reference: the categories the natural cards plus wild jokers can form.

struct Natural { int value, suit; };

unsigned Achievable(const Natural* cards, int n, int jokers) {
    int counts[13] = {};
    unsigned valueMask = 0;
    bool oneSuit = true;
    for (int i = 0; i < n; ++i) {
        ++counts[cards[i].value];
        valueMask |= 1u << cards[i].value;
        if (cards[i].suit != cards[0].suit) oneSuit = false;
    }
    int groups[13];  // sizes of the value groups, largest first
    std::copy(counts, counts + 13, groups);
    std::sort(groups, groups + 13, std::greater<>());
    const int first = groups[0], second = groups[1];
    const auto distinctValues = std::count_if(counts, counts + 13, [](int c) { return c > 0; });
    const bool distinct = first <= 1;

    // Five consecutive values as bit masks; the Ace (bit 0) also closes Ten to King.
    const unsigned royalWindow = 0x1E01u;
    bool inSomeWindow = (valueMask & ~royalWindow) == 0;
    for (int low = 0; low <= 8; ++low)
        if ((valueMask & ~(0x1Fu << low)) == 0) inSomeWindow = true;
    const bool straight = distinct && inSomeWindow;
    const bool royal = distinct && oneSuit && (valueMask & ~royalWindow) == 0;

    auto need = [](int have) { return have >= 2 ? 0 : 2 - have; };
    unsigned can = 1u << HAND_LOUSY;
    if (first + jokers >= 2) can |= 1u << HAND_PAIR;
    if (need(first) + need(second) <= jokers) can |= 1u << HAND_TWO_PAIRS;
    if (first + jokers >= 3) can |= 1u << HAND_THREE_OF_KIND;
    if (straight) can |= 1u << HAND_STRAIGHT;
    if (oneSuit && distinct) can |= 1u << HAND_FLUSH;
    if (distinctValues <= 2 && first <= 3) can |= 1u << HAND_FULL_HOUSE;
    if (first + jokers >= 4) can |= 1u << HAND_FOUR_OF_KIND;
    if (distinctValues <= 1) can |= 1u << HAND_FIVE_OF_KIND;
    if (straight && oneSuit) can |= 1u << HAND_STRAIGHT_FLUSH;
    if (royal) can |= 1u << HAND_ROYAL_FLUSH;
    return can;
}

int Best(unsigned can, uint32_t flags, int jokers) {
    if (jokers == 5) return (flags & HAND_FIVE_JOKERS_BEST) ? HAND_ROYAL_FLUSH : HAND_LOUSY;
    int order[] = {HAND_ROYAL_FLUSH, HAND_STRAIGHT_FLUSH, HAND_FIVE_OF_KIND, HAND_FOUR_OF_KIND,
                   HAND_FULL_HOUSE,  HAND_FLUSH,          HAND_STRAIGHT,     HAND_THREE_OF_KIND,
                   HAND_TWO_PAIRS,   HAND_PAIR,           HAND_LOUSY};
    if (flags & HAND_FIVE_KIND_ABOVE_SF) std::swap(order[1], order[2]);
    for (int rank : order)
        if (can & (1u << rank)) return rank;
    return HAND_LOUSY;
}

constexpr long kStride = support::kSanitized ? 7 : 1;  // the sanitized build checks every seventh hand

TEST(HandEvaluation, AgreesWithTheReferenceOnEveryHandUnderEveryPreference) {
    CardSet set;
    cHandPile hand(cPoint(100, 100));
    long checked = 0, index = 0;
    int failures = 0;
    for (int jokers = 0; jokers <= 5 && failures < 20; ++jokers) {
        const int n = 5 - jokers;
        // Every set of n of the 52 ordinary cards, in lexicographic order.
        std::array<int, 5> pick{};
        for (int i = 0; i < n; ++i) pick[i] = i;
        for (;;) {
            if (index++ % kStride == 0) {
                std::array<int, 5> numbers{};
                Natural naturals[5];
                for (int i = 0; i < n; ++i) numbers[i] = pick[i], naturals[i] = {pick[i] % 13, pick[i] / 13};
                for (int i = n; i < 5; ++i) numbers[i] = 52 + static_cast<int>((index + i) % 8);
                // Vary the slots the jokers sit in.
                const int rotation = static_cast<int>(index % 5);
                for (int slot = 0; slot < 5; ++slot) hand.items[slot] = set[numbers[(slot + rotation) % 5]];
                const unsigned can = Achievable(naturals, n, jokers);
                for (uint32_t flags : All) {
                    hand.flags = index % 2 ? flags : flags | 0xFFFFFCFFu;  // other bits change nothing
                    const int got = hand.Evaluate(), want = Best(can, flags, jokers);
                    if (got != want && failures++ < 20)
                        ADD_FAILURE() << ::testing::PrintToString(numbers) << " flags 0x" << std::hex << flags << std::dec
                                      << ": ranked " << got << " (" << HandNames[got] << "), reference " << want
                                      << " (" << HandNames[want] << ")";
                }
                ++checked;
            }
            // Next combination.
            int i = n - 1;
            while (i >= 0 && pick[i] == 52 - n + i) --i;
            if (i < 0) break;
            ++pick[i];
            for (int k = i + 1; k < n; ++k) pick[k] = pick[k - 1] + 1;
        }
    }
    std::fill(hand.items, hand.items + HAND_SLOTS, nullptr);
    // 2598960 + 270725 + 22100 + 1326 + 52 + 1 multisets in all.
    EXPECT_EQ(index, 2893164);
    EXPECT_GE(checked, index / kStride);
}

}  // namespace
