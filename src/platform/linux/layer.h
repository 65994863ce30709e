// What the parts of the Linux layer tell each other; the program itself sees only win_api.h.
#pragma once

// Closes the audio device so that what was written is delivered. Called on the way out, from
// the main thread, before the process ends.
void CloseWaveOnExit();
