#include "platform/audio/PortAudioOutput.h"

#include <portaudio.h>

#include <algorithm>

PortAudioOutput::PortAudioOutput(std::unique_ptr<PortAudioSession> session, PaStream* stream,
                                 uint32_t frameBytes, uint32_t periodFrames, AudioCompletion done)
    : m_session(std::move(session)),
      m_stream(stream),
      m_frameBytes(frameBytes),
      m_periodFrames(periodFrames),
      m_done(std::move(done)) {}

PortAudioOutput::~PortAudioOutput() {
    Close();
}

uint32_t PortAudioOutput::Write(const uint8_t* data, uint32_t bytes) {
    if (m_stream == nullptr)
        return kAudioInvalidHandle;
    if (m_worker.joinable())
        return kAudioStillPlaying;  // one block at a time
    m_block = data;
    m_blockBytes = bytes - bytes % m_frameBytes;
    m_abort = false;
    m_position = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_paused = false;
    }
    m_worker = std::thread(&PortAudioOutput::Run, this);
    return kAudioOk;
}

void PortAudioOutput::Run() {
    bool running = Pa_StartStream(m_stream) == paNoError;
    uint32_t offset = 0;
    while (running && offset < m_blockBytes && !m_abort) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_paused) {
                // Nothing more is written until a reset or close ends the block.
                Pa_AbortStream(m_stream);
                running = false;
                m_wake.wait(lock, [this] { return m_abort.load(); });
                break;
            }
        }
        const uint32_t frames = std::min(m_periodFrames, (m_blockBytes - offset) / m_frameBytes);
        const PaError error = Pa_WriteStream(m_stream, m_block + offset, frames);
        if (error != paNoError && error != paOutputUnderflowed) {
            break;  // the device went away: the block ends here
        }
        offset += frames * m_frameBytes;
        m_position = offset;
    }
    if (running) {
        // A finished block is drained so that every byte reaches the device.
        if (m_abort)
            Pa_AbortStream(m_stream);
        else
            Pa_StopStream(m_stream);
    }
    if (!m_closing && m_done.dispatcher != nullptr) {
        m_done.dispatcher->Post(m_done.call);
    }
}

void PortAudioOutput::StopWorker() {
    if (!m_worker.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_abort = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

uint32_t PortAudioOutput::Pause() {
    if (m_stream == nullptr)
        return kAudioInvalidHandle;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_paused = true;
    return kAudioOk;
}

uint32_t PortAudioOutput::Reset() {
    if (m_stream == nullptr)
        return kAudioInvalidHandle;
    StopWorker();
    m_position = 0;
    return kAudioOk;
}

uint32_t PortAudioOutput::Close() {
    if (m_stream == nullptr)
        return kAudioInvalidHandle;
    m_closing = true;
    StopWorker();
    Pa_CloseStream(m_stream);
    m_stream = nullptr;
    m_session.reset();
    return kAudioOk;
}

bool PortAudioOutput::GetPositionBytes(uint32_t& bytes) {
    if (m_stream == nullptr)
        return false;
    bytes = m_position;
    return true;
}
