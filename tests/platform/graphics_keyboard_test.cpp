// Typed text from the host (UTF-8) as the ISO-8859-1 codes the program receives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/display.h"

namespace {

TEST(TypedText, BecomesLatin1CodesAndDropsWhatLatin1Lacks) {
    struct Case { const char* what; std::string utf8; std::vector<int> codes; };
    const Case cases[] = {
        {"ascii", "aZ?5 ", {'a', 'Z', '?', '5', ' '}},
        {"umlauts and sharp s", "\xC3\xA4\xC3\x96\xC3\x9F", {0xE4, 0xD6, 0xDF}},
        {"acute accent and nbsp", "\xC2\xB4\xC2\xA0", {0xB4, 0xA0}},
        {"y with diaeresis, the last code", "\xC3\xBF", {0xFF}},
        {"euro sign is beyond Latin-1", "a\xE2\x82\xAC" "b", {'a', 'b'}},
        {"emoji is beyond Latin-1", "\xF0\x9F\x83\x8F!", {'!'}},
        {"control characters", "\x01\x1F\x7F\xC2\x85x", {'x'}},
        {"stray continuation byte", "\x80q", {'q'}},
        {"sequence cut short", "\xC3q\xE2\x82", {'q'}},
        {"overlong encoding of 'A'", "\xC1\x81" "B", {'B'}},
        {"invalid lead byte", "\xFF\xFEz", {'z'}},
        {"empty", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(display::Latin1FromUtf8(c.utf8.c_str()), c.codes);
    }
    EXPECT_TRUE(display::Latin1FromUtf8(nullptr).empty());
}

}  // namespace
