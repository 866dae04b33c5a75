#include "core/sample/SampleBuffer.h"

#include <cstring>

#include "core/sample/BlockLessee.h"
#include "core/sample/FrameConversion.h"
#include "core/sample/SampleHeap.h"

SampleBuffer::SampleBuffer() {
    SampleHeap::Instance();
}

SampleBuffer::~SampleBuffer() {
    // FreeBlock ends any lease first: the device lets go before the block is freed.
    FreeBlock();
}

void SampleBuffer::TakeBackBlock() {
    // The lease is taken back before the lessee is told, so that what the lessee does to the
    // sound while it stops (a recording sets the length it captured) does not come back here.
    BlockLessee* lessee = m_lessee;
    m_lessee = nullptr;
    lessee->EndLease();
}

void SampleBuffer::Lend(BlockLessee* lessee) {
    if (m_lessee != lessee) {
        // Lending changes no bytes, so the peak summary need not look again; taking the block
        // back from a device that wrote into it, or what a lessee does while it stops, does.
        const bool fromWriter = IsLentForWriting();
        const uint64_t bytesBefore = m_byteChanges;
        EndLease();
        if (!fromWriter && m_byteChanges == bytesBefore + 1)
            m_byteChanges = bytesBefore;
    }
    m_lessee = lessee;
}

void SampleBuffer::Release(const BlockLessee* lessee) {
    if (m_lessee == lessee) {
        // A device that wrote into the block changed its bytes without passing through here.
        if (lessee->WritesBlock())
            ++m_byteChanges;
        m_lessee = nullptr;
    }
}

const PeakSummary& SampleBuffer::Peaks() const {
    // While a device writes into the block, nothing tells what it wrote: the summary is built
    // from scratch each time it is asked for.
    if (IsLentForWriting())
        m_peaks.Clear();
    m_peaks.Refresh(m_data, m_format.GetLayoutCode(), GetFrameCount(), m_byteChanges);
    return m_peaks;
}

bool SampleBuffer::IsLentForWriting() const {
    return m_lessee != nullptr && m_lessee->WritesBlock();
}

void SampleBuffer::GetFrame(uint32_t index, uint32_t layoutCode, FrameValue& out) const {
    if (index >= GetFrameCount() || !IsValidLayoutCode(layoutCode) || m_data == nullptr) {
        return;
    }
    frames::ReadFrame(m_data, m_format.GetLayoutCode(), index, layoutCode, out);
}

void SampleBuffer::SetFrame(uint32_t index, const FrameValue& value) {
    EndLease();
    frames::WithLayout(m_format.GetLayoutCode(), [&]<uint32_t Own>() {
        frames::Store<Own>(m_data + static_cast<size_t>(index) * frames::BytesPerFrame(Own), value);
    });
}

bool SampleBuffer::ResizeFrames(uint32_t frames) {
    // A length past the 32-bit byte count would wrap to a small block; refuse it instead.
    const uint64_t size = uint64_t{frames} * GetBytesPerFrame();
    if (size > UINT32_MAX)
        return false;
    return ResizeBytes(static_cast<uint32_t>(size));
}

bool SampleBuffer::GetInfo(int index, std::string& text) const {
    if (index < 0 || index >= kInfoCount) {
        return false;
    }
    text = m_info[static_cast<size_t>(index)];
    return true;
}

bool SampleBuffer::SetInfo(int index, const std::string& text) {
    if (index < 0 || index >= kInfoCount) {
        return false;
    }
    ++m_changes;
    m_info[static_cast<size_t>(index)] = text;
    return true;
}

void SampleBuffer::AdoptBlock(uint8_t* block, uint32_t lengthBytes) {
    EndLease();
    if (m_data != nullptr && m_data != block) {
        SampleHeap::Instance().Free(m_data);
    }
    m_data = block;
    m_lengthBytes = block != nullptr ? lengthBytes : 0;
}

void SampleBuffer::FreeBlock() {
    EndLease();
    if (m_data != nullptr) {
        SampleHeap::Instance().Free(m_data);
        m_data = nullptr;
    }
    m_lengthBytes = 0;
    m_peaks.Clear();
}

bool SampleBuffer::ResizeBytes(uint32_t lengthBytes) {
    EndLease();
    uint8_t* block = SampleHeap::Instance().Reallocate(m_data, lengthBytes);
    if (block == nullptr) {
        return false;
    }
    m_data = block;
    m_lengthBytes = lengthBytes;
    return true;
}
