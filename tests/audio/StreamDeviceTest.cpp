// The output and input devices over a stream that misbehaves the way real devices do: one that
// stops answering, one that fails part-way, one with a latency between writing and hearing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/audio/CompletionQueue.h"
#include "platform/audio/StreamInput.h"
#include "platform/audio/StreamOutput.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// What a test sets and sees of its stream, which the device owns (and, once it has left a
// hung worker behind, that worker).
struct StreamScript {
    std::mutex mutex;
    std::condition_variable changed;
    int hangAtPeriod = -1;      // from this period on, Write/Read block until `released`
    bool abortUnblocks = true;  // ... or until Abort, when set
    bool released = false;
    bool aborted = false;
    bool gone = false;  // the stream was destroyed
    int failAtPeriod = -1;
    int periods = 0;
    std::atomic<double> time{0.0};  // read by the worker too
    double latency = 0.0;
    uint8_t fill = 0x5A;

    void Release() {
        std::lock_guard<std::mutex> lock(mutex);
        released = true;
        changed.notify_all();
    }
    // Waits until the device has started more than `count` periods.
    bool WaitPeriods(int count) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, seconds(5), [&] { return periods > count; });
    }
    bool WaitGone(milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, timeout, [this] { return gone; });
    }
};

class ScriptedStream : public BlockingStream {
public:
    explicit ScriptedStream(std::shared_ptr<StreamScript> script) : m_script(std::move(script)) {}
    ~ScriptedStream() override {
        std::lock_guard<std::mutex> lock(m_script->mutex);
        m_script->gone = true;
        m_script->changed.notify_all();
    }
    bool Start() override { return true; }
    void Stop() override {}
    void Abort() override {
        std::lock_guard<std::mutex> lock(m_script->mutex);
        m_script->aborted = true;
        m_script->changed.notify_all();
    }
    bool Write(const uint8_t*, uint32_t) override { return Period(); }
    bool Read(uint8_t* data, uint32_t frames) override {
        std::fill(data, data + frames, m_script->fill);
        return Period();
    }
    double Time() override { return m_script->time; }
    double OutputLatency() override { return m_script->latency; }

private:
    bool Period() {
        std::unique_lock<std::mutex> lock(m_script->mutex);
        const int period = m_script->periods++;
        m_script->changed.notify_all();
        if (period == m_script->failAtPeriod)
            return false;
        if (m_script->hangAtPeriod >= 0 && period >= m_script->hangAtPeriod) {
            m_script->changed.wait(lock, [this] {
                return m_script->released || (m_script->abortUnblocks && m_script->aborted);
            });
        }
        return true;
    }
    std::shared_ptr<StreamScript> m_script;
};

constexpr uint32_t kRate = 1000;  // 1-byte frames at 1000 Hz: a byte is a millisecond
constexpr uint32_t kPeriod = 10;

struct Devices {
    std::shared_ptr<StreamScript> script = std::make_shared<StreamScript>();
    CompletionQueue queue;
    int completions = 0;

    AudioCompletion Completion() {
        return {&queue, [this] { ++completions; }};
    }
    std::unique_ptr<StreamOutput> Output() {
        return std::make_unique<StreamOutput>(std::make_unique<ScriptedStream>(script), 1, kRate,
                                              kPeriod, Completion());
    }
    std::unique_ptr<StreamInput> Input() {
        return std::make_unique<StreamInput>(std::make_unique<ScriptedStream>(script), 1, kPeriod,
                                             Completion());
    }
};

// Runs `stop` on another thread; true when it returned within a bound no healthy stop needs.
template <class Stop>
bool ReturnsPromptly(Stop stop) {
    auto done = std::async(std::launch::async, stop);
    return done.wait_for(seconds(5)) == std::future_status::ready;
}

