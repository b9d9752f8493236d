// Graphics: raster ports drawing into a window's chunky layer or a planar bitmap, planar
// bitmaps, pixel arrays and blits. Every operation clips to the memory it owns.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <unordered_set>
#include <vector>

#include "gfx_private.h"
#include "host/host.h"
#include "layer.h"

namespace platform {
uint64_t drawGeneration = 0;
}

namespace {

// ---- planar <-> chunky ---------------------------------------------------------
// expand[b]: byte i of the result (i = 0 the leftmost pixel) is bit (7 - i) of b.
struct ExpandTable {
    uint64_t v[256];
    constexpr ExpandTable() : v() {
        for (int b = 0; b < 256; ++b) {
            uint64_t e = 0;
            for (int i = 0; i < 8; ++i)
                if (b & (0x80 >> i)) e |= uint64_t{1} << (8 * i);
            v[b] = e;
        }
    }
};
constexpr ExpandTable kExpand;

inline void Store8(uint8_t* out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out[i] = uint8_t(v >> (8 * i));
}
inline uint64_t Load8(const uint8_t* in) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= uint64_t{in[i]} << (8 * i);
    return v;
}
// Bit p of eight pixels, leftmost pixel in bit 7.
inline uint8_t Gather(uint64_t pixels, int p) {
    return uint8_t((((pixels >> p) & 0x0101010101010101ull) * 0x8040201008040201ull) >> 56);
}

int BitMapDepth(const BitMap* bm) { return std::min<int>(bm->Depth, 8); }

// Pixels x0 .. x0+n-1 of row y (inside the bitmap) into out, as pens.
void PlanarRowToChunky(const BitMap* bm, int y, int x0, int n, uint8_t* out) {
    const int depth = BitMapDepth(bm);
    const size_t rowStart = size_t(y) * bm->BytesPerRow;
    const int firstByte = x0 >> 3, lastByte = (x0 + n - 1) >> 3;
    uint8_t chunk[8];
    for (int byte = firstByte; byte <= lastByte; ++byte) {
        uint64_t acc = 0;
        for (int p = 0; p < depth; ++p)
            if (bm->Planes[p] != nullptr) acc |= kExpand.v[bm->Planes[p][rowStart + byte]] << p;
        const int px = byte * 8;
        const int from = std::max(px, x0), to = std::min(px + 8, x0 + n);
        if (from == px && to == px + 8) {
            Store8(out + (px - x0), acc);
        } else {
            Store8(chunk, acc);
            std::memcpy(out + (from - x0), chunk + (from - px), size_t(to - from));
        }
    }
}

// Pens in into pixels x0 .. x0+n-1 of row y (inside the bitmap); planes the bitmap lacks
// are skipped.
void ChunkyRowToPlanar(BitMap* bm, int y, int x0, int n, const uint8_t* in) {
    const int depth = BitMapDepth(bm);
    const size_t rowStart = size_t(y) * bm->BytesPerRow;
    const int firstByte = x0 >> 3, lastByte = (x0 + n - 1) >> 3;
    uint8_t chunk[8];
    for (int byte = firstByte; byte <= lastByte; ++byte) {
        const int px = byte * 8;
        const int from = std::max(px, x0), to = std::min(px + 8, x0 + n);
        uint64_t pixels;
        uint8_t mask = 0xFF;
        if (from == px && to == px + 8) {
            pixels = Load8(in + (px - x0));
        } else {
            std::memset(chunk, 0, sizeof chunk);
            std::memcpy(chunk + (from - px), in + (from - x0), size_t(to - from));
            pixels = Load8(chunk);
            mask = uint8_t((0xFF >> (from - px)) & (0xFF << (px + 8 - to)));
        }
        for (int p = 0; p < depth; ++p) {
            uint8_t* plane = bm->Planes[p];
            if (plane == nullptr) continue;
            uint8_t& dst = plane[rowStart + byte];
            dst = uint8_t((dst & ~mask) | (Gather(pixels, p) & mask));
        }
    }
}

