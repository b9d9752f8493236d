// The guide reader and viewer: the shipped guide, damaged input, and the viewer driven by mouse and keys.
#include <gtest/gtest.h>

#include <intuition.h>
#include <sys/wait.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <queue>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "guidefile.h"
#include "guideviewer.h"
#include "host/host.h"

namespace {

using guide::Status;
const std::string kShippedGuide = std::string(POKER_SOURCE_DIR) + "/drawer/poker.guide";

std::string TempGuide(const std::string& name, const std::string& contents) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

std::string Warnings(const guide::Document& doc) {
    std::string all;
    for (const std::string& w : doc.warnings) all += w + "\n";
    return all;
}

// Every link's label stands where the link says, and no line is longer than the cut.
void ExpectLinksInText(const guide::Document& doc) {
    for (const guide::Node& node : doc.nodes) {
        for (const std::string& line : node.lines) EXPECT_LE(static_cast<int>(line.size()), guide::kMaxColumns);
        for (const guide::Link& link : node.links) {
            ASSERT_GE(link.line, 0);
            ASSERT_LT(link.line, static_cast<int>(node.lines.size())) << node.name;
            const std::string& line = node.lines[link.line];
            ASSERT_LE(link.column + link.label.size(), line.size()) << node.name;
            EXPECT_EQ(line.substr(link.column, link.label.size()), link.label) << node.name;
        }
    }
}

guide::Document Small(const std::string& body) { return guide::Parse("@database x\n" + body, "x.guide"); }

class ShippedGuide : public ::testing::Test {
protected:
    void SetUp() override {
        doc = guide::Load(kShippedGuide.c_str());
        ASSERT_EQ(doc.status, Status::Ok) << doc.message;
    }
    guide::Document doc;
};

TEST_F(ShippedGuide, ParsesCleanlyIsLatin1TextAndEveryNodeIsReachableFromMain) {
    EXPECT_EQ(doc.database, "poker.guide");
    EXPECT_TRUE(doc.warnings.empty()) << Warnings(doc);
    ExpectLinksInText(doc);
    std::set<std::string> names;
    for (const guide::Node& node : doc.nodes) {
        EXPECT_FALSE(node.title.empty() || node.lines.empty()) << node.name;
        EXPECT_TRUE(names.insert(node.name).second) << "twice: " << node.name;
        for (const std::string& line : node.lines) {
            EXPECT_LT(line.size(), 70u) << node.name << ": " << line;
            for (unsigned char c : line) EXPECT_TRUE(c >= 0x20 && (c < 0x7F || c >= 0xA0)) << node.name << ": " << line;
        }
    }
    std::vector<bool> seen(doc.nodes.size(), false);
    const int main = doc.Find("Main");
    ASSERT_GE(main, 0);
    std::queue<int> todo({main});
    seen[main] = true;
    for (; !todo.empty(); todo.pop())
        for (const guide::Link& link : doc.nodes[todo.front()].links) {
            const int target = doc.Find(link.target);
            ASSERT_GE(target, 0) << doc.nodes[todo.front()].name << ": \"" << link.label << "\" -> " << link.target;
            if (!seen[target]) todo.push(target);
            seen[target] = true;
        }
    for (size_t i = 0; i < doc.nodes.size(); ++i) EXPECT_TRUE(seen[i]) << doc.nodes[i].name << " is unreachable";
    // The raw file: no UTF-8 sequence (a lead byte followed by a continuation byte).
    std::ifstream in(kShippedGuide, std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t i = 0; i + 1 < raw.size(); ++i) {
        const auto a = static_cast<unsigned char>(raw[i]), b = static_cast<unsigned char>(raw[i + 1]);
        EXPECT_FALSE(a >= 0xC2 && a <= 0xF4 && b >= 0x80 && b <= 0xBF) << "UTF-8 at byte " << i;
    }
}

// The facts a player looks up, in the game's words, and both rows of prizes for every hand.
TEST_F(ShippedGuide, NamesWhatThePlayerSeesAndBothRowsOfWinnings) {
    std::string all;
    for (const guide::Node& node : doc.nodes)
        for (const std::string& line : node.lines) all += line + "\n";
    for (const char* fact : {"Not enough money!", "Your Hand:", "Small or Big Card?", "Don\xB4t Double",
                             "Win Pot Doubled!", "Win Pot lost!", "Are You Sure to Quit?", "PREFSJOKER", "PREFS5KIND",
                             "PREFSDOUBLE", "CHANGES", "JOKERS", "CARDS", "5 jokers are best possible",
                             "5 jokers are lousy hand", "5 of kind is better than straight flush",
                             "5 of kind is lower than straight flush", "Continue Old", "Hand Evaluation", "Bet Prefs",
                             "Instructions", "Alt", "save/", "Tarnwell Poker V1.11 (OS4)"})
        EXPECT_NE(all.find(fact), std::string::npos) << fact;
    const int node = doc.Find("Winnings");
    ASSERT_GE(node, 0);
    const std::tuple<const char*, int, int> rows[] = {
        {"Royal Flush", 320, 320}, {"Straight Flush", 160, 160}, {"Five of Kind", 140, 180},
        {"Four of Kind", 80, 80},  {"Full House", 40, 40},       {"Flush", 30, 30},
        {"Straight", 20, 20},      {"Three of Kind", 10, 10},    {"Two Pairs", 5, 5},
        {"Pair", 0, 0},            {"Lousy Hand", 0, 0},
    };
    for (const auto& [hand, normal, fiveKindBetter] : rows) {
        std::vector<int> found;
        for (const std::string& line : doc.nodes[node].lines) {
            std::istringstream in(line);
            std::string word, name;
            std::vector<int> numbers;
            while (in >> word)
                if (std::isdigit(static_cast<unsigned char>(word[0]))) numbers.push_back(std::stoi(word));
                else name += (name.empty() ? "" : " ") + word;
            if (name == hand && numbers.size() == 2) found = numbers;
        }
        EXPECT_EQ(found, (std::vector<int>{normal, fiveKindBetter})) << hand;
    }
}

TEST(GuideReading, DamagedInputIsReadOrRefusedWithAReason) {
    struct Case {
        const char* text;
        Status status;
        const char* warning;  // part of a warning that must be given; nullptr: none expected
        size_t nodes;
    };
    const Case cases[] = {
        {"", Status::NotAGuide, nullptr, 0},
        {"\n\n  \n", Status::NotAGuide, nullptr, 0},
        {"@node Main \"M\"\nhello\n@endnode\n", Status::NotAGuide, "@database", 0},
        {"hello\n@database x\n@node Main\n@endnode\n", Status::NotAGuide, "@database", 0},
        {"@database x\nsome text\n", Status::NotAGuide, "no @node", 0},
        {"@database x\n@node Main \"M\"\nhello\n", Status::Ok, "no @endnode", 1},
        {"@database x\n@node Main \"M\"\na\n@node Two \"T\"\nb\n@endnode\n", Status::Ok, "\"Main\" has no @endnode", 2},
        {"@database x\n@node Main \"M\"\n@{\"Go\" link Nowhere}\n@endnode\n", Status::Ok, "\"Nowhere\", which is no node", 1},
        {"@database x\n@endnode\n@node Main \"M\"\n@endnode\n", Status::Ok, "outside a node", 1},
        {"@database x\n@node\ntext\n@endnode\n@node Main \"M\"\n@endnode\n", Status::Ok, "without a name", 2},
        {"@database x\n@node Main \"A\"\n@endnode\n@node main \"B\"\n@endnode\n", Status::Ok, "a second node", 2},
        {"@database x\n@node Main \"M\"\nsee @{\"Go\" link Main\n@endnode\n", Status::Ok, "without its closing", 1},
        {"@database x\n@frobnicate 3\n@node Main \"M\"\n@endnode\n", Status::Ok, "unknown command @frobnicate", 1},
        {"@database x\n@node Main \"M\"\n@{\"Run\" system \"ls\"}\n@endnode\n", Status::Ok, "not a link", 1},
        {"@database x\r\n@node Main \"M\"\r\nhi\r\n@endnode\r\n", Status::Ok, nullptr, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const guide::Document doc = guide::Parse(c.text, "drawer/test.guide");
        EXPECT_EQ(doc.status, c.status);
        EXPECT_EQ(doc.nodes.size(), c.nodes);
        EXPECT_EQ(doc.fileName, "test.guide");
        EXPECT_EQ(doc.message, c.status == Status::NotAGuide ? "test.guide is not a guide" : "");
        EXPECT_EQ(Warnings(doc).find(c.warning ? c.warning : "\n") != std::string::npos, c.warning != nullptr)
            << Warnings(doc);
        ExpectLinksInText(doc);
    }
}

TEST(GuideReading, TextAndLinksOfALineTable) {
    struct Case {
        const char* body;  // one line of a node's text
        const char* shown;
        const char* label;  // of the only link, or nullptr: none
        const char* target;
        int column, targetLine;
    };
    const Case cases[] = {
        {"just words", "just words", nullptr, "", 0, 0},
        {"see @{\"the other\" link Other} now", "see the other now", "the other", "Other", 4, 0},
        {"@{\"x\" alink Other}", "x", "x", "Other", 0, 0},
        {"@{\"x\" LINK Other}", "x", "x", "Other", 0, 0},
        {"@{\"x\" link Other 12}", "x", "x", "Other", 0, 12},
        {"@{\"x\" link \"Two Words\"}", "x", "x", "Two Words", 0, 0},
        {"@{\"x\" link oThEr}", "x", "x", "oThEr", 0, 0},
        {"a @{\"{b}\" link Other}", "a {b}", "{b}", "Other", 2, 0},
        {"@{b}bold@{ub} and @{fg shine}lit@{fg text}", "bold and lit", nullptr, "", 0, 0},
        {"@{i}x@{ui} @{\"y\" link Other}", "x y", "y", "Other", 2, 0},
        {"mail\\@home \\\\ \\@{\"no\" link Other}", "mail@home \\ @{\"no\" link Other}", nullptr, "", 0, 0},
        {"a\\b", "a\\b", nullptr, "", 0, 0},
        {"a\tb\t\tc", "a       b               c", nullptr, "", 0, 0},
        {"\t@{\"x\" link Other}", "        x", "x", "Other", 8, 0},
        {"a\x01" "b\x7F" "c\x85" "d\xE9", "a?b?c?d\xE9", nullptr, "", 0, 0},
        {"x @ y", "x @ y", nullptr, "", 0, 0},
        {"@{\"x\" link}", "x", nullptr, "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const guide::Document doc = Small(std::string("@node Main \"M\"\n") + c.body +
                                          "\n@endnode\n@node Other \"O\"\n@endnode\n@node \"Two Words\" \"T\"\n@endnode\n");
        ASSERT_EQ(doc.status, Status::Ok);
        const guide::Node& main = doc.nodes[doc.Find("Main")];
        EXPECT_EQ(main.lines, std::vector<std::string>{c.shown});
        ASSERT_EQ(main.links.size(), c.label ? 1u : 0u);
        if (!c.label) continue;
        const guide::Link& link = main.links[0];
        EXPECT_EQ(std::make_tuple(link.label, link.target, link.column, link.line, link.targetLine),
                  std::make_tuple(std::string(c.label), std::string(c.target), c.column, 0, c.targetLine));
        EXPECT_GE(doc.Find(link.target), 0);
    }
}

TEST(GuideReading, NamesTitlesAndTheMainNode) {
    const guide::Document doc = Small("@node A \"A\"\n@title \"Second\"\n@endnode\n@node Main\n@endnode\n"
                                      "@node MAIN \"B\"\n@endnode\n");
    ASSERT_EQ(doc.status, Status::Ok);
    EXPECT_EQ(doc.nodes[0].title, "Second");  // @title overrides the node line
    // Found without regard to case, the first of twins winning; the same without the index.
    const std::pair<const char*, int> cases[] = {{"main", 1}, {"MAIN", 1}, {"a", 0}, {"Mai", -1}, {"", -1}};
    guide::Document byHand;
    byHand.nodes = doc.nodes;
    for (const auto& [name, index] : cases) {
        EXPECT_EQ(doc.Find(name), index) << "\"" << name << "\"";
        EXPECT_EQ(byHand.Find(name), index) << "\"" << name << "\"";
    }
    EXPECT_EQ(doc.MainNode(), 1);
    EXPECT_EQ(Small("@node A\n@endnode\n@node B\n@endnode\n").MainNode(), 0);
}

TEST(GuideReading, VeryLongLinesAreCutWithTheirLinksBeyondTheCut) {
    const guide::Document doc = Small("@node Main\n@{\"early\" link Main} " + std::string(5000, 'x') +
                                      " @{\"late\" link Main}\nnext line\n" + std::string(3000, '\t') + "\n@endnode\n");
    ASSERT_EQ(doc.status, Status::Ok);
    const guide::Node& node = doc.nodes[0];
    ASSERT_EQ(node.lines.size(), 3u);
    EXPECT_EQ(static_cast<int>(node.lines[0].size()), guide::kMaxColumns);
    EXPECT_EQ(node.lines[1], "next line");
    EXPECT_EQ(static_cast<int>(node.lines[2].size()), guide::kMaxColumns);
    ASSERT_EQ(node.links.size(), 1u);
    EXPECT_EQ(node.links[0].label, "early");
    EXPECT_NE(Warnings(doc).find("line 3: longer than"), std::string::npos) << Warnings(doc);
    ExpectLinksInText(doc);
}

TEST(GuideLoading, FailuresOfTheFileNameTheFile) {
    host::UseVirtualDisplay();
    const std::string good = TempGuide("load_good.guide", "@database g\n@node Main \"Hello\"\nhi\n@endnode\n");
    const std::string junk = TempGuide("load_junk.guide", std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10));
    const std::string big = TempGuide("load_big.guide", "@database big\n@node Main\n" + std::string(guide::kMaxFileBytes, 'x'));
    struct Case {
        std::string path;
        const char* fail;  // operation made to fail, or nullptr
        Status status;
        std::string message;  // how the message starts
    };
    const Case cases[] = {
        {good, nullptr, Status::Ok, ""},
        {::testing::TempDir() + "no_such_file.guide", nullptr, Status::CannotOpen, "Cannot open no_such_file.guide"},
        {good, "Open", Status::CannotOpen, "Cannot open load_good.guide"},
        {good, "Read", Status::CannotOpen, "Cannot open load_good.guide"},
        {::testing::TempDir(), nullptr, Status::CannotOpen, "Cannot open "},
        {junk, nullptr, Status::NotAGuide, "load_junk.guide is not a guide"},
        {big, nullptr, Status::NotAGuide, "load_big.guide"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " " + (c.fail ? c.fail : ""));
        host::ClearFaults();
        if (c.fail) host::FailOnce(c.fail);
        const guide::Document doc = guide::Load(c.path.c_str());
        EXPECT_EQ(doc.status, c.status);
        EXPECT_EQ(doc.message.rfind(c.message, 0), 0u) << doc.message;
        if (c.status == Status::Ok) {
            EXPECT_EQ(doc.nodes.at(0).title, "Hello");
        }
    }
    host::ClearFaults();
    std::remove(big.c_str());
    EXPECT_EQ(guide::Load(nullptr).status, Status::CannotOpen);
    EXPECT_EQ(guide::Load("").status, Status::CannotOpen);
}

