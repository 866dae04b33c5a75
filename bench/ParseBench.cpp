// Parsing files of 100 000 empty blocks or chunks beside reading the same file with plain stdio
// (as cat does). The parsing itself should add at most a few milliseconds over the read.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/fileformats/VocFileFormat.h"
#include "core/fileformats/WavFileFormat.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"

namespace {

constexpr int kBlocks = 100000;

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const auto path = (std::filesystem::temp_directory_path() / name).string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
}

// One sound byte, then empty continuation blocks.
const std::string& VocFile() {
    static const std::string path = [] {
        std::vector<uint8_t> b = {'C', 'r', 'e', 'a', 't', 'i', 'v', 'e', ' ', 'V',
                                  'o', 'i', 'c', 'e', ' ', 'F', 'i', 'l', 'e', 0x1A};
        Put(b, 26, 2);
        Put(b, 0x010A, 2);
        Put(b, 0x1129, 2);
        b.insert(b.end(), {1, 3, 0, 0, 0x83, 0, 0x80});
        for (int i = 0; i < kBlocks; ++i) b.insert(b.end(), {2, 0, 0, 0});
        b.push_back(0);
        return WriteFile("orvex-bench-empty.voc", b);
    }();
    return path;
}

// Empty chunks before the format and data chunks.
const std::string& WavFile() {
    static const std::string path = [] {
        std::vector<uint8_t> body = {'W', 'A', 'V', 'E'};
        for (int i = 0; i < kBlocks; ++i) body.insert(body.end(), {'j', 'u', 'n', 'k', 0, 0, 0, 0});
        body.insert(body.end(), {'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0});
        Put(body, 8000, 4);
        Put(body, 8000, 4);
        body.insert(body.end(), {1, 0, 8, 0, 'd', 'a', 't', 'a', 1, 0, 0, 0, 0x80, 0});
        std::vector<uint8_t> b = {'R', 'I', 'F', 'F'};
        Put(b, static_cast<uint32_t>(body.size()), 4);
        b.insert(b.end(), body.begin(), body.end());
        return WriteFile("orvex-bench-empty.wav", b);
    }();
    return path;
}

void ReadPlain(benchmark::State& state, const std::string& path) {
    std::vector<char> buffer(1 << 16);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        while (std::fread(buffer.data(), 1, buffer.size(), file) == buffer.size()) {
        }
        std::fclose(file);
    }
}

template <typename Handler>
void Load(benchmark::State& state, const std::string& path) {
    SilentMessageSink messages;
    Handler handler(messages);
    for (auto _ : state) {
        SampleBuffer sample;
        benchmark::DoNotOptimize(handler.Load(path, sample));
    }
}

void BM_ReadPlainVoc(benchmark::State& state) {
    ReadPlain(state, VocFile());
}
void BM_LoadEmptyVocBlocks(benchmark::State& state) {
    Load<VocFileFormat>(state, VocFile());
}
void BM_ReadPlainWav(benchmark::State& state) {
    ReadPlain(state, WavFile());
}
void BM_LoadEmptyWavChunks(benchmark::State& state) {
    Load<WavFileFormat>(state, WavFile());
}

BENCHMARK(BM_ReadPlainVoc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadEmptyVocBlocks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPlainWav)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadEmptyWavChunks)->Unit(benchmark::kMillisecond);

}  // namespace
