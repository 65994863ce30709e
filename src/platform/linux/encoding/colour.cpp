#include "platform/linux/encoding/colour.h"

namespace {

constexpr uint32_t ClassicPalette[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                         0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                         0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

constexpr int FirstMix = 16;

bool IsMix(int colour) {
    return colour >= FirstMix;
}

void AppendIndexed(std::string& out, int colour, bool background) {
    const int ansi = AnsiColour(IsMix(colour) ? (colour - FirstMix) >> 4 : colour);
    const unsigned base = ansi >= 8 ? (background ? 100u : 90u) : (background ? 40u : 30u);
    AppendNumber(out, base + static_cast<unsigned>(ansi & 7));
}

void AppendDirect(std::string& out, int colour, bool background) {
    const uint32_t rgb = ColourRgb(colour);
    out += background ? "48;2;" : "38;2;";
    AppendNumber(out, rgb >> 16);
    out += ';';
    AppendNumber(out, (rgb >> 8) & 0xFF);
    out += ';';
    AppendNumber(out, rgb & 0xFF);
}

} // namespace

int AnsiColour(int consoleIndex) {
    const int blue = consoleIndex & 1;
    const int green = consoleIndex & 2;
    const int red = (consoleIndex >> 2) & 1;
    return (consoleIndex & 8) | (blue << 2) | green | red;
}

uint32_t ClassicRgb(int consoleIndex) {
    return ClassicPalette[consoleIndex & 15];
}

int MixColours(int firstIndex, int secondIndex) {
    const int first = firstIndex & 15;
    const int second = secondIndex & 15;
    return first == second ? first : FirstMix + (first << 4 | second);
}

uint32_t ColourRgb(int colour) {
    if (!IsMix(colour)) {
        return ClassicRgb(colour);
    }
    const uint32_t first = ClassicRgb((colour - FirstMix) >> 4);
    const uint32_t second = ClassicRgb((colour - FirstMix) & 15);
    uint32_t mix = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t sum = (first >> shift & 0xFF) + (second >> shift & 0xFF);
        mix |= sum / 2 << shift;
    }
    return mix;
}

void AppendNumber(std::string& out, unsigned value) {
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0) {
        out += digits[--count];
    }
}

void AppendColour(std::string& out, int colour, bool background, bool directColour) {
    if (directColour) {
        AppendDirect(out, colour, background);
    } else {
        AppendIndexed(out, colour, background);
    }
}
