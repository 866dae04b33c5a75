#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "core/audio/AudioDevice.h"
#include "platform/audio/BlockingStream.h"

// The life of the one thread that moves a block between memory and a blocking stream, shared by
// the output and the input device: start a body, let it see a stop request at every period, park
// it (a paused output), stop it, and post the device's completion when the body ends unless the
// device is closing.
//
// Stopping never waits on a device that does not answer: the controlling thread has the stream
// aborted (on a thread of its own, since the abort itself may wait on the stuck device), and a
// body or abort still blocked after kStopTimeout is left behind. Such a body
// owns the stream from then on and closes it if it ever returns; it never touches the device's
// memory again, because a body reaches that memory only inside Touch, which refuses once the
// body has been left behind.
class StreamWorker {
public:
    static constexpr std::chrono::milliseconds kStopTimeout{400};

    // What the device and its thread share; it lives until both are done with it.
    class Shared {
    public:
        Shared(std::unique_ptr<BlockingStream> stream, AudioCompletion completion);

        BlockingStream& Stream() { return *m_stream; }
        // Runs `step` under the lock, unless the device has left the body behind (or, when
        // `whileStopping` is false, has asked it to end). Returns whether it ran.
        bool Touch(const std::function<void()>& step, bool whileStopping);
        bool StopRequested();
        // Whether the last body has returned.
        bool Finished();
        // Waits until the device asks the body to end.
        void ParkUntilStopped();
        void Fail() { m_result = kAudioError; }
        // Runs the body's call into the stream. The controlling thread reads the stream's clock
        // itself only while no such call runs: a call stuck in the device may hold a lock that
        // the clock needs too (ALSA's plugins do).
        template <typename Call>
        auto InStream(Call call) {
            std::lock_guard<std::mutex> lock(m_inStream);
            return call();
        }
        // The body notes the stream's clock after each call, for the controlling thread.
        void NoteClock(double streamTime);
        // The stream's clock for the controlling thread: read from the stream when no call
        // runs, else the body's last note carried forward by the steady clock.
        double Clock();

        std::atomic<bool> paused{false};
        std::atomic<uint32_t> bytesDone{0};
        std::atomic<double> startTime{0.0};

    private:
        friend class StreamWorker;
        std::unique_ptr<BlockingStream> m_stream;
        AudioCompletion m_completion;
        std::mutex m_mutex;
        std::condition_variable m_wake;
        bool m_stop = false;           // guarded by m_mutex
        bool m_abandoned = false;      // guarded by m_mutex
        bool m_finished = false;       // guarded by m_mutex
        bool m_abortReturned = false;  // guarded by m_mutex
        std::mutex m_inStream;
        std::mutex m_clockMutex;
        double m_clockTime = 0.0;                            // guarded by m_clockMutex
        std::chrono::steady_clock::time_point m_clockNoted;  // guarded by m_clockMutex
        std::atomic<bool> m_silenced{false};
        std::atomic<uint32_t> m_result{kAudioOk};
    };

    StreamWorker(std::unique_ptr<BlockingStream> stream, AudioCompletion completion);
    ~StreamWorker();
    StreamWorker(const StreamWorker&) = delete;
    StreamWorker& operator=(const StreamWorker&) = delete;

    // The stream, for the controlling thread; nullptr once a body has been left behind with it.
    BlockingStream* Stream();
    Shared& State() { return *m_shared; }

    // Runs `body` on a new thread, then posts the completion. False while a body still runs or
    // after one was left behind.
    bool Start(std::function<void(Shared&)> body);
    bool IsRunning() const { return m_thread.joinable(); }
    // Asks the body to end, aborts the stream, and waits for the body at most kStopTimeout.
    // A body that does not end in time is left behind: the block counts as failed
    // (kAudioError), `whenLeftBehind` runs, and the completion is posted from here unless the
    // device is closing, so its owner still gets the block back.
    void Stop(const std::function<void()>& whenLeftBehind = nullptr);
    // From now on no completion is posted: the device is closing.
    void Silence() { m_shared->m_silenced = true; }
    // Posts the completion now, unless silenced (a buffer returned without a body running).
    void PostCompletion() { Post(*m_shared); }
    // kAudioOk, or kAudioError when the device failed during the last block.
    uint32_t Result() const { return m_shared->m_result; }

private:
    static void Post(Shared& shared);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
    bool m_leftBehind = false;
};
