// The "Peaks" display style: its pixels on small known sounds, and how the user chooses it (the
// View menu's "Display Style" submenu, the Properties window's View page) and finds it again in
// the next window.
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QtTest>
#include <memory>
#include <random>
#include <vector>

#include "core/sample/SampleBuffer.h"
#include "support/TempDir.h"
#include "support/TestServices.h"
#include "support/WaveBytes.h"
#include "ui/EditorHarness.h"
#include "ui/app/CMainFrame.h"
#include "ui/app/COrvexApp.h"
#include "ui/app/COrvexDoc.h"
#include "ui/properties/CMiniPropDlg.h"
#include "ui/properties/CPptyView.h"
#include "ui/properties/CSampleProperties.h"
#include "ui/view/COrvexView.h"
#include "ui/view/CWaveformWnd.h"
#include "ui/view/WaveformPainter.h"

namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;
// 256 rows: the row of a value is the value itself.
constexpr int kHeight = 256;

using Spans = std::vector<std::pair<int, int>>;

std::unique_ptr<SampleBuffer> Mono8(const std::vector<uint8_t>& values) {
    auto sound = std::make_unique<SampleBuffer>();
    sound->SetFormat(22050, false, false);
    sound->ResizeFrames(static_cast<uint32_t>(values.size()));
    std::copy(values.begin(), values.end(), sound->Data());
    return sound;
}

QImage Paint(const SampleBuffer& sound, int style, uint32_t zoom, int width, int x0, int x1,
             uint32_t first = 0) {
    QImage image(width, kHeight, QImage::Format_RGB32);
    image.fill(kWhite);
    WaveformGeometry geometry;
    geometry.first = first;
    geometry.zoom = zoom;
    geometry.style = style;
    WaveformPainter(sound, geometry, width, kHeight).Paint(image, x0, x1, kWhite);
    return image;
}

QImage PaintAll(const SampleBuffer& sound, int style, uint32_t zoom, int width) {
    return Paint(sound, style, zoom, width, 0, width - 1);
}

}  // namespace

class PeaksStyleTest : public QObject, private EditorHarness {
    Q_OBJECT

private:
    void Start() { QVERIFY(StartEditor()); }
    COrvexView* Open(const std::string& name) {
        std::vector<uint8_t> data(5000);
        for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 37);
        return OpenFile(name, WaveBytes::Simple(2, 22050, 8, data));
    }
    // The entries of View > Display Style, in order.
    QList<QAction*> StyleEntries() const {
        for (QAction* top : Frame()->menuBar()->actions()) {
            if (top->text() != QStringLiteral("&View"))
                continue;
            for (QAction* entry : top->menu()->actions()) {
                if (entry->menu() != nullptr && entry->text() == QStringLiteral("Display &Style"))
                    return entry->menu()->actions();
            }
        }
        return {};
    }
    // Which entry is checked (-1 for none), and that the view's windows all draw that style.
    int CheckedStyle() const {
        const QList<QAction*> entries = StyleEntries();
        int checked = -1;
        for (int i = 0; i < entries.size(); ++i) {
            if (entries[i]->isChecked()) {
                if (checked >= 0)
                    return -2;
                checked = i;
            }
        }
        return checked;
    }
    static int WindowsStyle(COrvexView* view) {
        const QList<CWaveformWnd*> windows = view->findChildren<CWaveformWnd*>();
        int style = -1;
        for (const CWaveformWnd* w : windows) {
            if (style >= 0 && w->GetStyle() != style)
                return -2;
            style = w->GetStyle();
        }
        return style;
    }
    QRadioButton* PeaksRadio() const {
        return Frame()->Properties()->Sheet()->ViewPage()->findChild<QRadioButton*>(
            QStringLiteral("1074"));
    }

