// The waveform-audio output's own call for the layer's way out; the program itself uses only the
// waveOut calls of win_api.h.
#pragma once

#ifndef LINUX_SOUND_LIBRARY
#error "only a library that links linux_sound may include its headers"
#endif

// Closes every open audio device so that what was written is delivered. Called on the way out,
// from the main thread, before the process ends.
void CloseWaveOnExit();
