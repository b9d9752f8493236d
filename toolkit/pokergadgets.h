// The main window's button panel: Shuffle, Draw and Bet Prefs, and the window's keys.
#pragma once
#include "toolkit/gtgadgets.h"

class cGamePoker;

class cPokerGadgets : public cGTGadgets {
public:
    cGamePoker* game = nullptr;

    static const cButton PokerButtons[];

    cPokerGadgets() = default;
    // Builds the panel on the window (context, visual info, the buttons, attached and drawn).
    cPokerGadgets(Window* w, cGamePoker* g);

    int IDCMP(const IntuiMessage* msg) override;
    ~cPokerGadgets() override = default;

private:
    // Draw: reply first, then the game may run its requesters; input made meanwhile is dropped.
    int Finish(const IntuiMessage* msg);
};
