// One-line text fields: editing while active, how editing ends, activation by click and by
// ActivateGadget, and what a program writes into the buffer itself.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "gadtools_testing.h"

namespace {

using gttest::Drain;
using gttest::OfClass;
using gttest::Settle;

constexpr int kLeft = 0x4F;
constexpr int kRight = 0x4E;

class TextField : public ::testing::Test {
protected:
    void SetUp() override {
        host::UseVirtualDisplay();
        screen = LockPubScreen(nullptr);
        ASSERT_NE(screen, nullptr);
        window = gttest::OpenTestWindow("Fields");
        ASSERT_NE(window, nullptr);
        vi = GetVisualInfo(screen, TAG_DONE);
        last = CreateContext(&glist);
        ASSERT_NE(last, nullptr);
    }
    void TearDown() override {
        if (window) CloseWindow(window);
        FreeGadgets(glist);
        FreeVisualInfo(vi);
        if (screen) UnlockPubScreen(nullptr, screen);
    }
    Gadget* AddField(UWORD id, WORD left, WORD top, WORD width, int maxChars, const char* initial,
                     const char* label = "_Name:") {
        NewGadget ng{};
        ng.ng_LeftEdge = left;
        ng.ng_TopEdge = top;
        ng.ng_Width = width;
        ng.ng_Height = 12;
        ng.ng_GadgetText = label;
        ng.ng_GadgetID = id;
        ng.ng_Flags = NG_HIGHLABEL;
        ng.ng_VisualInfo = vi;
        Gadget* g = CreateGadget(STRING_KIND, last, &ng, GTST_String, initial, GTST_MaxChars, maxChars, GT_Underscore,
                                 '_', TAG_DONE);
        if (g) last = g;
        return g;
    }
    void Attach() {
        AddGList(window, glist, 0, -1, nullptr);
        RefreshGList(glist, window, nullptr, -1);
    }
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

