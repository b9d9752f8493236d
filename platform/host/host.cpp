// The host side of the window server: which display, the virtual display's user, looking
// at the screen, and acting on it as a person would.
#include "host/host.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>

#include "gfx_private.h"
#include "layer.h"
#include "windowserver.h"

namespace {

struct Users {
    host::User user;
    std::deque<std::function<void()>> steps;
    bool stepping = false;
};

Users& TheUsers() {
    static Users users;
    return users;
}

void Queue(display::Event::Type type, int x, int y, int button = 0, int code = 0, unsigned qualifier = 0) {
    display::Event e;
    e.type = type;
    e.x = x;
    e.y = y;
    e.button = button;
    e.code = code;
    e.qualifier = qualifier;
    server::QueueEvent(e);
}

std::string WithoutMarker(const char* text, char marker) {
    std::string out;
    if (!text) return out;
    for (const char* p = text; *p; ++p)
        if (*p != marker) out += *p;
    return out;
}

char MarkerOf(const Gadget* g) { return g->Underscore ? static_cast<char>(g->Underscore) : '_'; }

host::GadgetInfo InfoOf(Gadget* g) {
    host::GadgetInfo info{};
    info.gadget = g;
    info.id = g->GadgetID;
    info.label = WithoutMarker(g->GadgetText, MarkerOf(g));
    info.left = g->LeftEdge;
    info.top = g->TopEdge;
    info.width = g->Width;
    info.height = g->Height;
    info.isString = (g->GadgetType & GTYP_STRGADGET) != 0;
    if (info.isString && g->SpecialInfo) {
        auto* si = static_cast<StringInfo*>(g->SpecialInfo);
        if (si->Buffer) info.contents.assign(si->Buffer, strnlen(si->Buffer, std::max<int>(0, si->MaxChars) + 1));
        info.active = (g->Flags & GFLG_SELECTED) != 0;
    }
    return info;
}

// FindGadget hands out pointers; keep the last few answers alive.
const host::GadgetInfo* Keep(const host::GadgetInfo& info) {
    static std::array<host::GadgetInfo, 64> ring;
    static size_t next = 0;
    host::GadgetInfo& slot = ring[next++ % ring.size()];
    slot = info;
    return &slot;
}

std::runtime_error NoSuch(const std::string& what) { return std::runtime_error(what); }

// Whether a screen point shows this window, not one in front of it.
bool Shows(Window* w, int x, int y) {
    for (Window* o : server::OpenWindows()) {
        if (x >= o->LeftEdge && x < o->LeftEdge + o->Width && y >= o->TopEdge && y < o->TopEdge + o->Height)
            return o == w;
    }
    return false;
}

// A point of the window's title bar between `from` and `to` (frame x) that no other window
// covers, preferring the middle; the middle when all of it is covered.
int VisibleBarX(Window* w, int from, int to) {
    int y = w->TopEdge + w->BorderTop / 2, mid = (from + to) / 2;
    for (int d = 0; d <= (to - from) / 2 + 1; ++d)
        for (int x : {mid - d, mid + d})
            if (x >= from && x <= to && Shows(w, w->LeftEdge + x, y)) return x;
    return mid;
}

}  // namespace

namespace server {

bool RunUser() {
    Users& u = TheUsers();
    if (u.stepping) {
        if (u.steps.empty()) return false;
        auto step = std::move(u.steps.front());
        u.steps.pop_front();
        if (step) step();
        return true;
    }
    return u.user ? u.user() : false;
}

void ClearUser() {
    Users& u = TheUsers();
    u.user = nullptr;
    u.steps.clear();
    u.stepping = false;
}

}  // namespace server

