// The game object: the deal/draw cycle, the money and the commands of menus and buttons.
#include "game/game.h"

#include <dos.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "dialogs/betprefs.h"
#include "dialogs/handprfs.h"
#include "game/double.h"
#include "toolkit/globals.h"

namespace {

constexpr int kPileCapacity = 60;

// Seeds the generator once, in the initialiser of the junk pile: after the deck's storage
// exists and before the junk pile is built.
int SeededCapacity(int capacity) {
    std::srand(static_cast<unsigned>(std::clock()));
    return capacity;
}

}  // namespace

cGamePoker::cGamePoker(Window* w, BitMap* sheet, uint32_t handFlags, int32_t jokers_, int32_t changes_,
                       int32_t doubleUp_)
    : window(w),
      cardSheet(sheet),
      deck(kPileCapacity, cPoint(20, 50)),
      junk(SeededCapacity(kPileCapacity), cPoint(500, 50)),
      hand(cPoint(100, 100)),
      jokers(std::clamp<int32_t>(jokers_, 0, 8)),
      changes(std::clamp<int32_t>(changes_, 1, 3)),
      phase(-1),
      doubleUp(doubleUp_ ? 1 : 0),
      cards{},
      moneyLabel(w->BorderLeft + 200, w->BorderTop + 15, 100, 12, 2, 0, w),
      fileReq("", "save/", w),
      handRequester(w, w->LeftEdge + 350, w->TopEdge + 4, 210, 70, "Your Hand:") {
    hand.flags = handFlags & (0x200u | 0x100u);
    moneyLabel.Update(window->RPort);
    CreateCards();
    InitPiles();
}

cGamePoker::~cGamePoker() { DeleteCards(); }

void cGamePoker::CreateCards() {
    for (int n = 0; n < 60; ++n) {
        cCard value;
        value.Set(n);
        cards[n] = new cIMGCard(window, cardSheet, cPoint(0, 0), value);
    }
}

void cGamePoker::DeleteCards() {
    for (auto& card : cards) {
        delete card;
        card = nullptr;
    }
}

void cGamePoker::InitPiles() {
    // A card left on view outside the new composition (a joker no longer in play) would
    // otherwise keep showing; every card is shown again by the pile it goes into.
    for (cIMGCard* card : cards)
        if (card) card->Hide();
    deck.Erase();
    junk.Erase();
    if (hand.items)
        for (int i = 0; i < hand.capacity; ++i) hand.items[i] = nullptr;
    const int last = std::min(51 + std::clamp<int32_t>(jokers, 0, 8), 59);
    for (int n = 0; n <= last; ++n) deck.Insert(cards[n]);
}

void cGamePoker::SetMoney(int32_t money) {
    moneyLabel.value = money;
    moneyLabel.Update(window->RPort);
}

void cGamePoker::Credit(int32_t amount) {
    const int64_t sum = static_cast<int64_t>(Money()) + std::max<int32_t>(amount, 0);
    SetMoney(static_cast<int32_t>(std::min<int64_t>(sum, MaxMoney)));
}

void cGamePoker::GatherCards() {
    deck.Insert(junk);
    hand.TurnAll();
    deck.Insert(hand);
    phase = -1;
}

void cGamePoker::GadgetFinish() {
    if (phase == -1) {
        const int64_t left = static_cast<int64_t>(Money()) - jokers - changes;
        if (left < 0) {
            EasyStruct es = {sizeof(EasyStruct), 0, "Poker Note", "Not enough money!", "OK"};
            EasyRequestArgs(window, &es, nullptr, nullptr);
            return;
        }
        SetMoney(static_cast<int32_t>(left));
    }
    ++phase;
    junk.Insert(hand);

    int dealt = 0;
    while (hand.Can_Insert()) {
        cIMGCard* card = deck.Deal();
        if (!card) break;
        hand.Insert(card);
        ++dealt;
    }
    if (dealt > 0 && phase < changes) return;

    hand.FreezeAll();
    const int code = hand.Evaluate();
    const int32_t prize = Winnings[(hand.flags & 0x100) ? 1 : 0][std::clamp(code, 0, 10)];
    ShowHandEvaluation(code);
    if (prize != 0 && doubleUp) {
        TDoubleDialog dialog(window, this, prize);
        dialog.Execute();
    } else {
        Credit(prize);
    }

    GatherCards();
    deck.Shuffle();
}

void cGamePoker::GadgetShuffle() {
    if (phase == -1) deck.Shuffle();
}

void cGamePoker::GadgetBet() { MenuPrefsBet(); }

void cGamePoker::MenuPrefsBet() {
    GatherCards();
    TPrefsBetDialog dialog(window, this);
    dialog.Execute();
    InitPiles();
    deck.Shuffle();
    phase = -1;
}

void cGamePoker::MenuPrefsHand() {
    GatherCards();
    TPrefsHandDialog dialog(window, &hand);
    dialog.Execute();
    deck.Shuffle();
    phase = -1;
}

void cGamePoker::MenuNew() {
    // A running game ends first, so no card is left on view outside every pile.
    if (phase != -1) GatherCards();
    SetMoney(40);
    InitPiles();
    deck.Shuffle();
    fileReq.file = "";
}

void cGamePoker::ShowHandEvaluation(int code) {
    if (code < 0 || code >= HAND_RANKS) return;
    handRequester.Execute(HandNames[code]);
}

void cGamePoker::MenuAbout() {
    EasyStruct es = {sizeof(EasyStruct), 0, "About Tarnwell Poker",
                     "Tarnwell Poker V1.11 (OS4)\n"
                     "Linux edition by the Tarnwell Poker team, 2026\n"
                     "Card art and font: our own",
                     "OK"};
    EasyRequestArgs(window, &es, nullptr, nullptr);
}

void cGamePoker::MenuHelp() { Execute("run >NIL: SYS:Utilities/MultiView poker.guide", 0, 0); }
