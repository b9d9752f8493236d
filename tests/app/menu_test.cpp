// The main window's event loop and its menu strip, driven through the virtual display.
#include <gtest/gtest.h>

#include <gadtools.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "app/poker.h"
#include "app/pokermenu.h"
#include "game/game.h"
#include "game/savefile.h"
#include "host/host.h"
#include "support/files.h"
#include "support/gametable.h"
#include "support/screen.h"
#include "toolkit/pokergadgets.h"

namespace fs = std::filesystem;

namespace {

// Waits for the next message of the window, offers it to a receiver and replies it unless
// the receiver already did (as the main loop does). Returns the answer.
int Offer(Window* w, cIDCMP& receiver) {
    WaitPort(w->UserPort);
    auto* msg = reinterpret_cast<IntuiMessage*>(GetMsg(w->UserPort));
    if (!msg) return -100;
    int r = receiver.IDCMP(msg);
    if (r != 2) ReplyMsg(&msg->ExecMessage);
    return r;
}

bool PortEmpty(Window* w) {
    Message* m = GetMsg(w->UserPort);
    if (m) ReplyMsg(m);
    return m == nullptr;
}

// A receiver that writes down what it is offered ("name:key" or "name:class") and answers as told.
struct Recorder : cIDCMP {
    Recorder(std::vector<std::string>& log, std::string name, std::function<int(const IntuiMessage*)> answer = {})
        : log_(log), name_(std::move(name)), answer_(std::move(answer)) {}
    bool Active() const override { return false; }
    int IDCMP(const IntuiMessage* msg) override {
        const bool key = msg->Class == IDCMP_VANILLAKEY;
        log_.push_back(name_ + ":" + (key ? std::string(1, static_cast<char>(msg->Code)) : std::to_string(msg->Class)));
        return answer_ ? answer_(msg) : 0;
    }
    std::vector<std::string>& log_;
    std::string name_;
    std::function<int(const IntuiMessage*)> answer_;
};

int EndOnQ(const IntuiMessage* m) { return m->Class == IDCMP_VANILLAKEY && m->Code == 'q' ? -1 : 0; }

struct EventLoopTest : ::testing::Test {
    GameTable table;
    std::unique_ptr<cGamePoker> game = table.MakeGame();
    Window* w = table.window;
    std::vector<std::string> log;
};

struct MenuTest : EventLoopTest {
    cPokerMenu menu{table.window, game.get()};
};

}  // namespace

// A click on hand slot 0 and 'a' nobody takes: the click reaches the cards; 'q' ends the
// loop, but what queued behind it is still handed on.
TEST_F(EventLoopTest, OffersMenuThenPanelThenCardsAndEndsAfterTheQueue) {
    game->MenuNew();
    game->GadgetFinish();  // deal: five cards face up in the hand
    Recorder menu(log, "menu"), panel(log, "panel", EndOnQ);
    host::SetSteps({[this] {
        host::Click(w->LeftEdge + 100 + 35, w->TopEdge + 100 + 48);
        host::Type("aqb");
    }});
    EventLoop(w, menu, panel, game->cards);
    EXPECT_EQ(game->hand.items[0]->turned, 1) << "the click turned the card";
    const std::string button = std::to_string(IDCMP_MOUSEBUTTONS);  // the press, then the release
    EXPECT_EQ(log, (std::vector<std::string>{"menu:" + button, "panel:" + button, "menu:" + button, "panel:" + button,
                                             "menu:a", "panel:a", "menu:q", "panel:q", "menu:b", "panel:b"}));
    EXPECT_EQ(host::DoubleReplies(), 0);
}

TEST_F(EventLoopTest, AMessageAnsweredTwoIsNotRepliedAgain) {
    Recorder menu(log, "menu", [](const IntuiMessage* m) {
        if (m->Class != IDCMP_VANILLAKEY) return 0;
        ReplyMsg(&const_cast<IntuiMessage*>(m)->ExecMessage);
        return m->Code == 'q' ? -1 : 2;
    });
    Recorder panel(log, "panel");
    host::SetSteps({[] { host::Key('x'); }, [] { host::Key('q'); }});
    EventLoop(w, menu, panel, game->cards);
    // 'q', replied by the menu and answered -1, is replied again by the loop; 'x' (2) is not.
    EXPECT_EQ(host::DoubleReplies(), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"menu:x", "menu:q"})) << "a consumed message goes no further";
}

TEST_F(EventLoopTest, CloseGadgetAsksAndCancelPlaysOn) {
    Recorder menu(log, "menu"), panel(log, "panel");
    int asked = 0;
    auto answer = [&](const char* button) {
        return [&asked, button] { ++asked; host::ClickGadget(host::FindWindow("Quit Poker"), button); };
    };
    host::SetSteps({[this] { host::ClickClose(w); }, answer("Cancel"),
                    [this] { host::ClickClose(w); host::Key('z'); },  // typed before the answer: still dispatched
                    answer("Quit")});
    EventLoop(w, menu, panel, game->cards);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(log.back(), "panel:z");
    EXPECT_EQ(host::DoubleReplies(), 0);
}

