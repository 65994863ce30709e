// The keys the terminal program answers: q or Q quits. They are read while the program idles
// between millisecond readings, so that watching for them costs no extra system call per pass.
#pragma once

#include <cstddef>
#include <cstdint>

// True when the bytes typed hold a q or a Q of their own, not one inside the escape sequence of a
// function or cursor key (F2 sends ESC O Q, for one). Pure.
bool AsksToQuit(const char* keys, size_t count);

// Idles for up to the given nanoseconds, less when a key comes, and ends the program when the keys
// that came ask to; 0 only looks. Called from QueryPerformanceCounter.
void IdleWatchingKeys(int64_t nanoseconds);
