// GadTools gadgets: push buttons and one-line text fields, their lists, and the server's
// handling of them (the pressed look, text editing). Menus live in menus.cpp.
#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "gadtools.h"
#include "gadtools_private.h"
#include "gfx_private.h"
#include "server.h"

namespace {

// Pens shared by every screen from the start.
constexpr int kBackPen = 0;
constexpr int kShadowPen = 1;
constexpr int kShinePen = 2;
constexpr int kFillPen = 3;
constexpr int kTextPen = 1;

// Inner margin of a text field between its frame and its text.
constexpr int kFieldPad = 4;
// Gap between a label placed outside its gadget and the gadget.
constexpr int kLabelGap = 4;

struct VisualInfo {
    Screen* screen;
};

// What CreateContext/CreateGadget make; the Gadget is handed out, the rest stays here.
struct GadgetData {
    Gadget gadget{};
    ULONG kind = GENERIC_KIND;
    const Gadget* head = nullptr;  // the context gadget of the list it was made in
    std::string label;
    StringInfo info{};
    std::vector<char> buffer;
    Window* window = nullptr;  // attached to, by AddGList
};

std::unordered_map<const Gadget*, std::unique_ptr<GadgetData>>& Registry() {
    static std::unordered_map<const Gadget*, std::unique_ptr<GadgetData>> registry;
    return registry;
}

GadgetData* DataOf(const Gadget* g) {
    auto it = Registry().find(g);
    return it == Registry().end() ? nullptr : it->second.get();
}

// The button held down by the left mouse button, and the text field being edited.
struct Press {
    Window* window = nullptr;
    Gadget* gadget = nullptr;
    bool over = false;
};
Press press;

struct Editing {
    Window* window = nullptr;
    Gadget* gadget = nullptr;
};
Editing editing;

bool IsString(const Gadget* g) {
    return (g->GadgetType & GTYP_STRGADGET) && g->SpecialInfo != nullptr;
}
bool IsButton(const Gadget* g) {
    return (g->GadgetType & GTYP_BOOLGADGET) != 0;
}

bool InList(const Window* window, const Gadget* gadget) {
    if (!window) return false;
    for (const Gadget* g = window->FirstGadget; g; g = g->NextGadget)
        if (g == gadget) return true;
    return false;
}

bool Inside(const Gadget* g, int x, int y) {
    return x >= g->LeftEdge && x < g->LeftEdge + g->Width && y >= g->TopEdge && y < g->TopEdge + g->Height;
}

// A text field's contents as they stand: a program may have written the buffer itself.
void SyncField(Gadget* g) {
    auto* si = static_cast<StringInfo*>(g->SpecialInfo);
    if (!si->Buffer || si->MaxChars < 0) return;
    si->Buffer[si->MaxChars] = '\0';
    si->NumChars = static_cast<WORD>(std::strlen(si->Buffer));
    si->BufferPos = std::clamp<WORD>(si->BufferPos, 0, si->NumChars);
    si->DispPos = std::clamp<WORD>(si->DispPos, 0, si->NumChars);
}

int FontWidth() {
    TextFont* f = platform::SystemFont();
    return f && f->tf_XSize ? f->tf_XSize : 8;
}
int FontHeight() {
    TextFont* f = platform::SystemFont();
    return f && f->tf_YSize ? f->tf_YSize : 8;
}
int FontBaseline() {
    TextFont* f = platform::SystemFont();
    return f ? f->tf_Baseline : 6;
}

int VisibleChars(const Gadget* g) {
    return std::max(1, (g->Width - 2 * kFieldPad) / FontWidth());
}

// Keep the cursor inside the shown part of a narrow field.
void ScrollToCursor(Gadget* g) {
    auto* si = static_cast<StringInfo*>(g->SpecialInfo);
    int visible = VisibleChars(g);
    if (si->BufferPos < si->DispPos) si->DispPos = si->BufferPos;
    if (si->BufferPos >= si->DispPos + visible) si->DispPos = static_cast<WORD>(si->BufferPos - visible + 1);
    // No empty cells left of the text's end when it shrank.
    int maxStart = std::max(0, si->NumChars + 1 - visible);
    if (si->DispPos > maxStart) si->DispPos = static_cast<WORD>(maxStart);
}

// The label as shown, and the index of its underlined letter (-1 for none).
std::string ShownLabel(const Gadget* g, int& underline) {
    underline = -1;
    std::string shown;
    if (!g->GadgetText) return shown;
    for (const char* p = g->GadgetText; *p; ++p) {
        if (g->Underscore && *p == static_cast<char>(g->Underscore) && p[1] && underline < 0) {
            underline = static_cast<int>(shown.size());
            continue;
        }
        shown += *p;
    }
    return shown;
}

// Drawing into a window's port must not disturb what the program set up in it.
class PortState {
public:
    explicit PortState(RastPort* rp) : rp_(rp), saved_(*rp) { SetFont(rp, platform::SystemFont()); }
    ~PortState() { *rp_ = saved_; }
    PortState(const PortState&) = delete;
    PortState& operator=(const PortState&) = delete;

private:
    RastPort* rp_;
    RastPort saved_;
};

void Bevel(RastPort* rp, int l, int t, int r, int b, int topLeft, int bottomRight, int thickness) {
    for (int i = 0; i < thickness; ++i) {
        SetAPen(rp, bottomRight);
        RectFill(rp, l + i, b - i, r - i, b - i);
        RectFill(rp, r - i, t + i, r - i, b - i);
        SetAPen(rp, topLeft);
        RectFill(rp, l + i, t + i, r - i - 1, t + i);
        RectFill(rp, l + i, t + i, l + i, b - i - 1);
    }
}

void DrawLabelText(RastPort* rp, const std::string& text, int underline, int x, int baseline, int pen) {
    SetAPen(rp, pen);
    SetDrMd(rp, JAM1);
    // The underline first: drawing it after the text would count as drawing over it.
    if (underline >= 0 && underline < static_cast<int>(text.size())) {
        int ux = x + TextLength(rp, text.c_str(), static_cast<ULONG>(underline));
        int uw = TextLength(rp, text.c_str() + underline, 1);
        RectFill(rp, ux, baseline + 1, ux + uw - 1, baseline + 1);
    }
    Move(rp, x, baseline);
    Text(rp, text.c_str(), static_cast<ULONG>(text.size()));
}

// The label of a gadget, where its TextPlace puts it.
void DrawLabel(RastPort* rp, const Gadget* g) {
    int underline = -1;
    std::string text = ShownLabel(g, underline);
    if (text.empty()) return;
    int w = TextLength(rp, text.c_str(), static_cast<ULONG>(text.size()));
    int h = FontHeight();
    int centredX = g->LeftEdge + (g->Width - w) / 2;
    int centredBase = g->TopEdge + (g->Height - h) / 2 + FontBaseline();
    int x = centredX, base = centredBase;
    ULONG place = g->TextPlace;
    if (place & PLACETEXT_IN) {
    } else if (place & PLACETEXT_RIGHT) {
        x = g->LeftEdge + g->Width + kLabelGap;
    } else if (place & PLACETEXT_ABOVE) {
        base = g->TopEdge - kLabelGap - h + FontBaseline();
    } else if (place & PLACETEXT_BELOW) {
        base = g->TopEdge + g->Height + kLabelGap + FontBaseline();
    } else {
        x = g->LeftEdge - kLabelGap - w;
    }
    // Highlighted labels stay in the text pen: the only pen readable on both the grey
    // panels and the program's own backgrounds.
    DrawLabelText(rp, text, underline, x, base, kTextPen);
}

void DrawButton(RastPort* rp, const Gadget* g) {
    int l = g->LeftEdge, t = g->TopEdge, r = l + g->Width - 1, b = t + g->Height - 1;
    if (g->Width <= 0 || g->Height <= 0) return;
    bool down = (g->Flags & GFLG_SELECTED) != 0;
    SetAPen(rp, down ? kFillPen : kBackPen);
    RectFill(rp, l, t, r, b);
    if (down)
        Bevel(rp, l, t, r, b, kShadowPen, kShinePen, 2);
    else
        Bevel(rp, l, t, r, b, kShinePen, kShadowPen, 2);
    DrawLabel(rp, g);
    if (g->Flags & GFLG_DISABLED) {
        // Ghosted: a dot pattern over the face.
        SetAPen(rp, kShadowPen);
        for (int y = t + 2; y <= b - 2; y += 2)
            for (int x = l + 2 + (y & 2); x <= r - 2; x += 4) WritePixel(rp, x, y);
    }
}

void DrawField(RastPort* rp, Gadget* g) {
    int l = g->LeftEdge, t = g->TopEdge, r = l + g->Width - 1, b = t + g->Height - 1;
    if (g->Width <= 0 || g->Height <= 0) return;
    SyncField(g);
    auto* si = static_cast<StringInfo*>(g->SpecialInfo);
    bool active = editing.gadget == g;
    if (active) ScrollToCursor(g);
    SetAPen(rp, kBackPen);
    RectFill(rp, l, t, r, b);
    Bevel(rp, l, t, r, b, kShadowPen, kShinePen, 1);
    Bevel(rp, l + 1, t + 1, r - 1, b - 1, kShinePen, kShadowPen, 1);
    int cw = FontWidth();
    int visible = VisibleChars(g);
    int tx = l + kFieldPad;
    int top = t + (g->Height - FontHeight()) / 2;
    int base = top + FontBaseline();
    if (active) {
        int cx = tx + (si->BufferPos - si->DispPos) * cw;
        SetAPen(rp, kFillPen);
        RectFill(rp, cx, top, std::min(cx + cw - 1, r - 2), top + FontHeight() - 1);
    }
    int count = std::clamp(si->NumChars - si->DispPos, 0, visible);
    if (count > 0 && si->Buffer) {
        SetAPen(rp, kTextPen);
        SetDrMd(rp, JAM1);
        Move(rp, tx, base);
        Text(rp, si->Buffer + si->DispPos, static_cast<ULONG>(count));
    }
    DrawLabel(rp, g);
}

bool WindowOpen(const Window* w) {
    Screen* s = server::TheScreen();
    if (!w || !s) return false;
    for (const Window* x = s->FirstWindow; x; x = x->NextWindow)
        if (x == w) return true;
    return false;
}

void Redraw(Window* w, Gadget* g) {
    if (WindowOpen(w) && InList(w, g)) gadgets::Draw(w, g);
}

// An active text field carries GFLG_SELECTED, as a held button does.
void EndEditing() {
    Editing was = editing;
    editing = {};
    if (!was.gadget) return;
    was.gadget->Flags &= ~GFLG_SELECTED;
    Redraw(was.window, was.gadget);
}

void StartEditing(Window* w, Gadget* g, int cursor) {
    if (editing.gadget && editing.gadget != g) EndEditing();
    editing = {w, g};
    g->Flags |= GFLG_SELECTED;
    SyncField(g);
    auto* si = static_cast<StringInfo*>(g->SpecialInfo);
    si->BufferPos = static_cast<WORD>(std::clamp<int>(cursor, 0, si->NumChars));
    ScrollToCursor(g);
    gadgets::Draw(w, g);
}

// Is the edited field still on an open window?
bool EditingValid() {
    if (!editing.gadget) return false;
    if (!WindowOpen(editing.window) || !InList(editing.window, editing.gadget)) {
        editing.gadget->Flags &= ~GFLG_SELECTED;
        editing = {};
        return false;
    }
    return true;
}

bool Printable(int code) {
    return (code >= 32 && code <= 126) || (code >= 160 && code <= 255);
}

// Forget gadgets that leave a window.
void Detached(Gadget* g) {
    if (editing.gadget == g || press.gadget == g) g->Flags &= ~GFLG_SELECTED;
    if (editing.gadget == g) editing = {};
    if (press.gadget == g) press = {};
    if (GadgetData* d = DataOf(g)) d->window = nullptr;
}

GadgetData* NewData(ULONG kind, const Gadget* head) {
    auto data = std::make_unique<GadgetData>();
    data->kind = kind;
    data->head = head;
    GadgetData* raw = data.get();
    Registry().emplace(&raw->gadget, std::move(data));
    return raw;
}

}  // namespace

