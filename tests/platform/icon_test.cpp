// Icons: reading and safely replacing tool types, finding and matching them, and files that are not icons.
#include <gtest/gtest.h>
#include <icon.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "host/host.h"
#include "support/files.h"

namespace fs = std::filesystem;

namespace {

class IconTest : public support::FileTest {
protected:
    std::string Info() const { return support::ReadFile(info); }
    void SetInfo(const std::string& data) const { support::WriteFile(info, data); }
    // The icon's tool types as read back; {"(no icon)"} when there is none.
    std::vector<std::string> Read() const {
        DiskObject* icon = GetDiskObject(name.c_str());
        if (icon == nullptr) return {"(no icon)"};
        std::vector<std::string> out;
        for (STRPTR* t = icon->do_ToolTypes; *t != nullptr; ++t) out.push_back(*t);
        FreeDiskObject(icon);
        return out;
    }
    bool Put(const char* const* types) const {
        DiskObject object{};
        object.do_Magic = WB_DISKMAGIC;
        object.do_ToolTypes = const_cast<STRPTR*>(types);
        return PutDiskObject(name.c_str(), &object);
    }
    const std::string name = In("poker");
    const fs::path info = dir / "poker.info";
};

TEST_F(IconTest, LinesBecomeToolTypesTable) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"A=1\nB=2\n", {"A=1", "B=2"}}, {"A=1\nB=2", {"A=1", "B=2"}}, {"A=1\r\nB=2\r\n", {"A=1", "B=2"}},
        {"\n\nA\n\n\r\nB=\n", {"A", "B="}}, {"", {}}, {"\n\n\n", {}}, {" KEY = v \n", {" KEY = v "}},
        {std::string("AB\0C=1\n", 7), {"ABC=1"}} /* NUL bytes dropped */, {"CARDS=\xe9t\xe9\n", {"CARDS=\xe9t\xe9"}},
    };
    for (const auto& [contents, expected] : cases) {
        SetInfo(contents);
        EXPECT_EQ(Read(), expected) << contents;
    }
}

// A failed write leaves the old icon and no temporary file; a rename reported failed after
// it happened leaves the new one; nothing goes through a link planted where a temporary
// file could be.
TEST_F(IconTest, FailedWriteLeavesTheOldIconAndNoTemporaryFile) {
    const std::string old = "PREFSJOKER=TRUE\nJOKERS=7\n", outside = dir.string() + "-outside";
    std::ofstream(outside) << "outside";
    fs::create_symlink(outside, dir / "poker.info.tmp");
    const char* mine[] = {"PREFSJOKER=FALSE", "CHANGES=2", "CARDS=gfx/d\xe9j\xe0.lbm", nullptr};
    const std::tuple<const char*, bool, bool> cases[] = {  // step, done before failing, written
        {"PutDiskObject", false, false}, {"Open", false, false},   {"Write", false, false}, {"Write", true, false},
        {"Close", false, false},         {"Close", true, false},   {"Rename", false, false}, {"Rename", true, true},
        {"", false, true}};
    for (const auto& [step, afterDoing, written] : cases) {
        SetInfo(old);
        if (*step) host::FailAt(step, 1, afterDoing);
        EXPECT_EQ(Put(mine), written) << step << afterDoing;
        EXPECT_EQ(Info(), written ? "PREFSJOKER=FALSE\nCHANGES=2\nCARDS=gfx/d\xe9j\xe0.lbm\n" : old) << step;
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, std::vector<std::string>({"poker.info", "poker.info.tmp"})) << step << afterDoing;
        host::ClearFaults();
    }
    EXPECT_EQ(support::ReadFile(outside), "outside");
    fs::remove(outside);
    EXPECT_EQ(Read(), std::vector<std::string>(mine, mine + 3));
}

TEST_F(IconTest, ProgramsOwnListIsWrittenAndOnlyTheIconsListIsFreed) {
    SetInfo("OTHER=1\nJOKERS=2\n");
    DiskObject* icon = GetDiskObject(name.c_str());
    ASSERT_NE(icon, nullptr);
    STRPTR* original = icon->do_ToolTypes;
    const char* mine[] = {"JOKERS=4", "Multi\nLi\rne", "", nullptr};
    icon->do_ToolTypes = const_cast<STRPTR*>(mine);
    EXPECT_TRUE(PutDiskObject(name.c_str(), icon));
    // One tool type stays one line; empty ones are not written.
    EXPECT_EQ(Info(), "JOKERS=4\nMulti Li ne\n");
    icon->do_ToolTypes = nullptr;  // no list at all: an empty file, read as an empty list
    EXPECT_TRUE(PutDiskObject(name.c_str(), icon));
    EXPECT_EQ(Info(), "");
    EXPECT_EQ(Read(), std::vector<std::string>{});
    icon->do_ToolTypes = original;
    FreeDiskObject(icon);
    DiskObject notIssued{};
    FreeDiskObject(&notIssued);  // not from GetDiskObject: left alone
    FreeDiskObject(nullptr);
    EXPECT_FALSE(PutDiskObject(nullptr, &notIssued));
    EXPECT_FALSE(PutDiskObject(name.c_str(), nullptr));
}

