// The console calls on the controlling terminal. The console is a screen buffer kept here; the
// terminal is brought up to date with the buffer's window after each WriteConsoleOutputA, at most
// 100 times a second, sending only the cells that changed.
#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <langinfo.h>
#include <string>

#include "platform/linux/colour_question.h"
#include "platform/linux/frame_encoder.h"
#include "platform/linux/layer.h"
#include "platform/linux/screen_buffer.h"
#include "platform/linux/sequences.h"
#include "platform/linux/signals.h"
#include "platform/linux/start_failure.h"
#include "platform/linux/terminal.h"
#include "platform/win_api.h"

namespace {

constexpr DWORD StdErrorHandle = static_cast<DWORD>(-12);
constexpr DWORD LargestCursorSize = 100;

// The terminal is brought up to date with the window at most this often. No terminal shows, and no
// eye sees, a thousand pictures a second, while each update costs the terminal about as much as
// the program's whole frame: frames that come sooner stay in the buffer, and the terminal is sent
// the latest of them.
constexpr int64_t RefreshNanoseconds = 10'000'000;
constexpr int64_t NanosecondsPerSecond = 1'000'000'000;

struct TerminalConsole {
    bool open;
    TerminalStyle style;
    TerminalSize size;
    ScreenBuffer buffer;
    TerminalImage image;
    bool cursorVisible;
    std::string title;
    std::string output; // kept from frame to frame, so that a frame allocates nothing
    bool behind;        // the window holds what the terminal has not been sent yet
    int64_t refreshedAt;
};

TerminalConsole console;

HANDLE ConsoleHandle() {
    return &console;
}

bool Ours(HANDLE handle) {
    return console.open && handle == ConsoleHandle();
}

bool LocaleIsUtf8() {
    const std::string previous = setlocale(LC_CTYPE, nullptr);
    setlocale(LC_CTYPE, "");
    const bool utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    setlocale(LC_CTYPE, previous.c_str());
    return utf8;
}

// A write that fails leaves the screen unknown; one cut short by an ending signal ends here.
bool Send(const std::string& bytes) {
    if (bytes.empty() || WriteTerminal(bytes.data(), bytes.size())) {
        return true;
    }
    ForgetImage(console.image);
    ActOnPendingSignal();
    return false;
}

// The terminal's pace, on a clock of its own rather than the program's.
int64_t Now() {
    timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * NanosecondsPerSecond + now.tv_nsec;
}

// After a resize or a stop the screen may hold anything, and the terminal a new size.
void NoteScreenLost() {
    if (TakeScreenLost()) {
        console.size = ReadTerminalSize();
        ForgetImage(console.image);
        console.behind = true;
    }
}

bool Refresh(int64_t now) {
    console.behind = false;
    console.refreshedAt = now;
    console.output.clear();
    EncodeFrame(console.buffer, console.style, console.size, console.cursorVisible, console.image,
                console.output);
    return Send(console.output);
}

bool RefreshIfDue() {
    NoteScreenLost();
    if (!console.behind) {
        return true;
    }
    const int64_t now = Now();
    return now - console.refreshedAt < RefreshNanoseconds || Refresh(now);
}

} // namespace

void CatchUpConsole() {
    if (console.open) {
        RefreshIfDue();
    }
}

void ResumeConsole() {
    if (!console.open) {
        return;
    }
    std::string sequence;
    if (!console.title.empty()) {
        AppendTitle(sequence, console.title.c_str());
    }
    if (console.cursorVisible) {
        sequence += ShowCursorSequence;
    }
    ForgetImage(console.image);
    Send(sequence);
}

BOOL AllocConsole() {
    if (console.open) {
        return FALSE;
    }
    CatchSignals();
    if (!OpenTerminal()) {
        NoteStartFailure(
            (std::string("no terminal to draw in (/dev/tty: ") + std::strerror(errno) + ")")
                .c_str());
        ReleaseSignals();
        return FALSE;
    }
    console.style = {LocaleIsUtf8(), TakesDirectColour()};
    console.size = ReadTerminalSize();
    ResetScreenBuffer(console.buffer);
    ForgetImage(console.image);
    console.cursorVisible = false;
    console.title.clear();
    console.behind = false;
    console.refreshedAt = Now() - RefreshNanoseconds; // the first frame goes out at once
    console.open = true;
    return TRUE;
}

BOOL FreeConsole() {
    if (!console.open) {
        return FALSE;
    }
    console.open = false;
    CloseTerminal();
    ReleaseSignals();
    return TRUE;
}

HANDLE GetStdHandle(DWORD nStdHandle) {
    const bool output = nStdHandle == STD_OUTPUT_HANDLE || nStdHandle == StdErrorHandle;
    return output && console.open ? ConsoleHandle() : INVALID_HANDLE_VALUE;
}

BOOL SetConsoleTitleA(LPCSTR lpConsoleTitle) {
    if (!console.open || lpConsoleTitle == nullptr) {
        return FALSE;
    }
    console.title = lpConsoleTitle;
    std::string sequence;
    AppendTitle(sequence, lpConsoleTitle);
    return Send(sequence) ? TRUE : FALSE;
}

BOOL SetConsoleDisplayMode(HANDLE hConsoleOutput, DWORD dwFlags,
                           PCOORD lpNewScreenBufferDimensions) {
    // Full screen is the terminal's own to give, not the program's.
    if (!Ours(hConsoleOutput) || dwFlags != CONSOLE_WINDOWED_MODE) {
        return FALSE;
    }
    if (lpNewScreenBufferDimensions != nullptr) {
        *lpNewScreenBufferDimensions = console.buffer.size;
    }
    return TRUE;
}

BOOL SetConsoleWindowInfo(HANDLE hConsoleOutput, BOOL bAbsolute,
                          const SMALL_RECT* lpConsoleWindow) {
    return Ours(hConsoleOutput) && lpConsoleWindow != nullptr &&
                   PlaceWindow(console.buffer, bAbsolute != FALSE, *lpConsoleWindow)
               ? TRUE
               : FALSE;
}

BOOL SetConsoleScreenBufferSize(HANDLE hConsoleOutput, COORD dwSize) {
    return Ours(hConsoleOutput) && ResizeScreenBuffer(console.buffer, dwSize) ? TRUE : FALSE;
}

BOOL SetConsoleCursorInfo(HANDLE hConsoleOutput, const CONSOLE_CURSOR_INFO* lpConsoleCursorInfo) {
    if (!Ours(hConsoleOutput) || lpConsoleCursorInfo == nullptr ||
        lpConsoleCursorInfo->dwSize == 0 || lpConsoleCursorInfo->dwSize > LargestCursorSize) {
        return FALSE;
    }
    console.cursorVisible = lpConsoleCursorInfo->bVisible != FALSE;
    const std::string sequence = console.cursorVisible ? ShowCursorSequence : HideCursorSequence;
    return Send(sequence) ? TRUE : FALSE;
}

BOOL WriteConsoleOutputA(HANDLE hConsoleOutput, const CHAR_INFO* lpBuffer, COORD dwBufferSize,
                         COORD dwBufferCoord, PSMALL_RECT lpWriteRegion) {
    if (!Ours(hConsoleOutput) || lpBuffer == nullptr || lpWriteRegion == nullptr) {
        return FALSE;
    }
    WriteCells(console.buffer, lpBuffer, dwBufferSize, dwBufferCoord, *lpWriteRegion);
    console.behind = true;
    return RefreshIfDue() ? TRUE : FALSE;
}
