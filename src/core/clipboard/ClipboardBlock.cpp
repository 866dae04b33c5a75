#include "core/clipboard/ClipboardBlock.h"

#include <algorithm>

#include "core/sample/ByteOrder.h"

namespace {

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    byteorder::Store32LE(out.data() + at, value);
}

uint32_t Get32(const uint8_t* in, size_t at) {
    return byteorder::Load32LE(in + at);
}

}  // namespace

void WriteClipboardHeader(std::vector<uint8_t>& block, const SampleFormat& format, uint32_t count) {
    if (block.size() < kClipboardHeaderSize)
        block.resize(kClipboardHeaderSize);
    Put32(block, 0, format.GetFrequency());
    Put32(block, 4, format.Is16Bit() ? 1 : 0);
    Put32(block, 8, format.IsStereo() ? 1 : 0);
    Put32(block, 12, count);
}

bool ReadClipboardBlock(const uint8_t* block, size_t size, ClipboardSound& sound) {
    if (size < kClipboardHeaderSize)
        return false;
    sound.format = SampleFormat(Get32(block, 0), Get32(block, 8) != 0, Get32(block, 4) != 0);
    const size_t available = size - kClipboardHeaderSize;
    sound.count = static_cast<uint32_t>(std::min<size_t>(Get32(block, 12), available));
    sound.bytes = block + kClipboardHeaderSize;
    return true;
}
