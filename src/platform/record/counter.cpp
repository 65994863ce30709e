#include "platform/record/record.h"

using record::Call;
using record::Enter;
using record::state;

BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
    if (Enter(Call::QueryPerformanceFrequency)) {
        return FALSE;
    }
    lpFrequency->QuadPart = state.frequency;
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
    Enter(Call::QueryPerformanceCounter);
    if (state.counterReadsLeft == 0) {
        throw record::Stop{};
    }
    if (state.counterReadsLeft > 0) {
        --state.counterReadsLeft;
    }
    if (state.nextCounter) {
        state.counter = state.nextCounter();
    }
    lpPerformanceCount->QuadPart = state.counter;
    if (!state.nextCounter) {
        state.counter += state.counterStep;
    }
    return TRUE;
}
