// GadTools: push buttons, one-line text fields, and menu strips chosen by mouse and command key.
#include <cstring>
#include <tuple>

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
    // Face (away from label and bevel), top-left and bottom-right bevel pens.
    std::vector<int> Look(const Gadget* g) {
        return {host::WindowPixel(window, g->LeftEdge + 3, g->TopEdge + g->Height / 2),
                host::WindowPixel(window, g->LeftEdge, g->TopEdge),
                host::WindowPixel(window, g->LeftEdge + g->Width - 1, g->TopEdge + g->Height - 1)};
    }
    std::vector<Gadget*> Order() {
        std::vector<Gadget*> out;
        for (Gadget* g = window->FirstGadget; g; g = g->NextGadget) out.push_back(g);
        return out;
    }
    const std::vector<int> kUp = {0, 2, 1}, kDown = {3, 1, 2};
};

TEST_F(GadgetList, ButtonLooksPressedOnlyWhileTheButtonIsHeldOverIt) {
    Gadget* b = Shuffle();
    ASSERT_NE(b, nullptr);
    Attach();
    EXPECT_EQ(Look(b), kUp);
    struct Step { int dx, dy; bool pressedLook; };  // dx, dy: pointer from the centre
    host::Press(CentreX(b), CentreY(b));
    for (const Step& s : {Step{0, 0, true}, Step{100, 0, false}, Step{0, 40, false}, Step{5, 2, true},
                          Step{-200, -200, false}, Step{0, 0, true}}) {
        host::MoveMouse(CentreX(b) + s.dx, CentreY(b) + s.dy);
        Settle();
        EXPECT_EQ(Look(b), s.pressedLook ? kDown : kUp) << "pointer at +" << s.dx << ",+" << s.dy;
    }
    host::Release(CentreX(b), CentreY(b));
    Settle();
    EXPECT_EQ(Look(b), kUp);
}

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
        if (c.gadgetUp) {
            EXPECT_EQ(ups[0].address, c.pressed);
        }
        // A press that a button took is not also a mouse button message.
        EXPECT_TRUE(OfClass(all, IDCMP_MOUSEBUTTONS).empty());
    }
}

TEST_F(GadgetList, ShortcutLetterIsUnderlinedAndItsMarkerNotShown) {
    struct Case {
        const char* label;
        const char* shown;
        int underlined;  // index in the shown text, -1 for none
    };
    const Case cases[] = {
        {"_Draw", "Draw", 0}, {"Sh_uffle", "Shuffle", 2}, {"Bet _Prefs", "Bet Prefs", 4}, {"OK", "OK", -1}};
    WORD top = 20;
    for (const Case& c : cases) ASSERT_NE(AddButton(1, 20, top += 30, 120, 20, c.label), nullptr);
    Attach();
    TextFont* font = platform::SystemFont();
    ASSERT_NE(font, nullptr);
    const int cw = font->tf_XSize, row = font->tf_Baseline + 1;  // the first row under the baseline
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const host::TextInfo* text = nullptr;
        auto texts = host::Texts(window);
        for (const auto& t : texts)
            if (t.text == c.shown) text = &t;
        ASSERT_NE(text, nullptr) << "not shown as " << c.shown;
        EXPECT_FALSE(host::ShowsText(window, std::string("_") + c.shown));
        for (int i = 0; i < static_cast<int>(std::strlen(c.shown)); ++i) {
            auto ch = static_cast<unsigned char>(c.shown[i]);
            const UBYTE* glyph = font->tf_CharData + static_cast<size_t>(ch - font->tf_LoChar) * font->tf_YSize;
            for (int col = 0; col < cw; ++col) {
                bool expectInk = (glyph[row] & (0x80 >> col)) != 0 || i == c.underlined;
                int pen = host::WindowPixel(window, text->x + i * cw + col, text->y + 1);
                EXPECT_EQ(pen == 1, expectInk) << "letter " << i << " column " << col;
            }
        }
    }
}

TEST_F(GadgetList, ContextAndVisualInfoCanFail) {
    Gadget* list = reinterpret_cast<Gadget*>(&list);  // anything but null
    host::FailOnce("CreateContext");
    EXPECT_EQ(CreateContext(&list), nullptr);
    EXPECT_EQ(list, nullptr);
    host::FailOnce("GetVisualInfo");
    EXPECT_EQ(GetVisualInfo(screen, TAG_DONE), nullptr);
}

