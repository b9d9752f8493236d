// Toolkit gadget lists: push buttons and text fields built from static tables, owned by a
// receiver that each window's list subclasses with its own input handling.
#pragma once
#include <gadtools.h>

#include "toolkit/IDCMP.h"

// One push button of a table; a record with id 0 ends the table.
struct cButton {
    UWORD id;
    UWORD left;    // from the inside of the window's left border
    UWORD top;     // from the inside of the window's top border
    UWORD width;
    UWORD height;
    const char* label;  // '_' marks the shortcut letter
};

// One single-line text field of a table; a record with id 0 ends the table.
struct cStringGadget {
    UWORD id;
    UWORD left;
    UWORD top;
    UWORD width;
    UWORD height;
    WORD maxChars;
    const char* label;    // shown left of the field, '_' marks the shortcut letter
    const char* initial;  // contents the field starts with
};

// A window's list of toolkit gadgets. The owner builds it: Begin(window), the Add...
// operations, then Attach(). The window must be closed before the list is destroyed.
class cGTGadgets : public cIDCMP {
public:
    APTR visualInfo = nullptr;
    Gadget* gadgetList = nullptr;  // the context gadget, head of the chain
    Gadget* lastGadget = nullptr;  // each new gadget is chained behind it
    Window* window = nullptr;

    // The one font of every gadget label: "topaz.font" 8.
    static const TextAttr textattr;

    cGTGadgets() = default;
    cGTGadgets(const cGTGadgets&) = delete;
    cGTGadgets& operator=(const cGTGadgets&) = delete;

    bool Active() const override;
    int IDCMP(const IntuiMessage* msg) override = 0;
    virtual ~cGTGadgets();

    // Sets the window, creates the context gadget and fetches the screen's visual info.
    void Begin(Window* w);
    // Attaches the whole chain to the window and draws it.
    void Attach();
    // The answer to IDCMP_REFRESHWINDOW: the toolkit's begin and end refresh pair; taken (1).
    int Refresh();

    // The new gadget, or nullptr when the toolkit could not make it.
    Gadget* AddButton(const cButton& button);
    Gadget* AddStringGadget(const cStringGadget& field);
    // Walk a table up to its id-0 record; stop at the first gadget that cannot be made.
    void AddButtons(const cButton* table);
    void AddStringGadgets(const cStringGadget* table);
};
