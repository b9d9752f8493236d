// The real display: one SDL window showing the whole screen at an integer scale.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "display.h"
#include "intuition.h"

namespace display {
namespace {

// The scale WB_SCALE asks for, or 0.
int AskedScale() {
    const char* env = std::getenv("WB_SCALE");
    if (env == nullptr) return 0;
    char* end = nullptr;
    const long s = std::strtol(env, &end, 10);
    return end != env && *end == '\0' && s >= 1 && s <= 16 ? int(s) : 0;
}

// The part of the desktop that windows may take.
Frame Desktop() {
    Frame desktop;
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) {
        SDL_DisplayMode mode;
        if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return desktop;
        usable = SDL_Rect{0, 0, mode.w, mode.h};
    }
    desktop.x = usable.x;
    desktop.y = usable.y;
    desktop.w = usable.w;
    desktop.h = usable.h;
    return desktop;
}

// Largest integer scale at which width x height fits the usable desktop; at least 1.
int ScaleFor(int width, int height) {
    if (const int asked = AskedScale(); asked != 0) return asked;
    const Frame usable = Desktop();
    // Leave room for the host's window decoration.
    constexpr int kDecoration = 48;
    int scale = 1;
    while (width * (scale + 1) <= usable.w && height * (scale + 1) + kDecoration <= usable.h) ++scale;
    return scale;
}

unsigned Qualifier(Uint16 mod) {
    unsigned q = 0;
    if (mod & KMOD_SHIFT) q |= IEQUALIFIER_LSHIFT;
    if (mod & KMOD_RSHIFT) q |= IEQUALIFIER_RSHIFT;
    if (mod & KMOD_CTRL) q |= IEQUALIFIER_CONTROL;
    if (mod & KMOD_LALT) q |= IEQUALIFIER_LALT;
    if (mod & KMOD_RALT) q |= IEQUALIFIER_RALT;
    return q;
}

// Alt held as a command key (AltGr, which types characters on many layouts, does not count).
bool CommandAlt(Uint16 mod) { return (mod & KMOD_ALT) != 0 && (mod & KMOD_MODE) == 0; }

// The key a command Alt stands for: a letter, a digit or '?', lower case.
int CommandKeyCode(SDL_Keycode sym, Uint16 mod) {
    if (sym >= SDLK_a && sym <= SDLK_z) return int(sym);
    if (sym >= SDLK_0 && sym <= SDLK_9) return int(sym);
    if (sym == SDLK_QUESTION || (sym == SDLK_SLASH && (mod & KMOD_SHIFT))) return '?';
    return 0;
}

// Xlib's default answer to an X error is to end the process with status 1. An error about
// a window already going (a request racing the host window's teardown) must not end the
// program or change its status, so from the teardown on X errors are ignored; before it
// they get Xlib's own answer. SDL hands errors on to whatever handler it found at start.
using XErrorHandler = int (*)(void* display, void* error);
XErrorHandler xlibErrorHandler = nullptr;
bool tearingDown = false;

int OnXError(void* display, void* error) {
    return tearingDown || xlibErrorHandler == nullptr ? 0 : xlibErrorHandler(display, error);
}

void CatchXErrors() {
    static bool done = false;
    if (done) return;
    done = true;
    // The library SDL loads for X; it stays loaded, so the handler stays valid to the end.
    void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_GLOBAL);
    if (x11 == nullptr) return;
    using Setter = XErrorHandler (*)(XErrorHandler);
    if (auto set = reinterpret_cast<Setter>(dlsym(x11, "XSetErrorHandler"))) xlibErrorHandler = set(OnXError);
}

