// The PortAudio devices on the file-backed ALSA device of tests/alsa-test.conf: what is played
// arrives byte for byte in a file, and what is recorded is what another file supplied.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "core/audio/AudioEventTarget.h"
#include "core/audio/CompletionQueue.h"
#include "core/audio/PlaybackSession.h"
#include "core/audio/RecordingSession.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "platform/audio/PortAudioBackend.h"
#include "support/SampleMaker.h"
#include "support/TempDir.h"

namespace {

using std::chrono::seconds;

class Window : public AudioEventTarget {
public:
    CompletionDispatcher& Dispatcher() override { return queue; }
    void OnPlayDone() override { ++done; }
    void OnRecordData(RecordHeader* h) override { header = h; }

    CompletionQueue queue;
    int done = 0;
    RecordHeader* header = nullptr;
};

std::vector<uint8_t> Pattern(size_t bytes, unsigned multiplier) {
    std::vector<uint8_t> out(bytes);
    for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(i * multiplier + (i >> 8));
    return out;
}

class FileBackedDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (getenv("ALSA_CONFIG_PATH") == nullptr)
            GTEST_SKIP() << "needs tests/alsa-test.conf";
        out = dir.File("played.raw");
        in = dir.File("supplied.raw");
        setenv("ORVEX_TEST_AUDIO_OUT", out.c_str(), 1);
        setenv("ORVEX_TEST_AUDIO_IN", in.c_str(), 1);
        // Without its input file the capture side does not open at all.
        WriteBytes(in, Pattern(4096, 1));
    }

    // Plays [first, last] and waits for the device to report the end.
    void PlayAndWait(SampleBuffer& sample, uint32_t first, uint32_t last, uint32_t lastFrame) {
        PlaybackSession playback(sample, backend);
        ASSERT_EQ(playback.Play(&window, kDefaultAudioDevice, first, last), 0);
        ASSERT_TRUE(window.queue.RunNext(seconds(20)));
        EXPECT_EQ(window.done, 1);
        EXPECT_EQ(playback.ClosePlay(), 0u);
        EXPECT_EQ(playback.GetPlayPosition(), lastFrame);
    }

    uint16_t RecordAndWait(SampleBuffer& sample, uint32_t blockBytes) {
        RecordingSession recording(sample, backend, messages);
        const uint16_t started = recording.Record(&window, blockBytes, kDefaultAudioDevice);
        if (started != 1)
            return 0;
        EXPECT_TRUE(window.queue.RunNext(seconds(20)));
        return window.header ? recording.RecordBufferDone(window.header) : 0;
    }

    TempDir dir;
    std::string out;
    std::string in;
    PortAudioBackend backend;
    RecordingMessageSink messages;
    Window window;
};

TEST_F(FileBackedDeviceTest, PlayedRangesArriveByteForByte) {
    SampleBuffer mono8;
    const auto bytes = Pattern(30000, 7);
    SetBytes(mono8, 5, bytes, 8000);
    PlayAndWait(mono8, 123, 20122, 20122);
    EXPECT_EQ(ReadBytes(out), std::vector<uint8_t>(bytes.begin() + 123, bytes.begin() + 20123));

    SampleBuffer stereo16;
    const auto wide = Pattern(4 * 11025, 13);
    SetBytes(stereo16, 10, wide, 44100);
    window.done = 0;
    PlayAndWait(stereo16, 0xFFFFFFFFu, 0xFFFFFFFFu, 11024);
    EXPECT_EQ(ReadBytes(out), wide);
}

TEST_F(FileBackedDeviceTest, RecordingHoldsWhatTheInputSupplied) {
    const auto supplied = Pattern(100000, 11);
    WriteBytes(in, supplied);
    SampleBuffer sample;
    sample.SetFormat(8000, true, true);
    ASSERT_EQ(RecordAndWait(sample, 8000 * 4), 1);
    EXPECT_FALSE(sample.IsLent());
    EXPECT_EQ(sample.GetByteLength(), 32000u);
    EXPECT_EQ(Bytes(sample), std::vector<uint8_t>(supplied.begin(), supplied.begin() + 32000));

    // A block that is not a whole number of frames keeps its whole frames only.
    SampleBuffer odd;
    odd.SetFormat(11025, false, true);
    window.header = nullptr;
    ASSERT_EQ(RecordAndWait(odd, 4001), 1);
    EXPECT_EQ(odd.GetByteLength(), 4000u);
    EXPECT_EQ(Bytes(odd), std::vector<uint8_t>(supplied.begin(), supplied.begin() + 4000));
}

