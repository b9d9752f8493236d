// Cards, their pictures in the card sheet, and the card image shown in a window.
#include "game/card.h"

void cCard::Set(int n) {
    // A negative number is no ordinary card either; its value stays a picture column.
    suit = (n >= 0 && n / 13 <= 3) ? n / 13 : JOKER_SUIT;
    value = ((n % 13) + 13) % 13;
}

int cCard::Suit_as_Int() const { return (suit >= 0 && suit <= 3) ? suit : JOKER_SUIT; }

namespace {
cRectangle CardRect(Window* window, const cPoint& position) {
    const int32_t left = window != nullptr ? window->BorderLeft : 0;
    const int32_t top = window != nullptr ? window->BorderTop : 0;
    return cRectangle(left + position.x, top + position.y, CARD_WIDTH, CARD_HEIGHT);
}
}  // namespace

cIMGCard::cIMGCard(Window* window_, BitMap* sheet, const cPoint& position_, const cCard& card)
    : cImage(window_, sheet, CardRect(window_, position_), cPoint(0, 0)), cCard(card) {
    UpdatePicture();
}

void cIMGCard::UpdatePicture() {
    if (turned) {
        source = cPoint(CARD_BACK_X, CARD_BACK_Y);
    } else {
        const int row = Suit_as_Int();
        int column = value;
        // Jokers 2 to 7 share the third joker picture.
        if (row == JOKER_SUIT && column > 2) column = 2;
        source = cPoint(CARD_WIDTH * column, CARD_HEIGHT * row);
    }
    Draw();
}

void cIMGCard::Clicked() {
    if (!selectable) return;
    turned = turned ? 0 : 1;
    UpdatePicture();
}

int IDCMP(const IntuiMessage* m, cIMGCard* const* cards) {
    if (cards == nullptr) return 0;
    for (int i = 0; i < CARD_COUNT; ++i) {
        if (cards[i] == nullptr) continue;
        if (const int r = cards[i]->IDCMP(m)) return r;
    }
    return 0;
}
