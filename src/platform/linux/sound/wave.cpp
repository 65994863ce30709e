// The waveform-audio output calls on ALSA, with Windows' results. Nothing calls back: a play is
// seen to have ended the next time its device is asked. A device sounds one buffer at a time, so
// a write while anything is still sounding is refused with WAVERR_STILLPLAYING and changes nothing.
// A device that goes away (its sound server stopped) is looked for again off the frame loop, and
// taken by the first write after it is found; meanwhile writes play nothing and say
// MMSYSERR_NODRIVER, and the play it cut has ended.
#include "platform/linux/sound/wave.h"

#include "platform/common/start_failure.h"
#include "platform/linux/sound/wave_stream.h"
#include "platform/win_api.h"

struct HWAVEOUT__ {
    WaveStream stream;
    LPWAVEHDR playing; // the header last accepted, until its play is seen to end
    bool open;
};

namespace {

constexpr MMRESULT InvalidFlag = 10; // MMSYSERR_INVALFLAG: only CALLBACK_NULL is offered
constexpr int DeviceSlots = 4;

// Handles point into this table, so a stray or closed handle is recognised without touching it.
HWAVEOUT__ devices[DeviceSlots];

bool IsOpen(HWAVEOUT hwo) {
    for (HWAVEOUT__& device : devices) {
        if (hwo == &device && device.open) {
            return true;
        }
    }
    return false;
}

HWAVEOUT FreeSlot() {
    for (HWAVEOUT__& device : devices) {
        if (!device.open) {
            return &device;
        }
    }
    return nullptr;
}

MMRESULT CheckHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
    if (!IsOpen(hwo)) {
        return MMSYSERR_INVALHANDLE;
    }
    return pwh == nullptr || cbwh != sizeof(WAVEHDR) ? MMSYSERR_INVALPARAM : MMSYSERR_NOERROR;
}

void MarkDone(HWAVEOUT hwo) {
    if (hwo->playing != nullptr) {
        hwo->playing->dwFlags = (hwo->playing->dwFlags & ~DWORD{WHDR_INQUEUE}) | WHDR_DONE;
        hwo->playing = nullptr;
    }
}

// True while the device still sounds; otherwise the header it played is handed back as done.
bool Busy(HWAVEOUT hwo) {
    if (WaveStreamSounding(hwo->stream)) {
        return true;
    }
    MarkDone(hwo);
    return false;
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
    HWAVEOUT device = FreeSlot();
    if (device == nullptr) {
        return MMSYSERR_NOMEM;
    }
    const MMRESULT opened = OpenWaveStream(device->stream, *pwfx);
    if (opened == MMSYSERR_NOERROR) {
        device->playing = nullptr;
        device->open = true;
        *phwo = device;
    }
    return opened;
}

// A header longer than the device's buffer could never be written whole without waiting.
MMRESULT waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
    const MMRESULT checked = CheckHeader(hwo, pwh, cbwh);
    if (checked != MMSYSERR_NOERROR) {
        return checked;
    }
    if (pwh->lpData == nullptr) {
        return MMSYSERR_INVALPARAM;
    }
    if (pwh->dwBufferLength / hwo->stream.frameBytes > hwo->stream.bufferFrames) {
        NoteStartFailure("no sound output (ALSA has no room for the whole sound); try --silent");
        return MMSYSERR_NOMEM;
    }
    pwh->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutWrite(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
    const MMRESULT checked = CheckHeader(hwo, pwh, cbwh);
    if (checked != MMSYSERR_NOERROR) {
        return checked;
    }
    if ((pwh->dwFlags & WHDR_PREPARED) == 0) {
        return WAVERR_UNPREPARED;
    }
    if (Busy(hwo) || (pwh->dwFlags & WHDR_INQUEUE) != 0) {
        return WAVERR_STILLPLAYING;
    }
    const unsigned long frames = pwh->dwBufferLength / hwo->stream.frameBytes;
    const MMRESULT written = WriteWaveStream(hwo->stream, pwh->lpData, frames);
    if (written == MMSYSERR_NOERROR) {
        pwh->dwFlags = (pwh->dwFlags & ~DWORD{WHDR_DONE}) | WHDR_INQUEUE;
        hwo->playing = pwh;
    }
    return written;
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
    const MMRESULT checked = CheckHeader(hwo, pwh, cbwh);
    if (checked != MMSYSERR_NOERROR || (pwh->dwFlags & WHDR_PREPARED) == 0) {
        return checked;
    }
    if (hwo->playing == pwh && Busy(hwo)) {
        return WAVERR_STILLPLAYING;
    }
    pwh->dwFlags &= ~DWORD{WHDR_PREPARED};
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutClose(HWAVEOUT hwo) {
    if (!IsOpen(hwo)) {
        return MMSYSERR_INVALHANDLE;
    }
    if (hwo->playing != nullptr && Busy(hwo)) {
        return WAVERR_STILLPLAYING;
    }
    CloseWaveStream(hwo->stream);
    hwo->open = false;
    return MMSYSERR_NOERROR;
}

// What is still sounding is let to finish (for at most a second) rather than cut: the bounce is
// heard whole and a file-backed device receives whole copies. Closing also makes ALSA hand over
// what it still holds back.
void CloseWaveOnExit() {
    for (HWAVEOUT__& device : devices) {
        if (device.open) {
            CloseWaveStream(device.stream);
            device.playing = nullptr;
            device.open = false;
        }
    }
}
