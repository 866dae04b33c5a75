#include "platform/audio/StreamOutput.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Writes [block, block + bytes) period by period. The block is read only inside Touch, so a body
// that the device has left behind never reads it again.
void WriteBlock(StreamWorker::Shared& shared, const uint8_t* block, uint32_t bytes,
                uint32_t frameBytes, uint32_t periodFrames) {
    BlockingStream& stream = shared.Stream();
    if (!shared.InStream([&] { return stream.Start(); })) {
        shared.Fail();
        return;
    }
    shared.startTime = stream.Time();
    shared.NoteClock(shared.startTime);
    std::vector<uint8_t> period(static_cast<size_t>(periodFrames) * frameBytes);
    uint32_t offset = 0;
    while (offset < bytes) {
        if (shared.paused) {
            // Nothing more is written until a reset or close ends the block.
            shared.InStream([&] { stream.Abort(); });
            shared.ParkUntilStopped();
            return;
        }
        const uint32_t count =
            std::min<uint32_t>(static_cast<uint32_t>(period.size()), bytes - offset);
        if (!shared.Touch([&] { std::memcpy(period.data(), block + offset, count); }, false))
            break;
        if (!shared.InStream([&] { return stream.Write(period.data(), count / frameBytes); })) {
            shared.Fail();  // the device went away: the block ends here
            break;
        }
        shared.NoteClock(stream.Time());
        offset += count;
        shared.bytesDone = offset;
    }
    // A finished block is drained so that every byte reaches the device.
    if (offset == bytes)
        shared.InStream([&] { stream.Stop(); });
    else
        shared.InStream([&] { stream.Abort(); });
}

}  // namespace

StreamOutput::StreamOutput(std::unique_ptr<BlockingStream> stream, uint32_t frameBytes,
                           uint32_t framesPerSecond, uint32_t periodFrames, AudioCompletion done)
    : m_frameBytes(frameBytes),
      m_framesPerSecond(framesPerSecond),
      m_periodFrames(periodFrames),
      m_worker(std::make_unique<StreamWorker>(std::move(stream), std::move(done))) {}

StreamOutput::~StreamOutput() {
    Close();
}

uint32_t StreamOutput::Write(const uint8_t* data, uint32_t bytes) {
    if (!m_worker)
        return kAudioInvalidHandle;
    if (m_worker->IsRunning())
        return kAudioStillPlaying;  // one block at a time
    m_blockBytes = bytes - bytes % m_frameBytes;
    m_frozen = false;
    StreamWorker::Shared& shared = m_worker->State();
    shared.paused = false;
    shared.bytesDone = 0;
    shared.startTime = HUGE_VAL;  // nothing is heard before the stream starts
    const bool started = m_worker->Start([data, bytes = m_blockBytes, frameBytes = m_frameBytes,
                                          period = m_periodFrames](StreamWorker::Shared& s) {
        WriteBlock(s, data, bytes, frameBytes, period);
    });
    return started ? uint32_t{kAudioOk} : uint32_t{kAudioError};
}

uint32_t StreamOutput::Pause() {
    if (!m_worker)
        return kAudioInvalidHandle;
    if (!m_frozen) {
        // The sound stops where it is heard; what the device still held is dropped.
        m_frozenBytes = HeardBytes();
        m_frozen = true;
    }
    m_worker->State().paused = true;
    return kAudioOk;
}

uint32_t StreamOutput::Reset() {
    if (!m_worker)
        return kAudioInvalidHandle;
    m_worker->Stop();
    m_worker->State().bytesDone = 0;
    m_frozen = false;
    m_blockBytes = 0;
    return kAudioOk;
}

uint32_t StreamOutput::Close() {
    if (!m_worker)
        return kAudioInvalidHandle;
    m_worker->Silence();
    m_worker->Stop();
    m_worker.reset();
    return kAudioOk;
}

uint32_t StreamOutput::HeardBytes() {
    StreamWorker::Shared& shared = m_worker->State();
    const uint32_t written = shared.bytesDone;
    BlockingStream* stream = m_worker->Stream();
    // A block drained to its end has been heard whole; after a failure or a stop nothing more
    // will be.
    if (!m_worker->IsRunning() || stream == nullptr || shared.Finished())
        return written;
    const double heardSeconds = shared.Clock() - shared.startTime - stream->OutputLatency();
    if (!(heardSeconds > 0.0))
        return 0;
    const double frames = std::floor(heardSeconds * m_framesPerSecond);
    const double bytes = frames * m_frameBytes;
    return bytes >= written ? written : static_cast<uint32_t>(bytes);
}

bool StreamOutput::GetPositionBytes(uint32_t& bytes) {
    if (!m_worker)
        return false;
    bytes = m_frozen ? m_frozenBytes : HeardBytes();
    return true;
}

uint32_t StreamOutput::BlockResult() const {
    return m_worker ? m_worker->Result() : uint32_t{kAudioOk};
}
