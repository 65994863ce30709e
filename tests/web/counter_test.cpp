// The performance counter on the page's callbacks. The counter keeps its place for the life of
// the process, as the program's clock does, so its whole course is one test.
#include "platform/web/layer.h"
#include "platform/win_api.h"
#include "web/page_stand_in.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int64_t Read() {
    LARGE_INTEGER counter;
    counter.QuadPart = -1;
    EXPECT_TRUE(QueryPerformanceCounter(&counter));
    return counter.QuadPart;
}

// What the frame loop does with each new reading.
void Present(HANDLE console) {
    CHAR_INFO cell{};
    SMALL_RECT region{0, 0, 0, 0};
    WriteConsoleOutputA(console, &cell, {1, 1}, {0, 0}, &region);
}

} // namespace

// Reading 0 at once for the first frame; after the start every reading in turn, up to the present
// at each callback, the last frame shown before each wait; after a stall at most 250 readings,
// the rest of the backlog dropped rather than caught up later.
TEST(WebCounter, HandsOutEveryReadingInTurnUpToThePresentCappedAt250PerCallback) {
    page::Reset();
    page::state.nowMs = 5000;
    ASSERT_TRUE(AllocConsole());
    const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    LARGE_INTEGER frequency;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 1000);

    EXPECT_EQ(Read(), 0); // StartClock's origin
    EXPECT_EQ(Read(), 0); // the first frame's reading, before the visitor has started anything
    EXPECT_EQ(page::state.waits, 0);
    Present(console);

    // Started at 7000 ms; then a callback at 7016, one at 7020.5, one after a 2-second stall.
    page::state.callbacks = {7000, 7016, 7020.5, 9020.5, 9036.5};
    std::vector<int> waitsBefore(287, -1); // by reading
    for (int64_t expected = 1; expected <= 286; ++expected) {
        ASSERT_EQ(Read(), expected);
        waitsBefore[static_cast<size_t>(expected)] = page::state.waits;
        EXPECT_EQ(CurrentReading(), expected);
        Present(console);
    }
    for (int reading = 1; reading <= 286; ++reading) {
        const int callback = reading <= 16 ? 2 : reading <= 20 ? 3 : reading <= 270 ? 4 : 5;
        ASSERT_EQ(waitsBefore[reading], callback) << "reading " << reading;
    }

    // Each wait showed the frame of the last reading, when there was a new one.
    std::vector<uint32_t> shown;
    std::vector<uint32_t> written;
    for (const page::Frame& frame : page::state.frames) {
        shown.push_back(frame.reading);
        written.push_back(frame.written);
    }
    EXPECT_EQ(shown, (std::vector<uint32_t>{0, 16, 20, 270}));
    EXPECT_EQ(written, (std::vector<uint32_t>{1, 17, 21, 271}));
    EXPECT_EQ(page::state.framesBeforeWaits, 4);
    EXPECT_EQ(page::state.waits, 5);
    FreeConsole();
}