// ---- visual info ---------------------------------------------------------------

APTR GetVisualInfoA(Screen* screen, const TagItem*) {
    if (!screen || host::ShouldFail("GetVisualInfo")) return nullptr;
    return new VisualInfo{screen};
}

APTR GetVisualInfo(Screen* screen, ...) {
    // Only TAG_DONE is understood; no tag changes anything.
    return GetVisualInfoA(screen, nullptr);
}

void FreeVisualInfo(APTR vi) {
    delete static_cast<VisualInfo*>(vi);
}

Screen* gadtools::VisualInfoScreen(APTR vi) {
    return vi ? static_cast<VisualInfo*>(vi)->screen : nullptr;
}

Gadget* gadtools::CreateButtonRow(Gadget* previous, APTR visualInfo, const std::vector<std::string>& labels,
                                  UWORD firstId, int left, int top, int width, int buttonWidth, int buttonHeight) {
    const int count = static_cast<int>(labels.size());
    const int span = width - buttonWidth;
    Gadget* last = previous;
    for (int i = 0; i < count && last; ++i) {
        NewGadget ng{};
        ng.ng_LeftEdge = static_cast<WORD>(count == 1 ? left + span / 2 : left + span * i / (count - 1));
        ng.ng_TopEdge = static_cast<WORD>(top);
        ng.ng_Width = static_cast<WORD>(buttonWidth);
        ng.ng_Height = static_cast<WORD>(buttonHeight);
        ng.ng_GadgetText = labels[static_cast<size_t>(i)].c_str();
        ng.ng_GadgetID = static_cast<UWORD>(firstId + i);
        ng.ng_Flags = PLACETEXT_IN;
        ng.ng_VisualInfo = visualInfo;
        last = CreateGadget(BUTTON_KIND, last, &ng, TAG_DONE);
    }
    return last;
}

