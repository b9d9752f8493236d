#include "support/screen.h"

#include "host/host.h"

namespace support {

Window* OpenTestWindow(const WindowSpec& shape) {
    host::UseVirtualDisplay();
    const TagItem tags[] = {
        {WA_Left, static_cast<uintptr_t>(shape.left)},
        {WA_Top, static_cast<uintptr_t>(shape.top)},
        {WA_Width, static_cast<uintptr_t>(shape.width)},
        {WA_Height, static_cast<uintptr_t>(shape.height)},
        {WA_IDCMP, shape.idcmp},
        {WA_Title, reinterpret_cast<uintptr_t>(shape.title)},
        {WA_DragBar, TRUE},
        {WA_DepthGadget, TRUE},
        {WA_CloseGadget, TRUE},
        {WA_Activate, TRUE},
        {TAG_DONE, 0},
    };
    return OpenWindowTagList(nullptr, tags);
}

int Pixel(Window* window, int x, int y) { return host::WindowPixel(window, x, y); }

TestBitMap::TestBitMap(int width, int height, int depth) : width_(width), height_(height) {
    const int bytesPerRow = 2 * ((width + 15) / 16);
    bm_.BytesPerRow = static_cast<UWORD>(bytesPerRow);
    bm_.Rows = static_cast<UWORD>(height);
    bm_.Depth = static_cast<UBYTE>(depth);
    planes_.resize(static_cast<size_t>(depth));
    for (int p = 0; p < depth; ++p) {
        planes_[p].assign(static_cast<size_t>(bytesPerRow) * height, 0);
        bm_.Planes[p] = planes_[p].data();
    }
}

void TestBitMap::Set(int x, int y, int pen) {
    const size_t byte = static_cast<size_t>(y) * bm_.BytesPerRow + x / 8;
    const UBYTE bit = static_cast<UBYTE>(0x80 >> (x % 8));
    for (size_t p = 0; p < planes_.size(); ++p) {
        if (pen & (1 << p))
            planes_[p][byte] |= bit;
        else
            planes_[p][byte] &= static_cast<UBYTE>(~bit);
    }
}

int TestBitMap::Get(int x, int y) const {
    const size_t byte = static_cast<size_t>(y) * bm_.BytesPerRow + x / 8;
    const UBYTE bit = static_cast<UBYTE>(0x80 >> (x % 8));
    int pen = 0;
    for (size_t p = 0; p < planes_.size(); ++p)
        if (planes_[p][byte] & bit) pen |= 1 << p;
    return pen;
}

int SheetBlockPen(int column, int row) { return 16 + row * 13 + column; }

TestBitMap MakeTestSheet() {
    constexpr int kW = 71, kH = 96;
    TestBitMap sheet(13 * kW, 5 * kH, 8);
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            sheet.Set(x, y, (x % kW == 0 || y % kH == 0) ? kSheetEdgePen : SheetBlockPen(x / kW, y / kH));
    return sheet;
}

}  // namespace support
