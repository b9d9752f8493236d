// The guide viewer driven through the virtual display: what it shows, links followed by
// mouse and keys, retracing, scrolling, and damaged or missing files.
#include <gtest/gtest.h>

#include <dos.h>
#include <intuition.h>

#include <sys/wait.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "guidefile.h"
#include "guideviewer.h"
#include "host/host.h"

namespace {

const std::string kShippedGuide = std::string(POKER_SOURCE_DIR) + "/drawer/poker.guide";

constexpr int kTab = 9, kReturn = 13, kEscape = 27, kBackspace = 8;
constexpr int kUp = 0x4C, kDown = 0x4D, kRight = 0x4E, kLeft = 0x4F;

std::string TempGuide(const std::string& name, const std::string& contents) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

// The viewer's window: the only one open.
Window* Viewer() {
    const auto windows = host::Windows();
    return windows.empty() ? nullptr : windows.front().window;
}

// Clicks the middle of the first character of a text the window shows.
bool ClickText(Window* w, const std::string& text) {
    for (const host::TextInfo& t : host::Texts(w)) {
        if (t.text.find(text) == std::string::npos) continue;
        host::Click(w->LeftEdge + t.x + 3, w->TopEdge + t.y - 3);
        return true;
    }
    return false;
}

// Runs the viewer on `path` with the steps; the last one given must end it.
int RunViewer(const std::string& path, std::vector<std::function<void()>> steps) {
    host::SetSteps(std::move(steps));
    return guide::RunGuideViewer(path.c_str());
}

// ---- the shipped guide ---------------------------------------------------------------------

TEST(GuideViewer, ShowsTheMainNodeFollowsALinkByMouseAndRetraces) {
    host::UseVirtualDisplay();
    const guide::Document doc = guide::Load(kShippedGuide.c_str());
    ASSERT_EQ(doc.status, guide::Status::Ok);
    const guide::Node& main = doc.nodes[doc.MainNode()];
    ASSERT_FALSE(main.links.empty());
    const guide::Link& link = main.links.front();
    const guide::Node& target = doc.nodes[doc.Find(link.target)];
    ASSERT_NE(target.title, main.title);
    bool sawMain = false, sawTarget = false, sawMainAgain = false;

    const int result = RunViewer(kShippedGuide, {
        [&] {
            Window* w = Viewer();
            ASSERT_NE(w, nullptr);
            EXPECT_EQ(host::Windows().front().title, doc.database);
            sawMain = host::ShowsText(w, main.title);
            EXPECT_TRUE(ClickText(w, link.label));
        },
        [&] {
            Window* w = Viewer();
            sawTarget = host::ShowsText(w, target.title) && !host::ShowsText(w, link.label);
            host::ClickGadget(w, "Retrace");
        },
        [&] {
            Window* w = Viewer();
            sawMainAgain = host::ShowsText(w, main.title) && host::ShowsText(w, link.label);
            host::ClickClose(w);
        },
    });
    EXPECT_EQ(result, guide::kViewerOk);
    EXPECT_TRUE(sawMain);
    EXPECT_TRUE(sawTarget);
    EXPECT_TRUE(sawMainAgain);
    EXPECT_EQ(host::OpenWindowCount(), 0);
    EXPECT_EQ(host::StepsLeft(), 0u);
}

TEST(GuideViewer, EveryLinkOfTheMainNodeOpensItsNode) {
    host::UseVirtualDisplay();
    const guide::Document doc = guide::Load(kShippedGuide.c_str());
    ASSERT_EQ(doc.status, guide::Status::Ok);
    const guide::Node& main = doc.nodes[doc.MainNode()];
    std::vector<std::function<void()>> steps;
    std::vector<std::string> missed;
    for (const guide::Link& link : main.links) {
        const std::string title = doc.nodes[doc.Find(link.target)].title;
        steps.push_back([&, label = link.label] {
            if (!ClickText(Viewer(), label)) missed.push_back("no button " + label);
        });
        steps.push_back([&, title] {
            if (!host::ShowsText(Viewer(), title)) missed.push_back("no page " + title);
            host::Key(kBackspace);
        });
    }
    steps.push_back([] { host::Key(kEscape); });
    EXPECT_EQ(RunViewer(kShippedGuide, std::move(steps)), guide::kViewerOk);
    EXPECT_TRUE(missed.empty()) << missed.front();
}

// ---- a small guide of known shape ---------------------------------------------------------------

const char* const kSmallGuide =
    "@database small.guide\n"
    "@node Main \"Main page\"\n"
    "intro\n"
    "@{\"first\" link One} @{\"second\" link Two} @{\"broken\" link Nowhere}\n"
    "@endnode\n"
    "@node One \"Page one\"\n"
    "one\n"
    "@endnode\n"
    "@node Two \"Page two\"\n"
    "two\n"
    "@endnode\n";

struct KeyCase {
    const char* name;
    std::vector<std::pair<int, unsigned>> keys;  // code, qualifier
    const char* page;                           // the heading shown afterwards
    const char* status;                         // a text of the status line, or nullptr
};

class GuideViewerKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(GuideViewerKeys, LeadToThePage) {
    const KeyCase& c = GetParam();
    host::UseVirtualDisplay();
    const std::string path = TempGuide("small.guide", kSmallGuide);
    std::vector<std::string> pages;
    bool statusShown = true;
    const int result = RunViewer(path, {
        [&] {
            for (auto [code, qualifier] : c.keys) host::Key(code, qualifier);
        },
        [&] {
            Window* w = Viewer();
            for (const char* page : {"Main page", "Page one", "Page two"})
                if (host::ShowsText(w, page)) pages.push_back(page);
            if (c.status) statusShown = host::ShowsText(w, c.status);
            host::Key(kEscape);
        },
    });
    EXPECT_EQ(result, guide::kViewerOk);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], c.page);
    EXPECT_TRUE(statusShown) << c.status;
    EXPECT_EQ(host::OpenWindowCount(), 0);
}

