// Placeholder until the ALSA output lands: no device, so start-up fails as without a sound card.
#include "platform/linux/layer.h"
#include "platform/win_api.h"

MMRESULT waveOutOpen(LPHWAVEOUT, UINT, LPCWAVEFORMATEX, DWORD_PTR, DWORD_PTR, DWORD) {
    return MMSYSERR_NODRIVER;
}
MMRESULT waveOutPrepareHeader(HWAVEOUT, LPWAVEHDR, UINT) { return MMSYSERR_INVALHANDLE; }
MMRESULT waveOutWrite(HWAVEOUT, LPWAVEHDR, UINT) { return MMSYSERR_INVALHANDLE; }
MMRESULT waveOutUnprepareHeader(HWAVEOUT, LPWAVEHDR, UINT) { return MMSYSERR_INVALHANDLE; }
MMRESULT waveOutClose(HWAVEOUT) { return MMSYSERR_INVALHANDLE; }
void CloseWaveOnExit() {}
