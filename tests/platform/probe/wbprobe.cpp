// Started by the start-up tests, through wbrun or directly: prints what its start-up message
// holds and returns the status it is asked for.
#include <dos.h>
#include <workbench.h>

#include <cstdio>
#include <cstdlib>

int main() {
    if (__WBenchMsg == nullptr) std::printf("no message\n");
    else {
        const WBArg* arg = __WBenchMsg->sm_ArgList;
        char drawer[4096] = "";
        if (arg->wa_Lock == 0 || NameFromLock(arg->wa_Lock, drawer, sizeof drawer) != DOSTRUE)
            std::snprintf(drawer, sizeof drawer, "(no lock)");
        std::printf("args %d\ndrawer %s\nname %s\n", static_cast<int>(__WBenchMsg->sm_NumArgs), drawer, arg->wa_Name);
    }
    std::printf("inherited %s\n", std::getenv("WB_STARTUP_NAME") != nullptr ? "yes" : "no");
    const char* status = std::getenv("PROBE_STATUS");
    return status != nullptr ? std::atoi(status) : 0;
}
