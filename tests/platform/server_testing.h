// Helpers shared by the window server's tests: opening windows with the usual tags and
// reading what reached a port.
#pragma once
#include <intuition.h>

#include <string>
#include <vector>

#include "host/host.h"

namespace servertest {

struct WinSpec {
    int left = 20;
    int top = 30;
    int width = 200;
    int height = 100;
    ULONG idcmp = IDCMP_MOUSEBUTTONS | IDCMP_VANILLAKEY | IDCMP_CLOSEWINDOW;
    const char* title = "Test";
    bool activate = true;
    bool close = true;
    bool depth = true;
    bool drag = true;
};

inline Window* Open(const WinSpec& shape) {
    TagItem tags[] = {
        {WA_Title, reinterpret_cast<uintptr_t>(shape.title)},
        {WA_DragBar, shape.drag},
        {WA_DepthGadget, shape.depth},
        {WA_CloseGadget, shape.close},
        {WA_Left, static_cast<uintptr_t>(shape.left)},
        {WA_Top, static_cast<uintptr_t>(shape.top)},
        {WA_Width, static_cast<uintptr_t>(shape.width)},
        {WA_Height, static_cast<uintptr_t>(shape.height)},
        {WA_CustomScreen, reinterpret_cast<uintptr_t>(LockPubScreen(nullptr))},
        {WA_Activate, shape.activate},
        {WA_IDCMP, shape.idcmp},
        {TAG_DONE, 0},
    };
    return OpenWindowTagList(nullptr, tags);
}

struct Got {
    ULONG cls;
    UWORD code;
    int x, y;
    Window* window;
    bool operator==(const Got&) const = default;
};

// Every message queued at the window's port, replied.
inline std::vector<Got> Drain(Window* w) {
    std::vector<Got> out;
    while (Message* m = GetMsg(w->UserPort)) {
        auto* im = reinterpret_cast<IntuiMessage*>(m);
        out.push_back({im->Class, im->Code, im->MouseX, im->MouseY, im->IDCMPWindow});
        ReplyMsg(m);
    }
    return out;
}

// Lets the server handle every queued piece of host input: waits on a port nobody sends
// to until the (empty) user has nothing left to do. Messages stay at their windows' ports.
inline void Settle() {
    MsgPort* idle = CreateMsgPort();
    host::SetSteps({});
    try {
        WaitPort(idle);
    } catch (const host::Stalled&) {
    }
    DeleteMsgPort(idle);
}

}  // namespace servertest
