// The screen and its windows: geometry, borders, what lands on the composed screen, and
// contents kept under other windows.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "server_testing.h"

using servertest::Open;
using servertest::WinSpec;

namespace {

class ServerWindow : public ::testing::Test {
protected:
    void SetUp() override { host::UseVirtualDisplay(); }
};

// Every pixel of the window that no other window covers shows its raster.
void ExpectScreenShowsWindow(Window* w) {
    int mismatches = 0;
    for (int y = 0; y < w->Height; ++y)
        for (int x = 0; x < w->Width; ++x)
            if (host::ScreenPixel(w->LeftEdge + x, w->TopEdge + y) != host::WindowPixel(w, x, y)) ++mismatches;
    EXPECT_EQ(mismatches, 0) << "window \"" << w->Title << "\"";
}

TEST_F(ServerWindow, DefaultScreenIs640x480Depth8WithRealPlanesAndTopaz8) {
    Screen* s = LockPubScreen(nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Width, 640);
    EXPECT_EQ(s->Height, 480);
    EXPECT_EQ(s->BarHeight, 10);
    EXPECT_EQ(s->WBorTop, 2);
    EXPECT_EQ(s->WBorLeft, 4);
    EXPECT_EQ(s->WBorRight, 4);
    EXPECT_EQ(s->WBorBottom, 2);
    ASSERT_NE(s->Font, nullptr);
    EXPECT_STREQ(s->Font->ta_Name, "topaz.font");
    EXPECT_EQ(s->Font->ta_YSize, 8);
    ASSERT_NE(s->RastPort.BitMap, nullptr);
    const BitMap* bm = s->RastPort.BitMap;
    EXPECT_EQ(bm->Depth, 8);
    EXPECT_GE(bm->BytesPerRow * 8, 640);
    EXPECT_EQ(bm->Rows, 480);
    for (int p = 0; p < 8; ++p) EXPECT_NE(bm->Planes[p], nullptr) << "plane " << p;
    EXPECT_NE(s->ViewPort.ColorMap, nullptr);
    EXPECT_EQ(host::ScreenWidth(), 640);
    EXPECT_EQ(host::ScreenHeight(), 480);
    UnlockPubScreen(nullptr, s);
}

TEST_F(ServerWindow, ScreenWithoutColourMapOrDisplay) {
    host::ScreenConfig noMap;
    noMap.colorMap = false;
    host::UseVirtualDisplay(noMap);
    Screen* s = LockPubScreen(nullptr);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->ViewPort.ColorMap, nullptr);

    host::ScreenConfig none;
    none.display = false;
    host::UseVirtualDisplay(none);
    EXPECT_EQ(LockPubScreen(nullptr), nullptr);
    EXPECT_EQ(Open(WinSpec{}), nullptr);
    EXPECT_EQ(host::OpenWindowCount(), 0);
}

TEST_F(ServerWindow, InjectedFaultsFailLockAndOpenOnce) {
    host::FailOnce("LockPubScreen");
    EXPECT_EQ(LockPubScreen(nullptr), nullptr);
    EXPECT_NE(LockPubScreen(nullptr), nullptr);
    host::FailOnce("OpenWindowTagList");
    EXPECT_EQ(Open(WinSpec{}), nullptr);
    EXPECT_EQ(host::OpenWindowCount(), 0);
    EXPECT_NE(Open(WinSpec{}), nullptr);
    EXPECT_EQ(host::OpenWindowCount(), 1);
}

