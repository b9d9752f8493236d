// The window server: the one public screen, windows with their frames and rasters, the
// composed screen, and host input turned into messages on the windows' ports.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "gfx_private.h"
#include "layer.h"
#include "windowserver.h"

namespace {

struct WindowRec {
    Window win{};
    RastPort rp{};
    Layer layer;
    std::string title;
    bool hasTitle = false;
    bool rmbTrap = false;
    bool borderless = false;

    WindowRec() = default;
    WindowRec(const WindowRec&) = delete;
    WindowRec& operator=(const WindowRec&) = delete;
    // Only a window still open when the process ends gets here with its port.
    ~WindowRec() { delete win.UserPort; }
};

// What the left button is holding down.
enum class Hold { None, Close, Depth, Drag, Gadget, Window };

struct State {
    server::DisplayKind kind = server::DisplayKind::Unchosen;
    host::ScreenConfig config;
    bool ready = false;
    std::unique_ptr<display::Backend> backend;
    bool hostTitled = false;  // the host window has its first window's title

    Screen screen{};
    TextAttr font{};
    BitMap bitmap{};
    std::vector<std::vector<uint8_t>> planes;
    Layer bar;  // what lies behind the windows: the background and the screen's title bar
    int locks = 0;

    std::vector<std::unique_ptr<WindowRec>> windows;  // front to back
    std::vector<Window*> activations;                 // most recently activated last
    Window* active = nullptr;

    std::vector<uint8_t> composed;
    uint64_t composedGeneration = 0;
    bool changed = true;
    uint64_t composeSerial = 0;
    uint64_t presentedSerial = ~0ull;
    uint8_t presentedPalette[256][3] = {};

