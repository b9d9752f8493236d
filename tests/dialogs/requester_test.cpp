// The message requester, driven through the virtual display's user.
#include "dialogs/requester.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/host.h"
#include "support/screen.h"
#include "toolkit/globals.h"

namespace {

constexpr const char* Title = "Your Hand:";
constexpr int ReqLeft = 350, ReqTop = 200, ReqWidth = 210, ReqInner = 70;
constexpr int OkButton = -1, CloseGadget = -2;  // dismissals that are not keys

Window* Requester() { return host::FindWindow(Title); }

// The parent lies well away from the requester, so the screen around it shows only background.
class RequesterTest : public support::DialogTable {
protected:
    RequesterTest() : DialogTable({.left = 0, .top = 20, .width = 300, .height = 100, .idcmp = 0, .title = "Parent"}) {}

    cRequester Make() { return cRequester(window, ReqLeft, ReqTop, ReqWidth, ReqInner, Title); }

    // Execute(text) with `acts` done one after the other on the open requester.
    void Execute(cRequester& req, const char* text, const std::vector<std::function<void(Window*)>>& acts) {
        std::vector<std::function<void()>> steps;
        for (const auto& act : acts)
            steps.push_back([&act] {
                Window* w = Requester();
                ASSERT_NE(w, nullptr);
                act(w);
            });
        host::SetSteps(steps);
        req.Execute(text);
        EXPECT_EQ(host::StepsLeft(), 0u);
    }
};

TEST_F(RequesterTest, EachDismissalClosesTheWindowAtItsPlaceWithItsButton) {
    for (int way : std::initializer_list<int>{13, 10, 27, 'O', 'o', 'K', 'k', OkButton, CloseGadget}) {
        SCOPED_TRACE(way);
        Restart();
        cRequester req = Make();
        const int before = host::OpenWindowCount();
        Execute(req, "Two Pairs", {[&](Window* w) {
            EXPECT_EQ(std::vector<int>({w->LeftEdge, w->TopEdge, w->Width, w->Height}),
                      std::vector<int>({ReqLeft, ReqTop, ReqWidth,
                                        ReqInner + screen->WBorTop + screen->Font->ta_YSize + 1}));
            EXPECT_EQ(host::ActiveWindow(), w);
            EXPECT_TRUE(host::ShowsText(w, "Two Pairs"));
            const host::GadgetInfo* ok = host::FindGadget(w, 103);
            ASSERT_NE(ok, nullptr);
            EXPECT_EQ(ok->label, "OK");
            EXPECT_EQ(std::vector<int>({ok->left, ok->top, ok->width, ok->height}),
                      std::vector<int>({80 + w->BorderLeft, 50 + w->BorderTop, 50, 16}));
            if (way == 13) support::Screenshot("requester");
            if (way == OkButton)
                host::ClickGadget(w, 103);
            else if (way == CloseGadget)
                host::ClickClose(w);
            else
                host::Key(way);
        }});
        EXPECT_EQ(Requester(), nullptr);
        EXPECT_EQ(host::OpenWindowCount(), before);
        EXPECT_EQ(host::DoubleReplies(), 0);
        EXPECT_TRUE(req.text == "Two Pairs");
    }
}

TEST_F(RequesterTest, TheNextExecuteOpensWhereThePlayerLeftTheWindow) {
    cRequester req = Make();
    int left = ReqLeft, top = ReqTop;
    const std::pair<int, int> moves[] = {{-40, 30}, {25, -60}, {0, 0}};
    for (const auto& move : moves) {
        const int dx = move.first, dy = move.second;
        int openedLeft = -1, openedTop = -1;
        Execute(req, "Three of a Kind", {[&](Window* w) {
            openedLeft = w->LeftEdge;
            openedTop = w->TopEdge;
            host::DragWindow(w, dx, dy);
            host::Key(13);
        }});
        EXPECT_EQ(openedLeft, left);
        EXPECT_EQ(openedTop, top);
        left += dx;
        top += dy;
        EXPECT_EQ(req.left, left);
        EXPECT_EQ(req.top, top);
    }
}

TEST_F(RequesterTest, TheTextIsCentredOnOneLineAndCutByTheWindowEdges) {
    struct Case { std::string text; int x; };
    const Case cases[] = {
        {"Pair", 89},
        {"Royal Flush", 61},
        {"Win Pot Doubled! Pot=2147483647", -19},
        {"line\nfeed is shown, not obeyed", -15},
        {std::string(40, 'M'), -55},
    };
    cRequester req = Make();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<host::TextInfo> drawn;
        int baseline = 0, insideInk = 0, outsideChanged = 0;
        Execute(req, c.text.c_str(), {[&](Window* w) {
            for (const host::TextInfo& t : host::Texts(w))
                if (t.text == c.text) drawn.push_back(t);
            baseline = w->BorderTop + 20;
            for (int y = baseline - 7; y <= baseline; ++y) {
                for (int x = w->BorderLeft; x < w->Width - w->BorderRight; ++x)
                    insideInk += host::WindowPixel(w, x, y) == pens[1];
                // Beside the window the screen keeps its background, read far away on the row.
                const int sy = w->TopEdge + y, background = host::ScreenPixel(host::ScreenWidth() - 2, sy);
                for (int d = 1; d <= 60; ++d) {
                    outsideChanged += host::ScreenPixel(w->LeftEdge - d, sy) != background;
                    outsideChanged += host::ScreenPixel(w->LeftEdge + w->Width - 1 + d, sy) != background;
                }
            }
            host::Key(13);
        }});
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0].x, c.x);
        EXPECT_EQ(drawn[0].y, baseline);
        EXPECT_EQ(drawn[0].pen, pens[1]);
        EXPECT_GT(insideInk, 0);
        EXPECT_EQ(outsideChanged, 0);
    }
}

}  // namespace
