// Message ports, replies, and waiting: WaitPort on the virtual display with the test's user,
// a waiting program with nothing left to do, double replies and closed windows.
#include <gtest/gtest.h>

#include <string>

#include "server_testing.h"

using servertest::Drain;
using servertest::Got;
using servertest::Open;
using servertest::Settle;
using servertest::WinSpec;

namespace {

class ServerMessages : public ::testing::Test {
protected:
    void SetUp() override { host::UseVirtualDisplay(); }
};

TEST_F(ServerMessages, PortHandsOutMessagesOldestFirstAndGetMsgNeverBlocks) {
    MsgPort* port = CreateMsgPort();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(GetMsg(port), nullptr);
    Message msgs[4] = {};
    for (const int order : {0, 1, 2, 3}) PutMsg(port, &msgs[order]);
    for (const int order : {0, 1}) EXPECT_EQ(GetMsg(port), &msgs[order]);
    PutMsg(port, &msgs[0]);
    for (const int order : {2, 3, 0}) EXPECT_EQ(GetMsg(port), &msgs[order]);
    EXPECT_EQ(GetMsg(port), nullptr);
    EXPECT_EQ(port->mp_MsgList.lh_Head, nullptr);
    EXPECT_EQ(port->mp_MsgList.lh_Tail, nullptr);
    DeleteMsgPort(port);
}

TEST_F(ServerMessages, ReplyReturnsAMessageToItsSendersPort) {
    MsgPort* to = CreateMsgPort();
    MsgPort* back = CreateMsgPort();
    Message msg{};
    msg.mn_ReplyPort = back;
    PutMsg(to, &msg);
    ReplyMsg(GetMsg(to));
    EXPECT_EQ(GetMsg(back), &msg);
    EXPECT_EQ(host::DoubleReplies(), 0);
    DeleteMsgPort(to);
    DeleteMsgPort(back);
}

TEST_F(ServerMessages, WaitPortReturnsAtOnceWhenAMessageIsQueued) {
    MsgPort* port = CreateMsgPort();
    Message msg{};
    PutMsg(port, &msg);
    host::SetSteps({});  // the user would have nothing to do: WaitPort must not ask
    EXPECT_EQ(WaitPort(port), &msg);
    EXPECT_EQ(GetMsg(port), &msg) << "WaitPort leaves the message queued";
    DeleteMsgPort(port);
}

TEST_F(ServerMessages, WaitPortHandlesQueuedInputBeforeAskingTheUser) {
    Window* w = Open(WinSpec{});
    host::Key('q');
    host::SetSteps({});
    Message* m = WaitPort(w->UserPort);
    ASSERT_NE(m, nullptr);
    auto* im = reinterpret_cast<IntuiMessage*>(m);
    EXPECT_EQ(im->Class, static_cast<ULONG>(IDCMP_VANILLAKEY));
    EXPECT_EQ(im->Code, 'q');
    EXPECT_EQ(im->IDCMPWindow, w);
}

TEST_F(ServerMessages, InputMadeTogetherIsAllAtThePortWhenTheProgramWakes) {
    struct Case {
        const char* what;
        bool queuedBeforeWaiting;
    };
    for (const Case& c : {Case{"queued before the wait", true}, Case{"queued by the user", false}}) {
        host::UseVirtualDisplay();
        WinSpec shape;
        shape.title = "Main";
        Window* main = Open(shape);
        shape.title = "Other";
        shape.left = 300;
        Window* other = Open(shape);  // active
        auto act = [main] {
            host::Key(27);                                          // to the active one
            host::Click(main->LeftEdge + 50, main->TopEdge + 50);  // activates the main window
            host::Key('a');                                         // so these go there
            host::Key('b');
        };
        if (c.queuedBeforeWaiting) {
            act();
            host::SetSteps({});
        } else {
            host::SetSteps({act});
        }
        WaitPort(other->UserPort);
        std::vector<ULONG> classes;
        for (const Got& g : Drain(main)) classes.push_back(g.cls);
        EXPECT_EQ(classes, (std::vector<ULONG>{IDCMP_MOUSEBUTTONS, IDCMP_MOUSEBUTTONS, IDCMP_VANILLAKEY,
                                               IDCMP_VANILLAKEY}))
            << c.what;
        auto got = Drain(other);
        ASSERT_EQ(got.size(), 1u) << c.what;
        EXPECT_EQ(got[0].code, 27) << c.what;
    }
}

TEST_F(ServerMessages, WaitingWithNothingLeftToDoFailsNamingTheWindow) {
    struct Case {
        const char* title;
        std::function<void()> install;
    };
    const Case cases[] = {
        {"Your Hand:", [] { host::SetSteps({}); }},
        {"Quit Poker", [] { host::SetUser([] { return false; }); }},
        {"Busy", [] { host::SetUser([] { return true; }); }},  // says it acts, never does
        {"Steps", [] { host::SetSteps({[] {}, [] {}}); }},     // steps that queue nothing
    };
    for (const Case& c : cases) {
        host::UseVirtualDisplay();
        WinSpec shape;
        shape.title = c.title;
        Window* w = Open(shape);
        c.install();
        try {
            WaitPort(w->UserPort);
            ADD_FAILURE() << "WaitPort returned for " << c.title;
        } catch (const host::Stalled& e) {
            EXPECT_NE(std::string(e.what()).find(std::string("window \"") + c.title + "\""), std::string::npos)
                << e.what();
        }
        EXPECT_EQ(host::StepsLeft(), 0u);
    }
}

TEST_F(ServerMessages, StepsRunOneEachTimeTheProgramBlocks) {
    WinSpec shape;
    shape.title = "Loop";
    Window* w = Open(shape);
    std::vector<int> blocksSeen;
    int blocks = 0;
    host::SetSteps({
        [&] { blocksSeen.push_back(++blocks); host::Key('a'); },
        [&] { blocksSeen.push_back(++blocks); host::Key('b'); host::Key('c'); },
        [&] { blocksSeen.push_back(++blocks); host::ClickClose(w); },
    });
    // A program's modal loop: wait, then take everything queued.
    std::string typed;
    bool done = false;
    while (!done) {
        WaitPort(w->UserPort);
        while (Message* m = GetMsg(w->UserPort)) {
            auto* im = reinterpret_cast<IntuiMessage*>(m);
            if (im->Class == IDCMP_VANILLAKEY) typed += static_cast<char>(im->Code);
            if (im->Class == IDCMP_CLOSEWINDOW) done = true;
            ReplyMsg(m);
        }
    }
    EXPECT_EQ(typed, "abc");
    EXPECT_EQ(blocksSeen, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(host::StepsLeft(), 0u);
    EXPECT_EQ(host::DoubleReplies(), 0);
}

TEST_F(ServerMessages, ASecondReplyIsCountedNotACrash) {
    Window* w = Open(WinSpec{});
    host::Key('x');
    Settle();
    Message* first = GetMsg(w->UserPort);
    ASSERT_NE(first, nullptr);
    ReplyMsg(first);
    EXPECT_EQ(host::DoubleReplies(), 0);
    ReplyMsg(first);
    EXPECT_EQ(host::DoubleReplies(), 1);

    // Still caught after many other messages have come and gone.
    host::Key('y');
    Settle();
    Message* second = GetMsg(w->UserPort);
    ReplyMsg(second);
    for (int i = 0; i < 200; ++i) host::Key('z');
    Settle();
    EXPECT_EQ(Drain(w).size(), 200u);
    ReplyMsg(second);
    EXPECT_EQ(host::DoubleReplies(), 2);

    // And the server goes on working.
    host::Key('k');
    Settle();
    auto got = Drain(w);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].code, 'k');
    EXPECT_EQ(host::DoubleReplies(), 2);
}

