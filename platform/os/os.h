// The host's own services where hosts differ: starting a program and keeping written files.
// posix.cpp serves Linux, web.cpp a browser page. Private to the platform.
#pragma once
#include <string>
#include <vector>

namespace os {

// A program to start: its host path and arguments, its environment ("NAME=value"), its
// standard input and output, and whether to wait for its end.
struct Program {
    std::vector<std::string> args;  // args[0] is the program's host path
    std::vector<std::string> env;
    int inFd = 0, outFd = 1;
    bool detach = false;
};

// What became of it: started (and, when waited for, its exit status), or the host's errno
// for why it could not be.
struct Started {
    bool ok = false;
    int error = 0;   // errno when !ok and the program never ran
    int status = 0;  // exit status when waited for; nonzero with ok false
};
Started Run(const Program& program);
// Asked before Execute opens any redirection: 0 when the program at this host path can be
// started as far as the host can tell now, else errno.
int CannotRun(const std::string& path);

// Every write made so far is kept on the host's storage before the program goes on. False
// when the host could not keep it.
bool StoreWrites();

}  // namespace os
