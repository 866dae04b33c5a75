// The parts of a sample window: the waveform as painted, the columns its marks take and the
// scroll bar's mapping as plain functions on small known sounds; then the waveform window, the
// time ruler and the frequency view driven as a user drives them.
#include <QtTest>
#include <QtWidgets>
#include <cmath>
#include <cstdarg>
#include <memory>
#include <numbers>
#include <random>

#include "core/audio/RecordingSession.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "support/FakeAudioBackend.h"
#include "support/SampleMaker.h"
#include "ui/DialogDriver.h"
#include "ui/effects/CFreqView.h"
#include "ui/view/CTimeRuler.h"
#include "ui/view/CWaveformWnd.h"
#include "ui/view/RulerTicks.h"
#include "ui/view/ScrollMapping.h"
#include "ui/view/WaveformListeners.h"
#include "ui/view/WaveformMarkColumns.h"
#include "ui/view/WaveformPainter.h"

namespace {

constexpr QRgb kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu, kRed = 0xFFFF0000u, kCyan = 0xFF00FFFFu,
               kUnpainted = 0xFF123456u;

std::unique_ptr<SampleBuffer> Mono8(const Bytes8& values) {
    auto sample = std::make_unique<SampleBuffer>();
    SetBytes(*sample, kLayoutMono8, values);
    return sample;
}
std::unique_ptr<SampleBuffer> Silence(uint32_t count) {
    return Mono8(Bytes8(count, 128));
}

// Columns from..to of an image, each top to bottom: '#' black, '.' white, '?' anything else.
QStringList Columns(const QImage& image, int from, int to) {
    QStringList columns;
    for (int x = from; x <= to; ++x) {
        QString column;
        for (int y = 0; y < image.height(); ++y) {
            const QRgb pixel = image.pixel(x, y) | kBlack;
            column += pixel == kBlack ? '#' : pixel == kWhite ? '.' : '?';
        }
        columns << column;
    }
    return columns;
}
QImage Painted(const SampleBuffer& sound, WaveformGeometry geometry, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kUnpainted);
    WaveformPainter(sound, geometry, width, height).Paint(image, 0, width - 1, kWhite);
    return image;
}
QImage Picture(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}
// What is on the screen: the backing store after the pending paints, including those that only
// moved pixels or recomposed the columns of changed marks.
QImage Screen(QWidget& widget) {
    QCoreApplication::processEvents();
    QImage shot = widget.screen()->grabWindow(widget.winId()).toImage();
    return shot.convertToFormat(QImage::Format_RGB32);
}
// The columns in which `picture` differs from `reference`; {-1} when a pixel is not inverted.
QList<int> Inverted(const QImage& picture, const QImage& reference) {
    QList<int> columns;
    for (int x = 0; x < picture.width(); ++x) {
        bool differs = false;
        for (int y = 0; y < picture.height(); ++y) {
            const QRgb a = picture.pixel(x, y) & 0xFFFFFF, b = reference.pixel(x, y) & 0xFFFFFF;
            if (a != b && (a ^ b) != 0xFFFFFF)
                return {-1};
            differs = differs || a != b;
        }
        if (differs)
            columns << x;
    }
    return columns;
}
QList<int> Range(int from, int to) {
    QList<int> columns;
    for (int x = from; x <= to; ++x) columns << x;
    return columns;
}

// Everything the windows report, in order.
QStringList g_log;
__attribute__((format(printf, 1, 2))) void Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    g_log << QString::vasprintf(format, args);
    va_end(args);
}
struct Listeners : SampleSheetListener,
                   WaveformRulerListener,
                   WaveformViewListener,
                   SpectrumListener,
                   TimeRulerViewListener {
    void UpdateSelection(uint32_t a, uint32_t b, uint32_t, uint32_t, bool sel) override {
        Log("sheet %u %u %d", a, b, int{sel});
    }
    void SetSelection(uint32_t a, uint32_t b, bool) override { Log("ruler %u %u", a, b); }
    void UpdateScrollBar(uint32_t a, uint32_t max) override { Log("scrollbar %u %u", a, max); }
    void ZoomInFromWaveform() override { Log("zoom in"); }
    void UpdateSpectrum(const SampleBuffer*, uint32_t at) override { Log("spectrum %u", at); }
    void SetSelection(uint32_t a, uint32_t b, int how) override {
        Log("select %u %u %d", a, b, how);
    }
    void SetZoomAt(uint32_t zoom, uint32_t x) override { Log("zoom %u at %u", zoom, x); }
    void ZoomAll() override { Log("zoom all"); }
};

// A window of the given size showing all of `sample`.
std::unique_ptr<CWaveformWnd> Window(SampleBuffer* sample, int width, int height,
                                     int style = kStyleLines) {
    auto wnd = std::make_unique<CWaveformWnd>();
    wnd->resize(width, height);
    wnd->SetStyle(style);
    wnd->SetSample(sample, 0, sample->GetFrameCount() - 1);
    wnd->ZoomAll(false);
    return wnd;
}
void Show(QWidget& widget) {
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
}
std::pair<uint32_t, uint32_t> Band(const CWaveformWnd& w) {
    return {w.GetSelStart(), w.GetSelEnd()};
}

}  // namespace

