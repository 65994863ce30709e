// Starts a program that makes a console of its own, reads that console from outside once a frame
// is on it, writes what it found to a report file, and ends the program.
//   console_reader PROGRAM REPORT [SECONDS]
// With SECONDS, the program is instead left to run that long after its first frame (or, if it
// ends by itself, until it ends), and the report gives only how it ended: "running SEEN TOTAL",
// the milliseconds from the first frame seen to the program's end and from its start to its end:
// its clock ran at least the first and at most the second.
//
// Report lines: "exit N" when the program ended by itself with code N; otherwise "title T",
// "buffer W H", "window LEFT TOP RIGHT BOTTOM", "cursor SIZE VISIBLE", then one line per row of
// the screen buffer: each cell as four hex digits, character code then attribute byte.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int Columns = 60;
constexpr int Rows = 40;
constexpr DWORD PollMs = 100;
constexpr DWORD FrameTimeoutMs = 30000;

struct Screen {
    char title[256];
    CONSOLE_SCREEN_BUFFER_INFO buffer;
    CONSOLE_CURSOR_INFO cursor;
    CHAR_INFO cells[Columns * Rows];
};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "console_reader: %s (error %lu)\n", what, GetLastError());
    std::exit(2);
}

bool Ended(HANDLE process, DWORD* code) {
    return GetExitCodeProcess(process, code) && *code != STILL_ACTIVE;
}

// A painted frame leaves no blank cell: every cell of the picture holds a glyph.
bool FramePainted(const Screen& screen) {
    if (screen.buffer.dwSize.X != Columns || screen.buffer.dwSize.Y != Rows) {
        return false;
    }
    for (const CHAR_INFO& cell : screen.cells) {
        if (cell.Char.AsciiChar == ' ' || cell.Char.AsciiChar == 0) {
            return false;
        }
    }
    return true;
}

// Reads the console of the process pid once, through a fresh attachment. False while the process
// has no console yet or the console can't be read whole.
bool ReadScreen(DWORD pid, Screen* screen) {
    if (!AttachConsole(pid)) {
        return false;
    }
    bool read = false;
    HANDLE output =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (output != INVALID_HANDLE_VALUE) {
        std::memset(screen, 0, sizeof *screen);
        GetConsoleTitleA(screen->title, sizeof screen->title);
        COORD size = {Columns, Rows};
        COORD origin = {0, 0};
        SMALL_RECT region = {0, 0, Columns - 1, Rows - 1};
        read = GetConsoleScreenBufferInfo(output, &screen->buffer) &&
               GetConsoleCursorInfo(output, &screen->cursor) &&
               ReadConsoleOutputA(output, screen->cells, size, origin, &region);
        CloseHandle(output);
    }
    FreeConsole();
    return read;
}

void Report(FILE* report, const Screen& screen) {
    const SMALL_RECT& window = screen.buffer.srWindow;
    std::fprintf(report, "title %s\n", screen.title);
    std::fprintf(report, "buffer %d %d\n", screen.buffer.dwSize.X, screen.buffer.dwSize.Y);
    std::fprintf(report, "window %d %d %d %d\n", window.Left, window.Top, window.Right,
                 window.Bottom);
    std::fprintf(report, "cursor %lu %d\n", screen.cursor.dwSize, screen.cursor.bVisible ? 1 : 0);
    for (int row = 0; row < Rows; ++row) {
        for (int column = 0; column < Columns; ++column) {
            const CHAR_INFO& cell = screen.cells[row * Columns + column];
            std::fprintf(report, "%s%02x%02x", column == 0 ? "" : " ",
                         static_cast<unsigned char>(cell.Char.AsciiChar), cell.Attributes & 0xFF);
        }
        std::fprintf(report, "\n");
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: console_reader PROGRAM REPORT [SECONDS]\n");
        return 2;
    }
    FILE* report = std::fopen(argv[2], "wb");
    if (report == nullptr) {
        Fail("cannot write the report");
    }
    const DWORD runMs = argc > 3 ? static_cast<DWORD>(std::atof(argv[3]) * 1000) : 0;
    // Without a console of the reader's own, AttachConsole can take the program's.
    FreeConsole();

    const ULONGLONG started = GetTickCount64();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    if (!CreateProcessA(argv[1], nullptr, nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        nullptr, &startup, &child)) {
        Fail("cannot start the program");
    }

    static Screen screen;
    DWORD code = 0;
    DWORD waited = 0;
    while (!(ReadScreen(child.dwProcessId, &screen) && FramePainted(screen))) {
        if (Ended(child.hProcess, &code)) {
            std::fprintf(report, "exit %lu\n", code);
            return std::fclose(report) == 0 ? 0 : 2;
        }
        if (waited >= FrameTimeoutMs) {
            Fail("no frame on the console in time");
        }
        Sleep(PollMs);
        waited += PollMs;
    }
    const ULONGLONG seen = GetTickCount64();
    if (runMs > 0) {
        if (WaitForSingleObject(child.hProcess, runMs) == WAIT_OBJECT_0 &&
            Ended(child.hProcess, &code)) {
            std::fprintf(report, "exit %lu\n", code);
            return std::fclose(report) == 0 ? 0 : 2;
        }
    } else {
        Report(report, screen);
    }
    const ULONGLONG ending = GetTickCount64();
    TerminateProcess(child.hProcess, 0);
    WaitForSingleObject(child.hProcess, 5000);
    if (runMs > 0) {
        std::fprintf(report, "running %llu %llu\n", ending - seen, GetTickCount64() - started);
    }
    return std::fclose(report) == 0 ? 0 : 2;
}
