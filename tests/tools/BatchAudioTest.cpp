#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "support/TempDir.h"
#include "support/WaveBytes.h"
#include "tools/BatchRunner.h"

namespace {

std::vector<uint8_t> Pattern(size_t bytes, unsigned multiplier) {
    std::vector<uint8_t> out(bytes);
    for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(i * multiplier + (i >> 9));
    return out;
}

// The sample bytes of a WAV file written by the tool.
std::vector<uint8_t> WaveData(const std::string& path) {
    const auto file = ReadBytes(path);
    const std::string text(file.begin(), file.end());
    const size_t at = text.find("data");
    if (at == std::string::npos || at + 8 > file.size())
        return {};
    const uint32_t size = file[at + 4] | file[at + 5] << 8 | file[at + 6] << 16 |
                          static_cast<uint32_t>(file[at + 7]) << 24;
    return std::vector<uint8_t>(file.begin() + at + 8, file.begin() + at + 8 + size);
}

class BatchAudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* config = getenv("ALSA_CONFIG_PATH");
        if (config == nullptr)
            GTEST_SKIP() << "needs tests/alsa-test.conf";
        alsaConfig = config;
        out = dir.File("played.raw");
        in = dir.File("supplied.raw");
        setenv("ORVEX_TEST_AUDIO_OUT", out.c_str(), 1);
        setenv("ORVEX_TEST_AUDIO_IN", in.c_str(), 1);
        WriteBytes(in, Pattern(200000, 11));
    }
    void TearDown() override {
        unsetenv("ORVEX_DEVICE_PATIENCE_SECONDS");
        if (!alsaConfig.empty())
            setenv("ALSA_CONFIG_PATH", alsaConfig.c_str(), 1);
    }

    std::string Wave(const std::string& name, uint16_t channels, uint32_t rate, uint16_t bits,
                     const std::vector<uint8_t>& data) {
        const std::string path = dir.File(name);
        WriteBytes(path, WaveBytes::Simple(channels, rate, bits, data));
        return path;
    }

    TempDir dir;
    std::string alsaConfig;
    std::string out;
    std::string in;
};

TEST_F(BatchAudioTest, PlaysTheRangeByteForByte) {
    const auto bytes = Pattern(4 * 6000, 7);
    const std::string input = Wave("s.wav", 2, 22050, 16, bytes);
    BatchRun run = RunBatch({"--select", "1000:2999", "--play", input});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");  // no start-up chatter from the sound libraries
    EXPECT_EQ(ReadBytes(out), std::vector<uint8_t>(bytes.begin() + 4000, bytes.begin() + 12000));

    // Past the end the range is clipped to the last frame, as the view clips a selection.
    run = RunBatch({"--select", "5990:9999", "--play", input});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(out), std::vector<uint8_t>(bytes.end() - 40, bytes.end()));
}

TEST_F(BatchAudioTest, RecordingReplacesTheSoundWithWhatTheInputSupplied) {
    const std::string input = Wave("s.wav", 1, 8000, 8, Pattern(50, 3));
    const std::string saved = dir.File("r.wav");
    const BatchRun run = RunBatch({"--record", "2,11025,16,2", "--stat", "-o", saved, input});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "frames=22050 bytes=88200 rate=11025 bits=16 channels=2\n");
    const auto supplied = ReadBytes(in);
    EXPECT_EQ(WaveData(saved), std::vector<uint8_t>(supplied.begin(), supplied.begin() + 88200));
}

TEST_F(BatchAudioTest, RecordArgumentsAreCheckedBeforeAnythingRuns) {
    const std::string input = Wave("s.wav", 1, 8000, 8, Pattern(50, 3));
    for (const char* arg : {"2,8000,8", "x,8000,8,1", "-1,8000,8,1", "1,60000,8,1", "1,8000,12,1",
                            "1,8000,8,3", "1,0,8,1", ""}) {
        const BatchRun run = RunBatch({"--record", arg, input});
        EXPECT_EQ(run.status, 2) << arg;
        EXPECT_NE(run.err.find("--record takes SECONDS,RATE,BITS,CHANNELS"), std::string::npos)
            << run.err;
    }
}

TEST_F(BatchAudioTest, EmptyRecordingFailsWithoutAnySound) {
    const std::string input = Wave("s.wav", 1, 8000, 8, Pattern(50, 3));
    const BatchRun run = RunBatch({"--record", "0,8000,8,1", "--stat", input});
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "orvex-batch: the recording could not be started\n");
    EXPECT_EQ(run.out, "frames=0 bytes=0 rate=8000 bits=8 channels=1\n");
}

TEST_F(BatchAudioTest, WithoutASoundDeviceTheOpenFailsWithTheDriverMessage) {
    const std::string input = Wave("s.wav", 1, 8000, 8, Pattern(50, 3));
    // The system's configuration alone: a machine with no sound card has no device at all.
    setenv("ALSA_CONFIG_PATH", "/usr/share/alsa/alsa.conf", 1);
    const BatchRun record = RunBatch({"--record", "1,8000,8,1", input});
    if (record.status == 0)
        GTEST_SKIP() << "this machine has a sound card";
    EXPECT_EQ(record.status, 4);
    EXPECT_EQ(record.err,
              "Orvex: Could not open wave input device. No device driver present.\n"
              "orvex-batch: the recording could not be started\n");
    const BatchRun play = RunBatch({"--play", input});
    EXPECT_EQ(play.status, 4);
    EXPECT_EQ(play.err, "orvex-batch: could not play (device error 6)\n");
}

TEST_F(BatchAudioTest, AnOutputDeviceThatStopsAnsweringEndsTheToolWithExitFour) {
    // The device writes into a pipe that nobody reads: once the pipe and the device's own buffer
    // are full, its write never returns. The pipe is held open for reading, so the device's open
    // does not wait for a reader.
    const std::string fifo = dir.File("stuck.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    setenv("ORVEX_TEST_AUDIO_OUT", fifo.c_str(), 1);
    setenv("ORVEX_DEVICE_PATIENCE_SECONDS", "2", 1);
    // One second at 48000 Hz, 16-bit stereo: far more than a pipe holds.
    const std::string input = Wave("s.wav", 2, 48000, 16, Pattern(4 * 48000, 5));
    // What starting the tool and opening the device cost on this machine (much more under the
    // sanitizers), measured with a sound too short to fill the pipe.
    const std::string blip = Wave("blip.wav", 2, 48000, 16, Pattern(4 * 480, 5));
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(RunBatch({"--play", blip}).status, 0);
    const auto overhead = std::chrono::steady_clock::now() - start;

    start = std::chrono::steady_clock::now();
    const BatchRun run = RunBatch({"--play", input});
    const auto elapsed = std::chrono::steady_clock::now() - start;
    ::close(reader);
    EXPECT_EQ(run.status, 4);
    EXPECT_EQ(run.err, "orvex-batch: the output device stopped responding (device error 0)\n");
    // The sound's length and the patience, then a prompt stop and exit.
    EXPECT_LT(elapsed, overhead + std::chrono::seconds(1 + 2 + 2));
}

TEST_F(BatchAudioTest, UsageNamesTheAudioOperations) {
    const BatchRun help = RunBatch({"--help"});
    EXPECT_NE(help.out.find("--play"), std::string::npos);
    EXPECT_NE(help.out.find("--record SECONDS,RATE,BITS,CHANNELS"), std::string::npos);
    EXPECT_NE(help.out.find("4 an audio device failed"), std::string::npos);
}

}  // namespace
