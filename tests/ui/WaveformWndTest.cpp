// The waveform window, driven as a user drives it and looked at pixel by pixel.
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QStyleHints>
#include <QtTest/QtTest>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/audio/RecordingSession.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "support/FakeAudioBackend.h"
#include "ui/view/CWaveformWnd.h"
#include "ui/view/WaveformListeners.h"
#include "ui/view/WaveformPainter.h"

namespace {

constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kRed = 0xFFFF0000u;
constexpr QRgb kCyan = 0xFF00FFFFu;

// 8-bit mono frames with the given values.
std::unique_ptr<SampleBuffer> Mono8(const std::vector<uint8_t>& values) {
    auto sample = std::make_unique<SampleBuffer>();
    sample->SetFormat(22050, false, false);
    sample->ResizeFrames(static_cast<uint32_t>(values.size()));
    if (!values.empty())
        std::memcpy(sample->Data(), values.data(), values.size());
    return sample;
}

// `count` frames of silence.
std::unique_ptr<SampleBuffer> Silence(uint32_t count) {
    return Mono8(std::vector<uint8_t>(count, 128));
}

// Everything the windows report, in the order they report it.
std::vector<std::string> g_log;

struct Sheet : SampleSheetListener {
    void UpdateSelection(uint32_t first, uint32_t last, uint32_t bytesPerFrame, uint32_t frequency,
                         bool isSelection) override {
        g_log.push_back(QString::asprintf("sheet %u %u %u %u %d", first, last, bytesPerFrame,
                                          frequency, isSelection ? 1 : 0)
                            .toStdString());
    }
};

struct Ruler : WaveformRulerListener {
    void SetSelection(uint32_t left, uint32_t right, bool repaint) override {
        g_log.push_back(
            QString::asprintf("ruler %u %u %d", left, right, repaint ? 1 : 0).toStdString());
    }
};

struct View : WaveformViewListener {
    void UpdateScrollBar(uint32_t first, uint32_t maxFirst) override {
        g_log.push_back(QString::asprintf("scrollbar %u %u", first, maxFirst).toStdString());
    }
    void ZoomInFromWaveform() override { g_log.push_back("zoom in"); }
};

struct Spectrum : SpectrumListener {
    void UpdateSpectrum(const SampleBuffer* buffer, uint32_t centreFrame) override {
        g_log.push_back(QString::asprintf("spectrum %d %u", buffer != nullptr ? 1 : 0, centreFrame)
                            .toStdString());
    }
};

QImage Rgb(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32);
}

// The picture a full paint of the window gives.
QImage Picture(QWidget& widget) {
    return Rgb(widget.grab().toImage());
}

// What is on the screen: the window's backing store after all pending paints, including those
// that only moved pixels or redrew the columns of changed marks.
QImage Screen(QWidget& widget) {
    QCoreApplication::processEvents();
    return Rgb(widget.screen()->grabWindow(widget.winId()).toImage());
}

// Column x of an image as one string of '#' (black), '.' (white) and '?' (anything else).
std::string Column(const QImage& image, int x) {
    std::string column;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb pixel = image.pixel(x, y) | 0xFF000000u;
        column += pixel == kBlack ? '#' : pixel == kWhite ? '.' : '?';
    }
    return column;
}

// The columns in which two pictures differ, and whether every differing pixel is inverted.
struct Difference {
    std::vector<int> columns;
    bool allInverted = true;
};

Difference Compare(const QImage& a, const QImage& b) {
    Difference difference;
    for (int x = 0; x < a.width(); ++x) {
        bool differs = false;
        for (int y = 0; y < a.height(); ++y) {
            const QRgb pa = a.pixel(x, y) & 0xFFFFFF;
            const QRgb pb = b.pixel(x, y) & 0xFFFFFF;
            if (pa == pb)
                continue;
            differs = true;
            if ((pa ^ pb) != 0xFFFFFF)
                difference.allInverted = false;
        }
        if (differs)
            difference.columns.push_back(x);
    }
    return difference;
}

std::vector<int> Range(int from, int to) {
    std::vector<int> columns;
    for (int x = from; x <= to; ++x) columns.push_back(x);
    return columns;
}

// Every column of `x` inverted relative to the reference, and nothing else.
void ExpectInvertedColumns(const QImage& picture, const QImage& reference,
                           const std::vector<int>& columns) {
    const Difference difference = Compare(picture, reference);
    QCOMPARE(difference.columns, columns);
    QVERIFY(difference.allInverted);
}

// A window of the given size showing `sample`, the whole sample in view.
struct Window {
    std::unique_ptr<CWaveformWnd> wnd;

    Window(SampleBuffer* sample, int width, int height, int style = kStyleLines) {
        wnd = std::make_unique<CWaveformWnd>();
        wnd->resize(width, height);
        wnd->SetStyle(style);
        wnd->SetSample(sample, 0, sample ? sample->GetFrameCount() - 1 : 0);
        wnd->ZoomAll(false);
    }
    CWaveformWnd* operator->() { return wnd.get(); }
    CWaveformWnd& operator*() { return *wnd; }
};

void Press(QWidget& widget, int x, Qt::KeyboardModifiers keys = {}) {
    QTest::mousePress(&widget, Qt::LeftButton, keys, QPoint(x, 10));
}
void Move(QWidget& widget, int x) {
    QTest::mouseMove(&widget, QPoint(x, 10));
}
void Release(QWidget& widget, int x, Qt::KeyboardModifiers keys = {}) {
    QTest::mouseRelease(&widget, Qt::LeftButton, keys, QPoint(x, 10));
}

}  // namespace

