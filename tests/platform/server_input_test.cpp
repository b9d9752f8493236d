// Host input turned into messages: clicks in the frame of the window under the pointer,
// keys to the active window, the frame's own gadgets, dragging, and only the classes a
// window asked for.
#include <gtest/gtest.h>

#include "server_testing.h"

using servertest::Drain;
using servertest::Got;
using servertest::Open;
using servertest::Settle;
using servertest::WinSpec;

namespace {

class ServerInput : public ::testing::Test {
protected:
    void SetUp() override {
        host::UseVirtualDisplay();
        WinSpec back;
        back.title = "Back";
        a = Open(back);  // 20,30 200x100
        WinSpec front;
        front.title = "Front";
        front.left = 120;
        front.top = 60;
        b = Open(front);  // 120,60 200x100, in front and active
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
    }
    Window* a = nullptr;
    Window* b = nullptr;
};

TEST_F(ServerInput, ClickGoesToTheWindowUnderThePointerInItsFrame) {
    struct Case {
        int x, y;
        bool front;
        int fx, fy;
    };
    const Case cases[] = {
        {50, 50, false, 30, 20},    // only the back window is there
        {150, 100, true, 30, 40},   // both: the front one takes it
        {21, 90, false, 1, 60},     // on the back window's left border
        {319, 159, true, 199, 99},  // the front window's bottom-right corner
        {119, 129, false, 99, 99},  // just left of the front window
    };
    for (const Case& c : cases) {
        host::Click(c.x, c.y);
        Settle();
        auto gotA = Drain(a), gotB = Drain(b);
        Window* w = c.front ? b : a;
        const std::vector<Got> want = {{IDCMP_MOUSEBUTTONS, SELECTDOWN, c.fx, c.fy, w},
                                       {IDCMP_MOUSEBUTTONS, SELECTUP, c.fx, c.fy, w}};
        EXPECT_EQ(c.front ? gotB : gotA, want) << "click at " << c.x << "," << c.y;
        EXPECT_TRUE((c.front ? gotA : gotB).empty()) << "click at " << c.x << "," << c.y;
        EXPECT_EQ(host::ActiveWindow(), w) << "a click activates the window";
    }
}

TEST_F(ServerInput, ClickOnTheBareScreenTellsNobody) {
    host::Click(600, 400);
    Settle();
    EXPECT_TRUE(Drain(a).empty());
    EXPECT_TRUE(Drain(b).empty());
    EXPECT_EQ(host::ActiveWindow(), b);
}

TEST_F(ServerInput, ReleaseGoesToTheWindowThatGotThePress) {
    host::Press(50, 50);
    host::Release(250, 120);
    Settle();
    const std::vector<Got> want = {{IDCMP_MOUSEBUTTONS, SELECTDOWN, 30, 20, a},
                                   {IDCMP_MOUSEBUTTONS, SELECTUP, 230, 90, a}};
    EXPECT_EQ(Drain(a), want);
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

    ActivateWindow(a);
    host::Type("ok");
    Settle();
    EXPECT_EQ(Drain(a).size(), 2u);
    EXPECT_TRUE(Drain(b).empty());
}

TEST_F(ServerInput, AWindowGetsOnlyTheClassesItAskedFor) {
    struct Case {
        const char* what;
        ULONG idcmp;
        void (*act)(Window*);
        std::vector<ULONG> want;
    };
    auto clickInside = [](Window* w) { host::Click(w->LeftEdge + 50, w->TopEdge + 50); };
    auto key = [](Window*) { host::Key('x'); };
    auto move = [](Window* w) { host::MoveMouse(w->LeftEdge + 60, w->TopEdge + 60); };
    auto close = [](Window* w) { host::ClickClose(w); };
    auto raw = [](Window*) { host::RawKey(0x4C); };
    auto activate = [](Window* w) { ActivateWindow(w); };
    auto drag = [](Window* w) { host::DragWindow(w, 30, 20); };
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
    };
    for (const Case& c : cases) {
        host::UseVirtualDisplay();
        WinSpec other;
        other.left = 400;
        other.idcmp = IDCMP_ACTIVEWINDOW;
        WinSpec shape;
        shape.idcmp = c.idcmp;
        Window* w = Open(shape);
        Window* o = Open(other);  // active now
        if (c.act != +activate) ActivateWindow(w);
        Drain(w);
        Drain(o);
        c.act(w);
        Settle();
        std::vector<ULONG> got;
        for (const Got& g : Drain(w)) got.push_back(g.cls);
        EXPECT_EQ(got, c.want) << c.what;
        Drain(o);
    }
}

