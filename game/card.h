// Cards, their pictures in the card sheet, and the card image shown in a window.
#pragma once
#include <cstdint>

#include "graphics/image.h"

// Geometry of the card sheet: every picture is a 71 x 96 block.
enum {
    CARD_WIDTH = 71,
    CARD_HEIGHT = 96,
    CARD_COUNT = 60,   // card numbers 0..59: 52 ordinary cards, then eight jokers
    JOKER_SUIT = 4,
    CARD_BACK_X = 284,  // column 4 of row 4
    CARD_BACK_Y = 384,
};

class cCard {
public:
    int32_t suit = 0;   // 0..3, or 4 for the joker
    int32_t value = 0;  // 0 Ace, 1 Two, ..., 9 Ten, 10 Jack, 11 Queen, 12 King

    cCard() = default;
    explicit cCard(int n) { Set(n); }
    // From a card number: suit n / 13 (4 unless 0..3), value n mod 13.
    void Set(int n);
    // 0..3, or 4 for anything else: the picture's row in the sheet.
    int Suit_as_Int() const;
};

// A card in play: its value and its picture in a window.
class cIMGCard final : public cImage, public cCard {
public:
    int turned = 0;      // nonzero: shows its back
    int selectable = 0;  // nonzero: a click turns it over

    // At `position` inside the window's border; invisible, face picture selected. A null
    // window is allowed (nothing is ever drawn).
    cIMGCard(Window* window_, BitMap* sheet, const cPoint& position_, const cCard& card);

    // Selects the back or the face block and draws it if visible.
    void UpdatePicture();
    void Clicked() override;
};

// Offers m to cards[0] .. cards[59] in order; the first nonzero answer, or 0.
int IDCMP(const IntuiMessage* m, cIMGCard* const* cards);
