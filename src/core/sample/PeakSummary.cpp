#include "core/sample/PeakSummary.h"

#include <algorithm>

namespace {

// Where the bytes of one channel's values lie in a block, and how a byte becomes a value of the
// 8-bit view: a 16-bit value's high byte (the second, little-endian) with its sign flipped.
struct Lane {
    uint32_t stride;
    uint32_t offset;
    uint8_t flip;
};

Lane LaneOf(uint32_t layout, uint32_t channel) {
    const bool stereo = (layout & 8) != 0;
    const bool wide = (layout & 2) != 0;
    const uint32_t bytesPerValue = wide ? 2 : 1;
    return {bytesPerValue * (stereo ? 2 : 1),
            (stereo && channel == 1 ? bytesPerValue : 0) + (wide ? 1 : 0),
            static_cast<uint8_t>(wide ? 0x80 : 0)};
}

void Merge(PeakSummary::Range& into, uint8_t lo, uint8_t hi) {
    into.lo = std::min(into.lo, lo);
    into.hi = std::max(into.hi, hi);
}

// The lane's layout fixed at compile time, so that the loop over short runs is unrolled and
// vectorised: a paint scans up to 510 frames per column this way.
template <uint32_t Stride, uint32_t Offset, uint8_t Flip>
PeakSummary::Range ScanFixed(const uint8_t* data, uint64_t first, uint64_t last) {
    uint8_t lo = 255;
    uint8_t hi = 0;
    const uint8_t* p = data + first * Stride + Offset;
    const uint64_t count = last - first + 1;
    for (uint64_t i = 0; i < count; ++i) {
        const auto value = static_cast<uint8_t>(p[i * Stride] ^ Flip);
        lo = std::min(lo, value);
        hi = std::max(hi, value);
    }
    return {lo, hi};
}

PeakSummary::Range Scan(const uint8_t* data, const Lane& lane, uint64_t first, uint64_t last) {
    switch (lane.stride * 8 + lane.offset * 2 + (lane.flip != 0 ? 1 : 0)) {
        case 1 * 8:  // mono 8-bit
            return ScanFixed<1, 0, 0>(data, first, last);
        case 2 * 8:  // stereo 8-bit, left
            return ScanFixed<2, 0, 0>(data, first, last);
        case 2 * 8 + 2:  // stereo 8-bit, right
            return ScanFixed<2, 1, 0>(data, first, last);
        case 2 * 8 + 3:  // mono 16-bit
            return ScanFixed<2, 1, 0x80>(data, first, last);
        case 4 * 8 + 3:  // stereo 16-bit, left
            return ScanFixed<4, 1, 0x80>(data, first, last);
        default:  // stereo 16-bit, right
            return ScanFixed<4, 3, 0x80>(data, first, last);
    }
}

uint32_t Chunks(uint32_t frames, uint32_t size) {
    return static_cast<uint32_t>((uint64_t{frames} + size - 1) / size);
}

// Resizes `v` to `size`, giving back memory when the sound shrank to well under what it held.
void Fit(std::vector<uint8_t>& v, size_t size) {
    v.resize(size);
    if (v.capacity() > 2 * size + 64)
        v.shrink_to_fit();
}

}  // namespace

void PeakSummary::Refresh(const uint8_t* data, uint32_t layout, uint32_t frames,
                          uint64_t byteChanges) {
    m_scannedLast = 0;
    if (data == nullptr || frames == 0) {
        Clear();
        m_synced = byteChanges;
        m_layout = layout;
        return;
    }
    const bool trusted = m_openChanges == 0 && byteChanges == m_synced && layout == m_layout;
    if (!trusted)
        m_dirtyFrom = 0;
    // The block that held the old end, and every block past it, hold other frames now.
    if (frames != m_frames)
        m_dirtyFrom = std::min(m_dirtyFrom, std::min(m_frames, frames) / kCoarseFrames);
    m_data = data;
    m_layout = layout;
    m_frames = frames;
    m_channels = (layout & 8) != 0 ? 2 : 1;
    Resize(frames);
    const auto blocks = static_cast<uint32_t>(m_dirty.size());
    for (uint32_t block = 0; block < blocks; ++block) {
        if (block >= m_dirtyFrom || m_dirty[block]) {
            ScanBlock(block);
            ++m_scannedLast;
        }
    }
    std::fill(m_dirty.begin(), m_dirty.end(), false);
    m_dirtyFrom = blocks;
    m_synced = byteChanges;
}

void PeakSummary::BeginChange(uint64_t byteChanges) {
    if (m_openChanges++ == 0)
        m_changeBase = byteChanges;
}

void PeakSummary::EndChange(uint64_t byteChanges, uint32_t first, uint32_t last) {
    if (m_openChanges == 0)
        return;
    MarkBlocks(first, last);
    // The report covers the changes since it began; it brings the summary's count forward only
    // when nothing unreported happened before it.
    if (--m_openChanges == 0 && m_changeBase == m_synced)
        m_synced = byteChanges;
}

