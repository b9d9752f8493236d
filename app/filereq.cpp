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
