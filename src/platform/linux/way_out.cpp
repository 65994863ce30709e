#include "platform/linux/way_out.h"

#include <csignal>
#include <unistd.h>

#include "platform/linux/signals/signal_flags.h"
#include "platform/linux/sound/wave.h"
#include "platform/linux/terminal/colour_question.h"
#include "platform/linux/terminal/device.h"

namespace {

[[noreturn]] void DieBy(int number) {
    signal(number, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, number);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(number);
    _exit(128 + number);
}

// The way out shared by the ending signals and the quit key: the terminal given back, then the
// audio device closed so that what it was given is heard whole.
void ShutDown() {
    // A second signal while the terminal is being given back would give it back twice.
    HoldExitSignals(true);
    MarkShuttingDown();
    GiveTerminalBack();
    HoldExitSignals(false);
    CloseWaveOnExit();
}

} // namespace

void GiveTerminalBack() {
    if (TerminalTaken()) {
        AwaitLateAnswers();
    }
    CloseTerminal();
}

void EndOnExitSignal() {
    const int pending = PendingExitSignal();
    if (pending != 0) {
        ShutDown();
        DieBy(pending);
    }
}

void EndByQuitKey() {
    ShutDown();
    _exit(0);
}
