#include "platform/linux/pacer.h"

namespace {

// Floor division: the counter never goes back, but a read before the origin still counts.
int64_t SlotOf(const Pacer& pacer, int64_t now) {
    const int64_t since = now - pacer.origin;
    return since >= 0 ? since / PacerTicksPerMs
                      : -((-since + PacerTicksPerMs - 1) / PacerTicksPerMs);
}

} // namespace

int64_t IdleBefore(const Pacer& pacer, int64_t now) {
    if (!pacer.started) {
        return 0;
    }
    const int64_t slot = SlotOf(pacer, now);
    if (slot != pacer.slot || pacer.readsInSlot < 2) {
        return 0;
    }
    return pacer.origin + (slot + 1) * PacerTicksPerMs - now;
}

void NoteRead(Pacer& pacer, int64_t now) {
    if (!pacer.started) {
        pacer = {true, now, 0, 1};
        return;
    }
    const int64_t slot = SlotOf(pacer, now);
    if (slot == pacer.slot) {
        // Only whether a millisecond has been read twice matters; a frozen clock must not count on.
        pacer.readsInSlot = 2;
    } else {
        pacer.slot = slot;
        pacer.readsInSlot = 1;
    }
}