// ---- where a port draws ---------------------------------------------------------

struct Target {
    Layer* layer = nullptr;
    BitMap* bitmap = nullptr;
    int width = 0, height = 0;

    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }

    int Get(int x, int y) const {
        if (layer != nullptr) return layer->pixels[size_t(y) * width + x];
        const size_t at = size_t(y) * bitmap->BytesPerRow + (x >> 3);
        const uint8_t bit = uint8_t(0x80 >> (x & 7));
        int pen = 0;
        for (int p = 0; p < BitMapDepth(bitmap); ++p)
            if (bitmap->Planes[p] != nullptr && (bitmap->Planes[p][at] & bit)) pen |= 1 << p;
        return pen;
    }
    void Set(int x, int y, int pen) {
        if (layer != nullptr) {
            layer->pixels[size_t(y) * width + x] = uint8_t(pen);
            return;
        }
        const size_t at = size_t(y) * bitmap->BytesPerRow + (x >> 3);
        const uint8_t bit = uint8_t(0x80 >> (x & 7));
        for (int p = 0; p < BitMapDepth(bitmap); ++p) {
            uint8_t* plane = bitmap->Planes[p];
            if (plane == nullptr) continue;
            if (pen & (1 << p))
                plane[at] |= bit;
            else
                plane[at] &= uint8_t(~bit);
        }
    }
    // All bits the raster holds: what COMPLEMENT inverts.
    int AllPlanes() const { return layer != nullptr ? 0xFF : (1 << BitMapDepth(bitmap)) - 1; }
};

// A port's raster; false when it has none to draw into.
bool TargetOf(RastPort* rp, Target& t) {
    if (rp == nullptr) return false;
    if (rp->Layer != nullptr) {
        Layer* layer = rp->Layer;
        if (layer->width <= 0 || layer->height <= 0) return false;
        if (layer->pixels.size() < size_t(layer->width) * size_t(layer->height)) return false;
        t.layer = layer;
        t.width = layer->width;
        t.height = layer->height;
        return true;
    }
    if (rp->BitMap == nullptr) return false;
    t.bitmap = rp->BitMap;
    t.width = rp->BitMap->BytesPerRow * 8;
    t.height = rp->BitMap->Rows;
    return t.width > 0 && t.height > 0;
}

// A rectangle, inclusive; empty when right < left or bottom < top.
struct Box {
    int64_t left, top, right, bottom;
    bool Empty() const { return right < left || bottom < top; }
    Box Clip(const Target& t) const {
        return Box{std::max<int64_t>(left, 0), std::max<int64_t>(top, 0), std::min<int64_t>(right, t.width - 1),
                   std::min<int64_t>(bottom, t.height - 1)};
    }
};

// A drawing into a layer changes the screen and covers the texts under it.
void Touched(const Target& t, const Box& clipped) {
    if (t.layer == nullptr || clipped.Empty()) return;
    ++platform::drawGeneration;
    t.layer->Cover(int(clipped.left), int(clipped.top), int(clipped.right), int(clipped.bottom));
}

// The pen a foreground pixel gets in the port's mode (COMPLEMENT: its bits inverted).
inline void Plot(Target& t, RastPort* rp, int x, int y) {
    if ((rp->DrawMode & COMPLEMENT) != 0)
        t.Set(x, y, t.Get(x, y) ^ t.AllPlanes());
    else
        t.Set(x, y, rp->FgPen);
}

void FillBox(RastPort* rp, Target& t, const Box& clipped) {
    if (clipped.Empty()) return;
    const int l = int(clipped.left), r = int(clipped.right);
    if (t.layer != nullptr && (rp->DrawMode & COMPLEMENT) == 0) {
        for (int64_t y = clipped.top; y <= clipped.bottom; ++y)
            std::memset(&t.layer->pixels[size_t(y) * t.width + l], rp->FgPen, size_t(r - l + 1));
    } else {
        for (int64_t y = clipped.top; y <= clipped.bottom; ++y)
            for (int x = l; x <= r; ++x) Plot(t, rp, x, int(y));
    }
    Touched(t, clipped);
}

