// The default card sheet for tests: where the build puts it, and a loaded copy remapped to
// the pens of a screen the way start-up does it.
#pragma once
#include <graphics.h>
#include <intuition.h>

namespace support {

// The sheet that tools/cardsheet draws at build time.
const char* DefaultSheetPath();

// Loads a sheet with LoadBlocks and, when that succeeds and the screen has a colour map,
// obtains one pen per palette colour (ObtainBestPen, PRECISION_EXACT) and remaps the sheet
// with ReMapBitMap. The destructor releases the pens and the planes.
class ScreenSheet {
public:
    explicit ScreenSheet(Screen* screen, const char* path = DefaultSheetPath());
    ~ScreenSheet();
    ScreenSheet(const ScreenSheet&) = delete;
    ScreenSheet& operator=(const ScreenSheet&) = delete;

    int result() const { return result_; }  // LoadBlocks' result
    bool ok() const { return result_ == 0; }
    BitMap* bitMap() { return &bitmap_; }
    // Entry i: the screen pen of sheet colour i (what start-up keeps in gfxpens).
    const unsigned char* pens() const { return pens_; }
    const unsigned char* colours() const { return colours_; }  // the sheet's CMAP, 256 x RGB

private:
    Screen* screen_;
    int result_ = 0;
    int pictureDepth_ = 0;
    int obtained_ = 0;
    BitMap bitmap_{};
    unsigned char pens_[256] = {};
    LONG penResults_[256] = {};
    unsigned char colours_[768] = {};
};

}  // namespace support
