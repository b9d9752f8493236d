// The guide reader: the shipped guide is whole and reachable, and damaged or strange input
// is read sensibly or refused with a message, never a crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <queue>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "guidefile.h"
#include "host/host.h"

namespace {

const std::string kShippedGuide = std::string(POKER_SOURCE_DIR) + "/drawer/poker.guide";

bool AnyWarningContains(const guide::Document& doc, const std::string& part) {
    return std::any_of(doc.warnings.begin(), doc.warnings.end(),
                       [&](const std::string& w) { return w.find(part) != std::string::npos; });
}

std::string Warnings(const guide::Document& doc) {
    std::string all;
    for (const std::string& w : doc.warnings) all += w + "\n";
    return all;
}

// Every link's label stands where the link says, in its node's text.
void ExpectLinksInText(const guide::Document& doc) {
    for (const guide::Node& node : doc.nodes) {
        for (const guide::Link& link : node.links) {
            ASSERT_GE(link.line, 0);
            ASSERT_LT(link.line, static_cast<int>(node.lines.size())) << node.name;
            const std::string& line = node.lines[link.line];
            ASSERT_LE(link.column + link.label.size(), line.size()) << node.name;
            EXPECT_EQ(line.substr(link.column, link.label.size()), link.label) << node.name;
        }
    }
}

// ---- the shipped guide --------------------------------------------------------------

class ShippedGuide : public ::testing::Test {
protected:
    void SetUp() override {
        doc = guide::Load(kShippedGuide.c_str());
        ASSERT_EQ(doc.status, guide::Status::Ok) << doc.message;
    }
    guide::Document doc;
};

TEST_F(ShippedGuide, ParsesWithoutAnyDamage) {
    EXPECT_EQ(doc.database, "poker.guide");
    EXPECT_TRUE(doc.warnings.empty()) << Warnings(doc);
    EXPECT_GE(doc.Find("Main"), 0);
    ExpectLinksInText(doc);
}

TEST_F(ShippedGuide, EveryNodeHasANameAndATitle) {
    std::set<std::string> names;
    for (const guide::Node& node : doc.nodes) {
        EXPECT_FALSE(node.name.empty()) << "node at line " << node.sourceLine;
        EXPECT_FALSE(node.title.empty()) << node.name;
        EXPECT_FALSE(node.lines.empty()) << node.name;
        EXPECT_TRUE(names.insert(node.name).second) << "twice: " << node.name;
    }
}

TEST_F(ShippedGuide, EveryLinkLeadsToANodeAndEveryNodeIsReachableFromMain) {
    std::vector<bool> seen(doc.nodes.size(), false);
    std::queue<int> todo;
    const int main = doc.Find("Main");
    ASSERT_GE(main, 0);
    seen[main] = true;
    todo.push(main);
    while (!todo.empty()) {
        const guide::Node& node = doc.nodes[todo.front()];
        todo.pop();
        for (const guide::Link& link : node.links) {
            const int target = doc.Find(link.target);
            ASSERT_GE(target, 0) << node.name << ": \"" << link.label << "\" -> " << link.target;
            if (!seen[target]) {
                seen[target] = true;
                todo.push(target);
            }
        }
    }
    for (size_t i = 0; i < doc.nodes.size(); ++i) EXPECT_TRUE(seen[i]) << doc.nodes[i].name << " is unreachable";
}

TEST_F(ShippedGuide, LinesFitTheViewerAndAreLatin1Text) {
    for (const guide::Node& node : doc.nodes) {
        for (const std::string& line : node.lines) {
            EXPECT_LT(line.size(), 70u) << node.name << ": " << line;
            for (unsigned char c : line) EXPECT_TRUE(c >= 0x20 && (c < 0x7F || c >= 0xA0)) << node.name << ": " << line;
        }
    }
    // The raw file: no UTF-8 sequences (a lead byte followed by a continuation byte).
    std::ifstream in(kShippedGuide, std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t i = 0; i + 1 < raw.size(); ++i) {
        const auto a = static_cast<unsigned char>(raw[i]), b = static_cast<unsigned char>(raw[i + 1]);
        EXPECT_FALSE(a >= 0xC2 && a <= 0xF4 && b >= 0x80 && b <= 0xBF) << "UTF-8 at byte " << i;
    }
}

// The facts a player looks up must be in the text, in the words the game uses.
TEST_F(ShippedGuide, NamesWhatThePlayerSeesInTheGame) {
    std::string all;
    for (const guide::Node& node : doc.nodes)
        for (const std::string& line : node.lines) all += line + "\n";
    const char* const facts[] = {
        "Not enough money!", "Your Hand:", "Small or Big Card?", "Don\xB4t Double",
        "Win Pot Doubled!", "Win Pot lost!", "Are You Sure to Quit?",
        "PREFSJOKER", "PREFS5KIND", "PREFSDOUBLE", "CHANGES", "JOKERS", "CARDS",
        "5 jokers are best possible", "5 jokers are lousy hand",
        "5 of kind is better than straight flush", "5 of kind is lower than straight flush",
        "Royal Flush", "Straight Flush", "Five of Kind", "Four of Kind", "Full House", "Flush",
        "Straight", "Three of Kind", "Two Pairs", "Pair", "Lousy Hand",
        "Continue Old", "Hand Evaluation", "Bet Prefs", "Instructions", "Alt", "save/",
        "Tarnwell Poker V1.11 (OS4)",
    };
    for (const char* fact : facts) EXPECT_NE(all.find(fact), std::string::npos) << fact;
}

// Both rows of the winnings table, as the game pays them: the line of a hand holds its
// prize in the normal row and in the row of "5 of kind is better".
TEST_F(ShippedGuide, WinningsTableShowsBothRows) {
    const int node = doc.Find("Winnings");
    ASSERT_GE(node, 0);
    struct Row {
        const char* hand;
        int normal, fiveKindBetter;
    };
    const Row rows[] = {
        {"Royal Flush", 320, 320}, {"Straight Flush", 160, 160}, {"Five of Kind", 140, 180},
        {"Four of Kind", 80, 80},  {"Full House", 40, 40},       {"Flush", 30, 30},
        {"Straight", 20, 20},      {"Three of Kind", 10, 10},    {"Two Pairs", 5, 5},
        {"Pair", 0, 0},            {"Lousy Hand", 0, 0},
    };
    for (const Row& row : rows) {
        bool found = false;
        for (const std::string& line : doc.nodes[node].lines) {
            std::istringstream in(line);
            std::string word, name;
            std::vector<int> numbers;
            while (in >> word) {
                if (std::isdigit(static_cast<unsigned char>(word[0]))) numbers.push_back(std::stoi(word));
                else name += (name.empty() ? "" : " ") + word;
            }
            if (name == row.hand && numbers.size() == 2) {
                EXPECT_EQ(numbers[0], row.normal) << row.hand;
                EXPECT_EQ(numbers[1], row.fiveKindBetter) << row.hand;
                found = true;
            }
        }
        EXPECT_TRUE(found) << row.hand;
    }
}

// ---- damaged input ----------------------------------------------------------------------

struct Damaged {
    const char* name;
    const char* text;
    guide::Status status;
    const char* warning;  // part of a warning that must be given; nullptr: none expected
    size_t nodes;
};

class DamagedGuide : public ::testing::TestWithParam<Damaged> {};

TEST_P(DamagedGuide, IsReadOrRefusedWithAReason) {
    const Damaged& c = GetParam();
    const guide::Document doc = guide::Parse(c.text, "drawer/test.guide");
    EXPECT_EQ(doc.status, c.status);
    EXPECT_EQ(doc.nodes.size(), c.nodes);
    EXPECT_EQ(doc.fileName, "test.guide");
    if (c.status == guide::Status::NotAGuide) {
        EXPECT_EQ(doc.message, "test.guide is not a guide");
    } else {
        EXPECT_TRUE(doc.message.empty());
    }
    if (c.warning) {
        EXPECT_TRUE(AnyWarningContains(doc, c.warning)) << Warnings(doc);
    } else {
        EXPECT_TRUE(doc.warnings.empty()) << Warnings(doc);
    }
    ExpectLinksInText(doc);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedGuide,
    ::testing::Values(
        Damaged{"EmptyFile", "", guide::Status::NotAGuide, nullptr, 0},
        Damaged{"OnlyBlankLines", "\n\n  \n", guide::Status::NotAGuide, nullptr, 0},
        Damaged{"NoDatabase", "@node Main \"M\"\nhello\n@endnode\n", guide::Status::NotAGuide, "@database", 0},
        Damaged{"TextBeforeDatabase", "hello\n@database x\n@node Main\n@endnode\n", guide::Status::NotAGuide,
                "@database", 0},
        Damaged{"DatabaseWithoutNodes", "@database x\nsome text\n", guide::Status::NotAGuide, "no @node", 0},
        Damaged{"NoEndnodeAtTheEnd", "@database x\n@node Main \"M\"\nhello\n", guide::Status::Ok, "no @endnode", 1},
        Damaged{"NoEndnodeBeforeTheNextNode", "@database x\n@node Main \"M\"\na\n@node Two \"T\"\nb\n@endnode\n",
                guide::Status::Ok, "\"Main\" has no @endnode", 2},
        Damaged{"LinkToAMissingNode", "@database x\n@node Main \"M\"\n@{\"Go\" link Nowhere}\n@endnode\n",
                guide::Status::Ok, "\"Nowhere\", which is no node", 1},
        Damaged{"EndnodeOutsideANode", "@database x\n@endnode\n@node Main \"M\"\n@endnode\n", guide::Status::Ok,
                "outside a node", 1},
        Damaged{"NodeWithoutAName", "@database x\n@node\ntext\n@endnode\n@node Main \"M\"\n@endnode\n",
                guide::Status::Ok, "without a name", 2},
        Damaged{"TwoNodesOfOneName", "@database x\n@node Main \"A\"\n@endnode\n@node main \"B\"\n@endnode\n",
                guide::Status::Ok, "a second node", 2},
        Damaged{"UnclosedInlineCommand", "@database x\n@node Main \"M\"\nsee @{\"Go\" link Main\n@endnode\n",
                guide::Status::Ok, "without its closing", 1},
        Damaged{"UnknownLineCommand", "@database x\n@frobnicate 3\n@node Main \"M\"\n@endnode\n", guide::Status::Ok,
                "unknown command @frobnicate", 1},
        Damaged{"ACommandThatIsNoLink", "@database x\n@node Main \"M\"\n@{\"Run\" system \"ls\"}\n@endnode\n",
                guide::Status::Ok, "not a link", 1},
        Damaged{"CarriageReturnLineEnds", "@database x\r\n@node Main \"M\"\r\nhi\r\n@endnode\r\n", guide::Status::Ok,
                nullptr, 1}),
    [](const ::testing::TestParamInfo<Damaged>& info) { return std::string(info.param.name); });

// ---- how text and links are read ---------------------------------------------------------

struct Reading {
    const char* name;
    const char* body;  // one line of a node's text
    const char* shown;
    int links;
    const char* label;   // of the first link
    const char* target;  // of the first link
    int column;          // of the first link
    int targetLine;      // of the first link
};

class ReadingText : public ::testing::TestWithParam<Reading> {};

TEST_P(ReadingText, ShowsTheTextAndPlacesTheLinks) {
    const Reading& c = GetParam();
    const std::string text = std::string("@database x\n@node Main \"M\"\n") + c.body +
                             "\n@endnode\n@node Other \"O\"\n@endnode\n@node \"Two Words\" \"T\"\n@endnode\n";
    const guide::Document doc = guide::Parse(text, "x.guide");
    ASSERT_EQ(doc.status, guide::Status::Ok);
    const guide::Node& main = doc.nodes[doc.Find("Main")];
    ASSERT_EQ(main.lines.size(), 1u);
    EXPECT_EQ(main.lines[0], c.shown);
    ASSERT_EQ(static_cast<int>(main.links.size()), c.links);
    if (c.links > 0) {
        EXPECT_EQ(main.links[0].label, c.label);
        EXPECT_EQ(main.links[0].target, c.target);
        EXPECT_EQ(main.links[0].column, c.column);
        EXPECT_EQ(main.links[0].line, 0);
        EXPECT_EQ(main.links[0].targetLine, c.targetLine);
        EXPECT_GE(doc.Find(main.links[0].target), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadingText,
    ::testing::Values(
        Reading{"PlainText", "just words", "just words", 0, "", "", 0, 0},
        Reading{"LinkInTheMiddle", "see @{\"the other\" link Other} now", "see the other now", 1, "the other", "Other",
                4, 0},
        Reading{"AlinkIsALink", "@{\"x\" alink Other}", "x", 1, "x", "Other", 0, 0},
        Reading{"CommandWordInCapitals", "@{\"x\" LINK Other}", "x", 1, "x", "Other", 0, 0},
        Reading{"TargetWithALine", "@{\"x\" link Other 12}", "x", 1, "x", "Other", 0, 12},
        Reading{"QuotedTargetWithASpace", "@{\"x\" link \"Two Words\"}", "x", 1, "x", "Two Words", 0, 0},
        Reading{"TargetInAnotherCase", "@{\"x\" link oThEr}", "x", 1, "x", "oThEr", 0, 0},
        Reading{"BraceInsideTheLabel", "a @{\"{b}\" link Other}", "a {b}", 1, "{b}", "Other", 2, 0},
        Reading{"StylesAreDropped", "@{b}bold@{ub} and @{fg shine}lit@{fg text}", "bold and lit", 0, "", "", 0, 0},
        Reading{"StyleBeforeALink", "@{i}x@{ui} @{\"y\" link Other}", "x y", 1, "y", "Other", 2, 0},
        Reading{"EscapedAtAndBackslash", "mail\\@home \\\\ \\@{\"no\" link Other}", "mail@home \\ @{\"no\" link Other}",
                0, "", "", 0, 0},
        Reading{"LoneBackslashStays", "a\\b", "a\\b", 0, "", "", 0, 0},
        Reading{"TabsGoToTheNextEighthColumn", "a\tb\t\tc", "a       b               c", 0, "", "", 0, 0},
        Reading{"TabBeforeALink", "\t@{\"x\" link Other}", "        x", 1, "x", "Other", 8, 0},
        Reading{"ControlBytesShowAsQuestionMarks", "a\x01" "b\x7F" "c\x85" "d\xE9", "a?b?c?d\xE9", 0, "", "", 0, 0},
        Reading{"AtSignAloneIsText", "x @ y", "x @ y", 0, "", "", 0, 0},
        Reading{"LinkWithoutATargetIsText", "@{\"x\" link}", "x", 0, "", "", 0, 0}),
    [](const ::testing::TestParamInfo<Reading>& info) { return std::string(info.param.name); });

TEST(GuideReading, TitleCommandOverridesTheNodeLineAndNodesWithoutOneHaveNone) {
    const guide::Document doc =
        guide::Parse("@database x\n@node A \"First\"\n@title \"Second\"\n@endnode\n@node B\n@endnode\n", "x.guide");
    ASSERT_EQ(doc.status, guide::Status::Ok);
    EXPECT_EQ(doc.nodes[doc.Find("a")].title, "Second");
    EXPECT_EQ(doc.nodes[doc.Find("B")].title, "");
}

TEST(GuideReading, MainIsTheNodeCalledMainElseTheFirst) {
    struct Case {
        const char* text;
        const char* main;
    };
    const Case cases[] = {
        {"@database x\n@node A\n@endnode\n@node Main\n@endnode\n", "Main"},
        {"@database x\n@node A\n@endnode\n@node MAIN\n@endnode\n", "MAIN"},
        {"@database x\n@node A\n@endnode\n@node B\n@endnode\n", "A"},
    };
    for (const Case& c : cases) {
        const guide::Document doc = guide::Parse(c.text, "x.guide");
        ASSERT_GE(doc.MainNode(), 0) << c.text;
        EXPECT_EQ(doc.nodes[doc.MainNode()].name, c.main) << c.text;
    }
    EXPECT_EQ(guide::Document{}.MainNode(), -1);
}

TEST(GuideReading, AVeryLongLineIsCutAndItsLinksBeyondTheCutDropped) {
    std::string text = "@database x\n@node Main\n";
    text += "@{\"early\" link Main} " + std::string(5000, 'x') + " @{\"late\" link Main}\n";
    text += "next line\n@endnode\n";
    const guide::Document doc = guide::Parse(text, "x.guide");
    ASSERT_EQ(doc.status, guide::Status::Ok);
    const guide::Node& node = doc.nodes[0];
    ASSERT_EQ(node.lines.size(), 2u);
    EXPECT_EQ(static_cast<int>(node.lines[0].size()), guide::kMaxColumns);
    EXPECT_EQ(node.lines[1], "next line");
    ASSERT_EQ(node.links.size(), 1u);
    EXPECT_EQ(node.links[0].label, "early");
    EXPECT_TRUE(AnyWarningContains(doc, "line 3: longer than"));
    ExpectLinksInText(doc);
}

TEST(GuideReading, AVeryLongRunOfTabsStaysWithinTheCut) {
    const std::string text = "@database x\n@node Main\n" + std::string(3000, '\t') + "\n@endnode\n";
    const guide::Document doc = guide::Parse(text, "x.guide");
    ASSERT_EQ(doc.status, guide::Status::Ok);
    EXPECT_EQ(static_cast<int>(doc.nodes[0].lines[0].size()), guide::kMaxColumns);
}

// Random bytes, alone and behind a valid start: never a crash, and whatever is kept holds
// together.
TEST(GuideReading, BinaryJunkNeverBreaksTheReader) {
    std::mt19937 random(20260612);
    std::uniform_int_distribution<int> byte(0, 255), length(0, 4000);
    // Bytes the format cares about, so that junk also hits the commands.
    const char special[] = {'@', '{', '}', '"', '\\', '\n', '\t', '\r', ' ', 'l', 'n'};
    for (int round = 0; round < 300; ++round) {
        std::string junk(static_cast<size_t>(length(random)), '\0');
        for (char& c : junk)
            c = byte(random) < 64 ? special[byte(random) % sizeof special] : static_cast<char>(byte(random));
        const guide::Document alone = guide::Parse(junk, "junk.guide");
        if (!junk.empty() && junk[0] != '@' && junk[0] != '\n' && junk[0] != ' ' && junk[0] != '\t' &&
            junk[0] != '\r') {
            EXPECT_EQ(alone.status, guide::Status::NotAGuide);
        }
        if (alone.status != guide::Status::Ok) {
            EXPECT_FALSE(alone.message.empty());
        }
        const guide::Document behind = guide::Parse("@database j\n@node Main\n" + junk, "junk.guide");
        ASSERT_EQ(behind.status, guide::Status::Ok);
        ExpectLinksInText(behind);
        for (const guide::Node& node : behind.nodes)
            for (const std::string& line : node.lines) {
                EXPECT_LE(static_cast<int>(line.size()), guide::kMaxColumns);
                EXPECT_EQ(line.find('\0'), std::string::npos);
            }
    }
}

// ---- reading files ----------------------------------------------------------------------------

std::string TempFile(const std::string& name, const std::string& contents) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

TEST(GuideLoading, FailuresOfTheFileNameTheFile) {
    host::UseVirtualDisplay();
    const std::string good = TempFile("load_good.guide", "@database g\n@node Main \"Hello\"\nhi\n@endnode\n");
    const std::string junk = TempFile("load_junk.guide", std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10));
    struct Case {
        const char* name;
        std::string path;
        const char* fail;  // operation made to fail, or nullptr
        guide::Status status;
        std::string message;
    };
    const Case cases[] = {
        {"readable", good, nullptr, guide::Status::Ok, ""},
        {"missing", ::testing::TempDir() + "no_such_file.guide", nullptr, guide::Status::CannotOpen,
         "Cannot open no_such_file.guide"},
        {"open fails", good, "Open", guide::Status::CannotOpen, "Cannot open load_good.guide"},
        {"read fails", good, "Read", guide::Status::CannotOpen, "Cannot open load_good.guide"},
        {"a drawer", ::testing::TempDir(), nullptr, guide::Status::CannotOpen, "Cannot open "},
        {"binary", junk, nullptr, guide::Status::NotAGuide, "load_junk.guide is not a guide"},
    };
    for (const Case& c : cases) {
        host::ClearFaults();
        if (c.fail) host::FailOnce(c.fail);
        const guide::Document doc = guide::Load(c.path.c_str());
        EXPECT_EQ(doc.status, c.status) << c.name;
        EXPECT_EQ(doc.message.rfind(c.message, 0), 0u) << c.name << ": " << doc.message;
        if (c.status == guide::Status::Ok) {
            ASSERT_EQ(doc.nodes.size(), 1u);
            EXPECT_EQ(doc.nodes[0].title, "Hello");
        }
    }
    host::ClearFaults();
    EXPECT_EQ(guide::Load(nullptr).status, guide::Status::CannotOpen);
    EXPECT_EQ(guide::Load("").status, guide::Status::CannotOpen);
}

TEST(GuideLoading, AFileLargerThanAnyGuideIsRefused) {
    host::UseVirtualDisplay();
    std::string big = "@database big\n@node Main\n";
    big.append(static_cast<size_t>(guide::kMaxFileBytes), 'x');
    const std::string path = TempFile("load_big.guide", big);
    const guide::Document doc = guide::Load(path.c_str());
    EXPECT_EQ(doc.status, guide::Status::NotAGuide);
    EXPECT_NE(doc.message.find("load_big.guide"), std::string::npos);
    std::remove(path.c_str());
}

}  // namespace

namespace {

TEST(GuideReading, NamesAreFoundWithoutRegardToCaseAndTheFirstOfTwinsWins) {
    const guide::Document doc = guide::Parse(
        "@database x\n@node Main \"A\"\n@endnode\n@node Other \"O\"\n@endnode\n@node MAIN \"B\"\n@endnode\n", "x.guide");
    ASSERT_EQ(doc.status, guide::Status::Ok);
    struct Case {
        const char* name;
        int index;
    };
    const Case cases[] = {{"Main", 0}, {"main", 0}, {"MAIN", 0}, {"other", 1}, {"OTHER", 1}, {"Oth", -1}, {"", -1},
                          {"Main ", -1}};
    for (const Case& c : cases) EXPECT_EQ(doc.Find(c.name), c.index) << "\"" << c.name << "\"";
    // A document put together by hand, without the index, finds the same.
    guide::Document byHand;
    byHand.nodes = doc.nodes;
    for (const Case& c : cases) EXPECT_EQ(byHand.Find(c.name), c.index) << "\"" << c.name << "\"";
}

TEST(GuideReading, ManyNodesLinkedInAChainAllResolve) {
    std::string text = "@database chain\n";
    constexpr int kNodes = 5000;
    for (int i = 0; i < kNodes; ++i)
        text += "@node N" + std::to_string(i) + " \"Node " + std::to_string(i) + "\"\n@{\"next\" link n" +
                std::to_string((i + 1) % kNodes) + "}\n@endnode\n";
    const guide::Document doc = guide::Parse(text, "chain.guide");
    ASSERT_EQ(doc.status, guide::Status::Ok);
    ASSERT_EQ(static_cast<int>(doc.nodes.size()), kNodes);
    EXPECT_TRUE(doc.warnings.empty());
    for (int i = 0; i < kNodes; i += 97)
        EXPECT_EQ(doc.Find(doc.nodes[i].links[0].target), (i + 1) % kNodes);
}

TEST(GuideReading, ABadlyDamagedFileListsOnlySomeOfItsProblems) {
    std::string text = "@database x\n@node Main\n";
    for (int i = 0; i < 500; ++i) text += "@bogus" + std::to_string(i) + "\n";
    text += "@endnode\n";
    const guide::Document doc = guide::Parse(text, "x.guide");
    ASSERT_EQ(doc.status, guide::Status::Ok);
    ASSERT_EQ(doc.warnings.size(), guide::kMaxWarnings + 1);
    EXPECT_EQ(doc.warnings.front(), "line 3: unknown command @bogus0 ignored");
    EXPECT_EQ(doc.warnings.back(), std::to_string(500 - guide::kMaxWarnings) + " more problems not listed");
}

}  // namespace
