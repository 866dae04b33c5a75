// The output and input devices over a stream that misbehaves the way real devices do: one that
// stops answering, one that fails part-way, one whose clock runs ahead of what was heard. The
// batch tool's tests play and record on the audio system itself (tests/alsa-test.conf).
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "core/audio/CompletionQueue.h"
#include "platform/audio/PortAudioBackend.h"
#include "platform/audio/StreamInput.h"
#include "platform/audio/StreamOutput.h"

namespace {

using std::chrono::seconds;

// What a test sets and sees of its stream, which the device owns (and, once it has left a
// hung worker behind, that worker).
struct StreamScript {
    std::mutex mutex;
    std::condition_variable changed;
    int hangAtPeriod = -1;      // from this period on, Write/Read block until `released`
    bool abortUnblocks = true;  // ... or until Abort, when set
    int failAtPeriod = -1, periods = 0;
    bool released = false, aborted = false, gone = false;
    std::atomic<double> time{40.0};        // the stream's clock need not start at 0
    double timeStep = 0.0, latency = 0.0;  // what each period adds to the clock; the output's

    void Set(bool& flag) {
        std::lock_guard<std::mutex> lock(mutex);
        flag = true;
        changed.notify_all();
    }
    // Waits until `what` holds; the device's threads change it.
    bool Wait(const std::function<bool()>& what) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, seconds(10), what);
    }
    bool Period() {
        std::unique_lock<std::mutex> lock(mutex);
        const int period = periods++;
        time = time + timeStep;
        changed.notify_all();
        if (hangAtPeriod >= 0 && period >= hangAtPeriod)
            changed.wait(lock, [this] { return released || (abortUnblocks && aborted); });
        return period != failAtPeriod;
    }
};

class ScriptedStream : public BlockingStream {
public:
    explicit ScriptedStream(std::shared_ptr<StreamScript> script) : m_s(std::move(script)) {}
    ~ScriptedStream() override { m_s->Set(m_s->gone); }
    bool Start() override { return true; }
    void Stop() override {}
    void Abort() override { m_s->Set(m_s->aborted); }
    bool Write(const uint8_t*, uint32_t) override { return m_s->Period(); }
    bool Read(uint8_t* data, uint32_t frames) override {
        return std::fill(data, data + frames, 0x5A), m_s->Period();
    }
    double Time() override { return m_s->time; }
    double OutputLatency() override { return m_s->latency; }

private:
    std::shared_ptr<StreamScript> m_s;
};

constexpr uint32_t kRate = 1000;  // at 1000 Hz a frame is a millisecond
constexpr uint32_t kPeriod = 10;

// A device on a scripted stream; the output plays `block`, the input records into `buffer`.
struct Devices {
    explicit Devices(int hangAt = -1, bool abortUnblocks = true, int failAt = -1) {
        script->hangAtPeriod = hangAt, script->abortUnblocks = abortUnblocks;
        script->failAtPeriod = failAt;
    }
    // An output of `frameBytes`-byte frames that has taken `bytes` of the block.
    std::unique_ptr<StreamOutput> Output(uint32_t bytes, uint32_t frameBytes = 1) {
        auto out =
            std::make_unique<StreamOutput>(std::make_unique<ScriptedStream>(script), frameBytes,
                                           kRate, kPeriod, AudioCompletion{&queue, [] {}});
        EXPECT_EQ(out->Write(block.data(), bytes), uint32_t{kAudioOk});
        return out;
    }
    std::unique_ptr<StreamInput> Input() {
        auto in = std::make_unique<StreamInput>(std::make_unique<ScriptedStream>(script), 1,
                                                kPeriod, AudioCompletion{&queue, [] {}});
        EXPECT_EQ(in->AddBuffer(&header), uint32_t{kAudioOk});
        EXPECT_EQ(in->Start(), uint32_t{kAudioOk});
        return in;
    }
    bool WaitPeriods(int count) {
        return script->Wait([&] { return script->periods > count; });
    }

