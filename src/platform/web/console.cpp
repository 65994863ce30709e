// The console calls on the page's canvas: one console of the program's 60 by 40 cells, its window
// the whole buffer, drawn 8 by 16 pixels a cell (src/picture). A write only keeps the cells; they
// reach the canvas when the program gives control back to the browser, so that a burst of passes
// costs one drawing, and only the cells that changed since the last frame shown are drawn again:
// a few dozen of the 2,400 as the ball moves, as the terminal is sent only changed cells.
#include <algorithm>
#include <cstring>

#include "picture/cell_picture.h"
#include "platform/common/console_rules.h"
#include "platform/web/layer.h"
#include "platform/web/page.h"
#include "platform/win_api.h"

namespace {

struct CanvasConsole {
    bool open;
    bool changed;     // written since last shown
    uint32_t written; // writes so far
    CHAR_INFO cells[CellCount];
};

// What the canvas shows: the cells last shown and their pixels.
struct Canvas {
    bool drawn; // once the first frame was drawn whole
    CHAR_INFO cells[CellCount];
    uint8_t pixels[PictureWidth * PictureHeight * RgbaBytes];
};

CanvasConsole console;
Canvas canvas;

HANDLE ConsoleHandle() {
    return &console;
}

bool Ours(HANDLE handle) {
    return console.open && handle == ConsoleHandle();
}

bool IsWholeConsole(const SMALL_RECT& rect) {
    return rect.Left == 0 && rect.Top == 0 && rect.Right == ScreenColumns - 1 &&
           rect.Bottom == ScreenRows - 1;
}

// Copies the cells of region from the caller's buffer, whose cell at from lands on the region's
// top-left corner, clipping region to the console and to the buffer as Windows does.
void CopyCells(const CHAR_INFO* buffer, COORD size, COORD from, SMALL_RECT& region) {
    const int shiftX = from.X - region.Left;
    const int shiftY = from.Y - region.Top;
    const int left = std::max({int{region.Left}, 0, -shiftX});
    const int top = std::max({int{region.Top}, 0, -shiftY});
    const int right = std::min({int{region.Right}, ScreenColumns - 1, size.X - 1 - shiftX});
    const int bottom = std::min({int{region.Bottom}, ScreenRows - 1, size.Y - 1 - shiftY});
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) {
            const CHAR_INFO& given = buffer[(y + shiftY) * size.X + x + shiftX];
            CHAR_INFO& cell = console.cells[y * ScreenColumns + x];
            // The A call takes each cell's 8-bit character alone; the rest of the union is
            // whatever the caller's memory held.
            cell.Char.UnicodeChar = static_cast<unsigned char>(given.Char.AsciiChar);
            cell.Attributes = given.Attributes;
        }
    }
    region.Left = static_cast<SHORT>(left);
    region.Top = static_cast<SHORT>(top);
    region.Right = static_cast<SHORT>(right);
    region.Bottom = static_cast<SHORT>(bottom);
}

bool SameCell(const CHAR_INFO& a, const CHAR_INFO& b) {
    return a.Char.UnicodeChar == b.Char.UnicodeChar && a.Attributes == b.Attributes;
}

// Draws the cells that differ from what the canvas shows and returns the smallest rectangle of
// cells holding them; an empty one (right < left) when none differ.
SMALL_RECT DrawChangedCells() {
    SMALL_RECT changed{ScreenColumns, ScreenRows, -1, -1};
    for (int row = 0; row < ScreenRows; ++row) {
        for (int column = 0; column < ScreenColumns; ++column) {
            const int k = row * ScreenColumns + column;
            if (canvas.drawn && SameCell(canvas.cells[k], console.cells[k])) {
                continue;
            }
            canvas.cells[k] = console.cells[k];
            DrawCellRgba(console.cells[k], column, row, canvas.pixels);
            changed.Left = std::min(changed.Left, static_cast<SHORT>(column));
            changed.Top = std::min(changed.Top, static_cast<SHORT>(row));
            changed.Right = std::max(changed.Right, static_cast<SHORT>(column));
            changed.Bottom = std::max(changed.Bottom, static_cast<SHORT>(row));
        }
    }
    canvas.drawn = true;
    return changed;
}

} // namespace