void PeakSummary::MarkBlocks(uint32_t first, uint32_t last) {
    if (first == kToEnd || first > last) {
        m_dirtyFrom = 0;  // the whole sound
        return;
    }
    if (last == kToEnd) {
        m_dirtyFrom = std::min(m_dirtyFrom, first / kCoarseFrames);
        return;
    }
    for (uint32_t block = first / kCoarseFrames; block <= last / kCoarseFrames; ++block) {
        if (block >= m_dirty.size()) {
            m_dirtyFrom = std::min(m_dirtyFrom, block);
            return;
        }
        m_dirty[block] = true;
    }
}

void PeakSummary::Clear() {
    // Swapped with empty vectors: assigning an empty one would keep the capacity.
    for (int channel = 0; channel < 2; ++channel) {
        std::vector<uint8_t>().swap(m_fine[channel]);
        std::vector<uint8_t>().swap(m_coarse[channel]);
    }
    std::vector<bool>().swap(m_dirty);
    m_dirtyFrom = 0;
    m_data = nullptr;
    m_frames = 0;
    m_channels = 0;
    m_synced = ~uint64_t{0};
}

void PeakSummary::Resize(uint32_t frames) {
    for (uint32_t channel = 0; channel < 2; ++channel) {
        const bool used = channel < m_channels;
        Fit(m_fine[channel], used ? size_t{2} * Chunks(frames, kFineFrames) : 0);
        Fit(m_coarse[channel], used ? size_t{2} * Chunks(frames, kCoarseFrames) : 0);
    }
    m_dirty.resize(Chunks(frames, kCoarseFrames));
}

void PeakSummary::ScanBlock(uint32_t block) {
    const uint64_t first = uint64_t{block} * kCoarseFrames;
    const uint64_t last = std::min<uint64_t>(m_frames, first + kCoarseFrames) - 1;
    for (uint32_t channel = 0; channel < m_channels; ++channel) {
        const Lane lane = LaneOf(m_layout, channel);
        Range whole;
        for (uint64_t chunk = first; chunk <= last; chunk += kFineFrames) {
            const Range range =
                Scan(m_data, lane, chunk, std::min<uint64_t>(chunk + kFineFrames - 1, last));
            const size_t at = 2 * (chunk / kFineFrames);
            m_fine[channel][at] = range.lo;
            m_fine[channel][at + 1] = range.hi;
            Merge(whole, range.lo, range.hi);
        }
        m_coarse[channel][2 * size_t{block}] = whole.lo;
        m_coarse[channel][2 * size_t{block} + 1] = whole.hi;
    }
}

PeakSummary::Range PeakSummary::ScanFrames(uint32_t channel, uint64_t first, uint64_t last) const {
    return Scan(m_data, LaneOf(m_layout, channel), first, last);
}

PeakSummary::Range PeakSummary::RangeOf(uint32_t channel, uint32_t first, uint32_t last) const {
    Range range;
    if (m_data == nullptr || first > last || last >= m_frames)
        return range;
    if (channel >= m_channels)
        channel = 0;
    const std::vector<uint8_t>& fine = m_fine[channel];
    const std::vector<uint8_t>& coarse = m_coarse[channel];
    uint64_t at = first;
    const uint64_t end = uint64_t{last} + 1;
    // Frames up to the first whole run of 256, then runs of 256 up to the first whole run of
    // 65 536, the long runs, and back down the same way.
    const uint64_t head = std::min(end, (at + kFineFrames - 1) / kFineFrames * kFineFrames);
    if (at < head) {
        const Range part = ScanFrames(channel, at, head - 1);
        Merge(range, part.lo, part.hi);
        at = head;
    }
    for (; at + kFineFrames <= end && at % kCoarseFrames != 0; at += kFineFrames)
        Merge(range, fine[2 * (at / kFineFrames)], fine[2 * (at / kFineFrames) + 1]);
    for (; at + kCoarseFrames <= end; at += kCoarseFrames)
        Merge(range, coarse[2 * (at / kCoarseFrames)], coarse[2 * (at / kCoarseFrames) + 1]);
    for (; at + kFineFrames <= end; at += kFineFrames)
        Merge(range, fine[2 * (at / kFineFrames)], fine[2 * (at / kFineFrames) + 1]);
    if (at < end) {
        const Range part = ScanFrames(channel, at, end - 1);
        Merge(range, part.lo, part.hi);
    }
    return range;
}

size_t PeakSummary::MemoryBytes() const {
    size_t bytes = m_dirty.capacity() / 8;
    for (int channel = 0; channel < 2; ++channel)
        bytes += m_fine[channel].capacity() + m_coarse[channel].capacity();
    return bytes;
}