class ViewWidgetsTest : public QObject {
    Q_OBJECT
    Listeners m_listen;

private slots:
    void init() {
        g_log.clear();
        SetSampleSheetListener(&m_listen);
        SetSpectrumListener(nullptr);
        QGuiApplication::styleHints()->setCursorFlashTime(1000);
    }
    void cleanup() { SetSampleSheetListener(nullptr); }

    // ---- Plain functions ----

    void painterColumns() {
        auto expect = [](const SampleBuffer& sound, WaveformGeometry geometry, int width,
                         int height, const QStringList& columns) {
            QCOMPARE(Columns(Painted(sound, geometry, width, height), 0, width - 1), columns);
        };
        // 8 rows: values 0, 255, 128, 64 fall on rows 0, 7, 4 and 2; mid-height is row 4. After
        // the last frame come a black line and the 8 x 8 hatch anchored to the right edge.
        const auto four = Mono8({0, 255, 128, 64});
        const QStringList hatch = {"########", "........", "#...#...", "........",
                                   "..#...#.", "........", "#...#...", "........"};
        const QStringList lines = {"####....", "....####", "...###..", "..#....."};
        expect(*four, {0, 1, kStyleDots}, 12, 8,
               QStringList{"#.......", ".......#", "....#...", "..#....."} + hatch);
        expect(*four, {0, 1, kStyleBars}, 12, 8,
               QStringList{"#####...", "....####", "....#...", "..###..."} + hatch);
        // Each step between two columns is split in halves; the first rises from mid-height.
        expect(*four, {0, 1, kStyleLines}, 12, 8, lines + hatch);
        expect(*four, {0, 1, kStylePeaks}, 4, 8, lines);  // one frame a column draws as Lines
        // Frames 2, 4 and 6 in columns 0..2; the line comes from frame 0, one zoom step back.
        const auto eight = Mono8({0, 9, 255, 9, 128, 9, 128, 9});
        expect(*eight, {2, 2, kStyleLines}, 6, 8,
               {"....####", "....##..", "....#...", "########", "........", "..#...#."});
        expect(*eight, {10, 2, kStyleDots}, 6, 8,  // shown from past the end: the line only
               {"########", "........", "..#...#.", "........", "#...#...", "........"});
        const WaveformExtent shifted = WaveformPainter(*eight, {2, 2}, 6, 8).Extent();
        const WaveformExtent past = WaveformPainter(*eight, {10, 2}, 6, 8).Extent();
        QCOMPARE(std::pair(shifted.lastColumn, shifted.lastFrame), std::pair(2, 6u));
        QCOMPARE(std::pair(past.lastColumn, past.lastFrame), std::pair(-1, 8u));
        // 16-bit stereo in 256 rows: the row is the high byte with its sign inverted.
        SampleBuffer wide;
        SetBytes(wide, kLayoutStereo16, Le16({-32768, 32767, 0, -1, 255, 256}));
        auto dots = [](std::initializer_list<int> rows) {
            QStringList columns;
            for (int row : rows) columns << QString(256, '.').replace(row, 1, '#');
            return columns;
        };
        expect(wide, {0, 1, kStyleDots, 0}, 3, 256, dots({0, 128, 128}));
        expect(wide, {0, 1, kStyleDots, 1}, 3, 256, dots({255, 127, 129}));
    }

    void peaksSpanEveryFrameOfAColumnAndStripsMatchAWholePaint() {
        // Each column spans the frames it covers, reaching to the column before when apart.
        auto spans = [](const Bytes8& frames, QList<int> ends) {
            const uint32_t zoom = static_cast<uint32_t>(frames.size() / 4);
            const QImage image = Painted(*Mono8(frames), {0, zoom, kStylePeaks}, 4, 256);
            for (int x = 0; x < 4; ++x) {
                const int top = ends[2 * x], bottom = ends[2 * x + 1];
                QCOMPARE(Columns(image, x, x)[0], QString(top, '.') +
                                                      QString(bottom - top + 1, '#') +
                                                      QString(255 - bottom, '.'));
            }
        };
        Bytes8 click(40, 128);
        click[13] = 255;  // inside the second column, not its first frame
        spans(click, {128, 128, 128, 255, 128, 128, 128, 128});
        spans({0, 10, 100, 110, 50, 60, 200, 255}, {0, 10, 11, 110, 50, 99, 61, 255});
        // Lines look at one frame per column and miss the click.
        QCOMPARE(Painted(*Mono8(click), {0, 10, kStyleLines}, 4, 256).pixel(1, 255), kWhite);
        // A scroll paints only the uncovered strip: its pixels must be those of a whole paint.
        std::mt19937 random(5);
        Bytes8 frames(3000);
        for (uint8_t& v : frames) v = static_cast<uint8_t>(96 + random() % 64);
        const auto sound = Mono8(frames);
        for (int style : {kStyleLines, kStyleDots, kStyleBars, kStylePeaks}) {
            for (uint32_t first : {0u, 35u, 2900u}) {
                const WaveformGeometry geometry{first, 7, style};
                QImage strips(400, 64, QImage::Format_RGB32);
                const WaveformPainter painter(*sound, geometry, 400, 64);
                for (int x0 = 0; x0 < 400; x0 += 37) painter.Paint(strips, x0, x0 + 36, kWhite);
                QVERIFY(strips == Painted(*sound, geometry, 400, 64));
            }
        }
    }

