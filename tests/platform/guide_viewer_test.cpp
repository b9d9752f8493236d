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
constexpr int kRaw = 0x10000;  // marks a raw key code in a key list
constexpr int kUp = kRaw | 0x4C, kDown = kRaw | 0x4D, kRight = kRaw | 0x4E, kLeft = kRaw | 0x4F;
constexpr unsigned kShift = IEQUALIFIER_LSHIFT;
using Keys = std::vector<std::pair<int, unsigned>>;  // code, qualifier

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

bool Shows(const std::string& text) { return host::ShowsText(Viewer(), text); }

void Press(const Keys& keys) {
    for (auto [code, qualifier] : keys) {
        if (code & kRaw) host::RawKey(code & 0xFF);
        else host::Key(code, qualifier);
    }
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

// Runs the viewer on `path` with the steps (the last must end it), on a fresh display unless
// the test has set one up with its faults.
int RunViewer(const std::string& path, std::vector<std::function<void()>> steps, bool fresh = true) {
    if (fresh) host::UseVirtualDisplay();
    host::SetSteps(std::move(steps));
    return guide::RunGuideViewer(path.c_str());
}

TEST(GuideViewer, ShowsTheMainNodeFollowsEveryLinkByMouseAndRetraces) {
    const guide::Document doc = guide::Load(kShippedGuide.c_str());
    ASSERT_EQ(doc.status, guide::Status::Ok);
    const guide::Node& main = doc.nodes[doc.MainNode()];
    ASSERT_FALSE(main.links.empty());
    std::vector<std::string> missed;
    auto onMain = [&](const std::string& when) {
        if (!Shows(main.title) || !Shows(main.links[0].label)) missed.push_back("no main page " + when);
    };
    std::vector<std::function<void()>> steps;
    for (size_t i = 0; i < main.links.size(); ++i) {
        const std::string label = main.links[i].label, title = doc.nodes[doc.Find(main.links[i].target)].title;
        steps.push_back([&, label] {
            ASSERT_NE(Viewer(), nullptr);
            EXPECT_EQ(host::Windows().front().title, doc.database);
            onMain("before " + label);
            if (!ClickText(Viewer(), label)) missed.push_back("no button " + label);
        });
        steps.push_back([&, label, title, i] {
            if (!Shows(title) || (i == 0 && Shows(label))) missed.push_back("no page " + title);
            if (i == 0) host::ClickGadget(Viewer(), "Retrace");
            else host::Key(kBackspace);
        });
    }
    steps.push_back([&] {
        onMain("at the end");
        host::ClickClose(Viewer());
    });
    EXPECT_EQ(RunViewer(kShippedGuide, std::move(steps)), guide::kViewerOk);
    EXPECT_TRUE(missed.empty()) << missed.front();
    EXPECT_EQ(host::OpenWindowCount(), 0);
    EXPECT_EQ(host::StepsLeft(), 0u);
}

const char* const kSmallGuide =
    "@database small.guide\n"
    "@node Main \"Main page\"\nintro\n@{\"first\" link One} @{\"second\" link Two} @{\"broken\" link Nowhere}\n@endnode\n"
    "@node One \"Page one\"\none\n@endnode\n"
    "@node Two \"Page two\"\ntwo\n@endnode\n";

TEST(GuideViewer, KeysLeadToThePage) {
    struct Case {
        const char* name;
        Keys keys;
        const char* page;    // the heading shown afterwards
        const char* status;  // a text of the status line, or nullptr
    };
    const Case cases[] = {
        {"nothing pressed", {}, "Main page", "Page 1 of 3"},
        {"Tab Return follows the first link", {{kTab, 0}, {kReturn, 0}}, "Page one", "Page 2 of 3"},
        {"two Tabs the second", {{kTab, 0}, {kTab, 0}, {kReturn, 0}}, "Page two", nullptr},
        {"Tabs go round", {{kTab, 0}, {kTab, 0}, {kTab, 0}, {kTab, 0}, {kReturn, 0}}, "Page one", nullptr},
        {"shift Tab from the end", {{kTab, kShift}, {kTab, kShift}, {kReturn, 0}}, "Page two", nullptr},
        {"Enter key code ten", {{kTab, 0}, {10, 0}}, "Page one", nullptr},
        {"Return without a selection", {{kReturn, 0}}, "Main page", "Choose a link with Tab first"},
        {"missing node stays", {{kTab, kShift}, {kReturn, 0}}, "Main page", "No node named \"Nowhere\""},
        {"Backspace retraces", {{kTab, 0}, {kReturn, 0}, {kBackspace, 0}}, "Main page", nullptr},
        {"r retraces", {{kTab, 0}, {kReturn, 0}, {'r', 0}}, "Main page", nullptr},
        {"retrace with nothing behind", {{kBackspace, 0}}, "Main page", "Nothing to retrace"},
        {"retrace twice", {{'>', 0}, {'>', 0}, {'r', 0}, {'r', 0}}, "Main page", nullptr},
        {"browse next twice and back", {{'>', 0}, {'>', 0}, {'<', 0}}, "Page one", nullptr},
        {"browse past the end", {{'>', 0}, {'>', 0}, {'>', 0}}, "Page two", "This is the last page"},
        {"browse before the start", {{'<', 0}}, "Main page", "This is the first page"},
        {"contents key", {{'>', 0}, {'>', 0}, {'c', 0}}, "Main page", nullptr},
        {"other keys do nothing", {{'x', 0}, {'7', 0}, {'o', 0}}, "Main page", "Page 1 of 3"},
    };
    const std::string path = TempGuide("small.guide", kSmallGuide);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> pages;
        bool statusShown = true;
        const int result = RunViewer(path, {[&] { Press(c.keys); },
                                            [&] {
                                                for (const char* page : {"Main page", "Page one", "Page two"})
                                                    if (Shows(page)) pages.push_back(page);
                                                if (c.status) statusShown = Shows(c.status);
                                                host::Key(kEscape);
                                            }});
        EXPECT_EQ(result, guide::kViewerOk);
        EXPECT_EQ(pages, std::vector<std::string>{c.page});
        EXPECT_TRUE(statusShown) << c.status;
        EXPECT_EQ(host::OpenWindowCount(), 0);
    }
}

