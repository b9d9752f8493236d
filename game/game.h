// The game: money, bet, the 60 cards, the three piles and every player command.
#pragma once
#include <intuition.h>

#include "app/filereq.h"
#include "dialogs/requester.h"
#include "game/card.h"
#include "game/dealpile.h"
#include "game/handpile.h"
#include "toolkit/IntLabel.h"

// Prize by hand rank code; row 1 when five of a kind ranks above a straight flush.
extern const int32_t Winnings[2][11];

// Money is a signed 32-bit value that never wraps: credits stop here.
constexpr int32_t MaxMoney = 2147483647;

class cGamePoker {
public:
    Window* window;      // the main window, parent of every requester and dialog
    BitMap* cardSheet;   // the loaded and remapped card sheet
    cDealPile deck;
    cJunkPile junk;      // discards of the running game
    cHandPile hand;      // its flags hold the two evaluation preferences
    int32_t jokers;      // jokers in the deck, 0..8
    int32_t changes;     // exchanges allowed per game, 1..3
    int32_t phase;       // -1: no game running; else exchanges made so far
    int32_t doubleUp;    // nonzero: a win goes to the double-up game
    cIMGCard* cards[60];
    TIntLabel moneyLabel;  // its value is the money
    cFileReq fileReq;
    cRequester handRequester;

    // Seeds the random generator once, draws the money label (0), makes the cards and
    // lays out the piles. handFlags: bit 0x200 five jokers best, 0x100 five of a kind high.
    cGamePoker(Window* w, BitMap* sheet, uint32_t handFlags, int32_t jokers_, int32_t changes_,
               int32_t doubleUp_);
    cGamePoker(const cGamePoker&) = delete;
    cGamePoker& operator=(const cGamePoker&) = delete;
    virtual ~cGamePoker();

    void CreateCards();
    void DeleteCards();
    // Empties the piles and puts cards 0 .. 51 + jokers into the deck in number order.
    void InitPiles();

    void GadgetFinish();   // Draw: deal, exchange, or end and pay
    void GadgetShuffle();  // only between games
    void GadgetBet();

    void MenuPrefsBet();
    void MenuPrefsHand();
    void MenuNew();
    void MenuSave();
    void MenuOld(MenuItem* doubleItem);
    void MenuAbout();
    void MenuHelp();

    void ShowHandEvaluation(int code);

    // The money, kept in the label; every change is drawn at once.
    int32_t Money() const { return moneyLabel.value; }
    void SetMoney(int32_t money);
    // Adds amount (>= 0) to the money, stopping at MaxMoney.
    void Credit(int32_t amount);

private:
    // Ends a running game without refund: discards and hand go back into the deck.
    void GatherCards();
};
