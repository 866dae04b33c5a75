#include "core/effects/Convert.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "core/effects/VectorClones.h"
#include "core/messages/MessageSink.h"
#include "core/sample/FrameConversion.h"
#include "core/sample/SampleBuffer.h"

namespace {

// Frames are converted in runs into a buffer of their own and copied back in place: the loop
// that converts reads and writes different memory, so it becomes vector code. A run is read whole
// before it is written back, and it writes only where its own or already converted frames lay.
constexpr uint32_t kRun = 2048;

template <uint32_t From, uint32_t To>
void ConvertRun(uint8_t* data, size_t first, uint32_t count) {
    constexpr size_t in = frames::BytesPerFrame(From);
    constexpr size_t out = frames::BytesPerFrame(To);
    uint8_t converted[kRun * out];
    const uint8_t* source = data + first * in;
    for (uint32_t i = 0; i < count; ++i) {
        FrameValue value;
        frames::Convert<From, To>(source + i * in, value);
        frames::Store<To>(converted + i * out, value);
    }
    std::memcpy(data + first * out, converted, count * out);
}

// From the last run down when the frames grow, so no frame is overwritten before it is read.
template <uint32_t From, uint32_t To>
void ConvertFramesUp(uint8_t* data, uint32_t frameCount) {
    for (uint32_t end = frameCount; end > 0;) {
        const uint32_t count = std::min(end, kRun);
        end -= count;
        ConvertRun<From, To>(data, end, count);
    }
}

template <uint32_t From, uint32_t To>
void ConvertFramesDown(uint8_t* data, uint32_t frameCount) {
    for (uint32_t first = 0; first < frameCount; first += kRun)
        ConvertRun<From, To>(data, first, std::min(frameCount - first, kRun));
}

// One channel value of frame `k` as the interpolation reads it: 8-bit values unsigned, 16-bit
// values signed.
template <bool Is16>
inline int Value(const uint8_t* data, size_t frameBytes, size_t k, size_t channel) {
    const uint8_t* p = data + k * frameBytes + channel * (Is16 ? 2 : 1);
    if constexpr (Is16)
        return frames::Load16(p);
    return p[0];
}

template <bool Is16>
inline void Put(uint8_t* data, size_t frameBytes, size_t i, size_t channel, int value) {
    uint8_t* p = data + i * frameBytes + channel * (Is16 ? 2 : 1);
    if constexpr (Is16) {
        frames::Store16(p, static_cast<int16_t>(value));
    } else {
        p[0] = static_cast<uint8_t>(value);
    }
}

template <bool Is16, size_t Channels>
inline void InterpolateFrame(uint8_t* data, size_t i, double ratio, size_t lastIn) {
    constexpr size_t frameBytes = Channels * (Is16 ? 2 : 1);
    // Signed conversions: x86 converts doubles to signed integers in one instruction.
    const double pos = static_cast<double>(static_cast<int64_t>(i)) * ratio;
    auto k = static_cast<size_t>(static_cast<int64_t>(pos));
    const double f = pos - static_cast<double>(static_cast<int64_t>(k));
    if (k > lastIn)
        k = lastIn;  // never read past the input, whatever rounding does
    const size_t next = k < lastIn ? k + 1 : lastIn;
    int out[Channels];
    for (size_t c = 0; c < Channels; ++c) {
        const int a = Value<Is16>(data, frameBytes, k, c);
        const int b = Value<Is16>(data, frameBytes, next, c);
        out[c] = static_cast<int>(static_cast<double>(b - a) * f + a);
    }
    for (size_t c = 0; c < Channels; ++c) Put<Is16>(data, frameBytes, i, c, out[c]);
}

// Output frames are computed in runs into a buffer of their own and copied back, like the layout
// conversions: each step of a run is a loop over plain arrays that becomes vector code. The
// arithmetic is InterpolateFrame's, operation for operation, so the values are the same; only the
// truncations go through 32-bit integers, exact while frame indexes stay below 2^31.
constexpr uint32_t kInterpolateRun = 1024;

// Channel `channel` of a frame read as one little-endian word, as Value reads it.
template <bool Is16, typename Word>
inline int ChannelOf(Word frame, size_t channel) {
    if constexpr (Is16)
        return static_cast<int16_t>(static_cast<uint16_t>(frame >> (16 * channel)));
    return static_cast<uint8_t>(frame >> (8 * channel));
}

// With AVX2 where the processor has it: twice the values per conversion instruction. AVX2 brings no
// fused multiply-add, so the arithmetic and its roundings stay the same on either path.
template <bool Is16, size_t Channels>
ORVEX_VECTOR_CLONES void InterpolateRun(uint8_t* data, int32_t first, int32_t count, double ratio,
                                        int32_t lastIn) {
    constexpr size_t frameBytes = Channels * (Is16 ? 2 : 1);
    double fraction[kInterpolateRun];
    int32_t at[kInterpolateRun];
    // A frame is read as one word, split into its channel values below.
    using Word = std::conditional_t<frameBytes == 4, uint32_t,
                                    std::conditional_t<frameBytes == 2, uint16_t, uint8_t>>;
    Word a[kInterpolateRun];
    Word b[kInterpolateRun];
    for (int32_t j = 0; j < count; ++j) {
        const double pos = static_cast<double>(first + j) * ratio;
        const auto k = static_cast<int32_t>(pos);
        fraction[j] = pos - static_cast<double>(k);
        at[j] = std::min(k, lastIn);
    }
    // The reads: frame k and the next one (the last frame stands in for the one past it).
    for (int32_t j = 0; j < count; ++j) {
        const size_t k = static_cast<size_t>(at[j]);
        const size_t next = k + (at[j] < lastIn ? 1 : 0);
        std::memcpy(&a[j], data + k * frameBytes, frameBytes);
        std::memcpy(&b[j], data + next * frameBytes, frameBytes);
    }
    using Out = std::conditional_t<Is16, int16_t, uint8_t>;
    Out out[kInterpolateRun * Channels];
    for (int32_t j = 0; j < count; ++j) {
        for (size_t c = 0; c < Channels; ++c) {
            const int va = ChannelOf<Is16>(a[j], c);
            const int vb = ChannelOf<Is16>(b[j], c);
            out[j * Channels + c] =
                static_cast<Out>(static_cast<int>(static_cast<double>(vb - va) * fraction[j] + va));
        }
    }
    // Words and stores are little-endian, as the processors we build for are.
    static_assert(std::endian::native == std::endian::little);
    std::memcpy(data + static_cast<size_t>(first) * frameBytes, out, count * frameBytes);
}

// A ratio of rates that is a power of two (11025, 22050 and 44100 Hz one to another) puts every
// position on an exact binary fraction k + r / Factor. The double arithmetic above is then exact
// up to its final truncation toward zero, which integer division does alike, so these integer
// runs give the same values as InterpolateRun at a fraction of its cost.

// The exponent e of a ratio that is exactly 2^e, with |e| up to 16; anything else gives 0.
int BinaryExponent(double ratio) {
    int exponent = 0;
    if (std::frexp(ratio, &exponent) != 0.5 || exponent - 1 < -16 || exponent - 1 > 16)
        return 0;
    return exponent - 1;
}

// Shrinking by 2^shift: every output frame is input frame i << shift, read before anything at
// or above it is written, from the first frame up.
template <size_t FrameBytes>
ORVEX_VECTOR_CLONES void PickFrames(uint8_t* data, size_t outFrames, int shift, size_t lastIn) {
    using Word = std::conditional_t<FrameBytes == 4, uint32_t,
                                    std::conditional_t<FrameBytes == 2, uint16_t, uint8_t>>;
    for (size_t i = 0; i < outFrames; ++i) {
        Word frame;
        std::memcpy(&frame, data + std::min(i << shift, lastIn) * FrameBytes, FrameBytes);
        std::memcpy(data + i * FrameBytes, &frame, FrameBytes);
    }
}

constexpr uint32_t kSpreadRun = 1024;

// Growing by Factor: input frames [firstIn, firstIn + countIn) become the output frames from
// firstIn * Factor on. Each value is (a * Factor + (b - a) * r) / Factor truncated toward zero,
// a and b one channel of an input frame and of the next one (the last frame is its own next).
template <bool Is16, size_t Channels, int Factor>
ORVEX_VECTOR_CLONES void SpreadRun(uint8_t* data, uint32_t firstIn, uint32_t countIn,
                                   uint32_t lastIn) {
    using Value = std::conditional_t<Is16, int16_t, uint8_t>;
    constexpr size_t frameBytes = Channels * sizeof(Value);
    const bool lastIncluded = firstIn + countIn > lastIn;
    Value in[(kSpreadRun + 1) * Channels];
    std::memcpy(in, data + size_t{firstIn} * frameBytes, (countIn + !lastIncluded) * frameBytes);
    if (lastIncluded)
        std::memcpy(in + countIn * Channels, in + (countIn - 1) * Channels, frameBytes);
    // Step r of every frame as a plain loop over the values, then the steps interleaved frame by
    // frame (a frame moves as one word): both loops become vector code.
    using Word = std::conditional_t<frameBytes == 4, uint32_t,
                                    std::conditional_t<frameBytes == 2, uint16_t, uint8_t>>;
    const size_t values = size_t{countIn} * Channels;
    Word steps[Factor][kSpreadRun];
    std::memcpy(steps[0], in, countIn * frameBytes);
    for (int r = 1; r < Factor; ++r) {
        Value step[kSpreadRun * Channels];
        for (size_t v = 0; v < values; ++v) {
            const int a = in[v];
            step[v] = static_cast<Value>((a * Factor + (in[v + Channels] - a) * r) / Factor);
        }
        std::memcpy(steps[r], step, countIn * frameBytes);
    }
    Word out[kSpreadRun * Factor];
    for (uint32_t j = 0; j < countIn; ++j) {
        for (int r = 0; r < Factor; ++r) out[j * Factor + r] = steps[r][j];
    }
    std::memcpy(data + size_t{firstIn} * Factor * frameBytes, out, countIn * Factor * frameBytes);
}

template <bool Is16, size_t Channels, int Factor>
void Spread(uint8_t* data, uint32_t inFrames) {
    for (uint32_t end = inFrames; end > 0;) {
        const uint32_t count = std::min(end, kSpreadRun);
        end -= count;
        SpreadRun<Is16, Channels, Factor>(data, end, count, inFrames - 1);
    }
}

// The power-of-two conversions that have integer runs: any shrinking, growing by 2 or 4.
bool HasBinaryRuns(int exponent) {
    return exponent > 0 || exponent == -1 || exponent == -2;
}

// Output frames past Factor * inFrames (a partial input frame scaled up) are left to the caller.
template <bool Is16, size_t Channels>
void InterpolateBinary(uint8_t* data, uint32_t outFrames, uint32_t inFrames, int exponent) {
    constexpr size_t frameBytes = Channels * (Is16 ? 2 : 1);
    if (exponent > 0) {
        PickFrames<frameBytes>(data, outFrames, exponent, inFrames - 1);
    } else if (exponent == -1) {
        Spread<Is16, Channels, 2>(data, inFrames);
    } else {
        Spread<Is16, Channels, 4>(data, inFrames);
    }
}

// Writes the output frames in the order that keeps the in-place rewrite safe: from the last
// down when growing (an output frame reads only input frames at or below it, and a run reads all
// it needs before writing), from the first up when shrinking (it reads only frames at or above).
template <bool Is16, size_t Channels>
void Interpolate(uint8_t* data, uint32_t outFrames, uint32_t inFrames, double ratio, bool growing) {
    const size_t lastIn = inFrames - 1;
    if (const int exponent = BinaryExponent(ratio); HasBinaryRuns(exponent)) {
        // Frames past Factor * inFrames come from a partial input frame; they repeat the last
        // frame, and go first, before the runs overwrite it.
        const uint64_t whole = exponent < 0 ? uint64_t{inFrames} << -exponent : outFrames;
        for (auto i = static_cast<size_t>(outFrames); i-- > whole;)
            InterpolateFrame<Is16, Channels>(data, i, ratio, lastIn);
        InterpolateBinary<Is16, Channels>(data, outFrames, inFrames, exponent);
        return;
    }
    if (outFrames >= (1u << 31) || inFrames >= (1u << 31)) {
        // Indexes too large for the runs' 32-bit arithmetic: one frame at a time.
        if (growing) {
            for (size_t i = outFrames; i-- > 0;)
                InterpolateFrame<Is16, Channels>(data, i, ratio, lastIn);
        } else {
            for (size_t i = 0; i < outFrames; ++i)
                InterpolateFrame<Is16, Channels>(data, i, ratio, lastIn);
        }
        return;
    }
    const auto last = static_cast<int32_t>(lastIn);
    const auto frames = static_cast<int32_t>(outFrames);
    constexpr auto run = static_cast<int32_t>(kInterpolateRun);
    if (growing) {
        for (int32_t end = frames; end > 0;) {
            const int32_t count = std::min(end, run);
            end -= count;
            InterpolateRun<Is16, Channels>(data, end, count, ratio, last);
        }
    } else {
        for (int32_t first = 0; first < frames; first += run)
            InterpolateRun<Is16, Channels>(data, first, std::min(frames - first, run), ratio, last);
    }
}

}  // namespace

