#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/audio/AudioDevice.h"

#include "core/sample/SampleFormat.h"

class AudioEventTarget;
class MessageSink;

// One frame passed by value: slot 0 the left (or only) channel, slot 1 the right. A 16-bit value
// fills its slot; an 8-bit value sits in the low byte of its slot (bytes 0 and 2 of the record).
struct FrameValue {
    int16_t slot[2] = {0, 0};

    uint8_t Byte(int channel) const { return static_cast<uint8_t>(slot[channel] & 0xFF); }
    void SetByte(int channel, uint8_t value) {
        slot[channel] = static_cast<int16_t>((slot[channel] & ~0xFF) | value);
    }
};

enum InfoIndex : int {
    kInfoArtist = 0,
    kInfoComments = 1,
    kInfoCopyright = 2,
    kInfoCreationDate = 3,
    kInfoName = 4,
    kInfoSoftware = 5,
    kInfoCount = 6,
};

// A whole sound in memory: one contiguous block of PCM in the sample heap, its format, six
// information strings and the options word of the file handlers.
class SampleBuffer {
public:
    SampleBuffer();
    virtual ~SampleBuffer();
    SampleBuffer(const SampleBuffer&) = delete;
    SampleBuffer& operator=(const SampleBuffer&) = delete;

    SampleFormat& FormatRef() { return m_format; }
    const SampleFormat& FormatRef() const { return m_format; }
    void GetFormat(SampleFormat& out) const { out = m_format; }
    // A relabel: the bytes are not touched.
    void SetFormat(const SampleFormat& format) { m_format = format; }
    // Stores the frequency as given, without the 50000 Hz cap.
    void SetFormat(uint32_t frequency, bool isStereo, bool is16Bit) {
        m_format = SampleFormat(frequency, isStereo, is16Bit);
    }
    // Converts the bytes to the target layout and rate, then adopts the target.
    bool ChangeFormat(const SampleFormat& target, MessageSink& messages);

    uint32_t GetFrequency() const { return m_format.GetFrequency(); }
    uint32_t GetBits() const { return m_format.GetBits(); }
    uint32_t GetChannels() const { return m_format.GetChannels(); }
    uint32_t GetBytesPerValue() const { return m_format.GetBytesPerValue(); }
    uint32_t GetBytesPerFrame() const { return m_format.GetBytesPerFrame(); }
    uint32_t GetFrameCount() const { return m_lengthBytes / GetBytesPerFrame(); }
    uint32_t GetByteLength() const { return m_lengthBytes; }

    // Frame `index` converted to the layout code asked for; an index at or past the frame count
    // or an unknown layout code leaves `out` unchanged.
    void GetFrame(uint32_t index, uint32_t layoutCode, FrameValue& out) const;
    // Writes frame `index` in the buffer's own layout. The caller keeps index in range.
    void SetFrame(uint32_t index, const FrameValue& value);

    // Makes the block hold exactly `frames` frames (new bytes are not cleared). lengthBytes is
    // set before the block is asked for, so after a failure the bytes must not be used.
    bool ResizeFrames(uint32_t frames);

    bool GetInfo(int index, std::string& text) const;
    bool SetInfo(int index, const std::string& text);
    const std::string& Info(int index) const { return m_info[static_cast<size_t>(index)]; }

    // Direct access for the effects, the file handlers and the editing operations.
    uint8_t* Data() { return m_data; }
    const uint8_t* Data() const { return m_data; }
    bool HasBlock() const { return m_data != nullptr; }
    // Frees any block held before and takes `block` (from the sample heap) of `lengthBytes`.
    void AdoptBlock(uint8_t* block, uint32_t lengthBytes);
    // Frees the block; the buffer then holds none and has lengthBytes 0.
    void FreeBlock();
    // Sets lengthBytes without touching the block (callers that trim or fill the block).
    void SetByteLength(uint32_t lengthBytes) { m_lengthBytes = lengthBytes; }
    // Reallocates the block to `lengthBytes` (allocating one if none is held). On failure the
    // buffer is unchanged and false is returned.
    bool ResizeBytes(uint32_t lengthBytes);

    uint32_t GetFormatOptions() const { return m_formatOptions; }
    void SetFormatOptions(uint32_t options) { m_formatOptions = options; }

    // Playback (defined in audio/PlaybackEngine.cpp). The target receives OnPlayDone on its
    // own thread (nullptr: no completion is delivered). Play answers 0 when the range was
    // queued, 1 when a range already plays, no block is held or the range cannot be queued, or
    // the device's error code. (start, end) = (-1, -1) plays the whole sound.
    uint16_t Play(AudioBackend& devices, AudioEventTarget* target, int device, uint32_t start,
                  uint32_t end);
    uint32_t PausePlay();
    uint32_t ResetPlay();
    uint32_t ClosePlay();
    // The frame now playing; the last frame of the range once the device is closed.
    uint32_t GetPlayPosition();

    // Recording (defined in audio/RecordingEngine.cpp): replaces the whole sound by one block
    // of `blockBytes` recorded in the current format. 1 when recording has started, else 0.
    uint16_t Record(AudioBackend& devices, MessageSink& messages, AudioEventTarget* target,
                    uint32_t blockBytes, int device);
    uint32_t StopRecord();
    // Called with the header that OnRecordData carries; 1 once the recording is finished.
    uint16_t RecordBufferDone(RecordHeader* header);
    double GetRecordFraction();
    uint32_t GetRecordSamplePosition();
    uint32_t GetRecordedBytes() const { return m_recordedBytes; }

    // Stops and closes playback and recording at once, so that the block may be freed or
    // moved. A device must never hold a block that is freed or moved: every operation that
    // replaces, frees or reallocates the block (AdoptBlock, FreeBlock, ResizeBytes,
    // ResizeFrames, and so the clipboard, a recording, a reallocating format change) and the
    // closing of a document call it first. A recording stopped this way keeps what it had
    // recorded. No completion is delivered for devices stopped this way afterwards.
    void StopDevices();

    // Whether the block is lent to an output or input device.
    bool IsPlaying() const { return m_isPlaying; }
    bool IsRecording() const { return m_isRecording; }

protected:
    // The device states; protected so that tests of the windows can show a sound as busy
    // without a device.
    bool m_isPlaying = false;
    bool m_isRecording = false;

private:
    // Fills the device format from the sound's own format.
    void FillWaveFormat();
    void ReleaseInputDevice();

    SampleFormat m_format;
    std::array<std::string, kInfoCount> m_info;
    uint32_t m_lengthBytes = 0;
    uint32_t m_recordedBytes = 0;
    int32_t m_buffersQueued = 0;
    bool m_stopRequested = false;
    uint8_t* m_data = nullptr;
    uint32_t m_formatOptions = 0;
    AudioFormat m_waveFormat;
    std::unique_ptr<AudioOutput> m_waveOut;
    const uint8_t* m_playData = nullptr;  // the block lent to the output device
    uint32_t m_playBytes = 0;
    std::unique_ptr<AudioInput> m_waveIn;
    std::unique_ptr<RecordHeader> m_recordHeader;
    // Completions carry a weak reference to the token of the device that posted them; a device
    // stopped by StopDevices drops its token, so its late completions are ignored.
    std::shared_ptr<int> m_playToken;
    std::shared_ptr<int> m_recordToken;
    uint32_t m_playStart = 0;
    uint32_t m_playEnd = 0;
};
