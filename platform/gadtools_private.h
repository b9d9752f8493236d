// What the gadget and menu halves of GadTools share. Private to the platform.
#pragma once
#include "intuition.h"

namespace gadtools {
// The screen a visual info was made for (nullptr for nullptr).
Screen* VisualInfoScreen(APTR vi);
}  // namespace gadtools
