// The screen and its windows: geometry, borders, what lands on the composed screen, and
// contents kept under other windows.
#include "server_testing.h"

using wtest::Open;
using ServerWindow = wtest::VirtualDisplay;

namespace {

// Every pixel of the window that no other window covers shows its raster.
void ExpectScreenShowsWindow(Window* w) {
    int mismatches = 0;
    for (int y = 0; y < w->Height; ++y)
        for (int x = 0; x < w->Width; ++x)
            mismatches += host::ScreenPixel(w->LeftEdge + x, w->TopEdge + y) != host::WindowPixel(w, x, y);
    EXPECT_EQ(mismatches, 0) << "window \"" << w->Title << "\"";
}

TEST_F(ServerWindow, DefaultScreenIs640x480Depth8WithTopaz8AndATitleBarBehindTheWindows) {
    Screen* s = LockPubScreen(nullptr);
    ASSERT_NE(s, nullptr);
    const BitMap* bm = s->RastPort.BitMap;
    ASSERT_NE(bm, nullptr);
    EXPECT_EQ(std::vector<int>({s->Width, s->Height, s->BarHeight, s->Font->ta_YSize, bm->Depth, bm->Rows}),
              (std::vector<int>{640, 480, 10, 8, 8, 480}));
    EXPECT_STREQ(s->Font->ta_Name, "topaz.font");
    EXPECT_GE(bm->BytesPerRow * 8, 640);
    for (int p = 0; p < 8; ++p) EXPECT_NE(bm->Planes[p], nullptr) << "plane " << p;
    EXPECT_NE(s->ViewPort.ColorMap, nullptr);
    EXPECT_EQ(host::MenuBarText(), "Workbench Screen");
    EXPECT_NE(host::ScreenPixel(600, 2), host::ScreenPixel(600, 100)) << "the bar stands out";
    ExpectScreenShowsWindow(Open({.left = 0, .top = 0}));
}

TEST_F(ServerWindow, OpensWhereAndAsLargeAsAskedInsideTheScreen) {
    struct Case { int left, top, width, height; int wantLeft, wantTop, wantWidth, wantHeight; };
    const Case cases[] = {
        {20, 30, 200, 100, 20, 30, 200, 100},    // as asked
        {0, 0, 640, 480, 0, 0, 640, 480},        // the whole screen
        {600, 30, 200, 100, 440, 30, 200, 100},  // moved left to fit
        {-10, -5, 200, 100, 0, 0, 200, 100},     // moved onto the screen
        {0, 450, 100, 100, 0, 380, 100, 100},    // moved up to fit
        {100, 100, 800, 100, 0, 100, 640, 100},  // too wide: moved, then cut
        {10, 10, 100, 600, 10, 0, 100, 480},     // too high: moved, then cut
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "asked " << c.left << "," << c.top << " " << c.width << "x" << c.height);
        host::UseVirtualDisplay();
        Window* w = Open({c.left, c.top, c.width, c.height});
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(wtest::Box(w), (std::vector<int>{c.wantLeft, c.wantTop, c.wantWidth, c.wantHeight}));
        EXPECT_EQ(std::vector<int>({w->BorderLeft, w->BorderTop, w->BorderRight, w->BorderBottom}),
                  (std::vector<int>{4, 11, 4, 2}));
    }
}

TEST_F(ServerWindow, TitleBarHeightFollowsScreenFontAndTopBorder) {
    struct Case { int fontHeight, wborTop, wantBorderTop; };
    for (const Case& c : {Case{8, 2, 11}, Case{11, 2, 14}, Case{8, 4, 13}, Case{15, 0, 16}}) {
        host::UseVirtualDisplay({.fontHeight = c.fontHeight, .wborTop = c.wborTop});
        Screen* s = LockPubScreen(nullptr);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->Font->ta_YSize, c.fontHeight);
        EXPECT_EQ(s->BarHeight, c.wantBorderTop - 1);
        Window* w = Open({});
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->BorderTop, c.wantBorderTop) << "font " << c.fontHeight << ", top border " << c.wborTop;
    }
}

