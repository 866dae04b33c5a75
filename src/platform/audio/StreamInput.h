#pragma once

#include <memory>

#include "core/audio/AudioDevice.h"
#include "platform/audio/StreamWorker.h"

// An input device: a worker fills the one queued buffer through a blocking stream one period at
// a time, so stop, reset and close take effect within a period, and never wait on a device that
// stops answering. The position counts the frames captured so far.
class StreamInput : public AudioInput {
public:
    StreamInput(std::unique_ptr<BlockingStream> stream, uint32_t frameBytes, uint32_t periodFrames,
                AudioCompletion data);
    ~StreamInput() override;

    uint32_t AddBuffer(RecordHeader* header) override;
    uint32_t Start() override;
    uint32_t Stop() override;
    uint32_t Reset() override;
    uint32_t Close() override;
    bool GetPositionBytes(uint32_t& bytes) override;
    bool GetPositionSamples(uint32_t& samples) override;
    uint32_t BlockResult() const override;

private:
    // Ends the worker, or returns a buffer that was queued but never started.
    void ReturnBuffer();

    const uint32_t m_frameBytes;
    const uint32_t m_periodFrames;
    RecordHeader* m_header = nullptr;        // queued and not yet returned
    std::unique_ptr<StreamWorker> m_worker;  // nullptr once closed
};