    std::shared_ptr<StreamScript> script = std::make_shared<StreamScript>();
    CompletionQueue queue;
    std::vector<uint8_t> block = std::vector<uint8_t>(4000, 1), buffer = std::vector<uint8_t>(100);
    RecordHeader header{buffer.data(), 100, 0};
};

TEST(StreamDeviceTest, ClosingNeverWaitsOnADeviceThatDoesNotAnswer) {
    uint32_t bytes = 0;
    for (bool abortUnblocks : {true, false}) {
        Devices devices(0, abortUnblocks);
        auto output = devices.Output(100);
        ASSERT_TRUE(devices.WaitPeriods(0));
        output->Close();
        EXPECT_TRUE(devices.script->aborted);
        EXPECT_FALSE(output->GetPositionBytes(bytes));  // a closed device has no position
        // Nothing is posted after Close, and the stream ends with whoever holds it last.
        devices.script->Set(devices.script->released);
        EXPECT_TRUE(devices.script->Wait([&] { return devices.script->gone; }));
        EXPECT_EQ(devices.script->periods, 1);  // nor does the worker write on once let go
        EXPECT_EQ(devices.queue.RunPending(), 0) << abortUnblocks;
    }
    // An input left behind never writes into the buffer again.
    Devices recording(0, false);
    auto input = recording.Input();
    ASSERT_TRUE(recording.WaitPeriods(0));
    input.reset();
    recording.script->Set(recording.script->released);
    ASSERT_TRUE(recording.script->Wait([&] { return recording.script->gone; }));
    EXPECT_EQ(recording.buffer, std::vector<uint8_t>(100, 0));
    EXPECT_EQ(recording.header.bytesRecorded, 0u);
}

TEST(StreamDeviceTest, AHungDeviceStoppedGivesItsBlockBackAsFailed) {
    Devices playing(0, false), recording(2, false);
    auto output = playing.Output(100);
    ASSERT_TRUE(playing.WaitPeriods(0));
    EXPECT_EQ(output->Reset(), uint32_t{kAudioOk});
    EXPECT_EQ(playing.queue.RunPending(), 1);
    EXPECT_EQ(output->BlockResult(), uint32_t{kAudioError});
    // The device it left behind takes no block again.
    EXPECT_EQ(output->Write(playing.block.data(), 100), uint32_t{kAudioError});

    auto input = recording.Input();
    ASSERT_TRUE(recording.WaitPeriods(2));
    EXPECT_EQ(input->Stop(), uint32_t{kAudioOk});
    EXPECT_EQ(recording.queue.RunPending(), 1);
    EXPECT_EQ(input->BlockResult(), uint32_t{kAudioError});
    // What was captured before the device stopped answering is kept.
    EXPECT_EQ(recording.header.bytesRecorded, 2 * kPeriod);
    playing.script->Set(playing.script->released);
    recording.script->Set(recording.script->released);
}

TEST(StreamDeviceTest, AFailurePartWayEndsTheBlockAndIsToldApartFromSuccess) {
    uint32_t bytes = 0, samples = 0;
    for (int failAt : {-1, 2}) {
        Devices devices(-1, true, failAt);
        auto output = devices.Output(100);
        ASSERT_TRUE(devices.queue.RunNext(seconds(10)));
        ASSERT_TRUE(output->GetPositionBytes(bytes));
        EXPECT_EQ(bytes, failAt < 0 ? 100 : failAt * kPeriod);
        EXPECT_EQ(output->BlockResult(), uint32_t{failAt < 0 ? kAudioOk : kAudioError});
    }
    Devices recording(-1, true, 3);
    auto input = recording.Input();
    ASSERT_TRUE(recording.queue.RunNext(seconds(10)));
    EXPECT_EQ(input->BlockResult(), uint32_t{kAudioError});
    EXPECT_EQ(recording.header.bytesRecorded, 3 * kPeriod);
    EXPECT_EQ(recording.buffer[3 * kPeriod - 1], 0x5A);
    EXPECT_EQ(recording.buffer[3 * kPeriod], 0);
    // Stopped while it records, an input keeps the periods read so far and gives the buffer back.
    Devices stopped(2);
    auto running = stopped.Input();
    ASSERT_TRUE(stopped.WaitPeriods(2));
    EXPECT_EQ(running->Stop(), uint32_t{kAudioOk});
    EXPECT_EQ(stopped.queue.RunPending(), 1);
    EXPECT_EQ(running->BlockResult(), uint32_t{kAudioOk});
    EXPECT_EQ(stopped.header.bytesRecorded, 3 * kPeriod);
    EXPECT_TRUE(running->GetPositionBytes(bytes) && running->GetPositionSamples(samples));
    EXPECT_TRUE(bytes == 3 * kPeriod && samples == 3 * kPeriod);
}

