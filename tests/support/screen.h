// Small helpers for tests that draw: a window on a fresh virtual display, its pixels, and a
// planar test bitmap laid out like the card sheet.
#pragma once
#include <cstdint>
#include <vector>

#include <graphics.h>
#include <intuition.h>

namespace support {

struct WindowSpec {
    int left = 0;
    int top = 11;
    int width = 640;
    int height = 400;
    ULONG idcmp = IDCMP_MOUSEBUTTONS | IDCMP_CLOSEWINDOW | IDCMP_VANILLAKEY | IDCMP_GADGETUP;
    const char* title = "Test";
};

// Starts a fresh virtual display (host::UseVirtualDisplay) and opens one window on it with
// a drag bar, depth and close gadgets. Null if the window would not open.
Window* OpenTestWindow(const WindowSpec& shape = {});

// The pen of a pixel of a window's raster (borders included); -1 outside.
int Pixel(Window* window, int x, int y);

// A planar bitmap that owns its planes.
class TestBitMap {
public:
    TestBitMap(int width, int height, int depth);
    TestBitMap(TestBitMap&&) = default;
    TestBitMap& operator=(TestBitMap&&) = default;
    BitMap* bitMap() { return &bm_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void Set(int x, int y, int pen);
    int Get(int x, int y) const;

private:
    int width_, height_;
    std::vector<std::vector<UBYTE>> planes_;
    BitMap bm_{};
};

// The pen a card sheet block is filled with: distinct for every (column, row) of 13 x 5.
int SheetBlockPen(int column, int row);
// The pen of every block's top row and left column, so that a block shifted by a pixel shows.
constexpr int kSheetEdgePen = 8;
// A depth-8 bitmap of 13 x 5 blocks of 71 x 96: block (c, r) is SheetBlockPen(c, r) with its
// top row and left column in kSheetEdgePen. Its pixels are screen pens already.
TestBitMap MakeTestSheet();

}  // namespace support
