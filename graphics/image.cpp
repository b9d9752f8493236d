// An image: a rectangle of a window showing a same-sized block of a source bitmap.
#include "graphics/image.h"

#include "toolkit/globals.h"

cImage::cImage(Window* window_, BitMap* bitMap_, const cRectangle& rect, const cPoint& source_)
    : cMsgRectangle(rect.position.x, rect.position.y, rect.size.x, rect.size.y),
      window(window_),
      bitMap(bitMap_),
      source(source_) {}

void cImage::Draw() const {
    // An image without a window or a sheet (a card used only for its value) draws nothing.
    if (!visible || window == nullptr || window->RPort == nullptr || bitMap == nullptr) return;
    BltBitMapRastPort(bitMap, static_cast<WORD>(source.x), static_cast<WORD>(source.y), window->RPort,
                      static_cast<WORD>(position.x), static_cast<WORD>(position.y), static_cast<WORD>(size.x),
                      static_cast<WORD>(size.y), 0xC0);
}

void cImage::Show() {
    visible = 1;
    Draw();
}

void cImage::Hide() {
    if (!visible) return;
    if (window != nullptr && window->RPort != nullptr) {
        RastPort* rp = window->RPort;
        SetAPen(rp, gfxpens[0]);
        SetDrMd(rp, JAM1);
        RectFill(rp, position.x, position.y, position.x + size.x - 1, position.y + size.y - 1);
    }
    visible = 0;
}

void cImage::MoveTo(const cPoint& p) {
    if (visible) {
        Hide();
        position = p;
        Show();
    } else {
        position = p;
    }
}

bool cImage::Active() const { return false; }

void cImage::Clicked() {}

int cImage::IDCMP(const IntuiMessage* m) {
    if (m == nullptr || !visible || m->Class != IDCMP_MOUSEBUTTONS) return IDCMP_NOTMINE;
    if (!Contains(m->MouseX, m->MouseY)) return IDCMP_NOTMINE;
    if (m->Code == SELECTDOWN) Clicked();
    return IDCMP_TAKEN;
}