// ---- the viewer ----

constexpr int kTab = 9, kReturn = 13, kEscape = 27, kBackspace = 8;
constexpr int kRaw = 0x10000;  // marks a raw key code in a key list
constexpr int kUp = kRaw | 0x4C, kDown = kRaw | 0x4D, kRight = kRaw | 0x4E, kLeft = kRaw | 0x4F;
constexpr unsigned kShift = IEQUALIFIER_LSHIFT;
using Keys = std::vector<std::pair<int, unsigned>>;  // code, qualifier

// The viewer's window: the only one open.
Window* Viewer() {
    const auto windows = host::Windows();
    return windows.empty() ? nullptr : windows.front().window;
}

bool Shows(const std::string& text) { return host::ShowsText(Viewer(), text); }

void Press(const Keys& keys) {
    for (auto [code, qualifier] : keys)
        if (code & kRaw) host::RawKey(code & 0xFF);
        else host::Key(code, qualifier);
}

// The first text of the window holding `text`, or nullptr.
const host::TextInfo* TextOf(const std::vector<host::TextInfo>& texts, const std::string& text) {
    for (const host::TextInfo& t : texts)
        if (t.text.find(text) != std::string::npos) return &t;
    return nullptr;
}

// Runs the viewer with the steps (the last must end it), on a fresh display unless `fresh` is false.
int RunViewer(const std::string& path, std::vector<std::function<void()>> steps, bool fresh = true) {
    if (fresh) host::UseVirtualDisplay();
    host::SetSteps(std::move(steps));
    return guide::RunGuideViewer(path.c_str());
}

