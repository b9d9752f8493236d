// The window server: the screen and its windows, host input routed as messages, and message ports.
#include <string>

#include "server_testing.h"

using wtest::Drain;
using wtest::Got;
using wtest::Open;
using wtest::Settle;
using wtest::Settled;
using ServerWindow = wtest::VirtualDisplay;
using ServerMessages = wtest::VirtualDisplay;
using ServerHost = wtest::VirtualDisplay;

namespace {

// Every pixel of the window that no other window covers shows its raster.
void ExpectScreenShowsWindow(Window* w) {
    int mismatches = 0;
    for (int y = 0; y < w->Height; ++y)
        for (int x = 0; x < w->Width; ++x)
            mismatches += host::ScreenPixel(w->LeftEdge + x, w->TopEdge + y) != host::WindowPixel(w, x, y);
    EXPECT_EQ(mismatches, 0) << "window \"" << w->Title << "\"";
}

TEST_F(ServerWindow, DefaultScreenIs640x480Depth8WithTopaz8AndATitleBarBehindTheWindows) {
    Screen* s = LockPubScreen(nullptr);
    ASSERT_NE(s, nullptr);
    const BitMap* bm = s->RastPort.BitMap;
    ASSERT_NE(bm, nullptr);
    EXPECT_EQ(std::vector<int>({s->Width, s->Height, s->BarHeight, s->Font->ta_YSize, bm->Depth, bm->Rows}),
              (std::vector<int>{640, 480, 10, 8, 8, 480}));
    EXPECT_STREQ(s->Font->ta_Name, "topaz.font");
    EXPECT_GE(bm->BytesPerRow * 8, 640);
    for (int p = 0; p < 8; ++p) EXPECT_NE(bm->Planes[p], nullptr) << "plane " << p;
    EXPECT_NE(s->ViewPort.ColorMap, nullptr);
    EXPECT_EQ(host::MenuBarText(), "Workbench Screen");
    EXPECT_NE(host::ScreenPixel(600, 2), host::ScreenPixel(600, 100)) << "the bar stands out";
    ExpectScreenShowsWindow(Open({.left = 0, .top = 0}));
}

// A window opens as asked, moved and cut to fit the screen, its title bar following the font.
TEST_F(ServerWindow, OpensAsAskedInsideTheScreenWithATitleBarFollowingTheFont) {
    struct Case { int fontHeight, wborTop; std::vector<int> asked, want; int borderTop; };
    const Case cases[] = {
        {8, 2, {20, 30, 200, 100}, {20, 30, 200, 100}, 11},    // as asked
        {8, 2, {0, 0, 640, 480}, {0, 0, 640, 480}, 11},        // the whole screen
        {8, 2, {600, 30, 200, 100}, {440, 30, 200, 100}, 11},  // moved left to fit
        {8, 2, {-10, -5, 200, 100}, {0, 0, 200, 100}, 11},     // moved onto the screen
        {8, 2, {0, 450, 100, 100}, {0, 380, 100, 100}, 11},    // moved up to fit
        {8, 2, {100, 100, 800, 100}, {0, 100, 640, 100}, 11},  // too wide: moved, then cut
        {8, 2, {10, 10, 100, 600}, {10, 0, 100, 480}, 11},     // too high: moved, then cut
        {11, 2, {20, 30, 200, 100}, {20, 30, 200, 100}, 14},   // a taller font
        {8, 4, {20, 30, 200, 100}, {20, 30, 200, 100}, 13},    // a taller top border
        {15, 0, {20, 30, 200, 100}, {20, 30, 200, 100}, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "asked " << c.asked[0] << "," << c.asked[1] << " " << c.asked[2] << "x"
                                        << c.asked[3] << " font " << c.fontHeight << " top border " << c.wborTop);
        host::UseVirtualDisplay({.fontHeight = c.fontHeight, .wborTop = c.wborTop});
        Screen* s = LockPubScreen(nullptr);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->Font->ta_YSize, c.fontHeight);
        EXPECT_EQ(s->BarHeight, c.borderTop - 1);
        Window* w = Open({c.asked[0], c.asked[1], c.asked[2], c.asked[3]});
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(wtest::Box(w), c.want);
        EXPECT_EQ(std::vector<int>({w->BorderLeft, w->BorderTop, w->BorderRight, w->BorderBottom}),
                  (std::vector<int>{4, c.borderTop, 4, 2}));
    }
}

