// A pile of cards: holds pointers to the game's card images, shows its bottom card.
#pragma once
#include <cstdint>

#include "game/card.h"
#include "toolkit/IDCMP.h"

class cCardPile {
public:
    cIMGCard** items = nullptr;  // owned array of `capacity` pointers; the cards are not owned
    int32_t count = 0;           // cards held in items[0 .. count-1]; the last is the top
    int32_t capacity = 0;        // 0 when the array could not be allocated
    cPoint position;             // where the pile is drawn, window coordinates

    cCardPile(int capacity_, const cPoint& position_);
    cCardPile(const cCardPile&) = delete;
    cCardPile& operator=(const cCardPile&) = delete;
    virtual ~cCardPile();

    // The top card, taken off the pile; null when empty.
    virtual cIMGCard* Deal();
    // The card at index i, taken off (the top card fills its place); null for a bad index.
    virtual cIMGCard* Remove(int i);
    // On top, face down, not selectable; the pile shows only its bottom card.
    virtual void Insert(cIMGCard* card);
    // Every card the other pile's Deal() yields, in that order.
    virtual void Insert(cCardPile& other);
    // Forgets the cards; neither they nor the display change.
    virtual void Erase();
    virtual bool Can_Insert() const;
    virtual bool Can_Insert(cIMGCard* card) const;
};
