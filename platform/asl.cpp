// ASL: the file requester. A window of its own on the parent's screen, built with the same
// public calls any program has: a list of the drawer's entries drawn by hand, a Drawer and
// a File text field, and the Parent, positive and negative buttons.
#include "asl.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dos.h"
#include "gadtools.h"
#include "gadtools_private.h"
#include "host/host.h"

namespace {

// ---- the requester object ----------------------------------------------------------

struct Settings {
    std::string title = "Select a File";
    std::string positive = "OK";
    std::string negative = "Cancel";
    std::string pattern = "#?";
    std::string file;
    std::string drawer;
    Window* parent = nullptr;
};

struct Request {
    FileRequester fr{};
    Settings settings;
    std::string frFile, frDrawer;  // behind fr_File and fr_Drawer
    bool placed = false;           // fr_LeftEdge/fr_TopEdge hold where the user left it

    void Publish() {
        fr.fr_File = frFile.data();
        fr.fr_Drawer = frDrawer.data();
    }
};

std::map<APTR, std::unique_ptr<Request>>& Requests() {
    static std::map<APTR, std::unique_ptr<Request>> requests;
    return requests;
}

Request* Find(APTR handle) {
    auto it = Requests().find(handle);
    return it == Requests().end() ? nullptr : it->second.get();
}

void Apply(Settings& s, const TagItem* tags) {
    auto text = [&](Tag tag, std::string& into) {
        if (const TagItem* item = FindTagItem(tag, tags)) {
            const auto* value = reinterpret_cast<const char*>(item->ti_Data);
            into = value != nullptr ? value : "";
        }
    };
    text(ASLFR_TitleText, s.title);
    text(ASLFR_PositiveText, s.positive);
    text(ASLFR_NegativeText, s.negative);
    text(ASLFR_InitialPattern, s.pattern);
    text(ASLFR_InitialFile, s.file);
    text(ASLFR_InitialDrawer, s.drawer);
    if (const TagItem* item = FindTagItem(ASLFR_Window, tags)) s.parent = reinterpret_cast<Window*>(item->ti_Data);
    if (s.pattern.empty()) s.pattern = "#?";
}

// ---- names -----------------------------------------------------------------------------

// What the ISO-8859-1 font can show of a host name: UTF-8 decoded, characters above 255
// and control characters as '?'. Bytes that are not UTF-8 are taken as ISO-8859-1.
std::string Shown(const std::string& name) {
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const size_t n = name.size();
    for (size_t i = 0; i < n;) {
        unsigned c = p[i];
        size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        unsigned code = c;
        bool valid = length > 0 && i + length <= n;
        if (valid && length > 1) {
            code = c & (0x7F >> length);
            for (size_t k = 1; k < length; ++k) {
                if ((p[i + k] & 0xC0) != 0x80) {
                    valid = false;
                    break;
                }
                code = (code << 6) | (p[i + k] & 0x3F);
            }
            // Overlong forms and surrogates are not names anyone wrote.
            static const unsigned kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
            if (valid && (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))) valid = false;
        }
        if (!valid) {
            code = c;
            length = 1;
        }
        if (code < 0x20 || (code >= 0x7F && code < 0xA0) || code > 0xFF) out += '?';
        else out += static_cast<char>(code);
        i += length;
    }
    return out;
}

unsigned char Fold(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<unsigned char>(c + 0x20);
    return c;
}

bool LessNoCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = Fold(static_cast<unsigned char>(a[i])), y = Fold(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

struct Entry {
    std::string name;   // on the host
    std::string shown;  // as the font shows it
    bool drawer;
};

// A drawer's entries, drawers first, each part sorted without regard to case; hidden
// dot-files are left out and files must match the pattern. False, with a note, when the
// drawer cannot be read.
bool ListDrawer(const std::string& drawer, const std::string& pattern, std::vector<Entry>& out, std::string& note) {
    out.clear();
    note.clear();
    const std::string path = drawer.empty() ? std::string(".") : drawer;
    std::vector<char> parsed(pattern.size() * 2 + 4);
    if (ParsePatternNoCase(pattern.c_str(), parsed.data(), static_cast<LONG>(parsed.size())) < 0) parsed.clear();
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) {
        note = errno == ENOENT ? "Drawer not found" : errno == ENOTDIR ? "Not a drawer" : "Drawer cannot be read";
        return false;
    }
    while (dirent* d = readdir(dir)) {
        const std::string name = d->d_name;
        if (name.empty() || name[0] == '.') continue;
        bool isDrawer = d->d_type == DT_DIR;
        if (d->d_type == DT_UNKNOWN || d->d_type == DT_LNK) {
            struct stat st;
            const std::string full = path + "/" + name;
            isDrawer = stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        Entry e{name, Shown(name), isDrawer};
        if (!isDrawer && (parsed.empty() || !MatchPatternNoCase(parsed.data(), e.shown.c_str()))) continue;
        out.push_back(std::move(e));
    }
    closedir(dir);
    std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) {
        if (a.drawer != b.drawer) return a.drawer;
        return LessNoCase(a.shown, b.shown);
    });
    return true;
}

