// The whole program, started from its icon on the virtual display: settings, failures and
// their exit statuses, the main window, and a game played from New to Quit.
#include <gtest/gtest.h>

#include <dos.h>
#include <workbench.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "app/main.h"
#include "game/handpile.h"
#include "host/host.h"
#include "support/cardsheet.h"
#include "support/drawer.h"
#include "support/gametable.h"
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

// The cards the hand's five slots show, as value and suit letters ("TH KS"; "JK" a joker, "??"
// a picture that is no card's), read off the screen against the built card sheet.
std::string ShownHand() {
    support::ScreenSheet sheet(Main()->WScreen);
    std::string shown;
    for (int slot = 0; slot < HAND_SLOTS; ++slot) {
        std::string card = "??";
        for (int n = 0; n < 55 && card == "??"; ++n)
            if (ShowsBlock(Main(), 100 + 81 * slot, 100, sheet.bitMap(), 71 * (n % 13), 96 * (n / 13)))
                card = n >= 52 ? std::string("JK") : std::string{"A23456789TJQK"[n % 13], "CDHS"[n / 13]};
        shown += (slot ? " " : "") + card;
    }
    return shown;
}

// The hand name the "Your Hand:" requester shows; "" for none.
std::string ShownRank() {
    Window* r = host::FindWindow("Your Hand:");
    for (int rank = 0; r && rank < HAND_RANKS; ++rank)
        if (support::ShowsExactly(r, HandNames[rank])) return HandNames[rank];
    return "";
}

}  // namespace

// A seed fixes the deal. Slots 0 and 2 exchanged, the hand is the one the seed must give; the
// requester names its rank and the money shows its prize, which the saved game keeps.
TEST(Program, AGameFromNewToQuit) {
    // The eights of spades, clubs and diamonds stay: three of a kind, which pays 10 for a bet of 4.
    const std::string kDealt = "JC 8S 4D 8C 8D", kDrawn = "4C 8S 7H 8C 8D", kMoney = std::to_string(40 - 4 + 10);
    Drawer drawer({"JOKERS=3", "CHANGES=1"});
    std::string dealt, drawn, rank;
    bool moneyAfterNew = false, moneyAfterGame = false, zeroAfterSave = false, restored = false;
    int status = drawer.Run({
        [] { std::srand(7); host::MenuKey('n'); },  // New: 40 and a shuffle from the seed
        [&] { moneyAfterNew = support::ShowsExactly(Main(), "40"); host::Key('d'); },  // the deal: bet 4
        [&] {
            support::Screenshot("dealt");
            dealt = ShownHand();
            ClickHandCard(0);
            ClickHandCard(2);
            support::Screenshot("turned");
            host::Key(13);  // exchange two cards and end the game
        },
        [&] { support::Screenshot("yourhand"); drawn = ShownHand(); rank = ShownRank(); host::Key(13); },
        [&] {
            moneyAfterGame = support::ShowsExactly(Main(), kMoney);
            host::MenuKey('s');  // Save
        },
        [] { host::Type("game1"); support::Screenshot("save"); host::Key(13); },
        [&] { zeroAfterSave = support::ShowsExactly(Main(), "0"); host::MenuKey('o'); },  // Continue Old
        [] { host::Type("game1\r"); },
        [&] { restored = support::ShowsExactly(Main(), kMoney); host::ClickClose(Main()); },
        [] { host::ClickGadget(host::FindWindow("Quit Poker"), "Quit"); },
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(dealt, kDealt) << "the seed deals another hand: the shuffle changed";
    EXPECT_EQ(std::pair(drawn, rank), std::pair(kDrawn, std::string("Three of Kind")));
    EXPECT_TRUE(moneyAfterNew && moneyAfterGame && zeroAfterSave && restored)
        << moneyAfterNew << moneyAfterGame << zeroAfterSave << restored << ": expected " << kMoney;
    EXPECT_FALSE(fs::exists(drawer.Path() / "save/game1")) << "a saved game opens once";
    EXPECT_EQ(drawer.IconLines(), kWriteBack);
    EXPECT_EQ(host::DoubleReplies(), 0);
}
