// The hand evaluation preferences dialog.
#include "dialogs/handprfs.h"

#include "game/handpile.h"

namespace {
// The options of a group, in the order they are added: the value-0 option goes last so it
// ends up first in the list (index 0) and selected.
struct Option {
    int32_t x, y;
    const char* text;
    int32_t value;
};
constexpr int32_t OptionSize = 12;
constexpr Option JokerOptions[] = {
    {28, 51, "5 jokers are best possible", 1},
    {28, 38, "5 jokers are lousy hand", 0},
};
constexpr Option FiveKindOptions[] = {
    {28, 86, "5 of kind is better than straight flush", 1},
    {28, 73, "5 of kind is lower than straight flush", 0},
};

void Fill(cRadioGroup& group, const Option (&options)[2], bool chooseFirst)
{
    for (const Option& o : options)
        group.Add(cRadioGadget(o.x, o.y, OptionSize, OptionSize, o.text, o.value, 1));
    if (chooseFirst) group.Select(1);
}

bool SelectedValue(const cRadioGroup& group) { return group.selected && group.selected->value != 0; }
}  // namespace

const cButton cPrefsHandGadgets::PrefsHandButtons[] = {
    {103, 15, 85, 80, 20, "OK"},
    {104, 285, 85, 80, 20, "Cancel"},
    {0, 0, 0, 0, 0, nullptr},
};

void TPrefsHandDialog::Execute()
{
    // Nothing to show or change without the main window and the hand.
    if (!parent || !hand || !parent->WScreen) return;
    Screen* screen = parent->WScreen;
    const int32_t height = screen->WBorTop + (screen->Font ? screen->Font->ta_YSize : 0) + 121;

    Window* w = OpenFramedWindow("Hand Evaluation Preferences", screen, parent->LeftEdge + 100,
                                 parent->TopEdge + 50, 390, height, DIALOG_IDCMP);
    if (!w) return;

    cPrefsHandGadgets gadgets;
    gadgets.Begin(w);
    gadgets.hand = hand;

    gadgets.jokersGroup = cRectangle(25, 35, 340, 32);
    gadgets.jokersGroup.style = 4;
    gadgets.jokersGroup.window = w;
    gadgets.jokersGroup.Update();
    gadgets.fiveKindGroup = cRectangle(25, 70, 340, 32);
    gadgets.fiveKindGroup.style = 4;
    gadgets.fiveKindGroup.window = w;
    gadgets.fiveKindGroup.Update();

    gadgets.AddButtons(cPrefsHandGadgets::PrefsHandButtons);
    gadgets.Attach();

    Fill(gadgets.jokersGroup, JokerOptions, (hand->flags & HAND_FIVE_JOKERS_BEST) != 0);
    Fill(gadgets.fiveKindGroup, FiveKindOptions, (hand->flags & HAND_FIVE_KIND_ABOVE_SF) != 0);

    ModalLoop(w, gadgets);

    // The window goes first; the groups and the gadget list are freed when they leave scope.
    CloseWindow(w);
}

cPrefsHandGadgets::~cPrefsHandGadgets()
{
    fiveKindGroup.DeleteAll();
    jokersGroup.DeleteAll();
}

int cPrefsHandGadgets::IDCMP(const IntuiMessage* msg)
{
    if (!msg) return 0;
    if (int r = jokersGroup.IDCMP(msg)) return r;
    if (int r = fiveKindGroup.IDCMP(msg)) return r;
    switch (msg->Class) {
    case IDCMP_GADGETUP: {
        const Gadget* g = static_cast<const Gadget*>(msg->IAddress);
        if (g && g->GadgetID == 103) return GadgetOK();
        return -1;
    }
    case IDCMP_REFRESHWINDOW:
        return Refresh();
    case IDCMP_VANILLAKEY:
        if (msg->Code == 10 || msg->Code == 13) return GadgetOK();
        if (msg->Code == 27) return -1;
        return 0;
    default:
        return 0;
    }
}

int cPrefsHandGadgets::GadgetOK()
{
    if (!hand) return -1;
    uint32_t flags = hand->flags & ~(HAND_FIVE_JOKERS_BEST | HAND_FIVE_KIND_ABOVE_SF);
    if (SelectedValue(jokersGroup)) flags |= HAND_FIVE_JOKERS_BEST;
    if (SelectedValue(fiveKindGroup)) flags |= HAND_FIVE_KIND_ABOVE_SF;
    hand->flags = flags;
    return -1;
}
