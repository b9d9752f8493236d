// The odds engine against plain enumeration and known counts; the tool's input checks and
// its table in the guide.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <sstream>
#include <string>
#include <tuple>
#include <sys/wait.h>
#include <unistd.h>

#include "odds.h"
#include "support/files.h"

namespace {

using support::kSanitized;

// The full deck takes seconds to tabulate: the sanitized build checks reduced decks only. The
// tests that skip are OddsFullDeck.*, which ctest runs as an entry of its own.
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
    const size_t n = c.size();
    size_t i = n;
    while (i > 0 && c[i - 1] == m - static_cast<int>(n - i) - 1) --i;
    if (i-- == 0) return false;
    for (int next = c[i] + 1; i < n; ++i) c[i] = next++;
    return true;
}

// Every hold of every dealt hand, with and without cards thrown away earlier, counted by the
// table and by enumerating every draw; the look-ahead strategy's last decision finds the best.
TEST(Odds, TableCountsEqualEnumerationOnReducedDecks) {
    // Royals and flushes; four jokers with a Two, and five jokers, under both words.
    const Reduced decks[] = {{{0, 11, 12}, 1, 0x100, 2}, {{1, 12}, 5, 0x300, 3}, {{1, 12}, 5, 0, 0}};
    for (const Reduced& r : decks) {
        const odds::Deck deck{r.values};
        const odds::Table table(deck, 1);
        const odds::Lookahead look(deck, r.jokers, r.flags, 1, 1);
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
                ASSERT_NEAR(look.Best(s, 1).value, best, 1e-9);
            } while (NextCombination(c, deck.Size()));
        }
    }
}

// The look-ahead strategy by plain enumeration on a small deck: V by recursion over every draw,
// remembered by hand; the decisions and the game over every draw.
struct Plain {
    const odds::Deck& deck;
    int jokers;
    uint32_t flags;
    std::map<std::tuple<int, std::vector<int>, int, std::vector<int>, int>, double> memo;

    int Rank(const odds::Situation& s) const { return odds::RankOf(deck, s.cards.data(), static_cast<int>(s.cards.size()), flags); }
    double Prize(const odds::Situation& s) const { return odds::PrizeOf(Rank(s), flags); }
    static bool Pat(const odds::Situation& s, const odds::Hold& h) { return h.keep + 1 == 1u << s.cards.size() && h.jokers == s.jokers; }
    // f(hand, weight) for every draw after hold h (a deal: the empty hand's draw of five).
    template <typename F>
    void Draws(const odds::Situation& s, const odds::Hold& h, F f) const {
        std::vector<int> avail, kept, gone = s.gone;
        for (int c = 0; c < deck.Size(); ++c)
            if (std::count(s.cards.begin(), s.cards.end(), c) + std::count(s.gone.begin(), s.gone.end(), c) == 0) avail.push_back(c);
        for (size_t i = 0; i < s.cards.size(); ++i) (h.keep & (1u << i) ? kept : gone).push_back(s.cards[i]);
        const int d = odds::kHandSize - static_cast<int>(kept.size()) - h.jokers;
        for (int mj = std::max(0, d - static_cast<int>(avail.size())); mj <= std::min(d, s.deckJokers); ++mj) {
            std::vector<int> x(static_cast<size_t>(d - mj));
            std::iota(x.begin(), x.end(), 0);
            do {
                odds::Situation t{kept, h.jokers + mj, gone, s.deckJokers - mj};
                for (int i : x) t.cards.push_back(avail[static_cast<size_t>(i)]);
                std::sort(t.cards.begin(), t.cards.end());
                f(t, static_cast<double>(odds::Choose(s.deckJokers, mj)));
            } while (NextCombination(x, static_cast<int>(avail.size())));
        }
    }
    template <typename F>
    double Mean(const odds::Situation& s, const odds::Hold& h, F f) const {
        double sum = 0, n = 0;
        Draws(s, h, [&](const odds::Situation& t, double w) { sum += w * f(t), n += w; });
        return sum / n;
    }
    // What the strategy counts a hold worth: standing pat the prize, else the mean V(level) after.
    double Worth(const odds::Situation& s, const odds::Hold& h, int level) {
        if (Pat(s, h)) return Prize(s);
        return Mean(s, h, [&](const odds::Situation& t) { return V({t.cards, t.jokers, {}, jokers - t.jokers}, level); });
    }
    double V(const odds::Situation& s, int level) {
        if (level == 0) return Prize(s);
        const auto key = std::make_tuple(-level, s.cards, s.jokers, s.gone, 0);
        if (const auto it = memo.find(key); it != memo.end()) return it->second;
        return memo[key] = Worth(s, Decide(s, level), level - 1);
    }
    odds::Hold Decide(const odds::Situation& s, int drawsLeft) {
        odds::Hold best{~0u, 0};
        double value = -1;
        for (unsigned keep = 0; keep < 1u << s.cards.size(); ++keep)
            for (int j = 0; j <= s.jokers; ++j) {
                const double w = Worth(s, {keep, j}, drawsLeft - 1);
                if (w > value + 1e-9 || (w > value - 1e-9 && odds::TieFirst(deck, s, {keep, j}, best))) best = {keep, j}, value = w;
            }
        return best;
    }
    double Play(const odds::Situation& s, int drawsLeft) {
        const auto key = std::make_tuple(drawsLeft, s.cards, s.jokers, s.gone, s.deckJokers);
        if (const auto it = memo.find(key); it != memo.end()) return it->second;
        const odds::Hold h = Decide(s, drawsLeft);
        return memo[key] = Pat(s, h) ? Prize(s) : Mean(s, h, [&](const odds::Situation& t) {
            return drawsLeft == 1 ? Prize(t) : Play(t, drawsLeft - 1);
        });
    }
};