    void markColumns() {
        // As caret, band from..to and play line; -1 for a mark not drawn.
        auto columns = [](WaveformMarkState state) {
            const WaveformMarkColumns c = MarkColumnsOf(state);
            return QList<int>{c.caret ? c.caretColumn : -1, c.band ? c.bandFrom : -1,
                              c.band ? c.bandTo : -1, c.play ? c.playColumn : -1};
        };
        // Frames 100..499 shown at 2 frames a column: columns 0..199.
        QCOMPARE(columns({100, 499, 2, true, 101, true, 150, 160, true, 499}),
                 (QList<int>{0, 25, 30, 199}));
        // A band from before the first frame starts at column 0; a caret there is off-screen.
        QCOMPARE(columns({100, 499, 2, true, 99, true, 50, 120, true, 99}),
                 (QList<int>{kFarOutside, 0, 10, -1}));
        QCOMPARE(columns({100, 499, 2, false, 0, true, 400, 900, true, 500}),
                 (QList<int>{-1, 150, 199, -1}));
        QCOMPARE(columns({100, 499, 2, false, 0, true, 10, 99}), (QList<int>{-1, -1, -1, -1}));
        QCOMPARE(columns({100, 499, 2, false, 0, true, 499, 600}), (QList<int>{-1, 199, 199, -1}));
        QCOMPARE(columns({100, 499, 2, false, 0, true, 500, 600}), (QList<int>{-1, -1, -1, -1}));
        QCOMPARE(columns({10, 8, 2, false, 0, true, 0, 20}), (QList<int>{-1, -1, -1, -1}));
        QCOMPARE(columns({0, 99, 0, true, 5, false, 0, 0, true, 7}), (QList<int>{5, -1, -1, 7}));
    }

    void scrollBarMapping() {
        auto thumb = [](uint32_t first, uint32_t maxFirst, double pageFrames) {
            const ScrollThumb t = ThumbForFrames(first, maxFirst, pageFrames);
            return std::pair(t.page, t.position);
        };
        QCOMPARE(thumb(0, 0, 800), std::pair(kScrollRange, 0));
        QCOMPARE(thumb(0, 1000, 1000), std::pair(kScrollRange / 2, 0));
        QCOMPARE(thumb(1000, 1000, 1000), std::pair(kScrollRange / 2, kScrollRange / 2));
        QCOMPARE(thumb(3000000000u, 4000000000u, 100), std::pair(0, 24524));  // no page below 0
        // Dragged: whole columns of frames, zoom 0 counting as 1.
        QCOMPARE((QList<uint32_t>{FirstFrameForThumb(0, 100, 50000, 1),
                                  FirstFrameForThumb(kScrollRange - 100, 100, 50000, 1),
                                  FirstFrameForThumb(kScrollRange - 100, 100, 50000, 7),
                                  FirstFrameForThumb(16300, 100, 64000, 10),
                                  FirstFrameForThumb(5, kScrollRange, 50000, 1),
                                  FirstFrameForThumb(kScrollRange - 100, 100, 333, 0)}),
                 (QList<uint32_t>{0, 50000, 49994, 32000, 0, 333}));
        QCOMPARE((QList<int>{ThumbAfterStep(0, 0), ThumbAfterStep(500, 500),
                             ThumbAfterStep(250, 1000), ThumbAfterStep(4000000000u, 4000000000u)}),
                 (QList<int>{0, kScrollRange, kScrollRange / 4, kScrollRange}));
    }

    // ---- The waveform window ----