inline WORD ClampWord(int64_t v) { return WORD(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX)); }

TextFont* FontOf(RastPort* rp) { return rp->Font != nullptr ? rp->Font : platform::SystemFont(); }

// Registries: a pointer this library never handed out, or handed back twice, is ignored.
std::unordered_set<void*>& Rasters() {
    static std::unordered_set<void*> set;
    return set;
}
std::unordered_set<BitMap*>& BitMaps() {
    static std::unordered_set<BitMap*> set;
    return set;
}

size_t PlaneBytes(ULONG width, ULONG height) { return size_t((width + 15) / 16) * 2 * height; }

PLANEPTR NewPlane(size_t bytes) {
    if (bytes == 0) return nullptr;
    auto* p = new (std::nothrow) UBYTE[bytes]();
    if (p != nullptr) Rasters().insert(p);
    return p;
}

void DeletePlane(PLANEPTR p) {
    if (p == nullptr || Rasters().erase(p) == 0) return;
    delete[] p;
}

}  // namespace

// ---- raster ports ------------------------------------------------------------------

void InitRastPort(RastPort* rp) {
    if (rp == nullptr) return;
    std::memset(rp, 0, sizeof *rp);
    rp->FgPen = 1;
    rp->BgPen = 0;
    rp->AOlPen = 1;
    rp->DrawMode = JAM2;
    SetFont(rp, platform::SystemFont());
}

void SetAPen(RastPort* rp, ULONG pen) {
    if (rp != nullptr) rp->FgPen = UBYTE(pen);
}
void SetBPen(RastPort* rp, ULONG pen) {
    if (rp != nullptr) rp->BgPen = UBYTE(pen);
}
void SetDrMd(RastPort* rp, ULONG drawMode) {
    if (rp != nullptr) rp->DrawMode = UBYTE(drawMode);
}
void SetABPenDrMd(RastPort* rp, ULONG aPen, ULONG bPen, ULONG drawMode) {
    SetAPen(rp, aPen);
    SetBPen(rp, bPen);
    SetDrMd(rp, drawMode);
}

void Move(RastPort* rp, LONG x, LONG y) {
    if (rp == nullptr) return;
    rp->cp_x = ClampWord(x);
    rp->cp_y = ClampWord(y);
}

void Draw(RastPort* rp, LONG x, LONG y) {
    if (rp == nullptr) return;
    const int64_t x0 = rp->cp_x, y0 = rp->cp_y;
    const int64_t x1 = ClampWord(x), y1 = ClampWord(y);
    rp->cp_x = WORD(x1);
    rp->cp_y = WORD(y1);
    Target t;
    if (!TargetOf(rp, t)) return;
    if (x0 == x1 || y0 == y1) {  // straight lines are boxes one pixel thick
        FillBox(rp, t, Box{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)}.Clip(t));
        return;
    }
    // Bresenham over both ends; coordinates are 16-bit, so a line is at most 65536 steps.
    const int64_t dx = x1 > x0 ? x1 - x0 : x0 - x1, sx = x0 < x1 ? 1 : -1;
    const int64_t dy = y1 > y0 ? -(y1 - y0) : -(y0 - y1), sy = y0 < y1 ? 1 : -1;
    int64_t err = dx + dy, px = x0, py = y0;
    bool any = false;
    for (;;) {
        if (t.Inside(int(std::clamp<int64_t>(px, -1, t.width)), int(std::clamp<int64_t>(py, -1, t.height)))) {
            Plot(t, rp, int(px), int(py));
            if (t.layer != nullptr) t.layer->Cover(int(px), int(py), int(px), int(py));
            any = true;
        }
        if (px == x1 && py == y1) break;
        const int64_t e2 = 2 * err;
        if (e2 >= dy) err += dy, px += sx;
        if (e2 <= dx) err += dx, py += sy;
    }
    if (any && t.layer != nullptr) ++platform::drawGeneration;
}

