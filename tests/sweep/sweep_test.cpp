// The fault sweep: a whole session from the icon to the quit, run once to count the calls
// of every operation that can fail, then again with each of those calls failing, once and
// from there on. Every run must end without a crash, a hang or a leak, with a proper exit
// status, an icon that is either the old one or the six write-back lines, saved games that
// are absent or load, and no more money than the session brought in.
//
// Each run is a child process, so that one run's crash or leak is its own and every run
// starts from the same state. POKER_SWEEP_STRIDE=k tries every k-th call of each operation
// (the first and the last always); the default tries every call.
#include <gtest/gtest.h>
#include <sanitizer/lsan_interface.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/savefile.h"
#include "host/host.h"
#include "support/drawer.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kIcon = {"PREFSDOUBLE=TRUE", "JOKERS=3", "CHANGES=1", "CARDS=gfx/defaultcards.lbm"};
const std::vector<std::string> kWriteBack = {"PREFSJOKER=FALSE", "PREFS5KIND=FALSE", "PREFSDOUBLE=TRUE",
                                             "CHANGES=1", "JOKERS=3", "CARDS=gfx/defaultcards.lbm"};

struct Prize {
    const char* name;
    int value;
};
constexpr Prize kPrizes[] = {{"Two Pairs", 5},       {"Three of Kind", 10}, {"Straight", 20},
                             {"Flush", 30},          {"Full House", 40},    {"Four of Kind", 80},
                             {"Five of Kind", 140},  {"Straight Flush", 160}, {"Royal Flush", 320}};

// What a run reports to the sweep: these bytes, then a line "operation calls" for each
// operation asked.
struct Outcome {
    int status = -1;
    bool stalled = false;
    bool leaked = false;
    bool unobserved = false;  // a win or a doubling was not shown: what came in is unknown
    long money = 0;           // the last money the main window showed
    long broughtIn = 0;       // New, and the wins and doublings shown
    bool won = false, guessedRight = false;
};
struct Report : Outcome {
    std::map<std::string, int> calls;
};

Window* Main() { return support::MainWindow(); }

bool Shows(Window* w, const std::string& text) {
    if (!w) return false;
    for (const auto& t : host::Texts(w))
        if (t.text == text) return true;
    return false;
}

// The scripted player: a step for each time the program waits, each acting only on the
// window it expects; once the script is done, or off course, it walks out of whatever is
// open until the program ends.
class Player {
public:
    Player(Report& report, unsigned seed) : report_(report), seed_(seed), script_(MakeScript()) {}

    bool operator()() {
        Observe();
        if (step_ < script_.size()) {
            const auto& s = script_[step_++];
            if (Try(s)) return true;
        }
        return ++walkingOut_ < 60 && WalkOut();
    }

private:
    using Step = std::function<bool()>;  // false: the window it acts on is not there

    void Observe() {
        if (Window* w = Main()) {
            const int left = w->BorderLeft + 200, top = w->BorderTop + 15;
            for (const auto& t : host::Texts(w))
                if (t.x >= left && t.x < left + 100 && t.y >= top && t.y < top + 12 && !t.text.empty() &&
                    t.text.find_first_not_of("0123456789") == std::string::npos)
                    report_.money = std::stol(t.text);
        }
        if (Window* r = host::FindWindow("Your Hand:"); r && r != seenHand_) {
            seenHand_ = r;
            handsSeen_++;
            for (const Prize& p : kPrizes)
                if (Shows(r, p.name)) {
                    report_.broughtIn += p.value;
                    report_.won = true;
                }
        }
        for (const char* title : {"Double Big", "Double Small"})
            if (Window* v = host::FindWindow(title); v && v != seenVerdict_) {
                seenVerdict_ = v;
                for (const auto& t : host::Texts(v))
                    if (t.text.rfind("Win Pot Doubled! Pot=", 0) == 0) {
                        report_.broughtIn += std::stol(t.text.substr(21)) / 2;
                        report_.guessedRight = true;
                    }
            }
    }

