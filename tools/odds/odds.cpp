// The odds engine. Every hand is ranked by the game's own EvaluateHand.
#include "odds.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <numeric>
#include <thread>

#include "game/game.h"
#include "game/handpile.h"

namespace odds {

namespace {

constexpr int kCodes = 11 * 11 * 11 * 11;

struct Binomials {
    int64_t c[72][7] = {};
    Binomials() {
        for (int n = 0; n < 72; ++n) {
            c[n][0] = 1;
            for (int k = 1; k < 7 && k <= n; ++k) c[n][k] = c[n - 1][k - 1] + (k <= n - 1 ? c[n - 1][k] : 0);
        }
    }
};
const Binomials kBin;

// Holds have at most five cards: a table beats the library call on machines without the instruction.
constexpr int8_t kBits[32] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4, 1, 2, 2, 3, 2, 3, 3, 4, 2, 3, 3, 4, 3, 4, 4, 5};
int Popcount(unsigned v) { return kBits[v & 31]; }

// Runs body(i) for i in 0..count-1 on `threads` threads, handing out indices in order.
template <typename Body>
void ParallelFor(int64_t count, int threads, Body body) {
    std::atomic<int64_t> next{0};
    auto work = [&] {
        for (int64_t i; (i = next.fetch_add(1)) < count;) body(i);
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (auto& t : pool) t.join();
}

// Every sorted s-subset of 0..m-1, in lexicographic order, flattened.
std::vector<uint8_t> AllSubsets(int m, int s) {
    std::vector<uint8_t> out;
    if (s > m) return out;
    out.reserve(static_cast<size_t>(Choose(m, s) * s));
    int c[kHandSize];
    for (int i = 0; i < s; ++i) c[i] = i;
    for (;;) {
        for (int i = 0; i < s; ++i) out.push_back(static_cast<uint8_t>(c[i]));
        int i = s - 1;
        while (i >= 0 && c[i] == m - s + i) --i;
        if (i < 0) break;
        ++c[i];
        for (int k = i + 1; k < s; ++k) c[k] = c[k - 1] + 1;
    }
    return out;
}

// Runs body(c) for every sorted s-subset c of 0..m-1, handing out chunks of `chunk`
// subsets, in order, to `threads` threads.
template <typename Body>
void ForEachSubset(int m, int s, int threads, int64_t chunk, Body body) {
    const std::vector<uint8_t> subs = AllSubsets(m, s);
    const int64_t count = Choose(m, s);
    ParallelFor((count + chunk - 1) / chunk, threads, [&](int64_t ci) {
        for (int64_t i = ci * chunk; i < std::min(count, (ci + 1) * chunk); ++i) {
            int c[kHandSize];
            for (int k = 0; k < s; ++k) c[k] = subs[static_cast<size_t>(i * s + k)];
            body(c);
        }
    });
}

int CodeOf(const Deck& deck, const int* cards, int n) {
    int code = 0;
    for (int f = 3; f >= 0; --f) code = code * 11 + RankOf(deck, cards, n, kFlagWords[f]);
    return code;
}

int FlagIndex(uint32_t flags) { return ((flags & 0x100) ? 1 : 0) + ((flags & 0x200) ? 2 : 0); }

// Merges two sorted lists into out; returns the size.
int Merge(const int* a, int na, const int* b, int nb, int* out) {
    int i = 0, j = 0, k = 0;
    while (i < na && j < nb) out[k++] = a[i] < b[j] ? a[i++] : b[j++];
    while (i < na) out[k++] = a[i++];
    while (j < nb) out[k++] = b[j++];
    return k;
}

// Draw counts before the jokers of the deck are chosen, as w weighted sums of the classes
// (the counts by class themselves, or prize sums): g[(mask * 6 + jk) * w + k] for the hands of
// jk jokers in all whose ordinary cards are exactly the kept ones of the hand plus cards from
// the deck.
struct Grid {
    int n = 0, w = 0;
    std::vector<int64_t> g;
    int64_t* At(unsigned mask, int jk) { return &g[(static_cast<size_t>(mask) * 6 + jk) * w]; }
    const int64_t* At(unsigned mask, int jk) const { return &g[(static_cast<size_t>(mask) * 6 + jk) * w]; }
};

// Class weights: weights[k * classes + c].
struct Weights {
    int w = 0;
    bool identity = false;  // the counts by class themselves
    std::vector<int64_t> v;
};

Weights ClassWeights(const Table& table) {
    Weights wt;
    wt.w = table.classes();
    wt.identity = true;
    wt.v.assign(static_cast<size_t>(wt.w * wt.w), 0);
    for (int c = 0; c < wt.w; ++c) wt.v[static_cast<size_t>(c * wt.w + c)] = 1;
    return wt;
}

Weights PrizeWeights(const Table& table, const std::vector<uint32_t>& flags) {
    Weights wt;
    wt.w = static_cast<int>(flags.size());
    for (uint32_t f : flags)
        for (int c = 0; c < table.classes(); ++c) wt.v.push_back(table.Prize(c, f));
    return wt;
}

struct GoneWalk {
    const Table& table;
    const Weights& wt;
    const int* gone;
    int ng;
    int64_t* dst;
};

void AddGoneSubsets(const GoneWalk& walk, const int* kept, int nk, int from, int* chosen, int nt, int64_t sign) {
    int merged[kHandSize];
    const int s = Merge(kept, nk, chosen, nt, merged);
    const int nc = walk.table.classes(), w = walk.wt.w;
    if (s == kHandSize) {
        const int cls = walk.table.Class5(merged);
        for (int k = 0; k < w; ++k) walk.dst[k] += sign * walk.wt.v[static_cast<size_t>(k * nc + cls)];
        return;
    }
    const uint32_t* row = walk.table.Row(merged, s, 0);
    if (walk.wt.identity) {
        for (int k = 0; k < (kHandSize + 1 - s) * nc; ++k) walk.dst[k] += sign * row[k];
    } else {
        for (int jk = 0; jk <= kHandSize - s; ++jk)
            for (int k = 0; k < w; ++k) {
            const int64_t* wk = &walk.wt.v[static_cast<size_t>(k * nc)];
            int64_t sum = 0;
                for (int c = 0; c < nc; ++c) sum += wk[c] * row[jk * nc + c];
                walk.dst[jk * w + k] += sign * sum;
            }
    }
    for (int i = from; i < walk.ng; ++i) {
        chosen[nt] = walk.gone[i];
        AddGoneSubsets(walk, kept, nk, i + 1, chosen, nt + 1, -sign);
    }
}

Grid MakeGrid(const Table& table, const Situation& s, const Weights& wt) {
    Grid grid;
    grid.n = static_cast<int>(s.cards.size());
    grid.w = wt.w;
    const unsigned masks = 1u << grid.n;
    grid.g.assign(static_cast<size_t>(masks) * 6 * grid.w, 0);
    // Hands that hold the kept cards and avoid the thrown-away ones: first over the cards gone
    // earlier, then over the hand's own cards (a superset Moebius transform).
    for (unsigned mask = 0; mask < masks; ++mask) {
        int kept[kHandSize], nk = 0;
        for (int i = 0; i < grid.n; ++i)
            if (mask & (1u << i)) kept[nk++] = s.cards[static_cast<size_t>(i)];
        int chosen[kHandSize];
        const GoneWalk walk{table, wt, s.gone.data(), static_cast<int>(s.gone.size()), grid.At(mask, 0)};
        AddGoneSubsets(walk, kept, nk, 0, chosen, 0, 1);
    }
    for (int i = 0; i < grid.n; ++i)
        for (unsigned mask = 0; mask < masks; ++mask) {
            if (mask & (1u << i)) continue;
            int64_t* a = grid.At(mask, 0);
            const int64_t* b = grid.At(mask | (1u << i), 0);
            const int width = (kHandSize - Popcount(mask)) * grid.w;  // the larger set allows a joker less
            for (int k = 0; k < width; ++k) a[k] -= b[k];
        }
    return grid;
}

// The holds of a hand in a fixed order: more cards kept first.
std::vector<Hold> MakeHolds(int n, int jokers) {
    std::vector<Hold> holds;
    for (unsigned mask = 1u << n; mask-- > 0;)
        for (int k = jokers; k >= 0; --k) holds.push_back({mask, k});
    std::stable_sort(holds.begin(), holds.end(), [](const Hold& a, const Hold& b) {
        return Popcount(a.keep) + a.jokers > Popcount(b.keep) + b.jokers;
    });
    return holds;
}

// The same, made once for every size of hand: the decisions ask for them millions of times.
const std::vector<Hold>& HoldsOf(int n, int jokers) {
    static const auto all = [] {
        std::vector<std::vector<Hold>> v;
        for (int k = 0; k <= kHandSize; ++k)
            for (int j = 0; j <= kHandSize; ++j) v.push_back(MakeHolds(k, j));
        return v;
    }();
    return all[static_cast<size_t>(n * (kHandSize + 1) + jokers)];
}

int DeckLeft(const Deck& deck, const Situation& s) {
    return deck.Size() - static_cast<int>(s.cards.size() + s.gone.size()) + s.deckJokers;
}

struct Rng {
    uint64_t state;
    explicit Rng(uint64_t seed) : state(seed) {}
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>((static_cast<u128>(Next()) * static_cast<unsigned>(n)) >> 64); }
};

// The cards still in the deck: ordinary cards by number, jokers as deck.Size().
struct LiveDeck {
    std::vector<int> cards;
    int left = 0;
    int Draw(Rng& rng) {
        const int i = rng.Below(left);
        std::swap(cards[static_cast<size_t>(i)], cards[static_cast<size_t>(left - 1)]);
        return cards[static_cast<size_t>(--left)];
    }
};

u128 Gcd(u128 a, u128 b) {
    while (b != 0) {
        const u128 t = a % b;
        a = b;
        b = t;
    }
    return a;
}

Fraction Add(Fraction a, u128 num, u128 den) {
    const u128 g = Gcd(num, den);
    if (g > 1) num /= g, den /= g;
    const u128 d = Gcd(a.den, den);
    Fraction r;
    r.num = a.num * (den / d) + num * (a.den / d);
    r.den = a.den / d * den;
    const u128 h = Gcd(r.num, r.den);
    if (h > 1) r.num /= h, r.den /= h;
    return r;
}

}  // namespace

