#include "sample/SampleBuffer.h"

#include <cstring>

#include "sample/SampleHeap.h"

namespace {

// 8-bit unsigned to 16-bit signed: (b * 256) XOR 0x8000.
int16_t Widen(uint8_t b) {
    return static_cast<int16_t>(static_cast<uint16_t>((b << 8) ^ 0x8000));
}

// 16-bit signed to 8-bit unsigned: the high byte XOR 0x80.
uint8_t Narrow(int16_t s) {
    return static_cast<uint8_t>((static_cast<uint16_t>(s) >> 8) ^ 0x80);
}

int16_t ReadInt16(const uint8_t* p) {
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

void WriteInt16(uint8_t* p, int16_t value) {
    const auto u = static_cast<uint16_t>(value);
    p[0] = static_cast<uint8_t>(u & 0xFF);
    p[1] = static_cast<uint8_t>(u >> 8);
}

void SetMono8(FrameValue& out, uint8_t b) {
    out.SetByte(0, b);
}

void SetStereo8(FrameValue& out, uint8_t left, uint8_t right) {
    out.SetByte(0, left);
    out.SetByte(1, right);
}

}  // namespace

SampleBuffer::SampleBuffer() {
    SampleHeap::Instance();
}

SampleBuffer::~SampleBuffer() {
    FreeBlock();
}

void SampleBuffer::GetFrame(uint32_t index, uint32_t layoutCode, FrameValue& out) const {
    if (index >= GetFrameCount() || !IsValidLayoutCode(layoutCode) || m_data == nullptr) {
        return;
    }
    const uint8_t* p = m_data + static_cast<size_t>(index) * GetBytesPerFrame();
    switch (m_format.GetLayoutCode()) {
        case kLayoutMono8: {
            const uint8_t b = p[0];
            switch (layoutCode) {
                case kLayoutMono8:
                    SetMono8(out, b);
                    break;
                case kLayoutMono16:
                    out.slot[0] = Widen(b);
                    break;
                case kLayoutStereo8:
                    SetStereo8(out, b, b);
                    break;
                default:
                    out.slot[0] = out.slot[1] = Widen(b);
                    break;
            }
            break;
        }
        case kLayoutMono16: {
            const int16_t s = ReadInt16(p);
            switch (layoutCode) {
                case kLayoutMono8:
                    SetMono8(out, Narrow(s));
                    break;
                case kLayoutMono16:
                    out.slot[0] = s;
                    break;
                case kLayoutStereo8:
                    SetStereo8(out, Narrow(s), Narrow(s));
                    break;
                default:
                    out.slot[0] = out.slot[1] = s;
                    break;
            }
            break;
        }
        case kLayoutStereo8: {
            const uint8_t left = p[0];
            const uint8_t right = p[1];
            const uint32_t sum = static_cast<uint32_t>(left) + right;
            switch (layoutCode) {
                case kLayoutMono8:
                    SetMono8(out, static_cast<uint8_t>(sum >> 1));
                    break;
                case kLayoutMono16:
                    out.slot[0] = static_cast<int16_t>(static_cast<uint16_t>((sum * 128) ^ 0x8000));
                    break;
                case kLayoutStereo8:
                    SetStereo8(out, left, right);
                    break;
                default:
                    out.slot[0] = Widen(left);
                    out.slot[1] = Widen(right);
                    break;
            }
            break;
        }
        default: {
            const int16_t left = ReadInt16(p);
            const int16_t right = ReadInt16(p + 2);
            const auto mean = static_cast<int16_t>((int32_t{left} + int32_t{right}) / 2);
            switch (layoutCode) {
                case kLayoutMono8:
                    SetMono8(out, Narrow(mean));
                    break;
                case kLayoutMono16:
                    out.slot[0] = mean;
                    break;
                case kLayoutStereo8:
                    SetStereo8(out, Narrow(left), Narrow(right));
                    break;
                default:
                    out.slot[0] = left;
                    out.slot[1] = right;
                    break;
            }
            break;
        }
    }
}

void SampleBuffer::SetFrame(uint32_t index, const FrameValue& value) {
    uint8_t* p = m_data + static_cast<size_t>(index) * GetBytesPerFrame();
    switch (m_format.GetLayoutCode()) {
        case kLayoutMono8:
            p[0] = value.Byte(0);
            break;
        case kLayoutMono16:
            WriteInt16(p, value.slot[0]);
            break;
        case kLayoutStereo8:
            p[0] = value.Byte(0);
            p[1] = value.Byte(1);
            break;
        default:
            WriteInt16(p, value.slot[0]);
            WriteInt16(p + 2, value.slot[1]);
            break;
    }
}

bool SampleBuffer::ResizeFrames(uint32_t frames) {
    const uint32_t size = frames * GetBytesPerFrame();
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
    if (m_data != nullptr && m_data != block) {
        SampleHeap::Instance().Free(m_data);
    }
    m_data = block;
    m_lengthBytes = block != nullptr ? lengthBytes : 0;
}

void SampleBuffer::FreeBlock() {
    if (m_data != nullptr) {
        SampleHeap::Instance().Free(m_data);
        m_data = nullptr;
    }
    m_lengthBytes = 0;
}

bool SampleBuffer::ResizeBytes(uint32_t lengthBytes) {
    uint8_t* block = SampleHeap::Instance().Reallocate(m_data, lengthBytes);
    if (block == nullptr) {
        return false;
    }
    m_data = block;
    m_lengthBytes = lengthBytes;
    return true;
}
