// What the parts of the web layer tell each other; the program itself sees only win_api.h.
#pragma once

#include <cstdint>

// Puts the console's window on the canvas when it changed since it was last shown. Called by
// QueryPerformanceCounter before it gives control back to the browser.
void ShowConsole();

// The last clock reading handed to the program: the reading of the frame being made.
uint32_t CurrentReading();