Deck Deck::Full() {
    Deck d;
    for (int v = 0; v < 13; ++v) d.values.push_back(v);
    return d;
}

int RankOf(const Deck& deck, const int* cards, int n, uint32_t flags) {
    int32_t suits[kHandSize], values[kHandSize];
    for (int i = 0; i < kHandSize; ++i) {
        suits[i] = i < n ? deck.Suit(cards[i]) : JOKER_SUIT;
        values[i] = i < n ? deck.Value(cards[i]) : 0;
    }
    return EvaluateHand(suits, values, flags);
}

int PrizeOf(int rank, uint32_t flags) { return Winnings[(flags & 0x100) ? 1 : 0][rank]; }

int64_t Choose(int n, int k) {
    if (n < 0 || k < 0 || k > n) return 0;
    if (k < 7 && n < 72) return kBin.c[n][k];
    int64_t r = 1;
    for (int i = 1; i <= k; ++i) r = r * (n - k + i) / i;
    return r;
}

std::string ToString(u128 v) {
    std::string s;
    do {
        s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
        v /= 10;
    } while (v != 0);
    return s;
}

// ---- the table ----

int Table::ClassOfCode(int code) {
    if (classOfCode_[static_cast<size_t>(code)] < 0) {
        classOfCode_[static_cast<size_t>(code)] = static_cast<int16_t>(classes_++);
        codeOfClass_.push_back(code);
    }
    return classOfCode_[static_cast<size_t>(code)];
}

int Table::Rank(int cls, uint32_t flags) const { return ranks_[static_cast<size_t>(FlagIndex(flags) * classes_ + cls)]; }

int64_t Table::Index(const int* cards, int s) const {
    int64_t idx = 0;
    for (int i = 0; i < s; ++i) idx += kBin.c[cards[i]][i + 1];
    return idx;
}

const uint32_t* Table::Row(const int* cards, int s, int jk) const {
    return &rows_[s][static_cast<size_t>((Index(cards, s) * (6 - s) + jk) * classes_)];
}

int Table::Class5(const int* cards) const { return class5_[static_cast<size_t>(Index(cards, kHandSize))]; }

