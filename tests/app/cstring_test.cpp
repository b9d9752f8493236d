// The owned text: bounded copy, assignment, appending, comparison, and failed allocations.
#include "app/cstring.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <utility>

namespace {
// Failing the array allocations the owned text makes: the count of nothrow array
// allocations that still succeed before the next one fails (-1: none fails).
int allocationsBeforeFailure = -1;
}  // namespace

// Ordinary behaviour unless a test arms the failure; it still goes through the throwing
// array allocation so that sanitizers pair it with delete[].
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    if (allocationsBeforeFailure == 0) {
        allocationsBeforeFailure = -1;
        return nullptr;
    }
    if (allocationsBeforeFailure > 0) --allocationsBeforeFailure;
    try {
        return ::operator new[](n);
    } catch (...) {
        return nullptr;
    }
}

namespace {

struct FailNextAllocation {
    FailNextAllocation() { allocationsBeforeFailure = 0; }
    ~FailNextAllocation() { allocationsBeforeFailure = -1; }
};

struct CopyCase {
    const char* src;
    int size;
    const char* expected;  // nullptr: dst must stay untouched
};

TEST(CstringTest, BoundedCopyKeepsAtMostSizeMinusOneCharacters) {
    const CopyCase cases[] = {
        {"abcdef", 4, "abc"}, {"abcdef", 7, "abcdef"}, {"abcdef", 6, "abcde"},
        {"abcdef", 100, "abcdef"}, {"abcdef", 1, ""}, {"", 5, ""},
        {nullptr, 5, ""}, {"abcdef", 0, nullptr}, {"abcdef", -3, nullptr},
        {nullptr, 0, nullptr},
    };
    for (const CopyCase& c : cases) {
        char dst[128];
        std::memset(dst, 'X', sizeof dst);
        cstring helper;
        helper.cstrcopy(c.src, dst, c.size);
        const std::string label = std::string(c.src ? c.src : "(null)") + " size " + std::to_string(c.size);
        if (c.expected == nullptr) {
            for (char ch : dst) EXPECT_EQ(ch, 'X') << label;
        } else {
            EXPECT_STREQ(dst, c.expected) << label;
            // Past the copied NUL only the last byte of the size given is written (not
            // even that for a missing source).
            const int written = static_cast<int>(std::strlen(c.expected)) + 1;
            for (int i = written; i < static_cast<int>(sizeof dst); ++i)
                EXPECT_EQ(dst[i], (c.src && i == c.size - 1) ? '\0' : 'X') << label << " byte " << i;
        }
    }
}

TEST(CstringTest, BoundedCopyToNullDestinationDoesNothing) {
    const char src[] = "abc";
    cstring helper;
    helper.cstrcopy(src, nullptr, 4);
    EXPECT_STREQ(src, "abc");
}

TEST(CstringTest, LengthCountsCharactersBeforeTheNul) {
    const std::pair<const char*, int> cases[] = {{nullptr, 0}, {"", 0}, {"a", 1}, {"save/", 5}, {"\xb4x", 2}};
    cstring helper;
    for (const auto& [s, n] : cases) EXPECT_EQ(helper.cstrlength(s), n) << (s ? s : "(null)");
}

struct AssignCase {
    const char* s;
    const char* expected;
    int size;
};

TEST(CstringTest, AssigningAllocatesExactlyLengthPlusOne) {
    const AssignCase cases[] = {
        {nullptr, "", 1}, {"", "", 1}, {"save/", "save/", 6}, {"gfx/defaultcards.lbm", "gfx/defaultcards.lbm", 21},
    };
    for (const AssignCase& c : cases) {
        cstring fromConstructor(c.s);
        ASSERT_NE(fromConstructor.text, nullptr);
        EXPECT_STREQ(fromConstructor.text, c.expected);
        EXPECT_EQ(fromConstructor.size, c.size);

        cstring assigned("something longer than any case here");
        assigned = c.s;
        ASSERT_NE(assigned.text, nullptr);
        EXPECT_STREQ(assigned.text, c.expected);
        EXPECT_EQ(assigned.size, c.size);
    }
}

struct AppendCase {
    const char* start;  // nullptr: a text that never had a buffer
    const char* added;
    const char* expected;
    int size;
};

TEST(CstringTest, AppendingMakesAnExactBuffer) {
    const AppendCase cases[] = {
        {"save", "/", "save/", 6}, {"save/", "", "save/", 6}, {"", "a", "a", 2},
        {nullptr, "a", "a", 2}, {"Work:", nullptr, "Work:", 6}, {nullptr, nullptr, "", 1},
        {"abc", "def", "abcdef", 7},
    };
    for (const AppendCase& c : cases) {
        cstring s;
        if (c.start) s = c.start;
        s += c.added;
        ASSERT_NE(s.text, nullptr);
        EXPECT_STREQ(s.text, c.expected);
        EXPECT_EQ(s.size, c.size);
    }
}

struct EqualCase {
    const char* held;  // nullptr: no buffer
    const char* other;
    bool equal;
};

TEST(CstringTest, ComparisonTreatsNullAsEmpty) {
    const EqualCase cases[] = {
        {nullptr, "", true}, {nullptr, nullptr, true}, {"", nullptr, true}, {"", "", true},
        {nullptr, "a", false}, {"a", nullptr, false}, {"save/", "save/", true},
        {"save/", "save", false}, {"save", "save/", false}, {"Save", "save", false},
        {"abc", "abd", false},
    };
    for (const EqualCase& c : cases) {
        cstring s;
        if (c.held) s = c.held;
        EXPECT_EQ(s == c.other, c.equal) << (c.held ? c.held : "(null)") << " vs " << (c.other ? c.other : "(null)");
    }
}

TEST(CstringTest, LastCharIsAnUnsignedCodeOrZero) {
    const std::pair<const char*, int> cases[] = {
        {nullptr, 0}, {"", 0}, {"save/", '/'}, {"Work:", ':'}, {"a\xb4", 0xB4}, {"\xff", 255},
    };
    for (const auto& [held, code] : cases) {
        cstring s;
        if (held) s = held;
        EXPECT_EQ(s.lastchar(), code) << (held ? held : "(null)");
    }
}

TEST(CstringTest, ANewTextHasNoBuffer) {
    cstring s;
    EXPECT_EQ(s.text, nullptr);
    EXPECT_EQ(s.size, 0);
    EXPECT_TRUE(s == "");
    EXPECT_EQ(s.lastchar(), 0);
}

TEST(CstringTest, AssigningOwnTextOrPartOfItIsSafe) {
    cstring s("save/game1");
    s = s.text + 5;
    EXPECT_STREQ(s.text, "game1");
    EXPECT_EQ(s.size, 6);
    s = s.text;
    EXPECT_STREQ(s.text, "game1");
    s += s.text;
    EXPECT_STREQ(s.text, "game1game1");
    EXPECT_EQ(s.size, 11);
}

TEST(CstringTest, CopiesOwnTheirBuffers) {
    cstring a("drawer");
    cstring b(a);
    ASSERT_NE(a.text, b.text);
    EXPECT_STREQ(b.text, "drawer");
    b += "/";
    EXPECT_STREQ(a.text, "drawer");
    cstring c;
    c = b;
    ASSERT_NE(c.text, b.text);
    EXPECT_STREQ(c.text, "drawer/");
    cstring& same = c;
    c = same;  // self-assignment keeps the text
    EXPECT_STREQ(c.text, "drawer/");
    cstring moved(std::move(c));
    EXPECT_STREQ(moved.text, "drawer/");
    EXPECT_EQ(c.text, nullptr);
    EXPECT_EQ(c.size, 0);
    a = std::move(moved);
    EXPECT_STREQ(a.text, "drawer/");
    EXPECT_EQ(a.size, 8);
}

TEST(CstringTest, FailedAssignmentLeavesNoText) {
    cstring s("old");
    {
        FailNextAllocation fail;
        s = "new";
    }
    EXPECT_EQ(s.text, nullptr);
    EXPECT_EQ(s.size, 0);
    EXPECT_TRUE(s == "");
    {
        FailNextAllocation fail;
        cstring built("x");
        EXPECT_EQ(built.text, nullptr);
        EXPECT_EQ(built.size, 0);
    }
}

TEST(CstringTest, FailedAppendKeepsTheOldBufferAndCutsTheText) {
    cstring s("save");
    char* before = s.text;
    {
        FailNextAllocation fail;
        s += "/";
    }
    EXPECT_EQ(s.text, before);
    EXPECT_EQ(s.size, 5);
    EXPECT_STREQ(s.text, "save");

    cstring none;
    {
        FailNextAllocation fail;
        none += "abc";
    }
    EXPECT_EQ(none.text, nullptr);
    EXPECT_EQ(none.size, 0);
}

}  // namespace
