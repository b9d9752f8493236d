// The guide viewer's window: a row of buttons, the node's title, its text with the links
// drawn as buttons, and a status line. Written against the platform's public operations
// only, as any program on it would be.
#include "guideviewer.h"

#include <exec.h>
#include <gadtools.h>
#include <graphics.h>
#include <intuition.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "guidefile.h"

namespace guide {

namespace {

// Raw key codes of the cursor keys.
constexpr int kKeyUp = 0x4C;
constexpr int kKeyDown = 0x4D;
constexpr int kKeyRight = 0x4E;
constexpr int kKeyLeft = 0x4F;

constexpr int kPitch = 12;  // rows of a text line, room for a link's frame
constexpr int kButtonHeight = 14;
constexpr size_t kHistoryLimit = 1000;

enum ButtonId : UWORD { kContents = 1, kRetrace, kBrowsePrev, kBrowseNext };

struct ButtonDef {
    UWORD id;
    const char* label;
    int width;
};
constexpr ButtonDef kButtons[] = {
    {kContents, "Contents", 80},
    {kRetrace, "Retrace", 72},
    {kBrowsePrev, "Browse <", 80},
    {kBrowseNext, "Browse >", 80},
};

// What a guide that cannot be shown is replaced by: one page that says why.
Document MessageDocument(const Document& failed, const char* path) {
    Document doc;
    doc.status = failed.status;
    doc.fileName = failed.fileName;
    doc.message = failed.message;
    Node node;
    node.name = "Main";
    node.title = failed.message;
    node.lines.push_back("");
    if (failed.status == Status::CannotOpen) {
        std::string shown = path ? path : "";
        for (char& c : shown) {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x20 || (u >= 0x7F && u < 0xA0)) c = '?';  // no glyph for controls
        }
        node.lines.push_back("  The help file was looked for as");
        node.lines.push_back("    " + shown);
        node.lines.push_back("  but it is missing or cannot be read.");
    } else {
        node.lines.push_back("  The file does not begin with @database, has no @node,");
        node.lines.push_back("  or is not text. It may be damaged.");
    }
    if (!failed.warnings.empty()) {
        node.lines.push_back("");
        const size_t shown = std::min<size_t>(failed.warnings.size(), 10);
        for (size_t i = 0; i < shown; ++i) node.lines.push_back("    " + failed.warnings[i]);
    }
    node.lines.push_back("");
    node.lines.push_back("  Press Escape or use the close gadget to leave.");
    doc.nodes.push_back(std::move(node));
    return doc;
}

class Viewer {
public:
    explicit Viewer(Document doc) : doc_(std::move(doc)) {}
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    ~Viewer() {
        if (window_) CloseWindow(window_);
        FreeGadgets(gadgets_);
        FreeVisualInfo(visualInfo_);
        if (font_) CloseFont(font_);
        if (screen_) UnlockPubScreen(nullptr, screen_);
    }

    bool Open() {
        screen_ = LockPubScreen(nullptr);
        if (!screen_) return false;
        const int barHeight = screen_->BarHeight + 1;
        const int width = std::min<int>(600, screen_->Width);
        const int height = std::min<int>(440, screen_->Height - barHeight);
        const int left = (screen_->Width - width) / 2;
        const int top = barHeight + (screen_->Height - barHeight - height) / 2;
        title_ = doc_.status != Status::Ok ? std::string("MultiView")
                 : doc_.database.empty()   ? doc_.fileName
                                           : doc_.database;
        const TagItem tags[] = {
            {WA_Title, reinterpret_cast<uintptr_t>(title_.c_str())},
            {WA_DragBar, TRUE},
            {WA_DepthGadget, TRUE},
            {WA_CloseGadget, TRUE},
            {WA_Left, static_cast<uintptr_t>(left)},
            {WA_Top, static_cast<uintptr_t>(top)},
            {WA_Width, static_cast<uintptr_t>(width)},
            {WA_Height, static_cast<uintptr_t>(height)},
            {WA_CustomScreen, reinterpret_cast<uintptr_t>(screen_)},
            {WA_Activate, TRUE},
            {WA_IDCMP, IDCMP_CLOSEWINDOW | IDCMP_GADGETUP | IDCMP_MOUSEBUTTONS | IDCMP_VANILLAKEY | IDCMP_RAWKEY |
                           IDCMP_REFRESHWINDOW},
            {TAG_DONE, 0},
        };
        window_ = OpenWindowTagList(nullptr, tags);
        if (!window_) return false;
        rp_ = window_->RPort;
        const TextAttr topaz = {"topaz.font", 8, 0, 0};
        font_ = OpenFont(&topaz);
        if (font_) SetFont(rp_, font_);
        charWidth_ = std::max<int>(1, TextLength(rp_, "M", 1));
        Layout();
        AddButtons(topaz);
        Go(doc_.MainNode(), 0, false);
        return true;
    }

