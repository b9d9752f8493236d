// The main window's menu strip.
#pragma once
#include <gadtools.h>

#include "toolkit/IDCMP.h"

class cGamePoker;

// A menu strip attached to one window, made from a description table. A step that fails
// leaves the window without menus; the object stays valid.
class cMenu : public cIDCMP {
public:
    APTR visualInfo = nullptr;
    int attached = 0;
    Menu* menuStrip = nullptr;
    Window* window = nullptr;

    cMenu(Window* w, const NewMenu* table);
    cMenu(const cMenu&) = delete;
    cMenu& operator=(const cMenu&) = delete;
    bool Active() const override;
    int IDCMP(const IntuiMessage* msg) override;
    virtual ~cMenu();
};

// "Game", "Preferences" and "Help": each choice becomes a call on the game.
class cPokerMenu : public cMenu {
public:
    cGamePoker* game;

    static const NewMenu PokerMenus[15];
    // The "Double" item's packed menu number.
    static constexpr UWORD DoubleItem = FULLMENUNUM(1, 2, NOSUB);

    cPokerMenu(Window* w, cGamePoker* g);
    int IDCMP(const IntuiMessage* msg) override;
};
