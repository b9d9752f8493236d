// The double-up game: verdicts, keys, taking and forfeiting the pot, doubling, the cards drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "game/card.h"
#include "game/double.h"
#include "game/game.h"
#include "host/host.h"
#include "support/gametable.h"
#include "support/screen.h"

namespace {

// The dialog's window and receiver as the game sets them up, with a card of the test's choice
// face down in the dealt card's place.
struct Board {
    Window* window = nullptr;
    cDoubleGadgets gadgets;

    Board(GameTable& table, cGamePoker* game, long pot) {
        window = TDoubleDialog(table.window, game, pot).Open();
        gadgets.SetUp(window, game, pot);
    }
    ~Board() { CloseWindow(window); }
    void Show(int number) {
        gadgets.card->Set(number);
        gadgets.card->UpdatePicture();
        gadgets.card->Show();
    }
    int Send(ULONG cls, int code, int gadgetId = 0) {
        Gadget gadget{};
        gadget.GadgetID = static_cast<UWORD>(gadgetId);
        IntuiMessage msg{};
        std::tie(msg.Class, msg.Code, msg.IAddress, msg.IDCMPWindow) =
            std::tuple(cls, static_cast<UWORD>(code), gadgetId ? &gadget : nullptr, window);
        return gadgets.IDCMP(&msg);
    }
};

// A step that notes the verdict requester's title, text and place, then dismisses it.
std::function<void()> Verdict(std::string* title, std::string* text, std::pair<int, int>* at = nullptr) {
    return [title, text, at] {
        Window* w = host::ActiveWindow();
        ASSERT_NE(w, nullptr);
        *title = w->Title ? w->Title : "";
        if (at) *at = {w->LeftEdge, w->TopEdge};
        for (const auto& t : host::Texts(w))
            if (t.text.rfind("Win Pot", 0) == 0) *text = t.text;
        host::Key(13);
    };
}

struct DoubleTest : ::testing::Test { GameTable table; };

TEST_F(DoubleTest, GuessesFollowTheVerdictTable) {
    enum { Lose = -1, Win = 1 };
    struct Case { int card; const char* what; int small, big; };
    const Case cases[] = {
        {52, "first joker", Win, Win}, {59, "last joker", Win, Win}, {6, "seven", Lose, Lose}, {45, "seven", Lose, Lose},
        {0, "ace", Win, Lose},         {18, "six", Win, Lose},       {7, "eight", Lose, Win},   {51, "king", Lose, Win},
    };
    auto game = table.MakeGame(0, 8, 1, 0);
    for (const Case& c : cases) {
        for (bool big : {false, true}) {
            Board board(table, game.get(), 10);
            board.Show(c.card);
            std::string title, text;
            std::pair<int, int> at;
            host::SetSteps({Verdict(&title, &text, &at)});
            const int r = big ? board.gadgets.GadgetBig() : board.gadgets.GadgetSmall();
            const int expected = big ? c.big : c.small;
            EXPECT_EQ(r, expected) << c.what << (big ? " big" : " small");
            EXPECT_EQ(title, big ? "Double Big" : "Double Small");
            EXPECT_EQ(at, std::pair(board.window->LeftEdge - 5, board.window->TopEdge + board.window->Height - 70));
            EXPECT_EQ(text, expected == Win ? "Win Pot Doubled! Pot=20" : "Win Pot lost!") << c.what;
            EXPECT_EQ(board.gadgets.pot, expected == Win ? 20 : 10);
            EXPECT_EQ(board.gadgets.card->turned, expected == Win ? 1 : 0) << "a new card face down after a win";
            EXPECT_EQ(game->Money(), 0) << "only taking the pot pays";
        }
    }
}

TEST_F(DoubleTest, KeysActAsTheirButtonsAndOtherMessagesPass) {
    struct Case { ULONG cls; int code, gadget; const char* title; int result; };  // title: the guess made
    const ULONG K = IDCMP_VANILLAKEY;
    std::vector<Case> cases = {{IDCMP_GADGETUP, 0, 999, nullptr, 1}, {IDCMP_MOUSEBUTTONS, SELECTDOWN, 0, nullptr, 0},
                               {IDCMP_REFRESHWINDOW, 0, 0, nullptr, 1}};
    for (int key : {'1', '2', 'S', 's'}) cases.push_back({K, key, 0, "Double Small", 1});
    for (int key : {'4', '5', 'B', 'b'}) cases.push_back({K, key, 0, "Double Big", 1});
    for (int key : {int{'3'}, int{'6'}, int{'x'}, int{' '}, 200}) cases.push_back({K, key, 0, nullptr, 0});
    auto game = table.MakeGame(0, 3, 1, 0);
    for (const Case& c : cases) {
        Board board(table, game.get(), 10);
        board.Show(52);  // a joker: every guess wins
        std::string title, text;
        if (c.title) host::SetSteps({Verdict(&title, &text)});
        EXPECT_EQ(board.Send(c.cls, c.code, c.gadget), c.result) << c.cls << " " << c.code;
        EXPECT_EQ(title, c.title ? c.title : "") << c.code;
        EXPECT_EQ(host::StepsLeft(), 0u);
        EXPECT_EQ(game->Money(), 0) << c.code;
        host::SetSteps({});
    }
}

TEST_F(DoubleTest, ThePotIsTakenAtOnceOrForfeitedThroughTheDialog) {
    struct Case { const char* what; std::function<void(Window*)> act; int paid; };
    const Case cases[] = {{"Don't Double", [](Window* d) { host::ClickGadget(d, 103); }, 30},
                          {"Return", [](Window*) { host::Key(13); }, 30}, {"line feed", [](Window*) { host::Key(10); }, 30},
                          {"close gadget", [](Window* d) { host::ClickClose(d); }, 30},
                          {"Escape", [](Window*) { host::Key(27); }, 0}, {"no window to open", nullptr, 30}};
    for (const Case& c : cases) {
        auto game = table.MakeGame(0, 3, 1, 1);
        game->SetMoney(5);
        bool opened = false;
        if (!c.act) host::FailOnce("OpenWindowTagList");  // the win is banked, not lost
        if (c.act) host::SetSteps({[&] {
            Window* d = host::FindWindow("Double");
            ASSERT_NE(d, nullptr);
            opened = true;
            std::tuple<int, int, int, int> placed;
            for (const auto& w : host::Windows())
                if (w.window == d) placed = {w.left, w.top, w.width, w.height};
            EXPECT_EQ(placed, std::tuple(table.window->LeftEdge + 200, table.window->TopEdge + 40, 200,
                                         table.screen->WBorTop + table.screen->Font->ta_YSize + 171));
            EXPECT_TRUE(host::ShowsText(d, "Small or Big Card?"));
            ASSERT_NE(host::FindGadget(d, "Don\xB4t Double"), nullptr);
            c.act(d);
        }});
        TDoubleDialog(table.window, game.get(), 30).Execute();
        EXPECT_EQ(opened, c.act != nullptr) << c.what;
        EXPECT_EQ(game->Money(), 5 + c.paid) << c.what;
        EXPECT_EQ(host::FindWindow("Double"), nullptr);
    }
}

// Messages queued behind the one that ended the game (a lost guess, a taken pot, Escape)
// must neither pay, guess nor deal again.
TEST_F(DoubleTest, OnceEndedLaterMessagesLeaveTheMoneyAlone) {
    struct Msg { ULONG cls; int code, gadget; };
    const Msg lose = {IDCMP_GADGETUP, 0, 105}, take = {IDCMP_GADGETUP, 0, 103}, escape = {IDCMP_VANILLAKEY, 27, 0};
    const Msg later[] = {{IDCMP_CLOSEWINDOW, 0, 0}, {IDCMP_VANILLAKEY, 13, 0}, {IDCMP_VANILLAKEY, 'b', 0},
                         {IDCMP_VANILLAKEY, 's', 0}, take};
    for (const auto& [first, paid] : {std::pair{lose, 0}, {take, 10}, {escape, 0}}) {
        for (const Msg& next : later) {
            auto game = table.MakeGame(0, 3, 1, 1);
            Board board(table, game.get(), 10);
            board.Show(6);  // a seven: a guess loses
            std::string title, text;
            host::SetSteps({Verdict(&title, &text)});
            EXPECT_EQ(board.Send(first.cls, first.code, first.gadget), -1);
            host::SetSteps({});  // a second verdict would stall here
            EXPECT_EQ(board.Send(next.cls, next.code, next.gadget), -1)
                << first.gadget << "/" << first.code << " then " << next.cls << "/" << next.code;
            EXPECT_EQ(game->Money(), paid) << first.gadget << " then " << next.cls << "/" << next.code;
            EXPECT_EQ(board.gadgets.card->turned, first.gadget == 105 ? 0 : 1) << "no new card";
        }
    }
}

TEST_F(DoubleTest, ThreeRightGuessesShowTwoFourAndEightTimesTheWin) {
    auto game = table.MakeGame(0, 8, 1, 1);
    // A seed whose first three cards are no sevens, so that each can be guessed right.
    unsigned seed = 0;
    std::vector<int> cards;
    do {
        std::srand(++seed);
        cards = {std::rand() % 60, std::rand() % 60, std::rand() % 60};
    } while (std::any_of(cards.begin(), cards.end(), [](int n) { return n < 52 && n % 13 == 6; }));  // sevens
    std::vector<std::string> shown(3);
    std::vector<std::function<void()>> steps;
    std::string title;
    for (int i = 0; i < 3; ++i) {
        const bool big = cards[i] < 52 && cards[i] % 13 > 6;
        steps.push_back([big] { host::ClickGadget(host::FindWindow("Double"), big ? 106 : 105); });
        steps.push_back(Verdict(&title, &shown[i]));
    }
    steps.push_back([] { host::ClickGadget(host::FindWindow("Double"), 103); });
    host::SetSteps(steps);
    std::srand(seed);
    TDoubleDialog(table.window, game.get(), 40).Execute();
    EXPECT_EQ(shown, (std::vector<std::string>{"Win Pot Doubled! Pot=80", "Win Pot Doubled! Pot=160",
                                               "Win Pot Doubled! Pot=320"}));
    EXPECT_EQ(game->Money(), 320);
}

TEST_F(DoubleTest, DrawsOnlyTheCardsInPlay) {
    for (int jokers : {0, 8}) {
        auto game = table.MakeGame(0, jokers, 1, 1);
        Board board(table, game.get(), 10);
        Window* d = board.window;
        EXPECT_TRUE(ShowsBlock(d, d->BorderLeft + 65, d->BorderTop + 30, table.sheet, CARD_BACK_X, CARD_BACK_Y))
            << "the card dealt face down in its place";
        std::srand(5);
        int seen = 0;
        for (int i = 0; i < 3000; ++i) {
            board.gadgets.DealCard();
            const int n = CardNumber(board.gadgets.card);
            ASSERT_TRUE(n >= 0 && n < 52 + jokers) << n;
            EXPECT_TRUE(board.gadgets.card->turned == 1 && board.gadgets.card->visible != 0);
            seen += board.gadgets.card->suit == JOKER_SUIT;
        }
        EXPECT_EQ(seen > 0, jokers > 0) << jokers;
    }
}

TEST_F(DoubleTest, APotNeverWraps) {
    auto game = table.MakeGame(0, 3, 1, 1);
    Board board(table, game.get(), MaxMoney / 2 + 1);
    board.Show(53);
    std::string title, text;
    host::SetSteps({Verdict(&title, &text)});
    EXPECT_EQ(board.gadgets.GadgetBig(), 1);
    EXPECT_EQ(text, "Win Pot Doubled! Pot=2147483647");
    game->SetMoney(MaxMoney - 5);
    EXPECT_EQ(board.gadgets.TakePot(), -1);
    EXPECT_EQ(game->Money(), MaxMoney);
}

TEST_F(DoubleTest, AWinWithDoubleUpOnGoesToTheDialogNotTheMoney) {
    auto game = table.MakeGame(0, 3, 1, 1);
    game->MenuNew();
    StackDeck(*game, {0, 13, 1, 14, 5});  // two pairs: 5
    game->GadgetFinish();
    host::SetSteps({[] { host::Key(13); },  // "Your Hand:"
                    [] {
                        EXPECT_NE(host::FindWindow("Double"), nullptr);
                        support::Screenshot("double-up");
                        host::Key(27);  // forfeit
                    }});
    game->GadgetFinish();
    EXPECT_EQ(host::StepsLeft(), 0u);
    EXPECT_EQ(game->Money(), 36);
    EXPECT_EQ(game->phase, -1);
}

}  // namespace
