// The main window's event loop and its menu strip, driven through the virtual display.
#include <gtest/gtest.h>

#include <gadtools.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/poker.h"
#include "app/pokermenu.h"
#include "game/game.h"
#include "game/savefile.h"
#include "host/host.h"
#include "support/gametable.h"

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

// A receiver that writes down what it was offered and answers as told.
class Recorder : public cIDCMP {
public:
    Recorder(std::vector<std::string>& log, std::string name, std::function<int(const IntuiMessage*)> answer = {})
        : log_(log), name_(std::move(name)), answer_(std::move(answer)) {}
    bool Active() const override { return false; }
    int IDCMP(const IntuiMessage* msg) override {
        log_.push_back(name_ + ":" + std::to_string(msg->Class) + ":" + std::to_string(msg->Code));
        return answer_ ? answer_(msg) : 0;
    }

private:
    std::vector<std::string>& log_;
    std::string name_;
    std::function<int(const IntuiMessage*)> answer_;
};

}  // namespace

// ---- the event loop -----------------------------------------------------------------

TEST(EventLoop, OffersMenuThenPanelThenCardsAndEndsAfterTheQueue) {
    GameTable table;
    auto game = table.MakeGame();
    std::vector<std::string> log;
    Recorder menu(log, "menu");
    Recorder panel(log, "panel", [](const IntuiMessage* m) {
        return m->Class == IDCMP_VANILLAKEY && m->Code == 'q' ? -1 : 0;
    });
    host::SetSteps({[] {
        host::Key('a');  // nobody takes it
        host::Key('q');  // ends the loop ...
        host::Key('b');  // ... but what queued behind it is still handed on
    }});
    EventLoop(table.window, menu, panel, game->cards);
    const std::string key = std::to_string(IDCMP_VANILLAKEY);
    EXPECT_EQ(log, (std::vector<std::string>{"menu:" + key + ":97", "panel:" + key + ":97", "menu:" + key + ":113",
                                             "panel:" + key + ":113", "menu:" + key + ":98",
                                             "panel:" + key + ":98"}));
    EXPECT_EQ(host::DoubleReplies(), 0);
}

TEST(EventLoop, AMessageAnsweredTwoIsNotRepliedAgain) {
    GameTable table;
    auto game = table.MakeGame();
    std::vector<std::string> log;
    Recorder menu(log, "menu", [](const IntuiMessage* m) {
        if (m->Class != IDCMP_VANILLAKEY) return 0;
        ReplyMsg(&const_cast<IntuiMessage*>(m)->ExecMessage);
        return m->Code == 'q' ? -1 : 2;
    });
    Recorder panel(log, "panel");
    host::SetSteps({[] { host::Key('x'); }, [] { host::Key('q'); }});
    EventLoop(table.window, menu, panel, game->cards);
    // 'q' was replied by the menu and answered -1: the loop replies it a second time; the
    // 'x' answered 2 must not be.
    EXPECT_EQ(host::DoubleReplies(), 1);
    EXPECT_EQ(log.size(), 2u) << "a consumed message goes no further";
}

TEST(EventLoop, ACardClickReachesTheCardsWhenNoReceiverTakesIt) {
    GameTable table;
    auto game = table.MakeGame();
    game->MenuNew();
    game->GadgetFinish();  // deal: five cards face up in the hand
    std::vector<std::string> log;
    Recorder menu(log, "menu");
    Recorder panel(log, "panel", [](const IntuiMessage* m) {
        return m->Class == IDCMP_VANILLAKEY ? -1 : 0;
    });
    Window* w = table.window;
    host::SetSteps({[w] {
        host::Click(w->LeftEdge + 100 + 35, w->TopEdge + 100 + 48);  // hand slot 0
        host::Key('q');
    }});
    EventLoop(w, menu, panel, game->cards);
    EXPECT_EQ(game->hand.items[0]->turned, 1) << "the click turned the card";
    EXPECT_EQ(host::DoubleReplies(), 0);
}

