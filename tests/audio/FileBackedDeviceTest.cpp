// The PortAudio devices on the file-backed ALSA device of tests/alsa-test.conf: what is played
// arrives byte for byte in a file, and what is recorded is what another file supplied. The
// batch tool's tests play and record whole sounds on it; these stop, refuse and get stuck.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <thread>

#include "core/audio/PlaybackSession.h"
#include "core/audio/RecordingSession.h"
#include "core/messages/RecordingMessageSink.h"
#include "platform/audio/PortAudioBackend.h"
#include "support/FakeAudioBackend.h"
#include "support/SampleMaker.h"
#include "support/TempDir.h"

namespace {

using std::chrono::seconds;
using Bytes = std::vector<uint8_t>;

Bytes Pattern(size_t bytes, unsigned multiplier) {
    Bytes out(bytes);
    for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(i * multiplier + (i >> 8));
    return out;
}

constexpr uint32_t kAll = 0xFFFFFFFFu;  // a range end past every sound

class FileBackedDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (getenv("ALSA_CONFIG_PATH") == nullptr)
            GTEST_SKIP() << "needs tests/alsa-test.conf";
        setenv("ORVEX_TEST_AUDIO_OUT", out.c_str(), 1);
        setenv("ORVEX_TEST_AUDIO_IN", in.c_str(), 1);
        WriteBytes(in, supplied);  // without its input file the capture side does not open
    }

    TempDir dir;
    const std::string out = dir.File("played.raw");
    const std::string in = dir.File("supplied.raw");
    const Bytes supplied = Pattern(100000, 11);
    PortAudioBackend backend;
    RecordingMessageSink messages;
    CountingTarget window;
};

TEST_F(FileBackedDeviceTest, StoppedRecordingIsTrimmedToWholeFramesOfTheInput) {
    SampleBuffer sample;
    sample.SetFormat(50000, true, true);
    RecordingSession recording(sample, backend, messages);
    const Bytes longer = Pattern(50000 * 4 * 4, 5);  // more than the block, so never at its end
    WriteBytes(in, longer);
    ASSERT_EQ(recording.Record(&window, 50000 * 4 * 4, kDefaultAudioDevice), 1);
    recording.StopRecord();
    ASSERT_TRUE(window.queue.RunNext(seconds(20)));
    ASSERT_EQ(recording.RecordBufferDone(window.headers.at(0)), 1);
    const uint32_t length = sample.GetByteLength();
    EXPECT_EQ(length % 4, 0u);
    EXPECT_EQ(::Bytes(sample), Bytes(longer.begin(), longer.begin() + length));
}

TEST_F(FileBackedDeviceTest, RefusedFormatsAndUnknownDevicesGiveTheirCodes) {
    SampleBuffer sample;
    PlaybackSession playback(sample, backend);
    RecordingSession recording(sample, backend, messages);
    SetBytes(sample, 5, Pattern(100, 1));
    sample.SetFormat(50001, false, false);
    EXPECT_EQ(playback.Play(&window, kDefaultAudioDevice, 0, 99), 32);
    EXPECT_EQ(recording.Record(&window, 100, kDefaultAudioDevice), 0);
    SetBytes(sample, 5, Pattern(100, 1));
    EXPECT_EQ(playback.Play(&window, 1000, 0, 99), 2);
    EXPECT_EQ(recording.Record(&window, 100, 1000), 0);
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{
                  "Could not open wave input device. Device does not support the recording format.",
                  "Could not open wave input device. Device is out of range."}));
    EXPECT_FALSE(playback.IsPlaying());
    EXPECT_FALSE(recording.IsRecording());
}

TEST_F(FileBackedDeviceTest, AStuckDeviceNeverHoldsUpThePositionPauseOrStop) {
    // The device writes into a pipe nobody reads: once it is full, the writer is stuck inside
    // ALSA holding the lock that the stream's clock and abort need too.
    const std::string fifo = dir.File("stuck.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    setenv("ORVEX_TEST_AUDIO_OUT", fifo.c_str(), 1);
    SampleBuffer sample;
    SetBytes(sample, 10, Pattern(4 * 48000, 3), 48000);  // one second, far more than a pipe holds
    PlaybackSession playback(sample, backend);
    ASSERT_EQ(playback.Play(&window, kDefaultAudioDevice, 0, 47999), 0);
    // Stuck: the pipe holds so much that the device's next write does not fit.
    for (int queued = 0; queued + 8192 < ::fcntl(reader, F_GETPIPE_SZ);) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(::ioctl(reader, FIONREAD, &queued), 0);
    }
    EXPECT_LE(playback.GetPlayPosition(), 47999u);
    // Play pressed again: pause, read the cursor, reset; the block comes back as failed.
    EXPECT_EQ(playback.PausePlay(), 0u);
    playback.GetPlayPosition();
    EXPECT_EQ(playback.ResetPlay(), 0u);
    ASSERT_TRUE(window.queue.RunNext(seconds(10)));
    EXPECT_EQ(playback.GetBlockResult(), uint32_t{kAudioError});
    EXPECT_FALSE(playback.IsPlaying());
    // Closing the pipe makes the stuck write fail (not kill the test), so the writer that was
    // left behind ends and closes its stream.
    std::signal(SIGPIPE, SIG_IGN);
    ::close(reader);
}

}  // namespace
