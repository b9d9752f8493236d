// The saved game: its bytes, loading once, every way a file is refused, failed saves, and
// the Save and Continue Old menu operations through the file requester.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/game.h"
#include "game/savefile.h"
#include "host/host.h"
#include "support/gametable.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder per test, removed afterwards.
struct TempDir {
    fs::path dir;
    TempDir() {
        static int serial = 0;
        dir = fs::temp_directory_path() / ("tarnwell_save_" + std::to_string(getpid()) + "_" + std::to_string(++serial));
        fs::create_directories(dir);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string File(const std::string& name) const { return (dir / name).string(); }
};

std::vector<unsigned char> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Written here from the file format alone: byte i is the plain byte plus key byte i mod L.
std::string Unscramble(const std::vector<unsigned char>& bytes, const std::string& key) {
    std::string plain;
    for (size_t i = 0; i < bytes.size(); ++i)
        plain += static_cast<char>(static_cast<unsigned char>(bytes[i] - static_cast<unsigned char>(key[i % key.size()])));
    return plain;
}

void WriteScrambled(const std::string& path, std::string plain, size_t size = 32) {
    plain.resize(size, '\0');
    std::ofstream out(path, std::ios::binary);
    for (size_t i = 0; i < plain.size(); ++i)
        out.put(static_cast<char>(static_cast<unsigned char>(plain[i]) + static_cast<unsigned char>(path[i % path.size()])));
}

struct Values {
    int32_t money, jokers, changes, doubleUp, jokerPref, fiveKindPref;
};

cSaveFile Filled(const char* path, const Values& v) {
    cSaveFile f;
    f.path = path;
    f.money = v.money;
    f.jokers = v.jokers;
    f.changes = v.changes;
    f.doubleUp = v.doubleUp;
    f.jokerPref = v.jokerPref;
    f.fiveKindPref = v.fiveKindPref;
    return f;
}

class SaveFileTest : public ::testing::Test {
protected:
    void SetUp() override { host::ClearFaults(); }
    void TearDown() override { host::ClearFaults(); }
    TempDir temp;
};

TEST_F(SaveFileTest, WritesTheTextScrambledWithThePath) {
    struct Case {
        Values v;
        const char* text;
    };
    const Case cases[] = {
        {{40, 3, 1, 0, 0, 0}, "POKER:40,3,1,0,0,0"},
        {{40, 3, 1, 1, 512, 256}, "POKER:40,3,1,1,512,256"},
        {{2147483647, 8, 3, 1, 512, 256}, "POKER:2147483647,8,3,1,512,256"},
        {{0, 0, 2, 0, 0, 256}, "POKER:0,0,2,0,0,256"},
    };
    for (const char* name : {"a", "game one", "a-much-longer-name-than-the-block-itself.sav"}) {
        const std::string path = temp.File(name);
        for (const Case& c : cases) {
            cSaveFile f = Filled(path.c_str(), c.v);
            ASSERT_EQ(f.Save(), 0) << c.text;
            const auto bytes = ReadBytes(path);
            ASSERT_EQ(bytes.size(), 32u) << c.text;
            const std::string plain = Unscramble(bytes, path);
            EXPECT_EQ(std::string(plain.c_str()), c.text);
            EXPECT_EQ(plain[std::string(c.text).size()], '\0');
        }
    }
}

TEST_F(SaveFileTest, OpensOnceRestoringEveryValue) {
    const std::string path = temp.File("once");
    const Values v{1234, 5, 2, 1, 512, 0};
    cSaveFile saved = Filled(path.c_str(), v);
    ASSERT_EQ(saved.Save(), 0);

    cSaveFile loaded;
    loaded.path = path.c_str();
    ASSERT_EQ(loaded.Load(), 0);
    EXPECT_EQ(loaded.money, 1234);
    EXPECT_EQ(loaded.jokers, 5);
    EXPECT_EQ(loaded.changes, 2);
    EXPECT_EQ(loaded.doubleUp, 1);
    EXPECT_EQ(loaded.jokerPref, 512);
    EXPECT_EQ(loaded.fiveKindPref, 0);
    EXPECT_FALSE(fs::exists(path));

    cSaveFile again;
    again.path = path.c_str();
    again.money = -7;
    EXPECT_EQ(again.Load(), 1);
    EXPECT_EQ(again.money, -7);
}

TEST_F(SaveFileTest, ACopyUnderAnotherNameIsRefusedAndKept) {
    // The key is the path, and only its first 32 characters reach the 32 bytes: the copy's
    // path differs early.
    const std::string path = temp.File("orig");
    const std::string copy = (fs::temp_directory_path() / ("c" + std::to_string(getpid()))).string();
    cSaveFile saved = Filled(path.c_str(), {40, 3, 1, 0, 0, 0});
    ASSERT_EQ(saved.Save(), 0);
    fs::copy_file(path, copy);
    cSaveFile loaded;
    loaded.path = copy.c_str();
    EXPECT_EQ(loaded.Load(), 2);
    EXPECT_TRUE(fs::exists(copy));
    EXPECT_TRUE(fs::exists(path));
    fs::remove(copy);
}

TEST_F(SaveFileTest, RefusesFilesWithValuesTheGameCannotHold) {
    struct Case {
        const char* plain;
        size_t size;
        int result;
    };
    const Case cases[] = {
        {"POKER:40,3,1,0,0,0", 32, 0},
        {"POKER:2147483647,8,3,1,512,256", 32, 0},
        {"POKER:0,0,1,0,0,0 and more", 32, 0},
        {"POKER:40,9,1,0,0,0", 32, 2},
        {"POKER:40,-1,1,0,0,0", 32, 2},
        {"POKER:40,3,0,0,0,0", 32, 2},
        {"POKER:40,3,4,0,0,0", 32, 2},
        {"POKER:40,3,1,2,0,0", 32, 2},
        {"POKER:40,3,1,0,1,0", 32, 2},
        {"POKER:40,3,1,0,256,0", 32, 2},
        {"POKER:40,3,1,0,0,512", 32, 2},
        {"POKER:-1,3,1,0,0,0", 32, 2},
        {"POKER:2147483648,3,1,0,0,0", 32, 2},
        {"POKER:99999999999999999,3,1,0,0", 32, 2},
        {"POKER:40,3,1,0,0", 32, 2},
        {"POKER:40,3,1,0,0,", 32, 2},
        {"POKER 40,3,1,0,0,0", 32, 2},
        {"poker:40,3,1,0,0,0", 32, 2},
        {"", 32, 2},
        {"POKER:40,3,1,0,0,0", 31, 2},
        {"POKER:40,3,1,0,0,0", 0, 2},
    };
    for (const Case& c : cases) {
        const std::string path = temp.File("crafted");
        WriteScrambled(path, c.plain, c.size);
        cSaveFile f;
        f.path = path.c_str();
        f.money = 77;
        EXPECT_EQ(f.Load(), c.result) << '"' << c.plain << "\" size " << c.size;
        EXPECT_EQ(fs::exists(path), c.result != 0) << c.plain;
        if (c.result != 0) {
            EXPECT_EQ(f.money, 77) << c.plain;
        }
        fs::remove(path);
    }
}

TEST_F(SaveFileTest, AFailedSaveLeavesNoFile) {
    for (const char* op : {"Open", "Write", "Close"}) {
        const std::string path = temp.File(std::string("failed-") + op);
        cSaveFile f = Filled(path.c_str(), {40, 3, 1, 0, 0, 0});
        host::FailOnce(op);
        EXPECT_EQ(f.Save(), 1) << op;
        EXPECT_FALSE(fs::exists(path)) << op;
        host::ClearFaults();
    }
}

TEST_F(SaveFileTest, AFileThatCannotBeRemovedIsNotTakenTwice) {
    const std::string path = temp.File("stuck");
    cSaveFile saved = Filled(path.c_str(), {500, 3, 1, 0, 0, 0});
    ASSERT_EQ(saved.Save(), 0);
    cSaveFile loaded;
    loaded.path = path.c_str();
    host::FailOnce("DeleteFile");
    EXPECT_EQ(loaded.Load(), 1);
    EXPECT_EQ(loaded.money, 0);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(loaded.Load(), 0);
    EXPECT_EQ(loaded.money, 500);
}

TEST_F(SaveFileTest, CryptAndDeCryptUndoEachOtherForEveryByte) {
    cSaveFile f;
    const std::string key = "save/\xff\x80q";
    f.path = key.c_str();
    char block[32];
    for (int start = 0; start < 256; start += 32) {
        for (int i = 0; i < 32; ++i) block[i] = static_cast<char>(start + i);
        f.Crypt(block);
        for (int i = 0; i < 32; ++i)
            EXPECT_EQ(static_cast<unsigned char>(block[i]),
                      static_cast<unsigned char>(start + i + static_cast<unsigned char>(key[i % key.size()])));
        f.DeCrypt(block);
        for (int i = 0; i < 32; ++i) EXPECT_EQ(static_cast<unsigned char>(block[i]), start + i);
    }
}

// ---- the menu operations, through the file requester ------------------------------

std::function<void()> ChooseFile(const char* title, std::string name) {
    return [title, name] {
        Window* req = host::FindWindow(title);
        ASSERT_NE(req, nullptr) << title;
        for (int i = 0; i < 40; ++i) host::Key(8);  // the field may hold the last name chosen
        host::Type(name);
        host::Key(13);
    };
}

class SaveMenuTest : public SaveFileTest {
protected:
    GameTable table;
    std::unique_ptr<cGamePoker> game;
    MenuItem doubleItem{};

