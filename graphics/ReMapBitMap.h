// Converting the card sheet, in place, from picture colours to screen pens.
#pragma once
#include <graphics.h>

// Make `bitmap` as deep as the bitmap of `screenRastPort` and replace each pixel's colour
// index v by pens[v & 7]. On a failed allocation the bitmap is left as it was.
void ReMapBitMap(BitMap& bitmap, RastPort* screenRastPort, const unsigned char* pens);
