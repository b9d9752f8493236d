// The whole program, started from its icon on the virtual display: settings, failures and
// their exit statuses, the main window, and a game played from New to Quit.
#include <gtest/gtest.h>

#include <dos.h>
#include <workbench.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/main.h"
#include "game/handpile.h"
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
    return {[] { host::ClickClose(Main()); }, [] { host::ClickGadget(host::FindWindow("Quit Poker"), "Quit"); }};
}

const std::vector<std::string> kWriteBack = {"PREFSJOKER=FALSE", "PREFS5KIND=FALSE", "PREFSDOUBLE=FALSE",
                                           "CHANGES=1", "JOKERS=3", "CARDS=gfx/defaultcards.lbm"};

}  // namespace

// Numbers out of range are clamped, flags are TRUE only among their |-separated words.
TEST(ToolTypes, ParsedAsTheIconStatesThem) {
    struct Case { std::vector<const char*> toolTypes; bool joker, fiveKind, dbl; int changes, jokers;
                  const char* cards = "gfx/defaultcards.lbm"; };
    const Case cases[] = {
        {{"CHANGES=0"}, 0, 0, 0, 1, 3},  {{"CHANGES=9"}, 0, 0, 0, 3, 3},         {{"CHANGES=12"}, 0, 0, 0, 1, 3},
        {{"CHANGES="}, 0, 0, 0, 1, 3},   {{"CHANGES=2"}, 0, 0, 0, 2, 3},         {{"JOKERS=9"}, 0, 0, 0, 1, 8},
        {{"JOKERS=x"}, 0, 0, 0, 1, 8},   {{"JOKERS=-1"}, 0, 0, 0, 1, 0},         {{"JOKERS="}, 0, 0, 0, 1, 0},
        {{"JOKERS=5"}, 0, 0, 0, 1, 5},   {{"PREFSJOKER=true"}, 1, 0, 0, 1, 3},   {{"PREFSJOKER=YES"}, 0, 0, 0, 1, 3},
        {{"OTHER=1"}, 0, 0, 0, 1, 3},    {{"PREFSJOKER=NO|TRUE"}, 1, 0, 0, 1, 3},
        {{"PREFS5KIND=TRUE", "PREFSDOUBLE=on|true", "CARDS=gfx/other.lbm", "PREFSJOKER=FALSE"}, 0, 1, 1, 1, 3,
         "gfx/other.lbm"},
    };
    for (const auto& c : cases) {
        Settings s;
        std::vector<CONST_STRPTR> list(c.toolTypes.begin(), c.toolTypes.end());
        list.push_back(nullptr);
        ReadSettings(list.data(), s);
        EXPECT_EQ(std::tuple(s.prefsJoker, s.prefs5Kind, s.prefsDouble, s.changes, s.jokers),
                  std::tuple(c.joker, c.fiveKind, c.dbl, c.changes, c.jokers)) << c.toolTypes[0];
        EXPECT_TRUE(s.cards == c.cards) << c.toolTypes[0];
    }
}

// An icon gets exactly the six tool types back after a quit, the ones it had kept as they
// were; without an icon nothing is written. PREFSDOUBLE=TRUE starts with Double checked.
TEST(Program, TheIconGetsExactlyTheSixSettingsBackAfterAQuit) {
    const std::vector<std::string> all = {"PREFSJOKER=TRUE", "PREFS5KIND=TRUE", "PREFSDOUBLE=TRUE", "CHANGES=3",
                                          "JOKERS=0",        "CARDS=gfx/defaultcards.lbm"};
    struct Case { std::vector<std::string> icon, written; bool withIcon = true; };
    for (const Case& c : {Case{{"FOO=bar", "WINDOW=CON:"}, kWriteBack}, Case{all, all}, Case{{}, {}, false}}) {
        Drawer drawer(c.icon, c.withIcon);
        bool checked = false;
        auto steps = QuitByCloseGadget();
        steps.insert(steps.begin(), [&] { checked = ItemAddress(Main()->MenuStrip, 0xF841)->Flags & CHECKED; });
        EXPECT_EQ(drawer.Run(steps), 0);
        EXPECT_EQ(checked, c.icon == all);
        EXPECT_EQ(drawer.IconLines(), c.written);
        EXPECT_EQ(fs::exists(drawer.Path() / "poker.info"), c.withIcon);
    }
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
        sawMessage = req && host::ShowsText(req, "Error while loading Card GFX file \"gfx/missing.lbm\"");
        host::ClickGadget(req, "QUIT");
    }});
    EXPECT_TRUE(sawMessage);
    EXPECT_EQ(status, 1110);
    EXPECT_EQ(drawer.IconLines(), icon);
}

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
    struct Case { const char* fault; int status; bool clickAlert; };
    // A failure to lock the screen must not read as success.
    const Case cases[] = {{"OpenLibrary", 20, true}, {"OpenFont", 20, false}, {"LockPubScreen", 20, false},
                          {"OpenWindowTagList", 22, false}};
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
    steps.insert(steps.begin(), [&] { backPixel = host::WindowPixel(Main(), 20 + 35, 50 + 48); });  // the deck's back
    EXPECT_EQ(drawer.Run(steps, config), 0);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(gfxpens[i], 0) << i;
    EXPECT_EQ(pens[0] + pens[1], 0);
    // Unremapped, the sheet's pixels are its own colour indexes (three planes: 0..7).
    EXPECT_TRUE(backPixel >= 0 && backPixel < 8) << backPixel;
}

