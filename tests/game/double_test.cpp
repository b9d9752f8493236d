// The double-up game: verdicts, keys, taking and forfeiting the pot, doubling, the cards drawn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "game/card.h"
#include "game/double.h"
#include "game/game.h"
#include "host/host.h"
#include "support/gametable.h"

namespace {

// Screenshots for the documentation, when asked for.
void Shot(const char* name) {
    if (const char* dir = std::getenv("POKER_DOCS_DIR")) host::SavePNG(std::string(dir) + "/" + name);
}

const TagItem* DialogTags(Window* parent) {
    static TagItem tags[8];
    TagItem t[] = {
        {WA_Title, reinterpret_cast<uintptr_t>("Double")},
        {WA_Left, static_cast<uintptr_t>(parent->LeftEdge + 200)},
        {WA_Top, static_cast<uintptr_t>(parent->TopEdge + 40)},
        {WA_Width, 200},
        {WA_Height, 190},
        {WA_CustomScreen, reinterpret_cast<uintptr_t>(parent->WScreen)},
        {WA_IDCMP, 0x0020024C},
        {TAG_DONE, 0},
    };
    std::copy(std::begin(t), std::end(t), tags);
    return tags;
}

// The dialog's receiver on a window of its own, with a chosen card face down.
struct Board {
    Window* window = nullptr;
    cDoubleGadgets gadgets;