void RectFill(RastPort* rp, LONG xMin, LONG yMin, LONG xMax, LONG yMax) {
    Target t;
    if (!TargetOf(rp, t)) return;
    FillBox(rp, t, Box{xMin, yMin, xMax, yMax}.Clip(t));
}

void WritePixel(RastPort* rp, LONG x, LONG y) {
    Target t;
    if (!TargetOf(rp, t) || !t.Inside(std::clamp<LONG>(x, -1, t.width), std::clamp<LONG>(y, -1, t.height))) return;
    Plot(t, rp, int(x), int(y));
    Touched(t, Box{x, y, x, y});
}

LONG ReadPixel(RastPort* rp, LONG x, LONG y) {
    Target t;
    if (!TargetOf(rp, t) || !t.Inside(std::clamp<LONG>(x, -1, t.width), std::clamp<LONG>(y, -1, t.height))) return -1;
    return t.Get(int(x), int(y));
}

// ---- text -----------------------------------------------------------------------------

void SetFont(RastPort* rp, TextFont* font) {
    if (rp == nullptr || font == nullptr) return;
    rp->Font = font;
    rp->TxHeight = font->tf_YSize;
    rp->TxWidth = font->tf_XSize;
    rp->TxBaseline = font->tf_Baseline;
}

WORD TextLength(RastPort* rp, CONST_STRPTR /*string*/, ULONG count) {
    const int64_t width = rp != nullptr ? FontOf(rp)->tf_XSize : 8;
    return ClampWord(width * int64_t{count});
}

void Text(RastPort* rp, CONST_STRPTR string, ULONG count) {
    if (rp == nullptr || string == nullptr || count == 0) return;
    const TextFont* font = FontOf(rp);
    const int cellW = std::min<int>(font->tf_XSize, 8);  // glyph rows are one byte
    const int advance = font->tf_XSize;
    const int rows = font->tf_YSize;
    const int64_t left = rp->cp_x;
    const int64_t top = int64_t{rp->cp_y} - font->tf_Baseline;
    const int64_t right = left + int64_t{advance} * count - 1;
    const int64_t bottom = top + rows - 1;
    rp->cp_x = ClampWord(right + 1);

    Target t;
    if (!TargetOf(rp, t)) return;
    const Box clipped = Box{left, top, right, bottom}.Clip(t);
    if (clipped.Empty() || rows <= 0 || advance <= 0) return;

    const bool jam2 = (rp->DrawMode & JAM2) != 0 && (rp->DrawMode & COMPLEMENT) == 0;
    const bool inverse = (rp->DrawMode & INVERSVID) != 0;
    // Only the characters that reach the raster are drawn.
    const int64_t firstChar = std::max<int64_t>(0, (clipped.left - left) / advance);
    const int64_t lastChar = std::min<int64_t>(count - 1, (clipped.right - left) / advance);
    for (int64_t i = firstChar; i <= lastChar; ++i) {
        const int code = static_cast<unsigned char>(string[i]);
        const UBYTE* glyph = nullptr;
        if (font->tf_CharData != nullptr && code >= font->tf_LoChar && code <= font->tf_HiChar)
            glyph = font->tf_CharData + size_t(code - font->tf_LoChar) * rows;
        const int64_t gx = left + i * advance;
        for (int row = 0; row < rows; ++row) {
            const int64_t y = top + row;
            if (y < clipped.top || y > clipped.bottom) continue;
            UBYTE bits;
            if (glyph != nullptr) {
                bits = glyph[row];
            } else {  // a character the font lacks: an outlined box
                const UBYTE full = UBYTE(0xFF << (8 - std::max(cellW - 1, 1)));
                bits = (row == 0 || row == rows - 1) ? full : UBYTE(0x80 | (0x80 >> std::max(cellW - 2, 0)));
            }
            if (inverse) bits = UBYTE(~bits);
            for (int col = 0; col < advance; ++col) {
                const int64_t x = gx + col;
                if (x < clipped.left || x > clipped.right) continue;
                const bool ink = col < 8 ? (bits & (0x80 >> col)) != 0 : inverse;
                if (ink)
                    Plot(t, rp, int(x), int(y));
                else if (jam2)
                    t.Set(int(x), int(y), rp->BgPen);
            }
        }
    }
    Touched(t, clipped);
    if (t.layer != nullptr) {
        Layer::TextRecord record;
        record.x = int(left);
        record.y = int(rp->cp_y);
        record.left = int(std::max<int64_t>(left, INT32_MIN));
        record.top = int(top);
        record.right = int(std::min<int64_t>(right, INT32_MAX));
        record.bottom = int(bottom);
        record.text.assign(string, count);
        record.pen = rp->FgPen;
        t.layer->texts.push_back(std::move(record));
    }
}

