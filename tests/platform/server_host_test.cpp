// What a test's user sees of the screen: windows, texts and gadgets.
#include <gtest/gtest.h>

#include <cstring>

#include "server_testing.h"

using servertest::Open;
using servertest::WinSpec;

namespace {

class ServerHost : public ::testing::Test {
protected:
    void SetUp() override { host::UseVirtualDisplay(); }
};

TEST_F(ServerHost, WindowsAreListedFrontToBackWithTheirPlaceAndActivity) {
    WinSpec one;
    one.title = "One";
    Window* a = Open(one);
    WinSpec two;
    two.title = "Two";
    two.left = 300;
    two.top = 200;
    two.width = 150;
    two.height = 60;
    two.activate = false;
    Window* b = Open(two);
    auto list = host::Windows();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].window, b);
    EXPECT_EQ(list[0].title, "Two");
    EXPECT_EQ(list[0].left, 300);
    EXPECT_EQ(list[0].top, 200);
    EXPECT_EQ(list[0].width, 150);
    EXPECT_EQ(list[0].height, 60);
    EXPECT_FALSE(list[0].active);
    EXPECT_EQ(list[1].window, a);
    EXPECT_TRUE(list[1].active);
    EXPECT_EQ(host::FindWindow("One"), a);
    EXPECT_EQ(host::FindWindow("Two"), b);
    EXPECT_EQ(host::FindWindow("Three"), nullptr);
    Window* c = Open(one);
    EXPECT_EQ(host::FindWindow("One"), c) << "the frontmost of that title";
    EXPECT_EQ(host::OpenWindowCount(), 3);
}

TEST_F(ServerHost, TextsAreThoseStillVisibleOldestFirst) {
    Window* w = Open(WinSpec{});
    RastPort* rp = w->RPort;
    SetAPen(rp, 1);
    Move(rp, 10, 30);
    Text(rp, "First", 5);
    SetAPen(rp, 5);
    Move(rp, 10, 50);
    Text(rp, "Second", 6);
    auto texts = host::Texts(w);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "First");
    EXPECT_EQ(texts[0].x, 10);
    EXPECT_EQ(texts[0].y, 30);
    EXPECT_EQ(texts[0].pen, 1);
    EXPECT_EQ(texts[1].text, "Second");
    EXPECT_EQ(texts[1].pen, 5);
    EXPECT_TRUE(host::ShowsText(w, "Seco"));
    EXPECT_TRUE(host::ShowsText(nullptr, "First"));
    EXPECT_FALSE(host::ShowsText(w, "Third"));

    SetAPen(rp, 0);
    RectFill(rp, 8, 24, 60, 32);  // covers "First"
    EXPECT_FALSE(host::ShowsText(w, "First"));
    EXPECT_TRUE(host::ShowsText(w, "Second"));
}

TEST_F(ServerHost, GadgetsAreFoundByLabelWithoutTheirMarkerOrById) {
    Window* w = Open(WinSpec{});
    char buffer[16] = "42";
    StringInfo info{};
    info.Buffer = buffer;
    info.MaxChars = 15;
    info.NumChars = 2;
    Gadget context{};
    context.GadgetType = GTYP_CONTEXT;
    Gadget deal{};
    deal.LeftEdge = 10;
    deal.TopEdge = 20;
    deal.Width = 60;
    deal.Height = 16;
    deal.GadgetType = GTYP_BOOLGADGET;
    deal.GadgetText = "_Deal";
    deal.Underscore = '_';
    deal.GadgetID = 7;
    Gadget bet{};
    bet.LeftEdge = 100;
    bet.TopEdge = 20;
    bet.Width = 40;
    bet.Height = 14;
    bet.GadgetType = GTYP_STRGADGET;
    bet.Flags = GFLG_SELECTED;
    bet.GadgetText = "Bet";
    bet.SpecialInfo = &info;
    bet.GadgetID = 9;
    context.NextGadget = &deal;
    deal.NextGadget = &bet;
    w->FirstGadget = &context;

    auto list = host::Gadgets(w);
    ASSERT_EQ(list.size(), 2u) << "the context gadget is not one to click";
    EXPECT_EQ(list[0].label, "Deal");
    EXPECT_FALSE(list[0].isString);
    EXPECT_EQ(list[1].contents, "42");
    EXPECT_TRUE(list[1].isString);
    EXPECT_TRUE(list[1].active);

    struct Case {
        const char* label;
        Gadget* want;
    };
    const Case cases[] = {{"Deal", &deal}, {"_Deal", &deal}, {"Bet", &bet}, {"D", nullptr}, {"deal", nullptr}};
    for (const Case& c : cases) {
        const host::GadgetInfo* g = host::FindGadget(w, c.label);
        EXPECT_EQ(g ? g->gadget : nullptr, c.want) << c.label;
    }
    const host::GadgetInfo* byId = host::FindGadget(w, 9);
    const host::GadgetInfo* other = host::FindGadget(w, 7);
    ASSERT_NE(byId, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(byId->gadget, &bet) << "an earlier answer stays valid";
    EXPECT_EQ(other->left, 10);
    EXPECT_EQ(host::FindGadget(w, 8), nullptr);
    w->FirstGadget = nullptr;
}

TEST_F(ServerHost, ActingOnWhatIsNotThereSaysSo) {
    Window* w = Open(WinSpec{});
    EXPECT_THROW(host::ClickGadget(w, "Nothing"), std::runtime_error);
    EXPECT_THROW(host::ClickGadget(w, 12345), std::runtime_error);
    EXPECT_THROW(host::PickMenu(w, 0, 0), std::runtime_error);
    WinSpec noClose;
    noClose.close = false;
    EXPECT_THROW(host::ClickClose(Open(noClose)), std::runtime_error);
}

TEST_F(ServerHost, PixelsOutsideAreMinusOne) {
    Window* w = Open(WinSpec{});
    struct Case {
        int x, y;
    };
    for (const Case& c : {Case{-1, 0}, Case{0, -1}, Case{640, 0}, Case{0, 480}})
        EXPECT_EQ(host::ScreenPixel(c.x, c.y), -1) << c.x << "," << c.y;
    for (const Case& c : {Case{-1, 0}, Case{0, -1}, Case{w->Width, 0}, Case{0, w->Height}})
        EXPECT_EQ(host::WindowPixel(w, c.x, c.y), -1) << c.x << "," << c.y;
    EXPECT_EQ(host::WindowPixel(nullptr, 0, 0), -1);
}

}  // namespace
