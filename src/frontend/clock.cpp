#include "frontend/clock.h"

#include "platform/win_api.h"

namespace {

// Every current system counts at this rate; it stands in for a frequency that can't be read, so
// that the animation still runs in something close to real time.
constexpr uint64_t UsualTicksPerSecond = 10'000'000;

uint64_t countsPerSecond;
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
    const bool known = QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0;
    countsPerSecond = known ? static_cast<uint64_t>(frequency.QuadPart) : UsualTicksPerSecond;
    baseTicks = ReadCounter();
    return known ? 0 : 1;
}

uint32_t ClockMs() {
    return static_cast<uint32_t>(TicksToMs(ReadCounter() - baseTicks, countsPerSecond));
}
