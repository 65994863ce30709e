#include "frontend/console.h"

#include "animation/raster.h"
#include "platform/win_api.h"

CHAR_INFO* cellGrid;

namespace {

HANDLE output;
COORD bufferSize;
COORD bufferOrigin;
SMALL_RECT window; // set up once, then passed back to every write, as the write leaves it
CONSOLE_CURSOR_INFO cursor;

void FillGeometry() {
    bufferSize.X = ScreenColumns;
    bufferSize.Y = ScreenRows;
    bufferOrigin.X = 0;
    bufferOrigin.Y = 0;
    window.Left = 0;
    window.Top = 0;
    window.Right = ScreenColumns - 1;
    window.Bottom = ScreenRows - 1;
    cursor.dwSize = 1;
    cursor.bVisible = FALSE;
}

} // namespace

bool StartConsole() {
    FillGeometry();
    AllocConsole();
    output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == INVALID_HANDLE_VALUE) {
        return false;
    }
    // A console that refuses any of these still shows the picture, so their results don't count.
    SetConsoleTitleA("Zorvendale");
    SetConsoleDisplayMode(output, CONSOLE_WINDOWED_MODE, nullptr);
    SetConsoleWindowInfo(output, TRUE, &window);
    SetConsoleScreenBufferSize(output, bufferSize);
    SetConsoleCursorInfo(output, &cursor);
    cellGrid = static_cast<CHAR_INFO*>(
        HeapAlloc(GetProcessHeap(), HEAP_NO_SERIALIZE, CellCount * sizeof(CHAR_INFO)));
    return cellGrid != nullptr;
}

void PresentFrame(const CHAR_INFO* grid) {
    WriteConsoleOutputA(output, grid, bufferSize, bufferOrigin, &window);
}

void ReleaseConsole() {
    HeapFree(GetProcessHeap(), 0, cellGrid);
    FreeConsole();
}
