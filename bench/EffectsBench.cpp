// Every operation that walks a range (the curve effects have their own program), on a 100 MB 16-bit
// stereo sound, beside memcpy of the same bytes in the same run: the ratio of the two times is what
// matters, not the times themselves.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core/effects/Amplify.h"
#include "core/effects/ChangeSign.h"
#include "core/effects/Convert.h"
#include "core/effects/PeakSearch.h"
#include "core/effects/Reverse.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"

namespace {

constexpr uint32_t kBytes = 100u * 1000u * 1000u;

const std::vector<uint8_t>& Master() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(kBytes);
        for (uint32_t i = 0; i < kBytes; ++i) b[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
        return b;
    }();
    return bytes;
}

// A fresh 16-bit stereo sound holding the master bytes.
void Refill(SampleBuffer& sample, uint32_t layout = kLayoutStereo16) {
    sample.SetFormat(FormatOfLayout(44100, layout));
    sample.ResizeBytes(kBytes);
    std::memcpy(sample.Data(), Master().data(), kBytes);
}

SampleBuffer& Sound() {
    static SampleBuffer* sound = [] {
        auto* s = new SampleBuffer;
        Refill(*s);
        return s;
    }();
    return *sound;
}

void Bytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBytes);
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> target(kBytes);
    for (auto _ : state) {
        std::memcpy(target.data(), Master().data(), kBytes);
        benchmark::ClobberMemory();
    }
    Bytes(state);
}

void BM_Amplify(benchmark::State& state) {
    for (auto _ : state) Amplify(Sound(), 1.0f, 0xFFFFFFFF, 0xFFFFFFFF, 0);
    Bytes(state);
}

void BM_ChangeSign(benchmark::State& state) {
    for (auto _ : state) ChangeSign(Sound(), -1, -1, 0);
    Bytes(state);
}

void BM_Reverse(benchmark::State& state) {
    for (auto _ : state) Reverse(Sound(), -1, -1, 0);
    Bytes(state);
}

void BM_PeakSearch(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(PeakSearch(Sound(), -1, -1, 0));
    Bytes(state);
}

// Conversions report only when memory runs out, which the benchmarks never meet.
MessageSink& Silent() {
    static SilentMessageSink sink;
    return sink;
}

// Conversions change the sound, so each run starts from a fresh copy (not timed).
template <typename Op>
void Converting(benchmark::State& state, Op op) {
    SampleBuffer sample;
    for (auto _ : state) {
        state.PauseTiming();
        Refill(sample);
        state.ResumeTiming();
        op(sample);
    }
    Bytes(state);
}

void BM_ConvertStereo16ToMono8(benchmark::State& state) {
    Converting(state,
               [](SampleBuffer& s) { ConvertLayout(Silent(), s, kLayoutStereo16, kLayoutMono8); });
}

void BM_ConvertStereo16ToMono16(benchmark::State& state) {
    Converting(state,
               [](SampleBuffer& s) { ConvertLayout(Silent(), s, kLayoutStereo16, kLayoutMono16); });
}

void BM_ResampleDown(benchmark::State& state) {
    Converting(state, [](SampleBuffer& s) { Resample(Silent(), s, 44100, 22050); });
}

void BM_ResampleDouble(benchmark::State& state) {
    Converting(state, [](SampleBuffer& s) { Resample(Silent(), s, 22050, 44100); });
}

void BM_ResampleUp(benchmark::State& state) {
    Converting(state, [](SampleBuffer& s) { Resample(Silent(), s, 44100, 48000); });
}

}  // namespace

BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Amplify)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChangeSign)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reverse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeakSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertStereo16ToMono8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertStereo16ToMono16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleDown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleDouble)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleUp)->Unit(benchmark::kMillisecond);
