// The double-up game: a win is staked on the next card being small or big.
#pragma once
#include <intuition.h>

#include "toolkit/gtgadgets.h"

class cGamePoker;
class cIMGCard;

class TDoubleDialog {
public:
    Window* window;    // the main window; the dialog opens on its screen
    cGamePoker* game;  // receives the pot; gives the jokers in play and the card sheet
    long pot;          // the win being risked

    TDoubleDialog(Window* w, cGamePoker* g, long pot_) : window(w), game(g), pot(pot_) {}

    // Runs the whole game; the money changes only when the pot is taken.
    void Execute();
    // The dialog's window with its felt, placed by the main window; nullptr when it will not open.
    Window* Open() const;
};

class cDoubleGadgets : public cGTGadgets {
public:
    cGamePoker* game = nullptr;
    cIMGCard* card = nullptr;  // the card shown; owned
    long pot = 0;
    // Set once the game has ended (pot lost, taken or forfeited): messages still queued
    // behind the one that ended it leave the money alone.
    bool finished = false;

    static const cButton DoubleButtons[];

    cDoubleGadgets() = default;
    int IDCMP(const IntuiMessage* msg) override;
    ~cDoubleGadgets() override;

    // 1 after a right guess (a new card is dealt), -1 after a wrong one.
    int GadgetSmall();
    int GadgetBig();
    // Adds the pot to the game's money, once; returns -1.
    int TakePot();
    // A fresh card from the full set in play, face down and shown.
    void DealCard();
    // Everything the dialog shows in its window: the buttons, a card dealt face down, the question.
    void SetUp(Window* dialog, cGamePoker* game, long pot);

private:
    int Guess(bool big);
    int Handle(const IntuiMessage* msg);
};

// Whether a guess on a card wins: jokers win both ways, a seven loses both ways.
bool DoubleWins(int suit, int value, bool big);
