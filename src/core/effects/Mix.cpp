#include "core/effects/Mix.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include "core/sample/FrameConversion.h"
#include "core/sample/SampleBuffer.h"

namespace {

// An input as the loop reads it: bytes, layout and the output frames it covers.
struct Reader {
    const uint8_t* data = nullptr;
    uint32_t layout = 0;
    uint32_t first = 0;
    uint32_t begin = 0;  // first output frame covered
    uint32_t end = 0;    // one past the last
};

// The output is built in runs of this many frames, so that the running sums stay in the cache
// and the output block is walked once.
constexpr uint32_t kRun = 4096;

// What an 8-bit value adds to a mix of `inputs` inputs, for every value: built once per mix,
// so that the loop does no division.
using ShareTable = std::array<int32_t, 256>;
ShareTable MakeShares(int inputs) {
    ShareTable shares{};
    for (int value = 0; value < 256; ++value)
        shares[static_cast<size_t>(value)] = inputs > 0 ? (value - kMixMidpoint) / inputs : 0;
    return shares;
}

// Adds the input's contributions to the frames [from, from + count) of the run.
void AddRun(const Reader& input, const ShareTable& shares, uint32_t from, uint32_t count,
            int32_t* sums) {
    const uint32_t begin = std::max(input.begin, from);
    const uint32_t end = std::min(input.end, from + count);
    if (begin >= end)
        return;
    frames::WithLayout(input.layout, [&]<uint32_t L>() {
        constexpr uint32_t bytes = frames::BytesPerFrame(L);
        const uint8_t* p = input.data + size_t{input.first + (begin - input.begin)} * bytes;
        FrameValue value;
        for (uint32_t n = begin; n < end; ++n, p += bytes) {
            frames::Convert<L, kLayoutMono8>(p, value);
            sums[n - from] += shares[value.Byte(0)];
        }
    });
}

// Writes the run's sums, plus the midpoint, as frames of the output's layout.
void StoreRun(uint8_t* out, uint32_t layout, uint32_t count, const int32_t* sums) {
    frames::WithLayout(layout, [&]<uint32_t L>() {
        constexpr uint32_t bytes = frames::BytesPerFrame(L);
        for (uint32_t i = 0; i < count; ++i, out += bytes) {
            const auto mixed = static_cast<uint8_t>(sums[i] + kMixMidpoint);
            FrameValue result;
            frames::Convert<kLayoutMono8, L>(&mixed, result);
            frames::Store<L>(out, result);
        }
    });
}

}  // namespace

bool MixInto(SampleBuffer& output, std::span<const MixInput> inputs, uint32_t mixLength) {
    const uint32_t outLayout = output.FormatRef().GetLayoutCode();
    const uint64_t outBytes = uint64_t{mixLength} * output.GetBytesPerFrame();
    if (outBytes > std::numeric_limits<uint32_t>::max())
        return false;

    // An input that is the output is read from a copy taken before the block changes.
    std::vector<std::vector<uint8_t>> copies;
    std::vector<Reader> readers;
    for (const MixInput& input : inputs) {
        if (input.source == nullptr)
            continue;
        const SampleBuffer& source = *input.source;
        Reader reader;
        reader.layout = source.FormatRef().GetLayoutCode();
        reader.data = source.Data();
        reader.first = input.first;
        const uint32_t frames = source.GetFrameCount();
        const uint32_t available = input.first < frames ? frames - input.first : 0;
        const uint64_t end = uint64_t{input.mixStart} + std::min(input.length, available);
        reader.begin = input.mixStart;
        reader.end = static_cast<uint32_t>(std::min<uint64_t>(end, mixLength));
        if (&source == &output && reader.begin < reader.end) {
            copies.emplace_back(source.Data(), source.Data() + source.GetByteLength());
            reader.data = copies.back().data();
        }
        readers.push_back(reader);
    }
    const ShareTable shares = MakeShares(static_cast<int>(readers.size()));

    if (mixLength == 0) {
        output.FreeBlock();
        return true;
    }
    if (!output.ResizeBytes(static_cast<uint32_t>(outBytes)))
        return false;
    uint8_t* out = output.Data();
    const uint32_t bytesPerFrame = output.GetBytesPerFrame();
    std::array<int32_t, kRun> sums{};
    for (uint32_t from = 0; from < mixLength; from += kRun) {
        const uint32_t run = std::min(kRun, mixLength - from);
        std::fill_n(sums.begin(), run, 0);
        for (const Reader& reader : readers) AddRun(reader, shares, from, run, sums.data());
        StoreRun(out + size_t{from} * bytesPerFrame, outLayout, run, sums.data());
    }
    return true;
}