    Board(GameTable& table, cGamePoker* game, long pot) {
        window = OpenWindowTagList(nullptr, DialogTags(table.window));
        gadgets.Begin(window);
        gadgets.AddButtons(cDoubleGadgets::DoubleButtons);
        gadgets.Attach();
        gadgets.game = game;
        gadgets.pot = pot;
    }
    ~Board() {
        CloseWindow(window);
    }
    void Show(int number) {
        cCard value;
        value.Set(number);
        delete gadgets.card;
        gadgets.card = new cIMGCard(window, gadgets.game->cardSheet, cPoint(65, 30), value);
        gadgets.card->turned = 1;
        gadgets.card->UpdatePicture();
        gadgets.card->Show();
    }
    int Send(ULONG cls, UWORD code, int gadgetId = 0) {
        Gadget gadget{};
        gadget.GadgetID = static_cast<UWORD>(gadgetId);
        IntuiMessage msg{};
        msg.Class = cls;
        msg.Code = code;
        msg.IAddress = gadgetId ? &gadget : nullptr;
        msg.IDCMPWindow = window;
        return gadgets.IDCMP(&msg);
    }
};

// A step that notes the verdict requester's title and text, then dismisses it.
std::function<void()> Verdict(std::string* title, std::string* text) {
    return [title, text] {
        Window* w = host::ActiveWindow();
        ASSERT_NE(w, nullptr);
        *title = w->Title ? w->Title : "";
        for (const auto& t : host::Texts(w))
            if (t.text.rfind("Win Pot", 0) == 0) *text = t.text;
        host::Key(13);
    };
}

class DoubleTest : public ::testing::Test {
protected:
    GameTable table;
};

TEST_F(DoubleTest, GuessesFollowTheVerdictTable) {
    enum { Lose = -1, Win = 1 };
    struct Case {
        int card;
        const char* what;
        int small, big;
    };
    const Case cases[] = {
        {52, "first joker", Win, Win},  {59, "last joker", Win, Win},   {6, "seven", Lose, Lose},
        {45, "seven", Lose, Lose},      {0, "ace", Win, Lose},          {18, "six", Win, Lose},
        {7, "eight", Lose, Win},        {51, "king", Lose, Win},        {27, "two", Win, Lose},
    };
    auto game = table.MakeGame(0, 8, 1, 0);
    for (const Case& c : cases) {
        for (bool big : {false, true}) {
            Board board(table, game.get(), 10);
            board.Show(c.card);
            std::string title, text;
            host::SetSteps({Verdict(&title, &text)});
            const int r = big ? board.gadgets.GadgetBig() : board.gadgets.GadgetSmall();
            const int expected = big ? c.big : c.small;
            EXPECT_EQ(r, expected) << c.what << (big ? " big" : " small");
            EXPECT_EQ(title, big ? "Double Big" : "Double Small");
            EXPECT_EQ(text, expected == Win ? "Win Pot Doubled! Pot=20" : "Win Pot lost!") << c.what;
            EXPECT_EQ(board.gadgets.pot, expected == Win ? 20 : 10);
            EXPECT_EQ(board.gadgets.card->turned, expected == Win ? 1 : 0) << "a new card face down after a win";
            EXPECT_EQ(game->Money(), 0) << "only taking the pot pays";
        }
    }
}

TEST_F(DoubleTest, KeysActAsTheirButtons) {
    struct Case {
        int code;
        const char* title;  // the guess made, or nullptr for none
        int result;
    };
    const Case cases[] = {
        {'1', "Double Small", 1}, {'2', "Double Small", 1}, {'S', "Double Small", 1}, {'s', "Double Small", 1},
        {'4', "Double Big", 1},   {'5', "Double Big", 1},   {'B', "Double Big", 1},   {'b', "Double Big", 1},
        {'3', nullptr, 0},        {'6', nullptr, 0},        {'x', nullptr, 0},        {' ', nullptr, 0},
        {200, nullptr, 0},
    };
    auto game = table.MakeGame(0, 3, 1, 0);
    for (const Case& c : cases) {
        Board board(table, game.get(), 10);
        board.Show(52);  // a joker: every guess wins
        std::string title, text;
        if (c.title) host::SetSteps({Verdict(&title, &text)});
        EXPECT_EQ(board.Send(IDCMP_VANILLAKEY, static_cast<UWORD>(c.code)), c.result) << c.code;
        EXPECT_EQ(title, c.title ? c.title : "") << c.code;
        EXPECT_EQ(host::StepsLeft(), 0u);
        host::SetSteps({});
    }
}

TEST_F(DoubleTest, MessagesThatEndOrPassTheDialog) {
    struct Case {
        const char* what;
        ULONG cls;
        UWORD code;
        int gadget;
        int result;
        int paid;
    };
    const Case cases[] = {
        {"Don't Double", IDCMP_GADGETUP, 0, 103, -1, 10},
        {"close gadget", IDCMP_CLOSEWINDOW, 0, 0, -1, 10},
        {"Return", IDCMP_VANILLAKEY, 13, 0, -1, 10},
        {"line feed", IDCMP_VANILLAKEY, 10, 0, -1, 10},
        {"Escape", IDCMP_VANILLAKEY, 27, 0, -1, 0},
        {"unknown gadget", IDCMP_GADGETUP, 0, 999, 1, 0},
        {"mouse button", IDCMP_MOUSEBUTTONS, SELECTDOWN, 0, 0, 0},
        {"refresh", IDCMP_REFRESHWINDOW, 0, 0, 1, 0},
    };
    for (const Case& c : cases) {
        auto game = table.MakeGame(0, 3, 1, 0);
        Board board(table, game.get(), 10);
        board.Show(6);
        EXPECT_EQ(board.Send(c.cls, c.code, c.gadget), c.result) << c.what;
        EXPECT_EQ(game->Money(), c.paid) << c.what;
    }
}

TEST_F(DoubleTest, ThePotIsTakenOrForfeitedThroughTheDialog) {
    struct Case {
        const char* what;
        std::function<void(Window*)> act;
        int paid;
    };
    const Case cases[] = {
        {"Don't Double", [](Window* d) { host::ClickGadget(d, 103); }, 30},
        {"Return", [](Window*) { host::Key(13); }, 30},
        {"line feed", [](Window*) { host::Key(10); }, 30},
        {"close gadget", [](Window* d) { host::ClickClose(d); }, 30},
        {"Escape", [](Window*) { host::Key(27); }, 0},
    };
    for (const Case& c : cases) {
        auto game = table.MakeGame(0, 3, 1, 1);
        game->SetMoney(5);
        bool opened = false;
        host::SetSteps({[&] {
            Window* d = host::FindWindow("Double");
            ASSERT_NE(d, nullptr);
            opened = true;
            for (const auto& w : host::Windows()) {
                if (w.window != d) continue;
                EXPECT_EQ(w.left, table.window->LeftEdge + 200);
                EXPECT_EQ(w.top, table.window->TopEdge + 40);
                EXPECT_EQ(w.width, 200);
                EXPECT_EQ(w.height, table.screen->WBorTop + table.screen->Font->ta_YSize + 171);
            }
            EXPECT_TRUE(host::ShowsText(d, "Small or Big Card?"));
            ASSERT_NE(host::FindGadget(d, "Don\xB4t Double"), nullptr);
            c.act(d);
        }});
        TDoubleDialog dialog(table.window, game.get(), 30);
        dialog.Execute();
        EXPECT_TRUE(opened);
        EXPECT_EQ(game->Money(), 5 + c.paid) << c.what;
        EXPECT_EQ(host::FindWindow("Double"), nullptr);
    }
}

TEST_F(DoubleTest, ThreeRightGuessesShowTwoFourAndEightTimesTheWin) {
    auto game = table.MakeGame(0, 8, 1, 1);
    // A seed whose first three cards are no sevens, so that each can be guessed right.
    unsigned seed = 1;
    std::vector<int> cards;
    for (;; ++seed) {
        std::srand(seed);
        cards.clear();
        for (int i = 0; i < 3; ++i) cards.push_back(std::rand() % 60);
        bool sevens = false;
        for (int n : cards) sevens |= n < 52 && n % 13 == 6;
        if (!sevens) break;
    }
    std::vector<std::string> shown(3);
    std::vector<std::function<void()>> steps;
    std::string title;
    for (int i = 0; i < 3; ++i) {
        const int n = cards[i];
        const bool big = n < 52 && n % 13 > 6;
        steps.push_back([big] { host::ClickGadget(host::FindWindow("Double"), big ? 106 : 105); });
        steps.push_back(Verdict(&title, &shown[i]));
    }
    steps.push_back([] { host::ClickGadget(host::FindWindow("Double"), 103); });
    host::SetSteps(steps);
    std::srand(seed);
    TDoubleDialog dialog(table.window, game.get(), 40);
    dialog.Execute();
    EXPECT_EQ(shown, (std::vector<std::string>{"Win Pot Doubled! Pot=80", "Win Pot Doubled! Pot=160",
                                               "Win Pot Doubled! Pot=320"}));
    EXPECT_EQ(game->Money(), 320);
}

TEST_F(DoubleTest, AWrongGuessLosesThePotAndEndsTheDialog) {
    auto game = table.MakeGame(0, 0, 1, 1);
    std::srand(3);
    const int n = std::rand() % 52;
    const bool big = n % 13 < 6;  // the wrong guess for this card (a seven loses both ways)
    std::string title, text;
    host::SetSteps({[big] { host::ClickGadget(host::FindWindow("Double"), big ? 106 : 105); },
                    Verdict(&title, &text)});
    std::srand(3);
    TDoubleDialog dialog(table.window, game.get(), 40);
    dialog.Execute();
    EXPECT_EQ(text, "Win Pot lost!");
    EXPECT_EQ(game->Money(), 0);
    EXPECT_EQ(host::FindWindow("Double"), nullptr);
}

TEST_F(DoubleTest, DrawsOnlyTheCardsInPlay) {
    for (int jokers : {0, 8}) {
        auto game = table.MakeGame(0, jokers, 1, 1);
        Board board(table, game.get(), 10);
        std::srand(5);
        int seen = 0;
        for (int i = 0; i < 3000; ++i) {
            board.gadgets.DealCard();
            const int n = CardNumber(board.gadgets.card);
            ASSERT_GE(n, 0);
            ASSERT_LT(n, 52 + jokers);
            EXPECT_EQ(board.gadgets.card->turned, 1);
            EXPECT_NE(board.gadgets.card->visible, 0);
            seen += board.gadgets.card->suit == JOKER_SUIT;
        }
        if (jokers == 0) {
            EXPECT_EQ(seen, 0);
        } else {
            EXPECT_GT(seen, 0);
        }
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

TEST_F(DoubleTest, WithoutItsWindowTheWinIsBankedNotLost) {
    auto game = table.MakeGame(0, 3, 1, 1);
    host::FailOnce("OpenWindowTagList");
    TDoubleDialog dialog(table.window, game.get(), 30);
    dialog.Execute();
    EXPECT_EQ(game->Money(), 30);
}

TEST_F(DoubleTest, AWinWithDoubleUpOnGoesToTheDialogNotTheMoney) {
    auto game = table.MakeGame(0, 3, 1, 1);
    game->MenuNew();
    StackDeck(*game, {0, 13, 1, 14, 5});  // two pairs: 5
    game->GadgetFinish();
    host::SetSteps({[] { host::Key(13); },  // "Your Hand:"
                    [] {
                        EXPECT_NE(host::FindWindow("Double"), nullptr);
                        Shot("double-up.png");
                        host::Key(27);  // forfeit
                    }});
    game->GadgetFinish();
    EXPECT_EQ(host::StepsLeft(), 0u);
    EXPECT_EQ(game->Money(), 36);
    EXPECT_EQ(game->phase, -1);
}

}  // namespace