TEST(Program, MainWindowGeometryFollowsTheScreen) {
    struct Case { int fontHeight, wborTop; int left, top, width, height; };
    const Case cases[] = {{8, 2, 20, 119, 600, 241}, {11, 2, 20, 118, 600, 244}};
    for (const auto& c : cases) {
        Drawer drawer({});
        host::ScreenConfig config;
        config.fontHeight = c.fontHeight, config.wborTop = c.wborTop;
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
        EXPECT_EQ(std::tuple(info.left, info.top, info.width, info.height), std::tuple(c.left, c.top, c.width, c.height));
        EXPECT_TRUE(drawnMoney);
        EXPECT_EQ(std::vector<int>(grey, grey + 3), (std::vector<int>{0xAC, 0xAC, 0xAC})) << "the panel's grey";
        EXPECT_EQ(std::vector<int>(black, black + 3), (std::vector<int>{0, 0, 0})) << "the text's black";
    }
}

namespace {

void ClickHandCard(int slot) { host::Click(Main()->LeftEdge + 100 + 81 * slot + 35, Main()->TopEdge + 100 + 48); }

// The rank of the hand the "Your Hand:" requester names, whichever the shuffle dealt; -1: none.
int ShownRank() {
    Window* r = host::FindWindow("Your Hand:");
    for (int rank = 0; r && rank < HAND_RANKS; ++rank)
        if (support::ShowsExactly(r, HandNames[rank])) return rank;
    return -1;
}

}  // namespace

TEST(Program, AGameFromNewToQuit) {
    const int kPrizes[HAND_RANKS] = {0, 0, 5, 10, 20, 30, 40, 80, 140, 160, 320};
    Drawer drawer({"JOKERS=3", "CHANGES=1"});
    int rank = -1, expected = 0;
    bool moneyAfterNew = false, moneyAfterGame = false, zeroAfterSave = false, restored = false;
    int status = drawer.Run({
        [] { host::MenuKey('n'); },  // New: 40
        [&] { moneyAfterNew = support::ShowsExactly(Main(), "40"); host::Key('d'); },  // the deal: bet 4
        [] {
            support::Screenshot("dealt");
            ClickHandCard(0);
            ClickHandCard(2);
            support::Screenshot("turned");
            host::Key(13);  // exchange two cards and end the game
        },
        [&] { support::Screenshot("yourhand"); rank = ShownRank(); host::Key(13); },
        [&] {
            expected = 40 - 4 + (rank < 0 ? 0 : kPrizes[rank]);
            moneyAfterGame = support::ShowsExactly(Main(), std::to_string(expected));
            host::MenuKey('s');  // Save
        },
        [] { host::Type("game1"); support::Screenshot("save"); host::Key(13); },
        [&] { zeroAfterSave = support::ShowsExactly(Main(), "0"); host::MenuKey('o'); },  // Continue Old
        [] { host::Type("game1\r"); },
        [&] { restored = support::ShowsExactly(Main(), std::to_string(expected)); host::ClickClose(Main()); },
        [] { host::ClickGadget(host::FindWindow("Quit Poker"), "Quit"); },
    });
    EXPECT_EQ(status, 0);
    EXPECT_NE(rank, -1) << "no hand name shown";
    EXPECT_TRUE(moneyAfterNew && moneyAfterGame && zeroAfterSave && restored)
        << moneyAfterNew << moneyAfterGame << zeroAfterSave << restored << ": expected " << expected << " after rank "
        << rank;
    EXPECT_FALSE(fs::exists(drawer.Path() / "save/game1")) << "a saved game opens once";
    EXPECT_EQ(drawer.IconLines(), kWriteBack);
    EXPECT_EQ(host::DoubleReplies(), 0);
}
