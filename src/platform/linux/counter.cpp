// The high-resolution performance counter, counting the millisecond readings the pacer hands out,
// on the monotonic clock less the time the program spent stopped. The program reads it at the top
// of every pass of its loop, which makes it the place where the loop notices an ending signal,
// brings the terminal up to date, looks for keys, and idles until the next update is due.
#include "platform/linux/clock/nanoseconds.h"
#include "platform/linux/clock/pacer.h"
#include "platform/linux/signal_actions.h"
#include "platform/linux/terminal/colour_question.h"
#include "platform/linux/terminal/keys.h"
#include "platform/linux/terminal_console.h"
#include "platform/linux/way_out.h"
#include "platform/win_api.h"

namespace {

// One tick per millisecond: the counter's value is the reading itself.
constexpr LONGLONG TicksPerSecond = 1000;
constexpr size_t KeysPerLook = 64;

Pacer pacer;

bool ReadRunningTime(int64_t& nanoseconds) {
    if (!ReadClock(CLOCK_MONOTONIC, nanoseconds)) {
        return false;
    }
    nanoseconds -= StoppedNanoseconds();
    return true;
}

// A signal cuts the idle short, to be acted on at once.
void Idle(int64_t nanoseconds) {
    const timespec wait = SpanOf(nanoseconds);
    nanosleep(&wait, nullptr);
}

// The keys typed since the last look, read without waiting, at each update of the terminal rather
// than on every pass of the loop, which would cost a system call each time; an answer to the colour
// question that came late among them may switch the picture to direct colour.
void LookForKeys() {
    char keys[KeysPerLook];
    const size_t count = TakeTypedKeys(keys, sizeof keys);
    if (AsksToQuit(keys, count)) {
        EndByQuitKey();
    }
    if (LateDirectColour()) {
        UseDirectColour();
    }
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
