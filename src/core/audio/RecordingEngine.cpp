// Recording: the whole sound is replaced by one block of the size asked for, handed to the input
// device as a single buffer and trimmed to what the device returns.
#include <string>

#include "core/audio/AudioEventTarget.h"
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

void SampleBuffer::ReleaseInputDevice() {
    m_waveIn.reset();
    m_recordHeader.reset();
    m_recordToken.reset();
    m_buffersQueued = 0;
    m_isRecording = false;
}

uint16_t SampleBuffer::Record(AudioBackend& devices, MessageSink& messages,
                              AudioEventTarget* target, uint32_t blockBytes, int device) {
    if (m_isRecording) {
        // A second start acts as a stop.
        if (m_waveIn)
            m_waveIn->Reset();
        return 0;
    }
    // Stops any playback first: the old block is about to go.
    FreeBlock();
    uint8_t* block = SampleHeap::Instance().Allocate(blockBytes);
    if (block == nullptr) {
        // The old sound is gone; the buffer holds nothing and says so (length 0).
        messages.ShowUntitledMessage("Could not allocate enough memory");
        return 0;
    }
    m_data = block;
    m_lengthBytes = blockBytes;
    m_recordedBytes = 0;
    m_stopRequested = false;
    FillWaveFormat();

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
    const uint32_t opened = devices.OpenInput(device, m_waveFormat, std::move(data), input);
    if (opened != kAudioOk) {
        messages.ShowMessage("Could not open wave input device. " + OpenFailureReason(opened));
        // Never leave undefined bytes as a sound the user could play or save.
        FreeBlock();
        return 0;
    }
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
    FreeBlock();
    return 0;
}

uint32_t SampleBuffer::StopRecord() {
    m_stopRequested = true;
    return m_waveIn ? m_waveIn->Reset() : uint32_t{kAudioInvalidHandle};
}

uint16_t SampleBuffer::RecordBufferDone(RecordHeader* header) {
    // Only the header of the running recording counts; a stale one is ignored.
    if (header == nullptr || header != m_recordHeader.get() || !m_waveIn) {
        return 0;
    }
    m_waveIn->Reset();
    m_recordedBytes += header->bytesRecorded;
    if (--m_buffersQueued != 0) {
        return 0;
    }
    m_waveIn->Stop();
    m_waveIn->Close();
    // The block is not shrunk; only the length follows what was really captured.
    m_lengthBytes = m_recordedBytes;
    ReleaseInputDevice();
    return 1;
}

double SampleBuffer::GetRecordFraction() {
    uint32_t bytes = 0;
    // Without a running recording there is no progress to show.
    if (!m_waveIn || m_lengthBytes == 0 || !m_waveIn->GetPositionBytes(bytes)) {
        return 0.0;
    }
    return static_cast<double>(bytes) / static_cast<double>(m_lengthBytes);
}

uint32_t SampleBuffer::GetRecordSamplePosition() {
    uint32_t samples = 0;
    if (!m_waveIn || !m_waveIn->GetPositionSamples(samples)) {
        return 0;
    }
    return samples;
}