    bool Try(const Step& s) {
        try {
            return s();
        } catch (const std::runtime_error&) {
            return false;  // a gadget or window of the host's helpers was not there
        }
    }

    // Whatever is in front: confirm a quit, dismiss a requester, cancel a dialog, close
    // the main window.
    bool WalkOut() {
        if (Window* q = host::FindWindow("Quit Poker")) return Try([q] { return Click(q, "Quit"); });
        for (const auto& w : host::Windows()) {
            if (w.window == Main()) continue;
            for (const char* label : {"Cancel", "OK", "QUIT", "Don\xB4t Double"})
                if (Try([&] { return Click(w.window, label); })) return true;
            host::Key(27);
            return true;
        }
        if (Main()) return Try([] {
            host::ClickClose(Main());
            return true;
        });
        return false;
    }

    static bool Click(Window* w, const char* label) {
        if (!w || !host::FindGadget(w, label)) return false;
        host::ClickGadget(w, label);
        return true;
    }
    static bool Menu(int menu, int item) {
        if (!Main()) return false;
        host::PickMenu(Main(), menu, item);
        return true;
    }
    static bool In(const char* title, const std::function<void(Window*)>& act) {
        Window* w = host::FindWindow(title);
        if (!w) return false;
        act(w);
        return true;
    }
    static bool TypeName(const char* title) {
        return In(title, [](Window*) {
            for (int i = 0; i < 20; ++i) host::Key(8);
            host::Type("game1");
            host::Key(13);
        });
    }

    std::vector<Step> MakeScript() {
        return {
            [this] {
                std::srand(seed_);
                report_.broughtIn += 40;
                return Menu(0, 0);  // New
            },
            [] { return In("Tarnwell Poker", [](Window*) { host::Key('d'); }); },
            [] {
                return In("Tarnwell Poker", [](Window* w) {
                    for (int slot : {0, 2}) host::Click(w->LeftEdge + 100 + 81 * slot + 35, w->TopEdge + 148);
                    host::Key(13);  // exchange them; with one change the game ends
                });
            },
            [this] {
                if (handsSeen_ == 0) report_.unobserved = true;
                return In("Your Hand:", [](Window*) { host::Key(13); });
            },
            [] { return Click(host::FindWindow("Double"), "Big"); },
            [this] {
                if (!seenVerdict_) report_.unobserved = true;
                return In("Double Big", [](Window*) { host::Key(13); });
            },
            [] { return Click(host::FindWindow("Double"), "Don\xB4t Double"); },
            [] { return Menu(1, 0); },
            [] { return Click(host::FindWindow("Hand Evaluation Preferences"), "OK"); },
            [] { return Menu(1, 0); },
            [] { return Click(host::FindWindow("Hand Evaluation Preferences"), "Cancel"); },
            [] { return Menu(1, 1); },
            [] { return Click(host::FindWindow("Bet Preferences"), "OK"); },
            [] { return Menu(1, 1); },
            [] { return Click(host::FindWindow("Bet Preferences"), "Cancel"); },
            [] { return Menu(0, 2); },  // Save
            [] { return TypeName("Select Map File to Save As"); },
            [] { return Menu(0, 1); },  // Continue Old
            [] { return TypeName("Select Map File to Load From"); },
            [] { return Menu(2, 0); },  // Instructions
            [] { return Menu(2, 1); },  // About
            [] { return Click(host::FindWindow("About Tarnwell Poker"), "OK"); },
            [] {
                if (!Main()) return false;
                host::ClickClose(Main());
                return true;
            },
            [] { return Click(host::FindWindow("Quit Poker"), "Quit"); },
        };
    }

    Report& report_;
    unsigned seed_;
    std::vector<Step> script_;
    size_t step_ = 0;
    int walkingOut_ = 0;
    int handsSeen_ = 0;
    Window* seenHand_ = nullptr;
    Window* seenVerdict_ = nullptr;
};

