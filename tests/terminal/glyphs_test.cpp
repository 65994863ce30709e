// Console character codes on a terminal: code page 437 in UTF-8, and the DEC line-drawing set
// where the terminal has no UTF-8.
#include "platform/linux/encoding/glyphs.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::string Utf8(char32_t ch) {
    std::string out;
    AppendUtf8(out, ch);
    return out;
}

TEST(Cp437, PictureGlyphsAreTheBlockShadeAndLines) {
    EXPECT_EQ(Cp437ToUnicode(0xDB), U'\u2588'); // full block
    EXPECT_EQ(Cp437ToUnicode(0xB1), U'\u2592'); // medium shade
    EXPECT_EQ(Cp437ToUnicode(0xC5), U'\u253C'); // cross
    EXPECT_EQ(Cp437ToUnicode(0xC4), U'\u2500'); // horizontal
    EXPECT_EQ(Cp437ToUnicode(0xB3), U'\u2502'); // vertical
}

TEST(Cp437, AsciiStaysNoCodeBecomesATerminalControlAndNoTwoShareAGlyph) {
    std::set<char32_t> seen;
    for (unsigned code = 1; code < 256; ++code) {
        const char32_t ch = Cp437ToUnicode(static_cast<unsigned char>(code));
        EXPECT_FALSE(ch < 0x20 || (ch >= 0x7F && ch < 0xA0)) << "code " << code;
        EXPECT_TRUE(seen.insert(ch).second) << "code " << code;
    }
    EXPECT_EQ(Cp437ToUnicode(0), U' ');
    for (unsigned code = 0x20; code < 0x7F; ++code) {
        EXPECT_EQ(Cp437ToUnicode(static_cast<unsigned char>(code)), code);
    }
}

TEST(Utf8, EncodesEachLength) {
    EXPECT_EQ(Utf8(U'A'), "A");
    EXPECT_EQ(Utf8(U'\u00E9'), "\xC3\xA9");
    EXPECT_EQ(Utf8(U'\u2588'), "\xE2\x96\x88");
    EXPECT_EQ(Utf8(U'\U0001F600'), "\xF0\x9F\x98\x80");
}

TEST(DecFallback, LinesAndShadeUseTheLineSet) {
    const struct {
        unsigned char code;
        char byte;
    } lines[] = {{0xC4, 'q'}, {0xB3, 'x'}, {0xC5, 'n'}, {0xB1, 'a'}, {0xCD, 'q'}, {0xDA, 'l'}};
    for (const auto& line : lines) {
        const DecGlyph glyph = Cp437ToDec(line.code);
        EXPECT_EQ(glyph.byte, line.byte) << int{line.code};
        EXPECT_TRUE(glyph.lineSet);
        EXPECT_FALSE(glyph.fill);
    }
}

TEST(DecFallback, FullBlockIsAFilledCell) {
    const DecGlyph glyph = Cp437ToDec(0xDB);
    EXPECT_TRUE(glyph.fill);
    EXPECT_EQ(glyph.byte, ' ');
    EXPECT_FALSE(glyph.lineSet);
}

TEST(DecFallback, AsciiNeedsTheAsciiSetOnlyWhereTheSetsDiffer) {
    EXPECT_FALSE(Cp437ToDec('A').asciiOnly); // 0x41 is the same in both sets
    EXPECT_TRUE(Cp437ToDec('q').asciiOnly);  // 0x71 is a line in the DEC set
    EXPECT_TRUE(Cp437ToDec('_').asciiOnly);
    EXPECT_EQ(Cp437ToDec('q').byte, 'q');
    EXPECT_FALSE(Cp437ToDec('q').lineSet);
}

} // namespace
