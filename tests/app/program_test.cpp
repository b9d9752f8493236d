// The whole program, started from its icon on the virtual display: settings, failures and
// their exit statuses, the main window, and a game played from New to Quit.
#include <gtest/gtest.h>

#include <dos.h>
#include <workbench.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/main.h"
#include "host/host.h"
#include "support/drawer.h"
#include "support/screen.h"

int poker_main();

namespace fs = std::filesystem;

namespace {

using support::Drawer;

Window* Main() { return support::MainWindow(); }

// Answers the quit requester that the close gadget brings up.
std::vector<std::function<void()>> QuitByCloseGadget() {
    return {
        [] { host::ClickClose(Main()); },
        [] { host::ClickGadget(host::FindWindow("Quit Poker"), "Quit"); },
    };
}

const std::vector<std::string> kWriteBack = {
    "PREFSJOKER=FALSE", "PREFS5KIND=FALSE", "PREFSDOUBLE=FALSE", "CHANGES=1", "JOKERS=3",
    "CARDS=gfx/defaultcards.lbm",
};

}  // namespace

// ---- tool types ---------------------------------------------------------------------

TEST(ToolTypes, ParsedAsTheIconStatesThem) {
    struct Case {
        const char* toolType;
        bool prefsJoker;
        int changes;
        int jokers;
    };
    const Case cases[] = {
        {"CHANGES=0", false, 1, 3},     {"CHANGES=9", false, 3, 3},  {"CHANGES=12", false, 1, 3},
        {"CHANGES=", false, 1, 3},      {"CHANGES=2", false, 2, 3},  {"JOKERS=9", false, 1, 8},
        {"JOKERS=x", false, 1, 8},      {"JOKERS=-1", false, 1, 0},  {"JOKERS=", false, 1, 0},
        {"JOKERS=5", false, 1, 5},      {"PREFSJOKER=true", true, 1, 3},
        {"PREFSJOKER=YES", false, 1, 3}, {"PREFSJOKER=NO|TRUE", true, 1, 3},
        {"OTHER=1", false, 1, 3},
    };
    for (const auto& c : cases) {
        Settings s;
        CONST_STRPTR list[] = {c.toolType, nullptr};
        ReadSettings(list, s);
        EXPECT_EQ(s.prefsJoker, c.prefsJoker) << c.toolType;
        EXPECT_EQ(s.changes, c.changes) << c.toolType;
        EXPECT_EQ(s.jokers, c.jokers) << c.toolType;
        EXPECT_TRUE(s.cards == "gfx/defaultcards.lbm") << c.toolType;
    }
}

TEST(ToolTypes, FlagsAndCardsReadTogether) {
    Settings s;
    CONST_STRPTR list[] = {"PREFS5KIND=TRUE", "PREFSDOUBLE=on|true", "CARDS=gfx/other.lbm", "PREFSJOKER=FALSE",
                           nullptr};
    ReadSettings(list, s);
    EXPECT_FALSE(s.prefsJoker);
    EXPECT_TRUE(s.prefs5Kind);
    EXPECT_TRUE(s.prefsDouble);
    EXPECT_TRUE(s.cards == "gfx/other.lbm");
}

TEST(Program, IconWithoutToolTypesGetsExactlyTheSixAfterAQuit) {
    Drawer drawer({"FOO=bar", "WINDOW=CON:"});
    EXPECT_EQ(drawer.Run(QuitByCloseGadget()), 0);
    EXPECT_EQ(drawer.IconLines(), kWriteBack);
}

TEST(Program, SettingsComeBackAsTheyWentIn) {
    const std::vector<std::string> icon = {"PREFSJOKER=TRUE", "PREFS5KIND=TRUE", "PREFSDOUBLE=TRUE", "CHANGES=3",
                                           "JOKERS=0", "CARDS=gfx/defaultcards.lbm"};
    Drawer drawer(icon);
    EXPECT_EQ(drawer.Run(QuitByCloseGadget()), 0);
    EXPECT_EQ(drawer.IconLines(), icon);
}

TEST(Program, SettingsChangedInTheGameAreWrittenBack) {
    Drawer drawer({});
    auto steps = std::vector<std::function<void()>>{
        [] { host::PickMenu(Main(), 1, 1); },  // Bet Preferences
        [] { host::Key('c'); },
        [] { host::Type("2\r"); },  // replaces the 1 of the full one-character field
        [] { host::Key('j'); },
        [] { host::Type("5\r"); },
        [] { host::ClickGadget(host::FindWindow("Bet Preferences"), "OK"); },
        [] { host::MenuKey('d'); },  // double-up on
    };
    for (auto& step : QuitByCloseGadget()) steps.push_back(step);
    EXPECT_EQ(drawer.Run(steps), 0);
    EXPECT_EQ(drawer.IconLines(), (std::vector<std::string>{"PREFSJOKER=FALSE", "PREFS5KIND=FALSE", "PREFSDOUBLE=TRUE",
                                                            "CHANGES=2", "JOKERS=5", "CARDS=gfx/defaultcards.lbm"}));
}

