// The time ruler: its ticks, labels and markers looked at pixel by pixel, and the markers and the
// zoom menu driven with the mouse and keys.
#include <QMenu>
#include <QPainter>
#include <QtTest/QtTest>
#include <string>
#include <vector>

#include "ui/view/CTimeRuler.h"
#include "ui/view/RulerTicks.h"

namespace {

std::vector<std::string> g_log;

struct View : TimeRulerViewListener {
    void SetSelection(uint32_t first, uint32_t last, int selector) override {
        g_log.push_back(QString::asprintf("select %u %u %d", first, last, selector).toStdString());
    }
    void SetZoomAt(uint32_t zoom, uint32_t column) override {
        g_log.push_back(QString::asprintf("zoom %u at %u", zoom, column).toStdString());
    }
    void ZoomAll() override { g_log.push_back("zoom all"); }
};

QImage Picture(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

std::vector<int> TickColumns(const RulerTickLayout& layout) {
    std::vector<int> columns;
    for (const auto& tick : layout.ticks) columns.push_back(tick.x);
    return columns;
}

void MouseMove(QWidget& widget, int x, int y) {
    QMouseEvent event(QEvent::MouseMove, QPointF(x, y), widget.mapToGlobal(QPointF(x, y)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

}  // namespace

class TimeRulerTest : public QObject {
    Q_OBJECT

private slots:
    void init() { g_log.clear(); }
    void tickSteps_data();
    void tickSteps();
    void ticksAndLabelsOnScreen_data();
    void ticksAndLabelsOnScreen();
    void scaleZeroShowsTheFrameAlone();
    void markers();
    void draggingMarkers();
    void zoomMenu();
};

void TimeRulerTest::tickSteps_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("firstTickX");
    QTest::addColumn<int>("firstValue");
    // Five-digit labels and a blank: 48 pixels between ticks at least.
    QTest::newRow("scale 1") << 10000 << 1 << 50 << 0 << 10000;
    QTest::newRow("scale 10") << 10000 << 10 << 500 << 0 << 10000;
    QTest::newRow("scale 100") << 10000 << 100 << 5000 << 0 << 10000;
    QTest::newRow("scale 1, between ticks") << 10020 << 1 << 50 << 30 << 10050;
    QTest::newRow("scale 10, between ticks") << 10001 << 10 << 500 << 49 << 10500;
    // Four digits: 40 pixels; 7 pixels per sample... at scale 3: 150 / 3 = 50 >= 40.
    QTest::newRow("four digits at scale 3") << 0 << 3 << 150 << 0 << 0;
}

void TimeRulerTest::tickSteps() {
    QFETCH(int, first);
    QFETCH(int, scale);
    const RulerTickLayout layout =
        LayOutRulerTicks(static_cast<uint32_t>(first), static_cast<uint32_t>(scale), 500, 8);
    QTEST(static_cast<int>(layout.step), "step");
    QVERIFY(!layout.ticks.empty());
    QTEST(layout.ticks[0].x, "firstTickX");
    QTEST(static_cast<int>(layout.ticks[0].value), "firstValue");
    for (size_t i = 1; i < layout.ticks.size(); ++i) {
        QCOMPARE(layout.ticks[i].value - layout.ticks[i - 1].value, layout.step);
        QCOMPARE(layout.ticks[i].labelX, layout.ticks[i].x + 4);
    }
    QVERIFY(layout.ticks.back().x < 500);
    // Ten minutes at 44100 Hz shown whole in 1000 pixels is labelled every 2500000 frames; only
    // a zoom past every step of the table leaves the ruler bare.
    const RulerTickLayout whole = LayOutRulerTicks(0, 28209, 1000, 8);
    QCOMPARE(whole.step, 2500000u);
    QCOMPARE(whole.ticks.size(), size_t(12));
    QVERIFY(LayOutRulerTicks(0, 30000000, 100, 8).ticks.empty());
    // Positions accumulate in pixels as floats: at scale 7 ticks of 500 are 71.43 pixels apart.
    const RulerTickLayout seven = LayOutRulerTicks(0, 7, 500, 8);
    QCOMPARE(seven.step, 500u);
    QCOMPARE(TickColumns(seven), (std::vector<int>{0, 71, 142, 214, 285, 357, 428}));
}

void TimeRulerTest::ticksAndLabelsOnScreen_data() {
    QTest::addColumn<int>("scale");
    QTest::newRow("1") << 1;
    QTest::newRow("10") << 10;
    QTest::newRow("100") << 100;
}

void TimeRulerTest::ticksAndLabelsOnScreen() {
    QFETCH(int, scale);
    CTimeRuler ruler;
    ruler.resize(400, CTimeRuler::kHeight);
    ruler.SetRange(10020, static_cast<uint32_t>(scale));
    ruler.SetSelection(0, 0, true);  // markers far left, out of the way
    const QImage picture = Picture(ruler);
    const QColor shadow = ruler.palette().color(QPalette::Dark);
    const QColor light = ruler.palette().color(QPalette::Light);
    const QColor face = ruler.palette().color(QPalette::Button);
    const RulerTickLayout layout = LayOutRulerTicks(10020, static_cast<uint32_t>(scale), 400, 8);
    QVERIFY(layout.ticks.size() >= 5);
    for (const RulerTick& tick : layout.ticks) {
        for (int y = 12; y <= 18; ++y) {
            QCOMPARE(picture.pixel(tick.x, y), shadow.rgb());
            if (tick.x + 1 < 399)
                QCOMPARE(picture.pixel(tick.x + 1, y), light.rgb());
        }
        // The label: the number drawn in the label font from (x + 4, 12).
        const QString label = QString::number(tick.value);
        QImage expected(layout.labelWidth, 14, QImage::Format_RGB32);
        expected.fill(face);
        {
            QPainter painter(&expected);
            painter.setFont(ruler.LabelFont());
            painter.setPen(ruler.palette().color(QPalette::ButtonText));
            painter.drawText(QRect(0, 0, layout.labelWidth * 2, 30),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, label);
        }
        const int visible = std::min(layout.labelWidth, 398 - tick.labelX);
        const int nextTick = layout.step / static_cast<uint32_t>(scale) - 4;
        const int width = std::min(visible, nextTick);
        if (width <= 0)
            continue;
        QCOMPARE(picture.copy(tick.labelX, 12, width, 14), expected.copy(0, 0, width, 14));
    }
    // Between a tick and its label the tick rows are empty.
    QCOMPARE(picture.pixel(layout.ticks[1].x + 3, 15), face.rgb());
}

void TimeRulerTest::scaleZeroShowsTheFrameAlone() {
    CTimeRuler ruler;
    ruler.resize(300, CTimeRuler::kHeight);
    ruler.SetRange(0, 0);
    ruler.SetSelection(10, 20, true);
    const QImage picture = Picture(ruler);
    const QColor shadow = ruler.palette().color(QPalette::Dark);
    const QColor light = ruler.palette().color(QPalette::Light);
    const QColor face = ruler.palette().color(QPalette::Button);
    QCOMPARE(picture.pixel(0, 5), shadow.rgb());
    QCOMPARE(picture.pixel(5, 0), shadow.rgb());
    QCOMPARE(picture.pixel(5, 10), shadow.rgb());
    QCOMPARE(picture.pixel(5, 11), light.rgb());
    QCOMPARE(picture.pixel(5, CTimeRuler::kHeight - 1), light.rgb());
    QCOMPARE(picture.pixel(299, 5), light.rgb());
    for (int y = 1; y < CTimeRuler::kHeight - 1; ++y) {
        if (y == 10 || y == 11)
            continue;
        for (int x = 1; x < 299; ++x) QCOMPARE(picture.pixel(x, y), face.rgb());
    }
    View view;
    ruler.SetViewListener(&view);
    ruler.show();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(50, 5),
                            ruler.mapToGlobal(QPoint(50, 5)));
    QApplication::sendEvent(&ruler, &event);
    QVERIFY(!ruler.ZoomMenu()->isVisible());
}

void TimeRulerTest::markers() {
    CTimeRuler ruler;
    ruler.resize(300, CTimeRuler::kHeight);
    ruler.SetRange(1000, 10);
    ruler.SetSelection(1200, 1509, true);
    QCOMPARE(ruler.LeftMarkerX(), 22);   // 200 / 10 + 2
    QCOMPARE(ruler.RightMarkerX(), 52);  // 509 / 10 truncates to 50
    const QImage picture = Picture(ruler);
    const QColor ink = ruler.palette().color(QPalette::ButtonText);
    auto inked = [&](int x) {
        std::string column;
        for (int y = 1; y <= 9; ++y) column += picture.pixel(x, y) == ink.rgb() ? '#' : '.';
        return column;
    };
    // Left marker in columns 15..21 pointing right; right marker in 52..58 pointing left.
    QCOMPARE(inked(14), std::string("........."));
    QCOMPARE(inked(15), std::string(".#######."));
    QCOMPARE(inked(18), std::string("..#####.."));
    QCOMPARE(inked(21), std::string("....#...."));
    QCOMPARE(inked(22), std::string("........."));
    QCOMPARE(inked(51), std::string("........."));
    QCOMPARE(inked(52), std::string("....#...."));
    QCOMPARE(inked(58), std::string(".#######."));
    QCOMPARE(inked(59), std::string("........."));
    // An end left of the first sample is not drawn at the left edge.
    ruler.SetSelection(990, 1000, true);
    QCOMPARE(ruler.LeftMarkerX(), 1);
    ruler.SetSelection(900, 1000, true);
    QCOMPARE(ruler.LeftMarkerX(), -8);
}

void TimeRulerTest::draggingMarkers() {
    CTimeRuler ruler;
    View view;
    ruler.SetViewListener(&view);
    ruler.resize(300, CTimeRuler::kHeight);
    ruler.SetRange(1000, 10);
    ruler.SetSelection(1200, 1500, true);  // left at 22, right at 52
    // The sizing cursor over the zones 22-7..22-1 and 53..59, the arrow elsewhere.
    MouseMove(ruler, 15, 5);
    QCOMPARE(ruler.cursor().shape(), Qt::SizeHorCursor);
    MouseMove(ruler, 22, 5);
    QCOMPARE(ruler.cursor().shape(), Qt::ArrowCursor);
    MouseMove(ruler, 59, 5);
    QCOMPARE(ruler.cursor().shape(), Qt::SizeHorCursor);
    MouseMove(ruler, 60, 5);
    QCOMPARE(ruler.cursor().shape(), Qt::ArrowCursor);
    // A press outside the zones drags nothing.
    QTest::mousePress(&ruler, Qt::LeftButton, {}, QPoint(40, 5));
    QVERIFY(!ruler.IsDragging());
    QTest::mouseMove(&ruler, QPoint(45, 5));
    QTest::mouseRelease(&ruler, Qt::LeftButton, {}, QPoint(45, 5));
    QCOMPARE(g_log, std::vector<std::string>{});
    // The left marker past the right one takes both along.
    QTest::mousePress(&ruler, Qt::LeftButton, {}, QPoint(18, 5));
    QVERIFY(ruler.IsDragging());
    QTest::mouseMove(&ruler, QPoint(40, 5));
    QTest::mouseMove(&ruler, QPoint(40, 5));  // the same sample: nothing
    QTest::mouseMove(&ruler, QPoint(80, 5));
    QTest::mouseMove(&ruler, QPoint(-20, 5));  // left of the ruler counts as x = 0
    QTest::mouseRelease(&ruler, Qt::LeftButton, {}, QPoint(-20, 5));
    QVERIFY(!ruler.IsDragging());
    QCOMPARE(g_log, (std::vector<std::string>{"select 1400 1500 3", "select 1800 1800 3",
                                              "select 1000 1800 3"}));
    // The right marker left of the left one.
    g_log.clear();
    ruler.SetSelection(1200, 1500, true);
    QTest::mousePress(&ruler, Qt::LeftButton, {}, QPoint(55, 5));
    QTest::mouseMove(&ruler, QPoint(10, 5));
    QTest::mouseRelease(&ruler, Qt::LeftButton, {}, QPoint(10, 5));
    QCOMPARE(g_log, std::vector<std::string>{"select 1100 1100 3"});
}

void TimeRulerTest::zoomMenu() {
    CTimeRuler ruler;
    View view;
    ruler.SetViewListener(&view);
    ruler.resize(300, CTimeRuler::kHeight);
    ruler.SetRange(1000, 10);
    ruler.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ruler));
    QMenu* menu = ruler.ZoomMenu();
    QStringList texts;
    for (QAction* action : menu->actions()) texts << action->text();
    QCOMPARE(texts, (QStringList{"1:1", "10:1", "100:1", "Zoom Out"}));
    // The right button opens it at the pointer.
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(123, 15),
                            ruler.mapToGlobal(QPoint(123, 15)));
    QApplication::sendEvent(&ruler, &click);
    QVERIFY(menu->isVisible());
    QCOMPARE(ruler.GetMenuPoint(), QPoint(123, 15));
    menu->actions()[1]->trigger();
    menu->hide();
    menu->actions()[2]->trigger();
    menu->actions()[3]->trigger();
    // Shift+F10 opens it 5 pixels into the ruler.
    ruler.setFocus();
    QTest::keyClick(&ruler, Qt::Key_F10, Qt::ShiftModifier);
    QVERIFY(menu->isVisible());
    QCOMPARE(ruler.GetMenuPoint(), QPoint(5, 5));
    menu->actions()[0]->trigger();
    menu->hide();
    QCOMPARE(g_log, (std::vector<std::string>{"zoom 10 at 123", "zoom 100 at 123", "zoom all",
                                              "zoom 1 at 5"}));
    // F10 alone does not open it.
    QTest::keyClick(&ruler, Qt::Key_F10);
    QVERIFY(!menu->isVisible());
}

QTEST_MAIN(TimeRulerTest)
#include "TimeRulerTest.moc"
