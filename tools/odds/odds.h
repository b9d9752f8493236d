// The odds of every setting: exact expected prizes for one change, a look-ahead strategy for
// more (counted exactly but for a small simulated correction), and the value of every hold of
// a given hand.
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
    bool exact = false;      // false: the look-ahead strategy, exact part plus a simulated correction
    double expectedPrize = 0;
    double returnPct = 0;
    double halfWidthPct = 0;  // 95% interval of a simulated return
    Fraction returnFraction;  // exact results only (expected prize / bet)
    double rankProb[kRanks] = {};  // simulated for the look-ahead strategy
    int64_t games = 0;       // simulated games
    double exactPart = 0;    // look-ahead strategy: the expected prize it counts on, discards back in the deck
};

// Called with work done and work total, from the calling thread only.
using ProgressFn = void (*)(double done, double total, void* context);

// Whether hold a is taken before hold b of exactly the same worth: more cards kept, then more
// jokers, then higher values, then the smaller of the two holds with their suits renamed to a
// fixed form; the same choice for every renaming of the suits, so that deals reduced by suit
// symmetry and deals played as they come agree.
bool TieFirst(const Deck& deck, const Situation& s, const Hold& a, const Hold& b);

// One change played by each setting's policy, exactly, for every setting of `settings`
// (changes ignored), sharing one pass over the dealt hands.
std::vector<Result> ExactOneChange(const Table& table, const std::vector<Setting>& settings, int threads,
                                   ProgressFn progress = nullptr, void* context = nullptr);

// The look-ahead strategy for several changes. V0 of a five-card hand is its prize; Vk is the
// best expected V(k-1) after one more draw, counted with the hand's discards back in the deck
// (so that it is a function of the hand alone and can be tabulated for every hand). With r
// draws left the strategy keeps the hold with the best expected V(r-1) after the draw, counted
// over the cards really left in the deck; standing pat is worth the hand's prize, as the game
// ends there. With one draw left that is the exact best hold. Values are integers over den(k).
class Lookahead {
public:
    // Tabulates V0 .. V(depth-1) for every hand of `deck` with up to `jokers` jokers.
    Lookahead(const Deck& deck, int jokers, uint32_t flags, int depth, int threads);
    const Deck& deck() const { return deck_; }
    int jokers() const { return jokers_; }
    uint32_t flags() const { return flags_; }
    int depth() const { return static_cast<int>(levels_.size()); }

    struct Score {
        Hold hold;
        u128 num = 0;       // worth = num / (den(level) * draws)
        int64_t draws = 1;
        double value = 0;
    };
    // Every hold of a situation with `drawsLeft` (1 .. depth) draws to come, in the strategy's
    // order: the first is its play.
    std::vector<Score> Scores(const Situation& s, int drawsLeft) const;
    Score Best(const Situation& s, int drawsLeft) const;
    // V(level) of a hand (no cards gone) as a number.
    double Value(const Situation& hand, int level) const;
    // The exact expected value of the strategy's first decision over every deal of a game of
    // `changes` (1 .. depth) changes: E[V(changes)] of the dealt hand.
    Fraction ExactPart(int changes, int threads) const;
    int Prize(const Situation& s) const;

    struct Level {
        u128 den = 1;
        // For a set S of s < 5 ordinary cards: entry Index(S) * (6 - s) + jk is the sum of V over
        // the hands of jk jokers whose ordinary cards hold S.
        std::vector<u128> rows[kHandSize];
        // V of the hands without jokers, by Index: small enough for 64 bits up to V2; for V0 the
        // rank alone, which keeps the table that the last decision reads most within the caches.
        std::vector<uint64_t> five;
        std::vector<uint8_t> rank5;
        int prizes[kRanks] = {};
        // V0's rows in 32 bits (every prize of every hand sums to less than 2^31), for the same
        // reason; `rows` is then empty.
        std::vector<uint32_t> small[kHandSize];
        u128 Row(int s, size_t entry) const {
            return small[s].empty() ? rows[s][entry] : static_cast<u128>(small[s][entry]);
        }
        u128 Five(int64_t idx) const {
            return rank5.empty() ? five[static_cast<size_t>(idx)] : static_cast<u128>(prizes[rank5[static_cast<size_t>(idx)]]);
        }
    };

private:
    u128 Pass(const Level& prev, Level* out, int threads) const;
    void Grid(const Level& lv, const Situation& s, u128* g) const;
    std::vector<Score> All(const Level& lv, const Situation& s) const;
    Score Top(const Level& lv, const Situation& s) const;
    Deck deck_;
    int jokers_;
    uint32_t flags_;
    u128 lcm_ = 1;  // of the draw counts of a dealt hand: den(k) = lcm^k
    std::vector<Level> levels_;
    std::vector<u128> sums_;  // by level: the sum over every deal of its V, weighted by its ways
};

// The strategy's return for `setting` (changes 2 or 3): the exact part plus what the discards
// staying out of the deck change, simulated until its 95% interval is at most `width` points
// of return either way, or `maxGames` games have been played. The deal's counted value and
// each draw's luck against the value counted on before it serve as control variates: their
// means are known (the exact part, and zero), so only the discards' effect is sampled.
Result SimulateLookahead(const Lookahead& la, const Setting& setting, double width, int threads, uint64_t seed,
                         int64_t maxGames = int64_t{1} << 40, ProgressFn progress = nullptr, void* context = nullptr);

// The value of every hold of a dealt hand with `drawsLeft` draws to come, in the strategy's
// order. With one draw left every hold is counted exactly. Before it, `score` is what the
// strategy ranks by and expectedPrize the hold's worth when the strategy plays on: counted
// exactly where the hold draws at most `exactDraw` cards and one draw is left after it,
// otherwise the score plus the simulated effect of the discards, with its 95% half-width.
struct HoldValue {
    Hold hold;
    double expectedPrize = 0;
    double halfWidth = 0;  // 0 when exact
    double score = 0;
};
std::vector<HoldValue> ValueHolds(const Deck& deck, const Lookahead* la, const Situation& s, uint32_t flags,
                                  int drawsLeft, int threads, uint64_t seed, int exactDraw = 3, int samples = 4000);

}  // namespace odds