Table::Table(const Deck& deck, int threads) : deck_(deck), classOfCode_(kCodes, -1) {
    const int m = deck.Size();
    // Full hands without jokers, ranked in parallel, classes numbered in a fixed order after.
    const int64_t n5 = Choose(m, kHandSize);
    std::vector<uint16_t> codes(static_cast<size_t>(n5));
    const int64_t chunk = 4096;
    ForEachSubset(m, kHandSize, threads, chunk, [&](int* c) {
        codes[static_cast<size_t>(Index(c, kHandSize))] = static_cast<uint16_t>(CodeOf(deck, c, kHandSize));
    });
    class5_.resize(static_cast<size_t>(n5));
    for (int64_t i = 0; i < n5; ++i) class5_[static_cast<size_t>(i)] = static_cast<uint8_t>(ClassOfCode(codes[static_cast<size_t>(i)]));
    // Hands with jokers are few: their classes first, so that every row can be sized.
    std::vector<std::vector<uint8_t>> subsets(kHandSize);
    std::vector<std::vector<int16_t>> jokerClass(kHandSize);
    for (int s = 0; s < kHandSize; ++s) {
        subsets[static_cast<size_t>(s)] = AllSubsets(m, s);
        const int64_t count = Choose(m, s);
        jokerClass[static_cast<size_t>(s)].resize(static_cast<size_t>(count));
        for (int64_t i = 0; i < count; ++i) {
            int c[kHandSize];
            for (int k = 0; k < s; ++k) c[k] = subsets[static_cast<size_t>(s)][static_cast<size_t>(i * s + k)];
            jokerClass[static_cast<size_t>(s)][static_cast<size_t>(Index(c, s))] =
                static_cast<int16_t>(ClassOfCode(CodeOf(deck, c, s)));
        }
    }
    const int nc = classes_;
    for (int f = 0; f < 4; ++f)
        for (int c = 0; c < nc; ++c) {
            int code = codeOfClass_[static_cast<size_t>(c)];
            for (int k = 0; k < f; ++k) code /= 11;
            ranks_.push_back(code % 11);
        }
    // Rows from the largest sets down: a hand holding S with jk jokers holds S + x for each of
    // its 5 - |S| - jk other ordinary cards x.
    for (int s = kHandSize - 1; s >= 0; --s) {
        const int64_t count = Choose(m, s);
        std::vector<uint32_t>& rows = rows_[s];
        rows.assign(static_cast<size_t>(count * (6 - s) * nc), 0);
        const std::vector<uint8_t>& subs = subsets[static_cast<size_t>(s)];
        ParallelFor((count + chunk - 1) / chunk, threads, [&](int64_t ci) {
            for (int64_t i = ci * chunk; i < std::min(count, (ci + 1) * chunk); ++i) {
                int c[kHandSize];
                for (int k = 0; k < s; ++k) c[k] = subs[static_cast<size_t>(i * s + k)];
                const int64_t idx = Index(c, s);
                uint32_t* row = &rows[static_cast<size_t>(idx * (6 - s) * nc)];
                row[(kHandSize - s) * nc + jokerClass[static_cast<size_t>(s)][static_cast<size_t>(idx)]] = 1;
                for (int x = 0; x < m; ++x) {
                    if (std::find(c, c + s, x) != c + s) continue;
                    int bigger[kHandSize];
                    const int nb = Merge(c, s, &x, 1, bigger);
                    if (nb == kHandSize) {
                        ++row[Class5(bigger)];
                        continue;
                    }
                    const uint32_t* from = Row(bigger, nb, 0);
                    for (int jk = 0; jk < kHandSize - s; ++jk)
                        for (int k = 0; k < nc; ++k) row[jk * nc + k] += from[jk * nc + k];
                }
                for (int jk = 0; jk < kHandSize - s; ++jk)
                    for (int k = 0; k < nc; ++k) row[jk * nc + k] /= static_cast<uint32_t>(kHandSize - s - jk);
            }
        });
    }
}

// ---- holds ----

HoldCounts CountHolds(const Table& table, const Situation& s) {
    const Grid grid = MakeGrid(table, s, ClassWeights(table));
    HoldCounts out;
    out.holds = HoldsOf(grid.n, s.jokers);
    const int left = DeckLeft(table.deck(), s);
    for (const Hold& h : out.holds) {
        const int d = kHandSize - Popcount(h.keep) - h.jokers;
        std::vector<int64_t> counts(static_cast<size_t>(grid.w), 0);
        for (int mj = 0; mj <= std::min(d, s.deckJokers); ++mj) {
            const int64_t ways = Choose(s.deckJokers, mj);
            const int64_t* g = grid.At(h.keep, h.jokers + mj);
            for (int c = 0; c < grid.w; ++c) counts[static_cast<size_t>(c)] += ways * g[c];
        }
        out.counts.push_back(std::move(counts));
        out.draws.push_back(Choose(left, d));
    }
    return out;
}

HoldCounts CountHoldsByEnumeration(const Deck& deck, const Situation& s, uint32_t flags, int threads) {
    HoldCounts out;
    const int n = static_cast<int>(s.cards.size());
    out.holds = HoldsOf(n, s.jokers);
    std::vector<int> avail;
    for (int c = 0; c < deck.Size(); ++c)
        if (std::find(s.cards.begin(), s.cards.end(), c) == s.cards.end() &&
            std::find(s.gone.begin(), s.gone.end(), c) == s.gone.end())
            avail.push_back(c);
    const int na = static_cast<int>(avail.size());
    std::vector<int32_t> availSuit, availValue;
    for (int c : avail) availSuit.push_back(deck.Suit(c)), availValue.push_back(deck.Value(c));
    const int64_t nh = static_cast<int64_t>(out.holds.size());
    out.counts.resize(static_cast<size_t>(nh));
    out.draws.resize(static_cast<size_t>(nh));
    // The holds that keep least draw most: they go first.
    ParallelFor(nh, threads, [&](int64_t at) {
        const size_t hi = static_cast<size_t>(nh - 1 - at);
        const Hold& h = out.holds[hi];
        int hand[kHandSize], nk = 0;
        for (int i = 0; i < n; ++i)
            if (h.keep & (1u << i)) hand[nk++] = s.cards[static_cast<size_t>(i)];
        const int d = kHandSize - nk - h.jokers;
        std::vector<int64_t> counts(kRanks, 0);
        for (int mj = 0; mj <= std::min(d, s.deckJokers); ++mj) {
            const int64_t ways = Choose(s.deckJokers, mj);
            const int draw = d - mj;
            int idx[kHandSize];
            for (int i = 0; i < draw; ++i) idx[i] = i;
            if (draw > na) continue;
            // Suits and values straight into the game's ranking: this loop runs millions of times.
            int32_t suits[kHandSize], values[kHandSize];
            for (int i = 0; i < kHandSize; ++i) {
                suits[i] = i < nk ? deck.Suit(hand[i]) : JOKER_SUIT;
                values[i] = i < nk ? deck.Value(hand[i]) : 0;
            }
            for (;;) {
                for (int i = 0; i < draw; ++i) {
                    suits[nk + i] = availSuit[static_cast<size_t>(idx[i])];
                    values[nk + i] = availValue[static_cast<size_t>(idx[i])];
                }
                counts[static_cast<size_t>(EvaluateHand(suits, values, flags))] += ways;
                int i = draw - 1;
                while (i >= 0 && idx[i] == na - draw + i) --i;
                if (i < 0) break;
                ++idx[i];
                for (int k = i + 1; k < draw; ++k) idx[k] = idx[k - 1] + 1;
            }
        }
        out.counts[hi] = std::move(counts);
        out.draws[hi] = Choose(DeckLeft(deck, s), d);
    });
    return out;
}

