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

class Backend {
public:
    virtual ~Backend() = default;
    // Make the display for a screen of this size; false (and why) when there is none.
    virtual bool Open(int width, int height, std::string& why) = 0;
    // Show a screen: width*height pens, and 256 RGB palette entries.
    virtual void Present(const uint8_t* pens, const uint8_t palette[256][3]) = 0;
    // Block until host input arrives. False: no input will ever come.
    virtual bool WaitEvent(Event& event) = 0;
};

std::unique_ptr<Backend> MakeSdlBackend();

// The ISO-8859-1 codes of typed UTF-8 text. Control characters, characters beyond 0xFF and
// malformed sequences are dropped.
std::vector<int> Latin1FromUtf8(const char* utf8);

}  // namespace display
