// System requesters: EasyRequest's window, body, buttons and answers; DisplayAlert's box,
// its answers, and what it does with strings it cannot trust.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "gadtools_testing.h"

namespace {

using gttest::Drain;
using gttest::OfClass;
using gttest::Settle;

const EasyStruct kThree = {sizeof(EasyStruct), 0, "Choose", "Pick one of three", "First|Middle|Last"};

Window* Requester(const char* title = "Choose") {
    Window* w = host::FindWindow(title);
    if (!w) ADD_FAILURE() << "no requester window \"" << title << "\"";
    return w;
}

struct AnswerCase {
    const char* name;
    std::function<void()> act;
    LONG result;
};

const AnswerCase kAnswers[] = {
    {"first button", [] { host::ClickGadget(Requester(), "First"); }, 1},
    {"middle button", [] { host::ClickGadget(Requester(), "Middle"); }, 2},
    {"last button", [] { host::ClickGadget(Requester(), "Last"); }, 0},
    {"Return", [] { host::Key(13); }, 1},
    {"Escape", [] { host::Key(27); }, 0},
    {"close gadget", [] { host::ClickClose(Requester()); }, 0},
    {"other keys first, then the middle button",
     [] {
         host::Type("xyz");
         host::ClickGadget(Requester(), "Middle");
     },
     2},
};

TEST(EasyRequest, AnswersOneTwoOrZeroForTheFirstMiddleAndLastButtonAndTheirKeys) {
    for (bool withParent : {false, true}) {
        for (const AnswerCase& c : kAnswers) {
            SCOPED_TRACE(std::string(c.name) + (withParent ? " (on a window)" : " (no window)"));
            host::UseVirtualDisplay();
            Window* parent = withParent ? gttest::OpenTestWindow("Parent") : nullptr;
            host::SetSteps({c.act});
            EXPECT_EQ(EasyRequestArgs(parent, &kThree, nullptr, nullptr), c.result);
            EXPECT_EQ(host::StepsLeft(), 0u);
            EXPECT_EQ(host::FindWindow("Choose"), nullptr);  // closed again
            EXPECT_EQ(host::OpenWindowCount(), withParent ? 1 : 0);
            if (parent) CloseWindow(parent);
        }
    }
}

TEST(EasyRequest, IsCentredOnTheScreenWithTheTitleTextAndButtons) {
    host::UseVirtualDisplay();
    bool looked = false;
    host::SetSteps({[&] {
        Window* w = Requester();
        ASSERT_NE(w, nullptr);
        looked = true;
        EXPECT_EQ(w->LeftEdge, (640 - w->Width) / 2);
        EXPECT_EQ(w->TopEdge, (480 - w->Height) / 2);
        EXPECT_TRUE(host::ShowsText(w, "Pick one of three"));
        auto gadgets = host::Gadgets(w);
        ASSERT_EQ(gadgets.size(), 3u);
        // Spread left to right along the bottom, in the order given.
        EXPECT_EQ(gadgets[0].label, "First");
        EXPECT_EQ(gadgets[1].label, "Middle");
        EXPECT_EQ(gadgets[2].label, "Last");
        EXPECT_LT(gadgets[0].left + gadgets[0].width, gadgets[1].left);
        EXPECT_LT(gadgets[1].left + gadgets[1].width, gadgets[2].left);
        EXPECT_EQ(gadgets[0].top, gadgets[2].top);
        EXPECT_GT(gadgets[0].top, w->Height / 2);
        EXPECT_TRUE(host::SavePNG(POKER_BINARY_DIR "/easyrequest.png"));
        host::Key(13);
    }});
    EXPECT_EQ(EasyRequestArgs(nullptr, &kThree, nullptr, nullptr), 1);
    EXPECT_TRUE(looked);
}

TEST(EasyRequest, BodyTakesItsArguments) {
    struct Case {
        const char* format;
        std::vector<uintptr_t> args;
        std::vector<std::string> lines;
    };
    static const char kFile[] = "gfx/defaultcards.lbm";
    const Case cases[] = {
        {"Error while loading Card GFX file \"%s\"", {reinterpret_cast<uintptr_t>(kFile)},
         {"Error while loading Card GFX file \"gfx/defaultcards.lbm\""}},
        {"Win Pot Doubled! Pot=%ld", {1234}, {"Win Pot Doubled! Pot=1234"}},
        {"%s has %ld coins", {reinterpret_cast<uintptr_t>("Ann"), static_cast<uintptr_t>(-5)}, {"Ann has -5 coins"}},
        {"%lu %lx %d %c 100%%", {4000000000u, 255, 7, 'Q'}, {"4000000000 ff 7 Q 100%"}},
        {"[%5ld] [%-3s] [%03ld]", {42, reinterpret_cast<uintptr_t>("a"), 7}, {"[   42] [a  ] [007]"}},
        {"Line one %s\nLine two %ld", {reinterpret_cast<uintptr_t>("A"), 2}, {"Line one A", "Line two 2"}},
        {"Are You Sure to Quit?", {}, {"Are You Sure to Quit?"}},
        {"%s", {0}, {""}},
        {"odd %q stays", {}, {"odd %q stays"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        host::UseVirtualDisplay();
        const EasyStruct es = {sizeof(EasyStruct), 0, "Body", c.format, "OK"};
        std::vector<std::string> seen;
        host::SetSteps({[&] {
            for (const auto& t : host::Texts(Requester("Body"))) seen.push_back(t.text);
            host::Key(13);
        }});
        EasyRequestArgs(nullptr, &es, nullptr, c.args.empty() ? nullptr : c.args.data());
        for (const auto& line : c.lines) {
            if (line.empty()) continue;
            EXPECT_NE(std::find(seen.begin(), seen.end(), line), seen.end()) << "missing line: " << line;
        }
        // Nothing shown but the lines and the button.
        for (const auto& t : seen)
            EXPECT_TRUE(t == "OK" || std::find(c.lines.begin(), c.lines.end(), t) != c.lines.end()) << t;
    }
}

TEST(EasyRequest, TheVarargsFormReadsItsArgumentsByTheFormat) {
    host::UseVirtualDisplay();
    const EasyStruct es = {sizeof(EasyStruct), 0, "Varargs", "%s: %ld of %ld (%c)", "Yes|No"};
    bool shown = false;
    host::SetSteps({[&] {
        shown = host::ShowsText(Requester("Varargs"), "Cards: -3 of 60 (x)");
        host::ClickGadget(Requester("Varargs"), "No");
    }});
    LONG minusThree = -3, sixty = 60;
    EXPECT_EQ(EasyRequest(nullptr, &es, nullptr, "Cards", minusThree, sixty, 'x'), 0);
    EXPECT_TRUE(shown);
}

TEST(EasyRequest, LeavesTheParentsQueuedInputAlone) {
    host::UseVirtualDisplay();
    Window* parent = gttest::OpenTestWindow("Parent");
    ASSERT_NE(parent, nullptr);
    host::Key('k');
    host::Click(parent->LeftEdge + 100, parent->TopEdge + 100);
    Settle();
    const EasyStruct quit = {sizeof(EasyStruct), 0, "Quit Poker", "Are You Sure to Quit?", "Quit|Cancel"};
    host::SetSteps({[] { host::ClickGadget(Requester("Quit Poker"), "Cancel"); }});
    EXPECT_EQ(EasyRequestArgs(parent, &quit, nullptr, nullptr), 0);
    auto all = Drain(parent);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].cls, IDCMP_VANILLAKEY);
    EXPECT_EQ(all[0].code, 'k');
    EXPECT_EQ(all[1].code, SELECTDOWN);
    EXPECT_EQ(all[2].code, SELECTUP);
    // The parent is active again for the player's next key.
    EXPECT_EQ(host::ActiveWindow(), parent);
    CloseWindow(parent);
}

TEST(EasyRequest, AnswersTheLastButtonWhenItCannotBeShown) {
    host::UseVirtualDisplay();
    const EasyStruct quit = {sizeof(EasyStruct), 0, "Quit Poker", "Are You Sure to Quit?", "Quit|Cancel"};
    host::FailOnce("OpenWindowTagList");
    EXPECT_EQ(EasyRequestArgs(nullptr, &quit, nullptr, nullptr), 0);
    EXPECT_EQ(host::OpenWindowCount(), 0);
    host::ScreenConfig none;
    none.display = false;
    host::UseVirtualDisplay(none);
    EXPECT_EQ(EasyRequestArgs(nullptr, &quit, nullptr, nullptr), 0);
    EXPECT_EQ(EasyRequestArgs(nullptr, nullptr, nullptr, nullptr), 0);
}

TEST(EasyRequest, OneButtonIsBothFirstAndLast) {
    host::UseVirtualDisplay();
    const EasyStruct one = {sizeof(EasyStruct), 0, "Tarnwell Poker", "Error", "QUIT"};
    for (auto act : {std::function<void()>([] { host::Key(13); }),
                     std::function<void()>([] { host::ClickGadget(Requester("Tarnwell Poker"), "QUIT"); })}) {
        host::SetSteps({act});
        EXPECT_EQ(EasyRequestArgs(nullptr, &one, nullptr, nullptr), 0);
    }
}

// ---- alerts ----

std::vector<char> AlertBytes(std::initializer_list<std::pair<std::pair<int, int>, std::string>> lines) {
    std::vector<char> out;
    size_t n = 0;
    for (const auto& [pos, text] : lines) {
        out.push_back(static_cast<char>(pos.first >> 8));
        out.push_back(static_cast<char>(pos.first & 0xFF));
        out.push_back(static_cast<char>(pos.second));
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

TEST(DisplayAlert, ShowsItsLinesAcrossTheTopAndAnswersByClickOrKey) {
    struct Case {
        const char* name;
        std::function<void()> act;
        BOOL result;
    };
    const Case cases[] = {
        {"left click", [] { host::Click(320, 20); }, TRUE},
        {"Return", [] { host::Key(13); }, TRUE},
        {"Escape", [] { host::Key(27); }, FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host::UseVirtualDisplay();
        std::vector<char> bytes = AlertBytes({{{64, 16}, "gadtools.library"}});
        bool looked = false;
        host::SetSteps({[&] {
            Window* w = Alert();
            ASSERT_NE(w, nullptr);
            looked = true;
            EXPECT_EQ(w->LeftEdge, 0);
            EXPECT_EQ(w->TopEdge, 0);
            EXPECT_EQ(w->Width, 640);
            EXPECT_EQ(w->Height, 40);
            auto texts = host::Texts(w);
            ASSERT_EQ(texts.size(), 1u);
            EXPECT_EQ(texts[0].text, "gadtools.library");
            EXPECT_EQ(texts[0].x, 64);
            EXPECT_EQ(texts[0].y, 16);
            // Black inside, a frame of another colour.
            EXPECT_EQ(host::ScreenPixel(20, 20), 1);
            EXPECT_NE(host::ScreenPixel(3, 20), 1);
            EXPECT_NE(host::ScreenPixel(320, 37), 1);
            if (c.result) {
                EXPECT_TRUE(host::SavePNG(POKER_BINARY_DIR "/alert.png"));
            }
            c.act();
        }});
        EXPECT_EQ(DisplayAlert(RECOVERY_ALERT, bytes.data(), 40), c.result);
        EXPECT_TRUE(looked);
        EXPECT_EQ(host::OpenWindowCount(), 0);
        // A pen it took for its colour is given back.
        EXPECT_EQ(host::PensInUse(), 0);
    }
}

TEST(DisplayAlert, ShowsEveryLineOfTheString) {
    host::UseVirtualDisplay();
    std::vector<char> bytes = AlertBytes({{{10, 12}, "first"}, {{300, 24}, "second"}, {{10, 36}, "third"}});
    std::vector<host::TextInfo> texts;
    host::SetSteps({[&] {
        texts = host::Texts(Alert());
        host::Click(100, 20);
    }});
    EXPECT_TRUE(DisplayAlert(RECOVERY_ALERT, bytes.data(), 50));
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1].text, "second");
    EXPECT_EQ(texts[1].x, 300);
    EXPECT_EQ(texts[1].y, 24);
}

TEST(DisplayAlert, AMalformedStringIsReadOnlyAsFarAsItIsWellFormed) {
    // Each buffer is exactly as long as its bytes, so reading past them is an error the
    // sanitizer reports; the lines after the first fault must not be shown.
    struct Case {
        const char* name;
        std::vector<char> bytes;
        std::vector<std::string> shown;
    };
    std::vector<char> twoLines = AlertBytes({{{10, 12}, "good"}, {{10, 24}, "SECRET"}});
    auto badSecond = [&](int x, int y) {
        std::vector<char> b = twoLines;
        b[9] = static_cast<char>(x >> 8);  // the second header
        b[10] = static_cast<char>(x & 0xFF);
        b[11] = static_cast<char>(y);
        return b;
    };
    std::vector<char> headerOnly = {0, 10, 12, 'o', 'k', 0, 1, char(0xFF), char(0xFF), 5};
    std::vector<char> noEnd(3, 0);
    noEnd[1] = 10;
    noEnd[2] = 12;
    noEnd.insert(noEnd.end(), 400, 'A');  // a text that never ends
    const Case cases[] = {
        {"second line below the box", badSecond(10, 200), {"good"}},
        {"second line right of the screen", badSecond(700, 20), {"good"}},
        {"the string ends in a bad header", headerOnly, {"ok"}},
        {"a text without its end", noEnd, {}},
        {"well formed", twoLines, {"good", "SECRET"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host::UseVirtualDisplay();
        auto* bytes = new char[c.bytes.size()];
        std::memcpy(bytes, c.bytes.data(), c.bytes.size());
        std::vector<std::string> seen;
        host::SetSteps({[&] {
            for (const auto& t : host::Texts(Alert())) seen.push_back(t.text);
            host::Key(13);
        }});
        EXPECT_TRUE(DisplayAlert(RECOVERY_ALERT, bytes, 40));
        EXPECT_EQ(seen, c.shown);
        delete[] bytes;
    }
}

TEST(DisplayAlert, WithoutADisplayPrintsItsLinesOnStandardError) {
    host::ScreenConfig none;
    none.display = false;
    host::UseVirtualDisplay(none);
    std::vector<char> bytes = AlertBytes({{{64, 16}, "gadtools.library"}, {{64, 30}, "second"}});
    testing::internal::CaptureStderr();
    BOOL result = DisplayAlert(RECOVERY_ALERT, bytes.data(), 40);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(result);
    EXPECT_NE(err.find("gadtools.library\n"), std::string::npos);
    EXPECT_NE(err.find("second\n"), std::string::npos);
    EXPECT_EQ(DisplayAlert(RECOVERY_ALERT, nullptr, 40), FALSE);
}

}  // namespace