TEST(GuideViewer, ButtonsContentsBrowseAndRetrace) {
    const std::pair<const char*, const char*> script[] = {
        {"Browse >", "Page one"}, {"Browse >", "Page two"}, {"Browse <", "Page one"}, {"Contents", "Main page"},
        {"Retrace", "Page one"},  {"Retrace", "Page two"},  {"Retrace", "Page one"},  {"Retrace", "Main page"},
    };
    std::vector<std::string> wrong;
    std::vector<std::function<void()>> steps;
    for (const auto& [button, page] : script) {
        steps.push_back([b = button] { host::ClickGadget(Viewer(), b); });
        steps.push_back([&wrong, b = button, p = page] {
            if (!Shows(p)) wrong.push_back(std::string(b) + " did not show " + p);
        });
    }
    steps.push_back([] { host::ClickClose(Viewer()); });
    EXPECT_EQ(RunViewer(TempGuide("small_buttons.guide", kSmallGuide), std::move(steps)), guide::kViewerOk);
    EXPECT_TRUE(wrong.empty()) << wrong.front();
}

TEST(GuideViewer, AClickCountsOnlyWhereItBegan) {
    bool stayed = false, followed = false;
    RunViewer(TempGuide("small_click.guide", kSmallGuide),
              {[] {
                   // Down on "first", up beside it: nothing is followed, but it is selected.
                   Window* w = Viewer();
                   for (const host::TextInfo& t : host::Texts(w))
                       if (t.text == "first") {
                           host::Press(w->LeftEdge + t.x + 3, w->TopEdge + t.y - 3);
                           host::Release(w->LeftEdge + t.x + 3, w->TopEdge + t.y - 40);
                       }
               },
               [&] {
                   stayed = Shows("Main page");
                   host::Key(kReturn);
               },
               [&] {
                   followed = Shows("Page one");
                   host::ClickClose(Viewer());
               }});
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(followed);
}

// The pieces of a line around its links are all readable, whichever link is selected.
TEST(GuideViewer, TextAroundLinksStaysReadable) {
    const std::string path = TempGuide("around.guide", "@database a\n@node Main \"Around\"\n"
                                                       "see @{\"this\" link Main}, then @{\"that\" link Main} now\n@endnode\n");
    std::vector<std::string> missing;
    auto checkThen = [&](int selected, int key) {
        return [&missing, selected, key] {
            for (const std::string piece : {"see ", "this", ", then ", "that", " now"}) {
                bool found = false;
                for (const host::TextInfo& t : host::Texts(Viewer())) found = found || t.text == piece;
                if (!found) missing.push_back(std::to_string(selected) + " selected: \"" + piece + "\"");
            }
            host::Key(key);
        };
    };
    RunViewer(path, {checkThen(0, kTab), checkThen(1, kTab), checkThen(2, kEscape)});
    EXPECT_TRUE(missing.empty()) << missing.front();
}

constexpr int kLongLines = 100;

std::string LongGuide() {
    std::string text = "@database long.guide\n@node Main \"Long page\"\n";
    char row[32];
    for (int i = 1; i <= kLongLines; ++i) {
        std::snprintf(row, sizeof row, "row %03d\n", i);
        text += row;
    }
    return text + std::string(150, '-') + "MARK\n@endnode\n";
}

