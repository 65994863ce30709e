// The recording stand-in for the Windows calls, linked into the tests in place of a platform:
// it logs every call with what it was given, can be told to fail any call, simulates the
// performance counter, and can stop the endless frame loop by throwing Stop.
#pragma once

#include "platform/win_api.h"

#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace record {

enum class Call {
    AllocConsole,
    FreeConsole,
    GetStdHandle,
    SetConsoleTitleA,
    SetConsoleDisplayMode,
    SetConsoleWindowInfo,
    SetConsoleScreenBufferSize,
    SetConsoleCursorInfo,
    WriteConsoleOutputA,
    GetProcessHeap,
    HeapAlloc,
    HeapFree,
    QueryPerformanceFrequency,
    QueryPerformanceCounter,
    waveOutOpen,
    waveOutPrepareHeader,
    waveOutWrite,
    waveOutUnprepareHeader,
    waveOutClose,
};

const char* Name(Call call);

// Thrown by a call once its budget is spent, to leave the frame loop.
struct Stop {};

struct ConsoleWrite {
    HANDLE handle;
    COORD bufferSize;
    COORD bufferCoord;
    SMALL_RECT regionIn; // the region as the caller passed it
    const SMALL_RECT* region;
    std::array<CHAR_INFO, 60 * 40> cells;
};

struct HeapBlock {
    DWORD flags;
    SIZE_T bytes;
    void* block;
};

struct WaveCall {
    Call call;
    HWAVEOUT device;
    const WAVEHDR* header;
    UINT headerSize;
};

struct State {
    // What the program did.
    std::vector<Call> log;
    std::string title;
    DWORD displayMode = 0;
    bool displaySizeGiven = false;
    SMALL_RECT window{};
    BOOL windowAbsolute = FALSE;
    COORD bufferSize{};
    CONSOLE_CURSOR_INFO cursor{};
    std::vector<HeapBlock> allocations;
    std::vector<HeapBlock> frees;
    int foreignFrees = 0; // HeapFree of a block this layer never handed out
    UINT waveDevice = 0xFFFFFFFF;
    WAVEFORMATEX waveFormat{};
    DWORD_PTR waveCallback = 0, waveInstance = 0;
    DWORD waveOpenFlags = 0;
    std::vector<WaveCall> waveCalls; // every wave call but the plays when logLoopCalls is off
    size_t plays = 0;
    size_t writes = 0;
    std::vector<ConsoleWrite> keptWrites; // only when keepWrites is set

    // How the layer behaves.
    std::set<Call> failing;                    // every call of these kinds fails
    std::set<std::pair<Call, int>> failingNth; // the nth call of a kind fails, counting from 1
    int counts[static_cast<int>(Call::waveOutClose) + 1] = {};
    bool keepWrites = false;
    bool logLoopCalls = true; // false keeps a long frame loop's counter reads and writes out of log
    std::function<void(const ConsoleWrite&)> onWrite;
    int64_t frequency = 10'000'000;
    int64_t counter = 0;
    int64_t counterStep = 0;              // added after every counter read
    std::function<int64_t()> nextCounter; // replaces counter and counterStep when set
    int64_t counterReadsLeft = -1;        // Stop when it reaches 0; -1 never
    int64_t writesLeft = -1;              // Stop when it reaches 0; -1 never
};

extern State state;

// Frees what the program left allocated and starts a fresh record.
void Reset();

// The calls of the log, in order, as their names separated by spaces.
std::string LogText();

// Internal to the layer: logs the call and tells whether it is to fail.
bool Enter(Call call);

} // namespace record
