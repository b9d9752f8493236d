// poker-odds: what every setting of Tarnwell Poker returns, and which cards of a hand to keep.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "game/handpile.h"
#include "odds.h"

namespace {

const char kUsage[] =
    "usage: poker-odds [--jokers J] [--changes C] [--five-jokers-best] [--five-kind-above]\n"
    "       poker-odds --all [--changes C]\n"
    "       poker-odds --hand \"AS KS QS JS 9D\" [--jokers J] [--changes C] [--draws-left N] [preferences]\n"
    "  J is 0 to 8 (3 unless given), C is 1 to 3 (1 unless given); cards are a rank\n"
    "  (A 2 .. 9 T J Q K) and a suit (S H D C), and JK for a joker.\n";

constexpr double kWidth = 0.24;  // points of return: the widest 95% interval a simulated figure may have
constexpr uint64_t kSeed = 14;

int Fail(const std::string& message) {
    std::fprintf(stderr, "poker-odds: %s\n", message.c_str());
    return 2;
}

struct Progress {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    double base = 0, weight = 1;  // the share of the whole run the current step covers
    bool shown = false;
    int percent = -1;  // the figure on the bar now; the bar is drawn again only when it moves
    void Show(double fraction) {
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const int now = static_cast<int>(fraction * 100 + 0.5);
        if (secs < 1.0 || now == percent) return;
        const int width = 40, filled = static_cast<int>(fraction * width + 0.5);
        std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(static_cast<size_t>(filled), '#').c_str(),
                     std::string(static_cast<size_t>(width - filled), '.').c_str(), now);
        percent = now;
        shown = true;
    }
    void Finish() {
        if (shown) std::fprintf(stderr, "\r%*s\r", 48, "");
    }
};

void OnProgress(double done, double total, void* context) {
    auto* p = static_cast<Progress*>(context);
    p->Show(p->base + p->weight * (total > 0 ? done / total : 1));
}

const char* FiveJokers(uint32_t flags) { return (flags & HAND_FIVE_JOKERS_BEST) ? "best" : "lousy"; }
const char* FiveKind(uint32_t flags) { return (flags & HAND_FIVE_KIND_ABOVE_SF) ? "above SF" : "below SF"; }

void PrintSetting(const odds::Result& r) {
    const odds::Setting& s = r.setting;
    std::printf("Setting: %d joker%s, %d change%s; five jokers %s, five of a kind %s\n", s.jokers,
                s.jokers == 1 ? "" : "s", s.changes, s.changes == 1 ? "" : "s",
                (s.flags & HAND_FIVE_JOKERS_BEST) ? "best" : "lousy", FiveKind(s.flags));
    std::printf("Bet: %d\n", s.Bet());
    if (r.exact) {
        std::printf("Expected prize per game: %.6f (optimal play, exact)\n", r.expectedPrize);
        std::printf("Return: %.4f%% = %s/%s\n", r.returnPct, odds::ToString(r.returnFraction.num).c_str(),
                    odds::ToString(r.returnFraction.den).c_str());
        std::printf("\nFinal hand        probability\n");
    } else {
        std::printf("Expected prize per game: %.4f (the adviser's strategy, simulated over %lld games; not the optimum)\n",
                    r.expectedPrize, static_cast<long long>(r.games));
        std::printf("Return of the adviser's strategy: %.2f%% +- %.2f (95%% interval)\n", r.returnPct, r.halfWidthPct);
        std::printf("\nFinal hand        probability (the adviser's strategy, simulated)\n");
    }
    for (int k = odds::kRanks - 1; k >= 0; --k) std::printf("%-16s %10.6f%%\n", HandNames[k], 100 * r.rankProb[k]);
}

void PrintRow(const odds::Result& r) {
    const odds::Setting& s = r.setting;
    if (r.exact)
        std::printf("%8d %7d  %-8s  %-9s %4d  %9.4f%%  exact\n", s.jokers, s.changes, FiveJokers(s.flags),
                    FiveKind(s.flags), s.Bet(), r.returnPct);
    else
        std::printf("%8d %7d  %-8s  %-9s %4d  %7.2f%% +-%.2f adviser's\n", s.jokers, s.changes,
                    FiveJokers(s.flags), FiveKind(s.flags), s.Bet(), r.returnPct, r.halfWidthPct);
}

bool ParseNumber(const char* text, int lo, int hi, int* out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < lo || v > hi) return false;
    *out = static_cast<int>(v);
    return true;
}

