// The host's services on Linux: programs started with fork and exec; files are on the disk
// once the DOS calls have synced them.
#include "os/os.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace os {
namespace {

void ClearCloseOnExec(int fd) {
    const int flags = fcntl(fd, F_GETFD);
    if (flags >= 0) fcntl(fd, F_SETFD, flags & ~FD_CLOEXEC);
}

Started Failed(int error) {
    Started s;
    s.error = error;
    return s;
}

}  // namespace

Started Run(const Program& program) {
    if (program.args.empty()) return Failed(ENOENT);
    if (const int error = CannotRun(program.args[0]); error != 0) return Failed(error);
    // Everything the child needs is made before fork: after it only plain system calls.
    std::vector<std::string> args = program.args, env = program.env;
    std::vector<char*> argv, envp;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const int inFd = program.inFd, outFd = program.outFd;

    // The child reports a failed exec through this pipe; a successful exec closes it.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return Failed(errno);
    std::fflush(stdout);
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int e = errno;
        ::close(report[0]);
        ::close(report[1]);
        return Failed(e);
    }
    if (pid == 0) {
        if (program.detach) {
            // A started program belongs to nobody here: the middle process leaves at once and
            // the program is reaped by the system, never left as our zombie.
            const pid_t grandchild = ::fork();
            if (grandchild < 0) {
                const int e = errno;
                (void)!::write(report[1], &e, sizeof e);
                ::_exit(127);
            }
            if (grandchild > 0) ::_exit(0);
        }
        if (inFd == STDIN_FILENO) ClearCloseOnExec(inFd); else ::dup2(inFd, STDIN_FILENO);
        if (outFd == STDOUT_FILENO) ClearCloseOnExec(outFd); else ::dup2(outFd, STDOUT_FILENO);
        ::execve(argv[0], argv.data(), envp.data());
        const int e = errno;
        (void)!::write(report[1], &e, sizeof e);
        ::_exit(127);
    }
    ::close(report[1]);

    int status = 0;
    if (program.detach) {
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    int childErrno = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &childErrno, sizeof childErrno);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (program.detach) return got > 0 ? Failed(childErrno) : Started{true, 0, 0};
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return Failed(errno);
    }
    if (got > 0) return Failed(childErrno);
    Started s;
    s.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    s.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return s;
}

int CannotRun(const std::string& path) { return ::access(path.c_str(), X_OK) == 0 ? 0 : errno; }

bool StoreWrites() { return true; }

}  // namespace os
