#pragma once

#include <memory>

#include "platform/audio/BlockingStream.h"
#include "platform/audio/PortAudioSession.h"

typedef void PaStream;

// A PortAudio stream opened in blocking mode; closed with this object.
class PaBlockingStream : public BlockingStream {
public:
    PaBlockingStream(std::unique_ptr<PortAudioSession> session, PaStream* stream);
    ~PaBlockingStream() override;

    bool Start() override;
    void Stop() override;
    void Abort() override;
    bool Write(const uint8_t* data, uint32_t frames) override;
    bool Read(uint8_t* data, uint32_t frames) override;
    double Time() override;
    double OutputLatency() override;

private:
    std::unique_ptr<PortAudioSession> m_session;
    PaStream* m_stream;
};