// ---- gadget lists ----------------------------------------------------------------

Gadget* CreateContext(Gadget** glistptr) {
    if (!glistptr) return nullptr;
    *glistptr = nullptr;
    if (host::ShouldFail("CreateContext")) return nullptr;
    GadgetData* d = NewData(GENERIC_KIND, nullptr);
    d->head = &d->gadget;
    d->gadget.GadgetType = GTYP_CONTEXT;
    *glistptr = &d->gadget;
    return &d->gadget;
}

Gadget* CreateGadgetA(ULONG kind, Gadget* previous, const NewGadget* ng, const TagItem* tags) {
    if (!previous || !ng) return nullptr;
    if (kind != BUTTON_KIND && kind != STRING_KIND) return nullptr;
    if (host::ShouldFail("CreateGadget")) return nullptr;
    const GadgetData* prev = DataOf(previous);
    GadgetData* d = NewData(kind, prev ? prev->head : previous);
    Gadget& g = d->gadget;
    g.LeftEdge = ng->ng_LeftEdge;
    g.TopEdge = ng->ng_TopEdge;
    g.Width = ng->ng_Width;
    g.Height = ng->ng_Height;
    g.Flags = GFLG_GADGHCOMP;
    if (ng->ng_GadgetText) d->label = ng->ng_GadgetText;
    g.GadgetText = ng->ng_GadgetText ? d->label.c_str() : nullptr;
    g.Underscore = static_cast<UBYTE>(GetTagData(GT_Underscore, 0, tags));
    g.GadgetID = ng->ng_GadgetID;
    g.UserData = ng->ng_UserData;
    ULONG place = ng->ng_Flags & (PLACETEXT_LEFT | PLACETEXT_RIGHT | PLACETEXT_ABOVE | PLACETEXT_BELOW | PLACETEXT_IN);
    if (kind == BUTTON_KIND) {
        g.GadgetType = GTYP_BOOLGADGET;
        if (!place) place = PLACETEXT_IN;
    } else {
        g.GadgetType = GTYP_STRGADGET;
        if (!place) place = PLACETEXT_LEFT;
        // Numbers in tags are 32-bit; whatever a vararg slot held above them is not ours.
        long maxChars = static_cast<LONG>(static_cast<uint32_t>(GetTagData(GTST_MaxChars, 64, tags)));
        maxChars = std::clamp(maxChars, 0L, 32766L);
        d->buffer.assign(static_cast<size_t>(maxChars) + 1, '\0');
        auto initial = reinterpret_cast<const char*>(GetTagData(GTST_String, 0, tags));
        if (initial) {
            size_t n = strnlen(initial, static_cast<size_t>(maxChars));
            std::memcpy(d->buffer.data(), initial, n);
        }
        d->info.Buffer = d->buffer.data();
        d->info.MaxChars = static_cast<WORD>(maxChars);
        d->info.NumChars = static_cast<WORD>(std::strlen(d->info.Buffer));
        d->info.BufferPos = d->info.NumChars;
        d->info.DispPos = 0;
        g.SpecialInfo = &d->info;
    }
    g.TextPlace = place | (ng->ng_Flags & NG_HIGHLABEL);
    g.NextGadget = previous->NextGadget;
    previous->NextGadget = &g;
    return &g;
}

