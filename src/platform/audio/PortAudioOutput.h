#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "core/audio/AudioDevice.h"
#include "platform/audio/PortAudioSession.h"

typedef void PaStream;

// An output device: a worker thread writes the one block with blocking writes of one period
// each, so pause, reset and close take effect within a period. The worker touches only the
// block and the counters; the position is read through an atomic.
class PortAudioOutput : public AudioOutput {
public:
    PortAudioOutput(std::unique_ptr<PortAudioSession> session, PaStream* stream,
                    uint32_t frameBytes, uint32_t periodFrames, AudioCompletion done);
    ~PortAudioOutput() override;

    uint32_t Write(const uint8_t* data, uint32_t bytes) override;
    uint32_t Pause() override;
    uint32_t Reset() override;
    uint32_t Close() override;
    bool GetPositionBytes(uint32_t& bytes) override;

private:
    void Run();
    void StopWorker();

    std::unique_ptr<PortAudioSession> m_session;
    PaStream* m_stream;
    const uint32_t m_frameBytes;
    const uint32_t m_periodFrames;
    AudioCompletion m_done;
    const uint8_t* m_block = nullptr;
    uint32_t m_blockBytes = 0;
    std::thread m_worker;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_paused = false;  // guarded by m_mutex
    std::atomic<bool> m_abort{false};
    std::atomic<bool> m_closing{false};
    std::atomic<uint32_t> m_position{0};
};