TEST_F(ServerWindow, OpensWhereAndAsLargeAsAskedInsideTheScreen) {
    struct Case {
        int left, top, width, height;
        int wantLeft, wantTop, wantWidth, wantHeight;
    };
    const Case cases[] = {
        {20, 30, 200, 100, 20, 30, 200, 100},     // as asked
        {0, 0, 640, 480, 0, 0, 640, 480},         // the whole screen
        {600, 30, 200, 100, 440, 30, 200, 100},   // moved left to fit
        {-10, -5, 200, 100, 0, 0, 200, 100},      // moved onto the screen
        {0, 450, 100, 100, 0, 380, 100, 100},     // moved up to fit
        {100, 100, 800, 100, 0, 100, 640, 100},   // too wide: moved, then cut
        {10, 10, 100, 600, 10, 0, 100, 480},      // too high: moved, then cut
    };
    for (const Case& c : cases) {
        host::UseVirtualDisplay();
        WinSpec shape;
        shape.left = c.left;
        shape.top = c.top;
        shape.width = c.width;
        shape.height = c.height;
        Window* w = Open(shape);
        ASSERT_NE(w, nullptr);
        SCOPED_TRACE(testing::Message() << "asked " << c.left << "," << c.top << " " << c.width << "x" << c.height);
        EXPECT_EQ(w->LeftEdge, c.wantLeft);
        EXPECT_EQ(w->TopEdge, c.wantTop);
        EXPECT_EQ(w->Width, c.wantWidth);
        EXPECT_EQ(w->Height, c.wantHeight);
        EXPECT_EQ(w->BorderLeft, 4);
        EXPECT_EQ(w->BorderTop, 11);
        EXPECT_EQ(w->BorderRight, 4);
        EXPECT_EQ(w->BorderBottom, 2);
        EXPECT_EQ(host::WindowPixel(w, w->Width - 1, w->Height - 1) >= 0, true);
        EXPECT_EQ(host::WindowPixel(w, w->Width, 0), -1);
    }
}

TEST_F(ServerWindow, TitleBarHeightFollowsScreenFontAndTopBorder) {
    struct Case {
        int fontHeight, wborTop, wantBorderTop;
    };
    const Case cases[] = {{8, 2, 11}, {11, 2, 14}, {8, 4, 13}, {15, 0, 16}};
    for (const Case& c : cases) {
        host::ScreenConfig config;
        config.fontHeight = c.fontHeight;
        config.wborTop = c.wborTop;
        host::UseVirtualDisplay(config);
        Screen* s = LockPubScreen(nullptr);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->Font->ta_YSize, c.fontHeight);
        EXPECT_EQ(s->BarHeight, c.wantBorderTop - 1);
        Window* w = Open(WinSpec{});
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->BorderTop, c.wantBorderTop) << "font " << c.fontHeight << ", top border " << c.wborTop;
    }
}

TEST_F(ServerWindow, InnerSizeAddsTheBorders) {
    TagItem tags[] = {{WA_Title, reinterpret_cast<uintptr_t>("Inner")},
                      {WA_DragBar, 1},
                      {WA_CloseGadget, 1},
                      {WA_InnerWidth, 200},
                      {WA_InnerHeight, 70},
                      {TAG_DONE, 0}};
    Window* w = OpenWindowTagList(nullptr, tags);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Width, 208);
    EXPECT_EQ(w->Height, 83);
    EXPECT_EQ(w->WScreen, LockPubScreen(nullptr));
    EXPECT_STREQ(w->Title, "Inner");
    EXPECT_NE(w->RPort, nullptr);
    EXPECT_NE(w->UserPort, nullptr);
    EXPECT_EQ(w->Flags & (WFLG_DRAGBAR | WFLG_CLOSEGADGET | WFLG_DEPTHGADGET), WFLG_DRAGBAR | WFLG_CLOSEGADGET);
}

TEST_F(ServerWindow, WindowRecordsAreLinkedFrontToBack) {
    Window* a = Open(WinSpec{});
    Window* b = Open(WinSpec{});
    Screen* s = LockPubScreen(nullptr);
    EXPECT_EQ(s->FirstWindow, b);
    EXPECT_EQ(b->NextWindow, a);
    EXPECT_EQ(a->NextWindow, nullptr);
    WindowToFront(a);
    EXPECT_EQ(s->FirstWindow, a);
    EXPECT_EQ(a->NextWindow, b);
    CloseWindow(a);
    EXPECT_EQ(s->FirstWindow, b);
    EXPECT_EQ(b->NextWindow, nullptr);
}