class SdlBackend : public Backend {
public:
    ~SdlBackend() override {
        tearingDown = true;
        if (texture_ != nullptr) SDL_DestroyTexture(texture_);
        if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
        if (window_ != nullptr) SDL_DestroyWindow(window_);
        if (initialised_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool Open(int width, int height, std::string& why) override {
        if (window_ != nullptr) return true;
        // Signals keep their usual meaning (a test can end the program), and closing the
        // window is one close request, not that and a quit as well.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        // The click that brings the window back from another (the guide's, say) counts as a
        // click too, as it does on the screen inside.
        SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
        CatchXErrors();
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            why = std::string("no display: ") + SDL_GetError();
            return false;
        }
        initialised_ = true;
        // SDL falls back to drivers that show nothing; those serve only when asked for by name.
        const char* driver = SDL_GetCurrentVideoDriver();
        const char* asked = std::getenv("SDL_VIDEODRIVER");
        if (driver != nullptr && (SDL_strcasecmp(driver, "offscreen") == 0 || SDL_strcasecmp(driver, "dummy") == 0) &&
            (asked == nullptr || SDL_strcasecmp(asked, driver) != 0)) {
            why = "no display: set DISPLAY to an X server (or WB_DISPLAY=virtual)";
            return false;
        }
        width_ = width;
        height_ = height;
        int scale = ScaleFor(width, height), x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
        // A program started by another opens beside its parent's window, or where it hides
        // the least of it, so that both can be seen and used.
        if (Frame parent; ParseFrame(std::getenv(kParentFrameVariable), parent))
            scale = PlaceBeside(parent, Desktop(), width, height, AskedScale(), x, y);
        // Hidden until the first screen is shown: by then it carries its program's title.
        window_ = SDL_CreateWindow("", x, y, width * scale, height * scale, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
        if (window_ == nullptr) return Fail(why, "cannot open a window: ");
        SDL_SetWindowMinimumSize(window_, width, height);
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        // A 640 x 480 screen scaled by whole pixels needs no GPU; the software renderer keeps
        // the GL stack (its memory and its worker threads) out of the process.
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(window_, -1, 0);
        if (renderer_ == nullptr) return Fail(why, "cannot draw into the window: ");
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (texture_ == nullptr) return Fail(why, "cannot make the screen's texture: ");
        Relayout();
        SDL_StartTextInput();
        return true;
    }

    void SetTitle(const char* title) override {
        if (window_ != nullptr) SDL_SetWindowTitle(window_, title != nullptr ? title : "");
    }

    bool WhereIs(Frame& frame) const override {
        if (window_ == nullptr || !shown_) return false;
        SDL_GetWindowPosition(window_, &frame.x, &frame.y);
        SDL_GetWindowSize(window_, &frame.w, &frame.h);
        if (SDL_GetWindowBordersSize(window_, &frame.top, &frame.left, &frame.bottom, &frame.right) != 0)
            frame.top = frame.left = frame.bottom = frame.right = 0;
        return true;
    }

    void Present(const uint8_t* pens, const uint8_t palette[256][3]) override {
        if (texture_ == nullptr || pens == nullptr) return;
        Uint32 colours[256];
        for (int i = 0; i < 256; ++i)
            colours[i] = 0xFF000000u | Uint32(palette[i][0]) << 16 | Uint32(palette[i][1]) << 8 | palette[i][2];
        void* pixels = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) != 0) return;
        for (int y = 0; y < height_; ++y) {
            auto* out = reinterpret_cast<Uint32*>(static_cast<Uint8*>(pixels) + size_t(y) * pitch);
            const uint8_t* in = pens + size_t(y) * width_;
            for (int x = 0; x < width_; ++x) out[x] = colours[in[x]];
        }
        SDL_UnlockTexture(texture_);
        presented_ = true;
        if (!shown_) {
            SDL_ShowWindow(window_);
            shown_ = true;
            Relayout();
        }
        Show();
    }

    bool WaitEvent(Event& event) override {
        if (window_ == nullptr) return false;
        while (pending_.empty()) {
            SDL_Event e;
            if (SDL_WaitEvent(&e) == 0) return false;
            Translate(e);
        }
        event = pending_.front();
        pending_.pop_front();
        return true;
    }

private:
    bool Fail(std::string& why, const char* what) {
        why = std::string(what) + SDL_GetError();
        return false;
    }

    void Show() {
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        const SDL_Rect where{fit_.left, fit_.top, width_ * fit_.scale, height_ * fit_.scale};
        SDL_RenderCopy(renderer_, texture_, nullptr, &where);
        SDL_RenderPresent(renderer_);
    }

    // The screen's place in the window's drawing area, after any change of its size.
    void Relayout() {
        // The window's own size: the pointer's positions are in it, and the software
        // renderer draws in pixels of it.
        int w = 0, h = 0;
        SDL_GetWindowSize(window_, &w, &h);
        fit_ = FitScreen(w, h, width_, height_);
    }

