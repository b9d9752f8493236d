// The saved game: 32 bytes, a text line scrambled with the file's own path.
#pragma once
#include <dos.h>

// Holds an open file and closes it on every way out.
class cFile {
public:
    BPTR handle = 0;

    cFile() = default;
    explicit cFile(BPTR h) : handle(h) {}
    cFile(const cFile&) = delete;
    cFile& operator=(const cFile&) = delete;
    virtual ~cFile();
};

class cSaveFile {
public:
    const char* path = nullptr;  // the full path; also the scrambling key
    int32_t money = 0;
    int32_t changes = 0;
    int32_t jokers = 0;
    int32_t doubleUp = 0;
    int32_t jokerPref = 0;     // the hand's flags & 0x200
    int32_t fiveKindPref = 0;  // the hand's flags & 0x100

    // Size of the file and of the block in it.
    static constexpr int BlockSize = 32;

    // 0 saved; 1 nothing saved (the file could not be made or fully written and closed;
    // a partly written file is removed).
    int Save();
    // 0 loaded (the fields hold the values and the file is gone); 1 the file could not be
    // opened or removed; 2 not a saved game of ours or values the game cannot hold (the
    // file stays, the fields are unchanged).
    int Load();
    // Scramble and unscramble a 32-byte block in place with the path as key.
    void Crypt(char* block);
    void DeCrypt(char* block);

    // Formats the plain block; false when the text would not fit.
    bool Format(char* block) const;
    // Parses a plain block into the fields; false (fields unchanged) unless it holds
    // "POKER:" and six numbers the game can hold.
    bool Parse(const char* block);
};