TEST_F(ServerWindow, RectanglesAndTextLandOnTheExpectedScreenPixels) {
    WinSpec shape;
    shape.left = 37;
    shape.top = 53;
    Window* w = Open(shape);
    ASSERT_NE(w, nullptr);
    RastPort* rp = w->RPort;
    SetAPen(rp, 5);
    RectFill(rp, 10, 20, 29, 24);
    SetAPen(rp, 1);
    SetDrMd(rp, JAM1);
    Move(rp, 40, 60);
    Text(rp, "Hi", 2);

    struct Probe {
        int x, y;
        bool filled;
    };
    const Probe probes[] = {{10, 20, true},  {29, 24, true},  {9, 20, false},  {30, 24, false},
                            {10, 19, false}, {29, 25, false}, {20, 22, true}};
    for (const Probe& p : probes)
        EXPECT_EQ(host::ScreenPixel(37 + p.x, 53 + p.y) == 5, p.filled) << p.x << "," << p.y;
    // The text's glyph box shows exactly what the raster holds, and some of it is ink.
    int ink = 0;
    for (int y = 50; y < 64; ++y)
        for (int x = 40; x < 56; ++x) {
            EXPECT_EQ(host::ScreenPixel(37 + x, 53 + y), host::WindowPixel(w, x, y));
            if (host::WindowPixel(w, x, y) == 1) ++ink;
        }
    EXPECT_GT(ink, 0);
    ExpectScreenShowsWindow(w);
}

TEST_F(ServerWindow, DrawingClipsToTheWindowRaster) {
    WinSpec shape;
    shape.left = 100;
    shape.top = 100;
    shape.width = 50;
    shape.height = 40;
    Window* w = Open(shape);
    SetAPen(w->RPort, 7);
    RectFill(w->RPort, -20, -20, 200, 200);
    EXPECT_EQ(host::ScreenPixel(99, 120), 0);
    EXPECT_EQ(host::ScreenPixel(150, 120), 0);
    EXPECT_EQ(host::ScreenPixel(100, 100), 7);
    EXPECT_EQ(host::ScreenPixel(149, 139), 7);
    EXPECT_EQ(host::ScreenPixel(149, 140), 0);
}

TEST_F(ServerWindow, CoveredWindowKeepsItsContents) {
    WinSpec back;
    back.title = "Back";
    Window* a = Open(back);
    RastPort* rp = a->RPort;
    for (int i = 0; i < 60; ++i) {
        SetAPen(rp, 4 + i % 5);
        Move(rp, 10 + i, 15);
        Draw(rp, 10 + i, 90);
    }
    WinSpec front;
    front.title = "Front";
    front.left = 60;
    front.top = 50;
    Window* b = Open(front);
    ExpectScreenShowsWindow(b);
    // Drawing into the covered window while it is covered is kept too.
    SetAPen(rp, 9);
    RectFill(rp, 100, 40, 120, 60);
    EXPECT_NE(host::ScreenPixel(20 + 110, 30 + 50), 9);

    WindowToFront(a);
    ExpectScreenShowsWindow(a);
    WindowToFront(b);
    ExpectScreenShowsWindow(b);
    CloseWindow(b);
    ExpectScreenShowsWindow(a);
    EXPECT_EQ(host::ScreenPixel(20 + 110, 30 + 50), 9);
}

