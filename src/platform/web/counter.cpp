// The high-resolution performance counter, counting the clock readings the page hands out. A
// browser can't run an endless loop, so the program's loop runs in bursts: every read of the
// counter in a pass of the loop gets the next millisecond reading as long as that reading is due,
// and once the readings have caught up with the present the read shows the last frame and gives
// control back to the browser until its next callback. The program thus sees the readings 0, 1,
// 2, ... in turn, one pass each, as on a machine fast enough to make a frame every millisecond.
#include "platform/common/backlog.h"
#include "platform/web/layer.h"
#include "platform/web/page.h"
#include "platform/win_api.h"

namespace {

// One tick per millisecond: the counter's value is the reading itself.
constexpr LONGLONG TicksPerSecond = 1000;

bool originRead;     // the first read, StartClock's, fixes the program's origin at 0
int64_t nextReading; // the reading the next pass gets
int64_t dueReading;  // readings up to this one may be handed out: reading 0 at once
bool started;        // the page has called back since the visitor started the animation
double startMs;      // page time of reading 0, moved on by every dropped backlog

// Shows the last frame, waits for the browser's next callback and returns the last reading due
// by then.
int64_t WaitForDueReading() {
    ShowConsole();
    const double nowMs = PageWait();
    if (!started) {
        started = true;
        startMs = nowMs;
    }
    // At most BacklogMs readings per callback. (The page's clock itself stands still while the
    // page is paused or hidden.)
    const double limit = static_cast<double>(FurthestReading(nextReading));
    if (nowMs - startMs > limit) {
        startMs = nowMs - limit;
    }
    return static_cast<int64_t>(nowMs - startMs); // never negative: the page's clock only grows
}

} // namespace

uint32_t CurrentReading() {
    return static_cast<uint32_t>(nextReading > 0 ? nextReading - 1 : 0);
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
    lpFrequency->QuadPart = TicksPerSecond;
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
    if (!originRead) {
        originRead = true;
        lpPerformanceCount->QuadPart = 0;
        return TRUE;
    }
    while (nextReading > dueReading) {
        dueReading = WaitForDueReading();
    }
    lpPerformanceCount->QuadPart = nextReading++;
    return TRUE;
}
