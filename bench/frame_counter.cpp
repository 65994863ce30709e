// Counts what a copy of the terminal program does, for scripts/bench: linked with
// --wrap=WriteConsoleOutputA and --wrap=write, it passes every call on and keeps the running
// counts of frames presented, of the program's own writes (the terminal's updates; the sound
// library's writes are its own, not wrapped) and of the bytes they carried, as three decimals, in
// the file named by ZORVENDALE_FRAME_COUNT.
#include "platform/win_api.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

extern "C" BOOL __real_WriteConsoleOutputA(HANDLE, const CHAR_INFO*, COORD, COORD, PSMALL_RECT);
extern "C" ssize_t __real_write(int, const void*, size_t);

namespace {

unsigned long long frames;
unsigned long long writes;
unsigned long long bytes;
int countFile = -2; // not opened yet

void SaveCounts() {
    if (countFile == -2) {
        const char* path = std::getenv("ZORVENDALE_FRAME_COUNT");
        countFile = path != nullptr ? open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
    }
    if (countFile >= 0) {
        char text[72];
        const int length =
            std::snprintf(text, sizeof text, "%020llu %020llu %020llu\n", frames, writes, bytes);
        if (pwrite(countFile, text, static_cast<size_t>(length), 0) != length) {
            countFile = -1;
        }
    }
}

} // namespace

extern "C" BOOL __wrap_WriteConsoleOutputA(HANDLE output, const CHAR_INFO* cells, COORD size,
                                           COORD origin, PSMALL_RECT region) {
    if (++frames % 64 == 0) {
        SaveCounts();
    }
    return __real_WriteConsoleOutputA(output, cells, size, origin, region);
}

extern "C" ssize_t __wrap_write(int fd, const void* data, size_t size) {
    ++writes;
    const ssize_t written = __real_write(fd, data, size);
    bytes += written > 0 ? static_cast<unsigned long long>(written) : 0;
    return written;
}
