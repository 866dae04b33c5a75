#include "support/FakeAudioBackend.h"

namespace {

void Post(const AudioCompletion& completion) {
    if (completion.dispatcher != nullptr)
        completion.dispatcher->Post(completion.call);
}

}  // namespace

FakeOutput::~FakeOutput() {
    Close();
}

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

uint32_t FakeOutput::Pause() {
    ++m_log.pauses;
    paused = true;
    return kAudioOk;
}

void FakeOutput::ReturnBlock() {
    if (block == nullptr)
        return;
    block = nullptr;
    if (!m_closed)
        Post(m_done);
}

uint32_t FakeOutput::Reset() {
    ++m_log.resets;
    ReturnBlock();
    position = 0;
    return kAudioOk;
}

uint32_t FakeOutput::Close() {
    if (m_closed)
        return kAudioInvalidHandle;
    m_closed = true;
    block = nullptr;
    ++m_log.closed;
    return kAudioOk;
}

bool FakeOutput::GetPositionBytes(uint32_t& bytes) {
    if (m_closed)
        return false;
    bytes = position;
    return true;
}

void FakeOutput::Finish() {
    position = blockBytes;
    ReturnBlock();
}

void FakeOutput::Fail() {
    m_result = kAudioError;
    ReturnBlock();
}

FakeInput::~FakeInput() {
    Close();
}

uint32_t FakeInput::AddBuffer(RecordHeader* h) {
    if (h == nullptr || h->bufferLength == 0 || header != nullptr)
        return kAudioError;
    header = h;
    return kAudioOk;
}

uint32_t FakeInput::Start() {
    started = startResult == kAudioOk;
    return startResult;
}

void FakeInput::ReturnBuffer() {
    if (header == nullptr)
        return;
    header = nullptr;
    if (!m_closed)
        Post(m_data);
}

uint32_t FakeInput::Stop() {
    ++m_log.stops;
    ReturnBuffer();
    return kAudioOk;
}

uint32_t FakeInput::Reset() {
    ++m_log.resets;
    ReturnBuffer();
    m_position = 0;
    return kAudioOk;
}

uint32_t FakeInput::Close() {
    if (m_closed)
        return kAudioInvalidHandle;
    m_closed = true;
    header = nullptr;
    ++m_log.closed;
    return kAudioOk;
}

bool FakeInput::GetPositionBytes(uint32_t& bytes) {
    if (m_closed)
        return false;
    bytes = m_position;
    return true;
}

bool FakeInput::GetPositionSamples(uint32_t& samples) {
    if (m_closed)
        return false;
    samples = m_position / frameBytes;
    return true;
}

void FakeInput::Capture(uint32_t bytes, uint8_t seed) {
    for (uint32_t i = 0; i < bytes && header->bytesRecorded < header->bufferLength; ++i) {
        header->data[header->bytesRecorded] = static_cast<uint8_t>(header->bytesRecorded ^ seed);
        ++header->bytesRecorded;
    }
    m_position = header->bytesRecorded;
}

void FakeInput::Fill(uint8_t seed) {
    Capture(header->bufferLength, seed);
    ReturnBuffer();
}

void FakeInput::Fail() {
    m_result = kAudioError;
    ReturnBuffer();
}

uint32_t FakeAudioBackend::OpenOutput(int device, const AudioFormat& format, AudioCompletion done,
                                      std::unique_ptr<AudioOutput>& out) {
    lastDevice = device;
    lastFormat = format;
    if (openResult != kAudioOk)
        return openResult;
    if (!IsPlayableFormat(format))
        return kAudioBadFormat;
    auto device_ = std::make_unique<FakeOutput>(log, std::move(done));
    device_->writeResult = writeResult;
    output = device_.get();
    ++log.opened;
    out = std::move(device_);
    return kAudioOk;
}

uint32_t FakeAudioBackend::OpenInput(int device, const AudioFormat& format, AudioCompletion data,
                                     std::unique_ptr<AudioInput>& out) {
    lastDevice = device;
    lastFormat = format;
    if (openResult != kAudioOk)
        return openResult;
    if (!IsPlayableFormat(format))
        return kAudioBadFormat;
    auto device_ = std::make_unique<FakeInput>(log, std::move(data));
    device_->frameBytes = format.blockAlign;
    input = device_.get();
    ++log.opened;
    out = std::move(device_);
    return kAudioOk;
}
