// The Linux layer's heap and counter, its console calls before any console exists, what the
// terminal's environment decides (whether the picture is refused, whether the title is set), and
// the start-up failure told.
#include "platform/common/start_failure.h"
#include "platform/linux/clock/pacer.h"
#include "platform/linux/encoding/sequences.h"
#include "platform/linux/terminal/environment.h"
#include "platform/win_api.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <sys/resource.h>

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

// Each millisecond reading in turn, none before it is due, on a counter that sleeps between
// updates of the terminal rather than waking for every millisecond: the kernel counts each sleep
// as a voluntary switch of the thread.
TEST(Counter, HandsOutEveryMillisecondInTurnWakingAtTheUpdatePace) {
    LARGE_INTEGER frequency;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 1000);
    rusage before;
    getrusage(RUSAGE_THREAD, &before);
    using std::chrono::steady_clock;
    const auto start = steady_clock::now();
    const auto ran = [&] { return std::chrono::nanoseconds(steady_clock::now() - start).count(); };
    LARGE_INTEGER counter;
    ASSERT_TRUE(QueryPerformanceCounter(&counter));
    EXPECT_EQ(counter.QuadPart, 0); // the clock's origin
    for (LONGLONG expected = 0; expected <= 300; ++expected) {
        ASSERT_TRUE(QueryPerformanceCounter(&counter));
        ASSERT_EQ(counter.QuadPart, expected);
        ASSERT_GE(ran(), expected * PacerNanosecondsPerMs);
    }
    const auto lasted = ran();
    rusage after;
    getrusage(RUSAGE_THREAD, &after);
    const long sleeps = after.ru_nvcsw - before.ru_nvcsw;
    EXPECT_GT(sleeps, 0);
    EXPECT_LE(sleeps, lasted / WakeNanoseconds + 2) << "in " << lasted / 1'000'000 << " ms";
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

const std::map<std::string, std::string>* environment;

const char* Lookup(const char* name) {
    const auto found = environment->find(name);
    return found == environment->end() ? nullptr : found->second.c_str();
}

// What each terminal says about itself: whether it is refused, whether it gives a title back,
// whether it is a tmux pane itself rather than what was started in one, which inherits TMUX, and
// whether it shows direct colour without saying so.
TEST(TerminalEnvironment, RefusalTitleAndTmuxPaneForEachTerminal) {
    enum { None = 0, Refused = 1, Titled = 2, Pane = 4, Direct = 8 };
    const std::string vte = "7006", tmux = "/tmp/tmux-0/default,7,0";
    const std::vector<std::pair<std::map<std::string, std::string>, int>> cases = {
        {{{"TERM", "dumb"}}, Refused},
        {{{"TERM", ""}}, Refused},
        {{{"XTERM_VERSION", "XTerm(379)"}}, Refused},
        {{{"TERM", "xterm"}, {"XTERM_VERSION", "XTerm(379)"}}, Titled},
        {{{"TERM", "xterm-256color"}, {"VTE_VERSION", vte}, {"COLORTERM", "truecolor"}}, Titled},
        {{{"TERM", "xterm-kitty"}, {"KITTY_WINDOW_ID", "1"}}, Titled},
        {{{"TERM", "alacritty"}, {"ALACRITTY_LOG", "/tmp/Alacritty-7.log"}}, Titled},
        {{{"TERM", "xterm-256color"}, {"ALACRITTY_WINDOW_ID", "1"}},
         Titled}, // no terminfo of its own
        {{{"TERM", "xterm"}, {"MLTERM", "3.9.3"}}, Titled | Direct},
        {{{"TERM", "mlterm"}, {"MLTERM", "3.9.0"}, {"COLORFGBG", "default;default"}},
         Titled | Direct},
        {{{"TERM", "xterm-256color"}, {"ZUTTY_VERSION", "0.14"}}, Direct},
        {{{"TERM", "screen"}, {"MLTERM", "3.9.0"}, {"STY", "9.pts-1.a"}}, None},  // screen in it
        {{{"TERM", "xterm"}, {"MLTERM", "3.9.0"}, {"STY", "9.pts-1.a"}}, Titled}, // a doubt: asked
        {{{"TERM", "rxvt-unicode-256color"}, {"ZUTTY_VERSION", "0.14"}}, None},   // started from it
        {{{"TERM", "st-256color"}, {"MLTERM", "3.9.0"}}, None},
        {{{"TERM", "screen"}, {"TMUX", tmux}}, Titled | Pane},
        {{{"TERM", "tmux-256color"}, {"TMUX", tmux}}, Titled | Pane},
        {{{"TERM", "tmux-256color"}, {"TMUX", ""}}, None},
        {{{"TERM", "screen"}}, None},                                       // GNU screen
        {{{"TERM", "screen"}, {"TMUX", tmux}, {"STY", "9.pts-1.a"}}, None}, // GNU screen in tmux
        {{{"TERM", "rxvt-unicode"}, {"TMUX", tmux}, {"VTE_VERSION", vte}}, None}, // in tmux in VTE
        {{{"TERM", "st-256color"}, {"VTE_VERSION", vte}}, None}, // started from a VTE terminal
        {{{"TERM", "xterm-256color"}, {"ZUTTY_VERSION", "0.14"}, {"XTERM_VERSION", "XTerm(379)"}},
         Direct}, // zutty started from xterm
        {{{"TERM", "xterm-256color"}, {"KONSOLE_VERSION", "221203"}, {"VTE_VERSION", vte}}, None},
        {{{"TERM", "xterm-256color"}, {"COLORTERM", "truecolor"}}, None}, // says nothing of itself
        {{{"TERM", "xterm"}, {"XTERM_VERSION", ""}}, None},
    };
    for (size_t k = 0; k < cases.size(); ++k) {
        environment = &cases[k].first;
        const int found = (PictureRefusal(Lookup("TERM")) != nullptr ? Refused : None) |
                          (TitleComesBack(Lookup) ? Titled : None) |
                          (InTmuxPane(Lookup) ? Pane : None) |
                          (DirectColourUnsaid(Lookup) ? Direct : None);
        EXPECT_EQ(found, cases[k].second) << "case " << k;
    }
}

// The first reason a start-up failed is the one told, whatever is noted after it. Run afresh, as
// the reasons are the process's own. Under a user-mode emulator, which can't start the test
// program again, the forked child has to do: CTest runs each test in a process of its own there.
TEST(StartFailureDeathTest, TheFirstReasonIsTold) {
#ifndef ZORVENDALE_TESTS_EMULATED
    GTEST_FLAG_SET(death_test_style, "threadsafe");
#endif
    EXPECT_EXIT(
        {
            NoteStartFailure("the first reason");
            NoteStartFailure("another");
            std::fputs(StartFailure(), stderr);
            std::exit(0);
        },
        testing::ExitedWithCode(0), "^the first reason$");
}

} // namespace
