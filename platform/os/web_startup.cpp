// The start-up code of a program in a browser page, linked with -Wl,--wrap=__original_main
// (what a main without arguments is called here): the page hands the Workbench message
// through the environment, as wbrun does, and reports the exit status.
#include <cstdlib>

#include "host/host.h"
#include "workbench.h"

extern "C" int __real___original_main();

extern "C" int __wrap___original_main() {
    WBStartup* message = host::TakeStartupMessage();
    __WBenchMsg = message;
    const int result = __real___original_main();
    __WBenchMsg = nullptr;
    host::FreeStartupMessage(message);
    // A main that has slept returns into the page's event handling, not to the runtime that
    // called it: the status leaves through exit.
    std::exit(host::ExitStatus(result));
}
