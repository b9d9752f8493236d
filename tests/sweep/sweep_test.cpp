// The fault sweep: a whole session from the icon to the quit, run once to count the calls
// of every operation that can fail, then again with each of those calls failing: once, from
// there on, after doing its work where an operation can (Write, Close, Rename, DeleteFile),
// and together with the call right after it, which is often one only an error path makes.
// Every run must end without a crash, a hang or a leak, with a proper exit status, an icon
// that is the old one or the six write-back lines, saved games that load and hold money the
// session had, no temporary file and nothing written through a link, and no more money than
// the session brought in. A second test runs two copies of the program on one drawer.
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
#include <tuple>
#include <vector>

#include "game/savefile.h"
#include "host/host.h"
#include "support/drawer.h"
#include "support/screen.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kIcon = {"PREFSDOUBLE=TRUE", "JOKERS=3", "CHANGES=1", "CARDS=gfx/defaultcards.lbm"};
const std::vector<std::string> kWriteBack = {"PREFSJOKER=FALSE", "PREFS5KIND=FALSE", "PREFSDOUBLE=TRUE",
                                             "CHANGES=1", "JOKERS=3", "CARDS=gfx/defaultcards.lbm"};
// What the write-back writes when the icon could not be read at start-up: the defaults.
const std::vector<std::string> kDefaultsWriteBack = {"PREFSJOKER=FALSE", "PREFS5KIND=FALSE", "PREFSDOUBLE=FALSE",
                                                     "CHANGES=1", "JOKERS=3", "CARDS=gfx/defaultcards.lbm"};
// The saved game the session saves over, and what it holds.
constexpr const char* kOldGame = "save/game1";
constexpr long kOldMoney = 100;
// Where older versions put their temporary files: links planted there lead out of the drawer.
constexpr const char* kPlanted[] = {"save/game1.saving", "poker.info.tmp"};

constexpr std::pair<const char*, int> kPrizes[] = {
    {"Two Pairs", 5},     {"Three of Kind", 10}, {"Straight", 20},        {"Flush", 30},       {"Full House", 40},
    {"Four of Kind", 80}, {"Five of Kind", 140}, {"Straight Flush", 160}, {"Royal Flush", 320}};

// What a run reports to the sweep: these bytes, then a line "operation calls" for each
// operation asked.
struct Outcome {
    int status = -1;
    bool stalled = false;     // the program waited and the user had nothing left to do
    int windowsOpen = 0;      // ... with so many windows open: a hang unless none
    char front[40] = {};      // the title of the frontmost
    bool leaked = false;
    bool unobserved = false;  // a win or a doubling was not shown: what came in is unknown
    long money = 0;           // the last money the main window showed
    long broughtIn = 0;       // New, the saved game it found, and the wins and doublings shown
    long moneyAtSave = -1;    // the money shown when Save was picked
    bool won = false, guessedRight = false;
};
struct Report : Outcome {
    std::map<std::string, int> calls;
    std::vector<std::string> failed;  // the calls that were made to fail
};

