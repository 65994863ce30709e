#include "wave/wave_test_support.h"

#include "platform/linux/sound/wave.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <future>
#include <thread>

namespace {

constexpr DWORD Playing = WHDR_PREPARED | WHDR_INQUEUE;
constexpr DWORD Played = WHDR_PREPARED | WHDR_DONE;

} // namespace

// The null device takes frames at once; once a play's length has passed, it has ended.
TEST_F(WaveTest, EveryAcceptedWriteDeliversOneWholeCopy) {
    UseNullDevice();
    ASSERT_EQ(Open(), MMSYSERR_NOERROR);
    ASSERT_EQ(Prepare(), MMSYSERR_NOERROR);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(Write(), MMSYSERR_NOERROR) << i;
        Wait(SoundSeconds + 0.02);
    }
    ASSERT_EQ(waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    EXPECT_EQ(Captured(), Copies(3));
}

// The kinds of device: the null one reports a play over as soon as it is written, as PulseAudio's
// plugin on PipeWire does; the timed one takes the frames at the stream's rate, as a sound card
// does; the stale one too, but reports its delay and state as the plugins of sound servers do. On
// each, a play sounds for its length and ends when it has run out.
enum class Device { Null, Timed, Stale };

class WavePlay : public WaveTest, public testing::WithParamInterface<Device> {
  protected:
    void UseDevice() {
        if (GetParam() == Device::Null) {
            UseNullDevice();
        } else {
            UseTimedDevice(GetParam() == Device::Stale);
        }
    }
};

