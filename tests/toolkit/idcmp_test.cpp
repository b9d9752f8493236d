// Value types, panels, the receiver protocol and the modal loop.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "host/host.h"
#include "support/screen.h"
#include "toolkit/IDCMP.h"

namespace {

// ---- value types ----------------------------------------------------------------------

TEST(ItemR2, ArithmeticWorksThroughTheBase) {
    cPoint p(3, -4);
    cSize s(10, 20);
    cItemR2& base = p;
    base += s;
    EXPECT_EQ(p.x, 13);
    EXPECT_EQ(p.y, 16);
    base -= cPoint(20, 1);
    EXPECT_EQ(p.x, -7);
    EXPECT_EQ(p.y, 15);
    base = s;
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 20);
    // Each returns the object itself, so calls chain.
    (p += s) += s;
    EXPECT_EQ(p.x, 30);
    EXPECT_EQ(p.y, 60);
}

TEST(Rectangle, AssignmentCopiesTheFourNumbers) {
    cRectangle a(1, 2, 3, 4), b(10, 20, 30, 40);
    cRectangle& target = a;
    target = b;
    EXPECT_EQ(a.position.x, 10);
    EXPECT_EQ(a.position.y, 20);
    EXPECT_EQ(a.size.x, 30);
    EXPECT_EQ(a.size.y, 40);
}

TEST(Rectangle, ContainsIsHalfOpen) {
    const cRectangle r(10, 20, 5, 3);  // x 10..14, y 20..22
    struct Row {
        int x, y;
        bool inside;
    };
    const Row rows[] = {{10, 20, true},  {14, 22, true},  {9, 20, false},  {15, 20, false},
                        {10, 19, false}, {10, 23, false}, {12, 21, true},  {-2147483647 - 1, 21, false}};
    for (const Row& row : rows) EXPECT_EQ(r.Contains(row.x, row.y), row.inside) << row.x << ", " << row.y;
    const cRectangle edge(2147483647 - 2, 0, 10, 1);  // would wrap in 32 bits
    EXPECT_TRUE(edge.Contains(2147483647, 0));
    EXPECT_FALSE(edge.Contains(0, 0));
}

// ---- panels -----------------------------------------------------------------------------

struct Lines {
    int outerTL, innerTL, outerBR, innerBR;
};

// The four frame lines as point lists (later lines drawn over earlier ones).
std::vector<std::vector<std::pair<int, int>>> FrameLines(int x, int y, int w, int h) {
    const int r = x + w - 1, b = y + h - 1;
    std::vector<std::vector<std::pair<int, int>>> lines(4);
    for (int j = b - 1; j >= y; --j) lines[0].push_back({x, j});
    for (int i = x; i <= r - 1; ++i) lines[0].push_back({i, y});
    for (int i = r - 2; i >= x + 1; --i) lines[1].push_back({i, y + 1});
    for (int j = y + 1; j <= b - 2; ++j) lines[1].push_back({x + 1, j});
    for (int j = y + 1; j <= b; ++j) lines[2].push_back({r, j});
    for (int i = r; i >= x + 1; --i) lines[2].push_back({i, b});
    for (int i = x + 2; i <= r - 1; ++i) lines[3].push_back({i, b - 1});
    for (int j = b - 1; j >= y + 2; --j) lines[3].push_back({r - 1, j});
    return lines;
}

class PanelOnScreen : public ::testing::Test {
protected:
    void SetUp() override {
        window = support::OpenTestWindow();
        ASSERT_NE(window, nullptr);
        // A margin of a pen of its own shows anything drawn outside the panel.
        SetDrMd(window->RPort, JAM1);
        SetAPen(window->RPort, kMargin);
        RectFill(window->RPort, 20, 20, 300, 200);
    }
    void TearDown() override {
        if (window != nullptr) CloseWindow(window);
    }
    static constexpr int kMargin = 9;
    Window* window = nullptr;
};

