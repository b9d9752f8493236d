// A small program for the GUI test: one window on the default screen; every message it
// gets is printed on a line of its own; the close gadget ends it.
#include <cstdio>

#include <intuition.h>

namespace {

const char* ClassName(ULONG cls) {
    switch (cls) {
    case IDCMP_VANILLAKEY: return "VANILLAKEY";
    case IDCMP_MOUSEBUTTONS: return "MOUSEBUTTONS";
    case IDCMP_CLOSEWINDOW: return "CLOSEWINDOW";
    default: return "OTHER";
    }
}

}  // namespace

int main() {
    Screen* screen = LockPubScreen(nullptr);
    if (!screen) { std::printf("no screen\n"); return 20; }
    const TagItem tags[] = {
        {WA_Title, reinterpret_cast<uintptr_t>("Probe")}, {WA_DragBar, 1}, {WA_DepthGadget, 1}, {WA_CloseGadget, 1},
        {WA_Left, 100}, {WA_Top, 80}, {WA_Width, 300}, {WA_Height, 150},
        {WA_CustomScreen, reinterpret_cast<uintptr_t>(screen)}, {WA_Activate, 1},
        {WA_IDCMP, IDCMP_VANILLAKEY | IDCMP_MOUSEBUTTONS | IDCMP_CLOSEWINDOW}, {TAG_DONE, 0}};
    Window* window = OpenWindowTagList(nullptr, tags);
    if (!window) { std::printf("no window\n"); UnlockPubScreen(nullptr, screen); return 22; }
    // A block of the fixed blue pen the test looks for on the host's screen.
    SetAPen(window->RPort, 3);
    RectFill(window->RPort, 20, 30, 119, 79);
    std::printf("ready %d %d %d %d\n", window->LeftEdge, window->TopEdge, window->Width, window->Height);
    std::fflush(stdout);

    bool done = false;
    while (!done) {
        WaitPort(window->UserPort);
        while (Message* msg = GetMsg(window->UserPort)) {
            const auto* im = reinterpret_cast<IntuiMessage*>(msg);
            std::printf("%s %u %d %d\n", ClassName(im->Class), static_cast<unsigned>(im->Code), im->MouseX, im->MouseY);
            std::fflush(stdout);
            if (im->Class == IDCMP_CLOSEWINDOW) done = true;
            ReplyMsg(msg);
        }
    }
    CloseWindow(window);
    UnlockPubScreen(nullptr, screen);
    return 0;
}
