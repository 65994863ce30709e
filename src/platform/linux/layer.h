// What the parts of the Linux layer tell each other; the program itself sees only win_api.h.
#pragma once

// Closes the audio device so that what was written is delivered. Called on the way out, from
// the main thread, before the process ends.
void CloseWaveOnExit();

// Ends the process as an ending signal that came asks (SIGINT, SIGTERM, SIGHUP, SIGQUIT), after
// giving the terminal back and closing the audio device; returns at once when none came. Called
// by QueryPerformanceCounter, which the program calls on every pass of its loop.
void ActOnPendingSignal();
