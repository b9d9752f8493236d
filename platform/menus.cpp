// GadTools menus: strips built from NewMenu tables and laid out for the screen, and the
// server's handling of them (the strip on the screen's title bar while the right button
// is held, command keys).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdarg>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "gadtools.h"
#include "gadtools_private.h"
#include "gfx_private.h"
#include "server.h"

namespace {

constexpr int kBackPen = 0;
constexpr int kShadowPen = 1;
constexpr int kShinePen = 2;
constexpr int kFillPen = 3;

constexpr int kTitlePad = 6;     // left and right of a title's text
constexpr int kBoxMargin = 2;    // between the drop-down box's edge and its items
constexpr int kItemPad = 4;      // left and right of an item's text
constexpr int kCheckWidth = 12;  // the check mark column
constexpr int kCommandGap = 16;  // between an item's label and its command key
constexpr int kBarHeight = 6;    // a separator's item

// Strips made by CreateMenus: their structures and label copies, by first menu.
struct Strip {
    std::deque<Menu> menus;
    std::deque<MenuItem> items;
    std::deque<std::string> labels;
};

std::unordered_map<const Menu*, std::unique_ptr<Strip>>& Strips() {
    static std::unordered_map<const Menu*, std::unique_ptr<Strip>> strips;
    return strips;
}

TextFont* Font() {
    return platform::SystemFont();
}
int CharWidth() {
    TextFont* f = Font();
    return f && f->tf_XSize ? f->tf_XSize : 8;
}
int CharHeight() {
    TextFont* f = Font();
    return f && f->tf_YSize ? f->tf_YSize : 8;
}
int TextWidth(const char* s) {
    return s ? static_cast<int>(std::strlen(s)) * CharWidth() : 0;
}

std::string CommandText(BYTE command) {
    return std::string("Alt+") + static_cast<char>(command);
}

bool MenuHasCheckItems(const Menu* m) {
    for (const MenuItem* i = m->FirstItem; i; i = i->NextItem)
        if (i->Flags & CHECKIT) return true;
    return false;
}

int Latin1Lower(int c) {
    c &= 0xFF;
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
    return c;
}

// What the right button is doing.
struct MenuState {
    bool on = false;
    Window* window = nullptr;
    int menu = -1;  // the title under the pointer or last under it
    int item = -1;  // the item under the pointer, -1 for none
};
MenuState state;

Menu* MenuAt(Menu* strip, int index) {
    for (Menu* m = strip; m; m = m->NextMenu, --index)
        if (index == 0) return m;
    return nullptr;
}
MenuItem* ItemAt(Menu* menu, int index) {
    if (!menu) return nullptr;
    for (MenuItem* i = menu->FirstItem; i; i = i->NextItem, --index)
        if (index == 0) return i;
    return nullptr;
}

int BoxTop() {
    Screen* s = server::TheScreen();
    return s ? s->BarHeight + 1 : 11;
}

bool Choosable(const Menu* m, const MenuItem* i) {
    return (m->Flags & MENUENABLED) && (i->Flags & ITEMENABLED) && (i->Flags & ITEMTEXT) && i->Label;
}

// The drop-down box of a menu on the screen: items plus the margin.
void BoxOf(const Menu* m, int& l, int& t, int& r, int& b) {
    l = t = INT32_MAX;
    r = b = INT32_MIN;
    for (const MenuItem* i = m->FirstItem; i; i = i->NextItem) {
        l = std::min(l, m->LeftEdge + i->LeftEdge);
        t = std::min(t, BoxTop() + i->TopEdge);
        r = std::max(r, m->LeftEdge + i->LeftEdge + i->Width - 1);
        b = std::max(b, BoxTop() + i->TopEdge + i->Height - 1);
    }
    l -= kBoxMargin;
    t -= kBoxMargin;
    r += kBoxMargin;
    b += kBoxMargin;
}

bool StateValid() {
    if (!state.on) return false;
    Screen* s = server::TheScreen();
    bool open = false;
    for (Window* w = s ? s->FirstWindow : nullptr; w; w = w->NextWindow)
        if (w == state.window) open = true;
    if (!open || !state.window->MenuStrip) {
        state = {};
        server::Changed();
        return false;
    }
    return true;
}

void Hover(int x, int y) {
    Menu* strip = state.window->MenuStrip;
    int menu = state.menu, item = -1;
    Screen* s = server::TheScreen();
    int barBottom = s ? s->BarHeight : 10;
    if (y >= 0 && y <= barBottom) {
        int index = 0;
        for (Menu* m = strip; m; m = m->NextMenu, ++index)
            if (x >= m->LeftEdge && x < m->LeftEdge + m->Width) menu = index;
    } else if (Menu* m = MenuAt(strip, menu)) {
        int index = 0;
        for (MenuItem* i = m->FirstItem; i; i = i->NextItem, ++index) {
            int l = m->LeftEdge + i->LeftEdge, t = BoxTop() + i->TopEdge;
            if (x >= l && x < l + i->Width && y >= t && y < t + i->Height && Choosable(m, i)) item = index;
        }
    }
    if (menu != state.menu || item != state.item) {
        state.menu = menu;
        state.item = item;
        server::Changed();
    }
}

// A chosen item: check marks first, then the window hears of it.
void Pick(Window* window, Menu* strip, int menuIndex, int itemIndex) {
    Menu* m = MenuAt(strip, menuIndex);
    MenuItem* item = ItemAt(m, itemIndex);
    if (!item) return;
    if (item->Flags & CHECKIT) {
        if (item->Flags & MENUTOGGLE)
            item->Flags ^= CHECKED;
        else
            item->Flags |= CHECKED;
        if ((item->Flags & CHECKED) && item->MutualExclude) {
            int index = 0;
            for (MenuItem* other = m->FirstItem; other && index < 32; other = other->NextItem, ++index)
                if (other != item && (item->MutualExclude & (1L << index))) other->Flags &= ~CHECKED;
        }
    }
    item->NextSelect = MENUNULL;
    server::Post(window, IDCMP_MENUPICK, static_cast<UWORD>(FULLMENUNUM(menuIndex, itemIndex, NOSUB)));
}

// ---- drawing onto the composed screen ----

struct Canvas {
    uint8_t* pens;
    int width, height;

