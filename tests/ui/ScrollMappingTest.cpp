// The scroll bar's mapping between its fixed range and the first frame the windows show.
#include <QtTest/QtTest>
#include <cstdlib>

#include "ui/view/ScrollMapping.h"

class ScrollMappingTest : public QObject {
    Q_OBJECT
private slots:
    void thumbForFrames_data();
    void thumbForFrames();
    void firstFrameForThumb_data();
    void firstFrameForThumb();
    void thumbAfterStep_data();
    void thumbAfterStep();
    void dragComesBackNearTheFrame();
};

void ScrollMappingTest::thumbForFrames_data() {
    QTest::addColumn<uint>("first");
    QTest::addColumn<uint>("maxFirst");
    QTest::addColumn<double>("pageFrames");
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("position");
    QTest::newRow("nothing to scroll") << 0u << 0u << 0.0 << kScrollRange << 0;
    QTest::newRow("whole sample fits") << 0u << 0u << 800.0 << kScrollRange << 0;
    QTest::newRow("half a page, at start") << 0u << 1000u << 1000.0 << kScrollRange / 2 << 0;
    QTest::newRow("half a page, at end")
        << 1000u << 1000u << 1000.0 << kScrollRange / 2 << kScrollRange / 2;
    // A long sound: the page shrinks to nothing rather than below zero.
    QTest::newRow("long sound") << 3000000000u << 4000000000u << 100.0 << 0 << 24524;
}

void ScrollMappingTest::thumbForFrames() {
    QFETCH(uint, first);
    QFETCH(uint, maxFirst);
    QFETCH(double, pageFrames);
    const ScrollThumb thumb = ThumbForFrames(first, maxFirst, pageFrames);
    QTEST(thumb.page, "page");
    QTEST(thumb.position, "position");
}

void ScrollMappingTest::firstFrameForThumb_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("page");
    QTest::addColumn<uint>("maxFirst");
    QTest::addColumn<uint>("zoom");
    QTest::addColumn<uint>("first");
    QTest::newRow("start") << 0 << 100 << 50000u << 1u << 0u;
    QTest::newRow("end of the span") << kScrollRange - 100 << 100 << 50000u << 1u << 50000u;
    QTest::newRow("end, whole columns") << kScrollRange - 100 << 100 << 50000u << 7u << 49994u;
    QTest::newRow("middle, whole columns") << 16300 << 100 << 64000u << 10u << 32000u;
    QTest::newRow("page fills the range") << 5 << kScrollRange << 50000u << 1u << 0u;
    QTest::newRow("zoom 0 counts as 1") << kScrollRange - 100 << 100 << 333u << 0u << 333u;
}

void ScrollMappingTest::firstFrameForThumb() {
    QFETCH(int, position);
    QFETCH(int, page);
    QFETCH(uint, maxFirst);
    QFETCH(uint, zoom);
    QTEST(FirstFrameForThumb(position, page, maxFirst, zoom), "first");
}

void ScrollMappingTest::thumbAfterStep_data() {
    QTest::addColumn<uint>("first");
    QTest::addColumn<uint>("maxFirst");
    QTest::addColumn<int>("position");
    QTest::newRow("nothing to scroll") << 0u << 0u << 0;
    QTest::newRow("at the end") << 500u << 500u << kScrollRange;
    QTest::newRow("a quarter in") << 250u << 1000u << kScrollRange / 4;
    QTest::newRow("past the end of 32-bit products") << 4000000000u << 4000000000u << kScrollRange;
}

void ScrollMappingTest::thumbAfterStep() {
    QFETCH(uint, first);
    QFETCH(uint, maxFirst);
    QTEST(ThumbAfterStep(first, maxFirst), "position");
}

// Dragging the thumb to where a frame puts it comes back to that frame, give or take the frames
// one thumb step stands for and one column.
void ScrollMappingTest::dragComesBackNearTheFrame() {
    const uint32_t maxFirst = 1000000;
    const double pageFrames = 5000;
    const uint32_t zoom = 8;
    for (uint32_t first : {0u, 8u, 123456u, 500000u, 999992u}) {
        const ScrollThumb thumb = ThumbForFrames(first, maxFirst, pageFrames);
        const uint32_t back = FirstFrameForThumb(thumb.position, thumb.page, maxFirst, zoom);
        const double step = static_cast<double>(maxFirst) / (kScrollRange - thumb.page);
        QVERIFY2(std::abs(static_cast<double>(back) - first) <= step + zoom,
                 qPrintable(QStringLiteral("%1 -> %2").arg(first).arg(back)));
    }
}

QTEST_MAIN(ScrollMappingTest)
#include "ScrollMappingTest.moc"
