#include "wave/wave_test_support.h"

#include "platform/linux/sound/wave.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

void WaveTest::SetUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "wave-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    capture = dir + "/capture.raw";
    // Every byte differs from its neighbours, so a dropped or repeated frame shows.
    sound.resize(SoundBytes);
    for (unsigned i = 0; i < SoundBytes; ++i) {
        sound[i] = static_cast<unsigned char>((i * 31 + i / 256 + 7) & 0xFF);
    }
    header.lpData = reinterpret_cast<LPSTR>(sound.data());
    header.dwBufferLength = SoundBytes;
}

void WaveTest::TearDown() {
    CloseWaveOnExit();
    std::filesystem::remove_all(dir);
}

void WaveTest::UseDefaultDevice(const std::string& definition) {
    // A file of a new name each time: ALSA keeps a configuration it has read while the file's
    // time and size stay the same.
    config = dir + "/alsa" + std::to_string(++configs) + ".conf";
    std::ofstream(config) << "pcm_type.zvtimed { lib \"" TIMED_PCM_MODULE "\" }\n"
                          << "pcm.!default { " << definition << " }\n";
    setenv("ALSA_CONFIG_PATH", config.c_str(), 1);
}

void WaveTest::UseNullDevice() {
    UseDefaultDevice("type file slave { pcm { type null } } file \"" + capture +
                     "\" format \"raw\"");
}

void WaveTest::UseTimedDevice(bool staleDelay) {
    UseDefaultDevice(std::string("type file slave { pcm { type zvtimed stale_delay ") +
                     (staleDelay ? "true" : "false") + " } } file \"" + capture +
                     "\" format \"raw\"");
}

void WaveTest::UseGoingDevice(const std::string& gone) {
    goneFile = dir + "/gone";
    opensFile = dir + "/opens";
    heldFile = dir + "/held";
    UseDefaultDevice("type file slave { pcm { type zvtimed stale_delay " +
                     std::string(gone == "delay" ? "true" : "false") + " gone_file \"" + goneFile +
                     "\" gone_error \"" + gone + "\" opens_file \"" + opensFile +
                     "\" held_open \"" + heldFile + "\" } } file \"" + capture +
                     "\" format \"raw\"");
}

void WaveTest::HoldOpens() {
    ASSERT_EQ(mkfifo(heldFile.c_str(), 0600), 0);
}

// The FIFO goes first, so that the open let go doesn't wait again.
void WaveTest::ReleaseOpen() {
    const int fifo = open(heldFile.c_str(), O_WRONLY);
    std::filesystem::remove(heldFile);
    ASSERT_GE(fifo, 0);
    close(fifo);
}

void WaveTest::LeaveDevice() {
    std::ofstream{goneFile};
}

void WaveTest::ReturnDevice() {
    std::filesystem::remove(goneFile);
}

int WaveTest::Opens() const {
    std::ifstream in(opensFile);
    int count = 0;
    for (std::string line; std::getline(in, line);) {
        ++count;
    }
    return count;
}

int WaveTest::PlayThenLose(const std::string& gone) {
    UseGoingDevice(gone);
    EXPECT_EQ(Open(), MMSYSERR_NOERROR);
    EXPECT_EQ(Prepare(), MMSYSERR_NOERROR);
    EXPECT_EQ(Write(), MMSYSERR_NOERROR);
    Wait(SoundSeconds + 0.1);
    LeaveDevice();
    const int opens = Opens();
    lostAt = Now();
    EXPECT_EQ(Write(), MMSYSERR_NODRIVER);
    return opens;
}

WAVEFORMATEX WaveTest::BounceFormat() {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 11025;
    format.nAvgBytesPerSec = 22050;
    format.nBlockAlign = 2;
    format.wBitsPerSample = 8;
    return format;
}

MMRESULT WaveTest::Open() {
    const WAVEFORMATEX format = BounceFormat();
    return waveOutOpen(&device, 0, &format, 0, 0, 0);
}

MMRESULT WaveTest::Prepare() {
    return waveOutPrepareHeader(device, &header, sizeof(WAVEHDR));
}

MMRESULT WaveTest::Write() {
    return waveOutWrite(device, &header, sizeof(WAVEHDR));
}

std::vector<unsigned char> WaveTest::Captured() const {
    std::ifstream in(capture, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<unsigned char> WaveTest::Copies(unsigned count) const {
    std::vector<unsigned char> all;
    for (unsigned i = 0; i < count; ++i) {
        for (const unsigned char sample : sound) {
            const auto wide = static_cast<int16_t>((sample - 128) * 256);
            const auto* bytes = reinterpret_cast<const unsigned char*>(&wide);
            all.insert(all.end(), bytes, bytes + sizeof wide);
        }
    }
    return all;
}

std::vector<unsigned long long> BlockedSignals(const std::string& name) {
    std::vector<unsigned long long> masks;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::string comm;
        std::getline(std::ifstream(task.path() / "comm"), comm);
        std::ifstream status(task.path() / "status");
        for (std::string line; comm == name && std::getline(status, line);) {
            if (line.rfind("SigBlk:", 0) == 0) {
                masks.push_back(std::stoull(line.substr(7), nullptr, 16));
            }
        }
    }
    return masks;
}

bool WaitUntil(const std::function<bool()>& done) {
    for (const double deadline = Now() + 5; Now() < deadline; Wait(0.005)) {
        if (done()) {
            return true;
        }
    }
    return false;
}

void Wait(double seconds) {
    const auto whole = static_cast<time_t>(seconds);
    const timespec step{whole, static_cast<long>((seconds - static_cast<double>(whole)) * 1e9)};
    nanosleep(&step, nullptr);
}

double Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
