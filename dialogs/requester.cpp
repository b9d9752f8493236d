// The message requester.
#include "dialogs/requester.h"

#include "toolkit/globals.h"

const cButton cReqGadgets::ReqButtons[] = {
    {103, 80, 50, 50, 16, "OK"},
    {0, 0, 0, 0, 0, nullptr},
};

namespace {
// Title bar height on a window's screen: top border + screen font height + 1.
int32_t TitleBarHeight(const Window* w)
{
    if (!w || !w->WScreen) return 0;
    const Screen* s = w->WScreen;
    return s->WBorTop + (s->Font ? s->Font->ta_YSize : 0) + 1;
}
}  // namespace

cRequester::cRequester(Window* parent_, int32_t left_, int32_t top_, int32_t width_, int32_t innerHeight,
                       const char* title_)
    : parent(parent_), left(left_), top(top_), width(width_), height(0), title(title_), text(),
      titleBarHeight(TitleBarHeight(parent_))
{
    height = innerHeight + titleBarHeight;
}

void cRequester::Execute(const char* message)
{
    text = message;
    // Without a parent there is no screen to open on.
    if (!parent) return;

    Window* w = OpenFramedWindow(title.text, parent->WScreen, left, top, width, height, DIALOG_IDCMP);
    if (!w) return;
    RastPort* rp = w->RPort;
    if (TEXTFONT) SetFont(rp, TEXTFONT);

    cReqGadgets gadgets;
    gadgets.Begin(w);
    gadgets.AddButtons(cReqGadgets::ReqButtons);
    gadgets.Attach();

    // One line, centred; a text wider than the window is cut by its edges.
    const char* s = text.text ? text.text : "";
    const ULONG n = static_cast<ULONG>(text.cstrlength(s));
    const int32_t tw = TextLength(rp, s, n);
    Move(rp, (w->Width - tw) / 2, w->BorderTop + 20);
    SetAPen(rp, pens[1]);
    SetDrMd(rp, JAM1);
    Text(rp, s, n);

    ModalLoop(w, gadgets);

    left = w->LeftEdge;
    top = w->TopEdge;
    // The window goes first; the gadget list is freed when it leaves scope.
    CloseWindow(w);
}

int cReqGadgets::IDCMP(const IntuiMessage* msg)
{
    if (!msg) return 0;
    switch (msg->Class) {
    case IDCMP_GADGETUP: {
        const Gadget* g = static_cast<const Gadget*>(msg->IAddress);
        return (g && g->GadgetID == 103) ? -1 : 1;
    }
    case IDCMP_CLOSEWINDOW:
        return -1;
    case IDCMP_VANILLAKEY:
        switch (msg->Code) {
        case 10: case 13: case 27: case 'K': case 'k': case 'O': case 'o':
            return -1;
        default:
            return 0;
        }
    case IDCMP_REFRESHWINDOW:
        return Refresh();
    default:
        return 0;
    }
}
