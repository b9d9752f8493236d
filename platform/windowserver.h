// The window server's own plumbing between its screen and windows (intuition.cpp), its
// message ports (messages.cpp), its display backends and the host controls (host/host.cpp).
// Private to those files.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "display/display.h"
#include "server.h"

namespace display {
// No window at all: input comes from the host queue and the test's user.
std::unique_ptr<Backend> MakeVirtualBackend();
}  // namespace display

namespace server {

enum class DisplayKind { Unchosen, Virtual, Host };

// Close everything and forget the display; the next use sets up `kind` with `config`
// (Unchosen: WB_DISPLAY decides). Virtual displays are set up at once.
void Reset(DisplayKind kind, const host::ScreenConfig& config);
// Set up the chosen display if nothing has yet; false when there is none.
bool EnsureDisplay();

// The composed screen: the screen's bar, the windows back to front, the menus on top.
// Composes first when anything changed since the last time.
const std::vector<uint8_t>& ComposedScreen();
void Palette(uint8_t palette[256][3]);

// Handle one piece of input for a program waiting on `port`: queued host input first,
// else show the screen if it changed and block on the backend. False when no input can
// ever come.
bool HandleNextInput(MsgPort* port);
// The window whose port the program waits on now (nullptr: none, or a port of its own).
Window* WaitingWindow();
bool WaitingPortHasMessage();

// Host input queued by the acting functions of host.h; handled when the program waits.
void QueueEvent(const display::Event& event);
bool PopQueuedEvent(display::Event& event);
size_t QueuedEvents();

// The virtual display's user (host.cpp): false when it has nothing left to do.
bool RunUser();
void ClearUser();

// Every open window, front to back.
std::vector<Window*> OpenWindows();
bool IsOpen(const Window* window);
// Where the host window is, as the display's frame text; empty without one.
std::string HostFrame();
// Geometry of the frame's own gadgets, in the window's frame.
int SystemGadgetWidth(const Window* window);

// Messages the server sends (messages.cpp keeps them in a pool so that a late or second
// reply is harmless).
IntuiMessage* NewMessage();
// Free the server's messages queued at a port and empty it.
void DropMessages(MsgPort* port);
// Forget every message (a new display).
void ResetMessages();
int DoubleReplyCount();

}  // namespace server