    void ToggleFullScreen() {
        const bool full = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
        SDL_SetWindowFullscreen(window_, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
        Relayout();
        if (presented_) Show();
    }

    void Push(Event::Type type, int code = 0, unsigned qualifier = 0) {
        Event ev;
        ev.type = type;
        ev.code = code;
        ev.qualifier = qualifier;
        pending_.push_back(ev);
    }

    void PushMouse(Event::Type type, int x, int y, int button) {
        Event ev;
        ev.type = type;
        // A press on the black around the screen is on nothing; moves and releases there
        // still count, at the screen's edge, so that a drag or a held button ends.
        if (!ScreenPoint(fit_, width_, height_, x, y, ev.x, ev.y) && type == Event::ButtonDown) return;
        ev.button = button;
        ev.qualifier = Qualifier(SDL_GetModState());
        pending_.push_back(ev);
    }

    void Translate(const SDL_Event& e) {
        switch (e.type) {
        case SDL_QUIT:
            Push(Event::CloseRequest);
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE)
                Push(Event::CloseRequest);
            else if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                Relayout();
                if (presented_) Show();
            } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED && presented_)
                Show();
            break;
        case SDL_MOUSEMOTION:
            PushMouse(Event::MouseMove, e.motion.x, e.motion.y, 0);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const int button = e.button.button == SDL_BUTTON_LEFT ? 1 : e.button.button == SDL_BUTTON_RIGHT ? 3 : 0;
            if (button != 0)
                PushMouse(e.type == SDL_MOUSEBUTTONDOWN ? Event::ButtonDown : Event::ButtonUp, e.button.x, e.button.y,
                          button);
            break;
        }
        case SDL_KEYDOWN:
            KeyDown(e.key.keysym, e.key.repeat != 0);
            break;
        case SDL_TEXTINPUT:
            if (swallowText_) {
                swallowText_ = false;
                break;
            }
            if (CommandAlt(SDL_GetModState())) break;
            TextInput(e.text.text);
            break;
        default:
            break;
        }
    }

    void KeyDown(const SDL_Keysym& key, bool repeat) {
        swallowText_ = false;
        const unsigned q = Qualifier(key.mod);
        // F11 and Alt+Return belong to the host window: full screen on and off.
        if (key.sym == SDLK_F11 || (key.sym == SDLK_RETURN && CommandAlt(key.mod))) {
            if (!repeat) ToggleFullScreen();
            return;
        }
        switch (key.sym) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER: Push(Event::Key, 13, q); return;
        case SDLK_TAB: Push(Event::Key, 9, q); return;
        case SDLK_BACKSPACE: Push(Event::Key, 8, q); return;
        case SDLK_DELETE: Push(Event::Key, 127, q); return;
        case SDLK_ESCAPE: Push(Event::Key, 27, q); return;
        case SDLK_UP: Push(Event::RawKey, 0x4C, q); return;
        case SDLK_DOWN: Push(Event::RawKey, 0x4D, q); return;
        case SDLK_RIGHT: Push(Event::RawKey, 0x4E, q); return;
        case SDLK_LEFT: Push(Event::RawKey, 0x4F, q); return;
        default: break;
        }
        if (CommandAlt(key.mod)) {
            if (const int code = CommandKeyCode(key.sym, key.mod); code != 0) {
                Push(Event::Key, code, q | IEQUALIFIER_LALT);
                swallowText_ = true;  // the same key's text must not arrive as typing too
            }
        }
    }

    void TextInput(const char* text) {
        const unsigned q = Qualifier(SDL_GetModState()) & (IEQUALIFIER_LSHIFT | IEQUALIFIER_RSHIFT);
        for (int code : Latin1FromUtf8(text)) Push(Event::Key, code, q);
    }

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    bool initialised_ = false;
    bool presented_ = false;
    bool shown_ = false;
    bool swallowText_ = false;
    int width_ = 0, height_ = 0;
    Fit fit_;
    std::deque<Event> pending_;
};

}  // namespace

std::vector<int> Latin1FromUtf8(const char* utf8) {
    std::vector<int> codes;
    if (utf8 == nullptr) return codes;
    const auto* s = reinterpret_cast<const unsigned char*>(utf8);
    while (*s != 0) {
        unsigned cp, min;
        int extra;
        if (*s < 0x80) cp = *s, extra = 0, min = 0;
        else if ((*s & 0xE0) == 0xC0) cp = *s & 0x1Fu, extra = 1, min = 0x80;
        else if ((*s & 0xF0) == 0xE0) cp = *s & 0x0Fu, extra = 2, min = 0x800;
        else if ((*s & 0xF8) == 0xF0) cp = *s & 0x07u, extra = 3, min = 0x10000;
        else {  // a stray continuation byte or an invalid lead byte
            ++s;
            continue;
        }
        ++s;
        bool ok = true;
        for (int i = 0; i < extra; ++i, ++s) {
            if ((*s & 0xC0) != 0x80) {  // cut short: the byte starts something new
                ok = false;
                break;
            }
            cp = (cp << 6) | (*s & 0x3Fu);
        }
        const bool printable = (cp >= 0x20 && cp < 0x7F) || (cp >= 0xA0 && cp <= 0xFF);
        if (ok && cp >= min && printable) codes.push_back(int(cp));
    }
    return codes;
}

std::unique_ptr<Backend> MakeHostBackend() { return std::make_unique<SdlBackend>(); }

}  // namespace display
