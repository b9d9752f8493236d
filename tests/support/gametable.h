// The main window as the program opens and first draws it, on a fresh virtual screen, with the
// font, the pens and the built card sheet, for tests that drive the game object and its dialogs.
#pragma once
#include <intuition.h>

#include <memory>
#include <vector>

class cGamePoker;
namespace support {
class ScreenSheet;
}

struct GameTable {
    Screen* screen = nullptr;
    Window* window = nullptr;
    BitMap* sheet = nullptr;
    std::unique_ptr<support::ScreenSheet> loaded;  // the built default sheet, remapped

    // Fresh virtual display, TEXTFONT, the main window, sheet and pens; throws when the built
    // card sheet cannot be loaded, rather than letting every picture test compare blanks.
    GameTable();
    ~GameTable();
    GameTable(const GameTable&) = delete;
    GameTable& operator=(const GameTable&) = delete;

    std::unique_ptr<cGamePoker> MakeGame(unsigned flags = 0, int jokers = 3, int changes = 1, int doubleUp = 0);
};

// Puts the given card numbers on top of the deck so that they are dealt in this order.
void StackDeck(cGamePoker& game, const std::vector<int>& dealOrder);
// Numbers of the cards a pile holds, in pile order (the hand: slot order, -1 for empty).
std::vector<int> PileCards(cGamePoker& game, int which);  // 0 deck, 1 junk, 2 hand
// The card number of a card image (its suit and value).
int CardNumber(const class cIMGCard* card);
// The pen of a pixel of a planar bitmap; -1 outside.
int SheetPixel(const BitMap* sheet, int x, int y);
// Whether the window shows the sheet's block at (sx, sy) at (wx, wy) of its raster.
bool ShowsBlock(Window* w, int wx, int wy, const BitMap* sheet, int sx, int sy, int width = 71, int height = 96);
