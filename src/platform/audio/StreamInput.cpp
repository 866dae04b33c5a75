#include "platform/audio/StreamInput.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Fills the header's buffer period by period. Each period is read into memory of the body's own
// and copied into the buffer inside Touch, so a body that the device has left behind never
// writes into the buffer again.
void FillBuffer(StreamWorker::Shared& shared, RecordHeader* header, uint32_t frameBytes,
                uint32_t periodFrames) {
    BlockingStream& stream = shared.Stream();
    const uint32_t wholeFrames = header->bufferLength - header->bufferLength % frameBytes;
    std::vector<uint8_t> period(static_cast<size_t>(periodFrames) * frameBytes);
    uint32_t offset = 0;
    while (offset < wholeFrames && !shared.StopRequested()) {
        const uint32_t count =
            std::min<uint32_t>(static_cast<uint32_t>(period.size()), wholeFrames - offset);
        if (!stream.Read(period.data(), count / frameBytes)) {
            shared.Fail();  // the device went away: the buffer holds what came before
            break;
        }
        if (!shared.Touch([&] { std::memcpy(header->data + offset, period.data(), count); }, true))
            return;
        offset += count;
        shared.bytesDone = offset;
    }
    stream.Abort();
    shared.Touch([&] { header->bytesRecorded = offset; }, true);
}

}  // namespace

StreamInput::StreamInput(std::unique_ptr<BlockingStream> stream, uint32_t frameBytes,
                         uint32_t periodFrames, AudioCompletion data)
    : m_frameBytes(frameBytes),
      m_periodFrames(periodFrames),
      m_worker(std::make_unique<StreamWorker>(std::move(stream), std::move(data))) {}

StreamInput::~StreamInput() {
    Close();
}

uint32_t StreamInput::AddBuffer(RecordHeader* header) {
    if (!m_worker)
        return kAudioInvalidHandle;
    // One buffer at a time, and never an empty one: it could not be filled or returned.
    if (header == nullptr || header->data == nullptr || header->bufferLength < m_frameBytes ||
        m_header != nullptr || m_worker->IsRunning()) {
        return kAudioError;
    }
    header->bytesRecorded = 0;
    m_header = header;
    return kAudioOk;
}

uint32_t StreamInput::Start() {
    if (!m_worker)
        return kAudioInvalidHandle;
    BlockingStream* stream = m_worker->Stream();
    if (m_header == nullptr || m_worker->IsRunning() || stream == nullptr)
        return kAudioError;
    m_worker->State().bytesDone = 0;
    if (!stream->Start())
        return kAudioError;
    const bool started = m_worker->Start([header = m_header, frameBytes = m_frameBytes,
                                          period = m_periodFrames](StreamWorker::Shared& s) {
        FillBuffer(s, header, frameBytes, period);
    });
    return started ? uint32_t{kAudioOk} : uint32_t{kAudioError};
}

void StreamInput::ReturnBuffer() {
    if (m_worker->IsRunning()) {
        // A body left behind no longer touches the buffer: what it had copied is counted here.
        m_worker->Stop([this] { m_header->bytesRecorded = m_worker->State().bytesDone; });
    } else if (m_header != nullptr) {
        m_header->bytesRecorded = 0;
        m_worker->PostCompletion();
    }
    m_header = nullptr;
}

uint32_t StreamInput::Stop() {
    if (!m_worker)
        return kAudioInvalidHandle;
    ReturnBuffer();
    return kAudioOk;
}

uint32_t StreamInput::Reset() {
    if (!m_worker)
        return kAudioInvalidHandle;
    ReturnBuffer();
    m_worker->State().bytesDone = 0;
    return kAudioOk;
}

uint32_t StreamInput::Close() {
    if (!m_worker)
        return kAudioInvalidHandle;
    m_worker->Silence();
    ReturnBuffer();
    m_worker.reset();
    return kAudioOk;
}

bool StreamInput::GetPositionBytes(uint32_t& bytes) {
    if (!m_worker)
        return false;
    bytes = m_worker->State().bytesDone;
    return true;
}

bool StreamInput::GetPositionSamples(uint32_t& samples) {
    if (!m_worker)
        return false;
    samples = m_worker->State().bytesDone / m_frameBytes;
    return true;
}

uint32_t StreamInput::BlockResult() const {
    return m_worker ? m_worker->Result() : uint32_t{kAudioOk};
}