TEST(StreamDeviceTest, StopsNeverWaitOnADeviceThatDoesNotAnswer) {
    for (bool abortUnblocks : {true, false}) {
        SCOPED_TRACE(abortUnblocks ? "abort unblocks the write" : "nothing unblocks the write");
        Devices devices;
        devices.script->hangAtPeriod = 0;
        devices.script->abortUnblocks = abortUnblocks;
        auto output = devices.Output();
        std::vector<uint8_t> block(100, 1);
        ASSERT_EQ(output->Write(block.data(), 100), uint32_t{kAudioOk});
        ASSERT_TRUE(devices.script->WaitPeriods(0));
        EXPECT_TRUE(ReturnsPromptly([&] { output->Close(); }));
        EXPECT_TRUE(devices.script->aborted);
        // Nothing is posted after Close, and the stream ends with whoever holds it last.
        devices.script->Release();
        EXPECT_TRUE(devices.script->WaitGone(seconds(5)));
        EXPECT_EQ(devices.queue.RunPending(), 0);
    }
}

TEST(StreamDeviceTest, AHungInputNeverWritesIntoTheBufferAfterItWasLeftBehind) {
    Devices devices;
    devices.script->hangAtPeriod = 0;
    devices.script->abortUnblocks = false;
    auto input = devices.Input();
    std::vector<uint8_t> buffer(50, 0);
    RecordHeader header{buffer.data(), 50, 0};
    ASSERT_EQ(input->AddBuffer(&header), uint32_t{kAudioOk});
    ASSERT_EQ(input->Start(), uint32_t{kAudioOk});
    ASSERT_TRUE(devices.script->WaitPeriods(0));
    EXPECT_TRUE(ReturnsPromptly([&] { input->Stop(); }));
    input.reset();
    devices.script->Release();
    ASSERT_TRUE(devices.script->WaitGone(seconds(5)));
    EXPECT_EQ(buffer, std::vector<uint8_t>(50, 0));
    EXPECT_EQ(header.bytesRecorded, 0u);
}

TEST(StreamDeviceTest, AHungDeviceThatIsResetGivesItsBlockBackAsFailed) {
    Devices devices;
    devices.script->hangAtPeriod = 0;
    devices.script->abortUnblocks = false;
    auto output = devices.Output();
    std::vector<uint8_t> block(100, 1);
    ASSERT_EQ(output->Write(block.data(), 100), uint32_t{kAudioOk});
    ASSERT_TRUE(devices.script->WaitPeriods(0));
    EXPECT_TRUE(ReturnsPromptly([&] { output->Reset(); }));
    EXPECT_EQ(devices.queue.RunPending(), 1);
    EXPECT_EQ(output->BlockResult(), uint32_t{kAudioError});
    // The device it left behind takes no block again.
    EXPECT_EQ(output->Write(block.data(), 100), uint32_t{kAudioError});

    Devices recording;
    recording.script->hangAtPeriod = 2;
    recording.script->abortUnblocks = false;
    auto input = recording.Input();
    std::vector<uint8_t> buffer(100, 0);
    RecordHeader header{buffer.data(), 100, 0};
    ASSERT_EQ(input->AddBuffer(&header), uint32_t{kAudioOk});
    ASSERT_EQ(input->Start(), uint32_t{kAudioOk});
    ASSERT_TRUE(recording.script->WaitPeriods(2));
    EXPECT_TRUE(ReturnsPromptly([&] { input->Stop(); }));
    EXPECT_EQ(recording.queue.RunPending(), 1);
    EXPECT_EQ(input->BlockResult(), uint32_t{kAudioError});
    // What was captured before the device stopped answering is kept.
    EXPECT_EQ(header.bytesRecorded, 2 * kPeriod);
    devices.script->Release();
    recording.script->Release();
}

