// A stand-in for the page the web layer runs in (platform/web/page.h): a clock the test sets and
// moves at every wait, and a record of the frames shown and the sound played.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "platform/web/page.h"

namespace page {

struct Frame {
    uint32_t reading;
    uint32_t written;
    std::vector<uint8_t> cells;
    PageRect changed;
};

struct Write {
    uint32_t reading;
    double atMs;
    uint32_t result;
};

struct State {
    double nowMs = 0;
    // The page's clock at each next callback, in turn; when none is left a wait moves the clock
    // on by 20 ms.
    std::deque<double> callbacks;
    int waits = 0;
    int framesBeforeWaits = 0; // waits that came right after a frame was shown
    bool shownSinceWait = false;
    std::vector<Frame> frames;
    std::vector<uint8_t> canvas; // RGBA, as the shown frames' changed rectangles left it
    std::vector<uint32_t> plays;
    std::vector<Write> writes;
};

extern State state;

void Reset();

} // namespace page