const char* const kSmallGuide =
    "@database small.guide\n"
    "@node Main \"Main page\"\nintro\n@{\"first\" link One} @{\"second\" link Two} @{\"broken\" link Nowhere}\n@endnode\n"
    "@node One \"Page one\"\none\n@endnode\n"
    "@node Two \"Page two\"\ntwo\n@endnode\n";

TEST(GuideViewer, KeysAndButtonsLeadToThePage) {
    struct Case {
        const char* name;
        Keys keys;
        std::vector<const char*> clicks;  // buttons or links clicked after the keys
        const char* page;                  // the heading shown afterwards
        const char* status;                // a text of the status line, or nullptr
    };
    const Case cases[] = {
        {"nothing pressed", {}, {}, "Main page", "Page 1 of 3"},
        {"Tab Return follows the first link", {{kTab, 0}, {kReturn, 0}}, {}, "Page one", "Page 2 of 3"},
        {"two Tabs the second", {{kTab, 0}, {kTab, 0}, {kReturn, 0}}, {}, "Page two", nullptr},
        {"Tabs go round", {{kTab, 0}, {kTab, 0}, {kTab, 0}, {kTab, 0}, {kReturn, 0}}, {}, "Page one", nullptr},
        {"shift Tab from the end", {{kTab, kShift}, {kTab, kShift}, {kReturn, 0}}, {}, "Page two", nullptr},
        {"Enter key code ten", {{kTab, 0}, {10, 0}}, {}, "Page one", nullptr},
        {"Return without a selection", {{kReturn, 0}}, {}, "Main page", "Choose a link with Tab first"},
        {"missing node stays", {{kTab, kShift}, {kReturn, 0}}, {}, "Main page", "No node named \"Nowhere\""},
        {"Backspace retraces", {{kTab, 0}, {kReturn, 0}, {kBackspace, 0}}, {}, "Main page", nullptr},
        {"r retraces", {{kTab, 0}, {kReturn, 0}, {'r', 0}}, {}, "Main page", nullptr},
        {"retrace with nothing behind", {{kBackspace, 0}}, {}, "Main page", "Nothing to retrace"},
        {"retrace twice", {{'>', 0}, {'>', 0}, {'r', 0}, {'r', 0}}, {}, "Main page", nullptr},
        {"browse next twice and back", {{'>', 0}, {'>', 0}, {'<', 0}}, {}, "Page one", nullptr},
        {"browse past the end", {{'>', 0}, {'>', 0}, {'>', 0}}, {}, "Page two", "This is the last page"},
        {"browse before the start", {{'<', 0}}, {}, "Main page", "This is the first page"},
        {"contents key", {{'>', 0}, {'>', 0}, {'c', 0}}, {}, "Main page", nullptr},
        {"other keys do nothing", {{'x', 0}, {'7', 0}, {'o', 0}}, {}, "Main page", "Page 1 of 3"},
        {"a click on a link follows it", {}, {"second"}, "Page two", "Page 3 of 3"},
        {"and the button retraces", {}, {"second", "Retrace", "first"}, "Page one", nullptr},
        {"browse buttons", {}, {"Browse >", "Browse >"}, "Page two", nullptr},
        {"browse back and contents buttons", {}, {"Browse >", "Browse >", "Browse <", "Contents"}, "Main page", nullptr},
        {"retrace button", {}, {"Browse >", "Browse >", "Browse <", "Contents", "Retrace", "Retrace"}, "Page two", nullptr},
    };
    const std::string path = TempGuide("small.guide", kSmallGuide);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> pages;
        bool statusShown = true;
        std::vector<std::function<void()>> steps = {[&] { Press(c.keys); }};
        for (const char* click : c.clicks)
            steps.push_back([click] {
                const auto texts = host::Texts(Viewer());
                const host::TextInfo* link = TextOf(texts, click);
                if (host::FindGadget(Viewer(), click) || !link) host::ClickGadget(Viewer(), click);
                else host::Click(Viewer()->LeftEdge + link->x + 3, Viewer()->TopEdge + link->y - 3);
            });
        steps.push_back([&] {
            EXPECT_EQ(host::Windows().front().title, "small.guide");
            for (const char* page : {"Main page", "Page one", "Page two"})
                if (Shows(page)) pages.push_back(page);
            if (c.status) statusShown = Shows(c.status);
            host::Key(kEscape);
        });
        EXPECT_EQ(RunViewer(path, std::move(steps)), guide::kViewerOk);
        EXPECT_EQ(pages, std::vector<std::string>{c.page});
        EXPECT_TRUE(statusShown) << c.status;
        EXPECT_EQ(host::OpenWindowCount(), 0);
    }
}