    void Run() {
        MsgPort* port = window_->UserPort;
        while (!quit_) {
            WaitPort(port);
            while (Message* m = GetMsg(port)) {
                const IntuiMessage im = *reinterpret_cast<IntuiMessage*>(m);
                ReplyMsg(m);
                Handle(im);
                if (quit_) break;
            }
        }
    }

private:
    struct Place {
        int node, top, selected;
    };

    void Layout() {
        const int L = window_->BorderLeft, T = window_->BorderTop;
        const int R = window_->Width - window_->BorderRight - 1;
        const int B = window_->Height - window_->BorderBottom - 1;
        buttonTop_ = T + 4;
        headingBase_ = buttonTop_ + kButtonHeight + 12;
        boxLeft_ = L + 4;
        boxRight_ = R - 4;
        boxTop_ = headingBase_ + 6;
        boxBottom_ = B - 16;
        statusBase_ = B - 5;
        textLeft_ = boxLeft_ + 6;
        textTop_ = boxTop_ + 3;
        columns_ = std::max(1, (boxRight_ - 4 - textLeft_ + 1) / charWidth_);
        rows_ = std::max(1, (boxBottom_ - 2 - textTop_ + 1) / kPitch);
    }

    void AddButtons(const TextAttr& topaz) {
        Gadget* last = CreateContext(&gadgets_);
        visualInfo_ = GetVisualInfo(screen_, TAG_DONE);
        NewGadget ng{};
        ng.ng_TextAttr = &topaz;
        ng.ng_VisualInfo = visualInfo_;
        ng.ng_Flags = PLACETEXT_IN;
        ng.ng_TopEdge = static_cast<WORD>(buttonTop_);
        ng.ng_Height = kButtonHeight;
        int x = window_->BorderLeft + 4;
        for (const ButtonDef& b : kButtons) {
            ng.ng_LeftEdge = static_cast<WORD>(x);
            ng.ng_Width = static_cast<WORD>(b.width);
            ng.ng_GadgetText = b.label;
            ng.ng_GadgetID = b.id;
            last = CreateGadget(BUTTON_KIND, last, &ng, TAG_DONE);
            x += b.width + 6;
        }
        // Whatever could be made is shown; the keys do the buttons' work without them.
        if (gadgets_) {
            AddGList(window_, gadgets_, static_cast<ULONG>(-1), -1, nullptr);
            RefreshGList(gadgets_, window_, nullptr, -1);
            GT_RefreshWindow(window_, nullptr);
        }
    }

    const Node& Current() const { return doc_.nodes[node_]; }
    int LineCount() const { return static_cast<int>(Current().lines.size()); }
    int MaxTop() const { return std::max(0, LineCount() - rows_); }

    int LongestLine() const {
        int longest = 0;
        for (const std::string& line : Current().lines) longest = std::max<int>(longest, static_cast<int>(line.size()));
        return longest;
    }

    // Shows node `index` from line `top`; the place left is remembered for Retrace.
    void Go(int index, int top, bool remember) {
        if (index < 0 || index >= static_cast<int>(doc_.nodes.size())) return;
        if (remember && node_ >= 0) {
            // A person never retraces this far; the oldest steps make room.
            if (history_.size() >= kHistoryLimit) history_.erase(history_.begin());
            history_.push_back({node_, top_, selected_});
        }
        node_ = index;
        top_ = std::clamp(top, 0, MaxTop());
        left_ = 0;
        selected_ = -1;
        pressed_ = -1;
        status_.clear();
        DrawAll();
    }

