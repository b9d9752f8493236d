// The main window's button panel and keyboard shortcuts: every command goes to the game.
#include "toolkit/pokergadgets.h"

#include "game/game.h"

const cButton cPokerGadgets::PokerButtons[] = {
    {100, 10, 150, 80, 20, "_Shuffle"},
    {101, 500, 150, 80, 20, "_Draw"},
    {102, 10, 125, 80, 20, "_Bet Prefs"},
    {0, 0, 0, 0, 0, nullptr},
};

cPokerGadgets::cPokerGadgets(Window* w, cGamePoker* g) : game(g) {
    Begin(w);
    AddButtons(PokerButtons);
    Attach();
}

int cPokerGadgets::Finish(const IntuiMessage* msg) {
    ReplyMsg(&const_cast<IntuiMessage*>(msg)->ExecMessage);
    game->GadgetFinish();
    FlushMessages(window);
    return 2;
}

int cPokerGadgets::IDCMP(const IntuiMessage* msg) {
    switch (msg->Class) {
        case IDCMP_GADGETUP: {
            const auto* gadget = static_cast<const Gadget*>(msg->IAddress);
            switch (gadget ? gadget->GadgetID : 0) {
                case 100:
                    game->GadgetShuffle();
                    return 1;
                case 101:
                    return Finish(msg);
                case 102:
                    ReplyMsg(&const_cast<IntuiMessage*>(msg)->ExecMessage);
                    game->GadgetBet();
                    FlushMessages(window);
                    return 2;
                default:
                    return 1;
            }
        }
        case IDCMP_REFRESHWINDOW:
            return Refresh();
        case IDCMP_VANILLAKEY:
            switch (msg->Code) {
                case 10:
                case 13:
                case 'D':
                case 'd':
                    return Finish(msg);
                case 'S':
                case 's':
                    game->GadgetShuffle();
                    return 0;
                case 'B':
                case 'b':
                case 'C':
                case 'c':
                    game->GadgetBet();
                    return 0;
                case '1':
                case '2':
                case '3':
                case '4':
                case '5': {
                    const int slot = msg->Code - '1';
                    if (game->hand.items && slot < game->hand.capacity && game->hand.items[slot])
                        game->hand.items[slot]->Clicked();
                    return 0;
                }
                default:
                    return 0;
            }
        default:
            return 0;
    }
}
