// tarnwell-poker: starts the installed game from the player's own drawer. On the first start
// the drawer as shipped is copied to $XDG_DATA_HOME/tarnwell-poker/Poker, so the icon's
// settings and the saved games are the player's and survive upgrades; on every start the
// help and the default card sheet follow the installed version unless the player changed
// them; then wbrun starts the program from that drawer's icon and becomes it, so the exit
// status is the game's.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <system_error>
#include <utility>

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

// SHA-256 of a file's bytes as lower-case hex, the form sha256sum writes; "" when unreadable.
std::string Sha256(const fs::path& path) {
    static constexpr std::uint32_t k[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
        0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
        0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
        0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
        0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
        0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
        0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
    std::ifstream in(path, std::ios::binary);
    if (!in) return "";
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return "";
    const std::uint64_t bits = std::uint64_t(data.size()) * 8;
    data += char(0x80);
    while (data.size() % 64 != 56) data += char(0);
    for (int i = 7; i >= 0; --i) data += char(bits >> (8 * i));
    std::array<std::uint32_t, 8> h = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                      0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    auto rotr = [](std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); };
    for (std::size_t block = 0; block < data.size(); block += 64) {
        std::uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = std::uint32_t(std::uint8_t(data[block + 4 * i])) << 24 | std::uint32_t(std::uint8_t(data[block + 4 * i + 1])) << 16 |
                   std::uint32_t(std::uint8_t(data[block + 4 * i + 2])) << 8 | std::uint8_t(data[block + 4 * i + 3]);
        for (int i = 16; i < 64; ++i)
            w[i] = w[i - 16] + (rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >> 3)) + w[i - 7] +
                   (rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >> 10));
        auto v = h;
        for (int i = 0; i < 64; ++i) {
            const std::uint32_t t1 = v[7] + (rotr(v[4], 6) ^ rotr(v[4], 11) ^ rotr(v[4], 25)) +
                                     ((v[4] & v[5]) ^ (~v[4] & v[6])) + k[i] + w[i];
            const std::uint32_t t2 = (rotr(v[0], 2) ^ rotr(v[0], 13) ^ rotr(v[0], 22)) +
                                     ((v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]));
            for (int j = 7; j > 0; --j) v[j] = v[j - 1];
            v[4] += t1;
            v[0] = t1 + t2;
        }
        for (int i = 0; i < 8; ++i) h[i] += v[i];
    }
    std::string hex;
    for (std::uint32_t word : h) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", word);
        hex += part;
    }
    return hex;
}

// Puts a copy of `from` at `to` whole or not at all: written to a file of its own beside it,
// made on the spot (never an existing file, never through a link), then renamed into place.
bool ReplaceAtomically(const fs::path& from, const fs::path& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return false;
    const fs::path temp = to.parent_path() / ("." + to.filename().string() + ".new." + std::to_string(getpid()));
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = true;
    char buffer[65536];
    while (ok && in.read(buffer, sizeof buffer).gcount() > 0) {
        for (std::streamsize done = 0, n = in.gcount(); ok && done < n;) {
            const ssize_t wrote = write(fd, buffer + done, std::size_t(n - done));
            ok = wrote > 0;
            done += wrote > 0 ? wrote : 0;
        }
    }
    ok = ok && !in.bad() && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temp.c_str(), to.c_str()) == 0;
    if (!ok) unlink(temp.c_str());
    return ok;
}

// The files that stay the game's until the player changes them. The icon and the saved games
// are the player's from the first start.
constexpr const char* kFollowed[] = {"poker.guide", "gfx/defaultcards.lbm"};

// Brings each followed file of the player's drawer to the installed version where it is missing
// or still as an earlier version shipped it (`released` lists those, as sha256sum writes them).
// Anything else there is the player's and stays as it is.
void FollowInstalled(const fs::path& shipped, const fs::path& drawer, const fs::path& released) {
    std::set<std::pair<std::string, std::string>> earlier;  // (file, sha256)
    std::ifstream list(released);
    for (std::string line; std::getline(list, line);) {
        const std::size_t gap = line.find("  ");
        if (line.empty() || line[0] == '#' || gap == std::string::npos) continue;
        earlier.emplace(line.substr(gap + 2), line.substr(0, gap));
    }
    for (const char* name : kFollowed) {
        const fs::path mine = drawer / name, theirs = shipped / name;
        std::error_code error;
        const fs::file_status status = fs::symlink_status(mine, error);
        if (fs::exists(status)) {
            if (!fs::is_regular_file(status)) continue;
            const std::string hash = Sha256(mine);
            if (hash.empty() || !earlier.count({name, hash}) || hash == Sha256(theirs)) continue;
        }
        fs::create_directories(mine.parent_path(), error);
        if (!ReplaceAtomically(theirs, mine))
            std::fprintf(stderr, "tarnwell-poker: cannot bring %s up to date; the game keeps the one it has\n",
                         mine.c_str());
    }
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
        FollowInstalled(shipped, drawer, prefix / POKER_DATA_DIR / "released.sha256");
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
