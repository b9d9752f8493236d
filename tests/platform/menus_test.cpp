// Menu strips: building them from a table, laying them out, finding items by number,
// choosing with the right button and with command keys, check marks.
#include <gtest/gtest.h>

#include <cstring>

#include "gadtools_testing.h"

namespace {

using gttest::Drain;
using gttest::OfClass;
using gttest::Settle;

// A strip like the program's: three menus, a separator, a toggled check mark.
const NewMenu kTable[] = {
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

struct Expected {
    const char* title;
    std::vector<const char*> items;  // nullptr: a separator
    std::vector<char> keys;          // 0: none
};
const Expected kExpected[] = {
    {"Game", {"New", "Continue Old", "Save", nullptr, "About", "Quit"}, {'N', 'O', 'S', 0, '?', 'Q'}},
    {"Preferences", {"Hand Evaluation", "Bet Prefs", "Double"}, {'E', 'B', 'D'}},
    {"Help", {"Instructions", "About"}, {'H', 0}},
};

TEST(MenuStrip, CreateMenusBuildsTheMenusAndItemsOfTheTable) {
    host::UseVirtualDisplay();
    Menu* strip = CreateMenus(kTable, TAG_DONE);
    ASSERT_NE(strip, nullptr);
    Menu* m = strip;
    for (const Expected& e : kExpected) {
        ASSERT_NE(m, nullptr) << e.title;
        EXPECT_STREQ(m->MenuName, e.title);
        EXPECT_TRUE(m->Flags & MENUENABLED);
        MenuItem* i = m->FirstItem;
        for (size_t n = 0; n < e.items.size(); ++n, i = i->NextItem) {
            ASSERT_NE(i, nullptr) << e.title << " item " << n;
            if (!e.items[n]) {
                EXPECT_EQ(i->Label, nullptr);
                EXPECT_FALSE(i->Flags & ITEMENABLED);
                continue;
            }
            EXPECT_STREQ(i->Label, e.items[n]);
            EXPECT_EQ(i->Flags & (ITEMTEXT | ITEMENABLED | HIGHCOMP), ITEMTEXT | ITEMENABLED | HIGHCOMP);
            EXPECT_EQ(i->Command, e.keys[n]);
            EXPECT_EQ((i->Flags & COMMSEQ) != 0, e.keys[n] != 0);
            bool check = std::strcmp(e.items[n], "Double") == 0;
            EXPECT_EQ(i->Flags & (CHECKIT | MENUTOGGLE), check ? CHECKIT | MENUTOGGLE : 0) << e.items[n];
            EXPECT_FALSE(i->Flags & CHECKED);
        }
        EXPECT_EQ(i, nullptr) << e.title << " has more items";
        m = m->NextMenu;
    }
    EXPECT_EQ(m, nullptr);
    FreeMenus(strip);
}

TEST(MenuStrip, MalformedTablesAndFaultsMakeNoStrip) {
    host::UseVirtualDisplay();
    const NewMenu itemFirst[] = {{NM_ITEM, "Orphan", nullptr, 0, 0, nullptr}, {NM_END, nullptr, nullptr, 0, 0, nullptr}};
    const NewMenu subFirst[] = {{NM_TITLE, "T", nullptr, 0, 0, nullptr},
                                {NM_SUB, "Orphan", nullptr, 0, 0, nullptr},
                                {NM_END, nullptr, nullptr, 0, 0, nullptr}};
    const NewMenu empty[] = {{NM_END, nullptr, nullptr, 0, 0, nullptr}};
    const NewMenu unknown[] = {{NM_TITLE, "T", nullptr, 0, 0, nullptr},
                               {9, "What", nullptr, 0, 0, nullptr},
                               {NM_END, nullptr, nullptr, 0, 0, nullptr}};
    for (const NewMenu* table : {itemFirst, subFirst, empty, unknown}) EXPECT_EQ(CreateMenus(table, TAG_DONE), nullptr);
    EXPECT_EQ(CreateMenus(nullptr, TAG_DONE), nullptr);
    host::FailOnce("CreateMenus");
    EXPECT_EQ(CreateMenus(kTable, TAG_DONE), nullptr);
    Menu* strip = CreateMenus(kTable, TAG_DONE);
    EXPECT_NE(strip, nullptr);
    FreeMenus(strip);
    FreeMenus(nullptr);
}

class Menus : public ::testing::Test {
protected:
    void SetUp() override {
        host::UseVirtualDisplay();
        screen = LockPubScreen(nullptr);
        ASSERT_NE(screen, nullptr);
        window = gttest::OpenTestWindow("Menus");
        ASSERT_NE(window, nullptr);
        vi = GetVisualInfo(screen, TAG_DONE);
        strip = CreateMenus(kTable, TAG_DONE);
        ASSERT_NE(strip, nullptr);
        ASSERT_TRUE(LayoutMenus(strip, vi, TAG_DONE));
        ASSERT_TRUE(SetMenuStrip(window, strip));
    }
    void TearDown() override {
        if (window) {
            ClearMenuStrip(window);
            CloseWindow(window);
        }
        FreeMenus(strip);
        FreeVisualInfo(vi);
        if (screen) UnlockPubScreen(nullptr, screen);
    }
    MenuItem* Item(int menu, int item) { return ItemAddress(strip, static_cast<UWORD>(FULLMENUNUM(menu, item, NOSUB))); }
    std::vector<UWORD> Picks() {
        std::vector<UWORD> out;
        for (const auto& m : OfClass(Drain(window), IDCMP_MENUPICK)) out.push_back(m.code);
        return out;
    }
    // Screen point of an item's centre.
    int ItemX(int menu, int item) {
        Menu* m = strip;
        for (int i = 0; i < menu; ++i) m = m->NextMenu;
        MenuItem* it = Item(menu, item);
        return m->LeftEdge + it->LeftEdge + it->Width / 2;
    }
    int ItemY(int menu, int item) {
        MenuItem* it = Item(menu, item);
        return screen->BarHeight + 1 + it->TopEdge + it->Height / 2;
    }
    int TitleX(int menu) {
        Menu* m = strip;
        for (int i = 0; i < menu; ++i) m = m->NextMenu;
        return m->LeftEdge + m->Width / 2;
    }

    Screen* screen = nullptr;
    Window* window = nullptr;
    APTR vi = nullptr;
    Menu* strip = nullptr;
};

TEST_F(Menus, LayoutPutsTitlesAcrossTheBarAndItemsInBoxesWideEnoughForTheirTexts) {
    int right = 0;
    for (Menu* m = strip; m; m = m->NextMenu) {
        SCOPED_TRACE(m->MenuName);
        EXPECT_GE(m->LeftEdge, right);
        EXPECT_EQ(m->TopEdge, 0);
        EXPECT_EQ(m->Height, screen->BarHeight + 1);
        EXPECT_GE(m->Width, static_cast<int>(std::strlen(m->MenuName)) * 8);
        right = m->LeftEdge + m->Width;
        EXPECT_LE(right, screen->Width);
        int bottom = 0;
        bool checks = false;
        for (MenuItem* i = m->FirstItem; i; i = i->NextItem) checks = checks || (i->Flags & CHECKIT);
        for (MenuItem* i = m->FirstItem; i; i = i->NextItem) {
            EXPECT_GE(i->TopEdge, bottom);  // below the one before, not overlapping
            bottom = i->TopEdge + i->Height;
            EXPECT_EQ(i->Width, m->FirstItem->Width);  // one box width
            EXPECT_GE(m->LeftEdge + i->LeftEdge, 0);
            EXPECT_LE(m->LeftEdge + i->LeftEdge + i->Width, screen->Width);
            if (!i->Label) {
                EXPECT_GT(i->Height, 0);
                continue;
            }
            EXPECT_GE(i->Height, 8);
            // Label, the check mark column where the menu has one, and "Alt+K".
            int need = static_cast<int>(std::strlen(i->Label)) * 8 + (checks ? 8 : 0) +
                       ((i->Flags & COMMSEQ) ? 5 * 8 + 8 : 0);
            EXPECT_GE(i->Width, need) << i->Label;
        }
        EXPECT_LE(screen->BarHeight + 1 + bottom, screen->Height);
    }
}

TEST_F(Menus, LayoutAndAttachingCanFail) {
    EXPECT_FALSE(LayoutMenus(strip, nullptr, TAG_DONE));
    host::FailOnce("LayoutMenus");
    EXPECT_FALSE(LayoutMenus(strip, vi, TAG_DONE));
    ClearMenuStrip(window);
    EXPECT_EQ(window->MenuStrip, nullptr);
    host::FailOnce("SetMenuStrip");
    EXPECT_FALSE(SetMenuStrip(window, strip));
    EXPECT_EQ(window->MenuStrip, nullptr);
    // Without a strip the right button shows nothing and picks nothing.
    host::RightPress(TitleX(0), 5);
    Settle();
    EXPECT_EQ(host::MenuBarText().find("Game"), std::string::npos);
    host::RightRelease(ItemX(0, 0), ItemY(0, 0));
    Settle();
    EXPECT_TRUE(Picks().empty());
    // Titles too wide for the screen do not fit.
    std::vector<NewMenu> wide;
    std::string longTitle(100, 'W');
    wide.push_back({NM_TITLE, longTitle.c_str(), nullptr, 0, 0, nullptr});
    wide.push_back({NM_END, nullptr, nullptr, 0, 0, nullptr});
    Menu* tooWide = CreateMenus(wide.data(), TAG_DONE);
    ASSERT_NE(tooWide, nullptr);
    EXPECT_FALSE(LayoutMenus(tooWide, vi, TAG_DONE));
    FreeMenus(tooWide);
}

TEST_F(Menus, ItemAddressFindsItemsByTheirPackedNumber) {
    struct Case {
        UWORD code;
        const char* label;  // nullptr: no item
        bool separator;
    };
    const Case cases[] = {
        {0xF841, "Double", false},
        {FULLMENUNUM(0, 0, NOSUB), "New", false},
        {FULLMENUNUM(0, 5, NOSUB), "Quit", false},
        {FULLMENUNUM(0, 3, NOSUB), nullptr, true},
        {FULLMENUNUM(2, 1, NOSUB), "About", false},
        {FULLMENUNUM(0, 6, NOSUB), nullptr, false},
        {FULLMENUNUM(3, 0, NOSUB), nullptr, false},
        {FULLMENUNUM(1, NOITEM, NOSUB), nullptr, false},
        {FULLMENUNUM(NOMENU, 0, NOSUB), nullptr, false},
        {MENUNULL, nullptr, false},
    };
    for (const Case& c : cases) {
        MenuItem* item = ItemAddress(strip, c.code);
        if (c.label) {
            ASSERT_NE(item, nullptr) << std::hex << c.code;
            EXPECT_STREQ(item->Label, c.label);
        } else if (c.separator) {
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->Label, nullptr);
        } else {
            EXPECT_EQ(item, nullptr) << std::hex << c.code;
        }
    }
    EXPECT_EQ(ItemAddress(nullptr, 0), nullptr);
}

TEST_F(Menus, PickingWithTheRightButtonPostsThePackedNumber) {
    const std::pair<int, int> picks[] = {{0, 0}, {0, 2}, {0, 5}, {1, 0}, {1, 1}, {2, 0}, {2, 1}, {0, 4}};
    for (auto [menu, item] : picks) {
        host::PickMenu(window, menu, item);
        Settle();
        EXPECT_EQ(Picks(), std::vector<UWORD>{static_cast<UWORD>(FULLMENUNUM(menu, item, NOSUB))})
            << menu << "," << item;
        EXPECT_FALSE(host::MenuBarText().find("Preferences") != std::string::npos);
    }
}

TEST_F(Menus, AToggleItemFlipsItsCheckMarkEachTimeItIsChosen) {
    MenuItem* dbl = ItemAddress(strip, 0xF841);
    ASSERT_NE(dbl, nullptr);
    for (int n = 1; n <= 4; ++n) {
        host::PickMenu(window, 1, 2);
        Settle();
        EXPECT_EQ(Picks(), std::vector<UWORD>{0xF841});
        // Already flipped when the program reads the message.
        EXPECT_EQ((dbl->Flags & CHECKED) != 0, n % 2 == 1) << "after choice " << n;
    }
    // Items without CHECKIT never get a check mark.
    host::PickMenu(window, 1, 1);
    Settle();
    EXPECT_FALSE(Item(1, 1)->Flags & CHECKED);
}

TEST_F(Menus, CheckItWithoutToggleOnlySetsAndMutualExcludeClearsOthers) {
    const NewMenu radio[] = {{NM_TITLE, "Size", nullptr, 0, 0, nullptr},
                             {NM_ITEM, "Small", nullptr, CHECKIT | CHECKED, ~1L, nullptr},
                             {NM_ITEM, "Big", nullptr, CHECKIT, ~2L, nullptr},
                             {NM_END, nullptr, nullptr, 0, 0, nullptr}};
    Menu* other = CreateMenus(radio, TAG_DONE);
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(LayoutMenus(other, vi, TAG_DONE));
    ClearMenuStrip(window);
    ASSERT_TRUE(SetMenuStrip(window, other));
    MenuItem* small = other->FirstItem;
    MenuItem* big = small->NextItem;
    struct Step {
        int item;
        bool small, big;
    };
    for (Step s : {Step{1, false, true}, Step{1, false, true}, Step{0, true, false}}) {
        host::PickMenu(window, 0, s.item);
        Settle();
        EXPECT_EQ((small->Flags & CHECKED) != 0, s.small);
        EXPECT_EQ((big->Flags & CHECKED) != 0, s.big);
    }
    Drain(window);
    ClearMenuStrip(window);
    FreeMenus(other);
    SetMenuStrip(window, strip);
}

TEST_F(Menus, AltAndACommandKeyPostsThePickOfItsItem) {
    struct Case {
        char key;
        UWORD code;
    };
    const Case cases[] = {{'n', FULLMENUNUM(0, 0, NOSUB)}, {'N', FULLMENUNUM(0, 0, NOSUB)},
                          {'q', FULLMENUNUM(0, 5, NOSUB)}, {'?', FULLMENUNUM(0, 4, NOSUB)},
                          {'e', FULLMENUNUM(1, 0, NOSUB)}, {'h', FULLMENUNUM(2, 0, NOSUB)},
                          {'D', 0xF841}};
    for (const Case& c : cases) {
        host::MenuKey(c.key);
        Settle();
        auto all = Drain(window);
        auto picks = OfClass(all, IDCMP_MENUPICK);
        ASSERT_EQ(picks.size(), 1u) << c.key;
        EXPECT_EQ(picks[0].code, c.code) << c.key;
        EXPECT_TRUE(OfClass(all, IDCMP_VANILLAKEY).empty()) << c.key;
    }
    EXPECT_TRUE(ItemAddress(strip, 0xF841)->Flags & CHECKED);
    host::MenuKey('d');
    Settle();
    Drain(window);
    EXPECT_FALSE(ItemAddress(strip, 0xF841)->Flags & CHECKED);
    // A key no item has is an ordinary key; without Alt a command letter is too.
    host::MenuKey('z');
    host::Key('n');
    Settle();
    auto all = Drain(window);
    EXPECT_TRUE(OfClass(all, IDCMP_MENUPICK).empty());
    EXPECT_EQ(OfClass(all, IDCMP_VANILLAKEY).size(), 2u);
}

TEST_F(Menus, ReleasingAwayFromAnyItemPostsMenuNull) {
    struct Case {
        const char* name;
        int x, y;
    };
    const Case cases[] = {
        {"far below the menus", 600, 400},
        {"on the separator", ItemX(0, 3), ItemY(0, 3)},
        {"on the title only", TitleX(1), 5},
        {"beside the open box", ItemX(0, 0) + 300, ItemY(0, 0)},
    };
    for (const Case& c : cases) {
        host::RightPress(TitleX(0), 5);
        host::MoveMouse(c.x, c.y);
        host::RightRelease(c.x, c.y);
        Settle();
        EXPECT_EQ(Picks(), std::vector<UWORD>{MENUNULL}) << c.name;
    }
    EXPECT_FALSE(ItemAddress(strip, 0xF841)->Flags & CHECKED);
}

TEST_F(Menus, HoldingTheRightButtonShowsTheStripAndTheOpenMenu) {
    // The screen's own title before.
    std::string before = host::MenuBarText();
    EXPECT_EQ(before.find("Preferences"), std::string::npos);
    host::RightPress(TitleX(1), 5);
    host::MoveMouse(ItemX(1, 1), ItemY(1, 1));
    Settle();
    std::string bar = host::MenuBarText();
    EXPECT_NE(bar.find("Game"), std::string::npos);
    EXPECT_NE(bar.find("Preferences"), std::string::npos);
    EXPECT_NE(bar.find("Help"), std::string::npos);
    // The item under the pointer is highlighted, the one above is not.
    EXPECT_EQ(host::ScreenPixel(ItemX(1, 1) + Item(1, 1)->Width / 2 - 2, ItemY(1, 1)), 3);
    EXPECT_NE(host::ScreenPixel(ItemX(1, 0) + Item(1, 0)->Width / 2 - 2, ItemY(1, 0)), 3);
    ASSERT_TRUE(host::SavePNG(POKER_BINARY_DIR "/menus_open.png"));
    host::RightRelease(ItemX(1, 1), ItemY(1, 1));
    Settle();
    EXPECT_EQ(Picks(), std::vector<UWORD>{static_cast<UWORD>(FULLMENUNUM(1, 1, NOSUB))});
    EXPECT_EQ(host::MenuBarText(), before);
    // The box is gone from the screen.
    EXPECT_NE(host::ScreenPixel(ItemX(1, 1) + Item(1, 1)->Width / 2 - 2, ItemY(1, 1)), 3);
}

TEST_F(Menus, ClosingTheWindowWhileItsMenusShowPutsThemAway) {
    // The screen between its bar and the window, where the first menu drops down.
    auto region = [&] {
        std::vector<int> pens;
        for (int y = screen->BarHeight + 1; y < window->TopEdge; ++y)
            for (int x = 0; x < 200; ++x) pens.push_back(host::ScreenPixel(x, y));
        return pens;
    };
    int windowTop = window->TopEdge;
    ASSERT_GT(windowTop, screen->BarHeight + 10);
    auto before = region();
    host::RightPress(TitleX(0), 5);
    Settle();
    EXPECT_NE(host::MenuBarText().find("Game"), std::string::npos);
    EXPECT_NE(region(), before);
    Window* w = window;
    window = nullptr;
    CloseWindow(w);
    EXPECT_EQ(host::MenuBarText().find("Game"), std::string::npos);
    std::vector<int> after;
    for (int y = screen->BarHeight + 1; y < windowTop; ++y)
        for (int x = 0; x < 200; ++x) after.push_back(host::ScreenPixel(x, y));
    EXPECT_EQ(after, before);
    host::RightRelease(ItemX(0, 0), ItemY(0, 0));
    Settle();  // nothing to post to, nothing to crash on
}

}  // namespace