// The engine's exact return against a plain average over every deal of the best hold found by
// enumeration.
TEST(Odds, ExactReturnEqualsEnumerationOnReducedDecks) {
    const Reduced decks[] = {{{0, 11, 12}, 1, 0}, {{0, 1, 2}, 0, 0x100}, {{1, 12}, 5, 0x300}, {{0, 4}, 2, 0x200}};
    for (const Reduced& red : decks) {
        if (kSanitized && red.values.size() > 2) continue;  // the slow build plays the small decks
        const odds::Deck deck{red.values};
        const odds::Table table(deck, 2);
        const int jokers = red.jokers;
        Plain plain{deck, jokers, red.flags, {}};
        double sum = 0, ranks[odds::kRanks] = {};
        // Every deal as it comes, ties broken by the rule: the ranks must match the pass over
        // deals reduced by suit symmetry.
        plain.Draws({{}, 0, {}, jokers}, {}, [&](const odds::Situation& s, double w) {
            const odds::Hold h = plain.Decide(s, 1);
            double n = 0;
            plain.Draws(s, h, [&](const odds::Situation&, double v) { n += v; });
            plain.Draws(s, h, [&](const odds::Situation& t, double v) { ranks[plain.Rank(t)] += w * v / n; });
            sum += w * plain.Worth(s, h, 0);
        });
        const double deals = static_cast<double>(odds::Choose(deck.Size() + jokers, 5));
        const odds::Result r = odds::ExactOneChange(table, {{jokers, 1, red.flags}}, 2)[0];
        EXPECT_NEAR(r.expectedPrize, sum / deals, 1e-9) << jokers << " jokers";
        for (int k = 0; k < odds::kRanks; ++k) EXPECT_NEAR(r.rankProb[k], ranks[k] / deals, 1e-12) << "rank " << k;
        EXPECT_NEAR(static_cast<double>(r.returnFraction.num) / static_cast<double>(r.returnFraction.den),
                    r.returnPct / 100, 1e-12);
        // The strategy's first level is the one-change optimum, to the last digit.
        const odds::Fraction v1 = odds::Lookahead(deck, jokers, red.flags, 1, 2).ExactPart(1, 2);
        const odds::u128 bet = static_cast<odds::u128>(jokers + 1);
        EXPECT_EQ(v1.num * r.returnFraction.den, r.returnFraction.num * bet * v1.den) << jokers << " jokers";
    }
}

