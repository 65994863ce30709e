// How far the clock of a stand-in layer may fall behind. Its counter hands the program every
// millisecond reading in turn; after a stall (a machine too busy or suspended, a page in the
// background) it would owe a great many at once.
#pragma once

#ifndef PLATFORM_COMMON_LIBRARY
#error "only a library that links platform_common may include its headers"
#endif

#include <cstdint>

// The most readings owed at once. The backlog beyond these is dropped: the animation pauses
// rather than racing or jumping to catch up, and its clock then runs behind real time by what was
// dropped.
constexpr int64_t BacklogMs = 250;

// The furthest reading that may be handed out when next is the next one: a reading due later
// means that the clock's origin moves on by the difference.
constexpr int64_t FurthestReading(int64_t next) {
    return next - 1 + BacklogMs;
}
