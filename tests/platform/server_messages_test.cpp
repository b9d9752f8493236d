// Message ports, replies, and waiting: WaitPort on the virtual display with the test's user,
// input made together, and double replies.
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

}  // namespace
