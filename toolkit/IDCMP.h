// Value types, the input-receiver protocol, panels and the modal message loop.
#pragma once
#include <intuition.h>

// A pair of integers: a position or a size in window pixels.
class cItemR2 {
public:
    int32_t x = 0;
    int32_t y = 0;

    cItemR2() = default;
    cItemR2(int32_t x_, int32_t y_) : x(x_), y(y_) {}
    cItemR2(const cItemR2&) = default;
    virtual cItemR2& operator=(const cItemR2& other);
    virtual cItemR2& operator+=(const cItemR2& other);
    virtual cItemR2& operator-=(const cItemR2& other);
};

class cPoint : public cItemR2 {
public:
    using cItemR2::cItemR2;
    cPoint() = default;
    cPoint(const cPoint&) = default;
    cPoint& operator=(const cPoint& other) { cItemR2::operator=(other); return *this; }
};

class cSize : public cItemR2 {
public:
    using cItemR2::cItemR2;
    cSize() = default;
    cSize(const cSize&) = default;
    cSize& operator=(const cSize& other) { cItemR2::operator=(other); return *this; }
};

// Covers x .. x+width-1, y .. y+height-1 of a window's raster (borders included).
class cRectangle {
public:
    cPoint position;
    cSize size;

    cRectangle() = default;
    cRectangle(int32_t x, int32_t y, int32_t width, int32_t height) : position(x, y), size(width, height) {}
    cRectangle(const cRectangle&) = default;
    virtual cRectangle& operator=(const cRectangle& other);
    // Half-open containment: the first pixel right of or below the rectangle is outside.
    bool Contains(int32_t px, int32_t py) const;
};

// Result codes of a receiver: 0 not mine, 1 consumed, 2 consumed and already replied, -1 end.
enum { IDCMP_NOTMINE = 0, IDCMP_TAKEN = 1, IDCMP_REPLIED = 2, IDCMP_END = -1 };

// Anything that is offered a window's input messages.
class cIDCMP {
public:
    virtual bool Active() const = 0;
    virtual int IDCMP(const IntuiMessage* msg) = 0;
    // Reply every message waiting at the window's port, so input made during a modal action
    // is dropped; a dropped menu choice takes its toggled check marks back with it.
    void FlushMessages(Window* w);

protected:
    ~cIDCMP() = default;
};

// A rectangle that is also a receiver; the receiver operations are a subclass's.
class cMsgRectangle : public cRectangle, public cIDCMP {
public:
    using cRectangle::cRectangle;
    using cRectangle::operator=;
};

// A filled box with a bevelled frame: style 1 raised, 2 recessed, 3 ridge, 4 groove.
class cPanel : public cMsgRectangle {
public:
    int32_t style = 0;

    cPanel() = default;
    cPanel(int32_t x, int32_t y, int32_t width, int32_t height, int32_t style_)
        : cMsgRectangle(x, y, width, height), style(style_) {}
    using cMsgRectangle::operator=;
    bool Active() const override;
    int IDCMP(const IntuiMessage* msg) override;
    void Update(RastPort* rp);
};

// The modal loop every dialog runs: wait, hand each message to the receiver, reply unless
// it answered 2; ends once a close-gadget message was declined or -1 came, and the port is
// empty.
void ModalLoop(Window* window, cIDCMP& receiver);

// The input classes of every dialog window: keys, close gadget, gadgets, mouse buttons and
// refresh (0x0020024C).
constexpr ULONG DIALOG_IDCMP =
    IDCMP_VANILLAKEY | IDCMP_CLOSEWINDOW | IDCMP_GADGETUP | IDCMP_MOUSEBUTTONS | IDCMP_REFRESHWINDOW;
static_assert(DIALOG_IDCMP == 0x0020024C);

// Opens a window on `screen` with a drag bar, depth and close gadgets, active, asking for
// the input classes `idcmp`; the tags go in the order every window of the program gives them.
// nullptr when it cannot open.
Window* OpenFramedWindow(CONST_STRPTR title, Screen* screen, LONG left, LONG top, LONG width, LONG height,
                         ULONG idcmp);
