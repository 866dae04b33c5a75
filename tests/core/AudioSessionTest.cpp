// Playback and recording sessions on a fake device the test drives by hand: what goes to the
// device, what comes back, and that every way out closes the device and returns the block.
#include <gtest/gtest.h>

#include <chrono>
#include <utility>

#include "core/audio/PlaybackSession.h"
#include "core/audio/RecordingSession.h"
#include "core/audio/SessionListener.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleHeap.h"
#include "support/FakeAudioBackend.h"
#include "support/SampleMaker.h"

namespace {

constexpr uint32_t kAll = 0xFFFFFFFFu;
using Texts = std::vector<std::string>;

struct Owner : SessionListener {
    void OnPlaybackEnded() override { ++playbackEnded; }
    void OnRecordingEnded() override { ++recordingEnded; }
    int playbackEnded = 0, recordingEnded = 0;
};

class AudioSessionTest : public ::testing::Test {
protected:
    AudioSessionTest() { playback.SetListener(&owner), recording.SetListener(&owner); }
    // Plays `bytes` of `layout` from `first` to `last`; the answer of Play.
    uint32_t Play(uint32_t layout, size_t bytes, uint32_t first = kAll, uint32_t last = kAll) {
        SetBytes(sample, layout, RampBytes(bytes), 44100);
        return playback.Play(&view, -1, first, last);
    }
    // Hands what the window received to the recording, as the progress dialog does.
    int DeliverAll() {
        view.queue.RunPending();
        int finished = 0;
        for (RecordHeader* header : view.headers) finished += recording.RecordBufferDone(header);
        view.headers.clear();
        return finished;
    }
    uint8_t Byte(uint32_t at) const { return std::as_const(sample).Data()[at]; }
    // Whether anything plays, records or holds the block, and how many devices are open.
    std::tuple<bool, bool, bool, int> State() const {
        return {playback.IsPlaying(), recording.IsRecording(), sample.IsLent(), backend.log.Live()};
    }
    const std::tuple<bool, bool, bool, int> kIdle{false, false, false, 0};

