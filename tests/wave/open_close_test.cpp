#include "wave/wave_test_support.h"

#include <cstdint>

TEST_F(WaveTest, OpensTheDefaultDeviceForEightBitStereo) {
    UseNullDevice();
    ASSERT_EQ(Open(), MMSYSERR_NOERROR);
    EXPECT_NE(device, nullptr);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST_F(WaveTest, OnlyTheFirstDeviceExists) {
    UseNullDevice();
    const WAVEFORMATEX format = BounceFormat();
    int earlier = 0;
    for (const UINT id : {1u, 2u, 0xFFFFFFFFu}) {
        device = reinterpret_cast<HWAVEOUT>(&earlier); // must be cleared
        EXPECT_EQ(waveOutOpen(&device, id, &format, 0, 0, 0), MMSYSERR_BADDEVICEID) << id;
        EXPECT_EQ(device, nullptr) << id;
    }
}

// A machine without a sound card must not start, and ALSA must not have printed about it.
TEST_F(WaveTest, OpenFailsQuietlyWithoutAUsableDevice) {
    UseDefaultDevice("type hw card 29");
    testing::internal::CaptureStderr();
    const MMRESULT result = Open();
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_NE(result, MMSYSERR_NOERROR);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(printed, "");
}

TEST_F(WaveTest, RefusesFormatsOtherThanPlainPcm) {
    UseNullDevice();
    WAVEFORMATEX format = BounceFormat();
    format.wFormatTag = 3; // floating point
    EXPECT_EQ(waveOutOpen(&device, 0, &format, 0, 0, 0), WAVERR_BADFORMAT);
    format = BounceFormat();
    format.nBlockAlign = 3;
    EXPECT_EQ(waveOutOpen(&device, 0, &format, 0, 0, 0), WAVERR_BADFORMAT);
    format = BounceFormat();
    format.wBitsPerSample = 12;
    format.nBlockAlign = 3;
    EXPECT_EQ(waveOutOpen(&device, 0, &format, 0, 0, 0), WAVERR_BADFORMAT);
    EXPECT_EQ(device, nullptr);
}

// The program's failure path closes a handle that was never opened.
TEST_F(WaveTest, CloseRefusesHandlesThatAreNotOpen) {
    UseNullDevice();
    EXPECT_EQ(waveOutClose(nullptr), MMSYSERR_INVALHANDLE);
    int stray = 0;
    EXPECT_EQ(waveOutClose(reinterpret_cast<HWAVEOUT>(&stray)), MMSYSERR_INVALHANDLE);
    ASSERT_EQ(Open(), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    EXPECT_EQ(waveOutClose(device), MMSYSERR_INVALHANDLE);
}

TEST_F(WaveTest, HeaderCallsRefuseAHandleThatIsNotOpen) {
    EXPECT_EQ(waveOutPrepareHeader(nullptr, &header, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutWrite(nullptr, &header, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(waveOutUnprepareHeader(nullptr, &header, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(header.dwFlags, 0u);
}
