// The deck, which can be shuffled, and the junk pile of discards.
#include "game/dealpile.h"

#include <cstdlib>

cDealPile::~cDealPile() = default;

void cDealPile::Shuffle() {
    // rand() % 0 would divide by zero: an empty deck has nothing to shuffle.
    if (count <= 0) return;
    items[0]->Hide();
    for (int n = 0; n < 2 * capacity; ++n) {
        const int i = std::rand() % count;
        const int j = std::rand() % count;
        cIMGCard* t = items[i];
        items[i] = items[j];
        items[j] = t;
    }
    items[0]->Show();
}

cJunkPile::~cJunkPile() = default;
