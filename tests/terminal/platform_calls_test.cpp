// The Linux layer's heap and counter, and its console calls before any console exists.
#include "platform/linux/sequences.h"
#include "platform/win_api.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

namespace {

TEST(Heap, BlocksAreUsableAndZeroedOnRequest) {
    const HANDLE heap = GetProcessHeap();
    ASSERT_NE(heap, nullptr);
    auto* zeroed = static_cast<unsigned char*>(HeapAlloc(heap, 0x8, 64));
    ASSERT_NE(zeroed, nullptr);
    for (int i = 0; i < 64; ++i) {
        ASSERT_EQ(zeroed[i], 0);
    }
    void* empty = HeapAlloc(heap, HEAP_NO_SERIALIZE, 0);
    EXPECT_NE(empty, nullptr);
    EXPECT_TRUE(HeapFree(heap, 0, zeroed));
    EXPECT_TRUE(HeapFree(heap, 0, empty));
    EXPECT_TRUE(HeapFree(heap, 0, nullptr));
}

TEST(Counter, TenMillionTicksPerSecondOfTheMonotonicClock) {
    LARGE_INTEGER frequency;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 10'000'000);

    LARGE_INTEGER before;
    LARGE_INTEGER after;
    timespec start;
    timespec end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    ASSERT_TRUE(QueryPerformanceCounter(&before));
    const timespec pause = {0, 20'000'000};
    nanosleep(&pause, nullptr);
    ASSERT_TRUE(QueryPerformanceCounter(&after));
    clock_gettime(CLOCK_MONOTONIC, &end);
    const long long elapsedNs =
        (end.tv_sec - start.tv_sec) * 1'000'000'000LL + (end.tv_nsec - start.tv_nsec);
    const long long ticks = after.QuadPart - before.QuadPart;
    EXPECT_GE(ticks, 200'000); // at least the 20 ms slept
    EXPECT_LE(ticks, elapsedNs / 100 + 1);
}

TEST(ConsoleCalls, WithoutAConsoleEveryCallRefuses) {
    EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FreeConsole());
    EXPECT_FALSE(SetConsoleTitleA("Zorvendale"));
    const SMALL_RECT window = {0, 0, 59, 39};
    EXPECT_FALSE(SetConsoleWindowInfo(nullptr, TRUE, &window));
    CHAR_INFO cell = {};
    SMALL_RECT region = {0, 0, 0, 0};
    EXPECT_FALSE(WriteConsoleOutputA(nullptr, &cell, {1, 1}, {0, 0}, &region));
}

TEST(TitleSequence, SetsTheTitleWithControlsAndForeignBytesDefused) {
    std::string out;
    AppendTitle(out, "Zorvendale");
    EXPECT_EQ(out, "\x1b]2;Zorvendale\a");
    out.clear();
    AppendTitle(out, "a\x1b]0;x\a\xE9z");
    EXPECT_EQ(out, "\x1b]2;a?]0;x??z\a");
}

} // namespace
