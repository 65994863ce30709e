// When the terminal program may idle. Its loop reads the performance counter as fast as it can,
// but its picture changes only once per millisecond reading, so reads beyond those the clock
// needs within one millisecond would only spin. Pure, so that it can be tested with any clock.
#pragma once

#include <cstdint>

constexpr int64_t PacerTicksPerMs = 10'000; // the counter's 100 ns ticks

struct Pacer {
    bool started;
    int64_t origin;  // the first read: the program's clock counts its milliseconds from it
    int64_t slot;    // the millisecond of the latest read, counted from origin
    int readsInSlot; // how many reads have fallen in that millisecond
};

// Ticks to idle before taking a read at now, so that it falls in the next millisecond; 0 when the
// read is worth taking at once. Two reads per millisecond are always let through: the program's
// clock takes its origin from one read and its first frame from the next, and after a frame the
// next read must see whether the millisecond has moved.
int64_t IdleBefore(const Pacer& pacer, int64_t now);

// Notes a read taken at now, after any idling.
void NoteRead(Pacer& pacer, int64_t now);
