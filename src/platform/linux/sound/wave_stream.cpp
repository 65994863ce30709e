#include "platform/linux/sound/wave_stream.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>
#include <string>

#include "platform/common/start_failure.h"
#include "platform/linux/clock/nanoseconds.h"

namespace {

// Room for a whole bounce sound (2,400 frames at 11,025 Hz) with margin to spare.
constexpr unsigned LatencyUs = 500000;
constexpr int WriteAttempts = 4;
constexpr unsigned long WidePieceSamples = 4096;
constexpr int CloseWaitSteps = 200;
constexpr long CloseWaitStepNs = 5000000;

bool silent; // no sound device: every stream is opened without ALSA and plays nothing

// The program shows nothing but its picture; ALSA would otherwise print its own complaints.
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

bool PickFormat(const WAVEFORMATEX& f, snd_pcm_format_t& format) {
    if (f.wFormatTag != WAVE_FORMAT_PCM || f.nChannels < 1 || f.nChannels > 2 ||
        f.nSamplesPerSec == 0 || f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8) {
        return false;
    }
    if (f.wBitsPerSample == 8) {
        format = SND_PCM_FORMAT_S16;
    } else if (f.wBitsPerSample == 16) {
        format = SND_PCM_FORMAT_S16_LE;
    } else {
        return false;
    }
    return true;
}

void NoteNoSound(const char* what, int err) {
    NoteStartFailure(
        (std::string("no sound output (") + what + ": " + snd_strerror(err) + "); try --silent")
            .c_str());
}

// A missing card reads as Windows' "no such device", as on a machine without one.
MMRESULT OpenFailure(int err) {
    if (err == -ENOENT || err == -ENODEV) {
        return MMSYSERR_BADDEVICEID;
    }
    if (err == -EBUSY) {
        return MMSYSERR_ALLOCATED;
    }
    return err == -ENOMEM ? MMSYSERR_NOMEM : MMSYSERR_NODRIVER;
}

// With ALSA's usual threshold a write shorter than the buffer would wait for more before starting.
bool StartAtFirstFrame(snd_pcm_t* pcm) {
    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    return snd_pcm_sw_params_current(pcm, sw) == 0 &&
           snd_pcm_sw_params_set_start_threshold(pcm, sw, 1) == 0 &&
           snd_pcm_sw_params(pcm, sw) == 0;
}

MMRESULT Configure(snd_pcm_t* pcm, WaveStream& stream, snd_pcm_format_t format, bool starting) {
    const WAVEFORMATEX& f = stream.format;
    snd_pcm_uframes_t buffer = 0;
    snd_pcm_uframes_t period = 0;
    int err = snd_pcm_set_params(pcm, format, SND_PCM_ACCESS_RW_INTERLEAVED, f.nChannels,
                                 f.nSamplesPerSec, 1, LatencyUs);
    if (err >= 0) {
        err = snd_pcm_get_params(pcm, &buffer, &period);
    }
    if (err < 0) {
        if (starting) {
            NoteNoSound("ALSA, the sound's format", err);
        }
        return WAVERR_BADFORMAT;
    }
    if (!StartAtFirstFrame(pcm)) {
        if (starting) {
            NoteStartFailure("no sound output (ALSA can't start a sound at once); try --silent");
        }
        return MMSYSERR_ERROR;
    }
    stream.pcm = pcm;
    stream.bufferFrames = buffer;
    return MMSYSERR_NOERROR;
}

// Opens the default device for the stream's format, without waiting for it.
MMRESULT OpenDevice(WaveStream& stream, bool starting) {
    snd_pcm_format_t format = SND_PCM_FORMAT_UNKNOWN;
    PickFormat(stream.format, format);
    snd_pcm_t* pcm = nullptr;
    const int err = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (err < 0) {
        if (starting) {
            NoteNoSound("ALSA", err);
        }
        return OpenFailure(err);
    }
    const MMRESULT configured = Configure(pcm, stream, format, starting);
    if (configured != MMSYSERR_NOERROR) {
        snd_pcm_close(pcm);
    }
    return configured;
}

enum class Readiness { Ready, NoRoom, Gone };

// A stream whose last play ran out stands in underrun (or, after a suspend, stopped) and takes no
// frames until prepared again. Asking for the space first also brings the state up to date. A
// device that can't be prepared, or has no space to tell once it is, has gone.
Readiness ReadyFor(snd_pcm_t* pcm, unsigned long frames) {
    snd_pcm_sframes_t avail = snd_pcm_avail(pcm);
    const snd_pcm_state_t state = snd_pcm_state(pcm);
    if (state == SND_PCM_STATE_DISCONNECTED) {
        return Readiness::Gone;
    }
    if (avail < 0 || (state != SND_PCM_STATE_RUNNING && state != SND_PCM_STATE_PREPARED)) {
        if (snd_pcm_prepare(pcm) < 0) {
            return Readiness::Gone;
        }
        avail = snd_pcm_avail(pcm);
    }
    if (avail < 0) {
        return Readiness::Gone;
    }
    return static_cast<unsigned long>(avail) >= frames ? Readiness::Ready : Readiness::NoRoom;
}

// Hands over the frames as they are, or as many as fit a piece once widened: 128 is silence in
// 8 bits, 0 in 16, and each step of 8 bits is 256 of 16, so the sound is the same exactly.
snd_pcm_sframes_t WritePiece(const WaveStream& stream, const unsigned char* bytes,
                             unsigned long frames) {
    if (!stream.widened) {
        return snd_pcm_writei(stream.pcm, bytes, frames);
    }
    int16_t wide[WidePieceSamples];
    const unsigned long count = std::min(frames, WidePieceSamples / stream.frameBytes);
    for (unsigned long i = 0; i < count * stream.frameBytes; ++i) {
        wide[i] = static_cast<int16_t>((bytes[i] - 128) * 256);
    }
    return snd_pcm_writei(stream.pcm, wide, count);
}

// How long a play just written takes to be heard, as the device says at once. Later the plugins
// of sound servers can't be relied on: PipeWire's and PulseAudio's, on a stream that has run out,
// go on reporting it running with a delay of a few hundred frames until the space is asked for,
// and PulseAudio's on PipeWire then a few frames for ever; and once such a stream has waited,
// PulseAudio's reads a delay of 0 while a play sounds. So the time is taken once, and never as
// less than the play's own length nor more than that and the whole buffer.
// A delay the device can't tell because it is disconnected says it has gone (-1). PulseAudio's
// plugin answers -EIO before its stream has timing to tell, so that says nothing.
int64_t HeardWithinNs(const WaveStream& stream, unsigned long frames) {
    snd_pcm_sframes_t delay = 0;
    const int err = snd_pcm_delay(stream.pcm, &delay);
    if (err == -ENODEV || err == -EBADFD) {
        return -1;
    }
    if (err < 0 || delay < 0) {
        delay = 0;
    }
    const unsigned long heard =
        std::clamp(static_cast<unsigned long>(delay), frames, frames + stream.bufferFrames);
    return static_cast<int64_t>(heard) * NanosecondsPerSecond / stream.rate;
}

// Whether the device can still tell where its play is: not once it has gone.
bool StillThere(snd_pcm_t* pcm) {
    return snd_pcm_avail(pcm) >= 0 && snd_pcm_state(pcm) != SND_PCM_STATE_DISCONNECTED;
}

int64_t MonotonicNs() {
    return ClockNanoseconds(CLOCK_MONOTONIC);
}

// Closes a device that has gone: the play it was given, if any, has ended with it.
MMRESULT LoseDevice(WaveStream& stream) {
    snd_pcm_close(stream.pcm);
    stream.pcm = nullptr;
    stream.lost = true;
    stream.soundsUntilNs = 0;
    stream.triedNs = MonotonicNs();
    return MMSYSERR_NODRIVER;
}

// The device again, at most once a second: a server that is still away answers at once, without
// waiting, and plays nothing.
bool FoundAgain(WaveStream& stream) {
    const int64_t now = MonotonicNs();
    if (now - stream.triedNs < NanosecondsPerSecond) {
        return false;
    }
    stream.triedNs = now;
    if (OpenDevice(stream, false) != MMSYSERR_NOERROR) {
        return false;
    }
    stream.lost = false;
    return true;
}

} // namespace

