// The pace of the terminal program's clock. Its loop reads the performance counter once per pass
// and makes the frame of each new reading. The counter hands out the millisecond readings one per
// read, in order, as long as they are due; once they have caught up with the present, the terminal
// is sent the latest frame when an update is due, and the loop idles until the next wake. So the
// program wakes 60 times a second, advancing through every millisecond reading and playing each
// bounce at its own reading (up to one wake interval late in real time), and updates the terminal
// at every other wake. Pure, so that it can be tested with any clock.
#pragma once

#ifndef LINUX_CLOCK_LIBRARY
#error "only a library that links linux_clock may include its headers"
#endif

#include <cstdint>

#include "platform/common/backlog.h"
#include "platform/linux/clock/nanoseconds.h"

constexpr int64_t PacerNanosecondsPerMs = NanosecondsPerMs;

// A display's pace, 60 wakes a second, which keeps each bounce's sound within 17 ms of its time.
constexpr int64_t WakeNanoseconds = 16'666'667;

// The terminal is updated at every other wake, 30 times a second: each picture held for two of a
// 60 Hz display's, evenly, the ball never more than two cells on (docs/performance.md). An update
// costs a terminal far more than the program's whole second of frames, and a terminal that draws
// every update it is sent (kitty) costs half as much as at 60. Wakes are counted rather than
// timed, so that a clock that stands still still updates the terminal (after a resize).
constexpr int64_t UpdateNanoseconds = 2 * WakeNanoseconds;

struct Pacer {
    bool started;
    int64_t origin; // when reading 0 was due, moved on by every dropped backlog
    int64_t next;   // the reading the next pass gets
    int64_t wakeAt; // when the next idle ends
    bool updated;   // the last wake updated the terminal, so the next one doesn't
};

struct PacerTurn {
    bool update;     // bring the terminal up to date now, and look for keys
    int64_t reading; // the reading the pass gets, or -1: idle first, then take another turn
    int64_t idle;    // how long to idle when there is no reading yet
};

// What the counter does on a read at now (nanoseconds of any clock that never goes back). The
// first read, the clock's origin, gets reading 0, and so does the next, the first frame's.
PacerTurn TakeTurn(Pacer& pacer, int64_t now);
