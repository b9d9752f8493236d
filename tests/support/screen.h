// Small helpers for tests that draw: a window on a fresh virtual display, its pixels, a
// dialog's stage, queued messages, and a planar test bitmap laid out like the card sheet.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include <graphics.h>
#include <intuition.h>

#include "toolkit/IDCMP.h"

namespace support {

struct WindowSpec {
    int left = 0, top = 11, width = 640, height = 400;
    ULONG idcmp = IDCMP_MOUSEBUTTONS | IDCMP_CLOSEWINDOW | IDCMP_VANILLAKEY | IDCMP_GADGETUP;
    const char* title = "Test";
};

// Starts a fresh virtual display (host::UseVirtualDisplay) and opens one window on it with
// a drag bar, depth and close gadgets. Null if the window would not open.
Window* OpenTestWindow(const WindowSpec& shape = {});

// The pen of a pixel of a window's raster (borders included); -1 outside.
int Pixel(Window* window, int x, int y);

// Whether a text still visible in the window is exactly this one. host::ShowsText looks for a
// part, and "Pair" is part of "Two Pairs", "40" of "140", "0" of nearly every number.
bool ShowsExactly(Window* window, const std::string& text);

// The stage of dialog and toolkit tests: a fresh virtual display, the public screen locked,
// TEXTFONT open and set in the window's port, pens[0] = 0 and pens[1] = 1, and one window.
// Set up on construction; throws when any of them cannot be had.
class DialogTable : public ::testing::Test {
protected:
    explicit DialogTable(const WindowSpec& shape);
    ~DialogTable() override;
    void Restart();  // a fresh display and window, for table cases that must not share one
    void Stop();     // closes everything; faults injected by the test are cleared

    Screen* screen = nullptr;
    Window* window = nullptr;

private:
    WindowSpec shape_;
};

// Saves the whole screen as <name>.png in the folder POKER_SCREENSHOTS names, if it is set.
void Screenshot(const char* name);

// A mouse message at window point (x, y), to hand straight to a receiver.
IntuiMessage Mouse(int x, int y, UWORD code, ULONG cls = IDCMP_MOUSEBUTTONS);

// Hands a receiver one message of the class and code, with a gadget of that id as its
// address (none for id 0) and the pointer at (x, y); the receiver's answer.
int Offer(cIDCMP& receiver, ULONG cls, int code, int gadgetId = 0, int x = 0, int y = 0);

// Messages of the test's own, queued straight at a window's port so that they arrive together;
// the program's replies come back to `replies` and Drain counts them by code.
struct QueuedMessages {
    MsgPort* replies = CreateMsgPort();
    std::deque<IntuiMessage> msgs;
    std::map<UWORD, int> replied;

    QueuedMessages() = default;
    QueuedMessages(ULONG cls, const std::vector<int>& codes);
    QueuedMessages(const QueuedMessages&) = delete;
    QueuedMessages& operator=(const QueuedMessages&) = delete;
    ~QueuedMessages();
    void Add(ULONG cls, UWORD code);
    void Send(Window* w);
    int Drain();  // collects the replies that came back; returns the total so far
};

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