bool IsConvertibleRate(uint32_t rate) {
    return rate >= 1 && rate <= kMaxFrequency;
}

bool ConvertLayout(MessageSink& messages, SampleBuffer& sample, uint32_t oldCode,
                   uint32_t newCode) {
    if (oldCode == newCode || !sample.HasBlock() || sample.GetByteLength() == 0 ||
        !IsValidLayoutCode(oldCode) || !IsValidLayoutCode(newCode)) {
        return true;
    }
    const uint32_t frameCount = sample.GetByteLength() / frames::BytesPerFrame(oldCode);
    const uint64_t newLength = uint64_t{frameCount} * frames::BytesPerFrame(newCode);
    const bool growing = frames::BytesPerFrame(newCode) >= frames::BytesPerFrame(oldCode);
    if (newLength > UINT32_MAX) {
        messages.ShowMessage("Error manipulating memory!");
        return false;
    }
    if (growing && !sample.ResizeBytes(static_cast<uint32_t>(newLength))) {
        messages.ShowMessage("Error manipulating memory!");
        return false;
    }
    uint8_t* data = sample.Data();
    frames::WithLayout(oldCode, [&]<uint32_t From>() {
        frames::WithLayout(newCode, [&]<uint32_t To>() {
            if (growing) {
                ConvertFramesUp<From, To>(data, frameCount);
            } else {
                ConvertFramesDown<From, To>(data, frameCount);
            }
        });
    });
    if (!growing)
        sample.ResizeBytes(static_cast<uint32_t>(newLength));
    sample.SetByteLength(static_cast<uint32_t>(newLength));
    sample.FormatRef().SetStereo((newCode & 8) != 0);
    sample.FormatRef().Set16Bit((newCode & 2) != 0);
    return true;
}

