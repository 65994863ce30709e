// How long a bounce holds up the frame loop in waveOutWrite: 1,000 accepted plays of a 4,800-byte
// buffer on ALSA's default device, timed call by call. For the null device run it with
// ALSA_CONFIG_PATH=config/alsa-null.conf. Refused writes (a play still sounding, on a device that
// keeps time) are counted apart.
#include "platform/linux/sound/wave.h"
#include "platform/win_api.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr size_t Plays = 1000;
constexpr DWORD SoundBytes = 4800;

double Microseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) * 1e-3;
}

WAVEFORMATEX BounceFormat() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 11025;
    format.nAvgBytesPerSec = 22050;
    format.nBlockAlign = 2;
    format.wBitsPerSample = 8;
    return format;
}

void Report(std::vector<double>& times, long refused) {
    std::sort(times.begin(), times.end());
    const double median = (times[Plays / 2 - 1] + times[Plays / 2]) / 2;
    std::printf("waveOutWrite over %zu plays: median %.2f us, worst %.2f us, best %.2f us\n",
                times.size(), median, times.back(), times.front());
    std::printf("refused while still playing: %ld\n", refused);
}

} // namespace

int main() {
    const WAVEFORMATEX format = BounceFormat();
    HWAVEOUT device = nullptr;
    if (waveOutOpen(&device, 0, &format, 0, 0, 0) != MMSYSERR_NOERROR) {
        std::fprintf(stderr, "the default sound device does not open\n");
        return 1;
    }
    std::vector<unsigned char> sound(SoundBytes, 128);
    WAVEHDR header{};
    header.lpData = reinterpret_cast<LPSTR>(sound.data());
    header.dwBufferLength = SoundBytes;
    waveOutPrepareHeader(device, &header, sizeof(WAVEHDR));
    std::vector<double> times;
    long refused = 0;
    while (times.size() < Plays) {
        const double start = Microseconds();
        const MMRESULT result = waveOutWrite(device, &header, sizeof(WAVEHDR));
        const double took = Microseconds() - start;
        if (result == MMSYSERR_NOERROR) {
            times.push_back(took);
        } else if (result == WAVERR_STILLPLAYING) {
            ++refused;
        } else {
            std::fprintf(stderr, "waveOutWrite failed: %u\n", result);
            return 1;
        }
    }
    Report(times, refused);
    CloseWaveOnExit();
    return 0;
}