// The drawer inside `drawer`, joined as the Amiga does: no '/' after a ':' or a '/'.
std::string Join(const std::string& drawer, const std::string& name) {
    if (drawer.empty()) return name;
    const char last = drawer.back();
    return last == '/' || last == ':' ? drawer + name : drawer + "/" + name;
}

std::string ParentOf(std::string drawer) {
    while (drawer.size() > 1 && drawer.back() == '/') drawer.pop_back();
    if (drawer.empty() || drawer == ".") return "..";
    if (drawer == "/") return "/";
    if (drawer.back() == ':') return drawer;  // a volume is its own parent
    const size_t cut = drawer.find_last_of("/:");
    const std::string last = cut == std::string::npos ? drawer : drawer.substr(cut + 1);
    if (last == "..") return drawer + "/..";
    if (cut == std::string::npos) return "";
    if (cut == 0) return "/";
    if (drawer[cut] == ':') return drawer.substr(0, cut + 1);
    return drawer.substr(0, cut);
}

// ---- the window ------------------------------------------------------------------------

enum GadgetId : UWORD { kDrawerField = 1, kFileField, kPositive, kParent, kNegative };

constexpr int kRows = 15;
constexpr int kDoubleClickMicros = 500000;
constexpr int kFileChars = 255;
constexpr int kDrawerChars = 1023;

// Everything the open requester holds, given back however its loop ends (a test's user
// may leave it by an exception).
struct Held {
    Screen* locked = nullptr;
    TextFont* font = nullptr;
    Window* window = nullptr;
    Gadget* gadgets = nullptr;
    APTR visualInfo = nullptr;

    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() {
        if (window) CloseWindow(window);
        FreeGadgets(gadgets);
        FreeVisualInfo(visualInfo);
        if (font) CloseFont(font);
        if (locked) UnlockPubScreen(nullptr, locked);
    }
};

class Dialog {
public:
    explicit Dialog(Request& request) : request_(request), settings_(request.settings) {}

