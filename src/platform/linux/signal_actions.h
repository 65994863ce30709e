// What the program does on the notes the signal handlers leave (signals/): it ends on an ending
// signal, and gives the terminal to the shell while stopped.
#pragma once

#ifndef PLATFORM_LINUX_LIBRARY
#error "only a library that links platform_linux may include its headers"
#endif

#include <cstdint>

// Ends the process as an ending signal that came asks (EndOnExitSignal); on SIGTSTP gives the
// terminal back, stops, and takes it again on going on. Returns at once when no such signal came.
// Called by QueryPerformanceCounter, which the program calls on every pass of its loop.
void ActOnPendingSignal();

// How long the program has been stopped, all told: the counter leaves that time out, so that after
// Ctrl-Z and fg the animation goes on where it was rather than leaping the whole pause at once.
int64_t StoppedNanoseconds();
