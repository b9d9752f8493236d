// Icons: reading and writing tool types, replacing the icon safely, finding and matching
// tool types, and files that are not icons at all.
#include <gtest/gtest.h>
#include <icon.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "host/host.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteAll(const fs::path& p, const std::string& data) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << data;
}

std::vector<std::string> ToolTypes(const DiskObject* icon) {
    std::vector<std::string> out;
    for (STRPTR* t = icon->do_ToolTypes; *t != nullptr; ++t) out.push_back(*t);
    return out;
}

class IconTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::ClearFaults();
        char tmpl[] = "/tmp/icon_test_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        name = (dir / "poker").string();
        info = dir / "poker.info";
    }
    void TearDown() override {
        host::ClearFaults();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir, info;
    std::string name;
};

TEST_F(IconTest, ToolTypesWrittenAreReadBackInOrder) {
    const char* mine[] = {"PREFSJOKER=FALSE", "PREFS5KIND=TRUE", "PREFSDOUBLE=FALSE", "CHANGES=2",
                          "JOKERS=5", "CARDS=gfx/d\xe9j\xe0.lbm", nullptr};
    DiskObject object{};
    object.do_Magic = WB_DISKMAGIC;
    object.do_ToolTypes = const_cast<STRPTR*>(mine);
    ASSERT_TRUE(PutDiskObject(name.c_str(), &object));
    EXPECT_EQ(ReadAll(info),
              "PREFSJOKER=FALSE\nPREFS5KIND=TRUE\nPREFSDOUBLE=FALSE\nCHANGES=2\nJOKERS=5\nCARDS=gfx/d\xe9j\xe0.lbm\n");
    EXPECT_FALSE(fs::exists(dir / "poker.info.tmp"));

    DiskObject* icon = GetDiskObject(name.c_str());
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(ToolTypes(icon), std::vector<std::string>(mine, mine + 6));
    FreeDiskObject(icon);
}

struct ParseCase {
    const char* what;
    std::string contents;
    std::vector<std::string> expected;
};

TEST_F(IconTest, LinesBecomeToolTypesTable) {
    const ParseCase cases[] = {
        {"plain", "A=1\nB=2\n", {"A=1", "B=2"}},
        {"no final line end", "A=1\nB=2", {"A=1", "B=2"}},
        {"CR LF line ends", "A=1\r\nB=2\r\n", {"A=1", "B=2"}},
        {"empty lines skipped", "\n\nA\n\n\r\nB=\n", {"A", "B="}},
        {"empty file", "", {}},
        {"only line ends", "\n\n\n", {}},
        {"NUL bytes dropped", std::string("AB\0C=1\n", 7), {"ABC=1"}},
        {"ISO-8859-1 kept", "CARDS=\xe9t\xe9\n", {"CARDS=\xe9t\xe9"}},
        {"spaces kept", " KEY = v \n", {" KEY = v "}},
    };
    for (const ParseCase& c : cases) {
        WriteAll(info, c.contents);
        DiskObject* icon = GetDiskObject(name.c_str());
        ASSERT_NE(icon, nullptr) << c.what;
        EXPECT_EQ(ToolTypes(icon), c.expected) << c.what;
        FreeDiskObject(icon);
    }
}

TEST_F(IconTest, MissingOrUnreadableIconGivesNull) {
    EXPECT_EQ(GetDiskObject(name.c_str()), nullptr);
    fs::create_directory(info);
    EXPECT_EQ(GetDiskObject(name.c_str()), nullptr);
    fs::remove(info);
    // A pipe named like an icon is not one, and reading it must not wait for a writer.
    ASSERT_EQ(mkfifo(info.c_str(), 0600), 0);
    EXPECT_EQ(GetDiskObject(name.c_str()), nullptr);
    EXPECT_EQ(GetDiskObject(nullptr), nullptr);
    EXPECT_EQ(GetDiskObject(""), nullptr);
}

