// The signals that end or stop the program or change its terminal. Their handlers only note them
// here; the layer's top acts on the notes (signal_actions.cpp), as does a write that a signal cut
// short. Only a second ending signal, once the way out has begun, acts in its handler: it ends the
// process at once. Depends on nothing but the C library.
#pragma once

#ifndef LINUX_SIGNALS_LIBRARY
#error "only a library that links linux_signals may include its headers"
#endif

// Catches SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGTSTP (those not ignored at start), SIGWINCH and
// SIGCONT. The ending ones interrupt a blocked write rather than restart it. Called when the
// console opens.
void CatchSignals();

// Puts back the handling CatchSignals found, then raises an ending signal that came meanwhile.
// Called when the console is freed.
void ReleaseSignals();

// The ending signal that came and is not yet acted on, or 0.
int PendingExitSignal();

// True once after each change of the terminal's size and each return from a stop: the screen
// may have been anything meanwhile.
bool TakeScreenLost();

// Notes that the screen may have been anything, as after a return from a stop.
void MarkScreenLost();

// True once after each Ctrl-Z (SIGTSTP).
bool TakeStopAsked();

// Forgets any SIGCONT so far; ContinuedSince then tells whether one came after.
void ForgetContinued();
bool ContinuedSince();

// Holds the ending signals back, or lets them through again. The way out holds them while it gives
// the terminal back, which a second signal must not do twice.
void HoldExitSignals(bool hold);

// From now on an ending signal ends the process at once, by its default action: the way out has
// begun, and a second request means that it is taking too long. Called with the signals held.
void MarkShuttingDown();
