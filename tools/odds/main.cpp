// poker-odds: what every setting of Tarnwell Poker returns, and which cards of a hand to keep.
#include <unistd.h>

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

// Points of return either way: the widest 95% interval of a figure with several changes, for
// one setting and in the whole table (72 such figures to 0.05 would take too long there).
constexpr double kWidth = 0.05, kAllWidth = 0.1;
// How long --all takes on two cores, measured; said before it starts.
constexpr const char* kAllTime = "up to 10 minutes";
constexpr uint64_t kSeed = 23;

std::string gName = "poker-odds";  // as started, so that the installed tool names itself

void Usage(FILE* out) {
    const char* n = gName.c_str();
    std::fprintf(out,
                 "usage: %s [--jokers J] [--changes C] [--five-jokers-best] [--five-kind-above]\n"
                 "       %s --all [--changes C]\n"
                 "       %s --hand \"AS KS QS JS 9D\" [--jokers J] [--changes C] [--draws-left N] [preferences]\n"
                 "       %s --help | --version\n"
                 "  J is 0 to 8 (3 unless given), C is 1 to 3 (1 unless given), N is 1 to C;\n"
                 "  --threads T sets how many threads work (the processor count unless given).\n"
                 "  Cards are a rank (A 2 .. 9 T J Q K, or 10 for T) and a suit (S H D C), and JK\n"
                 "  for a joker; lower case is accepted, and the cards may be parted by spaces or\n"
                 "  commas: \"as,ks,qs,js,10d\".\n"
                 "  With one change every figure is exact. With two or three they are those of a\n"
                 "  look-ahead strategy, a lower bound on perfect play.\n"
                 "  --all --changes 1 prints the exact one-change table in seconds; --all alone\n"
                 "  adds the 72 settings with two or three changes (to +-0.1 points, +-0.05 for one\n"
                 "  setting alone), %s on two cores.\n",
                 n, n, n, n, kAllTime);
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", gName.c_str(), message.c_str());
    return 2;
}

// A bar on stderr, only where a person watches it: a log or a pipe gets none.
struct Progress {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    double base = 0, weight = 1;  // the share of the whole run the current step covers
    bool terminal = isatty(STDERR_FILENO) != 0, shown = false;
    int percent = -1;  // the figure on the bar now; the bar is drawn again only when it moves
    void Show(double fraction) {
        const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const int now = static_cast<int>(std::min(1.0, fraction) * 100);
        if (!terminal || (secs < 1.0 && now < 100) || now == percent) return;
        const int width = 40, filled = now * width / 100;
        std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(static_cast<size_t>(filled), '#').c_str(),
                     std::string(static_cast<size_t>(width - filled), '.').c_str(), now);
        percent = now;
        shown = true;
    }
    void Finish() {
        if (!shown) return;
        Show(1.0);
        std::fputc('\n', stderr);
    }
};

void OnProgress(double done, double total, void* context) {
    auto* p = static_cast<Progress*>(context);
    p->Show(p->base + p->weight * (total > 0 ? done / total : 1));
}

const char* FiveJokers(uint32_t flags) { return (flags & HAND_FIVE_JOKERS_BEST) ? "best" : "lousy"; }
const char* FiveKind(uint32_t flags) { return (flags & HAND_FIVE_KIND_ABOVE_SF) ? "above SF" : "below SF"; }
const char* Plural(int n) { return n == 1 ? "" : "s"; }

