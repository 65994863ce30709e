// The ending signals, caught while the console is open, and Ctrl-Z and fg.
#include "platform/linux/signal_actions.h"
#include "platform/linux/signals/signal_flags.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
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

// Ctrl-Z twice in a child, each acted on as the counter does, which stops the child until the
// parent continues it: the time left out of the counter must be both pauses, all told, to within
// the calls around each stop. The child's status is the pause miscounted, 0 for none.
TEST(Signals, EveryPauseIsLeftOutOfTheCounterAllTold) {
    const pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0); // a group of its own, with its parent outside: not orphaned, so it can stop
        signal(SIGTSTP, SIG_DFL);
        sigset_t stop;
        sigemptyset(&stop);
        sigaddset(&stop, SIGTSTP);
        sigprocmask(SIG_UNBLOCK, &stop, nullptr);
        CatchSignals();
        std::chrono::nanoseconds paused{};
        for (int pause = 1; pause <= 2; ++pause) {
            raise(SIGTSTP);
            const auto stopped = std::chrono::steady_clock::now();
            ActOnPendingSignal();
            paused += std::chrono::steady_clock::now() - stopped;
            const int64_t left = paused.count() - StoppedNanoseconds();
            if (left < 0 || left > 2'000'000) {
                _exit(pause);
            }
        }
        _exit(0);
    }
    int status = 0;
    for (int pause = 1; pause <= 2 && waitpid(child, &status, WUNTRACED) == child; ++pause) {
        ASSERT_TRUE(WIFSTOPPED(status)) << "not stopped for pause " << pause;
        usleep(pause * 30'000); // pauses of different lengths, neither a whole second
        kill(child, SIGCONT);
    }
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "pause " << WEXITSTATUS(status) << " of 2 miscounted";
}

} // namespace
