// The ALSA side of the waveform-audio output: one playback stream per open device. wave.cpp keeps
// Windows' rules (handles, headers, results); this file keeps ALSA's.
#pragma once

#ifndef LINUX_SOUND_LIBRARY
#error "only a library that links linux_sound may include its headers"
#endif

#include "platform/win_api.h"

#include <cstdint>

typedef struct _snd_pcm snd_pcm_t;
struct Reopener;

struct WaveStream {
    snd_pcm_t* pcm;             // null for a silent stream, and while the device is lost
    WAVEFORMATEX format;        // as opened, to open the device with again
    unsigned frameBytes;        // one sample frame as written: all channels of one instant
    bool widened;               // 8-bit samples, handed to ALSA as 16-bit ones
    unsigned rate;              // frames a second
    unsigned long bufferFrames; // the most that one write can hand over without waiting
    int64_t soundsUntilNs;      // the monotonic clock's time until which the last play sounds
    bool lost;                  // the device went away (its sound server stopped, say): closed
    Reopener* reopener;         // while lost: what looks for the device again, off the frame loop
};

// Opens ALSA's default playback device, non-blocking, for a PCM format, or a silent stream after
// UseSilentWave. Installs the quiet error handler before anything else in ALSA runs. A failure
// is noted as the reason start-up fails.
MMRESULT OpenWaveStream(WaveStream& stream, const WAVEFORMATEX& format);

// True while frames already written are still to be heard, as the device said when they were.
bool WaveStreamSounding(const WaveStream& stream);

// Hands the frames over whole and starts them at once, without waiting; a stream left in underrun
// by the previous play is prepared again first. 8-bit samples go to ALSA as 16-bit ones: a sound
// server fills a stream that has run out with zero bytes, which are silence only in a signed
// format (in 8-bit unsigned they are the lowest level, heard as a thump at each play).
// A device found gone (the errors ALSA and the sound servers' plugins give once the server has
// stopped, which preparing again does not mend) is closed, and a helper thread opens the default
// device again, trying once a second from then on; the first write after it has one plays on it.
// MMSYSERR_NODRIVER until then, and nothing played: a write never waits for an open, which takes
// milliseconds to fail and tens of them to succeed on a sound server's plugin. The layer of a
// server that comes back is reached only by opening anew.
MMRESULT WriteWaveStream(WaveStream& stream, const void* data, unsigned long frames);

// Lets what was written sound out, for at most a second and no longer than the device still
// plays it, then closes the stream. A device being looked for is given up, the helper waited for
// as long at most; a device it opens after that is closed by it unplayed, or ends with the process.
void CloseWaveStream(WaveStream& stream);

// From now on streams open without a sound device and play nothing. Called by the entry for
// --silent, before the program starts.
void UseSilentWave();