namespace QTest {
template <>
char* toString(const std::string& text) {
    return qstrdup(text.c_str());
}
template <>
char* toString(const std::vector<int>& values) {
    QStringList items;
    for (int value : values) items << QString::number(value);
    return qstrdup(qPrintable("{" + items.join(", ") + "}"));
}
template <>
char* toString(const std::vector<std::string>& lines) {
    QStringList items;
    for (const auto& line : lines) items << QString::fromStdString(line);
    return qstrdup(qPrintable("{" + items.join(" | ") + "}"));
}
}  // namespace QTest

class WaveformWndTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        g_log.clear();
        SetSampleSheetListener(&m_sheet);
        SetSpectrumListener(nullptr);
        QGuiApplication::styleHints()->setCursorFlashTime(1000);
    }
    void cleanup() {
        SetSampleSheetListener(nullptr);
        SetSpectrumListener(nullptr);
    }

    void zoomArithmetic_data();
    void zoomArithmetic();
    void rangeZoomUsesTheWholeSampleLength();
    void scrollingStopsWithTheLastFrameAtMidWindow();
    void sampleRowsPerStyle_data();
    void sampleRowsPerStyle();
    void rightChannelAndSixteenBitValues();
    void linesStartFromTheFrameBeforeTheWindow();
    void aColumnShowsOneFrame();
    void hatchAfterTheEndOfTheData_data();
    void hatchAfterTheEndOfTheData();
    void clickLeavesABlinkingCaret();
    void dragCrossingTheAnchor_data();
    void dragCrossingTheAnchor();
    void pressBeyondTheDataMarksTheLastFrame();
    void reportsInOrder();
    void ctrlDragMarksOneChannel();
    void dragWithoutCtrlMarksBothChannels();
    void dragPastTheRightEdgeScrolls();
    void dragPastTheLeftEdgeScrolls();
    void doubleClickSelectsTheWholeSample();
    void rightButtonAsksTheViewToZoomIn();
    void playLineIsXorCyan();
    void setSelectionAndCaretFromTheView();
    void marksHideAndComeBackWithTheFocus();
    void zoomToSelection();
    void scrollByWholeColumnsMovesThePixels();
    void scrollByAFractionRedrawsEverything();
    void emptyOrRecordingSampleTakesNoMarks();

private:
    Sheet m_sheet;
};

// ---- Zoom ----

void WaveformWndTest::zoomArithmetic_data() {
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<int>("halfPage");
    QTest::addColumn<int>("eighthPage");
    QTest::addColumn<int>("maxFirst");
    // (frames + 1) / w, plus one when the sample is longer than w columns of that zoom.
    QTest::newRow("1000 in 400") << 1000 << 400 << 3 << 600 << 150 << 400;
    QTest::newRow("exactly two per column") << 800 << 400 << 2 << 400 << 100 << 400;
    QTest::newRow("one over two per column") << 801 << 400 << 3 << 600 << 150 << 201;
    QTest::newRow("799 in 400") << 799 << 400 << 2 << 400 << 100 << 399;
    QTest::newRow("shorter than the window") << 100 << 400 << 1 << 200 << 50 << 0;
    // The page steps divide the width first: 7 / 2 = 3 and 7 / 8 = 0.
    QTest::newRow("width 7") << 100 << 7 << 15 << 45 << 0 << 55;
    QTest::newRow("width 15") << 100 << 15 << 7 << 49 << 7 << 51;
    QTest::newRow("no frames") << 0 << 400 << 1 << 200 << 50 << 0;
}

void WaveformWndTest::zoomArithmetic() {
    QFETCH(int, frames);
    QFETCH(int, width);
    auto sample = Silence(static_cast<uint32_t>(frames));
    CWaveformWnd wnd;
    wnd.resize(width, 50);
    wnd.SetSample(sample.get(), 0, 0);
    wnd.ZoomAll(false);
    QCOMPARE(wnd.GetFirst(), 0u);
    QTEST(static_cast<int>(wnd.GetZoom()), "zoom");
    QTEST(static_cast<int>(wnd.GetHalfPage()), "halfPage");
    QTEST(static_cast<int>(wnd.GetEighthPage()), "eighthPage");
    QTEST(static_cast<int>(wnd.GetMaxFirst()), "maxFirst");
}

void WaveformWndTest::rangeZoomUsesTheWholeSampleLength() {
    auto sample = Silence(10000);
    CWaveformWnd wnd;
    wnd.resize(400, 50);
    wnd.SetSample(sample.get(), 0, 9999);
    // 400 frames in 400 columns: 1, but the sample is longer, so 2.
    wnd.ShowRange(1000, 1399);
    QCOMPARE(wnd.GetFirst(), 1000u);
    QCOMPARE(wnd.GetZoom(), 2u);
    // 4000 frames: exactly 10 per column, and the sample is longer than 4000: 11.
    wnd.ShowRange(0, 3999);
    QCOMPARE(wnd.GetZoom(), 11u);
    // The same range of a sample that fits: no extra step.
    auto small = Silence(400);
    wnd.SetSample(small.get(), 0, 399);
    QCOMPARE(wnd.GetZoom(), 1u);
    // A range shorter than the window still shows at least one frame per column.
    wnd.SetSample(small.get(), 10, 20);
    QCOMPARE(wnd.GetZoom(), 1u);
}

