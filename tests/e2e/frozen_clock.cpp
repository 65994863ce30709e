// Preloaded into the terminal program, holds its clock back: the monotonic clock reads the same
// time for ever, so that the program shows its first frame, the one for reading 0, and no other;
// or, with ZORVENDALE_CLOCK_RATE set (a decimal, such as 0.05), runs at that many times its real
// pace from its first reading on. Every other clock is the real one.
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>

extern "C" int clock_gettime(clockid_t clock, timespec* time) noexcept {
    using ClockGetTime = int (*)(clockid_t, timespec*);
    static ClockGetTime next = nullptr;
    if (next == nullptr) {
        void* symbol = dlsym(RTLD_NEXT, "clock_gettime");
        std::memcpy(&next, &symbol, sizeof next);
    }
    if (clock != CLOCK_MONOTONIC) {
        return next(clock, time);
    }
    static const char* rate = std::getenv("ZORVENDALE_CLOCK_RATE");
    timespec now;
    next(clock, &now);
    const double seconds = static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
    static const double start = seconds;
    const double held =
        1000 + (rate != nullptr ? std::strtod(rate, nullptr) : 0) * (seconds - start);
    time->tv_sec = static_cast<time_t>(held);
    time->tv_nsec = static_cast<long>((held - static_cast<double>(time->tv_sec)) * 1e9);
    return 0;
}
