// The frequency view: where the spectra of generated sines land on the graph, silence and a
// sound at the midpoint, redrawing at a new size, and the frame's command with the waveform
// windows that feed the newest view.
#include <QAction>
#include <QMdiSubWindow>
#include <QtTest>
#include <cmath>
#include <memory>
#include <numbers>

#include "core/sample/SampleBuffer.h"
#include "support/TempDir.h"
#include "support/TestServices.h"
#include "support/WaveBytes.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/COrvexApp.h"
#include "ui/app/COrvexDoc.h"
#include "ui/app/CommandIds.h"
#include "ui/effects/CFreqView.h"
#include "ui/view/COrvexView.h"
#include "ui/view/CWaveformWnd.h"

namespace {

const QRgb kLine = qRgb(0, 255, 50);

// `frames` frames of a sine with `cycles` whole periods in every 4096 frames.
void MakeSine(SampleBuffer& sample, uint32_t layout, uint32_t frames, int cycles) {
    sample.SetFormat(22050, (layout & 8) != 0, (layout & 2) != 0);
    QVERIFY(sample.ResizeFrames(frames));
    for (uint32_t i = 0; i < frames; ++i) {
        const double s = std::sin(2 * std::numbers::pi * cycles * i / 4096.0);
        FrameValue value;
        if ((layout & 2) != 0) {
            value.slot[0] = value.slot[1] = static_cast<int16_t>(std::lround(20000 * s));
        } else {
            value.SetByte(0, static_cast<uint8_t>(128 + std::lround(100 * s)));
            value.SetByte(1, value.Byte(0));
        }
        sample.SetFrame(i, value);
    }
}

void Fill(SampleBuffer& sample, uint32_t frames, uint8_t byte) {
    sample.SetFormat(22050, false, false);
    QVERIFY(sample.ResizeFrames(frames));
    for (uint32_t i = 0; i < frames; ++i) sample.Data()[i] = byte;
}

// The columns where the green line reaches the top rows of the graph.
QList<int> TopColumns(const QImage& image) {
    QList<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < 3; ++y) {
            if (image.pixel(x, y) == kLine) {
                columns << x;
                break;
            }
        }
    }
    return columns;
}

QImage Graph(CFreqView& view, int width, int height) {
    view.resize(width, height);
    return view.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int Peak(const std::vector<float>& magnitudes) {
    return static_cast<int>(std::max_element(magnitudes.begin(), magnitudes.end()) -
                            magnitudes.begin());
}

}  // namespace

class FreqViewTest : public QObject {
    Q_OBJECT

private slots:
    void sinesLandAtTheirBins_data() {
        QTest::addColumn<uint32_t>("layout");
        QTest::addColumn<int>("cycles");
        QTest::addColumn<int>("width");
        QTest::newRow("8-bit mono, 64 cycles") << uint32_t{kLayoutMono8} << 64 << 1024;
        QTest::newRow("8-bit mono, 300 cycles, wide") << uint32_t{kLayoutMono8} << 300 << 2048;
        QTest::newRow("16-bit stereo, 17 cycles") << uint32_t{kLayoutStereo16} << 17 << 1024;
        QTest::newRow("8-bit stereo, 1000 cycles") << uint32_t{kLayoutStereo8} << 1000 << 1024;
    }

    void sinesLandAtTheirBins() {
        QFETCH(uint32_t, layout);
        QFETCH(int, cycles);
        QFETCH(int, width);
        SampleBuffer sample;
        MakeSine(sample, layout, 12000, cycles);
        CFreqView view(nullptr);
        QVERIFY(!view.HasData());
        view.UpdateSpectrum(&sample, 6000);
        QVERIFY(view.HasData());
        QCOMPARE(Peak(view.Magnitudes()), cycles);
        // The peak is scaled to the full height, so only the line around it reaches the top.
        const int x = cycles * width / 1024;
        const QList<int> top = TopColumns(Graph(view, width, 300));
        QVERIFY2(top.contains(x), qPrintable(QStringLiteral("expected column %1").arg(x)));
        QVERIFY(top.first() >= x - width / 1024 && top.last() <= x + width / 1024);
    }