void WaveformWndTest::scrollingStopsWithTheLastFrameAtMidWindow() {
    auto sample = Silence(1000);
    Window w(sample.get(), 400, 50);  // zoom 3, half page 600, eighth 150, max first 400
    View view;
    w->SetViewListener(&view);
    QCOMPARE(w->ScrollRight(false), 150u);
    QCOMPARE(w->ScrollRight(false), 300u);
    QCOMPARE(w->ScrollRight(false), 400u);  // clamped
    QCOMPARE(w->ScrollRight(true), 400u);
    QCOMPARE(w->ScrollLeft(false), 250u);
    QCOMPARE(w->ScrollLeft(true), 0u);  // a step at least the first frame goes to 0
    QCOMPARE(w->ScrollTo(5000), 400u);
    QCOMPARE(w->ScrollTo(7), 7u);
    QCOMPARE(w->ScrollLeft(false), 0u);
    w->ZoomAll(true);
    QCOMPARE(g_log.back(), std::string("scrollbar 0 400"));
}

// ---- Drawing ----

void WaveformWndTest::sampleRowsPerStyle_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("height");
    QTest::newRow("lines 130") << int{kStyleLines} << 130;
    QTest::newRow("dots 130") << int{kStyleDots} << 130;
    QTest::newRow("bars 130") << int{kStyleBars} << 130;
    QTest::newRow("dots 77") << int{kStyleDots} << 77;
    QTest::newRow("bars 200") << int{kStyleBars} << 200;
}

// y(v) = trunc(h / 256 * v): value 0 on the top row, larger values lower.
static int ExpectedRow(int height, int value) {
    return height * value / 256;
}

void WaveformWndTest::sampleRowsPerStyle() {
    QFETCH(int, style);
    QFETCH(int, height);
    const std::vector<uint8_t> values = {0, 255, 128, 1, 127, 129, 64, 200, 200, 0};
    auto sample = Mono8(values);
    Window w(sample.get(), 10, height, style);
    QCOMPARE(w->GetZoom(), 1u);
    const QImage picture = Picture(*w);
    const int mid = height / 2;
    for (int x = 0; x < 10; ++x) {
        const int row = ExpectedRow(height, values[static_cast<size_t>(x)]);
        const std::string column = Column(picture, x);
        QVERIFY2(column[static_cast<size_t>(row)] == '#', qPrintable(QString::number(x)));
        if (style == kStyleDots) {
            std::string expected(static_cast<size_t>(height), '.');
            expected[static_cast<size_t>(row)] = '#';
            QCOMPARE(column, expected);
        } else if (style == kStyleBars) {
            std::string expected(static_cast<size_t>(height), '.');
            for (int y = std::min(row, mid); y <= std::max(row, mid); ++y) {
                expected[static_cast<size_t>(y)] = '#';
            }
            QCOMPARE(column, expected);
        } else {
            // A line joins each column's point to its neighbours: one unbroken run of black that
            // reaches no further than half way to the neighbouring points.
            const int before = x == 0 ? height / 2 : ExpectedRow(height, values[x - 1]);
            const int after = x == 9 ? row : ExpectedRow(height, values[x + 1]);
            const size_t top = column.find('#');
            const size_t bottom = column.rfind('#');
            QVERIFY(column.substr(top, bottom - top + 1).find('.') == std::string::npos);
            const int lowest = std::min({row, (row + before) / 2, (row + after) / 2});
            const int highest = std::max({row, (row + before + 1) / 2, (row + after + 1) / 2});
            QVERIFY2(static_cast<int>(top) >= lowest && static_cast<int>(bottom) <= highest,
                     qPrintable(QString("column %1: %2..%3").arg(x).arg(top).arg(bottom)));
        }
    }
}

void WaveformWndTest::rightChannelAndSixteenBitValues() {
    // 16-bit stereo: the high byte with the sign bit inverted; the lower window draws the right
    // channel.
    auto sample = std::make_unique<SampleBuffer>();
    sample->SetFormat(22050, true, true);
    sample->ResizeFrames(3);
    const int16_t values[6] = {-32768, 32767, 0, -1, 255, 256};
    std::memcpy(sample->Data(), values, sizeof values);
    CWaveformWnd left(nullptr, 0);
    CWaveformWnd right(nullptr, 1);
    for (CWaveformWnd* wnd : {&left, &right}) {
        wnd->resize(3, 256);
        wnd->SetStyle(kStyleDots);
        wnd->SetSample(sample.get(), 0, 2);
    }
    const QImage l = Picture(left);
    const QImage r = Picture(right);
    // -32768 -> 0, 32767 -> 255, 0 -> 128, -1 -> 127 (0xFF ^ 0x80), 255 -> 128, 256 -> 129.
    QCOMPARE(Column(l, 0).find('#'), size_t{0});
    QCOMPARE(Column(r, 0).find('#'), size_t{255});
    QCOMPARE(Column(l, 1).find('#'), size_t{128});
    QCOMPARE(Column(r, 1).find('#'), size_t{127});
    QCOMPARE(Column(l, 2).find('#'), size_t{128});
    QCOMPARE(Column(r, 2).find('#'), size_t{129});
}

void WaveformWndTest::linesStartFromTheFrameBeforeTheWindow() {
    // Frames 0..9 hold 0, frame 10 holds 255 and frames from 11 on hold 0 again.
    std::vector<uint8_t> values(40, 0);
    values[10] = 255;
    auto sample = Mono8(values);
    CWaveformWnd wnd;
    wnd.resize(20, 100);
    wnd.SetSample(sample.get(), 0, 39);
    QCOMPARE(wnd.GetZoom(), 2u);
    // At frame 0 the first line starts at mid-height (row 50) and falls to row 0: the half of
    // it in column 0 reaches down to row 24.
    QCOMPARE(Column(Picture(wnd), 0).rfind('#'), size_t{24});
    // At frame 12 it starts from frame 10 (row 99): its half in column 0 reaches row 49.
    wnd.ShowRange(12, 39);
    QCOMPARE(wnd.GetFirst(), 12u);
    QCOMPARE(Column(Picture(wnd), 0).rfind('#'), size_t{49});
    // At frame 11 the frame before lies one zoom step back, at frame 9 (row 0): a flat start.
    wnd.ShowRange(11, 39);
    QCOMPARE(Column(Picture(wnd), 0).rfind('#'), size_t{0});
}

