// Host window geometry shared by the real display: scaling the screen into a window of any
// size, mapping the pointer back, and finding room beside a parent's window.
#include <algorithm>
#include <cstdio>

#include "display.h"

namespace display {

Fit FitScreen(int areaWidth, int areaHeight, int width, int height) {
    Fit fit;
    if (width <= 0 || height <= 0) return fit;
    fit.scale = std::max(1, std::min(areaWidth / width, areaHeight / height));
    // A drawing area smaller than the screen shows its top-left part: the title bar and the
    // menus stay reachable.
    fit.left = std::max(0, (areaWidth - width * fit.scale) / 2);
    fit.top = std::max(0, (areaHeight - height * fit.scale) / 2);
    return fit;
}

namespace {

// Division rounding toward minus infinity, so points left of or above the picture stay outside.
int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

bool ScreenPoint(const Fit& fit, int width, int height, int hostX, int hostY, int& x, int& y) {
    const int sx = FloorDiv(hostX - fit.left, fit.scale), sy = FloorDiv(hostY - fit.top, fit.scale);
    x = std::clamp(sx, 0, std::max(0, width - 1));
    y = std::clamp(sy, 0, std::max(0, height - 1));
    return sx == x && sy == y;
}

std::string FrameText(const Frame& f) {
    char text[128];
    std::snprintf(text, sizeof text, "%d %d %d %d %d %d %d %d", f.x, f.y, f.w, f.h, f.left, f.top, f.right, f.bottom);
    return text;
}

bool ParseFrame(const char* text, Frame& f) {
    if (text == nullptr) return false;
    Frame got;
    char end = 0;
    const int n = std::sscanf(text, "%d %d %d %d %d %d %d %d%c", &got.x, &got.y, &got.w, &got.h, &got.left, &got.top,
                              &got.right, &got.bottom, &end);
    if (n != 8 || got.w <= 0 || got.h <= 0) return false;
    for (int border : {got.left, got.top, got.right, got.bottom})
        if (border < 0 || border > 1000) return false;
    f = got;
    return true;
}

int PlaceBeside(const Frame& parent, const Frame& desktop, int width, int height, int asked, int& x, int& y) {
    constexpr int kGap = 8;
    if (width <= 0 || height <= 0) return 0;
    const int outerLeft = parent.x - parent.left, outerRight = parent.x + parent.w + parent.right;
    const int outerTop = parent.y - parent.top, outerBottom = parent.y + parent.h + parent.bottom;
    const int roomRight = desktop.x + desktop.w - outerRight - kGap;
    const int roomLeft = outerLeft - desktop.x - kGap;
    const int decorationW = parent.left + parent.right, decorationH = parent.top + parent.bottom;
    auto fits = [&](int room) {
        return std::max(0, std::min((room - decorationW) / width, (desktop.h - decorationH) / height));
    };
    auto place = [&](int scale, int outerX, int outerY) {
        x = outerX + parent.left;
        y = outerY + parent.top;
        return scale;
    };
    const bool rightFirst = roomRight >= roomLeft;
    for (bool right : {rightFirst, !rightFirst}) {
        const int most = fits(right ? roomRight : roomLeft);
        if (most == 0 || asked > most) continue;
        const int scale = asked != 0 ? asked : most;
        const int outerW = width * scale + decorationW, outerH = height * scale + decorationH;
        const int outerX = right ? outerRight + kGap : outerLeft - kGap - outerW;
        return place(scale, outerX, std::clamp(outerTop, desktop.y, desktop.y + desktop.h - outerH));
    }
    // No room beside: the far corner that leaves the most of the parent in view, so that it
    // stays playable where it shows.
    const int scale = asked != 0 ? asked : 1;
    const int outerW = width * scale + decorationW, outerH = height * scale + decorationH;
    const int xs[2] = {std::max(desktop.x, desktop.x + desktop.w - outerW), desktop.x};
    const int ys[2] = {desktop.y, std::max(desktop.y, desktop.y + desktop.h - outerH)};
    long best = -1;
    int bestX = xs[0], bestY = ys[0];
    for (int cx : xs) {
        for (int cy : ys) {
            const long w = std::max(0, std::min(cx + outerW, outerRight) - std::max(cx, outerLeft));
            const long h = std::max(0, std::min(cy + outerH, outerBottom) - std::max(cy, outerTop));
            if (best < 0 || w * h < best) {
                best = w * h;
                bestX = cx;
                bestY = cy;
            }
        }
    }
    return place(scale, bestX, bestY);
}

}  // namespace display