// ---- bitmaps --------------------------------------------------------------------------

void InitBitMap(BitMap* bm, BYTE depth, UWORD width, UWORD height) {
    if (bm == nullptr) return;
    bm->BytesPerRow = UWORD(((width + 15) / 16) * 2);
    bm->Rows = height;
    bm->Flags = 0;
    bm->Depth = UBYTE(depth);
    bm->pad = 0;
}

PLANEPTR AllocRaster(UWORD width, UWORD height) {
    if (host::ShouldFail("AllocRaster")) return nullptr;
    return NewPlane(PlaneBytes(width, height));
}

void FreeRaster(PLANEPTR p, UWORD /*width*/, UWORD /*height*/) { DeletePlane(p); }

BitMap* AllocBitMap(ULONG sizeX, ULONG sizeY, ULONG depth, ULONG /*flags*/, const BitMap* /*friendBitMap*/) {
    if (host::ShouldFail("AllocBitMap")) return nullptr;
    if (sizeX == 0 || sizeY == 0 || sizeX > 0xFFFF || sizeY > 0xFFFF || depth > 8) return nullptr;
    auto* bm = new (std::nothrow) BitMap{};
    if (bm == nullptr) return nullptr;
    InitBitMap(bm, BYTE(depth), UWORD(sizeX), UWORD(sizeY));
    for (ULONG p = 0; p < depth; ++p) {
        bm->Planes[p] = NewPlane(PlaneBytes(sizeX, sizeY));
        if (bm->Planes[p] == nullptr) {
            for (ULONG q = 0; q < p; ++q) DeletePlane(bm->Planes[q]);
            delete bm;
            return nullptr;
        }
    }
    BitMaps().insert(bm);
    return bm;
}

void FreeBitMap(BitMap* bm) {
    if (bm == nullptr || BitMaps().erase(bm) == 0) return;
    for (PLANEPTR& p : bm->Planes) DeletePlane(p);
    delete bm;
}

void BltClear(void* memBlock, ULONG byteCount, ULONG flags) {
    if (memBlock == nullptr) return;
    // Flag bit 1: the count is rows in the upper half and bytes per row in the lower.
    const size_t bytes = (flags & 2) ? size_t(byteCount >> 16) * (byteCount & 0xFFFF) : byteCount;
    std::memset(memBlock, 0, bytes);
}

void WaitBlit() {}

// ---- pixel arrays ---------------------------------------------------------------------

namespace {

// The part of (xStart..xStop, yStart..yStop) inside the port's raster; the array keeps
// the full rectangle's layout.
struct ArrayArea {
    int64_t stride = 0;           // bytes a row in the array
    Box inside{0, 0, -1, -1};     // clipped, raster coordinates
    int64_t x0 = 0, y0 = 0;       // the array's origin in the raster
};

bool AreaOf(const Target& t, ULONG xStart, ULONG yStart, ULONG xStop, ULONG yStop, ArrayArea& a) {
    if (xStop < xStart || yStop < yStart) return false;
    a.stride = int64_t{xStop} - xStart + 1;
    a.x0 = xStart;
    a.y0 = yStart;
    a.inside = Box{int64_t{xStart}, int64_t{yStart}, int64_t{xStop}, int64_t{yStop}}.Clip(t);
    return !a.inside.Empty();
}

}  // namespace

