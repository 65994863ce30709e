// Preloaded into the terminal program, holds its clock back: the monotonic clock runs at
// ZORVENDALE_CLOCK_RATE times its real pace from its first reading on (a decimal, such as 0.05),
// or, with that unset or 0, reads the same time for ever, so that the program shows its first
// frame, the one for reading 0, and no other. Every other clock is the real one.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>

namespace {

using ClockGetTime = int (*)(clockid_t, timespec*);
constexpr int64_t NanosecondsPerSecond = 1'000'000'000;

ClockGetTime RealClock() {
    void* symbol = dlsym(RTLD_NEXT, "clock_gettime");
    ClockGetTime real = nullptr;
    std::memcpy(&real, &symbol, sizeof real);
    return real;
}

double Rate() {
    const char* rate = std::getenv("ZORVENDALE_CLOCK_RATE");
    return rate != nullptr ? std::strtod(rate, nullptr) : 0;
}

} // namespace

extern "C" int clock_gettime(clockid_t clock, timespec* time) noexcept {
    static const ClockGetTime real = RealClock();
    if (clock != CLOCK_MONOTONIC) {
        return real(clock, time);
    }
    static const double rate = Rate();
    timespec now;
    real(clock, &now);
    const int64_t nanoseconds =
        static_cast<int64_t>(now.tv_sec) * NanosecondsPerSecond + now.tv_nsec;
    static const int64_t start = nanoseconds;
    const auto held = 1000 * NanosecondsPerSecond +
                      static_cast<int64_t>(static_cast<double>(nanoseconds - start) * rate);
    time->tv_sec = static_cast<time_t>(held / NanosecondsPerSecond);
    time->tv_nsec = static_cast<long>(held % NanosecondsPerSecond);
    return 0;
}
