#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The smallest and largest value of every 256 frames and of every 65 536 frames of a sound, per
// channel, so that a window can draw the range of any run of frames in time that does not grow
// with the run's length. Values are those of the 8-bit view of the sound (what a window draws:
// 8-bit values as stored, 16-bit values narrowed to their high byte with the sign flipped), two
// bytes per 256 frames and channel: under 0.8 % of the sound's bytes.
//
// A SampleBuffer keeps one and brings it up to date when it is asked for it. The summary knows
// which 65 536-frame blocks changed since it last looked: operations that report the frames they
// rewrite (or, when they shift the data, the first frame from which it moved) get only those
// blocks scanned again; any change of the bytes that nobody reported gets the whole sound
// scanned again, so the summary is never stale.
class PeakSummary {
public:
    static constexpr uint32_t kFineFrames = 256;
    static constexpr uint32_t kCoarseFrames = 65536;
    static constexpr uint32_t kFinePerCoarse = kCoarseFrames / kFineFrames;
    // A reported change that reaches to the end of the sound (the data moved).
    static constexpr uint32_t kToEnd = 0xFFFFFFFFu;

    struct Range {
        uint8_t lo = 255;
        uint8_t hi = 0;
    };

    // Brings the summary up to date with the block `data` of `frames` frames in layout `layout`,
    // whose bytes had been changed `byteChanges` times. Scans only what was reported changed
    // when every change since the last refresh was reported.
    void Refresh(const uint8_t* data, uint32_t layout, uint32_t frames, uint64_t byteChanges);

    // Reports of the owner's operations: Begin before an operation that changes bytes, End after
    // it with the frames it changed. Nested reports are gathered into the outermost one.
    void BeginChange(uint64_t byteChanges);
    void EndChange(uint64_t byteChanges, uint32_t first, uint32_t last);

    // Lets go of the memory (the sound was freed).
    void Clear();

    // The range of the values of `channel` (0 left or only, 1 right; a mono sound answers both
    // alike) over frames first..last, both included, as of the last refresh. The caller keeps
    // first <= last < the frame count.
    Range RangeOf(uint32_t channel, uint32_t first, uint32_t last) const;

    // The bytes the summary holds.
    size_t MemoryBytes() const;
    // How many 65 536-frame blocks the last refresh scanned again.
    uint32_t BlocksScannedLastRefresh() const { return m_scannedLast; }

private:
    void Resize(uint32_t frames);
    void ScanBlock(uint32_t block);
    void MarkBlocks(uint32_t first, uint32_t last);
    Range ScanFrames(uint32_t channel, uint64_t first, uint64_t last) const;

    const uint8_t* m_data = nullptr;
    uint32_t m_layout = 0;
    uint32_t m_frames = 0;
    uint32_t m_channels = 0;
    // Per channel: min and max pairs, one pair per 256 frames and one per 65 536 frames.
    std::vector<uint8_t> m_fine[2];
    std::vector<uint8_t> m_coarse[2];
    // Blocks to scan again at the next refresh: those flagged and every one from m_dirtyFrom on.
    std::vector<bool> m_dirty;
    uint32_t m_dirtyFrom = 0;
    // The byte-change count that the summary (with its dirty blocks) describes; none at first.
    uint64_t m_synced = ~uint64_t{0};
    int m_openChanges = 0;
    uint64_t m_changeBase = 0;
    uint32_t m_scannedLast = 0;
};
