// The curve editor driven with the mouse: inserting, refusing with the beep, dragging against
// every limit, deleting by dragging away, the hover readouts of the three dialogs, and presets
// through the shared preset box at two sizes of the editor.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <cstring>

#include "core/effects/CurveModel.h"
#include "core/sample/ByteOrder.h"
#include "support/TestServices.h"
#include "ui/DialogDriver.h"
#include "ui/effects/CManipListener.h"
#include "ui/effects/CManipWnd.h"
#include "ui/effects/CPresetBox.h"

namespace {

using Points = std::vector<std::pair<int, int>>;

Points PointsOf(const CManipWnd& wnd) {
    Points out;
    for (const auto& p : wnd.Curve().Points()) out.emplace_back(p.x, p.y);
    return out;
}

// An editor of 205 x 155 pixels: points live in x 4..200 and y 4..150.
struct Editor {
    explicit Editor(int width = 205, int height = 155)
        : wnd(services.devices, services.messages), listener(&readout) {
        wnd.resize(width, height);
        wnd.SetListener(&listener);
        wnd.show();
        QVERIFY(QTest::qWaitForWindowExposed(&wnd));
    }
    // The events go to the editor itself, wherever the pointer is, as they do while it holds
    // the mouse.
    void Send(QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(x, y), wnd.mapToGlobal(QPointF(x, y)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(&wnd, &event);
    }
    void Press(int x, int y) {
        Send(QEvent::MouseButtonPress, x, y, Qt::LeftButton, Qt::LeftButton);
    }
    void Release(int x, int y) { Send(QEvent::MouseButtonRelease, x, y, Qt::LeftButton, {}); }
    void Click(int x, int y) {
        Press(x, y);
        Release(x, y);
    }
    void Move(int x, int y) { Send(QEvent::MouseMove, x, y, Qt::NoButton, {}); }
    void Drag(int x, int y) { Send(QEvent::MouseMove, x, y, Qt::NoButton, Qt::LeftButton); }
    QString Readout() const { return readout.text(); }

    TestServices services;
    CManipWnd wnd;
    QLabel readout;
    CCompressorListener listener;
};

// 2048 bytes of (fx, fy) pairs as the preset store keeps them.
std::vector<uint8_t> PresetBlock(const std::vector<std::pair<float, float>>& pairs) {
    std::vector<uint8_t> block(2048, 0);
    for (size_t i = 0; i < pairs.size(); ++i) {
        for (int k = 0; k < 2; ++k) {
            const float f = k == 0 ? pairs[i].first : pairs[i].second;
            uint32_t bits;
            std::memcpy(&bits, &f, 4);
            byteorder::Store32LE(block.data() + i * 8 + k * 4, bits);
        }
    }
    return block;
}

}  // namespace

class CurveEditorTest : public QObject {
    Q_OBJECT
private slots:
    void ClicksInsertOrBeep();
    void DraggingKeepsEveryPointWithinItsLimits();
    void MiddlePointDraggedAwayIsDeleted();
    void TheBeepIsAToneOrTheBell();
    void TheCurveHoldsAtMost256Points();
    void ReadoutsOfTheThreeDialogs();
    void PresetBoxSavesLoadsAndDeletesAcrossSizes();
};

void CurveEditorTest::ClicksInsertOrBeep() {
    Editor e;
    e.wnd.Reset(CurveModel::kFlatTop);
    QCOMPARE(PointsOf(e.wnd), (Points{{4, 4}, {200, 4}}));
    // A click in the margin, above the top or below the bottom does nothing.
    for (const QPoint at : {QPoint(3, 50), QPoint(50, 3), QPoint(50, 155)}) e.Click(at.x(), at.y());
    QCOMPARE(PointsOf(e.wnd), (Points{{4, 4}, {200, 4}}));
    QCOMPARE(e.services.devices.log.opened, 0);

    e.Press(100, 50);
    QCOMPARE(e.wnd.Curve().DragIndex(), 1);  // the new point is dragged at once
    e.Release(100, 50);
    QCOMPARE(PointsOf(e.wnd), (Points{{4, 4}, {100, 50}, {200, 4}}));
    QCOMPARE(e.Readout(), QStringLiteral(" "));  // released: the readout is cleared
    // Four pixels right of a point (off its handle) is too close; five is not.
    e.Click(104, 90);
    QCOMPARE(e.wnd.Curve().Count(), 3);
    QCOMPARE(e.services.devices.log.opened, 1);
    e.Click(105, 90);
    QCOMPARE(PointsOf(e.wnd), (Points{{4, 4}, {100, 50}, {105, 90}, {200, 4}}));
    // Closer than 4 pixels to the next point, and right of the last point, beep as well.
    e.Click(197, 30);
    e.Click(203, 30);
    QCOMPARE(e.wnd.Curve().Count(), 4);
    QCOMPARE(e.services.devices.log.opened, 3);
    // A click on a handle grabs that point instead of inserting one.
    e.Press(101, 51);
    QVERIFY(e.wnd.Curve().IsDragging());
    QCOMPARE(e.wnd.Curve().DragIndex(), 1);
    e.Release(101, 51);
    QCOMPARE(e.wnd.Curve().Count(), 4);
}

void CurveEditorTest::DraggingKeepsEveryPointWithinItsLimits() {
    Editor e;
    e.wnd.Reset(CurveModel::kDiagonal);
    e.Click(60, 100);
    e.Click(140, 40);
    QCOMPARE(PointsOf(e.wnd), (Points{{4, 150}, {60, 100}, {140, 40}, {200, 4}}));

    struct Step {
        QPoint grab;
        QPoint to;
        std::pair<int, int> lands;
        int index;
        QString readout;  // input level -> output level of the dragged point
    };
    const Step steps[] = {
        // A middle point stops one pixel short of its neighbours and at the top and bottom.
        {{60, 100}, {-50, -15}, {5, 4}, 1, "0.01 -> 1.00"},
        {{5, 4}, {500, 165}, {139, 150}, 1, "0.69 -> 0.00"},
        // The first point keeps x = 4, the last keeps its column; both stay inside vertically.
        {{4, 150}, {90, -400}, {4, 4}, 0, "0.00 -> 1.00"},
        {{200, 4}, {20, 900}, {200, 150}, 3, "1.00 -> 0.00"},
    };
    for (const Step& s : steps) {
        e.Press(s.grab.x(), s.grab.y());
        QVERIFY(e.wnd.Curve().IsDragging());
        e.Drag(s.to.x(), s.to.y());
        const auto& p = e.wnd.Curve().PointAt(s.index);
        QCOMPARE((std::pair<int, int>{p.x, p.y}), s.lands);
        QCOMPARE(e.Readout(), s.readout);
        e.Release(s.to.x(), s.to.y());
        QCOMPARE(e.Readout(), QStringLiteral(" "));
    }
    QCOMPARE(e.wnd.Curve().Count(), 4);
}

void CurveEditorTest::MiddlePointDraggedAwayIsDeleted() {
    Editor e;
    e.wnd.Reset(CurveModel::kMiddle);
    e.Click(50, 30);
    e.Click(120, 120);
    QCOMPARE(e.wnd.Curve().Count(), 4);
    // 20 pixels beyond an edge is still kept (at the edge); 21 deletes.
    e.Press(50, 30);
    e.Drag(50, -20);
    QCOMPARE(e.wnd.Curve().Count(), 4);
    QCOMPARE(e.wnd.Curve().PointAt(1).y, 4);
    e.Drag(50, -21);
    QCOMPARE(e.wnd.Curve().Count(), 3);
    QVERIFY(!e.wnd.Curve().IsDragging());
    QCOMPARE(e.Readout(), QStringLiteral(" "));
    e.Release(50, -21);
    e.Press(120, 120);
    e.Drag(120, 171);
    QCOMPARE(PointsOf(e.wnd), (Points{{4, 79}, {200, 79}}));
    // The end points cannot be deleted: they stop at the edge.
    e.Release(120, 171);
    e.Press(4, 79);
    e.Drag(4, 400);
    e.Release(4, 400);
    QCOMPARE(PointsOf(e.wnd), (Points{{4, 150}, {200, 79}}));
}

void CurveEditorTest::TheBeepIsAToneOrTheBell() {
    Editor e;
    e.wnd.Reset(CurveModel::kFlatTop);
    e.Click(8, 60);  // too close to the first point
    FakeAudioBackend& devices = e.services.devices;
    QCOMPARE(devices.lastFormat.samplesPerSecond, 22050u);
    QCOMPARE(devices.lastFormat.bitsPerSample, uint16_t{8});
    QCOMPARE(devices.lastFormat.channels, uint16_t{1});
    QVERIFY(devices.output != nullptr);
    // 200 ms of 592 Hz: 4410 bytes crossing silence upward about 118 times.
    QCOMPARE(devices.output->blockBytes, 4410u);
    int rising = 0;
    for (uint32_t i = 1; i < devices.output->blockBytes; ++i) {
        if (devices.output->block[i - 1] < 128 && devices.output->block[i] >= 128)
            ++rising;
    }
    QVERIFY2(rising >= 117 && rising <= 119, qPrintable(QString::number(rising)));
    QCOMPARE(e.services.messages.Beeps(), 0);
    // The device hands the tone back and is closed.
    devices.output->Finish();
    QTRY_COMPARE(devices.log.Live(), 0);
    // With no device to play on, the desktop's bell rings instead.
    devices.openResult = kAudioNoDriver;
    e.Click(8, 60);
    QCOMPARE(e.services.messages.Beeps(), 1);
    QCOMPARE(devices.log.Live(), 0);
}

void CurveEditorTest::TheCurveHoldsAtMost256Points() {
    // Wide enough for 256 points ten pixels apart: only the count can refuse.
    Editor e(2600, 155);
    const int span = 2600 - 5 - 4;
    for (int count : {255, 256}) {
        std::vector<std::pair<float, float>> pairs;
        for (int i = 0; i + 1 < count; ++i)
            pairs.emplace_back(static_cast<float>(i * 10) / static_cast<float>(span), 0.5f);
        pairs.emplace_back(1.0f, 0.5f);
        e.services.settings.SetBytes("SOFTWARE\\Orvex\\Compressor\\Many", "Data",
                                     PresetBlock(pairs), SettingsValueType::None);
        QVERIFY(e.wnd.LoadPreset(e.services.settings, CurveModel::kCompressorPresets, "Many"));
        QCOMPARE(e.wnd.Curve().Count(), count);
        // Between the second-last point and the last one, far from both.
        const int x = (e.wnd.Curve().PointAt(count - 2).x + e.wnd.Curve().PointAt(count - 1).x) / 2;
        const int opened = e.services.devices.log.opened;
        e.Click(x, 20);
        QCOMPARE(e.wnd.Curve().Count(), 256);
        QCOMPARE(e.services.devices.log.opened - opened, count == 256 ? 1 : 0);
    }
}

void CurveEditorTest::ReadoutsOfTheThreeDialogs() {
    Editor e;  // x 4..200 (196 wide), y 4..150 (146 high)
    QLabel readout;
    const CEnvelopeListener envelope(&readout, 1.0f, 3.0f);
    const CPanningListener panning(&readout, 0.0f, 2.0f);
    QCOMPARE(envelope.PositionText(0.5f, 0.0f), QStringLiteral("2.0s -> 100.0%"));
    QCOMPARE(envelope.PositionText(1.0f, 0.75f), QStringLiteral("3.0s -> 25.0%"));
    QCOMPARE(panning.PositionText(0.0f, 0.5f), QStringLiteral("0.0s -> 50%L,50%R"));
    QCOMPARE(panning.PositionText(0.25f, 0.2f), QStringLiteral("0.5s -> 80%L,20%R"));

    // Hovering reports the pointer, clamped at the margins; leaving the control clears it.
    struct Hover {
        QPoint at;
        QString text;
    };
    const Hover hovers[] = {
        {{102, 4}, "0.50 -> 1.00"},
        {{4, 150}, "0.00 -> 0.00"},
        {{0, 0}, "0.00 -> 1.00"},
        {{204, 154}, "1.00 -> 0.00"},
        {{151, 77}, "0.75 -> 0.50"},
        {{205, 60}, " "},
        {{60, 160}, " "},
    };
    for (const Hover& h : hovers) {
        e.Move(h.at.x(), h.at.y());
        QCOMPARE(e.Readout(), h.text);
    }
}

void CurveEditorTest::PresetBoxSavesLoadsAndDeletesAcrossSizes() {
    TestServices services;
    services.settings.CreateKey("SOFTWARE\\Orvex\\Envelope Presets\\b-old");
    services.settings.CreateKey("SOFTWARE\\Orvex\\Envelope Presets\\Zed");
    services.settings.CreateKey("SOFTWARE\\Orvex\\Compressor\\Other");
    Editor small(105, 85);
    small.wnd.Reset(CurveModel::kFlatTop);
    small.Click(52, 60);
    QWidget frame;
    CPresetBox box(services.settings, CurveModel::kEnvelopePresets, &small.wnd,
                   CurveModel::kFlatTop, &frame);
    frame.show();
    QCOMPARE(Items(&frame, "1050"), (QStringList{"b-old", "Zed"}));
    QCOMPARE(TextOf(&frame, "1050"), QString());

    // Saving with no name stores and lists nothing; a new name is stored and listed in order.
    Click(&frame, "1070");
    QCOMPARE(Items(&frame, "1050").size(), 2);
    TypeOver(&frame, "1050", "Swell");
    Click(&frame, "1070");
    QCOMPARE(Items(&frame, "1050"), (QStringList{"b-old", "Swell", "Zed"}));
    Click(&frame, "1070");  // saved again: listed once
    QCOMPARE(Items(&frame, "1050").size(), 3);

    // A larger editor picks it from its own box and gets the same shape at its own size.
    Editor big(405, 305);
    big.wnd.Reset(CurveModel::kDiagonal);
    QWidget bigFrame;
    CPresetBox bigBox(services.settings, CurveModel::kEnvelopePresets, &big.wnd,
                      CurveModel::kDiagonal, &bigFrame);
    bigFrame.show();
    Choose(&bigFrame, "1050", "Swell");
    QCOMPARE(big.wnd.Curve().Count(), 3);
    for (float t : {0.0f, 0.2f, 0.5f, 0.7f, 1.0f})
        QVERIFY(std::fabs(big.wnd.Evaluate(t) - small.wnd.Evaluate(t)) < 0.02f);
    QVERIFY(big.wnd.Evaluate(0.5f) < 0.5f);  // the dip drawn in the small one

    // Reset gives the box's own shape and clears the name.
    Click(&bigFrame, "1022");
    QCOMPARE(PointsOf(big.wnd), (Points{{4, 300}, {400, 4}}));
    QCOMPARE(TextOf(&bigFrame, "1050"), QString());

    // Delete removes a listed name from the list and the store; an unlisted one does nothing.
    TypeOver(&bigFrame, "1050", "Missing");
    Click(&bigFrame, "1071");
    QCOMPARE(Items(&bigFrame, "1050").size(), 3);
    TypeOver(&bigFrame, "1050", "Swell");
    Click(&bigFrame, "1071");
    QCOMPARE(Items(&bigFrame, "1050"), (QStringList{"b-old", "Zed"}));
    QVERIFY(!services.settings.KeyExists("SOFTWARE\\Orvex\\Envelope Presets\\Swell"));
    QVERIFY(services.settings.KeyExists("SOFTWARE\\Orvex\\Compressor\\Other"));
}

QTEST_MAIN(CurveEditorTest)
#include "CurveEditorTest.moc"
