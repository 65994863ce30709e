#include "web/page_stand_in.h"

#include "platform/web/page.h"

namespace page {

State state;

void Reset() {
    state = State{};
}

} // namespace page

using page::state;

double PageNowMs() {
    return state.nowMs;
}

double PageWait() {
    ++state.waits;
    state.framesBeforeWaits += state.shownSinceWait ? 1 : 0;
    state.shownSinceWait = false;
    if (state.callbacks.empty()) {
        state.nowMs += 20;
    } else {
        state.nowMs = state.callbacks.front();
        state.callbacks.pop_front();
    }
    return state.nowMs;
}

void PageShowFrame(const uint8_t* rgba, int width, int height, uint32_t reading, uint32_t written,
                   const uint8_t* cells, int cellBytes) {
    const size_t pixelBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    state.frames.push_back({reading, written, std::vector<uint8_t>(rgba, rgba + pixelBytes),
                            std::vector<uint8_t>(cells, cells + cellBytes)});
    state.shownSinceWait = true;
}

void PageSetTitle(const char* title) {
    state.title = title;
}

void PageLoadSound(const uint8_t* samples, uint32_t bytes, int channels, uint32_t perSecond) {
    state.sound.assign(samples, samples + bytes);
    state.soundChannels = channels;
    state.soundRate = perSecond;
    ++state.soundLoads;
}

void PagePlaySound(uint32_t reading) {
    state.plays.push_back(reading);
}

void PageNoteWrite(uint32_t reading, double atMs, uint32_t result) {
    state.writes.push_back({reading, atMs, result});
}

void PageEnded(int) {}
