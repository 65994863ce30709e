// The wave tests play through ALSA into a file, on a null device that takes frames at once or on
// a timed test device that takes them at the stream's rate, as a sound card does.
#pragma once

#include "platform/win_api.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

constexpr unsigned SoundBytes = 4800;           // 2,400 stereo frames of 8 bits
constexpr double SoundSeconds = 2400 / 11025.0; // about 0.22 s

class WaveTest : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Points ALSA at a fresh configuration whose default device is `definition`.
    void UseDefaultDevice(const std::string& definition);
    void UseNullDevice();
    // staleDelay: the device goes on reporting a delay once it has run out.
    void UseTimedDevice(bool staleDelay = false);
    // The timed device, which goes away at LeaveDevice, its calls failing as `gone` says (see
    // timed_pcm.cpp), and can be opened again after ReturnDevice. Opens() counts the tries.
    // Between HoldOpens and ReleaseOpen a try to open it waits, from its start (counted) on.
    void UseGoingDevice(const std::string& gone);
    void LeaveDevice();
    void ReturnDevice();
    int Opens() const;
    void HoldOpens();
    void ReleaseOpen();
    // The going device opened and played once, then gone, as found by a write (refused); lostAt
    // is just before that write. The tries to open it so far.
    int PlayThenLose(const std::string& gone);

    // The bounce format: 8-bit unsigned PCM, 2 channels, 11,025 Hz.
    static WAVEFORMATEX BounceFormat();
    MMRESULT Open();
    MMRESULT Prepare();
    MMRESULT Write();

    // What the file device received; complete once the device is closed.
    std::vector<unsigned char> Captured() const;
    // `count` copies of the sound, end to end, as ALSA is handed it: each 8-bit sample b as the
    // 16-bit one (b - 128) * 256, in the machine's byte order.
    std::vector<unsigned char> Copies(unsigned count) const;

    double lostAt = 0;
    HWAVEOUT device = nullptr;
    WAVEHDR header{};
    std::vector<unsigned char> sound;

  private:
    std::string dir;
    std::string capture;
    std::string config;
    int configs = 0;
    std::string goneFile;
    std::string opensFile;
    std::string heldFile;
};

// The signals that the threads of the process named `name` block, one bit each (bit n - 1 for
// signal n) as the system reports them; one mask per thread.
std::vector<unsigned long long> BlockedSignals(const std::string& name);

// Asks `done` every 5 ms until it holds, for 5 s at most: whether it held.
bool WaitUntil(const std::function<bool()>& done);

// Sleeps for the given number of seconds.
void Wait(double seconds);

// Seconds on the monotonic clock.
double Now();
