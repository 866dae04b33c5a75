#pragma once

#include <memory>

#include "core/audio/AudioDevice.h"
#include "platform/audio/StreamWorker.h"

// An output device: a worker writes the one block through a blocking stream one period at a
// time, so pause, reset and close take effect within a period, and never wait on a device that
// stops answering. The position is what has been heard: the stream's clock less its output
// latency, never more than what was written.
class StreamOutput : public AudioOutput {
public:
    StreamOutput(std::unique_ptr<BlockingStream> stream, uint32_t frameBytes,
                 uint32_t framesPerSecond, uint32_t periodFrames, AudioCompletion done);
    ~StreamOutput() override;

    uint32_t Write(const uint8_t* data, uint32_t bytes) override;
    uint32_t Pause() override;
    uint32_t Reset() override;
    uint32_t Close() override;
    bool GetPositionBytes(uint32_t& bytes) override;
    uint32_t BlockResult() const override;

private:
    uint32_t HeardBytes();

    const uint32_t m_frameBytes;
    const uint32_t m_framesPerSecond;
    const uint32_t m_periodFrames;
    uint32_t m_blockBytes = 0;
    bool m_frozen = false;  // paused: the position stays where the sound stopped
    uint32_t m_frozenBytes = 0;
    std::unique_ptr<StreamWorker> m_worker;  // nullptr once closed
};
