// The signals that end or stop the program or change its terminal. Their handlers only note them;
// the main thread acts on the notes, through ActOnPendingSignal (layer.h) and after a write that
// was interrupted. Only a second ending signal, during the shutdown, acts in its handler.
#pragma once

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

// Gives the terminal back, closes the audio device, and ends the process by the signal, with its
// usual status.
[[noreturn]] void EndBySignal(int signal);

// The same for the quit key, ending the process with status 0.
[[noreturn]] void EndByQuitKey();
