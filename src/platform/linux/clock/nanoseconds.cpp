#include "platform/linux/clock/nanoseconds.h"

bool ReadClock(clockid_t clock, int64_t& nanoseconds) {
    timespec now{};
    if (clock_gettime(clock, &now) != 0) {
        return false;
    }
    nanoseconds = static_cast<int64_t>(now.tv_sec) * NanosecondsPerSecond + now.tv_nsec;
    return true;
}

int64_t ClockNanoseconds(clockid_t clock) {
    int64_t nanoseconds = 0;
    return ReadClock(clock, nanoseconds) ? nanoseconds : 0;
}

timespec SpanOf(int64_t nanoseconds) {
    return {static_cast<time_t>(nanoseconds / NanosecondsPerSecond),
            static_cast<long>(nanoseconds % NanosecondsPerSecond)};
}
