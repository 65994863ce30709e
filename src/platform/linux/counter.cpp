// The high-resolution performance counter, counting the millisecond readings the pacer hands out,
// on the monotonic clock less the time the program spent stopped. The program reads it at the top
// of every pass of its loop, which makes it the place where the loop notices an ending signal,
// brings the terminal up to date, looks for keys, and idles until the next update is due.
#include <ctime>

#include "platform/linux/keys.h"
#include "platform/linux/layer.h"
#include "platform/linux/pacer.h"
#include "platform/win_api.h"

namespace {

// One tick per millisecond: the counter's value is the reading itself.
constexpr LONGLONG TicksPerSecond = 1000;
constexpr int64_t NanosecondsPerSecond = 1'000'000'000;

Pacer pacer;

bool ReadRunningTime(int64_t& nanoseconds) {
    timespec now;
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) {
        return false;
    }
    nanoseconds = static_cast<int64_t>(now.tv_sec) * NanosecondsPerSecond + now.tv_nsec -
                  StoppedNanoseconds();
    return true;
}

// A signal cuts the idle short, to be acted on at once.
void Idle(int64_t nanoseconds) {
    const timespec wait = {static_cast<time_t>(nanoseconds / NanosecondsPerSecond),
                           static_cast<long>(nanoseconds % NanosecondsPerSecond)};
    nanosleep(&wait, nullptr);
}

} // namespace

BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
    lpFrequency->QuadPart = TicksPerSecond;
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
    for (;;) {
        ActOnPendingSignal();
        int64_t now = 0;
        if (!ReadRunningTime(now)) {
            return FALSE;
        }
        const PacerTurn turn = TakeTurn(pacer, now);
        if (turn.update) {
            CatchUpConsole();
            LookForKeys();
        }
        if (turn.reading >= 0) {
            lpPerformanceCount->QuadPart = turn.reading;
            return TRUE;
        }
        Idle(turn.idle);
    }
}