TEST(EventLoop, CloseGadgetAsksAndCancelPlaysOn) {
    GameTable table;
    auto game = table.MakeGame();
    std::vector<std::string> log;
    Recorder menu(log, "menu");
    Recorder panel(log, "panel");
    Window* w = table.window;
    int asked = 0;
    host::SetSteps({
        [w] { host::ClickClose(w); },
        [&] {
            ++asked;
            host::ClickGadget(host::FindWindow("Quit Poker"), "Cancel");
        },
        [w] {
            host::ClickClose(w);
            host::Key('z');  // typed before the answer: still dispatched afterwards
        },
        [&] {
            ++asked;
            host::ClickGadget(host::FindWindow("Quit Poker"), "Quit");
        },
    });
    EventLoop(w, menu, panel, game->cards);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(log.back(), "panel:" + std::to_string(IDCMP_VANILLAKEY) + ":" + std::to_string('z'));
    EXPECT_EQ(host::DoubleReplies(), 0);
}

// ---- the menu strip -------------------------------------------------------------------

TEST(Menu, TheStripHasThreeMenusAndTheDoubleItem) {
    GameTable table;
    auto game = table.MakeGame(0, 3, 1, 1);
    cPokerMenu menu(table.window, game.get());
    ASSERT_NE(menu.menuStrip, nullptr);
    EXPECT_EQ(menu.attached, 1);
    std::vector<std::string> titles;
    for (Menu* m = menu.menuStrip; m; m = m->NextMenu) titles.push_back(m->MenuName);
    EXPECT_EQ(titles, (std::vector<std::string>{"Game", "Preferences", "Help"}));
    MenuItem* dbl = ItemAddress(menu.menuStrip, 0xF841);
    ASSERT_NE(dbl, nullptr);
    EXPECT_STREQ(dbl->Label, "Double");
    EXPECT_TRUE(dbl->Flags & CHECKED) << "double-up on at start: checked";
}

TEST(Menu, AStripThatCannotBeMadeLeavesAWindowWithoutMenus) {
    for (const char* fault : {"GetVisualInfo", "CreateMenus", "LayoutMenus", "SetMenuStrip"}) {
        GameTable table;
        auto game = table.MakeGame(0, 3, 1, 1);
        host::FailOnce(fault);
        {
            cPokerMenu menu(table.window, game.get());
            EXPECT_EQ(menu.attached, 0) << fault;
            EXPECT_EQ(table.window->MenuStrip, nullptr) << fault;
        }
        EXPECT_EQ(game->doubleUp, 1) << fault;
    }
}

TEST(Menu, NewGivesFortyAndFlushes) {
    GameTable table;
    auto game = table.MakeGame();
    cPokerMenu menu(table.window, game.get());
    Window* w = table.window;
    host::SetSteps({[w] {
        host::PickMenu(w, 0, 0);
        host::Key('d');  // queued behind the choice: dropped by the flush
    }});
    EXPECT_EQ(Offer(w, menu), 2);
    EXPECT_EQ(game->Money(), 40);
    EXPECT_TRUE(PortEmpty(w));
    EXPECT_EQ(game->phase, -1);
}

TEST(Menu, DoubleTwiceFlipsTheSwitchWithTheCheckMark) {
    GameTable table;
    auto game = table.MakeGame();
    cPokerMenu menu(table.window, game.get());
    Window* w = table.window;
    MenuItem* dbl = ItemAddress(menu.menuStrip, 0xF841);
    ASSERT_NE(dbl, nullptr);
    for (int expected : {1, 0, 1}) {
        host::SetSteps({[w] { host::PickMenu(w, 1, 2); }});
        EXPECT_EQ(Offer(w, menu), 2);
        EXPECT_EQ(game->doubleUp, expected);
        EXPECT_EQ((dbl->Flags & CHECKED) != 0, expected == 1);
    }
    host::SetSteps({[] { host::MenuKey('d'); }});  // Alt+D does the same
    EXPECT_EQ(Offer(w, menu), 2);
    EXPECT_EQ(game->doubleUp, 0);
    EXPECT_FALSE(dbl->Flags & CHECKED);
}

