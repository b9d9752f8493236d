// tarnwell-poker: starts the installed game from the player's own drawer. On the first start
// the drawer as shipped is copied to $XDG_DATA_HOME/tarnwell-poker/Poker, so the icon's
// settings and the saved games are the player's and survive upgrades; then wbrun starts the
// program from that drawer's icon and becomes it, so the exit status is the game's.
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// What AmigaDOS calls a failure, for a drawer that cannot be made.
constexpr int kFail = 20;

void Usage(FILE* out) {
    std::fprintf(out,
                 "Usage: tarnwell-poker [--help] [--version]\n"
                 "Starts Tarnwell Poker, a video-poker game with jokers and a double-up game.\n\n"
                 "The first start copies the game's drawer to $XDG_DATA_HOME/tarnwell-poker/Poker\n"
                 "(~/.local/share/tarnwell-poker/Poker when XDG_DATA_HOME is unset). Its icon,\n"
                 "poker.info, holds the settings; saved games go to its save/ folder.\n\n"
                 "  --help     show this help and exit\n"
                 "  --version  show the version and exit\n");
}

// The player's data folder, by the XDG base directory rules: a relative XDG_DATA_HOME counts
// as unset.
std::string DataHome() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        const passwd* pw = getpwuid(getuid());
        home = pw != nullptr ? pw->pw_dir : nullptr;
    }
    if (home == nullptr || home[0] == '\0') return "";
    return std::string(home) + "/.local/share";
}

int Fail(const std::string& what, const std::error_code& error) {
    std::fprintf(stderr, "tarnwell-poker: %s%s%s\n", what.c_str(), error ? ": " : "", error ? error.message().c_str() : "");
    return kFail;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            Usage(stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tarnwell-poker %s\n", POKER_VERSION);
            return 0;
        }
        std::fprintf(stderr, "tarnwell-poker: unknown option '%s'\nTry 'tarnwell-poker --help'.\n", argv[i]);
        return 2;
    }

    // Everything installed lies relative to this program: PREFIX/bin/tarnwell-poker.
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return Fail("cannot find where the game is installed", error);
    const fs::path prefix = self.parent_path().parent_path();
    const fs::path lib = prefix / POKER_LIB_DIR, shipped = prefix / POKER_DATA_DIR / "Poker";

    const std::string data = DataHome();
    if (data.empty()) return Fail("cannot make your drawer: neither XDG_DATA_HOME nor HOME is set", {});
    const fs::path drawer = fs::path(data) / "tarnwell-poker" / "Poker";

    if (!fs::exists(drawer, error)) {
        // Copied aside and renamed into place, so an interrupted first start leaves no half
        // drawer behind that would later count as the player's.
        const fs::path parent = drawer.parent_path();
        const fs::path temp = parent / (".Poker." + std::to_string(getpid()));
        fs::create_directories(parent, error);
        if (!error) fs::copy(shipped, temp, fs::copy_options::recursive, error);
        if (!error) fs::rename(temp, drawer, error);
        if (error) {
            std::error_code ignored;
            fs::remove_all(temp, ignored);
            return Fail("cannot make your drawer " + drawer.string() + " from " + shipped.string(), error);
        }
    } else if (!fs::is_directory(drawer, error)) {
        return Fail("cannot make your drawer: " + drawer.string() + " is not a folder", {});
    } else {
        // What the player removed comes back as shipped; nothing the player has is touched.
        fs::copy(shipped, drawer, fs::copy_options::recursive | fs::copy_options::skip_existing, error);
        if (error) return Fail("cannot complete your drawer " + drawer.string(), error);
    }

    // The program itself is not the player's: a link to the installed one, renewed on every
    // start so that it follows the installation. A real program the player put there stays.
    const fs::path program = drawer / "poker";
    const fs::file_status status = fs::symlink_status(program, error);
    if (fs::is_symlink(status) || !fs::exists(status)) {
        const fs::path link = drawer / (".poker." + std::to_string(getpid()));
        std::error_code ignored;
        fs::remove(link, ignored);
        fs::create_symlink(lib / "poker", link, error);
        if (!error) fs::rename(link, program, error);
        if (error) {
            fs::remove(link, ignored);
            return Fail("cannot put the program into your drawer " + drawer.string(), error);
        }
    }

    const std::string wbrun = (lib / "wbrun").string(), start = program.string();
    char* const args[] = {const_cast<char*>(wbrun.c_str()), const_cast<char*>(start.c_str()), nullptr};
    execv(wbrun.c_str(), args);
    return Fail("cannot start " + wbrun, std::error_code(errno, std::generic_category()));
}
