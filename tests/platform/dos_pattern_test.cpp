// Name patterns: what each pattern element matches, case-insensitively, and bad patterns.
#include <dos.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Matches(const char* pattern, const char* name) {
    char parsed[512];
    if (ParsePatternNoCase(pattern, parsed, sizeof parsed) < 0) return false;
    return MatchPatternNoCase(parsed, name) != FALSE;
}

struct MatchCase {
    const char* pattern;
    std::vector<const char*> matching;
    std::vector<const char*> notMatching;
};

TEST(DosPatternTest, PatternElementsTable) {
    const MatchCase cases[] = {
        {"#?", {"", "a", "poker.info", "#?"}, {}},
        {"?", {"a", "?", "."}, {"", "ab"}},
        {"??", {"ab", "zz"}, {"a", "abc"}},
        {"a?c", {"abc", "a.c"}, {"ac", "abbc"}},
        {"#a", {"", "a", "aaaa", "AaA"}, {"b", "ab", "aab"}},
        {"#ab", {"b", "ab", "aaab"}, {"a", "abb"}},
        {"#(ab)", {"", "ab", "abab"}, {"a", "aba"}},
        {"#?.info", {".info", "poker.info", "POKER.INFO", "a.b.info"}, {"poker.inf", "poker.info2", "info"}},
        {"~(#?.info)", {"poker", "game1", "poker.guide", "info", "a.infox", ""}, {"poker.info", "x.INFO", ".info"}},
        {"~a", {"", "b", "aa", "ab"}, {"a", "A"}},
        {"(a|b)", {"a", "b", "B"}, {"", "ab", "c"}},
        {"(a|bc|)x", {"ax", "bcx", "x"}, {"bx", "abx"}},
        {"(a|(b|c)d)", {"a", "bd", "cd"}, {"b", "d", "ad"}},
        {"#(a|b)c", {"c", "abbac"}, {"abd", "cc"}},
        {"a%b", {"ab"}, {"a b", "a%b"}},
        {"%", {""}, {"a", "%"}},
        {"(%|a)b", {"b", "ab"}, {"aab"}},
        {"'#'?", {"#?"}, {"#a", "", "#"}},
        {"'#?", {"#?", "#a"}, {"#", "a?", "##a"}},
        {"a'(b", {"a(b"}, {"ab"}},
        {"''", {"'"}, {"''", ""}},
        {"a*", {"a*"}, {"a", "abc"}},
        {"*", {"*"}, {"", "x"}},
        {"Poker", {"poker", "POKER", "PoKeR"}, {"poke", "pokers"}},
        {"\xc9t\xe9", {"\xe9t\xe9", "\xc9T\xc9"}, {"ete"}},
        {"[a-c]x", {"ax", "Bx", "cx"}, {"dx", "x"}},
        {"[~a-c]x", {"dx", "zx"}, {"ax", "Cx", "x"}},
        {"save/#?", {"save/", "save/game"}, {"save", "Save"}},
        {"~(#?.info|#?.bak)", {"game"}, {"a.info", "b.BAK"}},
        {"#?~(x)", {"", "x", "ax"}, {}},
        {"", {""}, {"a"}},
    };
    for (const MatchCase& c : cases) {
        for (const char* name : c.matching) EXPECT_TRUE(Matches(c.pattern, name)) << c.pattern << " should match \"" << name << '"';
        for (const char* name : c.notMatching)
            EXPECT_FALSE(Matches(c.pattern, name)) << c.pattern << " should not match \"" << name << '"';
    }
}

TEST(DosPatternTest, PathologicalPatternsFinishAndDeepNestingIsRefused) {
    const std::string name(400, 'a');
    EXPECT_FALSE(Matches("#(#a#a)b", name.c_str()));
    EXPECT_FALSE(Matches("#?#?#?#?#?#?#?#?b", name.c_str()));
    EXPECT_TRUE(Matches("#?#?#?#?#?#?#?#?b", (name + "b").c_str()));
    for (const std::string& deep : {std::string(5000, '(') + "a" + std::string(5000, ')'), std::string(5000, '~') + "a"}) {
        std::vector<char> big(deep.size() + 2);
        EXPECT_EQ(ParsePatternNoCase(deep.c_str(), big.data(), static_cast<LONG>(big.size())), -1);
    }
}

}  // namespace
