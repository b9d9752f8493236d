// DOS: files, locks, the current directory, commands and path helpers on the host's
// file system. Handles and locks are keys into tables here, never 0 when valid.
#include "dos.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/host.h"
#include "os/os.h"
#include "windowserver.h"

extern char** environ;

namespace {

LONG lastError = 0;

struct FileEntry {
    int fd = -1;
    bool standard = false;  // the process's own input or output: never closed
    bool written = false;   // flushed to the disk on Close so that a failure shows there
};

struct LockEntry {
    std::string path;  // absolute
    dev_t device = 0;  // the object itself, which keeps its identity across a rename
    ino_t inode = 0;
};

constexpr BPTR kInputHandle = 0x10;
constexpr BPTR kOutputHandle = 0x14;
BPTR nextHandle = 0x100;

std::map<BPTR, FileEntry>& Files() {
    static std::map<BPTR, FileEntry> files = {
        {kInputHandle, FileEntry{STDIN_FILENO, true, false}},
        {kOutputHandle, FileEntry{STDOUT_FILENO, true, false}},
    };
    return files;
}

std::map<BPTR, LockEntry>& Locks() {
    static std::map<BPTR, LockEntry> locks;
    return locks;
}

// Files and locks share one numbering, so a file handle is never taken for a lock.
BPTR NewHandle() {
    nextHandle += 4;
    return nextHandle;
}

BPTR currentDirLock = 0;

std::string HostCwd() {
    std::vector<char> buffer(PATH_MAX);
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1u << 20)) return ".";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

// The directory the process started in: what the lock 0 stands for.
const std::string& InitialDir() {
    static const std::string dir = HostCwd();
    return dir;
}
[[maybe_unused]] const bool initialDirCaptured = !InitialDir().empty();

LONG ErrorFromErrno(int e) {
    switch (e) {
        case ENOENT: return ERROR_OBJECT_NOT_FOUND;
        case ENOTDIR: return ERROR_DIR_NOT_FOUND;
        case EEXIST: return ERROR_OBJECT_EXISTS;
        case EISDIR: return ERROR_OBJECT_WRONG_TYPE;
        case ENOTEMPTY: return ERROR_DIRECTORY_NOT_EMPTY;
        case EACCES:
        case EPERM: return ERROR_READ_PROTECTED;
        case EROFS: return ERROR_WRITE_PROTECTED;
        case ENOSPC:
        case EDQUOT: return ERROR_DISK_FULL;
        case ENOMEM: return ERROR_NO_FREE_STORE;
        case EBUSY:
        case ETXTBSY: return ERROR_OBJECT_IN_USE;
        case ENAMETOOLONG: return ERROR_LINE_TOO_LONG;
        case ESPIPE:
        case EINVAL: return ERROR_SEEK_ERROR;
        default: return ERROR_NOT_A_DOS_DISK;
    }
}

void SetErrno(int e) { lastError = ErrorFromErrno(e); }

