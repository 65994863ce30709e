// The waveform-audio device on the page's sound: one device, the samples handed over once, one
// play at a time by the page's clock.
#include "platform/win_api.h"
#include "sound/bounce_wave.h"
#include "web/page_stand_in.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr DWORD Playing = WHDR_PREPARED | WHDR_INQUEUE;
constexpr DWORD Played = WHDR_PREPARED | WHDR_DONE;
constexpr double PlayMs = 2400 * 1000.0 / 11025; // 4,800 bytes of 8-bit stereo

class WebWave : public ::testing::Test {
  protected:
    void SetUp() override {
        page::Reset();
        page::state.nowMs = 1000;
        samples.resize(WaveBytes);
        BuildBounceWave(samples.data());
        format = {WAVE_FORMAT_PCM, 2, 11025, 22050, 2, 8, 0};
        header = WAVEHDR{};
        header.lpData = reinterpret_cast<LPSTR>(samples.data());
        header.dwBufferLength = WaveBytes;
    }
    void TearDown() override {
        page::state.nowMs += 60'000;
        waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR));
        waveOutClose(device);
    }

    MMRESULT Open() { return waveOutOpen(&device, 0, &format, 0, 0, 0); }
    MMRESULT Prepare() { return waveOutPrepareHeader(device, &header, sizeof(WAVEHDR)); }
    MMRESULT WriteAt(double ms) {
        page::state.nowMs = ms;
        return waveOutWrite(device, &header, sizeof(WAVEHDR));
    }

    std::vector<unsigned char> samples;
    WAVEFORMATEX format{};
    WAVEHDR header{};
    HWAVEOUT device = nullptr;
};

} // namespace

TEST_F(WebWave, OpensDeviceZeroOnceAndOnlyInAFormatThePageCanPlay) {
    EXPECT_EQ(waveOutOpen(&device, 1, &format, 0, 0, 0), MMSYSERR_BADDEVICEID);
    WAVEFORMATEX wide = format;
    wide.wBitsPerSample = 16;
    wide.nBlockAlign = 4;
    EXPECT_EQ(waveOutOpen(&device, 0, &wide, 0, 0, 0), WAVERR_BADFORMAT);
    WAVEFORMATEX slow = format;
    slow.nSamplesPerSec = 4000;
    EXPECT_EQ(waveOutOpen(&device, 0, &slow, 0, 0, 0), WAVERR_BADFORMAT);
    EXPECT_EQ(device, nullptr);
    ASSERT_EQ(Open(), MMSYSERR_NOERROR);
    HWAVEOUT second = nullptr;
    EXPECT_EQ(waveOutOpen(&second, 0, &format, 0, 0, 0), MMSYSERR_ALLOCATED);
    EXPECT_EQ(WriteAt(1000), WAVERR_UNPREPARED);
    EXPECT_EQ(page::state.plays.size(), 0u);
}

TEST_F(WebWave, HandsThePreparedSamplesToThePageOnce) {
    ASSERT_EQ(Open(), MMSYSERR_NOERROR);
    ASSERT_EQ(Prepare(), MMSYSERR_NOERROR);
    EXPECT_EQ(page::state.sound, samples);
    EXPECT_EQ(page::state.soundChannels, 2);
    EXPECT_EQ(page::state.soundRate, 11025u);
    ASSERT_EQ(WriteAt(1000), MMSYSERR_NOERROR);
    ASSERT_EQ(WriteAt(5000), MMSYSERR_NOERROR);
    EXPECT_EQ(page::state.soundLoads, 1);
    EXPECT_EQ(page::state.plays.size(), 2u);
}

TEST_F(WebWave, RefusesWritesWhileThePlaySoundsByThePagesClock) {
    ASSERT_EQ(Open(), MMSYSERR_NOERROR);
    ASSERT_EQ(Prepare(), MMSYSERR_NOERROR);
    ASSERT_EQ(WriteAt(1000), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, Playing);
    EXPECT_EQ(WriteAt(1100), WAVERR_STILLPLAYING);
    EXPECT_EQ(WriteAt(1000 + PlayMs - 0.01), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutClose(device), WAVERR_STILLPLAYING);
    EXPECT_EQ(header.dwFlags, Playing);
    ASSERT_EQ(WriteAt(1000 + PlayMs), MMSYSERR_NOERROR);
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

TEST_F(WebWave, AHeaderPlayedOutIsHandedBackDone) {
    ASSERT_EQ(Open(), MMSYSERR_NOERROR);
    ASSERT_EQ(Prepare(), MMSYSERR_NOERROR);
    ASSERT_EQ(WriteAt(1000), MMSYSERR_NOERROR);
    ASSERT_EQ(WriteAt(3000), MMSYSERR_NOERROR);
    page::state.nowMs = 4000;
    ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, Played);
    EXPECT_EQ(waveOutWrite(device, &header, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
}
