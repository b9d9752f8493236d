// The window server's internals shared by intuition.cpp (screen, windows, input, frames),
// gadtools.cpp (buttons and text fields, menus) and the system requesters. Private to the
// platform.
#pragma once
#include <string>

#include "host/host.h"
#include "intuition.h"
#include "layer.h"

namespace server {

// The screen's current configuration (host::UseVirtualDisplay sets it).
const host::ScreenConfig& Config();
Screen* TheScreen();  // nullptr before the display is set up
// Queue an input message at a window's port, only when its IDCMPFlags ask for the class.
// Mouse position is the window's current pointer position unless given.
void Post(Window* window, ULONG cls, UWORD code, UWORD qualifier = 0, APTR iaddress = nullptr);
void PostAt(Window* window, ULONG cls, UWORD code, UWORD qualifier, APTR iaddress, int mouseX, int mouseY);
// Something on screen changed outside a layer (menus shown, a window moved).
void Changed();
Window* ActiveWindow();
Layer* LayerOf(Window* window);

}  // namespace server

// The gadget side of the server (gadtools.cpp). The server calls these with window-frame
// coordinates; each returns true when a gadget took the input. A text field being edited
// carries GFLG_SELECTED, as a pressed button does: host::Gadgets reports it as active.
namespace gadgets {
void Draw(Window* window, Gadget* gadget);     // one gadget in its current state
bool MouseDown(Window* window, int x, int y);  // left press
void MouseMove(Window* window, int x, int y);  // pointer moved while the left button is held
bool MouseUp(Window* window, int x, int y);    // left release; GADGETUP when over the pressed button
bool Key(Window* window, int code, unsigned qualifier);  // an active text field edits
bool RawKey(Window* window, int rawCode);                // cursor keys in an active text field
void Forget(Window* window);                   // the window closes or loses its gadgets
}  // namespace gadgets

// The menu side of the server (gadtools.cpp): the active window's strip on the screen's
// title bar while the right button is held. Screen coordinates.
namespace menus {
bool RightDown(int x, int y);
void Move(int x, int y);
void RightUp(int x, int y);
bool Showing();
void Draw(uint8_t* screenPens, int width, int height);  // over the composed screen
bool CommandKey(Window* window, int code);              // Alt + key
void Forget(Window* window);
}  // namespace menus