void WaveformWndTest::aColumnShowsOneFrame() {
    // A single loud frame among silence shows only when a column falls on it exactly.
    auto sample = Silence(3000);
    sample->Data()[300] = 0;
    CWaveformWnd wnd;
    wnd.resize(100, 64);
    wnd.SetStyle(kStyleDots);
    wnd.SetSample(sample.get(), 0, 2999);
    QCOMPARE(wnd.GetZoom(), 30u);
    auto spikeColumns = [&] {
        std::vector<int> columns;
        const QImage picture = Picture(wnd);
        for (int x = 0; x < picture.width(); ++x) {
            if (Column(picture, x)[0] == '#')
                columns.push_back(x);
        }
        return columns;
    };
    QCOMPARE(spikeColumns(), std::vector<int>{10});  // 300 / 30
    wnd.ShowRange(0, 299);                           // zoom 300 / 100 + 1 = 4
    QCOMPARE(wnd.GetZoom(), 4u);
    QCOMPARE(spikeColumns(), std::vector<int>{75});
    wnd.ShowRange(1, 300);  // frames 1, 5, 9, ...: 300 is never looked at
    QCOMPARE(spikeColumns(), std::vector<int>{});
    wnd.ShowRange(4, 303);  // 4 + 74 * 4 = 300
    QCOMPARE(spikeColumns(), std::vector<int>{74});
    wnd.ShowRange(300, 349);  // 50 frames in 100 columns: zoom 1, plus 1 for the longer sample
    QCOMPARE(wnd.GetZoom(), 1u);
    QCOMPARE(spikeColumns(), std::vector<int>{0});
}

void WaveformWndTest::hatchAfterTheEndOfTheData_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("width");
    QTest::newRow("dots") << int{kStyleDots} << 37 << 100;
    QTest::newRow("lines") << int{kStyleLines} << 37 << 100;
    QTest::newRow("bars") << int{kStyleBars} << 37 << 100;
    QTest::newRow("another origin") << int{kStyleDots} << 37 << 103;
    QTest::newRow("one column short") << int{kStyleLines} << 98 << 100;
}

void WaveformWndTest::hatchAfterTheEndOfTheData() {
    QFETCH(int, style);
    QFETCH(int, frames);
    QFETCH(int, width);
    auto sample = Silence(static_cast<uint32_t>(frames));
    Window w(sample.get(), width, 40, style);
    const QImage picture = Picture(*w);
    const int last = frames - 1;  // zoom 1: the last frame's column
    QCOMPARE(Column(picture, last + 1), std::string(40, '#'));
    // Pattern origin 7 - ((right - last) mod 8): dots at pattern columns 0 and 4 of rows 0 and 4
    // and columns 2 and 6 of rows 2 and 6.
    const int origin = 7 - ((width - last) % 8);
    for (int x = last + 2; x < width; ++x) {
        for (int y = 0; y < 40; ++y) {
            const int px = ((x - origin) % 8 + 8) % 8;
            const bool black = (y % 4 == 0 && px % 4 == 0) || (y % 4 == 2 && px % 4 == 2);
            const QRgb pixel = picture.pixel(x, y) | 0xFF000000u;
            QVERIFY2(pixel == (black ? kBlack : kWhite),
                     qPrintable(QString("%1,%2").arg(x).arg(y)));
        }
    }
    // Bars draw the centre line under the data; the hatch covers the rest.
    if (style == kStyleBars) {
        std::string centre(40, '.');
        centre[20] = '#';
        for (int x = 0; x <= last; ++x) QCOMPARE(Column(picture, x), centre);
    }
    // The last frame drawn is what a paint leaves as the last frame shown.
    QCOMPARE(w->GetLast(), static_cast<uint32_t>(last));
}

// ---- Marks ----

void WaveformWndTest::clickLeavesABlinkingCaret() {
    QGuiApplication::styleHints()->setCursorFlashTime(400);
    auto sample = Silence(1000);
    Window w(sample.get(), 400, 60, kStyleBars);  // zoom 3
    Window plain(sample.get(), 400, 60, kStyleBars);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.wnd.get()));
    const QImage reference = Picture(*plain);
    Press(*w, 37);
    Release(*w, 37);
    QVERIFY(w->HasCaret());
    QVERIFY(!w->HasSelection());
    QCOMPARE(w->GetCaret(), 111u);
    QVERIFY(w->IsCaretShown());
    QVERIFY(w->IsBlinking());
    ExpectInvertedColumns(Screen(*w), reference, {37});
    // The caret blinks off and on; when it is off nothing is left on the screen.
    QTRY_VERIFY(!w->IsCaretShown());
    ExpectInvertedColumns(Screen(*w), reference, {});
    QTRY_VERIFY(w->IsCaretShown());
    ExpectInvertedColumns(Screen(*w), reference, {37});
}