    void Fill(int l, int t, int r, int b, int pen) {
        l = std::max(l, 0);
        t = std::max(t, 0);
        r = std::min(r, width - 1);
        b = std::min(b, height - 1);
        for (int y = t; y <= b; ++y)
            for (int x = l; x <= r; ++x) pens[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(pen);
    }
    void Dot(int x, int y, int pen) {
        if (x >= 0 && y >= 0 && x < width && y < height) pens[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(pen);
    }
    // Text with its top-left at (x, top).
    void Print(int x, int top, const std::string& text, int pen) {
        TextFont* f = Font();
        if (!f || !f->tf_CharData) return;
        int cw = CharWidth();
        for (unsigned char c : text) {
            if (c >= f->tf_LoChar && c <= f->tf_HiChar) {
                const UBYTE* glyph = f->tf_CharData + static_cast<size_t>(c - f->tf_LoChar) * f->tf_YSize;
                for (int row = 0; row < f->tf_YSize; ++row)
                    for (int col = 0; col < std::min(cw, 8); ++col)
                        if (glyph[row] & (0x80 >> col)) Dot(x + col, top + row, pen);
            }
            x += cw;
        }
    }
};

// Our own check mark, 9 x 7.
void CheckMark(Canvas& c, int x, int top, int pen) {
    static const char* rows[] = {"........#", ".......##", "......##.", "#....##..", "##..##...", ".####....",
                                 "..##....."};
    for (int r = 0; r < 7; ++r)
        for (int col = 0; col < 9; ++col)
            if (rows[r][col] == '#') c.Dot(x + col, top + r, pen);
}

void DrawBox(Canvas& c, const Menu* m) {
    if (!m->FirstItem) return;
    int l, t, r, b;
    BoxOf(m, l, t, r, b);
    c.Fill(l, t, r, b, kShinePen);
    c.Fill(l, t, r, t, kShadowPen);
    c.Fill(l, b, r, b, kShadowPen);
    c.Fill(l, t, l, b, kShadowPen);
    c.Fill(r, t, r, b, kShadowPen);
    bool checks = MenuHasCheckItems(m);
    int ch = CharHeight();
    int index = 0;
    for (const MenuItem* i = m->FirstItem; i; i = i->NextItem, ++index) {
        int il = m->LeftEdge + i->LeftEdge, it = BoxTop() + i->TopEdge;
        int ir = il + i->Width - 1, ib = it + i->Height - 1;
        if (!(i->Flags & ITEMTEXT) || !i->Label) {
            int mid = it + i->Height / 2;
            c.Fill(il + 1, mid - 1, ir - 1, mid - 1, kShadowPen);
            c.Fill(il + 1, mid, ir - 1, mid, kBackPen);
            continue;
        }
        bool selected = index == state.item;
        if (selected) c.Fill(il, it, ir, ib, kFillPen);
        int pen = Choosable(m, i) ? kShadowPen : kBackPen;
        int top = it + (i->Height - ch) / 2;
        int tx = il + kItemPad + (checks ? kCheckWidth : 0);
        if ((i->Flags & CHECKIT) && (i->Flags & CHECKED)) CheckMark(c, il + 2, top, pen);
        c.Print(tx, top, i->Label, pen);
        if (i->Flags & COMMSEQ) {
            std::string cmd = CommandText(i->Command);
            c.Print(ir - kItemPad - TextWidth(cmd.c_str()) + 1, top, cmd, pen);
        }
    }
}

}  // namespace

// ---- building strips ---------------------------------------------------------------

Menu* CreateMenusA(const NewMenu* newMenu, const TagItem*) {
    if (!newMenu || host::ShouldFail("CreateMenus")) return nullptr;
    auto strip = std::make_unique<Strip>();
    Menu* lastMenu = nullptr;
    MenuItem* lastItem = nullptr;
    MenuItem* lastSub = nullptr;
    int menus = 0, items = 0, subs = 0;
    auto label = [&](CONST_STRPTR text) -> const char* {
        strip->labels.emplace_back(text ? text : "");
        return strip->labels.back().c_str();
    };
    for (const NewMenu* nm = newMenu; nm->nm_Type != NM_END; ++nm) {
        if (nm->nm_Type == NM_TITLE) {
            // Menu numbers are 5 bits and 31 means none.
            if (++menus > NOMENU) return nullptr;
            Menu& m = strip->menus.emplace_back();
            m.MenuName = label(nm->nm_Label);
            m.Flags = MENUENABLED;
            if (lastMenu) lastMenu->NextMenu = &m;
            lastMenu = &m;
            lastItem = nullptr;
            lastSub = nullptr;
            items = 0;
            continue;
        }
        if (nm->nm_Type != NM_ITEM && nm->nm_Type != NM_SUB) return nullptr;
        // An item needs a menu, a sub-item an item.
        if (!lastMenu || (nm->nm_Type == NM_SUB && !lastItem)) return nullptr;
        MenuItem& i = strip->items.emplace_back();
        if (nm->nm_Label == NM_BARLABEL) {
            i.Label = nullptr;
            i.Flags = 0;
        } else {
            i.Label = label(nm->nm_Label);
            i.Flags = ITEMTEXT | ITEMENABLED | HIGHCOMP | (nm->nm_Flags & (CHECKIT | MENUTOGGLE | CHECKED));
            if (nm->nm_CommKey && nm->nm_CommKey[0]) {
                i.Command = static_cast<BYTE>(nm->nm_CommKey[0]);
                i.Flags |= COMMSEQ;
            }
        }
        i.MutualExclude = nm->nm_MutualExclude;
        i.UserData = nm->nm_UserData;
        i.NextSelect = MENUNULL;
        if (nm->nm_Type == NM_ITEM) {
            if (++items > NOITEM) return nullptr;
            if (lastItem)
                lastItem->NextItem = &i;
            else
                lastMenu->FirstItem = &i;
            lastItem = &i;
            lastSub = nullptr;
            subs = 0;
        } else {
            if (++subs > NOSUB) return nullptr;
            if (lastSub)
                lastSub->NextItem = &i;
            else
                lastItem->SubItem = &i;
            lastSub = &i;
        }
    }
    if (strip->menus.empty()) return nullptr;
    Menu* first = &strip->menus.front();
    Strips().emplace(first, std::move(strip));
    return first;
}

Menu* CreateMenus(const NewMenu* newMenu, ...) {
    return CreateMenusA(newMenu, nullptr);
}

BOOL LayoutMenusA(Menu* firstMenu, APTR vi, const TagItem*) {
    if (!firstMenu || !vi || host::ShouldFail("LayoutMenus")) return FALSE;
    Screen* screen = gadtools::VisualInfoScreen(vi);
    if (!screen) return FALSE;
    int cw = CharWidth(), ch = CharHeight();
    int barHeight = screen->BarHeight + 1;
    int boxTop = barHeight;
    int x = 4;
    for (Menu* m = firstMenu; m; m = m->NextMenu) {
        m->LeftEdge = static_cast<WORD>(x);
        m->TopEdge = 0;
        m->Width = static_cast<WORD>(TextWidth(m->MenuName) + 2 * kTitlePad);
        m->Height = static_cast<WORD>(barHeight);
        x += m->Width;
        if (x > screen->Width) return FALSE;
        // Items: one width for the whole box.
        bool checks = MenuHasCheckItems(m);
        int width = m->Width - 2 * kBoxMargin;
        for (MenuItem* i = m->FirstItem; i; i = i->NextItem) {
            if (!(i->Flags & ITEMTEXT) || !i->Label) continue;
            int w = 2 * kItemPad + (checks ? kCheckWidth : 0) + TextWidth(i->Label);
            if (i->Flags & COMMSEQ) w += kCommandGap + TextWidth(CommandText(i->Command).c_str());
            width = std::max(width, w);
        }
        int boxWidth = width + 2 * kBoxMargin;
        if (boxWidth > screen->Width) return FALSE;
        int boxLeft = std::min<int>(m->LeftEdge, screen->Width - boxWidth);
        int y = kBoxMargin;
        for (MenuItem* i = m->FirstItem; i; i = i->NextItem) {
            i->LeftEdge = static_cast<WORD>(boxLeft - m->LeftEdge + kBoxMargin);
            i->TopEdge = static_cast<WORD>(y);
            i->Width = static_cast<WORD>(width);
            i->Height = static_cast<WORD>((i->Flags & ITEMTEXT) && i->Label ? ch + 2 : kBarHeight);
            y += i->Height;
            // Sub-items are kept but not shown; they sit beside their item.
            int sy = i->TopEdge;
            for (MenuItem* s = i->SubItem; s; s = s->NextItem) {
                s->LeftEdge = static_cast<WORD>(width - cw);
                s->TopEdge = static_cast<WORD>(sy - i->TopEdge);
                s->Width = static_cast<WORD>(2 * kItemPad + TextWidth(s->Label));
                s->Height = static_cast<WORD>(ch + 2);
                sy += s->Height;
            }
        }
        if (boxTop + y + kBoxMargin > screen->Height) return FALSE;
    }
    return TRUE;
}

BOOL LayoutMenus(Menu* firstMenu, APTR vi, ...) {
    return LayoutMenusA(firstMenu, vi, nullptr);
}

void FreeMenus(Menu* menu) {
    if (!menu) return;
    if (state.on && state.window && state.window->MenuStrip == menu) state = {};
    Strips().erase(menu);
}

// ---- attaching strips ---------------------------------------------------------------

BOOL SetMenuStrip(Window* window, Menu* menu) {
    if (!window || !menu || host::ShouldFail("SetMenuStrip")) return FALSE;
    window->MenuStrip = menu;
    return TRUE;
}

void ClearMenuStrip(Window* window) {
    if (!window) return;
    menus::Forget(window);
    window->MenuStrip = nullptr;
}

MenuItem* ItemAddress(const Menu* menuStrip, UWORD menuNumber) {
    if (!menuStrip || menuNumber == MENUNULL) return nullptr;
    int menu = MENUNUM(menuNumber), item = ITEMNUM(menuNumber), sub = SUBNUM(menuNumber);
    if (menu == NOMENU || item == NOITEM) return nullptr;
    MenuItem* found = ItemAt(MenuAt(const_cast<Menu*>(menuStrip), menu), item);
    if (!found || sub == NOSUB) return found;
    MenuItem* s = found->SubItem;
    for (; s && sub > 0; --sub) s = s->NextItem;
    return s;
}

// ---- the server's side ------------------------------------------------------------------

namespace menus {

bool RightDown(int x, int y) {
    Window* w = server::ActiveWindow();
    if (!w || !w->MenuStrip) return false;
    state = {true, w, -1, -1};
    server::Changed();
    Hover(x, y);
    return true;
}

void Move(int x, int y) {
    if (StateValid()) Hover(x, y);
}

void RightUp(int x, int y) {
    if (!StateValid()) return;
    Hover(x, y);
    MenuState was = state;
    state = {};
    server::Changed();
    if (was.item >= 0)
        Pick(was.window, was.window->MenuStrip, was.menu, was.item);
    else
        server::Post(was.window, IDCMP_MENUPICK, MENUNULL);
}

bool Showing() {
    return StateValid();
}

void Draw(uint8_t* screenPens, int width, int height) {
    if (!screenPens || !StateValid()) return;
    Canvas c{screenPens, width, height};
    Screen* s = server::TheScreen();
    int barBottom = s ? s->BarHeight : 10;
    int ch = CharHeight();
    c.Fill(0, 0, width - 1, barBottom - 1, kShinePen);
    c.Fill(0, barBottom, width - 1, barBottom, kShadowPen);
    int index = 0;
    for (Menu* m = state.window->MenuStrip; m; m = m->NextMenu, ++index) {
        int pen = (m->Flags & MENUENABLED) ? kShadowPen : kBackPen;
        if (index == state.menu) c.Fill(m->LeftEdge, 0, m->LeftEdge + m->Width - 1, barBottom - 1, kFillPen);
        c.Print(m->LeftEdge + kTitlePad, (barBottom - ch) / 2, m->MenuName ? m->MenuName : "", pen);
    }
    if (Menu* m = MenuAt(state.window->MenuStrip, state.menu)) DrawBox(c, m);
}

bool CommandKey(Window* window, int code) {
    if (!window || !window->MenuStrip) return false;
    int want = Latin1Lower(code);
    int menuIndex = 0;
    for (Menu* m = window->MenuStrip; m; m = m->NextMenu, ++menuIndex) {
        int itemIndex = 0;
        for (MenuItem* i = m->FirstItem; i; i = i->NextItem, ++itemIndex)
            if ((i->Flags & COMMSEQ) && Choosable(m, i) && Latin1Lower(static_cast<unsigned char>(i->Command)) == want) {
                Pick(window, window->MenuStrip, menuIndex, itemIndex);
                return true;
            }
    }
    return false;
}

void Forget(Window* window) {
    if (state.window == window) {
        bool was = state.on;
        state = {};
        if (was) server::Changed();
    }
}

}  // namespace menus
