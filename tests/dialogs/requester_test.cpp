// The message requester, driven through the virtual display's user.
#include "dialogs/requester.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/main.h"
#include "host/host.h"

namespace {

constexpr const char* Title = "Your Hand:";
constexpr int ReqLeft = 350;
constexpr int ReqTop = 200;
constexpr int ReqWidth = 210;
constexpr int ReqInner = 70;

class RequesterTest : public ::testing::Test {
protected:
    Screen* screen = nullptr;
    Window* parent = nullptr;

    void SetUp() override { Start(); }
    void TearDown() override { Stop(); }

    // A fresh screen with the parent window; table-driven tests start over for every case.
    void Start()
    {
        Stop();
        host::UseVirtualDisplay();
        screen = LockPubScreen(nullptr);
        ASSERT_NE(screen, nullptr);
        TEXTFONT = OpenFont(&cGTGadgets::textattr);
        ASSERT_NE(TEXTFONT, nullptr);
        pens[0] = 0;
        pens[1] = 1;
        // The parent lies well away from the requester, so the screen around the requester
        // shows only the screen's own background.
        const TagItem tags[] = {
            {WA_Title, reinterpret_cast<uintptr_t>("Parent")},
            {WA_Left, 0},
            {WA_Top, 20},
            {WA_Width, 300},
            {WA_Height, 100},
            {WA_CustomScreen, reinterpret_cast<uintptr_t>(screen)},
            {WA_IDCMP, 0},
            {TAG_DONE, 0},
        };
        parent = OpenWindowTagList(nullptr, tags);
        ASSERT_NE(parent, nullptr);
    }

    void Stop()
    {
        host::ClearFaults();
        if (parent) CloseWindow(parent);
        parent = nullptr;
        if (TEXTFONT) CloseFont(TEXTFONT);
        TEXTFONT = nullptr;
        if (screen) UnlockPubScreen(nullptr, screen);
        screen = nullptr;
    }

    cRequester Make() { return cRequester(parent, ReqLeft, ReqTop, ReqWidth, ReqInner, Title); }
};

Window* Requester() { return host::FindWindow(Title); }

int TitleBar(const Screen* s) { return s->WBorTop + s->Font->ta_YSize + 1; }

TEST_F(RequesterTest, ConstructionAddsTheTitleBarToTheInnerHeight)
{
    cRequester req = Make();
    EXPECT_EQ(req.parent, parent);
    EXPECT_EQ(req.left, ReqLeft);
    EXPECT_EQ(req.top, ReqTop);
    EXPECT_EQ(req.width, ReqWidth);
    EXPECT_EQ(req.titleBarHeight, TitleBar(screen));
    EXPECT_EQ(req.height, ReqInner + TitleBar(screen));
    EXPECT_TRUE(req.title == Title);
    EXPECT_TRUE(req.text == "");
}

struct Dismissal {
    const char* name;
    std::function<void(Window*)> act;
};

TEST_F(RequesterTest, EachDismissalClosesTheWindowAtItsPlaceWithItsButton)
{
    const std::vector<Dismissal> cases = {
        {"Return", [](Window*) { host::Key(13); }},
        {"line feed", [](Window*) { host::Key(10); }},
        {"Escape", [](Window*) { host::Key(27); }},
        {"O", [](Window*) { host::Key('O'); }},
        {"o", [](Window*) { host::Key('o'); }},
        {"K", [](Window*) { host::Key('K'); }},
        {"k", [](Window*) { host::Key('k'); }},
        {"OK button", [](Window* w) { host::ClickGadget(w, 103); }},
        {"close gadget", [](Window* w) { host::ClickClose(w); }},
    };
    for (const Dismissal& c : cases) {
        SCOPED_TRACE(c.name);
        Start();
        cRequester req = Make();
        bool seen = false;
        host::SetSteps({[&] {
            Window* w = Requester();
            ASSERT_NE(w, nullptr);
            seen = true;
            EXPECT_EQ(w->LeftEdge, ReqLeft);
            EXPECT_EQ(w->TopEdge, ReqTop);
            EXPECT_EQ(w->Width, ReqWidth);
            EXPECT_EQ(w->Height, ReqInner + TitleBar(screen));
            EXPECT_EQ(host::ActiveWindow(), w);
            EXPECT_TRUE(host::ShowsText(w, "Two Pairs"));
            const host::GadgetInfo* ok = host::FindGadget(w, 103);
            ASSERT_NE(ok, nullptr);
            EXPECT_EQ(ok->label, "OK");
            EXPECT_EQ(ok->left, 80 + w->BorderLeft);
            EXPECT_EQ(ok->top, 50 + w->BorderTop);
            EXPECT_EQ(ok->width, 50);
            EXPECT_EQ(ok->height, 16);
            if (const char* dir = std::getenv("POKER_SCREENSHOTS"); dir && &c == &cases.front())
                host::SavePNG(std::string(dir) + "/requester.png");
            c.act(w);
        }});
        const int before = host::OpenWindowCount();
        req.Execute("Two Pairs");
        EXPECT_TRUE(seen);
        EXPECT_EQ(host::StepsLeft(), 0u);
        EXPECT_EQ(Requester(), nullptr);
        EXPECT_EQ(host::OpenWindowCount(), before);
        EXPECT_EQ(host::DoubleReplies(), 0);
        EXPECT_TRUE(req.text == "Two Pairs");
    }
}

TEST_F(RequesterTest, OtherKeysAndClicksLeaveItOpen)
{
    const std::vector<int> keys = {'a', 'x', 'D', 'd', 'S', ' ', '1', 9, 8, 127, 0xB4, 'N'};
    for (int key : keys) {
        SCOPED_TRACE(key);
        Start();
        cRequester req = Make();
        bool stillOpen = false;
        host::SetSteps({
            [&] {
                Window* w = Requester();
                ASSERT_NE(w, nullptr);
                host::Key(key);
                // A click on the window's inside away from the button is not a dismissal.
                host::Click(w->LeftEdge + 20, w->TopEdge + w->BorderTop + 40);
            },
            [&] {
                stillOpen = Requester() != nullptr;
                host::Key(27);
            },
        });
        req.Execute("Pair");
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(host::StepsLeft(), 0u);
    }
}

// Key messages of the test's own, queued straight at a window's port so that they arrive
// together; they come back to `replies` when the program replies them.
struct QueuedKeys {
    MsgPort* replies = CreateMsgPort();
    std::vector<IntuiMessage> msgs;

