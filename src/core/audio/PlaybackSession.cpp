#include "core/audio/PlaybackSession.h"

#include "core/audio/AudioEventTarget.h"
#include "core/audio/SessionListener.h"
#include "core/sample/SampleBuffer.h"

namespace {

constexpr uint32_t kWholeSound = 0xFFFFFFFFu;

}  // namespace

AudioFormat DeviceFormatOf(const SampleBuffer& sample) {
    AudioFormat format;
    format.channels = static_cast<uint16_t>(sample.GetChannels());
    format.samplesPerSecond = sample.GetFrequency();
    format.averageBytesPerSecond = sample.GetFrequency() * sample.GetBytesPerFrame();
    format.blockAlign = static_cast<uint16_t>(sample.GetBytesPerFrame());
    format.bitsPerSample = static_cast<uint16_t>(sample.GetBits());
    return format;
}

PlaybackSession::PlaybackSession(SampleBuffer& sample, AudioBackend& devices)
    : m_sample(sample), m_devices(devices) {}

PlaybackSession::~PlaybackSession() {
    // Quietly: the owner is going away too.
    m_listener = nullptr;
    Stop();
}

uint16_t PlaybackSession::Play(AudioEventTarget* target, int device, uint32_t start, uint32_t end) {
    const SampleBuffer& sound = m_sample;
    if (m_isPlaying || sound.Data() == nullptr || sound.IsLent()) {
        return 1;
    }
    m_waveFormat = DeviceFormatOf(sound);
    m_blockResult = kAudioOk;
    auto token = std::make_shared<int>(0);
    AudioCompletion done;
    if (target != nullptr) {
        done.dispatcher = &target->Dispatcher();
        // The token lives in the session, so a completion that finds it alive finds the
        // session alive too.
        done.call = [this, target, alive = std::weak_ptr<int>(token)] {
            if (alive.expired())
                return;
            OnBlockReturned();
            target->OnPlayDone();
        };
    }
    std::unique_ptr<AudioOutput> output;
    const uint32_t opened = m_devices.OpenOutput(device, m_waveFormat, std::move(done), output);
    if (opened != kAudioOk) {
        return static_cast<uint16_t>(opened);
    }
    if (start == kWholeSound && end == kWholeSound) {
        start = 0;
        end = sound.GetFrameCount() - 1;
    }
    // A range that is empty or reaches past the sound cannot be queued. The device is closed
    // again here, so that a refused range never leaves one open behind the caller's back.
    if (start > end || end >= sound.GetFrameCount()) {
        output->Close();
        return 1;
    }
    const uint32_t frameBytes = sound.GetBytesPerFrame();
    // The lease is taken before the device sees the block.
    m_sample.Lend(this);
    const uint32_t written = output->Write(sound.Data() + static_cast<size_t>(start) * frameBytes,
                                           (end - start + 1) * frameBytes);
    if (written != kAudioOk) {
        // Nothing plays: the device is closed before the block is given back.
        output->Close();
        m_sample.Release(this);
        return static_cast<uint16_t>(written);
    }
    m_waveOut = std::move(output);
    m_playToken = std::move(token);
    m_playStart = start;
    m_playEnd = end;
    m_isPlaying = true;
    return 0;
}

uint32_t PlaybackSession::PausePlay() {
    return m_waveOut ? m_waveOut->Pause() : uint32_t{kAudioInvalidHandle};
}

uint32_t PlaybackSession::ResetPlay() {
    return m_waveOut ? m_waveOut->Reset() : uint32_t{kAudioInvalidHandle};
}

uint32_t PlaybackSession::ClosePlay() {
    uint32_t result = kAudioInvalidHandle;
    if (m_waveOut) {
        // Closing also stops a block that still plays: the device never outlives the flag.
        result = m_waveOut->Close();
        m_waveOut.reset();
    }
    if (m_isPlaying)
        m_sample.Release(this);
    m_isPlaying = false;
    return result;
}

uint32_t PlaybackSession::GetPlayPosition() {
    uint32_t bytes = 0;
    if (!m_waveOut || !m_waveOut->GetPositionBytes(bytes)) {
        return m_playEnd;
    }
    return m_playStart + bytes / m_waveFormat.blockAlign;
}

void PlaybackSession::OnBlockReturned() {
    if (!m_waveOut)
        return;
    m_blockResult = m_waveOut->BlockResult();
    if (m_blockResult == kAudioOk)
        return;
    // The device failed mid-block: nothing may count as playing any more, and the owner's
    // views go idle as they do when the lease is ended from outside.
    ClosePlay();
    if (m_listener != nullptr)
        m_listener->OnPlaybackEnded();
}

void PlaybackSession::Stop() {
    if (!m_isPlaying)
        return;
    m_sample.Release(this);
    EndLease();
}

void PlaybackSession::EndLease() {
    // The sound has taken the lease back already; ClosePlay's Release finds nothing to give.
    m_isPlaying = false;
    if (m_waveOut) {
        m_playToken.reset();
        m_waveOut->Reset();
        ClosePlay();
    }
    if (m_listener != nullptr)
        m_listener->OnPlaybackEnded();
}
