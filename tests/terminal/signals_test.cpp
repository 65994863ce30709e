// The ending signals, caught while the console is open.
#include "platform/linux/signals.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

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

} // namespace