void WaveformWndTest::dragCrossingTheAnchor_data() {
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("turn");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("zoom");
    QTest::newRow("left then right") << 400 << 100 << 50 << 150 << 1;
    QTest::newRow("right then left") << 400 << 100 << 150 << 50 << 1;
    QTest::newRow("zoom 3, left then right") << 1000 << 100 << 50 << 150 << 3;
    QTest::newRow("zoom 3, right then left") << 1000 << 100 << 150 << 50 << 3;
    QTest::newRow("back onto the anchor") << 1000 << 100 << 150 << 100 << 3;
}

void WaveformWndTest::dragCrossingTheAnchor() {
    QFETCH(int, frames);
    QFETCH(int, press);
    QFETCH(int, turn);
    QFETCH(int, end);
    QFETCH(int, zoom);
    auto sample = Silence(static_cast<uint32_t>(frames));
    Window w(sample.get(), 400, 50);
    Window plain(sample.get(), 400, 50);
    QCOMPARE(static_cast<int>(w->GetZoom()), zoom);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.wnd.get()));
    const QImage reference = Picture(*plain);
    Press(*w, press);
    ExpectInvertedColumns(Screen(*w), reference, {press});
    // Step by step, as a hand moves, with the screen checked at each step.
    const int step = turn < press ? -1 : 1;
    for (int x = press + step; x != turn + step; x += step) Move(*w, x);
    ExpectInvertedColumns(Screen(*w), reference,
                          Range(std::min(press, turn), std::max(press, turn)));
    const int back = end < turn ? -1 : 1;
    for (int x = turn + back; x != end + back; x += back) {
        Move(*w, x);
        if (x % 7 == 0) {
            ExpectInvertedColumns(Screen(*w), reference,
                                  Range(std::min(press, x), std::max(press, x)));
        }
    }
    Release(*w, end);
    const int lo = std::min(press, end);
    const int hi = std::max(press, end);
    QVERIFY(w->HasSelection());
    QVERIFY(!w->HasCaret());
    QCOMPARE(w->GetSelStart(), static_cast<uint32_t>(lo * zoom));
    QCOMPARE(w->GetSelEnd(), static_cast<uint32_t>(hi * zoom));
    ExpectInvertedColumns(Screen(*w), reference, Range(lo, hi));
    ExpectInvertedColumns(Picture(*w), reference, Range(lo, hi));
}

void WaveformWndTest::pressBeyondTheDataMarksTheLastFrame() {
    auto sample = Silence(50);
    Window w(sample.get(), 100, 30);
    Press(*w, 80);
    QCOMPARE(w->GetSelStart(), 49u);
    QCOMPARE(w->GetSelEnd(), 49u);
    QCOMPARE(w->GetCaret(), 49u);
    Release(*w, 80);
    QVERIFY(w->HasCaret());
    QCOMPARE(w->GetCaret(), 49u);
    // Dragging out past the data stops at the last frame too.
    Press(*w, 10);
    Move(*w, 99);
    Release(*w, 99);
    QCOMPARE(w->GetSelStart(), 10u);
    QCOMPARE(w->GetSelEnd(), 49u);
}

void WaveformWndTest::reportsInOrder() {
    auto sample = Silence(1000);
    sample->SetFormat(44100, false, false);
    Window w(sample.get(), 400, 30);  // zoom 3
    Ruler ruler;
    Spectrum spectrum;
    w->SetRuler(&ruler);
    SetSpectrumListener(&spectrum);
    g_log.clear();
    Press(*w, 10);
    Move(*w, 20);
    Release(*w, 20);
    const std::vector<std::string> drag = {
        "sheet 30 30 1 44100 1", "ruler 30 30 1",  // press
        "sheet 30 60 1 44100 1", "ruler 30 60 1",  // move
        "sheet 30 60 1 44100 1", "spectrum 1 30",  // release
    };
    QCOMPARE(g_log, drag);
    g_log.clear();
    Press(*w, 5);
    Release(*w, 5);
    const std::vector<std::string> click = {"sheet 15 15 1 44100 1", "ruler 15 15 1",
                                            "sheet 15 0 1 44100 0", "spectrum 1 15"};
    QCOMPARE(g_log, click);
    // Every paint reports the marks as well.
    g_log.clear();
    Picture(*w);
    QCOMPARE(g_log, std::vector<std::string>{"sheet 15 0 1 44100 0"});
}

void WaveformWndTest::ctrlDragMarksOneChannel() {
    auto sample = Silence(400);
    Window upper(sample.get(), 400, 40);
    Window lower(sample.get(), 400, 40);
    Window plain(sample.get(), 400, 40);
    upper->SetPartner(lower.wnd.get());
    lower->SetPartner(upper.wnd.get());
    const QImage reference = Picture(*plain);
    // Both windows start with a caret at frame 0 that is not shown; give the upper one a
    // visible selection first.
    upper->SetSelection(10, 20);
    Press(*lower, 100, Qt::ControlModifier);
    Move(*lower, 150);
    Release(*lower, 150, Qt::ControlModifier);
    QVERIFY(!lower->PartnerFollows());
    QVERIFY(lower->HasSelection());
    QCOMPARE(lower->GetSelStart(), 100u);
    QCOMPARE(lower->GetSelEnd(), 150u);
    QVERIFY(!upper->HasSelection());
    QVERIFY(!upper->HasCaret());
    QVERIFY(!upper->IsBlinking());
    ExpectInvertedColumns(Picture(*upper), reference, {});
    ExpectInvertedColumns(Picture(*lower), reference, Range(100, 150));
}

