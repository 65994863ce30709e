// The high-resolution performance counter on the monotonic clock, in 100 ns ticks. The program
// reads it at the top of every pass of its loop, which makes it the place where the loop notices
// an ending signal.
#include <ctime>

#include "platform/linux/layer.h"
#include "platform/win_api.h"

namespace {

constexpr LONGLONG TicksPerSecond = 10000000;
constexpr LONGLONG NanosecondsPerTick = 1000000000 / TicksPerSecond;

} // namespace

BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
    lpFrequency->QuadPart = TicksPerSecond;
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
    ActOnPendingSignal();
    timespec now;
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) {
        return FALSE;
    }
    lpPerformanceCount->QuadPart =
        static_cast<LONGLONG>(now.tv_sec) * TicksPerSecond + now.tv_nsec / NanosecondsPerTick;
    return TRUE;
}
