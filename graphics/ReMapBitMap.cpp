// Converting the card sheet to screen pens once, so that card images are plain block copies.
#include "graphics/ReMapBitMap.h"

#include <exec.h>

#include "graphics/gfxload.h"

namespace {
constexpr int kSlots = 8;
}

void ReMapBitMap(BitMap& bitmap, RastPort* screenRastPort, const unsigned char* pens) {
    if (!screenRastPort || !screenRastPort->BitMap || !pens) return;
    // The record has eight plane slots; a deeper screen still gets eight planes.
    const int depth = screenRastPort->BitMap->Depth < kSlots ? screenRastPort->BitMap->Depth : kSlots;
    const ULONG width = ULONG(bitmap.BytesPerRow) * 8;
    const ULONG rows = bitmap.Rows;
    // The loader's bound holds here too, whoever made the record.
    if (width == 0 || rows == 0 || width * rows > kMaxSheetPixels) return;

    // Both ports are copies of the screen's, drawing into plain bitmaps instead of a layer.
    RastPort source;
    RastPort temp;
    CopyMem(screenRastPort, &source, sizeof source);
    CopyMem(screenRastPort, &temp, sizeof temp);
    source.Layer = nullptr;
    source.BitMap = &bitmap;
    temp.Layer = nullptr;
    BitMap* line = AllocBitMap(width, 1, 8, 0, nullptr);
    if (!line) return;
    temp.BitMap = line;
    for (PLANEPTR plane : line->Planes) {
        if (plane) BltClear(plane, line->BytesPerRow, 0);
    }
    WaitBlit();

    auto* pixels = static_cast<UBYTE*>(AllocVec(width * rows, MEMF_ANY));
    if (!pixels) {
        WaitBlit();
        FreeBitMap(line);
        return;
    }
    ReadPixelArray8(&source, 0, 0, width - 1, rows - 1, pixels, &temp);
    // Only the low three bits of a colour choose its pen.
    for (ULONG i = 0, n = width * rows; i < n; ++i) pixels[i] = pens[pixels[i] & 7];

    for (int i = 0; i < kSlots; ++i) {
        if (i < depth && !bitmap.Planes[i]) {
            bitmap.Planes[i] = AllocRaster(static_cast<UWORD>(width), static_cast<UWORD>(rows));
            if (!bitmap.Planes[i]) {
                FreeVec(pixels);
                WaitBlit();
                FreeBitMap(line);
                return;
            }
        } else if (i >= depth && bitmap.Planes[i]) {
            FreeRaster(bitmap.Planes[i], static_cast<UWORD>(width), static_cast<UWORD>(rows));
            bitmap.Planes[i] = nullptr;
        }
    }
    bitmap.Depth = static_cast<UBYTE>(depth);
    WritePixelArray8(&source, 0, 0, width - 1, rows - 1, pixels, &temp);

    FreeVec(pixels);
    WaitBlit();
    FreeBitMap(line);
}
