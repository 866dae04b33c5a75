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

namespace {

// Opens a fake device of either direction as a real backend would: refused by
// `openResult` or an unplayable format, else made and recorded in the log.
template <typename Device>
uint32_t Open(FakeAudioBackend& backend, int device, const AudioFormat& format,
              AudioCompletion completion, std::unique_ptr<Device>& made) {
    backend.lastDevice = device;
    backend.lastFormat = format;
    if (backend.openResult != kAudioOk)
        return backend.openResult;
    if (!IsPlayableFormat(format))
        return kAudioBadFormat;
    made = std::make_unique<Device>(backend.log, std::move(completion));
    ++backend.log.opened;
    return kAudioOk;
}

}  // namespace

uint32_t FakeAudioBackend::OpenOutput(int device, const AudioFormat& format, AudioCompletion done,
                                      std::unique_ptr<AudioOutput>& out) {
    std::unique_ptr<FakeOutput> made;
    const uint32_t result = Open(*this, device, format, std::move(done), made);
    if (made) {
        made->writeResult = writeResult;
        output = made.get();
        out = std::move(made);
    }
    return result;
}

uint32_t FakeAudioBackend::OpenInput(int device, const AudioFormat& format, AudioCompletion data,
                                     std::unique_ptr<AudioInput>& out) {
    std::unique_ptr<FakeInput> made;
    const uint32_t result = Open(*this, device, format, std::move(data), made);
    if (made) {
        made->frameBytes = format.blockAlign;
        input = made.get();
        out = std::move(made);
    }
    return result;
}