MMRESULT OpenWaveStream(WaveStream& stream, const WAVEFORMATEX& f) {
    snd_pcm_format_t format = SND_PCM_FORMAT_UNKNOWN;
    if (!PickFormat(f, format)) {
        return WAVERR_BADFORMAT;
    }
    stream = WaveStream{
        nullptr, f, f.nBlockAlign, f.wBitsPerSample == 8 && !silent, f.nSamplesPerSec, ULONG_MAX, 0,
        false,   0};
    if (silent) {
        return MMSYSERR_NOERROR;
    }
    snd_lib_error_set_handler(IgnoreAlsaError);
    return OpenDevice(stream, true);
}

bool WaveStreamSounding(const WaveStream& stream) {
    return stream.pcm != nullptr && MonotonicNs() < stream.soundsUntilNs;
}

// The space was checked first, so a shorter write only comes from an underrun in between (prepare
// and go on) or from the device going: one that underruns again as soon as it is prepared is no
// longer played by anything.
MMRESULT WriteWaveStream(WaveStream& stream, const void* data, unsigned long frames) {
    if (stream.lost && !FoundAgain(stream)) {
        return MMSYSERR_NODRIVER;
    }
    if (stream.pcm == nullptr) {
        return MMSYSERR_NOERROR;
    }
    const Readiness readiness = ReadyFor(stream.pcm, frames);
    if (readiness != Readiness::Ready) {
        return readiness == Readiness::Gone ? LoseDevice(stream) : MMSYSERR_ERROR;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    unsigned long done = 0;
    int underruns = 0;
    while (done < frames) {
        const snd_pcm_sframes_t n =
            WritePiece(stream, bytes + done * stream.frameBytes, frames - done);
        if (n > 0) {
            done += static_cast<unsigned long>(n);
        } else if (n == -EAGAIN) {
            return MMSYSERR_ERROR;
        } else if ((n != -EPIPE && n != -ESTRPIPE) || ++underruns == WriteAttempts ||
                   snd_pcm_prepare(stream.pcm) < 0) {
            return LoseDevice(stream);
        }
    }
    const int64_t heard = HeardWithinNs(stream, frames);
    if (heard < 0) {
        return LoseDevice(stream);
    }
    stream.soundsUntilNs = MonotonicNs() + heard;
    return MMSYSERR_NOERROR;
}

// Polled rather than drained: a drain on a stalled device could hold the exit for ever. A device
// that has gone meanwhile plays nothing more: its space can't be told.
void CloseWaveStream(WaveStream& stream) {
    if (stream.pcm == nullptr) {
        stream.lost = false;
        return;
    }
    const timespec step{0, CloseWaitStepNs};
    for (int i = 0; i < CloseWaitSteps && WaveStreamSounding(stream) && StillThere(stream.pcm);
         ++i) {
        nanosleep(&step, nullptr);
    }
    snd_pcm_close(stream.pcm);
    stream.pcm = nullptr;
}

void UseSilentWave() {
    silent = true;
}