TEST_F(PanelOnScreen, EveryStyleDrawsItsPensPixelExact) {
    struct Row {
        int style;
        Lines pens;
        int lastPen;
    };
    const Row rows[] = {
        {1, {2, 2, 1, 1}, 1}, {2, {1, 1, 2, 2}, 2}, {3, {2, 1, 1, 2}, 2},
        {4, {1, 2, 2, 1}, 1}, {0, {0, 0, 0, 0}, 0}, {5, {0, 0, 0, 0}, 0}, {-1, {0, 0, 0, 0}, 0},
    };
    const cRectangle boxes[] = {cRectangle(40, 30, 100, 14), cRectangle(50, 60, 5, 5), cRectangle(60, 80, 4, 4),
                                cRectangle(100, 100, 37, 50)};
    for (const Row& row : rows) {
        for (const cRectangle& box : boxes) {
            RastPort* rp = window->RPort;
            SetAPen(rp, kMargin);
            SetDrMd(rp, JAM1);
            RectFill(rp, 20, 20, 300, 200);
            SetAPen(rp, 77);  // a panel that sets no pen draws its lines in the fill's pen 0
            SetDrMd(rp, COMPLEMENT);
            cPanel panel(box.position.x, box.position.y, box.size.x, box.size.y, row.style);
            panel.Update(rp);

            const int x = box.position.x, y = box.position.y, w = box.size.x, h = box.size.y;
            std::map<std::pair<int, int>, int> want;
            const auto lines = FrameLines(x, y, w, h);
            const int pens[4] = {row.pens.outerTL, row.pens.innerTL, row.pens.outerBR, row.pens.innerBR};
            for (int l = 0; l < 4; ++l)
                for (auto p : lines[l]) want[p] = pens[l];
            int wrong = 0;
            for (int py = y - 2; py < y + h + 2; ++py) {
                for (int px = x - 2; px < x + w + 2; ++px) {
                    const bool inside = px >= x && px < x + w && py >= y && py < y + h;
                    const auto it = want.find({px, py});
                    const int expected = !inside ? kMargin : it != want.end() ? it->second : 0;
                    const int got = support::Pixel(window, px, py);
                    if (got != expected && wrong++ < 5)
                        ADD_FAILURE() << "style " << row.style << " box " << w << "x" << h << ": pixel (" << px
                                      << ", " << py << ") is " << got << ", not " << expected;
                }
            }
            EXPECT_EQ(rp->DrawMode, JAM1) << row.style;
            EXPECT_EQ(rp->FgPen, row.lastPen) << row.style;
        }
    }
}

// Corners worked out by hand for a 10 x 8 panel at (40, 30): R = 49, B = 37.
TEST_F(PanelOnScreen, LineEndsLeaveTheTopRightAndBottomLeftCornersToTheFill) {
    struct Row {
        int style, x, y, pen;
    };
    const Row rows[] = {
        {1, 40, 30, 2}, {1, 49, 30, 0}, {1, 40, 37, 0}, {1, 49, 37, 1}, {1, 48, 30, 2}, {1, 49, 31, 1},
        {1, 40, 36, 2}, {1, 41, 37, 1}, {1, 48, 31, 0}, {1, 41, 36, 0}, {1, 41, 31, 2}, {1, 48, 36, 1},
        {3, 41, 31, 1}, {3, 48, 36, 2}, {3, 40, 30, 2}, {3, 49, 37, 1}, {4, 41, 31, 2}, {4, 48, 36, 1},
        {4, 40, 30, 1}, {4, 49, 37, 2}, {2, 44, 34, 0}, {2, 40, 33, 1}, {2, 49, 33, 2}, {2, 47, 31, 1},
    };
    for (const Row& r : rows) {
        cPanel panel(40, 30, 10, 8, r.style);
        panel.Update(window->RPort);
        EXPECT_EQ(support::Pixel(window, r.x, r.y), r.pen) << "style " << r.style << " (" << r.x << ", " << r.y << ")";
    }
}

