// GadTools: buttons, text fields and menus. (Being written; these bodies keep the server
// linking meanwhile.)
#include "server.h"

namespace gadgets {
void Draw(Window*, Gadget*) {}
bool MouseDown(Window*, int, int) { return false; }
void MouseMove(Window*, int, int) {}
bool MouseUp(Window*, int, int) { return false; }
bool Key(Window*, int, unsigned) { return false; }
bool RawKey(Window*, int) { return false; }
void Forget(Window*) {}
}  // namespace gadgets

namespace menus {
bool RightDown(int, int) { return false; }
void Move(int, int) {}
void RightUp(int, int) {}
bool Showing() { return false; }
void Draw(uint8_t*, int, int) {}
bool CommandKey(Window*, int) { return false; }
void Forget(Window*) {}
}  // namespace menus
