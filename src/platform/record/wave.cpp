#include "platform/record/record.h"

using record::Call;
using record::Enter;
using record::state;

namespace {

HWAVEOUT const Device = reinterpret_cast<HWAVEOUT>(0xA0D10);

MMRESULT Header(Call call, HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
    const bool fail = Enter(call);
    if (call == Call::waveOutWrite) {
        ++state.plays;
    }
    if (state.logLoopCalls || call != Call::waveOutWrite) {
        state.waveCalls.push_back({call, hwo, pwh, cbwh});
    }
    if (hwo != Device) {
        return MMSYSERR_INVALHANDLE;
    }
    if (cbwh != sizeof(WAVEHDR)) {
        return MMSYSERR_INVALPARAM;
    }
    return fail ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
}

} // namespace

MMRESULT waveOutOpen(LPHWAVEOUT phwo, UINT uDeviceID, LPCWAVEFORMATEX pwfx, DWORD_PTR dwCallback,
                     DWORD_PTR dwInstance, DWORD fdwOpen) {
    state.waveDevice = uDeviceID;
    state.waveFormat = *pwfx;
    state.waveCallback = dwCallback;
    state.waveInstance = dwInstance;
    state.waveOpenFlags = fdwOpen;
    if (Enter(Call::waveOutOpen)) {
        return MMSYSERR_BADDEVICEID;
    }
    *phwo = Device;
    return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
    const MMRESULT result = Header(Call::waveOutPrepareHeader, hwo, pwh, cbwh);
    if (result == MMSYSERR_NOERROR) {
        pwh->dwFlags |= WHDR_PREPARED;
    }
    return result;
}

MMRESULT waveOutWrite(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
    const MMRESULT result = Header(Call::waveOutWrite, hwo, pwh, cbwh);
    if (result == MMSYSERR_NOERROR && (pwh->dwFlags & WHDR_PREPARED) == 0) {
        return WAVERR_UNPREPARED;
    }
    return result;
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
    const MMRESULT result = Header(Call::waveOutUnprepareHeader, hwo, pwh, cbwh);
    if (result == MMSYSERR_NOERROR) {
        pwh->dwFlags &= ~static_cast<DWORD>(WHDR_PREPARED);
    }
    return result;
}

MMRESULT waveOutClose(HWAVEOUT hwo) {
    const bool fail = Enter(Call::waveOutClose);
    state.waveCalls.push_back({Call::waveOutClose, hwo, nullptr, 0});
    if (hwo != Device) {
        return MMSYSERR_INVALHANDLE;
    }
    return fail ? MMSYSERR_ERROR : MMSYSERR_NOERROR;
}
