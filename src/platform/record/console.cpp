#include "platform/record/record.h"

using record::Call;
using record::Enter;
using record::state;

namespace {

HANDLE const ConsoleHandle = reinterpret_cast<HANDLE>(0xC0);

} // namespace

BOOL AllocConsole() {
    return Enter(Call::AllocConsole) ? FALSE : TRUE;
}

BOOL FreeConsole() {
    return Enter(Call::FreeConsole) ? FALSE : TRUE;
}

HANDLE GetStdHandle(DWORD nStdHandle) {
    if (Enter(Call::GetStdHandle) || nStdHandle != STD_OUTPUT_HANDLE) {
        return INVALID_HANDLE_VALUE;
    }
    return ConsoleHandle;
}

BOOL SetConsoleTitleA(LPCSTR lpConsoleTitle) {
    if (Enter(Call::SetConsoleTitleA)) {
        return FALSE;
    }
    state.title = lpConsoleTitle;
    return TRUE;
}

BOOL SetConsoleDisplayMode(HANDLE, DWORD dwFlags, PCOORD lpNewScreenBufferDimensions) {
    state.displayMode = dwFlags;
    state.displaySizeGiven = lpNewScreenBufferDimensions != nullptr;
    return Enter(Call::SetConsoleDisplayMode) ? FALSE : TRUE;
}

BOOL SetConsoleWindowInfo(HANDLE, BOOL bAbsolute, const SMALL_RECT* lpConsoleWindow) {
    state.windowAbsolute = bAbsolute;
    state.window = *lpConsoleWindow;
    return Enter(Call::SetConsoleWindowInfo) ? FALSE : TRUE;
}

BOOL SetConsoleScreenBufferSize(HANDLE, COORD dwSize) {
    state.bufferSize = dwSize;
    return Enter(Call::SetConsoleScreenBufferSize) ? FALSE : TRUE;
}

BOOL SetConsoleCursorInfo(HANDLE, const CONSOLE_CURSOR_INFO* lpConsoleCursorInfo) {
    state.cursor = *lpConsoleCursorInfo;
    return Enter(Call::SetConsoleCursorInfo) ? FALSE : TRUE;
}

BOOL WriteConsoleOutputA(HANDLE hConsoleOutput, const CHAR_INFO* lpBuffer, COORD dwBufferSize,
                         COORD dwBufferCoord, PSMALL_RECT lpWriteRegion) {
    const bool fail = Enter(Call::WriteConsoleOutputA);
    record::ConsoleWrite write{hConsoleOutput, dwBufferSize,  dwBufferCoord,
                               *lpWriteRegion, lpWriteRegion, {}};
    const int cells = dwBufferSize.X * dwBufferSize.Y;
    for (int k = 0; k < cells && k < static_cast<int>(write.cells.size()); ++k) {
        write.cells[static_cast<size_t>(k)] = lpBuffer[k];
    }
    ++state.writes;
    if (state.onWrite) {
        state.onWrite(write);
    }
    if (state.keepWrites) {
        state.keptWrites.push_back(write);
    }
    if (state.writesLeft > 0 && --state.writesLeft == 0) {
        throw record::Stop{};
    }
    return fail ? FALSE : TRUE;
}
