// The browser's display: the screen drawn into this program's canvas on the page, shown at
// the largest whole scale that fits the program's part of the page. Waiting for input sleeps
// (Asyncify) until the page hands some over: no frame loop, no timers.
#include <cstdint>
#include <vector>

#include "display.h"
#include "intuition.h"

// web.js: the canvas and the page's input for this program.
extern "C" {
int web_open(int width, int height);
void web_show(const uint32_t* rgba, int width, int height);
void web_area(int* width, int* height);
void web_scale(int scale);
void web_title(const char* title);
// Sleeps until there is input: kind, x, y (CSS pixels on the canvas), button, code, modifiers.
void web_wait(int* input);
}

namespace display {
namespace {

enum Input { kMove = 1, kDown, kUp, kKey, kRawKey, kResize };
enum Modifier { kShift = 1, kControl = 2, kAlt = 4 };

unsigned Qualifier(int modifiers) {
    return ((modifiers & kShift) ? IEQUALIFIER_LSHIFT : 0u) | ((modifiers & kControl) ? IEQUALIFIER_CONTROL : 0u) |
           ((modifiers & kAlt) ? IEQUALIFIER_LALT : 0u);
}

class WebBackend : public Backend {
public:
    bool Open(int width, int height, std::string& why) override {
        if (web_open(width, height) == 0) {
            why = "the page has no canvas for this program";
            return false;
        }
        width_ = width;
        height_ = height;
        rgba_.assign(size_t(width) * height, 0xFF000000u);
        Relayout();
        return true;
    }

    void Present(const uint8_t* pens, const uint8_t palette[256][3]) override {
        if (pens == nullptr) return;
        uint32_t colours[256];
        for (int i = 0; i < 256; ++i)  // RGBA bytes in memory order
            colours[i] = 0xFF000000u | uint32_t(palette[i][2]) << 16 | uint32_t(palette[i][1]) << 8 | palette[i][0];
        for (size_t i = 0; i < rgba_.size(); ++i) rgba_[i] = colours[pens[i]];
        web_show(rgba_.data(), width_, height_);
    }

    bool WaitEvent(Event& event) override {
        for (;;) {
            int in[6] = {};
            web_wait(in);
            event = Event{};
            switch (in[0]) {
            case kResize: Relayout(); continue;
            case kMove:
            case kDown:
            case kUp:
                event.type = in[0] == kMove ? Event::MouseMove : in[0] == kDown ? Event::ButtonDown : Event::ButtonUp;
                ScreenPoint(fit_, width_, height_, in[1], in[2], event.x, event.y);
                event.button = in[3];
                break;
            case kKey: event.type = Event::Key; break;
            case kRawKey: event.type = Event::RawKey; break;
            default: continue;
            }
            event.code = in[4];
            event.qualifier = Qualifier(in[5]);
            return true;
        }
    }

    void SetTitle(const char* title) override { web_title(title != nullptr ? title : ""); }

private:
    // The page's area for this program decides the scale; the canvas sits at its top left, so
    // pointer positions on it need no offset.
    void Relayout() {
        int w = 0, h = 0;
        web_area(&w, &h);
        fit_ = FitScreen(w, h, width_, height_);
        fit_.left = fit_.top = 0;
        web_scale(fit_.scale);
    }

    int width_ = 0, height_ = 0;
    Fit fit_;
    std::vector<uint32_t> rgba_;
};

}  // namespace

std::unique_ptr<Backend> MakeHostBackend() { return std::make_unique<WebBackend>(); }

}  // namespace display
