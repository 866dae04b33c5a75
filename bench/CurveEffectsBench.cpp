// The curve-driven effects on a 100 MB sound beside memcpy of the same bytes in the same run:
// the table walks (8-bit and 16-bit), the envelope and the panning. The ratio of each time to
// memcpy's is what matters, not the times themselves.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core/effects/ApplyTable.h"
#include "core/effects/Compressor.h"
#include "core/effects/CurveModel.h"
#include "core/effects/Envelope.h"
#include "core/effects/Panning.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"

namespace {

constexpr uint32_t kBytes = 100u * 1000u * 1000u;
constexpr uint32_t kWhole = 0xFFFFFFFF;

const std::vector<uint8_t>& Master() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(kBytes);
        for (uint32_t i = 0; i < kBytes; ++i) b[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
        return b;
    }();
    return bytes;
}

// One sound per layout, filled once: the effects below change it in place run after run.
SampleBuffer& Sound(uint32_t layout) {
    static SampleBuffer* sounds[16] = {};
    SampleBuffer*& sound = sounds[layout & 15];
    if (sound == nullptr) {
        sound = new SampleBuffer;
        sound->SetFormat(FormatOfLayout(44100, layout));
        sound->ResizeBytes(kBytes);
        std::memcpy(sound->Data(), Master().data(), kBytes);
    }
    return *sound;
}

// A curve with a few corners, so that evaluation does walk its segments.
CurveModel Knee() {
    static SilentMessageSink noBeeps;  // the curve is loaded, never clicked
    CurveModel curve(noBeeps);
    curve.Resize(1009, 1009);
    curve.LoadFractions({{0.0f, 1.0f}, {0.25f, 0.4f}, {0.5f, 0.3f}, {0.75f, 0.1f}, {1.0f, 0.0f}});
    return curve;
}

void Bytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBytes);
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> target(Master());  // both blocks built and touched before timing
    for (auto _ : state) {
        std::memcpy(target.data(), Master().data(), kBytes);
        benchmark::ClobberMemory();
    }
    Bytes(state);
}

void BM_ApplyTable8(benchmark::State& state) {
    const auto table = BuildCompressorTable8(Knee());
    SampleBuffer& sound = Sound(kLayoutStereo8);
    for (auto _ : state)
        ApplyTable8(sound, table, kWhole, kWhole, static_cast<uint32_t>(state.range(0)));
    Bytes(state);
}

void BM_ApplyTable16(benchmark::State& state) {
    const auto table = BuildCompressorTable16(Knee());
    SampleBuffer& sound = Sound(kLayoutStereo16);
    for (auto _ : state)
        ApplyTable16(sound, table, kWhole, kWhole, static_cast<uint32_t>(state.range(0)));
    Bytes(state);
}

void BM_Envelope(benchmark::State& state) {
    const CurveModel curve = Knee();
    SampleBuffer& sound = Sound(static_cast<uint32_t>(state.range(0)));
    for (auto _ : state) ApplyEnvelope(sound, curve, 1.0f, kWhole, kWhole, 0);
    Bytes(state);
}

void BM_Panning(benchmark::State& state) {
    const CurveModel curve = Knee();
    SampleBuffer& sound = Sound(static_cast<uint32_t>(state.range(0)));
    for (auto _ : state) ApplyPanning(sound, curve, kWhole, kWhole);
    Bytes(state);
}

}  // namespace

// Selector 0 walks every sample; selector 2 every second one.
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyTable8)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ApplyTable16)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Envelope)->Arg(kLayoutStereo16)->Arg(kLayoutStereo8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Panning)->Arg(kLayoutStereo16)->Arg(kLayoutStereo8)->Unit(benchmark::kMillisecond);
