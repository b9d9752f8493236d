// Graphics: planar bitmaps, raster ports and drawing, fonts, pens.
#pragma once
#include "exec.h"

typedef UBYTE* PLANEPTR;

// A planar bitmap: Depth planes of Rows x BytesPerRow bytes, one bit per pixel,
// most significant bit leftmost. Pixel (x, y) has colour bit p = bit (7 - x % 8) of
// Planes[p][y * BytesPerRow + x / 8].
struct BitMap {
    UWORD BytesPerRow;
    UWORD Rows;
    UBYTE Flags;
    UBYTE Depth;
    UWORD pad;
    PLANEPTR Planes[8];
};

#define BMF_CLEAR (1UL << 0)

struct TextAttr {
    CONST_STRPTR ta_Name;
    UWORD ta_YSize;
    UBYTE ta_Style;
    UBYTE ta_Flags;
};

// A fixed-width bitmap font. Glyph c (tf_LoChar..tf_HiChar) is tf_YSize bytes at
// tf_CharData + (c - tf_LoChar) * tf_YSize, one byte a row, bit 7 leftmost.
struct TextFont {
    CONST_STRPTR tf_Name;
    UWORD tf_YSize;
    UBYTE tf_Style;
    UBYTE tf_Flags;
    UWORD tf_XSize;
    UWORD tf_Baseline;  // rows above the baseline, counted from the top row (0-based)
    UWORD tf_Accessors;
    UBYTE tf_LoChar;
    UBYTE tf_HiChar;
    const UBYTE* tf_CharData;
};

// Where a raster port draws. A window's port has a Layer (the window's own 8-bit raster,
// private to the window server); a port without a Layer draws into its planar BitMap.
struct Layer;

#define JAM1 0        // only the foreground pixels are drawn, in FgPen
#define JAM2 1        // text cells: the paper is drawn too, in BgPen
#define COMPLEMENT 2  // drawn pixels have all their bits inverted instead
#define INVERSVID 4   // text: ink and paper change places

struct RastPort {
    struct Layer* Layer;
    struct BitMap* BitMap;
    UBYTE FgPen;
    UBYTE BgPen;
    UBYTE AOlPen;
    UBYTE DrawMode;
    WORD cp_x;
    WORD cp_y;
    TextFont* Font;
    UWORD TxHeight;
    UWORD TxWidth;
    UWORD TxBaseline;
};

void InitRastPort(RastPort* rp);
void SetAPen(RastPort* rp, ULONG pen);
void SetBPen(RastPort* rp, ULONG pen);
void SetDrMd(RastPort* rp, ULONG drawMode);
void SetABPenDrMd(RastPort* rp, ULONG aPen, ULONG bPen, ULONG drawMode);
void Move(RastPort* rp, LONG x, LONG y);
void Draw(RastPort* rp, LONG x, LONG y);  // line from the pen position, both ends drawn
void RectFill(RastPort* rp, LONG xMin, LONG yMin, LONG xMax, LONG yMax);
void WritePixel(RastPort* rp, LONG x, LONG y);
LONG ReadPixel(RastPort* rp, LONG x, LONG y);  // pen, or -1 outside the raster
// Text at the pen position; the pen position is the baseline start and advances.
void Text(RastPort* rp, CONST_STRPTR string, ULONG count);
WORD TextLength(RastPort* rp, CONST_STRPTR string, ULONG count);
void SetFont(RastPort* rp, TextFont* font);

// The one font: "topaz.font" 8, our own 8 x 8 ISO-8859-1 glyphs.
TextFont* OpenFont(const TextAttr* textAttr);
void CloseFont(TextFont* font);

// ---- bitmaps ---------------------------------------------------------------
void InitBitMap(BitMap* bm, BYTE depth, UWORD width, UWORD height);  // BytesPerRow = 2*ceil(width/16)
PLANEPTR AllocRaster(UWORD width, UWORD height);                     // one plane, cleared
void FreeRaster(PLANEPTR p, UWORD width, UWORD height);
BitMap* AllocBitMap(ULONG sizeX, ULONG sizeY, ULONG depth, ULONG flags, const BitMap* friendBitMap);
void FreeBitMap(BitMap* bm);
void BltClear(void* memBlock, ULONG byteCount, ULONG flags);
void WaitBlit();
// Copy a rectangle of pixels, as pens, between a port and a byte array (row after row,
// (xStop - xStart + 1) bytes a row). Returns the number of pixels copied.
LONG ReadPixelArray8(RastPort* rp, ULONG xStart, ULONG yStart, ULONG xStop, ULONG yStop, UBYTE* array,
                     RastPort* tempRp);
LONG WritePixelArray8(RastPort* rp, ULONG xStart, ULONG yStart, ULONG xStop, ULONG yStop, UBYTE* array,
                      RastPort* tempRp);
// Copy a block of a planar bitmap into a port. Minterm 0xC0 is a plain copy. Clipped to
// the source bitmap and to the destination raster.
void BltBitMapRastPort(const BitMap* srcBitMap, WORD xSrc, WORD ySrc, RastPort* destRP, WORD xDest, WORD yDest,
                       WORD xSize, WORD ySize, UBYTE minterm);

// ---- colours and pens ------------------------------------------------------
// A screen's colour map: 256 entries with a use count each. Pens 0 to 3 are set and shared
// from the start; the others are free until ObtainBestPen takes them.
struct ColorMap;

struct ViewPort {
    struct ColorMap* ColorMap;  // nullptr on a screen without a colour map
};

#define OBP_Precision (TAG_USER + 0x84000)
#define OBP_FailIfBad (TAG_USER + 0x84001)
#define PRECISION_EXACT -1
#define PRECISION_IMAGE 0
#define PRECISION_ICON 16
#define PRECISION_GUI 32

// Colour components are 32-bit (the 8-bit value repeated). Returns the pen or -1.
LONG ObtainBestPenA(ColorMap* cm, ULONG r, ULONG g, ULONG b, const TagItem* tags);
LONG ObtainBestPen(ColorMap* cm, ULONG r, ULONG g, ULONG b, ...);  // tags, TAG_DONE-terminated
void ReleasePen(ColorMap* cm, ULONG pen);
// The 8-bit red, green and blue of a pen (nullptr map: black).
void GetRGB8(const ColorMap* cm, ULONG pen, UBYTE rgb[3]);