    void zoomAndScrollSteps() {
        // zoom = (frames + 1) / width, one more when the sound is longer than that; the page
        // steps divide the width first; scrolling stops with the last frame at mid-window.
        auto steps = [](uint32_t frames, int width) {
            auto sample = Silence(frames);
            auto w = Window(sample.get(), width, 50);
            return QList<uint32_t>{w->GetZoom(), w->GetHalfPage(), w->GetEighthPage(),
                                   w->GetMaxFirst()};
        };
        QCOMPARE(steps(1000, 400), (QList<uint32_t>{3, 600, 150, 400}));
        QCOMPARE(steps(801, 400), (QList<uint32_t>{3, 600, 150, 201}));
        QCOMPARE(steps(799, 400), (QList<uint32_t>{2, 400, 100, 399}));
        QCOMPARE(steps(100, 400), (QList<uint32_t>{1, 200, 50, 0}));
        QCOMPARE(steps(100, 7), (QList<uint32_t>{15, 45, 0, 55}));
        QCOMPARE(steps(100, 15), (QList<uint32_t>{7, 49, 7, 51}));
        auto sample = Silence(10000);
        auto w = Window(sample.get(), 400, 50);
        w->ShowRange(1000, 1399);  // 400 frames: 1, and 2 because the sound is longer
        QCOMPARE(std::pair(w->GetFirst(), w->GetZoom()), std::pair(1000u, 2u));
        w->ShowRange(0, 3999);
        QCOMPARE(w->GetZoom(), 11u);
        w->SetViewListener(&m_listen);
        w->SetSelection(2000, 2799);
        w->ZoomToSelection(true);
        QCOMPARE(std::pair(w->GetFirst(), w->GetZoom()), std::pair(2000u, 3u));
        QCOMPARE(g_log.last(), QStringLiteral("scrollbar 2000 9400"));
        w->SetCaret(5);
        w->ZoomToSelection(true);  // a caret: nothing to zoom to
        QCOMPARE(w->GetZoom(), 3u);
        auto thousand = Silence(1000);
        auto s = Window(thousand.get(), 400, 50);  // zoom 3: pages 600 and 150, max first 400
        const QList<uint32_t> firsts = {
            s->ScrollRight(false), s->ScrollRight(false), s->ScrollRight(false),
            s->ScrollRight(true),  s->ScrollLeft(false),  s->ScrollLeft(true),
            s->ScrollTo(5000),     s->ScrollTo(7),        s->ScrollLeft(false)};
        QCOMPARE(firsts, (QList<uint32_t>{150, 300, 400, 400, 250, 0, 400, 7, 0}));
    }

    void dragAcrossTheAnchorShowsTheBandAtEveryStep_data() {
        QTest::addColumn<int>("frames");
        QTest::addColumn<QList<int>>("path");  // pressed at the first column
        QTest::newRow("left then right") << 400 << QList<int>{100, 50, 150};
        QTest::newRow("zoom 3, right then left") << 1000 << QList<int>{100, 150, 50};
        QTest::newRow("zoom 3, back onto the anchor") << 1000 << QList<int>{100, 150, 100};
        QTest::newRow("back and forth") << 400 << QList<int>{100, 60, 140, 90, 120};
    }
    void dragAcrossTheAnchorShowsTheBandAtEveryStep() {
        QFETCH(int, frames);
        QFETCH(QList<int>, path);
        const int press = path[0], zoom = (frames + 399) / 400;
        auto sample = Silence(static_cast<uint32_t>(frames));
        auto w = Window(sample.get(), 400, 50), plain = Window(sample.get(), 400, 50);
        Show(*w);
        const QImage reference = Picture(*plain);
        Mouse(w.get(), QStringLiteral("p%1").arg(press));
        QCOMPARE(Inverted(Screen(*w), reference), QList<int>{press});
        for (int leg = 1, x = press; leg < path.size(); ++leg) {
            while (x != path[leg]) {  // step by step, as a hand moves
                x += path[leg] > x ? 1 : -1;
                Mouse(w.get(), QStringLiteral("d%1").arg(x));
                if (x % 7 == 0 || x == path[leg])
                    QCOMPARE(Inverted(Screen(*w), reference),
                             Range(std::min(press, x), std::max(press, x)));
            }
        }
        Mouse(w.get(), QStringLiteral("r%1").arg(path.last()));
        const int lo = std::min(press, path.last()), hi = std::max(press, path.last());
        QVERIFY(w->HasSelection() && !w->HasCaret());
        QCOMPARE(Band(*w), std::pair(uint32_t(lo * zoom), uint32_t(hi * zoom)));
        QCOMPARE(Inverted(Picture(*w), reference), Range(lo, hi));
    }

    void clickLeavesABlinkingCaretAndReportsInOrder() {
        auto sample = Silence(1000);
        auto w = Window(sample.get(), 400, 60, kStyleBars);  // zoom 3
        auto plain = Window(sample.get(), 400, 60, kStyleBars);
        const QImage reference = Picture(*plain);
        plain->SetRuler(&m_listen);
        SetSpectrumListener(&m_listen);
        g_log.clear();
        Mouse(plain.get(), "p10 d20 r20 c37");
        QCOMPARE(g_log, (QStringList{"sheet 30 30 1", "ruler 30 30", "sheet 30 60 1", "ruler 30 60",
                                     "sheet 30 60 1", "spectrum 30", "sheet 111 111 1",
                                     "ruler 111 111", "sheet 111 0 0", "spectrum 111"}));
        Show(*w);
        Mouse(w.get(), "c37");
        QVERIFY(w->HasCaret() && !w->HasSelection() && w->IsCaretShown() && w->IsBlinking());
        QCOMPARE(w->GetCaret(), 111u);
        QCOMPARE(Inverted(Screen(*w), reference), QList<int>{37});
        // It blinks off, leaving nothing on the screen, and on again.
        QTRY_VERIFY(!w->IsCaretShown());
        QCOMPARE(Inverted(Screen(*w), reference), QList<int>{});
        QTRY_VERIFY(w->IsCaretShown());
        QCOMPARE(Inverted(Screen(*w), reference), QList<int>{37});
        // A press beyond the data marks the last frame.
        auto fifty = Silence(50);
        auto s = Window(fifty.get(), 100, 30);
        Mouse(s.get(), "c80");
        QCOMPARE(s->GetCaret(), 49u);
    }

