// What the parts of the Linux layer tell each other; the program itself sees only win_api.h.
#pragma once

#include <cstdint>

// Closes the audio device so that what was written is delivered. Called on the way out, from
// the main thread, before the process ends.
void CloseWaveOnExit();

// Ends the process as an ending signal that came asks (SIGINT, SIGTERM, SIGHUP, SIGQUIT), after
// giving the terminal back and closing the audio device; on SIGTSTP gives the terminal back,
// stops, and takes it again on going on. Returns at once when no such signal came. Called by
// QueryPerformanceCounter, which the program calls on every pass of its loop.
void ActOnPendingSignal();

// How long the program has been stopped, all told: the counter leaves that time out, so that after
// Ctrl-Z and fg the animation goes on where it was rather than leaping the whole pause at once.
int64_t StoppedNanoseconds();

// Sends the terminal what the console's window holds and the terminal has not been sent yet, as
// one update: frames come faster than terminals show them, so the terminal gets the latest at the
// pace the counter keeps (pacer.h), and nothing while nothing changed. Called by
// QueryPerformanceCounter when that pace says so.
void CatchUpConsole();

// Puts the console back on the terminal after a stop: its title and cursor at once, its window
// whole at the next write. Called from ActOnPendingSignal once the terminal is taken again.
void ResumeConsole();
