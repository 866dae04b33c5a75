#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "core/audio/AudioDevice.h"
#include "platform/audio/PortAudioSession.h"

typedef void PaStream;

// An input device: a worker thread fills the one queued buffer with blocking reads of one period
// each, so stop, reset and close take effect within a period. The worker touches only the
// buffer, its header and the counters; the position is read through an atomic.
class PortAudioInput : public AudioInput {
public:
    PortAudioInput(std::unique_ptr<PortAudioSession> session, PaStream* stream, uint32_t frameBytes,
                   uint32_t periodFrames, AudioCompletion data);
    ~PortAudioInput() override;

    uint32_t AddBuffer(RecordHeader* header) override;
    uint32_t Start() override;
    uint32_t Stop() override;
    uint32_t Reset() override;
    uint32_t Close() override;
    bool GetPositionBytes(uint32_t& bytes) override;
    bool GetPositionSamples(uint32_t& samples) override;

private:
    void Run();
    // Ends the worker, or returns a buffer that was queued but never started.
    void ReturnBuffer();
    void Deliver();

    std::unique_ptr<PortAudioSession> m_session;
    PaStream* m_stream;
    const uint32_t m_frameBytes;
    const uint32_t m_periodFrames;
    AudioCompletion m_data;
    RecordHeader* m_header = nullptr;  // queued and not yet returned
    std::thread m_worker;
    std::atomic<bool> m_abort{false};
    std::atomic<bool> m_closing{false};
    std::atomic<uint32_t> m_position{0};
};