TEST_F(IconTest, InjectedReadFailureGivesNullOnce) {
    WriteAll(info, "A=1\n");
    host::FailOnce("GetDiskObject");
    EXPECT_EQ(GetDiskObject(name.c_str()), nullptr);
    DiskObject* icon = GetDiskObject(name.c_str());
    ASSERT_NE(icon, nullptr);
    FreeDiskObject(icon);
}

TEST_F(IconTest, FailedWriteLeavesTheOldIconAndNoTemporaryFile) {
    const std::string old = "PREFSJOKER=TRUE\nJOKERS=7\n";
    WriteAll(info, old);
    const char* replacement[] = {"CHANGES=1", nullptr};
    DiskObject object{};
    object.do_ToolTypes = const_cast<STRPTR*>(replacement);

    host::FailOnce("PutDiskObject");
    EXPECT_FALSE(PutDiskObject(name.c_str(), &object));
    EXPECT_EQ(ReadAll(info), old);
    EXPECT_FALSE(fs::exists(dir / "poker.info.tmp"));

    // A temporary file that cannot be made fails the same way.
    fs::create_directory(dir / "poker.info.tmp");
    EXPECT_FALSE(PutDiskObject(name.c_str(), &object));
    EXPECT_EQ(ReadAll(info), old);
    fs::remove(dir / "poker.info.tmp");

    EXPECT_TRUE(PutDiskObject(name.c_str(), &object));
    EXPECT_EQ(ReadAll(info), "CHANGES=1\n");
}

TEST_F(IconTest, ProgramsOwnListIsWrittenAndOnlyTheIconsListIsFreed) {
    WriteAll(info, "OTHER=1\nJOKERS=2\n");
    DiskObject* icon = GetDiskObject(name.c_str());
    ASSERT_NE(icon, nullptr);
    STRPTR* original = icon->do_ToolTypes;
    const char* mine[] = {"JOKERS=4", "Multi\nLine", "", nullptr};
    icon->do_ToolTypes = const_cast<STRPTR*>(mine);
    EXPECT_TRUE(PutDiskObject(name.c_str(), icon));
    icon->do_ToolTypes = original;
    FreeDiskObject(icon);
    // One tool type stays one line; empty ones are not written.
    EXPECT_EQ(ReadAll(info), "JOKERS=4\nMulti Line\n");

    DiskObject notIssued{};
    FreeDiskObject(&notIssued);  // not from GetDiskObject: left alone
    FreeDiskObject(nullptr);
    EXPECT_FALSE(PutDiskObject(nullptr, icon));
    EXPECT_FALSE(PutDiskObject(name.c_str(), nullptr));
}

TEST_F(IconTest, IconWithoutListWritesAnEmptyFile) {
    WriteAll(info, "A=1\n");
    DiskObject object{};
    EXPECT_TRUE(PutDiskObject(name.c_str(), &object));
    EXPECT_EQ(ReadAll(info), "");
    DiskObject* icon = GetDiskObject(name.c_str());
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(icon->do_ToolTypes, nullptr);
    EXPECT_EQ(icon->do_ToolTypes[0], nullptr);
    FreeDiskObject(icon);
}

