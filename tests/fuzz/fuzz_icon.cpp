// Reading an icon from any bytes: no crash, one-line tool types within the first mebibyte, and
// what is read is written back and read again unchanged.
#include <icon.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::string& Base(const char* which) {
    static const std::string in = "/tmp/tarnwell_fuzz_icon_" + std::to_string(getpid());
    static const std::string out = in + "_out";
    return which[0] == 'i' ? in : out;
}

std::vector<std::string> ToolTypes(const DiskObject* icon) {
    std::vector<std::string> out;
    for (STRPTR* t = icon->do_ToolTypes; *t != nullptr; ++t) out.push_back(*t);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& in = Base("in");
    const std::string& out = Base("out");
    FILE* f = std::fopen((in + ".info").c_str(), "wb");
    if (!f) return 0;
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);

    DiskObject* icon = GetDiskObject(in.c_str());
    if (icon == nullptr || icon->do_ToolTypes == nullptr) std::abort();  // a readable file is an icon
    const std::vector<std::string> types = ToolTypes(icon);
    size_t total = 0;  // each line whole, all of them within the first mebibyte
    for (const std::string& t : types) {
        if (t.empty() || t.find('\n') != std::string::npos) std::abort();
        total += t.size() + 1;
    }
    if (total > (1u << 20) + 1) std::abort();

    for (const char* key : {"PREFSJOKER", "PREFS5KIND", "PREFSDOUBLE", "CHANGES", "JOKERS", "CARDS", ""}) {
        const char* value = FindToolType(icon->do_ToolTypes, key);
        if (value != nullptr) {
            (void)MatchToolValue(value, "TRUE");
            (void)MatchToolValue(value, "");
        }
    }

    // Written back and read again: the same list, carriage returns inside a line as spaces.
    // Writing syncs to the disk, so only one input in 64 takes that path.
    if (size == 0 || (data[0] & 63) != 1) {
        FreeDiskObject(icon);
        return 0;
    }
    if (!PutDiskObject(out.c_str(), icon)) std::abort();
    DiskObject* again = GetDiskObject(out.c_str());
    if (again == nullptr) std::abort();
    std::vector<std::string> expected = types;
    for (std::string& t : expected) {
        for (char& c : t)
            if (c == '\r') c = ' ';
    }
    if (ToolTypes(again) != expected) std::abort();
    FreeDiskObject(again);
    FreeDiskObject(icon);
    return 0;
}
