#include "core/editing/SampleEditing.h"

#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "core/clipboard/ClipboardBlock.h"
#include "core/clipboard/ClipboardService.h"
#include "core/messages/MessageSink.h"
#include "core/sample/FrameChangeNote.h"
#include "core/sample/FrameConversion.h"
#include "core/sample/FrameRange.h"
#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleHeap.h"

namespace {

// Writes the fill value of the sample's width into one value slot.
void Fill(uint8_t* p, size_t valueBytes) {
    if (valueBytes == 1) {
        p[0] = kFill8;
    } else {
        p[0] = kFill16[0];
        p[1] = kFill16[1];
    }
}

// Copies the selected channel's values of frames first..last, or the whole frames for mode 0.
void CopyBytes(const SampleBuffer& sample, uint32_t first, uint32_t last, uint32_t mode,
               uint8_t* out) {
    const size_t frameBytes = sample.GetBytesPerFrame();
    const uint8_t* data = sample.Data();
    if (mode == kBothChannels) {
        std::memcpy(out, data + first * frameBytes, (size_t{last} - first + 1) * frameBytes);
        return;
    }
    const size_t valueBytes = sample.GetBytesPerValue();
    const size_t offset = mode == kRightChannel ? valueBytes : 0;
    for (size_t f = first; f <= last; ++f, out += valueBytes) {
        std::memcpy(out, data + f * frameBytes + offset, valueBytes);
    }
}

// Opens the clipboard and reads its sound; false (with the message where one is due) when
// there is none to read. `block` keeps the clipboard's bytes alive without copying them.
bool ReadClipboard(ClipboardService& clipboard, MessageSink& messages, SharedClipboardBlock& block,
                   ClipboardSound& sound) {
    if (!clipboard.HasSample())
        return false;
    if (!clipboard.Open()) {
        messages.ShowMessage("Error opening clipboard!");
        return false;
    }
    auto got = clipboard.ShareSample();
    clipboard.Close();
    if (!got)
        return false;
    block = std::move(*got);
    return ReadClipboardBlock(block.data, block.size, sound);
}

// Writes `count` clipboard frames of layout From as layout To at `out`, `outStep` bytes apart;
// the layouts are fixed for the whole loop.
template <uint32_t From, uint32_t To>
void ConvertRun(const uint8_t* in, uint32_t count, uint8_t* out, size_t outStep) {
    constexpr size_t inStep = frames::BytesPerFrame(From);
    FrameValue value;
    for (uint32_t i = 0; i < count; ++i, in += inStep, out += outStep) {
        frames::Convert<From, To>(in, value);
        frames::Store<To>(out, value);
    }
}

// Fills the gap opened at `out` with the clipboard's frames: one copy when the layouts agree,
// else one loop chosen once for the pair of layouts. `to` is the sample's layout, or the mono
// layout of its width for a one-channel paste (then the frames are `outStep` bytes apart).
void PasteFrames(const ClipboardSound& sound, uint32_t count, uint32_t to, uint8_t* out,
                 size_t outStep) {
    const uint32_t from = sound.format.GetLayoutCode();
    if (from == to && outStep == frames::BytesPerFrame(to)) {
        std::memcpy(out, sound.bytes, size_t{count} * outStep);
        return;
    }
    frames::WithLayout(from, [&]<uint32_t From>() {
        frames::WithLayout(
            to, [&]<uint32_t To>() { ConvertRun<From, To>(sound.bytes, count, out, outStep); });
    });
}

// Gives the sample a new block holding the clipboard's bytes in the clipboard's format.
bool TakeClipboardSound(SampleBuffer& sample, const ClipboardSound& sound) {
    sample.SetFormat(sound.format);
    uint8_t* block = SampleHeap::Instance().Allocate(sound.count);
    if (block == nullptr) {
        sample.FreeBlock();
        return false;
    }
    if (sound.count != 0)
        std::memcpy(block, sound.bytes, sound.count);
    sample.AdoptBlock(block, sound.count);
    return true;
}

}  // namespace

bool Copy(ClipboardService& clipboard, MessageSink& messages, SampleBuffer& sample, uint32_t first,
          uint32_t last, uint32_t mode) {
    mode = EffectiveSelector(sample, mode);
    const bool hasRange = ResolveFrames(sample, first, last);
    const size_t frameBytes = sample.GetBytesPerFrame();
    const size_t byteCount = hasRange ? (size_t{last} - first + 1) * frameBytes : 0;
    const size_t n = mode == kBothChannels ? byteCount : byteCount / 2;
    std::vector<uint8_t> block;
    try {
        // Whole frames are appended below straight from the sound, without clearing them first.
        block.reserve(n + kClipboardHeaderSize);
        SampleHeap::PreferHugePagesFor(block.data(), block.capacity());
        block.resize(mode == kBothChannels ? kClipboardHeaderSize : n + kClipboardHeaderSize);
    } catch (const std::bad_alloc&) {
        messages.ShowMessage("Error - Out of Memory!");
        return false;
    }
    if (!sample.HasBlock()) {
        messages.ShowMessage("Error manipulating memory!");
        return false;
    }
    if (!clipboard.Open()) {
        messages.ShowMessage("Error opening clipboard!");
        return false;
    }
    SampleFormat format = sample.FormatRef();
    if (mode != kBothChannels)
        format.SetStereo(false);  // one channel is a mono sound
    WriteClipboardHeader(block, format, static_cast<uint32_t>(n));
    if (hasRange && mode == kBothChannels) {
        // Read only: a copy leaves playback of the sound running.
        const uint8_t* from = std::as_const(sample).Data() + size_t{first} * frameBytes;
        block.insert(block.end(), from, from + n);
    } else if (hasRange) {
        CopyBytes(sample, first, last, mode, block.data() + kClipboardHeaderSize);
    }
    clipboard.SetSample(std::move(block));
    clipboard.Close();
    return true;
}

