// Fault injection: tests tell a named operation to fail once or from its n-th call on.
#include <map>
#include <string_view>
#include <string>

#include "host/host.h"

namespace {

struct Fault {
    long callsLeft = 1;      // the call that brings this to 0 fails
    bool persistent = false; // keep failing afterwards
};

std::map<std::string, Fault, std::less<>>& Faults() {
    static std::map<std::string, Fault, std::less<>> faults;
    return faults;
}

std::map<std::string, int, std::less<>>& Calls() {
    static std::map<std::string, int, std::less<>> calls;
    return calls;
}

}  // namespace

namespace host {

void FailOnce(const std::string& op) { Faults()[op] = Fault{1, false}; }

void FailAt(const std::string& op, int n) { Faults()[op] = Fault{n < 1 ? 1 : n, false}; }

void FailFrom(const std::string& op, int n) {
    // n of 0 or less means "already failing": the next call fails.
    Faults()[op] = Fault{n < 1 ? 1 : n, true};
}

void ClearFaults() { Faults().clear(); }

std::map<std::string, int> CallCounts() { return {Calls().begin(), Calls().end()}; }

void ResetCallCounts() { Calls().clear(); }

bool ShouldFail(const char* op) {
    if (op == nullptr) return false;
    auto counted = Calls().find(std::string_view(op));
    if (counted == Calls().end()) counted = Calls().emplace(op, 0).first;
    ++counted->second;
    auto& faults = Faults();
    auto it = faults.find(std::string_view(op));
    if (it == faults.end()) return false;
    Fault& f = it->second;
    if (f.callsLeft > 1) {
        --f.callsLeft;
        return false;
    }
    if (!f.persistent) faults.erase(it);
    return true;
}

}  // namespace host
