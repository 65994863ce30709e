// Turns the console's window into the bytes that take a terminal from what it shows to what the
// window holds: cell for cell, at half height, or a notice that the terminal is too small, as
// the terminal's size allows. Only cells that differ are sent, so an unchanged window sends
// nothing. Pure: the caller writes the bytes.
#pragma once

#ifndef LINUX_ENCODING_LIBRARY
#error "only a library that links linux_encoding may include its headers"
#endif

#include <string>
#include <vector>

#include "platform/linux/encoding/placement.h"
#include "platform/linux/encoding/screen_buffer.h"

struct TerminalStyle {
    bool utf8;         // glyphs in UTF-8; otherwise the DEC line-drawing set
    bool directColour; // the classic palette in 24-bit colour; otherwise the 16 terminal colours
};

// A terminal cell as the encoder draws it: a code page 437 code in two colours (colour.h).
struct TerminalCell {
    unsigned char code;
    int foreground, background;
    bool operator==(const TerminalCell&) const = default;
};

// What the terminal is known to show, and the state of its pen, from one frame to the next.
struct TerminalImage {
    bool known; // false: the screen is cleared and drawn whole on the next frame
    Placement placement;
    std::vector<TerminalCell> shown;  // placement.columns by placement.rows, row-major
    int penRow, penColumn;            // the cursor's cell, or -1 when not known
    int penForeground, penBackground; // the colours in force, or -1
    bool lineSet;                     // G0 holds the DEC line-drawing set
};

// Marks the screen unknown, so that the next frame redraws it whole: at start, after a resize
// and after output that may not have arrived whole.
void ForgetImage(TerminalImage& image);

// Appends to out what brings the terminal, of the given size, up to the buffer's window, and
// notes it in image. A visible cursor is left on the top-left cell of what is drawn.
void EncodeFrame(const ScreenBuffer& buffer, const TerminalStyle& style, TerminalSize terminal,
                 bool cursorVisible, TerminalImage& image, std::string& out);
