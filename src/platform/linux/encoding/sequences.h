// The control sequences that take a terminal into the console's state and back. Pure.
#pragma once

#ifndef LINUX_ENCODING_LIBRARY
#error "only a library that links linux_encoding may include its headers"
#endif

#include <string>

// Switches to the alternate screen, turns autowrap off (so that a cell in the last column never
// scrolls the screen) and hides the cursor.
constexpr char EnterSequence[] = "\x1b[?1049h\x1b[?7l\x1b[?25l";

// The reverse, after a CAN that ends any sequence an interrupted write left half-sent and the end
// of any update it left open. The screen is cleared and the cursor put home first: a terminal that
// ignores the alternate screen (GNU screen's default) would otherwise keep the picture, with the
// shell's next line printed into it; one that honours it shows no difference.
constexpr char LeaveSequence[] =
    "\x18\x1b[?2026l\x1b[0m\x1b[H\x1b[2J\x1b(B\x1b[?7h\x1b[?25h\x1b[?1049l";

// Save the window title on the terminal's stack before the program sets its own, and put it back
// on the way out; sent only where the terminal keeps the stack (terminal_environment.h).
constexpr char SaveTitleSequence[] = "\x1b[22;0t";
constexpr char RestoreTitleSequence[] = "\x1b[23;0t";

// Bracket each update of the terminal: a terminal that knows synchronized output shows the update
// whole, never half-drawn; one that doesn't ignores them.
constexpr char BeginUpdateSequence[] = "\x1b[?2026h";
constexpr char EndUpdateSequence[] = "\x1b[?2026l";

constexpr char ShowCursorSequence[] = "\x1b[?25h";
constexpr char HideCursorSequence[] = "\x1b[?25l";

// Appends the sequence that sets the window title. Control characters, which would end or break
// the sequence, and bytes outside ASCII, whose code page the terminal doesn't share, become '?'.
void AppendTitle(std::string& out, const char* title);
