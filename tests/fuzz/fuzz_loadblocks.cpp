// libFuzzer target for the card sheet loader: any file a player could name as CARDS.
// A picture that loads is also remapped, as start-up would do next.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphics/ReMapBitMap.h"
#include "graphics/gfxload.h"

namespace {

std::string& TempPath() {
    static std::string path = [] {
        // tmpfs when there is one: the file is rewritten for every input.
        char name[] = "/dev/shm/fuzz_loadblocks_XXXXXX";
        if (access("/dev/shm", W_OK) != 0) std::snprintf(name, sizeof name, "%s", "/tmp/fuzz_loadblocks_XXXXXX");
        int fd = mkstemp(name);
        if (fd < 0) std::abort();
        close(fd);
        unlink(name);  // made afresh for every input, and removed after it
        return std::string(name);
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = TempPath();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (size && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);

    BitMap sheet{};
    unsigned char colours[768];
    int result = LoadBlocks(sheet, colours, reinterpret_cast<unsigned char*>(const_cast<char*>(path.c_str())));
    // Every picture the loader takes is remapped, whatever its size: what the loader lets
    // through must not cost the remap more than a card sheet's memory and time.
    if (result == 0) {
        BitMap screenBitMap{};
        screenBitMap.Depth = 8;
        RastPort screen;
        InitRastPort(&screen);
        screen.BitMap = &screenBitMap;
        unsigned char pens[256];
        for (int i = 0; i < 256; ++i) pens[i] = static_cast<unsigned char>(255 - i);
        ReMapBitMap(sheet, &screen, pens);
    }
    FreeBlocks(sheet);
    unlink(path.c_str());
    return 0;
}
