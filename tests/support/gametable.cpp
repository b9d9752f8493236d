// The main window as the program opens and first draws it, for tests of the game object and its
// dialogs.
#include "support/gametable.h"

#include <graphics.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "app/poker.h"
#include "game/game.h"
#include "host/host.h"
#include "support/cardsheet.h"
#include "toolkit/globals.h"

namespace {

const TextAttr kTopaz = {"topaz.font", 8, 0, 0};

int IndexOf(const cGamePoker& game, const cIMGCard* card) {
    for (int n = 0; n < 60; ++n)
        if (game.cards[n] == card) return n;
    return -1;
}

}  // namespace

GameTable::GameTable() {
    host::UseVirtualDisplay();
    TEXTFONT = OpenFont(&kTopaz);
    screen = LockPubScreen(nullptr);
    if (!screen || !TEXTFONT) throw std::runtime_error("no virtual screen or font");
    window = OpenMainWindow(screen);
    if (!window) throw std::runtime_error("main window did not open");
    DrawWaitingText(window);

    loaded = std::make_unique<support::ScreenSheet>(screen);
    if (!loaded->ok())
        throw std::runtime_error(std::string("the card sheet ") + support::DefaultSheetPath() +
                                 " did not load (result " + std::to_string(loaded->result()) +
                                 "): build the cardsheet_file target");
    sheet = loaded->bitMap();
    for (int i = 0; i < 256; ++i) gfxpens[i] = loaded->pens()[i];
    ColorMap* cm = screen->ViewPort.ColorMap;
    pens[0] = static_cast<unsigned char>(ObtainBestPen(cm, 0xACACACAC, 0xACACACAC, 0xACACACAC, OBP_Precision,
                                                       PRECISION_EXACT, TAG_DONE));
    pens[1] = static_cast<unsigned char>(ObtainBestPen(cm, 0, 0, 0, OBP_Precision, PRECISION_EXACT, TAG_DONE));
    DrawMainBackground(window);
}

GameTable::~GameTable() {
    if (window) CloseWindow(window);
    loaded.reset();
    if (screen) UnlockPubScreen(nullptr, screen);
    if (TEXTFONT) CloseFont(TEXTFONT);
    TEXTFONT = nullptr;
}

std::unique_ptr<cGamePoker> GameTable::MakeGame(unsigned flags, int jokers, int changes, int doubleUp) {
    return std::make_unique<cGamePoker>(window, sheet, flags, jokers, changes, doubleUp);
}

void StackDeck(cGamePoker& game, const std::vector<int>& dealOrder) {
    cDealPile& deck = game.deck;
    int top = deck.count - 1;
    for (int number : dealOrder) {
        auto* begin = deck.items;
        auto* end = deck.items + deck.count;
        auto* at = std::find(begin, end, game.cards[number]);
        if (at == end) throw std::runtime_error("card not in the deck");
        std::swap(*at, deck.items[top]);
        --top;
    }
    // The deck shows its bottom card only, as its own operations keep it.
    for (int i = 0; i < deck.count; ++i) deck.items[i]->Hide();
    if (deck.count > 0) deck.items[0]->Show();
}

int CardNumber(const cIMGCard* card) { return card ? card->suit * 13 + card->value : -1; }

std::vector<int> PileCards(cGamePoker& game, int which) {
    std::vector<int> out;
    if (which == 2) {
        for (int i = 0; i < game.hand.capacity; ++i) out.push_back(IndexOf(game, game.hand.items[i]));
        return out;
    }
    const cCardPile& pile = which == 0 ? static_cast<const cCardPile&>(game.deck) : game.junk;
    for (int i = 0; i < pile.count; ++i) out.push_back(IndexOf(game, pile.items[i]));
    return out;
}

int SheetPixel(const BitMap* sheet, int x, int y) {
    if (!sheet || x < 0 || y < 0 || y >= sheet->Rows || x >= sheet->BytesPerRow * 8) return -1;
    int pen = 0;
    for (int p = 0; p < sheet->Depth; ++p)
        if (sheet->Planes[p] && (sheet->Planes[p][y * sheet->BytesPerRow + x / 8] & (0x80 >> (x % 8)))) pen |= 1 << p;
    return pen;
}

bool ShowsBlock(Window* w, int wx, int wy, const BitMap* sheet, int sx, int sy, int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (host::WindowPixel(w, wx + x, wy + y) != SheetPixel(sheet, sx + x, sy + y)) return false;
    return true;
}
