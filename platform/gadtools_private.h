// What GadTools shares with the menus and the system requesters. Private to the platform.
#pragma once
#include <string>
#include <vector>

#include "intuition.h"

namespace gadtools {
// The screen a visual info was made for (nullptr for nullptr).
Screen* VisualInfoScreen(APTR vi);

// Buttons in a row across [left, left + width): the first at the left, the last at the right,
// the others spread evenly between; one alone is centred. Their ids count up from firstId.
// Returns the last gadget made, or nullptr once one could not be made.
Gadget* CreateButtonRow(Gadget* previous, APTR visualInfo, const std::vector<std::string>& labels, UWORD firstId,
                        int left, int top, int width, int buttonWidth, int buttonHeight);
}  // namespace gadtools
