// Host input turned into messages: clicks in the frame of the window under the pointer,
// keys to the active window, the frame's own gadgets, dragging, and only the classes a
// window asked for.
#include "server_testing.h"

using wtest::Drain;
using wtest::Got;
using wtest::Open;
using wtest::Settle;
using wtest::Settled;

namespace {

class ServerInput : public ::testing::Test {
protected:
    void SetUp() override {
        host::UseVirtualDisplay();
        a = Open({.title = "Back"});                           // 20,30 200x100
        b = Open({.left = 120, .top = 60, .title = "Front"});  // in front and active
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
    }
    static std::vector<Got> Clicked(Window* w, int x, int y) {
        return {{IDCMP_MOUSEBUTTONS, SELECTDOWN, x, y, w}, {IDCMP_MOUSEBUTTONS, SELECTUP, x, y, w}};
    }
    Window* a = nullptr;
    Window* b = nullptr;
};

TEST_F(ServerInput, ClickGoesToTheWindowUnderThePointerInItsFrame) {
    struct Case { int x, y; char who; int fx, fy; };  // who: 'a', 'b' or 0 for nobody
    const Case cases[] = {
        {50, 50, 'a', 30, 20},    // only the back window is there
        {150, 100, 'b', 30, 40},  // both: the front one takes it
        {21, 90, 'a', 1, 60},     // on the back window's left border
        {319, 159, 'b', 199, 99}, // the front window's bottom-right corner
        {119, 129, 'a', 99, 99},  // just left of the front window
        {600, 400, 0, 0, 0},      // the bare screen: nobody, the active window stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "click at " << c.x << "," << c.y);
        Window* before = host::ActiveWindow();
        host::Click(c.x, c.y);
        Settle();
        Window* w = c.who == 'a' ? a : c.who == 'b' ? b : nullptr;
        EXPECT_EQ(Drain(a), w == a ? Clicked(a, c.fx, c.fy) : std::vector<Got>{});
        EXPECT_EQ(Drain(b), w == b ? Clicked(b, c.fx, c.fy) : std::vector<Got>{});
        EXPECT_EQ(host::ActiveWindow(), w ? w : before) << "a click activates the window";
    }
}

TEST_F(ServerInput, ReleaseGoesToTheWindowThatGotThePress) {
    host::Press(50, 50);
    host::Release(250, 120);
    EXPECT_EQ(Settled(a), (std::vector<Got>{{IDCMP_MOUSEBUTTONS, SELECTDOWN, 30, 20, a},
                                            {IDCMP_MOUSEBUTTONS, SELECTUP, 230, 90, a}}));
    EXPECT_TRUE(Drain(b).empty());
}

TEST_F(ServerInput, KeysGiveTheirLatin1CodesToTheActiveWindow) {
    const int codes[] = {13, 27, 8, 9, 127, 'a', 'Z', ' ', 0xB4, 0xE9, 0xFF};
    for (int code : codes) host::Key(code);
    Settle();
    std::vector<Got> want;
    for (int code : codes) want.push_back({IDCMP_VANILLAKEY, static_cast<UWORD>(code), b->MouseX, b->MouseY, b});
    EXPECT_EQ(Drain(b), want);
    EXPECT_TRUE(Drain(a).empty());
}

TEST_F(ServerInput, AWindowGetsOnlyTheClassesItAskedFor) {
    auto clickInside = [](Window* w) { host::Click(w->LeftEdge + 50, w->TopEdge + 50); };
    auto clickOther = [](Window*) { host::Click(450, 60); };
    auto key = [](Window*) { host::Key('x'); };
    auto move = [](Window* w) { host::MoveMouse(w->LeftEdge + 60, w->TopEdge + 60); };
    auto close = [](Window* w) { host::ClickClose(w); };
    auto raw = [](Window*) { host::RawKey(0x4C); };
    auto activate = [](Window* w) { ActivateWindow(w); };
    auto drag = [](Window* w) { host::DragWindow(w, 30, 20); };
    struct Case { const char* what; ULONG idcmp; void (*act)(Window*); std::vector<ULONG> want; };
    const Case cases[] = {
        {"click, keys only", IDCMP_VANILLAKEY, clickInside, {}},
        {"click, buttons", IDCMP_MOUSEBUTTONS, clickInside, {IDCMP_MOUSEBUTTONS, IDCMP_MOUSEBUTTONS}},
        {"key, buttons only", IDCMP_MOUSEBUTTONS, key, {}},
        {"key, keys", IDCMP_VANILLAKEY, key, {IDCMP_VANILLAKEY}},
        {"move, buttons only", IDCMP_MOUSEBUTTONS, move, {}},
        {"move, moves", IDCMP_MOUSEMOVE, move, {IDCMP_MOUSEMOVE}},
        {"drag, moves and buttons", IDCMP_MOUSEMOVE | IDCMP_MOUSEBUTTONS, drag, {}},
        {"close gadget, nothing asked", 0, close, {}},
        {"close gadget, keys only", IDCMP_VANILLAKEY, close, {}},
        {"close gadget, close", IDCMP_CLOSEWINDOW, close, {IDCMP_CLOSEWINDOW}},
        {"raw key, keys only", IDCMP_VANILLAKEY, raw, {}},
        {"raw key, raw keys", IDCMP_RAWKEY, raw, {IDCMP_RAWKEY}},
        {"activation, asked", IDCMP_ACTIVEWINDOW, activate, {IDCMP_ACTIVEWINDOW}},
        {"activation, buttons only", IDCMP_MOUSEBUTTONS, activate, {}},
        {"deactivation, asked", IDCMP_INACTIVEWINDOW, clickOther, {IDCMP_INACTIVEWINDOW}},
    };
    for (const Case& c : cases) {
        host::UseVirtualDisplay();
        Window* w = Open({.idcmp = c.idcmp});
        Window* o = Open({.left = 400, .idcmp = IDCMP_ACTIVEWINDOW});  // active now
        if (c.act != +activate) ActivateWindow(w);
        Drain(w);
        c.act(w);
        EXPECT_EQ(wtest::Classes(Settled(w)), c.want) << c.what;
        Drain(o);
    }
}

TEST_F(ServerInput, DraggingMovesTheWindowAndLaterClicksUseItsNewFrame) {
    host::DragWindow(a, 50, 40);
    EXPECT_TRUE(Settled(a).empty()) << "dragging is the server's, not the program's";
    EXPECT_EQ(wtest::Box(a), (std::vector<int>{70, 70, 200, 100}));
    EXPECT_EQ(host::ActiveWindow(), a);
    for (int y = 0; y < a->Height; y += 7)
        for (int x = 0; x < 50; x += 5)  // left of the front window
            ASSERT_EQ(host::ScreenPixel(70 + x, 70 + y), host::WindowPixel(a, x, y)) << x << "," << y;

    host::Click(80, 90);
    EXPECT_EQ(Settled(a), Clicked(a, 10, 20));

    host::DragWindow(a, 1000, -1000);  // held inside the screen
    Settle();
    EXPECT_EQ(wtest::Box(a), (std::vector<int>{440, 0, 200, 100}));
}

TEST_F(ServerInput, CloseGadgetCountsOnlyWhenReleasedOnIt) {
    host::Press(b->LeftEdge + 3, b->TopEdge + 3);
    host::MoveMouse(b->LeftEdge + 80, b->TopEdge + 50);
    host::Release(b->LeftEdge + 80, b->TopEdge + 50);
    EXPECT_TRUE(Settled(b).empty());
}

TEST_F(ServerInput, DepthGadgetSendsTheFrontWindowBackAndBringsItForward) {
    auto front = [] { return host::Windows().front().title; };
    ASSERT_EQ(front(), "Front");
    int x = b->LeftEdge + b->Width - 3, y = b->TopEdge + 3;  // its depth gadget, clear of the back window
    for (const char* want : {"Back", "Front"}) {
        host::Click(x, y);
        Settle();
        EXPECT_EQ(front(), want);
    }
    EXPECT_TRUE(Drain(b).empty());
}

TEST_F(ServerInput, HostCloseRequestGoesToTheFrontmostWindowWithACloseGadget) {
    Window* c = Open({.idcmp = IDCMP_CLOSEWINDOW, .title = "No close", .close = false});
    host::CloseRequest();
    EXPECT_TRUE(Settled(c).empty());
    EXPECT_EQ(wtest::Classes(Drain(b)), std::vector<ULONG>{IDCMP_CLOSEWINDOW});
    EXPECT_TRUE(Drain(a).empty());
}

TEST_F(ServerInput, WindowsKnowWhereThePointerIs) {
    host::MoveMouse(100, 90);
    Settle();
    EXPECT_EQ(std::vector<int>({a->MouseX, a->MouseY, b->MouseX, b->MouseY}), std::vector<int>({80, 60, -20, 30}));
}

}  // namespace