    void partnersRepeatTheDragUnlessCtrlIsHeld() {
        auto sample = Silence(400);
        auto upper = Window(sample.get(), 400, 40), lower = Window(sample.get(), 400, 40);
        const QImage reference = Picture(*Window(sample.get(), 400, 40));
        upper->SetPartner(lower.get());
        lower->SetPartner(upper.get());
        Show(*lower);
        Mouse(upper.get(), "p200 d120 d260");
        QCOMPARE(Inverted(Screen(*lower), reference), Range(200, 260));
        Mouse(upper.get(), "r260");
        QCOMPARE(Band(*upper), std::pair(200u, 260u));
        QCOMPARE(Band(*lower), std::pair(200u, 260u));
        Mouse(upper.get(), "c33");
        QVERIFY(lower->HasCaret() && lower->IsBlinking());
        QCOMPARE(lower->GetCaret(), 33u);
        QCOMPARE(Inverted(Screen(*lower), reference), QList<int>{33});
        // With Ctrl the partner loses its marks.
        Mouse(lower.get(), "p100 d150 r150", Qt::ControlModifier);
        QVERIFY(!lower->PartnerFollows());
        QCOMPARE(Band(*lower), std::pair(100u, 150u));
        QVERIFY(!upper->HasSelection() && !upper->HasCaret() && !upper->IsBlinking());
        QCOMPARE(Inverted(Picture(*upper), reference), QList<int>{});
        // A double click selects the whole sound in both, or with Ctrl in the clicked one only.
        upper->SetRuler(&m_listen);
        Mouse(upper.get(), "c50");
        g_log.clear();
        QTest::mouseDClick(upper.get(), Qt::LeftButton, {}, QPoint(50, 10));
        QCOMPARE(g_log, (QStringList{"sheet 0 399 1", "ruler 0 399"}));
        for (CWaveformWnd* wnd : {upper.get(), lower.get()}) {
            QVERIFY(wnd->HasSelection() && !wnd->HasCaret() && !wnd->IsBlinking());
            QCOMPARE(Inverted(Picture(*wnd), reference), Range(0, 399));
        }
        QTest::mouseDClick(lower.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(50, 10));
        QVERIFY(lower->HasSelection() && !upper->HasSelection() && !upper->HasCaret());
    }

    void dragPastAnEdgeScrollsBothWindows() {
        auto sample = Silence(4000);
        auto upper = Window(sample.get(), 400, 40), lower = Window(sample.get(), 400, 40);
        upper->SetPartner(lower.get());
        lower->SetPartner(upper.get());
        upper->SetViewListener(&m_listen);
        for (CWaveformWnd* wnd : {upper.get(), lower.get()}) wnd->ShowRange(0, 399);  // zoom 2
        Mouse(upper.get(), "p100");
        g_log.clear();
        Mouse(upper.get(), "d399 d450");  // inside nothing scrolls; outside an eighth per move
        QVERIFY(g_log.contains(QStringLiteral("scrollbar 100 3600")));
        for (CWaveformWnd* wnd : {upper.get(), lower.get()})
            QCOMPARE(std::pair(wnd->GetFirst(), wnd->GetSelEnd()), std::pair(100u, 1000u));
        Mouse(upper.get(), "d451");
        QCOMPARE(std::pair(upper->GetFirst(), upper->GetSelEnd()), std::pair(200u, 1102u));
        for (int i = 0; i < 60; ++i) Mouse(upper.get(), i % 2 ? "d461" : "d460");
        Mouse(upper.get(), "r461");
        for (CWaveformWnd* wnd : {upper.get(), lower.get()}) {
            QCOMPARE(wnd->GetFirst(), upper->GetMaxFirst());
            QCOMPARE(Band(*wnd), std::pair(200u, 3999u));
        }
        // To the left, down to frame 0 and no further.
        upper->ScrollTo(250);
        Mouse(upper.get(), "p10");  // frame 270
        g_log.clear();
        Mouse(upper.get(), "d-30");
        QCOMPARE(g_log.first(), QStringLiteral("scrollbar 150 3600"));
        QCOMPARE(std::pair(upper->GetFirst(), upper->GetSelStart()), std::pair(150u, 150u));
        Mouse(upper.get(), "d-30 d-31");  // an eighth is more than is left
        QCOMPARE(upper->GetFirst(), 0u);
        g_log.clear();
        Mouse(upper.get(), "d-40");
        QCOMPARE(g_log, QStringList{});
        Mouse(upper.get(), "r-40");
        QCOMPARE(Band(*upper), std::pair(0u, 270u));
    }