    std::deque<display::Event> queue;
    int mouseX = 0, mouseY = 0;
    unsigned qualifier = 0;
    Hold hold = Hold::None;
    Window* holdWindow = nullptr;
    bool holdOver = false;  // the pointer is over the held system gadget
    int dragFromX = 0, dragFromY = 0, dragLeft = 0, dragTop = 0;
    bool rightHeld = false;
    bool rightToMenus = false;
    Window* rightWindow = nullptr;
    MsgPort* waitingPort = nullptr;
};

State& S() {
    static State state;
    return state;
}

WindowRec* Rec(const Window* w) {
    if (!w) return nullptr;
    for (auto& r : S().windows)
        if (&r->win == w) return r.get();
    return nullptr;
}

size_t IndexOf(const Window* w) {
    auto& ws = S().windows;
    for (size_t i = 0; i < ws.size(); ++i)
        if (&ws[i]->win == w) return i;
    return ws.size();
}

// Screen::FirstWindow and Window::NextWindow follow the stacking order.
void Relink() {
    auto& s = S();
    Window* next = nullptr;
    for (auto it = s.windows.rbegin(); it != s.windows.rend(); ++it) {
        (*it)->win.NextWindow = next;
        next = &(*it)->win;
    }
    s.screen.FirstWindow = next;
}

int TitleBarHeight() {
    const auto& s = S();
    return s.screen.WBorTop + (s.screen.Font ? s.screen.Font->ta_YSize : 8) + 1;
}

RastPort PortFor(Layer& layer) {
    RastPort rp{};
    InitRastPort(&rp);
    rp.Layer = &layer;
    if (!rp.Font) SetFont(&rp, platform::SystemFont());
    SetDrMd(&rp, JAM1);
    return rp;
}

void Fill(RastPort& rp, int pen, int x0, int y0, int x1, int y1) {
    if (x1 < x0 || y1 < y0) return;
    SetAPen(&rp, pen);
    RectFill(&rp, x0, y0, x1, y1);
}

void Line(RastPort& rp, int pen, int x0, int y0, int x1, int y1) {
    SetAPen(&rp, pen);
    Move(&rp, x0, y0);
    Draw(&rp, x1, y1);
}

void Outline(RastPort& rp, int pen, int x0, int y0, int x1, int y1) {
    SetAPen(&rp, pen);
    Move(&rp, x0, y0);
    Draw(&rp, x1, y0);
    Draw(&rp, x1, y1);
    Draw(&rp, x0, y1);
    Draw(&rp, x0, y0);
}

// Top of an 8-row glyph centred in a band of `height` rows starting at `top`, as a baseline.
int Baseline(const RastPort& rp, int top, int height) {
    int glyph = rp.Font ? rp.Font->tf_YSize : 8;
    int base = rp.Font ? rp.Font->tf_Baseline : 6;
    return top + std::max(0, (height - glyph) / 2) + base;
}

void DrawScreenBar() {
    auto& s = S();
    Layer& bar = s.bar;
    RastPort rp = PortFor(bar);
    int w = bar.width, h = bar.height;
    int bh = s.screen.BarHeight;  // rows 0..BarHeight - 1, a line below
    Fill(rp, 0, 0, 0, w - 1, h - 1);
    Fill(rp, 2, 0, 0, w - 1, bh - 1);
    Line(rp, 1, 0, bh, w - 1, bh);
    SetAPen(&rp, 1);
    Move(&rp, 4, Baseline(rp, 0, bh));
    Text(&rp, s.screen.Title, std::strlen(s.screen.Title));
    bar.texts.clear();
}

void DrawFrame(WindowRec& r) {
    if (r.borderless) return;
    auto& s = S();
    Window& w = r.win;
    Layer& layer = r.layer;
    // The frame is the server's: program texts keep their records.
    auto texts = layer.texts;
    RastPort rp = PortFor(layer);
    int W = layer.width, H = layer.height;
    int T = w.BorderTop, L = w.BorderLeft, R = w.BorderRight, B = w.BorderBottom;
    bool active = (w.Flags & WFLG_WINDOWACTIVE) != 0;

    Fill(rp, active ? 3 : 0, 0, 0, W - 1, T - 1);
    Fill(rp, 0, 0, T, L - 1, H - 1);
    Fill(rp, 0, W - R, T, W - 1, H - 1);
    Fill(rp, 0, 0, H - B, W - 1, H - 1);
    // Raised outer edge, recessed edge around the contents.
    Line(rp, 2, 0, H - 1, 0, 0);
    Draw(&rp, W - 1, 0);
    Line(rp, 1, W - 1, 1, W - 1, H - 1);
    Draw(&rp, 1, H - 1);
    if (L > 0 && R > 0 && B > 0 && T > 0) {
        Line(rp, 1, L - 1, H - B, L - 1, T - 1);
        Draw(&rp, W - R, T - 1);
        Line(rp, 2, W - R, T, W - R, H - B);
        Draw(&rp, L, H - B);
    }

    int gw = server::SystemGadgetWidth(&w);
    int cy = T / 2;
    int textLeft = 4, textRight = W - 4;
    if (w.Flags & WFLG_CLOSEGADGET) {
        bool pressed = s.hold == Hold::Close && s.holdWindow == &w && s.holdOver;
        if (pressed) Fill(rp, 1, 1, 1, gw - 2, T - 2);
        Line(rp, pressed ? 2 : 1, gw - 1, 1, gw - 1, T - 2);
        int cx = gw / 2;
        if (T >= 8) {
            Fill(rp, 1, cx - 3, cy - 2, cx + 2, cy + 2);
            Fill(rp, 2, cx - 2, cy - 1, cx + 1, cy + 1);
        }
        textLeft = gw + 4;
    }
    if (w.Flags & WFLG_DEPTHGADGET) {
        bool pressed = s.hold == Hold::Depth && s.holdWindow == &w && s.holdOver;
        int x0 = W - gw;
        if (pressed) Fill(rp, 1, x0 + 1, 1, W - 2, T - 2);
        Line(rp, pressed ? 1 : 2, x0, 1, x0, T - 2);
        Line(rp, 1, x0 - 1, 1, x0 - 1, T - 2);
        int cx = x0 + gw / 2;
        if (T >= 10) {
            Outline(rp, 1, cx - 5, cy - 3, cx + 1, cy + 1);
            Fill(rp, 2, cx - 2, cy - 1, cx + 4, cy + 3);
            Outline(rp, 1, cx - 2, cy - 1, cx + 4, cy + 3);
        }
        textRight = x0 - 4;
    }
    if (r.hasTitle && !r.title.empty()) {
        int charWidth = std::max<int>(1, TextLength(&rp, "M", 1));
        int fit = std::max(0, (textRight - textLeft) / charWidth);
        int count = std::min<int>(fit, static_cast<int>(r.title.size()));
        if (count > 0) {
            SetAPen(&rp, 1);
            Move(&rp, textLeft, Baseline(rp, s.screen.WBorTop, T - s.screen.WBorTop - 1));
            Text(&rp, r.title.c_str(), count);
        }
    }
    layer.texts = std::move(texts);
    s.changed = true;
}

void SetActive(Window* w) {
    auto& s = S();
    if (s.active == w) return;
    Window* old = s.active;
    s.active = w;
    if (WindowRec* r = Rec(old)) {
        old->Flags &= ~WFLG_WINDOWACTIVE;
        DrawFrame(*r);
        server::Post(old, IDCMP_INACTIVEWINDOW, 0);
    }
    if (WindowRec* r = Rec(w)) {
        w->Flags |= WFLG_WINDOWACTIVE;
        std::erase(s.activations, w);
        s.activations.push_back(w);
        DrawFrame(*r);
        server::Post(w, IDCMP_ACTIVEWINDOW, 0);
    }
    s.changed = true;
}

WindowRec* WindowAt(int x, int y) {
    for (auto& r : S().windows) {
        const Window& w = r->win;
        if (x >= w.LeftEdge && x < w.LeftEdge + w.Width && y >= w.TopEdge && y < w.TopEdge + w.Height)
            return r.get();
    }
    return nullptr;
}

enum class Part { Inside, Close, Depth, Drag };

Part PartAt(const WindowRec& r, int fx, int fy) {
    const Window& w = r.win;
    if (r.borderless || fy < 0 || fy >= w.BorderTop) return Part::Inside;
    int gw = server::SystemGadgetWidth(&w);
    if ((w.Flags & WFLG_CLOSEGADGET) && fx < gw) return Part::Close;
    if ((w.Flags & WFLG_DEPTHGADGET) && fx >= w.Width - gw) return Part::Depth;
    if (w.Flags & WFLG_DRAGBAR) return Part::Drag;
    return Part::Inside;
}

void ClampPosition(Window& w, int& left, int& top) {
    const auto& sc = S().screen;
    left = std::max(0, std::min(left, sc.Width - w.Width));
    top = std::max(0, std::min(top, sc.Height - w.Height));
}

void ToFront(Window* w) {
    auto& ws = S().windows;
    size_t i = IndexOf(w);
    if (i == 0 || i >= ws.size()) return;
    std::rotate(ws.begin(), ws.begin() + i, ws.begin() + i + 1);
    Relink();
    S().changed = true;
}

void ToBack(Window* w) {
    auto& ws = S().windows;
    size_t i = IndexOf(w);
    if (i + 1 >= ws.size()) return;
    std::rotate(ws.begin() + i, ws.begin() + i + 1, ws.end());
    Relink();
    S().changed = true;
}

void TrackPointer(int x, int y) {
    auto& s = S();
    s.mouseX = x;
    s.mouseY = y;
    for (auto& r : s.windows) {
        r->win.MouseX = static_cast<WORD>(x - r->win.LeftEdge);
        r->win.MouseY = static_cast<WORD>(y - r->win.TopEdge);
    }
}

void LeftDown(int x, int y) {
    auto& s = S();
    WindowRec* r = WindowAt(x, y);
    if (!r) return;  // the bare screen: nothing to activate or tell
    Window* w = &r->win;
    SetActive(w);
    int fx = x - w->LeftEdge, fy = y - w->TopEdge;
    s.holdWindow = w;
    switch (PartAt(*r, fx, fy)) {
    case Part::Close:
        s.hold = Hold::Close;
        s.holdOver = true;
        DrawFrame(*r);
        return;
    case Part::Depth:
        s.hold = Hold::Depth;
        s.holdOver = true;
        DrawFrame(*r);
        return;
    case Part::Drag:
        s.hold = Hold::Drag;
        s.dragFromX = x;
        s.dragFromY = y;
        s.dragLeft = w->LeftEdge;
        s.dragTop = w->TopEdge;
        return;
    case Part::Inside:
        break;
    }
    if (gadgets::MouseDown(w, fx, fy)) {
        s.hold = Hold::Gadget;
        return;
    }
    s.hold = Hold::Window;
    server::PostAt(w, IDCMP_MOUSEBUTTONS, SELECTDOWN, s.qualifier, nullptr, fx, fy);
}

void LeftMove(int x, int y) {
    auto& s = S();
    WindowRec* r = Rec(s.holdWindow);
    if (!r) return;
    Window& w = r->win;
    int fx = x - w.LeftEdge, fy = y - w.TopEdge;
    switch (s.hold) {
    case Hold::Drag: {
        int left = s.dragLeft + (x - s.dragFromX), top = s.dragTop + (y - s.dragFromY);
        ClampPosition(w, left, top);
        if (left != w.LeftEdge || top != w.TopEdge) {
            w.LeftEdge = static_cast<WORD>(left);
            w.TopEdge = static_cast<WORD>(top);
            TrackPointer(x, y);
            s.changed = true;
        }
        break;
    }
    case Hold::Close:
    case Hold::Depth: {
        bool over = PartAt(*r, fx, fy) == (s.hold == Hold::Close ? Part::Close : Part::Depth) && fx >= 0 &&
                    fx < w.Width;
        if (over != s.holdOver) {
            s.holdOver = over;
            DrawFrame(*r);
        }
        break;
    }
    case Hold::Gadget:
        gadgets::MouseMove(&w, fx, fy);
        break;
    default:
        break;
    }
}

void LeftUp(int x, int y) {
    auto& s = S();
    Hold hold = s.hold;
    Window* w = s.holdWindow;
    s.hold = Hold::None;
    s.holdWindow = nullptr;
    WindowRec* r = Rec(w);
    if (!r) return;
    int fx = x - w->LeftEdge, fy = y - w->TopEdge;
    bool inside = fx >= 0 && fy >= 0 && fx < w->Width && fy < w->Height;
    switch (hold) {
    case Hold::Close:
        DrawFrame(*r);
        if (inside && PartAt(*r, fx, fy) == Part::Close) server::PostAt(w, IDCMP_CLOSEWINDOW, 0, s.qualifier, nullptr, fx, fy);
        break;
    case Hold::Depth:
        DrawFrame(*r);
        if (inside && PartAt(*r, fx, fy) == Part::Depth) {
            if (IndexOf(w) == 0) ToBack(w);
            else ToFront(w);
        }
        break;
    case Hold::Gadget:
        gadgets::MouseUp(w, fx, fy);
        break;
    case Hold::Window:  // pressed on no gadget, so the release is the window's
        server::PostAt(w, IDCMP_MOUSEBUTTONS, SELECTUP, s.qualifier, nullptr, fx, fy);
        break;
    default:
        break;
    }
}

void RightDown(int x, int y) {
    auto& s = S();
    s.rightHeld = true;
    s.rightWindow = s.active;
    WindowRec* r = Rec(s.active);
    s.rightToMenus = !(r && r->rmbTrap) && menus::RightDown(x, y);
    if (!s.rightToMenus && r)
        server::PostAt(s.active, IDCMP_MOUSEBUTTONS, MENUDOWN, s.qualifier, nullptr, x - r->win.LeftEdge,
                       y - r->win.TopEdge);
}

void RightUp(int x, int y) {
    auto& s = S();
    if (!s.rightHeld) return;
    s.rightHeld = false;
    if (s.rightToMenus) {
        s.rightToMenus = false;
        menus::RightUp(x, y);
        return;
    }
    if (WindowRec* r = Rec(s.rightWindow))
        server::PostAt(&r->win, IDCMP_MOUSEBUTTONS, MENUUP, s.qualifier, nullptr, x - r->win.LeftEdge,
                       y - r->win.TopEdge);
    s.rightWindow = nullptr;
}

void HandleEvent(const display::Event& e) {
    auto& s = S();
    switch (e.type) {
    case display::Event::MouseMove:
        s.qualifier = e.qualifier;
        TrackPointer(e.x, e.y);
        LeftMove(e.x, e.y);
        // While the menus are up the pointer is theirs; the window hears nothing of it.
        if (s.rightToMenus) menus::Move(e.x, e.y);
        // Nor while it drags a window or holds a frame gadget.
        else if (Window* a = s.active; a && (s.hold == Hold::None || s.hold == Hold::Gadget || s.hold == Hold::Window))
            server::Post(a, IDCMP_MOUSEMOVE, 0, s.qualifier);
        break;
    case display::Event::ButtonDown:
        s.qualifier = e.qualifier;
        TrackPointer(e.x, e.y);
        if (e.button == 1) LeftDown(e.x, e.y);
        else if (e.button == 3) RightDown(e.x, e.y);
        break;
    case display::Event::ButtonUp:
        s.qualifier = e.qualifier;
        TrackPointer(e.x, e.y);
        if (e.button == 1) LeftUp(e.x, e.y);
        else if (e.button == 3) RightUp(e.x, e.y);
        break;
    case display::Event::Key: {
        Window* a = s.active;
        if (!a) break;
        bool alt = (e.qualifier & (IEQUALIFIER_LALT | IEQUALIFIER_RALT | IEQUALIFIER_RCOMMAND)) != 0;
        if (alt && menus::CommandKey(a, e.code)) break;
        if (!alt && gadgets::Key(a, e.code, e.qualifier)) break;
        server::Post(a, IDCMP_VANILLAKEY, static_cast<UWORD>(e.code & 0xFF), static_cast<UWORD>(e.qualifier));
        break;
    }
    case display::Event::RawKey: {
        Window* a = s.active;
        if (!a) break;
        if (gadgets::RawKey(a, e.code)) break;
        server::Post(a, IDCMP_RAWKEY, static_cast<UWORD>(e.code), static_cast<UWORD>(e.qualifier));
        break;
    }
    case display::Event::CloseRequest:
        for (auto& r : s.windows) {
            if (r->win.Flags & WFLG_CLOSEGADGET) {
                server::Post(&r->win, IDCMP_CLOSEWINDOW, 0);
                break;
            }
        }
        break;
    case display::Event::None:
        break;
    }
}

bool SetUp() {
    auto& s = S();
    const host::ScreenConfig& c = s.config;
    if (!c.display) return false;
    std::unique_ptr<display::Backend> backend =
        s.kind == server::DisplayKind::Virtual ? display::MakeVirtualBackend() : display::MakeHostBackend();
    std::string why;
    int width = std::clamp(c.width, 16, 4096), height = std::clamp(c.height, 16, 4096);
    if (!backend || !backend->Open(width, height, why)) {
        std::fprintf(stderr, "No display: %s\n", why.empty() ? "the display backend failed" : why.c_str());
        return false;
    }
    s.backend = std::move(backend);
    s.hostTitled = false;

    int fontHeight = std::clamp(c.fontHeight, 1, 100);
    s.font = TextAttr{"topaz.font", static_cast<UWORD>(fontHeight), 0, 0};
    Screen& sc = s.screen;
    sc = Screen{};
    sc.Width = static_cast<WORD>(width);
    sc.Height = static_cast<WORD>(height);
    sc.Title = "Workbench Screen";
    sc.WBorTop = static_cast<BYTE>(std::clamp(c.wborTop, 0, 20));
    sc.WBorLeft = static_cast<BYTE>(std::clamp(c.wborLeft, 0, 20));
    sc.WBorRight = static_cast<BYTE>(std::clamp(c.wborRight, 0, 20));
    sc.WBorBottom = static_cast<BYTE>(std::clamp(c.wborBottom, 0, 20));
    sc.BarHeight = static_cast<BYTE>(sc.WBorTop + fontHeight);
    sc.Font = &s.font;
    sc.ViewPort.ColorMap = c.colorMap ? platform::NewColorMap() : nullptr;

    // Real planes: the card remapper reads the screen's depth and copies its port.
    s.bitmap = BitMap{};
    s.bitmap.BytesPerRow = static_cast<UWORD>(2 * ((width + 15) / 16));
    s.bitmap.Rows = static_cast<UWORD>(height);
    s.bitmap.Depth = 8;
    s.planes.assign(8, std::vector<uint8_t>(static_cast<size_t>(s.bitmap.BytesPerRow) * height));
    for (int p = 0; p < 8; ++p) s.bitmap.Planes[p] = s.planes[p].data();
    InitRastPort(&sc.RastPort);
    sc.RastPort.BitMap = &s.bitmap;

    s.bar.Resize(width, height, 0);
    DrawScreenBar();
    s.composed.assign(static_cast<size_t>(width) * height, 0);
    s.changed = true;
    s.presentedSerial = ~0ull;
    s.ready = true;
    return true;
}

}  // namespace

