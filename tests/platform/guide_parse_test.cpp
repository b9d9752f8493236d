// The guide reader: the shipped guide is whole and reachable, and damaged or strange input
// is read sensibly or refused with a message, never a crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <queue>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "guidefile.h"
#include "host/host.h"

namespace {

const std::string kShippedGuide = std::string(POKER_SOURCE_DIR) + "/drawer/poker.guide";

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
        ASSERT_EQ(doc.status, guide::Status::Ok) << doc.message;
    }
    std::string AllText() const {
        std::string all;
        for (const guide::Node& node : doc.nodes)
            for (const std::string& line : node.lines) all += line + "\n";
        return all;
    }
    guide::Document doc;
};

TEST_F(ShippedGuide, ParsesCleanlyAndEveryLinkAndNodeIsReachableFromMain) {
    EXPECT_EQ(doc.database, "poker.guide");
    EXPECT_TRUE(doc.warnings.empty()) << Warnings(doc);
    ExpectLinksInText(doc);
    std::set<std::string> names;
    for (const guide::Node& node : doc.nodes) {
        EXPECT_FALSE(node.title.empty() || node.lines.empty()) << node.name;
        EXPECT_TRUE(names.insert(node.name).second) << "twice: " << node.name;
    }
    std::vector<bool> seen(doc.nodes.size(), false);
    const int main = doc.Find("Main");
    ASSERT_GE(main, 0);
    std::queue<int> todo({main});
    seen[main] = true;
    for (; !todo.empty(); todo.pop()) {
        const guide::Node& node = doc.nodes[todo.front()];
        for (const guide::Link& link : node.links) {
            const int target = doc.Find(link.target);
            ASSERT_GE(target, 0) << node.name << ": \"" << link.label << "\" -> " << link.target;
            if (!seen[target]) todo.push(target);
            seen[target] = true;
        }
    }
    for (size_t i = 0; i < doc.nodes.size(); ++i) EXPECT_TRUE(seen[i]) << doc.nodes[i].name << " is unreachable";
}

TEST_F(ShippedGuide, LinesFitTheViewerAndAreLatin1Text) {
    for (const guide::Node& node : doc.nodes)
        for (const std::string& line : node.lines) {
            EXPECT_LT(line.size(), 70u) << node.name << ": " << line;
            for (unsigned char c : line) EXPECT_TRUE(c >= 0x20 && (c < 0x7F || c >= 0xA0)) << node.name << ": " << line;
        }
    // The raw file: no UTF-8 sequence (a lead byte followed by a continuation byte).
    std::ifstream in(kShippedGuide, std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t i = 0; i + 1 < raw.size(); ++i) {
        const auto a = static_cast<unsigned char>(raw[i]), b = static_cast<unsigned char>(raw[i + 1]);
        EXPECT_FALSE(a >= 0xC2 && a <= 0xF4 && b >= 0x80 && b <= 0xBF) << "UTF-8 at byte " << i;
    }
}

// The facts a player looks up must be there, in the words the game uses.
TEST_F(ShippedGuide, NamesWhatThePlayerSeesInTheGame) {
    const std::string all = AllText();
    for (const char* fact : {"Not enough money!", "Your Hand:", "Small or Big Card?", "Don\xB4t Double",
                             "Win Pot Doubled!", "Win Pot lost!", "Are You Sure to Quit?", "PREFSJOKER", "PREFS5KIND",
                             "PREFSDOUBLE", "CHANGES", "JOKERS", "CARDS", "5 jokers are best possible",
                             "5 jokers are lousy hand", "5 of kind is better than straight flush",
                             "5 of kind is lower than straight flush", "Continue Old", "Hand Evaluation", "Bet Prefs",
                             "Instructions", "Alt", "save/", "Tarnwell Poker V1.11 (OS4)"})
        EXPECT_NE(all.find(fact), std::string::npos) << fact;
}