TEST_F(ServerMessages, ClosingAWindowDropsItsQueuedMessagesAndLateRepliesAreHarmless) {
    Window* w = Open(WinSpec{});
    Window* other = Open(WinSpec{});
    ActivateWindow(w);
    host::Type("abc");
    Settle();
    Message* taken = GetMsg(w->UserPort);
    ASSERT_NE(taken, nullptr);
    CloseWindow(w);
    ReplyMsg(taken);  // replied after its window closed
    EXPECT_EQ(host::DoubleReplies(), 0);
    EXPECT_EQ(host::OpenWindowCount(), 1);

    // The dropped messages do not turn up anywhere and the pool keeps serving.
    ActivateWindow(other);
    host::Type("de");
    Settle();
    auto got = Drain(other);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].code, 'd');
    EXPECT_EQ(got[1].code, 'e');
    EXPECT_EQ(host::DoubleReplies(), 0);
}

TEST_F(ServerMessages, ReplyingAMessageStillQueuedTakesItOffThePort) {
    Window* w = Open(WinSpec{});
    host::Type("ab");
    Settle();
    Message* head = w->UserPort->mp_MsgList.lh_Head ? reinterpret_cast<Message*>(w->UserPort->mp_MsgList.lh_Head)
                                                    : nullptr;
    ASSERT_NE(head, nullptr);
    ReplyMsg(head);
    auto got = Drain(w);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].code, 'b');
    EXPECT_EQ(host::DoubleReplies(), 0);
}

TEST_F(ServerMessages, UseVirtualDisplayStartsEverythingOver) {
    Window* w = Open(WinSpec{});
    host::Key('x');
    Settle();
    Message* held = GetMsg(w->UserPort);
    ReplyMsg(held);
    ReplyMsg(held);
    host::Key('y');  // queued, never handled
    host::SetUser([] { return true; });
    host::FailFrom("OpenWindowTagList", 5);
    ASSERT_EQ(host::DoubleReplies(), 1);

    host::UseVirtualDisplay();
    EXPECT_EQ(host::OpenWindowCount(), 0);
    EXPECT_EQ(host::DoubleReplies(), 0);
    WinSpec shape;
    shape.title = "Fresh";
    Window* fresh = nullptr;
    for (int i = 0; i < 6; ++i) {
        if (fresh) CloseWindow(fresh);
        fresh = Open(shape);
        ASSERT_NE(fresh, nullptr) << "faults are cleared";
    }
    host::SetSteps({});
    EXPECT_THROW(WaitPort(fresh->UserPort), host::Stalled) << "neither old input nor the old user survive";
}

TEST_F(ServerMessages, MessagesCarryTheirWindowAndTime) {
    Window* w = Open(WinSpec{});
    host::Click(w->LeftEdge + 30, w->TopEdge + 40);
    Settle();
    auto* down = reinterpret_cast<IntuiMessage*>(GetMsg(w->UserPort));
    auto* up = reinterpret_cast<IntuiMessage*>(GetMsg(w->UserPort));
    ASSERT_NE(down, nullptr);
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(down->IDCMPWindow, w);
    EXPECT_EQ(down->Code, SELECTDOWN);
    EXPECT_EQ(up->Code, SELECTUP);
    EXPECT_EQ(down->ExecMessage.mn_Length, sizeof(IntuiMessage));
    unsigned long long t0 = down->Seconds * 1000000ull + down->Micros, t1 = up->Seconds * 1000000ull + up->Micros;
    EXPECT_LE(t0, t1);
    ReplyMsg(&down->ExecMessage);
    ReplyMsg(&up->ExecMessage);
}

}  // namespace