void WaveformWndTest::dragWithoutCtrlMarksBothChannels() {
    auto sample = Silence(400);
    Window upper(sample.get(), 400, 40);
    Window lower(sample.get(), 400, 40);
    Window plain(sample.get(), 400, 40);
    upper->SetPartner(lower.wnd.get());
    lower->SetPartner(upper.wnd.get());
    lower->show();
    QVERIFY(QTest::qWaitForWindowExposed(lower.wnd.get()));
    const QImage reference = Picture(*plain);
    Press(*upper, 200);
    Move(*upper, 120);
    Move(*upper, 260);
    ExpectInvertedColumns(Screen(*lower), reference, Range(200, 260));
    Release(*upper, 260);
    for (CWaveformWnd* wnd : {upper.wnd.get(), lower.wnd.get()}) {
        QVERIFY(wnd->HasSelection());
        QCOMPARE(wnd->GetSelStart(), 200u);
        QCOMPARE(wnd->GetSelEnd(), 260u);
    }
    // A click in the upper window leaves a caret in both.
    Press(*upper, 33);
    Release(*upper, 33);
    QVERIFY(lower->HasCaret());
    QCOMPARE(lower->GetCaret(), 33u);
    QVERIFY(lower->IsBlinking());
    ExpectInvertedColumns(Screen(*lower), reference, {33});
}

void WaveformWndTest::dragPastTheRightEdgeScrolls() {
    auto sample = Silence(4000);
    Window upper(sample.get(), 400, 40);
    Window lower(sample.get(), 400, 40);
    View view;
    upper->SetViewListener(&view);
    upper->SetPartner(lower.wnd.get());
    lower->SetPartner(upper.wnd.get());
    upper->ShowRange(0, 399);  // 400 / 400 = 1, and the sample is longer: zoom 2
    lower->ShowRange(0, 399);
    QCOMPARE(upper->GetZoom(), 2u);
    QCOMPARE(upper->GetEighthPage(), 100u);
    Press(*upper, 100);
    g_log.clear();
    // Inside the window nothing scrolls.
    Move(*upper, 399);
    QCOMPARE(upper->GetFirst(), 0u);
    // Past the right edge each move scrolls an eighth of the window, in both windows.
    Move(*upper, 450);
    QCOMPARE(upper->GetFirst(), 100u);
    QCOMPARE(lower->GetFirst(), 100u);
    QCOMPARE(upper->GetSelEnd(), 1000u);  // 100 + 2 * 450
    QCOMPARE(lower->GetSelEnd(), 1000u);
    QVERIFY(std::find(g_log.begin(), g_log.end(), "scrollbar 100 3600") != g_log.end());
    Move(*upper, 451);
    QCOMPARE(upper->GetFirst(), 200u);
    QCOMPARE(upper->GetSelEnd(), 1102u);
    // Scrolling stops at the maximum first frame; the selection keeps following the pointer.
    for (int i = 0; i < 60; ++i) Move(*upper, 460 + i % 2);
    QCOMPARE(upper->GetFirst(), upper->GetMaxFirst());
    QCOMPARE(lower->GetFirst(), upper->GetMaxFirst());
    QCOMPARE(upper->GetSelEnd(), 3999u);
    Release(*upper, 461);
    QCOMPARE(upper->GetSelStart(), 200u);
    QCOMPARE(lower->GetSelStart(), 200u);
    QCOMPARE(lower->GetSelEnd(), 3999u);
}

void WaveformWndTest::dragPastTheLeftEdgeScrolls() {
    auto sample = Silence(4000);
    Window w(sample.get(), 400, 40);
    View view;
    w->SetViewListener(&view);
    w->ShowRange(0, 399);
    w->ScrollTo(250);
    QCOMPARE(w->GetFirst(), 250u);
    Press(*w, 10);  // frame 270
    g_log.clear();
    Move(*w, -30);  // counts as column 0, one eighth to the left
    QCOMPARE(w->GetFirst(), 150u);
    QCOMPARE(w->GetSelStart(), 150u);
    QCOMPARE(w->GetSelEnd(), 270u);
    QCOMPARE(g_log.front(), std::string("scrollbar 150 3600"));
    Move(*w, -30);
    QCOMPARE(w->GetFirst(), 50u);
    Move(*w, -31);  // the eighth page is more than is left: back to frame 0
    QCOMPARE(w->GetFirst(), 0u);
    QCOMPARE(w->GetSelStart(), 0u);
    g_log.clear();
    Move(*w, -40);  // at frame 0 there is nothing to scroll and the end has not moved
    QCOMPARE(g_log, std::vector<std::string>{});
    Release(*w, -40);
    QCOMPARE(w->GetSelStart(), 0u);
    QCOMPARE(w->GetSelEnd(), 270u);
}

void WaveformWndTest::doubleClickSelectsTheWholeSample() {
    auto sample = Silence(400);
    Window upper(sample.get(), 400, 40);
    Window lower(sample.get(), 400, 40);
    Window plain(sample.get(), 400, 40);
    const QImage reference = Picture(*plain);
    upper->SetPartner(lower.wnd.get());
    lower->SetPartner(upper.wnd.get());
    Ruler ruler;
    upper->SetRuler(&ruler);
    Press(*upper, 50);
    Release(*upper, 50);
    g_log.clear();
    QTest::mouseDClick(upper.wnd.get(), Qt::LeftButton, {}, QPoint(50, 10));
    QCOMPARE(g_log, (std::vector<std::string>{"sheet 0 399 1 22050 1", "ruler 0 399 1"}));
    for (CWaveformWnd* wnd : {upper.wnd.get(), lower.wnd.get()}) {
        QVERIFY(wnd->HasSelection());
        QVERIFY(!wnd->HasCaret());
        QVERIFY(!wnd->IsBlinking());
        QCOMPARE(wnd->GetSelStart(), 0u);
        QCOMPARE(wnd->GetSelEnd(), 399u);
        ExpectInvertedColumns(Picture(*wnd), reference, Range(0, 399));
    }
    // With Ctrl only the clicked window is selected; the partner loses its marks.
    QTest::mouseDClick(lower.wnd.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(50, 10));
    QVERIFY(lower->HasSelection());
    QVERIFY(!upper->HasSelection());
    QVERIFY(!upper->HasCaret());
    ExpectInvertedColumns(Picture(*upper), reference, {});
}

