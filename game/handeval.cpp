// The ranking of five cards with jokers wild, the names of the ranks and their prizes: all
// the rules of a hand, apart from any window, so that the odds tool links only this.
#include "game/game.h"
#include "game/handpile.h"

#include <algorithm>

const int32_t Winnings[2][11] = {
    {0, 0, 5, 10, 20, 30, 40, 80, 140, 160, 320},
    {0, 0, 5, 10, 20, 30, 40, 80, 180, 160, 320},
};

const char* const HandNames[HAND_RANKS] = {
    "Lousy Hand", "Pair",       "Two Pairs",    "Three of Kind",  "Straight",    "Flush",
    "Full House", "Four of Kind", "Five of Kind", "Straight Flush", "Royal Flush",
};

int EvaluateHand(const int32_t* handSuits, const int32_t* handValues, uint32_t flags) {
    // The cards that are not jokers; every joker is wild.
    int values[HAND_SLOTS];
    int suits[HAND_SLOTS];
    int n = 0;
    for (int i = 0; i < HAND_SLOTS; ++i) {
        if (handSuits[i] < 0 || handSuits[i] >= JOKER_SUIT) continue;
        values[n] = handValues[i];
        suits[n] = handSuits[i];
        ++n;
    }
    const int jokers = HAND_SLOTS - n;

    if (n == 0) return (flags & HAND_FIVE_JOKERS_BEST) ? HAND_ROYAL_FLUSH : HAND_LOUSY;

    // Sort by value, lowest first, suits along.
    for (int i = 1; i < n; ++i) {
        for (int j = i; j > 0 && values[j - 1] > values[j]; --j) {
            std::swap(values[j - 1], values[j]);
            std::swap(suits[j - 1], suits[j]);
        }
    }

    if (n == 1) {
        // Four jokers make both five of a kind and a straight flush; Ace and Ten to King a
        // royal one.
        if (values[0] == 0 || values[0] > 8) return HAND_ROYAL_FLUSH;
        return (flags & HAND_FIVE_KIND_ABOVE_SF) ? HAND_FIVE_OF_KIND : HAND_STRAIGHT_FLUSH;
    }

    // The two largest groups of equal values.
    int g1 = 1, g2 = 1;
    for (int i = 0; i < n;) {
        int j = i;
        while (j < n && values[j] == values[i]) ++j;
        const int size = j - i;
        if (size > g1) {
            g2 = g1;
            g1 = size;
        } else if (size > g2) {
            g2 = size;
        }
        i = j;
    }

    if (g1 == 1) {
        int s = 0;
        bool suited = true;
        for (int i = 1; i < n; ++i)
            if (suits[i] != suits[0]) suited = false;
        if (suited) s += HAND_FLUSH;
        // Jokers fill the gaps; the Ace counts high only above Ten to King.
        if (values[n - 1] - values[0] <= 4 || (values[0] == 0 && values[1] > 8)) s += HAND_STRAIGHT;

        if (n == 2 && s != HAND_STRAIGHT_FLUSH) return HAND_FOUR_OF_KIND;
        if (s == HAND_STRAIGHT_FLUSH) {
            if (values[0] == 0) return values[1] > 8 ? HAND_ROYAL_FLUSH : HAND_STRAIGHT_FLUSH;
            return values[0] > 8 ? HAND_ROYAL_FLUSH : HAND_STRAIGHT_FLUSH;
        }
        if (s == HAND_STRAIGHT || s == HAND_FLUSH) return s;
    }

    switch (g1 + jokers) {
        case 5: return HAND_FIVE_OF_KIND;
        case 4: return HAND_FOUR_OF_KIND;
        case 3: return g2 == 2 ? HAND_FULL_HOUSE : HAND_THREE_OF_KIND;
        case 2: return g2 == 2 ? HAND_TWO_PAIRS : HAND_PAIR;
        default: return HAND_LOUSY;
    }
}
