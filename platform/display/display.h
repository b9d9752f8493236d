// The window server's view of a display backend: it shows composed screens and hands
// over host input. Private to the platform.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace display {

struct Event {
    enum Type { None, MouseMove, ButtonDown, ButtonUp, Key, RawKey, CloseRequest };
    Type type = None;
    int x = 0, y = 0;    // screen coordinates (mouse events)
    int button = 0;      // 1 left, 3 right
    int code = 0;        // Key: ISO-8859-1 code; RawKey: Amiga raw code
    unsigned qualifier = 0;  // IEQUALIFIER_* bits
};

// Where a screen shows in a host window's drawing area: at the largest whole scale that
// fits (at least 1), centred; the rest is black.
struct Fit {
    int scale = 1, left = 0, top = 0;
};
Fit FitScreen(int areaWidth, int areaHeight, int width, int height);
// The screen point under a point of the drawing area, clamped to the screen's edges; false
// when the point lies outside the screen's picture.
bool ScreenPoint(const Fit& fit, int width, int height, int hostX, int hostY, int& x, int& y);

// A host window's place on the desktop: its drawing area and the decoration around it.
struct Frame {
    int x = 0, y = 0, w = 0, h = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
};
// The variable through which a program started by Execute learns its parent's frame.
constexpr const char* kParentFrameVariable = "WB_PARENT_FRAME";
std::string FrameText(const Frame& frame);
bool ParseFrame(const char* text, Frame& frame);
// Where a second program's screen of width x height goes beside its parent's frame on the
// desktop area (x, y, w, h): the scale and the drawing area's top-left corner. Beside the
// parent, right or left (the side with more room first), at the largest scale that fits there,
// or at `asked` when that fits; where nothing fits beside, at `asked` (or 1) in the corner of the
// desktop where it covers the least of the parent.
int PlaceBeside(const Frame& parent, const Frame& desktop, int width, int height, int asked, int& x, int& y);

class Backend {
public:
    virtual ~Backend() = default;
    // Make the display for a screen of this size; false (and why) when there is none.
    virtual bool Open(int width, int height, std::string& why) = 0;
    // Show a screen: width*height pens, and 256 RGB palette entries.
    virtual void Present(const uint8_t* pens, const uint8_t palette[256][3]) = 0;
    // Block until host input arrives. False: no input will ever come.
    virtual bool WaitEvent(Event& event) = 0;
    // The host window's title: that of the program's first window.
    virtual void SetTitle(const char*) {}
    // Where the host window is now; false when there is none.
    virtual bool WhereIs(Frame&) const { return false; }
};

// The display people see on this host: sdl.cpp on a desktop, web.cpp in a browser page.
std::unique_ptr<Backend> MakeHostBackend();

// The ISO-8859-1 codes of typed UTF-8 text. Control characters, characters beyond 0xFF and
// malformed sequences are dropped.
std::vector<int> Latin1FromUtf8(const char* utf8);

}  // namespace display
