// The hand: five fixed slots of face-up cards, ranked by EvaluateHand (game/handeval.cpp).
#include "game/handpile.h"

cHandPile::cHandPile(const cPoint& position_) : cCardPile(HAND_SLOTS, position_) {}

cHandPile::~cHandPile() = default;

cIMGCard* cHandPile::Deal() {
    for (int i = 0; i < capacity; ++i) {
        cIMGCard* card = items[i];
        if (card != nullptr && card->turned) {
            items[i] = nullptr;
            return card;
        }
    }
    return nullptr;
}

cIMGCard* cHandPile::Remove(int i) {
    if (static_cast<unsigned>(i) >= static_cast<unsigned>(capacity)) return nullptr;
    cIMGCard* card = items[i];
    if (card == nullptr || !card->turned) return nullptr;
    items[i] = nullptr;
    return card;
}

void cHandPile::Insert(cIMGCard* card) {
    if (card == nullptr) return;
    for (int i = 0; i < capacity; ++i) {
        if (items[i] != nullptr) continue;
        card->selectable = 1;
        items[i] = card;
        card->turned = 0;
        card->UpdatePicture();
        card->MoveTo(cPoint(position.x + HAND_SLOT_STEP * i, position.y));
        card->Show();
        return;
    }
}

void cHandPile::Insert(cCardPile&) {}

bool cHandPile::Can_Insert() const {
    for (int i = 0; i < capacity; ++i)
        if (items[i] == nullptr) return true;
    return false;
}

bool cHandPile::Can_Insert(cIMGCard*) const { return Can_Insert(); }

void cHandPile::TurnAll() {
    for (int i = 0; i < capacity; ++i) {
        if (items[i] == nullptr) continue;
        items[i]->turned = 1;
        items[i]->UpdatePicture();
    }
}

void cHandPile::FreezeAll() {
    for (int i = 0; i < capacity; ++i)
        if (items[i] != nullptr) items[i]->selectable = 0;
}

int cHandPile::Evaluate() const {
    if (capacity < HAND_SLOTS) return HAND_LOUSY;
    int32_t suits[HAND_SLOTS];
    int32_t values[HAND_SLOTS];
    for (int i = 0; i < HAND_SLOTS; ++i) {
        const cIMGCard* card = items[i];
        if (card == nullptr) return HAND_LOUSY;
        suits[i] = card->Suit_as_Int();
        values[i] = card->value;
    }
    return EvaluateHand(suits, values, flags);
}
