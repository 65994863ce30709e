// The keys the terminal program answers: q or Q quits. They are looked for at each update of the
// terminal, about 30 times a second, rather than on every pass of the loop, which would cost a
// system call each time.
#pragma once

#include <cstddef>

// True when the bytes typed hold a q or a Q of their own, not one inside the escape sequence of a
// function or cursor key (F2 sends ESC O Q, for one). Pure.
bool AsksToQuit(const char* keys, size_t count);

// Reads the keys typed since the last look, without waiting, and ends the program when they ask
// to. Called from QueryPerformanceCounter.
void LookForKeys();
