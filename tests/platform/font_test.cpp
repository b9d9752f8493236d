// The 8 x 8 font: every glyph present and distinct, and how it is opened.
#include <gtest/gtest.h>

#include <graphics.h>

#include <map>
#include <vector>

#include "gfx_private.h"
#include "host/host.h"

namespace {

std::vector<UBYTE> Glyph(const TextFont* f, int c) {
    const UBYTE* g = f->tf_CharData + (c - f->tf_LoChar) * f->tf_YSize;
    return std::vector<UBYTE>(g, g + f->tf_YSize);
}

TEST(Font, CoversLatin1WithEightByEightCells) {
    const TextFont* f = platform::SystemFont();
    EXPECT_STREQ(f->tf_Name, "topaz.font");
    EXPECT_EQ(f->tf_YSize, 8);
    EXPECT_EQ(f->tf_XSize, 8);
    EXPECT_LE(f->tf_LoChar, 0x20);
    EXPECT_EQ(f->tf_HiChar, 0xFF);
    EXPECT_LT(f->tf_Baseline, f->tf_YSize);
}

TEST(Font, EveryPrintableGlyphHasInkExceptTheSpaces) {
    const TextFont* f = platform::SystemFont();
    for (int c = 0x20; c <= 0xFF; ++c) {
        if (c >= 0x7F && c < 0xA0) continue;
        bool ink = false;
        for (UBYTE row : Glyph(f, c)) ink |= row != 0;
        EXPECT_EQ(ink, c != 0x20 && c != 0xA0) << std::hex << c;
    }
}

TEST(Font, NoTwoPrintableAsciiGlyphsLookAlike) {
    const TextFont* f = platform::SystemFont();
    std::map<std::vector<UBYTE>, int> seen;
    for (int c = 0x20; c <= 0x7E; ++c) {
        auto [it, fresh] = seen.emplace(Glyph(f, c), c);
        EXPECT_TRUE(fresh) << "'" << char(c) << "' looks like '" << char(it->second) << "'";
    }
}

TEST(Font, AccentedLettersDifferFromTheirBaseAndFromEachOther) {
    const TextFont* f = platform::SystemFont();
    std::map<std::vector<UBYTE>, int> seen;
    for (int c = 0xC0; c <= 0xFF; ++c) {
        auto [it, fresh] = seen.emplace(Glyph(f, c), c);
        EXPECT_TRUE(fresh) << std::hex << c << " looks like " << it->second;
    }
    for (auto [accented, base] : std::map<int, int>{{0xE9, 'e'}, {0xC4, 'A'}, {0xF1, 'n'}, {0xFC, 'u'}, {0xC7, 'C'}})
        EXPECT_NE(Glyph(f, accented), Glyph(f, base)) << std::hex << accented;
}

TEST(Font, TheAcuteAccentSitsHighLikeAnApostrophe) {
    // "Don´t Double": the accent must read as a mark above, not a comma.
    const TextFont* f = platform::SystemFont();
    const std::vector<UBYTE> acute = Glyph(f, 0xB4);
    int lowest = -1;
    for (int row = 0; row < 8; ++row)
        if (acute[row] != 0) lowest = row;
    EXPECT_GE(lowest, 0);
    EXPECT_LT(lowest, f->tf_Baseline / 2 + 1);
}

TEST(Font, KeepsAColumnFreeBetweenLetters) {
    const TextFont* f = platform::SystemFont();
    for (int c = 0x21; c <= 0xFF; ++c) {
        if (c == '_') continue;  // underscores join up
        for (UBYTE row : Glyph(f, c)) EXPECT_EQ(row & 1, 0) << std::hex << c;
    }
}

TEST(OpenFont, GivesTopazEightAndNothingElse) {
    host::ClearFaults();
    struct Case {
        const char* name;
        UWORD size;
        bool opens;
    };
    const Case cases[] = {{"topaz.font", 8, true},  {"topaz.font", 9, false}, {"topaz.font", 0, false},
                          {"times.font", 8, false}, {"topaz", 8, false},      {nullptr, 8, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "(null)");
        TextAttr ta{c.name, c.size, 0, 0};
        TextFont* font = OpenFont(&ta);
        EXPECT_EQ(font != nullptr, c.opens);
        if (font != nullptr) {
            EXPECT_EQ(font, platform::SystemFont());
        }
        CloseFont(font);
    }
    EXPECT_EQ(OpenFont(nullptr), nullptr);
}

TEST(OpenFont, CountsItsAccessors) {
    host::ClearFaults();
    TextAttr ta{"topaz.font", 8, 0, 0};
    const UWORD before = platform::SystemFont()->tf_Accessors;
    TextFont* a = OpenFont(&ta);
    TextFont* b = OpenFont(&ta);
    EXPECT_EQ(a->tf_Accessors, before + 2);
    CloseFont(a);
    CloseFont(b);
    EXPECT_EQ(platform::SystemFont()->tf_Accessors, before);
    CloseFont(nullptr);
}

}  // namespace