TEST(Panel, TakesNoInput) {
    cPanel panel(0, 0, 50, 50, 1);
    IntuiMessage m{};
    m.Class = IDCMP_MOUSEBUTTONS;
    m.Code = SELECTDOWN;
    m.MouseX = 10;
    m.MouseY = 10;
    EXPECT_EQ(panel.IDCMP(&m), 0);
    EXPECT_FALSE(panel.Active());
    cRectangle other(1, 2, 3, 4);
    panel = other;
    EXPECT_EQ(panel.style, 1);
    EXPECT_EQ(panel.size.y, 4);
}

// ---- the modal loop -------------------------------------------------------------------

// A receiver answering a script; it counts how often each of the test's messages came back.
class ScriptedReceiver : public cIDCMP {
public:
    explicit ScriptedReceiver(MsgPort* replies) : replies_(replies) {}
    bool Active() const override { return false; }
    int IDCMP(const IntuiMessage* m) override {
        Drain();
        seen.push_back(m->Code);
        const int answer = answers.count(m->Code) ? answers[m->Code] : 1;
        if (answer == 2) {
            ReplyMsg(const_cast<Message*>(&m->ExecMessage));
            Drain();
        }
        return answer;
    }
    void Drain() {
        while (Message* msg = GetMsg(replies_)) ++replied[reinterpret_cast<IntuiMessage*>(msg)->Code];
    }
    std::map<UWORD, int> answers;  // by message code
    std::vector<UWORD> seen;
    std::map<UWORD, int> replied;

private:
    MsgPort* replies_;
};

struct Queued {
    ULONG cls;
    UWORD code;  // names the message
    int answer;
};

struct LoopCase {
    const char* what;
    std::vector<Queued> messages;
    bool ends;
    size_t handed;  // messages the receiver saw
};

TEST(ModalLoop, EndsOnADeclinedCloseOrAnEndAnswerAfterTheQueueIsEmpty) {
    const LoopCase cases[] = {
        {"declined close", {{IDCMP_CLOSEWINDOW, 1, 0}}, true, 1},
        {"end answer", {{IDCMP_GADGETUP, 1, -1}}, true, 1},
        {"end then more", {{IDCMP_GADGETUP, 1, -1}, {IDCMP_VANILLAKEY, 2, 1}, {IDCMP_VANILLAKEY, 3, 0}}, true, 3},
        {"close then more", {{IDCMP_CLOSEWINDOW, 1, 0}, {IDCMP_GADGETUP, 2, 1}}, true, 2},
        {"taken close goes on", {{IDCMP_CLOSEWINDOW, 1, 1}}, false, 1},
        {"replied close goes on", {{IDCMP_CLOSEWINDOW, 1, 2}}, false, 1},
        {"declined key goes on", {{IDCMP_VANILLAKEY, 1, 0}, {IDCMP_GADGETUP, 2, 1}}, false, 2},
        {"replied then end", {{IDCMP_GADGETUP, 1, 2}, {IDCMP_GADGETUP, 2, 2}, {IDCMP_CLOSEWINDOW, 3, 0}}, true, 3},
        {"end answered with a reply", {{IDCMP_GADGETUP, 1, 2}, {IDCMP_GADGETUP, 2, -1}}, true, 2},
    };
    for (const LoopCase& c : cases) {
        Window* window = support::OpenTestWindow();
        ASSERT_NE(window, nullptr);
        MsgPort* replies = CreateMsgPort();
        ASSERT_NE(replies, nullptr);
        ScriptedReceiver receiver(replies);
        std::vector<std::unique_ptr<IntuiMessage>> messages;
        for (const Queued& q : c.messages) {
            auto m = std::make_unique<IntuiMessage>();
            m->ExecMessage.mn_ReplyPort = replies;
            m->Class = q.cls;
            m->Code = q.code;
            m->IDCMPWindow = window;
            receiver.answers[q.code] = q.answer;
            PutMsg(window->UserPort, &m->ExecMessage);
            messages.push_back(std::move(m));
        }
        bool ended = true;
        try {
            ModalLoop(window, receiver);
        } catch (const host::Stalled&) {
            ended = false;  // it waited for more input
        }
        receiver.Drain();
        EXPECT_EQ(ended, c.ends) << c.what;
        EXPECT_EQ(receiver.seen.size(), c.handed) << c.what;
        for (size_t i = 0; i < receiver.seen.size(); ++i) EXPECT_EQ(receiver.seen[i], c.messages[i].code) << c.what;
        for (const Queued& q : c.messages) EXPECT_EQ(receiver.replied[q.code], 1) << c.what << " message " << q.code;
        EXPECT_EQ(GetMsg(window->UserPort), nullptr) << c.what;
        CloseWindow(window);
        DeleteMsgPort(replies);
    }
}