    void Retrace() {
        if (history_.empty()) {
            SetStatus("Nothing to retrace");
            return;
        }
        const Place place = history_.back();
        history_.pop_back();
        Go(place.node, place.top, false);
        selected_ = place.selected;
        DrawText();
    }

    void Follow(int linkIndex) {
        if (linkIndex < 0 || linkIndex >= static_cast<int>(Current().links.size())) return;
        const Link& link = Current().links[linkIndex];
        const int target = doc_.Find(link.target);
        if (target < 0) {
            SetStatus("No node named \"" + link.target + "\" in this guide");
            return;
        }
        Go(target, link.targetLine > 0 ? link.targetLine - 1 : 0, true);
    }

    void Browse(int step) {
        const int next = node_ + step;
        if (next < 0 || next >= static_cast<int>(doc_.nodes.size())) {
            SetStatus(step < 0 ? "This is the first page" : "This is the last page");
            return;
        }
        Go(next, 0, true);
    }

    void Contents() {
        const int main = doc_.MainNode();
        if (main == node_) {
            Scroll(-top_);
            return;
        }
        Go(main, 0, true);
    }

    void Scroll(int lines) {
        const int top = std::clamp(top_ + lines, 0, MaxTop());
        if (top == top_) return;
        top_ = top;
        status_.clear();
        DrawText();
        DrawStatus();
    }

    void ScrollSideways(int columns) {
        const int maxLeft = std::max(0, LongestLine() - columns_);
        const int left = std::clamp(left_ + columns, 0, maxLeft);
        if (left == left_) return;
        left_ = left;
        DrawText();
    }

    // Tab and Shift-Tab: the next or previous link, scrolled into view.
    void Cycle(int step) {
        const int count = static_cast<int>(Current().links.size());
        if (count == 0) {
            SetStatus("This page has no links");
            return;
        }
        if (selected_ < 0) {
            // Start from what is on view.
            selected_ = step > 0 ? 0 : count - 1;
            for (int i = 0; i < count; ++i) {
                const int k = step > 0 ? i : count - 1 - i;
                const int line = Current().links[k].line;
                if (line >= top_ && line < top_ + rows_) {
                    selected_ = k;
                    break;
                }
            }
        } else {
            selected_ = (selected_ + step + count) % count;
        }
        const Link& link = Current().links[selected_];
        if (link.line < top_) top_ = link.line;
        if (link.line >= top_ + rows_) top_ = std::min(MaxTop(), link.line - rows_ + 1);
        if (link.column < left_) left_ = link.column;
        const int end = link.column + static_cast<int>(link.label.size());
        if (end > left_ + columns_) left_ = std::max(0, std::min(link.column, end - columns_));
        status_.clear();
        DrawText();
        DrawStatus();
    }

    // The link under a point of the window, or -1.
    int LinkAt(int x, int y) const {
        const auto& links = Current().links;
        for (size_t i = 0; i < links.size(); ++i) {
            int l, t, r, b;
            if (LinkBox(links[i], l, t, r, b) && x >= l && x <= r && y >= t && y <= b) return static_cast<int>(i);
        }
        return -1;
    }

    // A link's frame where it shows now, clipped to the text; false when it is out of view.
    bool LinkBox(const Link& link, int& l, int& t, int& r, int& b) const {
        const int row = link.line - top_;
        if (row < 0 || row >= rows_) return false;
        const int first = std::max(link.column, left_);
        const int last = std::min<int>(link.column + static_cast<int>(link.label.size()), left_ + columns_) - 1;
        if (last < first) return false;
        const int cellTop = textTop_ + row * kPitch + 2;
        // The frame's sides stand in the blank last column of the cell before the label and of
        // the label's own last cell, so they never touch the characters on either side.
        l = textLeft_ + (first - left_) * charWidth_ - 1;
        r = textLeft_ + (last - left_ + 1) * charWidth_ - 1;
        t = cellTop - 2;
        b = cellTop + 9;
        return true;
    }

