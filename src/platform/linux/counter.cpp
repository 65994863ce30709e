// The high-resolution performance counter on the monotonic clock, in 100 ns ticks, not counting
// the time the program spent stopped. The program reads it at the top of every pass of its loop,
// which makes it the place where the loop notices an ending signal, idles until the next
// millisecond once this one has nothing more to show, brings the terminal up to date, and looks
// for keys now and then.
#include <ctime>

#include "platform/linux/keys.h"
#include "platform/linux/layer.h"
#include "platform/linux/pacer.h"
#include "platform/win_api.h"

namespace {

constexpr LONGLONG TicksPerSecond = 10000000;
constexpr LONGLONG NanosecondsPerTick = 1000000000 / TicksPerSecond;
// Often enough for a key to act at once to the eye.
constexpr LONGLONG KeyLookTicks = 10 * PacerTicksPerMs;

Pacer pacer;
LONGLONG lastKeyLook;

bool ReadTicks(LONGLONG& ticks) {
    timespec now;
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) {
        return false;
    }
    const int64_t running =
        static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec - StoppedNanoseconds();
    ticks = running / NanosecondsPerTick;
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
    if (idle > 0) {
        // A signal cuts the idle short, to be acted on at once.
        const timespec wait = {0, static_cast<long>(idle * NanosecondsPerTick)};
        nanosleep(&wait, nullptr);
        ActOnPendingSignal();
        if (!ReadTicks(ticks)) {
            return FALSE;
        }
    }
    CatchUpConsole();
    if (ticks - lastKeyLook >= KeyLookTicks) {
        lastKeyLook = ticks;
        LookForKeys();
    }
    NoteRead(pacer, ticks);
    lpPerformanceCount->QuadPart = ticks;
    return TRUE;
}
