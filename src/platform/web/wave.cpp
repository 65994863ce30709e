// The waveform-audio output calls on the page's sound, with Windows' results. There is one device,
// 0. A header's samples go to the page when it is prepared. The device sounds one buffer at a
// time: a write while the last play is still sounding, by the page's clock, is refused with
// WAVERR_STILLPLAYING and changes nothing. Without sound (the visitor's choice) the device keeps
// the same time and says nothing.
#include "platform/web/layer.h"
#include "platform/web/page.h"
#include "platform/win_api.h"

struct HWAVEOUT__ {
    bool open;
    WAVEFORMATEX format;
    LPWAVEHDR loaded;  // the header whose samples the page holds
    LPWAVEHDR playing; // the header last played, until its play is seen to end
    double playEndMs;  // when, on the page's clock
};

namespace {

constexpr MMRESULT InvalidFlag = 10; // MMSYSERR_INVALFLAG: only CALLBACK_NULL is offered

// Rates every browser's sound buffers take.
constexpr DWORD SlowestRate = 8000;
constexpr DWORD FastestRate = 96000;

HWAVEOUT__ device;

bool Playable(const WAVEFORMATEX& format) {
    return format.wFormatTag == WAVE_FORMAT_PCM && format.wBitsPerSample == 8 &&
           (format.nChannels == 1 || format.nChannels == 2) &&
           format.nBlockAlign == format.nChannels && format.nSamplesPerSec >= SlowestRate &&
           format.nSamplesPerSec <= FastestRate;
}

MMRESULT CheckHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
    if (hwo != &device || !device.open) {
        return MMSYSERR_INVALHANDLE;
    }
    return pwh == nullptr || cbwh != sizeof(WAVEHDR) ? MMSYSERR_INVALPARAM : MMSYSERR_NOERROR;
}

void Load(LPWAVEHDR pwh) {
    PageLoadSound(reinterpret_cast<const uint8_t*>(pwh->lpData), pwh->dwBufferLength,
                  device.format.nChannels, device.format.nSamplesPerSec);
    device.loaded = pwh;
}

// True while the last play still sounds; otherwise its header is handed back as done.
bool Busy(double nowMs) {
    if (device.playing == nullptr) {
        return false;
    }
    if (nowMs < device.playEndMs) {
        return true;
    }
    device.playing->dwFlags = (device.playing->dwFlags & ~DWORD{WHDR_INQUEUE}) | WHDR_DONE;
    device.playing = nullptr;
    return false;
}

MMRESULT Write(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh, double nowMs) {
    const MMRESULT checked = CheckHeader(hwo, pwh, cbwh);
    if (checked != MMSYSERR_NOERROR) {
        return checked;
    }
    if ((pwh->dwFlags & WHDR_PREPARED) == 0) {
        return WAVERR_UNPREPARED;
    }
    if (Busy(nowMs) || (pwh->dwFlags & WHDR_INQUEUE) != 0) {
        return WAVERR_STILLPLAYING;
    }
    if (device.loaded != pwh) {
        Load(pwh);
    }
    PagePlaySound(CurrentReading());
    const double frames = pwh->dwBufferLength / device.format.nBlockAlign;
    device.playEndMs = nowMs + frames * 1000.0 / device.format.nSamplesPerSec;
    device.playing = pwh;
    pwh->dwFlags = (pwh->dwFlags & ~DWORD{WHDR_DONE}) | WHDR_INQUEUE;
    return MMSYSERR_NOERROR;
}

} // namespace

MMRESULT waveOutOpen(LPHWAVEOUT phwo, UINT uDeviceID, LPCWAVEFORMATEX pwfx, DWORD_PTR, DWORD_PTR,
                     DWORD fdwOpen) {
    if (phwo == nullptr || pwfx == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    *phwo = nullptr;
    if (uDeviceID != 0) {
        return MMSYSERR_BADDEVICEID;
    }
    if (fdwOpen != 0) {
        return InvalidFlag;
    }
    if (device.open) {
        return MMSYSERR_ALLOCATED;
    }
    if (!Playable(*pwfx)) {
        return WAVERR_BADFORMAT;
    }
    device = HWAVEOUT__{};
    device.open = true;
    device.format = *pwfx;
    *phwo = &device;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
    const MMRESULT checked = CheckHeader(hwo, pwh, cbwh);
    if (checked != MMSYSERR_NOERROR) {
        return checked;
    }
    if (pwh->lpData == nullptr || pwh->dwBufferLength < device.format.nBlockAlign) {
        return MMSYSERR_INVALPARAM;
    }
    Load(pwh);
    pwh->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutWrite(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
    const double nowMs = PageNowMs();
    const MMRESULT result = Write(hwo, pwh, cbwh, nowMs);
    PageNoteWrite(CurrentReading(), nowMs, result);
    return result;
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
    const MMRESULT checked = CheckHeader(hwo, pwh, cbwh);
    if (checked != MMSYSERR_NOERROR || (pwh->dwFlags & WHDR_PREPARED) == 0) {
        return checked;
    }
    if (device.playing == pwh && Busy(PageNowMs())) {
        return WAVERR_STILLPLAYING;
    }
    if (device.loaded == pwh) {
        device.loaded = nullptr;
    }
    pwh->dwFlags &= ~DWORD{WHDR_PREPARED};
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutClose(HWAVEOUT hwo) {
    if (hwo != &device || !device.open) {
        return MMSYSERR_INVALHANDLE;
    }
    if (Busy(PageNowMs())) {
        return WAVERR_STILLPLAYING;
    }
    device.open = false;
    return MMSYSERR_NOERROR;
}
