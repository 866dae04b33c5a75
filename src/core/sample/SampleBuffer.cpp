#include "core/sample/SampleBuffer.h"

#include <cstring>

#include "core/sample/FrameConversion.h"
#include "core/sample/SampleHeap.h"

SampleBuffer::SampleBuffer() {
    SampleHeap::Instance();
}

SampleBuffer::~SampleBuffer() {
    // Playback and recording end before the block they use is freed.
    StopDevices();
    FreeBlock();
}

void SampleBuffer::GetFrame(uint32_t index, uint32_t layoutCode, FrameValue& out) const {
    if (index >= GetFrameCount() || !IsValidLayoutCode(layoutCode) || m_data == nullptr) {
        return;
    }
    frames::ReadFrame(m_data, m_format.GetLayoutCode(), index, layoutCode, out);
}

void SampleBuffer::SetFrame(uint32_t index, const FrameValue& value) {
    frames::WithLayout(m_format.GetLayoutCode(), [&]<uint32_t Own>() {
        frames::Store<Own>(m_data + static_cast<size_t>(index) * frames::BytesPerFrame(Own), value);
    });
}

bool SampleBuffer::ResizeFrames(uint32_t frames) {
    const uint32_t size = frames * GetBytesPerFrame();
    StopDevices();
    m_lengthBytes = size;
    // On failure the old block stays held (and freed with the buffer); lengthBytes already
    // names the requested size, so callers must abandon the buffer's bytes.
    uint8_t* block = SampleHeap::Instance().Reallocate(m_data, size);
    if (block != nullptr) {
        m_data = block;
        return true;
    }
    return false;
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
    m_info[static_cast<size_t>(index)] = text;
    return true;
}

void SampleBuffer::AdoptBlock(uint8_t* block, uint32_t lengthBytes) {
    StopDevices();
    if (m_data != nullptr && m_data != block) {
        SampleHeap::Instance().Free(m_data);
    }
    m_data = block;
    m_lengthBytes = block != nullptr ? lengthBytes : 0;
}

void SampleBuffer::FreeBlock() {
    StopDevices();
    if (m_data != nullptr) {
        SampleHeap::Instance().Free(m_data);
        m_data = nullptr;
    }
    m_lengthBytes = 0;
}

bool SampleBuffer::ResizeBytes(uint32_t lengthBytes) {
    StopDevices();
    uint8_t* block = SampleHeap::Instance().Reallocate(m_data, lengthBytes);
    if (block == nullptr) {
        return false;
    }
    m_data = block;
    m_lengthBytes = lengthBytes;
    return true;
}
