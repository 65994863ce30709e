// Start-up order and arguments, and the one failure path.
#include "program_run.h"

#include <gtest/gtest.h>

using record::Call;
using record::state;

namespace {

const std::string ConsoleStartLog =
    "AllocConsole GetStdHandle SetConsoleTitleA SetConsoleDisplayMode SetConsoleWindowInfo "
    "SetConsoleScreenBufferSize SetConsoleCursorInfo GetProcessHeap HeapAlloc";

class Startup : public ::testing::Test {
  protected:
    void SetUp() override {
        record::Reset();
        state.writesLeft = 1;
    }
    void TearDown() override { record::Reset(); }
};

TEST_F(Startup, BringsUpConsoleThenSoundThenClockBeforeTheFirstFrame) {
    const ProgramRun run = RunProgram();
    ASSERT_TRUE(run.stopped);
    EXPECT_EQ(record::LogText(),
              ConsoleStartLog +
                  " GetProcessHeap HeapAlloc waveOutOpen waveOutPrepareHeader"
                  " QueryPerformanceFrequency QueryPerformanceCounter QueryPerformanceCounter"
                  " WriteConsoleOutputA");
}

TEST_F(Startup, ShapesTheConsoleAsA60By40WindowedScreenWithHiddenCursor) {
    RunProgram();
    EXPECT_EQ(state.title, "Zorvendale");
    EXPECT_EQ(state.displayMode, 2u);
    EXPECT_FALSE(state.displaySizeGiven);
    EXPECT_EQ(state.windowAbsolute, TRUE);
    EXPECT_EQ(state.window.Left, 0);
    EXPECT_EQ(state.window.Top, 0);
    EXPECT_EQ(state.window.Right, 59);
    EXPECT_EQ(state.window.Bottom, 39);
    EXPECT_EQ(state.bufferSize.X, 60);
    EXPECT_EQ(state.bufferSize.Y, 40);
    EXPECT_EQ(state.cursor.dwSize, 1u);
    EXPECT_EQ(state.cursor.bVisible, FALSE);
}

TEST_F(Startup, TakesTwoUnclearedBlocksFromTheProcessHeap) {
    RunProgram();
    ASSERT_EQ(state.allocations.size(), 2u);
    EXPECT_EQ(state.allocations[0].bytes, 9600u);
    EXPECT_EQ(state.allocations[1].bytes, 4800u);
    for (const record::HeapBlock& block : state.allocations) {
        EXPECT_EQ(block.flags, static_cast<DWORD>(HEAP_NO_SERIALIZE));
    }
    EXPECT_TRUE(state.frees.empty());
}

TEST_F(Startup, OpensAudioDeviceZeroFor8BitStereoWithoutCallback) {
    RunProgram();
    EXPECT_EQ(state.waveDevice, 0u);
    EXPECT_EQ(state.waveFormat.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(state.waveFormat.nChannels, 2);
    EXPECT_EQ(state.waveFormat.nSamplesPerSec, 11025u);
    EXPECT_EQ(state.waveFormat.nAvgBytesPerSec, 22050u);
    EXPECT_EQ(state.waveFormat.nBlockAlign, 2);
    EXPECT_EQ(state.waveFormat.wBitsPerSample, 8);
    EXPECT_EQ(state.waveFormat.cbSize, 0);
    EXPECT_EQ(state.waveCallback, 0u);
    EXPECT_EQ(state.waveInstance, 0u);
    EXPECT_EQ(state.waveOpenFlags, 0u);
}

TEST_F(Startup, PreparesTheWholeComputedBufferWithTheHeaderSizeOfThisBuild) {
    RunProgram();
    ASSERT_EQ(state.waveCalls.size(), 1u);
    const record::WaveCall& prepare = state.waveCalls[0];
    EXPECT_EQ(prepare.call, Call::waveOutPrepareHeader);
    EXPECT_EQ(prepare.headerSize, sizeof(WAVEHDR));
    EXPECT_EQ(prepare.header->lpData, state.allocations[1].block);
    EXPECT_EQ(prepare.header->dwBufferLength, 4800u);
    EXPECT_EQ(prepare.header->dwLoops, 0u);
    EXPECT_EQ(prepare.header->dwFlags, static_cast<DWORD>(WHDR_PREPARED));
    const auto* bytes = reinterpret_cast<const unsigned char*>(prepare.header->lpData);
    EXPECT_EQ(bytes[0], 128);
    EXPECT_EQ(bytes[1], 191);
    EXPECT_EQ(bytes[4799], 128);
}

TEST_F(Startup, RefusedTitleModeSizeAndCursorChangesLeaveTheAnimationRunning) {
    state.failing = {
        Call::AllocConsole,         Call::SetConsoleTitleA,           Call::SetConsoleDisplayMode,
        Call::SetConsoleWindowInfo, Call::SetConsoleScreenBufferSize, Call::SetConsoleCursorInfo};
    state.writesLeft = 3;
    state.counterStep = 50'000; // 5 ms per read
    const ProgramRun run = RunProgram();
    EXPECT_TRUE(run.stopped);
    EXPECT_EQ(state.writes, 3u);
}

TEST_F(Startup, UnreadableCounterFrequencyLeavesTheAnimationRunning) {
    state.failing = {Call::QueryPerformanceFrequency};
    state.writesLeft = 5;
    state.counterStep = 10'000; // a millisecond at the assumed 10 MHz
    const ProgramRun run = RunProgram();
    EXPECT_TRUE(run.stopped);
    EXPECT_EQ(state.writes, 5u);
}

// Each failure runs in a fresh process: the program's records start zeroed, as at a real start.
using StartupDeathTest = Startup;

TEST_F(StartupDeathTest, NoConsoleOutputEndsWithExitCode1AfterReleasingEverything) {
    state.failing = {Call::GetStdHandle};
    EXPECT_EXIT(RunProgramAndExit(), ::testing::ExitedWithCode(1),
                "log: AllocConsole GetStdHandle " + ReleaseAllLog + "\\.");
}

TEST_F(StartupDeathTest, NoMemoryForTheGridEndsWithExitCode1) {
    state.failingNth = {{Call::HeapAlloc, 1}};
    EXPECT_EXIT(RunProgramAndExit(), ::testing::ExitedWithCode(1),
                "log: " + ConsoleStartLog + " " + ReleaseAllLog + "\\.");
}

TEST_F(StartupDeathTest, NoMemoryForTheSoundEndsWithExitCode1AndFreesTheGrid) {
    state.failingNth = {{Call::HeapAlloc, 2}};
    EXPECT_EXIT(
        {
            const ProgramRun run = RunProgram();
            // The grid block is freed; the sound's null block is handed to HeapFree harmlessly.
            const bool gridFreed = state.frees.size() == 2 && state.frees[0].block == nullptr &&
                                   state.frees[1].block == state.allocations[0].block &&
                                   state.foreignFrees == 0;
            std::fprintf(stderr, "log: %s. grid freed: %d\n", record::LogText().c_str(), gridFreed);
            std::_Exit(run.exitCode);
        },
        ::testing::ExitedWithCode(1),
        "log: " + ConsoleStartLog + " GetProcessHeap HeapAlloc " + ReleaseAllLog +
            "\\. grid freed: 1");
}

TEST_F(StartupDeathTest, AnAudioDeviceThatWontOpenEndsWithExitCode1) {
    state.failing = {Call::waveOutOpen};
    EXPECT_EXIT(RunProgramAndExit(), ::testing::ExitedWithCode(1),
                "log: " + ConsoleStartLog + " GetProcessHeap HeapAlloc waveOutOpen " +
                    ReleaseAllLog + "\\.");
}

TEST_F(StartupDeathTest, AHeaderThatWontPrepareEndsWithExitCode1AfterClosingTheDevice) {
    state.failing = {Call::waveOutPrepareHeader};
    EXPECT_EXIT(
        {
            const ProgramRun run = RunProgram();
            int released = 0; // release calls that reached the open device
            for (const record::WaveCall& call : state.waveCalls) {
                released += call.call != Call::waveOutPrepareHeader && call.device != nullptr;
            }
            std::fprintf(stderr, "log: %s. released on the device: %d\n", record::LogText().c_str(),
                         released);
            std::_Exit(run.exitCode);
        },
        ::testing::ExitedWithCode(1),
        "log: " + ConsoleStartLog + " GetProcessHeap HeapAlloc waveOutOpen waveOutPrepareHeader " +
            ReleaseAllLog + "\\. released on the device: 2");
}

} // namespace