Gadget* CreateGadget(ULONG kind, Gadget* previous, const NewGadget* ng, ...) {
    // Read the TAG_DONE-terminated pairs into a list.
    std::vector<TagItem> tags;
    va_list ap;
    va_start(ap, ng);
    for (;;) {
        Tag tag = va_arg(ap, Tag) & 0xFFFFFFFFu;
        if (tag == TAG_DONE) break;
        uintptr_t data = va_arg(ap, uintptr_t);
        tags.push_back({tag, data});
        if (tags.size() > 64) break;  // a list without its end
    }
    va_end(ap);
    tags.push_back({TAG_DONE, 0});
    return CreateGadgetA(kind, previous, ng, tags.data());
}

void FreeGadgets(Gadget* glist) {
    if (!glist) return;
    GadgetData* first = DataOf(glist);
    if (!first) return;
    const Gadget* head = first->head;
    std::vector<Gadget*> members;
    if (head == glist) {
        // A whole list, wherever its gadgets ended up.
        for (auto& [g, d] : Registry())
            if (d->head == head) members.push_back(&d->gadget);
    } else {
        // Part of a list: the chain from there, as far as it stays in that list.
        for (Gadget* g = glist; g; g = g->NextGadget) {
            GadgetData* d = DataOf(g);
            if (!d || d->head != head || std::find(members.begin(), members.end(), g) != members.end()) break;
            members.push_back(g);
        }
    }
    auto member = [&](const Gadget* g) { return std::find(members.begin(), members.end(), g) != members.end(); };
    // Still attached to a window: take them out of its list first.
    for (Gadget* g : members) {
        Window* w = DataOf(g)->window;
        if (!w || !WindowOpen(w)) continue;
        for (Gadget** link = &w->FirstGadget; *link;) {
            if (member(*link))
                *link = (*link)->NextGadget;
            else
                link = &(*link)->NextGadget;
        }
    }
    for (Gadget* g : members) {
        Detached(g);
        Registry().erase(g);
    }
}