void WaveformWndTest::rightButtonAsksTheViewToZoomIn() {
    auto sample = Silence(400);
    Window w(sample.get(), 400, 40);
    View view;
    w->SetViewListener(&view);
    w->SetSelection(5, 9);
    g_log.clear();
    QTest::mousePress(w.wnd.get(), Qt::RightButton, {}, QPoint(100, 10));
    QCOMPARE(g_log, std::vector<std::string>{"zoom in"});
    QTest::mouseRelease(w.wnd.get(), Qt::RightButton, {}, QPoint(100, 10));
    QCOMPARE(g_log, std::vector<std::string>{"zoom in"});
    QVERIFY(w->HasSelection());  // the marks are not touched
    QCOMPARE(w->GetSelStart(), 5u);
}

void WaveformWndTest::playLineIsXorCyan() {
    // Bars: column 3 shows frame 3 (value 0) black from row 0 to mid-height, white below.
    auto sample = Silence(20);
    sample->Data()[3] = 0;
    Window w(sample.get(), 20, 40, kStyleBars);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.wnd.get()));
    w->MovePlayCursor(3);
    QImage screen = Screen(*w);
    for (int y = 0; y < 40; ++y) {
        const QRgb expected = y <= 20 ? kCyan : kRed;
        QCOMPARE(screen.pixel(3, y) | 0xFF000000u, expected);
    }
    QCOMPARE(Picture(*w).pixel(3, 30) | 0xFF000000u, kRed);
    // Moving it restores the old column.
    w->MovePlayCursor(7);
    screen = Screen(*w);
    QCOMPARE(Column(screen, 3).find('?'), std::string::npos);
    QCOMPARE(screen.pixel(7, 0) | 0xFF000000u, kRed);
    QCOMPARE(screen.pixel(7, 20) | 0xFF000000u, kCyan);
    // Beyond the last frame shown there is no line.
    w->MovePlayCursor(25);
    QVERIFY(w->HasPlayCursor());
    screen = Screen(*w);
    for (int x = 0; x < 20; ++x) QCOMPARE(Column(screen, x).find('?'), std::string::npos);
    // The play line crosses the band: its pixels are inverted and XORed.
    w->SetSelection(5, 10);
    w->MovePlayCursor(7);
    QCOMPARE(Picture(*w).pixel(7, 30) | 0xFF000000u, kCyan);  // white, inverted, then XOR cyan
    w->HidePlayCursor();
    QCOMPARE(Picture(*w).pixel(7, 30) | 0xFF000000u, kBlack);
}

void WaveformWndTest::setSelectionAndCaretFromTheView() {
    auto sample = Silence(1000);
    Window w(sample.get(), 400, 40);  // zoom 3
    Window plain(sample.get(), 400, 40);
    const QImage reference = Picture(*plain);
    Ruler ruler;
    w->SetRuler(&ruler);
    g_log.clear();
    // Columns truncate: 100 / 3 = 33, 200 / 3 = 66.
    w->SetSelection(100, 200);
    QCOMPARE(g_log, (std::vector<std::string>{"sheet 100 200 1 22050 1", "ruler 100 200 1"}));
    ExpectInvertedColumns(Picture(*w), reference, Range(33, 66));
    g_log.clear();
    w->SetCaret(302);
    QCOMPARE(g_log, (std::vector<std::string>{"sheet 302 0 1 22050 0", "ruler 100 200 1"}));
    QVERIFY(!w->HasSelection());
    QVERIFY(w->IsBlinking());
    ExpectInvertedColumns(Picture(*w), reference, {100});
    // A selection that starts left of the first frame starts at column 0 and one that reaches
    // past the window stops at its edge; a caret left of the first frame is not on the screen.
    w->ShowRange(300, 599);  // zoom 300 / 400 = 0, +1 for the longer sample: 1
    plain->ShowRange(300, 599);
    QCOMPARE(w->GetZoom(), 1u);
    const QImage shifted = Picture(*plain);
    w->SetSelection(200, 310);
    ExpectInvertedColumns(Picture(*w), shifted, Range(0, 10));
    w->SetSelection(650, 900);
    ExpectInvertedColumns(Picture(*w), shifted, Range(350, 399));
    w->SetSelection(100, 299);
    ExpectInvertedColumns(Picture(*w), shifted, {});
    w->SetCaret(299);
    ExpectInvertedColumns(Picture(*w), shifted, {});
}

