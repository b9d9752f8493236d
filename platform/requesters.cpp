// The system requesters: EasyRequest (a small window with a text and buttons, its own
// loop) and DisplayAlert (a framed box across the top of the screen until a click or key).
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gadtools.h"
#include "gadtools_private.h"
#include "gfx_private.h"
#include "server.h"

namespace {

constexpr int kTextPen = 1;
constexpr int kBackPen = 0;
constexpr int kMargin = 10;  // around the text and the buttons of a requester

// ---- printf-style bodies ----

// Formats `format`, taking each conversion's value from next(conversion, isLong). Numbers
// are 32-bit, LONG and ULONG, as the program passes them.
template <typename Next>
std::string Format(const char* format, Next next) {
    std::string out;
    if (!format) return out;
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        const char* start = p++;
        if (*p == '%') {
            out += '%';
            continue;
        }
        bool left = false, zero = false;
        for (; *p == '-' || *p == '0'; ++p) (*p == '-' ? left : zero) = true;
        int width = 0;
        for (; *p >= '0' && *p <= '9'; ++p) width = std::min(width * 10 + (*p - '0'), 256);
        int precision = -1;
        if (*p == '.') {
            precision = 0;
            for (++p; *p >= '0' && *p <= '9'; ++p) precision = std::min(precision * 10 + (*p - '0'), 4096);
        }
        bool isLong = false;
        for (; *p == 'l' || *p == 'h'; ++p) isLong = isLong || *p == 'l';
        std::string field;
        char conv = *p;
        switch (conv) {
        case 's': {
            auto s = reinterpret_cast<const char*>(next(conv, isLong));
            if (s) field.assign(s, precision >= 0 ? strnlen(s, static_cast<size_t>(precision)) : std::strlen(s));
            break;
        }
        case 'c':
            field = static_cast<char>(next(conv, isLong));
            break;
        case 'd':
        case 'i':
            field = std::to_string(static_cast<int32_t>(static_cast<uint32_t>(next(conv, isLong))));
            break;
        case 'u':
            field = std::to_string(static_cast<uint32_t>(next(conv, isLong)));
            break;
        case 'x':
        case 'X': {
            char buf[16];
            std::snprintf(buf, sizeof buf, conv == 'x' ? "%x" : "%X", static_cast<uint32_t>(next(conv, isLong)));
            field = buf;
            break;
        }
        default:
            // Not a conversion we know (or the format ended): show it as it stands.
            if (!conv) --p;
            out.append(start, p + 1);
            continue;
        }
        if (static_cast<int>(field.size()) < width) {
            size_t pad = static_cast<size_t>(width) - field.size();
            if (left)
                field.append(pad, ' ');
            else if (zero && conv != 's' && conv != 'c')
                field.insert(field[0] == '-' ? 1 : 0, pad, '0');
            else
                field.insert(0, pad, ' ');
        }
        out += field;
    }
    return out;
}

std::vector<std::string> Split(const std::string& text, char at) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (;;) {
        size_t to = text.find(at, from);
        parts.push_back(text.substr(from, to == std::string::npos ? std::string::npos : to - from));
        if (to == std::string::npos) return parts;
        from = to + 1;
    }
}

int CharWidth() {
    TextFont* f = platform::SystemFont();
    return f && f->tf_XSize ? f->tf_XSize : 8;
}
int CharHeight() {
    TextFont* f = platform::SystemFont();
    return f && f->tf_YSize ? f->tf_YSize : 8;
}
int Baseline() {
    TextFont* f = platform::SystemFont();
    return f ? f->tf_Baseline : 6;
}

// Everything a requester holds, given back however its loop ends.
struct Held {
    Screen* locked = nullptr;
    Window* window = nullptr;
    Gadget* gadgets = nullptr;
    APTR visualInfo = nullptr;
    ColorMap* penMap = nullptr;
    LONG pen = -1;

