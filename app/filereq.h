// The file requester wrapper: asks for a file and remembers the last confirmed choice.
#pragma once
#include <asl.h>

#include "app/cstring.h"

class cFileReq {
public:
    cstring file;    // file name of the last confirmed choice
    cstring drawer;  // drawer of the last confirmed choice
    cstring path;    // the two joined
    Window* window;  // not owned; the window the requesters belong to

    cFileReq(const char* file = "", const char* drawer = "save/", Window* window = nullptr);

    // The chosen path (owned here, valid until the next confirmed request), or nullptr when
    // the user cancelled or no requester could be made; then nothing changes.
    const char* DoAslRequest(const TagItem* tags);
    // The game's requester for saved games: the title and confirming button given, "Cancel",
    // icons left out, starting at the last confirmed file and drawer.
    const char* AskForGame(const char* title, const char* positive);
};
