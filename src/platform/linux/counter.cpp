// The high-resolution performance counter on the monotonic clock, in 100 ns ticks. The program
// reads it at the top of every pass of its loop, which makes it the place where the loop notices
// an ending signal, idles until the next millisecond once this one has nothing more to show, and
// watches for the keys meanwhile.
#include <ctime>

#include "platform/linux/keys.h"
#include "platform/linux/layer.h"
#include "platform/linux/pacer.h"
#include "platform/win_api.h"

namespace {

constexpr LONGLONG TicksPerSecond = 10000000;
constexpr LONGLONG NanosecondsPerTick = 1000000000 / TicksPerSecond;
// A loop too slow to idle still looks at the keys this often.
constexpr LONGLONG KeyLookTicks = 10 * PacerTicksPerMs;

Pacer pacer;
LONGLONG lastKeyLook;

bool ReadTicks(LONGLONG& ticks) {
    timespec now;
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) {
        return false;
    }
    ticks = static_cast<LONGLONG>(now.tv_sec) * TicksPerSecond + now.tv_nsec / NanosecondsPerTick;
    return true;
}

} // namespace

BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
    lpFrequency->QuadPart = TicksPerSecond;
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
    ActOnPendingSignal();
    LONGLONG ticks = 0;
    if (!ReadTicks(ticks)) {
        return FALSE;
    }
    const LONGLONG idle = IdleBefore(pacer, ticks);
    if (idle > 0 || ticks - lastKeyLook >= KeyLookTicks) {
        IdleWatchingKeys(idle * NanosecondsPerTick);
        ActOnPendingSignal();
        if (idle > 0 && !ReadTicks(ticks)) {
            return FALSE;
        }
        lastKeyLook = ticks;
    }
    NoteRead(pacer, ticks);
    lpPerformanceCount->QuadPart = ticks;
    return TRUE;
}
