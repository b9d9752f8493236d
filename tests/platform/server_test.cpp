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
    Window* w = Open({.left = 0, .top = 0});
    ExpectScreenShowsWindow(w);
    EXPECT_EQ(host::WindowPixel(w, 1, w->BorderTop - 1), 3) << "an active title bar is filled to its last row";
}

// ---- input ----

class ServerInput : public ::testing::Test {
protected:
    void SetUp() override {
        host::UseVirtualDisplay();
        a = Open({.title = "Back"});                           // 20,30 200x100
        b = Open({.left = 120, .top = 60, .title = "Front"});  // in front and active
        ASSERT_TRUE(a && b);
    }
    static std::vector<Got> Clicked(Window* w, int x, int y) {
        return {{IDCMP_MOUSEBUTTONS, SELECTDOWN, x, y, w}, {IDCMP_MOUSEBUTTONS, SELECTUP, x, y, w}};
    }
    Window* a = nullptr;
    Window* b = nullptr;
};

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
    // The close gadget is as wide as twice the title bar less 4; right of it lies the drag bar.
    for (int dx : {1, 0}) host::Click(b->LeftEdge + 2 * b->BorderTop - 4 - dx, b->TopEdge + 3);
    EXPECT_EQ(wtest::Classes(Settled(b)), std::vector<ULONG>{IDCMP_CLOSEWINDOW});
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
    EXPECT_TRUE(port->mp_MsgList.lh_Head == nullptr && port->mp_MsgList.lh_Tail == nullptr) << "the list is empty";

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

}  // namespace
