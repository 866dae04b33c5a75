#include "core/audio/RecordingSession.h"

#include <string>

#include "core/audio/AudioEventTarget.h"
#include "core/audio/PlaybackSession.h"
#include "core/audio/SessionListener.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleHeap.h"

namespace {

std::string OpenFailureReason(uint32_t error) {
    switch (error) {
        case kAudioBadDeviceId:
            return "Device is out of range.";
        case kAudioAllocated:
            return "Device is already allocated.";
        case kAudioNoDriver:
            return "No device driver present.";
        case kAudioNoMemory:
            return "Unable to allocate or lock memory.";
        case kAudioBadFormat:
            return "Device does not support the recording format.";
        default:
            return "Unknown error";
    }
}

}  // namespace

RecordingSession::RecordingSession(SampleBuffer& sample, AudioBackend& devices,
                                   MessageSink& messages)
    : m_sample(sample), m_devices(devices), m_messages(messages) {}

RecordingSession::~RecordingSession() {
    // Quietly: the owner is going away too.
    m_listener = nullptr;
    Stop();
}

void RecordingSession::ReleaseInputDevice() {
    m_waveIn.reset();
    m_recordHeader.reset();
    m_recordToken.reset();
    m_buffersQueued = 0;
    m_isRecording = false;
}

void RecordingSession::Abandon() {
    m_sample.Release(this);
    m_sample.FreeBlock();
}

uint16_t RecordingSession::Record(AudioEventTarget* target, uint32_t blockBytes, int device) {
    if (m_isRecording) {
        // A second start acts as a stop.
        if (m_waveIn)
            m_waveIn->Reset();
        return 0;
    }
    // Ends any playback first: the old block is about to go.
    m_sample.FreeBlock();
    uint8_t* block = SampleHeap::Instance().Allocate(blockBytes);
    if (block == nullptr) {
        // The old sound is gone; the buffer holds nothing and says so (length 0).
        m_messages.ShowUntitledMessage("Could not allocate enough memory");
        return 0;
    }
    m_sample.AdoptBlock(block, blockBytes);
    m_recordedBytes = 0;
    m_blockResult = kAudioOk;
    const AudioFormat format = DeviceFormatOf(m_sample);

    auto header = std::make_unique<RecordHeader>();
    header->data = block;
    header->bufferLength = blockBytes;
    auto token = std::make_shared<int>(0);
    AudioCompletion data;
    if (target != nullptr) {
        data.dispatcher = &target->Dispatcher();
        data.call = [target, h = header.get(), alive = std::weak_ptr<int>(token)] {
            if (!alive.expired())
                target->OnRecordData(h);
        };
    }
    std::unique_ptr<AudioInput> input;
    const uint32_t opened = m_devices.OpenInput(device, format, std::move(data), input);
    if (opened != kAudioOk) {
        m_messages.ShowMessage("Could not open wave input device. " + OpenFailureReason(opened));
        // Never leave undefined bytes as a sound the user could play or save.
        m_sample.FreeBlock();
        return 0;
    }
    // The lease is taken before the device may write.
    m_sample.Lend(this);
    m_waveIn = std::move(input);
    m_recordHeader = std::move(header);
    m_recordToken = std::move(token);
    m_buffersQueued = 0;
    if (m_waveIn->AddBuffer(m_recordHeader.get()) == kAudioOk) {
        m_buffersQueued = 1;
        if (m_waveIn->Start() == kAudioOk) {
            m_isRecording = true;
            return 1;
        }
    }
    // The device is closed and the header released here; the callers only report the failure.
    m_waveIn->Close();
    ReleaseInputDevice();
    Abandon();
    return 0;
}

uint32_t RecordingSession::StopRecord() {
    return m_waveIn ? m_waveIn->Reset() : uint32_t{kAudioInvalidHandle};
}

uint16_t RecordingSession::RecordBufferDone(RecordHeader* header) {
    // Only the header of the running recording counts; a stale one is ignored.
    if (header == nullptr || header != m_recordHeader.get() || !m_waveIn) {
        return 0;
    }
    // Read while the device still holds it.
    const uint32_t result = m_waveIn->BlockResult();
    m_waveIn->Reset();
    m_recordedBytes += header->bytesRecorded;
    if (result == kAudioOk && --m_buffersQueued != 0) {
        return 0;
    }
    m_blockResult = result;
    m_waveIn->Stop();
    m_waveIn->Close();
    // The device has let go: the block is given back before its length changes. The block is
    // not shrunk; only the length follows what was really captured.
    m_sample.Release(this);
    m_sample.SetByteLength(m_recordedBytes);
    ReleaseInputDevice();
    // A device that failed ends the recording as a stop would; the owner goes idle.
    if (result != kAudioOk && m_listener != nullptr)
        m_listener->OnRecordingEnded();
    return 1;
}

double RecordingSession::GetRecordFraction() {
    uint32_t bytes = 0;
    const uint32_t length = m_sample.GetByteLength();
    // Without a running recording there is no progress to show.
    if (!m_waveIn || length == 0 || !m_waveIn->GetPositionBytes(bytes)) {
        return 0.0;
    }
    return static_cast<double>(bytes) / static_cast<double>(length);
}

uint32_t RecordingSession::GetRecordSamplePosition() {
    uint32_t samples = 0;
    if (!m_waveIn || !m_waveIn->GetPositionSamples(samples)) {
        return 0;
    }
    return samples;
}

void RecordingSession::Stop() {
    if (!m_waveIn)
        return;
    m_sample.Release(this);
    EndLease();
}

void RecordingSession::EndLease() {
    if (!m_waveIn)
        return;
    m_recordToken.reset();
    m_waveIn->Reset();
    // Close waits for the device's thread, so the header's count is final afterwards.
    m_waveIn->Close();
    const bool keep = m_isRecording && m_recordHeader;
    if (keep)
        m_recordedBytes += m_recordHeader->bytesRecorded;
    ReleaseInputDevice();
    // The sound no longer lends the block, so setting its length comes straight back.
    if (keep)
        m_sample.SetByteLength(m_recordedBytes);
    if (m_listener != nullptr)
        m_listener->OnRecordingEnded();
}
