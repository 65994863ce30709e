// A playback device for tests that takes its time as a sound card does: once started, frames leave
// at the stream's rate, and when they run out the stream stands in underrun. ALSA loads it as the
// external PCM type "zvtimed"; a file device in front of it records the bytes. With "stale_delay
// true" it behaves as the plugins of sound servers (PipeWire's, PulseAudio's) were seen to: asked
// for the delay, it neither reaches 0 nor moves the state, which reads RUNNING until something
// asks for the space.
#include <alsa/asoundlib.h>
#include <alsa/pcm_external.h>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <new>

namespace {

struct TimedPcm {
    snd_pcm_ioplug_t io;
    timespec started;
};

TimedPcm& Of(snd_pcm_ioplug_t* io) {
    return *static_cast<TimedPcm*>(io->private_data);
}

int Start(snd_pcm_ioplug_t* io) {
    clock_gettime(CLOCK_MONOTONIC, &Of(io).started);
    return 0;
}

int Stop(snd_pcm_ioplug_t*) {
    return 0;
}

int Close(snd_pcm_ioplug_t* io) {
    delete &Of(io);
    return 0;
}

// The frames the clock says have left since the start, whether or not there were that many.
snd_pcm_sframes_t Elapsed(snd_pcm_ioplug_t* io) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const timespec& from = Of(io).started;
    const double seconds = static_cast<double>(now.tv_sec - from.tv_sec) +
                           static_cast<double>(now.tv_nsec - from.tv_nsec) * 1e-9;
    return static_cast<snd_pcm_sframes_t>(seconds * io->rate);
}

// Prepare sets both pointers to 0, so the frames played since the start are the hardware pointer.
snd_pcm_sframes_t Pointer(snd_pcm_ioplug_t* io) {
    const auto written = static_cast<snd_pcm_sframes_t>(io->appl_ptr);
    if (io->state != SND_PCM_STATE_RUNNING) {
        return static_cast<snd_pcm_sframes_t>(io->hw_ptr);
    }
    const snd_pcm_sframes_t played = Elapsed(io);
    if (played < written) {
        return played;
    }
    snd_pcm_ioplug_set_state(io, SND_PCM_STATE_XRUN);
    return written;
}

// Once the frames have run out, the delay cycles between 8 and 470 frames as time goes on.
int StaleDelay(snd_pcm_ioplug_t* io, snd_pcm_sframes_t* delay) {
    constexpr snd_pcm_sframes_t Least = 8;
    constexpr snd_pcm_sframes_t Cycle = 463;
    const auto written = static_cast<snd_pcm_sframes_t>(io->appl_ptr);
    const snd_pcm_sframes_t played = io->state == SND_PCM_STATE_RUNNING
                                         ? Elapsed(io)
                                         : static_cast<snd_pcm_sframes_t>(io->hw_ptr);
    *delay = played < written ? written - played : Least + played % Cycle;
    return 0;
}

snd_pcm_sframes_t Transfer(snd_pcm_ioplug_t*, const snd_pcm_channel_area_t*, snd_pcm_uframes_t,
                           snd_pcm_uframes_t size) {
    return static_cast<snd_pcm_sframes_t>(size);
}

snd_pcm_ioplug_callback_t Callbacks() {
    snd_pcm_ioplug_callback_t callbacks{};
    callbacks.start = Start;
    callbacks.stop = Stop;
    callbacks.pointer = Pointer;
    callbacks.transfer = Transfer;
    callbacks.close = Close;
    return callbacks;
}

snd_pcm_ioplug_callback_t StaleDelayCallbacks() {
    snd_pcm_ioplug_callback_t callbacks = Callbacks();
    callbacks.delay = StaleDelay;
    return callbacks;
}

const snd_pcm_ioplug_callback_t callbacks = Callbacks();
const snd_pcm_ioplug_callback_t staleDelayCallbacks = StaleDelayCallbacks();

bool StaleDelayAsked(snd_config_t* conf) {
    snd_config_iterator_t at;
    snd_config_iterator_t next;
    snd_config_for_each(at, next, conf) {
        snd_config_t* entry = snd_config_iterator_entry(at);
        const char* id = nullptr;
        if (snd_config_get_id(entry, &id) == 0 && std::strcmp(id, "stale_delay") == 0) {
            return snd_config_get_bool(entry) > 0;
        }
    }
    return false;
}

int Constrain(snd_pcm_ioplug_t* io) {
    static const unsigned accesses[] = {SND_PCM_ACCESS_RW_INTERLEAVED};
    static const unsigned formats[] = {SND_PCM_FORMAT_U8, SND_PCM_FORMAT_S16_LE};
    int err = snd_pcm_ioplug_set_param_list(io, SND_PCM_IOPLUG_HW_ACCESS, 1, accesses);
    if (err >= 0) {
        err = snd_pcm_ioplug_set_param_list(io, SND_PCM_IOPLUG_HW_FORMAT, 2, formats);
    }
    if (err >= 0) {
        err = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_CHANNELS, 1, 2);
    }
    if (err >= 0) {
        err = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_RATE, 8000, 48000);
    }
    if (err >= 0) {
        err = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_PERIOD_BYTES, 64, 65536);
    }
    if (err >= 0) {
        err = snd_pcm_ioplug_set_param_minmax(io, SND_PCM_IOPLUG_HW_PERIODS, 2, 64);
    }
    return err;
}

} // namespace

extern "C" int _snd_pcm_zvtimed_open(snd_pcm_t** pcmp, const char* name, snd_config_t*,
                                     snd_config_t* conf, snd_pcm_stream_t stream, int mode) {
    if (stream != SND_PCM_STREAM_PLAYBACK) {
        return -EINVAL;
    }
    auto* timed = new (std::nothrow) TimedPcm{};
    if (timed == nullptr) {
        return -ENOMEM;
    }
    timed->io.version = SND_PCM_IOPLUG_VERSION;
    timed->io.name = "timed test device";
    timed->io.flags = SND_PCM_IOPLUG_FLAG_BOUNDARY_WA;
    timed->io.poll_fd = -1;
    timed->io.callback = StaleDelayAsked(conf) ? &staleDelayCallbacks : &callbacks;
    timed->io.private_data = timed;
    int err = snd_pcm_ioplug_create(&timed->io, name, stream, mode);
    if (err < 0) {
        delete timed;
        return err;
    }
    err = Constrain(&timed->io);
    if (err < 0) {
        snd_pcm_ioplug_delete(&timed->io);
        return err;
    }
    *pcmp = timed->io.pcm;
    return 0;
}
SND_PCM_PLUGIN_SYMBOL(zvtimed);