TEST_F(ServerWindow, ActiveTitleBarIsHighlighted) {
    WinSpec one;
    one.title = "One";
    Window* a = Open(one);
    // A point of the drag bar clear of the title text and the gadgets.
    const int x = a->Width * 3 / 4, y = 1;
    EXPECT_EQ(host::WindowPixel(a, x, y), 3);
    WinSpec two;
    two.title = "Two";
    two.left = 300;
    Window* b = Open(two);
    EXPECT_EQ(host::ActiveWindow(), b);
    EXPECT_EQ(host::WindowPixel(a, x, y), 0);
    EXPECT_EQ(host::WindowPixel(b, x, y), 3);
    ActivateWindow(a);
    EXPECT_EQ(host::WindowPixel(a, x, y), 3);
    EXPECT_EQ(host::WindowPixel(b, x, y), 0);
    EXPECT_NE(a->Flags & WFLG_WINDOWACTIVE, 0u);
    EXPECT_EQ(b->Flags & WFLG_WINDOWACTIVE, 0u);
}

TEST_F(ServerWindow, FrameDrawingKeepsTheProgramsTexts) {
    Window* w = Open(WinSpec{});
    // A text cut off by the left edge overlaps the frame.
    Move(w->RPort, -20, 30);
    Text(w->RPort, "cut off text", 12);
    Open(WinSpec{});  // deactivates w: its frame is drawn again
    RefreshWindowFrame(w);
    EXPECT_TRUE(host::ShowsText(w, "cut off text"));
    for (const auto& t : host::Texts(w)) EXPECT_NE(t.text, "Test") << "the title is the frame's, not a text";
}

TEST_F(ServerWindow, ClosingTheActiveWindowActivatesThePreviousOne) {
    Window* a = Open(WinSpec{});
    Window* b = Open(WinSpec{});
    Window* c = Open(WinSpec{});
    ActivateWindow(b);
    ActivateWindow(c);
    CloseWindow(c);
    EXPECT_EQ(host::ActiveWindow(), b);
    CloseWindow(b);
    EXPECT_EQ(host::ActiveWindow(), a);
    CloseWindow(a);
    EXPECT_EQ(host::ActiveWindow(), nullptr);
    CloseWindow(a);  // a second close is harmless
    EXPECT_EQ(host::OpenWindowCount(), 0);
}

TEST_F(ServerWindow, MoveWindowStaysOnTheScreen) {
    Window* w = Open(WinSpec{});
    struct Case {
        int dx, dy, wantLeft, wantTop;
    };
    const Case cases[] = {{10, 5, 30, 35}, {-100, -100, 0, 0}, {1000, 1000, 440, 380}, {-40, 0, 400, 380}};
    for (const Case& c : cases) {
        MoveWindow(w, c.dx, c.dy);
        EXPECT_EQ(w->LeftEdge, c.wantLeft);
        EXPECT_EQ(w->TopEdge, c.wantTop);
        ExpectScreenShowsWindow(w);
    }
}

TEST_F(ServerWindow, ScreenTitleBarIsBehindTheWindows) {
    EXPECT_EQ(host::MenuBarText(), "Workbench Screen");
    int bar = host::ScreenPixel(600, 2);
    EXPECT_NE(bar, host::ScreenPixel(600, 100)) << "the bar stands out from the background";
    WinSpec shape;
    shape.left = 0;
    shape.top = 0;
    Window* w = Open(shape);
    ExpectScreenShowsWindow(w);
}

TEST_F(ServerWindow, SavesTheScreenAsPng) {
    Window* w = Open(WinSpec{});
    SetAPen(w->RPort, 3);
    RectFill(w->RPort, 10, 20, 50, 60);
    std::string path = testing::TempDir() + "server_screen.png";
    ASSERT_TRUE(host::SavePNG(path));
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char sig[8] = {};
    EXPECT_EQ(std::fread(sig, 1, 8, f), 8u);
    std::fclose(f);
    const unsigned char png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    EXPECT_EQ(std::memcmp(sig, png, 8), 0);
    unsigned char rgb[3];
    host::PenColour(3, rgb);
    EXPECT_EQ(rgb[0], 0x66);
    EXPECT_EQ(rgb[1], 0x88);
    EXPECT_EQ(rgb[2], 0xBB);
}

}  // namespace
