// The pace of the terminal program's clock. Its loop reads the performance counter once per pass
// and makes the frame of each new reading. The counter hands out the millisecond readings one per
// read, in order, as long as they are due; once they have caught up with the present, the terminal
// is sent the latest frame and the loop idles until the next update of the terminal is due. So
// the program wakes about as often as the terminal is updated, yet still advances through every
// millisecond reading and plays each bounce at its own reading (up to one update interval late in
// real time). Pure, so that it can be tested with any clock.
#pragma once

#ifndef LINUX_CLOCK_LIBRARY
#error "only a library that links linux_clock may include its headers"
#endif

#include <cstdint>

#include "platform/common/backlog.h"
#include "platform/linux/clock/nanoseconds.h"

constexpr int64_t PacerNanosecondsPerMs = NanosecondsPerMs;

// A display's pace, 60 updates a second: no display shows more, and an update costs a terminal
// about as much as the program's whole second of frames (docs/performance.md).
constexpr int64_t UpdateNanoseconds = 16'666'667;

struct Pacer {
    bool started;
    int64_t origin; // when reading 0 was due, moved on by every dropped backlog
    int64_t next;   // the reading the next pass gets
    int64_t wakeAt; // when the next idle ends, for the next update of the terminal
};

struct PacerTurn {
    bool update;     // bring the terminal up to date now, and look for keys
    int64_t reading; // the reading the pass gets, or -1: idle first, then take another turn
    int64_t idle;    // how long to idle when there is no reading yet
};

// What the counter does on a read at now (nanoseconds of any clock that never goes back). The
// first read, the clock's origin, gets reading 0, and so does the next, the first frame's.
PacerTurn TakeTurn(Pacer& pacer, int64_t now);