constexpr unsigned kShift = IEQUALIFIER_LSHIFT;

INSTANTIATE_TEST_SUITE_P(
    Cases, GuideViewerKeys,
    ::testing::Values(
        KeyCase{"NothingPressed", {}, "Main page", "Page 1 of 3"},
        KeyCase{"TabReturnFollowsTheFirstLink", {{kTab, 0}, {kReturn, 0}}, "Page one", "Page 2 of 3"},
        KeyCase{"TwoTabsTheSecond", {{kTab, 0}, {kTab, 0}, {kReturn, 0}}, "Page two", nullptr},
        KeyCase{"TabsGoRound", {{kTab, 0}, {kTab, 0}, {kTab, 0}, {kTab, 0}, {kReturn, 0}}, "Page one", nullptr},
        KeyCase{"ShiftTabFromTheEnd", {{kTab, kShift}, {kTab, kShift}, {kReturn, 0}}, "Page two", nullptr},
        KeyCase{"EnterKeyCodeTen", {{kTab, 0}, {10, 0}}, "Page one", nullptr},
        KeyCase{"ReturnWithoutASelection", {{kReturn, 0}}, "Main page", "Choose a link with Tab first"},
        KeyCase{"MissingNodeStays", {{kTab, kShift}, {kReturn, 0}}, "Main page", "No node named \"Nowhere\""},
        KeyCase{"BackspaceRetraces", {{kTab, 0}, {kReturn, 0}, {kBackspace, 0}}, "Main page", nullptr},
        KeyCase{"RRetraces", {{kTab, 0}, {kReturn, 0}, {'r', 0}}, "Main page", nullptr},
        KeyCase{"RetraceWithNothingBehind", {{kBackspace, 0}}, "Main page", "Nothing to retrace"},
        KeyCase{"RetraceTwice", {{'>', 0}, {'>', 0}, {'r', 0}, {'r', 0}}, "Main page", nullptr},
        KeyCase{"BrowseNext", {{'>', 0}}, "Page one", nullptr},
        KeyCase{"BrowseNextTwiceAndBack", {{'>', 0}, {'>', 0}, {'<', 0}}, "Page one", nullptr},
        KeyCase{"BrowsePastTheEnd", {{'>', 0}, {'>', 0}, {'>', 0}}, "Page two", "This is the last page"},
        KeyCase{"BrowseBeforeTheStart", {{'<', 0}}, "Main page", "This is the first page"},
        KeyCase{"ContentsKey", {{'>', 0}, {'>', 0}, {'c', 0}}, "Main page", nullptr},
        KeyCase{"OtherKeysDoNothing", {{'x', 0}, {'7', 0}, {'o', 0}}, "Main page", "Page 1 of 3"}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.name); });

