// The system's clocks, read as whole nanoseconds: the one conversion from the C library's
// seconds-and-nanoseconds, for the counter, the stop's length, the terminal's answers and the
// sound's length alike.
#pragma once

#ifndef LINUX_CLOCK_LIBRARY
#error "only a library that links linux_clock may include its headers"
#endif

#include <cstdint>
#include <ctime>

constexpr int64_t NanosecondsPerMs = 1'000'000;
constexpr int64_t NanosecondsPerSecond = 1'000'000'000;

// Reads the clock (CLOCK_MONOTONIC and the like). False when it can't be read.
bool ReadClock(clockid_t clock, int64_t& nanoseconds);

// The clock's reading, or 0 when it can't be read.
int64_t ClockNanoseconds(clockid_t clock);

// A span of nanoseconds as the C library's waits take it.
timespec SpanOf(int64_t nanoseconds);
