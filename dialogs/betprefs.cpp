// The bet preferences dialog: two one-digit fields and the bet they make.
#include "dialogs/betprefs.h"

#include <algorithm>

#include "game/game.h"
#include "toolkit/globals.h"

const cButton cPrefsBetGadgets::PrefsBetButtons[] = {
    {103, 15, 100, 80, 20, "OK"},
    {104, 285, 100, 80, 20, "Cancel"},
    {0, 0, 0, 0, 0, nullptr},
};

const cStringGadget cPrefsBetGadgets::PrefsBetStringGads[] = {
    {201, 130, 30, 30, 12, 1, "_Changes:", "1"},
    {202, 130, 50, 30, 12, 1, "_Jokers:", "2"},
    {0, 0, 0, 0, 0, 0, nullptr, nullptr},
};

namespace {
constexpr int kChangesLow = 1, kChangesHigh = 3;
constexpr int kJokersLow = 0, kJokersHigh = 8;
}  // namespace

int cPrefsBetGadgets::DigitValue(const Gadget* field) {
    const auto* info = field ? static_cast<const StringInfo*>(field->SpecialInfo) : nullptr;
    if (!info || !info->Buffer) return -'0';
    // Characters are taken unsigned, so every letter lies above the digits.
    return static_cast<unsigned char>(info->Buffer[0]) - '0';
}

void cPrefsBetGadgets::SetField(Gadget* field, int digit) {
    auto* info = field ? static_cast<StringInfo*>(field->SpecialInfo) : nullptr;
    if (!info || !info->Buffer) return;
    info->Buffer[0] = static_cast<char>('0' + digit);
    info->Buffer[1] = '\0';
    info->BufferPos = 0;
    info->DispPos = 0;
    RefreshGList(field, window, nullptr, 1);
}

void cPrefsBetGadgets::CheckField(Gadget* field, int low, int high) {
    SetField(field, std::clamp(DigitValue(field), low, high));
    // The other field may still hold an unchecked character: it counts as OK will store it.
    betLabel.value = std::clamp(DigitValue(changesGadget), kChangesLow, kChangesHigh) +
                     std::clamp(DigitValue(jokersGadget), kJokersLow, kJokersHigh);
    betLabel.Update(window->RPort);
}

int cPrefsBetGadgets::GadgetOK() {
    // A field may still hold an unchecked character; the game only ever gets values in range.
    if (changesGadget) game->changes = std::clamp(DigitValue(changesGadget), kChangesLow, kChangesHigh);
    if (jokersGadget) game->jokers = std::clamp(DigitValue(jokersGadget), kJokersLow, kJokersHigh);
    return -1;
}

int cPrefsBetGadgets::IDCMP(const IntuiMessage* msg) {
    switch (msg->Class) {
        case IDCMP_GADGETUP: {
            const auto* gadget = static_cast<const Gadget*>(msg->IAddress);
            switch (gadget ? gadget->GadgetID : 0) {
                case 104: return -1;
                case 103: return GadgetOK();
                case 201: CheckField(changesGadget, kChangesLow, kChangesHigh); return 1;
                case 202: CheckField(jokersGadget, kJokersLow, kJokersHigh); return 1;
                default: return 1;
            }
        }
        case IDCMP_REFRESHWINDOW:
            return Refresh();
        case IDCMP_VANILLAKEY:
            switch (msg->Code) {
                case 27:
                    return -1;
                case 10:
                case 13:
                    return GadgetOK();
                case 9:
                case 'C':
                case 'c':
                    if (changesGadget) ActivateGadget(changesGadget, window, nullptr);
                    return 1;
                case 'J':
                case 'j':
                    if (jokersGadget) ActivateGadget(jokersGadget, window, nullptr);
                    return 1;
                default:
                    return 0;
            }
        default:
            return 0;
    }
}

void TPrefsBetDialog::Execute() {
    Screen* screen = parent->WScreen;
    Window* w = OpenFramedWindow("Bet Preferences", screen, parent->LeftEdge + 100, parent->TopEdge + 50, 390,
                                 screen->WBorTop + screen->Font->ta_YSize + 131, DIALOG_IDCMP);
    if (!w) return;

    RastPort* rp = w->RPort;
    SetFont(rp, TEXTFONT);
    Move(rp, w->BorderLeft + 200, w->BorderTop + 47);
    SetAPen(rp, pens[1]);
    SetDrMd(rp, JAM1);
    Text(rp, "Bet:", 4);

    {
        cPrefsBetGadgets gadgets;
        gadgets.Begin(w);
        gadgets.game = game;
        gadgets.betLabel = TIntLabel(w->BorderLeft + 240, w->BorderTop + 39, 28, 12, 2, game->changes + game->jokers, w);
        gadgets.betLabel.Update(rp);

        gadgets.AddButtons(cPrefsBetGadgets::PrefsBetButtons);
        gadgets.changesGadget = gadgets.AddStringGadget(cPrefsBetGadgets::PrefsBetStringGads[0]);
        gadgets.jokersGadget = gadgets.AddStringGadget(cPrefsBetGadgets::PrefsBetStringGads[1]);
        AddGList(w, gadgets.gadgetList, 0, -1, nullptr);
        RefreshGList(gadgets.gadgetList, w, nullptr, -1);

        gadgets.SetField(gadgets.changesGadget, game->changes);
        gadgets.SetField(gadgets.jokersGadget, game->jokers);
        GT_RefreshWindow(w, nullptr);

        ModalLoop(w, gadgets);
        CloseWindow(w);
    }
}
