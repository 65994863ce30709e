#include "platform/linux/signals/signal_flags.h"

#include <csignal>

namespace {

constexpr int ExitSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int ExitSignalCount = sizeof ExitSignals / sizeof ExitSignals[0];

struct sigaction previousExit[ExitSignalCount];
struct sigaction previousResize;
struct sigaction previousStop;
struct sigaction previousContinue;
bool caught[ExitSignalCount];
bool stopCaught;

volatile sig_atomic_t exitSignal;
volatile sig_atomic_t stopAsked;
volatile sig_atomic_t screenLost;
volatile sig_atomic_t continued;
volatile sig_atomic_t shuttingDown;

void OnExitSignal(int number) {
    if (shuttingDown) {
        // The main thread is already on its way out, with the terminal given back, perhaps stuck
        // waiting for the sound: finish at once.
        signal(number, SIG_DFL);
        raise(number);
        return;
    }
    if (exitSignal == 0) {
        exitSignal = number;
    }
}

void OnStop(int) {
    stopAsked = 1;
}

void OnScreenLost(int) {
    screenLost = 1;
}

void OnContinue(int) {
    screenLost = 1;
    continued = 1;
}

struct sigaction Handler(void (*handler)(int), int flags) {
    struct sigaction action = {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    for (const int number : ExitSignals) {
        sigaddset(&action.sa_mask, number);
    }
    return action;
}

} // namespace

void CatchSignals() {
    exitSignal = 0;
    stopAsked = 0;
    screenLost = 0;
    shuttingDown = 0;
    const struct sigaction onExit = Handler(OnExitSignal, 0);
    for (int at = 0; at < ExitSignalCount; ++at) {
        sigaction(ExitSignals[at], nullptr, &previousExit[at]);
        // A signal ignored from the start (a job started with nohup) stays ignored.
        caught[at] = previousExit[at].sa_handler != SIG_IGN;
        if (caught[at]) {
            sigaction(ExitSignals[at], &onExit, nullptr);
        }
    }
    // Neither a resize nor a stop is a reason to cut a write short.
    const struct sigaction onStop = Handler(OnStop, SA_RESTART);
    sigaction(SIGTSTP, nullptr, &previousStop);
    stopCaught = previousStop.sa_handler != SIG_IGN;
    if (stopCaught) {
        sigaction(SIGTSTP, &onStop, nullptr);
    }
    const struct sigaction onScreenLost = Handler(OnScreenLost, SA_RESTART);
    sigaction(SIGWINCH, &onScreenLost, &previousResize);
    const struct sigaction onContinue = Handler(OnContinue, SA_RESTART);
    sigaction(SIGCONT, &onContinue, &previousContinue);
}

void ReleaseSignals() {
    for (int at = 0; at < ExitSignalCount; ++at) {
        if (caught[at]) {
            sigaction(ExitSignals[at], &previousExit[at], nullptr);
        }
    }
    if (stopCaught) {
        sigaction(SIGTSTP, &previousStop, nullptr);
    }
    sigaction(SIGWINCH, &previousResize, nullptr);
    sigaction(SIGCONT, &previousContinue, nullptr);
    const int pending = exitSignal;
    exitSignal = 0;
    if (pending != 0) {
        raise(pending);
    }
}

int PendingExitSignal() {
    return exitSignal;
}

bool TakeScreenLost() {
    if (screenLost == 0) {
        return false;
    }
    screenLost = 0;
    return true;
}

void MarkScreenLost() {
    screenLost = 1;
}

bool TakeStopAsked() {
    if (stopAsked == 0) {
        return false;
    }
    stopAsked = 0;
    return true;
}

void ForgetContinued() {
    continued = 0;
}

bool ContinuedSince() {
    return continued != 0;
}

void HoldExitSignals(bool hold) {
    sigset_t set;
    sigemptyset(&set);
    for (const int number : ExitSignals) {
        sigaddset(&set, number);
    }
    sigprocmask(hold ? SIG_BLOCK : SIG_UNBLOCK, &set, nullptr);
}

void MarkShuttingDown() {
    shuttingDown = 1;
}
