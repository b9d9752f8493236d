// The file requester wrapper.
#include "app/filereq.h"

cFileReq::cFileReq(const char* file, const char* drawer, Window* window)
    : file(file), drawer(drawer), path(""), window(window) {}

const char* cFileReq::DoAslRequest(const TagItem* tags) {
    APTR request = AllocAslRequest(ASL_FileRequest, tags);
    if (request == nullptr) return nullptr;
    const auto* fr = static_cast<const FileRequester*>(request);

    bool chosen = false;
    if (AslRequest(request, nullptr)) {
        chosen = true;
        drawer = fr->fr_Drawer;
        file = fr->fr_File;
        if (drawer == "") {
            path = file.text;
        } else {
            path = drawer.text;
            const int last = path.lastchar();
            if (last != '/' && last != ':') path += "/";
            if (fr->fr_File != nullptr) path += fr->fr_File;
        }
    }
    FreeAslRequest(request);
    return chosen ? path.text : nullptr;
}

const char* cFileReq::AskForGame(const char* title, const char* positive) {
    const TagItem tags[] = {
        {ASLFR_TitleText, reinterpret_cast<uintptr_t>(title)},
        {ASLFR_Window, reinterpret_cast<uintptr_t>(window)},
        {ASLFR_PositiveText, reinterpret_cast<uintptr_t>(positive)},
        {ASLFR_NegativeText, reinterpret_cast<uintptr_t>("Cancel")},
        {ASLFR_InitialPattern, reinterpret_cast<uintptr_t>("~(#?.info)")},
        {ASLFR_InitialFile, reinterpret_cast<uintptr_t>(file.text ? file.text : "")},
        {ASLFR_InitialDrawer, reinterpret_cast<uintptr_t>(drawer.text ? drawer.text : "")},
        {TAG_DONE, 0},
    };
    return DoAslRequest(tags);
}
