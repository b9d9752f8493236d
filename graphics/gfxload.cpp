// Loading the card sheet: a raw chunk walk over the IFF file, picking the ILBM chunks.
#include "graphics/gfxload.h"

#include <dos.h>
#include <iffparse.h>

#include <algorithm>

namespace {

constexpr LONG ID_ILBM = MAKE_ID('I', 'L', 'B', 'M');
constexpr LONG ID_BMHD = MAKE_ID('B', 'M', 'H', 'D');
constexpr LONG ID_CMAP = MAKE_ID('C', 'M', 'A', 'P');
constexpr LONG ID_BODY = MAKE_ID('B', 'O', 'D', 'Y');

constexpr int kBaseFailed = 10;
constexpr int kNoHeader = 1000;
constexpr int kNoBody = 100;
constexpr LONG kColourTableSize = 256 * 3;
constexpr int kMaxPlanes = 8;

UWORD Word(const UBYTE* p) { return static_cast<UWORD>(p[0] << 8 | p[1]); }

BMHD_Chunk HeaderFrom(const UBYTE* raw) {
    BMHD_Chunk h;
    h.w = Word(raw + 0);
    h.h = Word(raw + 2);
    h.x = static_cast<WORD>(Word(raw + 4));
    h.y = static_cast<WORD>(Word(raw + 6));
    h.nPlanes = raw[8];
    h.masking = raw[9];
    h.compression = raw[10];
    h.pad1 = raw[11];
    h.transparentColor = Word(raw + 12);
    h.xAspect = raw[14];
    h.yAspect = raw[15];
    h.pageWidth = static_cast<WORD>(Word(raw + 16));
    h.pageHeight = static_cast<WORD>(Word(raw + 18));
    return h;
}

// Set up the record for the header and allocate its planes; false when a plane cannot be
// had or the header describes no usable picture.
bool MakePlanes(BitMap& bitmap, const BMHD_Chunk& header) {
    // A second header must not strand the planes of the first.
    FreeBlocks(bitmap);
    bitmap.Depth = 0;
    // A 20-byte header must not claim what no card sheet needs: a picture without planes
    // shows nothing, and a huge one would cost gigabytes in the remap.
    if (header.w == 0 || header.h == 0 || header.nPlanes == 0 || header.nPlanes > kMaxPlanes) return false;
    if ((header.w + 15UL) / 16 * 16 * header.h > kMaxSheetPixels) return false;
    InitBitMap(&bitmap, static_cast<BYTE>(header.nPlanes), header.w, header.h);
    for (int p = 0; p < header.nPlanes; ++p) {
        bitmap.Planes[p] = AllocRaster(header.w, header.h);
        if (!bitmap.Planes[p]) return false;
    }
    return true;
}

}  // namespace