    // TRUE when the user chose a file.
    BOOL Run() {
        Screen* screen = settings_.parent ? settings_.parent->WScreen : nullptr;
        if (screen == nullptr) {
            held_.locked = LockPubScreen(nullptr);
            screen = held_.locked;
        }
        if (screen == nullptr) return FALSE;
        const TextAttr topaz = {"topaz.font", 8, 0, 0};
        held_.font = OpenFont(&topaz);
        charWidth_ = held_.font && held_.font->tf_XSize ? held_.font->tf_XSize : 8;
        charHeight_ = held_.font && held_.font->tf_YSize ? held_.font->tf_YSize : 8;
        baseline_ = held_.font ? held_.font->tf_Baseline : 6;
        rowHeight_ = charHeight_ + 2;
        if (!OpenOn(screen)) return FALSE;
        drawer_ = settings_.drawer;
        SetField(drawerField_, Shown(drawer_));
        SetField(fileField_, settings_.file);
        ReadDrawer();
        if (fileField_) ActivateGadget(fileField_, held_.window, nullptr);

        Window* w = held_.window;
        int outcome = -1;  // 1 chosen, 0 cancelled
        while (outcome < 0) {
            WaitPort(w->UserPort);
            while (auto* msg = reinterpret_cast<IntuiMessage*>(GetMsg(w->UserPort))) {
                const IntuiMessage m = *msg;
                ReplyMsg(&msg->ExecMessage);
                if (outcome < 0) outcome = Handle(m);
            }
        }
        // Where the user left it, for the next time.
        request_.fr.fr_LeftEdge = w->LeftEdge;
        request_.fr.fr_TopEdge = w->TopEdge;
        request_.fr.fr_Width = w->Width;
        request_.fr.fr_Height = w->Height;
        request_.placed = true;
        if (outcome == 1) Confirm();
        CloseWindow(w);
        held_.window = nullptr;
        if (settings_.parent) ActivateWindow(settings_.parent);
        return outcome == 1 ? TRUE : FALSE;
    }

private:
    bool OpenOn(Screen* screen) {
        const int titleBar = screen->WBorTop + (screen->Font ? screen->Font->ta_YSize : charHeight_) + 1;
        const int innerWidth = 40 * charWidth_ + 16;
        fieldHeight_ = charHeight_ + 6;
        const int listHeight = kRows * rowHeight_ + 4;
        const int innerHeight = 4 + listHeight + 6 + fieldHeight_ + 4 + fieldHeight_ + 6 + fieldHeight_ + 6;
        const int width = std::min<int>(innerWidth + screen->WBorLeft + screen->WBorRight, screen->Width);
        const int height = std::min<int>(innerHeight + titleBar + screen->WBorBottom, screen->Height);
        int left = (screen->Width - width) / 2, top = (screen->Height - height) / 2;
        if (request_.placed) {
            left = request_.fr.fr_LeftEdge;
            top = request_.fr.fr_TopEdge;
        } else if (Window* p = settings_.parent) {
            left = p->LeftEdge + (p->Width - width) / 2;
            top = p->TopEdge + (p->Height - height) / 2;
        }
        left = std::clamp(left, 0, std::max(0, screen->Width - width));
        top = std::clamp(top, 0, std::max(0, screen->Height - height));
        const TagItem tags[] = {
            {WA_Title, reinterpret_cast<uintptr_t>(settings_.title.c_str())},
            {WA_DragBar, TRUE},
            {WA_DepthGadget, TRUE},
            {WA_CloseGadget, TRUE},
            {WA_Left, static_cast<uintptr_t>(left)},
            {WA_Top, static_cast<uintptr_t>(top)},
            {WA_Width, static_cast<uintptr_t>(width)},
            {WA_Height, static_cast<uintptr_t>(height)},
            {WA_CustomScreen, reinterpret_cast<uintptr_t>(screen)},
            {WA_Activate, TRUE},
            {WA_IDCMP, IDCMP_GADGETUP | IDCMP_MOUSEBUTTONS | IDCMP_RAWKEY | IDCMP_VANILLAKEY | IDCMP_CLOSEWINDOW |
                           IDCMP_REFRESHWINDOW},
            {TAG_DONE, 0},
        };
        held_.window = OpenWindowTagList(nullptr, tags);
        if (held_.window == nullptr) return false;
        Window* w = held_.window;
        RastPort* rp = w->RPort;
        if (held_.font) SetFont(rp, held_.font);
        const int bl = w->BorderLeft, bt = w->BorderTop;
        const int right = w->Width - 1 - w->BorderRight, bottom = w->Height - 1 - w->BorderBottom;
        SetAPen(rp, 0);
        RectFill(rp, bl, bt, right, bottom);

        // The list: a recessed box with a scroll bar along its right side.
        listLeft_ = bl + 8;
        listTop_ = bt + 4;
        listRight_ = right - 8;
        listBottom_ = listTop_ + listHeight - 1;
        barLeft_ = listRight_ - 10;

        held_.visualInfo = GetVisualInfo(screen, TAG_DONE);
        Gadget* last = CreateContext(&held_.gadgets);
        const int labelWidth = 7 * charWidth_;
        int y = listBottom_ + 7;
        auto field = [&](UWORD id, const char* label, int maxChars) -> Gadget* {
            NewGadget ng{};
            ng.ng_LeftEdge = static_cast<WORD>(listLeft_ + labelWidth + 8);
            ng.ng_TopEdge = static_cast<WORD>(y);
            ng.ng_Width = static_cast<WORD>(listRight_ - (listLeft_ + labelWidth + 8) + 1);
            ng.ng_Height = static_cast<WORD>(fieldHeight_);
            ng.ng_GadgetText = label;
            ng.ng_GadgetID = id;
            ng.ng_Flags = PLACETEXT_LEFT;
            ng.ng_VisualInfo = held_.visualInfo;
            last = CreateGadget(STRING_KIND, last, &ng, GTST_MaxChars, static_cast<uintptr_t>(maxChars), TAG_DONE);
            return last;
        };
        drawerField_ = field(kDrawerField, "Drawer", kDrawerChars);
        y += fieldHeight_ + 4;
        fileField_ = field(kFileField, "File", kFileChars);
        y += fieldHeight_ + 6;
        // Their ids are kPositive, kParent and kNegative.
        const std::vector<std::string> labels = {settings_.positive, "Parent", settings_.negative};
        int buttonWidth = 10 * charWidth_;
        for (const std::string& l : labels)
            buttonWidth = std::max(buttonWidth, static_cast<int>(l.size()) * charWidth_ + 16);
        const int rowWidth = listRight_ - listLeft_ + 1;
        buttonWidth = std::min(buttonWidth, (rowWidth - 16) / 3);
        last = gadtools::CreateButtonRow(last, held_.visualInfo, labels, kPositive, listLeft_, y, rowWidth, buttonWidth,
                                         fieldHeight_);
        if (held_.gadgets) {
            AddGList(w, held_.gadgets, 0, -1, nullptr);
            RefreshGList(held_.gadgets, w, nullptr, -1);
        }
        // A gadget that could not be made leaves its part out; keys still work.
        if (last == nullptr) {
            drawerField_ = drawerField_ && InWindow(drawerField_) ? drawerField_ : nullptr;
            fileField_ = fileField_ && InWindow(fileField_) ? fileField_ : nullptr;
        }
        return true;
    }