// A child process, and what it hands back through a pipe.
struct Child {
    pid_t pid = -1;
    int fd = -1;
};
Child Fork(const std::function<std::string()>& body) {
    Child c;
    int fds[2];
    if (::pipe(fds) != 0) return c;
    std::fflush(nullptr);
    if ((c.pid = ::fork()) == 0) {
        ::close(fds[0]);
        const std::string text = body();
        _exit(::write(fds[1], text.data(), text.size()) == ssize_t(text.size()) ? 0 : 3);
    }
    ::close(fds[1]);
    c.fd = fds[0];
    return c;
}
// What the child handed back, or "" when it did not end by itself with status 0; `failure`
// then says how it ended (-1000 - its signal or status).
std::string Reap(Child& c, int& failure) {
    std::string text;
    char buffer[4096];
    for (ssize_t got; c.fd >= 0 && (got = ::read(c.fd, buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(got));
    if (c.fd >= 0) ::close(c.fd);
    int wstatus = 0;
    if (c.pid > 0) ::waitpid(c.pid, &wstatus, 0);
    failure = 0;
    if (c.pid > 0 && WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0) return text;
    failure = -1000 - (WIFSIGNALED(wstatus) ? WTERMSIG(wstatus) : WEXITSTATUS(wstatus));
    return "";
}

Window* Main() { return support::MainWindow(); }

// The money the main window shows, or -1.
long ShownMoney() {
    long money = -1;
    if (Window* w = Main()) {
        const int left = w->BorderLeft + 200, top = w->BorderTop + 15;
        for (const auto& t : host::Texts(w))
            if (t.x >= left && t.x < left + 100 && t.y >= top && t.y < top + 12 && !t.text.empty() &&
                t.text.find_first_not_of("0123456789") == std::string::npos)
                money = std::stol(t.text);
    }
    return money;
}

// Types `text` into the name field of the window of that title, over what it held; false when
// that window is not open.
bool TypeInto(const char* title, const std::string& text) {
    if (!host::FindWindow(title)) return false;
    for (int i = 0; i < 20; ++i) host::Key(8);
    host::Type(text);
    return true;
}

// The scripted player: a step for each time the program waits, each acting only on the
// window it expects; once the script is done, or off course, it walks out of whatever is
// open until the program ends.
class Player {
public:
    Player(Report& report, unsigned seed) : report_(report), seed_(seed), script_(MakeScript()) {
        report_.broughtIn = kOldMoney;  // the saved game the session finds
    }

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
        if (const long m = ShownMoney(); m >= 0) report_.money = m;
        if (Window* r = host::FindWindow("Your Hand:"); r && r != seenHand_) {
            seenHand_ = r;
            handsSeen_++;
            for (const auto& [name, value] : kPrizes)
                if (support::ShowsExactly(r, name)) {
                    report_.broughtIn += value;
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
        try { return s(); } catch (const std::runtime_error&) { return false; }  // a helper's gadget or window was not there
    }

    // Whatever is in front: confirm a quit, dismiss a requester or cancel a dialog (by
    // Return, Escape or its buttons in turn), close the main window.
    bool WalkOut() {
        if (Window* q = host::FindWindow("Quit Poker")) return KeyIn(q, 13);
        for (const auto& w : host::Windows()) {
            if (w.window == Main()) continue;
            if (walkingOut_ % 3 != 0) return KeyIn(w.window, walkingOut_ % 3 == 1 ? 13 : 27);
            for (const char* label : {"Cancel", "OK", "QUIT", "Don\xB4t Double"})
                if (Try([&] { return Click(w.window, label); })) return true;
            host::Key(27);
            return true;
        }
        if (Main()) return Try([] { return host::ClickClose(Main()), true; });
        return false;
    }

    // A key for a window, made active first by a click on its title bar, as a player would.
    static bool KeyIn(Window* w, int code) {
        host::Click(w->LeftEdge + w->Width / 2, w->TopEdge + 4);
        host::Key(code);
        return true;
    }
    static bool Click(Window* w, const char* label) {
        if (!w || !host::FindGadget(w, label)) return false;
        host::ClickGadget(w, label);
        return true;
    }
    // A menu of the main window, or its close gadget (-1), when nothing else is open in front of it.
    static bool Menu(int menu, int item) {
        if (!Main() || host::Windows().front().window != Main()) return false;
        if (menu < 0) host::ClickClose(Main());
        else host::PickMenu(Main(), menu, item);
        return true;
    }
    static bool In(const char* title, const std::function<void(Window*)>& act) {
        Window* w = host::FindWindow(title);
        if (!w) return false;
        act(w);
        return true;
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
            [] { return In("Hand Evaluation Preferences", [](Window* w) { KeyIn(w, 27); }); },  // cancels
            [] { return Menu(1, 1); },
            [] { return Click(host::FindWindow("Bet Preferences"), "OK"); },
            [] { return Menu(1, 1); },
            [] { return Click(host::FindWindow("Bet Preferences"), "Cancel"); },
            [this] {
                report_.moneyAtSave = report_.money;
                return Menu(0, 2);  // Save, over the saved game of that name
            },
            [] { return TypeInto("Select Map File to Save As", "game1\r"); },
            [] { return Menu(0, 1); },  // Continue Old
            [] { return TypeInto("Select Map File to Load From", "game1\r"); },
            [] { return Menu(2, 0); },  // Instructions
            [] { return Menu(2, 1); },  // About
            [] { return In("About Tarnwell Poker", [](Window* w) { KeyIn(w, 13); }); },
            [] { return Menu(-1, 0); },  // the close gadget
            [] { return In("Quit Poker", [](Window* w) { KeyIn(w, 13); }); },
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

// How a run fails its call n of an operation.
enum class Mode { once, from, onceAfterDoing, fromAfterDoing, withTheNext };
const char* const kModeNames[] = {"once", "on", "once after doing it", "on after doing it", "and the call after it"};

// A saved game in the drawer under `name`, the key it is read with.
void PlaceGame(const fs::path& drawer, const char* name, long money) {
    const fs::path before = fs::current_path();
    fs::current_path(drawer);
    cSaveFile save;
    save.path = name;
    // The icon's settings.
    std::tie(save.money, save.changes, save.jokers, save.doubleUp) = std::tuple(int32_t(money), 1, 3, 1);
    EXPECT_EQ(save.Save(), 0) << name;
    fs::current_path(before);
}

// The drawer of a run: the icon, a saved game to be saved over, and links planted where
// older versions put their temporary files, leading to a file outside.
std::unique_ptr<support::Drawer> MakeDrawer() {
    auto drawer = std::make_unique<support::Drawer>(kIcon);
    PlaceGame(drawer->Path(), kOldGame, kOldMoney);
    const fs::path outside = drawer->Path().string() + "-outside";
    std::ofstream(outside) << "outside";
    for (const char* name : kPlanted) fs::create_symlink(outside, drawer->Path() / name);
    return drawer;
}

// One session running in a child process, in a drawer of its own.
struct Pending {
    Child child;
    std::unique_ptr<support::Drawer> drawer;
    std::string what;
    // No window opens from some call on: a program waiting for the player to confirm the
    // quit in a requester that cannot open has no way out but a kill, so that wait is a
    // stall, not a hang.
    bool windowsFail = false;
};

// Starts a session with call n of `fault` failing as `mode` says ("*": call n of all
// operations); no fault when `fault` is empty.
Pending Launch(const fs::path& sys, unsigned seed, const std::string& fault, int n, Mode mode) {
    Pending p;
    p.drawer = MakeDrawer();
    p.what = fault + " call " + std::to_string(n) + " " + kModeNames[int(mode)];
    p.windowsFail = fault == "OpenWindowTagList" && (mode == Mode::from || mode == Mode::fromAfterDoing);
    p.child = Fork([&] {
        ::alarm(120);  // a run that neither ends nor waits is a hang
        setenv("WB_SYS", sys.c_str(), 1);
        Report r;
        Player player(r, seed);
        try {
            r.status = p.drawer->RunWithUser(std::ref(player), [&] {
                host::ResetCallCounts();
                if (fault.empty()) return;
                const bool after = mode == Mode::onceAfterDoing || mode == Mode::fromAfterDoing;
                if (mode == Mode::from || mode == Mode::fromAfterDoing) host::FailFrom(fault, n, after);
                else host::FailAt(fault, n, after);
                if (mode == Mode::withTheNext) host::FailAt(fault, n + 1);
            });
        } catch (const host::Stalled&) {
            r.stalled = true;
            r.windowsOpen = int(host::Windows().size());
            if (r.windowsOpen > 0) std::snprintf(r.front, sizeof r.front, "%s", host::Windows()[0].title.c_str());
        }
        // A stalled run is cut off in the middle of the program: what it holds is not a leak.
        r.leaked = !r.stalled && __lsan_do_recoverable_leak_check() != 0;
        std::string text(reinterpret_cast<const char*>(static_cast<const Outcome*>(&r)), sizeof(Outcome));
        for (const auto& [op, count] : host::CallCounts()) text += op + " " + std::to_string(count) + "\n";
        for (const auto& failed : host::FailedCalls()) text += "failed: " + failed + "\n";
        return text;
    });
    return p;
}

Report Collect(Pending& p) {
    Report r;
    const std::string text = Reap(p.child, r.status);
    if (text.size() < sizeof(Outcome)) return r;
    std::memcpy(static_cast<Outcome*>(&r), text.data(), sizeof(Outcome));
    std::istringstream in(text.substr(sizeof(Outcome)));
    for (std::string line; std::getline(in, line);) {
        const size_t space = line.rfind(' ');
        if (line.rfind("failed: ", 0) == 0) r.failed.push_back(line.substr(8));
        else if (space != std::string::npos) r.calls[line.substr(0, space)] = std::stoi(line.substr(space + 1));
    }
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

// What a run left in its drawer, checked by value: the icon, the saved games (each must load
// and hold money the session had: `allowed`), no temporary file (unless the host was made
// to refuse a removal), nothing written through the planted links, no other file.
void CheckFiles(const support::Drawer& drawer, const std::vector<long>& allowed, bool removalFailed,
                bool iconUnread, long& saved, std::ostringstream& why) {
    const fs::path dir = drawer.Path();
    const auto icon = drawer.IconLines();
    if (icon != kIcon && icon != kWriteBack && !(iconUnread && icon == kDefaultsWriteBack)) why << "icon broken ";
    saved = 0;
    std::set<std::string> expected = {"poker", "poker.info", "gfx", "gfx/defaultcards.lbm", "save"};
    for (const char* name : kPlanted) {
        expected.insert(name);
        if (!fs::is_symlink(dir / name)) why << name << " is no longer a link ";
    }
    std::ifstream outside(dir.string() + "-outside");
    std::string text;
    std::getline(outside, text);
    if (text != "outside") why << "written outside the drawer ";
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        const std::string name = entry.path().lexically_relative(dir).string();
        if (expected.count(name)) continue;
        if (entry.path().filename().string()[0] == '.') {
            if (!removalFailed) why << "temporary file " << name << " left ";
            continue;
        }
        if (entry.path().parent_path() != dir / "save" || !entry.is_regular_file()) {
            why << "stray file " << name << " ";
            continue;
        }
        // The game names its files relative to its drawer; that name is the file's key.
        const fs::path before = fs::current_path();
        fs::current_path(dir);
        cSaveFile save;
        save.path = name.c_str();
        const int loaded = save.Load();
        fs::current_path(before);
        if (loaded != 0) why << "saved game " << name << " does not load ";
        else if (std::find(allowed.begin(), allowed.end(), long(save.money)) == allowed.end())
            why << "saved game " << name << " holds " << save.money << " ";
        else saved += save.money;
    }
}

// A SYS: whose guide viewer ends at once.
fs::path QuietSys() {
    const fs::path sys = fs::temp_directory_path() / ("poker-sweep-sys-" + std::to_string(::getpid()));
    fs::create_directories(sys / "Utilities");
    std::ofstream(sys / "Utilities/MultiView") << "#!/bin/sh\nexit 0\n";
    fs::permissions(sys / "Utilities/MultiView", fs::perms::owner_all);
    return sys;
}

bool Hung(const Report& r, const Pending& p) { return r.stalled && r.windowsOpen > 0 && !p.windowsFail; }

std::string Check(const Report& r, const Pending& p) {
    const support::Drawer& drawer = *p.drawer;
    std::ostringstream why;
    if (r.status <= -1000) why << "crashed (" << -1000 - r.status << ") ";
    if (r.leaked) why << "leaked ";
    if (Hung(r, p)) why << "hung with " << r.windowsOpen << " windows open, \"" << r.front << "\" in front ";
    if (!r.stalled && r.status > -1000 && !ProperStatus(r.status)) why << "exit status " << r.status << " ";
    const bool removalFailed = std::any_of(r.failed.begin(), r.failed.end(),
                                           [](const std::string& f) { return f.rfind("DeleteFile", 0) == 0; });
    long saved = 0;
    CheckFiles(drawer, {kOldMoney, r.moneyAtSave}, removalFailed,
               std::count(r.failed.begin(), r.failed.end(), "GetDiskObject 1") > 0, saved, why);
    if (!r.unobserved && r.money + saved > r.broughtIn)
        why << "money created: " << r.money << " + " << saved << " saved > " << r.broughtIn << " brought in ";
    if (!why.str().empty())
        for (const auto& f : r.failed) why << "[failed " << f << "] ";
    return why.str();
}

TEST(FaultSweep, EveryFailingCallOfAWholeSessionIsSurvived) {
    const fs::path sys = QuietSys();

    // A seed that deals a win after the exchange and a card the script guesses right.
    Report reference;
    unsigned seed = 0;
    do {
        Pending p = Launch(sys, ++seed, "", 0, Mode::once);
        reference = Collect(p);
        ASSERT_EQ(Check(reference, p), "") << "seed " << seed;
        ASSERT_EQ(p.drawer->IconLines(), kWriteBack);
        fs::remove(p.drawer->Path().string() + "-outside");
    } while (!(reference.won && reference.guessedRight) && seed < 100);
    ASSERT_TRUE(reference.won && reference.guessedRight) << "no seed deals a win and a right guess";
    ASSERT_EQ(reference.status, 0);
    ASSERT_FALSE(reference.stalled);

    int stride = 1;
    if (const char* s = std::getenv("POKER_SWEEP_STRIDE")) stride = std::max(1, std::atoi(s));
    int runs = 0, hangs = 0, stalled = 0, unobserved = 0, calls = 0;
    std::vector<std::string> failures;
    std::vector<Pending> running;  // two at a time, one for each core
    auto finish = [&] {
        Pending& p = running.front();
        const Report r = Collect(p);
        ++runs;
        hangs += Hung(r, p);
        stalled += r.stalled && !Hung(r, p);
        unobserved += r.unobserved;
        if (const std::string why = Check(r, p); !why.empty()) failures.push_back(p.what + ": " + why);
        fs::remove(p.drawer->Path().string() + "-outside");
        running.erase(running.begin());
    };
    auto start = [&](const std::string& op, int n, Mode mode) {
        if (running.size() == 2) finish();
        running.push_back(Launch(sys, seed, op, n, mode));
    };
    const std::set<std::string> canHappenFirst = {"Write", "Close", "Rename", "DeleteFile"};
    for (const auto& [op, count] : reference.calls) {
        calls += count;
        for (int n = 1; n <= count; ++n) {
            if (n != count && (n - 1) % stride != 0) continue;
            for (Mode mode : {Mode::once, Mode::from, Mode::onceAfterDoing, Mode::fromAfterDoing})
                if (canHappenFirst.count(op) || (mode != Mode::onceAfterDoing && mode != Mode::fromAfterDoing))
                    start(op, n, mode);
        }
    }
    // Every call of the session with the call right after it, whatever their operations.
    for (int n = 1; n <= calls; n += stride) start("*", n, Mode::withTheNext);
    while (!running.empty()) finish();
    fs::remove_all(sys);
    std::printf("fault sweep: %zu operations, %d calls, %d runs (every %d. call): %d hangs, %d stalled (no window "
                "open, or none can open), %d wins unobserved\n",
                reference.calls.size(), calls, runs, stride, hangs, stalled, unobserved);
    for (const auto& [op, count] : reference.calls) std::printf("  %s %d\n", op.c_str(), count);
    for (const auto& f : failures) ADD_FAILURE() << f;
}

// Two copies of the program (two processes) on one drawer, each taking back a saved game of
// its own, then saving under one name for both or under names of their own, and quitting,
// each step at the same moment; many rounds. Money shown plus money saved never exceeds what
// came in, and every file stays whole.
TEST(TwoCopies, SavingAndQuittingTogetherCreateNoMoneyAndBreakNoFile) {
    const fs::path sys = QuietSys();
    const auto drawer = MakeDrawer();
    const fs::path dir = drawer->Path();
    constexpr long kDeposit[2] = {1000, 2000};
    constexpr int kRounds = 40;
    int bothSaved = 0;
    for (int round = 0; round < kRounds; ++round) {
        const bool sameName = round % 2 == 0;
        for (const auto& e : fs::directory_iterator(dir / "save"))
            if (!fs::is_symlink(e.path()) && e.path().filename() != "game1") fs::remove(e.path());
        PlaceGame(dir, "save/a", kDeposit[0]);
        PlaceGame(dir, "save/b", kDeposit[1]);
        int toFirst[2], toSecond[2];
        ASSERT_EQ(::pipe(toFirst) | ::pipe(toSecond), 0);
        Child copies[2];
        for (int copy = 0; copy < 2; ++copy)
            copies[copy] = Fork([&] {
                ::alarm(60);
                setenv("WB_SYS", sys.c_str(), 1);
                auto meet = [&, tell = copy ? toFirst[1] : toSecond[1], hear = copy ? toSecond[0] : toFirst[0]] {
                    char c = 1;
                    if (::write(tell, &c, 1) != 1 || ::read(hear, &c, 1) != 1) _exit(5);
                };
                auto typeIn = [](const char* title, const std::string& text) {
                    if (!TypeInto(title, text)) _exit(6);
                };
                long result[2] = {-1, -1};  // exit status, money shown before quitting
                const std::vector<std::function<void()>> steps = {
                    [] { host::PickMenu(Main(), 0, 1); },  // Continue Old
                    [&] { typeIn("Select Map File to Load From", copy ? "b\r" : "a\r"); },
                    [] { host::PickMenu(Main(), 0, 2); },  // Save
                    [&] {
                        typeIn("Select Map File to Save As", sameName ? "g" : copy ? "gb" : "ga");
                        meet();
                        host::Key(13);
                    },
                    [&] { result[1] = ShownMoney(), host::ClickClose(Main()); },
                    [&] { meet(), host::Key(13); },  // Quit
                };
                size_t next = 0;
                try { result[0] = drawer->RunWithUser([&] { return next < steps.size() && (steps[next++](), true); }); }
                catch (const host::Stalled&) { result[0] = -2; }
                return std::string(reinterpret_cast<const char*>(result), sizeof result);
            });
        for (int fd : {toFirst[0], toFirst[1], toSecond[0], toSecond[1]}) ::close(fd);
        long shown = 0;
        std::ostringstream why;
        for (int copy = 0; copy < 2; ++copy) {
            int failure = 0;
            const std::string text = Reap(copies[copy], failure);
            long result[2] = {-1, 0};
            if (text.size() == sizeof result) std::memcpy(result, text.data(), sizeof result);
            if (result[0] != 0) why << "copy " << copy << " ended with " << result[0] << " (" << failure << ") ";
            shown += result[1];
        }
        bothSaved += sameName && shown == 0;
        long saved = 0;
        CheckFiles(*drawer, {kOldMoney, kDeposit[0], kDeposit[1]}, false, false, saved, why);
        if (shown + saved > kOldMoney + kDeposit[0] + kDeposit[1])
            why << "money created: " << shown << " shown + " << saved << " saved ";
        ASSERT_EQ(why.str(), "") << "round " << round << (sameName ? ", one name" : ", two names");
    }
    fs::remove(dir.string() + "-outside");
    fs::remove_all(sys);
    std::printf("two copies: %d rounds (%d under one name, %d with both told their save was made)\n", kRounds,
                kRounds / 2, bothSaved);
}

}  // namespace