// ---- the server's plumbing ---------------------------------------------------------

namespace server {

const host::ScreenConfig& Config() { return S().config; }

Screen* TheScreen() { return S().ready ? &S().screen : nullptr; }

void PostAt(Window* window, ULONG cls, UWORD code, UWORD qualifier, APTR iaddress, int mouseX, int mouseY) {
    if (!window || !Rec(window) || !window->UserPort || !(window->IDCMPFlags & cls)) return;
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    auto micros = duration_cast<microseconds>(steady_clock::now() - start).count();
    IntuiMessage* m = NewMessage();
    m->Class = cls;
    m->Code = code;
    m->Qualifier = qualifier;
    m->IAddress = iaddress;
    m->MouseX = static_cast<WORD>(mouseX);
    m->MouseY = static_cast<WORD>(mouseY);
    m->Seconds = static_cast<ULONG>(micros / 1000000);
    m->Micros = static_cast<ULONG>(micros % 1000000);
    m->IDCMPWindow = window;
    PutMsg(window->UserPort, &m->ExecMessage);
}

void Post(Window* window, ULONG cls, UWORD code, UWORD qualifier, APTR iaddress) {
    if (!window) return;
    PostAt(window, cls, code, qualifier, iaddress, window->MouseX, window->MouseY);
}

void Changed() { S().changed = true; }

Window* ActiveWindow() { return S().active; }

Layer* LayerOf(Window* window) {
    WindowRec* r = Rec(window);
    return r ? &r->layer : nullptr;
}

void Reset(DisplayKind kind, const host::ScreenConfig& config) {
    auto& s = S();
    while (!s.windows.empty()) CloseWindow(&s.windows.front()->win);
    s.queue.clear();
    s.hold = Hold::None;
    s.holdWindow = nullptr;
    s.rightHeld = s.rightToMenus = false;
    s.rightWindow = nullptr;
    s.active = nullptr;
    s.activations.clear();
    if (s.screen.ViewPort.ColorMap) platform::DeleteColorMap(s.screen.ViewPort.ColorMap);
    s.screen = Screen{};
    s.backend.reset();
    s.ready = false;
    s.locks = 0;
    ResetMessages();
    s.kind = kind;
    s.config = config;
    s.changed = true;
    if (kind == DisplayKind::Virtual) SetUp();
}

bool EnsureDisplay() {
    auto& s = S();
    if (s.ready) return true;
    if (s.kind == DisplayKind::Unchosen) {
        const char* env = std::getenv("WB_DISPLAY");
        s.kind = env && std::strcmp(env, "virtual") == 0 ? DisplayKind::Virtual : DisplayKind::Host;
    }
    return SetUp();
}

const std::vector<uint8_t>& ComposedScreen() {
    auto& s = S();
    if (!s.ready) {
        static const std::vector<uint8_t> none;
        return none;
    }
    if (s.changed || s.composedGeneration != platform::drawGeneration) {
        const int sw = s.screen.Width, sh = s.screen.Height;
        std::copy(s.bar.pixels.begin(), s.bar.pixels.end(), s.composed.begin());
        for (auto it = s.windows.rbegin(); it != s.windows.rend(); ++it) {
            const Window& w = (*it)->win;
            const Layer& layer = (*it)->layer;
            int x0 = std::max<int>(0, w.LeftEdge), x1 = std::min<int>(sw, w.LeftEdge + layer.width);
            int y0 = std::max<int>(0, w.TopEdge), y1 = std::min<int>(sh, w.TopEdge + layer.height);
            if (x1 <= x0) continue;
            for (int y = y0; y < y1; ++y) {
                const uint8_t* src =
                    layer.pixels.data() + static_cast<size_t>(y - w.TopEdge) * layer.width + (x0 - w.LeftEdge);
                std::memcpy(s.composed.data() + static_cast<size_t>(y) * sw + x0, src, x1 - x0);
            }
        }
        menus::Draw(s.composed.data(), sw, sh);
        s.composedGeneration = platform::drawGeneration;
        s.changed = false;
        ++s.composeSerial;
    }
    return s.composed;
}

void Palette(uint8_t palette[256][3]) { platform::PaletteOf(S().screen.ViewPort.ColorMap, palette); }

bool HandleNextInput(MsgPort* port) {
    auto& s = S();
    display::Event event;
    // Input made together is handled together, as an input handler would before the
    // program looks at its port: keys typed ahead reach the window active at the time.
    if (PopQueuedEvent(event)) {
        do HandleEvent(event);
        while (PopQueuedEvent(event));
        return true;
    }
    if (!EnsureDisplay()) return false;
    const auto& pens = ComposedScreen();
    uint8_t palette[256][3];
    Palette(palette);
    if (s.composeSerial != s.presentedSerial || std::memcmp(palette, s.presentedPalette, sizeof palette) != 0) {
        s.backend->Present(pens.data(), palette);
        s.presentedSerial = s.composeSerial;
        std::memcpy(s.presentedPalette, palette, sizeof palette);
    }
    s.waitingPort = port;
    bool ok;
    try {
        ok = s.backend->WaitEvent(event);
    } catch (...) {
        s.waitingPort = nullptr;
        throw;
    }
    s.waitingPort = nullptr;
    if (!ok) return false;
    HandleEvent(event);
    // The user queues its input together: all of it is handled before the program wakes.
    while (PopQueuedEvent(event)) HandleEvent(event);
    return true;
}

Window* WaitingWindow() {
    auto& s = S();
    if (!s.waitingPort) return nullptr;
    for (auto& r : s.windows)
        if (r->win.UserPort == s.waitingPort) return &r->win;
    return nullptr;
}

bool WaitingPortHasMessage() {
    auto& s = S();
    return s.waitingPort && s.waitingPort->mp_MsgList.lh_Head;
}

void QueueEvent(const display::Event& event) { S().queue.push_back(event); }

bool PopQueuedEvent(display::Event& event) {
    auto& q = S().queue;
    if (q.empty()) return false;
    event = q.front();
    q.pop_front();
    return true;
}

size_t QueuedEvents() { return S().queue.size(); }

std::vector<Window*> OpenWindows() {
    std::vector<Window*> out;
    for (auto& r : S().windows) out.push_back(&r->win);
    return out;
}

bool IsOpen(const Window* window) { return Rec(window) != nullptr; }

std::string HostFrame() {
    display::Frame frame;
    const auto& backend = S().backend;
    return backend && backend->WhereIs(frame) ? display::FrameText(frame) : std::string();
}

int SystemGadgetWidth(const Window* window) {
    int t = window ? window->BorderTop : TitleBarHeight();
    return std::max(8, 2 * t - 4);
}

}  // namespace server

