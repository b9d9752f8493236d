// Icons: NAME.info is a text file of tool types, one a line, ISO-8859-1.
#include "icon.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <map>
#include <string>
#include <vector>

#include "dos.h"
#include "host/host.h"

namespace {

// Keeps a huge or binary file from eating memory; what is beyond it is dropped. Lines and
// their count have no limit of their own: a tool type is read whole.
constexpr size_t kMaxFileBytes = 1 << 20;

// What GetDiskObject hands out, with the storage behind its texts. The program may put its
// own list into do_ToolTypes meanwhile; only what is held here is ever freed.
struct HeldIcon {
    DiskObject object{};
    std::string defaultTool;
    std::vector<std::string> texts;
    std::vector<STRPTR> list;  // pointers into texts, then nullptr
};

std::map<DiskObject*, std::unique_ptr<HeldIcon>>& LiveIcons() {
    static std::map<DiskObject*, std::unique_ptr<HeldIcon>> icons;
    return icons;
}

unsigned char Fold(unsigned char c) {
    // ISO-8859-1 upper case letters fold down; the multiplication sign does not.
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<unsigned char>(c + 0x20);
    return c;
}

bool SameNoCase(const char* a, size_t aLength, const char* b, size_t bLength) {
    if (aLength != bLength) return false;
    for (size_t i = 0; i < aLength; ++i)
        if (Fold(static_cast<unsigned char>(a[i])) != Fold(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::string IconPath(CONST_STRPTR name) { return std::string(name) + ".info"; }

// The file's tool types; false when it cannot be read at all.
bool ReadToolTypes(const std::string& path, std::vector<std::string>& out) {
    int fd;
    do {
        // Not blocking on a pipe someone named like an icon; only plain files are icons.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    std::string line;
    bool failed = false;
    auto finishLine = [&] {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) out.push_back(line);
        line.clear();
    };
    char buffer[4096];
    size_t total = 0;
    while (total < kMaxFileBytes) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            failed = true;
            break;
        }
        if (n == 0) break;
        total += static_cast<size_t>(n);
        for (ssize_t i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (c == '\n') {
                finishLine();
            } else if (c != '\0') {
                // A NUL would cut the text short unseen; it is dropped instead.
                line += c;
            }
        }
    }
    finishLine();
    ::close(fd);
    return !failed;
}

}  // namespace

DiskObject* GetDiskObject(CONST_STRPTR name) {
    if (name == nullptr || *name == '\0') return nullptr;
    if (host::ShouldFail("GetDiskObject")) return nullptr;
    auto held = std::make_unique<HeldIcon>();
    if (!ReadToolTypes(IconPath(name), held->texts)) return nullptr;
    for (std::string& text : held->texts) held->list.push_back(text.data());
    held->list.push_back(nullptr);
    held->object.do_Magic = WB_DISKMAGIC;
    held->object.do_Version = 1;
    held->object.do_Type = WBTOOL;
    held->object.do_DefaultTool = held->defaultTool.data();
    held->object.do_ToolTypes = held->list.data();
    DiskObject* object = &held->object;
    LiveIcons()[object] = std::move(held);
    return object;
}

void FreeDiskObject(DiskObject* diskobj) {
    if (diskobj == nullptr) return;
    // Only icons handed out here; anything else is not ours to free.
    LiveIcons().erase(diskobj);
}

BOOL PutDiskObject(CONST_STRPTR name, const DiskObject* diskobj) {
    if (name == nullptr || *name == '\0' || diskobj == nullptr) return FALSE;
    std::string contents;
    if (diskobj->do_ToolTypes != nullptr) {
        for (STRPTR* entry = diskobj->do_ToolTypes; *entry != nullptr; ++entry) {
            std::string line = *entry;
            // One tool type stays one line.
            for (char& c : line)
                if (c == '\n' || c == '\r') c = ' ';
            if (line.empty()) continue;
            contents += line;
            contents += '\n';
        }
    }
    // Written beside the icon under a name of its own and renamed over it, so the old icon
    // stays whole until the new one is complete; through the DOS calls, which can each fail.
    if (host::ShouldFail("PutDiskObject")) return FALSE;
    const std::string path = IconPath(name);
    std::string temp(path.size() + 256, '\0');
    const BPTR file = OpenTemporary(path.c_str(), temp.data(), static_cast<LONG>(temp.size()));
    if (file == 0) return FALSE;
    const LONG size = static_cast<LONG>(contents.size());
    bool ok = Write(file, contents.data(), size) == size;
    ok = Close(file) == DOSTRUE && ok;
    if (ok) {
        // A rename reported failed may have happened all the same: then the icon is in place.
        const BPTR mine = Lock(temp.c_str(), SHARED_LOCK);
        ok = Rename(temp.c_str(), path.c_str()) == DOSTRUE;
        if (!ok && mine != 0) {
            const BPTR there = Lock(path.c_str(), SHARED_LOCK);
            ok = there != 0 && SameLock(mine, there) == LOCK_SAME;
            UnLock(there);
        }
        UnLock(mine);
    }
    if (!ok) DeleteFile(temp.c_str());
    return ok ? TRUE : FALSE;
}

STRPTR FindToolType(CONST_STRPTR const* toolTypeArray, CONST_STRPTR typeName) {
    if (toolTypeArray == nullptr || typeName == nullptr) return nullptr;
    const size_t nameLength = std::char_traits<char>::length(typeName);
    for (CONST_STRPTR const* entry = toolTypeArray; *entry != nullptr; ++entry) {
        const char* text = *entry;
        size_t keyLength = 0;
        while (text[keyLength] != '\0' && text[keyLength] != '=') ++keyLength;
        if (!SameNoCase(text, keyLength, typeName, nameLength)) continue;
        // "KEY=value" gives the value; a bare "KEY" gives an empty text.
        return const_cast<STRPTR>(text[keyLength] == '=' ? text + keyLength + 1 : text + keyLength);
    }
    return nullptr;
}

BOOL MatchToolValue(CONST_STRPTR typeString, CONST_STRPTR value) {
    if (typeString == nullptr || value == nullptr) return FALSE;
    const size_t valueLength = std::char_traits<char>::length(value);
    const char* start = typeString;
    for (;;) {
        const char* end = start;
        while (*end != '\0' && *end != '|') ++end;
        if (SameNoCase(start, static_cast<size_t>(end - start), value, valueLength)) return TRUE;
        if (*end == '\0') return FALSE;
        start = end + 1;
    }
}
