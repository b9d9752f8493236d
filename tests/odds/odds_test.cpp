// The odds engine against plain enumeration and known counts; the tool's input checks and
// its table in the guide.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include "odds.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

// The full deck takes seconds to tabulate: the sanitized build checks reduced decks only.
#define FULL_DECK_ONLY() \
    if (kSanitized) GTEST_SKIP() << "full deck: plain build only"

const odds::Table& FullTable() {
    static const odds::Table table(odds::Deck::Full(), 2);
    return table;
}

// gone: ordinary cards thrown away earlier in the game, for the counts by hold.
struct Reduced { std::vector<int> values; int jokers; uint32_t flags; int gone = 0; };

// Steps c to the next set of c.size() of the numbers 0..m-1 in lexicographic order; false after the last.
bool NextCombination(std::vector<int>& c, int m) {
    const int n = static_cast<int>(c.size());
    int i = n - 1;
    while (i >= 0 && c[static_cast<size_t>(i)] == m - n + i) --i;
    if (i < 0) return false;
    ++c[static_cast<size_t>(i)];
    for (int k = i + 1; k < n; ++k) c[static_cast<size_t>(k)] = c[static_cast<size_t>(k - 1)] + 1;
    return true;
}

// Every hold of every dealt hand, with and without cards thrown away earlier, counted by the
// table and by enumerating every draw.
TEST(Odds, TableCountsEqualEnumerationOnReducedDecks) {
    // Royals and flushes; four jokers with a Two, and five jokers, under both words.
    const Reduced decks[] = {{{0, 11, 12}, 1, 0x100, 2}, {{1, 12}, 5, 0x300, 3}, {{1, 12}, 5, 0, 0}};
    for (const Reduced& r : decks) {
        const odds::Deck deck{r.values};
        const odds::Table table(deck, 1);
        for (int j = 0; j <= std::min(r.jokers, odds::kHandSize); ++j) {
            const int n = odds::kHandSize - j;
            std::vector<int> c(static_cast<size_t>(n));
            std::iota(c.begin(), c.end(), 0);
            do {
                odds::Situation s{c, j, {}, r.jokers - j};
                for (int x = 0; x < deck.Size() && static_cast<int>(s.gone.size()) < r.gone; ++x)
                    if (std::find(c.begin(), c.end(), x) == c.end()) s.gone.push_back(x);
                const odds::HoldCounts fast = odds::CountHolds(table, s), slow = odds::CountHoldsByEnumeration(deck, s, r.flags);
                ASSERT_EQ(fast.holds.size(), slow.holds.size());
                double best = -1;
                for (size_t h = 0; h < fast.holds.size(); ++h) {
                    std::vector<int64_t> byRank(odds::kRanks, 0);
                    for (int k = 0; k < table.classes(); ++k)
                        byRank[static_cast<size_t>(table.Rank(k, r.flags))] += fast.counts[h][static_cast<size_t>(k)];
                    ASSERT_EQ(byRank, slow.counts[h]) << "hold " << h << " of a hand with " << j << " jokers";
                    ASSERT_EQ(fast.draws[h], slow.draws[h]);
                    double prize = 0;
                    for (int k = 0; k < odds::kRanks; ++k) prize += static_cast<double>(byRank[static_cast<size_t>(k)]) * odds::PrizeOf(k, r.flags);
                    best = std::max(best, prize / static_cast<double>(slow.draws[h]));
                }
                ASSERT_NEAR(odds::AdviserHold(table, s, r.flags).value, best, 1e-9);
            } while (NextCombination(c, deck.Size()));
        }
    }
}

// The engine's exact return against a plain average over every deal of the best hold found by
// enumeration.
TEST(Odds, ExactReturnEqualsEnumerationOnReducedDecks) {
    const Reduced decks[] = {{{0, 11, 12}, 1, 0}, {{0, 1, 2}, 0, 0x100}, {{1, 12}, 5, 0x300}};
    for (const Reduced& red : decks) {
        const odds::Deck deck{red.values};
        const odds::Table table(deck, 2);
        const int jokers = red.jokers;
        double sum = 0;
        const int m = deck.Size() + jokers;
        std::vector<int> deal = {0, 1, 2, 3, 4};
        do {
            odds::Situation s;
            for (int x : deal) (x < deck.Size() ? s.cards.push_back(x) : void(++s.jokers));
            s.deckJokers = jokers - s.jokers;
            double best = 0;
            for (const odds::HoldValue& v : odds::ValueHolds(deck, nullptr, s, red.flags, 1, 1, 0))
                best = std::max(best, v.expectedPrize);
            sum += best;
        } while (NextCombination(deal, m));
        const odds::Result r = odds::ExactOneChange(table, {{jokers, 1, red.flags}}, 2)[0];
        EXPECT_NEAR(r.expectedPrize, sum / static_cast<double>(odds::Choose(m, 5)), 1e-9) << jokers << " jokers";
        EXPECT_NEAR(static_cast<double>(r.returnFraction.num) / static_cast<double>(r.returnFraction.den),
                    r.returnPct / 100, 1e-12);
    }
}

