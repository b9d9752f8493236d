// cardsheet [OUTPUT.lbm] [--png OUTPUT.png] [--icon SIZE OUTPUT.png]...
// Draws the default card sheet and writes it as a 3-plane ByteRun1 ILBM (and optionally as
// a PNG for looking at), and the desktop icons made from its cards. The output depends on
// nothing but this code.
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "sheet.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
void Put16(Bytes& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}
void PutID(Bytes& out, const char* id) { out.insert(out.end(), id, id + 4); }

void PutChunk(Bytes& out, const char* id, const Bytes& data) {
    PutID(out, id);
    Put32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1) out.push_back(0);
}

// ByteRun1: runs of 3 or more equal bytes become a repeat, the rest literal runs, at most
// 128 bytes each; one plane row at a time.
void PackRow(Bytes& out, const uint8_t* row, int n) {
    int i = 0;
    while (i < n) {
        int run = 1;
        while (i + run < n && run < 128 && row[i + run] == row[i]) ++run;
        if (run >= 3) {
            out.push_back(static_cast<uint8_t>(1 - run));
            out.push_back(row[i]);
            i += run;
            continue;
        }
        int start = i, len = 0;
        while (i < n && len < 128) {
            if (i + 2 < n && row[i] == row[i + 1] && row[i] == row[i + 2]) break;
            ++i;
            ++len;
        }
        out.push_back(static_cast<uint8_t>(len - 1));
        out.insert(out.end(), row + start, row + start + len);
    }
}

Bytes Ilbm(const std::vector<uint8_t>& pixels) {
    const int w = cards::kSheetW, h = cards::kSheetH, depth = 3;
    const int rowBytes = (w + 15) / 16 * 2;
    Bytes bmhd;
    Put16(bmhd, w);
    Put16(bmhd, h);
    Put16(bmhd, 0);
    Put16(bmhd, 0);
    bmhd.push_back(depth);
    bmhd.push_back(0);  // no mask
    bmhd.push_back(1);  // ByteRun1
    bmhd.push_back(0);
    Put16(bmhd, 0);
    bmhd.push_back(1);  // square pixels
    bmhd.push_back(1);
    Put16(bmhd, w);
    Put16(bmhd, h);

    Bytes cmap;
    for (const auto& rgb : cards::kPalette) cmap.insert(cmap.end(), rgb, rgb + 3);

    Bytes body;
    std::vector<uint8_t> plane(rowBytes);
    for (int y = 0; y < h; ++y)
        for (int p = 0; p < depth; ++p) {
            std::fill(plane.begin(), plane.end(), 0);
            for (int x = 0; x < w; ++x)
                if (pixels[static_cast<size_t>(y) * w + x] >> p & 1) plane[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            PackRow(body, plane.data(), rowBytes);
        }

    Bytes form;
    PutID(form, "ILBM");
    PutChunk(form, "BMHD", bmhd);
    PutChunk(form, "CMAP", cmap);
    PutChunk(form, "BODY", body);
    Bytes file;
    PutChunk(file, "FORM", form);
    return file;
}

// Written beside the target and renamed over it, so that a reader (or a second build step
// writing the same sheet) never sees half a file.
bool WriteFile(const std::string& path, const Bytes& bytes) {
    const std::string temp = path + "." + std::to_string(getpid()) + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

// Writes width x height pixels of `channels` bytes each (3: RGB, 4: RGBA).
bool WritePng(const std::string& path, const uint8_t* pixels, int width, int height, int channels) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, width, height, 8, channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, pixels + static_cast<size_t>(y) * width * channels);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

Bytes SheetRgb(const std::vector<uint8_t>& pixels) {
    Bytes rgb(pixels.size() * 3);
    for (size_t i = 0; i < pixels.size(); ++i) std::memcpy(&rgb[i * 3], cards::kPalette[pixels[i]], 3);
    return rgb;
}

// The desktop icon, size x size RGBA: the ace of hearts behind the ace of spades, fanned from
// top left to bottom right, each averaged down from 4 x 4 samples a pixel. The felt around
// the cards' corners and the rest are transparent.
Bytes Icon(const std::vector<uint8_t>& sheet, int size) {
    constexpr int kCardW = 71, kCardH = 96, kSamples = 4;
    const double h = size * 0.86, w = h * kCardW / kCardH, margin = size * 0.03;
    struct Placed { int row; double x, y; };
    const Placed front{cards::Spades, size - w - margin, size - h - margin}, back{cards::Hearts, margin, margin};
    Bytes out(static_cast<size_t>(size) * size * 4, 0);
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            double sum[3] = {}, covered = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = px + (sx + 0.5) / kSamples, y = py + (sy + 0.5) / kSamples;
                    for (const Placed& card : {front, back}) {
                        const int cx = static_cast<int>((x - card.x) / w * kCardW);
                        const int cy = static_cast<int>((y - card.y) / h * kCardH);
                        if (x < card.x || y < card.y || cx >= kCardW || cy >= kCardH) continue;
                        const uint8_t pen = sheet[static_cast<size_t>(card.row * kCardH + cy) * cards::kSheetW + cx];
                        if (pen == 0) continue;  // the felt shows through a card's rounded corner
                        for (int c = 0; c < 3; ++c) sum[c] += cards::kPalette[pen][c];
                        covered += 1;
                        break;
                    }
                }
            uint8_t* o = &out[(static_cast<size_t>(py) * size + px) * 4];
            if (covered == 0) continue;
            for (int c = 0; c < 3; ++c) o[c] = static_cast<uint8_t>(sum[c] / covered + 0.5);
            o[3] = static_cast<uint8_t>(255 * covered / (kSamples * kSamples) + 0.5);
        }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::string output, png;
    std::vector<std::pair<int, std::string>> icons;
    bool bad = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
            png = argv[++i];
        } else if (std::strcmp(argv[i], "--icon") == 0 && i + 2 < argc) {
            const int size = std::atoi(argv[++i]);
            if (size < 16 || size > 1024) bad = true;
            icons.emplace_back(size, argv[++i]);
        } else if (output.empty() && argv[i][0] != '-') {
            output = argv[i];
        } else {
            bad = true;
        }
    }
    if (bad || (output.empty() && png.empty() && icons.empty())) {
        std::fprintf(stderr, "usage: cardsheet [OUTPUT.lbm] [--png OUTPUT.png] [--icon SIZE OUTPUT.png]...\n");
        return 2;
    }
    std::vector<uint8_t> pixels = cards::DrawSheet();
    if (!output.empty() && !WriteFile(output, Ilbm(pixels))) {
        std::fprintf(stderr, "cardsheet: cannot write %s\n", output.c_str());
        return 1;
    }
    if (!png.empty() && !WritePng(png, SheetRgb(pixels).data(), cards::kSheetW, cards::kSheetH, 3)) {
        std::fprintf(stderr, "cardsheet: cannot write %s\n", png.c_str());
        return 1;
    }
    for (const auto& [size, path] : icons) {
        if (!WritePng(path, Icon(pixels, size).data(), size, size, 4)) {
            std::fprintf(stderr, "cardsheet: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
