// Screen colour maps and pen sharing.
#include <cstdarg>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "gfx_private.h"
#include "host/host.h"

struct ColorMap {
    uint8_t rgb[256][3] = {};
    int users[256] = {};  // ObtainBestPen calls not yet released; fixed pens stay 0
};

namespace {

constexpr int kFixedPens = 4;
constexpr uint8_t kFixedColours[kFixedPens][3] = {
    {0xAA, 0xAA, 0xAA},  // background
    {0x00, 0x00, 0x00},  // text, shadows
    {0xFF, 0xFF, 0xFF},  // shine
    {0x66, 0x88, 0xBB},  // fill of a pressed button, selected menu item
};

bool InUse(const ColorMap* cm, int pen) { return pen < kFixedPens || cm->users[pen] > 0; }

// Largest difference of one component: whether a pen is close enough for a precision.
int Tolerance(const uint8_t a[3], const uint8_t b[3]) {
    int d = 0;
    for (int i = 0; i < 3; ++i) d = std::max(d, std::abs(int(a[i]) - int(b[i])));
    return d;
}

// Squared distance in RGB: which pen is nearest.
int Distance(const uint8_t a[3], const uint8_t b[3]) {
    int d = 0;
    for (int i = 0; i < 3; ++i) d += (int(a[i]) - int(b[i])) * (int(a[i]) - int(b[i]));
    return d;
}

LONG Share(ColorMap* cm, int pen) {
    if (pen >= kFixedPens) ++cm->users[pen];
    return pen;
}

}  // namespace

namespace platform {

ColorMap* NewColorMap() {
    auto* cm = new ColorMap;
    for (int p = 0; p < kFixedPens; ++p)
        for (int c = 0; c < 3; ++c) cm->rgb[p][c] = kFixedColours[p][c];
    return cm;
}

void DeleteColorMap(ColorMap* cm) { delete cm; }

void PaletteOf(const ColorMap* cm, uint8_t palette[256][3]) {
    for (int p = 0; p < 256; ++p)
        for (int c = 0; c < 3; ++c)
            palette[p][c] = cm != nullptr ? cm->rgb[p][c] : (p < kFixedPens ? kFixedColours[p][c] : 0);
}

int PensInUse(const ColorMap* cm) {
    if (cm == nullptr) return 0;
    int n = 0;
    for (int p = kFixedPens; p < 256; ++p) n += cm->users[p];
    return n;
}

}  // namespace platform

LONG ObtainBestPenA(ColorMap* cm, ULONG r, ULONG g, ULONG b, const TagItem* tags) {
    if (host::ShouldFail("ObtainBestPen") || cm == nullptr) return -1;
    const uint8_t want[3] = {uint8_t(r >> 24), uint8_t(g >> 24), uint8_t(b >> 24)};
    const auto precision = static_cast<LONG>(GetTagData(OBP_Precision, PRECISION_IMAGE, tags));
    const bool failIfBad = GetTagData(OBP_FailIfBad, FALSE, tags) != 0;

    // The nearest pen in use; an exact match is always shared.
    int nearest = -1, nearestDistance = 1 << 30;
    for (int p = 0; p < 256; ++p) {
        if (!InUse(cm, p)) continue;
        const int d = Distance(cm->rgb[p], want);
        if (d < nearestDistance) nearest = p, nearestDistance = d;
    }
    if (nearestDistance == 0) return Share(cm, nearest);
    // Other precisions accept a pen this close (per component, on the 8-bit scale).
    if (precision != PRECISION_EXACT && precision > 0 && Tolerance(cm->rgb[nearest], want) <= precision)
        return Share(cm, nearest);

    for (int p = kFixedPens; p < 256; ++p) {
        if (InUse(cm, p)) continue;
        for (int c = 0; c < 3; ++c) cm->rgb[p][c] = want[c];
        cm->users[p] = 1;
        return p;
    }
    // The map is full.
    if (precision == PRECISION_EXACT || failIfBad) return -1;
    return Share(cm, nearest);
}

LONG ObtainBestPen(ColorMap* cm, ULONG r, ULONG g, ULONG b, ...) {
    std::vector<TagItem> tags;
    va_list args;
    va_start(args, b);
    for (;;) {
        TagItem item{};
        // Tags are 32-bit values; a tag passed as a plain int must still read right.
        item.ti_Tag = va_arg(args, Tag) & 0xFFFFFFFFu;
        if (item.ti_Tag == TAG_DONE) break;
        item.ti_Data = va_arg(args, uintptr_t);
        tags.push_back(item);
        if (tags.size() > 64) break;  // a list that was never ended
    }
    va_end(args);
    tags.push_back(TagItem{TAG_DONE, 0});
    return ObtainBestPenA(cm, r, g, b, tags.data());
}

void ReleasePen(ColorMap* cm, ULONG pen) {
    if (cm == nullptr || pen >= 256 || pen < kFixedPens) return;
    if (cm->users[pen] > 0) --cm->users[pen];
}

void GetRGB8(const ColorMap* cm, ULONG pen, UBYTE rgb[3]) {
    for (int c = 0; c < 3; ++c) rgb[c] = (cm != nullptr && pen < 256) ? cm->rgb[pen][c] : 0;
}
