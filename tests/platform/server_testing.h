// Helpers shared by the window server, gadget, menu and requester tests.
#pragma once
#include <gadtools.h>
#include <gtest/gtest.h>
#include <intuition.h>

#include <string>
#include <vector>

#include "host/host.h"

namespace wtest {

constexpr ULONG kAllIdcmp =
    IDCMP_GADGETUP | IDCMP_VANILLAKEY | IDCMP_MOUSEBUTTONS | IDCMP_MENUPICK | IDCMP_CLOSEWINDOW | IDCMP_RAWKEY;

struct WinShape {
    int left = 20, top = 30, width = 200, height = 100;
    ULONG idcmp = IDCMP_MOUSEBUTTONS | IDCMP_VANILLAKEY | IDCMP_CLOSEWINDOW;
    const char* title = "Test";
    bool activate = true, close = true;
};

inline Window* Open(const WinShape& s) {
    auto u = [](int v) { return static_cast<uintptr_t>(v); };
    TagItem tags[] = {{WA_Title, reinterpret_cast<uintptr_t>(s.title)}, {WA_DragBar, TRUE}, {WA_DepthGadget, TRUE},
                      {WA_CloseGadget, s.close}, {WA_Left, u(s.left)}, {WA_Top, u(s.top)}, {WA_Width, u(s.width)},
                      {WA_Height, u(s.height)}, {WA_CustomScreen, reinterpret_cast<uintptr_t>(LockPubScreen(nullptr))},
                      {WA_Activate, s.activate}, {WA_IDCMP, s.idcmp}, {TAG_DONE, 0}};
    return OpenWindowTagList(nullptr, tags);
}

// The larger window the gadget, menu and requester tests put things in.
inline Window* OpenBig(const char* title) { return Open({40, 40, 400, 200, kAllIdcmp, title}); }

// A window's place and size, for comparing in one go.
inline std::vector<int> Box(const Window* w) { return {w->LeftEdge, w->TopEdge, w->Width, w->Height}; }

struct Got {
    ULONG cls;
    UWORD code;
    int x, y;
    Window* window;
    APTR address = nullptr;
    // The address is left out: what it holds depends on the class.
    bool operator==(const Got& o) const {
        return cls == o.cls && code == o.code && x == o.x && y == o.y && window == o.window;
    }
};

// Every message queued at the window's port, replied.
inline std::vector<Got> Drain(Window* w) {
    std::vector<Got> out;
    while (Message* m = GetMsg(w->UserPort)) {
        auto* im = reinterpret_cast<IntuiMessage*>(m);
        out.push_back({im->Class, im->Code, im->MouseX, im->MouseY, im->IDCMPWindow, im->IAddress});
        ReplyMsg(m);
    }
    return out;
}

inline std::vector<Got> OfClass(const std::vector<Got>& all, ULONG cls) {
    std::vector<Got> out;
    for (const Got& g : all)
        if (g.cls == cls) out.push_back(g);
    return out;
}

// The texts a window shows, as "text@x,y", oldest first.
inline std::vector<std::string> Placed(Window* w) {
    std::vector<std::string> out;
    for (const auto& t : host::Texts(w)) out.push_back(t.text + "@" + std::to_string(t.x) + "," + std::to_string(t.y));
    return out;
}

inline std::vector<ULONG> Classes(const std::vector<Got>& all) {
    std::vector<ULONG> out;
    for (const Got& g : all) out.push_back(g.cls);
    return out;
}

// Lets the server handle all queued host input (messages stay at their ports): waits on an idle port.
inline void Settle() {
    MsgPort* idle = CreateMsgPort();
    host::SetSteps({});
    try { WaitPort(idle); } catch (const host::Stalled&) {}
    DeleteMsgPort(idle);
}

// What reached the window once the server has handled all queued input.
inline std::vector<Got> Settled(Window* w) {
    Settle();
    return Drain(w);
}

struct VirtualDisplay : ::testing::Test {
    void SetUp() override { host::UseVirtualDisplay(); }
};

// A window with an empty gadget list, and ways to add buttons and text fields to it.
class GadtoolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::UseVirtualDisplay();
        screen = LockPubScreen(nullptr);
        ASSERT_NE(screen, nullptr);
        vi = GetVisualInfo(screen, TAG_DONE);
        ASSERT_NE(vi, nullptr);
        Fresh();
    }
    void TearDown() override {
        if (window) CloseWindow(window);
        FreeGadgets(glist);
        FreeVisualInfo(vi);
    }
    void Fresh(const char* title = "Gadgets") {
        if (window) CloseWindow(window);
        FreeGadgets(glist);
        window = OpenBig(title);
        ASSERT_NE(window, nullptr);
        last = CreateContext(&glist);
        ASSERT_NE(last, nullptr);
    }
    NewGadget Shape(UWORD id, WORD left, WORD top, WORD width, WORD height, const char* label, ULONG flags) {
        return {left, top, width, height, label, nullptr, id, flags, vi, nullptr};
    }
    Gadget* Chain(Gadget* g) { return g ? last = g : nullptr; }
    Gadget* AddButton(UWORD id, WORD left, WORD top, WORD width, WORD height, const char* label) {
        NewGadget ng = Shape(id, left, top, width, height, label, PLACETEXT_IN | NG_HIGHLABEL);
        return Chain(CreateGadget(BUTTON_KIND, last, &ng, GT_Underscore, '_', TAG_DONE));
    }
    Gadget* AddField(UWORD id, WORD left, WORD top, WORD width, int maxChars, const char* initial,
                     const char* label = "_Name:") {
        NewGadget ng = Shape(id, left, top, width, 12, label, NG_HIGHLABEL);
        return Chain(CreateGadget(STRING_KIND, last, &ng, GTST_String, initial, GTST_MaxChars, maxChars,
                                  GT_Underscore, '_', TAG_DONE));
    }
    void Attach() {
        AddGList(window, glist, 0, -1, nullptr);
        RefreshGList(glist, window, nullptr, -1);
    }
    // Screen point of a gadget's centre.
    int CentreX(const Gadget* g) const { return window->LeftEdge + g->LeftEdge + g->Width / 2; }
    int CentreY(const Gadget* g) const { return window->TopEdge + g->TopEdge + g->Height / 2; }

    Screen* screen = nullptr;
    Window* window = nullptr;
    APTR vi = nullptr;
    Gadget* glist = nullptr;
    Gadget* last = nullptr;
};

}  // namespace wtest