void PrintSetting(const odds::Result& r) {
    const odds::Setting& s = r.setting;
    std::printf("Setting: %d joker%s, %d change%s; five jokers %s, five of a kind %s\n", s.jokers, Plural(s.jokers),
                s.changes, Plural(s.changes), FiveJokers(s.flags), FiveKind(s.flags));
    std::printf("Bet: %d\n", s.Bet());
    if (r.exact) {
        std::printf("Expected prize per game: %.6f (optimal play, exact)\n", r.expectedPrize);
        std::printf("Return: %.4f%% = %s/%s\n", r.returnPct, odds::ToString(r.returnFraction.num).c_str(),
                    odds::ToString(r.returnFraction.den).c_str());
        std::printf("\nFinal hand        probability\n");
    } else {
        std::printf("Expected prize per game: %.4f (the look-ahead strategy: %.4f counted exactly with the\n"
                    "  discards back in the deck, %+.4f for the discards staying out, simulated over %lld games)\n",
                    r.expectedPrize, r.exactPart, r.expectedPrize - r.exactPart, static_cast<long long>(r.games));
        std::printf("Return of the look-ahead strategy: %.2f%% +- %.2f (95%% interval); a lower bound on perfect play\n",
                    r.returnPct, r.halfWidthPct);
        std::printf("\nFinal hand        probability (the look-ahead strategy, simulated)\n");
    }
    for (int k = odds::kRanks - 1; k >= 0; --k) std::printf("%-16s %10.6f%%\n", HandNames[k], 100 * r.rankProb[k]);
}

