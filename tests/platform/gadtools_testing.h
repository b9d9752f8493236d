// Helpers shared by the gadget, menu and requester tests: a window to put things in,
// letting the server handle queued input, and what reached a port.
#pragma once
#include <gadtools.h>
#include <intuition.h>

#include <string>
#include <vector>

#include "host/host.h"

namespace gttest {

inline Window* OpenTestWindow(const char* title = "Gadgets", ULONG idcmp = IDCMP_GADGETUP | IDCMP_VANILLAKEY |
                                                                              IDCMP_MOUSEBUTTONS | IDCMP_MENUPICK |
                                                                              IDCMP_CLOSEWINDOW | IDCMP_RAWKEY,
                              int left = 40, int top = 40, int width = 400, int height = 200) {
    const TagItem tags[] = {
        {WA_Title, reinterpret_cast<uintptr_t>(title)},
        {WA_DragBar, TRUE},
        {WA_DepthGadget, TRUE},
        {WA_CloseGadget, TRUE},
        {WA_Left, static_cast<uintptr_t>(left)},
        {WA_Top, static_cast<uintptr_t>(top)},
        {WA_Width, static_cast<uintptr_t>(width)},
        {WA_Height, static_cast<uintptr_t>(height)},
        {WA_CustomScreen, reinterpret_cast<uintptr_t>(LockPubScreen(nullptr))},
        {WA_Activate, TRUE},
        {WA_IDCMP, idcmp},
        {TAG_DONE, 0},
    };
    return OpenWindowTagList(nullptr, tags);
}

// Lets the server handle every queued piece of host input: waits on a port nobody sends
// to until the (empty) user has nothing left to do.
inline void Settle() {
    MsgPort* idle = CreateMsgPort();
    host::SetSteps({});
    try {
        WaitPort(idle);
    } catch (const host::Stalled&) {
    }
    DeleteMsgPort(idle);
}

struct Got {
    ULONG cls;
    UWORD code;
    APTR address;
};

// Every message queued at the window's port, replied.
inline std::vector<Got> Drain(Window* w) {
    std::vector<Got> out;
    while (Message* m = GetMsg(w->UserPort)) {
        auto* im = reinterpret_cast<IntuiMessage*>(m);
        out.push_back({im->Class, im->Code, im->IAddress});
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

// Screen position of a point in a window's frame.
inline int ScreenX(Window* w, int x) { return w->LeftEdge + x; }
inline int ScreenY(Window* w, int y) { return w->TopEdge + y; }

}  // namespace gttest
