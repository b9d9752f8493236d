// GadTools: push buttons, one-line text fields, and menu strips chosen by mouse.
#include <cstring>

#include "gfx_private.h"
#include "server_testing.h"

namespace {

using wtest::Drain;
using wtest::OfClass;
using wtest::Settle;
using wtest::Settled;

class GadgetList : public wtest::GadtoolsTest {
protected:
    Gadget* Shuffle() { return AddButton(100, 20, 30, 80, 20, "_Shuffle"); }
};

TEST_F(GadgetList, ReleaseGivesGadgetUpOnlyOverThePressedButton) {
    Gadget* a = Shuffle();
    Gadget* d = AddButton(101, 200, 30, 80, 20, "_Draw");
    ASSERT_NE(d, nullptr);
    Attach();
    struct Case { const char* name; Gadget* pressed; int releaseX, releaseY; bool gadgetUp; };  // release on screen
    const Case cases[] = {
        {"released over it", a, CentreX(a), CentreY(a), true},
        {"released on its edge", a, window->LeftEdge + a->LeftEdge, window->TopEdge + a->TopEdge, true},
        {"released just outside", a, window->LeftEdge + a->LeftEdge + a->Width, CentreY(a), false},
        {"released over another button", a, CentreX(d), CentreY(d), false},
        {"released outside the window", d, 5, 470, false},
        {"the other one released over it", d, CentreX(d), CentreY(d), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host::Press(CentreX(c.pressed), CentreY(c.pressed));
        host::MoveMouse(c.releaseX, c.releaseY);
        host::Release(c.releaseX, c.releaseY);
        auto all = Settled(window);
        auto ups = OfClass(all, IDCMP_GADGETUP);
        ASSERT_EQ(ups.size(), c.gadgetUp ? 1u : 0u);
        EXPECT_EQ(c.gadgetUp ? ups[0].address : nullptr, c.gadgetUp ? c.pressed : nullptr);
        // A press that a button took is not also a mouse button message.
        EXPECT_TRUE(OfClass(all, IDCMP_MOUSEBUTTONS).empty());
    }
}

// ---- text fields ----

constexpr int kLeft = -0x4F;  // negative: a raw cursor key
constexpr int kRight = -0x4E;
constexpr int kAlt = 0x10000;  // with Alt held

void Press(std::initializer_list<int> keys) {
    for (int k : keys)
        if (k < 0) host::RawKey(-k);
        else if (k & kAlt) host::Key(k & 0xFF, IEQUALIFIER_LALT);
        else host::Key(k);
}

class TextField : public wtest::GadtoolsTest {
protected:
    static StringInfo* Info(Gadget* g) { return static_cast<StringInfo*>(g->SpecialInfo); }
    bool Active(Gadget* g) {
        for (const auto& info : host::Gadgets(window))
            if (info.gadget == g) return info.active;
        return false;
    }
    // Pixels of the fill pen (the cursor block) inside a field.
    int CursorPixels(Gadget* g) {
        int n = 0;
        for (int y = g->TopEdge; y < g->TopEdge + g->Height; ++y)
            for (int x = g->LeftEdge; x < g->LeftEdge + g->Width; ++x) n += host::WindowPixel(window, x, y) == 3;
        return n;
    }
    // The text the field shows now.
    std::string Shown(Gadget* g) {
        std::string out;
        for (const auto& t : host::Texts(window))
            if (t.x >= g->LeftEdge && t.x < g->LeftEdge + g->Width && t.y >= g->TopEdge && t.y < g->TopEdge + g->Height)
                out = t.text;
        return out;
    }
};

// Keys after ActivateGadget edit at the cursor; Return and Tab end with GADGETUP, Escape without.
TEST_F(TextField, EditsWhileActiveAndHowEditingEnds) {
    struct Case { const char* name; int maxChars; const char* initial; std::initializer_list<int> keys;
                  const char* buffer; int cursor; bool up; const char* toWindow; };
    const Case cases[] = {
        {"typing stops at the limit", 5, "", {'a', 'b', 'c', 'd', 'e', 'f', 'g'}, "abcde", 5, false, ""},
        {"typing into a full field changes nothing", 3, "xyz", {'q'}, "xyz", 3, false, ""},
        {"a full one-character field takes the typed one instead", 1, "2", {'7', '3'}, "3", 1, false, ""},
        {"typing inserts at the cursor", 8, "abc", {kLeft, kLeft, 'X', 'Y'}, "aXYbc", 3, false, ""},
        {"cursor left stops at the start", 8, "abc", {kLeft, kLeft, kLeft, kLeft, kLeft, '_'}, "_abc", 1, false, ""},
        {"cursor right stops at the end", 8, "abc", {kLeft, kRight, kRight, '!'}, "abc!", 4, false, ""},
        {"backspace deletes left of the cursor", 8, "abc", {kLeft, 8}, "ac", 1, false, ""},
        {"backspace at the start does nothing", 8, "abc", {kLeft, kLeft, kLeft, 8}, "abc", 0, false, ""},
        {"del deletes at the cursor", 8, "abc", {kLeft, kLeft, 127}, "ac", 1, false, ""},
        {"del at the end does nothing", 8, "abc", {127}, "abc", 3, false, ""},
        {"emptying and typing again", 1, "2", {8, '7'}, "7", 1, false, ""},
        {"latin-1 letters are typed, control codes are not", 8, "", {0xB4, 0xE9, 1, 0x9B}, "\xB4\xE9", 2, false, ""},
        {"keys with alt are not the field's", 8, "ab", {kAlt | 'x'}, "ab", 2, false, "x"},
        {"Return ends it with GADGETUP", 4, "12", {'3', 13}, "123", -1, true, ""},
        {"Tab ends it with GADGETUP", 4, "12", {'3', 9}, "123", -1, true, ""},
        {"Escape ends it without", 4, "12", {'3', 27}, "123", -1, false, "\x1B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        Gadget* g = AddField(201, 130, 40, 200, c.maxChars, c.initial);
        ASSERT_NE(g, nullptr);
        Attach();
        ASSERT_TRUE(ActivateGadget(g, window, nullptr));
        Press(c.keys);
        auto all = Settled(window);
        const bool active = c.cursor >= 0;
        EXPECT_STREQ(Info(g)->Buffer, c.buffer);
        EXPECT_EQ(active ? Info(g)->BufferPos : c.cursor, c.cursor);
        EXPECT_EQ(Info(g)->NumChars, static_cast<WORD>(std::strlen(c.buffer)));
        EXPECT_EQ(Active(g), active);
        EXPECT_EQ(Shown(g), std::string(c.buffer));
        EXPECT_EQ(CursorPixels(g) > 0, active);
        const auto ups = OfClass(all, IDCMP_GADGETUP);
        ASSERT_EQ(ups.size(), c.up ? 1u : 0u);
        EXPECT_EQ(c.up ? ups[0].address : nullptr, c.up ? g : nullptr);
        std::string keys;
        for (const auto& m : OfClass(all, IDCMP_VANILLAKEY)) keys += static_cast<char>(m.code);
        EXPECT_EQ(keys, c.toWindow);
        if (active) continue;
        host::Type("z");  // once it has ended, keys are the window's
        EXPECT_EQ(OfClass(Settled(window), IDCMP_VANILLAKEY).size(), 1u);
        EXPECT_STREQ(Info(g)->Buffer, c.buffer);
    }
}

// ---- menus ----

using MenuStrip = wtest::VirtualDisplay;

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
        {"far below the menus", 600, 400}, {"on the separator", ItemX(0, 3), ItemY(0, 3)},
        {"on the title only", TitleX(1), 5}, {"beside the open box", ItemX(0, 0) + 300, ItemY(0, 0)},
    };
    for (const Case& c : away) {
        host::RightPress(TitleX(0), 5);
        host::MoveMouse(c.x, c.y);
        host::RightRelease(c.x, c.y);
        EXPECT_EQ(Picks(), std::vector<UWORD>{MENUNULL}) << c.name;
    }
    // Pressed just right of the last title, the bar opens no menu: below it lies no item.
    host::RightPress(Nth(2)->LeftEdge + Nth(2)->Width, 5);
    host::MoveMouse(ItemX(2, 0), ItemY(2, 0));
    host::RightRelease(ItemX(2, 0), ItemY(2, 0));
    EXPECT_EQ(Picks(), std::vector<UWORD>{MENUNULL});
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