// ---- one change, exactly ----

namespace {

struct DealClass {
    int cards[kHandSize];
    int n;
    int64_t ways;  // ordinary hands with this pattern of suits
};

// The ordinary parts of dealt hands, one per class under the 24 permutations of the suits.
std::vector<DealClass> DealClasses(const Deck& deck, int minCards) {
    std::vector<DealClass> out;
    const int v = static_cast<int>(deck.values.size());
    for (int n = kHandSize; n >= minCards; --n) {
        const std::vector<uint8_t> subs = AllSubsets(deck.Size(), n);
        for (size_t i = 0; i < subs.size() / std::max(n, 1) || (n == 0 && i == 0); ++i) {
            DealClass d{};
            d.n = n;
            unsigned chunk[4] = {};
            for (int k = 0; k < n; ++k) {
                d.cards[k] = subs[i * static_cast<size_t>(n) + k];
                chunk[deck.Suit(d.cards[k])] |= 1u << (d.cards[k] % v);
            }
            if (!(chunk[0] >= chunk[1] && chunk[1] >= chunk[2] && chunk[2] >= chunk[3])) continue;
            int64_t ways = 24;
            for (int a = 0; a < 4;) {
                int b = a;
                while (b < 4 && chunk[b] == chunk[a]) ++b;
                for (int k = 2; k <= b - a; ++k) ways /= k;
                a = b;
            }
            d.ways = ways;
            out.push_back(d);
        }
    }
    return out;
}

struct Tally {
    u128 byDraws[6] = {};  // sum of ways x prize counts, by number of cards drawn
    double rank[kRanks] = {};
};

}  // namespace

