#include "platform/linux/encoding/screen_buffer.h"

#include <algorithm>

namespace {

bool Inside(const ScreenBuffer& buffer, const SMALL_RECT& rect) {
    return rect.Left >= 0 && rect.Top >= 0 && rect.Left <= rect.Right && rect.Top <= rect.Bottom &&
           rect.Right < buffer.size.X && rect.Bottom < buffer.size.Y;
}

ConsoleCell FromCharInfo(const CHAR_INFO& info) {
    return {static_cast<unsigned char>(info.Char.AsciiChar),
            static_cast<unsigned char>(info.Attributes & 0xFF)};
}

// A clipped copy: a destination corner, the matching source corner and the extent.
struct Span {
    int left, top;
    int sourceX, sourceY;
    int columns, rows;
};

Span ClipWrite(const ScreenBuffer& buffer, COORD sourceSize, COORD sourceOrigin,
               const SMALL_RECT& region) {
    Span span = {region.Left,
                 region.Top,
                 sourceOrigin.X,
                 sourceOrigin.Y,
                 std::min(region.Right - region.Left + 1, sourceSize.X - sourceOrigin.X),
                 std::min(region.Bottom - region.Top + 1, sourceSize.Y - sourceOrigin.Y)};
    if (span.left < 0) {
        span.sourceX -= span.left;
        span.columns += span.left;
        span.left = 0;
    }
    if (span.top < 0) {
        span.sourceY -= span.top;
        span.rows += span.top;
        span.top = 0;
    }
    span.columns = std::min(span.columns, buffer.size.X - span.left);
    span.rows = std::min(span.rows, buffer.size.Y - span.top);
    if (sourceOrigin.X < 0 || sourceOrigin.Y < 0) {
        span.columns = 0;
    }
    return span;
}

} // namespace

void ResetScreenBuffer(ScreenBuffer& buffer) {
    buffer.size = {DefaultWindowColumns, DefaultBufferRows};
    buffer.window = {0, 0, DefaultWindowColumns - 1, DefaultWindowRows - 1};
    buffer.cells.assign(static_cast<size_t>(buffer.size.X * buffer.size.Y), BlankCell);
}

bool ResizeScreenBuffer(ScreenBuffer& buffer, COORD size) {
    const int windowColumns = buffer.window.Right - buffer.window.Left + 1;
    const int windowRows = buffer.window.Bottom - buffer.window.Top + 1;
    if (size.X < windowColumns || size.Y < windowRows || size.X * size.Y > MaxBufferCells) {
        return false;
    }
    std::vector<ConsoleCell> cells(static_cast<size_t>(size.X * size.Y), BlankCell);
    const int keptColumns = std::min(size.X, buffer.size.X);
    const int keptRows = std::min(size.Y, buffer.size.Y);
    for (int row = 0; row < keptRows; ++row) {
        std::copy_n(buffer.cells.begin() + row * buffer.size.X, keptColumns,
                    cells.begin() + row * size.X);
    }
    buffer.cells.swap(cells);
    buffer.size = size;
    const SHORT shiftX = static_cast<SHORT>(std::max(0, buffer.window.Right - (size.X - 1)));
    const SHORT shiftY = static_cast<SHORT>(std::max(0, buffer.window.Bottom - (size.Y - 1)));
    buffer.window = {static_cast<SHORT>(buffer.window.Left - shiftX),
                     static_cast<SHORT>(buffer.window.Top - shiftY),
                     static_cast<SHORT>(buffer.window.Right - shiftX),
                     static_cast<SHORT>(buffer.window.Bottom - shiftY)};
    return true;
}

bool PlaceWindow(ScreenBuffer& buffer, bool absolute, const SMALL_RECT& rect) {
    SMALL_RECT window = rect;
    if (!absolute) {
        const SMALL_RECT& now = buffer.window;
        window = {static_cast<SHORT>(now.Left + rect.Left), static_cast<SHORT>(now.Top + rect.Top),
                  static_cast<SHORT>(now.Right + rect.Right),
                  static_cast<SHORT>(now.Bottom + rect.Bottom)};
    }
    if (!Inside(buffer, window)) {
        return false;
    }
    buffer.window = window;
    return true;
}

void WriteCells(ScreenBuffer& buffer, const CHAR_INFO* source, COORD sourceSize, COORD sourceOrigin,
                SMALL_RECT& region) {
    const Span span = ClipWrite(buffer, sourceSize, sourceOrigin, region);
    if (span.columns <= 0 || span.rows <= 0) {
        region.Right = static_cast<SHORT>(region.Left - 1);
        region.Bottom = static_cast<SHORT>(region.Top - 1);
        return;
    }
    for (int row = 0; row < span.rows; ++row) {
        const CHAR_INFO* from = source + (span.sourceY + row) * sourceSize.X + span.sourceX;
        ConsoleCell* to =
            &buffer.cells[static_cast<size_t>((span.top + row) * buffer.size.X + span.left)];
        std::transform(from, from + span.columns, to, FromCharInfo);
    }
    region = {static_cast<SHORT>(span.left), static_cast<SHORT>(span.top),
              static_cast<SHORT>(span.left + span.columns - 1),
              static_cast<SHORT>(span.top + span.rows - 1)};
}