// One session running in a child process, in a drawer of its own.
struct Pending {
    pid_t pid = -1;
    int fd = -1;
    std::unique_ptr<support::Drawer> drawer;
    std::string what;
};

// Starts a session with `fault` failing at call `n` (once, or from there on); no fault
// when `fault` is empty.
Pending Launch(const fs::path& sys, unsigned seed, const std::string& fault, int n, bool persistent) {
    Pending p;
    p.drawer = std::make_unique<support::Drawer>(kIcon);
    p.what = fault + " call " + std::to_string(n) + (persistent ? " on" : " once");
    int pipeFd[2];
    if (::pipe(pipeFd) != 0) return p;
    std::fflush(nullptr);
    p.pid = ::fork();
    if (p.pid == 0) {
        ::close(pipeFd[0]);
        ::alarm(120);  // a run that neither ends nor waits is a hang
        setenv("WB_SYS", sys.c_str(), 1);
        Report r;
        Player player(r, seed);
        try {
            r.status = p.drawer->RunWithUser(std::ref(player), [&] {
                host::ResetCallCounts();
                if (fault.empty()) return;
                if (persistent)
                    host::FailFrom(fault, n);
                else
                    host::FailAt(fault, n);
            });
        } catch (const host::Stalled&) {
            r.stalled = true;
        }
        // A stalled run is cut off in the middle of the program: what it holds is not a leak.
        r.leaked = !r.stalled && __lsan_do_recoverable_leak_check() != 0;
        std::string text(reinterpret_cast<const char*>(static_cast<const Outcome*>(&r)), sizeof(Outcome));
        for (const auto& [op, count] : host::CallCounts()) text += op + " " + std::to_string(count) + "\n";
        if (::write(pipeFd[1], text.data(), text.size()) < 0) _exit(3);
        _exit(0);
    }
    ::close(pipeFd[1]);
    p.fd = pipeFd[0];
    return p;
}

