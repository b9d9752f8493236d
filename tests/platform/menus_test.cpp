// Menu strips: building and laying them out, finding items, choosing by mouse and command key, check marks.
#include <cstring>

#include "server_testing.h"

namespace {

using MenuStrip = wtest::VirtualDisplay;

using wtest::OfClass;
using wtest::Settle;
using wtest::Settled;

NewMenu Title(const char* title) { return {NM_TITLE, title, nullptr, 0, 0, nullptr}; }
NewMenu Entry(const char* label, const char* key = nullptr, UWORD flags = 0) {
    return {NM_ITEM, label, key, flags, 0, nullptr};
}
const NewMenu kEnd = {NM_END, nullptr, nullptr, 0, 0, nullptr};

// A strip like the program's: three menus, a separator, a toggled check mark.
const NewMenu kTable[] = {
    Title("Game"), Entry("New", "N"), Entry("Continue Old", "O"), Entry("Save", "S"), Entry(NM_BARLABEL),
    Entry("About", "?"), Entry("Quit", "Q"),
    Title("Preferences"), Entry("Hand Evaluation", "E"), Entry("Bet Prefs", "B"),
    Entry("Double", "D", CHECKIT | MENUTOGGLE),
    Title("Help"), Entry("Instructions", "H"), Entry("About"), kEnd,
};

UWORD Num(int menu, int item) { return static_cast<UWORD>(FULLMENUNUM(menu, item, NOSUB)); }

// A strip as text: "Title: Item/key ..." with "---" for a separator, [c] [t] [x] for CHECKIT, MENUTOGGLE, CHECKED.
std::string Describe(const Menu* strip) {
    std::string out;
    for (const Menu* m = strip; m; m = m->NextMenu) {
        out += std::string(m->MenuName) + (m->Flags & MENUENABLED ? ":" : " (off):");
        for (const MenuItem* i = m->FirstItem; i; i = i->NextItem) {
            out += i->Label ? " " + std::string(i->Label) : (i->Flags & ITEMENABLED ? " -on-" : " ---");
            if (i->Label && (~i->Flags & (ITEMTEXT | ITEMENABLED | HIGHCOMP))) out += "(flags)";
            if (i->Command || (i->Flags & COMMSEQ))
                out += (i->Flags & COMMSEQ ? "/" : "(stray)") + std::string(1, i->Command);
            for (auto [flag, mark] : {std::pair{CHECKIT, "[c]"}, {MENUTOGGLE, "[t]"}, {CHECKED, "[x]"}})
                if (i->Flags & flag) out += mark;
        }
        out += "\n";
    }
    return out;
}

TEST_F(MenuStrip, CreateMenusBuildsTheMenusAndItemsOfTheTable) {
    Menu* strip = CreateMenus(kTable, TAG_DONE);
    EXPECT_EQ(Describe(strip),
              "Game: New/N Continue Old/O Save/S --- About/? Quit/Q\n"
              "Preferences: Hand Evaluation/E Bet Prefs/B Double/D[c][t]\n"
              "Help: Instructions/H About\n");
    FreeMenus(strip);
}

class Menus : public wtest::GadtoolsTest {
protected:
    void SetUp() override {
        GadtoolsTest::SetUp();
        strip = CreateMenus(kTable, TAG_DONE);
        ASSERT_NE(strip, nullptr);
        ASSERT_TRUE(LayoutMenus(strip, vi, TAG_DONE));
        ASSERT_TRUE(SetMenuStrip(window, strip));
    }
    void TearDown() override {
        if (window) ClearMenuStrip(window);
        GadtoolsTest::TearDown();
        FreeMenus(strip);
    }
    MenuItem* Item(int menu, int item) { return ItemAddress(strip, Num(menu, item)); }
    Menu* Nth(int menu) {
        Menu* m = strip;
        while (menu-- > 0) m = m->NextMenu;
        return m;
    }
    std::vector<UWORD> Picks() {
        std::vector<UWORD> out;
        for (const auto& m : OfClass(Settled(window), IDCMP_MENUPICK)) out.push_back(m.code);
        return out;
    }
    // Screen points of an item's centre and a title's.
    int ItemX(int m, int i) { return Nth(m)->LeftEdge + Item(m, i)->LeftEdge + Item(m, i)->Width / 2; }
    int ItemY(int m, int i) { return screen->BarHeight + 1 + Item(m, i)->TopEdge + Item(m, i)->Height / 2; }
    int TitleX(int menu) { return Nth(menu)->LeftEdge + Nth(menu)->Width / 2; }
    bool Checked(UWORD code) { return ItemAddress(strip, code)->Flags & CHECKED; }