TEST(StreamDeviceTest, AFailurePartWayEndsTheBlockAndIsToldApartFromSuccess) {
    Devices devices;
    devices.script->failAtPeriod = 2;
    auto output = devices.Output();
    std::vector<uint8_t> block(100, 1);
    ASSERT_EQ(output->Write(block.data(), 100), uint32_t{kAudioOk});
    ASSERT_TRUE(devices.queue.RunNext(seconds(5)));
    EXPECT_EQ(output->BlockResult(), uint32_t{kAudioError});
    uint32_t bytes = 0;
    ASSERT_TRUE(output->GetPositionBytes(bytes));
    EXPECT_EQ(bytes, 2 * kPeriod);

    Devices healthy;
    auto played = healthy.Output();
    ASSERT_EQ(played->Write(block.data(), 100), uint32_t{kAudioOk});
    ASSERT_TRUE(healthy.queue.RunNext(seconds(5)));
    EXPECT_EQ(played->BlockResult(), uint32_t{kAudioOk});

    Devices recording;
    recording.script->failAtPeriod = 3;
    auto input = recording.Input();
    std::vector<uint8_t> buffer(100, 0);
    RecordHeader header{buffer.data(), 100, 0};
    ASSERT_EQ(input->AddBuffer(&header), uint32_t{kAudioOk});
    ASSERT_EQ(input->Start(), uint32_t{kAudioOk});
    ASSERT_TRUE(recording.queue.RunNext(seconds(5)));
    EXPECT_EQ(input->BlockResult(), uint32_t{kAudioError});
    EXPECT_EQ(header.bytesRecorded, 3 * kPeriod);
    EXPECT_EQ(buffer[3 * kPeriod - 1], 0x5A);
    EXPECT_EQ(buffer[3 * kPeriod], 0);
}

TEST(StreamDeviceTest, ThePositionIsWhatHasBeenHeardAndPauseFreezesIt) {
    using Clock = std::chrono::steady_clock;
    Devices devices;
    devices.script->latency = 0.125;
    devices.script->time = 40.0;  // the stream's clock need not start at 0
    devices.script->hangAtPeriod = 90;
    auto output = devices.Output();
    std::vector<uint8_t> block(1000, 1);
    // The device takes 900 bytes at once and then holds on to the writer, so the position is
    // never read from the stream itself (its clock may wait on the stuck writer): the writer's
    // last reading of the clock is carried forward. What is heard lags by the latency and never
    // passes what was written.
    ASSERT_EQ(output->Write(block.data(), 1000), uint32_t{kAudioOk});
    ASSERT_TRUE(devices.script->WaitPeriods(90));
    const Clock::time_point hung = Clock::now();
    uint32_t bytes = 0;
    ASSERT_TRUE(output->GetPositionBytes(bytes));
    EXPECT_LT(bytes, 900u);
    std::this_thread::sleep_for(milliseconds(300));
    ASSERT_TRUE(output->GetPositionBytes(bytes));
    const double since = std::chrono::duration<double>(Clock::now() - hung).count();
    EXPECT_GE(bytes, static_cast<uint32_t>((since - 0.125) * kRate) - 1);
    EXPECT_LE(bytes, 900u);

    EXPECT_EQ(output->Pause(), uint32_t{kAudioOk});
    uint32_t paused = 0;
    ASSERT_TRUE(output->GetPositionBytes(paused));
    std::this_thread::sleep_for(milliseconds(100));
    uint32_t later = 0;
    ASSERT_TRUE(output->GetPositionBytes(later));
    EXPECT_EQ(later, paused);
    EXPECT_GE(paused, bytes);
    EXPECT_EQ(output->Reset(), uint32_t{kAudioOk});
    ASSERT_TRUE(output->GetPositionBytes(paused));
    EXPECT_EQ(paused, 0u);

    // A writer that is not held: the clock is the stream's own, and a block played to its end
    // has been heard whole.
    Devices healthy;
    healthy.script->latency = 0.125;
    auto played = healthy.Output();
    ASSERT_EQ(played->Write(block.data(), 1000), uint32_t{kAudioOk});
    ASSERT_TRUE(healthy.queue.RunNext(seconds(5)));
    ASSERT_TRUE(played->GetPositionBytes(bytes));
    EXPECT_EQ(bytes, 1000u);
}

}  // namespace