TEST(GuideViewer, ButtonsContentsBrowseAndRetrace) {
    host::UseVirtualDisplay();
    const std::string path = TempGuide("small_buttons.guide", kSmallGuide);
    struct Step {
        const char* button;
        const char* page;
    };
    const Step script[] = {
        {"Browse >", "Page one"}, {"Browse >", "Page two"}, {"Browse <", "Page one"},
        {"Contents", "Main page"}, {"Retrace", "Page one"}, {"Retrace", "Page two"},
        {"Retrace", "Page one"},  {"Retrace", "Main page"},
    };
    std::vector<std::string> seen;
    std::vector<std::function<void()>> steps;
    for (const Step& s : script) {
        steps.push_back([&, s] { host::ClickGadget(Viewer(), s.button); });
        steps.push_back([&, s] {
            if (!host::ShowsText(Viewer(), s.page)) seen.push_back(std::string(s.button) + " did not show " + s.page);
        });
    }
    steps.push_back([] { host::ClickClose(Viewer()); });
    EXPECT_EQ(RunViewer(path, std::move(steps)), guide::kViewerOk);
    EXPECT_TRUE(seen.empty()) << seen.front();
}

TEST(GuideViewer, AClickCountsOnlyWhereItBegan) {
    host::UseVirtualDisplay();
    const std::string path = TempGuide("small_click.guide", kSmallGuide);
    bool stayed = false, followed = false;
    RunViewer(path, {
        [&] {
            // Down on "first", up on the text beside it: nothing is followed.
            Window* w = Viewer();
            for (const host::TextInfo& t : host::Texts(w))
                if (t.text == "first") {
                    host::Press(w->LeftEdge + t.x + 3, w->TopEdge + t.y - 3);
                    host::Release(w->LeftEdge + t.x + 3, w->TopEdge + t.y - 40);
                }
        },
        [&] {
            stayed = host::ShowsText(Viewer(), "Main page");
            // It is selected now, so Return follows it.
            host::Key(kReturn);
        },
        [&] {
            followed = host::ShowsText(Viewer(), "Page one");
            host::ClickClose(Viewer());
        },
    });
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(followed);
}

TEST(GuideViewer, ALinkToAMissingNodeSaysSoAndStays) {
    host::UseVirtualDisplay();
    const std::string path = TempGuide("small_missing.guide", kSmallGuide);
    bool said = false, stayed = false;
    RunViewer(path, {
        [&] { EXPECT_TRUE(ClickText(Viewer(), "broken")); },
        [&] {
            said = host::ShowsText(Viewer(), "No node named \"Nowhere\"");
            stayed = host::ShowsText(Viewer(), "Main page");
            host::Key(kEscape);
        },
    });
    EXPECT_TRUE(said);
    EXPECT_TRUE(stayed);
}

// The pieces of a line around its links are all readable, whichever link is selected.
TEST(GuideViewer, TextAroundLinksStaysReadable) {
    host::UseVirtualDisplay();
    const std::string path = TempGuide("around.guide",
                                       "@database a\n@node Main \"Around\"\n"
                                       "see @{\"this\" link Main}, then @{\"that\" link Main} now\n@endnode\n");
    const std::vector<std::string> pieces = {"see ", "this", ", then ", "that", " now"};
    std::vector<std::string> missing;
    auto check = [&](const char* when) {
        for (const std::string& piece : pieces) {
            bool found = false;
            for (const host::TextInfo& t : host::Texts(Viewer())) found = found || t.text == piece;
            if (!found) missing.push_back(std::string(when) + ": \"" + piece + "\"");
        }
    };
    RunViewer(path, {
        [&] {
            check("at first");
            host::Key(kTab);
        },
        [&] {
            check("first selected");
            host::Key(kTab);
        },
        [&] {
            check("second selected");
            host::Key(kEscape);
        },
    });
    EXPECT_TRUE(missing.empty()) << missing.front();
}

