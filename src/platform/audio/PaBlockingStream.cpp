#include "platform/audio/PaBlockingStream.h"

#include <portaudio.h>

PaBlockingStream::PaBlockingStream(std::unique_ptr<PortAudioSession> session, PaStream* stream)
    : m_session(std::move(session)), m_stream(stream) {}

PaBlockingStream::~PaBlockingStream() {
    Pa_CloseStream(m_stream);
}

bool PaBlockingStream::Start() {
    return Pa_StartStream(m_stream) == paNoError;
}

void PaBlockingStream::Stop() {
    Pa_StopStream(m_stream);
}

void PaBlockingStream::Abort() {
    Pa_AbortStream(m_stream);
}

bool PaBlockingStream::Write(const uint8_t* data, uint32_t frames) {
    const PaError error = Pa_WriteStream(m_stream, data, frames);
    return error == paNoError || error == paOutputUnderflowed;
}

bool PaBlockingStream::Read(uint8_t* data, uint32_t frames) {
    const PaError error = Pa_ReadStream(m_stream, data, frames);
    return error == paNoError || error == paInputOverflowed;
}

double PaBlockingStream::Time() {
    return Pa_GetStreamTime(m_stream);
}

double PaBlockingStream::OutputLatency() {
    const PaStreamInfo* info = Pa_GetStreamInfo(m_stream);
    return info != nullptr ? info->outputLatency : 0.0;
}