TEST_F(MenuTest, NewGivesFortyAndFlushes) {
    host::SetSteps({[this] { host::PickMenu(w, 0, 0); host::Key('d'); }});  // 'd' is dropped by the flush
    EXPECT_EQ(Offer(w, menu), 2);
    EXPECT_EQ(game->Money(), 40);
    EXPECT_TRUE(PortEmpty(w));
    EXPECT_EQ(game->phase, -1);
}

TEST_F(MenuTest, DoubleTwiceFlipsTheSwitchWithTheCheckMark) {
    MenuItem* dbl = ItemAddress(menu.menuStrip, cPokerMenu::DoubleItem);
    ASSERT_NE(dbl, nullptr);
    const std::function<void()> menuPick = [this] { host::PickMenu(w, 1, 2); }, altD = [] { host::MenuKey('d'); };
    for (auto [expected, how] : {std::pair{1, menuPick}, {0, menuPick}, {1, menuPick}, {0, altD}}) {
        host::SetSteps({how});
        EXPECT_EQ(Offer(w, menu), 2);
        EXPECT_EQ(game->doubleUp, expected);
        EXPECT_EQ((dbl->Flags & CHECKED) != 0, expected == 1);
    }
}

// Alt+D on the main window while Bet Prefs runs is dropped with the rest of that input; the
// check mark, flipped when the key was pressed, must say so too, whichever way the dialog opened.
TEST_F(MenuTest, ADoubleDroppedDuringADialogLeavesTheCheckMarkWithTheSwitch) {
    MenuItem* dbl = ItemAddress(menu.menuStrip, cPokerMenu::DoubleItem);
    cPokerGadgets panel(w, game.get());
    const std::pair<cIDCMP*, std::function<void()>> openers[] = {{&panel, [this] { host::ClickGadget(w, 102); }},
                                                                 {&menu, [this] { host::PickMenu(w, 1, 1); }}};
    for (const auto& [receiver, open] : openers) {
        host::SetSteps({open, [this] {
                            host::Click(w->LeftEdge + 300, w->TopEdge + 200);  // the main window takes the keys
                            host::MenuKey('d');
                            host::ClickGadget(host::FindWindow("Bet Preferences"), "Cancel");
                        }});
        EXPECT_EQ(Offer(w, *receiver), 2);
        EXPECT_EQ(std::pair(game->doubleUp, (dbl->Flags & CHECKED) != 0), std::pair(0, false));
        host::SetSteps({[] { host::MenuKey('d'); }});
        EXPECT_EQ(Offer(w, menu), 2);
        EXPECT_EQ(std::pair(game->doubleUp, (dbl->Flags & CHECKED) != 0), std::pair(1, true)) << "the next Double";
        host::SetSteps({[] { host::MenuKey('d'); }});
        Offer(w, menu);
    }
}

TEST_F(MenuTest, QuitAsksFirst) {
    host::SetSteps({[this] { host::PickMenu(w, 0, 5); host::Key('x'); },
                    [] { host::ClickGadget(host::FindWindow("Quit Poker"), "Cancel"); }});
    EXPECT_EQ(Offer(w, menu), 2) << "Cancel: replied once and flushed";
    EXPECT_TRUE(PortEmpty(w));
    host::SetSteps({[] { host::MenuKey('q'); }, [] { host::ClickGadget(host::FindWindow("Quit Poker"), "Quit"); }});
    EXPECT_EQ(Offer(w, menu), -1) << "Quit: the loop replies it";
    EXPECT_EQ(host::DoubleReplies(), 0);
}

// A right press and release on the title bar away from every title is a pick of nothing.
TEST_F(MenuTest, NothingChosenIsAnsweredOneAndOtherMessagesAreNotTheMenus) {
    host::SetSteps({[] { host::RightPress(600, 4); host::RightRelease(600, 4); }});
    EXPECT_EQ(Offer(w, menu), 1);
    EXPECT_EQ(game->Money(), 0);
    host::SetSteps({[] { host::Key('n'); }});
    EXPECT_EQ(Offer(w, menu), 0);
}

TEST_F(MenuTest, InputMadeWhileADialogWasUpIsDropped) {
    game->MenuNew();
    const int deckBefore = game->deck.count;
    host::SetSteps({
        [this] { host::PickMenu(w, 1, 0); },  // Hand Evaluation
        [this] {
            ASSERT_NE(host::FindWindow("Hand Evaluation Preferences"), nullptr);
            host::Click(w->LeftEdge + 20 + 35, w->TopEdge + 50 + 48);  // on the deck
            host::MenuKey('n');                                       // New, made meanwhile
            host::ClickGadget(host::FindWindow("Hand Evaluation Preferences"), "Cancel");
        },
    });
    EXPECT_EQ(Offer(w, menu), 2);
    EXPECT_TRUE(PortEmpty(w));
    EXPECT_EQ(game->deck.count, deckBefore);
    EXPECT_EQ(game->Money(), 40);
}