    bool InWindow(const Gadget* g) const {
        for (const Gadget* x = held_.window->FirstGadget; x; x = x->NextGadget)
            if (x == g) return true;
        return false;
    }

    static std::string FieldText(const Gadget* g) {
        if (g == nullptr) return "";
        const auto* si = static_cast<const StringInfo*>(g->SpecialInfo);
        return si && si->Buffer ? std::string(si->Buffer) : std::string();
    }

    void SetField(Gadget* g, const std::string& text) {
        if (g == nullptr) return;
        auto* si = static_cast<StringInfo*>(g->SpecialInfo);
        if (si == nullptr || si->Buffer == nullptr) return;
        const size_t n = std::min(text.size(), static_cast<size_t>(std::max<int>(si->MaxChars, 0)));
        std::memcpy(si->Buffer, text.data(), n);
        si->Buffer[n] = '\0';
        si->NumChars = static_cast<WORD>(n);
        si->BufferPos = static_cast<WORD>(n);
        si->DispPos = 0;
        RefreshGList(g, held_.window, nullptr, 1);
    }

    // ---- the list ----

    void ReadDrawer() {
        ListDrawer(drawer_, settings_.pattern, entries_, note_);
        selected_ = -1;
        top_ = 0;
        lastClickRow_ = -1;
        SetField(drawerField_, Shown(drawer_));
        DrawList();
    }

    int VisibleRows() const { return kRows; }

    void DrawList() {
        RastPort* rp = held_.window->RPort;
        // Recessed frame: shadow on top and left, shine on bottom and right.
        SetAPen(rp, 1);
        RectFill(rp, listLeft_, listTop_, listRight_, listTop_);
        RectFill(rp, listLeft_, listTop_, listLeft_, listBottom_);
        SetAPen(rp, 2);
        RectFill(rp, listLeft_ + 1, listBottom_, listRight_, listBottom_);
        RectFill(rp, listRight_, listTop_ + 1, listRight_, listBottom_);
        SetAPen(rp, 0);
        RectFill(rp, listLeft_ + 1, listTop_ + 1, listRight_ - 1, listBottom_ - 1);
        SetDrMd(rp, JAM1);
        const int textLeft = listLeft_ + 4;
        const int columns = std::max(1, (barLeft_ - 4 - textLeft) / charWidth_);
        const int kindColumns = 6;  // "Drawer" at the right of a drawer's row
        if (entries_.empty() && !note_.empty()) {
            SetAPen(rp, 1);
            Move(rp, textLeft, listTop_ + 2 + baseline_ + 1);
            Text(rp, note_.c_str(), static_cast<ULONG>(std::min<size_t>(note_.size(), columns)));
        }
        for (int row = 0; row < VisibleRows(); ++row) {
            const int index = top_ + row;
            if (index >= static_cast<int>(entries_.size())) break;
            const Entry& e = entries_[static_cast<size_t>(index)];
            const int y = listTop_ + 2 + row * rowHeight_;
            if (index == selected_) {
                SetAPen(rp, 3);
                RectFill(rp, listLeft_ + 2, y, barLeft_ - 2, y + rowHeight_ - 1);
            }
            // Drawers in white, files in black; a selected row in white on blue.
            SetAPen(rp, e.drawer || index == selected_ ? 2 : 1);
            const int nameColumns = e.drawer ? std::max(1, columns - kindColumns - 1) : columns;
            std::string shown = e.shown;
            if (static_cast<int>(shown.size()) > nameColumns) shown = shown.substr(0, static_cast<size_t>(nameColumns));
            Move(rp, textLeft, y + 1 + baseline_);
            Text(rp, shown.c_str(), static_cast<ULONG>(shown.size()));
            if (e.drawer && columns > kindColumns) {
                Move(rp, textLeft + (columns - kindColumns) * charWidth_, y + 1 + baseline_);
                Text(rp, "Drawer", kindColumns);
            }
        }
        // The scroll bar: where the visible rows are among all of them.
        SetAPen(rp, 1);
        RectFill(rp, barLeft_, listTop_ + 1, barLeft_, listBottom_ - 1);
        const int trackTop = listTop_ + 2, trackBottom = listBottom_ - 2;
        const int track = trackBottom - trackTop + 1;
        const int total = std::max(static_cast<int>(entries_.size()), VisibleRows());
        const int knobTop = trackTop + track * top_ / total;
        const int knobBottom = std::min(trackBottom, trackTop + track * (top_ + VisibleRows()) / total - 1);
        SetAPen(rp, 3);
        RectFill(rp, barLeft_ + 2, knobTop, listRight_ - 2, std::max(knobTop, knobBottom));
    }

