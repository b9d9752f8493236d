// The hand evaluation preferences dialog: how five jokers and five of a kind rank.
#pragma once
#include <intuition.h>

#include "toolkit/gtgadgets.h"
#include "toolkit/radiogroup.h"

class cHandPile;

class TPrefsHandDialog {
public:
    Window* parent;   // the main window; the dialog opens on its screen, placed relative to it
    cHandPile* hand;  // whose flags are shown and, on OK, changed

    TPrefsHandDialog(Window* parent_, cHandPile* hand_) : parent(parent_), hand(hand_) {}

    void Execute();
};

class cPrefsHandGadgets : public cGTGadgets {
public:
    cHandPile* hand = nullptr;
    cRadioGroup jokersGroup;
    cRadioGroup fiveKindGroup;

    static const cButton PrefsHandButtons[];

    int IDCMP(const IntuiMessage* msg) override;
    ~cPrefsHandGadgets() override;

    // Writes both selections into the hand's flags; returns -1 (close).
    int GadgetOK();
};
