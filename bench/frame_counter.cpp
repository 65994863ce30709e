// Counts the frames a copy of the terminal program presents, for scripts/bench: linked with
// --wrap=WriteConsoleOutputA, it passes every call on and keeps the running count, as decimal
// text, in the file named by ZORVENDALE_FRAME_COUNT.
#include "platform/win_api.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

extern "C" BOOL __real_WriteConsoleOutputA(HANDLE, const CHAR_INFO*, COORD, COORD, PSMALL_RECT);

namespace {

unsigned long long frames;
int countFile = -2; // not opened yet

void SaveCount() {
    if (countFile == -2) {
        const char* path = std::getenv("ZORVENDALE_FRAME_COUNT");
        countFile = path != nullptr ? open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
    }
    if (countFile >= 0) {
        char text[24];
        const int length = std::snprintf(text, sizeof text, "%020llu\n", frames);
        if (pwrite(countFile, text, static_cast<size_t>(length), 0) != length) {
            countFile = -1;
        }
    }
}

} // namespace

extern "C" BOOL __wrap_WriteConsoleOutputA(HANDLE output, const CHAR_INFO* cells, COORD size,
                                           COORD origin, PSMALL_RECT region) {
    if (++frames % 64 == 0) {
        SaveCount();
    }
    return __real_WriteConsoleOutputA(output, cells, size, origin, region);
}
