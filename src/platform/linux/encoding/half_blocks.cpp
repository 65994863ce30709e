#include "platform/linux/encoding/half_blocks.h"

#include "platform/linux/encoding/colour.h"
#include "platform/linux/encoding/glyphs.h"

namespace {

constexpr unsigned char MediumShade = 0xB1;

} // namespace

int HalfBlockColour(ConsoleCell cell, bool directColour) {
    const int foreground = cell.colours & 0x0F;
    const int background = cell.colours >> 4;
    const char32_t glyph = Cp437ToUnicode(cell.code);
    if (glyph == U' ' || glyph == U'\u00A0') {
        return background;
    }
    if (cell.code == MediumShade && directColour) {
        return MixColours(foreground, background);
    }
    return foreground;
}
