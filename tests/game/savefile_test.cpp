// The saved game: its bytes, loading once, every way a file is refused, failed saves, and
// the Save and Continue Old menu operations through the file requester.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "game/game.h"
#include "game/savefile.h"
#include "host/host.h"
#include "support/files.h"
#include "support/gametable.h"

namespace fs = std::filesystem;

namespace {

using support::ReadFile;

// Written here from the file format alone: byte i is the plain byte plus key byte i mod L.
std::string Scramble(std::string bytes, const std::string& key, int sign = 1) {
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(static_cast<unsigned char>(bytes[i]) +
                                     sign * static_cast<unsigned char>(key[i % key.size()]));
    return bytes;
}
std::string Unscramble(const std::string& bytes, const std::string& key) { return Scramble(bytes, key, -1); }

// Money, jokers, changes, double-up, joker and five-of-a-kind preferences.
using Values = std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t>;
auto Fields(cSaveFile& f) { return std::tie(f.money, f.jokers, f.changes, f.doubleUp, f.jokerPref, f.fiveKindPref); }

void SaveAs(const std::string& path, const Values& v) {
    cSaveFile f;
    f.path = path.c_str();
    Fields(f) = v;
    ASSERT_EQ(f.Save(), 0) << path;
}

// What the game holds of a saved game.
auto Held(const cGamePoker& g) { return std::tuple(g.Money(), g.jokers, g.changes, g.doubleUp, g.hand.flags); }

using SaveFileTest = support::FileTest;

TEST_F(SaveFileTest, WritesTheTextScrambledWithThePath) {
    struct Case { Values v; const char* text; };
    const Case cases[] = {{{40, 3, 1, 0, 0, 0}, "POKER:40,3,1,0,0,0"},
                          {{40, 3, 1, 1, 512, 256}, "POKER:40,3,1,1,512,256"},
                          {{2147483647, 8, 3, 1, 512, 256}, "POKER:2147483647,8,3,1,512,256"}};
    for (const char* name : {"a", "a-much-longer-name-than-the-block-itself.sav"}) {
        const std::string path = In(name);
        for (const Case& c : cases) {
            SaveAs(path, c.v);
            const auto bytes = ReadFile(path);
            ASSERT_EQ(bytes.size(), 32u) << c.text;
            const std::string plain = Unscramble(bytes, path);
            EXPECT_EQ(std::string(plain.c_str()), c.text);
            EXPECT_EQ(plain[std::string(c.text).size()], '\0');
        }
    }
}

// A file that cannot be removed is not taken (it could be taken twice); once taken it is gone.
TEST_F(SaveFileTest, OpensOnceRestoringEveryValue) {
    const std::string path = In("once");
    SaveAs(path, {1234, 5, 2, 1, 512, 0});
    cSaveFile loaded;
    loaded.path = path.c_str();
    host::FailOnce("DeleteFile");
    EXPECT_EQ(loaded.Load(), 1);
    EXPECT_EQ(loaded.money, 0);
    EXPECT_TRUE(fs::exists(path));
    ASSERT_EQ(loaded.Load(), 0);
    EXPECT_EQ(Fields(loaded), std::tuple(1234, 5, 2, 1, 512, 0));
    EXPECT_FALSE(fs::exists(path));
    loaded.money = -7;
    EXPECT_EQ(loaded.Load(), 1);
    EXPECT_EQ(loaded.money, -7);
}

// A refused file is kept; so is a saved game copied under another name (its key differs
// from the first character on).
TEST_F(SaveFileTest, RefusesFilesWithValuesTheGameCannotHold) {
    struct Case { const char* plain; size_t size; int result; const char* key = nullptr; };  // key: the path
    const Case cases[] = {
        {"POKER:40,3,1,0,0,0", 32, 0},      {"POKER:2147483647,8,3,1,512,256", 32, 0}, {"POKER:0,0,1,0,0,0 and more", 32, 0},
        {"POKER:40,9,1,0,0,0", 32, 2},      {"POKER:40,-1,1,0,0,0", 32, 2},   {"POKER:40,3,0,0,0,0", 32, 2},
        {"POKER:40,3,4,0,0,0", 32, 2},      {"POKER:40,3,1,2,0,0", 32, 2},    {"POKER:40,3,1,0,1,0", 32, 2},
        {"POKER:40,3,1,0,256,0", 32, 2},    {"POKER:40,3,1,0,0,512", 32, 2},  {"POKER:-1,3,1,0,0,0", 32, 2},
        {"POKER:2147483648,3,1,0,0,0", 32, 2}, {"POKER:99999999999999999,3,1,0,0", 32, 2},
        {"POKER:40,3,1,0,0", 32, 2},        {"POKER:40,3,1,0,0,", 32, 2},     {"POKER 40,3,1,0,0,0", 32, 2},
        {"poker:40,3,1,0,0,0", 32, 2},      {"", 32, 2},                      {"POKER:40,3,1,0,0,0", 31, 2},
        {"POKER:40,3,1,0,0,0", 0, 2},       {"POKER:40,3,1,0,0,0", 32, 2, "orig"},
    };
    for (const Case& c : cases) {
        const std::string path = In("crafted");
        std::string plain = c.plain;
        plain.resize(c.size, '\0');
        std::ofstream(path, std::ios::binary) << Scramble(plain, c.key ? c.key : path);
        cSaveFile f;
        f.path = path.c_str(), f.money = 77;
        EXPECT_EQ(f.Load(), c.result) << '"' << c.plain << "\" size " << c.size;
        EXPECT_EQ(std::pair(fs::exists(path), f.money == 77), std::pair(c.result != 0, c.result != 0)) << c.plain;
        fs::remove(path);
    }
}

// The menu operations, through the file requester.

struct SaveMenuTest : SaveFileTest {
    GameTable table;
    std::unique_ptr<cGamePoker> game = table.MakeGame(0, 3, 1, 0);
    MenuItem doubleItem{};

