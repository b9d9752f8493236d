// The hand: five fixed slots of face-up cards, and its ranking with jokers wild.
#pragma once
#include <cstdint>

#include "game/cardpile.h"

// Bits of cHandPile::flags.
constexpr uint32_t HAND_FIVE_JOKERS_BEST = 0x200;  // five jokers rank as a Royal Flush
constexpr uint32_t HAND_FIVE_KIND_ABOVE_SF = 0x100;  // five of a kind beats a straight flush

// Hand rank codes, as Evaluate() returns them.
enum {
    HAND_LOUSY = 0,
    HAND_PAIR = 1,
    HAND_TWO_PAIRS = 2,
    HAND_THREE_OF_KIND = 3,
    HAND_STRAIGHT = 4,
    HAND_FLUSH = 5,
    HAND_FULL_HOUSE = 6,
    HAND_FOUR_OF_KIND = 7,
    HAND_FIVE_OF_KIND = 8,
    HAND_STRAIGHT_FLUSH = 9,
    HAND_ROYAL_FLUSH = 10,
    HAND_RANKS = 11,
};

// The names shown to the player, by rank code.
extern const char* const HandNames[HAND_RANKS];

enum { HAND_SLOTS = 5, HAND_SLOT_STEP = 81 };

class cHandPile : public cCardPile {
public:
    uint32_t flags = 0;  // HAND_FIVE_JOKERS_BEST, HAND_FIVE_KIND_ABOVE_SF

    // Five empty slots; slot i is drawn at position + (81 i, 0).
    explicit cHandPile(const cPoint& position_);
    ~cHandPile() override;

    // The first turned card, its slot emptied; null if none is turned.
    cIMGCard* Deal() override;
    // The card of slot i if it is turned, its slot emptied; otherwise null.
    cIMGCard* Remove(int i) override;
    // Into the lowest empty slot, face up, selectable and shown; a full hand ignores it.
    void Insert(cIMGCard* card) override;
    // The hand is filled one card at a time: does nothing.
    void Insert(cCardPile& other) override;
    bool Can_Insert() const override;
    bool Can_Insert(cIMGCard* card) const override;

    // Every card shows its back (so Deal() yields them all).
    void TurnAll();
    // No card can be flipped any more.
    void FreezeAll();
    // The rank code 0..10 of a full hand; a hand with an empty slot is a Lousy Hand.
    int Evaluate() const;
};

// The ranking itself, over five cards given as suits and values: a suit outside 0..3 is a
// joker. cHandPile::Evaluate and the odds tool both rank through it.
int EvaluateHand(const int32_t* suits, const int32_t* values, uint32_t flags);