TEST(Menu, QuitAsksFirst) {
    GameTable table;
    auto game = table.MakeGame();
    cPokerMenu menu(table.window, game.get());
    Window* w = table.window;
    host::SetSteps({
        [w] {
            host::PickMenu(w, 0, 5);
            host::Key('x');
        },
        [] { host::ClickGadget(host::FindWindow("Quit Poker"), "Cancel"); },
    });
    EXPECT_EQ(Offer(w, menu), 2) << "Cancel: replied once and flushed";
    EXPECT_TRUE(PortEmpty(w));
    host::SetSteps({
        [] { host::MenuKey('q'); },
        [] { host::ClickGadget(host::FindWindow("Quit Poker"), "Quit"); },
    });
    EXPECT_EQ(Offer(w, menu), -1) << "Quit: the loop replies it";
    EXPECT_EQ(host::DoubleReplies(), 0);
}

TEST(Menu, NothingChosenIsAnsweredOne) {
    GameTable table;
    auto game = table.MakeGame();
    cPokerMenu menu(table.window, game.get());
    Window* w = table.window;
    // Right button pressed and released on the title bar away from every title.
    host::SetSteps({[] {
        host::RightPress(600, 4);
        host::RightRelease(600, 4);
    }});
    EXPECT_EQ(Offer(w, menu), 1);
    EXPECT_EQ(game->Money(), 0);
}

TEST(Menu, OtherMessagesAreNotTheMenus) {
    GameTable table;
    auto game = table.MakeGame();
    cPokerMenu menu(table.window, game.get());
    host::SetSteps({[] { host::Key('n'); }});
    EXPECT_EQ(Offer(table.window, menu), 0);
}

TEST(Menu, InputMadeWhileADialogWasUpIsDropped) {
    GameTable table;
    auto game = table.MakeGame();
    game->MenuNew();
    cPokerMenu menu(table.window, game.get());
    Window* w = table.window;
    const int deckBefore = game->deck.count;
    host::SetSteps({
        [w] { host::PickMenu(w, 1, 0); },  // Hand Evaluation
        [w] {
            ASSERT_NE(host::FindWindow("Hand Evaluation Preferences"), nullptr);
            host::Click(w->LeftEdge + 20 + 35, w->TopEdge + 50 + 48);  // on the deck
            host::MenuKey('n');                                       // New, made meanwhile
            host::ClickGadget(host::FindWindow("Hand Evaluation Preferences"), "Cancel");
        },
    });
    EXPECT_EQ(Offer(w, menu), 2);
    // The click on the deck and the New went to the main window while the dialog was up.
    EXPECT_TRUE(PortEmpty(w));
    EXPECT_EQ(game->deck.count, deckBefore);
    EXPECT_EQ(game->Money(), 40);
}

TEST(Menu, ContinueOldSetsTheCheckMarkToTheLoadedGame) {
    GameTable table;
    auto game = table.MakeGame();
    cPokerMenu menu(table.window, game.get());
    Window* w = table.window;
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "poker-menu-old";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string path = (dir / "deposit").string();
    cSaveFile file;
    file.path = path.c_str();
    file.money = 123;
    file.changes = 2;
    file.jokers = 5;
    file.doubleUp = 1;
    file.jokerPref = 512;
    file.fiveKindPref = 0;
    ASSERT_EQ(file.Save(), 0);

    host::SetSteps({
        [w] { host::PickMenu(w, 0, 1); },
        [&] {
            Window* req = host::ActiveWindow();
            ASSERT_NE(req, nullptr);
            host::ClickGadget(req, "Drawer");  // replace the drawer, then type the file
            for (int i = 0; i < 40; ++i) host::RawKey(0x4E);
            for (int i = 0; i < 40; ++i) host::Key(8);
            host::Type(dir.string() + "/");
            host::Key(13);
            host::ClickGadget(req, "File");
            host::Type("deposit");
            host::Key(13);
        },
    });
    EXPECT_EQ(Offer(w, menu), 2);
    EXPECT_EQ(game->Money(), 123);
    EXPECT_EQ(game->doubleUp, 1);
    EXPECT_TRUE(ItemAddress(menu.menuStrip, 0xF841)->Flags & CHECKED);
    EXPECT_EQ(game->jokers, 5);
    EXPECT_EQ(game->hand.flags & 0x300u, 0x200u);
    EXPECT_FALSE(fs::exists(path));
    fs::remove_all(dir);
}