UWORD AddGList(Window* window, Gadget* gadget, ULONG position, LONG numGad, Requester*) {
    if (!window || !gadget) return 0xFFFF;
    // The chain to add.
    std::vector<Gadget*> chain;
    for (Gadget* g = gadget; g && (numGad < 0 || static_cast<LONG>(chain.size()) < numGad); g = g->NextGadget) {
        if (InList(window, g) || std::find(chain.begin(), chain.end(), g) != chain.end()) return 0xFFFF;
        chain.push_back(g);
    }
    if (chain.empty()) return 0xFFFF;
    Gadget** link = &window->FirstGadget;
    ULONG pos = 0;
    while (*link && pos < position) {
        link = &(*link)->NextGadget;
        ++pos;
    }
    chain.back()->NextGadget = *link;
    *link = chain.front();
    for (Gadget* g : chain)
        if (GadgetData* d = DataOf(g)) d->window = window;
    return static_cast<UWORD>(pos);
}

UWORD RemoveGList(Window* window, Gadget* gadget, LONG numGad) {
    if (!window || !gadget || numGad == 0) return 0xFFFF;
    Gadget** link = &window->FirstGadget;
    UWORD pos = 0;
    while (*link && *link != gadget) {
        link = &(*link)->NextGadget;
        ++pos;
    }
    if (!*link) return 0xFFFF;
    Gadget* last = gadget;
    Detached(last);
    for (LONG n = 1; (numGad < 0 || n < numGad) && last->NextGadget; ++n) {
        last = last->NextGadget;
        Detached(last);
    }
    *link = last->NextGadget;
    last->NextGadget = nullptr;
    return pos;
}

