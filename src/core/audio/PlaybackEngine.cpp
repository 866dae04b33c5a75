// Playback: one range of the sound handed to the output device as one block that stays in place
// in the buffer while it plays.
#include "core/audio/AudioEventTarget.h"
#include "core/sample/SampleBuffer.h"

namespace {

constexpr uint32_t kWholeSound = 0xFFFFFFFFu;

}  // namespace

void SampleBuffer::FillWaveFormat() {
    m_waveFormat = AudioFormat{};
    m_waveFormat.channels = static_cast<uint16_t>(GetChannels());
    m_waveFormat.samplesPerSecond = GetFrequency();
    m_waveFormat.averageBytesPerSecond = GetFrequency() * GetBytesPerFrame();
    m_waveFormat.blockAlign = static_cast<uint16_t>(GetBytesPerFrame());
    m_waveFormat.bitsPerSample = static_cast<uint16_t>(GetBits());
}

uint16_t SampleBuffer::Play(AudioBackend& devices, AudioEventTarget* target, int device,
                            uint32_t start, uint32_t end) {
    if (m_isPlaying || m_data == nullptr) {
        return 1;
    }
    FillWaveFormat();
    auto token = std::make_shared<int>(0);
    AudioCompletion done;
    if (target != nullptr) {
        done.dispatcher = &target->Dispatcher();
        done.call = [target, alive = std::weak_ptr<int>(token)] {
            if (!alive.expired())
                target->OnPlayDone();
        };
    }
    std::unique_ptr<AudioOutput> output;
    const uint32_t opened = devices.OpenOutput(device, m_waveFormat, std::move(done), output);
    if (opened != kAudioOk) {
        return static_cast<uint16_t>(opened);
    }
    if (start == kWholeSound && end == kWholeSound) {
        start = 0;
        end = GetFrameCount() - 1;
    }
    // A range that is empty or reaches past the sound cannot be queued. The device is closed
    // again here, so that a refused range never leaves one open behind the caller's back.
    if (start > end || end >= GetFrameCount()) {
        output->Close();
        return 1;
    }
    const uint32_t frameBytes = GetBytesPerFrame();
    m_playData = m_data + static_cast<size_t>(start) * frameBytes;
    m_playBytes = (end - start + 1) * frameBytes;
    output->Write(m_playData, m_playBytes);
    m_waveOut = std::move(output);
    m_playToken = std::move(token);
    m_playStart = start;
    m_playEnd = end;
    m_isPlaying = true;
    return 0;
}

uint32_t SampleBuffer::PausePlay() {
    return m_waveOut ? m_waveOut->Pause() : uint32_t{kAudioInvalidHandle};
}

uint32_t SampleBuffer::ResetPlay() {
    return m_waveOut ? m_waveOut->Reset() : uint32_t{kAudioInvalidHandle};
}

uint32_t SampleBuffer::ClosePlay() {
    uint32_t result = kAudioInvalidHandle;
    if (m_waveOut) {
        // Closing also stops a block that still plays: the device never outlives the flag.
        result = m_waveOut->Close();
        m_waveOut.reset();
    }
    m_playData = nullptr;
    m_playBytes = 0;
    m_isPlaying = false;
    return result;
}

uint32_t SampleBuffer::GetPlayPosition() {
    uint32_t bytes = 0;
    if (!m_waveOut || !m_waveOut->GetPositionBytes(bytes)) {
        return m_playEnd;
    }
    return m_playStart + bytes / GetBytesPerFrame();
}

void SampleBuffer::StopDevices() {
    if (m_waveOut) {
        m_playToken.reset();
        m_waveOut->Reset();
        ClosePlay();
    }
    m_isPlaying = false;
    if (m_waveIn) {
        m_recordToken.reset();
        m_stopRequested = true;
        m_waveIn->Reset();
        // Close waits for the device's thread, so the header's count is final afterwards.
        m_waveIn->Close();
        if (m_isRecording && m_recordHeader) {
            m_recordedBytes += m_recordHeader->bytesRecorded;
            m_lengthBytes = m_recordedBytes;
        }
        ReleaseInputDevice();
    }
}
