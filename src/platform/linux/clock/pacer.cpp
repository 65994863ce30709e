#include "platform/linux/clock/pacer.h"

namespace {

// The last reading due at now, of those the backlog allows.
int64_t DueReading(Pacer& pacer, int64_t now) {
    const int64_t since = now - pacer.origin;
    const int64_t reading = since >= 0 ? since / PacerNanosecondsPerMs : -1;
    const int64_t furthest = FurthestReading(pacer.next);
    if (reading <= furthest) {
        return reading;
    }
    pacer.origin += (reading - furthest) * PacerNanosecondsPerMs;
    return furthest;
}

// Keeps the updates on a steady beat, unless a stall has left it behind.
void NextWake(Pacer& pacer, int64_t now) {
    pacer.wakeAt += UpdateNanoseconds;
    if (pacer.wakeAt <= now) {
        pacer.wakeAt = now + UpdateNanoseconds;
    }
}

} // namespace

PacerTurn TakeTurn(Pacer& pacer, int64_t now) {
    if (!pacer.started) {
        pacer = {true, now, 0, now + UpdateNanoseconds};
        return {false, 0, 0};
    }
    if (pacer.next <= DueReading(pacer, now)) {
        // A run of readings that outlasts an update interval (a slow machine, which never catches
        // up) still updates the terminal at the pace.
        const bool late = now - pacer.wakeAt >= UpdateNanoseconds;
        if (late) {
            pacer.wakeAt = now;
        }
        return {late, pacer.next++, 0};
    }
    if (now >= pacer.wakeAt) {
        NextWake(pacer, now);
    }
    return {true, -1, pacer.wakeAt - now};
}
