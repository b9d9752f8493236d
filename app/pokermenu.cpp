// The main window's menu strip.
#include "app/pokermenu.h"

#include "app/poker.h"
#include "game/game.h"

const NewMenu cPokerMenu::PokerMenus[15] = {
    {NM_TITLE, "Game", nullptr, 0, 0, nullptr},
    {NM_ITEM, "New", "N", 0, 0, nullptr},
    {NM_ITEM, "Continue Old", "O", 0, 0, nullptr},
    {NM_ITEM, "Save", "S", 0, 0, nullptr},
    {NM_ITEM, NM_BARLABEL, nullptr, 0, 0, nullptr},
    {NM_ITEM, "About", "?", 0, 0, nullptr},
    {NM_ITEM, "Quit", "Q", 0, 0, nullptr},
    {NM_TITLE, "Preferences", nullptr, 0, 0, nullptr},
    {NM_ITEM, "Hand Evaluation", "E", 0, 0, nullptr},
    {NM_ITEM, "Bet Prefs", "B", 0, 0, nullptr},
    {NM_ITEM, "Double", "D", CHECKIT | MENUTOGGLE, 0, nullptr},
    {NM_TITLE, "Help", nullptr, 0, 0, nullptr},
    {NM_ITEM, "Instructions", "H", 0, 0, nullptr},
    {NM_ITEM, "About", nullptr, 0, 0, nullptr},
    {NM_END, nullptr, nullptr, 0, 0, nullptr},
};

cMenu::cMenu(Window* w, const NewMenu* table) : window(w) {
    visualInfo = GetVisualInfoA(w->WScreen, nullptr);
    if (!visualInfo) return;
    menuStrip = CreateMenusA(table, nullptr);
    if (!menuStrip) return;
    if (!LayoutMenusA(menuStrip, visualInfo, nullptr)) return;
    if (SetMenuStrip(w, menuStrip)) attached = 1;
}

cMenu::~cMenu() {
    if (attached) {
        ClearMenuStrip(window);
        attached = 0;
    }
    if (menuStrip) {
        FreeMenus(menuStrip);
        menuStrip = nullptr;
    }
    if (visualInfo) {
        FreeVisualInfo(visualInfo);
        visualInfo = nullptr;
    }
}

bool cMenu::Active() const { return false; }

int cMenu::IDCMP(const IntuiMessage*) { return 0; }

cPokerMenu::cPokerMenu(Window* w, cGamePoker* g) : cMenu(w, PokerMenus), game(g) {
    if (game->doubleUp && menuStrip) {
        if (MenuItem* item = ItemAddress(menuStrip, DoubleItem)) item->Flags |= CHECKED;
    }
}

int cPokerMenu::IDCMP(const IntuiMessage* msg) {
    if (msg->Class != IDCMP_MENUPICK) return 0;
    if (msg->Code == MENUNULL) return 1;

    const int menu = msg->Code & 0x1F;
    const int item = (msg->Code >> 5) & 0x3F;
    auto* m = const_cast<IntuiMessage*>(msg);

    switch (menu) {
        case 0:  // Game
            if (item == 5) {
                if (AskQuit(window) == 1) return -1;
                ReplyMsg(&m->ExecMessage);
                break;
            }
            ReplyMsg(&m->ExecMessage);
            switch (item) {
                case 0: game->MenuNew(); break;
                case 1: game->MenuOld(menuStrip ? ItemAddress(menuStrip, DoubleItem) : nullptr); break;
                case 2: game->MenuSave(); break;
                case 4: game->MenuAbout(); break;
                default: break;
            }
            break;
        case 1:  // Preferences
            ReplyMsg(&m->ExecMessage);
            switch (item) {
                case 0: game->MenuPrefsHand(); break;
                case 1: game->MenuPrefsBet(); break;
                case 2: {
                    const MenuItem* chosen = menuStrip ? ItemAddress(menuStrip, msg->Code) : nullptr;
                    game->doubleUp = (chosen && (chosen->Flags & CHECKED)) ? 1 : 0;
                    break;
                }
                default: break;
            }
            break;
        case 2:  // Help
            ReplyMsg(&m->ExecMessage);
            switch (item) {
                case 0: game->MenuHelp(); break;
                case 1: game->MenuAbout(); break;
                default: break;
            }
            break;
        default:
            return 1;
    }
    FlushMessages(window);
    return 2;
}