namespace {

// Copies a rectangle between a port and a byte array, one row at a time, in either direction.
LONG CopyPixelArray(RastPort* rp, ULONG xStart, ULONG yStart, ULONG xStop, ULONG yStop, UBYTE* array, bool write) {
    Target t;
    ArrayArea a;
    if (array == nullptr || !TargetOf(rp, t) || !AreaOf(t, xStart, yStart, xStop, yStop, a)) return 0;
    const int l = int(a.inside.left), n = int(a.inside.right - a.inside.left + 1);
    for (int64_t y = a.inside.top; y <= a.inside.bottom; ++y) {
        UBYTE* row = array + (y - a.y0) * a.stride + (l - a.x0);
        if (t.layer != nullptr) {
            UBYTE* pixels = &t.layer->pixels[size_t(y) * t.width + l];
            write ? std::memcpy(pixels, row, size_t(n)) : std::memcpy(row, pixels, size_t(n));
        } else if (write) {
            ChunkyRowToPlanar(t.bitmap, int(y), l, n, row);
        } else {
            PlanarRowToChunky(t.bitmap, int(y), l, n, row);
        }
    }
    if (write) Touched(t, a.inside);
    return LONG(int64_t{n} * (a.inside.bottom - a.inside.top + 1));
}

}  // namespace

LONG ReadPixelArray8(RastPort* rp, ULONG xStart, ULONG yStart, ULONG xStop, ULONG yStop, UBYTE* array,
                     RastPort* /*tempRp*/) {
    return CopyPixelArray(rp, xStart, yStart, xStop, yStop, array, false);
}

LONG WritePixelArray8(RastPort* rp, ULONG xStart, ULONG yStart, ULONG xStop, ULONG yStop, UBYTE* array,
                      RastPort* /*tempRp*/) {
    return CopyPixelArray(rp, xStart, yStart, xStop, yStop, array, true);
}

// ---- blits ----------------------------------------------------------------------------

void BltBitMapRastPort(const BitMap* srcBitMap, WORD xSrc, WORD ySrc, RastPort* destRP, WORD xDest, WORD yDest,
                       WORD xSize, WORD ySize, UBYTE minterm) {
    Target t;
    if (srcBitMap == nullptr || !TargetOf(destRP, t) || xSize <= 0 || ySize <= 0) return;
    int64_t sx = xSrc, sy = ySrc, dx = xDest, dy = yDest, w = xSize, h = ySize;
    // Clip to the source, then to the destination, moving both corners together.
    const int64_t srcW = int64_t{srcBitMap->BytesPerRow} * 8, srcH = srcBitMap->Rows;
    auto cutFront = [&](int64_t& a, int64_t& b, int64_t& size, int64_t limitA, int64_t limitB) {
        const int64_t cut = std::max({int64_t{0}, -a, -b});
        a += cut, b += cut, size -= cut;
        size = std::min({size, limitA - a, limitB - b});
    };
    cutFront(sx, dx, w, srcW, t.width);
    cutFront(sy, dy, h, srcH, t.height);
    if (w <= 0 || h <= 0) return;

    const bool invert = minterm == 0x30;  // NOT source; anything else copies
    const int all = t.AllPlanes();
    std::vector<uint8_t> row;
    if (t.layer == nullptr) row.resize(static_cast<size_t>(w));
    for (int64_t r = 0; r < h; ++r) {
        // Into a layer the row is converted in place; a planar target goes through a row of pens.
        uint8_t* pens = t.layer != nullptr ? &t.layer->pixels[size_t(dy + r) * t.width + size_t(dx)] : row.data();
        PlanarRowToChunky(srcBitMap, int(sy + r), int(sx), int(w), pens);
        if (invert)
            for (int64_t i = 0; i < w; ++i) pens[i] = uint8_t(~pens[i] & all);
        if (t.layer == nullptr) ChunkyRowToPlanar(t.bitmap, int(dy + r), int(dx), int(w), pens);
    }
    Touched(t, Box{dx, dy, dx + w - 1, dy + h - 1});
}
