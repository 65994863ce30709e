#include "platform/linux/signals.h"

#include <csignal>
#include <ctime>
#include <unistd.h>

#include "platform/linux/colour_question.h"
#include "platform/linux/layer.h"
#include "platform/linux/terminal.h"

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

constexpr int64_t NanosecondsPerSecond = 1'000'000'000;
int64_t stoppedNanoseconds;

[[noreturn]] void DieBy(int number) {
    signal(number, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, number);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    raise(number);
    _exit(128 + number);
}

void OnExitSignal(int number) {
    if (shuttingDown) {
        // The main thread is already on its way out, perhaps stuck there: finish at once.
        RestoreTerminal();
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

void BlockExitSignals(int how) {
    sigset_t set;
    sigemptyset(&set);
    for (const int number : ExitSignals) {
        sigaddset(&set, number);
    }
    sigprocmask(how, &set, nullptr);
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

// The way out shared by the ending signals and the quit key: the terminal given back, then the
// audio device closed so that what it was given is heard whole.
void ShutDown() {
    shuttingDown = 1;
    // A second signal while the terminal is being given back would give it back twice.
    BlockExitSignals(SIG_BLOCK);
    CloseTerminal();
    BlockExitSignals(SIG_UNBLOCK);
    CloseWaveOnExit();
}

// Gives the terminal to the shell while stopped (Ctrl-Z), and takes it back on going on.
void StopForShell() {
    stopAsked = 0;
    timespec stopped;
    clock_gettime(CLOCK_MONOTONIC, &stopped);
    continued = 0;
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
    if (continued == 0) {
        struct sigaction stopByDefault = {};
        struct sigaction onStop;
        stopByDefault.sa_handler = SIG_DFL;
        sigaction(SIGTSTP, &stopByDefault, &onStop);
        raise(SIGTSTP);
        sigaction(SIGTSTP, &onStop, nullptr);
    }
    timespec resumed;
    clock_gettime(CLOCK_MONOTONIC, &resumed);
    stoppedNanoseconds += (resumed.tv_sec - stopped.tv_sec) * NanosecondsPerSecond +
                          (resumed.tv_nsec - stopped.tv_nsec);
    ReenterTerminal();
    screenLost = 1;
    ResumeConsole();
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

void EndBySignal(int number) {
    ShutDown();
    DieBy(number);
}

void EndByQuitKey() {
    ShutDown();
    _exit(0);
}

int64_t StoppedNanoseconds() {
    return stoppedNanoseconds;
}

void ActOnPendingSignal() {
    const int pending = exitSignal;
    if (pending != 0) {
        EndBySignal(pending);
    }
    if (stopAsked != 0) {
        StopForShell();
    }
}
