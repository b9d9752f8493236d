// The deck, which can be shuffled, and the junk pile of discards.
#pragma once
#include "game/cardpile.h"

class cDealPile : public cCardPile {
public:
    cDealPile(int capacity_, const cPoint& position_) : cCardPile(capacity_, position_) {}
    ~cDealPile() override;
    // 2 x capacity exchanges of two rand() indices below count; an empty pile stays as it is.
    void Shuffle();
};

class cJunkPile : public cCardPile {
public:
    cJunkPile(int capacity_, const cPoint& position_) : cCardPile(capacity_, position_) {}
    ~cJunkPile() override;
};
