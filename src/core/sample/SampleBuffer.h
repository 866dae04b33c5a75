#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/sample/PeakSummary.h"
#include "core/sample/SampleFormat.h"

class BlockLessee;

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
//
// The block may be lent to one device at a time (see BlockLessee). Every entry that moves,
// frees, resizes or rewrites the block ends the lease first, through one private path, so no
// caller has to remember to stop playback or recording; code that only reads the block uses the
// const access and leaves the device running. The same path counts the changes, so a document
// can tell that its sound changed (edit, effect, conversion, recording, information text)
// without each command saying so.
class SampleBuffer {
public:
    SampleBuffer();
    ~SampleBuffer();
    SampleBuffer(const SampleBuffer&) = delete;
    SampleBuffer& operator=(const SampleBuffer&) = delete;

    SampleFormat& FormatRef() { return m_format; }
    const SampleFormat& FormatRef() const { return m_format; }
    void GetFormat(SampleFormat& out) const { out = m_format; }
    // A relabel: the bytes are not touched.
    void SetFormat(const SampleFormat& format) {
        ++m_changes;
        m_format = format;
    }
    // Stores the frequency as given, without the 50000 Hz cap.
    void SetFormat(uint32_t frequency, bool isStereo, bool is16Bit) {
        SetFormat(SampleFormat(frequency, isStereo, is16Bit));
    }

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

    // Makes the block hold exactly `frames` frames (new bytes are not cleared). When the block
    // cannot be had, or its size would pass the 32-bit byte count, the buffer is unchanged and
    // false is returned.
    bool ResizeFrames(uint32_t frames);

    bool GetInfo(int index, std::string& text) const;
    bool SetInfo(int index, const std::string& text);
    const std::string& Info(int index) const { return m_info[static_cast<size_t>(index)]; }

    // Direct access for the effects, the file handlers and the editing operations. The
    // writable access ends any lease first; readers take the const one.
    uint8_t* Data() {
        EndLease();
        return m_data;
    }
    const uint8_t* Data() const { return m_data; }
    bool HasBlock() const { return m_data != nullptr; }
    // Frees any block held before and takes `block` (from the sample heap) of `lengthBytes`.
    void AdoptBlock(uint8_t* block, uint32_t lengthBytes);
    // Frees the block; the buffer then holds none and has lengthBytes 0.
    void FreeBlock();
    // Sets lengthBytes without touching the block (callers that trim or fill the block).
    void SetByteLength(uint32_t lengthBytes) {
        EndLease();
        m_lengthBytes = lengthBytes;
    }
    // Reallocates the block to `lengthBytes` (allocating one if none is held). On failure the
    // buffer is unchanged and false is returned.
    bool ResizeBytes(uint32_t lengthBytes);

    uint32_t GetFormatOptions() const { return m_formatOptions; }
    void SetFormatOptions(uint32_t options) { m_formatOptions = options; }

    // Lends the block to `lessee` (ending any other lease first) until it gives the block back
    // with Release or the sound ends the lease.
    void Lend(BlockLessee* lessee);
    // The lessee gives the block back itself; EndLease is not called. Another lessee's lease is
    // left alone.
    void Release(const BlockLessee* lessee);
    // Whether the block is lent to a device, and to one that writes into it.
    bool IsLent() const { return m_lessee != nullptr; }
    bool IsLentForWriting() const;

    // Grows with every writable access to the block, every relabel and every information text
    // set (an access that only reads through it may count too: the count errs towards
    // "changed"). Equal counts mean an unchanged sound.
    uint64_t ChangeCount() const { return m_changes; }
    // Grows with every writable access to the block and every lease for writing given back:
    // unlike ChangeCount, a relabel or an information text leaves it alone.
    uint64_t ByteChangeCount() const { return m_byteChanges; }

    // The summary of the smallest and largest values, brought up to date first (see
    // PeakSummary). Freed with the block.
    const PeakSummary& Peaks() const;
    // An operation that changes bytes may say which frames it changed (see FrameChangeNote), so
    // that the summary scans only those again; PeakSummary::kToEnd as `last` means the data
    // moved from `first` on, and all-ones as `first` means the whole sound.
    void BeginFrameChange() { m_peaks.BeginChange(m_byteChanges); }
    void EndFrameChange(uint32_t first, uint32_t last) {
        m_peaks.EndChange(m_byteChanges, first, last);
    }

private:
    // The one path by which every mutating entry takes the block back from a device (inline:
    // SetFrame runs it once per frame).
    void EndLease() {
        ++m_changes;
        ++m_byteChanges;
        if (m_lessee != nullptr)
            TakeBackBlock();
    }
    void TakeBackBlock();

    SampleFormat m_format;
    std::array<std::string, kInfoCount> m_info;
    uint32_t m_lengthBytes = 0;
    uint8_t* m_data = nullptr;
    uint32_t m_formatOptions = 0;
    BlockLessee* m_lessee = nullptr;
    uint64_t m_changes = 0;
    uint64_t m_byteChanges = 0;
    mutable PeakSummary m_peaks;  // a cache of what the bytes hold, kept up to date on reading
};
