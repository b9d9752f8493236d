// The message requester: a small modal window with one line of text and an "OK" button.
// It keeps its place between uses, so it reopens where the player last left it.
#pragma once
#include <intuition.h>

#include "app/cstring.h"
#include "toolkit/gtgadgets.h"

class cRequester {
public:
    Window* parent;          // the requester opens on this window's screen
    int32_t left;            // on the screen; rewritten after each use
    int32_t top;
    int32_t width;           // outer size
    int32_t height;          // inner height asked for + titleBarHeight
    cstring title;
    cstring text;            // the message of the current or last Execute
    int32_t titleBarHeight;  // a title bar on the parent's screen

    cRequester(Window* parent_, int32_t left_, int32_t top_, int32_t width_, int32_t innerHeight,
               const char* title_);

    // Shows message (one line, never wrapped) and returns once the player dismissed it.
    void Execute(const char* message);
};

// The requester's receiver: OK, the close gadget and the keys Return, Enter, Escape, O, K
// close it.
class cReqGadgets : public cGTGadgets {
public:
    static const cButton ReqButtons[];

    int IDCMP(const IntuiMessage* msg) override;
    ~cReqGadgets() override = default;
};
