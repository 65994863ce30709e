#include "wave/wave_test_support.h"

TEST_F(WaveTest, PrepareMarksTheHeaderAndUnprepareClearsTheMark) {
    UseNullDevice();
    ASSERT_EQ(Open(), MMSYSERR_NOERROR);
    ASSERT_EQ(Prepare(), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, DWORD{WHDR_PREPARED});
    EXPECT_EQ(waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, 0u);
}

// A 32-bit program's header is 32 bytes; here it is larger, and the size given must match.
TEST_F(WaveTest, HeaderCallsCheckTheSizeGiven) {
    UseNullDevice();
    ASSERT_EQ(Open(), MMSYSERR_NOERROR);
    for (const UINT size : {0u, 32u, UINT{sizeof(WAVEHDR) - 1}, UINT{sizeof(WAVEHDR) + 8}}) {
        if (size == sizeof(WAVEHDR)) {
            continue;
        }
        EXPECT_EQ(waveOutPrepareHeader(device, &header, size), MMSYSERR_INVALPARAM) << size;
        EXPECT_EQ(header.dwFlags, 0u) << size;
        header.dwFlags = WHDR_PREPARED;
        EXPECT_EQ(waveOutWrite(device, &header, size), MMSYSERR_INVALPARAM) << size;
        EXPECT_EQ(waveOutUnprepareHeader(device, &header, size), MMSYSERR_INVALPARAM) << size;
        EXPECT_EQ(header.dwFlags, DWORD{WHDR_PREPARED}) << size;
        header.dwFlags = 0;
    }
    EXPECT_EQ(waveOutPrepareHeader(device, nullptr, sizeof(WAVEHDR)), MMSYSERR_INVALPARAM);
    ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    EXPECT_TRUE(Captured().empty());
}

TEST_F(WaveTest, WriteOfAnUnpreparedHeaderPlaysNothing) {
    UseNullDevice();
    ASSERT_EQ(Open(), MMSYSERR_NOERROR);
    EXPECT_EQ(Write(), WAVERR_UNPREPARED);
    EXPECT_EQ(header.dwFlags, 0u);
    ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    EXPECT_TRUE(Captured().empty());
}

// Such a buffer could not be handed over whole without waiting for room.
TEST_F(WaveTest, PrepareRefusesMoreThanTheDeviceCanHold) {
    UseNullDevice();
    ASSERT_EQ(Open(), MMSYSERR_NOERROR);
    header.dwBufferLength = 4u << 20; // 19 s of sound; never read
    EXPECT_NE(Prepare(), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, 0u);
}
