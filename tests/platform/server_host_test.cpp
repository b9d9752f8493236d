// What a test's user sees of the screen: windows, texts and gadgets.
#include "server_testing.h"

using wtest::Open;
using ServerHost = wtest::VirtualDisplay;

namespace {

TEST_F(ServerHost, WindowsAreListedFrontToBackWithTheirPlaceAndActivity) {
    Window* a = Open({.title = "One"});
    Window* b = Open({300, 200, 150, 60, 0, "Two", false});
    auto list = host::Windows();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].window, b);
    EXPECT_EQ(list[0].title, "Two");
    EXPECT_EQ(wtest::Box(b), (std::vector<int>{300, 200, 150, 60}));
    EXPECT_EQ(std::vector<int>({list[0].left, list[0].top, list[0].width, list[0].height}), wtest::Box(b));
    EXPECT_FALSE(list[0].active);
    EXPECT_EQ(list[1].window, a);
    EXPECT_TRUE(list[1].active);
    EXPECT_EQ(host::FindWindow("Two"), b);
    EXPECT_EQ(host::FindWindow("Three"), nullptr);
    Window* c = Open({.title = "One"});
    EXPECT_EQ(host::FindWindow("One"), c) << "the frontmost of that title";
}

TEST_F(ServerHost, TextsAreThoseStillVisibleOldestFirst) {
    Window* w = Open({});
    RastPort* rp = w->RPort;
    SetAPen(rp, 1);
    Move(rp, 10, 30);
    Text(rp, "First", 5);
    SetAPen(rp, 5);
    Move(rp, 10, 50);
    Text(rp, "Second", 6);
    EXPECT_EQ(wtest::Placed(w), (std::vector<std::string>{"First@10,30", "Second@10,50"}));
    EXPECT_EQ(host::Texts(w)[1].pen, 5);
    EXPECT_TRUE(host::ShowsText(w, "Seco"));
    EXPECT_TRUE(host::ShowsText(nullptr, "First"));
    EXPECT_FALSE(host::ShowsText(w, "Third"));

    SetAPen(rp, 0);
    RectFill(rp, 8, 24, 60, 32);  // covers "First"
    EXPECT_FALSE(host::ShowsText(w, "First"));
    EXPECT_TRUE(host::ShowsText(w, "Second"));
}

using ServerHostGadgets = wtest::GadtoolsTest;

TEST_F(ServerHostGadgets, GadgetsAreFoundByLabelWithoutTheirMarkerOrById) {
    Gadget* deal = AddButton(7, 10, 20, 60, 16, "_Deal");
    Gadget* bet = AddField(9, 100, 20, 40, 15, "42", "Bet");
    Attach();
    ASSERT_TRUE(ActivateGadget(bet, window, nullptr));
    Window* w = window;
    auto list = host::Gadgets(w);
    ASSERT_EQ(list.size(), 2u) << "the context gadget is not one to click";
    EXPECT_EQ(list[0].label, "Deal");
    EXPECT_FALSE(list[0].isString);
    EXPECT_EQ(list[1].contents, "42");
    EXPECT_TRUE(list[1].isString);
    EXPECT_TRUE(list[1].active);

    struct Case { const char* label; Gadget* want; };
    for (const Case& c : {Case{"Deal", deal}, Case{"_Deal", deal}, Case{"Bet", bet}, Case{"D", nullptr},
                          Case{"deal", nullptr}}) {
        const host::GadgetInfo* g = host::FindGadget(w, c.label);
        EXPECT_EQ(g ? g->gadget : nullptr, c.want) << c.label;
    }
    const host::GadgetInfo* byId = host::FindGadget(w, 9);
    const host::GadgetInfo* other = host::FindGadget(w, 7);
    ASSERT_NE(byId, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(byId->gadget, bet) << "an earlier answer stays valid";
    EXPECT_EQ(other->left, 10);
    EXPECT_EQ(host::FindGadget(w, 8), nullptr);
}

TEST_F(ServerHost, ActingOnWhatIsNotThereSaysSo) {
    Window* w = Open({});
    EXPECT_THROW(host::ClickGadget(w, "Nothing"), std::runtime_error);
    EXPECT_THROW(host::ClickGadget(w, 12345), std::runtime_error);
    EXPECT_THROW(host::PickMenu(w, 0, 0), std::runtime_error);
    EXPECT_THROW(host::ClickClose(Open({.close = false})), std::runtime_error);
}

}  // namespace