    void Select(int index) {
        if (entries_.empty()) return;
        index = std::clamp(index, 0, static_cast<int>(entries_.size()) - 1);
        selected_ = index;
        if (index < top_) top_ = index;
        if (index >= top_ + VisibleRows()) top_ = index - VisibleRows() + 1;
        const Entry& e = entries_[static_cast<size_t>(index)];
        if (!e.drawer) SetField(fileField_, e.shown);
        fileAtSelection_ = FieldText(fileField_);
        DrawList();
    }

    void Scroll(int rows) {
        const int most = std::max(0, static_cast<int>(entries_.size()) - VisibleRows());
        top_ = std::clamp(top_ + rows, 0, most);
        DrawList();
    }

    void Enter(const Entry& e) {
        drawer_ = Join(drawer_, e.name);
        ReadDrawer();
    }

    void GoToParent() {
        drawer_ = ParentOf(drawer_);
        ReadDrawer();
    }

    // 1 chosen, 0 cancelled, -1 still open.
    int Handle(const IntuiMessage& m) {
        Window* w = held_.window;
        switch (m.Class) {
            case IDCMP_CLOSEWINDOW: return 0;
            case IDCMP_REFRESHWINDOW:
                GT_BeginRefresh(w);
                GT_EndRefresh(w, TRUE);
                return -1;
            case IDCMP_VANILLAKEY:
                if (m.Code == 27) return 0;
                if (m.Code == 13 || m.Code == 10) return ReturnPressed();
                return -1;
            case IDCMP_RAWKEY:
                if (m.Code == 0x4C) Select(selected_ < 0 ? 0 : selected_ - 1);
                else if (m.Code == 0x4D) Select(selected_ < 0 ? 0 : selected_ + 1);
                else return -1;
                KeepTyping();
                return -1;
            case IDCMP_GADGETUP: {
                const auto* g = static_cast<const Gadget*>(m.IAddress);
                if (g == nullptr) return -1;
                switch (g->GadgetID) {
                    case kPositive: return 1;
                    case kNegative: return 0;
                    case kParent:
                        GoToParent();
                        KeepTyping();
                        return -1;
                    case kDrawerField:
                        // A drawer typed and ended with Return or Tab is read.
                        drawer_ = FieldText(drawerField_);
                        ReadDrawer();
                        KeepTyping();
                        return -1;
                    case kFileField:
                        if (m.Code == 13 || m.Code == 10) return ReturnPressed();
                        return -1;
                    default: return -1;
                }
            }
            case IDCMP_MOUSEBUTTONS: return m.Code == SELECTDOWN ? ClickAt(m) : -1;
            default: return -1;
        }
    }

    int ReturnPressed() {
        // A selected drawer is entered, unless a name was typed since it was selected.
        if (selected_ >= 0 && entries_[static_cast<size_t>(selected_)].drawer &&
            FieldText(fileField_) == fileAtSelection_) {
            Enter(entries_[static_cast<size_t>(selected_)]);
            KeepTyping();
            return -1;
        }
        return 1;
    }

    void KeepTyping() {
        if (fileField_) ActivateGadget(fileField_, held_.window, nullptr);
    }