// The first and last "row NNN" on view.
std::pair<int, int> RowsOnView() {
    int first = INT_MAX, last = 0;
    for (const host::TextInfo& t : host::Texts(Viewer())) {
        int n = 0;
        if (std::sscanf(t.text.c_str(), "row %d", &n) == 1) {
            first = std::min(first, n);
            last = std::max(last, n);
        }
    }
    return {first, last};
}

TEST(GuideViewer, ScrollingMovesTheLinesOnViewAndTheStatusSaysWhich) {
    struct Case {
        const char* name;
        Keys keys;
        int (*first)(int rows);  // the first row expected on view, from the rows a page shows
    };
    const Case cases[] = {
        {"down", {{kDown, 0}}, [](int) { return 2; }},
        {"down down up", {{kDown, 0}, {kDown, 0}, {kUp, 0}}, [](int) { return 2; }},
        {"up at the top", {{kUp, 0}}, [](int) { return 1; }},
        {"space pages", {{' ', 0}}, [](int rows) { return rows; }},
        {"space then b", {{' ', 0}, {'b', 0}}, [](int) { return 1; }},
        {"shift space back", {{' ', 0}, {' ', 0}, {' ', kShift}}, [](int rows) { return rows; }},
        {"many pages stop at the end", Keys(12, {' ', 0}), [](int rows) { return kLongLines + 2 - rows; }},
        {"contents on the main page goes to the top", {{' ', 0}, {'c', 0}}, [](int) { return 1; }},
    };
    const std::string path = TempGuide("long.guide", LongGuide());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int rows = 0, first = 0;
        std::string status;
        RunViewer(path, {[&] {
                             const auto [top, last] = RowsOnView();
                             EXPECT_EQ(top, 1);
                             rows = last - top + 1;
                             Press(c.keys);
                         },
                         [&] {
                             first = RowsOnView().first;
                             const int lines = kLongLines + 1;  // the rows and the long line
                             status = "Lines " + std::to_string(first) + "-" +
                                      std::to_string(std::min(lines, first + rows - 1)) + " of " + std::to_string(lines);
                             if (!Shows(status)) status += " not shown";
                             host::Key(kEscape);
                         }});
        ASSERT_GT(rows, 5);
        ASSERT_LT(rows, kLongLines);
        EXPECT_EQ(first, c.first(rows));
        EXPECT_EQ(status.find("not shown"), std::string::npos) << status;
    }
}

// A long line scrolls sideways, and text never spills over the window's frame.
TEST(GuideViewer, ALongLineScrollsSidewaysInsideTheFrame) {
    bool hiddenAtFirst = false, shownAfterRight = false, hiddenAfterLeft = false;
    std::vector<std::string> outside;
    RunViewer(TempGuide("wide.guide", LongGuide()),
              {[] { Press(Keys(12, {' ', 0})); },  // to the end, where the long line is
               [&] {
                   Window* w = Viewer();
                   for (const host::TextInfo& t : host::Texts(w)) {
                       const int right = t.x + 8 * static_cast<int>(t.text.size()) - 1;
                       if (t.x < w->BorderLeft || right >= w->Width - w->BorderRight) outside.push_back(t.text);
                   }
                   hiddenAtFirst = !Shows("MARK");
                   Press(Keys(20, {kRight, 0}));
               },
               [&] {
                   shownAfterRight = Shows("MARK");
                   Press(Keys(20, {kLeft, 0}));
               },
               [&] {
                   hiddenAfterLeft = !Shows("MARK") && Shows("row 100");
                   host::Key(kEscape);
               }});
    EXPECT_TRUE(hiddenAtFirst);
    EXPECT_TRUE(shownAfterRight);
    EXPECT_TRUE(hiddenAfterLeft);
    EXPECT_TRUE(outside.empty()) << outside.front();
}

// The blank cells on either side of a link's label show only the page: its frame stays out.
TEST(GuideViewer, ALinksFrameLeavesTheCellsBesideItBlank) {
    const std::string guide = "@database f.guide\n@node Main \"F\"\nat @{\"Go\" link Main} now\n@endnode\n";
    int checked = 0;
    std::vector<std::string> inked;
    RunViewer(TempGuide("frame.guide", guide), {[&] {
                  Window* w = Viewer();
                  for (const host::TextInfo& t : host::Texts(w)) {
                      if (t.text != "Go") continue;
                      for (int y = t.y - 8; y <= t.y + 3; ++y)
                          for (int x : {t.x - 8, t.x - 3, t.x - 2, t.x + 16, t.x + 17, t.x + 18, t.x + 23}) {
                              ++checked;
                              if (host::WindowPixel(w, x, y) != 0) inked.push_back(std::to_string(x - t.x));
                          }
                  }
                  host::Key(kEscape);
              }});
    EXPECT_GT(checked, 0);
    EXPECT_TRUE(inked.empty()) << "ink at column " << inked.front() << " from the label";
}