    Held() = default;
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() {
        if (pen >= 0) ReleasePen(penMap, static_cast<ULONG>(pen));
        if (window) CloseWindow(window);
        FreeGadgets(gadgets);
        FreeVisualInfo(visualInfo);
        if (locked) UnlockPubScreen(nullptr, locked);
    }
};

int TitleBarHeight(const Screen* s) {
    int font = s->Font ? s->Font->ta_YSize : CharHeight();
    return s->WBorTop + font + 1;
}

LONG RunEasyRequest(Window* parent, const EasyStruct* es, ULONG* idcmpPtr, const std::string& body) {
    if (idcmpPtr) *idcmpPtr = 0;
    std::vector<std::string> lines = Split(body, '\n');
    std::vector<std::string> labels = Split(es->es_GadgetFormat ? es->es_GadgetFormat : "", '|');
    if (labels.size() == 1 && labels[0].empty()) labels[0] = "OK";
    int count = static_cast<int>(labels.size());
    // Button i answers i + 1, the last one 0.
    auto answer = [count](int i) { return static_cast<LONG>(i == count - 1 ? 0 : i + 1); };

    Held held;
    Screen* screen = parent ? parent->WScreen : nullptr;
    if (!screen) {
        held.locked = LockPubScreen(nullptr);
        screen = held.locked;
    }
    // No screen to show it on: the last button, the one that changes nothing.
    if (!screen) return 0;

    int cw = CharWidth(), ch = CharHeight();
    int lineHeight = ch + 2;
    int textWidth = 0;
    for (const auto& l : lines) textWidth = std::max(textWidth, static_cast<int>(l.size()) * cw);
    int buttonWidth = 48;
    for (const auto& l : labels) buttonWidth = std::max(buttonWidth, static_cast<int>(l.size()) * cw + 16);
    int buttonHeight = ch + 8;
    int innerWidth = std::max({textWidth + 4 * kMargin, count * buttonWidth + (count - 1) * kMargin + 2 * kMargin, 200});
    int innerHeight = kMargin + static_cast<int>(lines.size()) * lineHeight + kMargin + buttonHeight + kMargin;
    int width = std::min<int>(innerWidth + screen->WBorLeft + screen->WBorRight, screen->Width);
    int height = std::min<int>(innerHeight + TitleBarHeight(screen) + screen->WBorBottom, screen->Height);

    const TagItem tags[] = {
        {WA_Title, reinterpret_cast<uintptr_t>(es->es_Title)},
        {WA_DragBar, TRUE},
        {WA_DepthGadget, TRUE},
        {WA_CloseGadget, TRUE},
        {WA_Left, static_cast<uintptr_t>((screen->Width - width) / 2)},
        {WA_Top, static_cast<uintptr_t>((screen->Height - height) / 2)},
        {WA_Width, static_cast<uintptr_t>(width)},
        {WA_Height, static_cast<uintptr_t>(height)},
        {WA_CustomScreen, reinterpret_cast<uintptr_t>(screen)},
        {WA_Activate, TRUE},
        {WA_IDCMP, IDCMP_GADGETUP | IDCMP_VANILLAKEY | IDCMP_CLOSEWINDOW | IDCMP_REFRESHWINDOW},
        {TAG_DONE, 0},
    };
    held.window = OpenWindowTagList(nullptr, tags);
    if (!held.window) return 0;
    Window* w = held.window;
    RastPort* rp = w->RPort;
    int bl = w->BorderLeft, bt = w->BorderTop;
    int right = w->Width - 1 - w->BorderRight, bottom = w->Height - 1 - w->BorderBottom;
    innerWidth = right - bl + 1;
    innerHeight = bottom - bt + 1;

    SetFont(rp, platform::SystemFont());
    SetAPen(rp, kBackPen);
    RectFill(rp, bl, bt, right, bottom);
    SetAPen(rp, kTextPen);
    SetDrMd(rp, JAM1);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        int lw = TextLength(rp, l.c_str(), static_cast<ULONG>(l.size()));
        Move(rp, bl + (innerWidth - lw) / 2, bt + kMargin + static_cast<int>(i) * lineHeight + Baseline());
        Text(rp, l.c_str(), static_cast<ULONG>(l.size()));
    }

    held.visualInfo = GetVisualInfo(screen, TAG_DONE);
    gadtools::CreateButtonRow(CreateContext(&held.gadgets), held.visualInfo, labels, 0, bl + kMargin,
                              bt + innerHeight - kMargin - buttonHeight, innerWidth - 2 * kMargin, buttonWidth,
                              buttonHeight);
    if (held.gadgets) {
        AddGList(w, held.gadgets, 0, -1, nullptr);
        RefreshGList(held.gadgets, w, nullptr, -1);
    }

    LONG result = -1;
    while (result < 0) {
        WaitPort(w->UserPort);
        while (auto* msg = reinterpret_cast<IntuiMessage*>(GetMsg(w->UserPort))) {
            ULONG cls = msg->Class;
            UWORD code = msg->Code;
            auto* gadget = static_cast<Gadget*>(msg->IAddress);
            ReplyMsg(&msg->ExecMessage);
            if (result >= 0) continue;
            if (cls == IDCMP_GADGETUP && gadget)
                result = answer(std::clamp<int>(gadget->GadgetID, 0, count - 1));
            else if (cls == IDCMP_CLOSEWINDOW)
                result = 0;
            else if (cls == IDCMP_VANILLAKEY && (code == 13 || code == 10))
                result = answer(0);
            else if (cls == IDCMP_VANILLAKEY && code == 27)
                result = 0;
            else if (cls == IDCMP_REFRESHWINDOW) {
                GT_BeginRefresh(w);
                GT_EndRefresh(w, TRUE);
            }
        }
    }
    CloseWindow(w);
    held.window = nullptr;
    if (parent) ActivateWindow(parent);
    return result;
}

