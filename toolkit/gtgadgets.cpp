// Toolkit gadget lists.
#include "toolkit/gtgadgets.h"

const TextAttr cGTGadgets::textattr = {"topaz.font", 8, 0, 0};

bool cGTGadgets::Active() const { return false; }

cGTGadgets::~cGTGadgets()
{
    FreeGadgets(gadgetList);
    if (visualInfo) FreeVisualInfo(visualInfo);
}

void cGTGadgets::Begin(Window* w)
{
    window = w;
    lastGadget = CreateContext(&gadgetList);
    visualInfo = w ? GetVisualInfo(w->WScreen, TAG_DONE) : nullptr;
}

void cGTGadgets::Attach()
{
    if (!window) return;
    // Without a context gadget there is no chain to attach; the window still works.
    if (gadgetList) {
        AddGList(window, gadgetList, 0, -1, nullptr);
        RefreshGList(gadgetList, window, nullptr, -1);
    }
    GT_RefreshWindow(window, nullptr);
}

namespace {
// The description both kinds share; only the flags differ.
NewGadget Describe(Window* window, APTR visualInfo, UWORD id, UWORD left, UWORD top, UWORD width, UWORD height,
                   const char* label, ULONG flags)
{
    NewGadget ng{};
    ng.ng_LeftEdge = static_cast<WORD>(left + (window ? window->BorderLeft : 0));
    ng.ng_TopEdge = static_cast<WORD>(top + (window ? window->BorderTop : 0));
    ng.ng_Width = static_cast<WORD>(width);
    ng.ng_Height = static_cast<WORD>(height);
    ng.ng_GadgetText = label;
    ng.ng_TextAttr = &cGTGadgets::textattr;
    ng.ng_GadgetID = id;
    ng.ng_Flags = flags;
    ng.ng_VisualInfo = visualInfo;
    ng.ng_UserData = nullptr;
    return ng;
}
}  // namespace

Gadget* cGTGadgets::AddButton(const cButton& b)
{
    NewGadget ng = Describe(window, visualInfo, b.id, b.left, b.top, b.width, b.height, b.label,
                            PLACETEXT_IN | NG_HIGHLABEL);
    lastGadget = CreateGadget(BUTTON_KIND, lastGadget, &ng, GT_Underscore, static_cast<uintptr_t>('_'), TAG_DONE);
    return lastGadget;
}

Gadget* cGTGadgets::AddStringGadget(const cStringGadget& s)
{
    NewGadget ng = Describe(window, visualInfo, s.id, s.left, s.top, s.width, s.height, s.label, NG_HIGHLABEL);
    lastGadget = CreateGadget(STRING_KIND, lastGadget, &ng, GTST_String, reinterpret_cast<uintptr_t>(s.initial),
                              GTST_MaxChars, static_cast<uintptr_t>(static_cast<intptr_t>(s.maxChars)),
                              GT_Underscore, static_cast<uintptr_t>('_'), TAG_DONE);
    return lastGadget;
}

void cGTGadgets::AddButtons(const cButton* table)
{
    if (!table) return;
    for (const cButton* b = table; b->id != 0; ++b)
        if (!AddButton(*b)) break;
}

void cGTGadgets::AddStringGadgets(const cStringGadget* table)
{
    if (!table) return;
    for (const cStringGadget* s = table; s->id != 0; ++s)
        if (!AddStringGadget(*s)) break;
}

int cGTGadgets::Refresh() {
    GT_BeginRefresh(window);
    GT_EndRefresh(window, TRUE);
    return 1;
}
