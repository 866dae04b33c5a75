// Cutting 60 s out of a 10-minute 44.1 kHz 16-bit stereo sound in the editor until the view has
// repainted, beside what the system clipboard alone costs: copying the same 60 s onto it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "core/audio/AudioDevice.h"
#include "core/editing/SampleEditing.h"
#include "core/fileformats/SoundFileRegistry.h"
#include "core/messages/MessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "core/services/Services.h"
#include "core/settings/MemorySettingsStore.h"
#include "platform/qt/QClipboardService.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/COrvexApp.h"
#include "ui/app/CommandIds.h"
#include "ui/view/COrvexView.h"
#include "ui/view/CWaveformWnd.h"

namespace {

constexpr uint32_t kRate = 44100;
constexpr uint32_t kFrames = 600 * kRate;
constexpr uint32_t kCutFirst = 270 * kRate;
constexpr uint32_t kCutLast = kCutFirst + 60 * kRate - 1;

const std::string& TenMinutes() {
    static const std::string path = [] {
        const std::filesystem::path file =
            std::filesystem::temp_directory_path() / "orvex-bench-edit" / "ten-minutes.wav";
        std::filesystem::create_directories(file.parent_path());
        const uint32_t bytes = kFrames * 4;
        if (!std::filesystem::exists(file) || std::filesystem::file_size(file) != bytes + 44u) {
            std::ofstream out(file, std::ios::binary);
            auto put32 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
            auto put16 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
            out.write("RIFF", 4);
            put32(bytes + 36);
            out.write("WAVEfmt ", 8);
            put32(16);
            put16(1);
            put16(2);
            put32(kRate);
            put32(kRate * 4);
            put16(4);
            put16(16);
            out.write("data", 4);
            put32(bytes);
            std::vector<char> chunk(1 << 20);
            for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>(i * 13);
            for (uint32_t written = 0; written < bytes; written += chunk.size())
                out.write(chunk.data(), static_cast<std::streamsize>(
                                            std::min<size_t>(chunk.size(), bytes - written)));
        }
        return file.string();
    }();
    return path;
}

// The editor's services on the system clipboard, which is emptied again before the application
// object goes away at exit.
struct Editor {
    ~Editor() { QGuiApplication::clipboard()->clear(); }

    MemorySettingsStore settings;
    QClipboardService clipboard;
    SilentMessageSink messages;
    SoundFileRegistry registry{messages};
    NoAudioBackend devices;
    Services services{registry, settings, clipboard, messages, devices};
};

void BM_CutUntilRepainted(benchmark::State& state) {
    Editor editor;
    const QString path = QString::fromStdString(TenMinutes());
    for (auto _ : state) {
        state.PauseTiming();
        COrvexApp app(editor.services);
        COrvexApp::Options options;
        options.showSplash = false;
        app.InitInstance(QString(), options);
        COrvexView* view = app.OpenDocumentFile(path);
        if (view == nullptr) {
            state.SkipWithError("open failed");
            break;
        }
        app.MainFrame()->repaint();
        view->UpperWindow()->SetSelection(kCutFirst, kCutLast);
        view->LowerWindow()->SetSelection(kCutFirst, kCutLast);
        QApplication::processEvents();
        state.ResumeTiming();
        view->OnCommand(ID_EDIT_CUT);
        view->repaint();  // paints the view and its waveform windows now
        QApplication::processEvents();
        state.PauseTiming();
        app.MainFrame()->close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CutUntilRepainted)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_CopyOnly(benchmark::State& state) {
    Editor editor;
    SampleBuffer sample;
    editor.registry.Open(TenMinutes(), sample);
    for (auto _ : state) Copy(editor.clipboard, editor.messages, sample, kCutFirst, kCutLast, 0);
}
BENCHMARK(BM_CopyOnly)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

// The application lives on main's stack, so it goes before the libraries' exit handlers run.
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
