// One paint of a 1000 x 200 waveform window, over sounds of 1 M and 100 M frames, at whole-sound
// zoom and at one frame per column. "Lines", "Dots" and "Bars" read one frame per column, "Peaks"
// the sound's peak summary, so the time must not grow with the sound's length (at most 2 ms for
// "Peaks" at whole-sound zoom over 100 M frames). Beside it, the copy of the window's pixels that
// any paint costs.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstring>
#include <memory>

#include "core/sample/SampleBuffer.h"
#include "ui/view/CWaveformWnd.h"
#include "ui/view/WaveformPainter.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 200;

QApplication& App() {
    static int argc = 1;
    static char name[] = "WaveformPaintBench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    return *app;
}

// A 16-bit stereo sound of `frames` frames of noise.
SampleBuffer& Sound(uint32_t frames) {
    static std::unique_ptr<SampleBuffer> sounds[2];
    auto& sound = sounds[frames > 1000000 ? 1 : 0];
    if (!sound) {
        sound = std::make_unique<SampleBuffer>();
        sound->SetFormat(44100, true, true);
        sound->ResizeFrames(frames);
        uint8_t* data = sound->Data();
        uint32_t state = 12345;
        for (uint32_t i = 0; i < sound->GetByteLength(); ++i) {
            state = state * 1664525u + 1013904223u;
            data[i] = static_cast<uint8_t>(state >> 24);
        }
        sound->Peaks();  // the summary a loaded sound has, built before any clock runs
    }
    return *sound;
}

// Args: frames, whole sound (1) or 1:1 (0), style.
void BM_WindowPaint(benchmark::State& state) {
    App();
    const auto frames = static_cast<uint32_t>(state.range(0));
    CWaveformWnd wnd;
    wnd.resize(kWidth, kHeight);
    wnd.SetStyle(static_cast<int>(state.range(2)));
    wnd.SetSample(&Sound(frames), 0, frames - 1);
    if (state.range(1) != 0) {
        wnd.ZoomAll(false);
    } else {
        // 999 frames in 1000 columns: one frame per column (a range of 1000 would give 2, the
        // sound being longer than the range).
        wnd.ShowRange(frames / 2, frames / 2 + kWidth - 2);
    }
    wnd.SetSelection(frames / 2, frames / 2 + 100);
    for (auto _ : state) {
        // A change of style repaints the whole waveform with its marks.
        wnd.SetStyle(wnd.GetStyle());
        QImage picture = wnd.grab().toImage();
        benchmark::DoNotOptimize(picture.constBits());
    }
    state.counters["zoom"] = wnd.GetZoom();
}

// The waveform alone, drawn into an image, without the toolkit's paint machinery.
void BM_WaveformOnly(benchmark::State& state) {
    const auto frames = static_cast<uint32_t>(state.range(0));
    WaveformGeometry geometry;
    geometry.zoom = state.range(1) != 0 ? (frames + kWidth - 1) / kWidth : 1;
    geometry.first = state.range(1) != 0 ? 0 : frames / 2;
    geometry.style = static_cast<int>(state.range(2));
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    Sound(frames);  // made before the clock runs
    for (auto _ : state) {
        WaveformPainter painter(Sound(frames), geometry, kWidth, kHeight);
        painter.Paint(image, 0, kWidth - 1, 0xFFFFFFFFu);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// The baseline: copying the window's pixels once.
void BM_CopyWindowPixels(benchmark::State& state) {
    QImage source(kWidth, kHeight, QImage::Format_RGB32);
    source.fill(Qt::white);
    QImage target(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        std::memcpy(target.bits(), source.constBits(), static_cast<size_t>(source.sizeInBytes()));
        benchmark::DoNotOptimize(target.constBits());
    }
}

void Cases(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"frames", "whole", "style"});
    for (int64_t frames : {1000000, 100000000}) {
        for (int64_t whole : {1, 0}) {
            for (int64_t style : {kStyleLines, kStyleDots, kStyleBars, kStylePeaks}) {
                bench->Args({frames, whole, style});
            }
        }
    }
    bench->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(BM_CopyWindowPixels)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WaveformOnly)->Apply(Cases);
BENCHMARK(BM_WindowPaint)->Apply(Cases);
