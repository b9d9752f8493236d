#include "support/cardsheet.h"

#include "graphics/ReMapBitMap.h"
#include "graphics/gfxload.h"

namespace support {

const char* DefaultSheetPath() { return POKER_BINARY_DIR "/gfx/defaultcards.lbm"; }

ScreenSheet::ScreenSheet(Screen* screen, const char* path) : screen_(screen) {
    result_ = LoadBlocks(bitmap_, colours_, reinterpret_cast<unsigned char*>(const_cast<char*>(path)));
    pictureDepth_ = bitmap_.Depth;
    if (result_ != 0 || !screen_ || !screen_->ViewPort.ColorMap) return;
    ColorMap* cm = screen_->ViewPort.ColorMap;
    obtained_ = 1 << pictureDepth_;
    const TagItem exact[] = {{OBP_Precision, static_cast<uintptr_t>(PRECISION_EXACT)}, {TAG_DONE, 0}};
    for (int i = 0; i < obtained_; ++i) {
        penResults_[i] = ObtainBestPenA(cm, colours_[i * 3] * 0x01010101u, colours_[i * 3 + 1] * 0x01010101u,
                                        colours_[i * 3 + 2] * 0x01010101u, exact);
        pens_[i] = static_cast<unsigned char>(penResults_[i]);
    }
    ReMapBitMap(bitmap_, &screen_->RastPort, pens_);
}

ScreenSheet::~ScreenSheet() {
    if (obtained_ && screen_ && screen_->ViewPort.ColorMap)
        for (int i = 0; i < obtained_; ++i)
            if (penResults_[i] >= 0) ReleasePen(screen_->ViewPort.ColorMap, pens_[i]);
    FreeBlocks(bitmap_);
}

}  // namespace support