    explicit QueuedKeys(std::vector<int> codes) : msgs(codes.size())
    {
        for (size_t i = 0; i < codes.size(); ++i) {
            msgs[i].ExecMessage.mn_ReplyPort = replies;
            msgs[i].ExecMessage.mn_Length = sizeof(IntuiMessage);
            msgs[i].Class = IDCMP_VANILLAKEY;
            msgs[i].Code = static_cast<UWORD>(codes[i]);
        }
    }
    ~QueuedKeys()
    {
        while (GetMsg(replies)) {
        }
        DeleteMsgPort(replies);
    }
    void Send(Window* w)
    {
        for (IntuiMessage& m : msgs) {
            m.IDCMPWindow = w;
            PutMsg(w->UserPort, &m.ExecMessage);
        }
    }
    int Replied()
    {
        int n = 0;
        for (Node* node = replies->mp_MsgList.lh_Head; node; node = node->ln_Succ) ++n;
        return n;
    }
};

TEST_F(RequesterTest, KeysQueuedTogetherAreAllReadAndRepliedOnce)
{
    struct Case {
        std::vector<int> codes;
    };
    const std::vector<Case> cases = {{{'x', 13}}, {{27, 'x'}}, {{'o', 'k', 'a'}}, {{'a', 'b', 'c', 'K'}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codes.size());
        Start();
        QueuedKeys keys(c.codes);
        cRequester req = Make();
        host::SetSteps({[&] {
            Window* w = Requester();
            ASSERT_NE(w, nullptr);
            keys.Send(w);
        }});
        req.Execute("Flush");
        EXPECT_EQ(host::StepsLeft(), 0u);
        EXPECT_EQ(Requester(), nullptr);
        EXPECT_EQ(keys.Replied(), static_cast<int>(c.codes.size()));
    }
}

// Records what the requester's receiver answers, in the loop every dialog runs.
class RecordingReqGadgets : public cReqGadgets {
public:
    std::vector<std::pair<int, int>> answers;  // key code, answer
    int IDCMP(const IntuiMessage* msg) override
    {
        const int r = cReqGadgets::IDCMP(msg);
        answers.emplace_back(msg->Code, r);
        return r;
    }
};

TEST_F(RequesterTest, AKeyQueuedBehindTheDismissingOneIsStillHandedToTheReceiver)
{
    const TagItem tags[] = {
        {WA_Title, reinterpret_cast<uintptr_t>(Title)},
        {WA_Left, ReqLeft},
        {WA_Top, ReqTop},
        {WA_Width, ReqWidth},
        {WA_Height, static_cast<uintptr_t>(ReqInner + TitleBar(screen))},
        {WA_CustomScreen, reinterpret_cast<uintptr_t>(screen)},
        {WA_Activate, TRUE},
        {WA_IDCMP, IDCMP_VANILLAKEY | IDCMP_CLOSEWINDOW | IDCMP_GADGETUP | IDCMP_MOUSEBUTTONS | IDCMP_REFRESHWINDOW},
        {TAG_DONE, 0},
    };
    Window* w = OpenWindowTagList(nullptr, tags);
    ASSERT_NE(w, nullptr);
    QueuedKeys keys({27, 'q'});
    {
        RecordingReqGadgets gadgets;
        gadgets.Begin(w);
        gadgets.AddButtons(cReqGadgets::ReqButtons);
        gadgets.Attach();
        host::SetSteps({[&] { keys.Send(w); }});
        ModalLoop(w, gadgets);
        const std::vector<std::pair<int, int>> expected = {{27, -1}, {'q', 0}};
        EXPECT_EQ(gadgets.answers, expected);
        CloseWindow(w);
    }
    EXPECT_EQ(keys.Replied(), 2);
    EXPECT_EQ(host::DoubleReplies(), 0);
}

TEST_F(RequesterTest, TheNextExecuteOpensWhereThePlayerLeftTheWindow)
{
    cRequester req = Make();
    const std::vector<std::pair<int, int>> moves = {{-40, 30}, {25, -60}};
    int expectLeft = ReqLeft, expectTop = ReqTop;
    for (const auto& move : moves) {
        const int dx = move.first, dy = move.second;
        int openedLeft = -1, openedTop = -1;
        host::SetSteps({[&] {
            Window* w = Requester();
            ASSERT_NE(w, nullptr);
            openedLeft = w->LeftEdge;
            openedTop = w->TopEdge;
            host::DragWindow(w, dx, dy);
            host::Key(13);
        }});
        req.Execute("Three of a Kind");
        EXPECT_EQ(openedLeft, expectLeft);
        EXPECT_EQ(openedTop, expectTop);
        expectLeft += dx;
        expectTop += dy;
        EXPECT_EQ(req.left, expectLeft);
        EXPECT_EQ(req.top, expectTop);
    }
    int openedLeft = -1, openedTop = -1;
    host::SetSteps({[&] {
        Window* w = Requester();
        ASSERT_NE(w, nullptr);
        openedLeft = w->LeftEdge;
        openedTop = w->TopEdge;
        host::Key(27);
    }});
    req.Execute("Pair");
    EXPECT_EQ(openedLeft, expectLeft);
    EXPECT_EQ(openedTop, expectTop);
}

TEST_F(RequesterTest, TheTextIsCentredOnOneLineAtTheTopBorderPlusTwenty)
{
    const std::vector<std::string> texts = {
        "Pair",
        "Royal Flush",
        "Win Pot Doubled! Pot=2147483647",  // wider than the window by a few pixels
        "line\nfeed is shown, not obeyed",
        std::string(40, 'W'),
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        cRequester req = Make();
        std::vector<host::TextInfo> drawn;
        int border = 0;
        host::SetSteps({[&] {
            Window* w = Requester();
            ASSERT_NE(w, nullptr);
            border = w->BorderTop;
            for (const host::TextInfo& t : host::Texts(w))
                if (t.text == text) drawn.push_back(t);
            host::Key(13);
        }});
        req.Execute(text.c_str());
        ASSERT_EQ(drawn.size(), 1u);
        const int width = static_cast<int>(text.size()) * TEXTFONT->tf_XSize;
        EXPECT_EQ(drawn[0].x, (ReqWidth - width) / 2);
        EXPECT_EQ(drawn[0].y, border + 20);
        EXPECT_EQ(drawn[0].pen, pens[1]);
    }
}

TEST_F(RequesterTest, AFortyCharacterTextStartsLeftOfTheWindowAndIsCutByItsEdges)
{
    const std::string text(40, 'M');
    cRequester req = Make();
    int startX = 0;
    int insideInk = 0, outsideChanged = 0;
    host::SetSteps({[&] {
        Window* w = Requester();
        ASSERT_NE(w, nullptr);
        for (const host::TextInfo& t : host::Texts(w))
            if (t.text == text) startX = t.x;
        const int baseline = w->BorderTop + 20;
        // The glyphs fill the whole inside width on the text's rows ...
        for (int y = baseline - 7; y <= baseline; ++y)
            for (int x = w->BorderLeft; x < w->Width - w->BorderRight; ++x)
                if (host::WindowPixel(w, x, y) == pens[1]) ++insideInk;
        // ... and nothing of them reaches the screen beside the window: those pixels keep the
        // screen's background, read far away on the same rows.
        for (int y = w->TopEdge + baseline - 7; y <= w->TopEdge + baseline; ++y) {
            const int background = host::ScreenPixel(host::ScreenWidth() - 2, y);
            for (int x = w->LeftEdge - 60; x < w->LeftEdge; ++x)
                if (host::ScreenPixel(x, y) != background) ++outsideChanged;
            for (int x = w->LeftEdge + w->Width; x < w->LeftEdge + w->Width + 60; ++x)
                if (host::ScreenPixel(x, y) != background) ++outsideChanged;
        }
        host::Key(27);
    }});
    req.Execute(text.c_str());
    EXPECT_EQ(startX, -55);
    EXPECT_GT(insideInk, 0);
    EXPECT_EQ(outsideChanged, 0);
}

TEST_F(RequesterTest, AnEmptyOrNullTextShowsTheWindowAndItsButton)
{
    const std::vector<const char*> messages = {"", nullptr};
    for (const char* message : messages) {
        SCOPED_TRACE(message ? "empty" : "null");
        cRequester req = Make();
        req.text = "old text";
        bool button = false;
        int visibleTexts = 0;
        host::SetSteps({[&] {
            Window* w = Requester();
            ASSERT_NE(w, nullptr);
            button = host::FindGadget(w, 103) != nullptr;
            for (const host::TextInfo& t : host::Texts(w))
                if (!t.text.empty() && t.text != "OK") ++visibleTexts;
            host::ClickGadget(w, 103);
        }});
        req.Execute(message);
        EXPECT_TRUE(button);
        EXPECT_EQ(visibleTexts, 0);
        EXPECT_TRUE(req.text == "");
        EXPECT_NE(req.text.text, nullptr);
        EXPECT_EQ(req.text.size, 1);
    }
}

TEST_F(RequesterTest, AWindowThatCannotOpenShowsNothingAndKeepsTheText)
{
    cRequester req = Make();
    host::FailOnce("OpenWindowTagList");
    host::SetSteps({});
    req.Execute("Full House");
    EXPECT_TRUE(req.text == "Full House");
    EXPECT_EQ(Requester(), nullptr);
    EXPECT_EQ(req.left, ReqLeft);
    EXPECT_EQ(req.top, ReqTop);
}

TEST_F(RequesterTest, WithoutItsButtonTheKeysStillDismissIt)
{
    cRequester req = Make();
    host::FailOnce("CreateGadget");
    bool button = true;
    host::SetSteps({[&] {
        Window* w = Requester();
        ASSERT_NE(w, nullptr);
        button = host::FindGadget(w, 103) != nullptr;
        host::Key('o');
    }});
    req.Execute("Straight");
    EXPECT_FALSE(button);
    EXPECT_EQ(host::StepsLeft(), 0u);
}

// The receiver's table, message by message, without a window.
struct ReceiverCase {
    ULONG cls;
    int code;
    int gadgetId;  // 0: no gadget address
    int expected;
};

TEST(ReqGadgets, AnswersEachMessageByItsTable)
{
    const std::vector<ReceiverCase> cases = {
        {IDCMP_GADGETUP, 0, 103, -1},
        {IDCMP_GADGETUP, 0, 104, 1},
        {IDCMP_GADGETUP, 0, 0, 1},
        {IDCMP_CLOSEWINDOW, 0, 0, -1},
        {IDCMP_VANILLAKEY, 10, 0, -1},
        {IDCMP_VANILLAKEY, 13, 0, -1},
        {IDCMP_VANILLAKEY, 27, 0, -1},
        {IDCMP_VANILLAKEY, 'K', 0, -1},
        {IDCMP_VANILLAKEY, 'k', 0, -1},
        {IDCMP_VANILLAKEY, 'O', 0, -1},
        {IDCMP_VANILLAKEY, 'o', 0, -1},
        {IDCMP_VANILLAKEY, 'L', 0, 0},
        {IDCMP_VANILLAKEY, 'j', 0, 0},
        {IDCMP_VANILLAKEY, 0x10D, 0, 0},  // 13 in the low byte only
        {IDCMP_VANILLAKEY, 0, 0, 0},
        {IDCMP_MOUSEBUTTONS, SELECTDOWN, 0, 0},
        {IDCMP_MOUSEBUTTONS, SELECTUP, 0, 0},
        {IDCMP_MOUSEMOVE, 0, 0, 0},
        {IDCMP_MENUPICK, 0, 0, 0},
    };
    cReqGadgets gadgets;
    for (const ReceiverCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "class " << c.cls << " code " << c.code << " id " << c.gadgetId);
        Gadget gadget{};
        gadget.GadgetID = static_cast<UWORD>(c.gadgetId);
        IntuiMessage msg{};
        msg.Class = c.cls;
        msg.Code = static_cast<UWORD>(c.code);
        msg.IAddress = c.gadgetId ? &gadget : nullptr;
        EXPECT_EQ(gadgets.IDCMP(&msg), c.expected);
    }
    EXPECT_FALSE(gadgets.Active());
}

TEST(ReqGadgets, TheButtonTableFitsTheRequesterWidth)
{
    const cButton& ok = cReqGadgets::ReqButtons[0];
    EXPECT_EQ(ok.id, 103);
    EXPECT_EQ(ok.left * 2 + ok.width, ReqWidth);
    EXPECT_STREQ(ok.label, "OK");
    EXPECT_EQ(cReqGadgets::ReqButtons[1].id, 0);
}

}  // namespace