TEST(GuideViewer, AClickCountsOnlyWhereItBegan) {
    bool stayed = false, followed = false;
    RunViewer(TempGuide("small_click.guide", kSmallGuide),
              {[] {  // down on "first", up beside it: nothing is followed, but it is selected
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
    std::vector<std::string> missing;
    auto checkThen = [&](int selected, int key) {
        return [&missing, selected, key] {
            const auto texts = host::Texts(Viewer());
            for (const std::string piece : {"see ", "this", ", then ", "that", " now"})
                if (std::none_of(texts.begin(), texts.end(), [&](const host::TextInfo& t) { return t.text == piece; }))
                    missing.push_back(std::to_string(selected) + " selected: \"" + piece + "\"");
            host::Key(key);
        };
    };
    RunViewer(TempGuide("around.guide", "@database a\n@node Main \"Around\"\n"
                                        "see @{\"this\" link Main}, then @{\"that\" link Main} now\n@endnode\n"),
              {checkThen(0, kTab), checkThen(1, kTab), checkThen(2, kEscape)});
    EXPECT_TRUE(missing.empty()) << missing.front();
}

constexpr int kLongLines = 100;

std::string LongGuide() {
    std::string text = "@database long.guide\n@node Main \"Long page\"\n";
    char row[32];
    for (int i = 1; i <= kLongLines; ++i) text += (std::snprintf(row, sizeof row, "row %03d\n", i), row);
    return text + std::string(150, '-') + "MARK\n@endnode\n";
}

// The first and last "row NNN" on view.
std::pair<int, int> RowsOnView() {
    int first = INT_MAX, last = 0, n = 0;
    for (const host::TextInfo& t : host::Texts(Viewer()))
        if (std::sscanf(t.text.c_str(), "row %d", &n) == 1) first = std::min(first, n), last = std::max(last, n);
    return {first, last};
}

// Keys scroll the page and a long line sideways; the status names the lines; no text leaves the frame.
TEST(GuideViewer, ScrollingMovesTheLinesOnViewAndTheStatusSaysWhich) {
    struct Case {
        const char* name;
        Keys keys;
        int (*first)(int rows);  // the first row expected on view, from the rows a page shows; nullptr: none
        bool mark;               // the end of the long line is on view
    };
    const Keys end(12, {' ', 0});  // to the end, where the long line is
    auto then = [](Keys keys, const Keys& more) { keys.insert(keys.end(), more.begin(), more.end()); return keys; };
    const Case cases[] = {
        {"down", {{kDown, 0}}, [](int) { return 2; }, false},
        {"down down up", {{kDown, 0}, {kDown, 0}, {kUp, 0}}, [](int) { return 2; }, false},
        {"up at the top", {{kUp, 0}}, [](int) { return 1; }, false},
        {"space pages", {{' ', 0}}, [](int rows) { return rows; }, false},
        {"space then b", {{' ', 0}, {'b', 0}}, [](int) { return 1; }, false},
        {"shift space back", {{' ', 0}, {' ', 0}, {' ', kShift}}, [](int rows) { return rows; }, false},
        {"many pages stop at the end", end, [](int rows) { return kLongLines + 2 - rows; }, false},
        {"right scrolls the long line", then(end, Keys(20, {kRight, 0})), nullptr, true},
        {"and left back", then(then(end, Keys(20, {kRight, 0})), Keys(20, {kLeft, 0})),
         [](int rows) { return kLongLines + 2 - rows; }, false},
        {"contents on the main page goes to the top", {{' ', 0}, {'c', 0}}, [](int) { return 1; }, false},
    };
    const std::string path = TempGuide("long.guide", LongGuide());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int rows = 0, first = 0;
        bool mark = false;
        std::string status;
        std::vector<std::string> outside;
        RunViewer(path, {[&] {
                             const auto [top, last] = RowsOnView();
                             EXPECT_EQ(top, 1);
                             rows = last - top + 1;
                             Press(c.keys);
                         },
                         [&] {
                             first = RowsOnView().first;
                             mark = Shows("MARK");
                             Window* w = Viewer();
                             for (const host::TextInfo& t : host::Texts(w))
                                 if (t.x < w->BorderLeft || t.x + 8 * int(t.text.size()) > w->Width - w->BorderRight)
                                     outside.push_back(t.text);
                             const int lines = kLongLines + 1;  // the rows and the long line
                             if (c.first) {
                                 status = "Lines " + std::to_string(first) + "-" +
                                          std::to_string(std::min(lines, first + rows - 1)) + " of " + std::to_string(lines);
                                 if (!Shows(status)) status += " not shown";
                             }
                             host::Key(kEscape);
                         }});
        ASSERT_GT(rows, 5);
        ASSERT_LT(rows, kLongLines);
        EXPECT_EQ(mark, c.mark);
        EXPECT_TRUE(outside.empty()) << outside.front();
        if (!c.first) continue;
        EXPECT_EQ(first, c.first(rows));
        EXPECT_EQ(status.find("not shown"), std::string::npos) << status;
    }
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

// The program: quiet with nobody there, whatever the file; a usage line without one.
TEST(MultiViewProgram, EndsQuietlyWithNobodyThereAndShowsUsageWithoutAFile) {
    auto run = [](const std::string& arguments) {
        const std::string errors = ::testing::TempDir() + "multiview_errors.txt";
        const int raw = std::system(("WB_DISPLAY=virtual '" + std::string(POKER_BINARY_DIR) + "/SYS/Utilities/MultiView' " +
                                     arguments + " 2>'" + errors + "' >/dev/null").c_str());
        std::stringstream text;
        text << std::ifstream(errors).rdbuf();
        return std::make_pair(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text.str());
    };
    const std::string bad = TempGuide("program_bad.guide", "not a guide");
    for (const std::string& file : {kShippedGuide, bad, ::testing::TempDir() + "program_absent.guide"})
        EXPECT_EQ(run("'" + file + "'"), std::make_pair(0, std::string())) << file;
    const auto [status, errors] = run("");
    EXPECT_NE(status, 0);
    EXPECT_NE(errors.find("Usage: MultiView FILE"), std::string::npos) << errors;
}

}  // namespace
