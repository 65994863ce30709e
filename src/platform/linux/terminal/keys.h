// The keys the terminal program answers: q or Q quits. Pure.
#pragma once

#ifndef LINUX_TERMINAL_LIBRARY
#error "only a library that links linux_terminal may include its headers"
#endif

#include <cstddef>

// True when the bytes typed hold a q or a Q of their own, not one inside the escape sequence of a
// function or cursor key (F2 sends ESC O Q, for one).
bool AsksToQuit(const char* keys, size_t count);