    void SetUp() override {
        SaveFileTest::SetUp();
        game = table.MakeGame(0, 3, 1, 0);
        game->fileReq.drawer = (temp.dir.string() + "/").c_str();
    }
    void TearDown() override {
        game.reset();
        SaveFileTest::TearDown();
    }
    void Save(const std::string& name) {
        host::SetSteps({ChooseFile("Select Map File to Save As", name)});
        game->MenuSave();
        EXPECT_EQ(host::StepsLeft(), 0u);
    }
    void Open(const std::string& name) {
        host::SetSteps({ChooseFile("Select Map File to Load From", name)});
        game->MenuOld(&doubleItem);
        EXPECT_EQ(host::StepsLeft(), 0u);
    }
};

TEST_F(SaveMenuTest, SaveMovesTheMoneyIntoTheFileAndContinueOldTakesItBack) {
    game->MenuNew();
    game->SetMoney(123);
    game->jokers = 5;
    game->changes = 2;
    game->doubleUp = 1;
    game->hand.flags = 0x300;
    Save("deposit");
    const std::string path = temp.File("deposit");
    ASSERT_TRUE(fs::exists(path));
    EXPECT_EQ(std::string(Unscramble(ReadBytes(path), path).c_str()), "POKER:123,5,2,1,512,256");
    EXPECT_EQ(game->Money(), 0);
    EXPECT_TRUE(game->fileReq.file == "");
    EXPECT_EQ(game->deck.count, 57);
    std::vector<int> inOrder;
    for (int i = 0; i < 57; ++i) inOrder.push_back(i);
    EXPECT_NE(PileCards(*game, 0), inOrder) << "the deck is shuffled";

    game->jokers = 0;
    game->changes = 1;
    game->doubleUp = 0;
    game->hand.flags = 0;
    game->InitPiles();
    Open("deposit");
    EXPECT_EQ(game->Money(), 123);
    EXPECT_EQ(game->jokers, 5);
    EXPECT_EQ(game->changes, 2);
    EXPECT_EQ(game->doubleUp, 1);
    EXPECT_EQ(game->hand.flags, 0x300u);
    EXPECT_NE(doubleItem.Flags & CHECKED, 0);
    EXPECT_EQ(game->deck.count, 57);
    EXPECT_FALSE(fs::exists(path));

    // A second opening finds no file and changes nothing.
    game->SetMoney(9);
    Open("deposit");
    EXPECT_EQ(game->Money(), 9);
    EXPECT_EQ(game->jokers, 5);
}

TEST_F(SaveMenuTest, ContinueOldClearsTheCheckMarkAndPreferencesOfAGameWithoutThem) {
    cSaveFile f = Filled(nullptr, {77, 0, 3, 0, 0, 0});
    const std::string path = temp.File("plain");
    f.path = path.c_str();
    ASSERT_EQ(f.Save(), 0);
    doubleItem.Flags = CHECKED | CHECKIT;
    game->doubleUp = 1;
    game->hand.flags = 0x300;
    Open("plain");
    EXPECT_EQ(game->Money(), 77);
    EXPECT_EQ(doubleItem.Flags & CHECKED, 0);
    EXPECT_EQ(game->hand.flags, 0u);
    EXPECT_EQ(game->deck.count, 52);
    for (int n = 52; n < 60; ++n) EXPECT_EQ(game->cards[n]->visible, 0);
}

TEST_F(SaveMenuTest, ContinueOldEndsARunningGameOnlyWhenAFileWasLoaded) {
    game->MenuNew();
    game->GadgetFinish();
    Open("missing");
    EXPECT_EQ(game->phase, 0) << "nothing was loaded, the game goes on";
    EXPECT_EQ(game->Money(), 36);

    cSaveFile f = Filled(nullptr, {50, 1, 1, 0, 0, 0});
    const std::string path = temp.File("fewer");
    f.path = path.c_str();
    ASSERT_EQ(f.Save(), 0);
    Open("fewer");
    EXPECT_EQ(game->phase, -1);
    EXPECT_EQ(game->Money(), 50);
    EXPECT_EQ(game->deck.count, 53);
    int visible = 0;
    for (const cIMGCard* c : game->cards) visible += c->visible != 0;
    EXPECT_EQ(visible, 1);
}

TEST_F(SaveMenuTest, AFailedSaveKeepsTheMoneyAndForgetsTheName) {
    game->MenuNew();
    game->SetMoney(321);
    for (const char* op : {"Write", "Close"}) {
        host::FailOnce(op);
        Save("lost");
        EXPECT_EQ(game->Money(), 321) << op;
        EXPECT_FALSE(fs::exists(temp.File("lost"))) << op;
        EXPECT_TRUE(game->fileReq.file == "") << op;
        host::ClearFaults();
    }
}

TEST_F(SaveMenuTest, CancellingSavesNothing) {
    game->MenuNew();
    host::SetSteps({[] { host::Key(27); }});
    game->MenuSave();
    EXPECT_EQ(game->Money(), 40);
    EXPECT_TRUE(fs::is_empty(temp.dir));
}

}  // namespace