TEST_F(ServerInput, DraggingMovesTheWindowAndLaterClicksUseItsNewFrame) {
    host::DragWindow(a, 50, 40);
    Settle();
    EXPECT_EQ(a->LeftEdge, 70);
    EXPECT_EQ(a->TopEdge, 70);
    EXPECT_TRUE(Drain(a).empty()) << "dragging is the server's, not the program's";
    EXPECT_EQ(host::ActiveWindow(), a);
    for (int y = 0; y < a->Height; y += 7)
        for (int x = 0; x < 50; x += 5)  // left of the front window
            ASSERT_EQ(host::ScreenPixel(70 + x, 70 + y), host::WindowPixel(a, x, y)) << x << "," << y;

    host::Click(80, 90);
    Settle();
    const std::vector<Got> want = {{IDCMP_MOUSEBUTTONS, SELECTDOWN, 10, 20, a},
                                   {IDCMP_MOUSEBUTTONS, SELECTUP, 10, 20, a}};
    EXPECT_EQ(Drain(a), want);

    host::DragWindow(a, 1000, -1000);  // held inside the screen
    Settle();
    EXPECT_EQ(a->LeftEdge, 640 - a->Width);
    EXPECT_EQ(a->TopEdge, 0);
}

TEST_F(ServerInput, CloseGadgetCountsOnlyWhenReleasedOnIt) {
    host::ClickClose(b);
    Settle();
    auto got = Drain(b);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].cls, static_cast<ULONG>(IDCMP_CLOSEWINDOW));

    host::Press(b->LeftEdge + 3, b->TopEdge + 3);
    host::MoveMouse(b->LeftEdge + 80, b->TopEdge + 50);
    host::Release(b->LeftEdge + 80, b->TopEdge + 50);
    Settle();
    EXPECT_TRUE(Drain(b).empty());
}

TEST_F(ServerInput, DepthGadgetSendsTheFrontWindowBackAndBringsItForward) {
    auto order = [] {
        std::vector<std::string> titles;
        for (const auto& w : host::Windows()) titles.push_back(w.title);
        return titles;
    };
    ASSERT_EQ(order(), (std::vector<std::string>{"Front", "Back"}));
    int x = b->LeftEdge + b->Width - 3, y = b->TopEdge + 3;  // its depth gadget, clear of the back window
    host::Click(x, y);
    Settle();
    EXPECT_EQ(order(), (std::vector<std::string>{"Back", "Front"}));
    host::Click(x, y);
    Settle();
    EXPECT_EQ(order(), (std::vector<std::string>{"Front", "Back"}));
    EXPECT_TRUE(Drain(b).empty());
}

TEST_F(ServerInput, HostCloseRequestGoesToTheFrontmostWindowWithACloseGadget) {
    WinSpec noClose;
    noClose.title = "No close";
    noClose.close = false;
    noClose.idcmp = IDCMP_CLOSEWINDOW;
    Window* c = Open(noClose);
    host::CloseRequest();
    Settle();
    EXPECT_TRUE(Drain(c).empty());
    auto got = Drain(b);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].cls, static_cast<ULONG>(IDCMP_CLOSEWINDOW));
    EXPECT_TRUE(Drain(a).empty());
}

TEST_F(ServerInput, RightButtonTrappedByTheWindowGivesMenuDownAndUp) {
    TagItem tags[] = {{WA_Left, 300},  {WA_Top, 200},         {WA_Width, 100},
                      {WA_Height, 80}, {WA_IDCMP, IDCMP_MOUSEBUTTONS}, {WA_RMBTrap, 1},
                      {WA_Activate, 1}, {TAG_DONE, 0}};
    Window* w = OpenWindowTagList(nullptr, tags);
    ASSERT_NE(w, nullptr);
    host::RightPress(310, 220);
    host::RightRelease(320, 230);
    Settle();
    const std::vector<Got> want = {{IDCMP_MOUSEBUTTONS, MENUDOWN, 10, 20, w}, {IDCMP_MOUSEBUTTONS, MENUUP, 20, 30, w}};
    EXPECT_EQ(Drain(w), want);
}

TEST_F(ServerInput, ActivationIsReportedToWindowsThatAsk) {
    host::UseVirtualDisplay();
    WinSpec shape;
    shape.idcmp = IDCMP_ACTIVEWINDOW | IDCMP_INACTIVEWINDOW;
    Window* x = Open(shape);
    shape.left = 300;
    Window* y = Open(shape);
    Drain(x);
    Drain(y);
    host::Click(x->LeftEdge + 50, x->TopEdge + 50);
    Settle();
    ASSERT_EQ(Drain(x).size(), 1u);
    auto got = Drain(y);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].cls, static_cast<ULONG>(IDCMP_INACTIVEWINDOW));
}

TEST_F(ServerInput, WindowsKnowWhereThePointerIs) {
    host::MoveMouse(100, 90);
    Settle();
    EXPECT_EQ(a->MouseX, 80);
    EXPECT_EQ(a->MouseY, 60);
    EXPECT_EQ(b->MouseX, -20);
    EXPECT_EQ(b->MouseY, 30);
}

}  // namespace
