#include "platform/record/record.h"

#include <cstdlib>

namespace record {

State state;

const char* Name(Call call) {
    static const char* const names[] = {
        "AllocConsole",
        "FreeConsole",
        "GetStdHandle",
        "SetConsoleTitleA",
        "SetConsoleDisplayMode",
        "SetConsoleWindowInfo",
        "SetConsoleScreenBufferSize",
        "SetConsoleCursorInfo",
        "WriteConsoleOutputA",
        "GetProcessHeap",
        "HeapAlloc",
        "HeapFree",
        "QueryPerformanceFrequency",
        "QueryPerformanceCounter",
        "waveOutOpen",
        "waveOutPrepareHeader",
        "waveOutWrite",
        "waveOutUnprepareHeader",
        "waveOutClose",
    };
    return names[static_cast<int>(call)];
}

void Reset() {
    for (const HeapBlock& live : state.allocations) {
        bool freed = false;
        for (const HeapBlock& f : state.frees) {
            freed = freed || f.block == live.block;
        }
        if (!freed) {
            std::free(live.block);
        }
    }
    state = State{};
}

std::string LogText() {
    std::string text;
    for (Call call : state.log) {
        if (!text.empty()) {
            text += ' ';
        }
        text += Name(call);
    }
    return text;
}

bool Enter(Call call) {
    const bool loopCall = call == Call::QueryPerformanceCounter ||
                          call == Call::WriteConsoleOutputA || call == Call::waveOutWrite;
    if (state.logLoopCalls || !loopCall) {
        state.log.push_back(call);
    }
    const int nth = ++state.counts[static_cast<int>(call)];
    return state.failing.count(call) != 0 || state.failingNth.count({call, nth}) != 0;
}

} // namespace record
