// For the display test: a request about a window that does not exist, on the host window's
// own X connection and not yet sent. Apart, because X's headers use the platform's names.
#include <SDL.h>
#include <SDL_syswm.h>
#include <dlfcn.h>

bool SendToNoWindow() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    SDL_Window* window = SDL_GetWindowFromID(1);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    // Looked up in the X library SDL loaded; the test program does not link it.
    auto send = reinterpret_cast<decltype(&XSendEvent)>(dlsym(RTLD_DEFAULT, "XSendEvent"));
    if (send == nullptr) return false;
    XEvent event{};  // a message Xlib sends as it is (an event of no type it would not send)
    event.xclient.type = ClientMessage;
    event.xclient.format = 32;
    event.xclient.window = 0x1fffffff;
    // Left in the output buffer: the teardown's own requests send it and read the error.
    send(info.info.x11.display, 0x1fffffff, False, 0, &event);
    return true;
}
