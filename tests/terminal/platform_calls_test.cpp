// The Linux layer's heap and counter, its console calls before any console exists, and what the
// terminal's environment decides: whether the picture is refused, whether the title is set; and
// the bytes a console sends a terminal of its own from start to end.
#include "platform/linux/layer.h"
#include "platform/linux/pacer.h"
#include "platform/linux/sequences.h"
#include "platform/linux/start_failure.h"
#include "platform/linux/terminal_environment.h"
#include "platform/win_api.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

int64_t MonotonicNanoseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

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
    const int64_t start = MonotonicNanoseconds();
    LARGE_INTEGER counter;
    ASSERT_TRUE(QueryPerformanceCounter(&counter));
    EXPECT_EQ(counter.QuadPart, 0); // the clock's origin
    for (LONGLONG expected = 0; expected <= 300; ++expected) {
        ASSERT_TRUE(QueryPerformanceCounter(&counter));
        ASSERT_EQ(counter.QuadPart, expected);
        ASSERT_GE(MonotonicNanoseconds() - start, expected * PacerNanosecondsPerMs);
    }
    const int64_t ran = MonotonicNanoseconds() - start;
    rusage after;
    getrusage(RUSAGE_THREAD, &after);
    const long sleeps = after.ru_nvcsw - before.ru_nvcsw;
    EXPECT_GT(sleeps, 0);
    EXPECT_LE(sleeps, ran / UpdateNanoseconds + 2) << "in " << ran / 1'000'000 << " ms";
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

TEST(TerminalEnvironment, RefusesADumbTerminalOrNone) {
    EXPECT_STREQ(PictureRefusal(nullptr), "this terminal can't show the picture (TERM not set)");
    EXPECT_STREQ(PictureRefusal(""), "this terminal can't show the picture (TERM not set)");
    EXPECT_STREQ(PictureRefusal("dumb"), "this terminal can't show the picture (TERM=dumb)");
    for (const char* term : {"xterm", "xterm-256color", "screen", "linux", "st-256color"}) {
        EXPECT_EQ(PictureRefusal(term), nullptr) << term;
    }
}

// What each terminal says about itself, and whether it gives a title back.
TEST(TerminalEnvironment, SetsTheTitleOnlyWhereTheTerminalGivesItBack) {
    const std::string vte = "7006";
    const std::vector<std::pair<std::map<std::string, std::string>, bool>> cases = {
        {{{"TERM", "xterm"}, {"XTERM_VERSION", "XTerm(379)"}}, true},
        {{{"TERM", "xterm-256color"}, {"VTE_VERSION", vte}, {"COLORTERM", "truecolor"}}, true},
        {{{"TERM", "xterm-kitty"}, {"KITTY_WINDOW_ID", "1"}}, true},
        {{{"TERM", "alacritty"}, {"ALACRITTY_LOG", "/tmp/Alacritty-7.log"}}, true},
        {{{"TERM", "xterm-256color"}, {"ALACRITTY_WINDOW_ID", "1"}},
         true}, // no terminfo of its own
        {{{"TERM", "xterm"}, {"MLTERM", "3.9.3"}}, true},
        {{{"TERM", "screen"}, {"TMUX", "/tmp/tmux-0/default,7,0"}}, true},
        {{{"TERM", "tmux-256color"}, {"TMUX", "/tmp/tmux-0/default,7,0"}}, true},
        {{{"TERM", "screen"}}, false}, // GNU screen
        {{{"TERM", "screen"}, {"TMUX", "/tmp/tmux-0/default,7,0"}, {"STY", "9.pts-1.a"}},
         false}, // GNU screen started in tmux
        {{{"TERM", "st-256color"}}, false},
        {{{"TERM", "st-256color"}, {"VTE_VERSION", vte}}, false}, // started from a VTE terminal
        {{{"TERM", "rxvt-unicode-256color"}, {"COLORTERM", "rxvt-xpm"}}, false},
        {{{"TERM", "xterm-256color"}, {"ZUTTY_VERSION", "0.14"}}, false},
        {{{"TERM", "xterm-256color"}, {"ZUTTY_VERSION", "0.14"}, {"XTERM_VERSION", "XTerm(379)"}},
         false}, // zutty started from xterm
        {{{"TERM", "xterm-256color"}, {"KONSOLE_VERSION", "221203"}, {"VTE_VERSION", vte}}, false},
        {{{"TERM", "xterm-256color"}, {"COLORTERM", "truecolor"}}, false}, // says nothing of itself
        {{{"TERM", "linux"}}, false},
        {{{"TERM", "xterm"}, {"XTERM_VERSION", ""}}, false},
        {{{"XTERM_VERSION", "XTerm(379)"}}, false},
    };
    for (size_t k = 0; k < cases.size(); ++k) {
        environment = &cases[k].first;
        EXPECT_EQ(TitleComesBack(Lookup), cases[k].second) << "case " << k;
    }
}

