// A window's own 8-bit raster, behind its RastPort. Private to the platform.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "graphics.h"

struct Window;

struct Layer {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // pens, row after row
    Window* window = nullptr;

    // Texts drawn into the raster that nothing has drawn over since, oldest first
    // (what a test's user can read). Drawing over any pixel of a text's box removes it.
    struct TextRecord {
        int x, y;                  // baseline start
        int left, top, right, bottom;  // box, inclusive
        std::string text;
        int pen;
    };
    std::vector<TextRecord> texts;

    void Resize(int w, int h, uint8_t pen) {
        width = w;
        height = h;
        pixels.assign(static_cast<size_t>(w) * h, pen);
        texts.clear();
    }
    // Drawing into (left..right, top..bottom) covers these texts.
    void Cover(int left, int top, int right, int bottom) {
        std::erase_if(texts, [&](const TextRecord& t) {
            return !(right < t.left || left > t.right || bottom < t.top || top > t.bottom);
        });
    }
};

namespace platform {
// Bumped by every drawing operation into a layer; the window server recomposes the screen
// when it changed.
extern uint64_t drawGeneration;
}  // namespace platform
