// Loading a saved game from any bytes: no crash, and an accepted file holds values the
// game can hold and saves back to the same values.
//
// The first input byte picks the form: even, the rest is written as it stands; odd, the
// rest is scrambled with the path first, so that the fuzzer reaches the text parser.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/main.h"
#include "game/savefile.h"

// The program's shared values live with its entry, which this target does not link; the
// menu operations that share the file with the loader need them to link.
TextFont* TEXTFONT = nullptr;
unsigned char pens[2] = {};
unsigned char gfxpens[256] = {};

namespace {
constexpr const char* kPath = "/tmp/tarnwell_fuzz_savefile.sav";
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool scramble = data[0] & 1;
    ++data;
    --size;

    FILE* f = std::fopen(kPath, "wb");
    if (!f) return 0;
    const size_t keyLength = std::strlen(kPath);
    for (size_t i = 0; i < size; ++i) {
        const unsigned char key = scramble ? static_cast<unsigned char>(kPath[i % keyLength]) : 0;
        std::fputc(static_cast<unsigned char>(data[i] + key), f);
    }
    std::fclose(f);

    cSaveFile save;
    save.path = kPath;
    const int result = save.Load();
    if (result == 0) {
        const bool inRange = save.money >= 0 && save.jokers >= 0 && save.jokers <= 8 && save.changes >= 1 &&
                             save.changes <= 3 && (save.doubleUp == 0 || save.doubleUp == 1) &&
                             (save.jokerPref == 0 || save.jokerPref == 512) &&
                             (save.fiveKindPref == 0 || save.fiveKindPref == 256);
        if (!inRange) std::abort();
        cSaveFile again = save;
        if (again.Save() != 0) std::abort();
        cSaveFile back;
        back.path = kPath;
        if (back.Load() != 0 || back.money != save.money || back.jokers != save.jokers ||
            back.changes != save.changes || back.doubleUp != save.doubleUp || back.jokerPref != save.jokerPref ||
            back.fiveKindPref != save.fiveKindPref)
            std::abort();
    } else if (result != 2) {
        std::abort();  // the file exists and can be read: only "not ours" may refuse it
    }
    std::remove(kPath);
    return 0;
}
