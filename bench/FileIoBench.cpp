// Loading and saving a 200 MB 16-bit stereo WAV beside reading and writing the same bytes with
// plain stdio in the same run. The file stays in the page cache, so both sides measure the
// program's own work rather than the disk.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/fileformats/WavFileFormat.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"

namespace {

constexpr uint32_t kBytes = 200u * 1000u * 1000u;

// The files here always load and save, so nothing is ever reported.
SilentMessageSink messages;

const std::string& Folder() {
    static const std::string folder = [] {
        auto path = std::filesystem::temp_directory_path() / "orvex-bench-io";
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return folder;
}

SampleBuffer& Sound() {
    static SampleBuffer* sound = [] {
        auto* s = new SampleBuffer;
        s->SetFormat(44100, true, true);
        s->ResizeBytes(kBytes);
        for (uint32_t i = 0; i < kBytes; ++i) s->Data()[i] = static_cast<uint8_t>(i * 31);
        return s;
    }();
    return *sound;
}

const std::string& WaveFile() {
    static const std::string path = [] {
        std::string p = Folder() + "/big.wav";
        WavFileFormat wav(messages);
        wav.Save(p, Sound());
        return p;
    }();
    return path;
}

void BM_LoadWav(benchmark::State& state) {
    const std::string& path = WaveFile();
    WavFileFormat wav(messages);
    for (auto _ : state) {
        SampleBuffer sample;
        benchmark::DoNotOptimize(wav.Load(path, sample));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBytes);
}

void BM_ReadPlain(benchmark::State& state) {
    const std::string& path = WaveFile();
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        auto* block = static_cast<uint8_t*>(std::malloc(kBytes + 128));
        benchmark::DoNotOptimize(std::fread(block, 1, kBytes + 128, file));
        std::fclose(file);
        std::free(block);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBytes);
}

void BM_SaveWav(benchmark::State& state) {
    const std::string path = Folder() + "/saved.wav";
    WavFileFormat wav(messages);
    SampleBuffer& sound = Sound();
    for (auto _ : state) benchmark::DoNotOptimize(wav.Save(path, sound));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBytes);
}

void BM_WritePlain(benchmark::State& state) {
    const std::string path = Folder() + "/plain.raw";
    SampleBuffer& sound = Sound();
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        benchmark::DoNotOptimize(std::fwrite(sound.Data(), 1, kBytes, file));
        std::fclose(file);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBytes);
}

BENCHMARK(BM_ReadPlain)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LoadWav)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WritePlain)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SaveWav)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