TEST_F(ServerWindow, WindowRecordsAreLinkedFrontToBackAndClosingActivatesThePrevious) {
    Window* a = Open({});
    Window* b = Open({});
    auto order = [s = LockPubScreen(nullptr)] {
        std::vector<Window*> out;
        for (Window* w = s->FirstWindow; w; w = w->NextWindow) out.push_back(w);
        return out;
    };
    EXPECT_EQ(order(), (std::vector<Window*>{b, a}));
    WindowToFront(a);
    EXPECT_EQ(order(), (std::vector<Window*>{a, b}));

    Window* c = Open({});
    ActivateWindow(b);
    ActivateWindow(c);
    CloseWindow(c);
    EXPECT_EQ(host::ActiveWindow(), b);
    CloseWindow(b);
    EXPECT_EQ(host::ActiveWindow(), a);
    EXPECT_EQ(order(), std::vector<Window*>{a});
    CloseWindow(a);
    EXPECT_EQ(host::ActiveWindow(), nullptr);
    CloseWindow(a);  // a second close is harmless
    EXPECT_EQ(host::OpenWindowCount(), 0);
}

TEST_F(ServerWindow, DrawingClipsToTheWindowRasterAndPixelsOutsideAreMinusOne) {
    Window* w = Open({100, 100, 50, 40});
    SetAPen(w->RPort, 7);
    RectFill(w->RPort, -20, -20, 200, 200);
    struct Probe { int x, y, pen; };
    for (const Probe& p : {Probe{99, 120, 0}, Probe{150, 120, 0}, Probe{100, 100, 7}, Probe{149, 139, 7},
                           Probe{149, 140, 0}, Probe{-1, 0, -1}, Probe{0, -1, -1}, Probe{640, 0, -1},
                           Probe{0, 480, -1}})
        EXPECT_EQ(host::ScreenPixel(p.x, p.y), p.pen) << p.x << "," << p.y;
    for (const Probe& p : {Probe{-1, 0, -1}, Probe{0, -1, -1}, Probe{50, 0, -1}, Probe{0, 40, -1}, Probe{49, 39, 7}})
        EXPECT_EQ(host::WindowPixel(w, p.x, p.y), p.pen) << "window " << p.x << "," << p.y;
    EXPECT_EQ(host::WindowPixel(nullptr, 0, 0), -1);
}

TEST_F(ServerWindow, CoveredWindowKeepsItsContents) {
    Window* a = Open({.title = "Back"});
    RastPort* rp = a->RPort;
    for (int i = 0; i < 60; ++i) {
        SetAPen(rp, 4 + i % 5);
        Move(rp, 10 + i, 15);
        Draw(rp, 10 + i, 90);
    }
    Window* b = Open({.left = 60, .top = 50, .title = "Front"});
    ExpectScreenShowsWindow(b);
    // Drawing into the covered window while it is covered is kept too.
    SetAPen(rp, 9);
    RectFill(rp, 100, 40, 120, 60);
    EXPECT_NE(host::ScreenPixel(20 + 110, 30 + 50), 9);

    WindowToFront(a);
    ExpectScreenShowsWindow(a);
    WindowToFront(b);
    ExpectScreenShowsWindow(b);
    CloseWindow(b);
    ExpectScreenShowsWindow(a);
    EXPECT_EQ(host::ScreenPixel(20 + 110, 30 + 50), 9);
}

// The active window's title bar is highlighted, and drawing the frame again keeps the program's texts.
TEST_F(ServerWindow, ActiveTitleBarIsHighlightedAndFrameDrawingKeepsTheProgramsTexts) {
    Window* a = Open({.title = "One"});
    Move(a->RPort, -20, 30);  // cut off by the left edge: overlaps the frame
    Text(a->RPort, "cut off text", 12);
    const int x = a->Width * 3 / 4, y = 1;  // drag bar, clear of the title and the gadgets
    EXPECT_EQ(host::WindowPixel(a, x, y), 3);
    Window* b = Open({.left = 300, .title = "Two"});
    auto bars = [&] { return std::vector<int>{host::WindowPixel(a, x, y), host::WindowPixel(b, x, y)}; };
    EXPECT_EQ(bars(), (std::vector<int>{0, 3}));
    RefreshWindowFrame(a);
    EXPECT_TRUE(host::ShowsText(a, "cut off text"));
    for (const auto& t : host::Texts(a)) EXPECT_NE(t.text, "One") << "the title is the frame's, not a text";
    ActivateWindow(a);
    EXPECT_EQ(bars(), (std::vector<int>{3, 0}));
    EXPECT_NE(a->Flags & WFLG_WINDOWACTIVE, 0u);
    EXPECT_EQ(b->Flags & WFLG_WINDOWACTIVE, 0u);
    EXPECT_TRUE(host::ShowsText(a, "cut off text"));
}

// ---- input ----

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

