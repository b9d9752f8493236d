// Push buttons and gadget lists: building them from descriptions, attaching, drawing, the
// pressed look and the messages a click gives.
#include <gtest/gtest.h>

#include <cstring>

#include "gadtools_testing.h"
#include "gfx_private.h"

namespace {

using gttest::Drain;
using gttest::OfClass;
using gttest::Settle;

struct ButtonSpec {
    UWORD id;
    WORD left, top, width, height;
    const char* label;
};

class GadgetList : public ::testing::Test {
protected:
    void SetUp() override {
        host::UseVirtualDisplay();
        screen = LockPubScreen(nullptr);
        ASSERT_NE(screen, nullptr);
        window = gttest::OpenTestWindow();
        ASSERT_NE(window, nullptr);
        vi = GetVisualInfo(screen, TAG_DONE);
        ASSERT_NE(vi, nullptr);
        last = CreateContext(&glist);
        ASSERT_NE(last, nullptr);
    }
    void TearDown() override {
        if (window) CloseWindow(window);
        FreeGadgets(glist);
        FreeVisualInfo(vi);
        if (screen) UnlockPubScreen(nullptr, screen);
    }
    Gadget* AddButton(const ButtonSpec& b) {
        NewGadget ng{};
        ng.ng_LeftEdge = b.left;
        ng.ng_TopEdge = b.top;
        ng.ng_Width = b.width;
        ng.ng_Height = b.height;
        ng.ng_GadgetText = b.label;
        ng.ng_GadgetID = b.id;
        ng.ng_Flags = PLACETEXT_IN | NG_HIGHLABEL;
        ng.ng_VisualInfo = vi;
        Gadget* g = CreateGadget(BUTTON_KIND, last, &ng, GT_Underscore, '_', TAG_DONE);
        if (g) last = g;
        return g;
    }
    void Attach() {
        AddGList(window, glist, 0, -1, nullptr);
        RefreshGList(glist, window, nullptr, -1);
        GT_RefreshWindow(window, nullptr);
    }
    // Centre of a gadget on the screen.
    int CentreX(const Gadget* g) { return window->LeftEdge + g->LeftEdge + g->Width / 2; }
    int CentreY(const Gadget* g) { return window->TopEdge + g->TopEdge + g->Height / 2; }
    // A point of the face away from the label and the bevel.
    int FacePixel(const Gadget* g) { return host::WindowPixel(window, g->LeftEdge + 3, g->TopEdge + g->Height / 2); }
    int TopLeftBevel(const Gadget* g) { return host::WindowPixel(window, g->LeftEdge, g->TopEdge); }
    int BottomRightBevel(const Gadget* g) {
        return host::WindowPixel(window, g->LeftEdge + g->Width - 1, g->TopEdge + g->Height - 1);
    }