TEST(Program, MissingCardSheetNamesTheFileAndKeepsTheIcon) {
    const std::vector<std::string> icon = {"CARDS=gfx/missing.lbm", "JOKERS=7"};
    Drawer drawer(icon);
    bool sawMessage = false;
    int status = drawer.Run({[&] {
        Window* req = host::FindWindow("Tarnwell Poker");
        ASSERT_NE(req, nullptr);
        sawMessage = host::ShowsText(req, "Error while loading Card GFX file \"gfx/missing.lbm\"");
        host::ClickGadget(req, "QUIT");
    }});
    EXPECT_TRUE(sawMessage);
    EXPECT_EQ(status, 1110);
    EXPECT_EQ(drawer.IconLines(), icon);
}

TEST(Program, WithoutAnIconTheDefaultsHoldAndNothingIsWritten) {
    Drawer drawer({}, /*withIcon=*/false);
    EXPECT_EQ(drawer.Run(QuitByCloseGadget()), 0);
    EXPECT_FALSE(fs::exists(drawer.Path() / "poker.info"));
}

// ---- failures and exit statuses -------------------------------------------------------

TEST(Program, StartedFromAShellOnlySaysSo) {
    host::UseVirtualDisplay();
    __WBenchMsg = nullptr;
    testing::internal::CaptureStdout();
    int status = poker_main();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Start this program from WB\n");
    EXPECT_EQ(status, 10);
    EXPECT_EQ(host::OpenWindowCount(), 0);
}

TEST(Program, EveryStartUpFailureEndsWithItsStatus) {
    struct Case {
        const char* fault;
        int status;
        bool clickAlert;
    };
    const Case cases[] = {
        {"OpenLibrary", 20, true},
        {"OpenFont", 20, false},
        {"LockPubScreen", 20, false},  // a failure must not read as success
        {"OpenWindowTagList", 22, false},
    };
    for (const auto& c : cases) {
        Drawer drawer({"JOKERS=2"});
        std::vector<std::function<void()>> steps;
        if (c.clickAlert) steps.push_back([] { host::Click(320, 20); });
        const int status = drawer.Run(steps, {}, c.fault);
        EXPECT_EQ(status, c.status) << c.fault;
        EXPECT_EQ(host::OpenWindowCount(), 0) << c.fault;
        EXPECT_EQ(host::PensInUse(), 0) << c.fault << ": pens left obtained";
        EXPECT_EQ(drawer.IconLines(), std::vector<std::string>{"JOKERS=2"}) << c.fault;
    }
}

TEST(Program, ScreenWithoutColourMapLeavesEveryPenZero) {
    Drawer drawer({});
    host::ScreenConfig config;
    config.colorMap = false;
    int backPixel = -1;
    auto steps = QuitByCloseGadget();
    steps.insert(steps.begin(), [&] {
        Window* w = Main();
        ASSERT_NE(w, nullptr);
        backPixel = host::WindowPixel(w, 20 + 35, 50 + 48);  // the middle of the deck's back
    });
    EXPECT_EQ(drawer.Run(steps, config), 0);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(gfxpens[i], 0) << i;
    EXPECT_EQ(pens[0], 0);
    EXPECT_EQ(pens[1], 0);
    // Unremapped, the sheet's pixels are its own colour indexes (three planes: 0..7).
    EXPECT_GE(backPixel, 0);
    EXPECT_LT(backPixel, 8);
}

// ---- the main window --------------------------------------------------------------

TEST(Program, MainWindowGeometryFollowsTheScreen) {
    struct Case {
        int fontHeight, wborTop;
        int left, top, width, height;
    };
    const Case cases[] = {
        {8, 2, 20, 119, 600, 241},
        {11, 2, 20, 118, 600, 244},
    };
    for (const auto& c : cases) {
        Drawer drawer({});
        host::ScreenConfig config;
        config.fontHeight = c.fontHeight;
        config.wborTop = c.wborTop;
        host::WindowInfo info{};
        bool drawnMoney = false;
        unsigned char grey[3], black[3];
        auto steps = QuitByCloseGadget();
        steps.insert(steps.begin(), [&] {
            for (const auto& w : host::Windows())
                if (w.title == "Tarnwell Poker") info = w;
            drawnMoney = host::ShowsText(Main(), "Money:");
            host::PenColour(pens[0], grey);
            host::PenColour(pens[1], black);
        });
        EXPECT_EQ(drawer.Run(steps, config), 0);
        EXPECT_EQ(info.left, c.left);
        EXPECT_EQ(info.top, c.top);
        EXPECT_EQ(info.width, c.width);
        EXPECT_EQ(info.height, c.height);
        EXPECT_TRUE(drawnMoney);
        EXPECT_EQ(std::vector<int>(grey, grey + 3), (std::vector<int>{0xAC, 0xAC, 0xAC})) << "the panel's grey";
        EXPECT_EQ(std::vector<int>(black, black + 3), (std::vector<int>{0, 0, 0})) << "the text's black";
    }
}

