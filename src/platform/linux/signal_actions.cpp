#include "platform/linux/signal_actions.h"

#include <csignal>

#include "platform/linux/clock/nanoseconds.h"
#include "platform/linux/signals/signal_flags.h"
#include "platform/linux/terminal/colour_question.h"
#include "platform/linux/terminal/device.h"
#include "platform/linux/terminal_console.h"
#include "platform/linux/way_out.h"

namespace {

int64_t stoppedNanoseconds;

// Gives the terminal to the shell while stopped (Ctrl-Z), and takes it back on going on.
void StopForShell() {
    const int64_t stopped = ClockNanoseconds(CLOCK_MONOTONIC);
    ForgetContinued();
    // Started from a script, the program shares its job with the script's shell, which stopped at
    // once: the interactive shell may have taken the terminal back already. Giving it back must not
    // stop the program then (SIGTTOU), or the shell's prompt sits on the picture in raw mode.
    sigset_t backgroundOutput;
    sigset_t previous;
    sigemptyset(&backgroundOutput);
    sigaddset(&backgroundOutput, SIGTTOU);
    sigprocmask(SIG_BLOCK, &backgroundOutput, &previous);
    AwaitLateAnswers();
    RestoreTerminal();
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    // Reading late answers there may still have stopped it (SIGTTIN), and fg resumed it: stopping
    // once more would leave it stopped for good, with nothing left to resume it.
    if (!ContinuedSince()) {
        struct sigaction stopByDefault = {};
        struct sigaction onStop;
        stopByDefault.sa_handler = SIG_DFL;
        sigaction(SIGTSTP, &stopByDefault, &onStop);
        raise(SIGTSTP);
        sigaction(SIGTSTP, &onStop, nullptr);
    }
    stoppedNanoseconds += ClockNanoseconds(CLOCK_MONOTONIC) - stopped;
    ReenterTerminal();
    MarkScreenLost();
    ResumeConsole();
}

} // namespace

int64_t StoppedNanoseconds() {
    return stoppedNanoseconds;
}

void ActOnPendingSignal() {
    EndOnExitSignal();
    if (TakeStopAsked()) {
        StopForShell();
    }
}
