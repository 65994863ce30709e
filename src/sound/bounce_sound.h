// The bounce sound on the waveform-audio output: computed once at start-up, played at each floor
// bounce.
#pragma once

// Allocates and computes the buffer, opens audio device 0 and prepares the buffer for playing.
// Returns false when any of these fails. Called right after StartConsole.
bool StartSound();

// Submits the prepared buffer for playing; called when a frame reports a floor bounce.
void PlayBounce();

// Unprepares the header, closes the device and frees the buffer, whatever start-up reached: the
// first steps of ReleaseAll.
void ReleaseSound();
