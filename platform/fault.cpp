// Fault injection: tests tell a named operation to fail once or from its n-th call on,
// before doing anything or after doing its work.
#include <unistd.h>

#include <map>
#include <string_view>
#include <string>
#include <vector>

#include "host/host.h"

namespace {

struct Fault {
    long callsLeft = 1;       // the call that brings this to 0 fails
    bool persistent = false;  // keep failing afterwards
    bool afterDoing = false;  // the operation is done, then reported failed
    bool kill = false;        // the process ends there, as if killed
};

std::map<std::string, std::vector<Fault>, std::less<>>& Faults() {
    static std::map<std::string, std::vector<Fault>, std::less<>> faults;
    return faults;
}

std::vector<std::string>& Failed() {
    static std::vector<std::string> failed;
    return failed;
}

std::map<std::string, int, std::less<>>& Calls() {
    static std::map<std::string, int, std::less<>> calls;
    return calls;
}

void Add(const std::string& op, int n, bool persistent, bool afterDoing, bool kill = false) {
    // n of 0 or less means "already failing": the next call fails.
    Faults()[op].push_back(Fault{n < 1 ? 1 : n, persistent, afterDoing, kill});
}

}  // namespace

namespace host {

void FailOnce(const std::string& op) { Add(op, 1, false, false); }

void FailAt(const std::string& op, int n, bool afterDoing) { Add(op, n, false, afterDoing); }

void FailFrom(const std::string& op, int n, bool afterDoing) { Add(op, n, true, afterDoing); }

void KillAt(const std::string& op, int n) { Add(op, n, false, false, true); }

void ClearFaults() { Faults().clear(); }

std::map<std::string, int> CallCounts() { return {Calls().begin(), Calls().end()}; }

void ResetCallCounts() {
    Calls().clear();
    Failed().clear();
}

std::vector<std::string> FailedCalls() { return Failed(); }

Failure Inject(const char* op) {
    if (op == nullptr) return Failure::none;
    auto counted = Calls().find(std::string_view(op));
    if (counted == Calls().end()) counted = Calls().emplace(op, 0).first;
    ++counted->second;
    Failure result = Failure::none;
    // Faults on this operation, and those on "*", which counts the calls of every operation.
    for (std::string_view name : {std::string_view(op), std::string_view("*")}) {
        auto it = Faults().find(name);
        if (it == Faults().end()) continue;
        auto& faults = it->second;
        for (auto f = faults.begin(); f != faults.end();) {
            if (f->callsLeft > 1) {
                --f->callsLeft;
                ++f;
                continue;
            }
            if (f->kill) _exit(kKilledStatus);
            if (result == Failure::none) {
                result = f->afterDoing ? Failure::after : Failure::before;
                Failed().push_back(std::string(op) + " " + std::to_string(counted->second));
            }
            f = f->persistent ? f + 1 : faults.erase(f);
        }
    }
    return result;
}

bool ShouldFail(const char* op) { return Inject(op) != Failure::none; }

}  // namespace host