TEST(Menu, EachItemOpensWhatItShould) {
    struct Case {
        int menu, item;
        const char* window;  // the window the action opens
        const char* text;    // a text it shows, or nullptr
    };
    const Case cases[] = {
        {0, 1, "Select Map File to Load From", nullptr},
        {0, 2, "Select Map File to Save As", nullptr},
        {0, 4, "About Tarnwell Poker", "Tarnwell Poker V1.11 (OS4)"},
        {1, 0, "Hand Evaluation Preferences", "5 jokers are lousy hand"},
        {1, 1, "Bet Preferences", "Bet:"},
        {2, 1, "About Tarnwell Poker", "Tarnwell Poker V1.11 (OS4)"},
    };
    for (const auto& c : cases) {
        GameTable table;
        auto game = table.MakeGame();
        game->SetMoney(17);
        cPokerMenu menu(table.window, game.get());
        Window* w = table.window;
        bool opened = false, shown = c.text == nullptr;
        host::SetSteps({
            [&] { host::PickMenu(w, c.menu, c.item); },
            [&] {
                Window* d = host::FindWindow(c.window);
                opened = d != nullptr && host::ActiveWindow() == d;
                if (c.text && d) shown = host::ShowsText(d, c.text);
                host::Key(27);  // every one of them goes away with Escape
            },
        });
        EXPECT_EQ(Offer(w, menu), 2) << c.window;
        EXPECT_TRUE(opened) << c.window;
        EXPECT_TRUE(shown) << c.window;
        EXPECT_EQ(game->Money(), 17) << c.window;
        EXPECT_EQ(host::FindWindow(c.window), nullptr) << c.window;
    }
}

TEST(Menu, InstructionsStartTheViewerAndTheGameGoesOn) {
    namespace fs = std::filesystem;
    // A stand-in viewer in a SYS: of our own: it says what it was given and then waits
    // until the test lets it go, so the menu must not wait for it.
    const fs::path sys = fs::temp_directory_path() / ("poker-sys-" + std::to_string(::getpid()));
    fs::remove_all(sys);
    fs::create_directories(sys / "Utilities");
    const fs::path started = sys / "started", hold = sys / "hold";
    {
        std::ofstream viewer(sys / "Utilities/MultiView");
        viewer << "#!/bin/sh\necho \"$@\" > '" << started.string() << "'\n"
               << "while [ -e '" << hold.string() << "' ]; do sleep 0.05; done\n";
    }
    fs::permissions(sys / "Utilities/MultiView", fs::perms::owner_all);
    std::ofstream(hold) << "";
    const char* old = std::getenv("WB_SYS");
    const std::string oldSys = old ? old : "";
    setenv("WB_SYS", sys.c_str(), 1);

    GameTable table;
    auto game = table.MakeGame();
    cPokerMenu menu(table.window, game.get());
    Window* w = table.window;
    host::SetSteps({[w] { host::PickMenu(w, 2, 0); }});
    EXPECT_EQ(Offer(w, menu), 2) << "the menu came back while the viewer still runs";
    for (int i = 0; i < 400 && !fs::exists(started); ++i) usleep(25000);
    std::string args;
    std::getline(std::ifstream(started), args);
    EXPECT_EQ(args, "poker.guide");
    fs::remove(hold);

    if (old) setenv("WB_SYS", oldSys.c_str(), 1);
    else unsetenv("WB_SYS");
    fs::remove_all(sys);
}
