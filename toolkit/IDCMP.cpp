// Value types, the input-receiver protocol, panels and the modal message loop.
#include "toolkit/IDCMP.h"

#include <exec.h>
#include <graphics.h>
#include <intuition.h>

cItemR2& cItemR2::operator=(const cItemR2& other) {
    x = other.x;
    y = other.y;
    return *this;
}

cItemR2& cItemR2::operator+=(const cItemR2& other) {
    x += other.x;
    y += other.y;
    return *this;
}

cItemR2& cItemR2::operator-=(const cItemR2& other) {
    x -= other.x;
    y -= other.y;
    return *this;
}

cRectangle& cRectangle::operator=(const cRectangle& other) {
    position.x = other.position.x;
    position.y = other.position.y;
    size.x = other.size.x;
    size.y = other.size.y;
    return *this;
}

bool cRectangle::Contains(int32_t px, int32_t py) const {
    // 64-bit sums: a rectangle near the edge of the int range must not wrap.
    return px >= position.x && py >= position.y &&
           static_cast<int64_t>(px) < static_cast<int64_t>(position.x) + size.x &&
           static_cast<int64_t>(py) < static_cast<int64_t>(position.y) + size.y;
}

namespace {
// Intuition flips a toggle item's check mark when the item is chosen, before the program hears
// of it. A choice that is dropped unheard must not leave its mark flipped, or the menu would
// show the opposite of what the program does; so the marks of its toggle items are flipped back.
void UndoToggles(Window* w, UWORD code) {
    for (int n = 0; code != MENUNULL && w->MenuStrip != nullptr && n < 64; ++n) {
        MenuItem* item = ItemAddress(w->MenuStrip, code);
        if (item == nullptr) return;
        if ((item->Flags & (CHECKIT | MENUTOGGLE)) == (CHECKIT | MENUTOGGLE)) item->Flags ^= CHECKED;
        code = item->NextSelect;
    }
}
}  // namespace

void cIDCMP::FlushMessages(Window* w) {
    if (w == nullptr || w->UserPort == nullptr) return;
    while (Message* msg = GetMsg(w->UserPort)) {
        const auto* im = reinterpret_cast<const IntuiMessage*>(msg);
        if (im->Class == IDCMP_MENUPICK) UndoToggles(w, im->Code);
        ReplyMsg(msg);
    }
}

bool cPanel::Active() const { return false; }

int cPanel::IDCMP(const IntuiMessage*) { return IDCMP_NOTMINE; }

namespace {
// Frame pens by style: outer top-left, inner top-left, outer bottom-right, inner
// bottom-right; -1 keeps the pen of the line before.
struct FramePens {
    int outerTL, innerTL, outerBR, innerBR;
};

FramePens PensFor(int32_t style) {
    switch (style) {
        case 1: return {2, 2, 1, 1};  // raised
        case 2: return {1, 1, 2, 2};  // recessed
        case 3: return {2, 1, 1, 2};  // ridge
        case 4: return {1, 2, 2, 1};  // groove
        default: return {-1, -1, -1, -1};
    }
}

void PenFor(RastPort* rp, int pen) {
    if (pen >= 0) SetAPen(rp, static_cast<ULONG>(pen));
}
}  // namespace

void cPanel::Update(RastPort* rp) {
    if (rp == nullptr) return;
    const LONG x = position.x, y = position.y;
    const LONG r = x + size.x - 1, b = y + size.y - 1;
    const FramePens p = PensFor(style);

    SetDrMd(rp, JAM1);
    SetAPen(rp, 0);
    RectFill(rp, x, y, r, b);

    PenFor(rp, p.outerTL);
    Move(rp, x, b - 1);
    Draw(rp, x, y);
    Draw(rp, r - 1, y);

    PenFor(rp, p.innerTL);
    Move(rp, r - 2, y + 1);
    Draw(rp, x + 1, y + 1);
    Draw(rp, x + 1, b - 2);

    PenFor(rp, p.outerBR);
    Move(rp, r, y + 1);
    Draw(rp, r, b);
    Draw(rp, x + 1, b);

    PenFor(rp, p.innerBR);
    Move(rp, x + 2, b - 1);
    Draw(rp, r - 1, b - 1);
    Draw(rp, r - 1, y + 2);
}

void ModalLoop(Window* window, cIDCMP& receiver) {
    if (window == nullptr || window->UserPort == nullptr) return;
    bool done = false;
    while (!done) {
        WaitPort(window->UserPort);
        while (Message* raw = GetMsg(window->UserPort)) {
            auto* msg = reinterpret_cast<IntuiMessage*>(raw);
            // Read before the receiver runs: one that answers 2 has already replied it.
            const ULONG cls = msg->Class;
            const int r = receiver.IDCMP(msg);
            if (r == IDCMP_NOTMINE && cls == IDCMP_CLOSEWINDOW) done = true;
            if (r == IDCMP_END) done = true;
            if (r != IDCMP_REPLIED) ReplyMsg(raw);
        }
    }
}

Window* OpenFramedWindow(CONST_STRPTR title, Screen* screen, LONG left, LONG top, LONG width, LONG height,
                         ULONG idcmp) {
    auto number = [](LONG v) { return static_cast<uintptr_t>(static_cast<intptr_t>(v)); };
    const TagItem tags[] = {
        {WA_Title, reinterpret_cast<uintptr_t>(title)},
        {WA_DragBar, TRUE},
        {WA_DepthGadget, TRUE},
        {WA_CloseGadget, TRUE},
        {WA_Left, number(left)},
        {WA_Top, number(top)},
        {WA_Width, number(width)},
        {WA_Height, number(height)},
        {WA_CustomScreen, reinterpret_cast<uintptr_t>(screen)},
        {WA_Activate, TRUE},
        {WA_IDCMP, idcmp},
        {TAG_DONE, 0},
    };
    return OpenWindowTagList(nullptr, tags);
}