bool StartsWithNoCase(const char* s, const char* prefix) {
    for (; *prefix != '\0'; ++s, ++prefix) {
        if (*s == '\0') return false;
        char a = *s, b = *prefix;
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

// SYS: is the folder SYS beside the running program's own executable (links resolved), so
// the same program finds its tools in a build tree and wherever it is installed.
std::string SysDir() {
    const char* env = std::getenv("WB_SYS");
    if (env != nullptr && *env != '\0') return env;
    std::vector<char> self(PATH_MAX + 1);
    const ssize_t n = ::readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (n <= 0) return "SYS";
    std::string path(self.data(), static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "SYS" : path.substr(0, slash + 1) + "SYS";
}

// The host path of a name: "NIL:" is the null device, "SYS:" the tools' folder; everything
// else is already a host path.
std::string HostPath(const char* name) {
    if (StartsWithNoCase(name, "NIL:") && name[4] == '\0') return "/dev/null";
    if (StartsWithNoCase(name, "SYS:")) {
        const char* rest = name + 4;
        while (*rest == '/') ++rest;
        return *rest == '\0' ? SysDir() : SysDir() + "/" + rest;
    }
    return name;
}

FileEntry* FindFile(BPTR file) {
    auto it = Files().find(file);
    if (it == Files().end()) {
        lastError = ERROR_INVALID_LOCK;
        return nullptr;
    }
    return &it->second;
}

int OpenHost(const std::string& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

BPTR Open(CONST_STRPTR name, LONG accessMode) {
    if (name == nullptr) {
        lastError = ERROR_REQUIRED_ARG_MISSING;
        return 0;
    }
    if (host::ShouldFail("Open")) {
        lastError = ERROR_OBJECT_NOT_FOUND;
        return 0;
    }
    const std::string path = HostPath(name);
    int fd = -1;
    switch (accessMode) {
        // Not blocking on a pipe named as a file: only plain files (and NIL:) are opened.
        case MODE_OLDFILE: fd = OpenHost(path, O_RDONLY | O_NONBLOCK); break;
        case MODE_NEWFILE:
            fd = OpenHost(path, O_RDWR | O_CREAT | O_TRUNC);
            if (fd < 0 && errno == EACCES) fd = OpenHost(path, O_WRONLY | O_CREAT | O_TRUNC);
            break;
        case MODE_READWRITE: fd = OpenHost(path, O_RDWR | O_CREAT); break;
        default: lastError = ERROR_ACTION_NOT_KNOWN; return 0;
    }
    if (fd < 0) {
        SetErrno(errno);
        return 0;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || path == "/dev/null")) {
        ::close(fd);
        lastError = ERROR_OBJECT_WRONG_TYPE;
        return 0;
    }
    if (accessMode == MODE_OLDFILE) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    const BPTR handle = NewHandle();
    Files()[handle] = FileEntry{fd, false, false};
    return handle;
}

LONG Close(BPTR file) {
    if (file == 0) return DOSTRUE;
    auto it = Files().find(file);
    if (it == Files().end()) {
        lastError = ERROR_INVALID_LOCK;
        return DOSFALSE;
    }
    if (it->second.standard) return DOSTRUE;
    const FileEntry entry = it->second;
    Files().erase(it);
    bool ok = true;
    if (entry.written) {
        // Data that never reaches the disk is a failed save; say so here.
        struct stat st;
        if (fstat(entry.fd, &st) == 0 && S_ISREG(st.st_mode) && fdatasync(entry.fd) != 0) {
            SetErrno(errno);
            ok = false;
        }
    }
    if (::close(entry.fd) != 0 && errno != EINTR) {
        SetErrno(errno);
        ok = false;
    }
    // Closed either way: a fault only changes what is reported.
    if (host::Inject("Close") != host::Failure::none) {
        lastError = ERROR_DISK_FULL;
        ok = false;
    }
    if (entry.written && !os::StoreWrites()) {
        lastError = ERROR_DISK_FULL;
        ok = false;
    }
    return ok ? DOSTRUE : DOSFALSE;
}

LONG Read(BPTR file, APTR buffer, LONG length) {
    FileEntry* entry = FindFile(file);
    if (entry == nullptr) return -1;
    if (length < 0 || (buffer == nullptr && length > 0)) {
        lastError = ERROR_REQUIRED_ARG_MISSING;
        return -1;
    }
    if (host::ShouldFail("Read")) {
        lastError = ERROR_READ_PROTECTED;
        return -1;
    }
    auto* out = static_cast<char*>(buffer);
    LONG done = 0;
    while (done < length) {
        const ssize_t n = ::read(entry->fd, out + done, static_cast<size_t>(length - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            SetErrno(errno);
            return -1;
        }
        if (n == 0) break;
        done += static_cast<LONG>(n);
    }
    return done;
}

LONG Write(BPTR file, const void* buffer, LONG length) {
    FileEntry* entry = FindFile(file);
    if (entry == nullptr) return -1;
    if (length < 0 || (buffer == nullptr && length > 0)) {
        lastError = ERROR_REQUIRED_ARG_MISSING;
        return -1;
    }
    const host::Failure fault = host::Inject("Write");
    if (fault == host::Failure::before) {
        lastError = ERROR_DISK_FULL;
        return -1;
    }
    const auto* in = static_cast<const char*>(buffer);
    LONG done = 0;
    while (done < length) {
        const ssize_t n = ::write(entry->fd, in + done, static_cast<size_t>(length - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            SetErrno(errno);
            return -1;
        }
        done += static_cast<LONG>(n);
    }
    entry->written = true;
    if (fault == host::Failure::after) {
        lastError = ERROR_DISK_FULL;
        return -1;
    }
    return done;
}

LONG Seek(BPTR file, LONG position, LONG mode) {
    FileEntry* entry = FindFile(file);
    if (entry == nullptr) return -1;
    int whence;
    switch (mode) {
        case OFFSET_BEGINNING: whence = SEEK_SET; break;
        case OFFSET_CURRENT: whence = SEEK_CUR; break;
        case OFFSET_END: whence = SEEK_END; break;
        default: lastError = ERROR_SEEK_ERROR; return -1;
    }
    const off_t old = ::lseek(entry->fd, 0, SEEK_CUR);
    if (old < 0 || old > LONG_MAX) {
        SetErrno(old < 0 ? errno : EINVAL);
        return -1;
    }
    if (::lseek(entry->fd, position, whence) < 0) {
        SetErrno(errno);
        return -1;
    }
    return static_cast<LONG>(old);
}

LONG DeleteFile(CONST_STRPTR name) {
    if (name == nullptr) {
        lastError = ERROR_REQUIRED_ARG_MISSING;
        return DOSFALSE;
    }
    const host::Failure fault = host::Inject("DeleteFile");
    if (fault == host::Failure::before) {
        lastError = ERROR_OBJECT_IN_USE;
        return DOSFALSE;
    }
    const std::string path = HostPath(name);
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        SetErrno(errno);
        return DOSFALSE;
    }
    // A drawer goes too, but only when it is empty.
    const int rc = S_ISDIR(st.st_mode) ? ::rmdir(path.c_str()) : ::unlink(path.c_str());
    if (rc != 0) {
        SetErrno(errno);
        return DOSFALSE;
    }
    if (fault == host::Failure::after) {
        lastError = ERROR_OBJECT_IN_USE;
        return DOSFALSE;
    }
    return os::StoreWrites() ? DOSTRUE : DOSFALSE;
}

LONG Rename(CONST_STRPTR oldName, CONST_STRPTR newName) {
    if (oldName == nullptr || newName == nullptr) {
        lastError = ERROR_REQUIRED_ARG_MISSING;
        return DOSFALSE;
    }
    const host::Failure fault = host::Inject("Rename");
    if (fault == host::Failure::before) {
        lastError = ERROR_OBJECT_IN_USE;
        return DOSFALSE;
    }
    if (::rename(HostPath(oldName).c_str(), HostPath(newName).c_str()) != 0) {
        SetErrno(errno);
        return DOSFALSE;
    }
    if (fault == host::Failure::after) {
        lastError = ERROR_OBJECT_IN_USE;
        return DOSFALSE;
    }
    return os::StoreWrites() ? DOSTRUE : DOSFALSE;
}

// ---- temporary files ----------------------------------------------------------------

namespace {

// A temporary file is ".NAME.PID-N.tmp" beside the file it stands in for: the process id
// keeps two programs' names apart and tells a killed program's leftovers from live ones.
constexpr size_t kMaxEmbeddedName = 200;  // the whole name stays within a file name's limit

// The process id in a temporary file's name, or 0 when the name is not one.
long TemporaryOwner(const std::string& file) {
    static const std::string suffix = ".tmp";
    if (file.size() < 1 + 1 + 1 + 3 + suffix.size() || file[0] != '.' ||
        file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string core = file.substr(0, file.size() - suffix.size());
    const size_t dot = core.rfind('.'), dash = core.rfind('-');
    if (dot == 0 || dot == std::string::npos || dash == std::string::npos || dash < dot + 2 ||
        dash + 1 == core.size())
        return 0;
    long pid = 0;
    for (size_t i = dot + 1; i < core.size(); ++i) {
        if (i == dash) continue;
        if (core[i] < '0' || core[i] > '9' || (i < dash && pid > 1000000000)) return 0;
        if (i < dash) pid = pid * 10 + (core[i] - '0');
    }
    return pid;
}

// Leftovers of programs that were killed in the middle of a write go; a live program's
// temporary file is never touched.
void RemoveStaleTemporaries(const std::string& dir) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (d == nullptr) return;
    while (const dirent* e = ::readdir(d)) {
        const long pid = TemporaryOwner(e->d_name);
        if (pid <= 0 || pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        ::unlinkat(::dirfd(d), e->d_name, 0);
    }
    ::closedir(d);
}

}  // namespace

BPTR OpenTemporary(CONST_STRPTR name, STRPTR tempName, LONG length) {
    if (name == nullptr || tempName == nullptr || length <= 0) {
        lastError = ERROR_REQUIRED_ARG_MISSING;
        return 0;
    }
    tempName[0] = '\0';
    const std::string given = name;
    const size_t cut = given.find_last_of("/:");
    const std::string prefix = cut == std::string::npos ? "" : given.substr(0, cut + 1);
    const std::string file = given.substr(prefix.size());
    // A file named like a temporary one could be taken for a leftover and removed.
    if (file.empty() || TemporaryOwner(file) > 0) {
        lastError = ERROR_OBJECT_WRONG_TYPE;
        return 0;
    }
    if (host::ShouldFail("Open")) {
        lastError = ERROR_DISK_FULL;
        return 0;
    }
    const std::string hostPrefix = prefix.empty() ? "" : HostPath(prefix.c_str());
    RemoveStaleTemporaries(hostPrefix);
    static unsigned sequence = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = "." + file.substr(0, kMaxEmbeddedName) + "." + std::to_string(::getpid()) + "-" +
                                 std::to_string(++sequence) + ".tmp";
        // Exclusive and never through a link: a name someone planted is passed over.
        const int fd = OpenHost(hostPrefix + temp, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) {
            SetErrno(errno);
            return 0;
        }
        const std::string dosName = prefix + temp;
        if (dosName.size() + 1 > static_cast<size_t>(length)) {
            ::close(fd);
            ::unlink((hostPrefix + temp).c_str());
            lastError = ERROR_LINE_TOO_LONG;
            return 0;
        }
        std::memcpy(tempName, dosName.c_str(), dosName.size() + 1);
        const BPTR handle = NewHandle();
        Files()[handle] = FileEntry{fd, false, false};
        return handle;
    }
    lastError = ERROR_OBJECT_EXISTS;
    return 0;
}

LONG SameLock(BPTR lock1, BPTR lock2) {
    auto a = Locks().find(lock1), b = Locks().find(lock2);
    if (a == Locks().end() || b == Locks().end()) return LOCK_DIFFERENT;
    if (a->second.device != b->second.device) return LOCK_DIFFERENT;
    return a->second.inode == b->second.inode ? LOCK_SAME : LOCK_SAME_VOLUME;
}

BPTR Output() { return kOutputHandle; }
BPTR Input() { return kInputHandle; }

// ---- locks and the current directory -------------------------------------------

BPTR Lock(CONST_STRPTR name, LONG /*type: nothing here is exclusive*/) {
    if (name == nullptr) {
        lastError = ERROR_REQUIRED_ARG_MISSING;
        return 0;
    }
    const std::string path = *name == '\0' ? std::string(".") : HostPath(name);
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        SetErrno(errno);
        return 0;
    }
    LockEntry entry{resolved};
    std::free(resolved);
    struct stat st;
    if (::stat(entry.path.c_str(), &st) != 0) {
        SetErrno(errno);
        return 0;
    }
    entry.device = st.st_dev;
    entry.inode = st.st_ino;
    const BPTR lock = NewHandle();
    Locks()[lock] = std::move(entry);
    return lock;
}

void UnLock(BPTR lock) {
    if (lock != 0) Locks().erase(lock);
}

BPTR DupLock(BPTR lock) {
    if (lock == 0) return 0;
    auto it = Locks().find(lock);
    if (it == Locks().end()) {
        lastError = ERROR_INVALID_LOCK;
        return 0;
    }
    LockEntry copy = it->second;
    const BPTR dup = NewHandle();
    Locks()[dup] = std::move(copy);
    return dup;
}

BPTR CurrentDir(BPTR lock) {
    const BPTR previous = currentDirLock;
    std::string target;
    if (lock == 0) {
        target = InitialDir();
    } else if (auto it = Locks().find(lock); it != Locks().end()) {
        target = it->second.path;
    } else {
        lastError = ERROR_INVALID_LOCK;
    }
    // The swap happens even when the host refuses, so that handing the previous lock back
    // later still restores the right state.
    if (!target.empty() && ::chdir(target.c_str()) != 0) SetErrno(errno);
    currentDirLock = lock;
    return previous;
}

LONG NameFromLock(BPTR lock, STRPTR buffer, LONG length) {
    if (buffer == nullptr || length <= 0) {
        lastError = ERROR_LINE_TOO_LONG;
        return DOSFALSE;
    }
    buffer[0] = '\0';
    std::string path;
    if (lock == 0) {
        path = InitialDir();
    } else if (auto it = Locks().find(lock); it != Locks().end()) {
        path = it->second.path;
    } else {
        lastError = ERROR_INVALID_LOCK;
        return DOSFALSE;
    }
    if (path.size() + 1 > static_cast<size_t>(length)) {
        lastError = ERROR_LINE_TOO_LONG;
        return DOSFALSE;
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return DOSTRUE;
}

LONG IoErr() { return lastError; }

// ---- commands ----------------------------------------------------------------------

namespace {

struct Word {
    std::string text;
    bool quoted = false;
};

// Split a command line into words: blanks separate, "..." groups (with *" for a quote,
// *N for a new line and ** for a star), an unquoted ';' starts a comment.
bool SplitWords(const char* line, std::vector<Word>& words) {
    const char* p = line;
    for (;;) {
        while (*p == ' ' || *p == '\t') ++p;
        if (*p == '\0' || *p == ';') return true;
        if (*p == '\n' || *p == '\r') {
            // Only one command per call: a second line would run unseen.
            while (*p == '\n' || *p == '\r' || *p == ' ' || *p == '\t') ++p;
            if (*p == '\0') return true;
            return false;
        }
        Word word;
        if (*p == '"') {
            word.quoted = true;
            ++p;
            for (;;) {
                if (*p == '\0' || *p == '\n') return false;  // unclosed quote
                if (*p == '"') {
                    ++p;
                    break;
                }
                if (*p == '*' && p[1] != '\0') {
                    const char c = p[1];
                    word.text += (c == 'n' || c == 'N') ? '\n' : (c == 'e' || c == 'E') ? '\x1b' : c;
                    p += 2;
                    continue;
                }
                word.text += *p++;
            }
        } else {
            while (*p != '\0' && *p != ' ' && *p != '\t' && *p != '\n' && *p != '\r' && *p != ';')
                word.text += *p++;
        }
        words.push_back(std::move(word));
    }
}

struct Command {
    bool detach = false;
    std::string input, output;  // redirections, empty when none
    bool append = false;
    std::vector<std::string> words;  // the command and its arguments
};

bool ParseCommand(const char* line, Command& cmd) {
    std::vector<Word> words;
    if (!SplitWords(line, words)) return false;
    size_t i = 0;
    if (i < words.size() && !words[i].quoted && StartsWithNoCase(words[i].text.c_str(), "run") &&
        words[i].text.size() == 3) {
        cmd.detach = true;
        ++i;
    }
    for (; i < words.size(); ++i) {
        const Word& w = words[i];
        if (!w.quoted && (w.text[0] == '>' || w.text[0] == '<')) {
            const bool in = w.text[0] == '<';
            size_t skip = 1;
            if (!in && w.text.size() > 1 && w.text[1] == '>') skip = 2;
            std::string file = w.text.substr(skip);
            if (file.empty()) {
                if (i + 1 >= words.size()) return false;
                file = words[++i].text;
            }
            if (in) {
                cmd.input = file;
            } else {
                cmd.output = file;
                cmd.append = skip == 2;
            }
            continue;
        }
        cmd.words.push_back(w.text);
    }
    return !cmd.words.empty();
}

// The commands this system knows, by their names on the Amiga side.
const char* const kKnownCommands[] = {"SYS:Utilities/MultiView"};

// The command's own spelling (names are case-insensitive, the host's are not), or nullptr.
const char* KnownCommand(const std::string& name) {
    for (const char* known : kKnownCommands)
        if (name.size() == std::strlen(known) && StartsWithNoCase(name.c_str(), known)) return known;
    return nullptr;
}

}  // namespace

LONG Execute(CONST_STRPTR command, BPTR input, BPTR output) {
    if (command == nullptr) {
        lastError = ERROR_REQUIRED_ARG_MISSING;
        return DOSFALSE;
    }
    Command cmd;
    if (!ParseCommand(command, cmd)) {
        lastError = ERROR_REQUIRED_ARG_MISSING;
        return DOSFALSE;
    }
    if (host::ShouldFail("Execute")) {
        lastError = ERROR_NO_FREE_STORE;
        return DOSFALSE;
    }
    const char* known = KnownCommand(cmd.words[0]);
    if (known == nullptr) {
        lastError = ERROR_OBJECT_NOT_FOUND;
        return DOSFALSE;
    }
    os::Program run;
    run.args.push_back(HostPath(known));
    if (const int error = os::CannotRun(run.args[0]); error != 0) {
        SetErrno(error);
        return DOSFALSE;
    }
    for (size_t i = 1; i < cmd.words.size(); ++i) run.args.push_back(HostPath(cmd.words[i].c_str()));
    run.detach = cmd.detach;
    // The started program learns where our host window is, so that its own opens beside it.
    const std::string frameVariable = std::string(display::kParentFrameVariable) + "=";
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, frameVariable.c_str(), frameVariable.size()) != 0) run.env.push_back(*e);
    if (const std::string frame = server::HostFrame(); !frame.empty()) run.env.push_back(frameVariable + frame);

    int inFd = -1, outFd = -1;
    bool closeIn = false, closeOut = false;
    auto cleanup = [&] {
        if (closeIn) ::close(inFd);
        if (closeOut) ::close(outFd);
    };
    if (!cmd.input.empty()) {
        inFd = OpenHost(HostPath(cmd.input.c_str()), O_RDONLY);
        if (inFd < 0) {
            SetErrno(errno);
            return DOSFALSE;
        }
        closeIn = true;
    } else if (input != 0) {
        FileEntry* entry = FindFile(input);
        if (entry == nullptr) return DOSFALSE;
        inFd = entry->fd;
    } else {
        inFd = OpenHost("/dev/null", O_RDONLY);
        if (inFd < 0) {
            SetErrno(errno);
            return DOSFALSE;
        }
        closeIn = true;
    }
    if (!cmd.output.empty()) {
        outFd = OpenHost(HostPath(cmd.output.c_str()), O_WRONLY | O_CREAT | (cmd.append ? O_APPEND : O_TRUNC));
        if (outFd < 0) {
            SetErrno(errno);
            cleanup();
            return DOSFALSE;
        }
        closeOut = true;
    } else if (output != 0) {
        FileEntry* entry = FindFile(output);
        if (entry == nullptr) {
            cleanup();
            return DOSFALSE;
        }
        outFd = entry->fd;
    } else {
        outFd = STDOUT_FILENO;
    }
    run.inFd = inFd;
    run.outFd = outFd;
    const os::Started started = os::Run(run);
    cleanup();
    if (started.ok) return DOSTRUE;
    if (started.error != 0) SetErrno(started.error);
    else lastError = started.status > 0 ? started.status : ERROR_OBJECT_IN_USE;
    return DOSFALSE;
}

// ---- path helpers ------------------------------------------------------------------

CONST_STRPTR FilePart(CONST_STRPTR path) {
    if (path == nullptr) return nullptr;
    CONST_STRPTR part = path;
    for (CONST_STRPTR p = path; *p != '\0'; ++p)
        if (*p == '/' || *p == ':') part = p + 1;
    return part;
}

CONST_STRPTR PathPart(CONST_STRPTR path) {
    if (path == nullptr) return nullptr;
    // The end of the drawer part: the last '/' (dropped), or just after a ':' (kept).
    CONST_STRPTR end = path;
    for (CONST_STRPTR p = path; *p != '\0'; ++p) {
        if (*p == ':') end = p + 1;
        else if (*p == '/') end = p;
    }
    return end;
}

BOOL AddPart(STRPTR dirName, CONST_STRPTR fileName, ULONG size) {
    if (dirName == nullptr || fileName == nullptr) return FALSE;
    const size_t dirLength = std::strlen(dirName);
    const size_t fileLength = std::strlen(fileName);
    // A name with a volume or from the root replaces the drawer.
    bool absolute = fileName[0] == '/';
    for (CONST_STRPTR p = fileName; *p != '\0'; ++p)
        if (*p == ':') absolute = true;
    if (absolute || dirLength == 0) {
        if (fileLength + 1 > size) {
            lastError = ERROR_LINE_TOO_LONG;
            return FALSE;
        }
        std::memmove(dirName, fileName, fileLength + 1);
        return TRUE;
    }
    const char last = dirName[dirLength - 1];
    const bool slash = last != '/' && last != ':' && fileLength > 0;
    const size_t total = dirLength + (slash ? 1 : 0) + fileLength + 1;
    if (total > size) {
        lastError = ERROR_LINE_TOO_LONG;
        return FALSE;
    }
    if (slash) dirName[dirLength] = '/';
    std::memcpy(dirName + dirLength + (slash ? 1 : 0), fileName, fileLength + 1);
    return TRUE;
}
