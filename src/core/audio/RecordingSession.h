#pragma once

#include <cstdint>
#include <memory>

#include "core/audio/AudioDevice.h"
#include "core/sample/BlockLessee.h"

class AudioEventTarget;
class MessageSink;
class SampleBuffer;
class SessionListener;

// Recording into one sound: the whole sound is replaced by one block of the size asked for,
// handed to the input device as a single buffer and trimmed to what the device returns. The
// session holds a lease on the new block while the device writes into it; anything that changes
// the block first ends the lease, which closes the device and keeps what was recorded.
class RecordingSession final : public BlockLessee {
public:
    RecordingSession(SampleBuffer& sample, AudioBackend& devices, MessageSink& messages);
    ~RecordingSession();
    RecordingSession(const RecordingSession&) = delete;
    RecordingSession& operator=(const RecordingSession&) = delete;

    // Told when the lease is ended from outside (not by the end of the recording) and when the
    // device fails during the recording.
    void SetListener(SessionListener* listener) { m_listener = listener; }

    // Records one block of `blockBytes` in the sound's current format. 1 when recording has
    // started, else 0 (a second start while recording acts as a stop and answers 0).
    uint16_t Record(AudioEventTarget* target, uint32_t blockBytes, int device);
    uint32_t StopRecord();
    // Called with the header that OnRecordData carries; 1 once the recording is finished. A
    // buffer that comes back because the device failed finishes it too, keeping what was
    // captured as a stop does; GetBlockResult then answers the device's error.
    uint16_t RecordBufferDone(RecordHeader* header);
    double GetRecordFraction();
    uint32_t GetRecordSamplePosition();
    uint32_t GetRecordedBytes() const { return m_recordedBytes; }
    bool IsRecording() const { return m_isRecording; }
    // kAudioOk, or the device's error when the last recording ended because the device failed.
    uint32_t GetBlockResult() const { return m_blockResult; }
    // Stops at once as a change of the block would: what was recorded is kept, the late data
    // dropped and the listener told.
    void Stop();

private:
    void EndLease() override;
    bool WritesBlock() const override { return true; }
    void ReleaseInputDevice();
    // Frees the block of a recording that never started, so no undefined bytes remain a sound.
    void Abandon();

    SampleBuffer& m_sample;
    AudioBackend& m_devices;
    MessageSink& m_messages;
    SessionListener* m_listener = nullptr;
    bool m_isRecording = false;
    uint32_t m_recordedBytes = 0;
    int32_t m_buffersQueued = 0;
    uint32_t m_blockResult = kAudioOk;
    std::unique_ptr<AudioInput> m_waveIn;
    std::unique_ptr<RecordHeader> m_recordHeader;
    // As for playback: a device stopped by the end of the lease drops its token, so the data it
    // posted late is ignored.
    std::shared_ptr<int> m_recordToken;
};