// Any file gives an icon bounded by its first mebibyte, each line within it a whole tool type.
TEST_F(IconTest, HugeOrBinaryFilesStillGiveABoundedIcon) {
    std::mt19937 random(12345);
    std::string binary(300000, '\0');
    for (char& c : binary) c = static_cast<char>(random());
    std::string manyLines;
    for (int i = 0; i < 100000; ++i) manyLines += "KEY" + std::to_string(i) + "=v\n";
    for (const std::string& contents : {std::string(5 << 20, 'A'), manyLines, binary}) {
        SetInfo(contents);
        const auto types = Read();
        SCOPED_TRACE(contents.substr(0, 8));
        ASSERT_FALSE(types.empty());
        EXPECT_NE(types.front(), "(no icon)");
        size_t total = 0;
        for (const std::string& t : types) {
            total += t.size() + 1;
            EXPECT_EQ(t.find_first_of(std::string("\n\0", 2)), std::string::npos);
        }
        EXPECT_LE(total, (1u << 20) + 1);
    }
    const std::string cards = "CARDS=" + std::string(5000, 'c') + ".lbm";
    SetInfo("JOKERS=2\n" + cards + "\n");
    EXPECT_EQ(Read(), (std::vector<std::string>{"JOKERS=2", cards}));
    // Whatever came first is read as it stands.
    SetInfo(manyLines);
    DiskObject* icon = GetDiskObject(name.c_str());
    ASSERT_NE(icon, nullptr);
    EXPECT_STREQ(icon->do_ToolTypes[0], "KEY0=v");
    EXPECT_STREQ(FindToolType(icon->do_ToolTypes, "KEY100"), "v");
    EXPECT_STREQ(FindToolType(icon->do_ToolTypes, "KEY50000"), "v");
    FreeDiskObject(icon);
}

TEST(ToolTypeTest, FindToolTypeTable) {
    const char* list[] = {"PREFSJOKER=TRUE", "changes=2", "CARDS=gfx/defaultcards.lbm", "BARE", "EMPTY=",
                          "JOKERS=3=4", "JOKERS=5", "\xc9T\xc9=summer", nullptr};
    const std::pair<const char*, const char*> cases[] = {  // key, value or nullptr: not found
        {"PREFSJOKER", "TRUE"}, {"prefsjoker", "TRUE"}, {"PrefsJoker", "TRUE"}, {"CHANGES", "2"},
        {"CARDS", "gfx/defaultcards.lbm"}, {"BARE", ""}, {"bare", ""}, {"EMPTY", ""}, {"JOKERS", "3=4"},
        {"MISSING", nullptr}, {"PREFS", nullptr}, {"PREFSJOKERS", nullptr}, {"PREFSJOKER=TRUE", nullptr},
        {"", nullptr}, {"\xe9t\xe9", "summer"},
    };
    for (const auto& [key, value] : cases) {
        const char* found = FindToolType(list, key);
        EXPECT_EQ(std::string(found ? found : "(none)"), value ? value : "(none)") << key;
    }
    // The value is the list's own text, not a copy.
    EXPECT_EQ(FindToolType(list, "CHANGES"), list[1] + 8);
    EXPECT_EQ(FindToolType(nullptr, "CHANGES"), nullptr);
    EXPECT_EQ(FindToolType(list, nullptr), nullptr);
    const char* empty[] = {nullptr};
    EXPECT_EQ(FindToolType(empty, "CHANGES"), nullptr);
}

TEST(ToolTypeTest, MatchToolValueTable) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"TRUE", "TRUE", true},      {"true", "TRUE", true},      {"True", "true", true},
        {"NO|TRUE", "TRUE", true},   {"TRUE|NO", "TRUE", true},   {"a|b|true|c", "TRUE", true},
        {"YES", "TRUE", false},      {"TRUEX", "TRUE", false},    {"TRU", "TRUE", false},
        {"NO|TRUEX", "TRUE", false}, {"XTRUE|NO", "TRUE", false}, {"", "TRUE", false},
        {"|TRUE", "TRUE", true},     {"TRUE|", "TRUE", true},     {"FALSE", "TRUE", false},    {"NO | TRUE", "TRUE", false},
        {"\xD7", "\xF7", false} /* the multiplication sign is no capital */,
    };
    for (const auto& [typeString, value, matches] : cases)
        EXPECT_EQ(MatchToolValue(typeString, value) != FALSE, matches) << typeString << " / " << value;
    EXPECT_FALSE(MatchToolValue(nullptr, "TRUE"));
    EXPECT_FALSE(MatchToolValue("TRUE", nullptr));
}

}  // namespace