// A card as the tool writes it: ordinary cards by number (suit * 13 + value), -1 a joker.
bool ParseCard(std::string w, int* out) {
    for (char& c : w) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (w == "JK") {
        *out = -1;
        return true;
    }
    if (w.size() == 3 && w.compare(0, 2, "10") == 0) w = "T" + w.substr(2);
    static const std::string ranks = "A23456789TJQK", suits = "SHDC";
    if (w.size() != 2 || ranks.find(w[0]) == std::string::npos || suits.find(w[1]) == std::string::npos) return false;
    *out = static_cast<int>(suits.find(w[1]) * 13 + ranks.find(w[0]));
    return true;
}

std::string CardName(int c) {
    if (c < 0) return "JK";
    return std::string(1, "A23456789TJQK"[c % 13]) + "SHDC"[c / 13];
}

int RunHand(const std::string& text, const odds::Setting& setting, int drawsLeft, int threads) {
    std::vector<int> slots;
    std::string word;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != ' ' && text[i] != ',' && text[i] != '\t') {
            word += text[i];
            continue;
        }
        if (word.empty()) continue;
        int c = 0;
        if (!ParseCard(word, &c))
            return Fail("unknown card \"" + word + "\" (write a rank A 2-9 T J Q K and a suit S H D C, or JK for a joker)");
        for (int other : slots)
            if (c >= 0 && other == c) return Fail("the card " + CardName(c) + " is in the hand twice");
        slots.push_back(c);
        word.clear();
    }
    if (slots.size() != odds::kHandSize)
        return Fail("a hand is five cards, \"" + text + "\" has " + std::to_string(slots.size()));
    odds::Situation s;
    for (int c : slots) {
        if (c < 0)
            ++s.jokers;
        else
            s.cards.push_back(c);
    }
    if (s.jokers > setting.jokers)
        return Fail("the hand holds " + std::to_string(s.jokers) + " jokers but the deck has " +
                    std::to_string(setting.jokers) + " (--jokers " + std::to_string(setting.jokers) + ")");
    std::sort(s.cards.begin(), s.cards.end());
    s.deckJokers = setting.jokers - s.jokers;
    const odds::Deck deck = odds::Deck::Full();
    std::unique_ptr<odds::Table> table;
    if (drawsLeft > 1) table = std::make_unique<odds::Table>(deck, threads);
    const std::vector<odds::HoldValue> values =
        odds::ValueHolds(deck, table.get(), s, setting.flags, drawsLeft, threads, kSeed);

    struct Row {
        unsigned slots;
        double value, halfWidth;
    };
    std::vector<Row> rows;
    for (unsigned p = 32; p-- > 0;) {
        unsigned keep = 0;
        int jokers = 0;
        for (int i = 0; i < odds::kHandSize; ++i) {
            if (!(p & (1u << i))) continue;
            if (slots[static_cast<size_t>(i)] < 0) {
                ++jokers;
                continue;
            }
            const auto at = std::find(s.cards.begin(), s.cards.end(), slots[static_cast<size_t>(i)]) - s.cards.begin();
            keep |= 1u << at;
        }
        for (const odds::HoldValue& v : values)
            if (v.hold.keep == keep && v.hold.jokers == jokers) rows.push_back({p, v.expectedPrize, v.halfWidth});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.value > b.value + 1e-12; });
    std::printf("Hand: %s   (%d joker%s in the game, %d draw%s left; five jokers %s, five of a kind %s)\n",
                text.c_str(), setting.jokers, setting.jokers == 1 ? "" : "s", drawsLeft, drawsLeft == 1 ? "" : "s",
                (setting.flags & HAND_FIVE_JOKERS_BEST) ? "best" : "lousy", FiveKind(setting.flags));
    if (drawsLeft > 1)
        std::printf("Expected prizes under the adviser's strategy for the later draws (simulated, 95%% interval)\n");
    std::printf("\nKeep              Turn over         Expected prize\n");
    for (const Row& r : rows) {
        std::string keep, turn;
        for (int i = 0; i < odds::kHandSize; ++i) {
            const std::string name = CardName(slots[static_cast<size_t>(i)]);
            keep += (r.slots & (1u << i)) ? name + " " : "-- ";
            if (!(r.slots & (1u << i))) turn += name + " ";
        }
        if (turn.empty()) turn = "nothing";
        if (r.halfWidth > 0)
            std::printf("%-17s %-17s %9.4f +- %.4f\n", keep.c_str(), turn.c_str(), r.value, r.halfWidth);
        else
            std::printf("%-17s %-17s %9.4f\n", keep.c_str(), turn.c_str(), r.value);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    odds::Setting setting{3, 1, 0};
    bool all = false, changesGiven = false;
    int drawsLeft = 0;
    const char* hand = nullptr;
    int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char* what) -> const char* {
            if (i + 1 >= argc) return nullptr;
            (void)what;
            return argv[++i];
        };
        if (a == "--all") {
            all = true;
        } else if (a == "--five-jokers-best") {
            setting.flags |= HAND_FIVE_JOKERS_BEST;
        } else if (a == "--five-kind-above") {
            setting.flags |= HAND_FIVE_KIND_ABOVE_SF;
        } else if (a == "--jokers" || a == "--changes" || a == "--draws-left" || a == "--threads") {
            const char* v = value(a.c_str());
            if (v == nullptr) return Fail(a + " needs a number");
            const int lo = a == "--jokers" ? 0 : 1, hi = a == "--jokers" ? odds::kMaxJokers : a == "--threads" ? 64 : 3;
            int n = 0;
            if (!ParseNumber(v, lo, hi, &n))
                return Fail(a + " must be " + std::to_string(lo) + " to " + std::to_string(hi) + ", not \"" + v + "\"");
            if (a == "--jokers") setting.jokers = n;
            if (a == "--changes") setting.changes = n, changesGiven = true;
            if (a == "--draws-left") drawsLeft = n;
            if (a == "--threads") threads = n;
        } else if (a == "--hand") {
            hand = value("--hand");
            if (hand == nullptr) return Fail("--hand needs five cards, e.g. --hand \"AS KS QS JS 9D\"");
        } else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            std::fputs(kUsage, stderr);
            return Fail("unknown argument \"" + a + "\"");
        }
    }
    if (all && hand != nullptr) return Fail("--all and --hand do not go together");
    if (drawsLeft != 0 && hand == nullptr) return Fail("--draws-left goes with --hand");

    if (hand != nullptr) {
        if (drawsLeft == 0) drawsLeft = setting.changes;
        if (!changesGiven) setting.changes = drawsLeft;
        if (drawsLeft > setting.changes)
            return Fail("--draws-left " + std::to_string(drawsLeft) + " is more than the setting's " +
                        std::to_string(setting.changes) + " changes");
        return RunHand(hand, setting, drawsLeft, threads);
    }

    std::vector<odds::Setting> settings;
    if (all) {
        for (int c = 1; c <= 3; ++c)
            for (int j = 0; j <= odds::kMaxJokers; ++j)
                for (uint32_t f : {0u, 0x100u, 0x200u, 0x300u})
                    if (!changesGiven || c == setting.changes) settings.push_back({j, c, f});
    } else {
        settings.push_back(setting);
    }
    Progress progress;
    std::vector<odds::Setting> exact;
    for (const odds::Setting& s : settings)
        if (std::find_if(exact.begin(), exact.end(), [&](const odds::Setting& e) {
                return e.jokers == s.jokers && e.flags == s.flags;
            }) == exact.end())
            exact.push_back({s.jokers, 1, s.flags});
    size_t simulated = 0;
    for (const odds::Setting& s : settings) simulated += s.changes > 1;
    const double exactShare = simulated == 0 ? 1.0 : 0.1;
    progress.weight = exactShare;
    const odds::Table table(odds::Deck::Full(), threads);
    const std::vector<odds::Result> one = odds::ExactOneChange(table, exact, threads, OnProgress, &progress);
    std::vector<odds::Result> results;
    for (const odds::Setting& s : settings) {
        size_t k = 0;
        while (one[k].setting.jokers != s.jokers || one[k].setting.flags != s.flags) ++k;
        if (s.changes == 1) {
            results.push_back(one[k]);
            continue;
        }
        progress.weight = (1 - exactShare) / static_cast<double>(simulated);
        results.push_back(odds::SimulateAdviser(table, s, one[k], kWidth, threads, kSeed, OnProgress, &progress));
        progress.base += progress.weight;
    }
    progress.Finish();
    if (!all) {
        PrintSetting(results.front());
        return 0;
    }
    std::printf("  Jokers Changes  5 jokers  5 of kind  Bet      Return\n");
    for (const odds::Result& r : results) PrintRow(r);
    return 0;
}
