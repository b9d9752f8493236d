// The 8 x 8 font: every glyph present and distinct, and how it is opened.
#include <gtest/gtest.h>

#include <graphics.h>

#include <map>
#include <utility>
#include <vector>

#include "gfx_private.h"
#include "host/host.h"

namespace {

std::vector<UBYTE> Glyph(const TextFont* f, int c) {
    const UBYTE* g = f->tf_CharData + (c - f->tf_LoChar) * f->tf_YSize;
    return std::vector<UBYTE>(g, g + f->tf_YSize);
}

TEST(Font, CoversLatin1WithEightByEightCellsAColumnApart) {
    const TextFont* f = platform::SystemFont();
    EXPECT_STREQ(f->tf_Name, "topaz.font");
    EXPECT_EQ(f->tf_YSize, 8);
    EXPECT_EQ(f->tf_XSize, 8);
    EXPECT_LE(f->tf_LoChar, 0x20);
    EXPECT_EQ(f->tf_HiChar, 0xFF);
    EXPECT_LT(f->tf_Baseline, f->tf_YSize);
    for (int c = 0x20; c <= 0xFF; ++c) {
        if (c >= 0x7F && c < 0xA0) continue;
        bool ink = false;
        for (UBYTE row : Glyph(f, c)) {
            ink |= row != 0;
            EXPECT_TRUE(c == '_' || (row & 1) == 0) << std::hex << c << " touches the next letter";
        }
        EXPECT_EQ(ink, c != 0x20 && c != 0xA0) << std::hex << c;
    }
}

TEST(Font, NoTwoAsciiOrAccentedGlyphsLookAlike) {
    const TextFont* f = platform::SystemFont();
    for (auto [lo, hi] : {std::pair{0x20, 0x7E}, std::pair{0xC0, 0xFF}}) {
        std::map<std::vector<UBYTE>, int> seen;
        for (int c = lo; c <= hi; ++c) {
            auto [it, fresh] = seen.emplace(Glyph(f, c), c);
            EXPECT_TRUE(fresh) << std::hex << c << " looks like " << it->second;
        }
    }
    for (auto [accented, base] : std::map<int, int>{{0xE9, 'e'}, {0xC4, 'A'}, {0xF1, 'n'}, {0xFC, 'u'}, {0xC7, 'C'}})
        EXPECT_NE(Glyph(f, accented), Glyph(f, base)) << std::hex << accented;
    // The acute accent reads as a mark above ("Don´t Double"), not a comma.
    int lowest = -1;
    for (int row = 0; row < 8; ++row)
        if (Glyph(f, 0xB4)[row] != 0) lowest = row;
    EXPECT_GE(lowest, 0);
    EXPECT_LT(lowest, f->tf_Baseline / 2 + 1);
}

TEST(OpenFont, GivesTopazEightAndNothingElse) {
    host::ClearFaults();
    const std::pair<const char*, UWORD> refused[] = {{"topaz.font", 9}, {"times.font", 8}, {nullptr, 8}};
    for (auto [name, size] : refused) {
        TextAttr ta{name, size, 0, 0};
        EXPECT_EQ(OpenFont(&ta), nullptr) << (name ? name : "(null)") << " " << size;
    }
    TextAttr ta{"topaz.font", 8, 0, 0};
    TextFont* a = OpenFont(&ta);
    EXPECT_EQ(a, platform::SystemFont());
    CloseFont(a);
}

}  // namespace
