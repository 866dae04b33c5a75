#pragma once

#include <cstdint>
#include <functional>
#include <memory>

// The wave-audio device layer the playback and recording engines stand on: open a device for a
// PCM format, hand it one block, pause, reset, close, and read its position. Completion ("done"
// for output, "data" for input) reaches the user-interface thread as a queued call through a
// CompletionDispatcher, so no engine code ever runs on a device's own thread.

// Result codes. They keep the meanings (and numbers) the recording messages are keyed on.
enum AudioResult : uint32_t {
    kAudioOk = 0,
    kAudioError = 1,        // unspecified failure
    kAudioBadDeviceId = 2,  // no device of that number
    kAudioNotEnabled = 3,
    kAudioAllocated = 4,      // the device is in use
    kAudioInvalidHandle = 5,  // no device is open
    kAudioNoDriver = 6,       // no audio system at all
    kAudioNoMemory = 7,       // cannot allocate or lock memory
    kAudioBadFormat = 32,     // the device does not take this format
    kAudioStillPlaying = 33,
};

// The default device of its direction.
constexpr int kDefaultAudioDevice = -1;

// The PCM format a device is opened for, filled from a SampleFormat.
struct AudioFormat {
    uint16_t formatTag = 1;  // linear PCM
    uint16_t channels = 1;
    uint32_t samplesPerSecond = 22050;
    uint32_t averageBytesPerSecond = 22050;
    uint16_t blockAlign = 1;  // bytes per frame
    uint16_t bitsPerSample = 8;
    uint16_t extraSize = 0;
};

// What a device accepts at all: 8-bit unsigned or 16-bit signed, one or two channels,
// 1..50000 Hz, and a block alignment that matches.
bool IsPlayableFormat(const AudioFormat& format);

// Brings calls from a device's thread to the user-interface thread. Post may be called from any
// thread; the call runs later on the thread the dispatcher serves.
class CompletionDispatcher {
public:
    virtual ~CompletionDispatcher() = default;
    virtual void Post(std::function<void()> call) = 0;
};

// What an engine hands a device at open: where its completion is to run. A call with no
// dispatcher is dropped (the engine was given no window to tell).
struct AudioCompletion {
    CompletionDispatcher* dispatcher = nullptr;
    std::function<void()> call;
};

// The one input buffer of a recording: the device fills `data` and sets `bytesRecorded` before
// it returns the header through the "data" completion.
struct RecordHeader {
    uint8_t* data = nullptr;
    uint32_t bufferLength = 0;
    uint32_t bytesRecorded = 0;
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Queues the one block; it must stay in place until "done" is posted or the device closes.
    virtual uint32_t Write(const uint8_t* data, uint32_t bytes) = 0;
    virtual uint32_t Pause() = 0;
    // Stops playing and returns the block ("done" is posted if a block was queued); the
    // position goes back to 0.
    virtual uint32_t Reset() = 0;
    // Stops whatever still runs and releases the device. Nothing is posted after it returns.
    virtual uint32_t Close() = 0;
    // Bytes heard since the block was queued (not merely handed to the device); false when the
    // device cannot say. After Pause it stays where the sound stopped.
    virtual bool GetPositionBytes(uint32_t& bytes) = 0;
    // Whether the last block ended because the device failed (kAudioError) rather than because
    // it was played, paused or stopped (kAudioOk). Read after its "done" arrives.
    virtual uint32_t BlockResult() const { return kAudioOk; }
};

class AudioInput {
public:
    virtual ~AudioInput() = default;
    // Queues the buffer; a buffer of no bytes is refused.
    virtual uint32_t AddBuffer(RecordHeader* header) = 0;
    virtual uint32_t Start() = 0;
    // Stop and Reset return the queued buffer with what it holds ("data" is posted); Reset
    // also puts the position back to 0.
    virtual uint32_t Stop() = 0;
    virtual uint32_t Reset() = 0;
    // Stops whatever still runs and releases the device. Nothing is posted after it returns.
    virtual uint32_t Close() = 0;
    virtual bool GetPositionBytes(uint32_t& bytes) = 0;
    virtual bool GetPositionSamples(uint32_t& samples) = 0;
    // Whether the buffer came back because the device failed (kAudioError) rather than because
    // it was full or stopped (kAudioOk). Read after its "data" arrives.
    virtual uint32_t BlockResult() const { return kAudioOk; }
};

// The audio system: opens devices by number (kDefaultAudioDevice for the default one).
class AudioBackend {
public:
    virtual ~AudioBackend() = default;
    virtual uint32_t OpenOutput(int device, const AudioFormat& format, AudioCompletion done,
                                std::unique_ptr<AudioOutput>& out) = 0;
    virtual uint32_t OpenInput(int device, const AudioFormat& format, AudioCompletion data,
                               std::unique_ptr<AudioInput>& out) = 0;
};

// A machine without any audio system: every open fails with kAudioNoDriver.
class NoAudioBackend : public AudioBackend {
public:
    uint32_t OpenOutput(int, const AudioFormat&, AudioCompletion,
                        std::unique_ptr<AudioOutput>&) override {
        return kAudioNoDriver;
    }
    uint32_t OpenInput(int, const AudioFormat&, AudioCompletion,
                       std::unique_ptr<AudioInput>&) override {
        return kAudioNoDriver;
    }
};