    Screen* screen = nullptr;
    Window* window = nullptr;
    APTR vi = nullptr;
    Gadget* glist = nullptr;
    Gadget* last = nullptr;
};

TEST_F(GadgetList, ButtonLooksPressedOnlyWhileTheButtonIsHeldOverIt) {
    Gadget* b = AddButton({100, 20, 30, 80, 20, "_Shuffle"});
    ASSERT_NE(b, nullptr);
    Attach();
    EXPECT_EQ(FacePixel(b), 0);
    EXPECT_EQ(TopLeftBevel(b), 2);
    EXPECT_EQ(BottomRightBevel(b), 1);

    struct Step {
        int dx, dy;  // pointer relative to the button's centre
        bool pressedLook;
    };
    const Step path[] = {{0, 0, true}, {100, 0, false}, {0, 40, false}, {5, 2, true}, {-200, -200, false}, {0, 0, true}};
    host::Press(CentreX(b), CentreY(b));
    for (const Step& s : path) {
        host::MoveMouse(CentreX(b) + s.dx, CentreY(b) + s.dy);
        Settle();
        EXPECT_EQ(FacePixel(b), s.pressedLook ? 3 : 0) << "pointer at +" << s.dx << ",+" << s.dy;
        EXPECT_EQ(TopLeftBevel(b), s.pressedLook ? 1 : 2);
        EXPECT_EQ(BottomRightBevel(b), s.pressedLook ? 2 : 1);
    }
    host::Release(CentreX(b), CentreY(b));
    Settle();
    EXPECT_EQ(FacePixel(b), 0);
    EXPECT_EQ(TopLeftBevel(b), 2);
}

TEST_F(GadgetList, ReleaseGivesGadgetUpOnlyOverThePressedButton) {
    Gadget* a = AddButton({100, 20, 30, 80, 20, "_Shuffle"});
    Gadget* d = AddButton({101, 200, 30, 80, 20, "_Draw"});
    ASSERT_NE(d, nullptr);
    Attach();
    struct Case {
        const char* name;
        Gadget* pressed;
        int releaseX, releaseY;  // screen
        bool gadgetUp;
    };
    const Case cases[] = {
        {"released over it", a, CentreX(a), CentreY(a), true},
        {"released on its edge", a, window->LeftEdge + a->LeftEdge, window->TopEdge + a->TopEdge, true},
        {"released just outside", a, window->LeftEdge + a->LeftEdge + a->Width, CentreY(a), false},
        {"released over another button", a, CentreX(d), CentreY(d), false},
        {"released outside the window", d, 5, 470, false},
        {"the other one released over it", d, CentreX(d), CentreY(d), true},
    };
    for (const Case& c : cases) {
        host::Press(CentreX(c.pressed), CentreY(c.pressed));
        host::MoveMouse(c.releaseX, c.releaseY);
        host::Release(c.releaseX, c.releaseY);
        Settle();
        auto all = Drain(window);
        auto ups = OfClass(all, IDCMP_GADGETUP);
        if (c.gadgetUp) {
            ASSERT_EQ(ups.size(), 1u) << c.name;
            EXPECT_EQ(ups[0].address, c.pressed) << c.name;
            EXPECT_EQ(static_cast<Gadget*>(ups[0].address)->GadgetID, c.pressed->GadgetID) << c.name;
        } else {
            EXPECT_TRUE(ups.empty()) << c.name;
        }
        // A press that a button took is not also a mouse button message.
        EXPECT_TRUE(OfClass(all, IDCMP_MOUSEBUTTONS).empty()) << c.name;
    }
}

TEST_F(GadgetList, ShortcutLetterIsUnderlinedAndItsMarkerNotShown) {
    struct Case {
        const char* label;
        const char* shown;
        int underlined;  // index in the shown text, -1 for none
    };
    const Case cases[] = {{"_Draw", "Draw", 0}, {"Sh_uffle", "Shuffle", 2}, {"Bet _Prefs", "Bet Prefs", 4}, {"OK", "OK", -1}};
    WORD top = 20;
    for (const Case& c : cases) {
        ASSERT_NE(AddButton({1, 20, top, 120, 20, c.label}), nullptr);
        top += 30;
    }
    Attach();
    TextFont* font = platform::SystemFont();
    ASSERT_NE(font, nullptr);
    int cw = font->tf_XSize;
    int row = font->tf_Baseline + 1;  // the first row under the baseline
    for (const Case& c : cases) {
        const host::TextInfo* text = nullptr;
        auto texts = host::Texts(window);
        for (const auto& t : texts)
            if (t.text == c.shown) text = &t;
        ASSERT_NE(text, nullptr) << c.label << " is not shown as " << c.shown;
        EXPECT_FALSE(host::ShowsText(window, std::string("_") + c.shown));
        for (int i = 0; i < static_cast<int>(std::strlen(c.shown)); ++i) {
            auto ch = static_cast<unsigned char>(c.shown[i]);
            const UBYTE* glyph = font->tf_CharData + static_cast<size_t>(ch - font->tf_LoChar) * font->tf_YSize;
            for (int col = 0; col < cw; ++col) {
                bool glyphBit = (glyph[row] & (0x80 >> col)) != 0;
                bool expectInk = glyphBit || i == c.underlined;
                int pen = host::WindowPixel(window, text->x + i * cw + col, text->y + 1);
                EXPECT_EQ(pen == 1, expectInk) << c.label << " letter " << i << " column " << col;
            }
        }
    }
}

TEST_F(GadgetList, FailingCreateGadgetInATableWalkKeepsTheEarlierGadgets) {
    const ButtonSpec table[] = {{100, 10, 30, 60, 16, "_One"},
                                {101, 80, 30, 60, 16, "_Two"},
                                {102, 150, 30, 60, 16, "T_hree"},
                                {103, 220, 30, 60, 16, "_Four"},
                                {0, 0, 0, 0, 0, nullptr}};
    for (int failAt = 1; failAt <= 5; ++failAt) {
        SCOPED_TRACE("CreateGadget fails from call " + std::to_string(failAt));
        // A fresh list for each run.
        if (window) CloseWindow(window);
        FreeGadgets(glist);
        window = gttest::OpenTestWindow();
        last = CreateContext(&glist);
        ASSERT_NE(last, nullptr);
        host::FailFrom("CreateGadget", failAt);
        int made = 0;
        for (const ButtonSpec* b = table; b->id; ++b) {
            if (!AddButton(*b)) break;
            ++made;
        }
        host::ClearFaults();
        EXPECT_EQ(made, std::min(failAt - 1, 4));
        Attach();
        auto shown = host::Gadgets(window);
        ASSERT_EQ(static_cast<int>(shown.size()), made);
        for (int i = 0; i < made; ++i) {
            EXPECT_EQ(shown[static_cast<size_t>(i)].id, table[i].id);
            EXPECT_EQ(shown[static_cast<size_t>(i)].left, table[i].left);
        }
        // The chain from the context gadget ends at the last one made.
        int chained = 0;
        for (Gadget* g = glist->NextGadget; g; g = g->NextGadget) ++chained;
        EXPECT_EQ(chained, made);
    }
}

TEST_F(GadgetList, CreateGadgetNeedsAPreviousGadget) {
    NewGadget ng{};
    ng.ng_Width = 50;
    ng.ng_Height = 14;
    ng.ng_GadgetText = "OK";
    ng.ng_VisualInfo = vi;
    EXPECT_EQ(CreateGadget(BUTTON_KIND, nullptr, &ng, TAG_DONE), nullptr);
    EXPECT_EQ(CreateGadget(STRING_KIND, nullptr, &ng, GTST_MaxChars, 4, TAG_DONE), nullptr);
    // An unknown kind makes nothing either, and the list is untouched.
    EXPECT_EQ(CreateGadget(99, last, &ng, TAG_DONE), nullptr);
    EXPECT_EQ(glist->NextGadget, nullptr);
}

TEST(GadgetListFaults, ContextAndVisualInfoCanFail) {
    host::UseVirtualDisplay();
    Screen* screen = LockPubScreen(nullptr);
    ASSERT_NE(screen, nullptr);
    Gadget* glist = reinterpret_cast<Gadget*>(&glist);  // anything but null
    host::FailOnce("CreateContext");
    EXPECT_EQ(CreateContext(&glist), nullptr);
    EXPECT_EQ(glist, nullptr);
    host::FailOnce("GetVisualInfo");
    EXPECT_EQ(GetVisualInfo(screen, TAG_DONE), nullptr);
    // Each fault was used once: the next calls work.
    APTR vi = GetVisualInfo(screen, TAG_DONE);
    EXPECT_NE(vi, nullptr);
    EXPECT_NE(CreateContext(&glist), nullptr);
    FreeGadgets(glist);
    FreeVisualInfo(vi);
    FreeVisualInfo(nullptr);
    FreeGadgets(nullptr);
    UnlockPubScreen(nullptr, screen);
}

TEST_F(GadgetList, FreeGadgetsOnAnAttachedListTakesItOutOfTheWindow) {
    Gadget* b = AddButton({100, 20, 30, 80, 20, "_Shuffle"});
    ASSERT_NE(b, nullptr);
    Attach();
    int x = CentreX(b), y = CentreY(b);
    FreeGadgets(glist);
    glist = nullptr;
    EXPECT_EQ(window->FirstGadget, nullptr);
    EXPECT_TRUE(host::Gadgets(window).empty());
    // A click where the button was reaches the window as a plain click.
    host::Click(x, y);
    Settle();
    auto all = Drain(window);
    EXPECT_TRUE(OfClass(all, IDCMP_GADGETUP).empty());
    EXPECT_EQ(OfClass(all, IDCMP_MOUSEBUTTONS).size(), 2u);
}

TEST_F(GadgetList, ClosingTheWindowWhileAButtonIsHeldLeavesItUp) {
    Gadget* b = AddButton({100, 20, 30, 80, 20, "_Shuffle"});
    ASSERT_NE(b, nullptr);
    Attach();
    host::Press(CentreX(b), CentreY(b));
    Settle();
    ASSERT_TRUE(b->Flags & GFLG_SELECTED);
    int x = CentreX(b), y = CentreY(b);
    CloseWindow(window);
    window = nullptr;
    EXPECT_FALSE(b->Flags & GFLG_SELECTED);
    host::Release(x, y);
    Settle();  // nothing left to tell, nothing to crash on
    // The same list in a new window starts up, and works.
    window = gttest::OpenTestWindow();
    Attach();
    EXPECT_EQ(FacePixel(b), 0);
    host::Click(CentreX(b), CentreY(b));
    Settle();
    EXPECT_EQ(OfClass(Drain(window), IDCMP_GADGETUP).size(), 1u);
}

TEST_F(GadgetList, AddGListInsertsAtItsPositionAndRemoveGListUnlinks) {
    Gadget* a = AddButton({1, 10, 30, 40, 14, "A"});
    Gadget* b = AddButton({2, 60, 30, 40, 14, "B"});
    ASSERT_NE(b, nullptr);
    // A second list to insert into the first.
    Gadget* other = nullptr;
    Gadget* o = CreateContext(&other);
    NewGadget ng{};
    ng.ng_LeftEdge = 110;
    ng.ng_TopEdge = 30;
    ng.ng_Width = 40;
    ng.ng_Height = 14;
    ng.ng_GadgetText = "C";
    ng.ng_GadgetID = 3;
    ng.ng_VisualInfo = vi;
    Gadget* c = CreateGadget(BUTTON_KIND, o, &ng, TAG_DONE);
    ASSERT_NE(c, nullptr);

    EXPECT_EQ(AddGList(window, glist, 0, -1, nullptr), 0);
    // Position 2: after the context and A.
    EXPECT_EQ(AddGList(window, other, 2, -1, nullptr), 2);
    std::vector<Gadget*> order;
    for (Gadget* g = window->FirstGadget; g; g = g->NextGadget) order.push_back(g);
    EXPECT_EQ(order, (std::vector<Gadget*>{glist, a, other, c, b}));
    // Adding a gadget that is already there is refused, as is adding or removing none.
    EXPECT_EQ(AddGList(window, a, 0, 1, nullptr), 0xFFFF);
    EXPECT_EQ(AddGList(window, nullptr, 0, -1, nullptr), 0xFFFF);
    EXPECT_EQ(RemoveGList(window, a, 0), 0xFFFF);
    EXPECT_EQ(window->FirstGadget->NextGadget, a);

    EXPECT_EQ(RemoveGList(window, other, 2), 2);
    order.clear();
    for (Gadget* g = window->FirstGadget; g; g = g->NextGadget) order.push_back(g);
    EXPECT_EQ(order, (std::vector<Gadget*>{glist, a, b}));
    EXPECT_EQ(c->NextGadget, nullptr);
    EXPECT_EQ(RemoveGList(window, other, -1), 0xFFFF);  // not there any more
    // A removed button takes no clicks.
    host::Click(window->LeftEdge + 130, window->TopEdge + 37);
    Settle();
    EXPECT_TRUE(OfClass(Drain(window), IDCMP_GADGETUP).empty());

    // Freeing a list that another one was put into the middle of frees all of it and
    // leaves the other one in the window.
    EXPECT_EQ(AddGList(window, other, 2, -1, nullptr), 2);
    FreeGadgets(glist);
    glist = nullptr;
    order.clear();
    for (Gadget* g = window->FirstGadget; g; g = g->NextGadget) order.push_back(g);
    EXPECT_EQ(order, (std::vector<Gadget*>{other, c}));
    host::Click(window->LeftEdge + 80, window->TopEdge + 37);  // where B was
    host::Click(window->LeftEdge + 130, window->TopEdge + 37);  // C
    Settle();
    auto ups = OfClass(Drain(window), IDCMP_GADGETUP);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0].address, c);
    FreeGadgets(other);
}

