// The millisecond clock that times the frames, on the high-resolution performance counter.
#pragma once

#include <cstdint>

// Fixes the clock's origin. Returns 0, or 1 when the counter's frequency can't be read; the clock
// then takes the counter to run at 10 MHz. Called once by the main routine before the frame loop.
int StartClock();

// Milliseconds since StartClock, growing by one per real millisecond and wrapping at 2^32.
// Called at the top of every pass of the frame loop.
uint32_t ClockMs();

// floor(ticks * 1000 / ticksPerSecond) without overflow, for any ticksPerSecond above 0.
uint64_t TicksToMs(uint64_t ticks, uint64_t ticksPerSecond);