// ---- scrolling ---------------------------------------------------------------------------------

constexpr int kLongLines = 100;

std::string LongGuide() {
    std::string text = "@database long.guide\n@node Main \"Long page\"\n";
    char row[32];
    for (int i = 1; i <= kLongLines; ++i) {
        std::snprintf(row, sizeof row, "row %03d", i);
        text += std::string(row) + "\n";
    }
    text += std::string(150, '-') + "MARK\n@endnode\n";
    return text;
}

// The first and last "row NNN" on view.
std::pair<int, int> RowsOnView(Window* w) {
    int first = INT_MAX, last = 0;
    for (const host::TextInfo& t : host::Texts(w)) {
        int n = 0;
        if (std::sscanf(t.text.c_str(), "row %d", &n) == 1) {
            first = std::min(first, n);
            last = std::max(last, n);
        }
    }
    return {first, last};
}

struct ScrollCase {
    const char* name;
    std::vector<std::pair<int, unsigned>> keys;  // raw keys have bit 0x10000 set
    // The first row expected on view, from the number of rows a page shows.
    std::function<int(int rows)> first;
};

constexpr int kRaw = 0x10000;

class GuideViewerScrolling : public ::testing::TestWithParam<ScrollCase> {};

TEST_P(GuideViewerScrolling, MovesTheLinesOnView) {
    const ScrollCase& c = GetParam();
    host::UseVirtualDisplay();
    const std::string path = TempGuide("long.guide", LongGuide());
    int rows = 0;
    std::pair<int, int> after;
    std::string statusWanted;
    bool statusShown = false;
    RunViewer(path, {
        [&] {
            const auto [first, last] = RowsOnView(Viewer());
            EXPECT_EQ(first, 1);
            rows = last - first + 1;
            for (auto [code, qualifier] : c.keys) {
                if (code & kRaw) host::RawKey(code & 0xFF);
                else host::Key(code, qualifier);
            }
        },
        [&] {
            after = RowsOnView(Viewer());
            const int shownLines = kLongLines + 1;  // the rows and the long line
            statusWanted = "Lines " + std::to_string(after.first) + "-" +
                           std::to_string(std::min(shownLines, after.first + rows - 1)) + " of " +
                           std::to_string(shownLines);
            statusShown = host::ShowsText(Viewer(), statusWanted);
            host::Key(kEscape);
        },
    });
    ASSERT_GT(rows, 5);
    ASSERT_LT(rows, kLongLines);
    EXPECT_EQ(after.first, c.first(rows));
    EXPECT_TRUE(statusShown) << statusWanted;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GuideViewerScrolling,
    ::testing::Values(
        ScrollCase{"Down", {{kRaw | kDown, 0}}, [](int) { return 2; }},
        ScrollCase{"DownDownUp", {{kRaw | kDown, 0}, {kRaw | kDown, 0}, {kRaw | kUp, 0}}, [](int) { return 2; }},
        ScrollCase{"UpAtTheTop", {{kRaw | kUp, 0}}, [](int) { return 1; }},
        ScrollCase{"SpacePages", {{' ', 0}}, [](int rows) { return rows; }},
        ScrollCase{"SpaceThenB", {{' ', 0}, {'b', 0}}, [](int) { return 1; }},
        ScrollCase{"ShiftSpaceBack", {{' ', 0}, {' ', 0}, {' ', kShift}}, [](int rows) { return rows; }},
        ScrollCase{"ManyPagesStopAtTheEnd",
                   std::vector<std::pair<int, unsigned>>(12, {' ', 0}),
                   [](int rows) { return kLongLines + 1 - rows + 1; }},
        ScrollCase{"ContentsOnTheMainPageGoesToTheTop", {{' ', 0}, {'c', 0}}, [](int) { return 1; }}),
    [](const ::testing::TestParamInfo<ScrollCase>& info) { return std::string(info.param.name); });

