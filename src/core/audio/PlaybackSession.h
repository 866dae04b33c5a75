#pragma once

#include <cstdint>
#include <memory>

#include "core/audio/AudioDevice.h"
#include "core/sample/BlockLessee.h"

class AudioEventTarget;
class SampleBuffer;
class SessionListener;

// Playback of one sound: a range of it handed to an output device as one block that stays in
// place in the sound while it plays. The session holds a lease on the sound's block from Play to
// ClosePlay; anything that changes the block first ends the lease, which closes the device and
// drops its late completion.
class PlaybackSession final : public BlockLessee {
public:
    PlaybackSession(SampleBuffer& sample, AudioBackend& devices);
    ~PlaybackSession();
    PlaybackSession(const PlaybackSession&) = delete;
    PlaybackSession& operator=(const PlaybackSession&) = delete;

    // Told when the lease is ended from outside (not by ClosePlay) and when the device fails
    // during the block.
    void SetListener(SessionListener* listener) { m_listener = listener; }

    // The target receives OnPlayDone on its own thread (nullptr: no completion is delivered).
    // Play answers 0 when the range was queued, 1 when a range already plays, no block is held,
    // the block is lent to a recording or the range cannot be queued, or the device's error
    // code (from opening it or from queueing the block, after which it is closed again).
    // (start, end) = (-1, -1) plays the whole sound.
    //
    // A block that ends because the device failed closes the device before the target's
    // OnPlayDone runs: the listener is told (OnPlaybackEnded), IsPlaying is false and
    // GetBlockResult answers the device's error.
    uint16_t Play(AudioEventTarget* target, int device, uint32_t start, uint32_t end);
    uint32_t PausePlay();
    uint32_t ResetPlay();
    uint32_t ClosePlay();
    // The frame now playing; the last frame of the range once the device is closed.
    uint32_t GetPlayPosition();
    // Whether the block is lent to the output device.
    bool IsPlaying() const { return m_isPlaying; }
    // kAudioOk, or the device's error when the last block ended because the device failed.
    uint32_t GetBlockResult() const { return m_blockResult; }
    // Stops at once as a change of the block would: the device is closed, its late completion
    // dropped and the listener told.
    void Stop();

private:
    void EndLease() override;
    bool WritesBlock() const override { return false; }
    // The device's "done" has arrived: a failed block closes the device at once.
    void OnBlockReturned();

    SampleBuffer& m_sample;
    AudioBackend& m_devices;
    SessionListener* m_listener = nullptr;
    bool m_isPlaying = false;
    AudioFormat m_waveFormat;
    std::unique_ptr<AudioOutput> m_waveOut;
    // Completions carry a weak reference to the token of the device that posted them; a device
    // stopped by the end of the lease drops its token, so its late completions are ignored.
    std::shared_ptr<int> m_playToken;
    uint32_t m_playStart = 0;
    uint32_t m_playEnd = 0;
    uint32_t m_blockResult = kAudioOk;
};

// The device format of a sound's own format.
AudioFormat DeviceFormatOf(const SampleBuffer& sample);