// ---- Intuition ----------------------------------------------------------------------

Screen* LockPubScreen(CONST_STRPTR name) {
    if (host::ShouldFail("LockPubScreen")) return nullptr;
    if (name && std::strcmp(name, "Workbench") != 0) return nullptr;
    if (!server::EnsureDisplay()) return nullptr;
    ++S().locks;
    return &S().screen;
}

void UnlockPubScreen(CONST_STRPTR, Screen* screen) {
    auto& s = S();
    if (screen == &s.screen && s.locks > 0) --s.locks;
}

namespace {

// Calls fn(tag, data) for each item, following TAG_MORE and TAG_SKIP.
template <typename Fn>
void ForEachTag(const TagItem* list, Fn fn) {
    while (const TagItem* item = NextTagItem(&list)) fn(item->ti_Tag, item->ti_Data);
}

}  // namespace

Window* OpenWindowTagList(const NewWindow*, const TagItem* tags) {
    if (host::ShouldFail("OpenWindowTagList")) return nullptr;
    auto& s = S();
    long left = 0, top = 0, width = -1, height = -1, innerWidth = -1, innerHeight = -1;
    const char* title = nullptr;
    ULONG baseFlags = 0, setFlags = 0, clearFlags = 0, idcmp = 0;
    Gadget* gadgets = nullptr;
    Screen* screen = nullptr;
    bool rmbTrap = false, borderless = false;
    auto flag = [&](ULONG bit, uintptr_t on) {
        if (on) setFlags |= bit, clearFlags &= ~bit;
        else clearFlags |= bit, setFlags &= ~bit;
    };
    ForEachTag(tags, [&](Tag tag, uintptr_t data) {
        long value = static_cast<long>(static_cast<LONG>(data));
        switch (tag) {
        case WA_Left: left = value; break;
        case WA_Top: top = value; break;
        case WA_Width: width = value; break;
        case WA_Height: height = value; break;
        case WA_InnerWidth: innerWidth = value; break;
        case WA_InnerHeight: innerHeight = value; break;
        case WA_Title: title = reinterpret_cast<const char*>(data); break;
        case WA_IDCMP: idcmp = static_cast<ULONG>(data); break;
        case WA_Flags: baseFlags = static_cast<ULONG>(data); break;
        case WA_Gadgets: gadgets = reinterpret_cast<Gadget*>(data); break;
        case WA_CustomScreen:
        case WA_PubScreen:
            if (data) screen = reinterpret_cast<Screen*>(data);
            break;
        case WA_DragBar: flag(WFLG_DRAGBAR, data); break;
        case WA_DepthGadget: flag(WFLG_DEPTHGADGET, data); break;
        case WA_CloseGadget: flag(WFLG_CLOSEGADGET, data); break;
        case WA_SizeGadget: break;  // windows keep their size
        case WA_Activate: flag(WFLG_ACTIVATE, data); break;
        case WA_RMBTrap: rmbTrap = data != 0; break;
        case WA_Borderless: borderless = data != 0; break;
        default: break;
        }
    });
    if (!screen) {
        if (!server::EnsureDisplay()) return nullptr;
        screen = &s.screen;
    }
    if (!s.ready || screen != &s.screen) return nullptr;  // a screen of an earlier display

    auto rec = std::make_unique<WindowRec>();
    Window& w = rec->win;
    w.Flags = ((baseFlags | setFlags) & ~clearFlags) & ~WFLG_WINDOWACTIVE & ~WFLG_SIZEGADGET;
    rec->rmbTrap = rmbTrap;
    rec->borderless = borderless;
    rec->hasTitle = title != nullptr;
    if (title) rec->title = title;

    bool bar = title || (w.Flags & (WFLG_DRAGBAR | WFLG_DEPTHGADGET | WFLG_CLOSEGADGET));
    if (!borderless) {
        w.BorderLeft = screen->WBorLeft;
        w.BorderRight = screen->WBorRight;
        w.BorderBottom = screen->WBorBottom;
        w.BorderTop = static_cast<BYTE>(bar ? TitleBarHeight() : screen->WBorTop);
    }
    const int bw = w.BorderLeft + w.BorderRight, bh = w.BorderTop + w.BorderBottom;
    if (innerWidth >= 0) width = innerWidth + bw;
    if (innerHeight >= 0) height = innerHeight + bh;
    if (width < 0) width = screen->Width - left;
    if (height < 0) height = screen->Height - top;
    int gw = server::SystemGadgetWidth(&w);
    long minWidth = std::max<long>(
        1, bw + ((w.Flags & WFLG_CLOSEGADGET) ? gw : 0) + ((w.Flags & WFLG_DEPTHGADGET) ? gw : 0));
    width = std::max(width, minWidth);
    height = std::max<long>(height, std::max(1, bh));
    // A window lies wholly on the screen: moved first, made smaller only if it must.
    left = std::max(0L, std::min(left, static_cast<long>(screen->Width) - width));
    top = std::max(0L, std::min(top, static_cast<long>(screen->Height) - height));
    width = std::min(width, static_cast<long>(screen->Width) - left);
    height = std::min(height, static_cast<long>(screen->Height) - top);

    w.LeftEdge = static_cast<WORD>(left);
    w.TopEdge = static_cast<WORD>(top);
    w.Width = static_cast<WORD>(width);
    w.Height = static_cast<WORD>(height);
    w.MouseX = static_cast<WORD>(s.mouseX - left);
    w.MouseY = static_cast<WORD>(s.mouseY - top);
    w.Title = title ? rec->title.c_str() : nullptr;
    w.WScreen = screen;
    w.IDCMPFlags = idcmp;
    w.UserPort = CreateMsgPort();
    if (!w.UserPort) return nullptr;

    rec->layer.Resize(w.Width, w.Height, 0);
    rec->layer.window = &w;
    InitRastPort(&rec->rp);
    rec->rp.Layer = &rec->layer;
    if (!rec->rp.Font) SetFont(&rec->rp, platform::SystemFont());
    w.RPort = &rec->rp;

    WindowRec* r = rec.get();
    s.windows.insert(s.windows.begin(), std::move(rec));
    Relink();
    if (title && !s.hostTitled && s.backend) {
        s.backend->SetTitle(title);
        s.hostTitled = true;
    }
    DrawFrame(*r);
    if (gadgets) {
        w.FirstGadget = gadgets;
        for (Gadget* g = gadgets; g; g = g->NextGadget) gadgets::Draw(&w, g);
    }
    if (w.Flags & WFLG_ACTIVATE) SetActive(&w);
    s.changed = true;
    return &w;
}

