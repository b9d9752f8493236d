// The guide reader and viewer: the shipped guide, how lines and links are read, and what the viewer shows.
#include <gtest/gtest.h>

#include <intuition.h>

#include <functional>
#include <queue>
#include <set>
#include <string>
#include <vector>

#include "guidefile.h"
#include "guideviewer.h"
#include "host/host.h"
#include "support/files.h"

namespace {

using guide::Status;
const std::string kShippedGuide = std::string(POKER_SOURCE_DIR) + "/drawer/poker.guide";

std::string TempGuide(const std::string& name, const std::string& contents) {
    support::WriteFile(::testing::TempDir() + name, contents);
    return ::testing::TempDir() + name;
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
    const std::string raw = support::ReadFile(kShippedGuide);
    for (size_t i = 0; i + 1 < raw.size(); ++i) {
        const auto a = static_cast<unsigned char>(raw[i]), b = static_cast<unsigned char>(raw[i + 1]);
        EXPECT_FALSE(a >= 0xC2 && a <= 0xF4 && b >= 0x80 && b <= 0xBF) << "UTF-8 at byte " << i;
    }
}

TEST(GuideReading, TextAndLinksOfALineTable) {
    // body: one line of a node's text; label: that of the only link, or nullptr: none.
    struct Case { const char *body, *shown, *label, *target; int column, targetLine; };
    const Case cases[] = {
        {"just words", "just words", nullptr, "", 0, 0},
        {"see @{\"the other\" link Other} now", "see the other now", "the other", "Other", 4, 0},
        {"@{\"x\" alink Other}", "x", "x", "Other", 0, 0}, {"@{\"x\" LINK Other}", "x", "x", "Other", 0, 0},
        {"@{\"x\" link Other 12}", "x", "x", "Other", 0, 12},
        {"@{\"x\" link \"Two Words\"}", "x", "x", "Two Words", 0, 0},
        {"@{\"x\" link oThEr}", "x", "x", "oThEr", 0, 0}, {"a @{\"{b}\" link Other}", "a {b}", "{b}", "Other", 2, 0},
        {"@{b}bold@{ub} and @{fg shine}lit@{fg text}", "bold and lit", nullptr, "", 0, 0},
        {"@{i}x@{ui} @{\"y\" link Other}", "x y", "y", "Other", 2, 0},
        {"mail\\@home \\\\ \\@{\"no\" link Other}", "mail@home \\ @{\"no\" link Other}", nullptr, "", 0, 0},
        {"a\\b", "a\\b", nullptr, "", 0, 0}, {"a\tb\t\tc", "a       b               c", nullptr, "", 0, 0},
        {"\t@{\"x\" link Other}", "        x", "x", "Other", 8, 0},
        {"a\x01" "b\x7F" "c\x85" "d\xE9", "a?b?c?d\xE9", nullptr, "", 0, 0}, {"x @ y", "x @ y", nullptr, "", 0, 0},
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

// ---- the viewer ----

constexpr int kEscape = 27;

// The viewer's window: the only one open.
Window* Viewer() { const auto windows = host::Windows(); return windows.empty() ? nullptr : windows.front().window; }

bool Shows(const std::string& text) { return host::ShowsText(Viewer(), text); }

// Runs the viewer with the steps (the last must end it), on a fresh display unless `fresh` is false.
int RunViewer(const std::string& path, std::vector<std::function<void()>> steps, bool fresh = true) {
    if (fresh) host::UseVirtualDisplay();
    host::SetSteps(std::move(steps));
    return guide::RunGuideViewer(path.c_str());
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

}  // namespace