// A tmux pane itself, rather than what was started in one, which inherits TMUX.
TEST(TerminalEnvironment, TellsATmuxPaneFromWhatRunsInIt) {
    const std::string tmux = "/tmp/tmux-0/default,9,0";
    const std::vector<std::pair<std::map<std::string, std::string>, bool>> cases = {
        {{{"TERM", "tmux-256color"}, {"TMUX", tmux}}, true},
        {{{"TERM", "screen"}, {"TMUX", tmux}}, true},
        {{{"TERM", "screen"}, {"TMUX", tmux}, {"STY", "9.pts-1.a"}}, false}, // GNU screen in tmux
        {{{"TERM", "rxvt-unicode"}, {"TMUX", tmux}}, false}, // another terminal started there
        {{{"TERM", "tmux-256color"}, {"TMUX", ""}}, false},
        {{{"TERM", "screen"}}, false},
    };
    for (size_t k = 0; k < cases.size(); ++k) {
        environment = &cases[k].first;
        EXPECT_EQ(InTmuxPane(Lookup), cases[k].second) << "case " << k;
    }
}

// Reads, without waiting, what the terminal has been sent.
std::string Drain(int master) {
    std::string bytes;
    char chunk[4096];
    for (ssize_t count; (count = read(master, chunk, sizeof chunk)) > 0;) {
        bytes.append(chunk, static_cast<size_t>(count));
    }
    return bytes;
}

// A console's whole life on a 20 by 5 terminal of its own, in a child process that takes the
// terminal as its controlling one with the environment given: AllocConsole, the title, a frame
// and an update, the same frame and another, FreeConsole, then a later start-up failure. Returns
// what the terminal was sent and, after a newline, the start-up failure told.
std::string ConsoleLife(const std::map<std::string, std::string>& variables) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return "no pipe";
    }
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        grantpt(master);
        unlockpt(master);
        close(open(ptsname(master), O_RDWR)); // the session's controlling terminal from now on
        const winsize size = {5, 20, 0, 0};
        ioctl(master, TIOCSWINSZ, &size);
        for (const char* name : {"TERM", "TMUX", "XTERM_VERSION", "VTE_VERSION", "COLORTERM"}) {
            unsetenv(name);
        }
        for (const auto& [name, value] : variables) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        std::string sent;
        if (AllocConsole()) {
            const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
            SetConsoleTitleA("Zorvendale");
            const CHAR_INFO cell = {{'#'}, 0x0C};
            SMALL_RECT region = {0, 0, 0, 0};
            for (int frame = 0; frame < 2; ++frame) { // the second the same: nothing to send
                WriteConsoleOutputA(console, &cell, {1, 1}, {0, 0}, &region);
                CatchUpConsole();
            }
            sent = Drain(master); // before the way out drops what the terminal has not read
            FreeConsole();
        }
        NoteStartFailure("a later reason");
        sent += Drain(master) + "\n" + StartFailure();
        const bool whole =
            write(pipeEnds[1], sent.data(), sent.size()) == static_cast<ssize_t>(sent.size());
        _exit(whole ? 0 : 1);
    }
    close(pipeEnds[1]);
    std::string told;
    char chunk[4096];
    for (ssize_t count; (count = read(pipeEnds[0], chunk, sizeof chunk)) > 0;) {
        told.append(chunk, static_cast<size_t>(count));
    }
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? told : "child failed";
}

// Nothing at all reaches a terminal that is refused, and the refusal is what the user is told
// even when a later step notes a reason of its own.
TEST(ConsoleLife, ADumbTerminalOrNoneIsRefusedUntouched) {
    EXPECT_EQ(ConsoleLife({{"TERM", "dumb"}}),
              "\nthis terminal can't show the picture (TERM=dumb)");
    EXPECT_EQ(ConsoleLife({}), "\nthis terminal can't show the picture (TERM not set)");
}

// The title saved, set and put back where the terminal gives it back, and neither saved nor set
// elsewhere; the update bracketed as one, and none for a frame that changed nothing; the way out
// ending any update left open.
TEST(ConsoleLife, TheTitleIsSavedAndGivenBackOrLeftAloneAndEachUpdateIsWhole) {
    const std::string save = "\x1b[22;0t", title = "\x1b]2;Zorvendale\a", restore = "\x1b[23;0t";
    const std::string begin = "\x1b[?2026h", end = "\x1b[?2026l";
    for (const bool titled : {true, false}) {
        const std::string sent =
            ConsoleLife(titled ? std::map<std::string, std::string>{{"TERM", "xterm"},
                                                                    {"XTERM_VERSION", "XTerm(379)"}}
                               : std::map<std::string, std::string>{{"TERM", "st-256color"}});
        // Up to the update, and from its end: the way out starts with a CAN and ends the update.
        const std::string before = (titled ? save : "") + EnterSequence + (titled ? title : "");
        const std::string after = end + "\x18" + end;
        const size_t leave = sent.rfind(after);
        ASSERT_NE(leave, std::string::npos) << titled;
        EXPECT_EQ(sent.substr(0, before.size() + begin.size()), before + begin) << titled;
        EXPECT_EQ(sent.substr(leave + after.size() - end.size()),
                  LeaveSequence + 1 + (titled ? restore : "") + "\na later reason")
            << titled;
        const std::string update =
            sent.substr(before.size() + begin.size(), leave - before.size() - begin.size());
        EXPECT_EQ(update.find("\x1b[?2026"), std::string::npos) << "one update only";
        EXPECT_NE(update.find("Zorvendale"), std::string::npos) << "the notice for 20 by 5";
        EXPECT_EQ(sent.find("\x1b]2;"), titled ? before.size() - title.size() : std::string::npos);
        EXPECT_EQ(sent.find(save), titled ? 0 : std::string::npos);
        EXPECT_EQ(sent.find(restore) == std::string::npos, !titled);
    }
}

} // namespace