Report Collect(Pending& p) {
    std::string text;
    char buffer[4096];
    for (ssize_t got; p.fd >= 0 && (got = ::read(p.fd, buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(got));
    if (p.fd >= 0) ::close(p.fd);
    int wstatus = 0;
    if (p.pid > 0) ::waitpid(p.pid, &wstatus, 0);
    Report r;
    if (p.pid <= 0 || !WIFEXITED(wstatus) || WEXITSTATUS(wstatus) != 0) {
        r.status = -1000 - (WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : WEXITSTATUS(wstatus));
        return r;
    }
    if (text.size() < sizeof(Outcome)) return r;
    std::memcpy(static_cast<Outcome*>(&r), text.data(), sizeof(Outcome));
    std::istringstream in(text.substr(sizeof(Outcome)));
    std::string op;
    for (int count; in >> op >> count;) r.calls[op] = count;
    return r;
}

bool ProperStatus(int status) {
    if (status == 0 || status == 10 || status == 20 || status == 22) return true;
    // The card-sheet loader's sums: a base (10 or a parser's negative code), 1000, 100.
    for (int base = -12; base <= 10; ++base)
        if (base <= 0 || base == 10)
            for (int header : {0, 1000})
                for (int body : {0, 100})
                    if (base + header + body == status && status != 0) return true;
    return false;
}

// The money in the saved games the run left in the drawer; false when one does not load.
bool SavedMoney(const fs::path& drawer, long& money, std::string& bad) {
    money = 0;
    for (const auto& entry : fs::recursive_directory_iterator(drawer)) {
        if (!entry.is_regular_file() || entry.path().parent_path() != drawer / "save") continue;
        // The game names its files relative to its drawer; that name is the file's key.
        const std::string name = "save/" + entry.path().filename().string();
        const fs::path before = fs::current_path();
        fs::current_path(drawer);
        cSaveFile save;
        save.path = name.c_str();
        const int loaded = save.Load();
        fs::current_path(before);
        if (loaded != 0) {
            bad = name;
            return false;
        }
        money += save.money;
    }
    return true;
}

// A SYS: whose guide viewer ends at once.
fs::path QuietSys() {
    const fs::path sys = fs::temp_directory_path() / ("poker-sweep-sys-" + std::to_string(::getpid()));
    fs::create_directories(sys / "Utilities");
    std::ofstream(sys / "Utilities/MultiView") << "#!/bin/sh\nexit 0\n";
    fs::permissions(sys / "Utilities/MultiView", fs::perms::owner_all);
    return sys;
}

std::string Check(const Report& r, const support::Drawer& drawer) {
    const fs::path drawerPath = drawer.Path();
    std::ostringstream why;
    if (r.status <= -1000) why << "crashed (" << -1000 - r.status << ") ";
    if (r.leaked) why << "leaked ";
    if (!r.stalled && r.status > -1000 && !ProperStatus(r.status)) why << "exit status " << r.status << " ";
    // The old icon, or the six write-back lines in their order, of whatever settings.
    const auto icon = drawer.IconLines();
    bool written = icon.size() == kWriteBack.size();
    for (size_t i = 0; written && i < icon.size(); ++i)
        written = icon[i].substr(0, icon[i].find('=') + 1) == kWriteBack[i].substr(0, kWriteBack[i].find('=') + 1);
    if (icon != kIcon && !written) why << "icon broken ";
    long saved = 0;
    std::string bad;
    if (!SavedMoney(drawerPath, saved, bad)) why << "saved game " << bad << " does not load ";
    if (!r.unobserved && r.money + saved > r.broughtIn)
        why << "money created: " << r.money << " + " << saved << " saved > " << r.broughtIn << " brought in ";
    return why.str();
}

TEST(FaultSweep, EveryFailingCallOfAWholeSessionIsSurvived) {
    const fs::path sys = QuietSys();

    // A seed that deals a win after the exchange and a card the script guesses right.
    Report reference;
    unsigned seed = 0;
    do {
        Pending p = Launch(sys, ++seed, "", 0, false);
        reference = Collect(p);
        ASSERT_EQ(Check(reference, *p.drawer), "") << "seed " << seed;
        ASSERT_EQ(p.drawer->IconLines(), kWriteBack);
    } while (!(reference.won && reference.guessedRight) && seed < 100);
    ASSERT_TRUE(reference.won && reference.guessedRight) << "no seed deals a win and a right guess";
    ASSERT_EQ(reference.status, 0);
    ASSERT_FALSE(reference.stalled);

    int stride = 1;
    if (const char* s = std::getenv("POKER_SWEEP_STRIDE")) stride = std::max(1, std::atoi(s));
    int runs = 0, stalled = 0, unobserved = 0, calls = 0;
    std::vector<std::string> failures;
    std::vector<Pending> running;  // two at a time, one for each core
    auto finish = [&] {
        Pending& p = running.front();
        const Report r = Collect(p);
        ++runs;
        stalled += r.stalled;
        unobserved += r.unobserved;
        if (const std::string why = Check(r, *p.drawer); !why.empty()) failures.push_back(p.what + ": " + why);
        running.erase(running.begin());
    };
    for (const auto& [op, count] : reference.calls) {
        calls += count;
        for (int n = 1; n <= count; ++n) {
            if (n != count && (n - 1) % stride != 0) continue;
            for (bool persistent : {false, true}) {
                if (running.size() == 2) finish();
                running.push_back(Launch(sys, seed, op, n, persistent));
            }
        }
    }
    while (!running.empty()) finish();
    fs::remove_all(sys);
    std::printf("fault sweep: %zu operations, %d calls, %d runs (every %d. call), %d stalled, %d wins unobserved\n",
                reference.calls.size(), calls, runs, stride, stalled, unobserved);
    for (const auto& [op, count] : reference.calls) std::printf("  %s %d\n", op.c_str(), count);
    for (const auto& f : failures) ADD_FAILURE() << f;
}

}  // namespace
