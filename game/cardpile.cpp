// A pile of cards: holds pointers to the game's card images, shows its bottom card.
#include "game/cardpile.h"

#include <new>

cCardPile::cCardPile(int capacity_, const cPoint& position_) : position(position_) {
    if (capacity_ > 0) {
        items = new (std::nothrow) cIMGCard*[capacity_]();
        // Without its array the pile holds nothing but still places cards.
        capacity = items != nullptr ? capacity_ : 0;
    }
}

cCardPile::~cCardPile() { delete[] items; }

cIMGCard* cCardPile::Deal() {
    if (count <= 0) return nullptr;
    --count;
    cIMGCard* card = items[count];
    items[count] = nullptr;
    return card;
}

cIMGCard* cCardPile::Remove(int i) {
    if (i < 0 || i >= count) return nullptr;
    cIMGCard* card = items[i];
    --count;
    items[i] = items[count];
    items[count] = nullptr;
    return card;
}

void cCardPile::Insert(cIMGCard* card) {
    if (card == nullptr) return;
    if (count < capacity) items[count++] = card;
    card->selectable = 0;
    card->turned = 1;
    card->UpdatePicture();
    card->MoveTo(position);
    if (count > 0) {
        card->Hide();
        items[0]->Show();
    }
}

void cCardPile::Insert(cCardPile& other) {
    // Draining itself would never end: the dealt card goes straight back on top.
    if (&other == this) return;
    while (cIMGCard* card = other.Deal()) Insert(card);
}

void cCardPile::Erase() { count = 0; }

bool cCardPile::Can_Insert() const { return count < capacity; }

bool cCardPile::Can_Insert(cIMGCard*) const { return Can_Insert(); }
