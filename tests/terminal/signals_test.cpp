// The ending signals, caught while the console is open, and Ctrl-Z and fg.
#include "platform/linux/layer.h"
#include "platform/linux/signals.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A start-up that fails once an ending signal has come is asked to end by that signal, and must
// not end by its own exit status instead.
TEST(SignalsDeathTest, AnEndingSignalThatCameWhileCaughtIsRaisedOnRelease) {
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
        EXPECT_EXIT(
            {
                CatchSignals();
                raise(number);
                ReleaseSignals();
                std::exit(1);
            },
            testing::KilledBySignal(number), "")
            << strsignal(number);
    }
}

int64_t MonotonicNanoseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The child's part: Ctrl-Z (SIGTSTP) twice, each acted on as the counter does, which stops the
// process until the parent continues it. The time left out of the counter must be every pause so
// far, all told, to within the couple of calls around the stop. 0 when it is.
int PauseTwice() {
    setpgid(0, 0); // a group of its own, with its parent outside: not orphaned, so it can stop
    signal(SIGTSTP, SIG_DFL);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    CatchSignals();
    int64_t paused = 0;
    for (int pause = 1; pause <= 2; ++pause) {
        raise(SIGTSTP);
        const int64_t stopped = MonotonicNanoseconds();
        ActOnPendingSignal();
        paused += MonotonicNanoseconds() - stopped;
        const int64_t counted = StoppedNanoseconds();
        if (counted > paused || counted < paused - 2'000'000) {
            return pause;
        }
    }
    return 0;
}

// A stop and a wait before going on, twice; fails the test when the child does not stop.
void ContinueTwice(pid_t child) {
    for (int pause = 1; pause <= 2; ++pause) {
        int status = 0;
        for (int tries = 0; tries < 1000 && waitpid(child, &status, WUNTRACED | WNOHANG) == 0;
             ++tries) {
            usleep(10'000);
        }
        if (!WIFSTOPPED(status)) {
            kill(child, SIGKILL);
            FAIL() << "not stopped for pause " << pause;
        }
        usleep(pause * 30'000); // pauses of different lengths, neither a whole second
        kill(child, SIGCONT);
    }
}

TEST(Signals, EveryPauseIsLeftOutOfTheCounterAllTold) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(PauseTwice());
    }
    ContinueTwice(child);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "pause " << WEXITSTATUS(status) << " of 2 miscounted";
}

} // namespace