    void marksSetByTheViewInAShiftedWindow() {
        auto sample = Silence(1000);
        auto w = Window(sample.get(), 400, 40), plain = Window(sample.get(), 400, 40);  // zoom 3
        w->SetRuler(&m_listen);
        const QImage reference = Picture(*plain);
        g_log.clear();
        w->SetSelection(100, 200);
        w->SetCaret(302);
        QCOMPARE(g_log, (QStringList{"sheet 100 200 1", "ruler 100 200", "sheet 302 0 0",
                                     "ruler 100 200"}));
        QVERIFY(!w->HasSelection() && w->IsBlinking());
        QCOMPARE(Inverted(Picture(*w), reference), QList<int>{100});
        w->SetSelection(100, 200);  // columns truncate
        QCOMPARE(Inverted(Picture(*w), reference), Range(33, 66));
        // Frames 300..699 at zoom 1: marks before frame 300 start at column 0 or are not shown.
        for (CWaveformWnd* wnd : {w.get(), plain.get()}) wnd->ShowRange(300, 599);
        const QImage shifted = Picture(*plain);
        auto band = [&](uint32_t from, uint32_t to) {
            w->SetSelection(from, to);
            return Inverted(Picture(*w), shifted);
        };
        QCOMPARE(band(200, 310), Range(0, 10));
        QCOMPARE(band(650, 900), Range(350, 399));
        QCOMPARE(band(100, 299), QList<int>{});
        QCOMPARE(band(301, 301), QList<int>{1});
        w->SetCaret(299);
        QCOMPARE(Inverted(Picture(*w), shifted), QList<int>{});
        // Put away while the view lacks the focus, and back when it returns, a caret blinking.
        w->SetCaret(305);
        w->HideMarks();
        w->HideMarks();
        QVERIFY(w->IsInactive());
        QCOMPARE(Inverted(Picture(*w), shifted), QList<int>{});
        w->SetSelection(310, 320);  // set while put away: these come back, not the caret
        g_log.clear();
        w->ShowMarks();
        QCOMPARE(g_log, QStringList{"sheet 310 320 1"});
        QCOMPARE(Inverted(Picture(*w), shifted), Range(10, 20));
        w->SetCaret(330);
        w->HideMarks();
        QVERIFY(!w->IsBlinking());
        w->ShowMarks();
        QVERIFY(w->HasCaret() && !w->IsCaretShown() && w->IsBlinking());
        QTRY_VERIFY(w->IsCaretShown());
        QCOMPARE(Inverted(Picture(*w), shifted), QList<int>{30});
    }

    void playLineIsXorCyan() {
        // Bars: column 3 holds value 0, black from row 0 to mid-height, white below.
        auto sample = Silence(20);
        sample->Data()[3] = 0;
        auto w = Window(sample.get(), 20, 40, kStyleBars);
        Show(*w);
        w->MovePlayCursor(3);
        const QImage screen = Screen(*w);
        for (int y = 0; y < 40; ++y) QCOMPARE(screen.pixel(3, y) | kBlack, y <= 20 ? kCyan : kRed);
        w->MovePlayCursor(7);  // the old column comes back
        QVERIFY(!Columns(Screen(*w), 0, 6).join("").contains('?'));
        w->MovePlayCursor(25);  // beyond the last frame shown: no line
        QVERIFY(w->HasPlayCursor() && !Columns(Screen(*w), 0, 19).join("").contains('?'));
        w->SetSelection(5, 10);  // inside the band: white, inverted, then XOR cyan
        w->MovePlayCursor(7);
        QCOMPARE(Picture(*w).pixel(7, 30) | kBlack, kCyan);
        w->HidePlayCursor();
        QCOMPARE(Picture(*w).pixel(7, 30) | kBlack, kBlack);
    }

    void scrollByWholeColumnsMovesThePixels() {
        Bytes8 values(4000);
        for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<uint8_t>(i * 37 % 251);
        auto sample = Mono8(values);
        for (int style : {kStyleLines, kStyleDots, kStyleBars, kStylePeaks}) {
            std::unique_ptr<CWaveformWnd> w;
            auto fresh = [&](uint32_t first) {  // zoom 2, an eighth page of 74
                auto wnd = Window(sample.get(), 300, 60, style);
                wnd->ShowRange(0, 299);
                wnd->SetSelection(350, 420);
                wnd->MovePlayCursor(500);
                wnd->ScrollTo(first);
                return wnd;
            };
            w = fresh(0);
            Show(*w);
            Screen(*w);
            // The pixels move and only the uncovered strip is painted (4 more going left).
            for (const auto& [first, painted] : {std::pair(10u, 5), {400u, 195}, {326u, 42}}) {
                QCOMPARE(first == 326 ? w->ScrollLeft(false) : w->ScrollTo(first), first);
                QVERIFY(Screen(*w) == Picture(*fresh(first)));
                QCOMPARE(w->LastPaintedColumns(), painted);
            }
            QVERIFY(Picture(*w) == Picture(*fresh(326)));
            w->ScrollTo(7);  // not a whole column: all of it again
            Screen(*w);
            QCOMPARE(w->LastPaintedColumns(), 300);
        }
    }

