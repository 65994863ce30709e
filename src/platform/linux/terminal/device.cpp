#include "platform/linux/terminal/device.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/linux/encoding/sequences.h"
#include "platform/linux/signals/signal_flags.h"

namespace {

int terminalFd = -1;
termios savedSettings;
volatile sig_atomic_t restored = 1;
volatile sig_atomic_t titleSaved;
bool taken;     // the terminal has been made the console's since it was opened
bool inputGone; // the terminal hung up or failed a read

void MakeConsoleSettings(termios& settings) {
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON);
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
}

// A terminal that has stopped reading gets a second to take the bytes, not for ever.
constexpr int WriteWaits = 10;
constexpr int WriteWaitMs = 100;

// Only async-signal-safe calls.
void WriteAllSafely(const char* data, size_t size) {
    const int flags = fcntl(terminalFd, F_GETFL);
    fcntl(terminalFd, F_SETFL, flags | O_NONBLOCK);
    int waits = 0;
    while (size > 0 && waits < WriteWaits) {
        const ssize_t written = write(terminalFd, data, size);
        if (written > 0) {
            data += written;
            size -= static_cast<size_t>(written);
        } else if (written < 0 && errno != EINTR && errno != EAGAIN) {
            break;
        } else if (written < 0 && errno == EAGAIN) {
            pollfd ready = {terminalFd, POLLOUT, 0};
            poll(&ready, 1, WriteWaitMs);
            ++waits;
        }
    }
    fcntl(terminalFd, F_SETFL, flags);
}

// From the settings the terminal has now, to be given back as they are.
void TakeOver() {
    tcgetattr(terminalFd, &savedSettings);
    termios settings = savedSettings;
    MakeConsoleSettings(settings);
    restored = 0;
    taken = true;
    inputGone = false;
    tcsetattr(terminalFd, TCSANOW, &settings);
    if (titleSaved) {
        WriteTerminal(SaveTitleSequence, sizeof SaveTitleSequence - 1);
    }
    WriteTerminal(EnterSequence, sizeof EnterSequence - 1);
}

} // namespace

bool OpenTerminal() {
    const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    if (tcgetattr(fd, &savedSettings) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return false;
    }
    terminalFd = fd;
    taken = false;
    return true;
}

void TakeTerminal(bool withTitle) {
    titleSaved = withTitle ? 1 : 0;
    TakeOver();
}

void ReenterTerminal() {
    if (terminalFd >= 0 && restored) {
        TakeOver();
    }
}

bool TerminalOpen() {
    return terminalFd >= 0;
}

bool TerminalTaken() {
    return terminalFd >= 0 && taken;
}

bool WriteTerminal(const char* data, size_t size) {
    while (size > 0) {
        // A signal that comes once part of the bytes went out cuts the write short without an
        // error: asked to end, the next write could wait for ever on a terminal that has stopped
        // reading.
        if (PendingExitSignal() != 0) {
            return false;
        }
        const ssize_t written = write(terminalFd, data, size);
        if (written > 0) {
            data += written;
            size -= static_cast<size_t>(written);
        } else if (written == 0 || errno != EINTR) {
            return false;
        }
    }
    return true;
}

size_t TakeKeys(char* keys, size_t size) {
    pollfd input = {terminalFd, POLLIN, 0};
    if (terminalFd < 0 || inputGone || poll(&input, 1, 0) <= 0) {
        return 0;
    }
    const ssize_t count = (input.revents & POLLIN) != 0 ? read(terminalFd, keys, size) : 0;
    if (count <= 0 && !(count < 0 && (errno == EINTR || errno == EAGAIN))) {
        inputGone = true; // hung up: every later look would find the same
    }
    return count > 0 ? static_cast<size_t>(count) : 0;
}

bool AwaitInput(int waitMs) {
    pollfd input = {terminalFd, POLLIN, 0};
    return terminalFd >= 0 && !inputGone && poll(&input, 1, waitMs) > 0;
}

bool InputIsTerminal() {
    // /dev/tty is a device of its own, whatever terminal it stands for; only the controlling
    // terminal tells its foreground process group.
    return tcgetpgrp(STDIN_FILENO) != -1;
}

TerminalSize ReadTerminalSize() {
    winsize size = {};
    if (ioctl(terminalFd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) {
        return {80, 24};
    }
    return {size.ws_col, size.ws_row};
}

void RestoreTerminal() {
    if (terminalFd < 0 || restored) {
        return;
    }
    restored = 1;
    // Picture still queued for the terminal is of no use now, and a terminal that has stopped
    // reading has room for the restoring sequence only once it is dropped.
    tcflush(terminalFd, TCOFLUSH);
    WriteAllSafely(LeaveSequence, sizeof LeaveSequence - 1);
    if (titleSaved) {
        WriteAllSafely(RestoreTitleSequence, sizeof RestoreTitleSequence - 1);
    }
    tcsetattr(terminalFd, TCSANOW, &savedSettings);
}

void CloseTerminal() {
    if (terminalFd < 0) {
        return;
    }
    if (taken) {
        RestoreTerminal();
        tcflush(terminalFd, TCIFLUSH);
    }
    close(terminalFd);
    terminalFd = -1;
}