TEST_F(ServerWindow, WindowRecordsAreLinkedFrontToBackAndClosingActivatesThePrevious) {
    Window* a = Open({});
    Window* b = Open({});
    auto order = [s = LockPubScreen(nullptr)] {
        std::vector<Window*> out;
        for (Window* w = s->FirstWindow; w; w = w->NextWindow) out.push_back(w);
        return out;
    };
    EXPECT_EQ(order(), (std::vector<Window*>{b, a}));
    WindowToFront(a);
    EXPECT_EQ(order(), (std::vector<Window*>{a, b}));

    Window* c = Open({});
    ActivateWindow(b);
    ActivateWindow(c);
    CloseWindow(c);
    EXPECT_EQ(host::ActiveWindow(), b);
    CloseWindow(b);
    EXPECT_EQ(host::ActiveWindow(), a);
    EXPECT_EQ(order(), std::vector<Window*>{a});
    CloseWindow(a);
    EXPECT_EQ(host::ActiveWindow(), nullptr);
    CloseWindow(a);  // a second close is harmless
    EXPECT_EQ(host::OpenWindowCount(), 0);
}

TEST_F(ServerWindow, DrawingClipsToTheWindowRasterAndPixelsOutsideAreMinusOne) {
    Window* w = Open({100, 100, 50, 40});
    SetAPen(w->RPort, 7);
    RectFill(w->RPort, -20, -20, 200, 200);
    struct Probe { int x, y, pen; };
    for (const Probe& p : {Probe{99, 120, 0}, Probe{150, 120, 0}, Probe{100, 100, 7}, Probe{149, 139, 7},
                           Probe{149, 140, 0}, Probe{-1, 0, -1}, Probe{0, -1, -1}, Probe{640, 0, -1},
                           Probe{0, 480, -1}})
        EXPECT_EQ(host::ScreenPixel(p.x, p.y), p.pen) << p.x << "," << p.y;
    for (const Probe& p : {Probe{-1, 0, -1}, Probe{0, -1, -1}, Probe{50, 0, -1}, Probe{0, 40, -1}, Probe{49, 39, 7}})
        EXPECT_EQ(host::WindowPixel(w, p.x, p.y), p.pen) << "window " << p.x << "," << p.y;
    EXPECT_EQ(host::WindowPixel(nullptr, 0, 0), -1);
}

TEST_F(ServerWindow, CoveredWindowKeepsItsContents) {
    Window* a = Open({.title = "Back"});
    RastPort* rp = a->RPort;
    for (int i = 0; i < 60; ++i) {
        SetAPen(rp, 4 + i % 5);
        Move(rp, 10 + i, 15);
        Draw(rp, 10 + i, 90);
    }
    Window* b = Open({.left = 60, .top = 50, .title = "Front"});
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
    Window* a = Open({.title = "One"});
    const int x = a->Width * 3 / 4, y = 1;  // drag bar, clear of the title and the gadgets
    EXPECT_EQ(host::WindowPixel(a, x, y), 3);
    Window* b = Open({.left = 300, .title = "Two"});
    auto bars = [&] { return std::vector<int>{host::WindowPixel(a, x, y), host::WindowPixel(b, x, y)}; };
    EXPECT_EQ(bars(), (std::vector<int>{0, 3}));
    ActivateWindow(a);
    EXPECT_EQ(bars(), (std::vector<int>{3, 0}));
    EXPECT_NE(a->Flags & WFLG_WINDOWACTIVE, 0u);
    EXPECT_EQ(b->Flags & WFLG_WINDOWACTIVE, 0u);
}

TEST_F(ServerWindow, FrameDrawingKeepsTheProgramsTexts) {
    Window* w = Open({});
    Move(w->RPort, -20, 30);  // cut off by the left edge: overlaps the frame
    Text(w->RPort, "cut off text", 12);
    Open({});  // deactivates w: its frame is drawn again
    RefreshWindowFrame(w);
    EXPECT_TRUE(host::ShowsText(w, "cut off text"));
    for (const auto& t : host::Texts(w)) EXPECT_NE(t.text, "Test") << "the title is the frame's, not a text";
}

}  // namespace