bool Delete(SampleBuffer& sample, uint32_t first, uint32_t last, uint32_t mode) {
    const FrameChangeNote note(sample, first, FrameChangeNote::kToEnd);
    mode = EffectiveSelector(sample, mode);
    if (!ResolveFrames(sample, first, last))
        return true;
    const size_t frameBytes = sample.GetBytesPerFrame();
    const size_t length = sample.GetByteLength();
    const size_t byteStart = first * frameBytes;
    const size_t byteEnd = (size_t{last} + 1) * frameBytes;
    uint8_t* data = sample.Data();
    if (mode == kBothChannels) {
        std::memmove(data + byteStart, data + byteEnd, length - byteEnd);
        const size_t newLength = length - (byteEnd - byteStart);
        if (newLength == 0) {
            sample.FreeBlock();
        } else if (!sample.ResizeBytes(static_cast<uint32_t>(newLength))) {
            sample.SetByteLength(static_cast<uint32_t>(newLength));  // keep the larger block
        }
        return true;
    }
    const size_t valueBytes = sample.GetBytesPerValue();
    const size_t offset = mode == kRightChannel ? valueBytes : 0;
    size_t to = byteStart + offset;
    // A value counts only when all its bytes are inside the block (a relabelled or truncated
    // sound may end in part of a frame).
    for (size_t from = byteEnd + offset; from + valueBytes <= length;
         from += frameBytes, to += frameBytes) {
        std::memcpy(data + to, data + from, valueBytes);
    }
    for (; to + valueBytes <= length; to += frameBytes) Fill(data + to, valueBytes);
    return true;
}

bool Cut(ClipboardService& clipboard, MessageSink& messages, SampleBuffer& sample, uint32_t first,
         uint32_t last, uint32_t mode) {
    return Copy(clipboard, messages, sample, first, last, mode) &&
           Delete(sample, first, last, mode);
}

bool InsertSpace(MessageSink& messages, SampleBuffer& sample, uint32_t at, uint32_t count,
                 uint32_t mode) {
    const FrameChangeNote note(sample, at, FrameChangeNote::kToEnd);
    mode = EffectiveSelector(sample, mode);
    const size_t frameBytes = sample.GetBytesPerFrame();
    const uint32_t frames = sample.GetFrameCount();
    const size_t oldLength = size_t{frames} * frameBytes;
    const uint64_t newLength = uint64_t{sample.GetByteLength()} + uint64_t{count} * frameBytes;
    if (newLength > UINT32_MAX || !sample.ResizeBytes(static_cast<uint32_t>(newLength))) {
        messages.ShowMessage("Not enough memory while resizing sample (Inserting space)");
        return false;
    }
    if (at > frames)
        at = frames;
    uint8_t* data = sample.Data();
    const size_t insertByte = size_t{at} * frameBytes;
    const size_t shift = size_t{count} * frameBytes;
    if (mode == kBothChannels) {
        std::memmove(data + insertByte + shift, data + insertByte, oldLength - insertByte);
        return true;
    }
    const size_t valueBytes = sample.GetBytesPerValue();
    const size_t offset = mode == kRightChannel ? valueBytes : 0;
    const size_t other = mode == kRightChannel ? 0 : valueBytes;
    for (size_t f = frames; f-- > at;) {
        std::memcpy(data + (f + count) * frameBytes + offset, data + f * frameBytes + offset,
                    valueBytes);
    }
    // The other channel of the new frames at the end has no value of its own: it takes the same
    // fill as a one-channel delete leaves, in both widths.
    for (size_t f = frames; f < size_t{frames} + count; ++f) {
        Fill(data + f * frameBytes + other, valueBytes);
    }
    return true;
}

uint32_t Paste(ClipboardService& clipboard, MessageSink& messages, SampleBuffer& sample,
               uint32_t at, uint32_t mode) {
    SharedClipboardBlock block;
    ClipboardSound sound;
    if (!ReadClipboard(clipboard, messages, block, sound))
        return 0;
    const uint32_t clipFrames = sound.count / sound.format.GetBytesPerFrame();
    if (!sample.HasBlock()) {
        if (!TakeClipboardSound(sample, sound)) {
            messages.ShowUntitledMessage("Error manipulating memory!");
            return 0;
        }
        return clipFrames;
    }
    mode = EffectiveSelector(sample, mode);
    if (at > sample.GetFrameCount())
        at = 0;
    const FrameChangeNote note(sample, at, FrameChangeNote::kToEnd);
    if (!InsertSpace(messages, sample, at, clipFrames, mode))
        return 0;
    const size_t frameBytes = sample.GetBytesPerFrame();
    uint8_t* gap = sample.Data() + size_t{at} * frameBytes;
    if (mode == kBothChannels) {
        PasteFrames(sound, clipFrames, sample.FormatRef().GetLayoutCode(), gap, frameBytes);
        return clipFrames;
    }
    const bool is16 = sample.FormatRef().Is16Bit();
    const size_t offset = mode == kRightChannel ? sample.GetBytesPerValue() : 0;
    PasteFrames(sound, clipFrames, is16 ? kLayoutMono16 : kLayoutMono8, gap + offset, frameBytes);
    return clipFrames;
}

bool ReplaceFromClipboard(ClipboardService& clipboard, MessageSink& messages,
                          SampleBuffer& sample) {
    SharedClipboardBlock block;
    ClipboardSound sound;
    if (!ReadClipboard(clipboard, messages, block, sound))
        return false;
    if (!TakeClipboardSound(sample, sound)) {
        messages.ShowMessage("Error manipulating memory!");
        return false;
    }
    return true;
}
