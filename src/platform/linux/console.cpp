// The console calls on the controlling terminal. The console is a screen buffer kept here; the
// terminal is brought up to date with the buffer's window when the counter's pace says so, about
// 60 times a second, sending only the cells that changed, as one synchronized update.
#include <cerrno>
#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <string>

#include "platform/common/console_rules.h"
#include "platform/common/start_failure.h"
#include "platform/linux/encoding/frame_encoder.h"
#include "platform/linux/encoding/screen_buffer.h"
#include "platform/linux/encoding/sequences.h"
#include "platform/linux/signals/signal_flags.h"
#include "platform/linux/terminal/colour_question.h"
#include "platform/linux/terminal/device.h"
#include "platform/linux/terminal/environment.h"
#include "platform/linux/terminal_console.h"
#include "platform/linux/way_out.h"
#include "platform/win_api.h"

namespace {

struct TerminalConsole {
    bool open;
    TerminalStyle style;
    TerminalSize size;
    ScreenBuffer buffer;
    TerminalImage image;
    bool cursorVisible;
    bool titled; // the terminal gives the title back, so the title is set on it
    std::string title;
    std::string output; // kept from frame to frame, so that a frame allocates nothing
    bool behind;        // the window holds what the terminal has not been sent yet
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
    EndOnExitSignal();
    return false;
}

// After a resize or a stop the screen may hold anything, and the terminal a new size.
void NoteScreenLost() {
    if (TakeScreenLost()) {
        console.size = ReadTerminalSize();
        ForgetImage(console.image);
        console.behind = true;
    }
}

// One update, whole; none at all when nothing changed.
void Refresh() {
    console.behind = false;
    console.output.assign(BeginUpdateSequence);
    EncodeFrame(console.buffer, console.style, console.size, console.cursorVisible, console.image,
                console.output);
    if (console.output.size() > sizeof BeginUpdateSequence - 1) {
        console.output += EndUpdateSequence;
        Send(console.output);
    }
}

// Opens the terminal when there is one and it can show the picture, noting why not otherwise;
// nothing is written to a terminal that is refused.
bool OpenConsoleTerminal() {
    if (!OpenTerminal()) {
        NoteStartFailure(
            (std::string("no terminal to draw in (/dev/tty: ") + std::strerror(errno) + ")")
                .c_str());
        return false;
    }
    if (const char* refusal = PictureRefusal(ProcessEnvironment("TERM"))) {
        NoteStartFailure(refusal);
        CloseTerminal();
        return false;
    }
    console.titled = TitleComesBack(ProcessEnvironment);
    TakeTerminal(console.titled);
    return true;
}

} // namespace

void CatchUpConsole() {
    if (!console.open) {
        return;
    }
    NoteScreenLost();
    if (console.behind) {
        Refresh();
    }
}

void ResumeConsole() {
    if (!console.open) {
        return;
    }
    std::string sequence;
    if (console.titled && !console.title.empty()) {
        AppendTitle(sequence, console.title.c_str());
    }
    if (console.cursorVisible) {
        sequence += ShowCursorSequence;
    }
    ForgetImage(console.image);
    Send(sequence);
}

void UseDirectColour() {
    if (!console.open || console.style.directColour) {
        return;
    }
    console.style.directColour = true;
    ForgetImage(console.image);
    console.behind = true;
}

BOOL AllocConsole() {
    if (console.open) {
        return FALSE;
    }
    CatchSignals();
    if (!OpenConsoleTerminal()) {
        ReleaseSignals();
        return FALSE;
    }
    console.style = {LocaleIsUtf8(), AskForDirectColour()};
    console.size = ReadTerminalSize();
    ResetScreenBuffer(console.buffer);
    ForgetImage(console.image);
    console.cursorVisible = false;
    console.title.clear();
    console.behind = false;
    console.open = true;
    return TRUE;
}

BOOL FreeConsole() {
    if (!console.open) {
        return FALSE;
    }
    console.open = false;
    GiveTerminalBack();
    ReleaseSignals();
    return TRUE;
}

HANDLE GetStdHandle(DWORD nStdHandle) {
    return NamesConsoleOutput(nStdHandle) && console.open ? ConsoleHandle() : INVALID_HANDLE_VALUE;
}

BOOL SetConsoleTitleA(LPCSTR lpConsoleTitle) {
    if (!console.open || lpConsoleTitle == nullptr) {
        return FALSE;
    }
    console.title = lpConsoleTitle;
    if (!console.titled) {
        return TRUE; // kept, but not shown: the terminal would not give its own back
    }
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
    if (!Ours(hConsoleOutput) || !IsCursorInfo(lpConsoleCursorInfo)) {
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
    console.behind = true; // the terminal is sent the latest window at the next update
    return TRUE;
}