TEST_F(GadgetList, RefreshGListDrawsOnlyTheCountGiven) {
    Gadget* a = AddButton({1, 10, 30, 60, 16, "Alpha"});
    Gadget* b = AddButton({2, 80, 30, 60, 16, "Beta"});
    ASSERT_NE(b, nullptr);
    AddGList(window, glist, 0, -1, nullptr);
    RefreshGList(a, window, nullptr, 1);
    EXPECT_TRUE(host::ShowsText(window, "Alpha"));
    EXPECT_FALSE(host::ShowsText(window, "Beta"));
    EXPECT_EQ(TopLeftBevel(b), 0);  // untouched background
    RefreshGList(glist, window, nullptr, -1);
    EXPECT_TRUE(host::ShowsText(window, "Beta"));
    EXPECT_EQ(TopLeftBevel(b), 2);
    // Refresh brackets are harmless.
    GT_BeginRefresh(window);
    GT_EndRefresh(window, TRUE);
    EXPECT_TRUE(host::ShowsText(window, "Beta"));
}

TEST_F(GadgetList, DrawingAGadgetKeepsTheProgramsPortSettings) {
    Gadget* a = AddButton({1, 10, 30, 60, 16, "_Alpha"});
    ASSERT_NE(a, nullptr);
    RastPort* rp = window->RPort;
    SetAPen(rp, 7);
    SetBPen(rp, 5);
    SetDrMd(rp, JAM2);
    Move(rp, 33, 44);
    Attach();
    EXPECT_EQ(rp->FgPen, 7);
    EXPECT_EQ(rp->BgPen, 5);
    EXPECT_EQ(rp->DrawMode, JAM2);
    EXPECT_EQ(rp->cp_x, 33);
    EXPECT_EQ(rp->cp_y, 44);
}

}  // namespace
