// Loading the card sheet: an IFF ILBM picture into a planar bitmap and a colour table.
#pragma once
#include <exec.h>
#include <graphics.h>

// The ILBM bitmap header as it is in the file (big-endian there, host order here).
struct BMHD_Chunk {
    UWORD w;            // width in pixels
    UWORD h;            // height in pixels
    WORD x;
    WORD y;
    UBYTE nPlanes;      // number of bit planes
    UBYTE masking;
    UBYTE compression;  // 0 none, 1 ByteRun1
    UBYTE pad1;
    UWORD transparentColor;
    UBYTE xAspect;
    UBYTE yAspect;
    WORD pageWidth;
    WORD pageHeight;
};
static_assert(sizeof(BMHD_Chunk) == 20, "BMHD_Chunk is the 20 bytes of the file's header");

// The most pixels a card sheet may have (its rows padded to 16 pixels), a few times the
// default sheet's 928 x 480: the loader refuses a larger picture (base 10), and so the
// remap's one-byte-a-pixel array, its planes and its time stay as small.
constexpr unsigned long kMaxSheetPixels = 2048UL * 1024UL;

// 0 on success; otherwise a base (0 at the end of the file, 10, or a negative IFFERR_ code)
// plus 1000 when no BMHD was read and 100 when no BODY was read.
using LoadBlocksResult = int;

// Load the picture in `fileName` into `bitmap` (zeroed by the caller) and its CMAP into
// `colourTable` (768 bytes). Planes allocated before a failure stay in the record.
LoadBlocksResult LoadBlocks(BitMap& bitmap, unsigned char* colourTable, unsigned char* fileName);

// Decode `bodySize` bytes of BODY data into the record's planes, rows interleaved by plane.
// Never reads past the data nor writes past a plane row; rows the data does not reach stay
// as they are.
void DeCompressILBMBody(BitMap& bitmap, BMHD_Chunk& header, signed char* body, ULONG bodySize);

// Release every plane of the record and empty its slots.
void FreeBlocks(BitMap& bitmap);