TEST(GuideViewer, ALongLineScrollsSideways) {
    host::UseVirtualDisplay();
    const std::string path = TempGuide("wide.guide", LongGuide());
    bool hiddenAtFirst = false, shownAfterRight = false, hiddenAfterLeft = false;
    std::vector<std::function<void()>> steps;
    steps.push_back([&] {
        for (int i = 0; i < 12; ++i) host::Key(' ');  // to the end, where the long line is
    });
    steps.push_back([&] {
        hiddenAtFirst = !host::ShowsText(Viewer(), "MARK");
        for (int i = 0; i < 20; ++i) host::RawKey(kRight);
    });
    steps.push_back([&] {
        shownAfterRight = host::ShowsText(Viewer(), "MARK");
        for (int i = 0; i < 20; ++i) host::RawKey(kLeft);
    });
    steps.push_back([&] {
        hiddenAfterLeft = !host::ShowsText(Viewer(), "MARK") && host::ShowsText(Viewer(), "row 100");
        host::Key(kEscape);
    });
    RunViewer(path, std::move(steps));
    EXPECT_TRUE(hiddenAtFirst);
    EXPECT_TRUE(shownAfterRight);
    EXPECT_TRUE(hiddenAfterLeft);
}

// Text never spills over the window's frame, however wide the line.
TEST(GuideViewer, TextStaysInsideTheWindowsFrame) {
    host::UseVirtualDisplay();
    const std::string path = TempGuide("frame.guide", LongGuide());
    std::vector<std::string> outside;
    RunViewer(path, {
        [&] {
            for (int i = 0; i < 12; ++i) host::Key(' ');
        },
        [&] {
            Window* w = Viewer();
            for (const host::TextInfo& t : host::Texts(w)) {
                const int right = t.x + 8 * static_cast<int>(t.text.size()) - 1;
                if (t.x < w->BorderLeft || right >= w->Width - w->BorderRight) outside.push_back(t.text);
            }
            host::Key(kEscape);
        },
    });
    EXPECT_TRUE(outside.empty()) << outside.front();
}

// ---- files that cannot be shown ------------------------------------------------------------------

struct BadFile {
    const char* name;
    const char* file;      // created with `contents`, or nullptr: not there
    const char* contents;
    const char* message;
};

class GuideViewerBadFiles : public ::testing::TestWithParam<BadFile> {};

