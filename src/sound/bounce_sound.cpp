#include "sound/bounce_sound.h"

#include "sound/bounce_wave.h"

#include "platform/win_api.h"

namespace {

unsigned char* bounceWave;
WAVEFORMATEX format;
HWAVEOUT device;
WAVEHDR header;

// WAVEHDR is 32 bytes in a 32-bit program and 48 in a 64-bit one; the device checks it.
constexpr UINT HeaderSize = sizeof(WAVEHDR);

void FillFormat() {
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 11025;
    format.nAvgBytesPerSec = 22050;
    format.nBlockAlign = 2;
    format.wBitsPerSample = 8;
    format.cbSize = 0;
}

} // namespace

bool StartSound() {
    bounceWave =
        static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), HEAP_NO_SERIALIZE, WaveBytes));
    if (bounceWave == nullptr) {
        return false;
    }
    FillFormat();
    if (waveOutOpen(&device, 0, &format, 0, 0, 0) != MMSYSERR_NOERROR) {
        return false;
    }
    BuildBounceWave(bounceWave);
    header.lpData = reinterpret_cast<LPSTR>(bounceWave);
    header.dwBufferLength = WaveBytes;
    header.dwFlags = 0;
    header.dwLoops = 0;
    return waveOutPrepareHeader(device, &header, HeaderSize) == MMSYSERR_NOERROR;
}

void PlayBounce() {
    waveOutWrite(device, &header, HeaderSize);
}

void ReleaseSound() {
    waveOutUnprepareHeader(device, &header, HeaderSize);
    waveOutClose(device);
    HeapFree(GetProcessHeap(), 0, bounceWave);
}
