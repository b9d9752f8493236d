// Workbench start-up: the message of a program started from its icon, and the exit status.
#include "workbench.h"

#include <cstdlib>
#include <string>

#include "dos.h"
#include "host/host.h"

WBStartup* __WBenchMsg = nullptr;

namespace {

// What the message owns besides itself; the message comes first so that the two convert.
struct HeldStartup {
    WBStartup message;
    WBArg arg;
    char* name;
};

}  // namespace

namespace host {

int ExitStatus(int result) {
    const int low = result & 0xFF;
    // A failure must never read as success once the host keeps only the low byte.
    return (result != 0 && low == 0) ? 255 : low;
}

WBStartup* TakeStartupMessage() {
    const char* drawer = std::getenv(kStartupDrawer);
    const char* name = std::getenv(kStartupName);
    WBStartup* result = nullptr;
    if (drawer != nullptr && name != nullptr) {
        auto* held = new HeldStartup{};
        const std::string copy = name;
        held->name = new char[copy.size() + 1];
        copy.copy(held->name, copy.size());
        held->name[copy.size()] = '\0';
        held->arg.wa_Lock = *drawer != '\0' ? Lock(drawer, SHARED_LOCK) : 0;
        held->arg.wa_Name = held->name;
        held->message.sm_NumArgs = 1;
        held->message.sm_ArgList = &held->arg;
        result = &held->message;
    }
    // Programs this one starts were not started from an icon.
    unsetenv(kStartupDrawer);
    unsetenv(kStartupName);
    return result;
}

void FreeStartupMessage(WBStartup* message) {
    if (message == nullptr) return;
    auto* held = reinterpret_cast<HeldStartup*>(message);
    UnLock(held->arg.wa_Lock);
    delete[] held->name;
    delete held;
}

}  // namespace host
