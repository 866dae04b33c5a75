#include "support/FakeAudioBackend.h"

uint32_t FakeOutput::Write(const uint8_t* data, uint32_t bytes) {
    ++m_log.writes;
    if (writeResult != kAudioOk)
        return writeResult;
    m_result = kAudioOk;
    block = data;
    blockBytes = bytes;
    position = 0;
    return kAudioOk;
}

uint32_t FakeInput::AddBuffer(RecordHeader* h) {
    if (h == nullptr || h->bufferLength == 0 || header != nullptr)
        return kAudioError;
    header = h;
    return kAudioOk;
}

void FakeInput::Capture(uint32_t bytes, uint8_t seed) {
    for (uint32_t i = 0; i < bytes && header->bytesRecorded < header->bufferLength; ++i) {
        header->data[header->bytesRecorded] = static_cast<uint8_t>(header->bytesRecorded ^ seed);
        ++header->bytesRecorded;
    }
    m_position = header->bytesRecorded;
}

uint32_t FakeAudioBackend::Check(int device, const AudioFormat& format) {
    lastDevice = device;
    lastFormat = format;
    const uint32_t result = openResult != kAudioOk     ? openResult
                            : IsPlayableFormat(format) ? uint32_t{kAudioOk}
                                                       : uint32_t{kAudioBadFormat};
    log.opened += result == kAudioOk;
    return result;
}

uint32_t FakeAudioBackend::OpenOutput(int device, const AudioFormat& format, AudioCompletion done,
                                      std::unique_ptr<AudioOutput>& out) {
    const uint32_t result = Check(device, format);
    if (result == kAudioOk) {
        out = std::make_unique<FakeOutput>(log, std::move(done));
        output = static_cast<FakeOutput*>(out.get());
        output->writeResult = writeResult;
    }
    return result;
}

uint32_t FakeAudioBackend::OpenInput(int device, const AudioFormat& format, AudioCompletion data,
                                     std::unique_ptr<AudioInput>& out) {
    const uint32_t result = Check(device, format);
    if (result == kAudioOk) {
        out = std::make_unique<FakeInput>(log, std::move(data));
        input = static_cast<FakeInput*>(out.get());
        input->frameBytes = format.blockAlign;
    }
    return result;
}
