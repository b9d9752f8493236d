// Graphics internals the window server uses. Private to the platform.
#pragma once
#include <cstdint>
#include <string>

#include "graphics.h"

namespace platform {
// A screen colour map of 256 entries; pens 0 to 3 set (grey AA, black, white, blue 66 88 BB)
// and shared from the start, the others free.
ColorMap* NewColorMap();
void DeleteColorMap(ColorMap* cm);
// The 256 RGB entries of a map (nullptr: the four fixed pens and black).
void PaletteOf(const ColorMap* cm, uint8_t palette[256][3]);
int PensInUse(const ColorMap* cm);  // obtained and not released, fixed pens excluded

// Write width*height pens through a palette as an RGB PNG; false on failure.
bool WritePNG(const std::string& path, const uint8_t* pens, int width, int height, const uint8_t palette[256][3]);

// The font behind "topaz.font" 8.
TextFont* SystemFont();
}  // namespace platform
