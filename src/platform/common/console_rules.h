// What the console calls of every stand-in layer check alike, as Windows does.
#pragma once

#ifndef PLATFORM_COMMON_LIBRARY
#error "only a library that links platform_common may include its headers"
#endif

#include "platform/win_api.h"

// True for the standard handles that name the console's output: STD_OUTPUT_HANDLE and
// STD_ERROR_HANDLE.
bool NamesConsoleOutput(DWORD nStdHandle);

// True for cursor settings SetConsoleCursorInfo takes: a size of 1 to 100 percent of the cell.
bool IsCursorInfo(const CONSOLE_CURSOR_INFO* info);