// A receiver that answers by a function, for messages the window server sends.
class FunctionReceiver : public cIDCMP {
public:
    explicit FunctionReceiver(std::function<int(const IntuiMessage*)> f) : f_(std::move(f)) {}
    bool Active() const override { return false; }
    int IDCMP(const IntuiMessage* m) override { return f_(m); }

private:
    std::function<int(const IntuiMessage*)> f_;
};

TEST(ModalLoop, TheCloseGadgetEndsADialogWhoseReceiverIgnoresIt) {
    Window* window = support::OpenTestWindow();
    ASSERT_NE(window, nullptr);
    std::vector<ULONG> classes;
    FunctionReceiver receiver([&](const IntuiMessage* m) {
        classes.push_back(m->Class);
        return 0;
    });
    host::SetSteps({[&] {
                        host::Key('x');
                        host::Key('y');
                    },
                    [&] { host::ClickClose(window); }});
    EXPECT_NO_THROW(ModalLoop(window, receiver));
    ASSERT_EQ(classes.size(), 3u);
    EXPECT_EQ(classes[0], IDCMP_VANILLAKEY);
    EXPECT_EQ(classes[2], IDCMP_CLOSEWINDOW);
    EXPECT_EQ(host::DoubleReplies(), 0);
    CloseWindow(window);
}

TEST(ModalLoop, AMessageTheReceiverRepliedIsNotRepliedAgain) {
    Window* window = support::OpenTestWindow();
    ASSERT_NE(window, nullptr);
    int keys = 0;
    FunctionReceiver receiver([&](const IntuiMessage* m) {
        if (m->Class != IDCMP_VANILLAKEY) return 0;
        ++keys;
        if (m->Code == 27) return -1;
        ReplyMsg(const_cast<Message*>(&m->ExecMessage));
        return 2;
    });
    host::SetSteps({[&] {
        host::Key('a');
        host::Key('b');
        host::Key(27);
    }});
    EXPECT_NO_THROW(ModalLoop(window, receiver));
    EXPECT_EQ(keys, 3);
    EXPECT_EQ(host::DoubleReplies(), 0);
    CloseWindow(window);
}

TEST(FlushMessages, RepliesEverythingWaitingAndNothingElse) {
    Window* window = support::OpenTestWindow();
    ASSERT_NE(window, nullptr);
    MsgPort* replies = CreateMsgPort();
    IntuiMessage m[3]{};
    for (auto& msg : m) {
        msg.ExecMessage.mn_ReplyPort = replies;
        PutMsg(window->UserPort, &msg.ExecMessage);
    }
    cPanel anyReceiver;
    anyReceiver.FlushMessages(window);
    EXPECT_EQ(GetMsg(window->UserPort), nullptr);
    int back = 0;
    while (GetMsg(replies) != nullptr) ++back;
    EXPECT_EQ(back, 3);
    anyReceiver.FlushMessages(window);  // an empty port
    anyReceiver.FlushMessages(nullptr);
    EXPECT_EQ(GetMsg(replies), nullptr);
    CloseWindow(window);
    DeleteMsgPort(replies);
}

}  // namespace
