// The saved game file and the two menu operations that write and read it.
#include "game/savefile.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "game/game.h"

cFile::~cFile() {
    if (handle) Close(handle);
}

namespace {

int KeyLength(const char* path) { return path ? static_cast<int>(std::strlen(path)) : 0; }

// One number as the format's %ld reads it: optional blanks and sign, then digits. Values
// beyond 32 bits are reported as such rather than wrapped.
bool ReadNumber(const char*& p, long long& out) {
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    if (*p < '0' || *p > '9') return false;
    long long value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value <= 0xFFFFFFFFLL) value = value * 10 + (*p - '0');
        ++p;
    }
    out = negative ? -value : value;
    return true;
}

}  // namespace

void cSaveFile::Crypt(char* block) {
    const int length = KeyLength(path);
    if (length == 0) return;
    for (int i = 0; i < BlockSize; ++i)
        block[i] = static_cast<char>(static_cast<unsigned char>(block[i]) +
                                     static_cast<unsigned char>(path[i % length]));
}

void cSaveFile::DeCrypt(char* block) {
    const int length = KeyLength(path);
    if (length == 0) return;
    for (int i = 0; i < BlockSize; ++i)
        block[i] = static_cast<char>(static_cast<unsigned char>(block[i]) -
                                     static_cast<unsigned char>(path[i % length]));
}

bool cSaveFile::Format(char* block) const {
    std::memset(block, 0, BlockSize);
    const int n = std::snprintf(block, BlockSize, "POKER:%ld,%ld,%ld,%ld,%ld,%ld", static_cast<long>(money),
                                static_cast<long>(jokers), static_cast<long>(changes),
                                static_cast<long>(doubleUp), static_cast<long>(jokerPref),
                                static_cast<long>(fiveKindPref));
    return n > 0 && n < BlockSize;
}

bool cSaveFile::Parse(const char* block) {
    char text[BlockSize + 1];
    std::memcpy(text, block, BlockSize);
    text[BlockSize] = '\0';  // the text ends at its first zero byte or after 32 bytes

    const char* p = text;
    if (std::strncmp(p, "POKER:", 6) != 0) return false;
    p += 6;
    long long v[6];
    for (int i = 0; i < 6; ++i) {
        if (i > 0 && *p++ != ',') return false;
        if (!ReadNumber(p, v[i])) return false;
    }
    const long long m = v[0], j = v[1], c = v[2], d = v[3], jp = v[4], fp = v[5];
    if (m < 0 || m > MaxMoney) return false;
    if (j < 0 || j > 8) return false;
    if (c < 1 || c > 3) return false;
    if (d != 0 && d != 1) return false;
    if (jp != 0 && jp != 0x200) return false;
    if (fp != 0 && fp != 0x100) return false;

    money = static_cast<int32_t>(m);
    jokers = static_cast<int32_t>(j);
    changes = static_cast<int32_t>(c);
    doubleUp = static_cast<int32_t>(d);
    jokerPref = static_cast<int32_t>(jp);
    fiveKindPref = static_cast<int32_t>(fp);
    return true;
}

namespace {

// Renames the complete file over the old one. A rename can be reported failed after it
// happened (a network file system retrying its request): then the file is in place all the
// same, and saying otherwise would leave the money both in the file and in the game.
bool PutInPlace(const char* temporary, const char* path) {
    const BPTR mine = Lock(temporary, SHARED_LOCK);
    bool done = Rename(temporary, path) == DOSTRUE;
    if (!done && mine) {
        const BPTR there = Lock(path, SHARED_LOCK);
        done = there && SameLock(mine, there) == LOCK_SAME;
        if (there) UnLock(there);
    }
    if (mine) UnLock(mine);
    return done;
}

}  // namespace

int cSaveFile::Save() {
    char block[BlockSize];
    if (KeyLength(path) == 0 || !Format(block)) return 1;
    Crypt(block);  // scrambled with the final name, whatever name it is written under first

    // Written beside the old saved game under a name no other save takes, and put in its
    // place only when complete: a failure at any step leaves an older saved game of that
    // name as it was.
    std::string temporary(std::strlen(path) + 256, '\0');
    cFile file(OpenTemporary(path, temporary.data(), static_cast<LONG>(temporary.size())));
    if (!file.handle) return 1;
    const bool written = Write(file.handle, block, BlockSize) == BlockSize;
    const bool closed = Close(file.handle) == DOSTRUE;
    file.handle = 0;
    if (written && closed && PutInPlace(temporary.c_str(), path)) return 0;
    DeleteFile(temporary.c_str());
    return 1;
}

int cSaveFile::Load() {
    if (KeyLength(path) == 0) return 1;
    cFile file(Open(path, MODE_OLDFILE));
    if (!file.handle) return 1;

    char block[BlockSize];
    int got = 0;
    while (got < BlockSize) {
        const LONG n = Read(file.handle, block + got, BlockSize - got);
        if (n <= 0) break;
        got += n;
    }
    if (got < BlockSize) return 2;

    DeCrypt(block);
    cSaveFile loaded = *this;
    if (!loaded.Parse(block)) return 2;

    Close(file.handle);
    file.handle = 0;
    // The file is a deposit: a copy that stays behind could be opened again.
    if (DeleteFile(path) != DOSTRUE) return 1;
    *this = loaded;
    return 0;
}

void cGamePoker::MenuSave() {
    if (const char* path = fileReq.AskForGame("Select Map File to Save As", "Save")) {
        cSaveFile save;
        save.path = path;
        save.money = Money();
        save.changes = changes;
        save.jokers = jokers;
        save.doubleUp = doubleUp;
        save.jokerPref = static_cast<int32_t>(hand.flags & 0x200);
        save.fiveKindPref = static_cast<int32_t>(hand.flags & 0x100);
        if (save.Save() == 0) {
            // The money now lives only in the file.
            MenuNew();
            SetMoney(0);
        }
    }
    fileReq.file = "";
}

void cGamePoker::MenuOld(MenuItem* doubleItem) {
    const char* path = fileReq.AskForGame("Select Map File to Load From", "Open");
    if (!path) return;
    cSaveFile save;
    save.path = path;
    if (save.Load() != 0) return;

    if (phase != -1) GatherCards();
    SetMoney(save.money);
    changes = save.changes;
    jokers = save.jokers;
    doubleUp = save.doubleUp;
    if (doubleItem) {
        if (doubleUp)
            doubleItem->Flags |= CHECKED;
        else
            doubleItem->Flags &= ~CHECKED;
    }
    hand.flags = save.jokerPref ? (hand.flags | 0x200u) : (hand.flags & ~0x200u);
    hand.flags = save.fiveKindPref ? (hand.flags | 0x100u) : (hand.flags & ~0x100u);
    InitPiles();
    deck.Shuffle();
}