    void SetUp() override { game->fileReq.drawer = (dir.string() + "/").c_str(); }
    // Runs the menu operation, choosing `name` in the file requester.
    void Choose(bool save, const std::string& name) {
        const char* title = save ? "Select Map File to Save As" : "Select Map File to Load From";
        host::SetSteps({[title, name] {
            ASSERT_NE(host::FindWindow(title), nullptr) << title;
            for (int i = 0; i < 40; ++i) host::Key(8);  // the field may hold the last name chosen
            host::Type(name + "\r");
        }});
        save ? game->MenuSave() : game->MenuOld(&doubleItem);
        EXPECT_EQ(host::StepsLeft(), 0u);
    }
};

TEST_F(SaveMenuTest, SaveMovesTheMoneyIntoTheFileAndContinueOldTakesItBack) {
    game->MenuNew();
    game->SetMoney(123);
    std::tie(game->jokers, game->changes, game->doubleUp, game->hand.flags) = std::tuple(5, 2, 1, 0x300u);
    Choose(true, "deposit");
    const std::string path = In("deposit");
    ASSERT_TRUE(fs::exists(path));
    EXPECT_EQ(std::string(Unscramble(ReadFile(path), path).c_str()), "POKER:123,5,2,1,512,256");
    EXPECT_EQ(game->Money(), 0);
    EXPECT_TRUE(game->fileReq.file == "");
    std::vector<int> inOrder(57);
    std::iota(inOrder.begin(), inOrder.end(), 0);
    EXPECT_NE(PileCards(*game, 0), inOrder) << "the deck is shuffled";
    EXPECT_EQ(game->deck.count, 57);

    std::tie(game->jokers, game->changes, game->doubleUp, game->hand.flags) = std::tuple(0, 1, 0, 0u);
    game->InitPiles();
    Choose(false, "deposit");
    EXPECT_EQ(Held(*game), std::tuple(123, 5, 2, 1, 0x300u));
    EXPECT_NE(doubleItem.Flags & CHECKED, 0);
    EXPECT_EQ(game->deck.count, 57);
    EXPECT_FALSE(fs::exists(path));

    // A second opening finds no file and changes nothing.
    game->SetMoney(9);
    Choose(false, "deposit");
    EXPECT_EQ(Held(*game), std::tuple(9, 5, 2, 1, 0x300u));
}

TEST_F(SaveMenuTest, ContinueOldEndsARunningGameOnlyWhenAFileWasLoaded) {
    game->MenuNew();
    game->GadgetFinish();
    Choose(false, "missing");
    EXPECT_EQ(std::pair(game->phase, game->Money()), std::pair(0, 36)) << "nothing was loaded, the game goes on";

    // A game without jokers, double-up or preferences clears them all.
    SaveAs(In("plain"), {77, 0, 3, 0, 0, 0});
    doubleItem.Flags = CHECKED | CHECKIT;
    game->doubleUp = 1;
    game->hand.flags = 0x300;
    Choose(false, "plain");
    EXPECT_EQ(game->phase, -1);
    EXPECT_EQ(Held(*game), std::tuple(77, 0, 3, 0, 0u));
    EXPECT_EQ(doubleItem.Flags & CHECKED, 0);
    EXPECT_EQ(std::pair(game->deck.count, game->junk.count), std::pair(52, 0));
    EXPECT_EQ(std::count_if(std::begin(game->cards), std::end(game->cards), [](auto* c) { return c->visible != 0; }), 1);
}

// A save that fails at any step keeps the money in the game and an older saved game of
// that name as it was, and leaves no other file behind; a rename reported failed after it
// happened is the save it is. Nothing goes through a link planted where a temporary file
// could be, and a saved game named like one is kept.
TEST_F(SaveMenuTest, AFailedOrCancelledSaveKeepsTheMoneyAndTheOlderSave) {
    game->MenuNew();
    const std::string path = In("older"), outside = dir.string() + "-outside";
    std::ofstream(outside) << "outside";
    fs::create_symlink(outside, In("older.saving"));
    const std::tuple<const char*, bool, bool> cases[] = {  // step, done before failing, saved
        {"Open", false, false},  {"Write", false, false}, {"Write", true, false},  {"Close", false, false},
        {"Close", true, false},  {"Rename", false, false}, {"(cancel)", false, false},
        {"", false, true}};
    for (const auto& [op, afterDoing, saved] : cases) {
        SaveAs(path, {50, 2, 3, 0, 0, 0});
        game->SetMoney(321);
        if (*op == '(') {
            host::SetSteps({[] { host::Key(27); }});
            game->MenuSave();
        } else {
            if (*op) host::FailAt(op, 1, afterDoing);
            Choose(true, "older");
        }
        EXPECT_EQ(game->Money(), saved ? 0 : 321) << op << afterDoing;
        EXPECT_EQ(std::string(Unscramble(ReadFile(path), path).c_str()),
                  saved ? "POKER:321,3,1,0,0,0" : "POKER:50,2,3,0,0,0") << op << afterDoing;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2) << op;
        EXPECT_TRUE(game->fileReq.file == "") << op;
        host::ClearFaults();
    }
    EXPECT_EQ(ReadFile(outside), "outside");
    fs::remove(outside);
    SaveAs(In("kept.saving"), {70, 2, 3, 0, 0, 0});
    Choose(true, "kept");
    const std::string keptPath = In("kept.saving");
    cSaveFile kept;
    kept.path = keptPath.c_str();
    EXPECT_EQ(kept.Load(), 0);
    EXPECT_EQ(kept.money, 70);
}

// A save killed half-way leaves nothing the file requester lists (it shows no name that
// begins with a dot), and the next save clears the leftover away.
TEST_F(SaveMenuTest, AKilledSaveLeavesNothingToOfferAndTheNextSaveClearsItAway) {
    game->MenuNew();
    const pid_t child = fork();
    if (child == 0) {
        host::KillAt("Rename", 1);
        Choose(true, "killed");
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == host::kKilledStatus);
    int leftovers = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        EXPECT_EQ(e.path().filename().string()[0], '.') << e.path();
        ++leftovers;
    }
    EXPECT_EQ(leftovers, 1);
    Choose(true, "next");
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename());
    EXPECT_EQ(names, std::vector<std::string>({"next"}));
}

}  // namespace