    void emptyOrRecordingSoundTakesNoMarks() {
        auto empty = Silence(0);
        auto w = Window(empty.get(), 100, 30);
        Mouse(w.get(), "c10");
        QTest::mouseDClick(w.get(), Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(!w->HasSelection() && w->HasCaret() && w->GetCaret() == 0);
        const QStringList blank(100, QString(30, '.'));
        QCOMPARE(Columns(Picture(*w), 0, 99), blank);
        w->SetCaret(0);  // a shown caret is all there is to draw
        QCOMPARE(Columns(Picture(*w), 0, 1), (QStringList{QString(30, '#'), QString(30, '.')}));
        // A sound being recorded into: its block belongs to the input device.
        FakeAudioBackend devices;
        RecordingMessageSink messages;
        CountingTarget dialog;
        auto recording = Silence(200);
        RecordingSession session(*recording, devices, messages);
        QCOMPARE(session.Record(&dialog, 200, kDefaultAudioDevice), uint16_t(1));
        auto r = Window(recording.get(), 100, 30);
        Mouse(r.get(), "c10");
        QVERIFY(!r->HasSelection() && !r->IsCaretShown());
        QCOMPARE(Columns(Picture(*r), 0, 99), blank);
    }

    // ---- The time ruler ----

    void rulerTicks() {
        // Five-digit labels and a blank at 8 pixels: ticks at least 48 pixels apart; the first
        // at the first multiple of the step shown.
        auto ticks = [](uint32_t first, uint32_t scale, int width = 500) {
            const RulerTickLayout layout = LayOutRulerTicks(first, scale, width, 8);
            QList<int> found{int(layout.step)};
            for (const RulerTick& tick : layout.ticks)
                found << (tick.labelX == tick.x + 4 ? tick.x : -1) << int(tick.value);
            return found;
        };
        QCOMPARE(ticks(10000, 1).mid(0, 5), (QList<int>{50, 0, 10000, 50, 10050}));
        QCOMPARE(ticks(10000, 100).mid(0, 5), (QList<int>{5000, 0, 10000, 50, 15000}));
        QCOMPARE(ticks(10020, 1).mid(0, 5), (QList<int>{50, 30, 10050, 80, 10100}));
        QCOMPARE(ticks(10001, 10).mid(0, 5), (QList<int>{500, 49, 10500, 99, 11000}));
        QCOMPARE(ticks(0, 3).mid(0, 5), (QList<int>{150, 0, 0, 50, 150}));  // 4 digits: 40 px
        QCOMPARE(ticks(10000, 1).last(), 10450);  // the last one inside the ruler
        QCOMPARE(ticks(7505, 5)[0], 250);         // the last pixel shows 10000: five-digit labels
        // Every step is a round number: 1, 1.5, 2, 2.5, 5 or 7.5 times a power of ten.
        const QRegularExpression round(QStringLiteral("^(1|15|2|25|5|75)0+$"));
        for (uint32_t scale = 1; scale < 20000000; scale += scale / 10 + 1) {
            const QString step = QString::number(LayOutRulerTicks(0, scale, 100, 8).step);
            QVERIFY2(round.match(step).hasMatch(), qPrintable(step));
        }
        // Positions accumulate as fractions: at scale 7 ticks of 500 are 71.43 pixels apart.
        QCOMPARE(ticks(0, 7), (QList<int>{500, 0, 0, 71, 500, 142, 1000, 214, 1500, 285, 2000, 357,
                                          2500, 428, 3000}));
        // Ten minutes at 44100 Hz in 1000 pixels: every 2500000 frames; past the table, none.
        QCOMPARE(LayOutRulerTicks(0, 28209, 1000, 8).ticks.size(), size_t(12));
        QVERIFY(LayOutRulerTicks(0, 30000000, 100, 8).ticks.empty());
        // On the screen: a shadow and a light line per tick, then a gap before the label.
        CTimeRuler ruler;
        ruler.resize(400, CTimeRuler::kHeight);
        ruler.SetRange(10020, 1);
        ruler.SetSelection(0, 0, true);
        const QImage picture = Picture(ruler);
        const QPalette& palette = ruler.palette();
        for (const RulerTick& tick : LayOutRulerTicks(10020, 1, 400, 8).ticks) {
            QCOMPARE((QList<QRgb>{picture.pixel(tick.x, 15), picture.pixel(tick.x + 1, 18),
                                  picture.pixel(tick.x + 3, 15)}),
                     (QList<QRgb>{palette.color(QPalette::Dark).rgb(),
                                  palette.color(QPalette::Light).rgb(),
                                  palette.color(QPalette::Button).rgb()}));
        }
    }

    void rulerMarkersAndZoomMenu() {
        CTimeRuler ruler;
        ruler.SetViewListener(&m_listen);
        ruler.resize(300, CTimeRuler::kHeight);
        ruler.SetRange(1000, 10);
        ruler.SetSelection(1200, 1509, true);
        QCOMPARE(std::pair(ruler.LeftMarkerX(), ruler.RightMarkerX()), std::pair(22, 52));
        // The left marker points right from columns 15..21, the right one left from 52..58.
        const QImage picture = Picture(ruler);
        const QRgb ink = ruler.palette().color(QPalette::ButtonText).rgb();
        QString inked;
        for (int x : {14, 15, 21, 22, 51, 52, 58, 59})
            for (int y = 1; y <= 10; ++y)
                inked += y == 10 ? ' ' : picture.pixel(x, y) == ink ? '#' : '.';
        QCOMPARE(inked, QStringLiteral("......... .#######. ....#.... ......... ......... "
                                       "....#.... .#######. ......... "));
        ruler.SetSelection(900, 1000, true);  // an end left of the first sample is off the ruler
        QCOMPARE(ruler.LeftMarkerX(), -8);
        // Dragged: a marker only from its zone; the left one past the right takes both along;
        // left of the ruler counts as 0.
        auto drag = [&](QList<int> xs) {
            ruler.SetSelection(1200, 1500, true);
            QString steps = QStringLiteral("p%1,5").arg(xs[0]);
            for (int x : xs.mid(1)) steps += QStringLiteral(" d%1,5").arg(x);
            Mouse(&ruler, steps + QStringLiteral(" r%1,5").arg(xs.last()));
        };
        drag({40, 45});
        drag({52, 70});  // the right marker's zone is the 7 columns right of it
        drag({60, 70});
        drag({18, 40, 40, 80, -20});
        drag({55, 10});
        QCOMPARE(g_log, (QStringList{"select 1400 1500 3", "select 1800 1800 3",
                                     "select 1000 1800 3", "select 1100 1100 3"}));
        // The zoom menu: at the pointer for the right button, 5 pixels in for Shift+F10.
        Show(ruler);
        g_log.clear();
        QMenu* menu = ruler.ZoomMenu();
        auto contextMenu = [&](QPoint at) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, ruler.mapToGlobal(at));
            QApplication::sendEvent(&ruler, &event);
        };
        contextMenu(QPoint(123, 15));
        QVERIFY(menu->isVisible());
        for (int i : {1, 2, 3}) menu->actions()[i]->trigger();
        menu->hide();
        ruler.setFocus();
        QTest::keyClick(&ruler, Qt::Key_F10);  // F10 alone does not open it
        QVERIFY(!menu->isVisible());
        QTest::keyClick(&ruler, Qt::Key_F10, Qt::ShiftModifier);
        menu->actions()[0]->trigger();
        menu->hide();
        QCOMPARE(g_log,
                 (QStringList{"zoom 10 at 123", "zoom 100 at 123", "zoom all", "zoom 1 at 5"}));
        // At scale 0 there is nothing to zoom: no menu, no ticks, no markers.
        ruler.SetRange(0, 0);
        contextMenu(QPoint(50, 5));
        QVERIFY(!menu->isVisible());
        QImage face(298, 9, QImage::Format_RGB32);
        face.fill(ruler.palette().color(QPalette::Button));
        QVERIFY(Picture(ruler).copy(1, 1, 298, 9) == face);
    }

    // ---- The frequency view ----

    void spectraOfSinesPeakAtTheirCycles() {
        // 17 periods in every 4096 frames of 16-bit stereo: bin 17, drawn at the top of the
        // graph at column 17 * width / 1024.
        SampleBuffer sine;
        sine.SetFormat(22050, true, true);
        sine.ResizeFrames(12000);
        for (uint32_t i = 0; i < 12000; ++i) {
            FrameValue value;
            value.slot[0] = value.slot[1] =
                int16_t(std::lround(20000 * std::sin(std::numbers::pi * 17 * i / 2048)));
            sine.SetFrame(i, value);
        }
        const QRgb line = qRgb(0, 255, 50);
        CFreqView view(nullptr);
        QVERIFY(!view.HasData());
        view.UpdateSpectrum(&sine, 6000);
        const std::vector<float>& m = view.Magnitudes();
        QCOMPARE(int(std::max_element(m.begin(), m.end()) - m.begin()), 17);
        auto top = [&](int width) {  // the columns where the line reaches the top rows
            view.resize(width, 200);
            const QImage image = Picture(view);
            QList<int> columns;
            for (int x = 0; x < width; ++x)
                if (image.pixel(x, 0) == line || image.pixel(x, 1) == line)
                    columns << x;
            return columns;
        };
        QVERIFY(top(1024).contains(17) && top(1024).first() >= 16 && top(1024).last() <= 18);
        QVERIFY(top(2048).contains(34));  // a new size redraws without a new sound
        // A sound at the midpoint throughout (8-bit 127) has no magnitude at all and draws
        // flat on the zero row; no sound leaves the last spectrum.
        view.UpdateSpectrum(Mono8(Bytes8(5000, 127)).get(), 2500);
        QVERIFY(std::all_of(m.begin(), m.end(), [](float v) { return v == 0.0f; }));
        view.resize(1024, 200);
        const QImage flat = Picture(view);
        for (int y = 0; y < 200; ++y) QCOMPARE(flat.pixel(700, y), y == 197 ? line : qRgb(0, 0, 0));
        view.UpdateSpectrum(nullptr, 0);
        QVERIFY(view.HasData());
    }
};

QTEST_MAIN(ViewWidgetsTest)
#include "ViewWidgetsTest.moc"
