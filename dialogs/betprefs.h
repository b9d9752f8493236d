// The bet preferences dialog: changes per game and jokers in the deck.
#pragma once
#include <intuition.h>

#include "toolkit/IntLabel.h"
#include "toolkit/gtgadgets.h"

class cGamePoker;

class TPrefsBetDialog {
public:
    Window* parent;     // the main window
    cGamePoker* game;   // whose changes and jokers are shown and, on OK, changed

    TPrefsBetDialog(Window* parent_, cGamePoker* game_) : parent(parent_), game(game_) {}

    void Execute();
};

class cPrefsBetGadgets : public cGTGadgets {
public:
    Gadget* changesGadget = nullptr;
    Gadget* jokersGadget = nullptr;
    cGamePoker* game = nullptr;
    TIntLabel betLabel;

    static const cButton PrefsBetButtons[];
    static const cStringGadget PrefsBetStringGads[];

    cPrefsBetGadgets() = default;
    int IDCMP(const IntuiMessage* msg) override;
    ~cPrefsBetGadgets() override = default;

    // Stores both fields, each brought into its range, in the game; returns -1.
    int GadgetOK();
    // Brings a field into its range, shows the result and updates the bet label.
    void CheckField(Gadget* field, int low, int high);
    // The field's first character minus '0' (an empty field gives a negative value).
    static int DigitValue(const Gadget* field);
    // Writes one digit into a field and redraws it.
    void SetField(Gadget* field, int digit);
};