TEST_P(GuideViewerBadFiles, ShowWhyInTheWindow) {
    const BadFile& c = GetParam();
    host::UseVirtualDisplay();
    const std::string path = c.file ? TempGuide(c.file, c.contents) : ::testing::TempDir() + "absent.guide";
    bool shown = false;
    std::string title;
    const int result = RunViewer(path, {
        [&] {
            Window* w = Viewer();
            ASSERT_NE(w, nullptr);
            title = host::Windows().front().title;
            shown = host::ShowsText(w, c.message);
            host::ClickClose(w);
        },
    });
    EXPECT_EQ(result, guide::kViewerOk);
    EXPECT_TRUE(shown) << c.message;
    EXPECT_EQ(title, "MultiView");
    EXPECT_EQ(host::OpenWindowCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GuideViewerBadFiles,
    ::testing::Values(BadFile{"Missing", nullptr, "", "Cannot open absent.guide"},
                      BadFile{"Empty", "empty.guide", "", "empty.guide is not a guide"},
                      BadFile{"NoDatabase", "nodb.guide", "@node Main\nx\n@endnode\n", "nodb.guide is not a guide"},
                      BadFile{"Binary", "binary.guide", "\x7F" "ELF\x01\x02\x03\xFF\xFE", "binary.guide is not a guide"}),
    [](const ::testing::TestParamInfo<BadFile>& info) { return std::string(info.param.name); });

// ---- failures of the platform ----------------------------------------------------------------------

TEST(GuideViewer, WithoutAWindowItSaysSoInItsResult) {
    for (const char* op : {"LockPubScreen", "OpenWindowTagList"}) {
        host::UseVirtualDisplay();
        host::FailOnce(op);
        host::SetSteps({});
        EXPECT_EQ(guide::RunGuideViewer(kShippedGuide.c_str()), guide::kViewerNoWindow) << op;
        EXPECT_EQ(host::OpenWindowCount(), 0) << op;
    }
}

TEST(GuideViewer, WithoutItsButtonsTheKeysStillWork) {
    for (const char* op : {"CreateContext", "CreateGadget"}) {
        host::UseVirtualDisplay();
        const std::string path = TempGuide("nobuttons.guide", kSmallGuide);
        host::FailFrom(op, 1);
        bool followed = false;
        const int result = RunViewer(path, {
            [&] {
                host::Key(kTab);
                host::Key(kReturn);
            },
            [&] {
                followed = host::ShowsText(Viewer(), "Page one");
                host::Key(kEscape);
            },
        });
        host::ClearFaults();
        EXPECT_EQ(result, guide::kViewerOk) << op;
        EXPECT_TRUE(followed) << op;
    }
}

TEST(GuideViewer, AUserWithNothingLeftToDoEndsItWithTheWindowClosed) {
    host::UseVirtualDisplay();
    host::SetSteps({});
    EXPECT_THROW(guide::RunGuideViewer(kShippedGuide.c_str()), host::Stalled);
    EXPECT_EQ(host::OpenWindowCount(), 0);
}

// ---- the program ------------------------------------------------------------------------------------

const std::string kProgram = std::string(POKER_BINARY_DIR) + "/SYS/Utilities/MultiView";

struct Outcome {
    int status;
    std::string errors;
};

Outcome RunProgram(const std::string& arguments) {
    const std::string errors = ::testing::TempDir() + "multiview_errors.txt";
    const std::string command = "WB_DISPLAY=virtual '" + kProgram + "' " + arguments + " 2>'" + errors + "' >/dev/null";
    const int raw = std::system(command.c_str());
    std::ifstream in(errors);
    std::stringstream text;
    text << in.rdbuf();
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text.str()};
}

TEST(MultiViewProgram, EndsQuietlyOnTheVirtualDisplayWithNobodyThere) {
    const std::string bad = TempGuide("program_bad.guide", "not a guide");
    for (const std::string& file : {kShippedGuide, bad, ::testing::TempDir() + "program_absent.guide"}) {
        const Outcome out = RunProgram("'" + file + "'");
        EXPECT_EQ(out.status, 0) << file;
        EXPECT_EQ(out.errors, "") << file;
    }
}

TEST(MultiViewProgram, WithoutAFileItShowsHowToCallIt) {
    const Outcome out = RunProgram("");
    EXPECT_NE(out.status, 0);
    EXPECT_NE(out.errors.find("Usage: MultiView FILE"), std::string::npos) << out.errors;
}

// The game's help command reaches the viewer through DOS, in the current drawer.
TEST(MultiViewProgram, StartsThroughTheHelpCommand) {
    host::UseVirtualDisplay();
    ::setenv("WB_DISPLAY", "virtual", 1);
    const std::string drawerPath = std::string(POKER_SOURCE_DIR) + "/drawer";
    const BPTR drawer = Lock(drawerPath.c_str(), SHARED_LOCK);
    ASSERT_NE(drawer, 0);
    const BPTR old = CurrentDir(drawer);
    EXPECT_EQ(Execute("SYS:Utilities/MultiView poker.guide", 0, 0), DOSTRUE);
    EXPECT_EQ(Execute("run >NIL: SYS:Utilities/MultiView poker.guide", 0, 0), DOSTRUE);
    UnLock(CurrentDir(old));
}

}  // namespace
