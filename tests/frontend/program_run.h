// Runs the whole program against the recording layer.
#pragma once

#include "frontend/main.h"
#include "platform/record/record.h"

#include <cstdio>
#include <cstdlib>
#include <string>

struct ProgramRun {
    int exitCode;
    bool stopped; // the recording layer ended the endless loop
};

inline ProgramRun RunProgram() {
    try {
        return {ZorvendaleMain(), false};
    } catch (const record::Stop&) {
        return {0, true};
    }
}

// For death tests: runs the program in the child, prints the call log to standard error and
// exits with the program's result, so the parent can match both.
[[noreturn]] inline void RunProgramAndExit() {
    const ProgramRun run = RunProgram();
    std::fprintf(stderr, "log: %s.\n", record::LogText().c_str());
    std::fflush(stderr);
    std::_Exit(run.stopped ? 100 : run.exitCode);
}

// The call log a start-up that fails at once takes to release everything: nothing was acquired,
// so every release step meets a null device or a null block.
inline const std::string ReleaseAllLog =
    "waveOutUnprepareHeader waveOutClose GetProcessHeap HeapFree GetProcessHeap HeapFree "
    "FreeConsole";
