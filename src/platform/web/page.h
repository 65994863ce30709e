// What the web layer asks of the page it runs in: the page's script (page.js) in the browser, a
// stand-in in the tests. Every call returns at once except PageWait.
#pragma once

#include <cstdint>

extern "C" {

// A rectangle of pixels: its top-left corner, width and height.
struct PageRect {
    int x;
    int y;
    int width;
    int height;
};

// Milliseconds on the page's clock (performance.now()).
double PageNowMs();

// Gives control back to the browser until its next display or timer callback, and returns the
// page's clock then. The first call returns only once the visitor has started the animation, and
// no call returns while the page is hidden. Called by QueryPerformanceCounter once the readings
// have caught up with the present.
double PageWait();

// Shows a frame: width by height RGBA pixels for the canvas, of which only those in changed differ
// from the frame shown before (none when it is empty), and for the test report the reading it was
// painted for, the number of frames written so far and the console's cells as bytes. The pixels
// stay where they are for the life of the page.
void PageShowFrame(const uint8_t* rgba, int width, int height, const PageRect* changed,
                   uint32_t reading, uint32_t written, const uint8_t* cells, int cellBytes);

// Sets the page's title.
void PageSetTitle(const char* title);

// Converts 8-bit unsigned samples, interleaved over channels, to the page's sound; the next plays
// use them.
void PageLoadSound(const uint8_t* samples, uint32_t bytes, int channels, uint32_t perSecond);

// Starts playing the sound last loaded; the reading is the frame's, for the test report.
void PagePlaySound(uint32_t reading);

// Notes a waveOutWrite in the test report: the frame's reading, the page's clock the device
// judged it by, and its result.
void PageNoteWrite(uint32_t reading, double atMs, uint32_t result);

// Says on the page that the program ended with the status (start-up failed).
void PageEnded(int status);

} // extern "C"
