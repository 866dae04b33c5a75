#include "platform/audio/PortAudioInput.h"

#include <portaudio.h>

#include <algorithm>

PortAudioInput::PortAudioInput(std::unique_ptr<PortAudioSession> session, PaStream* stream,
                               uint32_t frameBytes, uint32_t periodFrames, AudioCompletion data)
    : m_session(std::move(session)),
      m_stream(stream),
      m_frameBytes(frameBytes),
      m_periodFrames(periodFrames),
      m_data(std::move(data)) {}

PortAudioInput::~PortAudioInput() {
    Close();
}

uint32_t PortAudioInput::AddBuffer(RecordHeader* header) {
    if (m_stream == nullptr)
        return kAudioInvalidHandle;
    // One buffer at a time, and never an empty one: it could not be filled or returned.
    if (header == nullptr || header->data == nullptr || header->bufferLength < m_frameBytes ||
        m_header != nullptr || m_worker.joinable()) {
        return kAudioError;
    }
    header->bytesRecorded = 0;
    m_header = header;
    return kAudioOk;
}

uint32_t PortAudioInput::Start() {
    if (m_stream == nullptr)
        return kAudioInvalidHandle;
    if (m_header == nullptr || m_worker.joinable())
        return kAudioError;
    m_abort = false;
    m_position = 0;
    if (Pa_StartStream(m_stream) != paNoError)
        return kAudioError;
    m_worker = std::thread(&PortAudioInput::Run, this);
    return kAudioOk;
}

void PortAudioInput::Run() {
    RecordHeader& header = *m_header;
    const uint32_t wholeFrames = header.bufferLength - header.bufferLength % m_frameBytes;
    uint32_t offset = 0;
    while (offset < wholeFrames && !m_abort) {
        const uint32_t frames = std::min(m_periodFrames, (wholeFrames - offset) / m_frameBytes);
        const PaError error = Pa_ReadStream(m_stream, header.data + offset, frames);
        if (error != paNoError && error != paInputOverflowed) {
            break;  // the device went away: the buffer holds what came before
        }
        offset += frames * m_frameBytes;
        m_position = offset;
    }
    Pa_AbortStream(m_stream);
    header.bytesRecorded = offset;
    Deliver();
}

void PortAudioInput::Deliver() {
    if (!m_closing && m_data.dispatcher != nullptr) {
        m_data.dispatcher->Post(m_data.call);
    }
}

void PortAudioInput::ReturnBuffer() {
    if (m_worker.joinable()) {
        m_abort = true;
        m_worker.join();
    } else if (m_header != nullptr) {
        m_header->bytesRecorded = 0;
        Deliver();
    }
    m_header = nullptr;
}

uint32_t PortAudioInput::Stop() {
    if (m_stream == nullptr)
        return kAudioInvalidHandle;
    ReturnBuffer();
    return kAudioOk;
}

uint32_t PortAudioInput::Reset() {
    if (m_stream == nullptr)
        return kAudioInvalidHandle;
    ReturnBuffer();
    m_position = 0;
    return kAudioOk;
}

uint32_t PortAudioInput::Close() {
    if (m_stream == nullptr)
        return kAudioInvalidHandle;
    m_closing = true;
    ReturnBuffer();
    Pa_CloseStream(m_stream);
    m_stream = nullptr;
    m_session.reset();
    return kAudioOk;
}

bool PortAudioInput::GetPositionBytes(uint32_t& bytes) {
    if (m_stream == nullptr)
        return false;
    bytes = m_position;
    return true;
}

bool PortAudioInput::GetPositionSamples(uint32_t& samples) {
    if (m_stream == nullptr)
        return false;
    samples = m_position / m_frameBytes;
    return true;
}
