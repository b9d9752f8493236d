// Value types, panels, the receiver protocol and the modal loop.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "host/host.h"
#include "support/screen.h"
#include "toolkit/IDCMP.h"

namespace {

// ---- value types ----------------------------------------------------------------------

TEST(Rectangle, ContainsIsHalfOpen) {
    const cRectangle r(10, 20, 5, 3);  // x 10..14, y 20..22
    struct Row { int x, y; bool inside; };
    const Row rows[] = {{10, 20, true},  {14, 22, true},  {9, 20, false},  {15, 20, false},
                        {10, 19, false}, {10, 23, false}, {-2147483647 - 1, 21, false}};
    for (const Row& row : rows) EXPECT_EQ(r.Contains(row.x, row.y), row.inside) << row.x << ", " << row.y;
    const cRectangle edge(2147483647 - 2, 0, 10, 1);  // would wrap in 32 bits
    EXPECT_TRUE(edge.Contains(2147483647, 0));
    EXPECT_FALSE(edge.Contains(0, 0));
}

// ---- panels -----------------------------------------------------------------------------

// The four frame lines (outer top-left, inner top-left, outer and inner bottom-right) as
// point lists; later lines are drawn over earlier ones.
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

class PanelOnScreen : public support::DialogTable {
protected:
    PanelOnScreen() : DialogTable({}) {}
    static constexpr int kMargin = 9;
    // A margin of a pen of its own shows anything drawn outside the panel; the port is left in
    // a pen and mode that a panel must not draw with.
    RastPort* Margin() {
        RastPort* rp = window->RPort;
        SetABPenDrMd(rp, kMargin, 77, JAM1);
        RectFill(rp, 20, 20, 300, 200);
        SetABPenDrMd(rp, 77, 77, COMPLEMENT);
        return rp;
    }
};

TEST_F(PanelOnScreen, EveryStyleDrawsItsPensPixelExact) {
    // pens: outer top-left, inner top-left, outer bottom-right, inner bottom-right.
    struct Row { int style; int pens[4]; int lastPen; };
    const Row rows[] = {{1, {2, 2, 1, 1}, 1}, {2, {1, 1, 2, 2}, 2}, {3, {2, 1, 1, 2}, 2}, {4, {1, 2, 2, 1}, 1},
                       {0, {0, 0, 0, 0}, 0}, {5, {0, 0, 0, 0}, 0}, {-1, {0, 0, 0, 0}, 0}};
    const cRectangle boxes[] = {cRectangle(40, 30, 100, 14), cRectangle(50, 60, 5, 5), cRectangle(60, 80, 4, 4),
                                cRectangle(100, 100, 37, 50)};
    for (const Row& row : rows)
        for (const cRectangle& box : boxes) {
            RastPort* rp = Margin();
            const int x = box.position.x, y = box.position.y, w = box.size.x, h = box.size.y;
            cPanel(x, y, w, h, row.style).Update(rp);
            std::map<std::pair<int, int>, int> want;
            const auto lines = FrameLines(x, y, w, h);
            for (int l = 0; l < 4; ++l)
                for (auto p : lines[l]) want[p] = row.pens[l];
            int wrong = 0;
            for (int py = y - 2; py < y + h + 2; ++py)
                for (int px = x - 2; px < x + w + 2; ++px) {
                    const bool inside = px >= x && px < x + w && py >= y && py < y + h;
                    const auto it = want.find({px, py});
                    const int expected = !inside ? kMargin : it != want.end() ? it->second : 0;
                    const int got = support::Pixel(window, px, py);
                    if (got != expected && wrong++ < 5)
                        ADD_FAILURE() << "style " << row.style << " box " << w << "x" << h << ": pixel (" << px
                                      << ", " << py << ") is " << got << ", not " << expected;
                }
            EXPECT_EQ(rp->DrawMode, JAM1) << row.style;
            EXPECT_EQ(rp->FgPen, row.lastPen) << row.style;
        }
}

// ---- the modal loop -------------------------------------------------------------------

using ModalLoopTest = PanelOnScreen;

// A receiver answering a script by message code; it replies itself where it answers 2.
class ScriptedReceiver : public cIDCMP {
public:
    bool Active() const override { return false; }
    int IDCMP(const IntuiMessage* m) override {
        seen.push_back(m->Code);
        const int answer = answers.count(m->Code) ? answers[m->Code] : 1;
        if (answer == 2) ReplyMsg(const_cast<Message*>(&m->ExecMessage));
        return answer;
    }
    std::map<UWORD, int> answers;
    std::vector<UWORD> seen;
};

TEST_F(ModalLoopTest, EndsOnADeclinedCloseOrAnEndAnswerAfterTheQueueIsEmpty) {
    constexpr ULONG Close = IDCMP_CLOSEWINDOW, Gadget = IDCMP_GADGETUP, Key = IDCMP_VANILLAKEY;
    // messages: class and answer; codes count from 1.
    struct Case { const char* what; std::vector<std::pair<ULONG, int>> messages; bool ends; };
    const Case cases[] = {
        {"declined close", {{Close, 0}}, true}, {"end answer", {{Gadget, -1}}, true},
        {"end then more", {{Gadget, -1}, {Key, 1}, {Key, 0}}, true},
        {"close then more", {{Close, 0}, {Gadget, 1}}, true}, {"taken close goes on", {{Close, 1}}, false},
        {"replied close goes on", {{Close, 2}}, false}, {"declined key goes on", {{Key, 0}, {Gadget, 1}}, false},
        {"replied then end", {{Gadget, 2}, {Gadget, 2}, {Close, 0}}, true},
        {"end answered with a reply", {{Gadget, 2}, {Gadget, -1}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Restart();
        support::QueuedMessages queue;
        ScriptedReceiver receiver;
        std::vector<UWORD> codes;
        for (const auto& [cls, answer] : c.messages) {
            codes.push_back(static_cast<UWORD>(codes.size() + 1));
            queue.Add(cls, codes.back());
            receiver.answers[codes.back()] = answer;
        }
        queue.Send(window);
        bool ended = true;
        try { ModalLoop(window, receiver); } catch (const host::Stalled&) { ended = false; }  // it waited for more input
        EXPECT_EQ(ended, c.ends);
        EXPECT_EQ(receiver.seen, codes);  // every queued message, in order
        EXPECT_EQ(queue.Drain(), static_cast<int>(codes.size()));
        for (UWORD code : codes) EXPECT_EQ(queue.replied[code], 1) << "message " << code;
        EXPECT_EQ(GetMsg(window->UserPort), nullptr);
        Stop();  // before the queue's messages go
    }
}

}  // namespace
