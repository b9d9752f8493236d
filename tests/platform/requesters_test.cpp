// System requesters: EasyRequest's answers and the parent's input; DisplayAlert's box and answers.
#include <functional>

#include "server_testing.h"

namespace {

using EasyRequestTest = wtest::VirtualDisplay;
using DisplayAlertTest = wtest::VirtualDisplay;

using wtest::Drain;
using wtest::Settle;

const EasyStruct kThree = {sizeof(EasyStruct), 0, "Choose", "Pick one of three", "First|Middle|Last"};

Window* Requester(const char* title = "Choose") {
    Window* w = host::FindWindow(title);
    if (!w) ADD_FAILURE() << "no requester window \"" << title << "\"";
    return w;
}

struct AnswerCase { const char* name; std::function<void()> act; LONG result; };

const AnswerCase kAnswers[] = {
    {"first button", [] { host::ClickGadget(Requester(), "First"); }, 1},
    {"middle button", [] { host::ClickGadget(Requester(), "Middle"); }, 2},
    {"last button", [] { host::ClickGadget(Requester(), "Last"); }, 0}, {"Return", [] { host::Key(13); }, 1},
    {"Escape", [] { host::Key(27); }, 0}, {"close gadget", [] { host::ClickClose(Requester()); }, 0},
    {"other keys first, then the middle button", [] { host::Type("xyz"); host::ClickGadget(Requester(), "Middle"); }, 2},
};

TEST_F(EasyRequestTest, AnswersOneTwoOrZeroForTheFirstMiddleAndLastButtonAndTheirKeys) {
    for (bool withParent : {false, true})
        for (const AnswerCase& c : kAnswers) {
            SCOPED_TRACE(std::string(c.name) + (withParent ? " (on a window)" : " (no window)"));
            host::UseVirtualDisplay();
            Window* parent = withParent ? wtest::OpenBig("Parent") : nullptr;
            host::SetSteps({c.act});
            EXPECT_EQ(EasyRequestArgs(parent, &kThree, nullptr, nullptr), c.result);
            EXPECT_EQ(host::StepsLeft(), 0u);
            EXPECT_EQ(host::FindWindow("Choose"), nullptr);  // closed again
            EXPECT_EQ(host::OpenWindowCount(), withParent ? 1 : 0);
            if (parent) CloseWindow(parent);
        }
}

// Afterwards the parent has the keys, though another window in front had them before.
TEST_F(EasyRequestTest, LeavesTheParentsQueuedInputAlone) {
    Window* parent = wtest::OpenBig("Parent");
    ASSERT_NE(parent, nullptr);
    Window* other = wtest::Open({500, 300, 100, 60});
    host::Click(parent->LeftEdge + 100, parent->TopEdge + 100);
    host::Key('k');
    host::Click(other->LeftEdge + 50, other->TopEdge + 30);
    Settle();
    const EasyStruct quit = {sizeof(EasyStruct), 0, "Quit Poker", "Are You Sure to Quit?", "Quit|Cancel"};
    host::SetSteps({[] { host::ClickGadget(Requester("Quit Poker"), "Cancel"); }});
    EXPECT_EQ(EasyRequestArgs(parent, &quit, nullptr, nullptr), 0);
    std::vector<UWORD> codes;
    for (const auto& g : Drain(parent)) codes.push_back(g.code);
    EXPECT_EQ(codes, (std::vector<UWORD>{SELECTDOWN, SELECTUP, 'k'}));
    EXPECT_EQ(host::ActiveWindow(), parent) << "active again for the player's next key";
}

// Arguments fill the text as the C library would format them; no buttons given means one "OK".
TEST_F(EasyRequestTest, FormatsItsTextAndOffersOKWithoutButtons) {
    const EasyStruct note = {sizeof(EasyStruct), 0, "Note", "%s %05ld|%-4ld|%03lx|%4s", ""};
    std::string shown;
    bool ok = false;
    host::SetSteps({[&] {
        ok = host::FindGadget(Requester("Note"), "OK") != nullptr;
        for (const auto& t : host::Texts(Requester("Note"))) shown = t.text.rfind("pot", 0) == 0 ? t.text : shown;
        host::Key(13);
    }});
    EasyRequest(nullptr, &note, nullptr, "pot", -42L, 7L, 255L, "ab");
    EXPECT_EQ(shown, "pot -0042|7   |0ff|  ab");
    EXPECT_TRUE(ok);
}

// ---- alerts ----

std::vector<char> AlertBytes(std::initializer_list<std::pair<std::pair<int, int>, std::string>> lines) {
    std::vector<char> out;
    size_t n = 0;
    for (const auto& [pos, text] : lines) {
        for (int byte : {pos.first >> 8, pos.first & 0xFF, pos.second}) out.push_back(static_cast<char>(byte));
        out.insert(out.end(), text.begin(), text.end());
        out.push_back('\0');
        out.push_back(++n < lines.size() ? 1 : 0);
    }
    return out;
}

Window* Alert() {
    Window* w = host::FindWindow("Recoverable Alert");
    if (!w) ADD_FAILURE() << "no alert showing";
    return w;
}

TEST_F(DisplayAlertTest, ShowsItsLinesAcrossTheTopAndAnswersByClickOrKey) {
    const AnswerCase cases[] = {{"left click", [] { host::Click(320, 20); }, TRUE}, {"Return", [] { host::Key(13); }, TRUE},
                                {"Escape", [] { host::Key(27); }, FALSE}};
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.name);
        host::UseVirtualDisplay();
        std::vector<char> bytes = AlertBytes({{{64, 16}, "gadtools.library"}});
        bool looked = false;
        host::SetSteps({[&] {
            Window* w = Alert();
            ASSERT_NE(w, nullptr);
            looked = true;
            EXPECT_EQ(wtest::Box(w), (std::vector<int>{0, 0, 640, 40}));
            EXPECT_EQ(wtest::Placed(w), std::vector<std::string>{"gadtools.library@64,16"});
            // Black inside, a frame of another colour.
            EXPECT_EQ(host::ScreenPixel(20, 20), 1);
            EXPECT_NE(host::ScreenPixel(3, 20), 1);
            EXPECT_NE(host::ScreenPixel(320, 37), 1);
            c.act();
        }});
        EXPECT_EQ(DisplayAlert(RECOVERY_ALERT, bytes.data(), 40), c.result);
        EXPECT_TRUE(looked);
        EXPECT_EQ(host::OpenWindowCount(), 0);
        // A pen it took for its colour is given back.
        EXPECT_EQ(host::PensInUse(), 0);
    }
}

}  // namespace