// ---- alerts ----

struct AlertLine {
    int x, y;
    std::string text;
};

constexpr int kMaxAlertLines = 32;
constexpr int kMaxAlertText = 160;

// Reads the lines of an alert string in order and stops at the first thing that cannot be
// right (a position outside the box, a text without its end), so that a malformed string
// is never read beyond what its own bytes promise.
std::vector<AlertLine> ParseAlert(const unsigned char* p, int boxWidth, int boxHeight) {
    std::vector<AlertLine> lines;
    if (!p) return lines;
    while (static_cast<int>(lines.size()) < kMaxAlertLines) {
        int x = (p[0] << 8) | p[1];
        int y = p[2];
        if (x >= boxWidth || y > boxHeight) break;
        p += 3;
        int n = 0;
        while (n <= kMaxAlertText && p[n]) ++n;
        if (n > kMaxAlertText) break;
        lines.push_back({x, y, std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(n))});
        p += n + 1;
        if (!*p++) break;
    }
    return lines;
}

}  // namespace

LONG EasyRequestArgs(Window* window, const EasyStruct* easyStruct, ULONG* idcmpPtr, const void* args) {
    if (!easyStruct) return 0;
    auto values = static_cast<const uintptr_t*>(args);
    size_t used = 0;
    std::string body = Format(easyStruct->es_TextFormat, [&](char, bool) -> uintptr_t {
        return values ? values[used++] : 0;
    });
    return RunEasyRequest(window, easyStruct, idcmpPtr, body);
}

LONG EasyRequest(Window* window, const EasyStruct* easyStruct, ULONG* idcmpPtr, ...) {
    if (!easyStruct) return 0;
    va_list ap;
    va_start(ap, idcmpPtr);
    std::string body = Format(easyStruct->es_TextFormat, [&](char conv, bool isLong) -> uintptr_t {
        if (conv == 's') return reinterpret_cast<uintptr_t>(va_arg(ap, const char*));
        if (isLong) return static_cast<uintptr_t>(va_arg(ap, unsigned long));
        return static_cast<uintptr_t>(va_arg(ap, unsigned int));
    });
    va_end(ap);
    return RunEasyRequest(window, easyStruct, idcmpPtr, body);
}