TEST_F(MenuTest, ContinueOldSetsTheCheckMarkToTheLoadedGame) {
    const fs::path dir = fs::temp_directory_path() / ("poker-menu-old-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "deposit").string();
    cSaveFile file;
    file.path = path.c_str();
    std::tie(file.money, file.changes, file.jokers, file.doubleUp, file.jokerPref, file.fiveKindPref) =
        std::tuple(123, 2, 5, 1, 512, 0);
    ASSERT_EQ(file.Save(), 0);
    game->fileReq.drawer = (dir.string() + "/").c_str();
    host::SetSteps({[this] { host::PickMenu(w, 0, 1); }, [] { host::Type("deposit\r"); }});
    EXPECT_EQ(Offer(w, menu), 2);
    EXPECT_EQ(std::tuple(game->Money(), game->doubleUp, game->jokers, game->hand.flags & 0x300u),
              std::tuple(123, 1, 5, 0x200u));
    EXPECT_TRUE(ItemAddress(menu.menuStrip, cPokerMenu::DoubleItem)->Flags & CHECKED);
    EXPECT_FALSE(fs::exists(path));
    fs::remove_all(dir);
}

// Each opens its window, chosen with the mouse and with its command key, shows what it should
// (a text or a button) and goes away with Escape. The file requesters list the saved games but
// never the icons.
TEST_F(MenuTest, EachItemOpensWhatItShould) {
    struct Case { int menu, item; char key; const char* window; std::vector<std::string> shows; };
    const fs::path drawer = fs::temp_directory_path() / ("poker-menu-items-" + std::to_string(getpid()));
    fs::create_directories(drawer);
    support::WriteFile(drawer / "kept", "");
    support::WriteFile(drawer / "poker.info", "");
    game->fileReq.drawer = (drawer.string() + "/").c_str();
    game->SetMoney(17);
    const Case cases[] = {
        {0, 1, 'o', "Select Map File to Load From", {"Open", "Cancel", "kept"}},
        {0, 2, 's', "Select Map File to Save As", {"Save", "Cancel", "kept"}},
        {0, 4, '?', "About Tarnwell Poker", {"Tarnwell Poker V1.11 (OS4)"}},
        {1, 0, 'e', "Hand Evaluation Preferences", {"5 jokers are lousy hand"}},
        {1, 1, 'b', "Bet Preferences", {"Bet:"}},
        {2, 1, 0, "About Tarnwell Poker", {"Tarnwell Poker V1.11 (OS4)"}},
    };
    for (const auto& c : cases) {
        for (bool byKey : {false, true}) {
            if (byKey && !c.key) continue;
            const std::string what = std::string(c.window) + (byKey ? " by key" : " by mouse");
            bool opened = false, icon = true;
            std::vector<std::string> missing;
            host::SetSteps({[&] { byKey ? host::MenuKey(c.key) : host::PickMenu(w, c.menu, c.item); },
                            [&] {
                                Window* d = host::FindWindow(c.window);
                                opened = d != nullptr && host::ActiveWindow() == d;
                                for (const auto& t : c.shows)
                                    if (d && !support::ShowsExactly(d, t) && !host::FindGadget(d, t)) missing.push_back(t);
                                icon = d && host::ShowsText(d, ".info");
                                host::Key(27);
                            }});
            EXPECT_EQ(Offer(w, menu), 2) << what;
            EXPECT_TRUE(opened) << what;
            EXPECT_EQ(missing, std::vector<std::string>{}) << what;
            EXPECT_FALSE(icon) << what;
            EXPECT_EQ(game->Money(), 17) << what;
            EXPECT_EQ(host::FindWindow(c.window), nullptr) << what;
        }
    }
    fs::remove_all(drawer);
}

// A stand-in viewer in a SYS: of our own says what it was given, then waits until the test
// lets it go: the menu must not wait for it.
TEST_F(MenuTest, InstructionsStartTheViewerAndTheGameGoesOn) {
    const fs::path sys = fs::temp_directory_path() / ("poker-sys-" + std::to_string(::getpid()));
    const fs::path started = sys / "started", hold = sys / "hold", viewer = sys / "Utilities/MultiView";
    fs::remove_all(sys);
    fs::create_directories(sys / "Utilities");
    // Written under another name and renamed: the test never reads the file half written.
    std::ofstream(viewer) << "#!/bin/sh\necho \"$@\" > '" << started.string() << ".part' && mv '"
                          << started.string() << ".part' '" << started.string() << "'\n"
                          << "while [ -e '" << hold.string() << "' ]; do sleep 0.05; done\n";
    fs::permissions(viewer, fs::perms::owner_all);
    std::ofstream(hold) << "";
    const support::EnvGuard sysGuard("WB_SYS", sys.string());
    host::SetSteps({[] { host::MenuKey('h'); }});
    EXPECT_EQ(Offer(w, menu), 2) << "the menu came back while the viewer still runs";
    for (int i = 0; i < 400 && !fs::exists(started); ++i) usleep(25000);
    std::string args;
    std::getline(std::ifstream(started), args);
    EXPECT_EQ(args, "poker.guide");
    fs::remove(hold);
    fs::remove_all(sys);
}
