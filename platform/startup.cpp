// The start-up code of a program linked with -Wl,--wrap=main: the program's own main
// becomes __real_main and runs with the Workbench message when wbrun started it.
#include <cstdio>

#include "host/host.h"
#include "workbench.h"

extern "C" int __real_main(int argc, char** argv);

extern "C" int __wrap_main(int argc, char** argv) {
    WBStartup* message = host::TakeStartupMessage();
    __WBenchMsg = message;
    const int result = __real_main(argc, argv);
    __WBenchMsg = nullptr;
    host::FreeStartupMessage(message);
    std::fflush(nullptr);
    return host::ExitStatus(result);
}