    void Handle(const IntuiMessage& im) {
        switch (im.Class) {
        case IDCMP_CLOSEWINDOW: quit_ = true; break;
        case IDCMP_GADGETUP: {
            const auto* gadget = static_cast<const Gadget*>(im.IAddress);
            if (!gadget) break;
            switch (gadget->GadgetID) {
            case kContents: Contents(); break;
            case kRetrace: Retrace(); break;
            case kBrowsePrev: Browse(-1); break;
            case kBrowseNext: Browse(+1); break;
            default: break;
            }
            break;
        }
        case IDCMP_MOUSEBUTTONS:
            if (im.Code == SELECTDOWN) {
                pressed_ = LinkAt(im.MouseX, im.MouseY);
                if (pressed_ >= 0) {
                    selected_ = pressed_;
                    DrawText();
                }
            } else if (im.Code == SELECTUP) {
                const int was = pressed_;
                pressed_ = -1;
                // A click counts only where it began, as with any button.
                if (was >= 0 && LinkAt(im.MouseX, im.MouseY) == was) Follow(was);
            }
            break;
        case IDCMP_VANILLAKEY: Key(im.Code, im.Qualifier); break;
        case IDCMP_RAWKEY: RawKey(im.Code, im.Qualifier); break;
        case IDCMP_REFRESHWINDOW:
            GT_BeginRefresh(window_);
            GT_EndRefresh(window_, TRUE);
            break;
        default: break;
        }
    }

    static bool Shifted(UWORD qualifier) { return (qualifier & (IEQUALIFIER_LSHIFT | IEQUALIFIER_RSHIFT)) != 0; }

    void Key(UWORD code, UWORD qualifier) {
        switch (code) {
        case 27: quit_ = true; break;
        case 8:
        case 'r':
        case 'R': Retrace(); break;
        case 9: Cycle(Shifted(qualifier) ? -1 : +1); break;
        case 10:
        case 13:
            if (selected_ >= 0) Follow(selected_);
            else SetStatus("Choose a link with Tab first");
            break;
        case ' ': Scroll(Shifted(qualifier) ? -(rows_ - 1) : rows_ - 1); break;
        case 'b':
        case 'B': Scroll(-(rows_ - 1)); break;
        case 'c':
        case 'C': Contents(); break;
        case '<': Browse(-1); break;
        case '>': Browse(+1); break;
        default: break;
        }
    }

    void RawKey(UWORD code, UWORD qualifier) {
        if (code & 0x80) return;  // key releases
        const int page = Shifted(qualifier) ? rows_ - 1 : 1;
        switch (code) {
        case kKeyUp: Scroll(-page); break;
        case kKeyDown: Scroll(page); break;
        case kKeyLeft: ScrollSideways(-8); break;
        case kKeyRight: ScrollSideways(8); break;
        default: break;
        }
    }

    void SetStatus(std::string text) {
        status_ = std::move(text);
        DrawStatus();
    }

    // ---- drawing ---------------------------------------------------------------

    void Fill(int pen, int l, int t, int r, int b) {
        if (r < l || b < t) return;
        SetAPen(rp_, pen);
        RectFill(rp_, l, t, r, b);
    }

    void Bevel(int l, int t, int r, int b, int topLeft, int bottomRight) {
        Fill(topLeft, l, t, r, t);
        Fill(topLeft, l, t, l, b);
        Fill(bottomRight, l + 1, b, r, b);
        Fill(bottomRight, r, t + 1, r, b);
    }

    void Print(int x, int y, const std::string& text, int pen) {
        if (text.empty()) return;
        SetAPen(rp_, pen);
        SetDrMd(rp_, JAM1);
        Move(rp_, x, y);
        Text(rp_, text.c_str(), static_cast<ULONG>(text.size()));
    }

    void DrawAll() {
        const int L = window_->BorderLeft, R = window_->Width - window_->BorderRight - 1;
        // The heading: the node's title, cut to the window.
        Fill(0, L, headingBase_ - 8, R, headingBase_ + 3);
        const Node& node = Current();
        std::string heading = node.title.empty() ? node.name : node.title;
        const int fit = std::max(0, (R - L - 8) / charWidth_);
        if (static_cast<int>(heading.size()) > fit) heading.resize(fit);
        Print(L + 6, headingBase_, heading, 1);
        Bevel(boxLeft_, boxTop_, boxRight_, boxBottom_, 1, 2);
        DrawText();
        DrawStatus();
    }