void CloseWindow(Window* window) {
    auto& s = S();
    size_t i = IndexOf(window);
    if (i >= s.windows.size()) return;  // not ours, or closed already
    gadgets::Forget(window);
    menus::Forget(window);
    if (s.holdWindow == window) {
        s.hold = Hold::None;
        s.holdWindow = nullptr;
    }
    if (s.rightWindow == window) s.rightWindow = nullptr;
    DeleteMsgPort(window->UserPort);  // its queued messages go with it
    window->UserPort = nullptr;
    std::erase(s.activations, window);
    bool wasActive = s.active == window;
    s.windows.erase(s.windows.begin() + static_cast<long>(i));
    Relink();
    s.changed = true;
    if (wasActive) {
        s.active = nullptr;
        if (!s.activations.empty()) SetActive(s.activations.back());
    }
}

void RefreshWindowFrame(Window* window) {
    if (WindowRec* r = Rec(window)) DrawFrame(*r);
}

void ActivateWindow(Window* window) {
    if (Rec(window)) SetActive(window);
}

void WindowToFront(Window* window) { ToFront(window); }

void MoveWindow(Window* window, LONG dx, LONG dy) {
    WindowRec* r = Rec(window);
    if (!r) return;
    int left = window->LeftEdge + dx, top = window->TopEdge + dy;
    ClampPosition(*window, left, top);
    window->LeftEdge = static_cast<WORD>(left);
    window->TopEdge = static_cast<WORD>(top);
    TrackPointer(S().mouseX, S().mouseY);
    S().changed = true;
}