namespace host {

// ---- the display ----------------------------------------------------------------------

void UseVirtualDisplay(const ScreenConfig& config) {
    ClearFaults();
    server::ClearUser();
    server::Reset(server::DisplayKind::Virtual, config);
}

void UseSdlDisplay() {
    ClearFaults();
    server::ClearUser();
    server::Reset(server::DisplayKind::Host, ScreenConfig{});
}

int ScreenWidth() {
    Screen* s = server::TheScreen();
    return s ? s->Width : 0;
}

int ScreenHeight() {
    Screen* s = server::TheScreen();
    return s ? s->Height : 0;
}

// ---- the user -----------------------------------------------------------------------------

void SetUser(User user) {
    server::ClearUser();
    TheUsers().user = std::move(user);
}

void SetSteps(std::vector<std::function<void()>> steps) {
    server::ClearUser();
    Users& u = TheUsers();
    u.steps.assign(std::make_move_iterator(steps.begin()), std::make_move_iterator(steps.end()));
    u.stepping = true;
}

size_t StepsLeft() { return TheUsers().steps.size(); }

// ---- looking --------------------------------------------------------------------------------

std::vector<WindowInfo> Windows() {
    std::vector<WindowInfo> out;
    for (Window* w : server::OpenWindows())
        out.push_back({w, w->Title ? w->Title : "", w->LeftEdge, w->TopEdge, w->Width, w->Height,
                       w == server::ActiveWindow()});
    return out;
}

Window* FindWindow(const std::string& title) {
    for (Window* w : server::OpenWindows())
        if (w->Title && title == w->Title) return w;
    return nullptr;
}

Window* ActiveWindow() { return server::ActiveWindow(); }

std::vector<TextInfo> Texts(Window* window) {
    std::vector<TextInfo> out;
    if (Layer* layer = server::LayerOf(window))
        for (const auto& t : layer->texts) out.push_back({t.x, t.y, t.text, t.pen});
    return out;
}

bool ShowsText(Window* window, const std::string& text) {
    std::vector<Window*> which = window ? std::vector<Window*>{window} : server::OpenWindows();
    for (Window* w : which)
        for (const auto& t : Texts(w))
            if (t.text.find(text) != std::string::npos) return true;
    return false;
}

std::vector<GadgetInfo> Gadgets(Window* window) {
    std::vector<GadgetInfo> out;
    if (!server::IsOpen(window)) return out;
    int guard = 0;
    for (Gadget* g = window->FirstGadget; g && ++guard < 10000; g = g->NextGadget)
        if (!(g->GadgetType & GTYP_CONTEXT)) out.push_back(InfoOf(g));
    return out;
}

const GadgetInfo* FindGadget(Window* window, const std::string& label) {
    std::string wanted = WithoutMarker(label.c_str(), '_');
    for (const auto& g : Gadgets(window))
        if (WithoutMarker(g.label.c_str(), '_') == wanted) return Keep(g);
    return nullptr;
}

const GadgetInfo* FindGadget(Window* window, int id) {
    for (const auto& g : Gadgets(window))
        if (g.id == id) return Keep(g);
    return nullptr;
}

int ScreenPixel(int x, int y) {
    const auto& pens = server::ComposedScreen();
    int w = ScreenWidth(), h = ScreenHeight();
    if (pens.empty() || x < 0 || y < 0 || x >= w || y >= h) return -1;
    return pens[static_cast<size_t>(y) * w + x];
}

int WindowPixel(Window* window, int x, int y) {
    Layer* layer = server::LayerOf(window);
    if (!layer || x < 0 || y < 0 || x >= layer->width || y >= layer->height) return -1;
    return layer->pixels[static_cast<size_t>(y) * layer->width + x];
}

void PenColour(int pen, unsigned char rgb[3]) {
    uint8_t palette[256][3];
    server::Palette(palette);
    int p = std::clamp(pen, 0, 255);
    std::memcpy(rgb, palette[p], 3);
}

bool SavePNG(const std::string& path) {
    const auto& pens = server::ComposedScreen();
    if (pens.empty()) return false;
    uint8_t palette[256][3];
    server::Palette(palette);
    return platform::WritePNG(path, pens.data(), ScreenWidth(), ScreenHeight(), palette);
}

std::string MenuBarText() {
    Screen* screen = server::TheScreen();
    if (!screen) return "";
    Window* a = server::ActiveWindow();
    if (menus::Showing() && a && a->MenuStrip) {
        std::string out;
        for (Menu* m = a->MenuStrip; m; m = m->NextMenu) {
            if (!out.empty()) out += "  ";
            out += m->MenuName ? m->MenuName : "";
        }
        return out;
    }
    return screen->Title ? screen->Title : "";
}

// ---- acting -------------------------------------------------------------------------------

void MoveMouse(int x, int y) { Queue(display::Event::MouseMove, x, y); }
void Press(int x, int y) { Queue(display::Event::ButtonDown, x, y, 1); }
void Release(int x, int y) { Queue(display::Event::ButtonUp, x, y, 1); }
void Click(int x, int y) {
    Press(x, y);
    Release(x, y);
}
void RightPress(int x, int y) { Queue(display::Event::ButtonDown, x, y, 3); }
void RightRelease(int x, int y) { Queue(display::Event::ButtonUp, x, y, 3); }
void Key(int code, unsigned qualifier) { Queue(display::Event::Key, 0, 0, 0, code & 0xFF, qualifier); }
void RawKey(int rawCode) { Queue(display::Event::RawKey, 0, 0, 0, rawCode); }
void Type(const std::string& latin1) {
    for (unsigned char c : latin1) Key(c);
}
void CloseRequest() { Queue(display::Event::CloseRequest, 0, 0); }

void ClickGadget(Window* window, const std::string& label) {
    const GadgetInfo* g = FindGadget(window, label);
    if (!g) throw NoSuch("ClickGadget: no gadget \"" + label + "\" in that window");
    Click(window->LeftEdge + g->left + g->width / 2, window->TopEdge + g->top + g->height / 2);
}

void ClickGadget(Window* window, int id) {
    const GadgetInfo* g = FindGadget(window, id);
    if (!g) throw NoSuch("ClickGadget: no gadget " + std::to_string(id) + " in that window");
    Click(window->LeftEdge + g->left + g->width / 2, window->TopEdge + g->top + g->height / 2);
}

void ClickClose(Window* window) {
    if (!server::IsOpen(window) || !(window->Flags & WFLG_CLOSEGADGET))
        throw NoSuch("ClickClose: the window is not open or has no close gadget");
    int gw = server::SystemGadgetWidth(window);
    Click(window->LeftEdge + VisibleBarX(window, 1, gw - 2), window->TopEdge + window->BorderTop / 2);
}

void DragWindow(Window* window, int dx, int dy) {
    if (!server::IsOpen(window)) throw NoSuch("DragWindow: the window is not open");
    int gw = server::SystemGadgetWidth(window);
    int x = window->LeftEdge + VisibleBarX(window, gw + 1, window->Width - gw - 2);
    int y = window->TopEdge + window->BorderTop / 2;
    Press(x, y);
    MoveMouse(x + dx, y + dy);
    Release(x + dx, y + dy);
}

void PickMenu(Window* window, int menu, int item) {
    if (!server::IsOpen(window)) throw NoSuch("PickMenu: the window is not open");
    Menu* m = window->MenuStrip;
    for (int i = 0; m && i < menu; ++i) m = m->NextMenu;
    if (!m) throw NoSuch("PickMenu: no menu " + std::to_string(menu));
    MenuItem* it = m->FirstItem;
    for (int i = 0; it && i < item; ++i) it = it->NextItem;
    if (!it) throw NoSuch("PickMenu: no item " + std::to_string(item) + " in menu " + std::to_string(menu));
    // Menus show the active window's strip: click its title bar first, as a person would.
    if (server::ActiveWindow() != window) {
        int gw = server::SystemGadgetWidth(window);
        Click(window->LeftEdge + VisibleBarX(window, gw + 1, window->Width - gw - 2),
              window->TopEdge + window->BorderTop / 2);
    }
    int bar = window->WScreen ? window->WScreen->BarHeight + 1 : 11;
    int titleX = m->LeftEdge + m->Width / 2, titleY = m->TopEdge + std::max<int>(1, m->Height / 2);
    int itemX = m->LeftEdge + it->LeftEdge + it->Width / 2, itemY = bar + it->TopEdge + it->Height / 2;
    RightPress(titleX, titleY);
    MoveMouse(itemX, itemY);
    RightRelease(itemX, itemY);
}

void MenuKey(char key) { Key(static_cast<unsigned char>(key), IEQUALIFIER_LALT); }

// ---- counters --------------------------------------------------------------------------------

int DoubleReplies() { return server::DoubleReplyCount(); }

int OpenWindowCount() { return static_cast<int>(server::OpenWindows().size()); }

int PensInUse() {
    Screen* s = server::TheScreen();
    return s ? platform::PensInUse(s->ViewPort.ColorMap) : 0;
}

}  // namespace host