    // Silence (8-bit 128) reads as 1 above the midpoint, so only bin 0 stands out; a sound at the
    // midpoint throughout has no magnitude at all and draws a flat line on the zero row.
    void silenceAndTheMidpointDrawWithoutError() {
        SampleBuffer silence, midpoint, empty;
        Fill(silence, 5000, 128);
        Fill(midpoint, 5000, 127);
        CFreqView view(nullptr);

        view.UpdateSpectrum(&silence, 2500);
        QCOMPARE(Peak(view.Magnitudes()), 0);
        QCOMPARE(TopColumns(Graph(view, 1024, 200)).first(), 0);

        view.UpdateSpectrum(&midpoint, 100);  // frames before 0 read as silence
        QVERIFY(view.Magnitudes()[0] > 0);
        view.UpdateSpectrum(&midpoint, 2500);
        for (float m : view.Magnitudes()) QCOMPARE(m, 0.0f);
        const QImage flat = Graph(view, 1024, 200);
        for (int x : {0, 1, 512, 1023}) QCOMPARE(flat.pixel(x, 197), kLine);
        for (int y = 0; y < 200; ++y) {
            if (y != 197)
                QCOMPARE(flat.pixel(700, y), qRgb(0, 0, 0));
        }

        view.UpdateSpectrum(&empty, 0);  // a sound without frames reads as silence
        QCOMPARE(Peak(view.Magnitudes()), 0);
        view.UpdateSpectrum(nullptr, 0);  // no sound: the last spectrum stays
        QVERIFY(view.HasData());
    }

    void resizingRedrawsWithoutRecomputing() {
        SampleBuffer sample;
        MakeSine(sample, kLayoutMono8, 8192, 64);
        CFreqView view(nullptr);
        QCOMPARE(Graph(view, 1024, 300).pixel(10, 10), qRgb(0, 0, 0));
        view.UpdateSpectrum(&sample, 4096);
        MakeSine(sample, kLayoutMono8, 8192, 200);  // the sound changes, the graph does not
        QVERIFY(TopColumns(Graph(view, 2048, 400)).contains(128));
        QVERIFY(TopColumns(Graph(view, 512, 100)).contains(32));
    }

    void theFrameOpensViewsAndTheNewestFollowsTheMouse() {
        TestServices services;
        TempDir dir;
        SampleBuffer sine;
        MakeSine(sine, kLayoutMono8, 16384, 64);
        const std::vector<uint8_t> bytes(sine.Data(), sine.Data() + sine.GetByteLength());
        WriteBytes(dir.File("sine.wav"), WaveBytes::Simple(1, 22050, 8, bytes));
        COrvexApp app(services.services);
        COrvexApp::Options options;
        options.showSplash = false;
        QVERIFY(app.InitInstance(QString(), options));
        CMainFrame* frame = app.MainFrame();
        QAction* open = frame->Action(ID_VIEW_FREQUENCY);
        QVERIFY(open != nullptr && open->isEnabled());
        QCOMPARE(open->text(), QStringLiteral("&Frequency View"));
        QVERIFY(!open->statusTip().isEmpty());

        open->trigger();
        QPointer<CFreqView> older = frame->FrequencyView();
        QVERIFY(older != nullptr && older->isVisible());
        QCOMPARE(older->windowTitle(), QStringLiteral("Frequency View"));
        open->trigger();
        QPointer<CFreqView> newer = frame->FrequencyView();
        QVERIFY(newer != older && older != nullptr);

        COrvexView* view = app.OpenDocumentFile(QString::fromStdString(dir.File("sine.wav")));
        QVERIFY(view != nullptr);
        CWaveformWnd* wave = view->UpperWindow();
        const QPoint middle(wave->width() / 2, wave->height() / 2);
        QTest::mousePress(wave, Qt::LeftButton, {}, middle);
        QTest::mouseRelease(wave, Qt::LeftButton, {}, middle);
        QVERIFY(newer->HasData());
        QCOMPARE(Peak(newer->Magnitudes()), 64);
        QVERIFY(!older->HasData());

        newer->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(newer == nullptr);
        QVERIFY(frame->FrequencyView() == nullptr);
        QTest::mousePress(wave, Qt::LeftButton, {}, middle);  // nobody listens: no harm
        QTest::mouseRelease(wave, Qt::LeftButton, {}, middle);
        QVERIFY(!older->HasData());
    }
};

QTEST_MAIN(FreqViewTest)
#include "FreqViewTest.moc"
