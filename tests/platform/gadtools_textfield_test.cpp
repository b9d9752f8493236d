// One-line text fields: editing while active, how editing ends, activation by click and by
// ActivateGadget, and what a program writes into the buffer itself.
#include <cstring>

#include "server_testing.h"

namespace {

using wtest::Drain;
using wtest::OfClass;
using wtest::Settle;
using wtest::Settled;

constexpr int kLeft = -0x4F;  // negative: a raw cursor key
constexpr int kRight = -0x4E;
constexpr int kAlt = 0x10000;  // with Alt held

void Press(std::initializer_list<int> keys) {
    for (int k : keys) {
        if (k < 0)
            host::RawKey(-k);
        else if (k & kAlt)
            host::Key(k & 0xFF, IEQUALIFIER_LALT);
        else
            host::Key(k);
    }
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

TEST_F(TextField, StartsWithItsTextAndLimitAndShowsItsLabelLeftOfIt) {
    Gadget* g = AddField(201, 130, 40, 100, 5, "too long for it");
    ASSERT_NE(g, nullptr);
    Attach();
    EXPECT_EQ(Info(g)->MaxChars, 5);
    EXPECT_STREQ(Info(g)->Buffer, "too l");
    EXPECT_EQ(Info(g)->NumChars, 5);
    EXPECT_EQ(Shown(g), "too l");
    EXPECT_EQ(CursorPixels(g), 0);
    int labelEnd = -1;
    for (const auto& t : host::Texts(window))
        if (t.text == "Name:") labelEnd = t.x + 5 * 8;
    EXPECT_LE(labelEnd, g->LeftEdge);
    EXPECT_GT(labelEnd, g->LeftEdge - 12);
}

TEST_F(TextField, EditsWhileActive) {
    // Keys go after ActivateGadget, which puts the cursor at the end.
    struct Case { const char* name; int maxChars; const char* initial; std::initializer_list<int> keys;
                  const char* buffer; int cursor; };
    const Case cases[] = {
        {"typing stops at the limit", 5, "", {'a', 'b', 'c', 'd', 'e', 'f', 'g'}, "abcde", 5},
        {"typing into a full field changes nothing", 3, "xyz", {'q'}, "xyz", 3},
        {"a full one-character field takes the typed one instead", 1, "2", {'7', '3'}, "3", 1},
        {"typing inserts at the cursor", 8, "abc", {kLeft, kLeft, 'X', 'Y'}, "aXYbc", 3},
        {"cursor left stops at the start", 8, "abc", {kLeft, kLeft, kLeft, kLeft, kLeft, '_'}, "_abc", 1},
        {"cursor right stops at the end", 8, "abc", {kLeft, kRight, kRight, '!'}, "abc!", 4},
        {"backspace deletes left of the cursor", 8, "abc", {kLeft, 8}, "ac", 1},
        {"backspace at the start does nothing", 8, "abc", {kLeft, kLeft, kLeft, 8}, "abc", 0},
        {"del deletes at the cursor", 8, "abc", {kLeft, kLeft, 127}, "ac", 1},
        {"del at the end does nothing", 8, "abc", {127}, "abc", 3},
        {"emptying and typing again", 1, "2", {8, '7'}, "7", 1},
        {"latin-1 letters are typed, control codes are not", 8, "", {0xB4, 0xE9, 1, 0x9B}, "\xB4\xE9", 2},
        {"keys with alt are not the field's", 8, "ab", {kAlt | 'x'}, "ab", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh();
        Gadget* g = AddField(201, 130, 40, 200, c.maxChars, c.initial);
        ASSERT_NE(g, nullptr);
        Attach();
        ASSERT_TRUE(ActivateGadget(g, window, nullptr));
        Press(c.keys);
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
    struct Case { int key; bool gadgetUp; };  // gadgetUp: else the window gets the key
    Gadget* g = AddField(202, 130, 40, 100, 4, "12");
    ASSERT_NE(g, nullptr);
    Attach();
    for (const Case& c : {Case{13, true}, Case{9, true}, Case{27, false}}) {
        SCOPED_TRACE("key " + std::to_string(c.key));
        ASSERT_TRUE(ActivateGadget(g, window, nullptr));
        host::Type("3");
        host::Key(c.key);
        auto all = Settled(window);
        auto ups = OfClass(all, IDCMP_GADGETUP);
        auto keys = OfClass(all, IDCMP_VANILLAKEY);
        ASSERT_EQ(ups.size(), c.gadgetUp ? 1u : 0u);
        ASSERT_EQ(keys.size(), c.gadgetUp ? 0u : 1u);
        if (c.gadgetUp) {
            EXPECT_EQ(ups[0].address, g);
        } else {
            EXPECT_EQ(keys[0].code, c.key);
        }
        EXPECT_FALSE(Active(g));
        EXPECT_EQ(CursorPixels(g), 0);
        // The text stays as typed; later keys go to the window.
        host::Type("z");
        keys = OfClass(Settled(window), IDCMP_VANILLAKEY);
        ASSERT_EQ(keys.size(), 1u);
        EXPECT_EQ(keys[0].code, 'z');
        EXPECT_STREQ(Info(g)->Buffer, "123");
        Info(g)->Buffer[2] = '\0';  // back to two characters for the next case
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
    host::Type("5");
    Settle();
    EXPECT_STREQ(Info(b)->Buffer, "25");
    EXPECT_STREQ(Info(a)->Buffer, "1");
    EXPECT_TRUE(Ups().empty());
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
    int textX = -1;  // where the field's text starts
    for (const auto& t : host::Texts(window))
        if (t.text == "abcdef") textX = t.x;
    ASSERT_GE(textX, g->LeftEdge);
    struct Case { int column; int cursor; };  // column: a point inside this character cell
    for (const Case& c : {Case{0, 0}, Case{2, 2}, Case{5, 5}, Case{8, 6}}) {
        host::Click(window->LeftEdge + textX + c.column * 8 + 2, CentreY(g));
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
    for (int i = 0; i < 8; ++i) host::RawKey(-kLeft);  // back to the start shows the start
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
    struct Case { Gadget* g; const char* text; };
    for (const Case& c : {Case{changes, "3"}, Case{jokers, "8"}, Case{changes, ""}, Case{jokers, "0"}}) {
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
    Press({8, '5', 13});
    Settle();
    EXPECT_STREQ(Info(jokers)->Buffer, "5");
    EXPECT_EQ(Shown(jokers), "5");
    EXPECT_EQ(Ups().size(), 1u);

    // A buffer written without its end is cut at the limit.
    std::memset(Info(changes)->Buffer, 'w', 2);  // MaxChars + 1 bytes, no NUL
    RefreshGList(changes, window, nullptr, 1);
    EXPECT_EQ(Info(changes)->NumChars, 1);
    EXPECT_EQ(Shown(changes), "w");
}

}  // namespace