void ShowConsole() {
    if (!console.open || !console.changed) {
        return;
    }
    console.changed = false;
    const SMALL_RECT cells = DrawChangedCells();
    const PageRect changed{cells.Left * CellWidthPx, cells.Top * CellHeightPx,
                           std::max(0, cells.Right + 1 - cells.Left) * CellWidthPx,
                           std::max(0, cells.Bottom + 1 - cells.Top) * CellHeightPx};
    PageShowFrame(canvas.pixels, PictureWidth, PictureHeight, &changed, CurrentReading(),
                  console.written, reinterpret_cast<const uint8_t*>(console.cells),
                  sizeof console.cells);
}

BOOL AllocConsole() {
    if (console.open) {
        return FALSE;
    }
    console = CanvasConsole{};
    console.open = true;
    return TRUE;
}

BOOL FreeConsole() {
    if (!console.open) {
        return FALSE;
    }
    console.open = false;
    return TRUE;
}

HANDLE GetStdHandle(DWORD nStdHandle) {
    return NamesConsoleOutput(nStdHandle) && console.open ? ConsoleHandle() : INVALID_HANDLE_VALUE;
}

BOOL SetConsoleTitleA(LPCSTR lpConsoleTitle) {
    if (!console.open || lpConsoleTitle == nullptr) {
        return FALSE;
    }
    PageSetTitle(lpConsoleTitle);
    return TRUE;
}

// The canvas has one size: the console's buffer and window are the program's 60 by 40 cells, and
// only those can be asked for.
BOOL SetConsoleDisplayMode(HANDLE hConsoleOutput, DWORD dwFlags,
                           PCOORD lpNewScreenBufferDimensions) {
    if (!Ours(hConsoleOutput) || dwFlags != CONSOLE_WINDOWED_MODE) {
        return FALSE;
    }
    if (lpNewScreenBufferDimensions != nullptr) {
        lpNewScreenBufferDimensions->X = ScreenColumns;
        lpNewScreenBufferDimensions->Y = ScreenRows;
    }
    return TRUE;
}

BOOL SetConsoleWindowInfo(HANDLE hConsoleOutput, BOOL bAbsolute,
                          const SMALL_RECT* lpConsoleWindow) {
    return Ours(hConsoleOutput) && bAbsolute != FALSE && lpConsoleWindow != nullptr &&
                   IsWholeConsole(*lpConsoleWindow)
               ? TRUE
               : FALSE;
}

BOOL SetConsoleScreenBufferSize(HANDLE hConsoleOutput, COORD dwSize) {
    return Ours(hConsoleOutput) && dwSize.X == ScreenColumns && dwSize.Y == ScreenRows ? TRUE
                                                                                       : FALSE;
}

// No cursor is drawn on the canvas; its settings are only checked.
BOOL SetConsoleCursorInfo(HANDLE hConsoleOutput, const CONSOLE_CURSOR_INFO* lpConsoleCursorInfo) {
    return Ours(hConsoleOutput) && IsCursorInfo(lpConsoleCursorInfo) ? TRUE : FALSE;
}

BOOL WriteConsoleOutputA(HANDLE hConsoleOutput, const CHAR_INFO* lpBuffer, COORD dwBufferSize,
                         COORD dwBufferCoord, PSMALL_RECT lpWriteRegion) {
    if (!Ours(hConsoleOutput) || lpBuffer == nullptr || lpWriteRegion == nullptr) {
        return FALSE;
    }
    CopyCells(lpBuffer, dwBufferSize, dwBufferCoord, *lpWriteRegion);
    console.changed = true;
    ++console.written;
    return TRUE;
}
