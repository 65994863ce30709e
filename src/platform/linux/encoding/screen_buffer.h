// The console's screen buffer as the console calls see it: its size, the window shown of it and
// the cells written into it. Pure, so that the calls' rectangle rules can be tested on their own.
#pragma once

#ifndef LINUX_ENCODING_LIBRARY
#error "only a library that links linux_encoding may include its headers"
#endif

#include <vector>

#include "platform/win_types.h"

// A cell as the console keeps it: the character code and the colour bits of the attribute (the
// higher attribute bits draw nothing on a terminal).
struct ConsoleCell {
    unsigned char code;
    unsigned char colours;
    bool operator==(const ConsoleCell&) const = default;
};

// What an empty cell holds: a space, light gray on black.
constexpr ConsoleCell BlankCell = {' ', 0x07};

// A new console's window and the buffer behind it, with room to scroll back.
constexpr SHORT DefaultWindowColumns = 80;
constexpr SHORT DefaultWindowRows = 25;
constexpr SHORT DefaultBufferRows = 300;
// The most cells a buffer may hold, whatever its shape.
constexpr int MaxBufferCells = 1 << 20;

struct ScreenBuffer {
    COORD size;
    SMALL_RECT window;              // inclusive corners, always inside the buffer
    std::vector<ConsoleCell> cells; // size.X * size.Y, row-major
};

// Makes the buffer a new console's: blank, with the default window at its top-left.
void ResetScreenBuffer(ScreenBuffer& buffer);

// Resizes the buffer, keeping the cells that still fit and the window's size; the window moves
// up or left when it would stick out. False, with nothing changed, when the size is smaller than
// the window or holds no cell or too many.
bool ResizeScreenBuffer(ScreenBuffer& buffer, COORD size);

// Sets the window, given absolutely or as offsets to the current corners. False, with nothing
// changed, when the result is empty or not inside the buffer.
bool PlaceWindow(ScreenBuffer& buffer, bool absolute, const SMALL_RECT& rect);

// Copies a block of cells into the buffer the way WriteConsoleOutputA does: region names the
// destination; the source block of sourceSize cells is read from sourceOrigin on. The part that
// would fall outside the buffer or past the source is dropped, and region is set to what was
// written (Right < Left and Bottom < Top when nothing was). Only the low byte of each character
// and the low byte of each attribute are kept.
void WriteCells(ScreenBuffer& buffer, const CHAR_INFO* source, COORD sourceSize, COORD sourceOrigin,
                SMALL_RECT& region);
