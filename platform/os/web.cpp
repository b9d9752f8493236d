// The host's services in a browser page: a program is started by the page beside this one,
// and written files are kept in the browser's IndexedDB before the program goes on.
#include <emscripten.h>

#include <cerrno>
#include <ctime>

#include "os/os.h"

// web.js; both sleep (Asyncify) until the page has done it.
extern "C" {
// -1: the page cannot start it; else 0 once started, or its exit status when waited for.
int web_run(const char* const* args, int count, int wait);
int web_store();  // 1: kept
}

namespace os {

Started Run(const Program& program) {
    std::vector<const char*> args;
    for (const std::string& a : program.args) args.push_back(a.c_str());
    Started s;
    const int result = args.empty() ? -1 : web_run(args.data(), int(args.size()), program.detach ? 0 : 1);
    if (result < 0) s.error = ENOENT;
    else s.ok = result == 0, s.status = result;
    return s;
}

// Only the page knows its programs, and it answers when asked to start one.
int CannotRun(const std::string&) { return 0; }

bool StoreWrites() { return web_store() != 0; }

}  // namespace os

// A page's program has no processor clock (the C library's clock() is always 0 here), so
// every start would seed the same deal: the time since the page began stands in for it.
extern "C" clock_t clock() { return clock_t(emscripten_get_now() * (CLOCKS_PER_SEC / 1000.0)); }
