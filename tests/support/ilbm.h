// A tiny IFF/ILBM writer for tests: any file, well-formed or not, from a pixel function.
#pragma once
#include <cstdint>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace support::ilbm {

using Bytes = std::vector<uint8_t>;

inline void PutBE(Bytes& b, uint32_t v, int bytes) {
    for (int s = 8 * (bytes - 1); s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
}

// ID, big-endian size (the data's, unless `size` overrides it), data, pad byte when odd.
inline Bytes Chunk(const char* id, const Bytes& data, int64_t size = -1) {
    Bytes b(id, id + 4);
    PutBE(b, uint32_t(size < 0 ? data.size() : size), 4);
    b.insert(b.end(), data.begin(), data.end());
    if (data.size() & 1) b.push_back(0);
    return b;
}
// FORM, LIST, CAT or PROP with its type and children.
inline Bytes Group(const char* id, const char* type, std::initializer_list<Bytes> children) {
    Bytes data(type, type + 4);
    for (const Bytes& c : children) data.insert(data.end(), c.begin(), c.end());
    return Chunk(id, data);
}

inline Bytes Bmhd(int w, int h, int planes, int compression) {
    Bytes b;
    for (int v : {w, h, 0, 0}) PutBE(b, uint32_t(v), 2);
    for (int v : {planes, 0, compression, 0, 0, 0, 10, 11}) b.push_back(uint8_t(v));
    for (int v : {w, h}) PutBE(b, uint32_t(v), 2);
    return Chunk("BMHD", b);
}

// `colours` RGB entries; entry i is (i * 3, i * 5 + 1, 255 - i).
inline Bytes CmapData(int colours) {
    Bytes b;
    for (int i = 0; i < colours; ++i) b.insert(b.end(), {uint8_t(i * 3), uint8_t(i * 5 + 1), uint8_t(255 - i)});
    return b;
}

struct Picture {
    int width, height, depth;
    std::function<int(int x, int y)> pixel;  // colour index

    int RowBytes() const { return (width + 15) / 16 * 2; }
    // Plane p of row y as the file and the bitmap hold it (padding bits 0).
    Bytes PlaneRow(int y, int p) const {
        Bytes row(RowBytes(), 0);
        for (int x = 0; x < width; ++x)
            if (pixel(x, y) >> p & 1) row[x / 8] |= uint8_t(0x80 >> (x % 8));
        return row;
    }
};

// Long runs and busy stretches, so both kinds of ByteRun1 run occur.
inline Picture Pattern(int width, int height, int depth) {
    return {width, height, depth, [=](int x, int y) {
                int v = (x / 24 + y / 5) % 3 == 0 ? (x * 7 + y * 13) ^ (x >> 3) : (y / 3);
                return v & ((1 << depth) - 1);
            }};
}

struct BodyOptions {
    bool compress = true;
    bool noOps = false;  // a -128 control byte before every run
};

// Rows interleaved by plane; ByteRun1 packs each plane row on its own.
inline Bytes BodyData(const Picture& pic, BodyOptions opt = {}) {
    Bytes out;
    for (int y = 0; y < pic.height; ++y)
        for (int p = 0; p < pic.depth; ++p) {
            const Bytes row = pic.PlaneRow(y, p);
            if (!opt.compress) out.insert(out.end(), row.begin(), row.end());
            for (size_t i = 0; opt.compress && i < row.size();) {
                if (opt.noOps) out.push_back(0x80);
                size_t same = 1, n = 1;
                while (i + same < row.size() && same < 128 && row[i + same] == row[i]) ++same;
                if (same >= 2) {
                    out.insert(out.end(), {uint8_t(int8_t(1 - int(same))), row[i]});
                    i += same;
                    continue;
                }
                while (i + n < row.size() && n < 128 && !(i + n + 1 < row.size() && row[i + n] == row[i + n + 1])) ++n;
                out.push_back(uint8_t(n - 1));
                out.insert(out.end(), row.begin() + long(i), row.begin() + long(i + n));
                i += n;
            }
        }
    return out;
}

// A whole FORM ILBM: BMHD, CMAP, BODY.
inline Bytes File(const Picture& pic, BodyOptions opt = {}) {
    return Group("FORM", "ILBM",
                 {Bmhd(pic.width, pic.height, pic.depth, opt.compress ? 1 : 0), Chunk("CMAP", CmapData(1 << pic.depth)),
                  Chunk("BODY", BodyData(pic, opt))});
}

inline bool Write(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out.flush());
}

}  // namespace support::ilbm