TEST_F(FileBackedDeviceTest, StoppedRecordingIsTrimmedToWholeFramesOfTheInput) {
    const auto supplied = Pattern(50000 * 4 * 4, 5);
    WriteBytes(in, supplied);
    SampleBuffer sample;
    RecordingSession sampleRecording(sample, backend, messages);
    sample.SetFormat(50000, true, true);
    ASSERT_EQ(sampleRecording.Record(&window, 50000 * 4 * 4, -1), 1);
    sampleRecording.StopRecord();
    ASSERT_TRUE(window.queue.RunNext(seconds(20)));
    ASSERT_EQ(sampleRecording.RecordBufferDone(window.header), 1);
    const uint32_t length = sample.GetByteLength();
    EXPECT_LE(length, 50000u * 4 * 4);
    EXPECT_EQ(length % 4, 0u);
    EXPECT_EQ(Bytes(sample), std::vector<uint8_t>(supplied.begin(), supplied.begin() + length));
}

TEST_F(FileBackedDeviceTest, ClosingOrDestroyingWhileTheDeviceRunsEndsItsThread) {
    SampleBuffer playing;
    PlaybackSession playingPlayback(playing, backend);
    SetBytes(playing, 10, Pattern(4 * 50000 * 20, 3), 50000);
    ASSERT_EQ(playingPlayback.Play(&window, -1, 0xFFFFFFFFu, 0xFFFFFFFFu), 0);
    EXPECT_EQ(playingPlayback.PausePlay(), 0u);
    EXPECT_EQ(playingPlayback.ClosePlay(), 0u);  // stops the block within a period
    EXPECT_FALSE(playingPlayback.IsPlaying());
    window.queue.RunPending();
    EXPECT_EQ(window.done, 0);  // nothing is posted by a close

    WriteBytes(in, Pattern(1000, 1));
    {
        SampleBuffer recording;
        RecordingSession recordingRecording(recording, backend, messages);
        ASSERT_EQ(recordingRecording.Record(&window, 50000 * 4 * 20, -1), 1);
        SampleBuffer alsoPlaying;
        PlaybackSession alsoPlayingPlayback(alsoPlaying, backend);
        SetBytes(alsoPlaying, 5, Pattern(8000 * 20, 1), 8000);
        ASSERT_EQ(alsoPlayingPlayback.Play(&window, -1, 0xFFFFFFFFu, 0xFFFFFFFFu), 0);
    }
    window.queue.RunPending();
    EXPECT_EQ(window.done, 0);
    EXPECT_EQ(window.header, nullptr);
}

TEST_F(FileBackedDeviceTest, RefusedFormatsAndUnknownDevicesGiveTheirCodes) {
    SampleBuffer sample;
    PlaybackSession samplePlayback(sample, backend);
    RecordingSession sampleRecording(sample, backend, messages);
    SetBytes(sample, 5, Pattern(100, 1));
    sample.SetFormat(50001, false, false);
    EXPECT_EQ(samplePlayback.Play(&window, -1, 0, 99), 32);
    EXPECT_EQ(sampleRecording.Record(&window, 100, -1), 0);
    SetBytes(sample, 5, Pattern(100, 1));
    EXPECT_EQ(samplePlayback.Play(&window, 1000, 0, 99), 2);
    EXPECT_EQ(sampleRecording.Record(&window, 100, 1000), 0);
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{
                  "Could not open wave input device. Device does not support the recording format.",
                  "Could not open wave input device. Device is out of range."}));
    EXPECT_FALSE(samplePlayback.IsPlaying());
    EXPECT_FALSE(sampleRecording.IsRecording());
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
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // past the sound's length
    const auto start = std::chrono::steady_clock::now();
    EXPECT_LE(playback.GetPlayPosition(), 47999u);
    // Play pressed again: pause, read the cursor, reset; the block comes back as failed.
    EXPECT_EQ(playback.PausePlay(), 0u);
    playback.GetPlayPosition();
    EXPECT_EQ(playback.ResetPlay(), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    ASSERT_TRUE(window.queue.RunNext(seconds(1)));
    EXPECT_EQ(playback.GetBlockResult(), uint32_t{kAudioError});
    EXPECT_FALSE(playback.IsPlaying());
    // Closing the pipe makes the stuck write fail (not kill the test), so the writer that was
    // left behind ends and closes its stream.
    std::signal(SIGPIPE, SIG_IGN);
    ::close(reader);
}

}  // namespace