    void DrawText() {
        Fill(0, boxLeft_ + 1, boxTop_ + 1, boxRight_ - 1, boxBottom_ - 1);
        const Node& node = Current();
        for (int row = 0; row < rows_; ++row) {
            const int index = top_ + row;
            if (index >= static_cast<int>(node.lines.size())) break;
            DrawLine(index, textTop_ + row * kPitch + 2 + 6);
        }
    }

    // One line: the frames of its links first, then its text piece by piece, so that no
    // frame covers a piece drawn before it.
    void DrawLine(int index, int baseline) {
        const Node& node = Current();
        const std::string& line = node.lines[index];
        const int end = std::min<int>(static_cast<int>(line.size()), left_ + columns_);
        for (size_t i = 0; i < node.links.size(); ++i) {
            int l, t, r, b;
            if (node.links[i].line != index || !LinkBox(node.links[i], l, t, r, b)) continue;
            if (static_cast<int>(i) == selected_) {
                Fill(3, l, t, r, b);
                Bevel(l, t, r, b, 1, 2);
            } else {
                Fill(0, l, t, r, b);
                Bevel(l, t, r, b, 2, 1);
            }
        }
        int column = left_;
        auto piece = [&](int upTo, int pen) {
            if (upTo > column) {
                Print(textLeft_ + (column - left_) * charWidth_, baseline, line.substr(column, upTo - column), pen);
                column = upTo;
            }
        };
        for (size_t i = 0; i < node.links.size(); ++i) {
            const Link& link = node.links[i];
            int l, t, r, b;
            if (link.line != index || !LinkBox(link, l, t, r, b)) continue;
            piece(std::max(link.column, left_), 1);
            piece(std::min<int>(link.column + static_cast<int>(link.label.size()), end),
                  static_cast<int>(i) == selected_ ? 2 : 1);
        }
        piece(end, 1);
    }

    void DrawStatus() {
        const int L = window_->BorderLeft, R = window_->Width - window_->BorderRight - 1;
        Fill(0, L, boxBottom_ + 1, R, window_->Height - window_->BorderBottom - 1);
        std::string text = status_;
        if (text.empty()) {
            const int count = LineCount();
            const int last = std::min(count, top_ + rows_);
            text = count == 0 ? std::string("Empty page")
                              : "Lines " + std::to_string(top_ + 1) + "-" + std::to_string(last) + " of " +
                                    std::to_string(count);
            const int pages = static_cast<int>(doc_.nodes.size());
            if (pages > 1) text += "   Page " + std::to_string(node_ + 1) + " of " + std::to_string(pages);
        }
        const int fit = std::max(0, (R - L - 8) / charWidth_);
        if (static_cast<int>(text.size()) > fit) text.resize(fit);
        Print(L + 6, statusBase_, text, 1);
    }

    Document doc_;
    std::string title_;
    Screen* screen_ = nullptr;
    Window* window_ = nullptr;
    RastPort* rp_ = nullptr;
    TextFont* font_ = nullptr;
    Gadget* gadgets_ = nullptr;
    APTR visualInfo_ = nullptr;
    int charWidth_ = 8;

    int buttonTop_ = 0, headingBase_ = 0, statusBase_ = 0;
    int boxLeft_ = 0, boxTop_ = 0, boxRight_ = 0, boxBottom_ = 0;
    int textLeft_ = 0, textTop_ = 0, columns_ = 1, rows_ = 1;

    int node_ = -1;      // the node shown
    int top_ = 0;        // its first line on view
    int left_ = 0;       // first column on view
    int selected_ = -1;  // the link Return follows
    int pressed_ = -1;   // the link the left button went down on
    std::vector<Place> history_;
    std::string status_;
    bool quit_ = false;
};

}  // namespace

int RunGuideViewer(const char* path) {
    Document doc = Load(path);
    if (doc.status != Status::Ok) doc = MessageDocument(doc, path);
    Viewer viewer(std::move(doc));
    if (!viewer.Open()) return kViewerNoWindow;
    viewer.Run();
    return kViewerOk;
}

}  // namespace guide