TEST(Program, CloseGadgetThenCancelPlaysOn) {
    Drawer drawer({});
    bool stillOpen = false;
    int status = drawer.Run({
        [] { host::ClickClose(Main()); },
        [] { host::ClickGadget(host::FindWindow("Quit Poker"), "Cancel"); },
        [&] {
            stillOpen = Main() != nullptr && host::FindWindow("Quit Poker") == nullptr;
            host::ClickClose(Main());
        },
        [] { host::ClickGadget(host::FindWindow("Quit Poker"), "Quit"); },
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(host::DoubleReplies(), 0);
}

// ---- a whole game ---------------------------------------------------------------

namespace {

// The screen point of hand slot i of the main window.
void ClickHandCard(int slot) {
    Window* w = Main();
    host::Click(w->LeftEdge + 100 + 81 * slot + 35, w->TopEdge + 100 + 48);
}

// The name of the hand in the "Your Hand:" requester, whichever hand the shuffle dealt.
std::string HandName() {
    Window* r = host::FindWindow("Your Hand:");
    if (!r) return "";
    static const char* const names[] = {"Lousy Hand", "Pair",           "Two Pairs",  "Three of Kind",
                                        "Straight",   "Flush",          "Full House", "Four of Kind",
                                        "Five of Kind", "Straight Flush", "Royal Flush"};
    for (const char* n : names)
        if (support::ShowsExactly(r, n)) return n;
    return "?";
}

int PrizeOf(const std::string& name) {
    static const std::pair<const char*, int> prizes[] = {
        {"Lousy Hand", 0}, {"Pair", 0},          {"Two Pairs", 5},     {"Three of Kind", 10},
        {"Straight", 20},  {"Flush", 30},        {"Full House", 40},   {"Four of Kind", 80},
        {"Five of Kind", 140}, {"Straight Flush", 160}, {"Royal Flush", 320}};
    for (auto& [n, p] : prizes)
        if (name == n) return p;
    return -1;
}

}  // namespace

TEST(Program, AGameFromNewToQuit) {
    Drawer drawer({"JOKERS=3", "CHANGES=1"});
    std::string hand;
    bool moneyAfterNew = false, moneyAfterGame = false, zeroAfterSave = false, restored = false;
    int expected = 0;
    std::string savePath;
    int status = drawer.Run({
        [] { host::MenuKey('n'); },  // New: 40
        [&] {
            moneyAfterNew = support::ShowsExactly(Main(), "40");
            host::Key('d');  // the deal: bet 4
        },
        [] {
            support::Screenshot("dealt");
            ClickHandCard(0);
            ClickHandCard(2);
            support::Screenshot("turned");
            host::Key(13);  // exchange two cards and end the game
        },
        [&] {
            support::Screenshot("yourhand");
            hand = HandName();
            host::Key(13);  // dismiss "Your Hand:"
        },
        [&] {
            expected = 40 - 4 + PrizeOf(hand);
            moneyAfterGame = support::ShowsExactly(Main(), std::to_string(expected));
            host::MenuKey('s');  // Save
        },
        [] {
            host::Type("game1");
            support::Screenshot("save");
            host::Key(13);
        },
        [&] {
            zeroAfterSave = support::ShowsExactly(Main(), "0");
            savePath = (drawer.Path() / "save/game1").string();
            host::MenuKey('o');  // Continue Old
        },
        [] {
            host::Type("game1");
            host::Key(13);
        },
        [&] {
            restored = support::ShowsExactly(Main(), std::to_string(expected));
            host::ClickClose(Main());
        },
        [] { host::ClickGadget(host::FindWindow("Quit Poker"), "Quit"); },
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(moneyAfterNew);
    EXPECT_NE(PrizeOf(hand), -1) << "no hand name shown: '" << hand << "'";
    EXPECT_TRUE(moneyAfterGame) << "expected money " << expected << " after " << hand;
    EXPECT_TRUE(zeroAfterSave);
    EXPECT_TRUE(restored);
    EXPECT_FALSE(fs::exists(savePath)) << "a saved game opens once";
    EXPECT_EQ(drawer.IconLines(), kWriteBack);
    EXPECT_EQ(host::DoubleReplies(), 0);
}