LoadBlocksResult LoadBlocks(BitMap& bitmap, unsigned char* colourTable, unsigned char* fileName) {
    // Colours the CMAP does not give are black, not whatever the caller's table held.
    std::fill(colourTable, colourTable + kColourTableSize, 0);
    IFFHandle* iff = AllocIFF();
    if (!iff) return kBaseFailed + kNoHeader + kNoBody;
    iff->iff_Stream = static_cast<uintptr_t>(Open(reinterpret_cast<CONST_STRPTR>(fileName), MODE_OLDFILE));
    if (iff->iff_Stream == 0) {
        FreeIFF(iff);
        return kBaseFailed + kNoHeader + kNoBody;
    }
    InitIFFasDOS(iff);
    if (LONG err = OpenIFF(iff, IFFF_READ)) {
        Close(static_cast<BPTR>(iff->iff_Stream));
        FreeIFF(iff);
        return err + kNoHeader + kNoBody;
    }

    BMHD_Chunk header{};
    bool haveHeader = false;
    signed char* body = nullptr;
    ULONG bodySize = 0;
    int base = 0;
    for (;;) {
        LONG step = ParseIFF(iff, IFFPARSE_RAWSTEP);
        if (step == IFFERR_EOC) continue;
        if (step != 0) {
            base = step == IFFERR_EOF ? 0 : step;
            break;
        }
        const ContextNode* chunk = CurrentChunk(iff);
        if (!chunk || chunk->cn_Type != ID_ILBM) continue;
        if (chunk->cn_ID == ID_BMHD) {
            UBYTE raw[sizeof(BMHD_Chunk)] = {};
            LONG n = ReadChunkBytes(iff, raw, sizeof raw);
            if (n < 0) {
                base = n;
                break;
            }
            haveHeader = true;
            header = HeaderFrom(raw);
            // A shorter header is read as far as it goes; the fields it does not reach stay zero.
            if (!MakePlanes(bitmap, header)) {
                base = kBaseFailed;
                break;
            }
        } else if (chunk->cn_ID == ID_CMAP) {
            LONG n = ReadChunkBytes(iff, colourTable, std::min(chunk->cn_Size, kColourTableSize));
            if (n < 0) {
                base = n;
                break;
            }
        } else if (chunk->cn_ID == ID_BODY) {
            if (!haveHeader) {
                base = kBaseFailed;
                break;
            }
            // Only one body is kept; a later one replaces an earlier one.
            if (body) {
                FreeMem(body, bodySize);
                body = nullptr;
                bodySize = 0;
            }
            if (chunk->cn_Size <= 0) continue;
            auto size = static_cast<ULONG>(chunk->cn_Size);
            body = static_cast<signed char*>(AllocMem(size, MEMF_ANY));
            if (!body) continue;
            bodySize = size;
            LONG n = ReadChunkBytes(iff, body, chunk->cn_Size);
            if (n < 0) {
                base = n;
                break;
            }
            DeCompressILBMBody(bitmap, header, body, static_cast<ULONG>(n));
        }
    }

    CloseIFF(iff);
    Close(static_cast<BPTR>(iff->iff_Stream));
    FreeIFF(iff);
    int result = base + (haveHeader ? 0 : kNoHeader) + (body ? 0 : kNoBody);
    if (body) FreeMem(body, bodySize);
    return result;
}

void DeCompressILBMBody(BitMap& bitmap, BMHD_Chunk& header, signed char* body, ULONG bodySize) {
    if (header.compression > 1 || !body) return;
    const int rowBytes = bitmap.BytesPerRow;
    const int depth = std::min<int>(bitmap.Depth, kMaxPlanes);
    ULONG in = 0;
    for (int y = 0; y < bitmap.Rows; ++y) {
        for (int p = 0; p < depth; ++p) {
            UBYTE* row = bitmap.Planes[p] ? bitmap.Planes[p] + static_cast<size_t>(y) * rowBytes : nullptr;
            if (header.compression == 0) {
                ULONG n = std::min<ULONG>(rowBytes, bodySize - in);
                if (row) std::copy_n(reinterpret_cast<const UBYTE*>(body + in), n, row);
                in += n;
                if (in >= bodySize) return;
                continue;
            }
            // ByteRun1; a run crossing the row's end is cut there.
            int produced = 0;
            while (produced < rowBytes) {
                if (in >= bodySize) return;
                int n = body[in++];
                if (n >= 0) {
                    ULONG count = std::min<ULONG>(n + 1, bodySize - in);
                    int fit = std::min<int>(count, rowBytes - produced);
                    if (row) std::copy_n(reinterpret_cast<const UBYTE*>(body + in), fit, row + produced);
                    in += count;
                    produced += n + 1;
                } else if (n != -128) {
                    if (in >= bodySize) return;
                    UBYTE value = static_cast<UBYTE>(body[in++]);
                    int fit = std::min(-n + 1, rowBytes - produced);
                    if (row) std::fill_n(row + produced, fit, value);
                    produced += -n + 1;
                }
            }
        }
    }
}

void FreeBlocks(BitMap& bitmap) {
    for (PLANEPTR& plane : bitmap.Planes) {
        if (plane) FreeRaster(plane, static_cast<UWORD>(bitmap.BytesPerRow * 8), bitmap.Rows);
        plane = nullptr;
    }
}
