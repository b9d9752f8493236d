// The odds of every setting: exact expected prizes for one change, the adviser's strategy
// by simulation for more, and the value of every hold of a given hand.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace odds {

using u128 = unsigned __int128;

constexpr int kHandSize = 5;
constexpr int kRanks = 11;
constexpr int kMaxJokers = 8;
// The four preference words, in the order the class codes use them.
constexpr uint32_t kFlagWords[4] = {0, 0x100, 0x200, 0x300};

// Ordinary cards of a deck of `values.size()` values in each of four suits: card c has suit
// c / values.size() and the game's value values[c % values.size()]. The full deck has the 13
// values; tests use fewer so that a plain enumeration stays affordable.
struct Deck {
    std::vector<int> values;
    int Size() const { return 4 * static_cast<int>(values.size()); }
    int Suit(int c) const { return c / static_cast<int>(values.size()); }
    int Value(int c) const { return values[static_cast<size_t>(c) % values.size()]; }
    static Deck Full();
};

// The rank code under `flags` of the ordinary cards `cards` (n of them) and 5 - n jokers,
// through the game's own ranking.
int RankOf(const Deck& deck, const int* cards, int n, uint32_t flags);
// The prize the game pays for a rank code under `flags`.
int PrizeOf(int rank, uint32_t flags);

// Binomial coefficient, 0 outside the triangle.
int64_t Choose(int n, int k);

// For every set S of at most five ordinary cards and every number of jokers jk with
// |S| + jk <= 5: how many five-card hands of jk jokers and ordinary cards hold S, by class.
// A class is a hand's rank under each of the four preference words together.
class Table {
public:
    Table(const Deck& deck, int threads);
    const Deck& deck() const { return deck_; }
    int classes() const { return classes_; }
    int Rank(int cls, uint32_t flags) const;
    int Prize(int cls, uint32_t flags) const { return PrizeOf(Rank(cls, flags), flags); }
    // Counts by class for the sorted set `cards` (s <= 4 of them) with jk jokers.
    const uint32_t* Row(const int* cards, int s, int jk) const;
    // The class of a full hand: five sorted ordinary cards.
    int Class5(const int* cards) const;
    // Where the sorted set `cards` (s of them) sits among the sets of its size.
    int64_t Index(const int* cards, int s) const;
    // The rows of the sets of size s collapsed to prize sums under `flags`: entry
    // Index * (6 - s) + jk.
    std::vector<int64_t> PrizeRows(int s, uint32_t flags) const;

private:
    int ClassOfCode(int code);
    Deck deck_;
    int classes_ = 0;
    std::vector<int16_t> classOfCode_;
    std::vector<int> codeOfClass_;
    std::vector<int> ranks_;  // by preference word, then class
    std::vector<uint8_t> class5_;
    std::vector<uint32_t> rows_[kHandSize];  // by s
};

// One hold of a hand: which of its ordinary cards (bit i = cards[i]) and how many of its
// jokers are kept.
struct Hold {
    unsigned keep = 0;
    int jokers = 0;
};

// What can still happen to a hand: its ordinary cards, its jokers, the ordinary cards already
// thrown away this game and the jokers left in the deck.
struct Situation {
    std::vector<int> cards;  // sorted
    int jokers = 0;
    std::vector<int> gone;   // sorted, disjoint from cards
    int deckJokers = 0;
};

// The draws after every hold of a situation, counted by class: counts[h][c] and the number of
// draws for hold h, for the holds in `holds` order.
struct HoldCounts {
    std::vector<Hold> holds;
    std::vector<std::vector<int64_t>> counts;
    std::vector<int64_t> draws;
};
// Every distinct hold (keep mask x number of jokers kept), by the table's counts and inclusion
// and exclusion over the cards no longer in the deck.
HoldCounts CountHolds(const Table& table, const Situation& s);
// The same by enumerating every draw; counts by rank under `flags` instead of by class.
HoldCounts CountHoldsByEnumeration(const Deck& deck, const Situation& s, uint32_t flags, int threads = 1);

// How the cards to exchange are chosen: the best hold, or one of two plain rules to compare
// it with (keep every card; keep a hand that pays, otherwise keep only its jokers).
enum class Policy { Optimal, NeverExchange, KeepPaid };

// A setting of the game, and the strategy it is played with.
struct Setting {
    int jokers = 0;
    int changes = 1;
    uint32_t flags = 0;
    Policy policy = Policy::Optimal;
    int Bet() const { return jokers + changes; }
};

// An exact fraction.
struct Fraction {
    u128 num = 0, den = 1;
};
std::string ToString(u128 v);

struct Result {
    Setting setting;
    bool exact = false;      // false: the adviser's strategy, simulated
    double expectedPrize = 0;
    double returnPct = 0;
    double halfWidthPct = 0;  // 95% interval of a simulated return
    Fraction returnFraction;  // exact results only (expected prize / bet)
    double rankProb[kRanks] = {};
    int64_t games = 0;       // simulated games
    // Exact results: the probability of a deal whose best hold is worth v, in bins of
    // ValueBin(v); the simulation samples each group of bins apart.
    std::vector<double> valueBins;
};
constexpr int kValueBins = 160;
int ValueBin(double v);

// Called with work done and work total, from the calling thread only.
using ProgressFn = void (*)(double done, double total, void* context);

// One change played by each setting's policy, exactly, for every setting of `settings`
// (changes ignored), sharing one pass over the dealt hands.
std::vector<Result> ExactOneChange(const Table& table, const std::vector<Setting>& settings, int threads,
                                   ProgressFn progress = nullptr, void* context = nullptr);

// The adviser's strategy for two or three changes: at every draw but the last the hold that
// would be best were it the last, at the last the exact best hold. Its return is the exact
// one-change optimum `oneChange` plus the simulated worth of the further changes, sampled
// until the 95% interval is narrower than `width` points of return.
Result SimulateAdviser(const Table& table, const Setting& setting, const Result& oneChange, double width,
                       int threads, uint64_t seed, ProgressFn progress = nullptr, void* context = nullptr);

// The hold the adviser takes with a draw to come and its expected prize after that draw.
struct Best {
    Hold hold;
    double value = 0;
};
Best AdviserHold(const Table& table, const Situation& s, uint32_t flags);

// The value of every hold of a dealt hand with `drawsLeft` draws to come: exact for the last
// draw, the adviser's continuation (simulated, with its 95% half-width) before it.
struct HoldValue {
    Hold hold;
    double expectedPrize = 0;
    double halfWidth = 0;  // 0 when exact
};
std::vector<HoldValue> ValueHolds(const Deck& deck, const Table* table, const Situation& s, uint32_t flags,
                                  int drawsLeft, int threads, uint64_t seed);

}  // namespace odds