// Never exchanging, the deal alone gives the known five-card counts; optimal play beats it and
// keeping what pays, and its return without jokers is pinned.
TEST(OddsFullDeck, OptimalPlayIsPinnedAndBeatsNeverExchangingAndKeepingWhatPays) {
    FULL_DECK_ONLY();
    // Lousy, pair, two pairs, three, straight, flush, full house, four, five, straight flush, royal.
    const std::array<int64_t, odds::kRanks> noJokers = {1302540, 1098240, 123552, 54912, 10200, 5108, 3744, 624, 0, 36, 4};
    std::vector<odds::Setting> settings;
    for (int j = 0; j <= odds::kMaxJokers; ++j)
        for (uint32_t f : odds::kFlagWords)
            for (odds::Policy p : {odds::Policy::Optimal, odds::Policy::NeverExchange, odds::Policy::KeepPaid})
                settings.push_back({j, 1, f, p});
    const std::vector<odds::Result> r = odds::ExactOneChange(FullTable(), settings, 2);
    EXPECT_EQ(odds::ToString(r[0].returnFraction.num) + "/" + odds::ToString(r[0].returnFraction.den), "5528897663/1931514585");
    for (size_t i = 0; i < r.size(); i += 3) {
        const double deals = static_cast<double>(odds::Choose(52 + r[i].setting.jokers, 5));
        double total = 0;
        for (int k = 0; k < odds::kRanks; ++k) total += r[i + 1].rankProb[k] * deals;
        EXPECT_NEAR(total, deals, 1e-3) << r[i].setting.jokers << " jokers";
        for (int k = 0; i == 0 && k < odds::kRanks; ++k)
            EXPECT_EQ(std::llround(r[1].rankProb[k] * deals), noJokers[static_cast<size_t>(k)]) << "rank " << k;
        EXPECT_GT(r[i].returnPct, r[i + 1].returnPct) << r[i].setting.jokers << " jokers, flags " << r[i].setting.flags;
        EXPECT_GT(r[i].returnPct, r[i + 2].returnPct) << r[i].setting.jokers << " jokers, flags " << r[i].setting.flags;
    }
}

// The strategy's exact part and the tool's figure against playing it on every deal and every
// draw: the exact part to the last digit, the figure within its interval.
TEST(Odds, LookaheadReturnEqualsPlainEnumerationOnReducedDecks) {
    const struct { std::vector<int> values; int jokers; uint32_t flags; int changes; bool sanitized; } cases[] = {
        {{0, 12}, 7, 0x300, 2, true}, {{0, 9, 12}, 3, 0, 2, false}, {{0, 12}, 12, 0x100, 3, false}};
    for (const auto& c : cases) {
        if (kSanitized && !c.sanitized) continue;
        const odds::Deck deck{c.values};
        Plain plain{deck, c.jokers, c.flags, {}};
        const odds::Situation none{{}, 0, {}, c.jokers};
        const double counted = plain.Mean(none, {}, [&](const odds::Situation& d) { return plain.V(d, c.changes); });
        const double played = plain.Mean(none, {}, [&](const odds::Situation& d) { return plain.Play(d, c.changes); });
        const odds::Lookahead look(deck, c.jokers, c.flags, c.changes, 2);
        const odds::Fraction exact = look.ExactPart(c.changes, 2);
        EXPECT_NEAR(static_cast<double>(exact.num) / static_cast<double>(exact.den), counted, 1e-9) << c.changes;
        const odds::Setting setting{c.jokers, c.changes, c.flags};
        const odds::Result r = odds::SimulateLookahead(look, setting, 0.5, 2, 23, kSanitized ? 1 << 12 : 1 << 16);
        EXPECT_NEAR(r.expectedPrize, played, r.halfWidthPct / 100 * setting.Bet()) << c.changes << " changes";
        EXPECT_GT(r.halfWidthPct, 0);
    }
}

// With two draws left, holds that draw one or two cards are worth exactly what playing on over
// every draw gives.
TEST(Odds, TwoDrawHoldValuesEqualPlainEnumeration) {
    const odds::Deck deck{{0, 11, 12}};
    Plain plain{deck, 3, 0, {}};
    const odds::Lookahead look(deck, 3, 0, 2, 2);
    const odds::Situation hands[] = {{{0, 3, 4, 5, 6}, 0, {}, 3}, {{1, 2, 7, 10}, 1, {}, 2}};
    for (const odds::Situation& s : hands) {
        const std::vector<odds::HoldValue> values = odds::ValueHolds(deck, &look, s, 0, 2, 2, 23, 2, 64);
        int counted = 0;
        for (const odds::HoldValue& v : values) {
            const int d = odds::kHandSize - std::popcount(v.hold.keep) - v.hold.jokers;
            if (d < 1 || d > 2) continue;
            EXPECT_NEAR(v.score, plain.Worth(s, v.hold, 1), 1e-9);
            EXPECT_NEAR(v.expectedPrize, plain.Mean(s, v.hold, [&](const odds::Situation& t) { return plain.Play(t, 1); }), 1e-9)
                << "hold " << v.hold.keep << "/" << v.hold.jokers;
            EXPECT_EQ(v.halfWidth, 0);
            ++counted;
        }
        EXPECT_GT(counted, 5);
        if (kSanitized) break;  // one hand is enough where the build is slow
        EXPECT_EQ(values.front().hold.keep, plain.Decide(s, 2).keep);
    }
}

struct ToolRun { int status; std::string out; };

