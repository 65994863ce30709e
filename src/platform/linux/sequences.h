// The control sequences that take a terminal into the console's state and back. Pure.
#pragma once

#include <string>

// Saves the title, switches to the alternate screen, turns autowrap off (so that a cell in the
// last column never scrolls the screen) and hides the cursor.
constexpr char EnterSequence[] = "\x1b[22;0t\x1b[?1049h\x1b[?7l\x1b[?25l";

// The reverse, after a CAN that ends any sequence an interrupted write left half-sent.
constexpr char LeaveSequence[] = "\x18\x1b[0m\x1b(B\x1b[?7h\x1b[?25h\x1b[?1049l\x1b[23;0t";

constexpr char ShowCursorSequence[] = "\x1b[?25h";
constexpr char HideCursorSequence[] = "\x1b[?25l";

// Appends the sequence that sets the window title. Control characters, which would end or break
// the sequence, and bytes outside ASCII, whose code page the terminal doesn't share, become '?'.
void AppendTitle(std::string& out, const char* title);
