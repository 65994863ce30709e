// The waveform-audio device on the page's sound: one play at a time, by the page's clock. The
// browser checks never see two floor bounces within a play's length; here they come at once.
#include "platform/win_api.h"
#include "sound/bounce_wave.h"
#include "web/page_stand_in.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD Playing = WHDR_PREPARED | WHDR_INQUEUE;
constexpr double PlayMs = 2400 * 1000.0 / 11025; // 4,800 bytes of 8-bit stereo

} // namespace

TEST(WebWave, RefusesWritesWhileThePlaySoundsByThePagesClock) {
    page::Reset();
    unsigned char samples[WaveBytes];
    BuildBounceWave(samples);
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 11025, 22050, 2, 8, 0};
    WAVEHDR header{};
    header.lpData = reinterpret_cast<LPSTR>(samples);
    header.dwBufferLength = WaveBytes;
    HWAVEOUT device = nullptr;
    ASSERT_EQ(waveOutOpen(&device, 0, &format, 0, 0, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutPrepareHeader(device, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    auto writeAt = [&](double ms) {
        page::state.nowMs = ms;
        return waveOutWrite(device, &header, sizeof(WAVEHDR));
    };

    ASSERT_EQ(writeAt(1000), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, Playing);
    EXPECT_EQ(writeAt(1100), WAVERR_STILLPLAYING);
    EXPECT_EQ(writeAt(1000 + PlayMs - 0.01), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutClose(device), WAVERR_STILLPLAYING);
    EXPECT_EQ(header.dwFlags, Playing);
    ASSERT_EQ(writeAt(1000 + PlayMs), MMSYSERR_NOERROR);
    page::state.nowMs = 2000;
    EXPECT_EQ(waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, DWORD{WHDR_DONE});
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);

    // Every write noted with the time it was judged by; a play only for those accepted.
    ASSERT_EQ(page::state.writes.size(), 4u);
    const double at[] = {1000, 1100, 1000 + PlayMs - 0.01, 1000 + PlayMs};
    const uint32_t result[] = {0, WAVERR_STILLPLAYING, WAVERR_STILLPLAYING, 0};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(page::state.writes[k].atMs, at[k]) << k;
        EXPECT_EQ(page::state.writes[k].result, result[k]) << k;
    }
    EXPECT_EQ(page::state.plays.size(), 2u);
}