TEST_F(GadgetList, RefreshGListDrawsOnlyTheCountGivenAndKeepsThePortSettings) {
    Gadget* a = AddButton(1, 10, 30, 60, 16, "Alpha");
    Gadget* b = AddButton(2, 80, 30, 60, 16, "Beta");
    ASSERT_NE(b, nullptr);
    RastPort* rp = window->RPort;
    SetAPen(rp, 7);
    SetBPen(rp, 5);
    SetDrMd(rp, JAM2);
    Move(rp, 33, 44);
    AddGList(window, glist, 0, -1, nullptr);
    RefreshGList(a, window, nullptr, 1);
    EXPECT_TRUE(host::ShowsText(window, "Alpha"));
    EXPECT_FALSE(host::ShowsText(window, "Beta"));
    EXPECT_EQ(Look(b)[1], 0);  // untouched background
    RefreshGList(glist, window, nullptr, -1);
    EXPECT_TRUE(host::ShowsText(window, "Beta"));
    EXPECT_EQ(Look(b), kUp);
    GT_RefreshWindow(window, nullptr);
    GT_BeginRefresh(window);
    GT_EndRefresh(window, TRUE);
    EXPECT_TRUE(host::ShowsText(window, "Beta"));
    EXPECT_EQ(std::vector<int>({rp->FgPen, rp->BgPen, rp->DrawMode, rp->cp_x, rp->cp_y}),
              std::vector<int>({7, 5, JAM2, 33, 44}));
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
        if (active) {
            EXPECT_EQ(Info(g)->BufferPos, c.cursor);
        }
        EXPECT_EQ(Info(g)->NumChars, static_cast<WORD>(std::strlen(c.buffer)));
        EXPECT_EQ(Active(g), active);
        EXPECT_EQ(Shown(g), std::string(c.buffer));
        EXPECT_EQ(CursorPixels(g) > 0, active);
        const auto ups = OfClass(all, IDCMP_GADGETUP);
        ASSERT_EQ(ups.size(), c.up ? 1u : 0u);
        if (c.up) {
            EXPECT_EQ(ups[0].address, g);
        }
        std::string keys;
        for (const auto& m : OfClass(all, IDCMP_VANILLAKEY)) keys += static_cast<char>(m.code);
        EXPECT_EQ(keys, c.toWindow);
        if (active) continue;
        host::Type("z");  // once it has ended, keys are the window's
        EXPECT_EQ(OfClass(Settled(window), IDCMP_VANILLAKEY).size(), 1u);
        EXPECT_STREQ(Info(g)->Buffer, c.buffer);
    }
}

// ActivateGadget and clicks make a field active; another field or a click elsewhere ends it silently.
TEST_F(TextField, ActivationByCallAndByClickPlacesTheCursorAndEndsTheOtherField) {
    Gadget* a = AddField(201, 130, 30, 120, 10, "abcdef");
    Gadget* b = AddField(202, 130, 60, 60, 3, "2", "_Jokers:");
    ASSERT_NE(b, nullptr);
    Attach();
    EXPECT_FALSE(Active(a));
    ASSERT_TRUE(ActivateGadget(a, window, nullptr));
    EXPECT_TRUE(Active(a));
    EXPECT_EQ(Info(a)->BufferPos, 6);
    EXPECT_GT(CursorPixels(a), 0);
    ASSERT_TRUE(ActivateGadget(b, window, nullptr));
    EXPECT_FALSE(Active(a));
    EXPECT_EQ(CursorPixels(a), 0);
    host::Type("5");
    Settle();
    EXPECT_STREQ(Info(b)->Buffer, "25");
    int textX = -1;  // where the first field's text starts
    for (const auto& t : host::Texts(window))
        if (t.text == "abcdef") textX = t.x;
    ASSERT_GE(textX, a->LeftEdge);
    struct Case { int column; int cursor; };  // column: a point inside this character cell
    for (const Case& c : {Case{0, 0}, Case{2, 2}, Case{5, 5}, Case{8, 6}}) {
        host::Click(window->LeftEdge + textX + c.column * 8 + 2, CentreY(a));
        Settle();
        EXPECT_TRUE(Active(a) && !Active(b)) << c.column;
        EXPECT_EQ(Info(a)->BufferPos, c.cursor) << c.column;
    }
    host::Click(window->LeftEdge + 20, window->TopEdge + 150);  // in the window, outside the fields
    host::Type("q");
    auto all = Settled(window);
    EXPECT_FALSE(Active(a));
    EXPECT_TRUE(OfClass(all, IDCMP_GADGETUP).empty());
    EXPECT_EQ(OfClass(all, IDCMP_MOUSEBUTTONS).size(), 2u);
    EXPECT_STREQ(Info(a)->Buffer, "abcdef");
    EXPECT_STREQ(Info(b)->Buffer, "25");
    // Not a text field, or not in the window: refused.
    EXPECT_FALSE(ActivateGadget(glist, window, nullptr));
    EXPECT_FALSE(ActivateGadget(nullptr, window, nullptr));
    RemoveGList(window, b, 1);
    EXPECT_FALSE(Active(b));
    EXPECT_FALSE(ActivateGadget(b, window, nullptr));
    FreeGadgets(b);
}

