#include "platform/linux/pacer.h"

namespace {

// The last reading due at now, of those the backlog allows.
int64_t DueReading(Pacer& pacer, int64_t now) {
    const int64_t since = now - pacer.origin;
    const int64_t reading = since >= 0 ? since / PacerNanosecondsPerMs : -1;
    const int64_t furthest = pacer.next - 1 + BacklogMs;
    if (reading <= furthest) {
        return reading;
    }
    pacer.origin += (reading - furthest) * PacerNanosecondsPerMs;
    return furthest;
}

// Keeps a steady beat, unless a stall has left it behind.
void NextBeat(int64_t& at, int64_t interval, int64_t now) {
    at += interval;
    if (at <= now) {
        at = now + interval;
    }
}

} // namespace

PacerTurn TakeTurn(Pacer& pacer, int64_t now) {
    if (!pacer.started) {
        // The first frame is shown as soon as it is made.
        pacer = {true, now, 0, now + WakeNanoseconds, now};
        return {false, 0, 0};
    }
    if (pacer.next <= DueReading(pacer, now)) {
        // A run of readings that outlasts an update interval (a slow machine, which never catches
        // up) still updates the terminal at the pace.
        const bool late = now - pacer.updateAt >= UpdateNanoseconds;
        if (late) {
            pacer.updateAt = now;
        }
        return {late, pacer.next++, 0};
    }
    const bool update = now >= pacer.updateAt;
    if (update) {
        NextBeat(pacer.updateAt, UpdateNanoseconds, now);
    }
    if (now >= pacer.wakeAt) {
        NextBeat(pacer.wakeAt, WakeNanoseconds, now);
    }
    return {update, -1, pacer.wakeAt - now};
}