TEST(StreamDeviceTest, ThePositionIsWhatHasBeenHeardAndPauseFreezesIt) {
    // 2-byte frames, 10 ms a period; 0.8 s of latency. The writer is held in its 91st period,
    // after 1800 bytes (0.9 s), so the position is the writer's last reading of the clock
    // carried forward: 0.1 s heard, plus however long this thread takes to ask (under 0.8 s).
    Devices devices(90);
    devices.script->timeStep = 0.01;
    devices.script->latency = 0.8;
    auto output = devices.Output(2001, 2);
    ASSERT_TRUE(devices.WaitPeriods(90));
    uint32_t heard = 0, paused = 0, later = 0;
    ASSERT_TRUE(output->GetPositionBytes(heard));
    EXPECT_GE(heard, 198u);
    EXPECT_LT(heard, 1800u);
    EXPECT_EQ(heard % 2, 0u);
    // Paused, the position stays where the sound stopped even when the clock jumps on.
    EXPECT_EQ(output->Pause(), uint32_t{kAudioOk});
    ASSERT_TRUE(output->GetPositionBytes(paused));
    EXPECT_GE(paused, heard);
    devices.script->time = 1000.0;
    devices.script->Set(devices.script->released);
    ASSERT_TRUE(devices.script->Wait([&] { return devices.script->aborted; }));
    ASSERT_TRUE(output->GetPositionBytes(later));
    EXPECT_EQ(later, paused);
    EXPECT_EQ(output->Reset(), uint32_t{kAudioOk});
    ASSERT_TRUE(output->GetPositionBytes(later));
    EXPECT_EQ(later, 0u);

    // A block played to its end has been heard whole, whatever the latency.
    Devices healthy;
    healthy.script->latency = 100.0;
    auto played = healthy.Output(999, 2);
    ASSERT_TRUE(healthy.queue.RunNext(seconds(10)));
    ASSERT_TRUE(played->GetPositionBytes(heard));
    EXPECT_EQ(heard, 998u);
}

TEST(PortAudioBackendTest, RefusesUnknownDevicesAndUnplayableFormats) {
    if (getenv("ALSA_CONFIG_PATH") == nullptr)
        GTEST_SKIP() << "needs tests/alsa-test.conf";
    PortAudioBackend backend;
    std::unique_ptr<AudioOutput> out;
    std::unique_ptr<AudioInput> in;
    AudioFormat format;  // 22050 Hz 8-bit mono
    EXPECT_EQ(backend.OpenOutput(1000, format, {}, out), uint32_t{kAudioBadDeviceId});
    EXPECT_EQ(backend.OpenInput(1000, format, {}, in), uint32_t{kAudioBadDeviceId});
    format.samplesPerSecond = 50001;
    EXPECT_EQ(backend.OpenOutput(kDefaultAudioDevice, format, {}, out), uint32_t{kAudioBadFormat});
    EXPECT_EQ(backend.OpenInput(kDefaultAudioDevice, format, {}, in), uint32_t{kAudioBadFormat});
}

}  // namespace
