// The double-up game: small or big, the pot doubled on every right guess.
#include "game/double.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "dialogs/requester.h"
#include "game/card.h"
#include "game/game.h"
#include "toolkit/globals.h"

const cButton cDoubleGadgets::DoubleButtons[] = {
    {103, 50, 149, 100, 14, "Don\xB4t Double"},
    {105, 40, 130, 50, 14, "_Small"},
    {106, 110, 130, 50, 14, "_Big"},
    {0, 0, 0, 0, 0, nullptr},
};

bool DoubleWins(int suit, int value, bool big) {
    if (suit == JOKER_SUIT) return true;
    if (value == 6) return false;
    return big ? value > 6 : value < 6;
}

cDoubleGadgets::~cDoubleGadgets() {
    delete card;
    card = nullptr;
}

void cDoubleGadgets::DealCard() {
    const int inPlay = 52 + std::clamp<int32_t>(game->jokers, 0, 8);
    cCard value;
    value.Set(std::rand() % inPlay);
    auto* next = new cIMGCard(window, game->cardSheet, cPoint(65, 30), value);
    next->turned = 1;
    next->UpdatePicture();
    // The new card covers the old one's place, so the old one is not erased first.
    delete card;
    card = next;
    card->Show();
}

int cDoubleGadgets::TakePot() {
    if (finished) return -1;
    finished = true;
    game->Credit(static_cast<int32_t>(std::clamp<long>(pot, 0, MaxMoney)));
    return -1;
}

int cDoubleGadgets::Guess(bool big) {
    if (finished) return -1;
    if (!card) {
        finished = true;
        return -1;
    }
    card->turned = 0;
    card->UpdatePicture();
    const bool won = DoubleWins(card->suit, card->value, big);

    cRequester verdict(window, window->LeftEdge + (window->Width - 210) / 2, window->TopEdge + window->Height - 70,
                       210, 70, big ? "Double Big" : "Double Small");
    if (!won) {
        finished = true;
        verdict.Execute("Win Pot lost!");
        return -1;
    }
    // A pot never wraps: it stops at the largest amount the money can hold.
    pot = std::min<long>(pot * 2, MaxMoney);
    char text[48];
    std::snprintf(text, sizeof text, "Win Pot Doubled! Pot=%ld", pot);
    verdict.Execute(text);
    DealCard();
    return 1;
}

int cDoubleGadgets::GadgetSmall() { return Guess(false); }

int cDoubleGadgets::GadgetBig() { return Guess(true); }

int cDoubleGadgets::IDCMP(const IntuiMessage* msg) {
    const int r = Handle(msg);
    if (r == -1) finished = true;
    return r;
}

int cDoubleGadgets::Handle(const IntuiMessage* msg) {
    if (finished) return msg->Class == IDCMP_REFRESHWINDOW ? Refresh() : -1;
    switch (msg->Class) {
        case IDCMP_GADGETUP: {
            const auto* gadget = static_cast<const Gadget*>(msg->IAddress);
            switch (gadget ? gadget->GadgetID : 0) {
                case 103: return TakePot();
                case 105: return GadgetSmall();
                case 106: return GadgetBig();
                default: return 1;
            }
        }
        case IDCMP_CLOSEWINDOW:
            return TakePot();
        case IDCMP_VANILLAKEY:
            switch (msg->Code) {
                case 10:
                case 13:
                    return TakePot();
                case 27:
                    return -1;  // the pot is forfeited
                case '1':
                case '2':
                case 'S':
                case 's':
                    return GadgetSmall();
                case '4':
                case '5':
                case 'B':
                case 'b':
                    return GadgetBig();
                default:
                    return 0;
            }
        case IDCMP_REFRESHWINDOW:
            return Refresh();
        default:
            return 0;
    }
}

Window* TDoubleDialog::Open() const {
    Screen* screen = window->WScreen;
    Window* dialog = OpenFramedWindow("Double", screen, window->LeftEdge + 200, window->TopEdge + 40, 200,
                                      screen->WBorTop + screen->Font->ta_YSize + 171, DIALOG_IDCMP);
    if (!dialog) return nullptr;
    RastPort* rp = dialog->RPort;
    SetFont(rp, TEXTFONT);
    SetABPenDrMd(rp, gfxpens[0], gfxpens[0], JAM1);
    RectFill(rp, dialog->BorderLeft, dialog->BorderTop, dialog->Width - dialog->BorderRight,
             dialog->Height - dialog->BorderBottom);
    return dialog;
}

void cDoubleGadgets::SetUp(Window* dialog, cGamePoker* game_, long pot_) {
    Begin(dialog);
    AddButtons(DoubleButtons);
    Attach();
    game = game_;
    pot = pot_;

    DealCard();

    RastPort* rp = dialog->RPort;
    static const char question[] = "Small or Big Card?";
    const int width = TextLength(rp, question, 18);
    SetAPen(rp, pens[1]);
    SetDrMd(rp, JAM1);
    Move(rp, (dialog->Width - width) / 2, dialog->BorderTop + 20);
    Text(rp, question, 18);
    RefreshWindowFrame(dialog);
}

void TDoubleDialog::Execute() {
    Window* dialog = Open();
    if (!dialog) {
        // Without its window the player cannot play the pot: bank it rather than lose it.
        game->Credit(static_cast<int32_t>(std::clamp<long>(pot, 0, MaxMoney)));
        return;
    }
    cDoubleGadgets gadgets;
    gadgets.SetUp(dialog, game, pot);
    ModalLoop(dialog, gadgets);
    CloseWindow(dialog);
    // The card and the gadget list go with `gadgets`, after the window.
}