TEST(Odds, TheDealAloneGivesTheKnownFrequencies) {
    FULL_DECK_ONLY();
    // Lousy, pair, two pairs, three, straight, flush, full house, four, five, straight flush, royal.
    const std::array<int64_t, odds::kRanks> noJokers = {1302540, 1098240, 123552, 54912, 10200, 5108, 3744, 624, 0, 36, 4};
    for (const int jokers : {0, 3, 8}) {
        odds::Setting never{jokers, 1, 0, odds::Policy::NeverExchange};
        const odds::Result r = odds::ExactOneChange(FullTable(), {never}, 2)[0];
        const double deals = static_cast<double>(odds::Choose(52 + jokers, 5));
        double total = 0;
        for (int k = 0; k < odds::kRanks; ++k) total += r.rankProb[k] * deals;
        EXPECT_NEAR(total, deals, 1e-3) << jokers << " jokers";
        for (int k = 0; jokers == 0 && k < odds::kRanks; ++k)
            EXPECT_EQ(std::llround(r.rankProb[k] * deals), noJokers[static_cast<size_t>(k)]) << "rank " << k;
    }
}

TEST(Odds, OptimalPlayBeatsNeverExchangingAndKeepingWhatPays) {
    FULL_DECK_ONLY();
    std::vector<odds::Setting> settings;
    for (int j = 0; j <= odds::kMaxJokers; ++j)
        for (uint32_t f : odds::kFlagWords)
            for (odds::Policy p : {odds::Policy::Optimal, odds::Policy::NeverExchange, odds::Policy::KeepPaid})
                settings.push_back({j, 1, f, p});
    const std::vector<odds::Result> r = odds::ExactOneChange(FullTable(), settings, 2);
    for (size_t i = 0; i < r.size(); i += 3) {
        EXPECT_GT(r[i].returnPct, r[i + 1].returnPct) << r[i].setting.jokers << " jokers, flags " << r[i].setting.flags;
        EXPECT_GT(r[i].returnPct, r[i + 2].returnPct) << r[i].setting.jokers << " jokers, flags " << r[i].setting.flags;
    }
}

struct ToolRun { int status; std::string out; };

ToolRun Tool(const std::string& args) {
    const std::string cmd = std::string(POKER_BINARY_DIR) + "/tools/odds/poker-odds 2>&1 " + args;
    ToolRun run{-1, ""};
    FILE* p = popen(cmd.c_str(), "r");
    if (p == nullptr) return run;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) run.out.append(buf, n);
    const int st = pclose(p);
    run.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return run;
}

TEST(OddsTool, BadInputIsNamedAndExitsWithStatus2) {
    const struct { const char* args, *message; } cases[] = {
        {"--hand 'AS KS QS JS 1D'", "unknown card \"1D\""}, {"--hand 'AS KS QS JS AS'", "AS is in the hand twice"},
        {"--jokers 1 --hand 'JK JK QS JS TS'", "holds 2 jokers but the deck has 1"},
        {"--hand 'AS KS QS JS TS 9S'", "five cards, \"AS KS QS JS TS 9S\" has 6"},
        {"--jokers 9", "--jokers must be 0 to 8"}, {"--changes 0", "--changes must be 1 to 3"},
        {"--changes 1 --hand 'AS KS QS JS TS' --draws-left 2", "more than the setting's 1 changes"},
        {"--colour red", "unknown argument \"--colour\""},
    };
    for (const auto& c : cases) {
        const ToolRun run = Tool(c.args);
        EXPECT_EQ(run.status, 2) << c.args;
        EXPECT_NE(run.out.find(c.message), std::string::npos) << c.args << ": " << run.out;
    }
}

TEST(OddsTool, HandAdviceRanksTheHoldsByTheirExactWorth) {
    // Four to a royal with 3 jokers among 50 unseen cards: 4 royals, 8 flushes, 3 straights.
    const ToolRun run = Tool("--jokers 3 --hand 'AS KS QS JS 9D'");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("Turn over         Expected prize\nAS KS QS JS --    9D                  31.6000\n"),
              std::string::npos) << run.out;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 3 + 32);
}

// The guide's table of one-change returns is the tool's, line for line.
TEST(OddsTool, TheGuideShowsTheToolsOneChangeTable) {
    FULL_DECK_ONLY();
    const ToolRun run = Tool("--all --changes 1 2>/dev/null");
    ASSERT_EQ(run.status, 0) << run.out;
    std::ifstream in(std::string(POKER_SOURCE_DIR) + "/drawer/poker.guide");
    std::stringstream guide;
    guide << in.rdbuf();
    const std::string text = guide.str();
    const size_t node = text.find("@node Odds ");
    ASSERT_NE(node, std::string::npos);
    const std::string body = text.substr(node, text.find("@endnode", node) - node);
    EXPECT_NE(body.find(run.out), std::string::npos) << "the guide's table differs from:\n" << run.out;
}

}  // namespace