TEST_F(IconTest, HugeOrBinaryFilesStillGiveABoundedIcon) {
    struct Case {
        const char* what;
        std::string contents;
    };
    std::mt19937 random(12345);
    std::string binary(300000, '\0');
    for (char& c : binary) c = static_cast<char>(random());
    std::string manyLines;
    for (int i = 0; i < 100000; ++i) manyLines += "KEY" + std::to_string(i) + "=v\n";
    const Case cases[] = {
        {"one endless line", std::string(5 << 20, 'A')},
        {"many lines", manyLines},
        {"random bytes", binary},
    };
    for (const Case& c : cases) {
        WriteAll(info, c.contents);
        DiskObject* icon = GetDiskObject(name.c_str());
        ASSERT_NE(icon, nullptr) << c.what;
        const auto types = ToolTypes(icon);
        EXPECT_FALSE(types.empty()) << c.what;
        EXPECT_LE(types.size(), 256u) << c.what;
        for (const std::string& t : types) {
            EXPECT_LE(t.size(), 1024u) << c.what;
            EXPECT_EQ(t.find('\0'), std::string::npos) << c.what;
            EXPECT_EQ(t.find('\n'), std::string::npos) << c.what;
        }
        // Whatever came first is read as it stands.
        if (std::string(c.what) == "many lines") {
            EXPECT_EQ(types.front(), "KEY0=v");
            EXPECT_EQ(FindToolType(icon->do_ToolTypes, "KEY100"), std::string("v"));
        }
        FreeDiskObject(icon);
    }
}

struct FindCase {
    const char* key;
    const char* value;  // nullptr: not found
};

TEST(ToolTypeTest, FindToolTypeTable) {
    const char* list[] = {"PREFSJOKER=TRUE", "changes=2", "CARDS=gfx/defaultcards.lbm", "BARE", "EMPTY=",
                          "JOKERS=3=4", "JOKERS=5", "\xc9T\xc9=summer", nullptr};
    const FindCase cases[] = {
        {"PREFSJOKER", "TRUE"}, {"prefsjoker", "TRUE"}, {"PrefsJoker", "TRUE"}, {"CHANGES", "2"},
        {"CARDS", "gfx/defaultcards.lbm"}, {"BARE", ""}, {"bare", ""}, {"EMPTY", ""}, {"JOKERS", "3=4"},
        {"MISSING", nullptr}, {"PREFS", nullptr}, {"PREFSJOKERS", nullptr}, {"PREFSJOKER=TRUE", nullptr},
        {"", nullptr}, {"\xe9t\xe9", "summer"},
    };
    for (const FindCase& c : cases) {
        const char* found = FindToolType(list, c.key);
        if (c.value == nullptr) {
            EXPECT_EQ(found, nullptr) << c.key;
        } else {
            ASSERT_NE(found, nullptr) << c.key;
            EXPECT_STREQ(found, c.value) << c.key;
        }
    }
    // The value is the list's own text, not a copy.
    EXPECT_EQ(FindToolType(list, "CHANGES"), list[1] + 8);
    EXPECT_EQ(FindToolType(nullptr, "CHANGES"), nullptr);
    EXPECT_EQ(FindToolType(list, nullptr), nullptr);
    const char* empty[] = {nullptr};
    EXPECT_EQ(FindToolType(empty, "CHANGES"), nullptr);
}

struct MatchCase {
    const char* typeString;
    const char* value;
    bool matches;
};

TEST(ToolTypeTest, MatchToolValueTable) {
    const MatchCase cases[] = {
        {"TRUE", "TRUE", true},     {"true", "TRUE", true},       {"True", "true", true},
        {"NO|TRUE", "TRUE", true},  {"TRUE|NO", "TRUE", true},    {"a|b|true|c", "TRUE", true},
        {"YES", "TRUE", false},     {"TRUEX", "TRUE", false},     {"TRU", "TRUE", false},
        {"NO|TRUEX", "TRUE", false}, {"XTRUE|NO", "TRUE", false}, {"", "TRUE", false},
        {"|TRUE", "TRUE", true},    {"TRUE|", "TRUE", true},      {"FALSE", "TRUE", false},
        {"NO | TRUE", "TRUE", false},
    };
    for (const MatchCase& c : cases)
        EXPECT_EQ(MatchToolValue(c.typeString, c.value) != FALSE, c.matches) << c.typeString << " / " << c.value;
    EXPECT_FALSE(MatchToolValue(nullptr, "TRUE"));
    EXPECT_FALSE(MatchToolValue("TRUE", nullptr));
}

}  // namespace