// Also shows that a write shorter than the device's buffer starts playing by itself.
TEST_P(WavePlay, WhileSoundingWritesAreRefusedAndChangeNothing) {
    UseDevice();
    ASSERT_EQ(Open(), MMSYSERR_NOERROR);
    ASSERT_EQ(Prepare(), MMSYSERR_NOERROR);
    ASSERT_EQ(Write(), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, Playing);
    EXPECT_EQ(Write(), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
    EXPECT_EQ(waveOutClose(device), WAVERR_STILLPLAYING);
    EXPECT_EQ(header.dwFlags, Playing);
    Wait(SoundSeconds + 0.1);
    ASSERT_EQ(waveOutUnprepareHeader(device, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, DWORD{WHDR_DONE});
    ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    EXPECT_EQ(Captured(), Copies(1));
}

// The stream stands in underrun after each play; the next write must bring it back.
TEST_P(WavePlay, AWriteAfterThePreviousPlayEndedPlaysAgain) {
    UseDevice();
    ASSERT_EQ(Open(), MMSYSERR_NOERROR);
    ASSERT_EQ(Prepare(), MMSYSERR_NOERROR);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(Write(), MMSYSERR_NOERROR) << i;
        EXPECT_EQ(Write(), WAVERR_STILLPLAYING) << i;
        Wait(SoundSeconds + 0.1);
    }
    ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    EXPECT_EQ(header.dwFlags, Played);
    EXPECT_EQ(Captured(), Copies(3));
}

// On the way out a play that has begun is let to finish, heard whole and recorded whole; once it
// has, the way out waits no longer.
TEST_P(WavePlay, CloseOnExitWaitsForThePlayToFinishAndNoLonger) {
    UseDevice();
    const struct {
        double after; // from the write to the close
        double least;
        double most;
    } closes[] = {{0, SoundSeconds * 0.7, SoundSeconds + 0.1}, {SoundSeconds + 0.1, 0, 0.1}};
    for (const auto& close : closes) {
        header.dwFlags = 0;
        ASSERT_EQ(Open(), MMSYSERR_NOERROR);
        ASSERT_EQ(Prepare(), MMSYSERR_NOERROR);
        ASSERT_EQ(Write(), MMSYSERR_NOERROR);
        Wait(close.after);
        const double start = Now();
        CloseWaveOnExit();
        const double waited = Now() - start;
        EXPECT_GE(waited, close.least) << close.after;
        EXPECT_LT(waited, close.most) << close.after;
        EXPECT_EQ(Captured(), Copies(1)) << close.after;
        EXPECT_EQ(waveOutClose(device), MMSYSERR_INVALHANDLE);
    }
}

std::string DeviceName(const testing::TestParamInfo<Device>& device) {
    const char* names[] = {"Null", "Timed", "Stale"};
    return names[static_cast<int>(device.param)];
}

INSTANTIATE_TEST_SUITE_P(Device, WavePlay,
                         testing::Values(Device::Null, Device::Timed, Device::Stale), DeviceName);

TEST_F(WaveTest, CloseOnExitDeliversWhatTheNullDeviceHoldsBack) {
    UseNullDevice();
    ASSERT_EQ(Open(), MMSYSERR_NOERROR);
    ASSERT_EQ(Prepare(), MMSYSERR_NOERROR);
    ASSERT_EQ(Write(), MMSYSERR_NOERROR);
    Wait(SoundSeconds + 0.02);
    ASSERT_EQ(Write(), MMSYSERR_NOERROR);
    CloseWaveOnExit();
    EXPECT_EQ(Captured(), Copies(2));
}

// A device that goes away, as when its sound server stops, in each of the ways its calls can say
// so. The write that finds it gone plays nothing, and ends the play before; it is tried again once
// a second at most, by n seconds after the loss n times at most, and plays again from the first
// write after it is back and opened. The frame loop writes far more often than it bounces.
class WaveGone : public WaveTest, public testing::WithParamInterface<const char*> {};

TEST_P(WaveGone, ADeviceGoneIsOpenedAgainOffTheLoopOnceASecond) {
    const int opens = PlayThenLose(GetParam());
    EXPECT_EQ(header.dwFlags, Played);
    EXPECT_TRUE(WaitUntil([&] {
        EXPECT_EQ(Write(), MMSYSERR_NODRIVER);
        EXPECT_LE(Opens() - opens, std::floor(Now() - lostAt)) << "tried again within the second";
        return Opens() == opens + 2;
    }));
    ReturnDevice();
    MMRESULT written = MMSYSERR_NODRIVER;
    EXPECT_TRUE(WaitUntil([&] { return (written = Write()) != MMSYSERR_NODRIVER; }));
    ASSERT_EQ(written, MMSYSERR_NOERROR);
    // The try counted as the device came back may already have found it (a slow machine, or an
    // emulated one, can take that long between counting a try and opening).
    EXPECT_GE(Opens(), opens + 2);
    EXPECT_LE(Opens(), opens + 3);
    EXPECT_EQ(header.dwFlags, Playing);
    EXPECT_EQ(Write(), WAVERR_STILLPLAYING);
    Wait(SoundSeconds + 0.1);
    ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    EXPECT_EQ(Captured(), Copies(1)); // the file device starts afresh when opened again
}

// On the way out, a play cut short by the device going is not waited for, where the device can
// tell (a delay it can't tell doesn't say that the play stopped).
TEST_F(WaveTest, APlayCutByTheDeviceGoingIsNotWaitedFor) {
    for (const char* gone : {"EPIPE", "ESTRPIPE", "ENODEV", "EBADFD", "EIO", "disconnected"}) {
        UseGoingDevice(gone);
        ReturnDevice();
        ASSERT_EQ(Open(), MMSYSERR_NOERROR);
        ASSERT_EQ(Prepare(), MMSYSERR_NOERROR);
        ASSERT_EQ(Write(), MMSYSERR_NOERROR);
        LeaveDevice();
        const double start = Now();
        CloseWaveOnExit();
        EXPECT_LT(Now() - start, SoundSeconds / 2) << gone;
        header.dwFlags = 0;
    }
}

// A device that takes its time to open (a sound server slow to answer) holds up no write, and the
// first write after it has opened plays on it. The helper that opens it leaves signals to the
// main thread, whose handlers note them.
TEST_F(WaveTest, WritesGoOnWhileTheDeviceTakesItsTimeToOpen) {
    const int opens = PlayThenLose("ENODEV");
    ReturnDevice();
    HoldOpens();
    // Were a write to wait for the open, only this would end it, and say so.
    std::promise<void> returned;
    bool rescued = false;
    std::thread rescue([this, &rescued, done = returned.get_future()] {
        if (done.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
            rescued = true;
            ReleaseOpen();
        }
    });
    WaitUntil([&] { return Write() == MMSYSERR_NODRIVER && Opens() > opens; });
    const int opening = Opens();
    const MMRESULT whileOpening = Write();
    const std::vector<unsigned long long> helpers = BlockedSignals("sound reopen");
    returned.set_value();
    rescue.join();
    EXPECT_FALSE(rescued) << "a write waited for the device to open";
    ASSERT_EQ(opening, opens + 1);
    EXPECT_EQ(whileOpening, MMSYSERR_NODRIVER);
    ASSERT_EQ(helpers.size(), 1u);
    for (const int number : {SIGINT, SIGTERM, SIGTSTP, SIGCONT, SIGWINCH}) {
        EXPECT_NE(helpers[0] >> (number - 1) & 1, 0u) << "signal " << number;
    }
    ReleaseOpen();
    MMRESULT written = MMSYSERR_NODRIVER;
    EXPECT_TRUE(WaitUntil([&] { return (written = Write()) != MMSYSERR_NODRIVER; }));
    ASSERT_EQ(written, MMSYSERR_NOERROR);
    EXPECT_EQ(Opens(), opens + 1);
    Wait(SoundSeconds + 0.1);
    ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
    EXPECT_EQ(Captured(), Copies(1));
}

// On the way out an open still waiting holds it up no longer than a play would; what it opens
// later is closed by the helper (else the leak check at the tests' end would find it).
TEST_F(WaveTest, AnOpenStillWaitingHoldsUpTheWayOutASecondAtMost) {
    const int opens = PlayThenLose("ENODEV");
    ReturnDevice();
    HoldOpens();
    EXPECT_TRUE(WaitUntil([&] { return Opens() > opens; }));
    const double start = Now();
    CloseWaveOnExit();
    const double waited = Now() - start;
    EXPECT_GE(waited, 0.9);
    // A second's waits, however late a busy machine ends each: not the open's, which never ends.
    EXPECT_LT(waited, 3.0);
    ReleaseOpen();
    EXPECT_TRUE(WaitUntil([] { return BlockedSignals("sound reopen").empty(); }))
        << "the helper goes on";
    EXPECT_EQ(Opens(), opens + 1);
}

INSTANTIATE_TEST_SUITE_P(Gone, WaveGone,
                         testing::Values("EPIPE", "ESTRPIPE", "ENODEV", "EBADFD", "EIO",
                                         "disconnected", "delay"));
