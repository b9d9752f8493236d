// MultiView FILE: shows a guide in a window until it is closed. Started by the game's help
// command, in the game's drawer, so a relative name resolves there.
#include <cstdio>

#include "guideviewer.h"
#include "host/host.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: MultiView FILE\n");
        return 10;
    }
    try {
        return guide::RunGuideViewer(argv[1]);
    } catch (const host::Stalled&) {
        // The virtual display with nobody at it: nothing more will happen, and nobody is
        // waiting to hear about it.
        return 0;
    }
}