void RefreshGList(Gadget* gadgets, Window* window, Requester*, LONG numGad) {
    if (!window) return;
    LONG n = 0;
    for (Gadget* g = gadgets; g && (numGad < 0 || n < numGad); g = g->NextGadget, ++n) gadgets::Draw(window, g);
}

BOOL ActivateGadget(Gadget* gadget, Window* window, Requester*) {
    if (!gadget || !window || !IsString(gadget) || (gadget->Flags & GFLG_DISABLED)) return FALSE;
    if (!WindowOpen(window) || !InList(window, gadget)) return FALSE;
    SyncField(gadget);
    // Typing goes on after what is there.
    StartEditing(window, gadget, static_cast<StringInfo*>(gadget->SpecialInfo)->NumChars);
    return TRUE;
}

void GT_RefreshWindow(Window* window, Requester*) {
    if (!window) return;
    RefreshGList(window->FirstGadget, window, nullptr, -1);
}

// Windows keep their own contents, so a refresh has nothing to repair.
void GT_BeginRefresh(Window*) {}
void GT_EndRefresh(Window*, LONG) {}

// ---- the server's side -------------------------------------------------------------

namespace gadgets {

void Draw(Window* window, Gadget* gadget) {
    if (!window || !gadget || !window->RPort) return;
    if (gadget->GadgetType & GTYP_CONTEXT) return;
    RastPort* rp = window->RPort;
    PortState keep(rp);
    if (IsString(gadget))
        DrawField(rp, gadget);
    else if (IsButton(gadget))
        DrawButton(rp, gadget);
}

bool MouseDown(Window* window, int x, int y) {
    if (press.gadget) {
        // A release never came; let the old button up.
        Press was = press;
        press = {};
        was.gadget->Flags &= ~GFLG_SELECTED;
        Redraw(was.window, was.gadget);
    }
    Gadget* hit = nullptr;
    if (window)
        for (Gadget* g = window->FirstGadget; g; g = g->NextGadget) {
            if ((g->GadgetType & GTYP_CONTEXT) || (g->Flags & GFLG_DISABLED)) continue;
            if ((IsButton(g) || IsString(g)) && Inside(g, x, y)) {
                hit = g;
                break;
            }
        }
    if (editing.gadget && editing.gadget != hit) EndEditing();
    if (!hit) return false;
    if (IsString(hit)) {
        auto* si = static_cast<StringInfo*>(hit->SpecialInfo);
        SyncField(hit);
        int cw = FontWidth();
        int column = (x - (hit->LeftEdge + kFieldPad) + cw / 2) / cw;
        if (x < hit->LeftEdge + kFieldPad) column = 0;
        StartEditing(window, hit, si->DispPos + column);
        return true;
    }
    press = {window, hit, true};
    hit->Flags |= GFLG_SELECTED;
    Draw(window, hit);
    return true;
}

void MouseMove(Window* window, int x, int y) {
    if (!press.gadget || press.window != window) return;
    bool over = Inside(press.gadget, x, y);
    if (over == press.over) return;
    press.over = over;
    if (over)
        press.gadget->Flags |= GFLG_SELECTED;
    else
        press.gadget->Flags &= ~GFLG_SELECTED;
    Redraw(window, press.gadget);
}

bool MouseUp(Window* window, int x, int y) {
    if (!press.gadget) return false;
    Press was = press;
    press = {};
    was.gadget->Flags &= ~GFLG_SELECTED;
    if (!WindowOpen(was.window) || !InList(was.window, was.gadget)) return true;
    Draw(was.window, was.gadget);
    if (window == was.window && Inside(was.gadget, x, y))
        server::PostAt(was.window, IDCMP_GADGETUP, 0, 0, was.gadget, x, y);
    return true;
}

bool Key(Window* window, int code, unsigned qualifier) {
    // Keys with Alt (the command key) never come here: the window server gives them to the menus.
    if (!EditingValid() || editing.window != window) return false;
    Gadget* g = editing.gadget;
    SyncField(g);
    auto* si = static_cast<StringInfo*>(g->SpecialInfo);
    switch (code) {
    case 13:
    case 10:
    case 9:
        EndEditing();
        server::Post(window, IDCMP_GADGETUP, static_cast<UWORD>(code), static_cast<UWORD>(qualifier), g);
        return true;
    case 27:
        // Leaves the field as typed and lets the window see Escape (a dialog cancels).
        EndEditing();
        return false;
    case 8:
        if (si->BufferPos > 0) {
            std::memmove(si->Buffer + si->BufferPos - 1, si->Buffer + si->BufferPos, si->NumChars - si->BufferPos + 1);
            --si->BufferPos;
            --si->NumChars;
        }
        break;
    case 127:
        if (si->BufferPos < si->NumChars) {
            std::memmove(si->Buffer + si->BufferPos, si->Buffer + si->BufferPos + 1, si->NumChars - si->BufferPos);
            --si->NumChars;
        }
        break;
    default:
        // A full one-character field takes the new character in place of the old one: there
        // is no room to type first and delete after.
        if (Printable(code) && si->MaxChars == 1 && si->NumChars == 1) {
            si->Buffer[0] = static_cast<char>(code);
            si->BufferPos = 1;
        } else if (Printable(code) && si->NumChars < si->MaxChars) {
            std::memmove(si->Buffer + si->BufferPos + 1, si->Buffer + si->BufferPos, si->NumChars - si->BufferPos + 1);
            si->Buffer[si->BufferPos] = static_cast<char>(code);
            ++si->BufferPos;
            ++si->NumChars;
        }
        break;
    }
    ScrollToCursor(g);
    Draw(window, g);
    return true;
}

bool RawKey(Window* window, int rawCode) {
    if (!EditingValid() || editing.window != window) return false;
    Gadget* g = editing.gadget;
    SyncField(g);
    auto* si = static_cast<StringInfo*>(g->SpecialInfo);
    if (rawCode == 0x4F) {
        if (si->BufferPos > 0) --si->BufferPos;
    } else if (rawCode == 0x4E) {
        if (si->BufferPos < si->NumChars) ++si->BufferPos;
    } else {
        return false;
    }
    ScrollToCursor(g);
    Draw(window, g);
    return true;
}

void Forget(Window* window) {
    // Ours stay valid until FreeGadgets; a program's own may already be gone.
    for (Gadget* g : {editing.window == window ? editing.gadget : nullptr, press.window == window ? press.gadget : nullptr})
        if (g && DataOf(g)) g->Flags &= ~GFLG_SELECTED;
    if (editing.window == window) editing = {};
    if (press.window == window) press = {};
    for (auto& [g, d] : Registry())
        if (d->window == window) d->window = nullptr;
}

}  // namespace gadgets
