// Drawing fixtures: planar bitmaps with guard bytes around every plane, and ports on them or on a layer.
#pragma once
#include <graphics.h>

#include <cstdint>
#include <random>
#include <vector>

#include "layer.h"

namespace gfxtest {

constexpr size_t kGuard = 32;
constexpr UBYTE kGuardByte = 0xA5;

// A planar bitmap owning its planes; each plane sits between two guard areas.
class Planar {
public:
    Planar(int width, int height, int depth) {
        InitBitMap(&bm_, BYTE(depth), UWORD(width), UWORD(height));
        for (int p = 0; p < depth && p < 8; ++p) {
            store_.emplace_back(kGuard + PlaneSize() + kGuard, kGuardByte);
            std::fill_n(store_.back().begin() + kGuard, PlaneSize(), UBYTE(0));
            bm_.Planes[p] = store_.back().data() + kGuard;
        }
    }
    Planar(const Planar&) = delete;
    Planar& operator=(const Planar&) = delete;

    BitMap* bm() { return &bm_; }
    size_t PlaneSize() const { return size_t(bm_.BytesPerRow) * bm_.Rows; }
    int Width() const { return bm_.BytesPerRow * 8; }
    int Height() const { return bm_.Rows; }

    // Bit p of the pen is bit (7 - x % 8) of Planes[p][y * BytesPerRow + x / 8]; a missing plane reads 0.
    int Get(int x, int y) const {
        int pen = 0;
        for (int p = 0; p < bm_.Depth && p < 8; ++p)
            if (bm_.Planes[p] && (bm_.Planes[p][size_t(y) * bm_.BytesPerRow + x / 8] >> (7 - x % 8) & 1)) pen |= 1 << p;
        return pen;
    }
    void Randomise(std::mt19937& rng) {
        for (int p = 0; p < bm_.Depth && p < 8; ++p)
            for (size_t i = 0; bm_.Planes[p] && i < PlaneSize(); ++i) bm_.Planes[p][i] = UBYTE(rng());
    }
    bool GuardsIntact() const {
        for (const auto& s : store_)
            for (size_t i = 0; i < kGuard; ++i)
                if (s[i] != kGuardByte || s[s.size() - 1 - i] != kGuardByte) return false;
        return true;
    }
    std::vector<int> Pixels() const {
        std::vector<int> out;
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) out.push_back(Get(x, y));
        return out;
    }

private:
    BitMap bm_{};
    std::vector<std::vector<UBYTE>> store_;
};

// A raster port drawing into a bare layer (the window server gives windows the same).
struct LayerPort {
    Layer layer;
    RastPort rp{};
    LayerPort(int width, int height, uint8_t pen = 0) {
        layer.Resize(width, height, pen);
        InitRastPort(&rp);
        rp.Layer = &layer;
    }
    LayerPort(const LayerPort&) = delete;
    int At(int x, int y) const { return layer.pixels[size_t(y) * layer.width + x]; }
};

// A raster port drawing into a planar bitmap.
struct PlanarPort {
    Planar planar;
    RastPort rp{};
    PlanarPort(int width, int height, int depth) : planar(width, height, depth) {
        InitRastPort(&rp);
        rp.BitMap = planar.bm();
    }
    PlanarPort(const PlanarPort&) = delete;
};

}  // namespace gfxtest