ToolRun Tool(const std::string& args, const std::string& program = std::string(POKER_BINARY_DIR) + "/tools/odds/poker-odds") {
    ToolRun run{-1, ""};
    FILE* p = popen((program + " 2>&1 " + args).c_str(), "r");
    if (p == nullptr) return run;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) run.out.append(buf, n);
    if (const int st = pclose(p); WIFEXITED(st)) run.status = WEXITSTATUS(st);
    return run;
}

TEST(OddsTool, BadInputIsNamedAndExitsWithStatus2) {
    const struct { const char* args, *message; } cases[] = {
        {"--hand 'AS KS QS JS 1D'", "unknown card \"1D\""}, {"--hand 'AS KS QS JS AS'", "AS is in the hand twice"},
        {"--jokers 1 --hand 'JK JK QS JS TS'", "holds 2 jokers but the deck has 1"},
        {"--hand 'AS KS QS JS TS 9S'", "five cards, \"AS KS QS JS TS 9S\" has 6"},
        {"--jokers 9", "--jokers must be 0 to 8"}, {"--changes 0", "--changes must be 1 to 3"},
        {"--changes 1 --hand 'AS KS QS JS TS' --draws-left 2", "more than the setting's 1 change\n"},
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

// Installed under another name, the tool answers to it; its man page lists every option its
// usage names.
TEST(OddsTool, NamesItselfAsStartedAndTheManPageListsEveryOption) {
    const std::string link = ::testing::TempDir() + "tarnwell-poker-odds";
    std::remove(link.c_str());
    ASSERT_EQ(symlink((std::string(POKER_BINARY_DIR) + "/tools/odds/poker-odds").c_str(), link.c_str()), 0);
    const std::string out = Tool("--help; " + link + " --version", link).out;
    std::remove(link.c_str());
    EXPECT_EQ(out.rfind("usage: tarnwell-poker-odds [", 0), 0u) << out;
    EXPECT_NE(out.find("\ntarnwell-poker-odds " POKER_VERSION "\n"), std::string::npos) << out;
    const std::string man = support::ReadFile(std::string(POKER_SOURCE_DIR) + "/dist/tarnwell-poker.6.in");
    const std::string synopsis = man.substr(0, man.find(".SH DESCRIPTION"));
    int options = 0;
    for (size_t at = out.find("--"); at != std::string::npos; at = out.find("--", at + 2)) {
        const std::string option = out.substr(at, out.find_first_not_of("-abcdefghijklmnopqrstuvwxyz", at) - at);
        std::string escaped;
        for (char c : option) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
        const bool listed = synopsis.find(".B " + escaped) != std::string::npos || synopsis.find("[ " + escaped) != std::string::npos;
        EXPECT_TRUE(listed) << option;
        ++options;
    }
    EXPECT_GE(options, 10);
}

// The guide's figures are the tool's: the one-change table line for line, and each figure of
// the look-ahead strategy as the tool gives it for that setting.
TEST(OddsFullDeck, TheGuideShowsTheToolsFigures) {
    FULL_DECK_ONLY();
    const std::string text = support::ReadFile(std::string(POKER_SOURCE_DIR) + "/drawer/poker.guide");
    const size_t node = text.find("@node Odds ");
    ASSERT_NE(node, std::string::npos);
    const std::string body = text.substr(node, text.find("@endnode", node) - node);
    const ToolRun run = Tool("--all --changes 1 2>/dev/null");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_NE(body.find(run.out), std::string::npos) << "the guide's table differs from:\n" << run.out;
    std::istringstream lines(body);
    int figures = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("look-ahead") == std::string::npos || line.find('%') == std::string::npos) continue;
        std::istringstream row(line);
        std::string jokers, changes, fiveJokers, fiveKind;
        row >> jokers >> changes >> fiveJokers >> fiveKind;
        const ToolRun one = Tool("--jokers " + jokers + " --changes " + changes +
                                 (fiveJokers == "best" ? " --five-jokers-best" : "") +
                                 (fiveKind == "above" ? " --five-kind-above" : ""));
        const size_t at = one.out.find("Return of");
        double figure = 0, width = 0;
        ASSERT_EQ(std::sscanf(one.out.c_str() + std::min(at, one.out.size()), "Return of the look-ahead strategy: %lf%% +- %lf",
                              &figure, &width), 2) << one.out;
        char shown[64];
        std::snprintf(shown, sizeof shown, "%.2f%% +-%.2f look-ahead", figure, width);
        EXPECT_NE(line.find(shown), std::string::npos) << "the guide says \"" << line << "\", the tool " << shown;
        ++figures;
    }
    EXPECT_GE(figures, 3);
}

}  // namespace
