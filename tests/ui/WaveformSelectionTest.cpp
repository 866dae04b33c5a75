// The drag that sets a waveform window's marks, without a window: a press, moves of the free
// end across the anchor and back, and the release.
#include <QtTest/QtTest>

#include "ui/view/WaveformSelection.h"

class WaveformSelectionTest : public QObject {
    Q_OBJECT
private slots:
    void dragLeavesTheBandBetweenAnchorAndFreeEnd_data();
    void dragLeavesTheBandBetweenAnchorAndFreeEnd();
    void pressWithoutMoveLeavesACaret();
    void pressBeyondTheDataMarksTheLastFrame();
    void hiddenMarksComeBackOnce();
};

void WaveformSelectionTest::dragLeavesTheBandBetweenAnchorAndFreeEnd_data() {
    QTest::addColumn<QList<uint>>("moves");
    QTest::addColumn<uint>("start");  // while dragging, after the last move
    QTest::addColumn<uint>("end");
    // Press at 50 each time.
    QTest::newRow("right") << QList<uint>{60, 70} << 50u << 70u;
    QTest::newRow("left") << QList<uint>{40, 30} << 30u << 50u;
    QTest::newRow("right, back inside") << QList<uint>{70, 60} << 50u << 60u;
    QTest::newRow("right, then across the anchor") << QList<uint>{70, 40} << 40u << 50u;
    QTest::newRow("left, then across the anchor") << QList<uint>{30, 80} << 50u << 80u;
    QTest::newRow("back and forth") << QList<uint>{30, 80, 20, 55} << 50u << 55u;
}

void WaveformSelectionTest::dragLeavesTheBandBetweenAnchorAndFreeEnd() {
    QFETCH(QList<uint>, moves);
    QFETCH(uint, start);
    QFETCH(uint, end);
    WaveformSelection marks;
    marks.Grab();
    marks.Begin(50, 100);
    for (uint frame : moves) marks.Extend(frame);
    QCOMPARE(marks.SelStart(), start);
    QCOMPARE(marks.SelEnd(), end);
    QVERIFY(marks.Release());
    QVERIFY(!marks.Finish());
    QVERIFY(marks.HasSelection());
    QVERIFY(!marks.HasCaret());
    QCOMPARE(marks.SelStart(), std::min<uint>(50, moves.last()));
    QCOMPARE(marks.SelEnd(), std::max<uint>(50, moves.last()));
}

void WaveformSelectionTest::pressWithoutMoveLeavesACaret() {
    WaveformSelection marks;
    marks.SetSelection(3, 9);
    marks.Grab();
    marks.Begin(42, 100);
    QVERIFY(marks.HasSelection());  // the one-frame band of the press
    QCOMPARE(marks.SelStart(), 42u);
    QVERIFY(marks.Release());
    QVERIFY(!marks.Release());
    QVERIFY(marks.Finish());
    QVERIFY(marks.HasCaret());
    QVERIFY(!marks.HasSelection());
    QCOMPARE(marks.Caret(), 42u);
}

void WaveformSelectionTest::pressBeyondTheDataMarksTheLastFrame() {
    WaveformSelection marks;
    marks.Begin(500, 100);
    QCOMPARE(marks.SelStart(), 99u);
    QCOMPARE(marks.SelEnd(), 99u);
    QVERIFY(marks.Finish());
    QCOMPARE(marks.Caret(), 99u);
}

void WaveformSelectionTest::hiddenMarksComeBackOnce() {
    WaveformSelection marks;
    marks.SetSelection(10, 20);
    marks.Hide();
    QVERIFY(!marks.HasSelection());
    QVERIFY(!marks.HasCaret());
    marks.Hide();  // a second loss of focus keeps what the first put away
    marks.Show();
    QVERIFY(marks.HasSelection());
    QCOMPARE(marks.SelEnd(), 20u);
    QVERIFY(!marks.IsInactive());
}

QTEST_MAIN(WaveformSelectionTest)
#include "WaveformSelectionTest.moc"