private slots:
    void init() { PrepareEditor(); }
    void cleanup() { DropEditor(); }

    void columnsSpanTheirFrames_data() {
        QTest::addColumn<std::vector<uint8_t>>("frames");
        QTest::addColumn<uint32_t>("zoom");
        QTest::addColumn<Spans>("spans");
        const std::vector<uint8_t> silence(40, 128);
        std::vector<uint8_t> click = silence;
        click[13] = 255;  // inside the second column, not its first frame
        std::vector<uint8_t> square(32);
        for (size_t i = 0; i < square.size(); ++i) square[i] = (i / 3) % 2 == 0 ? 0 : 255;
        QTest::newRow("silence") << silence << 10u << Spans(4, {128, 128});
        QTest::newRow("one-frame click")
            << click << 10u << Spans{{128, 128}, {128, 255}, {128, 128}, {128, 128}};
        QTest::newRow("full-scale square") << square << 8u << Spans(4, {0, 255});
        // Columns whose ranges do not meet reach to the one before them.
        QTest::newRow("steps") << std::vector<uint8_t>{0, 10, 100, 110, 50, 60, 200, 255} << 2u
                               << Spans{{0, 10}, {11, 110}, {50, 99}, {61, 255}};
    }

    void columnsSpanTheirFrames() {
        QFETCH(std::vector<uint8_t>, frames);
        QFETCH(uint32_t, zoom);
        QFETCH(Spans, spans);
        const auto sound = Mono8(frames);
        const int width = static_cast<int>(spans.size());
        const QImage image = PaintAll(*sound, kStylePeaks, zoom, width);
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < kHeight; ++y) {
                const bool inSpan = y >= spans[x].first && y <= spans[x].second;
                QVERIFY2((image.pixel(x, y) == kBlack) == inSpan,
                         qPrintable(QStringLiteral("column %1 row %2").arg(x).arg(y)));
            }
        }
    }

    void clickIsSeenWhereLinesMissIt() {
        std::vector<uint8_t> frames(40, 128);
        frames[13] = 255;
        const auto sound = Mono8(frames);
        QCOMPARE(PaintAll(*sound, kStyleLines, 10, 4).pixel(1, 255), kWhite);
        QCOMPARE(PaintAll(*sound, kStylePeaks, 10, 4).pixel(1, 255), kBlack);
    }

    void oneFramePerColumnDrawsAsLines() {
        std::mt19937 random(3);
        std::vector<uint8_t> frames(300);
        for (uint8_t& v : frames) v = static_cast<uint8_t>(random() & 0xFF);
        const auto sound = Mono8(frames);
        QCOMPARE(PaintAll(*sound, kStylePeaks, 1, 200), PaintAll(*sound, kStyleLines, 1, 200));
    }

    void stripsPaintAsTheWholePicture() {
        // Scrolling paints only the uncovered strip: its pixels must be those of a whole paint,
        // joins to the column before the strip included; past the end the hatch is the same.
        std::mt19937 random(5);
        std::vector<uint8_t> frames(5000);
        for (uint8_t& v : frames)
            v = static_cast<uint8_t>(128 + static_cast<int>(random() % 40) - 20);
        const auto sound = Mono8(frames);
        for (const uint32_t first : {0u, 35u, 700u}) {
            const QImage whole = Paint(*sound, kStylePeaks, 7, 800, 0, 799, first);
            QImage strips(800, kHeight, QImage::Format_RGB32);
            strips.fill(0xFF123456u);
            WaveformGeometry geometry{first, 7, kStylePeaks, 0};
            const WaveformPainter painter(*sound, geometry, 800, kHeight);
            for (int x0 = 0; x0 < 800; x0 += 37) painter.Paint(strips, x0, x0 + 36, kWhite);
            QCOMPARE(strips, whole);
        }
    }

    void chosenFromTheMenuAndThePropertiesAndRemembered() {
        Start();
        QCOMPARE(StyleEntries().size(), 4);
        QCOMPARE(StyleEntries()[3]->text(), QStringLiteral("&Peaks"));
        QCOMPARE(CheckedStyle(), -1);  // no window, no style
        COrvexView* first = Open("a.wav");
        QCOMPARE(WindowsStyle(first), int{kStyleLines});  // nothing chosen yet
        QCOMPARE(CheckedStyle(), int{kStyleLines});

        StyleEntries()[kStylePeaks]->trigger();
        QCOMPARE(WindowsStyle(first), int{kStylePeaks});
        QCOMPARE(CheckedStyle(), int{kStylePeaks});
        QVERIFY(PeaksRadio()->isChecked());
        QCOMPARE(m_services->settings.GetNumber(kOrvexKey, "DisplayStyle"),
                 std::optional<uint32_t>(kStylePeaks));

        // A new window starts in the last choice; choosing Dots on its View page leaves the
        // first window alone, and the menu follows the active one.
        COrvexView* second = Open("b.wav");
        QCOMPARE(WindowsStyle(second), int{kStylePeaks});
        Frame()
            ->Properties()
            ->Sheet()
            ->ViewPage()
            ->findChild<QRadioButton*>(QStringLiteral("1061"))
            ->click();
        QCOMPARE(WindowsStyle(second), int{kStyleDots});
        QCOMPARE(CheckedStyle(), int{kStyleDots});
        Activate(first);
        QCOMPARE(WindowsStyle(first), int{kStylePeaks});
        QCOMPARE(CheckedStyle(), int{kStylePeaks});
        QVERIFY(PeaksRadio()->isChecked());

        // The program started again opens its windows in the last choice.
        Frame()->close();
        m_app.reset();
        Start();
        QCOMPARE(WindowsStyle(Open("c.wav")), int{kStyleDots});
    }
};

QTEST_MAIN(PeaksStyleTest)
#include "PeaksStyleTest.moc"