    FakeAudioBackend backend;
    CountingTarget view;
    RecordingMessageSink messages;
    Owner owner;
    SampleBuffer sample;
    PlaybackSession playback{sample, backend};
    RecordingSession recording{sample, backend, messages};
};

TEST_F(AudioSessionTest, PlaysTheSoundsOwnBytesInItsOwnFormat) {
    ASSERT_EQ(Play(kLayoutStereo16, 400), 0u);
    const AudioFormat& f = backend.lastFormat;
    EXPECT_EQ(std::tuple(backend.lastDevice, f.formatTag, f.channels, f.samplesPerSecond,
                         f.averageBytesPerSecond, f.blockAlign, f.bitsPerSample, f.extraSize),
              std::tuple(-1, 1, 2, 44100u, 176400u, 4, 16, 0));
    playback.ClosePlay();
    // The block is the sound's own memory, cut to the range by the frame size.
    const std::tuple<uint32_t, uint32_t, uint32_t, uint32_t, uint32_t> ranges[] = {
        {kLayoutStereo16, 10, 19, 40, 40},
        {kLayoutMono8, 7, 7, 7, 1},
        {kLayoutMono16, 0, 0, 0, 2},
        {kLayoutMono16, kAll, kAll, 0, 120}};
    for (const auto& [layout, first, last, offset, bytes] : ranges) {
        ASSERT_EQ(Play(layout, 120, first, last), 0u);
        EXPECT_EQ(std::tuple(backend.output->block, backend.output->blockBytes),
                  std::tuple(std::as_const(sample).Data() + offset, bytes));
        playback.ClosePlay();
    }
    EXPECT_EQ(State(), kIdle);
}

TEST_F(AudioSessionTest, RefusedPlaysOpenNothingAndSayNothing) {
    EXPECT_EQ(playback.Play(&view, -1, kAll, kAll), 1u);  // no block
    // A range outside the 10 frames, a reversed one, and a block of no bytes.
    const std::tuple<size_t, uint32_t, uint32_t> ranges[] = {
        {20, 5, 10}, {20, 6, 5}, {0, kAll, kAll}};
    for (auto [bytes, first, last] : ranges) {
        EXPECT_EQ(Play(kLayoutMono16, bytes, first, last), 1u) << first << ".." << last;
        EXPECT_EQ(State(), kIdle);
    }
    for (uint32_t code : {2u, 32u}) {
        backend.openResult = code;
        EXPECT_EQ(Play(kLayoutMono8, 10), code);  // the device's own answer
    }
    backend.openResult = kAudioOk;
    sample.SetFormat(60000, false, false);  // a rate the devices do not take
    EXPECT_EQ(playback.Play(&view, -1, kAll, kAll), 32u);
    backend.writeResult = kAudioNoMemory;  // a failed write closes the device again
    EXPECT_EQ(Play(kLayoutMono8, 10), uint32_t{kAudioNoMemory});
    EXPECT_EQ(State(), kIdle);
    EXPECT_EQ(owner.playbackEnded, 0);  // Play's answer says it already
    EXPECT_TRUE(messages.Shown().empty());
    // Controls without a device answer that there is none.
    const uint32_t none = kAudioInvalidHandle;
    EXPECT_EQ(std::tuple(playback.PausePlay(), playback.ResetPlay(), playback.ClosePlay()),
              std::tuple(none, none, none));
    EXPECT_EQ(playback.GetPlayPosition(), 0u);
}

TEST_F(AudioSessionTest, PositionPauseResetAndTheEnd) {
    ASSERT_EQ(Play(kLayoutStereo16, 400, 10, 59), 0u);
    EXPECT_EQ(playback.Play(&view, -1, 0, 9), 1u);  // a second Play leaves the first running
    EXPECT_EQ(backend.log.opened, 1);
    EXPECT_EQ(playback.GetPlayPosition(), 10u);
    backend.output->position = 7;  // one whole frame and three bytes of the next
    EXPECT_EQ(playback.GetPlayPosition(), 11u);
    backend.output->position = 200;
    EXPECT_EQ(playback.GetPlayPosition(), 60u);
    backend.output->Finish();
    EXPECT_TRUE(view.queue.RunNext(std::chrono::milliseconds(0)));
    EXPECT_EQ(std::tuple(view.playDone, playback.GetBlockResult()),
              std::tuple(1, uint32_t{kAudioOk}));
    EXPECT_EQ(playback.ClosePlay(), 0u);
    EXPECT_EQ(playback.GetPlayPosition(), 59u);  // once closed, the end frame
    // Stopping early: the view pauses, reads the cursor, then resets; the completion arrives
    // as a queued call, not inside Reset.
    ASSERT_EQ(Play(kLayoutMono16, 2000), 0u);
    backend.output->position = 2 * 321;
    EXPECT_EQ(playback.PausePlay(), 0u);
    EXPECT_TRUE(backend.output->paused);
    EXPECT_EQ(playback.GetPlayPosition(), 321u);
    EXPECT_EQ(playback.ResetPlay(), 0u);
    EXPECT_EQ(std::tuple(playback.IsPlaying(), view.playDone), std::tuple(true, 1));
    EXPECT_EQ(view.queue.RunPending(), 1);
    EXPECT_EQ(view.playDone, 2);
    playback.ClosePlay();
    EXPECT_EQ(playback.GetPlayPosition(), 999u);
    // Without a target nothing is delivered.
    ASSERT_EQ(playback.Play(nullptr, -1, kAll, kAll), 0u);
    backend.output->Finish();
    EXPECT_EQ(view.queue.RunPending(), 0);
    playback.ClosePlay();
    EXPECT_EQ(State(), kIdle);
    EXPECT_EQ(owner.playbackEnded, 0);
}

TEST_F(AudioSessionTest, ADeviceFailingMidBlockIsClosedAndTheOwnerTold) {
    ASSERT_EQ(Play(kLayoutMono8, 100), 0u);
    backend.output->position = 30;
    backend.output->Fail();
    EXPECT_TRUE(playback.IsPlaying());  // until the completion arrives on the target's thread
    EXPECT_EQ(view.queue.RunPending(), 1);
    EXPECT_EQ(playback.GetBlockResult(), uint32_t{kAudioError});
    EXPECT_EQ(State(), kIdle);
    EXPECT_EQ(owner.playbackEnded, 1);
    EXPECT_EQ(view.playDone, 1);             // the target still learns that the block came back
    ASSERT_EQ(Play(kLayoutMono8, 100), 0u);  // and a new block starts with a clean result
    EXPECT_EQ(playback.GetBlockResult(), uint32_t{kAudioOk});
}

TEST_F(AudioSessionTest, ReplacingOrDestroyingTheBlockStopsPlaybackFirst) {
    ASSERT_EQ(Play(kLayoutMono8, 100), 0u);
    sample.ResizeBytes(1 << 20);  // may move the block
    EXPECT_EQ(State(), kIdle);
    EXPECT_GE(backend.log.resets, 1);
    // The reset posted "done" before the close; it must not reach the window afterwards, where
    // it could close a playback started since.
    ASSERT_EQ(playback.Play(&view, -1, 0, 9), 0u);
    view.queue.RunPending();
    EXPECT_EQ(std::tuple(view.playDone, playback.IsPlaying()), std::tuple(0, true));
    for (auto replace : {+[](SampleBuffer& s) { s.FreeBlock(); },
                         +[](SampleBuffer& s) { s.AdoptBlock(nullptr, 0); },
                         +[](SampleBuffer& s) { s.ResizeFrames(3); }}) {
        ASSERT_EQ(Play(kLayoutMono8, 100), 0u);
        replace(sample);
        EXPECT_EQ(State(), kIdle);
    }
}

TEST_F(AudioSessionTest, RecordingKeepsExactlyWhatTheDeviceReturned) {
    SetBytes(sample, kLayoutMono8, {1, 2, 3});
    sample.SetFormat(22050, true, true);
    const uint32_t block = 22050 * 4 * 10;
    ASSERT_EQ(recording.Record(&view, block, kDefaultAudioDevice), 1u);
    EXPECT_EQ(sample.GetByteLength(), block);
    EXPECT_EQ(backend.lastFormat.averageBytesPerSecond, 88200u);
    const RecordHeader& header = *backend.input->header;
    EXPECT_EQ(std::tuple(static_cast<const uint8_t*>(header.data), header.bufferLength),
              std::tuple(std::as_const(sample).Data(), block));
    EXPECT_DOUBLE_EQ(recording.GetRecordFraction(), 0.0);
    backend.input->Capture(176403, 0x5A);  // about two seconds, not a whole frame
    EXPECT_EQ(recording.GetRecordSamplePosition(), 44100u);
    EXPECT_DOUBLE_EQ(recording.GetRecordFraction(), 176403.0 / block);
    // Record again while recording acts as a stop; the buffer stays until it comes back.
    EXPECT_EQ(recording.Record(&view, 5000, -1), 0u);
    EXPECT_EQ(State(), std::tuple(false, true, true, 1));
    EXPECT_EQ(sample.GetByteLength(), block);
    EXPECT_EQ(DeliverAll(), 1);
    EXPECT_EQ(State(), kIdle);
    EXPECT_EQ(std::tuple(recording.GetRecordedBytes(), sample.GetByteLength()),
              std::tuple(176403u, 176403u));
    EXPECT_EQ(Byte(176402), static_cast<uint8_t>(176402 ^ 0x5A));
    // A full buffer keeps the whole block; once finished there is no device to ask.
    sample.SetFormat(8000, false, false);
    ASSERT_EQ(recording.Record(&view, 8000, -1), 1u);
    backend.input->Capture(2000, 0);
    EXPECT_DOUBLE_EQ(recording.GetRecordFraction(), 0.25);
    backend.input->Fill(0x80);
    EXPECT_EQ(DeliverAll(), 1);
    EXPECT_EQ(sample.GetByteLength(), 8000u);
    EXPECT_EQ(Byte(7999), static_cast<uint8_t>(7999 ^ 0x80));
    EXPECT_DOUBLE_EQ(recording.GetRecordFraction(), 0.0);
    EXPECT_EQ(recording.GetRecordSamplePosition(), 0u);
    EXPECT_EQ(owner.recordingEnded, 0);
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(AudioSessionTest, RecordingEndedEarlyKeepsWhatWasCaptured) {
    sample.SetFormat(8000, false, false);
    ASSERT_EQ(recording.Record(&view, 8000, -1), 1u);
    backend.input->Capture(1234, 0x33);
    backend.input->Fail();
    EXPECT_EQ(DeliverAll(), 1);
    EXPECT_EQ(recording.GetBlockResult(), uint32_t{kAudioError});
    EXPECT_EQ(State(), kIdle);
    EXPECT_EQ(sample.GetByteLength(), 1234u);
    EXPECT_EQ(Byte(1233), static_cast<uint8_t>(1233 ^ 0x33));
    EXPECT_EQ(owner.recordingEnded, 1);
    // Foreign and stale headers are ignored; Stop keeps what was recorded, drops late data and
    // tells the owner as a change of the block would.
    ASSERT_EQ(recording.Record(&view, 1000, -1), 1u);
    RecordHeader foreign;
    foreign.bytesRecorded = 50;
    EXPECT_EQ(recording.RecordBufferDone(&foreign) + recording.RecordBufferDone(nullptr), 0);
    EXPECT_EQ(recording.GetRecordedBytes(), 0u);
    backend.input->Capture(123, 1);
    recording.Stop();
    EXPECT_EQ(State(), kIdle);
    EXPECT_EQ(DeliverAll(), 0);
    EXPECT_EQ(sample.GetByteLength(), 123u);
    EXPECT_EQ(owner.recordingEnded, 2);
    // Recording stops playback before it frees the old sound.
    SetBytes(sample, kLayoutMono8, RampBytes(100));
    ASSERT_EQ(playback.Play(&view, -1, 0, 99), 0u);
    ASSERT_EQ(recording.Record(&view, 50, -1), 1u);
    EXPECT_EQ(State(), std::tuple(false, true, true, 1));
    recording.StopRecord();
    EXPECT_EQ(DeliverAll(), 1);
    EXPECT_EQ(view.playDone, 0);
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(AudioSessionTest, RecordingThatCannotStartSaysWhyAndLeavesNoSound) {
    const std::pair<uint32_t, const char*> cases[] = {
        {2, "Device is out of range."},
        {32, "Device does not support the recording format."},
        {33, "Unknown error"},
    };
    for (const auto& [code, reason] : cases) {
        messages.Clear();
        SetBytes(sample, kLayoutMono8, {9, 9, 9});
        backend.openResult = code;
        EXPECT_EQ(recording.Record(&view, 100, -1), 0u);
        EXPECT_EQ(messages.Texts(),
                  Texts{std::string("Could not open wave input device. ") + reason});
        EXPECT_EQ(messages.Shown()[0].title, MessageTitle::Application);
        EXPECT_FALSE(sample.HasBlock());  // no undefined bytes left in the old sound's place
    }
    backend.openResult = kAudioOk;
    messages.Clear();
    SetBytes(sample, kLayoutMono8, {1, 2, 3, 4});
    SampleHeap::Instance().SetLimitForTesting(1 << 20);
    EXPECT_EQ(recording.Record(&view, 0xFFFFFFFFu, -1), 0u);
    SampleHeap::Instance().ClearLimitForTesting();
    EXPECT_EQ(messages.Texts(), Texts{"Could not allocate enough memory"});
    EXPECT_EQ(messages.Shown()[0].title, MessageTitle::Untitled);
    EXPECT_FALSE(sample.HasBlock());
    EXPECT_EQ(backend.log.opened, 0);
    // An empty buffer, and a device whose start fails, end quietly with the device closed.
    messages.Clear();
    EXPECT_EQ(recording.Record(&view, 0, -1), 0u);
    struct FailingStart : FakeAudioBackend {
        uint32_t OpenInput(int d, const AudioFormat& f, AudioCompletion c,
                           std::unique_ptr<AudioInput>& out) override {
            const uint32_t r = FakeAudioBackend::OpenInput(d, f, std::move(c), out);
            input->startResult = kAudioError;
            return r;
        }
    } failing;
    RecordingSession other(sample, failing, messages);
    EXPECT_EQ(other.Record(&view, 100, -1), 0u);
    EXPECT_EQ(backend.log.Live() + failing.log.Live(), 0);
    EXPECT_TRUE(messages.Shown().empty());
    view.queue.RunPending();
    EXPECT_TRUE(view.headers.empty());
    // Without any audio system the driver is missing.
    NoAudioBackend none;
    RecordingSession noRecording(sample, none, messages);
    PlaybackSession noPlayback(sample, none);
    EXPECT_EQ(noRecording.Record(&view, 100, -1), 0u);
    EXPECT_EQ(messages.Texts(),
              Texts{"Could not open wave input device. No device driver present."});
    SetBytes(sample, kLayoutMono8, {1});
    EXPECT_EQ(noPlayback.Play(&view, -1, 0, 0), 6u);
}

}  // namespace