// Keys give their ISO-8859-1 codes to the active window, at the pointer every window knows.
TEST_F(ServerInput, KeysGiveTheirLatin1CodesToTheActiveWindowAtThePointer) {
    host::MoveMouse(100, 90);
    const int codes[] = {13, 27, 8, 9, 127, 'a', 'Z', ' ', 0xB4, 0xE9, 0xFF};
    for (int code : codes) host::Key(code);
    Settle();
    EXPECT_EQ(std::vector<int>({a->MouseX, a->MouseY, b->MouseX, b->MouseY}), std::vector<int>({80, 60, -20, 30}));
    std::vector<Got> want;
    for (int code : codes) want.push_back({IDCMP_VANILLAKEY, static_cast<UWORD>(code), -20, 30, b});
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

// A release goes to the window that got the press, and the close gadget counts only when released on it.
TEST_F(ServerInput, ReleaseGoesToTheWindowThatGotThePressAndTheCloseGadgetCountsOnlyThere) {
    host::Press(50, 50);
    host::Release(250, 120);
    EXPECT_EQ(Settled(a), (std::vector<Got>{{IDCMP_MOUSEBUTTONS, SELECTDOWN, 30, 20, a},
                                            {IDCMP_MOUSEBUTTONS, SELECTUP, 230, 90, a}}));
    EXPECT_TRUE(Drain(b).empty());
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

// ---- message ports ----

std::string Codes(const std::vector<Got>& got) {
    std::string out;
    for (const Got& g : got) out += static_cast<char>(g.code);
    return out;
}

TEST_F(ServerMessages, PortHandsOutMessagesOldestFirstAndRepliesGoToTheReplyPort) {
    MsgPort* port = CreateMsgPort();
    MsgPort* back = CreateMsgPort();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(GetMsg(port), nullptr);
    Message msgs[4] = {};
    for (Message& m : msgs) PutMsg(port, &m);
    for (const int order : {0, 1}) EXPECT_EQ(GetMsg(port), &msgs[order]);
    PutMsg(port, &msgs[0]);
    for (const int order : {2, 3, 0}) EXPECT_EQ(GetMsg(port), &msgs[order]);
    EXPECT_EQ(GetMsg(port), nullptr);
    EXPECT_EQ(port->mp_MsgList.lh_Head, nullptr);
    EXPECT_EQ(port->mp_MsgList.lh_Tail, nullptr);

    msgs[1].mn_ReplyPort = back;
    PutMsg(port, &msgs[1]);
    host::SetSteps({});  // WaitPort must not ask the user when a message is queued
    EXPECT_EQ(WaitPort(port), &msgs[1]);
    ReplyMsg(GetMsg(port));
    EXPECT_EQ(GetMsg(back), &msgs[1]);
    EXPECT_EQ(host::DoubleReplies(), 0);
    DeleteMsgPort(port);
    DeleteMsgPort(back);
}

TEST_F(ServerMessages, InputMadeTogetherIsAllAtThePortWhenTheProgramWakes) {
    for (bool queuedBeforeWaiting : {true, false}) {
        SCOPED_TRACE(queuedBeforeWaiting ? "queued before the wait" : "queued by the user");
        host::UseVirtualDisplay();
        Window* main = Open({.title = "Main"});
        Window* other = Open({.left = 300, .title = "Other"});  // active
        auto act = [main] {
            host::Key(27);                                         // to the active one
            host::Click(main->LeftEdge + 50, main->TopEdge + 50);  // activates the main window
            host::Type("ab");                                      // so these go there
        };
        if (queuedBeforeWaiting) {
            act();
            host::SetSteps({});
        } else {
            host::SetSteps({act});
        }
        WaitPort(other->UserPort);
        const ULONG b = IDCMP_MOUSEBUTTONS, k = IDCMP_VANILLAKEY;
        EXPECT_EQ(wtest::Classes(Drain(main)), (std::vector<ULONG>{b, b, k, k}));
        EXPECT_EQ(Codes(Drain(other)), "\x1B");
    }
}

// A message replied twice is counted, however many came and went between, and the server goes on.
TEST_F(ServerMessages, ASecondReplyIsCountedNotACrash) {
    Window* w = Open({});
    for (int round = 1; round <= 2; ++round) {
        host::Key('x');
        Settle();
        Message* m = GetMsg(w->UserPort);
        ASSERT_NE(m, nullptr);
        ReplyMsg(m);
        EXPECT_EQ(host::DoubleReplies(), round - 1);
        for (int i = 0; i < 200 * (round - 1); ++i) host::Key('z');
        EXPECT_EQ(Settled(w).size(), 200u * (round - 1));
        ReplyMsg(m);
        EXPECT_EQ(host::DoubleReplies(), round);
    }
    host::Key('k');
    EXPECT_EQ(Codes(Settled(w)), "k");
    EXPECT_EQ(host::DoubleReplies(), 2);
}

TEST_F(ServerHost, ActingOnWhatIsNotThereSaysSo) {
    Window* w = Open({});
    EXPECT_THROW(host::ClickGadget(w, "Nothing"), std::runtime_error);
    EXPECT_THROW(host::ClickGadget(w, 12345), std::runtime_error);
    EXPECT_THROW(host::PickMenu(w, 0, 0), std::runtime_error);
    EXPECT_THROW(host::ClickClose(Open({.close = false})), std::runtime_error);
    EXPECT_EQ(host::FindWindow("Three"), nullptr);
}

}  // namespace