    Menu* strip = nullptr;
};

TEST_F(Menus, LayoutPutsTitlesAcrossTheBarAndItemsInBoxesWideEnoughForTheirTexts) {
    int right = 0;
    for (Menu* m = strip; m; m = m->NextMenu) {
        SCOPED_TRACE(m->MenuName);
        EXPECT_GE(m->LeftEdge, right);
        EXPECT_EQ(m->Height, screen->BarHeight + 1);
        EXPECT_GE(m->Width, static_cast<int>(std::strlen(m->MenuName)) * 8);
        right = m->LeftEdge + m->Width;
        EXPECT_LE(right, screen->Width);
        const bool checks = m == Nth(1);  // the menu with a check mark column
        int bottom = 0;
        for (MenuItem* i = m->FirstItem; i; i = i->NextItem) {
            EXPECT_GE(i->TopEdge, bottom);  // below the one before, not overlapping
            bottom = i->TopEdge + i->Height;
            EXPECT_EQ(i->Width, m->FirstItem->Width);  // one box width
            EXPECT_LE(m->LeftEdge + i->LeftEdge + i->Width, screen->Width);
            EXPECT_GE(i->Height, i->Label ? 8 : 1);
            if (!i->Label) continue;
            // Label, the check mark column where the menu has one, and "Alt+K".
            const int need = static_cast<int>(std::strlen(i->Label) * 8) + (checks ? 8 : 0) +
                             (i->Flags & COMMSEQ ? 48 : 0);
            EXPECT_GE(i->Width, need) << i->Label;
        }
    }
}

TEST_F(Menus, ItemAddressFindsItemsByTheirPackedNumber) {
    struct Case { UWORD code; const char* label; };  // label nullptr: no item; "": the separator
    const Case cases[] = {
        {0xF841, "Double"}, {Num(0, 5), "Quit"}, {Num(0, 3), ""}, {Num(2, 1), "About"},
        {Num(0, 6), nullptr}, {Num(3, 0), nullptr}, {MENUNULL, nullptr},
    };
    for (const Case& c : cases) {
        MenuItem* item = ItemAddress(strip, c.code);
        if (!c.label) {
            EXPECT_EQ(item, nullptr) << std::hex << c.code;
            continue;
        }
        ASSERT_NE(item, nullptr) << std::hex << c.code;
        EXPECT_STREQ(item->Label ? item->Label : "", c.label);
    }
    EXPECT_EQ(ItemAddress(nullptr, 0), nullptr);
}

TEST_F(Menus, AToggleItemFlipsItsCheckMarkEachTimeItIsChosen) {
    for (int n = 1; n <= 4; ++n) {
        host::PickMenu(window, 1, 2);
        EXPECT_EQ(Picks(), std::vector<UWORD>{0xF841});
        EXPECT_EQ(Checked(0xF841), n % 2 == 1) << "already flipped when read, choice " << n;
    }
    host::PickMenu(window, 1, 1);  // without CHECKIT: never a check mark
    Settle();
    EXPECT_FALSE(Checked(Num(1, 1)));
}

TEST_F(Menus, AltAndACommandKeyPostsThePickOfItsItem) {
    struct Case { char key; UWORD code; };
    const Case cases[] = {{'n', Num(0, 0)}, {'N', Num(0, 0)}, {'q', Num(0, 5)}, {'?', Num(0, 4)},
                          {'e', Num(1, 0)}, {'h', Num(2, 0)}, {'D', 0xF841},  {'d', 0xF841}};
    for (const Case& c : cases) {
        host::MenuKey(c.key);
        auto all = Settled(window);
        auto picks = OfClass(all, IDCMP_MENUPICK);
        ASSERT_EQ(picks.size(), 1u) << c.key;
        EXPECT_EQ(picks[0].code, c.code) << c.key;
        EXPECT_TRUE(OfClass(all, IDCMP_VANILLAKEY).empty()) << c.key;
        if (c.code == 0xF841) {
            EXPECT_EQ(Checked(0xF841), c.key == 'D') << "toggled by " << c.key;
        }
    }
    // A key no item has is an ordinary key; without Alt a command letter is too.
    host::MenuKey('z');
    host::Key('n');
    auto all = Settled(window);
    EXPECT_TRUE(OfClass(all, IDCMP_MENUPICK).empty());
    EXPECT_EQ(OfClass(all, IDCMP_VANILLAKEY).size(), 2u);
}

// The right button released on an item posts its packed number; released away from any item, MENUNULL.
TEST_F(Menus, ReleasingTheRightButtonPostsTheItemUnderItOrMenuNull) {
    const std::pair<int, int> picks[] = {{0, 0}, {0, 2}, {0, 5}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {0, 4}};
    for (auto [menu, item] : picks) {
        host::PickMenu(window, menu, item);
        EXPECT_EQ(Picks(), std::vector<UWORD>{Num(menu, item)}) << menu << "," << item;
        EXPECT_EQ(host::MenuBarText().find("Preferences"), std::string::npos);
    }
    struct Case { const char* name; int x, y; };
    const Case away[] = {
        {"far below the menus", 600, 400},
        {"on the separator", ItemX(0, 3), ItemY(0, 3)},
        {"on the title only", TitleX(1), 5},
        {"beside the open box", ItemX(0, 0) + 300, ItemY(0, 0)},
    };
    for (const Case& c : away) {
        host::RightPress(TitleX(0), 5);
        host::MoveMouse(c.x, c.y);
        host::RightRelease(c.x, c.y);
        EXPECT_EQ(Picks(), std::vector<UWORD>{MENUNULL}) << c.name;
    }
    EXPECT_FALSE(Checked(0xF841));
}

TEST_F(Menus, HoldingTheRightButtonShowsTheStripAndTheOpenMenu) {
    const std::string before = host::MenuBarText();
    EXPECT_EQ(before.find("Preferences"), std::string::npos);
    host::RightPress(TitleX(1), 5);
    host::MoveMouse(ItemX(1, 1), ItemY(1, 1));
    Settle();
    for (const char* title : {"Game", "Preferences", "Help"})
        EXPECT_NE(host::MenuBarText().find(title), std::string::npos) << title;
    // The item under the pointer is highlighted, the one above is not.
    auto lit = [&](int i) { return host::ScreenPixel(ItemX(1, i) + Item(1, i)->Width / 2 - 2, ItemY(1, i)) == 3; };
    EXPECT_TRUE(lit(1));
    EXPECT_FALSE(lit(0));
    host::RightRelease(ItemX(1, 1), ItemY(1, 1));
    EXPECT_EQ(Picks(), std::vector<UWORD>{Num(1, 1)});
    EXPECT_EQ(host::MenuBarText(), before);
    EXPECT_FALSE(lit(1)) << "the box is gone from the screen";
}

}  // namespace
