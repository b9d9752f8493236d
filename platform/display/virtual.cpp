// The virtual display: no host window. Input is what the test's user queues when the
// program is about to block; a program that waits with nothing left to do fails.
#include <string>

#include "windowserver.h"

namespace display {
namespace {

// A user that keeps answering "more to do" without ever acting is given this many chances.
constexpr int kIdleCalls = 1000;

class VirtualBackend : public Backend {
public:
    bool Open(int, int, std::string&) override { return true; }
    void Present(const uint8_t*, const uint8_t[256][3]) override {}
    bool WaitEvent(Event& event) override {
        for (int calls = 0;; ++calls) {
            if (server::PopQueuedEvent(event)) return true;
            // The user may have acted without input (activating a window, say): let the
            // program look at its port again.
            if (calls > 0 && server::WaitingPortHasMessage()) {
                event = Event{};
                return true;
            }
            if (calls >= kIdleCalls || !server::RunUser()) Stall();
        }
    }

private:
    [[noreturn]] static void Stall() {
        Window* w = server::WaitingWindow();
        std::string what = w ? "window \"" + std::string(w->Title ? w->Title : "") + "\"" : "a port of its own";
        throw host::Stalled("program waits on " + what + " and the test's user has nothing left to do");
    }
};

}  // namespace

std::unique_ptr<Backend> MakeVirtualBackend() { return std::make_unique<VirtualBackend>(); }

}  // namespace display
