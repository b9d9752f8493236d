// A framed box showing a signed number (the money, the bet).
#pragma once
#include "toolkit/IDCMP.h"

class TIntLabel : public cPanel {
public:
    int32_t value = 0;
    Window* window = nullptr;  // the window the label lives in

    TIntLabel() = default;
    TIntLabel(int32_t x, int32_t y, int32_t width, int32_t height, int32_t style_, int32_t value_, Window* window_)
        : cPanel(x, y, width, height, style_), value(value_), window(window_) {}
    using cPanel::operator=;

    // Box, frame and the number left-aligned 8 pixels inside, in the port's current font.
    void Update(RastPort* rp);
};
