// The owned text: bounded copy, copies that own their buffers, length and comparison.
#include "app/cstring.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <utility>

namespace {
// Armed by a test: the next nothrow array allocation fails.
bool failNextArray = false;
}  // namespace

// Otherwise ordinary; it goes through the throwing array allocation so that sanitizers pair
// it with delete[].
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    if (std::exchange(failNextArray, false)) return nullptr;
    try { return ::operator new[](n); } catch (...) { return nullptr; }
}

namespace {

std::string Name(const char* s) { return s ? std::string("\"") + s + "\"" : "(null)"; }

// The text holds exactly `text` in a buffer of `size` bytes; nullptr: it has no buffer.
testing::AssertionResult Holds(const cstring& s, const char* text, int size) {
    if ((s.text == nullptr) != (text == nullptr) || (text && std::strcmp(s.text, text) != 0) || s.size != size)
        return testing::AssertionFailure() << Name(s.text) << " in " << s.size << " bytes, not " << Name(text)
                                           << " in " << size;
    return testing::AssertionSuccess();
}

TEST(CstringTest, BoundedCopyKeepsAtMostSizeMinusOneCharacters) {
    struct Case { const char* src; int size; const char* expected; };  // expected nullptr: dst untouched
    const Case cases[] = {{"abcdef", 4, "abc"}, {"abcdef", 7, "abcdef"}, {"abcdef", 6, "abcde"}, {"abcdef", 1, ""},
                          {nullptr, 5, ""},     {"abcdef", 0, nullptr},  {"abcdef", -3, nullptr}};
    for (const Case& c : cases) {
        SCOPED_TRACE(Name(c.src) + " size " + std::to_string(c.size));
        char dst[32];
        std::memset(dst, 'X', sizeof dst);
        cstring().cstrcopy(c.src, dst, c.size);
        if (c.expected) { EXPECT_STREQ(dst, c.expected); }
        // Past the copied NUL only the last byte of the size given is written (not even that
        // for a missing source); nothing at all for a size below one.
        for (int i = c.expected ? static_cast<int>(std::strlen(c.expected)) + 1 : 0; i < static_cast<int>(sizeof dst); ++i)
            EXPECT_EQ(dst[i], (c.expected && c.src && i == c.size - 1) ? '\0' : 'X') << "byte " << i;
    }
    cstring().cstrcopy("abc", nullptr, 4);  // no destination: nothing happens
}

TEST(CstringTest, CopiesOwnTheirBuffersAndSelfAssignmentIsSafe) {
    cstring s("save/game1");
    s = s.text + 5;  // its own tail, then itself, appended to itself, assigned to itself
    EXPECT_TRUE(Holds(s, "game1", 6));
    s = s.text;
    EXPECT_TRUE(Holds(s, "game1", 6));
    s += s.text;
    cstring& same = s;
    s = same;
    EXPECT_TRUE(Holds(s, "game1game1", 11));

    cstring a("drawer"), b(a);
    ASSERT_NE(a.text, b.text);
    b += "/";
    EXPECT_TRUE(Holds(a, "drawer", 7));
    cstring c;
    c = b;
    ASSERT_NE(c.text, b.text);
    cstring moved(std::move(c));
    EXPECT_TRUE(Holds(moved, "drawer/", 8));
    EXPECT_TRUE(Holds(c, nullptr, 0));
    a = std::move(moved);
    EXPECT_TRUE(Holds(a, "drawer/", 8));
}

TEST(CstringTest, LengthComparisonAndLastCharTreatNullAsEmpty) {
    struct Case { const char* held; int length, last; const char* other; bool equal; };  // held nullptr: no buffer
    const Case cases[] = {{nullptr, 0, 0, "", true},        {nullptr, 0, 0, nullptr, true},   {"", 0, 0, nullptr, true},
                          {nullptr, 0, 0, "a", false},      {"a", 1, 'a', nullptr, false},    {"save/", 5, '/', "save/", true},
                          {"save/", 5, '/', "save", false}, {"save", 4, 'e', "save/", false}, {"Save", 4, 'e', "save", false},
                          {"\xb4\xff", 2, 255, "\xb4", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(Name(c.held) + " vs " + Name(c.other));
        cstring s;
        if (c.held) s = c.held;
        EXPECT_EQ(s.cstrlength(c.held), c.length);
        EXPECT_EQ(s.lastchar(), c.last);
        EXPECT_EQ(s == c.other, c.equal);
    }
}

}  // namespace
