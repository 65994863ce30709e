// How a console character code looks on a terminal: code page 437 glyphs, in UTF-8 where the
// terminal speaks it and otherwise through the DEC line-drawing set. Pure, for the frame encoder.
#pragma once

#ifndef LINUX_ENCODING_LIBRARY
#error "only a library that links linux_encoding may include its headers"
#endif

#include <string>

// The Unicode character code page 437 shows for a code, the 32 control codes included (as the
// console draws them); code 0 shows blank.
char32_t Cp437ToUnicode(unsigned char code);

// Appends the UTF-8 bytes of a character.
void AppendUtf8(std::string& out, char32_t ch);

// How a code is drawn without UTF-8: one byte, in the DEC line-drawing set or in ASCII. A fill (the
// full block) draws the cell in its foreground colour instead, with UTF-8 too: a space on a
// background of that colour.
struct DecGlyph {
    char byte;
    bool lineSet;   // the byte means a DEC line-drawing glyph: G0 must hold that set
    bool asciiOnly; // the byte differs between the two sets: G0 must hold ASCII
    bool fill;
};

// The nearest DEC or ASCII glyph, or '?' where there is none.
DecGlyph Cp437ToDec(unsigned char code);