bool Resample(MessageSink& messages, SampleBuffer& sample, uint32_t oldRate, uint32_t newRate) {
    if (oldRate == newRate || !sample.HasBlock() || sample.GetFrameCount() == 0)
        return true;
    if (oldRate == 0 || newRate == 0) {
        messages.ShowMessage(kBadRateMessage);
        return false;
    }
    const uint32_t length = sample.GetByteLength();
    const uint32_t bytesPerFrame = sample.GetBytesPerFrame();
    const uint32_t inFrames = sample.GetFrameCount();
    const double ratio = static_cast<double>(oldRate) / static_cast<double>(newRate);
    const double scaled = static_cast<double>(newRate) / static_cast<double>(oldRate) * length;
    if (scaled >= 4294967296.0) {
        messages.ShowMessage("Error manipulating memory!");
        return false;
    }
    const auto newLength = static_cast<uint32_t>(scaled);
    const bool growing = newRate > oldRate;
    if (growing && !sample.ResizeBytes(newLength)) {
        messages.ShowMessage("Error manipulating memory!");
        return false;
    }
    sample.SetByteLength(newLength);
    const uint32_t outFrames = newLength / bytesPerFrame;
    uint8_t* data = sample.Data();
    const bool is16 = sample.FormatRef().Is16Bit();
    if (sample.FormatRef().IsStereo()) {
        is16 ? Interpolate<true, 2>(data, outFrames, inFrames, ratio, growing)
             : Interpolate<false, 2>(data, outFrames, inFrames, ratio, growing);
    } else {
        is16 ? Interpolate<true, 1>(data, outFrames, inFrames, ratio, growing)
             : Interpolate<false, 1>(data, outFrames, inFrames, ratio, growing);
    }
    // The byte length is scaled, not the frame count, so a partial frame may trail the last
    // whole one; it is silence rather than what the memory held.
    const uint32_t tail = outFrames * bytesPerFrame;
    if (tail < newLength) {
        std::memset(data + tail, is16 ? 0 : 0x80, newLength - tail);
    }
    if (!growing)
        sample.ResizeBytes(newLength);
    return true;
}

bool ChangeFormat(MessageSink& messages, SampleBuffer& sample, const SampleFormat& target) {
    // A rate of 0 cannot be converted from or to, and a sound is never converted to more than
    // 50000 Hz; a sound loaded at a higher rate (96000 Hz) converts down. A refusal comes before
    // anything changes, so the sound stays whole.
    const uint32_t rate = sample.GetFrequency();
    if (!IsConvertibleRate(target.GetFrequency()) || rate == 0) {
        messages.ShowMessage(kBadRateMessage);
        return false;
    }
    if (!ConvertLayout(messages, sample, sample.FormatRef().GetLayoutCode(),
                       target.GetLayoutCode()))
        return false;
    if (!Resample(messages, sample, sample.GetFrequency(), target.GetFrequency()))
        return false;
    sample.SetFormat(target);
    return true;
}