void PrintRow(const odds::Result& r) {
    const odds::Setting& s = r.setting;
    if (r.exact)
        std::printf("%8d %7d  %-8s  %-9s %4d  %9.4f%%  exact\n", s.jokers, s.changes, FiveJokers(s.flags),
                    FiveKind(s.flags), s.Bet(), r.returnPct);
    else
        std::printf("%8d %7d  %-8s  %-9s %4d  %7.2f%% +-%.2f look-ahead\n", s.jokers, s.changes, FiveJokers(s.flags),
                    FiveKind(s.flags), s.Bet(), r.returnPct, r.halfWidthPct);
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
    std::unique_ptr<odds::Lookahead> la;
    if (drawsLeft > 1) la = std::make_unique<odds::Lookahead>(deck, setting.jokers, setting.flags, drawsLeft, threads);
    const std::vector<odds::HoldValue> values = odds::ValueHolds(deck, la.get(), s, setting.flags, drawsLeft, threads, kSeed);

    std::printf("Hand: %s   (%d joker%s in the game, %d draw%s left; five jokers %s, five of a kind %s)\n", text.c_str(),
                setting.jokers, Plural(setting.jokers), drawsLeft, Plural(drawsLeft), FiveJokers(setting.flags),
                FiveKind(setting.flags));
    if (drawsLeft > 1)
        std::printf("The look-ahead strategy ranks the holds by their score: the expected best value of the\n"
                    "hand after the draw with %d draw%s to come, its discards counted back in the deck. Its\n"
                    "play is the first. Expected prize: the hold's worth as the strategy plays on, with the\n"
                    "discards out of the deck; counted exactly, or simulated with its 95%% interval.\n",
                    drawsLeft - 1, Plural(drawsLeft - 1));
    std::printf("\nKeep              Turn over         Expected prize%s\n", drawsLeft > 1 ? "            Score" : "");
    for (const odds::HoldValue& v : values) {
        // The hold's slots: its jokers are the first jokers of the hand.
        std::string keep, turn;
        int jokersLeft = v.hold.jokers;
        for (int i = 0; i < odds::kHandSize; ++i) {
            const int c = slots[static_cast<size_t>(i)];
            bool kept = false;
            if (c < 0) {
                kept = jokersLeft > 0;
                jokersLeft -= kept;
            } else {
                const auto at = std::find(s.cards.begin(), s.cards.end(), c) - s.cards.begin();
                kept = (v.hold.keep & (1u << at)) != 0;
            }
            keep += kept ? CardName(c) + " " : "-- ";
            if (!kept) turn += CardName(c) + " ";
        }
        if (turn.empty()) turn = "nothing";
        std::printf("%-17s %-17s %9.4f", keep.c_str(), turn.c_str(), v.expectedPrize);
        if (drawsLeft > 1) std::printf(v.halfWidth > 0 ? " +- %.4f" : "          ", v.halfWidth);
        if (drawsLeft > 1) std::printf(" %12.4f", v.score);
        std::printf("\n");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 0 && argv[0] != nullptr && argv[0][0] != '\0') {
        gName = argv[0];
        gName = gName.substr(gName.find_last_of('/') + 1);
    }
    odds::Setting setting{3, 1, 0};
    bool all = false, changesGiven = false;
    int drawsLeft = 0;
    const char* hand = nullptr;
    int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--all") {
            all = true;
        } else if (a == "--five-jokers-best") {
            setting.flags |= HAND_FIVE_JOKERS_BEST;
        } else if (a == "--five-kind-above") {
            setting.flags |= HAND_FIVE_KIND_ABOVE_SF;
        } else if (a == "--jokers" || a == "--changes" || a == "--draws-left" || a == "--threads") {
            if (i + 1 >= argc) return Fail(a + " needs a number");
            const char* v = argv[++i];
            const int lo = a == "--jokers" ? 0 : 1, hi = a == "--jokers" ? odds::kMaxJokers : a == "--threads" ? 64 : 3;
            int n = 0;
            if (!ParseNumber(v, lo, hi, &n))
                return Fail(a + " must be " + std::to_string(lo) + " to " + std::to_string(hi) + ", not \"" + v + "\"");
            if (a == "--jokers") setting.jokers = n;
            if (a == "--changes") setting.changes = n, changesGiven = true;
            if (a == "--draws-left") drawsLeft = n;
            if (a == "--threads") threads = n;
        } else if (a == "--hand") {
            if (i + 1 >= argc) return Fail("--hand needs five cards, e.g. --hand \"AS KS QS JS 9D\"");
            hand = argv[++i];
        } else if (a == "--help" || a == "-h") {
            Usage(stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("%s %s\n", gName.c_str(), POKER_VERSION);
            return 0;
        } else {
            Usage(stderr);
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
                        std::to_string(setting.changes) + " change" + Plural(setting.changes));
        return RunHand(hand, setting, drawsLeft, threads);
    }

    std::vector<odds::Setting> settings;
    if (all) {
        for (int c = 1; c <= 3; ++c)
            for (int j = 0; j <= odds::kMaxJokers; ++j)
                for (uint32_t f : odds::kFlagWords)
                    if (!changesGiven || c == setting.changes) settings.push_back({j, c, f});
    } else {
        settings.push_back(setting);
    }
    size_t several = 0;
    for (const odds::Setting& s : settings) several += s.changes > 1;
    if (all && several > 0)
        std::fprintf(stderr,
                     "%s: %zu settings; the %zu with two or three changes take %s on two cores\n"
                     "(--all --changes 1: the exact one-change table in seconds).\n",
                     gName.c_str(), settings.size(), several, kAllTime);
    Progress progress;
    // Each step's share of the bar: the exact one-change pass, then one look-ahead table and its
    // simulations per joker count and preference word.
    std::vector<odds::Setting> one;
    for (const odds::Setting& s : settings)
        if (s.changes == 1) one.push_back(s);
    std::vector<odds::Result> results(settings.size());
    const double oneShare = several == 0 ? 1.0 : one.empty() ? 0.0 : 0.05;
    if (!one.empty()) {
        progress.weight = oneShare;
        const odds::Table table(odds::Deck::Full(), threads);
        const std::vector<odds::Result> exact = odds::ExactOneChange(table, one, threads, OnProgress, &progress);
        for (size_t i = 0, k = 0; i < settings.size(); ++i)
            if (settings[i].changes == 1) results[i] = exact[k++];
        progress.base += oneShare;
    }
    // Settings of one joker count and preference word share one look-ahead table.
    std::vector<bool> done(settings.size(), false);
    for (size_t i = 0; i < settings.size(); ++i) {
        if (settings[i].changes == 1 || done[i]) continue;
        std::vector<size_t> group;
        int depth = 0;
        for (size_t k = i; k < settings.size(); ++k)
            if (settings[k].changes > 1 && settings[k].jokers == settings[i].jokers && settings[k].flags == settings[i].flags)
                group.push_back(k), depth = std::max(depth, settings[k].changes);
        const odds::Lookahead la(odds::Deck::Full(), settings[i].jokers, settings[i].flags, depth, threads);
        for (size_t k : group) {
            progress.weight = (1 - oneShare) / static_cast<double>(several);
            results[k] = odds::SimulateLookahead(la, settings[k], all ? kAllWidth : kWidth, threads, kSeed,
                                                 int64_t{1} << 40, OnProgress, &progress);
            progress.base += progress.weight;
            done[k] = true;
        }
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
