// The controlling terminal that shows the console: taking it over, writing to it, and giving it
// back as it was.
#pragma once

#ifndef LINUX_TERMINAL_LIBRARY
#error "only a library that links linux_terminal may include its headers"
#endif

#include <cstddef>

#include "platform/linux/encoding/placement.h"

// Opens the controlling terminal and saves its settings, changing nothing yet. False, with errno
// telling why, when the process has no controlling terminal.
bool OpenTerminal();

// Makes the open terminal the console's: no echo, no line editing and no output flow control (so
// Ctrl-S can't freeze the loop), while the keys that send signals still do; then writes
// EnterSequence, after SaveTitleSequence when withTitle says that the terminal gives the title
// back (and RestoreTerminal is to restore it).
void TakeTerminal(bool withTitle);

// Takes the terminal over again after RestoreTerminal, from the settings it has now: when the
// program goes on after being stopped, the shell has had the terminal meanwhile.
void ReenterTerminal();

// True between OpenTerminal and CloseTerminal.
bool TerminalOpen();

// True once TakeTerminal has made the open terminal the console's.
bool TerminalTaken();

// Writes all of data, across short writes and interrupted calls. False when the terminal fails
// the write, or once a request to end the program has come: the rest is dropped then.
bool WriteTerminal(const char* data, size_t size);

// Reads, without waiting, at most size of the keys typed at the terminal into keys. Returns how
// many were read: none without a terminal, or once it can give no more input.
size_t TakeKeys(char* keys, size_t size);

// Waits at most waitMs for input from the terminal: true once there is some to read (or it has
// hung up, which a read then finds), false when none came in time or a signal came first.
bool AwaitInput(int waitMs);

// True when standard input is the terminal itself.
bool InputIsTerminal();

// The terminal's size; 80 by 24 when it doesn't tell.
TerminalSize ReadTerminalSize();

// Gives the terminal back as OpenTerminal found it: LeaveSequence (and RestoreTitleSequence after
// a saved title), then the saved settings. Async-signal-safe; does nothing when the terminal is
// not taken or already given back.
void RestoreTerminal();

// RestoreTerminal, then drops the keys typed at the console, which were never meant for whatever
// reads the terminal next, and closes the terminal. A terminal never taken is closed untouched.
// The late answers to the colour question are waited for first, by the caller (GiveTerminalBack).
void CloseTerminal();
