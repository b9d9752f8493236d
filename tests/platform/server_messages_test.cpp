// Message ports, replies, and waiting: WaitPort on the virtual display with the test's user,
// a waiting program with nothing left to do, double replies and closed windows.
#include <string>

#include "server_testing.h"

using wtest::Drain;
using wtest::Got;
using wtest::Open;
using wtest::Settle;
using wtest::Settled;
using ServerMessages = wtest::VirtualDisplay;

namespace {

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

TEST_F(ServerMessages, WaitingWithNothingLeftToDoFailsNamingTheWindow) {
    struct Case { const char* title; std::function<void()> install; };
    const Case cases[] = {
        {"Your Hand:", [] { host::SetSteps({}); }},
        {"Busy", [] { host::SetUser([] { return true; }); }},  // says it acts, never does
    };
    for (const Case& c : cases) {
        host::UseVirtualDisplay();
        Window* w = Open({.title = c.title});
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
    Window* w = Open({.title = "Loop"});
    host::SetSteps({[] { host::Key('a'); }, [] { host::Type("bc"); }, [w] { host::ClickClose(w); }});
    // A program's modal loop: wait, then take everything queued.
    std::string typed;
    int wakes = 0;
    for (bool done = false; !done; ++wakes) {
        WaitPort(w->UserPort);
        for (const Got& g : Drain(w)) {
            if (g.cls == IDCMP_VANILLAKEY) typed += static_cast<char>(g.code);
            done = done || g.cls == IDCMP_CLOSEWINDOW;
        }
    }
    EXPECT_EQ(typed, "abc");
    EXPECT_EQ(wakes, 3) << "one step each time the program blocks";
    EXPECT_EQ(host::StepsLeft(), 0u);
}

TEST_F(ServerMessages, ASecondReplyIsCountedNotACrash) {
    Window* w = Open({});
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
    EXPECT_EQ(Settled(w).size(), 200u);
    ReplyMsg(second);
    EXPECT_EQ(host::DoubleReplies(), 2);

    // And the server goes on working.
    host::Key('k');
    EXPECT_EQ(Codes(Settled(w)), "k");
    EXPECT_EQ(host::DoubleReplies(), 2);
}

TEST_F(ServerMessages, ClosingAWindowDropsItsQueuedMessagesAndLateRepliesAreHarmless) {
    Window* w = Open({});
    Window* other = Open({});
    ActivateWindow(w);
    host::Type("abc");
    Settle();
    Message* taken = GetMsg(w->UserPort);
    ASSERT_NE(taken, nullptr);
    CloseWindow(w);
    ReplyMsg(taken);  // replied after its window closed
    EXPECT_EQ(host::OpenWindowCount(), 1);
    // The dropped messages do not turn up anywhere and the pool keeps serving.
    ActivateWindow(other);
    host::Type("de");
    EXPECT_EQ(Codes(Settled(other)), "de");
    EXPECT_EQ(host::DoubleReplies(), 0);
}

}  // namespace