std::vector<Result> ExactOneChange(const Table& table, const std::vector<Setting>& settings, int threads,
                                   ProgressFn progress, void* context) {
    const Deck& deck = table.deck();
    const int m = deck.Size();
    int maxJokers = 0;
    for (const Setting& st : settings) maxJokers = std::max(maxJokers, st.jokers);
    const std::vector<DealClass> deals = DealClasses(deck, std::max(0, kHandSize - maxJokers));
    const int64_t chunk = 256;
    const int64_t chunks = (static_cast<int64_t>(deals.size()) + chunk - 1) / chunk;
    const size_t ns = settings.size();
    std::vector<Tally> tallies(static_cast<size_t>(chunks) * ns);
    const int nc = table.classes();
    std::vector<int> rankOf(static_cast<size_t>(4 * nc));
    for (int f = 0; f < 4; ++f)
        for (int c = 0; c < nc; ++c) rankOf[static_cast<size_t>(f * nc + c)] = table.Rank(c, kFlagWords[f]);
    // The prize sums are kept for the preference words in use only, one column each.
    int column[4] = {-1, -1, -1, -1};
    std::vector<uint32_t> used;
    std::vector<int64_t> drawsOf(ns * 6);
    for (size_t si = 0; si < ns; ++si) {
        const int f = FlagIndex(settings[si].flags);
        if (column[f] < 0) column[f] = static_cast<int>(used.size()), used.push_back(kFlagWords[f]);
        for (int d = 0; d < 6; ++d) drawsOf[si * 6 + d] = Choose(m - kHandSize + settings[si].jokers, d);
    }
    const Weights prizeWeights = PrizeWeights(table, used), classWeights = ClassWeights(table);
    std::atomic<int64_t> done{0};

    auto body = [&](int64_t ci) {
        for (int64_t di = ci * chunk; di < std::min<int64_t>(static_cast<int64_t>(deals.size()), (ci + 1) * chunk); ++di) {
            const DealClass& deal = deals[static_cast<size_t>(di)];
            const int j = kHandSize - deal.n;
            Situation sit;
            sit.cards.assign(deal.cards, deal.cards + deal.n);
            sit.jokers = j;
            // Prize sums per hold and jokers in the final hand, for each preference word in use.
            const Grid grid = MakeGrid(table, sit, prizeWeights);
            const std::vector<Hold> holds = HoldsOf(deal.n, j);
            std::vector<std::pair<unsigned, std::vector<int64_t>>> classCounts;  // of the best holds
            for (size_t si = 0; si < ns; ++si) {
                const Setting& st = settings[si];
                if (j > st.jokers) continue;
                const int f = FlagIndex(st.flags);
                const int r = st.jokers - j;
                const int64_t* draws = &drawsOf[si * 6];
                int64_t ways[6];
                for (int mj = 0; mj < 6; ++mj) ways[mj] = Choose(r, mj);
                int64_t bestA = -1;
                int bestD = 0;
                const Hold* best = nullptr;
                const int col = column[f];
                const bool pays = grid.At(holds[0].keep, holds[0].jokers)[col] > 0;  // the hand as dealt
                for (const Hold& h : holds) {
                    if (st.policy == Policy::NeverExchange && &h != &holds[0]) break;
                    if (st.policy == Policy::KeepPaid && (pays ? &h != &holds[0] : h.keep != 0 || h.jokers != j)) continue;
                    const int d = kHandSize - Popcount(h.keep) - h.jokers;
                    const int64_t* p = grid.At(h.keep, h.jokers);
                    int64_t a = 0;
                    for (int mj = 0; mj <= d; ++mj) a += ways[mj] * p[mj * grid.w + col];
                    const u128 mine = static_cast<u128>(a) * static_cast<u128>(draws[bestD]);
                    const u128 theirs = static_cast<u128>(bestA) * static_cast<u128>(draws[d]);
                    if (best == nullptr || mine > theirs || (mine == theirs && TieFirst(deck, sit, h, *best)))
                        best = &h, bestA = a, bestD = d;
                }
                Tally& t = tallies[static_cast<size_t>(ci) * ns + si];
                const int64_t w = deal.ways * Choose(st.jokers, j);
                t.byDraws[bestD] += static_cast<u128>(w) * static_cast<u128>(bestA);
                const double scale = static_cast<double>(w) / static_cast<double>(draws[bestD]) /
                                     static_cast<double>(Choose(m + st.jokers, kHandSize));
                // The final ranks of the best hold, by class: hands holding its cards and none
                // of the others of the deal.
                const unsigned key = best->keep;
                auto it = std::find_if(classCounts.begin(), classCounts.end(), [&](const auto& e) { return e.first == key; });
                if (it == classCounts.end()) {
                    int kept[kHandSize], thrown[kHandSize], nk = 0, nt = 0, chosen[kHandSize];
                    for (int i = 0; i < deal.n; ++i) (key & (1u << i) ? kept[nk++] : thrown[nt++]) = deal.cards[i];
                    std::vector<int64_t> counts(static_cast<size_t>(6 * nc), 0);
                    AddGoneSubsets(GoneWalk{table, classWeights, thrown, nt, counts.data()}, kept, nk, 0, chosen, 0, 1);
                    classCounts.emplace_back(key, std::move(counts));
                    it = classCounts.end() - 1;
                }
                for (int mj = 0; mj <= std::min(bestD, r); ++mj) {
                    const int64_t* g = &it->second[static_cast<size_t>((best->jokers + mj) * nc)];
                    const double share = static_cast<double>(ways[mj]) * scale;
                    for (int c = 0; c < nc; ++c)
                        if (g[c] != 0) t.rank[rankOf[static_cast<size_t>(f * nc + c)]] += share * static_cast<double>(g[c]);
                }
            }
        }
        done.fetch_add(1);
    };

    std::atomic<int64_t> next{0};
    auto work = [&] {
        for (int64_t i; (i = next.fetch_add(1)) < chunks;) body(i);
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < std::max(1, threads); ++t) pool.emplace_back(work);
    while (progress != nullptr && done.load() < chunks) {
        progress(static_cast<double>(done.load()), static_cast<double>(chunks), context);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    for (auto& t : pool) t.join();
    if (progress != nullptr) progress(static_cast<double>(chunks), static_cast<double>(chunks), context);

    std::vector<Result> results(ns);
    for (size_t si = 0; si < ns; ++si) {
        Result& res = results[si];
        res.setting = settings[si];
        res.setting.changes = 1;
        res.exact = true;
        const int jokers = res.setting.jokers;
        const int left = m - kHandSize + jokers;
        const u128 deals = static_cast<u128>(Choose(m + jokers, kHandSize));
        Fraction prize;
        for (int64_t ci = 0; ci < chunks; ++ci) {
            const Tally& t = tallies[static_cast<size_t>(ci) * ns + si];
            for (int k = 0; k < kRanks; ++k) res.rankProb[k] += t.rank[k];
        }
        for (int d = 0; d <= kHandSize; ++d) {
            u128 sum = 0;
            for (int64_t ci = 0; ci < chunks; ++ci) sum += tallies[static_cast<size_t>(ci) * ns + si].byDraws[d];
            prize = Add(prize, sum, deals * static_cast<u128>(Choose(left, d)));
        }
        res.expectedPrize = static_cast<double>(prize.num) / static_cast<double>(prize.den);
        res.returnFraction = Add(Fraction{}, prize.num, prize.den * static_cast<u128>(res.setting.Bet()));
        res.returnPct = 100.0 * res.expectedPrize / res.setting.Bet();
    }
    return results;
}

// ---- ties ----

namespace {

// The hold with its suits renamed to the smallest form: kept, thrown and gone cards as masks.
std::array<uint64_t, 3> SuitFree(const Deck& deck, const Situation& s, unsigned keep) {
    const int nv = static_cast<int>(deck.values.size());
    std::array<int, 4> perm = {0, 1, 2, 3};
    std::array<uint64_t, 3> best = {~0ull, ~0ull, ~0ull};
    do {
        std::array<uint64_t, 3> key = {0, 0, 0};
        auto bit = [&](int c) { return 1ull << (perm[static_cast<size_t>(deck.Suit(c))] * nv + c % nv); };
        for (size_t i = 0; i < s.cards.size(); ++i) key[(keep & (1u << i)) ? 0 : 1] |= bit(s.cards[i]);
        for (int c : s.gone) key[2] |= bit(c);
        best = std::min(best, key);
    } while (std::next_permutation(perm.begin(), perm.end()));
    return best;
}

}  // namespace

bool TieFirst(const Deck& deck, const Situation& s, const Hold& a, const Hold& b) {
    const int ka = Popcount(a.keep) + a.jokers, kb = Popcount(b.keep) + b.jokers;
    if (ka != kb) return ka > kb;
    if (a.jokers != b.jokers) return a.jokers > b.jokers;
    auto values = [&](unsigned keep) {
        std::array<int, kHandSize> v = {-1, -1, -1, -1, -1};
        for (size_t i = 0; i < s.cards.size(); ++i)
            if (keep & (1u << i)) v[i] = deck.Value(s.cards[i]);
        std::sort(v.rbegin(), v.rend());
        return v;
    };
    const auto va = values(a.keep), vb = values(b.keep);
    if (va != vb) return va > vb;
    return SuitFree(deck, s, a.keep) < SuitFree(deck, s, b.keep);
}

// ---- the look-ahead strategy ----

namespace {

constexpr size_t Entry(int64_t index, int s) { return static_cast<size_t>(index * (kHandSize + 1 - s)); }

int SortedInsert(int* cards, int n, int c) {
    int i = n;
    while (i > 0 && cards[i - 1] > c) cards[i] = cards[i - 1], --i;
    cards[i] = c;
    return n + 1;
}

// The sums of V over the hands holding each smaller set, from the hands' own values: a hand
// holding S and jk jokers holds S + x for each of its 5 - |S| - jk other ordinary cards x.
void BuildRows(const Deck& deck, Lookahead::Level& lv, int threads) {
    const int m = deck.Size();
    for (int s = kHandSize - 1; s >= 0; --s) {
        ForEachSubset(m, s, threads, 2048, [&](int* c) {
            // The index of S + x is that of the members below x, x's own term, and the
            // terms of the members above x, each one place further up.
            int64_t low[kHandSize + 1] = {}, high[kHandSize + 1] = {};
            for (int k = 0; k < s; ++k) low[k + 1] = low[k] + kBin.c[c[k]][k + 1];
            for (int k = s - 1; k >= 0; --k) high[k] = high[k + 1] + kBin.c[c[k]][k + 2];
            u128* row = &lv.rows[s][Entry(low[s], s)];
            for (int x = 0, p = 0; x < m; ++x) {
                if (p < s && c[p] == x) {
                    ++p;
                    continue;
                }
                const int64_t idx = low[p] + kBin.c[x][p + 1] + high[p];
                if (s + 1 == kHandSize) {
                    row[0] += lv.Five(idx);
                    continue;
                }
                const u128* up = &lv.rows[s + 1][Entry(idx, s + 1)];
                for (int jk = 0; jk < kHandSize - s; ++jk) row[jk] += up[jk];
            }
            for (int jk = 0; jk + 1 < kHandSize - s; ++jk) row[jk] /= static_cast<unsigned>(kHandSize - s - jk);
        });
    }
}

// Adds (or takes away) the sums of the hands holding `merged`, then of those holding it and
// each further set of the cards gone, with alternating signs: the hands avoiding every card gone.
void AddGone(const Lookahead::Level& lv, const int* merged, int sz, const int* gone, int ng, int from, bool minus,
             u128* dst) {
    int64_t idx = 0;
    for (int k = 0; k < sz; ++k) idx += kBin.c[merged[k]][k + 1];
    if (sz == kHandSize) {
        dst[0] = minus ? dst[0] - lv.Five(idx) : dst[0] + lv.Five(idx);
        return;
    }
    const size_t at = Entry(idx, sz);
    for (int jk = 0; jk <= kHandSize - sz; ++jk) {
        const u128 v = lv.Row(sz, at + static_cast<size_t>(jk));
        dst[jk] = minus ? dst[jk] - v : dst[jk] + v;
    }
    for (int i = from; i < ng; ++i) {
        int next[kHandSize];
        std::copy(merged, merged + sz, next);
        SortedInsert(next, sz, gone[i]);
        AddGone(lv, next, sz + 1, gone, ng, i + 1, !minus, dst);
    }
}

}  // namespace

Lookahead::Lookahead(const Deck& deck, int jokers, uint32_t flags, int depth, int threads)
    : deck_(deck), jokers_(jokers), flags_(flags) {
    const int m = deck.Size();
    const int64_t left = m + jokers - kHandSize;
    for (int d = 1; d <= kHandSize; ++d) lcm_ = lcm_ / Gcd(lcm_, static_cast<u128>(Choose(left, d))) * static_cast<u128>(Choose(left, d));
    levels_.resize(static_cast<size_t>(std::max(1, depth)));
    // V0: the prize of every hand.
    Level& zero = levels_[0];
    for (int r = 0; r < kRanks; ++r) zero.prizes[r] = PrizeOf(r, flags);
    zero.rank5.assign(static_cast<size_t>(Choose(m, kHandSize)), 0);
    for (int s = 0; s <= kHandSize; ++s) {
        if (s < kHandSize) zero.rows[s].assign(Entry(Choose(m, s), s), 0);
        if (kHandSize - s > jokers) continue;
        ForEachSubset(m, s, threads, 4096, [&](int* c) {
            int64_t at = 0;
            for (int k = 0; k < s; ++k) at += Choose(c[k], k + 1);
            const int rank = RankOf(deck, c, s, flags);
            if (s == kHandSize)
                zero.rank5[static_cast<size_t>(at)] = static_cast<uint8_t>(rank);
            else
                zero.rows[s][Entry(at, s) + static_cast<size_t>(kHandSize - s)] = static_cast<u128>(PrizeOf(rank, flags));
        });
    }
    BuildRows(deck, zero, threads);
    for (int s = 0; s < kHandSize; ++s) {
        zero.small[s].assign(zero.rows[s].begin(), zero.rows[s].end());
        zero.rows[s] = {};
    }
    for (size_t k = 1; k < levels_.size(); ++k) {
        Level& lv = levels_[k];
        lv.den = levels_[k - 1].den * lcm_;
        for (int s = 0; s < kHandSize; ++s) lv.rows[s].assign(Entry(Choose(m, s), s), 0);
        lv.five.assign(static_cast<size_t>(Choose(m, kHandSize)), 0);
        sums_.push_back(Pass(levels_[k - 1], &lv, threads));
        BuildRows(deck, lv, threads);
    }
}

int Lookahead::Prize(const Situation& s) const {
    return PrizeOf(RankOf(deck_, s.cards.data(), static_cast<int>(s.cards.size()), flags_), flags_);
}

// Sums of V over the hands after every hold: g[mask * 6 + jk] for the hands of jk jokers
// whose ordinary cards are the kept ones plus cards still in the deck.
void Lookahead::Grid(const Level& lv, const Situation& s, u128* g) const {
    const int n = static_cast<int>(s.cards.size()), ng = static_cast<int>(s.gone.size());
    const unsigned masks = 1u << n;
    for (unsigned mask = 0; mask < masks; ++mask) {
        int kept[kHandSize], nk = 0;
        for (int i = 0; i < n; ++i)
            if (mask & (1u << i)) kept[nk++] = s.cards[static_cast<size_t>(i)];
        u128* dst = &g[mask * 6];
        for (int k = 0; k < 6; ++k) dst[k] = 0;
        AddGone(lv, kept, nk, s.gone.data(), ng, 0, false, dst);
    }
    for (int i = 0; i < n; ++i)
        for (unsigned mask = 0; mask < masks; ++mask) {
            if (mask & (1u << i)) continue;
            u128* a = &g[mask * 6];
            const u128* b = &g[(mask | (1u << i)) * 6];
            for (int k = 0; k < kHandSize - Popcount(mask); ++k) a[k] -= b[k];
        }
}

std::vector<Lookahead::Score> Lookahead::All(const Level& lv, const Situation& s) const {
    u128 g[32 * 6];
    Grid(lv, s, g);
    const int left = DeckLeft(deck_, s);
    std::vector<Score> out;
    for (const Hold& h : HoldsOf(static_cast<int>(s.cards.size()), s.jokers)) {
        Score sc;
        sc.hold = h;
        const int d = kHandSize - Popcount(h.keep) - h.jokers;
        if (d == 0) {
            sc.num = static_cast<u128>(Prize(s)) * lv.den;  // standing pat ends the game
        } else {
            for (int mj = 0; mj <= std::min(d, s.deckJokers); ++mj)
                sc.num += static_cast<u128>(Choose(s.deckJokers, mj)) * g[h.keep * 6 + static_cast<unsigned>(h.jokers + mj)];
            sc.draws = Choose(left, d);
        }
        sc.value = static_cast<double>(sc.num) / static_cast<double>(lv.den) / static_cast<double>(sc.draws);
        out.push_back(sc);
    }
    return out;
}

namespace {

bool Better(const Deck& deck, const Situation& s, const Lookahead::Score& a, const Lookahead::Score& b) {
    const u128 x = a.num * static_cast<u128>(b.draws), y = b.num * static_cast<u128>(a.draws);
    return x != y ? x > y : TieFirst(deck, s, a.hold, b.hold);
}

}  // namespace

Lookahead::Score Lookahead::Top(const Level& lv, const Situation& s) const {
    const std::vector<Score> all = All(lv, s);
    size_t best = 0;
    for (size_t i = 1; i < all.size(); ++i)
        if (Better(deck_, s, all[i], all[best])) best = i;
    return all[best];
}

std::vector<Lookahead::Score> Lookahead::Scores(const Situation& s, int drawsLeft) const {
    std::vector<Score> all = All(levels_[static_cast<size_t>(drawsLeft - 1)], s);
    std::stable_sort(all.begin(), all.end(), [&](const Score& a, const Score& b) { return Better(deck_, s, a, b); });
    return all;
}

Lookahead::Score Lookahead::Best(const Situation& s, int drawsLeft) const {
    return Top(levels_[static_cast<size_t>(drawsLeft - 1)], s);
}

double Lookahead::Value(const Situation& hand, int level) const {
    const Level& lv = levels_[static_cast<size_t>(level)];
    const int n = static_cast<int>(hand.cards.size());
    int64_t idx = 0;
    for (int k = 0; k < n; ++k) idx += kBin.c[hand.cards[static_cast<size_t>(k)]][k + 1];
    const u128 v = n == kHandSize ? lv.Five(idx) : lv.Row(n, Entry(idx, n) + static_cast<size_t>(kHandSize - n));
    return static_cast<double>(v) / static_cast<double>(lv.den);
}

// V of every dealt hand one level up from `prev`, stored for every renaming of its suits when
// `out` is given; returns the sum over every deal, weighted by its ways.
u128 Lookahead::Pass(const Level& prev, Level* out, int threads) const {
    const std::vector<DealClass> deals = DealClasses(deck_, std::max(0, kHandSize - jokers_));
    const int64_t chunk = 256, chunks = (static_cast<int64_t>(deals.size()) + chunk - 1) / chunk;
    const int nv = static_cast<int>(deck_.values.size());
    std::vector<u128> sums(static_cast<size_t>(chunks), 0);
    ParallelFor(chunks, threads, [&](int64_t ci) {
        for (int64_t di = ci * chunk; di < std::min<int64_t>(static_cast<int64_t>(deals.size()), (ci + 1) * chunk); ++di) {
            const DealClass& deal = deals[static_cast<size_t>(di)];
            const int j = kHandSize - deal.n;
            const Situation s{std::vector<int>(deal.cards, deal.cards + deal.n), j, {}, jokers_ - j};
            const Score best = Top(prev, s);
            const u128 v = best.num * (lcm_ / static_cast<u128>(best.draws));
            sums[static_cast<size_t>(ci)] += v * static_cast<u128>(deal.ways * Choose(jokers_, j));
            if (out == nullptr) continue;
            std::array<int, 4> perm = {0, 1, 2, 3};
            do {
                int c[kHandSize];
                for (int k = 0; k < deal.n; ++k)
                    SortedInsert(c, k, perm[static_cast<size_t>(deck_.Suit(deal.cards[k]))] * nv + deal.cards[k] % nv);
                int64_t idx = 0;
                for (int k = 0; k < deal.n; ++k) idx += kBin.c[c[k]][k + 1];
                if (deal.n == kHandSize)
                    out->five[static_cast<size_t>(idx)] = static_cast<uint64_t>(v);
                else
                    out->rows[deal.n][Entry(idx, deal.n) + static_cast<size_t>(j)] = v;
            } while (std::next_permutation(perm.begin(), perm.end()));
        }
    });
    u128 sum = 0;
    for (u128 x : sums) sum += x;
    return sum;
}

Fraction Lookahead::ExactPart(int changes, int threads) const {
    u128 den = 1;
    for (int k = 0; k < changes; ++k) den *= lcm_;
    const u128 sum = changes < depth() ? sums_[static_cast<size_t>(changes - 1)] : Pass(levels_.back(), nullptr, threads);
    return Add(Fraction{}, sum, den * static_cast<u128>(Choose(deck_.Size() + jokers_, kHandSize)));
}

// ---- the look-ahead strategy played ----

namespace {

LiveDeck FreshDeck(const Deck& deck, int jokers, const Situation* except) {
    LiveDeck live;
    for (int c = 0; c < deck.Size(); ++c) {
        if (except != nullptr && (std::find(except->cards.begin(), except->cards.end(), c) != except->cards.end() ||
                                  std::find(except->gone.begin(), except->gone.end(), c) != except->gone.end()))
            continue;
        live.cards.push_back(c);
    }
    for (int k = 0; k < jokers; ++k) live.cards.push_back(deck.Size());
    live.left = static_cast<int>(live.cards.size());
    return live;
}

// Throws away what the hold does not keep and draws from the deck; jokers come as deck.Size().
void Draw(const Deck& deck, Situation& s, const Hold& hold, LiveDeck& live, Rng& rng) {
    std::vector<int> kept;
    for (size_t i = 0; i < s.cards.size(); ++i) (hold.keep & (1u << i) ? kept : s.gone).push_back(s.cards[i]);
    std::sort(s.gone.begin(), s.gone.end());
    s.jokers = hold.jokers;
    for (int k = static_cast<int>(kept.size()) + hold.jokers; k < kHandSize; ++k) {
        const int c = live.Draw(rng);
        if (c == deck.Size())
            ++s.jokers, --s.deckJokers;
        else
            kept.push_back(c);
    }
    std::sort(kept.begin(), kept.end());
    s.cards = kept;
}

bool StandsPat(const Situation& s, const Hold& h) {
    return Popcount(h.keep) == static_cast<int>(s.cards.size()) && h.jokers == s.jokers;
}

uint64_t Mix(uint64_t a, uint64_t b) {
    Rng r(a * 0x9E3779B97F4A7C15ull + b);
    return r.Next();
}

// Plays on from a hand just drawn whose V(drawsLeft) the strategy counted on, to the end of
// the game (the final hand is left in s): returns what the later decisions find beyond the
// values counted on before them, the effect of the discards staying out of the deck.
double PlayOn(const Lookahead& la, Situation& s, int drawsLeft, LiveDeck& live, Rng& rng, double counted) {
    double effect = 0;
    for (int r = drawsLeft; r >= 1; --r) {
        const Lookahead::Score sc = la.Best(s, r);
        effect += sc.value - counted;
        if (StandsPat(s, sc.hold)) break;
        Draw(la.deck(), s, sc.hold, live, rng);
        counted = la.Value(s, r - 1);
    }
    return effect;
}

struct MeanSums {
    double n = 0, y = 0, yy = 0;
    void Add(double v) { n += 1, y += v, yy += v * v; }
    void Add(const MeanSums& o) { n += o.n, y += o.y, yy += o.yy; }
    double Mean() const { return y / n; }
    double VarianceOfMean() const { return n > 1 ? std::max(0.0, (yy - y * y / n) / (n - 1) / n) : 1e300; }
};

}  // namespace

Result SimulateLookahead(const Lookahead& la, const Setting& setting, double width, int threads, uint64_t seed,
                         int64_t maxGames, ProgressFn progress, void* context) {
    const int kBatch = 1024, perRound = 2 * std::max(1, threads), minBatches = 16;
    const Fraction exact = la.ExactPart(setting.changes, threads);
    const double counted = static_cast<double>(exact.num) / static_cast<double>(exact.den);
    const uint64_t base = Mix(seed, static_cast<uint64_t>(setting.jokers * 100 + setting.changes * 10) + setting.flags);
    struct Batch {
        MeanSums effect;
        int64_t rank[kRanks] = {};
    };
    std::vector<Batch> round(static_cast<size_t>(perRound));
    MeanSums all;
    int64_t ranks[kRanks] = {}, batches = 0;
    Result res;
    res.setting = setting;
    res.exactPart = counted;
    for (;;) {
        const int64_t start = batches;
        ParallelFor(perRound, threads, [&](int64_t i) {
            Batch& out = round[static_cast<size_t>(i)];
            out = Batch{};
            Rng rng(Mix(base, static_cast<uint64_t>(start + i)));
            for (int g = 0; g < kBatch; ++g) {
                LiveDeck live = FreshDeck(la.deck(), setting.jokers, nullptr);
                Situation s;
                s.deckJokers = setting.jokers;
                Draw(la.deck(), s, Hold{}, live, rng);
                // The prize of a game is the value counted at the deal, plus each draw's luck
                // against the value counted on before it, plus the discards' effect on each
                // later decision. The first has the exact part as its mean and the luck has mean
                // zero: both are known and left out, and only the effect is sampled.
                const Lookahead::Score first = la.Best(s, setting.changes);
                double effect = 0;
                if (!StandsPat(s, first.hold)) {
                    Draw(la.deck(), s, first.hold, live, rng);
                    if (setting.changes > 1)
                        effect = PlayOn(la, s, setting.changes - 1, live, rng, la.Value(s, setting.changes - 1));
                }
                out.effect.Add(effect);
                ++out.rank[RankOf(la.deck(), s.cards.data(), static_cast<int>(s.cards.size()), la.flags())];
            }
        });
        for (const Batch& b : round) {  // in the order the batches are numbered, whatever the threads
            all.Add(b.effect);
            for (int k = 0; k < kRanks; ++k) ranks[k] += b.rank[k];
        }
        batches += perRound;
        res.expectedPrize = counted + all.Mean();
        res.returnPct = 100.0 * res.expectedPrize / setting.Bet();
        res.halfWidthPct = 100.0 * 1.96 * std::sqrt(all.VarianceOfMean()) / setting.Bet();
        res.games = static_cast<int64_t>(all.n);
        for (int k = 0; k < kRanks; ++k) res.rankProb[k] = static_cast<double>(ranks[k]) / all.n;
        const bool enough = batches >= minBatches && res.halfWidthPct <= width;
        if (progress != nullptr)
            progress(enough ? 1.0 : std::min(0.99, std::pow(width / std::max(res.halfWidthPct, 1e-9), 2)), 1.0, context);
        if (enough || res.games >= maxGames) break;
    }
    return res;
}

std::vector<HoldValue> ValueHolds(const Deck& deck, const Lookahead* la, const Situation& s, uint32_t flags,
                                  int drawsLeft, int threads, uint64_t seed, int exactDraw, int samples) {
    std::vector<HoldValue> out;
    if (drawsLeft <= 1 || la == nullptr) {
        const HoldCounts hc = CountHoldsByEnumeration(deck, s, flags, threads);
        std::vector<Lookahead::Score> sc;
        for (size_t i = 0; i < hc.holds.size(); ++i) {
            Lookahead::Score x;
            x.hold = hc.holds[i];
            for (int r = 0; r < kRanks; ++r)
                x.num += static_cast<u128>(hc.counts[i][static_cast<size_t>(r)]) * static_cast<u128>(PrizeOf(r, flags));
            x.draws = hc.draws[i];
            x.value = static_cast<double>(x.num) / static_cast<double>(x.draws);
            sc.push_back(x);
        }
        std::stable_sort(sc.begin(), sc.end(), [&](const auto& a, const auto& b) { return Better(deck, s, a, b); });
        for (const auto& x : sc) out.push_back({x.hold, x.value, 0, x.value});
        return out;
    }
    const std::vector<Lookahead::Score> scores = la->Scores(s, drawsLeft);
    out.resize(scores.size());
    const int left = DeckLeft(deck, s);
    ParallelFor(static_cast<int64_t>(scores.size()), threads, [&](int64_t i) {
        const Lookahead::Score& sc = scores[static_cast<size_t>(i)];
        HoldValue& hv = out[static_cast<size_t>(i)];
        hv.hold = sc.hold;
        hv.score = hv.expectedPrize = sc.value;
        const int d = kHandSize - Popcount(sc.hold.keep) - sc.hold.jokers;
        if (d == 0) return;
        if (drawsLeft == 2 && d <= exactDraw) {
            // Every draw counted: the strategy's last hold after each.
            std::vector<int> avail;
            LiveDeck live = FreshDeck(deck, 0, &s);
            avail.assign(live.cards.begin(), live.cards.end());
            const int na = static_cast<int>(avail.size());
            double sum = 0;
            for (int mj = 0; mj <= std::min(d, s.deckJokers); ++mj) {
                const int draw = d - mj;
                if (draw > na) continue;
                std::vector<int> idx(static_cast<size_t>(draw));
                std::iota(idx.begin(), idx.end(), 0);
                double part = 0;
                for (;;) {
                    Situation t = s;
                    t.cards.clear();
                    for (size_t k = 0; k < s.cards.size(); ++k)
                        (sc.hold.keep & (1u << k) ? t.cards : t.gone).push_back(s.cards[k]);
                    for (int k : idx) t.cards.push_back(avail[static_cast<size_t>(k)]);
                    std::sort(t.cards.begin(), t.cards.end());
                    t.jokers = sc.hold.jokers + mj;
                    t.deckJokers = s.deckJokers - mj;
                    part += la->Best(t, 1).value;
                    int k = draw - 1;
                    while (k >= 0 && idx[static_cast<size_t>(k)] == na - draw + k) --k;
                    if (k < 0) break;
                    ++idx[static_cast<size_t>(k)];
                    for (int q = k + 1; q < draw; ++q) idx[static_cast<size_t>(q)] = idx[static_cast<size_t>(q - 1)] + 1;
                }
                sum += part * static_cast<double>(Choose(s.deckJokers, mj));
            }
            hv.expectedPrize = sum / static_cast<double>(Choose(left, d));
            return;
        }
        // Sampled: the score plus the discards' effect on the later decisions; the luck of the
        // draws has mean zero against the values counted on, so it is left out.
        Rng rng(Mix(seed, static_cast<uint64_t>(i)));
        double sum = 0, sum2 = 0;
        for (int k = 0; k < samples; ++k) {
            LiveDeck live = FreshDeck(deck, s.deckJokers, &s);
            Situation t = s;
            Draw(deck, t, sc.hold, live, rng);
            const double e = PlayOn(*la, t, drawsLeft - 1, live, rng, la->Value(t, drawsLeft - 1));
            sum += e, sum2 += e * e;
        }
        const double mean = sum / samples;
        hv.expectedPrize = sc.value + mean;
        hv.halfWidth = 1.96 * std::sqrt(std::max(0.0, (sum2 / samples - mean * mean) / (samples - 1)));
    });
    return out;
}

}  // namespace odds