    Screen* screen = nullptr;
    Window* window = nullptr;
    APTR vi = nullptr;
    Gadget* glist = nullptr;
    Gadget* last = nullptr;
};

TEST_F(TextField, StartsWithItsTextAndLimitAndShowsItsLabelLeftOfIt) {
    Gadget* g = AddField(201, 130, 40, 100, 5, "too long for it");
    ASSERT_NE(g, nullptr);
    Attach();
    EXPECT_EQ(Info(g)->MaxChars, 5);
    EXPECT_STREQ(Info(g)->Buffer, "too l");
    EXPECT_EQ(Info(g)->NumChars, 5);
    EXPECT_EQ(Shown(g), "too l");
    // The label ends left of the field.
    bool found = false;
    for (const auto& t : host::Texts(window))
        if (t.text == "Name:") {
            found = true;
            EXPECT_LT(t.x + 5 * 8, g->LeftEdge + 1);
            EXPECT_GT(t.x + 5 * 8, g->LeftEdge - 12);
        }
    EXPECT_TRUE(found);
    EXPECT_EQ(CursorPixels(g), 0);
}

struct EditCase {
    const char* name;
    int maxChars;
    const char* initial;
    std::function<void()> keys;  // after ActivateGadget (cursor at the end)
    const char* buffer;
    int cursor;
};

TEST_F(TextField, EditsWhileActive) {
    const EditCase cases[] = {
        {"typing stops at the limit", 5, "", [] { host::Type("abcdefg"); }, "abcde", 5},
        {"typing into a full field changes nothing", 3, "xyz", [] { host::Type("q"); }, "xyz", 3},
        {"typing inserts at the cursor", 8, "abc",
         [] {
             host::RawKey(kLeft);
             host::RawKey(kLeft);
             host::Type("XY");
         },
         "aXYbc", 3},
        {"cursor left stops at the start", 8, "abc",
         [] {
             for (int i = 0; i < 6; ++i) host::RawKey(kLeft);
             host::Type("_");
         },
         "_abc", 1},
        {"cursor right stops at the end", 8, "abc",
         [] {
             host::RawKey(kLeft);
             host::RawKey(kRight);
             host::RawKey(kRight);
             host::Type("!");
         },
         "abc!", 4},
        {"backspace deletes left of the cursor", 8, "abc",
         [] {
             host::RawKey(kLeft);
             host::Key(8);
         },
         "ac", 1},
        {"backspace at the start does nothing", 8, "abc",
         [] {
             for (int i = 0; i < 3; ++i) host::RawKey(kLeft);
             host::Key(8);
         },
         "abc", 0},
        {"del deletes at the cursor", 8, "abc",
         [] {
             host::RawKey(kLeft);
             host::RawKey(kLeft);
             host::Key(127);
         },
         "ac", 1},
        {"del at the end does nothing", 8, "abc", [] { host::Key(127); }, "abc", 3},
        {"emptying and typing again", 1, "2",
         [] {
             host::Key(8);
             host::Type("7");
         },
         "7", 1},
        {"latin-1 letters are typed, control codes are not", 8, "",
         [] {
             host::Key(0xB4);
             host::Key(0xE9);
             host::Key(1);
             host::Key(0x9B);
         },
         "\xB4\xE9", 2},
        {"keys with alt are not the field's", 8, "ab", [] { host::Key('x', IEQUALIFIER_LALT); }, "ab", 2},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (window) CloseWindow(window);
        FreeGadgets(glist);
        window = gttest::OpenTestWindow("Fields");
        last = CreateContext(&glist);
        Gadget* g = AddField(201, 130, 40, 200, c.maxChars, c.initial);
        ASSERT_NE(g, nullptr);
        Attach();
        ASSERT_TRUE(ActivateGadget(g, window, nullptr));
        c.keys();
        Settle();
        EXPECT_STREQ(Info(g)->Buffer, c.buffer);
        EXPECT_EQ(Info(g)->BufferPos, c.cursor);
        EXPECT_EQ(Info(g)->NumChars, static_cast<WORD>(std::strlen(c.buffer)));
        EXPECT_TRUE(Active(g));
        EXPECT_EQ(Shown(g), std::string(c.buffer));
        // Editing keys never reach the window, and nothing ended yet.
        auto all = Drain(window);
        EXPECT_TRUE(OfClass(all, IDCMP_GADGETUP).empty());
        for (const auto& m : OfClass(all, IDCMP_VANILLAKEY)) EXPECT_EQ(m.code, 'x');  // only the Alt key
    }
}

TEST_F(TextField, ReturnOrTabEndsEditingWithGadgetUpAndEscapeWithout) {
    struct Case {
        int key;
        bool gadgetUp;
        bool windowGetsKey;
    };
    const Case cases[] = {{13, true, false}, {9, true, false}, {27, false, true}};
    Gadget* g = AddField(202, 130, 40, 100, 4, "12");
    ASSERT_NE(g, nullptr);
    Attach();
    for (const Case& c : cases) {
        SCOPED_TRACE("key " + std::to_string(c.key));
        ASSERT_TRUE(ActivateGadget(g, window, nullptr));
        host::Type("3");
        host::Key(c.key);
        Settle();
        auto all = Drain(window);
        auto ups = OfClass(all, IDCMP_GADGETUP);
        ASSERT_EQ(ups.size(), c.gadgetUp ? 1u : 0u);
        if (c.gadgetUp) {
            EXPECT_EQ(ups[0].address, g);
        }
        auto keys = OfClass(all, IDCMP_VANILLAKEY);
        ASSERT_EQ(keys.size(), c.windowGetsKey ? 1u : 0u);
        if (c.windowGetsKey) {
            EXPECT_EQ(keys[0].code, c.key);
        }
        EXPECT_FALSE(Active(g));
        EXPECT_EQ(CursorPixels(g), 0);
        // The text stays as typed; later keys go to the window.
        EXPECT_STREQ(Info(g)->Buffer, "123");
        host::Type("z");
        Settle();
        keys = OfClass(Drain(window), IDCMP_VANILLAKEY);
        ASSERT_EQ(keys.size(), 1u);
        EXPECT_EQ(keys[0].code, 'z');
        EXPECT_STREQ(Info(g)->Buffer, "123");
        // Back to two characters for the next case.
        Info(g)->Buffer[2] = '\0';
    }
}

TEST_F(TextField, ActivateGadgetPutsTheCursorAtTheEndAndShowsIt) {
    Gadget* a = AddField(201, 130, 30, 60, 3, "1");
    Gadget* b = AddField(202, 130, 60, 60, 3, "2", "_Jokers:");
    ASSERT_NE(b, nullptr);
    Attach();
    EXPECT_FALSE(Active(a));
    ASSERT_TRUE(ActivateGadget(a, window, nullptr));
    EXPECT_TRUE(Active(a));
    EXPECT_EQ(Info(a)->BufferPos, 1);
    EXPECT_GT(CursorPixels(a), 0);
    // Activating the other one ends the first without a message.
    ASSERT_TRUE(ActivateGadget(b, window, nullptr));
    EXPECT_FALSE(Active(a));
    EXPECT_EQ(CursorPixels(a), 0);
    EXPECT_TRUE(Active(b));
    host::Type("5");
    Settle();
    EXPECT_STREQ(Info(b)->Buffer, "25");
    EXPECT_STREQ(Info(a)->Buffer, "1");
    EXPECT_TRUE(OfClass(Drain(window), IDCMP_GADGETUP).empty());
    // Not a text field, or not in the window: refused.
    EXPECT_FALSE(ActivateGadget(glist, window, nullptr));
    EXPECT_FALSE(ActivateGadget(nullptr, window, nullptr));
    RemoveGList(window, b, 1);
    EXPECT_FALSE(Active(b));
    EXPECT_FALSE(ActivateGadget(b, window, nullptr));
    FreeGadgets(b);
}

TEST_F(TextField, ClickingIntoAFieldPlacesTheCursorAndClickingElsewhereEndsEditing) {
    Gadget* g = AddField(201, 130, 40, 120, 10, "abcdef");
    ASSERT_NE(g, nullptr);
    Attach();
    // Find where the field's text starts from what it shows.
    int textX = -1;
    for (const auto& t : host::Texts(window))
        if (t.text == "abcdef") textX = t.x;
    ASSERT_GE(textX, g->LeftEdge);
    struct Case {
        int column;  // a point inside this character cell
        int cursor;
    };
    const Case cases[] = {{0, 0}, {2, 2}, {5, 5}, {8, 6}};
    for (const Case& c : cases) {
        host::Click(window->LeftEdge + textX + c.column * 8 + 2, window->TopEdge + g->TopEdge + g->Height / 2);
        Settle();
        EXPECT_TRUE(Active(g)) << c.column;
        EXPECT_EQ(Info(g)->BufferPos, c.cursor) << c.column;
    }
    // A click in the window outside the field: no longer active, no gadget message.
    host::Click(window->LeftEdge + 20, window->TopEdge + 150);
    Settle();
    EXPECT_FALSE(Active(g));
    auto all = Drain(window);
    EXPECT_TRUE(OfClass(all, IDCMP_GADGETUP).empty());
    EXPECT_EQ(OfClass(all, IDCMP_MOUSEBUTTONS).size(), 2u);
    host::Type("q");
    Settle();
    EXPECT_STREQ(Info(g)->Buffer, "abcdef");
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
    // Going back to the start shows the start.
    for (int i = 0; i < 8; ++i) host::RawKey(kLeft);
    Settle();
    EXPECT_EQ(si->BufferPos, 0);
    EXPECT_EQ(si->DispPos, 0);
    EXPECT_EQ(Shown(g).substr(0, 1), "a");
}

TEST_F(TextField, WhatTheProgramWritesShowsAfterRefreshingTheGadget) {
    Gadget* changes = AddField(201, 130, 30, 30, 1, "1", "_Changes:");
    Gadget* jokers = AddField(202, 130, 50, 30, 1, "2", "_Jokers:");
    ASSERT_NE(jokers, nullptr);
    Attach();
    struct Case {
        Gadget* g;
        const char* text;
    };
    const Case cases[] = {{changes, "3"}, {jokers, "8"}, {changes, ""}, {jokers, "0"}};
    for (const Case& c : cases) {
        StringInfo* si = Info(c.g);
        std::strcpy(si->Buffer, c.text);
        si->BufferPos = 0;
        si->DispPos = 0;
        RefreshGList(c.g, window, nullptr, 1);
        EXPECT_EQ(Shown(c.g), c.text);
        EXPECT_EQ(si->NumChars, static_cast<WORD>(std::strlen(c.text)));
    }
    // Editing goes on from what the program wrote.
    ASSERT_TRUE(ActivateGadget(jokers, window, nullptr));
    host::Key(8);
    host::Type("5");
    host::Key(13);
    Settle();
    EXPECT_STREQ(Info(jokers)->Buffer, "5");
    EXPECT_EQ(Shown(jokers), "5");
    EXPECT_EQ(OfClass(Drain(window), IDCMP_GADGETUP).size(), 1u);
}

TEST_F(TextField, ABufferWrittenWithoutItsEndIsCutAtTheLimit) {
    Gadget* g = AddField(201, 130, 30, 80, 3, "");
    ASSERT_NE(g, nullptr);
    Attach();
    StringInfo* si = Info(g);
    std::memset(si->Buffer, 'w', 4);  // MaxChars + 1 bytes, no NUL
    RefreshGList(g, window, nullptr, 1);
    EXPECT_EQ(si->NumChars, 3);
    EXPECT_EQ(Shown(g), "www");
}

}  // namespace