// Each hand's line holds its prize in the normal row and in the "5 of kind is better" row.
TEST_F(ShippedGuide, WinningsTableShowsBothRows) {
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
            while (in >> word) {
                if (std::isdigit(static_cast<unsigned char>(word[0]))) numbers.push_back(std::stoi(word));
                else name += (name.empty() ? "" : " ") + word;
            }
            if (name == hand && numbers.size() == 2) found = numbers;
        }
        EXPECT_EQ(found, (std::vector<int>{normal, fiveKindBetter})) << hand;
    }
}

using guide::Status;

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
        const char* label;   // of the only link, or nullptr: none
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
        ASSERT_EQ(doc.status, guide::Status::Ok);
        const guide::Node& main = doc.nodes[doc.Find("Main")];
        EXPECT_EQ(main.lines, std::vector<std::string>{c.shown});
        ASSERT_EQ(main.links.size(), c.label ? 1u : 0u);
        if (!c.label) continue;
        const guide::Link& link = main.links[0];
        EXPECT_EQ(link.label, c.label);
        EXPECT_EQ(link.target, c.target);
        EXPECT_EQ(link.column, c.column);
        EXPECT_EQ(link.line, 0);
        EXPECT_EQ(link.targetLine, c.targetLine);
        EXPECT_GE(doc.Find(link.target), 0);
    }
}

TEST(GuideReading, NamesTitlesAndTheMainNode) {
    const guide::Document doc = Small("@node A \"A\"\n@title \"Second\"\n@endnode\n@node Main\n@endnode\n"
                                      "@node MAIN \"B\"\n@endnode\n");
    ASSERT_EQ(doc.status, guide::Status::Ok);
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
    ASSERT_EQ(doc.status, guide::Status::Ok);
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

// Random bytes, alone and behind a valid start: never a crash, and what is kept holds together.
TEST(GuideReading, BinaryJunkNeverBreaksTheReader) {
    std::mt19937 random(20260612);
    std::uniform_int_distribution<int> byte(0, 255), length(0, 4000);
    const char special[] = {'@', '{', '}', '"', '\\', '\n', '\t', '\r', ' ', 'l', 'n'};
    for (int round = 0; round < 300; ++round) {
        std::string junk(static_cast<size_t>(length(random)), '\0');
        for (char& c : junk) c = byte(random) < 64 ? special[byte(random) % sizeof special] : static_cast<char>(byte(random));
        const guide::Document alone = guide::Parse(junk, "junk.guide");
        const bool mayBeAGuide = junk.empty() || std::string("@\n \t\r").find(junk[0]) != std::string::npos;
        EXPECT_TRUE(mayBeAGuide || alone.status == guide::Status::NotAGuide);
        EXPECT_TRUE(alone.status == guide::Status::Ok || !alone.message.empty());
        const guide::Document behind = guide::Parse("@database j\n@node Main\n" + junk, "junk.guide");
        ASSERT_EQ(behind.status, guide::Status::Ok);
        ExpectLinksInText(behind);
        for (const guide::Node& node : behind.nodes)
            for (const std::string& line : node.lines) EXPECT_EQ(line.find('\0'), std::string::npos);
    }
}

TEST(GuideLoading, FailuresOfTheFileNameTheFile) {
    host::UseVirtualDisplay();
    auto temp = [](const std::string& name, const std::string& contents) {
        std::ofstream(::testing::TempDir() + name, std::ios::binary) << contents;
        return ::testing::TempDir() + name;
    };
    const std::string good = temp("load_good.guide", "@database g\n@node Main \"Hello\"\nhi\n@endnode\n");
    const std::string junk = temp("load_junk.guide", std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10));
    const std::string big = temp("load_big.guide", "@database big\n@node Main\n" + std::string(guide::kMaxFileBytes, 'x'));
    struct Case {
        std::string path;
        const char* fail;  // operation made to fail, or nullptr
        guide::Status status;
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

}  // namespace