    // A click in the list selects; a second one on the same entry soon after opens a drawer
    // or chooses a file.
    int ClickAt(const IntuiMessage& m) {
        const int x = m.MouseX, y = m.MouseY;
        if (x <= listLeft_ || x >= listRight_ || y <= listTop_ || y >= listBottom_) return -1;
        if (x >= barLeft_) {
            // Above the knob pages up, below it pages down.
            const int track = listBottom_ - listTop_ - 3;
            const int total = std::max(static_cast<int>(entries_.size()), VisibleRows());
            const int knobMiddle = listTop_ + 2 + track * (2 * top_ + VisibleRows()) / (2 * total);
            Scroll(y < knobMiddle ? -VisibleRows() : VisibleRows());
            KeepTyping();
            return -1;
        }
        const int row = (y - listTop_ - 2) / rowHeight_;
        const int index = top_ + row;
        if (row < 0 || row >= VisibleRows() || index >= static_cast<int>(entries_.size())) return -1;
        const uint64_t now = static_cast<uint64_t>(m.Seconds) * 1000000u + m.Micros;
        const bool timed = m.Seconds != 0 || m.Micros != 0;
        const bool twice = index == lastClickRow_ && entries_[static_cast<size_t>(index)].name == lastClickName_ &&
                           (!timed || now - lastClickTime_ <= static_cast<uint64_t>(kDoubleClickMicros));
        lastClickRow_ = index;
        lastClickName_ = entries_[static_cast<size_t>(index)].name;
        lastClickTime_ = now;
        Select(index);
        if (twice) {
            lastClickRow_ = -1;
            const Entry e = entries_[static_cast<size_t>(index)];
            if (!e.drawer) return 1;
            Enter(e);
        }
        KeepTyping();
        return -1;
    }

    void Confirm() {
        // The File field's text, as the host names the entry it shows when it is one.
        const std::string typed = FieldText(fileField_);
        std::string file = typed;
        for (const Entry& e : entries_)
            if (!e.drawer && e.shown == typed) {
                file = e.name;
                break;
            }
        const std::string shownDrawer = FieldText(drawerField_);
        const std::string drawer = drawerField_ == nullptr || shownDrawer == Shown(drawer_) ? drawer_ : shownDrawer;
        request_.frFile = file;
        request_.frDrawer = drawer;
        request_.settings.file = file;
        request_.settings.drawer = drawer;
        request_.Publish();
    }

    Request& request_;
    Settings settings_;
    Held held_;
    Gadget* drawerField_ = nullptr;
    Gadget* fileField_ = nullptr;
    int charWidth_ = 8, charHeight_ = 8, baseline_ = 6, rowHeight_ = 10, fieldHeight_ = 14;
    int listLeft_ = 0, listTop_ = 0, listRight_ = 0, listBottom_ = 0, barLeft_ = 0;
    std::string drawer_;  // as the host names it
    std::vector<Entry> entries_;
    std::string note_;
    int selected_ = -1;
    int top_ = 0;
    std::string fileAtSelection_;
    int lastClickRow_ = -1;
    std::string lastClickName_;
    uint64_t lastClickTime_ = 0;
};

}  // namespace

APTR AllocAslRequest(ULONG reqType, const TagItem* tagList) {
    if (reqType != ASL_FileRequest) return nullptr;
    if (host::ShouldFail("AllocAslRequest")) return nullptr;
    auto request = std::make_unique<Request>();
    Apply(request->settings, tagList);
    request->frFile = request->settings.file;
    request->frDrawer = request->settings.drawer;
    request->Publish();
    APTR handle = &request->fr;
    Requests()[handle] = std::move(request);
    return handle;
}

APTR AllocAslRequestTags(ULONG reqType, ...) {
    std::vector<TagItem> tags;
    va_list ap;
    va_start(ap, reqType);
    for (;;) {
        const Tag tag = va_arg(ap, Tag) & 0xFFFFFFFFu;
        if (tag == TAG_DONE) break;
        const uintptr_t data = va_arg(ap, uintptr_t);
        tags.push_back({tag, data});
        if (tags.size() > 64) break;  // a list without its end
    }
    va_end(ap);
    tags.push_back({TAG_DONE, 0});
    return AllocAslRequest(reqType, tags.data());
}

BOOL AslRequest(APTR requester, const TagItem* tagList) {
    Request* request = Find(requester);
    if (request == nullptr) return FALSE;
    Apply(request->settings, tagList);
    Dialog dialog(*request);
    return dialog.Run();
}

void FreeAslRequest(APTR requester) {
    if (requester != nullptr) Requests().erase(requester);
}
