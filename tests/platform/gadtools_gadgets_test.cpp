// Push buttons and gadget lists: building them from descriptions, attaching, drawing, the
// pressed look and the messages a click gives.
#include <cstring>

#include "gfx_private.h"
#include "server_testing.h"

namespace {

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

}  // namespace
