// wbrun PATH: start the program at PATH as Workbench does from its icon. The program's
// start-up code finds its drawer and name in the environment; wbrun then becomes the
// program, so its exit status is the program's.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// The names the platform's start-up code reads (host::kStartupDrawer, host::kStartupName).
constexpr const char* kStartupDrawer = "WB_STARTUP_DRAWER";
constexpr const char* kStartupName = "WB_STARTUP_NAME";

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "usage: wbrun PATH\n  starts the program at PATH as if from its icon\n");
        return 2;
    }
    std::string path = argv[1];
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

    char resolved[PATH_MAX];
    if (realpath(folder.c_str(), resolved) == nullptr) {
        std::fprintf(stderr, "wbrun: %s: drawer not found (%s)\n", folder.c_str(), std::strerror(errno));
        return 127;
    }
    const std::string drawer = resolved;
    const std::string program = (drawer == "/" ? "" : drawer) + "/" + name;
    struct stat st;
    if (stat(program.c_str(), &st) != 0) {
        std::fprintf(stderr, "wbrun: %s: no such program\n", argv[1]);
        return 127;
    }
    if (!S_ISREG(st.st_mode) || access(program.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "wbrun: %s: not an executable program\n", argv[1]);
        return 126;
    }
    if (setenv(kStartupDrawer, drawer.c_str(), 1) != 0 || setenv(kStartupName, name.c_str(), 1) != 0) {
        std::fprintf(stderr, "wbrun: cannot pass the start-up message (%s)\n", std::strerror(errno));
        return 1;
    }
    char* const args[] = {const_cast<char*>(program.c_str()), nullptr};
    execv(program.c_str(), args);
    std::fprintf(stderr, "wbrun: %s: cannot start (%s)\n", argv[1], std::strerror(errno));
    return 126;
}
