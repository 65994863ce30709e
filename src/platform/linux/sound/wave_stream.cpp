#include "platform/linux/sound/wave_stream.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <new>
#include <pthread.h>
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

// A device as opened and configured, before a stream takes it.
struct Opened {
    snd_pcm_t* pcm;
    unsigned long bufferFrames;
};

MMRESULT Configure(snd_pcm_t* pcm, const WAVEFORMATEX& f, snd_pcm_format_t format, bool starting,
                   Opened& opened) {
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
    opened = Opened{pcm, buffer};
    return MMSYSERR_NOERROR;
}

// Opens the default device for a format already checked, in the mode that lets writes return
// without waiting.
MMRESULT OpenDevice(const WAVEFORMATEX& f, bool starting, Opened& opened) {
    snd_pcm_format_t format = SND_PCM_FORMAT_UNKNOWN;
    PickFormat(f, format);
    snd_pcm_t* pcm = nullptr;
    const int err = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (err < 0) {
        if (starting) {
            NoteNoSound("ALSA", err);
        }
        return OpenFailure(err);
    }
    const MMRESULT configured = Configure(pcm, f, format, starting, opened);
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

} // namespace

// The search for a lost device, shared by the stream and the helper thread that opens the device
// once a second until it has one or is given up. The helper touches nothing else; the frame loop
// only reads `state` and, once it says Found, the device. Whichever lets go last deletes it.
struct Reopener {
    enum State { Trying, Found, GivenUp };

    WAVEFORMATEX format;
    snd_pcm_t* lost; // closed by the helper first: a plugin's close takes milliseconds
    std::chrono::steady_clock::time_point nextTry;
    Opened device{}; // the helper's until it says Found
    std::atomic<int> state{Trying};
    std::atomic<int> holders{2};
    std::mutex mutex;             // for the helper's wait between tries, and for its end
    std::condition_variable wake; // a try due, the search given up, or the helper done
    bool done = false;            // under mutex: the helper touches nothing more but `holders`
};

namespace {

void CloseIfAny(snd_pcm_t* pcm) {
    if (pcm != nullptr) {
        snd_pcm_close(pcm);
    }
}

void LetGo(Reopener* reopener) {
    if (reopener->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        delete reopener;
    }
}

bool GivenUp(const Reopener& reopener) {
    return reopener.state.load(std::memory_order_acquire) == Reopener::GivenUp;
}

// A try each second; a device opened after the search was given up is closed unplayed.
void* Reopen(void* argument) {
    auto* reopener = static_cast<Reopener*>(argument);
    CloseIfAny(reopener->lost);
    std::unique_lock<std::mutex> lock(reopener->mutex);
    while (!reopener->wake.wait_until(lock, reopener->nextTry,
                                      [reopener] { return GivenUp(*reopener); })) {
        reopener->nextTry = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        lock.unlock();
        Opened opened{};
        const bool found = OpenDevice(reopener->format, false, opened) == MMSYSERR_NOERROR;
        lock.lock();
        if (found) {
            reopener->device = opened;
            int trying = Reopener::Trying;
            if (!reopener->state.compare_exchange_strong(trying, Reopener::Found,
                                                         std::memory_order_acq_rel)) {
                snd_pcm_close(opened.pcm);
            }
            break;
        }
    }
    reopener->done = true;
    reopener->wake.notify_all();
    lock.unlock();
    LetGo(reopener);
    return nullptr;
}

// Signals stay with the main thread, whose handlers note them: the helper blocks them all, from
// its first instruction on (it inherits the mask it starts with), and so do the threads a
// sound server's plugin starts from it. Without a thread the next write starts one.
void StartReopener(WaveStream& stream, snd_pcm_t* lost) {
    auto* reopener = new (std::nothrow) Reopener{};
    if (reopener == nullptr) {
        CloseIfAny(lost);
        return;
    }
    reopener->format = stream.format;
    reopener->lost = lost;
    reopener->nextTry = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    sigset_t all;
    sigset_t before;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &before);
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    const bool started = pthread_create(&thread, &attributes, Reopen, reopener) == 0;
    if (started) {
        pthread_setname_np(thread, "sound reopen");
    }
    pthread_attr_destroy(&attributes);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (started) {
        stream.reopener = reopener;
    } else {
        CloseIfAny(lost);
        delete reopener;
    }
}

// Ends the search: a device found and not yet taken is closed unplayed; a helper still trying is
// woken and waited for, within the bound of a close, so that it doesn't outlive the stream
// needlessly. Past that it closes what it opens itself, or ends with the process.
void GiveUp(WaveStream& stream, std::chrono::nanoseconds bound) {
    Reopener* reopener = stream.reopener;
    if (reopener == nullptr) {
        return;
    }
    stream.reopener = nullptr;
    int trying = Reopener::Trying;
    if (reopener->state.compare_exchange_strong(trying, Reopener::GivenUp,
                                                std::memory_order_acq_rel)) {
        std::unique_lock<std::mutex> lock(reopener->mutex);
        reopener->wake.notify_all();
        reopener->wake.wait_for(lock, bound, [reopener] { return reopener->done; });
    } else {
        snd_pcm_close(reopener->device.pcm);
    }
    LetGo(reopener);
}

// Lets go of a device that has gone: the play it was given, if any, has ended with it.
MMRESULT LoseDevice(WaveStream& stream) {
    snd_pcm_t* lost = stream.pcm;
    stream.pcm = nullptr;
    stream.lost = true;
    stream.soundsUntilNs = 0;
    StartReopener(stream, lost);
    return MMSYSERR_NODRIVER;
}

// Takes the device the helper has found, without waiting for it.
bool FoundAgain(WaveStream& stream) {
    Reopener* reopener = stream.reopener;
    if (reopener == nullptr) {
        StartReopener(stream, nullptr);
        return false;
    }
    if (reopener->state.load(std::memory_order_acquire) != Reopener::Found) {
        return false;
    }
    stream.pcm = reopener->device.pcm;
    stream.bufferFrames = reopener->device.bufferFrames;
    stream.reopener = nullptr;
    stream.lost = false;
    LetGo(reopener);
    return true;
}

} // namespace

MMRESULT OpenWaveStream(WaveStream& stream, const WAVEFORMATEX& f) {
    snd_pcm_format_t format = SND_PCM_FORMAT_UNKNOWN;
    if (!PickFormat(f, format)) {
        return WAVERR_BADFORMAT;
    }
    stream = WaveStream{nullptr,
                        f,
                        f.nBlockAlign,
                        f.wBitsPerSample == 8 && !silent,
                        f.nSamplesPerSec,
                        ULONG_MAX,
                        0,
                        false,
                        nullptr};
    if (silent) {
        return MMSYSERR_NOERROR;
    }
    snd_lib_error_set_handler(IgnoreAlsaError);
    Opened opened{};
    const MMRESULT result = OpenDevice(f, true, opened);
    stream.pcm = opened.pcm;
    stream.bufferFrames = result == MMSYSERR_NOERROR ? opened.bufferFrames : ULONG_MAX;
    return result;
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
        GiveUp(stream, std::chrono::nanoseconds(CloseWaitSteps * CloseWaitStepNs));
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