TEST_F(TextField, ANarrowFieldScrollsToKeepTheCursorVisible) {
    Gadget* g = AddField(201, 130, 40, 30, 12, "");
    ASSERT_NE(g, nullptr);
    Attach();
    ASSERT_TRUE(ActivateGadget(g, window, nullptr));
    host::Type("abcdefgh");
    Settle();
    StringInfo* si = Info(g);
    ASSERT_STREQ(si->Buffer, "abcdefgh");
    // What it shows is the part of the text just before the cursor.
    std::string shown = Shown(g);
    ASSERT_FALSE(shown.empty());
    EXPECT_LT(shown.size(), 8u);
    EXPECT_EQ(std::string(si->Buffer + si->DispPos).substr(0, shown.size()), shown);
    EXPECT_EQ(si->DispPos + static_cast<int>(shown.size()), 8);
    EXPECT_GT(CursorPixels(g), 0);
    for (int i = 0; i < 8; ++i) host::RawKey(-kLeft);  // back to the start shows the start
    Settle();
    EXPECT_EQ(si->BufferPos, 0);
    EXPECT_EQ(si->DispPos, 0);
    EXPECT_EQ(Shown(g).substr(0, 1), "a");
}

// A field shows its label and its text cut at the limit, and what the program writes once refreshed.
TEST_F(TextField, ShowsItsLabelAndTextAndWhatTheProgramWritesAfterRefreshing) {
    Gadget* changes = AddField(201, 130, 30, 100, 5, "too long for it", "_Changes:");
    Gadget* jokers = AddField(202, 130, 50, 30, 1, "2");
    ASSERT_NE(jokers, nullptr);
    Attach();
    EXPECT_EQ(std::make_tuple(Info(changes)->MaxChars, std::string(Info(changes)->Buffer), Info(changes)->NumChars),
              std::make_tuple(WORD(5), std::string("too l"), WORD(5)));
    EXPECT_EQ(Shown(changes), "too l");
    EXPECT_EQ(CursorPixels(changes), 0);
    int labelEnd = -1;
    for (const auto& t : host::Texts(window))
        if (t.text == "Name:") labelEnd = t.x + 5 * 8;
    EXPECT_LE(labelEnd, jokers->LeftEdge);
    EXPECT_GT(labelEnd, jokers->LeftEdge - 12);
    struct Case { Gadget* g; const char* text; };
    for (const Case& c : {Case{changes, "3"}, Case{jokers, "8"}, Case{changes, ""}, Case{jokers, "0"}}) {
        StringInfo* si = Info(c.g);
        std::strcpy(si->Buffer, c.text);
        si->BufferPos = si->DispPos = 0;
        RefreshGList(c.g, window, nullptr, 1);
        EXPECT_EQ(Shown(c.g), c.text);
        EXPECT_EQ(si->NumChars, static_cast<WORD>(std::strlen(c.text)));
    }
    ASSERT_TRUE(ActivateGadget(jokers, window, nullptr));
    Press({8, '5', 13});
    EXPECT_EQ(Ups().size(), 1u);
    EXPECT_STREQ(Info(jokers)->Buffer, "5");
    EXPECT_EQ(Shown(jokers), "5");
    std::memset(Info(jokers)->Buffer, 'w', 2);  // MaxChars + 1 bytes, no NUL: cut at the limit
    RefreshGList(jokers, window, nullptr, 1);
    EXPECT_EQ(Info(jokers)->NumChars, 1);
    EXPECT_EQ(Shown(jokers), "w");
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
