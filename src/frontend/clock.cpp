#include "frontend/clock.h"

#include "platform/win_api.h"

namespace {

uint64_t ticksPerSecond; // 0 until StartClock has read the frequency
uint64_t baseTicks;

uint64_t ReadCounter() {
    LARGE_INTEGER counter;
    counter.QuadPart = 0;
    QueryPerformanceCounter(&counter);
    return static_cast<uint64_t>(counter.QuadPart);
}

} // namespace

uint64_t TicksToMs(uint64_t ticks, uint64_t ticksPerSecond) {
    const uint64_t whole = ticks / ticksPerSecond;
    const uint64_t rest = ticks % ticksPerSecond;
    // rest * 1000 fits in 64 bits for any real counter; past that, a millisecond is so many
    // ticks that dropping the frequency's last three digits costs less than one.
    constexpr uint64_t MulLimit = UINT64_MAX / 1000;
    const uint64_t part =
        ticksPerSecond <= MulLimit ? rest * 1000 / ticksPerSecond : rest / (ticksPerSecond / 1000);
    return whole * 1000 + part;
}

int StartClock() {
    LARGE_INTEGER frequency;
    frequency.QuadPart = 0;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) {
        return 1;
    }
    ticksPerSecond = static_cast<uint64_t>(frequency.QuadPart);
    baseTicks = ReadCounter();
    return 0;
}

uint32_t ClockMs() {
    if (ticksPerSecond == 0) {
        return 0;
    }
    return static_cast<uint32_t>(TicksToMs(ReadCounter() - baseTicks, ticksPerSecond));
}
