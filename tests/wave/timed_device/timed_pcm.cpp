// A playback device for tests that takes its time as a sound card does: once started, frames leave
// at the stream's rate, and when they run out the stream stands in underrun. ALSA loads it as the
// external PCM type "zvtimed"; a file device in front of it records the bytes. With "stale_delay
// true" it behaves as the plugins of sound servers (PipeWire's, PulseAudio's) were seen to: asked
// for the delay, it neither reaches 0 nor moves the state, which reads RUNNING until something
// asks for the space. With "gone_file PATH" it behaves, while that file exists, as a device whose
// sound server has stopped, its calls failing as "gone_error" says (the kinds below); it can't be
// opened meanwhile, and each try to open it adds a line to "opens_file". With "held_open PATH", an
// open that finds a FIFO there waits until something has opened it for writing and closed it: a
// sound server that is slow to answer, for as long as the test likes.
#include <alsa/asoundlib.h>
#include <alsa/pcm_external.h>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <unistd.h>

namespace {

// How the calls fail once the device has gone: as PipeWire's plugin (an underrun that preparing
// again doesn't mend), after a suspend, as a card unplugged, as a stream broken, as PulseAudio's
// plugin (-EIO), as a plugin that reports itself disconnected, or in the delay alone.
enum class Gone { Epipe, Estrpipe, Enodev, Ebadfd, Eio, Disconnected, Delay };
constexpr const char* GoneNames[] = {"EPIPE", "ESTRPIPE",     "ENODEV", "EBADFD",
                                     "EIO",   "disconnected", "delay"};
constexpr int GoneErrors[] = {-EPIPE, -ESTRPIPE, -ENODEV, -EBADFD, -EIO, -ENODEV, 0};

struct TimedPcm {
    snd_pcm_ioplug_t io;
    timespec started;
    std::string goneFile;
    Gone gone;
};

bool IsGone(snd_pcm_ioplug_t* io, Gone kind) {
    const TimedPcm& timed = *static_cast<TimedPcm*>(io->private_data);
    return timed.gone == kind && !timed.goneFile.empty() &&
           access(timed.goneFile.c_str(), F_OK) == 0;
}

// The error the device's calls return now: 0 while it is there.
int GoneError(snd_pcm_ioplug_t* io) {
    const TimedPcm& timed = *static_cast<TimedPcm*>(io->private_data);
    return IsGone(io, timed.gone) ? GoneErrors[static_cast<int>(timed.gone)] : 0;
}

// PipeWire's plugin, and a device back from a suspend, prepare as if nothing had happened.
int Prepare(snd_pcm_ioplug_t* io) {
    const int err = GoneError(io);
    return IsGone(io, Gone::Epipe) || IsGone(io, Gone::Estrpipe) ? 0 : err;
}

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
    if (IsGone(io, Gone::Disconnected)) {
        snd_pcm_ioplug_set_state(io, SND_PCM_STATE_DISCONNECTED);
        return static_cast<snd_pcm_sframes_t>(io->hw_ptr);
    }
    if (GoneError(io) != 0 && io->state == SND_PCM_STATE_RUNNING) {
        return GoneError(io);
    }
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
    if (IsGone(io, Gone::Delay)) {
        return -ENODEV;
    }
    constexpr snd_pcm_sframes_t Least = 8;
    constexpr snd_pcm_sframes_t Cycle = 463;
    const auto written = static_cast<snd_pcm_sframes_t>(io->appl_ptr);
    const snd_pcm_sframes_t played = io->state == SND_PCM_STATE_RUNNING
                                         ? Elapsed(io)
                                         : static_cast<snd_pcm_sframes_t>(io->hw_ptr);
    *delay = played < written ? written - played : Least + played % Cycle;
    return 0;
}

snd_pcm_sframes_t Transfer(snd_pcm_ioplug_t* io, const snd_pcm_channel_area_t*, snd_pcm_uframes_t,
                           snd_pcm_uframes_t size) {
    const int err = GoneError(io);
    return err != 0 ? err : static_cast<snd_pcm_sframes_t>(size);
}

snd_pcm_ioplug_callback_t Callbacks() {
    snd_pcm_ioplug_callback_t callbacks{};
    callbacks.start = Start;
    callbacks.stop = Stop;
    callbacks.pointer = Pointer;
    callbacks.prepare = Prepare;
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

snd_config_t* Setting(snd_config_t* conf, const char* name) {
    snd_config_iterator_t at;
    snd_config_iterator_t next;
    snd_config_for_each(at, next, conf) {
        snd_config_t* entry = snd_config_iterator_entry(at);
        const char* id = nullptr;
        if (snd_config_get_id(entry, &id) == 0 && std::strcmp(id, name) == 0) {
            return entry;
        }
    }
    return nullptr;
}

bool StaleDelayAsked(snd_config_t* conf) {
    snd_config_t* entry = Setting(conf, "stale_delay");
    return entry != nullptr && snd_config_get_bool(entry) > 0;
}

std::string Text(snd_config_t* conf, const char* name) {
    snd_config_t* entry = Setting(conf, name);
    const char* text = nullptr;
    return entry != nullptr && snd_config_get_string(entry, &text) == 0 ? text : "";
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
    const std::string opens = Text(conf, "opens_file");
    if (!opens.empty()) {
        std::ofstream(opens, std::ios::app) << "open\n";
    }
    const std::string held = Text(conf, "held_open");
    const int fifo = held.empty() ? -1 : open(held.c_str(), O_RDONLY);
    if (fifo >= 0) {
        char byte = 0;
        while (read(fifo, &byte, 1) > 0) {
        }
        close(fifo);
    }
    const std::string goneFile = Text(conf, "gone_file");
    if (!goneFile.empty() && access(goneFile.c_str(), F_OK) == 0) {
        return -ECONNREFUSED; // as a sound server's plugin finds no server
    }
    auto* timed = new (std::nothrow) TimedPcm{};
    if (timed == nullptr) {
        return -ENOMEM;
    }
    timed->goneFile = goneFile;
    const std::string gone = Text(conf, "gone_error");
    for (int kind = 0; kind < static_cast<int>(std::size(GoneNames)); ++kind) {
        if (gone == GoneNames[kind]) {
            timed->gone = static_cast<Gone>(kind);
        }
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