TEST(GuideViewer, FilesThatCannotBeShownSayWhyInTheWindow) {
    const std::pair<std::string, const char*> cases[] = {
        {::testing::TempDir() + "absent.guide", "Cannot open absent.guide"},
        {TempGuide("empty.guide", ""), "empty.guide is not a guide"},
        {TempGuide("nodb.guide", "@node Main\nx\n@endnode\n"), "nodb.guide is not a guide"},
        {TempGuide("binary.guide", "\x7F" "ELF\x01\x02\x03\xFF\xFE"), "binary.guide is not a guide"},
    };
    for (const auto& [path, message] : cases) {
        bool shown = false;
        std::string title;
        const int result = RunViewer(path, {[&, text = message] {
                                         ASSERT_NE(Viewer(), nullptr);
                                         title = host::Windows().front().title;
                                         shown = Shows(text);
                                         host::ClickClose(Viewer());
                                     }});
        EXPECT_EQ(result, guide::kViewerOk) << message;
        EXPECT_TRUE(shown) << message;
        EXPECT_EQ(title, "MultiView") << message;
        EXPECT_EQ(host::OpenWindowCount(), 0) << message;
    }
}

TEST(GuideViewer, FailuresOfThePlatform) {
    for (const char* op : {"LockPubScreen", "OpenWindowTagList"}) {
        host::UseVirtualDisplay();
        host::FailOnce(op);
        EXPECT_EQ(RunViewer(kShippedGuide, {}, false), guide::kViewerNoWindow) << op;
        EXPECT_EQ(host::OpenWindowCount(), 0) << op;
        host::ClearFaults();
    }
    // Without its buttons the keys still work.
    const std::string path = TempGuide("nobuttons.guide", kSmallGuide);
    for (const char* op : {"CreateContext", "CreateGadget"}) {
        host::UseVirtualDisplay();
        host::FailFrom(op, 1);
        bool followed = false;
        const int result = RunViewer(path, {[] { Press({{kTab, 0}, {kReturn, 0}}); },
                                            [&] {
                                                followed = Shows("Page one");
                                                host::Key(kEscape);
                                            }},
                                     false);
        host::ClearFaults();
        EXPECT_EQ(result, guide::kViewerOk) << op;
        EXPECT_TRUE(followed) << op;
    }
    // A user with nothing left to do ends it with the window closed.
    EXPECT_THROW(RunViewer(kShippedGuide, {}), host::Stalled);
    EXPECT_EQ(host::OpenWindowCount(), 0);
}

const std::string kProgram = std::string(POKER_BINARY_DIR) + "/SYS/Utilities/MultiView";

// The program's exit status and what it wrote to its error output.
std::pair<int, std::string> RunProgram(const std::string& arguments) {
    const std::string errors = ::testing::TempDir() + "multiview_errors.txt";
    const int raw = std::system(
        ("WB_DISPLAY=virtual '" + kProgram + "' " + arguments + " 2>'" + errors + "' >/dev/null").c_str());
    std::stringstream text;
    text << std::ifstream(errors).rdbuf();
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text.str()};
}

TEST(MultiViewProgram, EndsQuietlyWithNobodyThereAndShowsUsageWithoutAFile) {
    const std::string bad = TempGuide("program_bad.guide", "not a guide");
    for (const std::string& file : {kShippedGuide, bad, ::testing::TempDir() + "program_absent.guide"})
        EXPECT_EQ(RunProgram("'" + file + "'"), std::make_pair(0, std::string())) << file;
    const auto [status, errors] = RunProgram("");
    EXPECT_NE(status, 0);
    EXPECT_NE(errors.find("Usage: MultiView FILE"), std::string::npos) << errors;
}

// The game's help command reaches the viewer through DOS, in the current drawer. (SYS: lies
// beside the game's program, not this test's: named here.)
TEST(MultiViewProgram, StartsThroughTheHelpCommand) {
    host::UseVirtualDisplay();
    ::setenv("WB_DISPLAY", "virtual", 1);
    ::setenv("WB_SYS", (std::string(POKER_BINARY_DIR) + "/SYS").c_str(), 1);
    const BPTR drawer = Lock((std::string(POKER_SOURCE_DIR) + "/drawer").c_str(), SHARED_LOCK);
    ASSERT_NE(drawer, 0);
    const BPTR old = CurrentDir(drawer);
    EXPECT_EQ(Execute("SYS:Utilities/MultiView poker.guide", 0, 0), DOSTRUE);
    EXPECT_EQ(Execute("run >NIL: SYS:Utilities/MultiView poker.guide", 0, 0), DOSTRUE);
    UnLock(CurrentDir(old));
    ::unsetenv("WB_SYS");
}

}  // namespace