BOOL DisplayAlert(ULONG alertNumber, CONST_STRPTR string, UWORD height) {
    bool deadEnd = (alertNumber & DEADEND_ALERT) != 0;
    Held held;
    held.locked = LockPubScreen(nullptr);
    Screen* s = held.locked;
    auto lines = ParseAlert(reinterpret_cast<const unsigned char*>(string), s ? s->Width : 640, height);
    if (!s) {
        for (const auto& l : lines) std::fprintf(stderr, "%s\n", l.text.c_str());
        return FALSE;
    }
    int boxHeight = std::max<int>(height, CharHeight() + 4);
    // A frameless window in front of everything, across the top of the screen; its title
    // is not shown but names it.
    const TagItem tags[] = {
        {WA_Title, reinterpret_cast<uintptr_t>(deadEnd ? "Dead-End Alert" : "Recoverable Alert")},
        {WA_Borderless, TRUE},
        {WA_Left, 0},
        {WA_Top, 0},
        {WA_Width, static_cast<uintptr_t>(s->Width)},
        {WA_Height, static_cast<uintptr_t>(boxHeight)},
        {WA_CustomScreen, reinterpret_cast<uintptr_t>(s)},
        {WA_Activate, TRUE},
        {WA_IDCMP, IDCMP_MOUSEBUTTONS | IDCMP_VANILLAKEY},
        {TAG_DONE, 0},
    };
    held.window = OpenWindowTagList(nullptr, tags);
    if (!held.window) {
        for (const auto& l : lines) std::fprintf(stderr, "%s\n", l.text.c_str());
        return FALSE;
    }
    Window* w = held.window;
    RastPort* rp = w->RPort;
    int bl = w->BorderLeft, bt = w->BorderTop;
    int right = w->Width - 1 - w->BorderRight, bottom = w->Height - 1 - w->BorderBottom;

    // Black box, red frame and red text where the screen has a colour map; white otherwise.
    int pen = 2;
    if (ColorMap* cm = s->ViewPort.ColorMap) {
        LONG red = ObtainBestPen(cm, 0xFFFFFFFFUL, 0, 0, OBP_Precision, PRECISION_GUI, TAG_DONE);
        if (red >= 0) {
            held.penMap = cm;
            held.pen = red;
            pen = static_cast<int>(red);
        }
    }
    SetFont(rp, platform::SystemFont());
    SetAPen(rp, 1);
    RectFill(rp, bl, bt, right, bottom);
    SetAPen(rp, static_cast<ULONG>(pen));
    for (int i = 2; i < 5; ++i) {
        RectFill(rp, bl + i, bt + i, right - i, bt + i);
        RectFill(rp, bl + i, bottom - i, right - i, bottom - i);
        RectFill(rp, bl + i, bt + i, bl + i, bottom - i);
        RectFill(rp, right - i, bt + i, right - i, bottom - i);
    }
    SetDrMd(rp, JAM1);
    for (const auto& l : lines) {
        Move(rp, bl + l.x, bt + l.y);
        Text(rp, l.text.c_str(), static_cast<ULONG>(l.text.size()));
    }

    int result = -1;
    while (result < 0) {
        WaitPort(w->UserPort);
        while (auto* msg = reinterpret_cast<IntuiMessage*>(GetMsg(w->UserPort))) {
            ULONG cls = msg->Class;
            UWORD code = msg->Code;
            ReplyMsg(&msg->ExecMessage);
            if (result >= 0) continue;
            if (cls == IDCMP_MOUSEBUTTONS && code == SELECTUP)
                result = TRUE;
            else if (cls == IDCMP_MOUSEBUTTONS && code == MENUUP)
                result = FALSE;
            else if (cls == IDCMP_VANILLAKEY)
                result = (code == 13 || code == 10) ? TRUE : FALSE;
        }
    }
    return deadEnd ? FALSE : static_cast<BOOL>(result);
}
