// Opening a large WAV in the editor until its window has painted, beside reading the same file
// with `cat`. The file is made once (200 MB of 16-bit mono) in a temporary folder.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "core/audio/AudioDevice.h"
#include "core/clipboard/ClipboardService.h"
#include "core/fileformats/SoundFileRegistry.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "core/services/Services.h"
#include "core/settings/MemorySettingsStore.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/COrvexApp.h"
#include "ui/view/COrvexView.h"

namespace {

constexpr uint32_t kDataBytes = 200u * 1024u * 1024u;

const std::string& BigWave() {
    static const std::string path = [] {
        const std::filesystem::path file =
            std::filesystem::temp_directory_path() / "orvex-bench-open" / "big.wav";
        std::filesystem::create_directories(file.parent_path());
        if (!std::filesystem::exists(file) ||
            std::filesystem::file_size(file) != kDataBytes + 44u) {
            std::ofstream out(file, std::ios::binary);
            auto put32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
            auto put16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
            out.write("RIFF", 4);
            put32(kDataBytes + 36);
            out.write("WAVEfmt ", 8);
            put32(16);
            put16(1);
            put16(1);
            put32(44100);
            put32(88200);
            put16(2);
            put16(16);
            out.write("data", 4);
            put32(kDataBytes);
            std::vector<char> chunk(1 << 20);
            for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>(i * 7);
            for (uint32_t written = 0; written < kDataBytes; written += chunk.size())
                out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        }
        return file.string();
    }();
    return path;
}

QApplication& App() {
    static int argc = 1;
    static char name[] = "OpenWindowBench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

void BM_OpenUntilPainted(benchmark::State& state) {
    App();
    MemorySettingsStore settings;
    MemoryClipboardService clipboard;
    SilentMessageSink messages;
    SoundFileRegistry registry(messages);
    NoAudioBackend devices;
    Services services{registry, settings, clipboard, messages, devices};
    const QString path = QString::fromStdString(BigWave());
    for (auto _ : state) {
        COrvexApp app(services);
        COrvexApp::Options options;
        options.showSplash = false;
        app.InitInstance(QString(), options);
        COrvexView* view = app.OpenDocumentFile(path);
        if (view == nullptr)
            state.SkipWithError("open failed");
        app.MainFrame()->repaint();
        view->repaint();  // paints the view and its waveform windows now
        benchmark::DoNotOptimize(view);
        state.PauseTiming();
        app.MainFrame()->close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenUntilPainted)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CatBaseline(benchmark::State& state) {
    const std::string command = "cat '" + BigWave() + "' > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("cat failed");
    }
}
BENCHMARK(BM_CatBaseline)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

namespace {

// The file alone, through the registry as the document opens it.
void BM_RegistryOpenOnly(benchmark::State& state) {
    SilentMessageSink messages;
    SoundFileRegistry registry(messages);
    for (auto _ : state) {
        SampleBuffer sample;
        benchmark::DoNotOptimize(registry.Open(BigWave(), sample));
    }
}
BENCHMARK(BM_RegistryOpenOnly)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