void WaveformWndTest::marksHideAndComeBackWithTheFocus() {
    QGuiApplication::styleHints()->setCursorFlashTime(400);
    auto sample = Silence(400);
    Window w(sample.get(), 400, 40);
    Window plain(sample.get(), 400, 40);
    const QImage reference = Picture(*plain);
    w->SetSelection(10, 20);
    w->HideMarks();
    QVERIFY(w->IsInactive());
    ExpectInvertedColumns(Picture(*w), reference, {});
    w->HideMarks();  // twice does not forget what was there
    g_log.clear();
    w->ShowMarks();
    QCOMPARE(g_log, std::vector<std::string>{"sheet 10 20 1 22050 1"});
    ExpectInvertedColumns(Picture(*w), reference, Range(10, 20));
    // A caret comes back blinking: off at first, on at the first tick.
    w->SetCaret(30);
    w->HideMarks();
    QVERIFY(!w->IsBlinking());
    ExpectInvertedColumns(Picture(*w), reference, {});
    w->ShowMarks();
    QVERIFY(w->HasCaret());
    QVERIFY(!w->IsCaretShown());
    QVERIFY(w->IsBlinking());
    QTRY_VERIFY(w->IsCaretShown());
    ExpectInvertedColumns(Picture(*w), reference, {30});
}

void WaveformWndTest::zoomToSelection() {
    auto sample = Silence(10000);
    Window w(sample.get(), 400, 40);
    View view;
    w->SetViewListener(&view);
    g_log.clear();
    w->ZoomToSelection(true);  // a caret: nothing happens
    QCOMPARE(w->GetZoom(), 25u);
    QCOMPARE(g_log, std::vector<std::string>{});
    w->SetSelection(2000, 2799);
    g_log.clear();
    w->ZoomToSelection(true);
    QCOMPARE(w->GetFirst(), 2000u);
    QCOMPARE(w->GetZoom(), 3u);  // 800 / 400 = 2, +1
    QCOMPARE(g_log.back(), std::string("scrollbar 2000 9400"));
}

void WaveformWndTest::scrollByWholeColumnsMovesThePixels() {
    std::vector<uint8_t> values(4000);
    for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<uint8_t>((i * 37) % 251);
    auto sample = Mono8(values);
    for (int style : {int{kStyleLines}, int{kStyleDots}, int{kStyleBars}}) {
        Window w(sample.get(), 300, 60, style);
        w->ShowRange(0, 299);  // zoom 2, eighth page 74
        w->SetSelection(350, 420);
        w->MovePlayCursor(500);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.wnd.get()));
        Screen(*w);
        auto expectSameAsAFreshWindow = [&](const QImage& screen) {
            Window fresh(sample.get(), 300, 60, style);
            fresh->ShowRange(0, 299);
            fresh->ScrollTo(w->GetFirst());
            fresh->SetSelection(350, 420);
            fresh->MovePlayCursor(500);
            ExpectInvertedColumns(screen, Picture(*fresh), {});
        };
        // 5 columns: the pixels move and only the uncovered strip is painted.
        QCOMPARE(w->ScrollTo(10), 10u);
        expectSameAsAFreshWindow(Screen(*w));
        QCOMPARE(w->LastPaintedColumns(), 5);
        // 195 columns: the selection comes in from the right.
        QCOMPARE(w->ScrollTo(400), 400u);
        expectSameAsAFreshWindow(Screen(*w));
        QCOMPARE(w->LastPaintedColumns(), 195);
        // An eighth page back: 37 columns move right, and the strip with 4 more is painted.
        QCOMPARE(w->ScrollLeft(false), 326u);
        expectSameAsAFreshWindow(Screen(*w));
        QCOMPARE(w->LastPaintedColumns(), 42);
        expectSameAsAFreshWindow(Picture(*w));
    }
}

void WaveformWndTest::scrollByAFractionRedrawsEverything() {
    auto sample = Silence(4000);
    Window w(sample.get(), 300, 60);
    w->ShowRange(0, 299);  // zoom 2
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.wnd.get()));
    Screen(*w);
    w->ScrollTo(7);
    Screen(*w);
    QCOMPARE(w->LastPaintedColumns(), 300);
}

void WaveformWndTest::emptyOrRecordingSampleTakesNoMarks() {
    auto empty = Silence(0);
    Window w(empty.get(), 100, 30);
    Press(*w, 10);
    Release(*w, 10);
    QTest::mouseDClick(w.wnd.get(), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!w->HasSelection());
    QVERIFY(w->HasCaret());  // the caret of a new window, at frame 0
    QCOMPARE(w->GetCaret(), 0u);
    g_log.clear();
    QImage picture = Picture(*w);
    QCOMPARE(g_log, std::vector<std::string>{"sheet 0 0 1 22050 0"});
    for (int x = 0; x < 100; ++x) QCOMPARE(Column(picture, x), std::string(30, '.'));
    // A shown caret is the only thing drawn.
    w->SetCaret(0);
    picture = Picture(*w);
    QCOMPARE(Column(picture, 0), std::string(30, '#'));
    QCOMPARE(Column(picture, 1), std::string(30, '.'));

    // A sound being recorded into: its block belongs to the input device.
    auto recording = Silence(200);
    FakeAudioBackend devices;
    RecordingMessageSink messages;
    CountingTarget dialog;
    RecordingSession session(*recording, devices, messages);
    QCOMPARE(session.Record(&dialog, 200, kDefaultAudioDevice), uint16_t(1));
    Window r(recording.get(), 100, 30);
    Press(*r, 10);
    Release(*r, 10);
    QVERIFY(!r->HasSelection());
    QVERIFY(!r->IsCaretShown());
    picture = Picture(*r);
    for (int x = 0; x < 100; ++x) QCOMPARE(Column(picture, x), std::string(30, '.'));
    // No sample at all: nothing but the background.
    CWaveformWnd none;
    none.resize(50, 20);
    QCOMPARE(Column(Picture(none), 10), std::string(20, '.'));
}

QTEST_MAIN(WaveformWndTest)
#include "WaveformWndTest.moc"
